#include "SimulatorFakes.h"

#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

bool KaizoWindow::open(qint16 weapon, frmKaizo::Hooks hooks) {
    win.reset();
    catalogue.weaponSeq = weapon;
    win = std::make_unique<frmKaizo>(catalogue, nullptr, std::move(hooks));
    if (!win->prepare())
        return false;
    win->show();
    return QTest::qWaitForWindowExposed(win.get());
}

QStringList KaizoWindow::texts(std::initializer_list<const char*> labels) const {
    QStringList result;
    for (const char* label : labels)
        result << text(label);
    return result;
}

QString KaizoWindow::frame() const {
    return child<QGroupBox>("fraBukiSpac")->title();
}

void KaizoWindow::apply(int row) const {
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, testsupport::rowCentre(list(), row));
    click("cmdKaizo");
}

std::shared_ptr<bool> playInDialog(const QString& steps) {
    auto opened = std::make_shared<bool>(false);
    testsupport::whenModal([opened, steps] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *opened = true;
        auto* list = dialog->findChild<ReportList*>();
        for (const QString& step : steps.split(u',', Qt::SkipEmptyParts)) {
            if (!dialog->isVisible())
                break;
            if (step.startsWith(u'@'))
                list->setCurrentRow(step.mid(1).toInt());
            else if (step.startsWith(u'='))
                dialog->findChild<QLineEdit*>(u"txtName"_s)->setText(step.mid(1));
            else if (step == u"Enter" || step == u"Esc")
                QTest::keyClick(list, step == u"Enter" ? Qt::Key_Return : Qt::Key_Escape);
            else if (step == u"close")
                dialog->close();
            else if (step == u"dbl-")
                testsupport::doubleClick(list->viewport(),
                                         QPoint(20, list->viewport()->height() - 5));
            else if (step.startsWith(u"dbl"))
                testsupport::doubleClick(list->viewport(),
                                         testsupport::rowCentre(list, step.mid(3).toInt()));
            else if (auto* button = dialog->findChild<QPushButton*>(step))
                button->click();
            else
                qFatal("no step %s", qPrintable(step));
        }
        if (dialog->isVisible()) {
            dialog->reject();
            QTest::qFail("the dialog stayed open", __FILE__, __LINE__);
        }
    });
    return opened;
}
