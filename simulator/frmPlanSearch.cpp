#include "simulator/frmPlanSearch.h"

#include "editors/EntryFields.h"
#include "editors/mdlCalculation.h"
#include "simulator/FigureTexts.h"
#include "storage/NumberText.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"
#include "ui/ReportList.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

using namespace Qt::StringLiterals;
using planSearch::Objective;

namespace {

// A search that ends sooner shows no progress at all.
constexpr int kProgressAfterMs = 200;

const std::pair<Objective, QString> kObjectives[] = {{Objective::Saihin, u"最頻値"_s},
                                                     {Objective::MaxDamage, u"最大ダメージ"_s},
                                                     {Objective::MinDamage, u"最小ダメージ"_s},
                                                     {Objective::Critical, u"クリティカル"_s},
                                                     {Objective::Balance, u"バランス"_s},
                                                     {Objective::MaxWounds, u"最大負傷率"_s},
                                                     {Objective::Taikyu, u"耐久"_s}};

QString stepName(const planSearch::Weapon& weapon,
                 const std::vector<planSearch::Modification>& fixed, std::size_t index,
                 qint32 seq) {
    if (index < fixed.size())
        return fixed[index].name;
    for (const planSearch::Modification& mod : weapon.mods) {
        if (mod.seq == seq)
            return mod.name;
    }
    return {};
}

QLineEdit* conditionField(QWidget* parent, EntryFields& entry, const QString& name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setFixedWidth(twipsToPixels(1400));
    entry.add(field);
    return field;
}

} // namespace

std::optional<std::vector<qint32>> frmPlanSearch::intFormStart(QWidget* owner,
                                                               storage::Connection& db,
                                                               const planSearch::Source& source) {
    frmPlanSearch dialog(owner, db, source);
    dialog.exec();
    return dialog.m_chosen;
}

frmPlanSearch::frmPlanSearch(QWidget* owner, storage::Connection& db,
                             const planSearch::Source& source)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_db(db)
    , m_source(source)
    , m_progressTimer(new QTimer(this))
    , m_entry(new EntryFields(this, EntryFields::DefaultButton::Allowed)) {
    setObjectName(u"frmPlanSearch"_s);
    setWindowTitle(u"改造プラン探索"_s);
    auto* top = new QVBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);
    buildConditions();
    buildResults();
    connect(cmdFind, &QPushButton::clicked, this, &frmPlanSearch::cmdFindClick);
    connect(cmdAbort, &QPushButton::clicked, this, [this] { m_control.cancel = true; });
    connect(cmdApply, &QPushButton::clicked, this, &frmPlanSearch::apply);
    connect(cmdClose, &QPushButton::clicked, this, &frmPlanSearch::reject);
    connect(lvwPlans, &ReportList::listDoubleClicked, this,
            [this](Qt::MouseButton button, const QPoint& pos) {
                if (button == Qt::LeftButton && lvwPlans->rowAt(pos) >= 0)
                    apply();
            });
    connect(&m_watcher, &QFutureWatcher<planSearch::Result>::finished, this,
            &frmPlanSearch::finished);
    connect(m_progressTimer, &QTimer::timeout, this, &frmPlanSearch::showProgress);
    setRunning(false);
    showPlans({}, kObjectives[0].second);
}

frmPlanSearch::~frmPlanSearch() {
    m_control.cancel = true;
    m_watcher.waitForFinished();
}

void frmPlanSearch::buildConditions() {
    cmbObjective = new QComboBox(this);
    cmbObjective->setObjectName(u"cmbObjective"_s);
    for (const auto& [objective, name] : kObjectives)
        cmbObjective->addItem(name, static_cast<int>(objective));
    m_entry->add(cmbObjective);
    txtMaxCost = conditionField(this, *m_entry, u"txtMaxCost"_s);
    txtMaxExp = conditionField(this, *m_entry, u"txtMaxExp"_s);
    txtMinTaikyu = conditionField(this, *m_entry, u"txtMinTaikyu"_s);
    txtSteps = conditionField(this, *m_entry, u"txtSteps"_s);
    m_conditions = {{u"費用の上限"_s, txtMaxCost},
                    {u"熟練の上限"_s, txtMaxExp},
                    {u"耐久の下限"_s, txtMinTaikyu},
                    {u"改造回数"_s, txtSteps}};
    chkFixed = new QCheckBox(u"現在の手順を固定する"_s, this);
    chkFixed->setObjectName(u"chkFixed"_s);
    chkFixed->setEnabled(!m_source.applied.empty());
    cmdFind = ui::makeButton(this, u"cmdFind"_s, u"探索(&F)"_s);
    cmdFind->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(u"目的"_s, this), 0, 0);
    grid->addWidget(cmbObjective, 0, 1);
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(m_conditions[i].caption, this), 1 + i / 2, (i % 2) * 2);
        grid->addWidget(m_conditions[i].field, 1 + i / 2, (i % 2) * 2 + 1);
    }
    grid->addWidget(chkFixed, 0, 4);
    grid->addWidget(cmdFind, 2, 4, Qt::AlignRight);
    grid->setColumnStretch(4, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
}

void frmPlanSearch::buildResults() {
    lvwPlans = new ReportList(this);
    lvwPlans->setObjectName(u"lvwPlans"_s);
    lvwPlans->setFixedSize(twipsToPixels(12100) + 24, twipsToPixels(4200));
    lblExamined = new QLabel(this);
    lblExamined->setObjectName(u"lblExamined"_s);
    prgSearch = new QProgressBar(this);
    prgSearch->setObjectName(u"prgSearch"_s);
    cmdAbort = ui::makeButton(this, u"cmdAbort"_s, u"中止"_s);
    cmdApply = ui::makeButton(this, u"cmdApply"_s, u"適用(&A)"_s);
    cmdClose = ui::makeButton(this, u"cmdClose"_s, u"閉じる"_s);

    auto* status = new QHBoxLayout;
    status->addWidget(lblExamined, 1);
    status->addWidget(prgSearch);
    status->addWidget(cmdAbort);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdClose);
    auto* top = static_cast<QVBoxLayout*>(layout());
    top->addWidget(lvwPlans);
    top->addLayout(status);
    top->addLayout(buttons);
}

// The conditions as a query; false (the user told which field) when one is out of range.
bool frmPlanSearch::readQuery(planSearch::Query& query) {
    std::optional<double>* const limits[] = {&query.maxCost, &query.maxExp, &query.minTaikyu,
                                             nullptr};
    std::optional<double> steps;
    for (std::size_t i = 0; i < m_conditions.size(); ++i) {
        const ConditionField& condition = m_conditions[i];
        const mdlCalculation::Condition read =
            mdlCalculation::readCondition(condition.field->text());
        if (!read.valid) {
            ui::msgBox(this, messages::ConditionOutOfRange.arg(condition.caption), ui::Buttons::Ok,
                       ui::Icon::Exclamation);
            condition.field->setFocus();
            condition.field->selectAll();
            return false;
        }
        *(limits[i] ? limits[i] : &steps) = read.limit;
    }
    if (steps)
        query.steps = numberText::toInt16(*steps);
    query.objective = static_cast<Objective>(cmbObjective->currentData().toInt());
    return true;
}

// The weapon as the simulation has it, and the steps applied when they are to stay; kept only
// when both could be read, so the plans listed keep the names they were found with.
bool frmPlanSearch::loadInputs() {
    std::optional<planSearch::Weapon> weapon =
        planSearch::loadWeapon(m_db, m_source.weaponSeq, m_source.changeSeq, m_source.character);
    std::optional<std::vector<planSearch::Modification>> fixed =
        chkFixed->isChecked() ? planSearch::loadSteps(m_db, m_source.applied)
                              : std::vector<planSearch::Modification>();
    if (!weapon || !fixed)
        return false;
    m_weapon = std::move(*weapon);
    m_fixed = std::move(*fixed);
    return true;
}

void frmPlanSearch::cmdFindClick() {
    planSearch::Query query;
    if (!readQuery(query))
        return;
    if (!loadInputs()) {
        ui::msgBox(this, messages::DatabaseFailed, ui::Buttons::Ok, ui::Icon::Critical);
        return;
    }
    m_control.cancel = false;
    m_control.done = 0;
    m_control.total = 0;
    setRunning(true);
    m_clock.start();
    m_progressTimer->start(kProgressAfterMs);
    m_watcher.setFuture(
        QtConcurrent::run([weapon = *m_weapon, query, fixed = m_fixed, control = &m_control] {
            return planSearch::search(weapon, query, fixed, control);
        }));
}

void frmPlanSearch::showProgress() {
    const qint64 total = m_control.total;
    prgSearch->setVisible(true);
    cmdAbort->setVisible(true);
    // Plan counts pass what a progress bar holds; thousandths of the whole are enough to show.
    prgSearch->setRange(0, 1000);
    prgSearch->setValue(total > 0 ? int(1000.0 * double(m_control.done) / double(total)) : 0);
    m_progressTimer->start(50);
}

void frmPlanSearch::finished() {
    m_progressTimer->stop();
    const planSearch::Result result = m_watcher.result();
    const double ms = double(m_clock.nsecsElapsed()) / 1e6;
    const QString taken = ms < 1000 ? QString::number(ms, 'f', 1) + u" ミリ秒"_s
                                    : QString::number(ms / 1000, 'f', 2) + u" 秒"_s;
    setRunning(false);
    showPlans(result, cmbObjective->currentText());
    lblExamined->setText(
        result.plans.empty() && !result.cancelled
            ? messages::NoPlanFits
            : messages::PlansExamined.arg(numberText::formatThousands(result.examined), taken));
}

void frmPlanSearch::showPlans(const planSearch::Result& result, const QString& objectiveName) {
    std::vector<PlanRow> rows;
    for (const planSearch::RankedPlan& plan : result.plans) {
        QStringList names;
        for (std::size_t i = 0; i < plan.steps.size(); ++i)
            names.append(stepName(*m_weapon, m_fixed, i, plan.steps[i]));
        rows.push_back({int(rows.size()) + 1, names.join(u'→'), plan});
    }
    auto* model = new ValueListModel<PlanRow>(
        {{u"順位"_s, 500, Qt::AlignHCenter},
         {u"改造手順"_s, 5000, Qt::AlignLeft},
         {objectiveName, 900, Qt::AlignHCenter},
         {u"ダメージ"_s, 900, Qt::AlignHCenter},
         {u"クリティカル"_s, 1000, Qt::AlignHCenter},
         {u"バランス"_s, 800, Qt::AlignHCenter},
         {u"耐久"_s, 600, Qt::AlignHCenter},
         {u"熟練"_s, 600, Qt::AlignHCenter},
         {u"費用"_s, 900, Qt::AlignHCenter}},
        [this](const PlanRow& row, int column) { return cell(row, column); }, this);
    model->assign(std::move(rows));
    lvwPlans->setListModel(model);
    delete m_model;
    m_model = model;
}

QString frmPlanSearch::cell(const PlanRow& row, int column) const {
    using figureTexts::number;
    const planSearch::RankedPlan& plan = row.plan;
    const combatCalc::Combat& c = plan.figures.combat;
    switch (column) {
    case 0:
        return QString::number(row.rank);
    case 1:
        return row.steps;
    case 2:
        return number(plan.value);
    case 3:
        return figureTexts::range(c.minDamage, c.maxDamage);
    case 4:
        return number(c.critical);
    case 5:
        return number(c.balance);
    case 6:
        return number(plan.figures.weapon.taikyu);
    case 7:
        return number(plan.figures.weapon.exp);
    case 8:
        return numberText::formatThousands(std::llround(plan.figures.weapon.cost));
    default:
        return {};
    }
}

void frmPlanSearch::setRunning(bool running) {
    for (QWidget* input :
         std::initializer_list<QWidget*>{cmbObjective, txtMaxCost, txtMaxExp, txtMinTaikyu,
                                         txtSteps, cmdFind, lvwPlans, cmdApply})
        input->setEnabled(!running);
    chkFixed->setEnabled(!running && !m_source.applied.empty());
    if (!running) {
        prgSearch->setVisible(false);
        cmdAbort->setVisible(false);
    }
}

void frmPlanSearch::apply() {
    const int row = lvwPlans->selectedCurrentRow();
    if (row < 0) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    m_chosen = m_model->row(row).plan.steps;
    accept();
}

void frmPlanSearch::reject() {
    m_control.cancel = true;
    m_watcher.waitForFinished();
    QDialog::reject();
}
