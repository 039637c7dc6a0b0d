#include "editors/frmProfile.h"

#include "app/MessageBox.h"
#include "app/RowListModel.h"
#include "catalogue/CatalogueAccess.h"
#include "editors/DialogFrame.h"
#include "editors/EntryFields.h"
#include "editors/mdlCalculation.h"
#include "simulator/SimulatorAccess.h"
#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 4800;

QString rankReadFailure() {
    return u"スキルランクを読み込めませんでした。"_s;
}

// The list position a rank choice stands for. The rank table is meant to number its ranks
// 0, 1, 2 … so the tag is the position; when it is not (a gap, a table counted from 1), the rank
// is found by its name instead, so that a profile never silently gets a neighbouring rank.
int rankPosition(const QComboBox* list, const QString& tag, const QString& name) {
    const double tagged = numberText::readLenient(tag);
    const int position = tagged >= 0 && tagged < list->count() ? static_cast<int>(tagged) : -1;
    if (position >= 0 && list->itemText(position) == name)
        return position;
    const int byName =
        name.isEmpty() ? -1 : list->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (byName >= 0)
        return byName;
    return std::max(position, 0);
}

} // namespace

frmProfile::frmProfile(QWidget* owner)
    : QDialog(owner)
    , m_entry(new EntryFields(this)) {
    setObjectName(u"frmProfile"_s);
    const auto label = dialogFrame::addLabel;
    const auto field = [this](QWidget* parent, const char* name, const QString& text, int left,
                              int top, int width) {
        return dialogFrame::addField(*m_entry, parent, name, text, left, top, width);
    };
    const auto list = [this](QWidget* parent, const char* name, int left, int top, int width) {
        auto* c = new QComboBox(parent);
        c->setObjectName(QLatin1StringView(name));
        dialogFrame::place(c, left, top, width, 315);
        m_entry->add(c);
        return c;
    };
    const auto frame = [this](const char* name, const QString& caption) {
        auto* f = new QGroupBox(caption, this);
        f->setObjectName(QLatin1StringView(name));
        return f;
    };

    label(this, "lblName", u"名前"_s, 120, 165, 600);
    txtName = field(this, "txtName", QString(), 780, 120, 3900);

    QGroupBox* fraStatus = frame("fraStatus", u"基本ステータス"_s);
    dialogFrame::place(fraStatus, 120, 540, 2040, 1800);
    const char* statLabels[] = {"lblStr", "lblInt", "lblDex", "lblWill", "lblLuck"};
    const QString statCaptions[] = {u"Str"_s, u"Int"_s, u"Dex"_s, u"Will"_s, u"Luck"_s};
    const char* statFields[] = {"txtStr", "txtInt", "txtDex", "txtWill", "txtLuck"};
    QLineEdit** stats[] = {&txtStr, &txtInt, &txtDex, &txtWill, &txtLuck};
    for (int i = 0; i < 5; ++i) {
        label(fraStatus, statLabels[i], statCaptions[i], 150, 300 + i * 285, 600);
        *stats[i] = field(fraStatus, statFields[i], u"0"_s, 840, 270 + i * 285, 1050);
    }

    fraSkill = frame("fraSkill", u"スキルランク"_s);
    label(fraSkill, "lblAttack", u"アタック"_s, 150, 390, 840);
    cmbAttack = list(fraSkill, "cmbAttack", 1020, 345, 1230);
    label(fraSkill, "lblRange", u"レンジ"_s, 150, 810, 840);
    cmbRange = list(fraSkill, "cmbRange", 1020, 765, 1230);

    frmEnchant = frame("frmEnchant", u"エンチャント＆タイトル補正"_s);
    dialogFrame::place(frmEnchant, 2280, 1920, 2400, 900);
    cmbEnchant = list(frmEnchant, "cmbEnchant", 150, 345, 2100);

    cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdCancel = new QPushButton(u"キャンセル"_s, this);
    cmdCancel->setObjectName(u"cmdCancel"_s);
    m_entry->add(cmdOK);
    m_entry->add(cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    QWidget* order[] = {txtName,   txtStr,   txtInt,     txtDex, txtWill,  txtLuck,
                        cmbAttack, cmbRange, cmbEnchant, cmdOK,  cmdCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    layOut(false);
}

void frmProfile::layOut(bool simulatorMode) {
    const int buttonTop = simulatorMode ? 3000 : 2460;
    dialogFrame::setUp(this, u"キャラクター情報"_s, kClientWidth, simulatorMode ? 3900 : 3435);
    dialogFrame::place(fraSkill, 2280, 540, 2400, simulatorMode ? 1275 : 1395);
    dialogFrame::place(cmdOK, 2280, buttonTop, 1140, 375);
    dialogFrame::place(cmdCancel, 3540, buttonTop, 1140, 375);
    frmEnchant->setVisible(simulatorMode);
}

void frmProfile::fillFields(const ListRow& row) {
    EntryFields::setText(txtName, row.text);
    QLineEdit* stats[] = {txtStr, txtInt, txtDex, txtWill, txtLuck};
    for (int i = 0; i < 5; ++i)
        EntryFields::setText(stats[i], row.cell(i + 1));
}

bool frmProfile::lookUpRank(const QString& rank, RankChoice& choice) {
    storage::Recordset& rs = storage::rsShared();
    if (!rs.open(modDBAccess::strGetLankSortNo(rank))) {
        ui::msgBox(parentWidget(), rankReadFailure(), ui::Buttons::Ok, ui::Icon::Critical);
        return false;
    }
    choice.name = rank;
    choice.tag = rs.eof() ? u"0"_s : rs.text(u"SORT_NO");
    rs.close();
    return true;
}

bool frmProfile::setAttackIndex(const QString& strAttackLank) {
    return lookUpRank(strAttackLank, m_attack);
}

bool frmProfile::setRangeIndex(const QString& strRangeLank) {
    return lookUpRank(strRangeLank, m_range);
}

bool frmProfile::initForm() {
    intOutcome = 0;
    storage::Recordset& rs = storage::rsShared();
    if (!rs.open(modDBAccess::strGetLankList())) {
        ui::msgBox(parentWidget(), rankReadFailure(), ui::Buttons::Ok, ui::Icon::Critical);
        return false;
    }
    cmbAttack->clear();
    cmbRange->clear();
    if (rs.eof()) {
        rs.close();
        ui::msgBox(parentWidget(), u"スキルランクが登録されていません。"_s, ui::Buttons::Ok,
                   ui::Icon::Critical);
        return false;
    }
    for (; !rs.eof(); rs.moveNext()) {
        const QString rank = rs.text(u"LANK");
        cmbAttack->addItem(rank);
        cmbRange->addItem(rank);
    }
    rs.close();
    cmbAttack->setCurrentIndex(rankPosition(cmbAttack, m_attack.tag, m_attack.name));
    cmbRange->setCurrentIndex(rankPosition(cmbRange, m_range.tag, m_range.name));
    // Anything but OK counts as Cancel: the button, Esc and the close box alike.
    if (exec() != QDialog::Accepted)
        intOutcome = 1;
    return true;
}

void frmProfile::fillEnchantList(CatalogueAccess& catalogue) {
    const RowListModel& sets = catalogue.enchantList();
    if (sets.count() == 0)
        return;
    cmbEnchant->clear();
    for (const ListRow& row : sets.rows())
        cmbEnchant->addItem(row.text);
    // Offer the set the simulation applies now: the current row only counts while it is
    // highlighted, otherwise no set is applied, which the fixed first row stands for.
    const int current = catalogue.enchantCurrentRow();
    const bool applied =
        catalogue.enchantCurrentSelected() && current >= 0 && current < sets.count();
    cmbEnchant->setCurrentIndex(applied ? current : 0);
}

void frmProfile::writeRow(ListRow& row, bool withName) const {
    if (withName)
        row.text = txtName->text();
    const QLineEdit* stats[] = {txtStr, txtInt, txtDex, txtWill, txtLuck};
    for (int i = 0; i < 5; ++i)
        row.setCell(i + 1, mdlCalculation::strStatText(stats[i]->text()));
    row.setCell(6, cmbAttack->currentText());
    row.setCell(7, cmbRange->currentText());
}

void frmProfile::recomputeStatus(SimulatorAccess& simulator) {
    storage::Recordset& rs = storage::rsShared();
    bool done = rs.open(modDBAccess::strGetKaizoCount()) && !rs.eof();
    const qint16 kaisu = done ? numberText::toInt16(rs.field(u"KAIZO_COUNT").toDouble()) : 0;
    rs.close();
    done = done && simulator.insertStatus() && simulator.setCombatStatus(kaisu);
    if (!done)
        ui::msgBox(simulator.window(), u"ステータスを再計算できませんでした。"_s, ui::Buttons::Ok,
                   ui::Icon::Critical);
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

qint16 frmProfile::intFormStartReg(QWidget* owner, CatalogueAccess& catalogue) {
    frmProfile dialog(owner);
    if (!dialog.initForm() || dialog.intOutcome == 1)
        return 1;
    ListRow row;
    dialog.writeRow(row, true);
    catalogue.profileList().append(std::move(row));
    return 0;
}

qint16 frmProfile::intFormStartMod(QWidget* owner, CatalogueAccess& catalogue) {
    RowListModel& profiles = catalogue.profileList();
    const int current = catalogue.profileCurrentRow();
    if (current < 0 || current >= profiles.count())
        return 1;
    frmProfile dialog(owner);
    const ListRow& row = profiles.row(current);
    dialog.fillFields(row);
    if (!dialog.setAttackIndex(row.cell(6)) || !dialog.setRangeIndex(row.cell(7)))
        return 1;
    if (!dialog.initForm() || dialog.intOutcome == 1)
        return 1;
    ListRow changed = profiles.row(current);
    dialog.writeRow(changed, true);
    profiles.replace(current, std::move(changed));
    return 0;
}

qint16 frmProfile::intFormStartChange(SimulatorAccess& simulator) {
    CatalogueAccess& catalogue = simulator.catalogue();
    RowListModel& profiles = catalogue.profileList();
    const QString tempKey = u"TEMP"_s;
    // Without a working copy the simulation runs without a character: nothing to edit.
    if (profiles.findKey(tempKey) < 0)
        return 1;

    frmProfile dialog(simulator.window());
    dialog.m_simulatorMode = true;
    dialogFrame::greyOut(dialog.txtName);
    const ListRow& copy = profiles.row(profiles.findKey(tempKey));
    dialog.fillFields(copy);
    // One decision for both the offered lists and the rank written back to the simulator.
    const bool attackWeapon = numberText::readLenient(simulator.combatTypeTag()) == 1;
    const bool ranksRead =
        attackWeapon
            ? dialog.setAttackIndex(simulator.attackRank()) && dialog.setRangeIndex(copy.cell(7))
            : dialog.setAttackIndex(copy.cell(6)) && dialog.setRangeIndex(simulator.attackRank());
    if (!ranksRead)
        return 1;
    dialogFrame::greyOut(attackWeapon ? dialog.cmbRange : dialog.cmbAttack);
    dialog.layOut(true);
    dialog.fillEnchantList(catalogue);
    if (!dialog.initForm())
        return 1;

    qint16 result = 1;
    const int temp = profiles.findKey(tempKey);
    if (dialog.intOutcome != 1 && temp >= 0) {
        simulator.setAttackRank(attackWeapon ? dialog.cmbAttack->currentText()
                                             : dialog.cmbRange->currentText());
        ListRow changed = profiles.row(temp);
        dialog.writeRow(changed, false);
        profiles.replace(temp, std::move(changed));
        const int set = dialog.cmbEnchant->currentIndex();
        if (set >= 0 && set < catalogue.enchantList().count())
            catalogue.selectEnchantRow(set);
        result = 0;
    }
    dialog.recomputeStatus(simulator);
    return result;
}
