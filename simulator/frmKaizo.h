#pragma once
// The simulator window: one weapon's modification plan, step by step.
//
// The window draws what the Simulation engine and the work table hold and turns the user's
// clicks, keys and mouse strokes into the engine's commands. The catalogue window's selected rows
// come in through CatalogueAccess; the dialogs opened from here (performance change, profile
// editor, save and load) act on the simulation through SimulatorAccess.

#include "app/RowListModel.h"
#include "simulator/ListGesture.h"
#include "simulator/Simulation.h"
#include "simulator/SimulatorAccess.h"

#include <QDialog>
#include <array>
#include <functional>

class CatalogueAccess;
class QGroupBox;
class QLabel;
class QPushButton;
struct ShownFigures;
class ReportList;

class frmKaizo : public QDialog, public SimulatorAccess {
    Q_OBJECT
public:
    // The performance change dialog: 0 applied (or nothing to offer), 1 cancelled, any other
    // value: the dialog could not be set up.
    using BukiSpecStart = std::function<qint16(SimulatorAccess&)>;
    // The profile editor in simulator mode; it redraws the combat figures itself.
    using ProfileStart = std::function<void(SimulatorAccess&)>;
    struct Hooks {
        BukiSpecStart bukiSpec;
        ProfileStart profile;
    };

    frmKaizo(CatalogueAccess& catalogue, QWidget* owner, Hooks hooks = {});
    ~frmKaizo() override;

    // Runs a simulation of the catalogue's selected weapon, modal over owner; 0 after closing.
    static qint16 intFormStart(CatalogueAccess& catalogue, QWidget* owner, Hooks hooks = {});
    qint16 intFormStart();
    // The start without showing the window; false (already reported) when it failed.
    bool prepare();

    // Modifier keys of the last key-down on the window (Shift 1, Ctrl 2, Alt 4); 0 after a key-up.
    qint16 shiftState() const { return mintShift; }
    void setShiftState(qint16 state) { mintShift = state; }
    const Simulation& simulation() const { return m_sim; }

    // SimulatorAccess
    QWidget* window() override { return this; }
    CatalogueAccess& catalogue() override { return m_catalogue; }
    bool setChangeSpace(qint16 seq) override;
    bool ResetState(bool backup) override;
    bool setStateRecovery(const QString& plan) override;
    bool insertStatus() override;
    bool setCombatStatus(qint16 kaisu) override;
    QString combatTypeTag() const override;
    QString combatTypeCaption() const override;
    QString attackRank() const override;
    void setAttackRank(const QString& rank) override;
    QString changeSpecTag() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void createColumn();
    bool setPersonalData();
    void deleteTmpItem();
    bool setKaizoData(qint16 kaisu);
    bool setBukiStatus(qint16 kaisu);
    bool redraw(qint16 kaisu);
    void showSteps(qint16 kaisu);
    void loadKaizoState(qint16 seq, const QString& name, const QString& naiyo);
    bool handleListKey(int key);

    void cmdKaizoClick();
    void cmdBackClick();
    void cmdResetClick();
    void cmdBukiSpecClick();

    void listPressed(Qt::MouseButton button, const QPoint& pos, bool onRow);
    void listReleased();

    void reportDatabaseFailure();
    ShownFigures shownFigures() const;

    CatalogueAccess& m_catalogue;
    Hooks m_hooks;
    Simulation m_sim;
    RowListModel m_kaizoModel;

    qint16 mintShift = 0;
    ListGesture m_gesture;

    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* fraBukiSpac = nullptr;
    QGroupBox* fraSta = nullptr;
    ReportList* lvwKaizo = nullptr;
    QLabel* lblJukuren = nullptr;
    QLabel* lblCost = nullptr;
    std::array<QLabel*, Simulation::MaxSteps> lblKaizo{};
    std::array<QLabel*, Simulation::MaxSteps> lblKaizoNaiyo{};
    std::array<QLabel*, 6> lblSpec{}; // lblSpec(1) … lblSpec(6)
    QLabel* lblBalanceTassei = nullptr;
    QLabel* lblBukiSpecChange = nullptr;
    std::array<QLabel*, 5> lblStat{};        // lblStr, lblInt, lblDex, lblWill, lblLuck
    std::array<QLabel*, 5> lblEnchantStat{}; // lblEnchantStr … lblEnchantLuck
    QLabel* lblCombatType = nullptr;
    QLabel* lblAttack = nullptr;
    std::array<QLabel*, 4> lblCombat{};  // lblCombat(1) … lblCombat(4)
    std::array<QLabel*, 4> lblEnchant{}; // lblEnchant(1) … lblEnchant(4)
    QLabel* lblStaSaihin = nullptr;
    QLabel* lblSelEnchant = nullptr;
    QPushButton* cmdList = nullptr;
    QPushButton* cmdKaizo = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdBukiSpec = nullptr;
    QPushButton* cmdMod = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdBukiClip = nullptr;
    QPushButton* cmdClipKaizo = nullptr;
    QPushButton* cmdEnd = nullptr;
};
