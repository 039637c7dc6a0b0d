#pragma once
// The controls every window builds the same way: named buttons and report lists, and captions of
// master or user texts that must not turn a "&" into an access key.

#include <QString>
#include <initializer_list>

class ListModel;
class QPushButton;
class QWidget;
class ReportList;

namespace ui {

// A button with the object name the windows and tests find it by; Enter presses it while it has
// the focus, as Space does.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& toolTip = {});

ReportList* makeList(QWidget* parent, const QString& name, const QString& toolTip,
                     ListModel* model);

// Tab moves through the controls in this order.
void setTabOrder(std::initializer_list<QWidget*> order);

// A tab or frame caption shows "&" as itself instead of underlining the next letter.
QString plainCaption(QString text);

} // namespace ui
