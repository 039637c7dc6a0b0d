#pragma once
// The weapon catalogue, the program's main window. A tab strip of weapon types filters the weapon
// list; two side lists hold the character profiles and the bonus sets for the whole run; the start
// button opens the simulator for the selected weapon. The window keeps the rows of all three lists
// as values in their models, hands the editors the values they change and the simulator what it
// needs through CatalogueAccess. The long jobs (refilling the weapon list, shutdown) run inside
// the loading window while the window is locked, and closing the window ends the run.

#include "catalogue/CatalogueAccess.h"
#include "catalogue/SideListModels.h"
#include "storage/Stores.h"

#include <QWidget>
#include <functional>

class QPushButton;
class QTabBar;
class ReportList;

class frmBuki : public QWidget, public CatalogueAccess {
    Q_OBJECT
public:
    // The dialogs this window opens, each handing back the value confirmed or nothing; tests put
    // their own in.
    struct Dialogs {
        std::function<std::optional<Profile>(QWidget*, storage::Connection&)> profileReg;
        std::function<std::optional<Profile>(QWidget*, storage::Connection&, const Profile&)>
            profileMod;
        std::function<std::optional<BonusSet>(QWidget*)> enchantReg;
        std::function<std::optional<BonusSet>(QWidget*, const BonusSet&)> enchantMod;
        std::function<void(QWidget*, const storage::Stores&, CatalogueAccess&)> simulator;
    };
    static Dialogs realDialogs();

    explicit frmBuki(const storage::Stores& stores, Dialogs dialogs = realDialogs());

    // Fills the tabs, the weapon list of the first tab and both side lists, centres the window
    // and shows it. Returns 0.
    qint16 intFormStart();

    // Disables every button, list and the tab strip (lists turn grey), and enables them again.
    void lockForm();
    void unlockForm();

    std::optional<Weapon> selectedWeapon() const override;
    std::optional<Profile> profileInUse() const override;
    BonusChoice bonusChoice() const override;
    QStringList bonusSetNames() const override;
    int bonusSetRowInUse() const override;
    void selectBonusSet(int row) override;
    void showWorkingCopy(const std::optional<Profile>& copy) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildSideLists();
    void buildWeaponList();
    void connectMouse();
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

    storage::Stores m_stores;
    Dialogs m_dialogs;
    WeaponCatalogue m_catalogue;
    WeaponListModel* m_weapons;
    ProfileListModel* m_profiles;
    BonusSetListModel* m_bonusSets;

    ReportList* lvwProfile = nullptr;
    QPushButton* cmdReg = nullptr;
    QPushButton* cmdMod = nullptr;
    QPushButton* cmdDel = nullptr;
    ReportList* lvwEnchant = nullptr;
    QPushButton* cmdRegEnchant = nullptr;
    QPushButton* cmdModEnchant = nullptr;
    QPushButton* cmdDelEnchant = nullptr;
    QTabBar* tabShurui = nullptr;
    ReportList* lvwBuki = nullptr;
    QPushButton* cmdSim = nullptr;
    QPushButton* cmdEnd = nullptr;

    bool blnBukiHit = false;
    bool blnProfileHit = false;
    bool blnEnchantHit = false;
    bool blnProfileChanged = false;
    bool blnEnchantChanged = false;
    bool m_shutDown = false;
};
