#pragma once
// The enchant and title bonus set editor. Each start function opens a fresh modal dialog for one
// use and returns 0 when confirmed, 1 when cancelled.
//
// The combat bonuses are stored exactly as typed once they pass the range check; the statistics
// are stored as number text; the two "～" columns of the row are derived from the bounds.

#include <QDialog>

class CatalogueAccess;
class EntryFields;
class QLineEdit;
class QPushButton;
struct ListRow;

class frmEnchant : public QDialog {
    Q_OBJECT
public:
    // Appends a new bonus set row to the catalogue's bonus set list.
    static qint16 intFormStartReg(QWidget* owner, CatalogueAccess& catalogue);
    // Rewrites the current row of the bonus set list (never the fixed first row).
    static qint16 intFormStartMod(QWidget* owner, CatalogueAccess& catalogue);

private:
    explicit frmEnchant(QWidget* owner);
    void fillFields(const ListRow& row);
    void initForm();
    void writeRow(ListRow& row) const;
    void cmdOK_Click();

    qint16 intOutcome = 0;
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
