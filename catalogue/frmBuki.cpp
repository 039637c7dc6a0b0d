#include "catalogue/frmBuki.h"

#include "app/MessageBox.h"
#include "app/ReportList.h"
#include "app/RowListModel.h"
#include "app/Twips.h"
#include "app/frmWait.h"
#include "app/modMain.h"
#include "catalogue/SideLists.h"
#include "editors/frmEnchant.h"
#include "editors/frmProfile.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

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

const QString NoWeapons = u"武器項目なす"_s;
const QString NotSelected = u"選択されてなす"_s;
const QString NoProfiles = u"項目なす"_s;
const QString NothingToDeleteProfile = u"改造項目なす"_s;
const QString NothingToDeleteEnchant = u"削除対象なす(´・ω・)"_s;
const QString FixedRowNotDeletable = u"これは消せないのです(´・ω・)"_s;
const QString FixedRowNotEditable = u"これは規定値なのだよ(´・ω・)"_s;
const QString DatabaseFailed = u"データベースの処理に失敗しました。"_s;

// Sizes of the window's parts, in twips like the column widths.
constexpr int SideListWidth = 10650;
constexpr int SideListHeight = 1600;
constexpr int BukiListHeight = 4500;
constexpr int ButtonWidth = 1500;

std::vector<ColumnSpec> bukiColumns() {
    const std::pair<QString, int> columns[] = {
        {u"武器名"_s, 1800},       {u"ダメージ"_s, 900},  {u"負傷率"_s, 900},
        {u"クリティカル"_s, 1100}, {u"バランス"_s, 900},  {u"射程"_s, 600},
        {u"耐久"_s, 600},          {u"攻撃速度"_s, 1000}, {u"HIT数"_s, 700}};
    std::vector<ColumnSpec> result;
    for (const auto& [caption, twips] : columns)
        result.push_back({caption, twips, result.empty() ? Qt::AlignLeft : Qt::AlignHCenter});
    return result;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

ReportList* makeList(QWidget* parent, const QString& name, const QString& toolTip) {
    auto* list = new ReportList(parent);
    list->setObjectName(name);
    list->setToolTip(toolTip);
    return list;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& toolTip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    // Enter presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    return button;
}

// A side-list frame: the list fills the left part, its three buttons stand one above the other at
// its right.
void arrangeSideFrame(QGroupBox* frame, ReportList* list,
                      std::initializer_list<QPushButton*> buttons) {
    list->setFixedSize(twipsToPixels(SideListWidth), twipsToPixels(SideListHeight));
    auto* buttonColumn = new QVBoxLayout;
    for (QPushButton* button : buttons) {
        button->setFixedWidth(twipsToPixels(ButtonWidth));
        buttonColumn->addWidget(button);
    }
    buttonColumn->addStretch();
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(list);
    layout->addLayout(buttonColumn);
}

qint16 toInteger(const QString& text) {
    return numberText::toInt16(numberText::readLenient(text));
}

} // namespace

frmBuki::Dialogs frmBuki::realDialogs() {
    return {&frmProfile::intFormStartReg, &frmProfile::intFormStartMod,
            &frmEnchant::intFormStartReg, &frmEnchant::intFormStartMod,
            [](CatalogueAccess& catalogue, QWidget* owner) {
                return frmKaizo::intFormStart(catalogue, owner);
            }};
}

frmBuki::frmBuki(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_bukiRows(new RowListModel(this))
    , m_profileRows(new RowListModel(this))
    , m_enchantRows(new RowListModel(this))
    , m_dialogs(realDialogs()) {
    setObjectName(u"frmBuki"_s);
    setWindowTitle(ui::applicationTitle());
    setWindowIcon(QIcon(u":/zelnoa.png"_s));

    // Created in tab order, top to bottom.
    QGroupBox* fraProfile = makeFrame(this, u"fraProfile"_s, u"キャラクター情報"_s);
    lvwProfile = makeList(fraProfile, u"lvwProfile"_s,
                          u"ダブルクリックでキャラクター情報を編集できます。"_s);
    cmdReg = makeButton(fraProfile, u"cmdReg"_s, u"新規登録(&R)"_s,
                        u"キャラクター情報を新規登録します。"_s);
    cmdMod = makeButton(fraProfile, u"cmdMod"_s, u"編集(&M)"_s,
                        u"選択したキャラクター情報を編集します。"_s);
    cmdDel = makeButton(fraProfile, u"cmdDel"_s, u"削除(&D)"_s,
                        u"選択したキャラクター情報を削除します。"_s);
    arrangeSideFrame(fraProfile, lvwProfile, {cmdReg, cmdMod, cmdDel});

    QGroupBox* frame1 = makeFrame(this, u"Frame1"_s, u"エンチャント＆タイトル補正"_s);
    lvwEnchant = makeList(frame1, u"lvwEnchant"_s,
                          u"ダブルクリックでエンチャント＆タイトル補正を編集できます。"_s);
    cmdRegEnchant = makeButton(frame1, u"cmdRegEnchant"_s, u"新規登録(&R)"_s,
                               u"エンチャント＆タイトル補正を新規登録します。"_s);
    cmdModEnchant = makeButton(frame1, u"cmdModEnchant"_s, u"編集(&M)"_s,
                               u"選択したエンチャント＆タイトル補正を編集します。"_s);
    cmdDelEnchant = makeButton(frame1, u"cmdDelEnchant"_s, u"削除(&D)"_s,
                               u"選択したエンチャント＆タイトル補正を削除します。"_s);
    arrangeSideFrame(frame1, lvwEnchant, {cmdRegEnchant, cmdModEnchant, cmdDelEnchant});

    tabShurui = new QTabBar(this);
    tabShurui->setObjectName(u"tabShurui"_s);
    tabShurui->setExpanding(false);
    tabShurui->setUsesScrollButtons(true);
    const int all = tabShurui->addTab(u"全て"_s);
    tabShurui->setTabData(all, u"0"_s);
    tabShurui->setTabToolTip(all, u"全ての種類を表示"_s);
    lvwBuki = makeList(this, u"lvwBuki"_s, u"ダブルクリックで選択できます。"_s);
    lvwBuki->setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
    lvwBuki->setFixedHeight(twipsToPixels(BukiListHeight));

    cmdSim =
        makeButton(this, u"cmdSim"_s, u"開始(&S)"_s, u"選択した武器のゼルノアを開始します。"_s);
    cmdEnd = makeButton(this, u"cmdEnd"_s, u"終了(&X)"_s, u"ゼルノアを終了します。"_s);

    auto* tabPage = new QVBoxLayout;
    tabPage->setSpacing(0);
    tabPage->addWidget(tabShurui);
    tabPage->addWidget(lvwBuki);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdSim);
    bottom->addStretch();
    bottom->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraProfile);
    layout->addWidget(frame1);
    layout->addLayout(tabPage);
    layout->addLayout(bottom);
    // Fixed single border: the window takes exactly the size its parts ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(tabShurui, &QTabBar::currentChanged, this, &frmBuki::tabShurui_Click);
    connect(cmdSim, &QPushButton::clicked, this, &frmBuki::cmdSim_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdReg, &QPushButton::clicked, this, &frmBuki::cmdReg_Click);
    connect(cmdMod, &QPushButton::clicked, this, &frmBuki::cmdMod_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmBuki::cmdDel_Click);
    connect(cmdRegEnchant, &QPushButton::clicked, this, &frmBuki::cmdRegEnchant_Click);
    connect(cmdModEnchant, &QPushButton::clicked, this, &frmBuki::cmdModEnchant_Click);
    connect(cmdDelEnchant, &QPushButton::clicked, this, &frmBuki::cmdDelEnchant_Click);

    // Only a left press on a row arms a double click, so double clicks on empty space or with
    // another button do nothing.
    const auto arm = [this](ReportList* list, bool frmBuki::*hit) {
        connect(list, &ReportList::buttonPressed, this,
                [this, hit](Qt::MouseButton button, const QPoint&, bool onRow) {
                    this->*hit = button == Qt::LeftButton && onRow;
                });
    };
    arm(lvwBuki, &frmBuki::blnBukiHit);
    arm(lvwProfile, &frmBuki::blnProfileHit);
    arm(lvwEnchant, &frmBuki::blnEnchantHit);
    connect(lvwBuki, &ReportList::listDoubleClicked, this, [this] {
        if (blnBukiHit)
            cmdSim_Click();
    });
    connect(lvwProfile, &ReportList::listDoubleClicked, this, [this] {
        if (blnProfileHit)
            cmdMod_Click();
    });
    connect(lvwEnchant, &ReportList::listDoubleClicked, this, [this] {
        if (blnEnchantHit)
            cmdModEnchant_Click();
    });
}

qint16 frmBuki::intFormStart() {
    createColumn();
    setShuruiData();
    tabShurui_Click();
    sideLists::setProfileList(*m_profileRows, *m_enchantRows);
    adjustSize();
    QRect area = rect();
    area.moveCenter(screen()->availableGeometry().center());
    move(area.topLeft());
    show();
    return 0;
}

void frmBuki::setDialogs(Dialogs dialogs) {
    m_dialogs = std::move(dialogs);
}

void frmBuki::createColumn() {
    m_bukiRows->setColumns(bukiColumns());
    lvwBuki->setRowModel(m_bukiRows);
    m_profileRows->setColumns(sideLists::profileColumns());
    lvwProfile->setRowModel(m_profileRows);
    m_enchantRows->setColumns(sideLists::enchantColumns());
    lvwEnchant->setRowModel(m_enchantRows);
}

void frmBuki::setShuruiData() {
    storage::Recordset& rs = storage::rsShared();
    if (!rs.open(modDBAccess::strGetShuruiList())) {
        showDatabaseFailure();
        return;
    }
    // The tabs are added while "全て" stays current, so no refill runs yet.
    for (; !rs.eof(); rs.moveNext()) {
        const int tab = tabShurui->addTab(rs.text(1));
        tabShurui->setTabData(tab, rs.text(0));
        tabShurui->setTabToolTip(tab, rs.text(1) + u"を表示します。"_s);
    }
    rs.close();
}

void frmBuki::setBukiData() {
    // Built aside and handed over in one reset: a refill of thousands of rows stays one step for
    // the view.
    std::vector<ListRow> rows;
    storage::Recordset& rs = storage::rsShared();
    const qint16 shurui = toInteger(tabShurui->tabData(tabShurui->currentIndex()).toString());
    if (!rs.open(modDBAccess::strGetBukiList(shurui))) {
        m_bukiRows->clear();
        showDatabaseFailure();
        return;
    }
    const int damage = rs.position(u"DAMAGE");
    const int wounds = rs.position(u"WOUNDS");
    const int speed = rs.position(u"SPEED");
    const int hit = rs.position(u"HIT");
    for (; !rs.eof(); rs.moveNext()) {
        ListRow& row = rows.emplace_back();
        row.tag = rs.text(0);
        row.text = rs.text(1);
        row.subItems = {rs.text(damage), rs.text(wounds), rs.text(4),     rs.text(5),
                        rs.text(6),      rs.text(7),      rs.text(speed), rs.text(hit)};
    }
    const bool failed = !rs.lastError().isEmpty();
    rs.close();
    m_bukiRows->assign(std::move(rows));
    if (failed)
        showDatabaseFailure();
}

void frmBuki::showDatabaseFailure() {
    ui::msgBox(this, DatabaseFailed, ui::Buttons::Ok, ui::Icon::Critical);
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
    if (lvwBuki->rowCount() == 0) {
        ui::msgBox(this, NoWeapons);
    } else if (lvwBuki->selectedCurrentRow() < 0) {
        ui::msgBox(this, NotSelected);
    } else if (!storage::rsShared().open(modDBAccess::strDeleteWork(QString()))) {
        showDatabaseFailure();
    } else {
        m_dialogs.simulator(*this, this);
    }
    unlockForm();
}

void frmBuki::cmdReg_Click() {
    lockForm();
    if (m_dialogs.profileReg(this, *this) != 1)
        blnProfileChanged = true;
    unlockForm();
}

void frmBuki::cmdMod_Click() {
    if (lvwProfile->rowCount() == 0) {
        ui::msgBox(this, NoProfiles);
        return;
    }
    const int row = lvwProfile->selectedCurrentRow();
    if (row < 0) {
        ui::msgBox(this, NotSelected);
        return;
    }
    lockForm();
    if (m_dialogs.profileMod(this, *this) != 1)
        blnProfileChanged = true;
    unlockForm();
    lvwProfile->setCurrentRow(row);
}

void frmBuki::cmdDel_Click() {
    if (lvwProfile->rowCount() == 0) {
        ui::msgBox(this, NothingToDeleteProfile);
        return;
    }
    // Without any current row there is nothing to check or remove: the delete ends silently.
    const int row = lvwProfile->currentRow();
    if (row < 0)
        return;
    if (!lvwProfile->isRowSelected(row)) {
        ui::msgBox(this, NotSelected);
        return;
    }
    m_profileRows->remove(row);
    blnProfileChanged = true;
}

void frmBuki::cmdRegEnchant_Click() {
    lockForm();
    if (m_dialogs.enchantReg(this, *this) != 1)
        blnEnchantChanged = true;
    unlockForm();
}

void frmBuki::cmdModEnchant_Click() {
    const int row = lvwEnchant->currentRow();
    if (row >= 0 && m_enchantRows->row(row).key == sideLists::FixedEnchantKey) {
        ui::msgBox(this, FixedRowNotEditable);
        return;
    }
    if (!lvwEnchant->isRowSelected(row)) {
        ui::msgBox(this, NotSelected);
        return;
    }
    lockForm();
    if (m_dialogs.enchantMod(this, *this) != 1)
        blnEnchantChanged = true;
    unlockForm();
}

void frmBuki::cmdDelEnchant_Click() {
    if (lvwEnchant->rowCount() < 2) {
        ui::msgBox(this, NothingToDeleteEnchant);
        return;
    }
    const int row = lvwEnchant->currentRow();
    if (row < 0)
        return;
    if (m_enchantRows->row(row).key == sideLists::FixedEnchantKey) {
        ui::msgBox(this, FixedRowNotDeletable);
        return;
    }
    if (!lvwEnchant->isRowSelected(row)) {
        ui::msgBox(this, NotSelected);
        return;
    }
    m_enchantRows->remove(row);
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

void frmBuki::endApp() {
    modMain::endApp(this, *m_profileRows, blnProfileChanged, *m_enchantRows, blnEnchantChanged);
}

qint16 frmBuki::selectedWeaponSeq() const {
    const int row = lvwBuki->currentRow();
    return row < 0 ? 0 : toInteger(m_bukiRows->row(row).tag);
}

QString frmBuki::selectedWeaponName() const {
    const int row = lvwBuki->currentRow();
    return row < 0 ? QString() : m_bukiRows->row(row).text;
}

RowListModel& frmBuki::profileList() {
    return *m_profileRows;
}

int frmBuki::profileCurrentRow() const {
    return lvwProfile->currentRow();
}

bool frmBuki::profileCurrentSelected() const {
    return lvwProfile->isRowSelected(lvwProfile->currentRow());
}

RowListModel& frmBuki::enchantList() {
    return *m_enchantRows;
}

int frmBuki::enchantCurrentRow() const {
    return lvwEnchant->currentRow();
}

bool frmBuki::enchantCurrentSelected() const {
    return lvwEnchant->isRowSelected(lvwEnchant->currentRow());
}

void frmBuki::selectEnchantRow(int row) {
    lvwEnchant->setCurrentRow(row);
}
