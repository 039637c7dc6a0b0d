#pragma once
// Window-test helpers: message boxes answered without a visible box, controls read by name, and
// steps played inside a dialog's own modal loop.

#include "ui/MessageBox.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

class QAbstractItemView;
class QDialog;
class QObject;

namespace testsupport {

// Records every message box while it lives; answers Yes/No questions from a queue (Yes when the
// queue is empty) and OK boxes with OK.
class RecordingMessageBoxes : public ui::MessageBoxHandler {
public:
    struct Shown {
        QString text;
        ui::Icon icon;
    };

    RecordingMessageBoxes() { ui::setMessageBoxHandler(this); }
    ~RecordingMessageBoxes() override { ui::setMessageBoxHandler(nullptr); }

    ui::Answer show(QWidget* parent, const QString& text, ui::Buttons buttons,
                    ui::Icon icon) override;

    QList<Shown> shown;
    QList<ui::Answer> answers;
    // Runs inside show(), e.g. to check the window state while the box would be open.
    std::function<void(const Shown&)> onShow;

    QStringList texts() const;
};

// Runs action as soon as a modal loop is spinning (the next event-loop turn), e.g. to press a
// dialog's buttons while exec() waits.
void whenModal(std::function<void()> action);

// Plays comma-separated steps on the modal dialog once it waits in exec(): "@n" makes row n of its
// list current and highlighted, "name=text" puts text into that field or chooses it in that
// drop-down list ("=text": the first field), "dbln" double-clicks row n ("dbl-" the space below
// the rows), "Enter" and "Esc" are keys for the control with the focus, "close" is the close box,
// any other step clicks the button of that name. Then check runs on the dialog; a dialog still
// open after it is cancelled, and without a check that fails the test. Gives the dialog's title,
// null while none was open.
std::shared_ptr<QString> playInModal(const QString& steps,
                                     std::function<void(QDialog*)> check = {});

// The control of that name under root; the test program ends when there is none.
QWidget* child(const QObject* root, const QString& name);
template <class T> T* child(const QObject* root, const QString& name) {
    return qobject_cast<T*>(child(root, name));
}
// What the controls named (separated by blanks) show: a label's, button's or field's text, a
// drop-down list's choice, a frame's title; joined by "|".
QString texts(const QObject* root, const QString& names);
// The rows of a list, each its first columns joined by "|".
QStringList listRows(const QAbstractItemView* view, int columns = 1);

// The centre of a list row, where a user clicks it.
QPoint rowCentre(const QAbstractItemView* view, int row);
// A double click as a user makes it: Qt sends no press for the second click.
void doubleClick(QWidget* target, QPoint pos, Qt::MouseButton button = Qt::LeftButton);

} // namespace testsupport
