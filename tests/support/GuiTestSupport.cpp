#include "support/GuiTestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace testsupport {

ui::Answer RecordingMessageBoxes::show(QWidget*, const QString& text, ui::Buttons buttons,
                                       ui::Icon icon) {
    shown.append({text, icon});
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

namespace {

void playStep(QDialog* dialog, const QString& step) {
    auto* list = dialog->findChild<QAbstractItemView*>();
    const qsizetype equals = step.indexOf(u'=');
    if (step.startsWith(u'@')) {
        list->setCurrentIndex(list->model()->index(step.mid(1).toInt(), 0));
    } else if (equals >= 0) {
        const QString name = step.first(equals);
        QWidget* control = name.isEmpty() ? dialog->findChild<QLineEdit*>() : child(dialog, name);
        if (auto* field = qobject_cast<QLineEdit*>(control))
            field->setText(step.mid(equals + 1));
        else
            qobject_cast<QComboBox*>(control)->setCurrentText(step.mid(equals + 1));
    } else if (step.startsWith(u"dbl"_s)) {
        const QString row = step.mid(3);
        doubleClick(list->viewport(), row == u"-" ? QPoint(20, list->viewport()->height() - 4)
                                                  : rowCentre(list, row.toInt()));
    } else if (step == u"Enter" || step == u"Esc") {
        QWidget* focus = dialog->focusWidget();
        QTest::keyClick(focus ? focus : dialog, step == u"Esc" ? Qt::Key_Escape : Qt::Key_Return);
    } else if (step == u"close") {
        dialog->close();
    } else {
        child<QPushButton>(dialog, step)->click();
    }
}

} // namespace

std::shared_ptr<QString> playInModal(const QString& steps, std::function<void(QDialog*)> check) {
    auto title = std::make_shared<QString>();
    whenModal([title, steps, check] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *title = dialog->windowTitle();
        for (const QString& step : steps.split(u',', Qt::SkipEmptyParts)) {
            if (!dialog->isVisible())
                QTest::qFail(qPrintable(u"closed before "_s + step), __FILE__, __LINE__);
            else
                playStep(dialog, step);
        }
        if (check)
            check(dialog);
        else if (dialog->isVisible())
            QTest::qFail("the dialog is still open", __FILE__, __LINE__);
        if (dialog->isVisible())
            dialog->reject();
    });
    return title;
}

QWidget* child(const QObject* root, const QString& name) {
    auto* found = root->findChild<QWidget*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

QString texts(const QObject* root, const QString& names) {
    QStringList result;
    for (const QString& name : names.split(u' ')) {
        const QWidget* control = child(root, name);
        for (const char* property : {"text", "currentText", "title"}) {
            if (const QVariant text = control->property(property); text.isValid()) {
                result << text.toString();
                break;
            }
        }
    }
    return result.join(u'|');
}

QStringList listRows(const QAbstractItemView* view, int columns) {
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < columns; ++column)
            cells << view->model()->index(row, column).data().toString();
        result << cells.join(u'|');
    }
    return result;
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
