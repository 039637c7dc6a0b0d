#pragma once
// The initial performance change dialog: every shown change of the master, grouped under its
// category, with the change in force preselected. It hands back the chosen change; the simulator
// then puts it in force and replays its plan on it.

#include "simulator/ChangeCatalogue.h"
#include "ui/ListModel.h"

#include <QDialog>

class QPushButton;
class ReportList;

namespace storage {
class Connection;
}

// A row of the list: a category caption, a change, or the blank row that ends a category.
struct SpecRow {
    enum class Kind { Category, Entry, Blank };
    Kind kind = Kind::Blank;
    QString category;
    ChangeEntry entry;
};

class frmBukiSpec : public QDialog {
    Q_OBJECT
public:
    struct Outcome {
        enum class Kind { Chosen, Cancelled, NothingOffered, Failed };
        Kind kind = Kind::Cancelled;
        qint32 seq = 0; // the chosen change
    };

    static Outcome intFormStartChange(QWidget* owner, storage::Connection& db,
                                      qint32 changeInForce);

    // Cancel, Esc and the close box alike.
    void reject() override;

private:
    explicit frmBukiSpec(QWidget* owner);

    // Lists the groups and preselects the change in force (the first entry when it is not
    // listed).
    void buildList(const std::vector<ChangeGroup>& groups, qint32 changeInForce);
    const SpecRow* selectedRow() const;
    void cmdOKClick();

    bool m_chosen = false;
    bool blnSpecListHit = false;
    ValueListModel<SpecRow>* m_model;
    ReportList* lvwSpecList = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
