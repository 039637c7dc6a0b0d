#include "simulator/frmKaizo.h"

#include "app/MessageBox.h"
#include "app/ReportList.h"
#include "app/Twips.h"
#include "catalogue/CatalogueAccess.h"
#include "editors/frmProfile.h"
#include "simulator/Clipboard.h"
#include "simulator/ClipboardText.h"
#include "simulator/CombatCalc.h"
#include "simulator/WorkTable.h"
#include "simulator/frmBukiSpec.h"
#include "simulator/frmSaveDialog.h"
#include "storage/NumberText.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const char* const kTag = "tag";

QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& caption = {}) {
    auto* label = new QLabel(caption, parent);
    if (!objectName.isEmpty())
        label->setObjectName(objectName);
    return label;
}

// A figure followed directly by its bonus mark.
QHBoxLayout* figureWithMark(QLabel* figure, QLabel* mark) {
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    figure->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    row->addWidget(figure);
    row->addWidget(mark);
    row->addStretch(1);
    return row;
}

template <std::size_t N>
void setTexts(const std::array<QLabel*, N>& labels, const std::array<QString, N>& texts) {
    for (std::size_t i = 0; i < N; ++i)
        labels[i]->setText(texts[i]);
}

QString range(double low, double high) {
    return combatCalc::text(low) + u'～' + combatCalc::text(high);
}

} // namespace

frmKaizo::frmKaizo(CatalogueAccess& catalogue, QWidget* owner, Hooks hooks)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint)
    , m_catalogue(catalogue)
    , m_hooks(std::move(hooks)) {
    setObjectName(u"frmKaizo"_s);
    if (!m_hooks.bukiSpec)
        m_hooks.bukiSpec = &frmBukiSpec::intFormStartChange;
    if (!m_hooks.profile)
        m_hooks.profile = [](SimulatorAccess& sim) {
            frmProfile::intFormStartChange(sim);
        };
    buildWindow();
    // Key preview: the window sees every key of its controls first.
    qApp->installEventFilter(this);
}

frmKaizo::~frmKaizo() {
    qApp->removeEventFilter(this);
}

qint16 frmKaizo::intFormStart(CatalogueAccess& catalogue, QWidget* owner, Hooks hooks) {
    frmKaizo window(catalogue, owner, std::move(hooks));
    return window.intFormStart();
}

qint16 frmKaizo::intFormStart() {
    if (prepare())
        exec();
    deleteTmpItem();
    return 0;
}

bool frmKaizo::prepare() {
    lvwKaizo->setToolTip(u"ダブルクリックで選択できます。"_s);
    createColumn();

    bool started = m_sim.load(m_catalogue.selectedWeaponSeq(), m_catalogue.selectedWeaponName());
    if (started) {
        const bool melee = m_sim.combatType() == 1;
        lblCombatType->setText(melee ? u"アタック"_s : u"レンジ"_s);
        lblCombatType->setProperty(kTag, melee ? u"1"_s : u"2"_s);
        started =
            setPersonalData() && setChangeSpace(Simulation::DefaultChangeSpec) && ResetState(false);
    }
    if (!started) {
        ui::msgBox(parentWidget(),
                   u"データベースの処理に失敗しました。改造計算画面を開けません。"_s,
                   ui::Buttons::Ok, ui::Icon::Critical);
        return false;
    }
    setWindowTitle(u"武器改造 - "_s + m_sim.bukiName());
    return true;
}

void frmKaizo::buildWindow() {
    auto button = [this](const QString& name, const QString& caption, const QString& tip = {}) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        // Enter presses the button that has the focus; elsewhere it presses cmdKaizo.
        b->setAutoDefault(true);
        b->setToolTip(tip);
        return b;
    };
    cmdList = button(u"cmdList"_s, u"リスト出力"_s);
    cmdKaizo = button(
        u"cmdKaizo"_s, u"改造(&U)"_s,
        u"選択した改造を施します。武器性能表示域に改造内容が反映され、U/Gが一段階進行します。"_s);
    cmdKaizo->setDefault(true);
    cmdBack = button(u"cmdBack"_s, u"戻す(&B)"_s, u"U/Gを1段階戻します。"_s);
    cmdReset = button(u"cmdReset"_s, u"リセット(&R)"_s, u"未改造状態まで戻します。"_s);
    cmdBukiSpec = button(u"cmdBukiSpec"_s, u"武器性能(&W)"_s,
                         u"鍛冶品・ドロップ品等の初期性能変化を設定します。"_s);
    cmdMod = button(u"cmdMod"_s, u"ステータス(&T)"_s,
                    u"キャラクター情報、使用エンチャント＆タイトル補正を変更します。"_s);
    cmdLoad = button(u"cmdLoad"_s, u"読み出し(&L)"_s, u"保存済みの改造内容を読み出します。"_s);
    cmdSave = button(u"cmdSave"_s, u"保存(&S)"_s, u"改造内容を保存します。"_s);
    cmdBukiClip = button(u"cmdBukiClip"_s, u"武器性能コピー(&C)"_s,
                         u"武器性能をクリップボードにコピーします。"_s);
    cmdClipKaizo =
        button(u"cmdClipKaizo"_s, u"改造手順"_s, u"改造手順をクリップボードにコピーします。"_s);
    cmdEnd =
        button(u"cmdEnd"_s, u"終了(&X)"_s, u"改造計算画面を終了し、武器選択画面に戻ります。"_s);

    auto group = [this](const QString& name, const QString& title) {
        auto* frame = new QGroupBox(title, this);
        frame->setObjectName(name);
        return frame;
    };
    // Frame "改造内容": totals and the five step slots.
    Frame2 = group(u"Frame2"_s, u"改造内容"_s);
    auto* plan = new QGridLayout(Frame2);
    plan->addWidget(makeLabel(Frame2, u"lblJukurenLabel"_s, u"総熟練"_s), 0, 0);
    plan->addWidget(lblJukuren = makeLabel(Frame2, u"lblJukuren"_s, u"-"_s), 0, 1);
    plan->addWidget(makeLabel(Frame2, u"lblCostLabel"_s, u"総費用"_s), 0, 2);
    plan->addWidget(lblCost = makeLabel(Frame2, u"lblCost"_s, u"-"_s), 0, 3);
    plan->addWidget(cmdList, 0, 4, Qt::AlignRight);
    for (int i = 0; i < Simulation::MaxSteps; ++i) {
        const QString n = QString::number(i);
        plan->addWidget(lblKaizo[i] = makeLabel(Frame2, u"lblKaizo"_s + n), i + 1, 0, 1, 2);
        plan->addWidget(lblKaizoNaiyo[i] = makeLabel(Frame2, u"lblKaizoNaiyo"_s + n), i + 1, 2, 1,
                        3);
        // A long remark is cut at the frame's edge rather than widening the window.
        lblKaizoNaiyo[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    plan->setColumnStretch(4, 1);

    lvwKaizo = new ReportList(this);
    lvwKaizo->setObjectName(u"lvwKaizo"_s);
    lvwKaizo->setMinimumWidth(twipsToPixels(10000) + 24);

    Frame1 = group(u"Frame1"_s, u"コントロールパネル"_s);
    auto* panel = new QGridLayout(Frame1);
    QPushButton* const order[] = {cmdKaizo, cmdBack, cmdReset,    cmdBukiSpec,  cmdMod,
                                  cmdLoad,  cmdSave, cmdBukiClip, cmdClipKaizo, cmdEnd};
    for (int i = 0; i < 10; ++i)
        panel->addWidget(order[i], i / 5, i % 5);

    // Frame "武器性能": the weapon's own figures.
    fraBukiSpac = group(u"fraBukiSpac"_s, u"武器性能"_s);
    auto* weapon = new QGridLayout(fraBukiSpac);
    const std::array<std::pair<QString, QString>, 7> rows = {
        {{{}, u"ダメージ"_s},
         {{}, u"負傷率"_s},
         {{}, u"クリティカル"_s},
         {{}, u"バランス"_s},
         {u"lblKaisuLabel"_s, u"(80%達成DEX）"_s},
         {u"lblShateiLabel"_s, u"射程"_s},
         {u"lblTaikyuLabel"_s, u"耐久"_s}}};
    for (int i = 1; i <= 6; ++i)
        lblSpec[i - 1] = makeLabel(fraBukiSpac, u"lblSpec"_s + QString::number(i));
    lblBalanceTassei = makeLabel(fraBukiSpac, u"lblBalanceTassei"_s);
    QLabel* const values[] = {lblSpec[0],       lblSpec[1], lblSpec[2], lblSpec[3],
                              lblBalanceTassei, lblSpec[4], lblSpec[5]};
    for (int i = 0; i < 7; ++i) {
        weapon->addWidget(makeLabel(fraBukiSpac, rows[i].first, rows[i].second), i, 0);
        weapon->addWidget(values[i], i, 1);
    }
    lblBukiSpecChange = makeLabel(fraBukiSpac, u"lblBukiSpecChange"_s, u"(一般品)"_s);
    weapon->addWidget(lblBukiSpecChange, 7, 0, 1, 2);
    weapon->setRowStretch(8, 1);

    // Frame "ステータス": the character's statistics and the combat figures.
    fraSta = group(u"fraSta"_s, u"ステータス"_s);
    // It takes the width left beside the weapon frame: names have no length limit, and a long
    // character or bonus set name must not push the window's buttons off the screen.
    fraSta->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* status = new QGridLayout(fraSta);
    const QString stats[] = {u"Str"_s, u"Int"_s, u"Dex"_s, u"Will"_s, u"Luck"_s};
    for (int i = 0; i < 5; ++i) {
        lblStat[i] = makeLabel(fraSta, u"lbl"_s + stats[i]);
        lblEnchantStat[i] = makeLabel(fraSta, u"lblEnchant"_s + stats[i]);
        status->addWidget(makeLabel(fraSta, {}, stats[i]), i, 0);
        status->addLayout(figureWithMark(lblStat[i], lblEnchantStat[i]), i, 1);
    }
    status->addWidget(lblCombatType = makeLabel(fraSta, u"lblCombatType"_s), 5, 0);
    status->addWidget(lblAttack = makeLabel(fraSta, u"lblAttack"_s), 5, 1);
    const QString combat[] = {u"ダメージ"_s, u"負傷率"_s, u"クリティカル"_s, u"バランス"_s};
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        lblCombat[i] = makeLabel(fraSta, u"lblCombat"_s + n);
        lblEnchant[i] = makeLabel(fraSta, u"lblEnchant"_s + n);
        status->addWidget(makeLabel(fraSta, {}, combat[i]), i, 2);
        status->addLayout(figureWithMark(lblCombat[i], lblEnchant[i]), i, 3);
    }
    status->addWidget(makeLabel(fraSta, {}, u"最頻値"_s), 4, 2);
    status->addWidget(lblStaSaihin = makeLabel(fraSta, u"lblStaSaihin"_s), 4, 3);
    status->addWidget(lblSelEnchant = makeLabel(fraSta, u"lblSelEnchant"_s), 6, 0, 1, 4);
    // Room for a statistic with its mark, so the combat captions do not crowd the marks.
    status->setColumnMinimumWidth(1, twipsToPixels(1500));
    status->setColumnStretch(3, 1);

    auto* figures = new QHBoxLayout;
    figures->addWidget(fraBukiSpac);
    figures->addWidget(fraSta, 1);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Frame2);
    top->addWidget(lvwKaizo, 1);
    top->addWidget(Frame1);
    top->addLayout(figures);
    top->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdKaizo, &QPushButton::clicked, this, &frmKaizo::cmdKaizoClick);
    connect(cmdBack, &QPushButton::clicked, this, &frmKaizo::cmdBackClick);
    connect(cmdReset, &QPushButton::clicked, this, &frmKaizo::cmdResetClick);
    connect(cmdBukiSpec, &QPushButton::clicked, this, &frmKaizo::cmdBukiSpecClick);
    connect(cmdMod, &QPushButton::clicked, this, [this] { m_hooks.profile(*this); });
    connect(cmdEnd, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdClipKaizo, &QPushButton::clicked, this,
            [this] { clipboard::cmdClipKaizo(this, shownFigures()); });
    connect(cmdBukiClip, &QPushButton::clicked, this,
            [this] { clipboard::cmdBukiClip(this, shownFigures(), mintShift); });
    connect(cmdList, &QPushButton::clicked, this,
            [this] { clipboard::cmdList(this, m_sim.bukiSeq()); });
    connect(cmdSave, &QPushButton::clicked, this,
            [this] { frmSaveDialog::cmdSaveClick(*this, shownFigures(), m_sim.plan()); });
    connect(cmdLoad, &QPushButton::clicked, this,
            [this] { frmSaveDialog::intFormStartLoad(*this); });
    connect(lvwKaizo, &ReportList::buttonPressed, this, &frmKaizo::listPressed);
    connect(lvwKaizo, &ReportList::pointerMoved, this,
            [this](const QPoint& pos, Qt::MouseButtons held) {
                m_gesture.move(pos.x(), held == Qt::RightButton);
            });
    connect(lvwKaizo, &ReportList::buttonReleased, this, [this] { listReleased(); });
    connect(lvwKaizo, &ReportList::listDoubleClicked, this, [this] {
        if (m_gesture.doubleClickApplies())
            cmdKaizoClick();
    });
}

void frmKaizo::createColumn() {
    m_kaizoModel.setColumns({{u"改造名"_s, 1800, Qt::AlignLeft},
                             {u"熟練"_s, 700, Qt::AlignHCenter},
                             {u"費用"_s, 700, Qt::AlignHCenter},
                             {u"性能"_s, 6800, Qt::AlignLeft}});
    lvwKaizo->setRowModel(&m_kaizoModel);
}

// The slots, the frame caption and the buttons that depend on the step count.
void frmKaizo::showSteps(qint16 kaisu) {
    fraBukiSpac->setTitle(m_sim.frameCaption(kaisu));
    for (int i = 0; i < Simulation::MaxSteps; ++i) {
        const StepSlot& slot = m_sim.stepSlots()[static_cast<std::size_t>(i)];
        lblKaizo[i]->setText(slot.name);
        lblKaizo[i]->setProperty(kTag, slot.tag);
        lblKaizoNaiyo[i]->setText(slot.naiyo);
    }
    const bool applied = kaisu > 0;
    cmdBukiSpec->setEnabled(true);
    for (QPushButton* b : {cmdBack, cmdReset, cmdClipKaizo, cmdBukiClip, cmdSave})
        b->setEnabled(applied);
}

bool frmKaizo::redraw(qint16 kaisu) {
    if (setBukiStatus(kaisu) && setCombatStatus(kaisu) && setKaizoData(kaisu))
        return true;
    // Figures of the previous step must not pass for those of this one, nor may the list offer
    // what the previous step offered: blank until the next redraw that works. Reset stays at hand
    // to rebuild step 0 and draw it all again.
    for (QLabel* figure : lblSpec)
        figure->clear();
    for (QLabel* figure : lblCombat)
        figure->clear();
    for (QLabel* figure : {lblBalanceTassei, lblJukuren, lblCost, lblStaSaihin})
        figure->clear();
    m_kaizoModel.clear();
    cmdKaizo->setEnabled(false);
    cmdReset->setEnabled(true);
    lvwKaizo->setGreyed(true);
    return false;
}

bool frmKaizo::setKaizoData(qint16 kaisu) {
    std::optional<std::vector<ListRow>> rows = m_sim.offered(kaisu);
    if (!rows)
        return false;
    const bool offered = !rows->empty();
    m_kaizoModel.assign(std::move(*rows));
    cmdKaizo->setEnabled(offered);
    lvwKaizo->setGreyed(!offered);
    if (offered)
        lvwKaizo->setEnabled(true);
    return true;
}

bool frmKaizo::setBukiStatus(qint16 kaisu) {
    const std::optional<workTable::StepFigures> f = workTable::step(kaisu);
    if (!f)
        return false;
    lblSpec[0]->setText(range(f->minDamage, f->maxDamage));
    lblSpec[1]->setText(range(f->minWounds, f->maxWounds));
    lblSpec[2]->setText(combatCalc::text(f->critical));
    lblSpec[3]->setText(combatCalc::text(f->balance));
    lblSpec[4]->setText(combatCalc::text(f->range));
    lblSpec[5]->setText(combatCalc::text(f->taikyu));
    // The Dex at which the balance reaches 80: 4 Dex above 10 add 1 balance.
    lblBalanceTassei->setText(u'(' + combatCalc::text((80 - f->balance) * 4 + 10) + u')');
    lblJukuren->setText(kaisu != 0 ? combatCalc::text(f->exp) : u"-"_s);
    lblCost->setText(kaisu != 0 ? numberText::formatThousands(std::llround(f->cost)) : u"-"_s);
    return true;
}

bool frmKaizo::setCombatStatus(qint16 kaisu) {
    const std::optional<workTable::CombatSums> sums = workTable::sums(kaisu);
    if (!sums)
        return false;
    const combatCalc::Combat c = combatCalc::fromSums(*sums);
    lblCombat[0]->setText(range(c.minDamage, c.maxDamage));
    lblCombat[1]->setText(range(c.minWounds, c.maxWounds));
    lblCombat[2]->setText(combatCalc::text(c.critical));
    lblCombat[3]->setText(combatCalc::text(c.balance));
    lblStaSaihin->setText(combatCalc::text(c.saihin));
    return true;
}

bool frmKaizo::ResetState(bool backup) {
    if (!m_sim.resetState())
        return false;
    showSteps(0);
    for (QLabel* total : {lblJukuren, lblCost}) {
        total->setProperty(kTag, u"0"_s);
        total->setText(u"-"_s);
    }
    return backup || redraw(0);
}

bool frmKaizo::setStateRecovery(const QString& plan) {
    const Simulation::ReplayResult replay = m_sim.replay(plan);
    const qint16 kaisu = replay.ok() ? replay.applied : m_sim.stepCount().value_or(0);
    showSteps(kaisu);
    return redraw(kaisu) && replay.ok();
}

void frmKaizo::loadKaizoState(qint16 seq, const QString& name, const QString& naiyo) {
    const Simulation::Result result = m_sim.apply(seq, name, naiyo);
    if (result.status == Simulation::Status::SlotsFull) {
        ui::msgBox(this, u"改造手順は5段階までです。"_s, ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    if (!result.ok())
        return reportDatabaseFailure();
    showSteps(result.kaisu);
    if (!redraw(result.kaisu))
        reportDatabaseFailure();
}

void frmKaizo::cmdKaizoClick() {
    if (m_kaizoModel.count() == 0) {
        ui::msgBox(this, u"改造項目なす"_s);
        return;
    }
    const int row = lvwKaizo->selectedCurrentRow();
    if (row < 0) {
        ui::msgBox(this, u"選択されてなす"_s);
        return;
    }
    const ListRow& item = m_kaizoModel.row(row);
    loadKaizoState(item.tag.toShort(), item.text, item.cell(3));
}

void frmKaizo::cmdBackClick() {
    const Simulation::Result result = m_sim.undo();
    if (result.status == Simulation::Status::AtStepZero) {
        ui::msgBox(this, u"ムリっす"_s);
        return;
    }
    if (!result.ok())
        return reportDatabaseFailure();
    showSteps(result.kaisu);
    if (!redraw(result.kaisu))
        reportDatabaseFailure();
}

void frmKaizo::cmdResetClick() {
    if (!ResetState(false))
        reportDatabaseFailure();
}

void frmKaizo::cmdBukiSpecClick() {
    const qint16 status = m_hooks.bukiSpec(*this);
    if (status == 1)
        return;
    const QString plan = m_sim.plan();
    if (status != 0 || !ResetState(true) || !setStateRecovery(plan)) {
        ui::msgBox(this, u"ダイアログの初期化に失敗しました。再度実行してください。"_s,
                   ui::Buttons::Ok, ui::Icon::Critical);
    }
}

bool frmKaizo::setPersonalData() {
    RowListModel& profiles = m_catalogue.profileList();
    const int current = m_catalogue.profileCurrentRow();
    const bool inUse =
        current >= 0 && current < profiles.count() && m_catalogue.profileCurrentSelected();
    fraSta->setVisible(inUse);
    cmdMod->setEnabled(inUse);
    if (!inUse)
        return true;
    const ListRow& copy = profiles.row(bonusCalc::addWorkingCopy(profiles, current));
    lblAttack->setText(copy.cell(m_sim.combatType() == 1 ? 6 : 7));
    return insertStatus();
}

bool frmKaizo::insertStatus() {
    const int temp = bonusCalc::workingCopy(m_catalogue.profileList());
    if (temp < 0)
        return true;
    const ListRow profile = m_catalogue.profileList().row(temp);
    const RowListModel& sets = m_catalogue.enchantList();
    const int current = m_catalogue.enchantCurrentRow();
    const ListRow* inForce =
        bonusCalc::bonusSetInForce(sets, current, m_catalogue.enchantCurrentSelected());
    const bonusCalc::BonusSet set = inForce ? bonusCalc::fromRow(*inForce) : bonusCalc::BonusSet{};
    const bonusCalc::Marks marks = inForce ? bonusCalc::marks(set) : bonusCalc::Marks{};
    setTexts(lblEnchant, {marks.damage, marks.wounds, marks.critical, marks.balance});
    setTexts(lblEnchantStat, {marks.str, marks.intl, marks.dex, marks.will, marks.luck});
    const bool hasCurrent = current >= 0 && current < sets.count();
    lblSelEnchant->setText(u"エンチャント＆タイトル補正 : "_s +
                           (hasCurrent ? sets.row(current).text : QString()));
    fraSta->setTitle(profile.text);

    const bonusCalc::Totals totals = bonusCalc::totals(profile, set);
    setTexts(lblStat, {totals.str, totals.intl, totals.dex, totals.will, totals.luck});
    const std::optional<bonusCalc::SkillBonus> skill = m_sim.skillBonus(lblAttack->text());
    if (!skill)
        return false;
    const bonusCalc::Bonus bonus =
        bonusCalc::bonus(m_sim.combatType(), bonusCalc::stats(totals), *skill, set);
    return m_sim.writeBonus(bonusCalc::valueText(bonus));
}

bool frmKaizo::setChangeSpace(qint16 seq) {
    const std::optional<ChangeSpace> change = m_sim.setChangeSpace(seq);
    if (!change)
        return false;
    lblBukiSpecChange->setVisible(change->found);
    if (change->found)
        lblBukiSpecChange->setText(change->caption);
    lblBukiSpecChange->setProperty(kTag, change->tag);
    return true;
}

void frmKaizo::deleteTmpItem() {
    bonusCalc::removeWorkingCopy(m_catalogue.profileList());
}

QString frmKaizo::combatTypeTag() const {
    return lblCombatType->property(kTag).toString();
}

QString frmKaizo::combatTypeCaption() const {
    return lblCombatType->text();
}

QString frmKaizo::attackRank() const {
    return lblAttack->text();
}

void frmKaizo::setAttackRank(const QString& rank) {
    lblAttack->setText(rank);
}

QString frmKaizo::changeSpecTag() const {
    return lblBukiSpecChange->property(kTag).toString();
}

void frmKaizo::reportDatabaseFailure() {
    ui::msgBox(this, u"データベースの処理に失敗しました。"_s, ui::Buttons::Ok, ui::Icon::Critical);
}

bool frmKaizo::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::KeyRelease) {
        mintShift = 0;
        return false;
    }
    const Qt::KeyboardModifiers held = key->modifiers();
    mintShift = static_cast<qint16>((held & Qt::ShiftModifier ? 1 : 0) +
                                    (held & Qt::ControlModifier ? 2 : 0) +
                                    (held & Qt::AltModifier ? 4 : 0));
    // With Alt held the letter belongs to a button's access key, not to the list.
    if (watched != lvwKaizo || (held & Qt::AltModifier))
        return false;
    return handleListKey(key->key());
}

bool frmKaizo::handleListKey(int key) {
    const std::pair<int, QPushButton*> table[] = {{Qt::Key_W, cmdBukiSpec},
                                                  {Qt::Key_S, cmdMod},
                                                  {Qt::Key_Backspace, cmdReset},
                                                  {Qt::Key_Right, cmdKaizo},
                                                  {Qt::Key_Left, cmdBack}};
    for (const auto& [code, command] : table) {
        if (code == key) {
            command->click(); // does nothing while the button is disabled
            return true;
        }
    }
    return false;
}

void frmKaizo::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button: Esc does not close it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmKaizo::listPressed(Qt::MouseButton button, const QPoint& pos, bool onRow) {
    using B = ListGesture::Button;
    m_gesture.press(button == Qt::LeftButton    ? B::Left
                    : button == Qt::RightButton ? B::Right
                                                : B::Other,
                    pos.x(), onRow);
}

void frmKaizo::listReleased() {
    switch (m_gesture.release()) {
    case ListGesture::Action::Undo:
        cmdBack->click(); // only while the button is enabled
        break;
    case ListGesture::Action::Reset:
        cmdReset->click();
        break;
    case ListGesture::Action::None:
        break;
    }
}

// What the clipboard exports and the plan save read from the window.
ShownFigures frmKaizo::shownFigures() const {
    ShownFigures shown;
    shown.jukuren = lblJukuren->text();
    shown.cost = lblCost->text();
    shown.bukiName = m_sim.bukiName();
    shown.maxKaisu = m_sim.maxKaisu();
    for (const QLabel* slot : lblKaizo)
        shown.steps.append(slot->text());
    shown.damage = lblSpec[0]->text();
    shown.critical = lblSpec[2]->text();
    shown.balance = lblSpec[3]->text();
    shown.taikyu = lblSpec[5]->text();
    shown.balanceTassei = lblBalanceTassei->text();
    shown.changeCaption = lblBukiSpecChange->text();
    shown.changeTag = changeSpecTag();
    return shown;
}
