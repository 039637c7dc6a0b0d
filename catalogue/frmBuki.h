#pragma once
// The weapon catalogue, the program's main window. A tab strip of weapon types filters the weapon
// list; two side lists hold the character profiles and the bonus sets for the whole run; the start
// button opens the simulator for the selected weapon. The window owns the rows of all three lists
// and hands them to the simulator and the editors through CatalogueAccess. The long jobs (refilling
// the weapon list, shutdown) run inside the loading window while the window is locked, and closing
// the window ends the run.

#include "catalogue/CatalogueAccess.h"

#include <QWidget>
#include <functional>

class QPushButton;
class QTabBar;
class ReportList;
class RowListModel;

class frmBuki : public QWidget, public CatalogueAccess {
    Q_OBJECT
public:
    // The start functions of the dialogs this window opens; each returns 1 when cancelled.
    // Tests put their own in.
    struct Dialogs {
        std::function<qint16(QWidget*, CatalogueAccess&)> profileReg;
        std::function<qint16(QWidget*, CatalogueAccess&)> profileMod;
        std::function<qint16(QWidget*, CatalogueAccess&)> enchantReg;
        std::function<qint16(QWidget*, CatalogueAccess&)> enchantMod;
        std::function<qint16(CatalogueAccess&, QWidget*)> simulator;
    };
    static Dialogs realDialogs();

    explicit frmBuki(QWidget* parent = nullptr);

    // Fills the columns, the tabs, the weapon list of the first tab and both side lists, centres
    // the window and shows it. Returns 0.
    qint16 intFormStart();

    // Disables every button, list and the tab strip (lists turn grey), and enables them again.
    void lockForm();
    void unlockForm();

    void setDialogs(Dialogs dialogs);

    qint16 selectedWeaponSeq() const override;
    QString selectedWeaponName() const override;
    RowListModel& profileList() override;
    int profileCurrentRow() const override;
    bool profileCurrentSelected() const override;
    RowListModel& enchantList() override;
    int enchantCurrentRow() const override;
    bool enchantCurrentSelected() const override;
    void selectEnchantRow(int row) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createColumn();
    void setShuruiData();
    void setBukiData();
    void setEnabledControls(bool blnEnabled);
    void endApp();
    void showDatabaseFailure();

    void tabShurui_Click();
    void cmdSim_Click();
    void cmdReg_Click();
    void cmdMod_Click();
    void cmdDel_Click();
    void cmdRegEnchant_Click();
    void cmdModEnchant_Click();
    void cmdDelEnchant_Click();

    RowListModel* m_bukiRows;
    RowListModel* m_profileRows;
    RowListModel* m_enchantRows;

    ReportList* lvwProfile;
    QPushButton* cmdReg;
    QPushButton* cmdMod;
    QPushButton* cmdDel;
    ReportList* lvwEnchant;
    QPushButton* cmdRegEnchant;
    QPushButton* cmdModEnchant;
    QPushButton* cmdDelEnchant;
    QTabBar* tabShurui;
    ReportList* lvwBuki;
    QPushButton* cmdSim;
    QPushButton* cmdEnd;

    Dialogs m_dialogs;
    bool blnBukiHit = false;
    bool blnProfileHit = false;
    bool blnEnchantHit = false;
    bool blnProfileChanged = false;
    bool blnEnchantChanged = false;
    bool m_shutDown = false;
};
