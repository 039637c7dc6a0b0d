#include "catalogue/frmBuki.h"

#include "catalogue/SideListFrame.h"
#include "catalogue/SideListStore.h"
#include "editors/frmEnchant.h"
#include "editors/frmProfile.h"
#include "simulator/WorkTable.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"
#include "ui/ReportList.h"
#include "ui/Twips.h"
#include "ui/frmWait.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The weapon list's height, in twips like the column widths.
constexpr int BukiListHeight = 4500;

} // namespace

frmBuki::Dialogs frmBuki::realDialogs() {
    return {&frmProfile::intFormStartReg, &frmProfile::intFormStartMod,
            &frmEnchant::intFormStartReg, &frmEnchant::intFormStartMod,
            [](QWidget* owner, const storage::Stores& stores, CatalogueAccess& catalogue) {
                frmKaizo::intFormStart(owner, stores, catalogue);
            }};
}

frmBuki::frmBuki(const storage::Stores& stores, Dialogs dialogs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_stores(stores)
    , m_dialogs(std::move(dialogs))
    , m_catalogue(stores.database)
    , m_weapons(new WeaponListModel(this))
    , m_profiles(new ProfileListModel(this))
    , m_bonusSets(new BonusSetListModel(this)) {
    setObjectName(u"frmBuki"_s);
    setWindowTitle(ui::applicationTitle());
    setWindowIcon(QIcon(u":/zelnoa.png"_s));
    // Created in tab order, top to bottom.
    buildSideLists();
    buildWeaponList();
    // Fixed single border: the window takes exactly the size its parts ask for.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(tabShurui, &QTabBar::currentChanged, this, &frmBuki::tabShurui_Click);
    // A click on the tab already selected refills the list as well.
    connect(tabShurui, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == tabShurui->currentIndex())
            tabShurui_Click();
    });
    connect(cmdSim, &QPushButton::clicked, this, &frmBuki::cmdSim_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdReg, &QPushButton::clicked, this, &frmBuki::cmdReg_Click);
    connect(cmdMod, &QPushButton::clicked, this, &frmBuki::cmdMod_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmBuki::cmdDel_Click);
    connect(cmdRegEnchant, &QPushButton::clicked, this, &frmBuki::cmdRegEnchant_Click);
    connect(cmdModEnchant, &QPushButton::clicked, this, &frmBuki::cmdModEnchant_Click);
    connect(cmdDelEnchant, &QPushButton::clicked, this, &frmBuki::cmdDelEnchant_Click);
    connectMouse();
}

void frmBuki::buildSideLists() {
    auto* profiles = new SideListFrame(this, u"fraProfile"_s, u"lvwProfile"_s, QString(),
                                       u"キャラクター情報"_s, m_profiles);
    auto* bonusSets = new SideListFrame(this, u"Frame1"_s, u"lvwEnchant"_s, u"Enchant"_s,
                                        u"エンチャント＆タイトル補正"_s, m_bonusSets);
    lvwProfile = profiles->list;
    cmdReg = profiles->cmdReg;
    cmdMod = profiles->cmdMod;
    cmdDel = profiles->cmdDel;
    lvwEnchant = bonusSets->list;
    cmdRegEnchant = bonusSets->cmdReg;
    cmdModEnchant = bonusSets->cmdMod;
    cmdDelEnchant = bonusSets->cmdDel;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(profiles);
    layout->addWidget(bonusSets);
}

void frmBuki::buildWeaponList() {
    tabShurui = new QTabBar(this);
    tabShurui->setObjectName(u"tabShurui"_s);
    tabShurui->setExpanding(false);
    tabShurui->setUsesScrollButtons(true);
    const int all = tabShurui->addTab(u"全て"_s);
    tabShurui->setTabData(all, 0);
    tabShurui->setTabToolTip(all, u"全ての種類を表示"_s);
    lvwBuki = ui::makeList(this, u"lvwBuki"_s, u"ダブルクリックで選択できます。"_s, m_weapons);
    lvwBuki->setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
    lvwBuki->setFixedHeight(twipsToPixels(BukiListHeight));
    cmdSim =
        ui::makeButton(this, u"cmdSim"_s, u"開始(&S)"_s, u"選択した武器のゼルノアを開始します。"_s);
    cmdEnd = ui::makeButton(this, u"cmdEnd"_s, u"終了(&X)"_s, u"ゼルノアを終了します。"_s);

    auto* tabPage = new QVBoxLayout;
    tabPage->setSpacing(0);
    tabPage->addWidget(tabShurui);
    tabPage->addWidget(lvwBuki);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdSim);
    bottom->addStretch();
    bottom->addWidget(cmdEnd);
    auto* top = static_cast<QVBoxLayout*>(layout());
    top->addLayout(tabPage);
    top->addLayout(bottom);
}

void frmBuki::connectMouse() {
    // Only a left press on a row arms a double click, so double clicks on empty space or with
    // another button do nothing.
    const auto arm = [this](ReportList* list, bool frmBuki::*hit, void (frmBuki::*action)()) {
        connect(list, &ReportList::buttonPressed, this,
                [this, hit](Qt::MouseButton button, const QPoint&, bool onRow) {
                    this->*hit = button == Qt::LeftButton && onRow;
                });
        connect(list, &ReportList::listDoubleClicked, this, [this, hit, action] {
            if (this->*hit)
                (this->*action)();
        });
    };
    arm(lvwBuki, &frmBuki::blnBukiHit, &frmBuki::cmdSim_Click);
    arm(lvwProfile, &frmBuki::blnProfileHit, &frmBuki::cmdMod_Click);
    arm(lvwEnchant, &frmBuki::blnEnchantHit, &frmBuki::cmdModEnchant_Click);
}

qint16 frmBuki::intFormStart() {
    setShuruiData();
    tabShurui_Click();
    m_profiles->assignProfiles(sideListStore::loadProfiles(m_stores.settings));
    m_bonusSets->assignSets(sideListStore::loadBonusSets(m_stores.settings));
    adjustSize();
    QRect area = rect();
    area.moveCenter(screen()->availableGeometry().center());
    move(area.topLeft());
    show();
    return 0;
}

void frmBuki::setShuruiData() {
    const std::optional<std::vector<WeaponType>> types = m_catalogue.weaponTypes();
    if (!types) {
        showDatabaseFailure();
        return;
    }
    // The tabs are added while "全て" stays current, so no refill runs yet.
    for (const WeaponType& type : *types) {
        const int tab = tabShurui->addTab(ui::plainCaption(type.name));
        tabShurui->setTabData(tab, type.seq);
        tabShurui->setTabToolTip(tab, type.name + u"を表示します。"_s);
    }
}

void frmBuki::setBukiData() {
    const qint32 type = tabShurui->tabData(tabShurui->currentIndex()).toInt();
    const std::vector<Weapon>* weapons = m_catalogue.weapons(type);
    m_weapons->assign(weapons ? *weapons : std::vector<Weapon>());
    if (!weapons)
        showDatabaseFailure();
}

void frmBuki::showDatabaseFailure() {
    ui::msgBox(this, messages::DatabaseFailed, ui::Buttons::Ok, ui::Icon::Critical);
}

void frmBuki::lockForm() {
    setEnabledControls(false);
}

void frmBuki::unlockForm() {
    setEnabledControls(true);
}

void frmBuki::setEnabledControls(bool blnEnabled) {
    // A disabled list draws itself on the button face colour, so a locked window shows grey lists.
    for (QWidget* control : std::initializer_list<QWidget*>{
             lvwProfile, cmdReg, cmdDel, cmdMod, lvwEnchant, cmdRegEnchant, cmdDelEnchant,
             cmdModEnchant, tabShurui, lvwBuki, cmdSim, cmdEnd})
        control->setEnabled(blnEnabled);
}

void frmBuki::tabShurui_Click() {
    lockForm();
    frmWait wait(this);
    wait.setBukiData([this] { setBukiData(); });
    wait.exec();
    unlockForm();
}

void frmBuki::cmdSim_Click() {
    lockForm();
    if (lvwBuki->rowCount() == 0)
        ui::msgBox(this, messages::NoWeapons);
    else if (lvwBuki->selectedCurrentRow() < 0)
        ui::msgBox(this, messages::NotSelected);
    else if (!workTable::WorkTable(m_stores.database).clear())
        showDatabaseFailure();
    else
        m_dialogs.simulator(this, m_stores, *this);
    unlockForm();
}

void frmBuki::cmdReg_Click() {
    lockForm();
    if (const std::optional<Profile> profile = m_dialogs.profileReg(this, m_stores.database)) {
        m_profiles->append({*profile});
        blnProfileChanged = true;
    }
    unlockForm();
}

void frmBuki::cmdMod_Click() {
    if (lvwProfile->rowCount() == 0) {
        ui::msgBox(this, messages::NoItems);
        return;
    }
    const int row = lvwProfile->selectedCurrentRow();
    if (row < 0) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    lockForm();
    const Profile& current = m_profiles->row(row).profile;
    if (const auto edited = m_dialogs.profileMod(this, m_stores.database, current)) {
        m_profiles->replace(row, {*edited});
        blnProfileChanged = true;
    }
    unlockForm();
    lvwProfile->setCurrentRow(row);
}

void frmBuki::cmdDel_Click() {
    if (lvwProfile->rowCount() == 0) {
        ui::msgBox(this, messages::NoModifications);
        return;
    }
    // Without any current row there is nothing to check or remove: the delete ends silently.
    const int row = lvwProfile->currentRow();
    if (row < 0)
        return;
    if (!lvwProfile->isRowSelected(row)) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    m_profiles->remove(row);
    blnProfileChanged = true;
}

void frmBuki::cmdRegEnchant_Click() {
    lockForm();
    if (const std::optional<BonusSet> set = m_dialogs.enchantReg(this)) {
        m_bonusSets->append({*set});
        blnEnchantChanged = true;
    }
    unlockForm();
}

void frmBuki::cmdModEnchant_Click() {
    const int row = lvwEnchant->currentRow();
    if (m_bonusSets->isFixedRow(row)) {
        ui::msgBox(this, messages::FixedRowNotEditable);
        return;
    }
    if (!lvwEnchant->isRowSelected(row)) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    lockForm();
    if (const auto edited = m_dialogs.enchantMod(this, *m_bonusSets->row(row).set)) {
        m_bonusSets->replace(row, {*edited});
        blnEnchantChanged = true;
    }
    unlockForm();
}

void frmBuki::cmdDelEnchant_Click() {
    if (lvwEnchant->rowCount() < 2) {
        ui::msgBox(this, messages::NothingToDelete);
        return;
    }
    const int row = lvwEnchant->currentRow();
    if (row < 0)
        return;
    if (m_bonusSets->isFixedRow(row)) {
        ui::msgBox(this, messages::FixedRowNotDeletable);
        return;
    }
    if (!lvwEnchant->isRowSelected(row)) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    m_bonusSets->remove(row);
    blnEnchantChanged = true;
}

void frmBuki::closeEvent(QCloseEvent* event) {
    // The close is never refused; the shutdown job runs once.
    event->accept();
    if (m_shutDown)
        return;
    m_shutDown = true;
    lockForm();
    repaint();
    frmWait wait(this);
    wait.endApp([this] { endApp(); });
    wait.exec();
    unlockForm();
    QCoreApplication::exit(0);
}

// The shutdown job: closes the database, then saves each side list that was changed (also after
// a failed close, since the lists live in the settings file, not in the database).
void frmBuki::endApp() {
    if (!m_stores.database.close())
        ui::msgBox(this, messages::DatabaseCloseFailed, ui::Buttons::Ok, ui::Icon::Critical);
    if (!blnProfileChanged && !blnEnchantChanged)
        return;
    const std::vector<Profile> profiles = m_profiles->savedProfiles();
    const std::vector<BonusSet> sets = m_bonusSets->savedSets();
    ui::showSaveFailure(this, sideListStore::save(m_stores.settings,
                                                  blnProfileChanged ? &profiles : nullptr,
                                                  blnEnchantChanged ? &sets : nullptr));
}

std::optional<Weapon> frmBuki::selectedWeapon() const {
    const int row = lvwBuki->currentRow();
    return row < 0 ? std::nullopt : std::optional(m_weapons->row(row));
}

std::optional<Profile> frmBuki::profileInUse() const {
    const int row = lvwProfile->selectedCurrentRow();
    if (row < 0 || m_profiles->row(row).workingCopy)
        return std::nullopt;
    return m_profiles->row(row).profile;
}

BonusChoice frmBuki::bonusChoice() const {
    const int current = lvwEnchant->currentRow();
    const int selected = lvwEnchant->selectedCurrentRow();
    return {m_bonusSets->rowName(current),
            selected >= 0 ? m_bonusSets->row(selected).set : std::nullopt};
}

QStringList frmBuki::bonusSetNames() const {
    QStringList names;
    for (int row = 0; row < m_bonusSets->count(); ++row)
        names.append(m_bonusSets->rowName(row));
    return names;
}

int frmBuki::bonusSetRowInUse() const {
    // The current row only counts while it is highlighted; otherwise no set applies, which the
    // fixed first row stands for.
    return std::max(lvwEnchant->selectedCurrentRow(), 0);
}

void frmBuki::selectBonusSet(int row) {
    lvwEnchant->setCurrentRow(row);
}

void frmBuki::showWorkingCopy(const std::optional<Profile>& copy) {
    m_profiles->setWorkingCopy(copy);
}
