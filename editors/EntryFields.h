#pragma once
// The key and focus behaviour shared by the editors' controls, and the checks they run on OK.
//
// One EntryFields object per dialog filters the events of its text fields, drop-down lists and
// buttons. Enter never confirms a dialog: in a field or a list it moves the focus to the next
// control that can take it (disabled and hidden ones are skipped), on a button it presses that
// button. A text field selects from its caret to the end when it gets the focus, so a field
// entered for the first time shows its whole text selected and typing replaces it. Nothing typed
// is filtered: the fields are judged only by the checks below, when OK is pressed.

#include <QObject>

class QDialog;
class QLineEdit;
class QWidget;

class EntryFields : public QObject {
    Q_OBJECT
public:
    // Never: the dialog itself is watched too, so that Enter never reaches QDialog's
    // default-button press. Allowed: Enter outside the fields presses the default button.
    enum class DefaultButton { Never, Allowed };

    explicit EntryFields(QDialog* dialog, DefaultButton defaultButton = DefaultButton::Never);

    // A text field, a drop-down list or a button; buttons are made never to become the default.
    void add(QWidget* control);

    // Puts text into a field with the caret at its start, as a freshly filled field has it.
    static void setText(QLineEdit* field, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

namespace mdlCalculation {

// The range check of one numeric field: when its number is outside -999..999, shows the limit
// message, gives the field the focus with its whole text selected and returns false.
bool blnCheckRange(QLineEdit* field);

// The name check: a blank name, or one the settings file cannot hold (see blnCheckStorable), is
// reported and the field gets the focus.
bool blnCheckName(QLineEdit* name);

// A field whose text is stored as typed: refused with the matching message, the field focused and
// its text selected, when it could not come back whole from the settings file (see
// mdlCalculation::checkStoredText).
bool blnCheckStorable(QLineEdit* field);

} // namespace mdlCalculation
