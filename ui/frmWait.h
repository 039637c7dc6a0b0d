#pragma once
// The loading window: a small modal box with a short loading text that runs one long job of its
// owner while it is shown. The owner picks the job (setBukiData for refilling the weapon list,
// endApp for shutdown), then calls exec(); the window paints its text, runs the job synchronously
// and hides itself, which ends exec().

#include <QDialog>
#include <functional>

class QLabel;

class frmWait : public QDialog {
    Q_OBJECT
public:
    using Job = std::function<void()>;

    // Unowned, the window is centred on the screen instead of on its owner.
    explicit frmWait(QWidget* owner = nullptr);

    void setBukiData(Job job);
    void endApp(Job job);

    // 0 = weapon list, 2 = shutdown, -1 = nothing selected yet.
    int intWaitMode() const { return m_intWaitMode; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void runJob();

    QLabel* m_label1;
    int m_intWaitMode = -1;
    Job m_job;
    bool m_started = false;
};
