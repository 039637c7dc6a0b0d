#pragma once
// What the dialogs opened from the simulator (performance change, save and load, the profile
// editor's simulator mode) may do to the running simulation. frmKaizo implements it.
//
// The operations run work-table statements; each returns false when the database refused one, and
// the caller reports that.

#include <QString>

class CatalogueAccess;
class QWidget;

class SimulatorAccess {
public:
    virtual ~SimulatorAccess() = default;

    virtual QWidget* window() = 0;
    virtual CatalogueAccess& catalogue() = 0;

    // Writes the initial performance change row for the entry (SEQ 23 fallback when unknown).
    virtual bool setChangeSpace(qint16 seq) = 0;
    // Back to step 0; with backup true nothing is redrawn because a replay follows.
    virtual bool ResetState(bool backup) = 0;
    // Replays a plan string on top of step 0 and redraws once.
    virtual bool setStateRecovery(const QString& plan) = 0;
    // Rebuilds the status frame and the bonus row from the working profile and bonus set.
    virtual bool insertStatus() = 0;
    // Shows the combat figures of a step.
    virtual bool setCombatStatus(qint16 kaisu) = 0;

    // lblCombatType: tag "1" with caption "アタック", or tag "2" with caption "レンジ".
    virtual QString combatTypeTag() const = 0;
    virtual QString combatTypeCaption() const = 0;
    // lblAttack: the rank of the weapon's skill the simulation uses.
    virtual QString attackRank() const = 0;
    virtual void setAttackRank(const QString& rank) = 0;
    // lblBukiSpecChange's tag: the SEQ of the performance change in force, as text.
    virtual QString changeSpecTag() const = 0;
};
