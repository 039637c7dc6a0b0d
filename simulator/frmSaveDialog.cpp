#include "simulator/frmSaveDialog.h"

#include "editors/EntryFields.h"
#include "editors/mdlCalculation.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"
#include "ui/ReportList.h"
#include "ui/Twips.h"

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

// The list takes the space of the name and the figures when those are hidden.
constexpr int kListTwips = 5415;
constexpr int kSaveListTwips = 4335;

QString planCell(const planStore::Plan& plan, int column) {
    const QString cells[] = {plan.name, plan.spec, plan.date};
    return column < 3 ? cells[column] : QString();
}

} // namespace

qint16 frmSaveDialog::intFormStartSave(QWidget* owner, storage::SettingsFile& settings,
                                       qint32 bukiSeq, const QString& strData,
                                       const QString& strSpec, const QString& strJukuren,
                                       const planStore::Clock& clock) {
    frmSaveDialog dialog(owner, settings, true, bukiSeq);
    dialog.txtName->setText(strJukuren + u'式');
    dialog.lblSpec->setText(strSpec);
    const planStore::Outcome outcome = dialog.showModal();
    const planStore::Plan added{dialog.txtName->text(), strSpec, planStore::dateText(clock.now()),
                                strData};
    if (!dialog.writeBack(outcome, &added))
        return 1;
    return outcome == planStore::Outcome::Confirmed ? 0 : 1;
}

std::optional<QString>
frmSaveDialog::intFormStartLoad(QWidget* owner, storage::SettingsFile& settings, qint32 bukiSeq) {
    frmSaveDialog dialog(owner, settings, false, bukiSeq);
    const planStore::Outcome outcome = dialog.showModal();
    dialog.writeBack(outcome, nullptr);
    const int row = dialog.lvwSaveData->selectedCurrentRow();
    if (outcome != planStore::Outcome::Confirmed || row < 0)
        return std::nullopt;
    return dialog.m_model->row(row).data;
}

frmSaveDialog::frmSaveDialog(QWidget* owner, storage::SettingsFile& settings, bool saveMode,
                             qint32 bukiSeq)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_settings(settings)
    , m_bukiSeq(bukiSeq)
    , blnSaveMode(saveMode)
    , m_model(new ValueListModel<planStore::Plan>(
          {{u"改造式"_s, 1600}, {u"性能"_s, 3500}, {u"日付"_s, 1200}}, planCell, this)) {
    setObjectName(u"frmSaveDialog"_s);
    txtName = new QLineEdit(this);
    txtName->setObjectName(u"txtName"_s);
    txtName->installEventFilter(this);
    lblSpec = new QLabel(this);
    lblSpec->setObjectName(u"lblSpec"_s);
    lblSpec->setTextFormat(Qt::PlainText);
    lvwSaveData = new ReportList(this);
    lvwSaveData->setObjectName(u"lvwSaveData"_s);
    lvwSaveData->setFixedSize(twipsToPixels(1600 + 3500 + 1200) + 24,
                              twipsToPixels(saveMode ? kSaveListTwips : kListTwips));
    lvwSaveData->setListModel(m_model);
    cmdDel = ui::makeButton(this, u"cmdDel"_s, u"削除(&D)"_s);
    cmdOK = ui::makeButton(this, u"cmdOK"_s, saveMode ? u"保存(&S)"_s : u"読み出し(&L)"_s);
    cmdOK->setDefault(true);
    cmdCancel = ui::makeButton(this, u"cmdCancel"_s, u"キャンセル"_s);

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
    ui::setTabOrder({txtName, cmdOK, cmdCancel, lvwSaveData, cmdDel});

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

    setWindowTitle(saveMode ? u"改造データ保存"_s : u"改造データ読み出し"_s);
    txtName->setVisible(saveMode);
    lblSpec->setVisible(saveMode);
    if (saveMode)
        txtName->setFocus();
    m_model->assign(planStore::read(m_settings, m_bukiSeq));
}

planStore::Outcome frmSaveDialog::showModal() {
    exec();
    QCoreApplication::processEvents();
    if (m_closedByBox)
        return planStore::Outcome::Closed;
    return m_confirmed ? planStore::Outcome::Confirmed : planStore::Outcome::Cancelled;
}

bool frmSaveDialog::writeBack(planStore::Outcome outcome, const planStore::Plan* added) {
    const planStore::WriteBack action = planStore::writeBack(
        blnSaveMode ? planStore::Mode::Save : planStore::Mode::Load, outcome, blnDeleted);
    if (action == planStore::WriteBack::Nothing)
        return true;
    const storage::SaveOutcome saved =
        planStore::write(m_settings, m_bukiSeq, m_model->rows(),
                         action == planStore::WriteBack::RowsAndNewPlan ? added : nullptr);
    ui::showSaveFailure(parentWidget(), saved);
    return saved.saved;
}

void frmSaveDialog::cmdOKClick() {
    if (blnSaveMode) {
        if (confirmSave())
            finish(true);
        return;
    }
    if (m_model->count() == 0) {
        ui::msgBox(this, messages::NoModifications);
        return;
    }
    if (lvwSaveData->selectedCurrentRow() < 0) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    if (blnDeleted && !askDeletion())
        blnDeleted = false;
    finish(true);
}

// Removes the rows the new plan overwrites; false while the user still has to act.
bool frmSaveDialog::confirmSave() {
    // A blank name, or one the settings file cannot hold, is refused as the editors refuse it.
    if (!mdlCalculation::blnCheckName(txtName))
        return false;
    const QString name = mdlCalculation::strTrimName(txtName->text());
    std::vector<int> overwritten;
    for (int i = 0; i < m_model->count(); ++i) {
        if (m_model->row(i).name != name)
            continue;
        const ui::Answer answer = ui::msgBox(this, m_model->row(i).name + messages::NameInUse,
                                             ui::Buttons::YesNo, ui::Icon::Question);
        if (answer != ui::Answer::Yes)
            return false;
        overwritten.push_back(i);
    }
    for (auto row = overwritten.rbegin(); row != overwritten.rend(); ++row)
        m_model->remove(*row);
    return true;
}

void frmSaveDialog::cmdCancelClick() {
    if (blnDeleted && !askDeletion())
        blnDeleted = false;
    finish(false);
}

void frmSaveDialog::cmdDelClick() {
    if (m_model->count() == 0) {
        ui::msgBox(this, messages::NoModifications);
        return;
    }
    const int row = lvwSaveData->selectedCurrentRow();
    if (row < 0) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    m_model->remove(row);
    blnDeleted = true;
}

bool frmSaveDialog::askDeletion() {
    return ui::msgBox(this, messages::ApplyDeletions, ui::Buttons::YesNo, ui::Icon::Question) ==
           ui::Answer::Yes;
}

void frmSaveDialog::finish(bool confirmed) {
    m_confirmed = confirmed;
    done(confirmed ? QDialog::Accepted : QDialog::Rejected);
}

void frmSaveDialog::reject() {
    m_closedByBox = true;
    m_confirmed = false;
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
