#pragma once
// Plain stand-ins for the catalogue window and the simulator, holding the side lists as
// RowListModels and recording what the editors ask of the simulation, plus the helpers that
// operate the editors' modal dialogs.

#include "app/RowListModel.h"
#include "catalogue/CatalogueAccess.h"
#include "simulator/SimulatorAccess.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <functional>

inline ListRow listRow(const QString& text, const QStringList& cells, const QString& key = {}) {
    ListRow row;
    row.text = text;
    row.subItems = cells;
    row.key = key;
    return row;
}

class FakeCatalogue : public CatalogueAccess {
public:
    FakeCatalogue() {
        enchants.append(listRow(QStringLiteral("使用なし"), {}, QStringLiteral("消せません")));
    }

    qint16 selectedWeaponSeq() const override { return weaponSeq; }
    QString selectedWeaponName() const override { return {}; }
    RowListModel& profileList() override { return profiles; }
    int profileCurrentRow() const override { return profileCurrent; }
    bool profileCurrentSelected() const override { return profileCurrent >= 0; }
    RowListModel& enchantList() override { return enchants; }
    int enchantCurrentRow() const override { return enchantCurrent; }
    bool enchantCurrentSelected() const override { return enchantSelected; }
    void selectEnchantRow(int row) override {
        enchantCurrent = row;
        enchantSelected = true;
    }

    qint16 weaponSeq = 1;
    RowListModel profiles;
    RowListModel enchants;
    int profileCurrent = -1;
    int enchantCurrent = 0;
    bool enchantSelected = true;
};

class FakeSimulator : public SimulatorAccess {
public:
    explicit FakeSimulator(FakeCatalogue& catalogue)
        : m_catalogue(catalogue) {}

    QWidget* window() override { return nullptr; }
    CatalogueAccess& catalogue() override { return m_catalogue; }
    bool setChangeSpace(qint16) override { return true; }
    bool ResetState(bool) override { return true; }
    bool setStateRecovery(const QString&) override { return true; }
    // Records what the working copy, the rank and the bonus set in use are at this moment.
    bool insertStatus() override {
        const int temp = m_catalogue.profiles.findKey(QStringLiteral("TEMP"));
        calls.append(
            QStringLiteral("insertStatus %1 %2 %3")
                .arg(temp >= 0 ? m_catalogue.profiles.row(temp).subItems.join(u',') : QString(),
                     rank)
                .arg(m_catalogue.enchantSelected ? m_catalogue.enchantCurrent : -1));
        return insertStatusSucceeds;
    }
    bool setCombatStatus(qint16 kaisu) override {
        calls.append(QStringLiteral("setCombatStatus %1").arg(kaisu));
        return true;
    }
    QString combatTypeTag() const override {
        return attackWeapon ? QStringLiteral("1") : QStringLiteral("2");
    }
    QString combatTypeCaption() const override {
        return attackWeapon ? QStringLiteral("アタック") : QStringLiteral("レンジ");
    }
    QString attackRank() const override { return rank; }
    void setAttackRank(const QString& value) override { rank = value; }
    QString changeSpecTag() const override { return QStringLiteral("23"); }

    bool attackWeapon = true;
    QString rank = QStringLiteral("C");
    bool insertStatusSucceeds = true;
    QStringList calls;

private:
    FakeCatalogue& m_catalogue;
};

// Runs action on the modal dialog once it waits in exec(); a dialog the action leaves open is
// cancelled, so a failed check never hangs the test.
inline void operateDialog(std::function<void(QDialog*)> action) {
    testsupport::whenModal([action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "no modal dialog is open");
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        action(dialog);
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
}

// Sets opened when a modal dialog shows up on the next event-loop turn (and closes it).
inline void watchForDialog(bool& opened) {
    testsupport::whenModal([&opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->done(QDialog::Rejected);
        }
    });
}

template <class T> T* child(QDialog* dialog, const QString& name) {
    T* found = dialog->findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// "txtStr=45" types into a field, "cmbAttack=A" chooses an item of a list.
inline void enter(QDialog* dialog, const QStringList& inputs) {
    for (const QString& input : inputs) {
        const QString name = input.section(u'=', 0, 0);
        const QString value = input.section(u'=', 1);
        if (name.startsWith(u"cmb")) {
            auto* list = child<QComboBox>(dialog, name);
            QVERIFY2(list->findText(value) >= 0, qPrintable(input));
            list->setCurrentIndex(list->findText(value));
        } else {
            child<QLineEdit>(dialog, name)->setText(value);
        }
    }
}

inline void press(QDialog* dialog, const QString& button) {
    QTest::mouseClick(child<QWidget>(dialog, button), Qt::LeftButton);
}
