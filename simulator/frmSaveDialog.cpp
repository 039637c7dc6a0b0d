#include "simulator/frmSaveDialog.h"

#include "app/MessageBox.h"
#include "app/ReportList.h"
#include "app/Twips.h"
#include "catalogue/CatalogueAccess.h"
#include "editors/EntryFields.h"
#include "editors/mdlCalculation.h"
#include "simulator/SimulatorAccess.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kMarkPrefix = u"DEL"_s;

// The list takes the space of the name and the figures when those are hidden.
constexpr int kListTwips = 5415;
constexpr int kSaveListTwips = 4335;

} // namespace

void frmSaveDialog::cmdSaveClick(SimulatorAccess& sim, const ShownFigures& shown,
                                 const QString& plan) {
    if (shown.steps.value(0).isEmpty())
        return;
    intFormStartSave(sim, planStore::record(shown.changeTag, plan), planStore::specText(shown),
                     planStore::jukurenText(shown));
}

qint16 frmSaveDialog::intFormStartSave(SimulatorAccess& sim, const QString& strData,
                                       const QString& strSpec, const QString& strJukuren,
                                       const planStore::Clock& clock) {
    frmSaveDialog dialog(sim.window(), true, sim.catalogue().selectedWeaponSeq());
    dialog.txtName->setText(strJukuren + u'式');
    dialog.lblSpec->setText(strSpec);
    const planStore::Outcome outcome = dialog.showModal();
    const planStore::Plan added{dialog.txtName->text(), strSpec, planStore::dateText(clock.now()),
                                strData};
    if (!dialog.writeBack(outcome, &added))
        return 1;
    return outcome == planStore::Outcome::Confirmed ? 0 : 1;
}

qint16 frmSaveDialog::intFormStartLoad(SimulatorAccess& sim) {
    frmSaveDialog dialog(sim.window(), false, sim.catalogue().selectedWeaponSeq());
    const planStore::Outcome outcome = dialog.showModal();
    dialog.writeBack(outcome, nullptr);
    if (outcome != planStore::Outcome::Confirmed)
        return 1;
    const int row = dialog.lvwSaveData->selectedCurrentRow();
    const planStore::ParsedRecord record =
        planStore::parseRecord(row >= 0 ? dialog.m_model.row(row).tag : QString());
    switch (record.status) {
    case planStore::ParsedRecord::NoSpace:
        break;
    case planStore::ParsedRecord::Broken:
        ui::msgBox(sim.window(), u"改造データが壊れています。"_s, ui::Buttons::Ok,
                   ui::Icon::Exclamation);
        break;
    case planStore::ParsedRecord::Ok:
        if (!sim.setChangeSpace(record.changeSeq) || !sim.ResetState(true) ||
            !sim.setStateRecovery(record.plan)) {
            ui::msgBox(sim.window(), u"データベースの処理に失敗しました。"_s, ui::Buttons::Ok,
                       ui::Icon::Critical);
        }
        break;
    }
    return 0;
}

frmSaveDialog::frmSaveDialog(QWidget* owner, bool saveMode, qint16 bukiSeq)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_bukiSeq(bukiSeq)
    , blnSaveMode(saveMode) {
    setObjectName(u"frmSaveDialog"_s);
    txtName = new QLineEdit(this);
    txtName->setObjectName(u"txtName"_s);
    txtName->installEventFilter(this);
    lblSpec = new QLabel(this);
    lblSpec->setObjectName(u"lblSpec"_s);
    lvwSaveData = new ReportList(this);
    lvwSaveData->setObjectName(u"lvwSaveData"_s);
    lvwSaveData->setFixedSize(twipsToPixels(1600 + 3500 + 1200) + 24,
                              twipsToPixels(saveMode ? kSaveListTwips : kListTwips));
    cmdDel = new QPushButton(u"削除(&D)"_s, this);
    cmdDel->setObjectName(u"cmdDel"_s);
    cmdOK = new QPushButton(saveMode ? u"保存(&S)"_s : u"読み出し(&L)"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(u"キャンセル"_s, this);
    cmdCancel->setObjectName(u"cmdCancel"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDel);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(txtName);
    top->addWidget(lblSpec);
    top->addWidget(lvwSaveData);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtName, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, lvwSaveData);
    setTabOrder(lvwSaveData, cmdDel);

    connect(cmdOK, &QPushButton::clicked, this, &frmSaveDialog::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSaveDialog::cmdCancelClick);
    connect(cmdDel, &QPushButton::clicked, this, &frmSaveDialog::cmdDelClick);
    connect(lvwSaveData, &ReportList::buttonPressed, this,
            [this](Qt::MouseButton button, const QPoint&, bool onRow) {
                blnSaveListHit = button == Qt::LeftButton && onRow;
            });
    connect(lvwSaveData, &ReportList::listDoubleClicked, this, [this] {
        if (!blnSaveMode && blnSaveListHit)
            cmdOKClick();
    });

    if (saveMode) {
        setWindowTitle(u"改造データ保存"_s);
        txtName->setFocus();
    } else {
        txtName->hide();
        lblSpec->hide();
        setWindowTitle(u"改造データ読み出し"_s);
    }
    createColumn();
    subDataLoad();
}

void frmSaveDialog::createColumn() {
    m_model.setColumns({{u"改造式"_s, 1600, Qt::AlignLeft},
                        {u"性能"_s, 3500, Qt::AlignLeft},
                        {u"日付"_s, 1200, Qt::AlignLeft}});
    lvwSaveData->setRowModel(&m_model);
}

void frmSaveDialog::subDataLoad() {
    std::vector<ListRow> rows;
    for (planStore::Plan& plan : planStore::read(m_bukiSeq))
        rows.push_back({plan.name, {plan.spec, plan.date}, plan.data, {}, RowColour::Normal});
    m_model.assign(std::move(rows));
}

planStore::Outcome frmSaveDialog::showModal() {
    exec();
    QCoreApplication::processEvents();
    if (m_closedByBox)
        return planStore::Outcome::Closed;
    return intOutcome == 0 ? planStore::Outcome::Confirmed : planStore::Outcome::Cancelled;
}

std::vector<planStore::Plan> frmSaveDialog::plans() const {
    std::vector<planStore::Plan> result;
    for (const ListRow& row : m_model.rows())
        result.push_back({row.text, row.cell(1), row.cell(2), row.tag});
    return result;
}

bool frmSaveDialog::writeBack(planStore::Outcome outcome, const planStore::Plan* added) {
    const planStore::WriteBack action = planStore::writeBack(
        blnSaveMode ? planStore::Mode::Save : planStore::Mode::Load, outcome, blnDeleted);
    if (action == planStore::WriteBack::Nothing)
        return true;
    if (planStore::write(m_bukiSeq, plans(),
                         action == planStore::WriteBack::RowsAndNewPlan ? added : nullptr)
            .saved)
        return true;
    ui::msgBox(parentWidget(), u"設定ファイルの保存に失敗しました。"_s, ui::Buttons::Ok,
               ui::Icon::Critical);
    return false;
}

void frmSaveDialog::cmdOKClick() {
    if (blnSaveMode) {
        if (confirmSave())
            finish(0);
        return;
    }
    if (m_model.count() == 0) {
        ui::msgBox(this, u"改造項目なす"_s);
        return;
    }
    if (lvwSaveData->selectedCurrentRow() < 0) {
        ui::msgBox(this, u"選択されてなす"_s);
        return;
    }
    if (blnDeleted && !askDeletion())
        blnDeleted = false;
    finish(0);
}

// Removes the rows the new plan overwrites; false while the user still has to act.
bool frmSaveDialog::confirmSave() {
    // A blank name, or one the settings file cannot hold, is refused as the editors refuse it.
    if (!mdlCalculation::blnCheckName(txtName))
        return false;
    const QString name = mdlCalculation::strTrimName(txtName->text());
    QList<int> marked;
    for (int i = 0; i < m_model.count(); ++i) {
        if (m_model.row(i).text != name)
            continue;
        const ui::Answer answer = ui::msgBox(
            this, m_model.row(i).text + u"は使われている名前です。既存の項目を上書きしますか？"_s,
            ui::Buttons::YesNo, ui::Icon::Question);
        if (answer != ui::Answer::Yes) {
            // Marks left behind would be given again by the next OK and clash.
            for (int row : marked) {
                ListRow unmarked = m_model.row(row);
                unmarked.key.clear();
                m_model.replace(row, unmarked);
            }
            return false;
        }
        ListRow mark = m_model.row(i);
        mark.key = kMarkPrefix + QString::number(marked.size() + 1);
        m_model.replace(i, mark);
        marked.append(i);
    }
    for (int j = 1; j <= marked.size(); ++j)
        m_model.remove(m_model.findKey(kMarkPrefix + QString::number(j)));
    return true;
}

void frmSaveDialog::cmdCancelClick() {
    if (blnDeleted && !askDeletion())
        blnDeleted = false;
    finish(1);
}

void frmSaveDialog::cmdDelClick() {
    if (m_model.count() == 0) {
        ui::msgBox(this, u"改造項目なす"_s);
        return;
    }
    const int row = lvwSaveData->selectedCurrentRow();
    if (row < 0) {
        ui::msgBox(this, u"選択されてなす"_s);
        return;
    }
    m_model.remove(row);
    blnDeleted = true;
}

bool frmSaveDialog::askDeletion() {
    return ui::msgBox(this, u"項目の削除が行われました。\r\n変更内容を適用しますか？"_s,
                      ui::Buttons::YesNo, ui::Icon::Question) == ui::Answer::Yes;
}

void frmSaveDialog::finish(qint16 outcome) {
    intOutcome = outcome;
    done(outcome == 0 ? QDialog::Accepted : QDialog::Rejected);
}

void frmSaveDialog::reject() {
    m_closedByBox = true;
    intOutcome = 1;
    QDialog::reject();
}

void frmSaveDialog::keyPressEvent(QKeyEvent* event) {
    // Esc is the cancel button, with its deletion question; only the close box bypasses it.
    if (event->matches(QKeySequence::Cancel)) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmSaveDialog::eventFilter(QObject* watched, QEvent* event) {
    // The proposed name is replaced by typing.
    if (watched == txtName && event->type() == QEvent::FocusIn)
        txtName->selectAll();
    return QDialog::eventFilter(watched, event);
}
