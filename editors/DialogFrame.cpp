#include "editors/DialogFrame.h"

#include "editors/EntryFields.h"
#include "ui/Twips.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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
    // The controls inside a frame were placed for a caption that sits on the frame's top line;
    // Qt's own frames put it above the line, where the first row of controls would touch it.
    dialog->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.6em; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
}

void place(QWidget* control, int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    control->setGeometry(twipsToPixels(leftTwips), twipsToPixels(topTwips),
                         twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int leftTwips,
                 int topTwips, int widthTwips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1StringView(name));
    place(label, leftTwips, topTwips, widthTwips, 255);
    return label;
}

QLineEdit* addField(EntryFields& entry, QWidget* parent, const char* name, const QString& text,
                    int leftTwips, int topTwips, int widthTwips) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1StringView(name));
    EntryFields::setText(field, text);
    place(field, leftTwips, topTwips, widthTwips, 285);
    entry.add(field);
    return field;
}

std::array<QLineEdit*, 5> addStatusFrame(EntryFields& entry, QWidget* parent) {
    auto* frame = new QGroupBox(QStringLiteral("基本ステータス"), parent);
    frame->setObjectName(QStringLiteral("fraStatus"));
    place(frame, 120, 540, 2040, 1800);
    const char* names[] = {"Str", "Int", "Dex", "Will", "Luck"};
    std::array<QLineEdit*, 5> fields{};
    for (int i = 0; i < 5; ++i) {
        const QByteArray name(names[i]);
        addLabel(frame, ("lbl" + name).constData(), QString::fromLatin1(name), 150, 300 + i * 285,
                 600);
        fields[i] = addField(entry, frame, ("txt" + name).constData(), QStringLiteral("0"), 840,
                             270 + i * 285, 1050);
    }
    return fields;
}

void greyOut(QWidget* control) {
    control->setEnabled(false);
    QPalette palette = control->palette();
    const QColor face = palette.color(QPalette::Button);
    palette.setColor(QPalette::Base, face);
    control->setPalette(palette);
}

} // namespace dialogFrame
