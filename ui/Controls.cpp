#include "ui/Controls.h"

#include "ui/ReportList.h"

#include <QPushButton>

namespace ui {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& toolTip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAutoDefault(true);
    return button;
}

ReportList* makeList(QWidget* parent, const QString& name, const QString& toolTip,
                     ListModel* model) {
    auto* list = new ReportList(parent);
    list->setObjectName(name);
    list->setToolTip(toolTip);
    list->setListModel(model);
    return list;
}

void setTabOrder(std::initializer_list<QWidget*> order) {
    for (auto it = order.begin(); it + 1 < order.end(); ++it)
        QWidget::setTabOrder(*it, *(it + 1));
}

QString plainCaption(QString text) {
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace ui
