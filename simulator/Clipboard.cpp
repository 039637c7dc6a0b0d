#include "simulator/Clipboard.h"

#include "simulator/ClipboardText.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace clipboard {

namespace {

class SystemClipboard : public Access {
public:
    void clear() override { QGuiApplication::clipboard()->clear(); }
    void setText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }
    QString text() const override { return QGuiApplication::clipboard()->text(); }
};

Access* installed = nullptr;

Access& access() {
    static SystemClipboard system;
    return installed ? *installed : system;
}

void copyAndReport(QWidget* parent, const std::optional<QString>& text) {
    if (!text || !placeText(*text)) {
        ui::msgBox(parent, messages::ClipboardFailed, ui::Buttons::Ok, ui::Icon::Critical);
        return;
    }
    ui::msgBox(parent, messages::Copied + *text);
}

} // namespace

void setAccess(Access* a) {
    installed = a;
}

bool placeText(const QString& text) {
    Access& clipboard = access();
    clipboard.clear();
    QCoreApplication::processEvents();
    clipboard.setText(text);
    return clipboard.text() == text;
}

void cmdClipKaizo(QWidget* parent, const ShownFigures& shown) {
    if (shown.steps.value(0).isEmpty())
        return;
    copyAndReport(parent, clipboardText::planSteps(shown));
}

void cmdBukiClip(QWidget* parent, const ShownFigures& shown, qint16& shiftState) {
    if (shiftState != 0) {
        shiftState = 0;
        copyAndReport(parent, clipboardText::weaponSummary(shown));
        return;
    }
    copyAndReport(parent, clipboardText::weaponFigures(shown));
}

void cmdList(QWidget* parent, storage::Connection& db, qint32 bukiSeq) {
    copyAndReport(parent, clipboardText::modificationList(db, bukiSeq));
}

} // namespace clipboard
