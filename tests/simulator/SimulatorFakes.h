#pragma once
// Stand-ins shared by the tests of the simulator's dialogs and exports: a catalogue with empty
// side lists, a simulation that records what a dialog asks of it, a file system whose final
// rename can be refused, and a double click as a user makes it.

#include "app/ReportList.h"
#include "app/RowListModel.h"
#include "catalogue/CatalogueAccess.h"
#include "simulator/SimulatorAccess.h"
#include "storage/FileSystem.h"

#include <QStringList>
#include <QTest>
#include <cerrno>

class FakeCatalogue : public CatalogueAccess {
public:
    qint16 selectedWeaponSeq() const override { return weaponSeq; }
    QString selectedWeaponName() const override { return QStringLiteral("ロングソード"); }
    RowListModel& profileList() override { return profiles; }
    int profileCurrentRow() const override { return -1; }
    bool profileCurrentSelected() const override { return false; }
    RowListModel& enchantList() override { return enchants; }
    int enchantCurrentRow() const override { return -1; }
    bool enchantCurrentSelected() const override { return false; }
    void selectEnchantRow(int) override {}

    qint16 weaponSeq = 1;
    RowListModel profiles;
    RowListModel enchants;
};

class FakeSimulator : public SimulatorAccess {
public:
    QWidget* window() override { return nullptr; }
    CatalogueAccess& catalogue() override { return fakeCatalogue; }
    bool setChangeSpace(qint16 seq) override {
        calls << QStringLiteral("change %1").arg(seq);
        return changeSucceeds;
    }
    bool ResetState(bool backup) override {
        calls << (backup ? QStringLiteral("reset for replay") : QStringLiteral("reset"));
        return true;
    }
    bool setStateRecovery(const QString& plan) override {
        calls << QStringLiteral("replay ") + plan;
        return replaySucceeds;
    }
    bool insertStatus() override { return true; }
    bool setCombatStatus(qint16) override { return true; }
    QString combatTypeTag() const override { return QStringLiteral("1"); }
    QString combatTypeCaption() const override { return QStringLiteral("アタック"); }
    QString attackRank() const override { return {}; }
    void setAttackRank(const QString&) override {}
    QString changeSpecTag() const override { return tag; }

    FakeCatalogue fakeCatalogue;
    QString tag = QStringLiteral("23");
    QStringList calls;
    bool changeSucceeds = true;
    bool replaySucceeds = true;
};

class RefusingFileSystem : public storage::FileSystem {
public:
    bool rename(const QByteArray& from, const QByteArray& to) override {
        if (refuse) {
            errno = EACCES;
            return false;
        }
        return FileSystem::rename(from, to);
    }

    bool refuse = false;
};

// Qt sends no press for the second click of a double click.
inline void doubleClick(ReportList* list, const QPoint& pos) {
    QWidget* viewport = list->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pos);
}
