#include "simulator/KaizoPanels.h"

#include "simulator/FigureTexts.h"
#include "ui/Controls.h"
#include "ui/Twips.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& caption = {}) {
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
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

template <std::size_t N> void clear(const std::array<QLabel*, N>& labels) {
    for (QLabel* label : labels)
        label->clear();
}

} // namespace

PlanPanel::PlanPanel(QWidget* parent)
    : QGroupBox(u"改造内容"_s, parent)
    , m_lblJukuren(makeLabel(this, u"lblJukuren"_s, u"-"_s))
    , m_lblCost(makeLabel(this, u"lblCost"_s, u"-"_s))
    , m_cmdList(ui::makeButton(this, u"cmdList"_s, u"リスト出力"_s))
    , m_cmdSearch(ui::makeButton(this, u"cmdSearch"_s, u"プラン探索(&P)"_s,
                                 u"条件に合う改造手順を探して一覧にします。"_s)) {
    setObjectName(u"Frame2"_s);
    auto* grid = new QGridLayout(this);
    grid->addWidget(makeLabel(this, u"lblJukurenLabel"_s, u"総熟練"_s), 0, 0);
    grid->addWidget(m_lblJukuren, 0, 1);
    grid->addWidget(makeLabel(this, u"lblCostLabel"_s, u"総費用"_s), 0, 2);
    grid->addWidget(m_lblCost, 0, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdSearch);
    buttons->addWidget(m_cmdList);
    grid->addLayout(buttons, 0, 4, Qt::AlignRight);
    for (int i = 0; i < 5; ++i) {
        const QString n = QString::number(i);
        m_lblKaizo[i] = makeLabel(this, u"lblKaizo"_s + n);
        m_lblKaizoNaiyo[i] = makeLabel(this, u"lblKaizoNaiyo"_s + n);
        // A long remark is cut at the frame's edge rather than widening the window.
        m_lblKaizoNaiyo[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        grid->addWidget(m_lblKaizo[i], i + 1, 0, 1, 2);
        grid->addWidget(m_lblKaizoNaiyo[i], i + 1, 2, 1, 3);
    }
    grid->setColumnStretch(4, 1);
}

void PlanPanel::showTotals(const Figures& figures) {
    m_lblJukuren->setText(figureTexts::jukuren(figures));
    m_lblCost->setText(figureTexts::cost(figures));
}

void PlanPanel::showSlots(const std::array<StepSlot, 5>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        m_lblKaizo[i]->setText(steps[i].name);
        m_lblKaizoNaiyo[i]->setText(steps[i].naiyo);
    }
}

void PlanPanel::clearTotals() {
    m_lblJukuren->clear();
    m_lblCost->clear();
}

WeaponPanel::WeaponPanel(QWidget* parent)
    : QGroupBox(u"武器性能"_s, parent)
    , m_lblBalanceTassei(makeLabel(this, u"lblBalanceTassei"_s))
    , m_lblBukiSpecChange(makeLabel(this, u"lblBukiSpecChange"_s, u"(一般品)"_s)) {
    setObjectName(u"fraBukiSpac"_s);
    auto* grid = new QGridLayout(this);
    const std::array<std::pair<QString, QString>, 7> rows = {
        {{{}, u"ダメージ"_s},
         {{}, u"負傷率"_s},
         {{}, u"クリティカル"_s},
         {{}, u"バランス"_s},
         {u"lblKaisuLabel"_s, u"(80%達成DEX）"_s},
         {u"lblShateiLabel"_s, u"射程"_s},
         {u"lblTaikyuLabel"_s, u"耐久"_s}}};
    for (int i = 1; i <= 6; ++i)
        m_lblSpec[i - 1] = makeLabel(this, u"lblSpec"_s + QString::number(i));
    QLabel* const values[] = {m_lblSpec[0],       m_lblSpec[1], m_lblSpec[2], m_lblSpec[3],
                              m_lblBalanceTassei, m_lblSpec[4], m_lblSpec[5]};
    for (int i = 0; i < 7; ++i) {
        grid->addWidget(makeLabel(this, rows[i].first, rows[i].second), i, 0);
        grid->addWidget(values[i], i, 1);
    }
    grid->addWidget(m_lblBukiSpecChange, 7, 0, 1, 2);
    grid->setRowStretch(8, 1);
}

void WeaponPanel::show(const workTable::StepFigures& w) {
    using namespace figureTexts;
    setTexts(m_lblSpec, {range(w.minDamage, w.maxDamage), range(w.minWounds, w.maxWounds),
                         number(w.critical), number(w.balance), number(w.range), number(w.taikyu)});
    m_lblBalanceTassei->setText(balanceTassei(w));
}

void WeaponPanel::showChange(const ChangeInForce& change) {
    m_lblBukiSpecChange->setVisible(change.found);
    if (change.found)
        m_lblBukiSpecChange->setText(change.caption);
}

void WeaponPanel::clearFigures() {
    clear(m_lblSpec);
    m_lblBalanceTassei->clear();
}

ControlPanel::ControlPanel(QWidget* parent)
    : QGroupBox(u"コントロールパネル"_s, parent) {
    setObjectName(u"Frame1"_s);
    // Enter presses the button that has the focus; elsewhere it presses cmdKaizo.
    const auto button = [this](const QString& name, const QString& caption, const QString& tip) {
        return ui::makeButton(this, name, caption, tip);
    };
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
    auto* grid = new QGridLayout(this);
    QPushButton* const order[] = {cmdKaizo, cmdBack, cmdReset,    cmdBukiSpec,  cmdMod,
                                  cmdLoad,  cmdSave, cmdBukiClip, cmdClipKaizo, cmdEnd};
    for (int i = 0; i < 10; ++i)
        grid->addWidget(order[i], i / 5, i % 5);
}

StatusPanel::StatusPanel(QWidget* parent)
    : QGroupBox(u"ステータス"_s, parent)
    , m_lblCombatType(makeLabel(this, u"lblCombatType"_s))
    , m_lblAttack(makeLabel(this, u"lblAttack"_s))
    , m_lblStaSaihin(makeLabel(this, u"lblStaSaihin"_s))
    , m_lblSelEnchant(makeLabel(this, u"lblSelEnchant"_s)) {
    setObjectName(u"fraSta"_s);
    // It takes the width left beside the weapon frame: names have no length limit, and a long
    // character or bonus set name must not push the window's buttons off the screen.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* grid = new QGridLayout(this);
    addStatRows(grid);
    addCombatRows(grid);
    grid->addWidget(m_lblSelEnchant, 6, 0, 1, 4);
    // Room for a statistic with its mark, so the combat captions do not crowd the marks.
    grid->setColumnMinimumWidth(1, twipsToPixels(1500));
    grid->setColumnStretch(3, 1);
}

void StatusPanel::addStatRows(QGridLayout* grid) {
    const QString stats[] = {u"Str"_s, u"Int"_s, u"Dex"_s, u"Will"_s, u"Luck"_s};
    for (int i = 0; i < 5; ++i) {
        m_lblStat[i] = makeLabel(this, u"lbl"_s + stats[i]);
        m_lblEnchantStat[i] = makeLabel(this, u"lblEnchant"_s + stats[i]);
        grid->addWidget(makeLabel(this, {}, stats[i]), i, 0);
        grid->addLayout(figureWithMark(m_lblStat[i], m_lblEnchantStat[i]), i, 1);
    }
    grid->addWidget(m_lblCombatType, 5, 0);
    grid->addWidget(m_lblAttack, 5, 1);
}

void StatusPanel::addCombatRows(QGridLayout* grid) {
    const QString combat[] = {u"ダメージ"_s, u"負傷率"_s, u"クリティカル"_s, u"バランス"_s};
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        m_lblCombat[i] = makeLabel(this, u"lblCombat"_s + n);
        m_lblEnchant[i] = makeLabel(this, u"lblEnchant"_s + n);
        grid->addWidget(makeLabel(this, {}, combat[i]), i, 2);
        grid->addLayout(figureWithMark(m_lblCombat[i], m_lblEnchant[i]), i, 3);
    }
    grid->addWidget(makeLabel(this, {}, u"最頻値"_s), 4, 2);
    grid->addWidget(m_lblStaSaihin, 4, 3);
}

void StatusPanel::showStatus(const StatusFigures& s) {
    setTitle(ui::plainCaption(s.name));
    setTexts(m_lblStat, {s.stats.str, s.stats.intl, s.stats.dex, s.stats.will, s.stats.luck});
    setTexts(m_lblEnchantStat,
             {s.marks.str, s.marks.intl, s.marks.dex, s.marks.will, s.marks.luck});
    setTexts(m_lblEnchant, {s.marks.damage, s.marks.wounds, s.marks.critical, s.marks.balance});
    m_lblCombatType->setText(s.combatType);
    m_lblAttack->setText(s.rank);
    m_lblSelEnchant->setText(u"エンチャント＆タイトル補正 : "_s + s.bonusSetName);
}

void StatusPanel::showCombat(const combatCalc::Combat& c) {
    using figureTexts::number;
    using figureTexts::range;
    setTexts(m_lblCombat, {range(c.minDamage, c.maxDamage), range(c.minWounds, c.maxWounds),
                           number(c.critical), number(c.balance)});
    m_lblStaSaihin->setText(number(c.saihin));
}

void StatusPanel::clearCombat() {
    clear(m_lblCombat);
    m_lblStaSaihin->clear();
}
