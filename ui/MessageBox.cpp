#include "ui/MessageBox.h"

#include "storage/SettingsFile.h"
#include "ui/Messages.h"

#include <QMessageBox>

namespace ui {
namespace {

MessageBoxHandler* g_handler = nullptr;

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

Answer showReal(QWidget* parent, const QString& text, Buttons buttons, Icon icon) {
    QMessageBox box(
        toQt(icon), applicationTitle(), text,
        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    // Names from the master or typed by the user are shown as they are, never as mark-up.
    box.setTextFormat(Qt::PlainText);
    if (buttons == Buttons::YesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.exec();
    return Answer::Ok;
}

} // namespace

Answer msgBox(QWidget* parent, const QString& text, Buttons buttons, Icon icon) {
    if (g_handler)
        return g_handler->show(parent, text, buttons, icon);
    return showReal(parent, text, buttons, icon);
}

void showSaveFailure(QWidget* parent, const storage::SaveOutcome& outcome) {
    if (outcome.saved)
        return;
    QString text = messages::SettingsSaveFailed;
    if (!outcome.rescuedTo.isEmpty())
        text += u'\n' + messages::RescuedTo + outcome.rescuedTo;
    msgBox(parent, text, Buttons::Ok, Icon::Critical);
}

void setMessageBoxHandler(MessageBoxHandler* handler) {
    g_handler = handler;
}

} // namespace ui
