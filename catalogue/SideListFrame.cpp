#include "catalogue/SideListFrame.h"

#include "ui/Controls.h"
#include "ui/ReportList.h"
#include "ui/Twips.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Sizes in twips, as the layouts are measured.
constexpr int ListWidth = 10650;
constexpr int ListHeight = 1600;
constexpr int ButtonWidth = 1500;

} // namespace

SideListFrame::SideListFrame(QWidget* parent, const QString& frameName, const QString& listName,
                             const QString& buttonSuffix, const QString& subject, ListModel* model)
    : QGroupBox(subject, parent)
    , list(ui::makeList(this, listName, u"ダブルクリックで"_s + subject + u"を編集できます。"_s,
                        model))
    , cmdReg(ui::makeButton(this, u"cmdReg"_s + buttonSuffix, u"新規登録(&R)"_s,
                            subject + u"を新規登録します。"_s))
    , cmdMod(ui::makeButton(this, u"cmdMod"_s + buttonSuffix, u"編集(&M)"_s,
                            u"選択した"_s + subject + u"を編集します。"_s))
    , cmdDel(ui::makeButton(this, u"cmdDel"_s + buttonSuffix, u"削除(&D)"_s,
                            u"選択した"_s + subject + u"を削除します。"_s)) {
    setObjectName(frameName);
    list->setFixedSize(twipsToPixels(ListWidth), twipsToPixels(ListHeight));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {cmdReg, cmdMod, cmdDel}) {
        button->setFixedWidth(twipsToPixels(ButtonWidth));
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list);
    layout->addLayout(buttons);
}
