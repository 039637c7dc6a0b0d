#pragma once
// The enchant and title bonus set editor. Each start function opens a fresh modal dialog for one
// use and hands back the set as confirmed, or nothing when the user cancelled.
//
// The combat bonuses are stored exactly as typed once they pass the range check; the statistics
// are stored as number text; the two "～" columns of the row are derived from the bounds.

#include "catalogue/SideListValues.h"

#include <QDialog>
#include <optional>

class EntryFields;
class QLineEdit;
class QPushButton;

class frmEnchant : public QDialog {
    Q_OBJECT
public:
    static std::optional<BonusSet> intFormStartReg(QWidget* owner);
    static std::optional<BonusSet> intFormStartMod(QWidget* owner, const BonusSet& set);

private:
    explicit frmEnchant(QWidget* owner);
    void buildStatusFrame();
    void buildCombatFrame();
    void fillFields(const BonusSet& set);
    // Shows the dialog; the set as entered on top of base, or nothing when cancelled.
    std::optional<BonusSet> initForm(const BonusSet& base);
    void cmdOK_Click();

    EntryFields* m_entry;

    QLineEdit* txtName;
    QLineEdit* txtStr;
    QLineEdit* txtInt;
    QLineEdit* txtDex;
    QLineEdit* txtWill;
    QLineEdit* txtLuck;
    QLineEdit* txtMinDamage;
    QLineEdit* txtMaxDamage;
    QLineEdit* txtMinWounds;
    QLineEdit* txtMaxWounds;
    QLineEdit* txtCritical;
    QLineEdit* txtBalance;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
