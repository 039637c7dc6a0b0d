#include "simulator/frmBukiSpec.h"

#include "app/MessageBox.h"
#include "app/ReportList.h"
#include "app/Twips.h"
#include "simulator/SimulatorAccess.h"
#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

const QString kNotSelectable = u"選べません"_s;
const QString kNotSelectableMessage = u"空行やカテゴリ行は選択できません。"_s;

} // namespace

qint16 frmBukiSpec::intFormStartChange(SimulatorAccess& sim) {
    frmBukiSpec dialog(sim.window());
    if (!dialog.buildList(sim.changeSpecTag()))
        return -1;
    if (!dialog.hasEntries())
        return 0;
    if (dialog.initForm() == 1)
        return 1;
    return sim.setChangeSpace(dialog.selectedSeq()) ? 0 : -1;
}

frmBukiSpec::frmBukiSpec(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(u"frmBukiSpec"_s);
    setWindowTitle(u"武器性能変化"_s);

    lvwSpecList = new ReportList(this);
    lvwSpecList->setObjectName(u"lvwSpecList"_s);
    lvwSpecList->setMinimumSize(twipsToPixels(1400 + 900 + 1100 + 900 + 600) + 24,
                                twipsToPixels(4000));
    cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(u"キャンセル"_s, this);
    cmdCancel->setObjectName(u"cmdCancel"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(lvwSpecList, 1);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(lvwSpecList, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmBukiSpec::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmBukiSpec::reject);
    connect(lvwSpecList, &ReportList::buttonPressed, this,
            [this](Qt::MouseButton, const QPoint&, bool onRow) { blnSpecListHit = onRow; });
    connect(lvwSpecList, &ReportList::listDoubleClicked, this, [this] {
        const int row = lvwSpecList->currentRow();
        if (blnSpecListHit && row >= 0 && m_model.row(row).tag != kNotSelectable)
            choose();
    });
}

void frmBukiSpec::createColumn() {
    m_model.setColumns({{u"武器名"_s, 1400, Qt::AlignLeft},
                        {u"ダメージ"_s, 900, Qt::AlignHCenter},
                        {u"クリティカル"_s, 1100, Qt::AlignHCenter},
                        {u"バランス"_s, 900, Qt::AlignHCenter},
                        {u"耐久"_s, 600, Qt::AlignHCenter}});
    lvwSpecList->setRowModel(&m_model);
}

bool frmBukiSpec::buildList(const QString& currentTag) {
    createColumn();
    // The category query stays open while each category's entries are read.
    storage::Recordset categories(storage::cnDatabase());
    storage::Recordset entries(storage::cnDatabase());
    if (!categories.open(modDBAccess::strGetChangeSpecShuruiList()))
        return false;
    std::vector<ListRow> rows;
    for (; !categories.eof(); categories.moveNext()) {
        const QString shurui = categories.text(0);
        if (!entries.open(modDBAccess::strGetChangeSpecList(shurui)))
            return false;
        std::vector<ListRow> shown;
        for (; !entries.eof(); entries.moveNext()) {
            const QString seq = entries.text(u"SEQ");
            shown.push_back({u"  "_s + entries.text(u"NAME"),
                             {entries.text(u"DAMAGE"), entries.text(u"CRITICAL"),
                              entries.text(u"BLANCE"), entries.text(u"TAIKYU")},
                             seq,
                             u"LIST_"_s + seq,
                             RowColour::Normal});
        }
        entries.close();
        // A category whose changes are all hidden offers nothing to choose.
        if (shown.empty())
            continue;
        rows.push_back({u"○ "_s + shurui, {}, kNotSelectable, {}, RowColour::ButtonShadow});
        std::move(shown.begin(), shown.end(), std::back_inserter(rows));
        rows.push_back({{}, {}, kNotSelectable, {}, RowColour::Normal});
    }
    categories.close();
    m_model.assign(std::move(rows));

    // A change in force that is not listed (hidden since, or gone) must not lock the user out.
    int current = m_model.findKey(u"LIST_"_s + currentTag);
    for (int i = 0; current < 0 && i < m_model.count(); ++i) {
        if (m_model.row(i).tag != kNotSelectable)
            current = i;
    }
    lvwSpecList->setCurrentRow(current);
    lvwSpecList->setToolTip(u"ダブルクリックで選択できます。"_s + kNotSelectableMessage);
    return true;
}

bool frmBukiSpec::hasEntries() const {
    return m_model.count() > 0;
}

qint16 frmBukiSpec::initForm() {
    intOutcome = 0;
    lvwSpecList->setFocus();
    exec();
    return intOutcome;
}

qint16 frmBukiSpec::selectedSeq() const {
    const int row = lvwSpecList->currentRow();
    return row < 0 ? qint16(0) : numberText::toInt16(numberText::readLenient(m_model.row(row).tag));
}

void frmBukiSpec::cmdOKClick() {
    const int row = lvwSpecList->currentRow();
    if (row < 0 || m_model.row(row).tag == kNotSelectable) {
        ui::msgBox(this, kNotSelectableMessage, ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    choose();
}

void frmBukiSpec::choose() {
    intOutcome = 0;
    done(QDialog::Accepted);
}

void frmBukiSpec::reject() {
    intOutcome = 1;
    QDialog::reject();
}
