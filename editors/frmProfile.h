#pragma once
// The character profile editor. Each start function opens a fresh modal dialog for one use and
// returns 0 when confirmed, 1 when cancelled or when the dialog could not be offered (no skill
// rank in the master, a failed lookup; the user is told). Nothing is written in that case.
//
// The catalogue modes write a row of the profile list. The simulator mode edits the simulation's
// working copy (the row keyed "TEMP") and the bonus set in use, then recomputes the bonus row and
// the combat figures of the current step, whether the user confirmed or cancelled.

#include <QDialog>
#include <QString>

class CatalogueAccess;
class EntryFields;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class SimulatorAccess;
struct ListRow;

class frmProfile : public QDialog {
    Q_OBJECT
public:
    // Appends a new profile row to the catalogue's profile list.
    static qint16 intFormStartReg(QWidget* owner, CatalogueAccess& catalogue);
    // Rewrites the current row of the profile list.
    static qint16 intFormStartMod(QWidget* owner, CatalogueAccess& catalogue);
    // Edits the simulation's working copy ("TEMP") and the bonus set in use, then recomputes the
    // bonus row and the combat figures of the current step.
    static qint16 intFormStartChange(SimulatorAccess& simulator);

private:
    // The rank a drop-down list is to select: the position found in the rank table (as text, the
    // way the list's tag holds it) and the name it was asked for.
    struct RankChoice {
        QString tag;
        QString name;
    };

    explicit frmProfile(QWidget* owner);
    void layOut(bool simulatorMode);
    void fillFields(const ListRow& row);
    // False when the rank table could not be read (the user has been told).
    bool setAttackIndex(const QString& strAttackLank);
    bool setRangeIndex(const QString& strRangeLank);
    bool lookUpRank(const QString& rank, RankChoice& choice);
    // Fills the rank lists and shows the dialog; false when it could not be shown.
    bool initForm();
    void fillEnchantList(CatalogueAccess& catalogue);
    void writeRow(ListRow& row, bool withName) const;
    void recomputeStatus(SimulatorAccess& simulator);
    void cmdOK_Click();

    qint16 intOutcome = 0;
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
