#include "editors/EntryFields.h"

#include "editors/mdlCalculation.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The next control of the window's tab order that can take the focus now.
void focusNextControl(QWidget* from) {
    for (QWidget* w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        if (w->window() == from->window() && w->isEnabled() && w->isVisible() &&
            (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace

EntryFields::EntryFields(QDialog* dialog, DefaultButton defaultButton)
    : QObject(dialog) {
    if (defaultButton == DefaultButton::Never)
        dialog->installEventFilter(this);
}

void EntryFields::add(QWidget* control) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    control->installEventFilter(this);
}

void EntryFields::setText(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->setCursorPosition(0);
}

bool EntryFields::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        if (auto* button = qobject_cast<QPushButton*>(watched))
            button->click();
        else if (qobject_cast<QLineEdit*>(watched) || qobject_cast<QComboBox*>(watched))
            focusNextControl(static_cast<QWidget*>(watched));
        // Anything else is the dialog itself: swallowed, so Enter never confirms it.
        return true;
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto* field = qobject_cast<QLineEdit*>(watched)) {
            const int caret =
                field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
            // Qt's own handling first (a Tab arrival selects everything), then our selection.
            static_cast<QObject*>(field)->event(event);
            field->setSelection(caret, static_cast<int>(field->text().size()) - caret);
            return true;
        }
    }
    return false;
}

namespace mdlCalculation {

bool blnCheckRange(QLineEdit* field) {
    if (blnInRange(field->text()))
        return true;
    ui::msgBox(field->window(), messages::OutOfRange, ui::Buttons::Ok, ui::Icon::Exclamation);
    field->setFocus();
    field->selectAll();
    return false;
}

bool blnCheckStorable(QLineEdit* field) {
    QString message;
    switch (checkStoredText(field->text())) {
    case StoredText::Fits:
        return true;
    case StoredText::ControlCharacter:
        message = messages::ControlCharacter;
        break;
    case StoredText::NotShiftJis:
        message = messages::NotShiftJis;
        break;
    case StoredText::TooLong:
        message = messages::TooLong;
        break;
    }
    ui::msgBox(field->window(), message, ui::Buttons::Ok, ui::Icon::Exclamation);
    field->setFocus();
    field->selectAll();
    return false;
}

bool blnCheckName(QLineEdit* name) {
    if (blnIsBlankName(name->text())) {
        ui::msgBox(name->window(), messages::NoName, ui::Buttons::Ok, ui::Icon::Exclamation);
        name->setFocus();
        return false;
    }
    return blnCheckStorable(name);
}

} // namespace mdlCalculation
