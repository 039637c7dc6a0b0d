#pragma once
// A side-list frame of the catalogue window, titled with what it lists: the list fills the left
// part, and the new, edit and delete buttons stand one above the other at its right.

#include <QGroupBox>

class ListModel;
class QPushButton;
class ReportList;

class SideListFrame : public QGroupBox {
    Q_OBJECT
public:
    // subject: what the list holds ("キャラクター情報"), which the captions and tooltips name;
    // buttonSuffix: what the buttons' object names end in ("" or "Enchant").
    SideListFrame(QWidget* parent, const QString& frameName, const QString& listName,
                  const QString& buttonSuffix, const QString& subject, ListModel* model);

    ReportList* list;
    QPushButton* cmdReg;
    QPushButton* cmdMod;
    QPushButton* cmdDel;
};
