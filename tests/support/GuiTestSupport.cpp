#include "support/GuiTestSupport.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QTest>
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

QPoint rowCentre(const QAbstractItemView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

void doubleClick(QWidget* target, QPoint pos, Qt::MouseButton button) {
    QTest::mousePress(target, button, {}, pos);
    QTest::mouseRelease(target, button, {}, pos);
    QTest::mouseDClick(target, button, {}, pos);
    QTest::mouseRelease(target, button, {}, pos);
}

} // namespace testsupport
