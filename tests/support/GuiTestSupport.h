#pragma once
// Window-test helpers: message boxes answered without a visible box, and a dialog closed from
// inside its own modal loop.

#include "ui/MessageBox.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <functional>

class QAbstractItemView;

namespace testsupport {

// Records every message box while it lives; answers Yes/No questions from a queue (Yes when the
// queue is empty) and OK boxes with OK.
class RecordingMessageBoxes : public ui::MessageBoxHandler {
public:
    struct Shown {
        QString text;
        ui::Buttons buttons;
        ui::Icon icon;
    };

    RecordingMessageBoxes();
    ~RecordingMessageBoxes() override;

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

// The centre of a list row, where a user clicks it.
QPoint rowCentre(const QAbstractItemView* view, int row);
// A double click as a user makes it: Qt sends no press for the second click.
void doubleClick(QWidget* target, QPoint pos, Qt::MouseButton button = Qt::LeftButton);

} // namespace testsupport
