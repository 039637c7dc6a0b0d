#pragma once
// The simulator window: one weapon's modification plan, step by step.
//
// The window turns the user's clicks, keys and mouse strokes into the commands of a Simulation
// and draws what it hands back: the figures of the current step in three panels
// (KaizoPanels.h), the step slots and the modifications offered next. The catalogue's choices
// come in through CatalogueAccess; the dialogs opened from here get the values they show and
// hand back what the user chose, which the window gives to the Simulation.

#include "editors/frmProfile.h"
#include "simulator/ListGesture.h"
#include "simulator/Simulation.h"
#include "simulator/frmBukiSpec.h"
#include "storage/Stores.h"
#include "ui/ListModel.h"

#include <QDialog>
#include <functional>

class CatalogueAccess;
class ControlPanel;
class PlanPanel;
class QPushButton;
class ReportList;
class StatusPanel;
class WeaponPanel;

class frmKaizo : public QDialog {
    Q_OBJECT
public:
    // The dialogs this window opens; tests put their own in.
    struct Dialogs {
        std::function<frmBukiSpec::Outcome(QWidget*, storage::Connection&, qint32)> bukiSpec;
        std::function<std::optional<frmProfile::StatusChoice>(QWidget*, storage::Connection&,
                                                              const frmProfile::StatusInput&)>
            status;
    };
    static Dialogs realDialogs();

    frmKaizo(QWidget* owner, const storage::Stores& stores, CatalogueAccess& catalogue,
             Dialogs dialogs = realDialogs());
    ~frmKaizo() override;

    // Runs a simulation of the catalogue's selected weapon, modal over owner; 0 after closing.
    static qint16 intFormStart(QWidget* owner, const storage::Stores& stores,
                               CatalogueAccess& catalogue);
    qint16 intFormStart();
    // The start without showing the window; false (already reported) when it failed.
    bool prepare();

    const Simulation& simulation() const { return m_sim; }
    // Modifier keys of the last key-down on the window (Shift 1, Ctrl 2, Alt 4); 0 after a key-up.
    qint16 shiftState() const { return mintShift; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void connectCommands();
    void connectList();
    bool redraw(qint16 kaisu);
    void showSteps(qint16 kaisu);
    bool after(const Simulation::Result& result);
    void reportDatabaseFailure();
    bool handleListKey(int key);

    void cmdKaizoClick();
    void cmdBackClick();
    void cmdResetClick();
    void cmdBukiSpecClick();
    void cmdModClick();
    void cmdSaveClick();
    void cmdLoadClick();
    void cmdSearchClick();
    void listReleased();

    ShownFigures shownFigures() const;

    storage::Stores m_stores;
    CatalogueAccess& m_catalogue;
    Dialogs m_dialogs;
    Simulation m_sim;
    // What the window shows now; the exports and the plan save read it.
    std::optional<Figures> m_shown;
    ValueListModel<Modification>* m_kaizoModel;

    qint16 mintShift = 0;
    ListGesture m_gesture;

    PlanPanel* Frame2;
    ReportList* lvwKaizo;
    WeaponPanel* fraBukiSpac;
    StatusPanel* fraSta;
    ControlPanel* Frame1;
};
