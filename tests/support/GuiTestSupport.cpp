#include "support/GuiTestSupport.h"

#include <QCoreApplication>
#include <QTimer>

namespace testsupport {

RecordingMessageBoxes::RecordingMessageBoxes() {
    ui::setMessageBoxHandler(this);
}

RecordingMessageBoxes::~RecordingMessageBoxes() {
    ui::setMessageBoxHandler(nullptr);
}

ui::Answer RecordingMessageBoxes::show(QWidget*, const QString& text, ui::Buttons buttons,
                                       ui::Icon icon) {
    shown.append({text, buttons, icon});
    if (onShow)
        onShow(shown.last());
    if (buttons == ui::Buttons::Ok)
        return ui::Answer::Ok;
    return answers.isEmpty() ? ui::Answer::Yes : answers.takeFirst();
}

QStringList RecordingMessageBoxes::texts() const {
    QStringList result;
    for (const Shown& s : shown)
        result.append(s.text);
    return result;
}

void whenModal(std::function<void()> action) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(action));
}

} // namespace testsupport
