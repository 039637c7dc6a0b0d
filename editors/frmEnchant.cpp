#include "editors/frmEnchant.h"

#include "editors/DialogFrame.h"
#include "editors/EntryFields.h"
#include "editors/mdlCalculation.h"
#include "ui/Controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

frmEnchant::frmEnchant(QWidget* owner)
    : QDialog(owner)
    , m_entry(new EntryFields(this)) {
    setObjectName(u"frmEnchant"_s);
    dialogFrame::setUp(this, u"エンチャント＆タイトル補正"_s, 6600, 3435);
    dialogFrame::addLabel(this, "lblName", u"名前"_s, 120, 165, 600);
    txtName = dialogFrame::addField(*m_entry, this, "txtName", QString(), 780, 120, 5700);
    buildStatusFrame();
    buildCombatFrame();

    cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    dialogFrame::place(cmdOK, 4080, 2460, 1140, 375);
    cmdCancel = new QPushButton(u"キャンセル"_s, this);
    cmdCancel->setObjectName(u"cmdCancel"_s);
    dialogFrame::place(cmdCancel, 5340, 2460, 1140, 375);
    m_entry->add(cmdOK);
    m_entry->add(cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    ui::setTabOrder({txtName, txtStr, txtInt, txtDex, txtWill, txtLuck, txtMinDamage, txtMaxDamage,
                     txtMinWounds, txtMaxWounds, txtCritical, txtBalance, cmdOK, cmdCancel});
}

void frmEnchant::buildStatusFrame() {
    const std::array<QLineEdit*, 5> stats = dialogFrame::addStatusFrame(*m_entry, this);
    txtStr = stats[0];
    txtInt = stats[1];
    txtDex = stats[2];
    txtWill = stats[3];
    txtLuck = stats[4];
}

void frmEnchant::buildCombatFrame() {
    const auto label = dialogFrame::addLabel;
    const auto field = [this](QWidget* parent, const char* name, int left, int top, int width) {
        return dialogFrame::addField(*m_entry, parent, name, u"0"_s, left, top, width);
    };
    auto* Frame1 = new QGroupBox(u"戦闘ステータス"_s, this);
    Frame1->setObjectName(u"Frame1"_s);
    dialogFrame::place(Frame1, 2280, 540, 4200, 1440);
    label(Frame1, "lblDamage", u"ダメージ"_s, 150, 345, 1080);
    txtMinDamage = field(Frame1, "txtMinDamage", 1260, 300, 1200);
    label(Frame1, "lblMaxDamage", u"～"_s, 2520, 345, 240);
    txtMaxDamage = field(Frame1, "txtMaxDamage", 2820, 300, 1200);
    label(Frame1, "Label1", u"負傷率"_s, 150, 705, 1080);
    txtMinWounds = field(Frame1, "txtMinWounds", 1260, 660, 1200);
    label(Frame1, "Label2", u"～"_s, 2520, 705, 240);
    txtMaxWounds = field(Frame1, "txtMaxWounds", 2820, 660, 1200);
    label(Frame1, "lblCritical", u"クリティカル"_s, 150, 1065, 1080);
    txtCritical = field(Frame1, "txtCritical", 1260, 1020, 900);
    label(Frame1, "lblBalance", u"バランス"_s, 2220, 1065, 840);
    txtBalance = field(Frame1, "txtBalance", 3120, 1020, 900);
}

void frmEnchant::fillFields(const BonusSet& set) {
    const std::pair<QLineEdit*, const QString*> fields[] = {{txtName, &set.name},
                                                            {txtMinDamage, &set.minDamage},
                                                            {txtMaxDamage, &set.maxDamage},
                                                            {txtMinWounds, &set.minWounds},
                                                            {txtMaxWounds, &set.maxWounds},
                                                            {txtCritical, &set.critical},
                                                            {txtBalance, &set.balance},
                                                            {txtStr, &set.str},
                                                            {txtInt, &set.intl},
                                                            {txtDex, &set.dex},
                                                            {txtWill, &set.will},
                                                            {txtLuck, &set.luck}};
    for (const auto& [field, text] : fields)
        EntryFields::setText(field, *text);
}

std::optional<BonusSet> frmEnchant::initForm(const BonusSet& base) {
    // Anything but OK counts as Cancel: the button, Esc and the close box alike.
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    // The combat bonuses as typed, the statistics as number text.
    BonusSet set = base;
    set.name = txtName->text();
    set.minDamage = txtMinDamage->text();
    set.maxDamage = txtMaxDamage->text();
    set.minWounds = txtMinWounds->text();
    set.maxWounds = txtMaxWounds->text();
    set.critical = txtCritical->text();
    set.balance = txtBalance->text();
    QString* stats[] = {&set.str, &set.intl, &set.dex, &set.will, &set.luck};
    const QLineEdit* fields[] = {txtStr, txtInt, txtDex, txtWill, txtLuck};
    for (int i = 0; i < 5; ++i)
        *stats[i] = mdlCalculation::strStatText(fields[i]->text());
    return set;
}

void frmEnchant::cmdOK_Click() {
    if (!mdlCalculation::blnCheckName(txtName))
        return;
    for (QLineEdit* stat : {txtStr, txtInt, txtDex, txtWill, txtLuck}) {
        if (!mdlCalculation::blnCheckRange(stat))
            return;
    }
    // Stored as typed, so they must also survive the settings file.
    for (QLineEdit* bonus :
         {txtMinDamage, txtMaxDamage, txtMinWounds, txtMaxWounds, txtCritical, txtBalance}) {
        if (!mdlCalculation::blnCheckRange(bonus) || !mdlCalculation::blnCheckStorable(bonus))
            return;
    }
    accept();
}

std::optional<BonusSet> frmEnchant::intFormStartReg(QWidget* owner) {
    frmEnchant dialog(owner);
    return dialog.initForm({});
}

std::optional<BonusSet> frmEnchant::intFormStartMod(QWidget* owner, const BonusSet& set) {
    frmEnchant dialog(owner);
    dialog.fillFields(set);
    return dialog.initForm(set);
}
