#pragma once
// The save and load dialog of modification plans. In save mode it stores the current plan under a
// name at the end of the weapon's list; in load mode it replays a chosen plan in the simulator.
// Both modes list the weapon's saved plans and let the user delete some. The list is edited in
// memory only; when the dialog has closed, PlanStore writes it back as the outcome requires.

#include "app/RowListModel.h"
#include "simulator/PlanStore.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class ReportList;
class SimulatorAccess;
struct ShownFigures;

class frmSaveDialog : public QDialog {
    Q_OBJECT
public:
    // The simulator's save button: offers the plan on show for saving once a step is applied.
    static void cmdSaveClick(SimulatorAccess& sim, const ShownFigures& shown, const QString& plan);

    // 0 when the plan record strData was saved, 1 otherwise.
    static qint16 intFormStartSave(SimulatorAccess& sim, const QString& strData,
                                   const QString& strSpec, const QString& strJukuren,
                                   const planStore::Clock& clock = planStore::systemClock());
    // 0 when a plan was chosen (and, unless it holds nothing, replayed), 1 when cancelled.
    static qint16 intFormStartLoad(SimulatorAccess& sim);

    // The close box: neither a confirmation nor a cancellation; nothing is written or loaded.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmSaveDialog(QWidget* owner, bool saveMode, qint16 bukiSeq);

    void createColumn();
    void subDataLoad();
    planStore::Outcome showModal();
    std::vector<planStore::Plan> plans() const;
    // Writes the list back as the outcome requires; false (already reported) when it failed.
    bool writeBack(planStore::Outcome outcome, const planStore::Plan* added);

    void cmdOKClick();
    void cmdCancelClick();
    void cmdDelClick();
    bool confirmSave();
    bool askDeletion();
    void finish(qint16 outcome);

    qint16 m_bukiSeq = 0;
    qint16 intOutcome = 1;
    bool blnDeleted = false;
    bool blnSaveMode = false;
    bool blnSaveListHit = false;
    bool m_closedByBox = false;
    RowListModel m_model;
    QLineEdit* txtName = nullptr;
    QLabel* lblSpec = nullptr;
    ReportList* lvwSaveData = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
