#pragma once
// The save and load dialog of modification plans. In save mode it stores the current plan under a
// name at the end of the weapon's list; in load mode it hands back the plan chosen, which the
// simulator replays. Both modes list the weapon's saved plans and let the user delete some. The
// list is edited in memory only; when the dialog has closed, PlanStore writes it back as the
// outcome requires.

#include "simulator/PlanStore.h"
#include "ui/ListModel.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class ReportList;

namespace storage {
class SettingsFile;
}

class frmSaveDialog : public QDialog {
    Q_OBJECT
public:
    // 0 when the plan record strData was saved, 1 otherwise.
    static qint16 intFormStartSave(QWidget* owner, storage::SettingsFile& settings, qint32 bukiSeq,
                                   const QString& strData, const QString& strSpec,
                                   const QString& strJukuren,
                                   const planStore::Clock& clock = planStore::systemClock());
    // The record of the plan chosen, or nothing when the dialog was cancelled.
    static std::optional<QString> intFormStartLoad(QWidget* owner, storage::SettingsFile& settings,
                                                   qint32 bukiSeq);

    // The close box: neither a confirmation nor a cancellation; nothing is written or loaded.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    frmSaveDialog(QWidget* owner, storage::SettingsFile& settings, bool saveMode, qint32 bukiSeq);

    planStore::Outcome showModal();
    // Writes the list back as the outcome requires; false (already reported) when it failed.
    bool writeBack(planStore::Outcome outcome, const planStore::Plan* added);

    void cmdOKClick();
    void cmdCancelClick();
    void cmdDelClick();
    bool confirmSave();
    bool askDeletion();
    void finish(bool confirmed);

    storage::SettingsFile& m_settings;
    qint32 m_bukiSeq = 0;
    bool m_confirmed = false;
    bool blnDeleted = false;
    bool blnSaveMode = false;
    bool blnSaveListHit = false;
    bool m_closedByBox = false;
    ValueListModel<planStore::Plan>* m_model;
    QLineEdit* txtName = nullptr;
    QLabel* lblSpec = nullptr;
    ReportList* lvwSaveData = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
