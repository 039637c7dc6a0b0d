#pragma once
// The plan search dialog: the user picks what to make best and under which limits, the search
// (PlanSearch.h) lists the 50 best plans, and the plan chosen goes back to the simulator, which
// replays it like a loaded plan. The search runs on a worker thread; when it takes longer than a
// moment a progress bar and an abort button appear, and the window never stops answering.

#include "simulator/PlanLoader.h"
#include "simulator/PlanSearch.h"
#include "ui/ListModel.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <optional>

class EntryFields;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class ReportList;

namespace storage {
class Connection;
}

class frmPlanSearch : public QDialog {
    Q_OBJECT
public:
    // The SEQs of the plan to apply, fixed steps first; nothing when closed without one.
    static std::optional<std::vector<qint32>> intFormStart(QWidget* owner, storage::Connection& db,
                                                           const planSearch::Source& source);

    ~frmPlanSearch() override;

    // Closing aborts a search under way.
    void reject() override;

private:
    // A result row: its place in the ranking, the names of its steps and the plan.
    struct PlanRow {
        int rank = 0;
        QString steps;
        planSearch::RankedPlan plan;
    };
    struct ConditionField {
        QString caption;
        QLineEdit* field;
    };

    frmPlanSearch(QWidget* owner, storage::Connection& db, const planSearch::Source& source);

    void buildConditions();
    void buildResults();
    bool readQuery(planSearch::Query& query);
    bool loadInputs();
    void cmdFindClick();
    void showProgress();
    void finished();
    void showPlans(const planSearch::Result& result, const QString& objectiveName);
    QString cell(const PlanRow& row, int column) const;
    void setRunning(bool running);
    void apply();

    storage::Connection& m_db;
    planSearch::Source m_source;
    std::optional<planSearch::Weapon> m_weapon;
    std::vector<planSearch::Modification> m_fixed;
    planSearch::Control m_control;
    QFutureWatcher<planSearch::Result> m_watcher;
    QElapsedTimer m_clock;
    QTimer* m_progressTimer;
    std::optional<std::vector<qint32>> m_chosen;
    ValueListModel<PlanRow>* m_model = nullptr;
    EntryFields* m_entry;
    std::vector<ConditionField> m_conditions;

    QComboBox* cmbObjective = nullptr;
    QLineEdit* txtMaxCost = nullptr;
    QLineEdit* txtMaxExp = nullptr;
    QLineEdit* txtMinTaikyu = nullptr;
    QLineEdit* txtSteps = nullptr;
    QCheckBox* chkFixed = nullptr;
    QPushButton* cmdFind = nullptr;
    ReportList* lvwPlans = nullptr;
    QLabel* lblExamined = nullptr;
    QProgressBar* prgSearch = nullptr;
    QPushButton* cmdAbort = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdClose = nullptr;
};
