#pragma once
// The initial performance change dialog: every shown change of the master, grouped under its
// category, with the change in force preselected. The chosen change goes to the simulation
// through SimulatorAccess::setChangeSpace; the simulator then replays its plan on the new base.

#include "app/RowListModel.h"

#include <QDialog>

class QPushButton;
class ReportList;
class SimulatorAccess;

class frmBukiSpec : public QDialog {
    Q_OBJECT
public:
    // 0 when a change was applied or the master offers none, 1 when cancelled, -1 when the list
    // could not be read or the change could not be applied (the caller reports it).
    static qint16 intFormStartChange(SimulatorAccess& sim);

    // Cancel, Esc and the close box alike.
    void reject() override;

private:
    explicit frmBukiSpec(QWidget* owner);

    // Builds the list and preselects the change with this SEQ (the first entry when it is not
    // listed). False when a query failed.
    bool buildList(const QString& currentTag);
    bool hasEntries() const;
    // Shows the dialog modally; the outcome: 0 chosen, 1 cancelled.
    qint16 initForm();
    // The SEQ of the selected row.
    qint16 selectedSeq() const;
    void createColumn();
    void cmdOKClick();
    void choose();

    qint16 intOutcome = 0;
    bool blnSpecListHit = false;
    RowListModel m_model;
    ReportList* lvwSpecList = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
