#pragma once
// The character profile editor. Each start function opens a fresh modal dialog for one use, is
// handed the values it shows and hands back what the user confirmed, or nothing when the user
// cancelled or the dialog could not be offered (no skill rank in the master, a failed lookup;
// the user is told).
//
// The catalogue modes edit a whole profile. The simulator mode edits the simulation's working
// copy (not its name), the rank the weapon's skill uses and the bonus set in use.

#include "catalogue/SideListValues.h"

#include <QDialog>
#include <QStringList>
#include <optional>

class EntryFields;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace storage {
class Connection;
}

class frmProfile : public QDialog {
    Q_OBJECT
public:
    struct StatusInput {
        Profile working;
        QString rankInUse; // the rank the simulation uses for the weapon's skill
        bool melee = true; // the weapon's skill is アタック, else レンジ
        QStringList bonusSets;
        int bonusSetRow = 0;
    };
    struct StatusChoice {
        Profile working;
        QString rankInUse;
        int bonusSetRow = -1; // -1: no bonus set list to choose from
    };

    static std::optional<Profile> intFormStartReg(QWidget* owner, storage::Connection& db);
    static std::optional<Profile> intFormStartMod(QWidget* owner, storage::Connection& db,
                                                  const Profile& profile);
    static std::optional<StatusChoice> intFormStartChange(QWidget* owner, storage::Connection& db,
                                                          const StatusInput& input);

private:
    // The rank a drop-down list is to select: its sort number and the name it was asked for.
    struct RankChoice {
        QString sortNo;
        QString name;
    };

    frmProfile(QWidget* owner, storage::Connection& db);
    void buildStatusFrame();
    void buildSkillFrames();
    void layOut(bool simulatorMode);
    void fillFields(const Profile& profile);
    bool setAttackIndex(const QString& rank);
    bool setRangeIndex(const QString& rank);
    bool lookUpRank(const QString& rank, RankChoice& choice);
    // Fills the rank lists and shows the dialog; false when it was not shown.
    bool initForm();
    Profile enteredProfile(const Profile& base) const;
    void cmdOK_Click();

    storage::Connection& m_db;
    bool m_simulatorMode = false;
    RankChoice m_attack;
    RankChoice m_range;
    EntryFields* m_entry;

    QLineEdit* txtName;
    QLineEdit* txtStr;
    QLineEdit* txtInt;
    QLineEdit* txtDex;
    QLineEdit* txtWill;
    QLineEdit* txtLuck;
    QGroupBox* fraSkill;
    QComboBox* cmbAttack;
    QComboBox* cmbRange;
    QGroupBox* frmEnchant;
    QComboBox* cmbEnchant;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
