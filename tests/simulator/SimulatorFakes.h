#pragma once
// Stand-ins shared by the simulator's window tests: a catalogue holding the side lists, a
// simulation that records what a dialog asks of it, a file system whose final rename can be
// refused, the simulator window on the fixture master, and steps played inside a dialog.

#include "app/ReportList.h"
#include "app/RowListModel.h"
#include "catalogue/CatalogueAccess.h"
#include "simulator/SimulatorAccess.h"
#include "simulator/frmKaizo.h"
#include "storage/FileSystem.h"

#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <cerrno>
#include <memory>

// The enchant list starts with its fixed row, current and highlighted.
class FakeCatalogue : public CatalogueAccess {
public:
    FakeCatalogue() {
        enchants.append({QStringLiteral("使用なし"), {}, {}, QStringLiteral("消せません")});
    }
    qint16 selectedWeaponSeq() const override { return weaponSeq; }
    QString selectedWeaponName() const override { return weaponName; }
    RowListModel& profileList() override { return profiles; }
    int profileCurrentRow() const override { return profileRow; }
    bool profileCurrentSelected() const override { return profileRow >= 0; }
    RowListModel& enchantList() override { return enchants; }
    int enchantCurrentRow() const override { return enchantRow; }
    bool enchantCurrentSelected() const override { return true; }
    void selectEnchantRow(int row) override { enchantRow = row; }
    // Appends a profile row made of cells and makes it current.
    void addProfile(const QStringList& cells) {
        ListRow row;
        for (int i = 0; i < cells.size(); ++i)
            row.setCell(i, cells[i]);
        profileRow = profiles.append(row);
    }

    qint16 weaponSeq = 1;
    QString weaponName = QStringLiteral("ロングソード");
    RowListModel profiles;
    RowListModel enchants;
    int profileRow = -1;
    int enchantRow = 0;
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
        if (!refuse)
            return FileSystem::rename(from, to);
        errno = EACCES;
        return false;
    }
    bool refuse = false;
};

// The simulator window over a fake catalogue, shown, its controls found by object name.
struct KaizoWindow {
    // Closes the window open before, if any; false when the start failed.
    bool open(qint16 weapon = 1, frmKaizo::Hooks hooks = {});
    template <typename T = QLabel> T* child(const char* name) const {
        return win->findChild<T*>(QLatin1String(name));
    }
    QString text(const char* label) const { return child(label)->text(); }
    QStringList texts(std::initializer_list<const char*> labels) const;
    void click(const char* button) const { child<QPushButton>(button)->click(); }
    ReportList* list() const { return child<ReportList>("lvwKaizo"); }
    QString frame() const;
    QString plan() const { return win->simulation().plan(); }
    // Clicks the row of the modification list, then the modification button.
    void apply(int row) const;

    FakeCatalogue catalogue;
    std::unique_ptr<frmKaizo> win;
};

// Plays comma-separated steps in the next modal dialog: "@3" makes row 3 current, "cmdOK" clicks
// that button, "Enter" and "Esc" are pressed in the list, "close" uses the close box, "dbl3"
// double-clicks row 3 and "dbl-" the space below the rows, "=text" types the name. Steps stop
// once the dialog closes; one still open afterwards fails the test. The flag tells whether a
// dialog opened at all.
std::shared_ptr<bool> playInDialog(const QString& steps);
