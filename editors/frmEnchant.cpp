#include "editors/frmEnchant.h"

#include "app/RowListModel.h"
#include "catalogue/CatalogueAccess.h"
#include "editors/DialogFrame.h"
#include "editors/EntryFields.h"
#include "editors/mdlCalculation.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QString kFixedRowKey = u"消せません"_s;

} // namespace

frmEnchant::frmEnchant(QWidget* owner)
    : QDialog(owner)
    , m_entry(new EntryFields(this)) {
    setObjectName(u"frmEnchant"_s);
    const auto label = dialogFrame::addLabel;
    const auto field = [this](QWidget* parent, const char* name, const QString& text, int left,
                              int top, int width) {
        return dialogFrame::addField(*m_entry, parent, name, text, left, top, width);
    };

    dialogFrame::setUp(this, u"エンチャント＆タイトル補正"_s, 6600, 3435);
    label(this, "lblName", u"名前"_s, 120, 165, 600);
    txtName = field(this, "txtName", QString(), 780, 120, 5700);

    auto* fraStatus = new QGroupBox(u"基本ステータス"_s, this);
    fraStatus->setObjectName(u"fraStatus"_s);
    dialogFrame::place(fraStatus, 120, 540, 2040, 1800);
    const char* statLabels[] = {"lblStr", "lblInt", "lblDex", "lblWill", "lblLuck"};
    const QString statCaptions[] = {u"Str"_s, u"Int"_s, u"Dex"_s, u"Will"_s, u"Luck"_s};
    const char* statFields[] = {"txtStr", "txtInt", "txtDex", "txtWill", "txtLuck"};
    QLineEdit** stats[] = {&txtStr, &txtInt, &txtDex, &txtWill, &txtLuck};
    for (int i = 0; i < 5; ++i) {
        label(fraStatus, statLabels[i], statCaptions[i], 150, 300 + i * 285, 600);
        *stats[i] = field(fraStatus, statFields[i], u"0"_s, 840, 270 + i * 285, 1050);
    }

    auto* Frame1 = new QGroupBox(u"戦闘ステータス"_s, this);
    Frame1->setObjectName(u"Frame1"_s);
    dialogFrame::place(Frame1, 2280, 540, 4200, 1440);
    label(Frame1, "lblDamage", u"ダメージ"_s, 150, 345, 1080);
    txtMinDamage = field(Frame1, "txtMinDamage", u"0"_s, 1260, 300, 1200);
    label(Frame1, "lblMaxDamage", u"～"_s, 2520, 345, 240);
    txtMaxDamage = field(Frame1, "txtMaxDamage", u"0"_s, 2820, 300, 1200);
    label(Frame1, "Label1", u"負傷率"_s, 150, 705, 1080);
    txtMinWounds = field(Frame1, "txtMinWounds", u"0"_s, 1260, 660, 1200);
    label(Frame1, "Label2", u"～"_s, 2520, 705, 240);
    txtMaxWounds = field(Frame1, "txtMaxWounds", u"0"_s, 2820, 660, 1200);
    label(Frame1, "lblCritical", u"クリティカル"_s, 150, 1065, 1080);
    txtCritical = field(Frame1, "txtCritical", u"0"_s, 1260, 1020, 900);
    label(Frame1, "lblBalance", u"バランス"_s, 2220, 1065, 840);
    txtBalance = field(Frame1, "txtBalance", u"0"_s, 3120, 1020, 900);

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

    QWidget* order[] = {txtName,     txtStr,       txtInt,       txtDex,       txtWill,
                        txtLuck,     txtMinDamage, txtMaxDamage, txtMinWounds, txtMaxWounds,
                        txtCritical, txtBalance,   cmdOK,        cmdCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmEnchant::fillFields(const ListRow& row) {
    EntryFields::setText(txtName, row.text);
    EntryFields::setText(txtMinDamage, row.cell(5));
    EntryFields::setText(txtMaxDamage, row.cell(6));
    EntryFields::setText(txtMinWounds, row.cell(7));
    EntryFields::setText(txtMaxWounds, row.cell(8));
    EntryFields::setText(txtCritical, row.cell(3));
    EntryFields::setText(txtBalance, row.cell(4));
    QLineEdit* stats[] = {txtStr, txtInt, txtDex, txtWill, txtLuck};
    for (int i = 0; i < 5; ++i)
        EntryFields::setText(stats[i], row.cell(9 + i));
}

void frmEnchant::initForm() {
    intOutcome = 0;
    // Anything but OK counts as Cancel: the button, Esc and the close box alike.
    if (exec() != QDialog::Accepted)
        intOutcome = 1;
}

void frmEnchant::writeRow(ListRow& row) const {
    row.text = txtName->text();
    row.setCell(5, txtMinDamage->text());
    row.setCell(6, txtMaxDamage->text());
    row.setCell(7, txtMinWounds->text());
    row.setCell(8, txtMaxWounds->text());
    row.setCell(1, txtMinDamage->text() + u"～"_s + txtMaxDamage->text());
    row.setCell(2, txtMinWounds->text() + u"～"_s + txtMaxWounds->text());
    row.setCell(3, txtCritical->text());
    row.setCell(4, txtBalance->text());
    const QLineEdit* stats[] = {txtStr, txtInt, txtDex, txtWill, txtLuck};
    for (int i = 0; i < 5; ++i)
        row.setCell(9 + i, mdlCalculation::strStatText(stats[i]->text()));
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

qint16 frmEnchant::intFormStartReg(QWidget* owner, CatalogueAccess& catalogue) {
    frmEnchant dialog(owner);
    dialog.initForm();
    if (dialog.intOutcome == 1)
        return 1;
    ListRow row;
    dialog.writeRow(row);
    catalogue.enchantList().append(std::move(row));
    return 0;
}

qint16 frmEnchant::intFormStartMod(QWidget* owner, CatalogueAccess& catalogue) {
    RowListModel& sets = catalogue.enchantList();
    const int current = catalogue.enchantCurrentRow();
    if (current < 0 || current >= sets.count() || sets.row(current).key == kFixedRowKey)
        return 1;
    frmEnchant dialog(owner);
    dialog.fillFields(sets.row(current));
    dialog.initForm();
    if (dialog.intOutcome == 1)
        return 1;
    ListRow changed = sets.row(current);
    dialog.writeRow(changed);
    sets.replace(current, std::move(changed));
    return 0;
}
