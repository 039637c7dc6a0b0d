#include "editors/DialogFrame.h"

#include "app/Twips.h"

#include <QDialog>
#include <QPalette>

namespace dialogFrame {
namespace {

// Caption bar and the two borders of a fixed dialog, as the outer heights were measured with.
constexpr int kFrameHeightTwips = 450;

} // namespace

void setUp(QDialog* dialog, const QString& caption, int clientWidthTwips, int outerHeightTwips) {
    dialog->setWindowTitle(caption);
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(twipsToPixels(clientWidthTwips),
                         twipsToPixels(outerHeightTwips - kFrameHeightTwips));
}

void place(QWidget* control, int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    control->setGeometry(twipsToPixels(leftTwips), twipsToPixels(topTwips),
                         twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

void greyOut(QWidget* control) {
    control->setEnabled(false);
    QPalette palette = control->palette();
    const QColor face = palette.color(QPalette::Button);
    palette.setColor(QPalette::Base, face);
    control->setPalette(palette);
}

} // namespace dialogFrame
