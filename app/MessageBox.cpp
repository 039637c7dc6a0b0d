#include "app/MessageBox.h"

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

void setMessageBoxHandler(MessageBoxHandler* handler) {
    g_handler = handler;
}

} // namespace ui
