#include "editors/frmProfile.h"

#include "editors/DialogFrame.h"
#include "editors/EntryFields.h"
#include "editors/RankTable.h"
#include "editors/mdlCalculation.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 4800;

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1StringView(name));
    return frame;
}

} // namespace

frmProfile::frmProfile(QWidget* owner, storage::Connection& db)
    : QDialog(owner)
    , m_db(db)
    , m_entry(new EntryFields(this)) {
    setObjectName(u"frmProfile"_s);
    dialogFrame::addLabel(this, "lblName", u"名前"_s, 120, 165, 600);
    txtName = dialogFrame::addField(*m_entry, this, "txtName", QString(), 780, 120, 3900);
    buildStatusFrame();
    buildSkillFrames();

    cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdCancel = new QPushButton(u"キャンセル"_s, this);
    cmdCancel->setObjectName(u"cmdCancel"_s);
    m_entry->add(cmdOK);
    m_entry->add(cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    ui::setTabOrder({txtName, txtStr, txtInt, txtDex, txtWill, txtLuck, cmbAttack, cmbRange,
                     cmbEnchant, cmdOK, cmdCancel});
    layOut(false);
}

void frmProfile::buildStatusFrame() {
    const std::array<QLineEdit*, 5> stats = dialogFrame::addStatusFrame(*m_entry, this);
    txtStr = stats[0];
    txtInt = stats[1];
    txtDex = stats[2];
    txtWill = stats[3];
    txtLuck = stats[4];
}

void frmProfile::buildSkillFrames() {
    const auto list = [this](QWidget* parent, const char* name, int left, int top, int width) {
        auto* combo = new QComboBox(parent);
        combo->setObjectName(QLatin1StringView(name));
        dialogFrame::place(combo, left, top, width, 315);
        m_entry->add(combo);
        return combo;
    };
    fraSkill = makeFrame(this, "fraSkill", u"スキルランク"_s);
    dialogFrame::addLabel(fraSkill, "lblAttack", u"アタック"_s, 150, 390, 840);
    cmbAttack = list(fraSkill, "cmbAttack", 1020, 345, 1230);
    dialogFrame::addLabel(fraSkill, "lblRange", u"レンジ"_s, 150, 810, 840);
    cmbRange = list(fraSkill, "cmbRange", 1020, 765, 1230);

    frmEnchant = makeFrame(this, "frmEnchant", u"エンチャント＆タイトル補正"_s);
    dialogFrame::place(frmEnchant, 2280, 1920, 2400, 900);
    cmbEnchant = list(frmEnchant, "cmbEnchant", 150, 345, 2100);
}

void frmProfile::layOut(bool simulatorMode) {
    const int buttonTop = simulatorMode ? 3000 : 2460;
    dialogFrame::setUp(this, u"キャラクター情報"_s, kClientWidth, simulatorMode ? 3900 : 3435);
    dialogFrame::place(fraSkill, 2280, 540, 2400, simulatorMode ? 1275 : 1395);
    dialogFrame::place(cmdOK, 2280, buttonTop, 1140, 375);
    dialogFrame::place(cmdCancel, 3540, buttonTop, 1140, 375);
    frmEnchant->setVisible(simulatorMode);
}

void frmProfile::fillFields(const Profile& profile) {
    EntryFields::setText(txtName, profile.name);
    const QString* stats[] = {&profile.str, &profile.intl, &profile.dex, &profile.will,
                              &profile.luck};
    QLineEdit* fields[] = {txtStr, txtInt, txtDex, txtWill, txtLuck};
    for (int i = 0; i < 5; ++i)
        EntryFields::setText(fields[i], *stats[i]);
}

bool frmProfile::lookUpRank(const QString& rank, RankChoice& choice) {
    const std::optional<QString> sortNo = rankTable::sortNo(m_db, rank);
    if (!sortNo) {
        ui::msgBox(parentWidget(), messages::RanksUnreadable, ui::Buttons::Ok, ui::Icon::Critical);
        return false;
    }
    choice = {*sortNo, rank};
    return true;
}

bool frmProfile::setAttackIndex(const QString& rank) {
    return lookUpRank(rank, m_attack);
}

bool frmProfile::setRangeIndex(const QString& rank) {
    return lookUpRank(rank, m_range);
}

bool frmProfile::initForm() {
    const std::optional<QStringList> ranks = rankTable::ranks(m_db);
    if (!ranks || ranks->isEmpty()) {
        ui::msgBox(parentWidget(), ranks ? messages::NoRanks : messages::RanksUnreadable,
                   ui::Buttons::Ok, ui::Icon::Critical);
        return false;
    }
    cmbAttack->clear();
    cmbRange->clear();
    cmbAttack->addItems(*ranks);
    cmbRange->addItems(*ranks);
    cmbAttack->setCurrentIndex(rankTable::position(*ranks, m_attack.sortNo, m_attack.name));
    cmbRange->setCurrentIndex(rankTable::position(*ranks, m_range.sortNo, m_range.name));
    // Anything but OK counts as Cancel: the button, Esc and the close box alike.
    return exec() == QDialog::Accepted;
}

// The profile as entered: the statistics as number text, the ranks as chosen; the name as typed
// (the simulator mode keeps the working copy's).
Profile frmProfile::enteredProfile(const Profile& base) const {
    Profile profile = base;
    if (!m_simulatorMode)
        profile.name = txtName->text();
    QString* stats[] = {&profile.str, &profile.intl, &profile.dex, &profile.will, &profile.luck};
    const QLineEdit* fields[] = {txtStr, txtInt, txtDex, txtWill, txtLuck};
    for (int i = 0; i < 5; ++i)
        *stats[i] = mdlCalculation::strStatText(fields[i]->text());
    profile.attack = cmbAttack->currentText();
    profile.range = cmbRange->currentText();
    return profile;
}

void frmProfile::cmdOK_Click() {
    // The simulator mode never writes the name back, so its name is not judged there: a working
    // copy without a name can still have its ranks and statistics changed.
    if (!m_simulatorMode && !mdlCalculation::blnCheckName(txtName))
        return;
    for (QLineEdit* stat : {txtStr, txtInt, txtDex, txtWill, txtLuck}) {
        if (!mdlCalculation::blnCheckRange(stat))
            return;
    }
    accept();
}

std::optional<Profile> frmProfile::intFormStartReg(QWidget* owner, storage::Connection& db) {
    frmProfile dialog(owner, db);
    if (!dialog.initForm())
        return std::nullopt;
    return dialog.enteredProfile({});
}

std::optional<Profile> frmProfile::intFormStartMod(QWidget* owner, storage::Connection& db,
                                                   const Profile& profile) {
    frmProfile dialog(owner, db);
    dialog.fillFields(profile);
    if (!dialog.setAttackIndex(profile.attack) || !dialog.setRangeIndex(profile.range) ||
        !dialog.initForm())
        return std::nullopt;
    return dialog.enteredProfile(profile);
}

std::optional<frmProfile::StatusChoice>
frmProfile::intFormStartChange(QWidget* owner, storage::Connection& db, const StatusInput& input) {
    frmProfile dialog(owner, db);
    dialog.m_simulatorMode = true;
    dialogFrame::greyOut(dialog.txtName);
    dialog.fillFields(input.working);
    const bool ranksRead =
        input.melee
            ? dialog.setAttackIndex(input.rankInUse) && dialog.setRangeIndex(input.working.range)
            : dialog.setAttackIndex(input.working.attack) && dialog.setRangeIndex(input.rankInUse);
    if (!ranksRead)
        return std::nullopt;
    dialogFrame::greyOut(input.melee ? dialog.cmbRange : dialog.cmbAttack);
    dialog.layOut(true);
    if (!input.bonusSets.isEmpty()) {
        dialog.cmbEnchant->addItems(input.bonusSets);
        dialog.cmbEnchant->setCurrentIndex(input.bonusSetRow);
    }
    if (!dialog.initForm())
        return std::nullopt;
    const Profile entered = dialog.enteredProfile(input.working);
    return StatusChoice{entered, input.melee ? entered.attack : entered.range,
                        dialog.cmbEnchant->currentIndex()};
}
