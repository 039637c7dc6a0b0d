#pragma once
// The simulation of one weapon's modification plan, without any window.
//
// The figures live in the work table (WorkTable.h) and are read back from it; this class holds
// everything else the simulator knows: the weapon, its combat type and step count, the
// performance change in force, the character's working copy with the rank its weapon skill uses
// and the bonus set, the plan string and the five step slots. Every command runs its statements
// first and changes its state only when they all stood (commands of several statements run in one
// transaction), so after a failure the simulation is exactly as it was. The plan string always has
// k items (k = the steps in the work table) and item i is the SEQ of slot i-1.
//
// frmKaizo calls these commands and draws Figures, status() and the slots; the dialogs opened
// from the simulator read what they need here.

#include "catalogue/SideListValues.h"
#include "simulator/Figures.h"
#include "simulator/WorkTable.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace storage {
class Connection;
}

class Simulation {
public:
    static constexpr int MaxSteps = 5;
    static constexpr qint32 DefaultChangeSpec = 23;

    enum class Status { Ok, DatabaseFailed, SlotsFull, AtStepZero };
    struct Result {
        Status status = Status::Ok;
        qint16 kaisu = 0; // the step count afterwards (after a failure, the one it still holds)
        bool ok() const { return status == Status::Ok; }
    };

    struct Weapon {
        qint32 seq = 0;
        QString name;
    };

    explicit Simulation(storage::Connection& connection);

    // Reads the weapon, writes the bonus row of the profile in use (none: no character), the
    // ordinary performance change and step 0.
    Status start(const Weapon& weapon, const std::optional<Profile>& profile,
                 const BonusChoice& bonus);

    const Weapon& weapon() const { return m_weapon; }
    qint16 maxKaisu() const { return m_maxKaisu; }
    bool melee() const { return m_combatType == 1; }
    // name + " (k/max)"
    QString frameCaption(qint16 kaisu) const;
    const QString& plan() const { return m_plan; }
    const std::array<StepSlot, MaxSteps>& stepSlots() const { return m_slots; }
    const ChangeInForce& change() const { return m_change; }
    const std::optional<Profile>& workingProfile() const { return m_working; }
    const QString& rankInUse() const { return m_rank; }
    const BonusChoice& bonus() const { return m_bonus; }
    // The status frame; nothing while no character is in use.
    const std::optional<StatusFigures>& status() const { return m_status; }

    // The steps applied as the simulation holds them (the plan's items) and as the work table
    // counts them; the two agree except while a command is under way.
    qint16 appliedSteps() const;
    std::optional<qint16> stepCount() const;
    std::optional<Figures> figures(qint16 kaisu) const;
    std::optional<std::vector<Modification>> offered(qint16 kaisu) const;

    // Applies a modification as the next step.
    Result apply(const Modification& modification);
    // Removes the last step.
    Result undo();
    // Back to step 0: empty plan and slots, a new base row.
    Result reset();
    // Puts a performance change in force and applies a plan string on step 0 of it: the
    // performance change command with the current plan, and a loaded plan with its own. At most
    // five steps are applied; an item that is not a SEQ ends the plan there.
    Result replayOn(qint32 changeSeq, QString plan);
    // The status dialog's outcome (or, cancelled, the status as it was): the working copy, the
    // rank the weapon's skill uses and the bonus set; rebuilds the bonus row.
    Status setStatus(const Profile& working, const QString& rank, const BonusChoice& bonus);

    // The bonus a rank gives the skill of a combat type; zeros when the rank has no row.
    static std::optional<bonusCalc::SkillBonus> skillBonus(storage::Connection& db,
                                                           const QString& rank, qint16 combatType);

private:
    bool load(const Weapon& weapon);
    bool writeChange(qint32 seq, ChangeInForce& change);
    bool writeStatus(const Profile& working, const QString& rank, const BonusChoice& bonus,
                     StatusFigures& status);
    bool rebuildBase();
    Result applyStep(qint32 seq, const QString& name, const QString& description);

    storage::Connection& m_db;
    workTable::WorkTable m_table;
    Weapon m_weapon;
    qint16 m_maxKaisu = 0;
    qint16 m_combatType = 0;
    ChangeInForce m_change;
    std::optional<Profile> m_working;
    QString m_rank;
    BonusChoice m_bonus;
    std::optional<StatusFigures> m_status;
    QString m_plan;
    std::array<StepSlot, MaxSteps> m_slots;
};
