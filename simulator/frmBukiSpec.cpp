#include "simulator/frmBukiSpec.h"

#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"
#include "ui/ReportList.h"
#include "ui/Twips.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString specCell(const SpecRow& row, int column) {
    switch (row.kind) {
    case SpecRow::Kind::Category:
        return column == 0 ? u"○ "_s + row.category : QString();
    case SpecRow::Kind::Blank:
        return {};
    case SpecRow::Kind::Entry:
        break;
    }
    const ChangeEntry& e = row.entry;
    const QString cells[] = {u"  "_s + e.name, e.damage, e.critical, e.balance, e.taikyu};
    return column < 5 ? cells[column] : QString();
}

// Category captions are drawn in grey: they cannot be chosen.
class SpecListModel : public ValueListModel<SpecRow> {
public:
    explicit SpecListModel(QObject* parent)
        : ValueListModel(reportColumns({{u"武器名"_s, 1400},
                                        {u"ダメージ"_s, 900},
                                        {u"クリティカル"_s, 1100},
                                        {u"バランス"_s, 900},
                                        {u"耐久"_s, 600}}),
                         specCell, parent) {}

protected:
    RowColour rowColour(int row) const override {
        return this->row(row).kind == SpecRow::Kind::Category ? RowColour::ButtonShadow
                                                              : RowColour::Normal;
    }
};

} // namespace

frmBukiSpec::Outcome frmBukiSpec::intFormStartChange(QWidget* owner, storage::Connection& db,
                                                     qint32 changeInForce) {
    const std::optional<std::vector<ChangeGroup>> groups = changeCatalogue::groups(db);
    if (!groups)
        return {Outcome::Kind::Failed};
    if (groups->empty())
        return {Outcome::Kind::NothingOffered};
    frmBukiSpec dialog(owner);
    dialog.buildList(*groups, changeInForce);
    dialog.lvwSpecList->setFocus();
    dialog.exec();
    const SpecRow* row = dialog.selectedRow();
    if (!dialog.m_chosen || !row)
        return {Outcome::Kind::Cancelled};
    return {Outcome::Kind::Chosen, row->entry.seq};
}

frmBukiSpec::frmBukiSpec(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_model(new SpecListModel(this)) {
    setObjectName(u"frmBukiSpec"_s);
    setWindowTitle(u"武器性能変化"_s);

    lvwSpecList = new ReportList(this);
    lvwSpecList->setObjectName(u"lvwSpecList"_s);
    lvwSpecList->setMinimumSize(twipsToPixels(1400 + 900 + 1100 + 900 + 600) + 24,
                                twipsToPixels(4000));
    lvwSpecList->setListModel(m_model);
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
    ui::setTabOrder({lvwSpecList, cmdOK, cmdCancel});

    connect(cmdOK, &QPushButton::clicked, this, &frmBukiSpec::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &frmBukiSpec::reject);
    connect(lvwSpecList, &ReportList::buttonPressed, this,
            [this](Qt::MouseButton, const QPoint&, bool onRow) { blnSpecListHit = onRow; });
    connect(lvwSpecList, &ReportList::listDoubleClicked, this, [this] {
        const SpecRow* row = selectedRow();
        if (blnSpecListHit && row && row->kind == SpecRow::Kind::Entry) {
            m_chosen = true;
            accept();
        }
    });
}

void frmBukiSpec::buildList(const std::vector<ChangeGroup>& groups, qint32 changeInForce) {
    std::vector<SpecRow> rows;
    int current = -1;
    for (const ChangeGroup& group : groups) {
        rows.push_back({SpecRow::Kind::Category, group.name, {}});
        for (const ChangeEntry& entry : group.entries) {
            if (entry.seq == changeInForce && current < 0)
                current = static_cast<int>(rows.size());
            rows.push_back({SpecRow::Kind::Entry, group.name, entry});
        }
        rows.push_back({SpecRow::Kind::Blank, {}, {}});
    }
    // A change in force that is not listed (hidden since, or gone) must not lock the user out.
    if (current < 0)
        current = 1;
    m_model->assign(std::move(rows));
    lvwSpecList->setCurrentRow(current);
    lvwSpecList->setToolTip(u"ダブルクリックで選択できます。"_s + messages::NotSelectable);
}

// The list's current row, whether or not it is still highlighted.
const SpecRow* frmBukiSpec::selectedRow() const {
    const int row = lvwSpecList->currentRow();
    return row >= 0 && row < m_model->count() ? &m_model->row(row) : nullptr;
}

void frmBukiSpec::cmdOKClick() {
    const SpecRow* row = selectedRow();
    if (!row || row->kind != SpecRow::Kind::Entry) {
        ui::msgBox(this, messages::NotSelectable, ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    m_chosen = true;
    accept();
}

void frmBukiSpec::reject() {
    m_chosen = false;
    QDialog::reject();
}
