#pragma once
// The simulation of one weapon's modification plan, without any window.
//
// The figures live in the work table (WorkTable.h); this class keeps only what the table cannot:
// the weapon's identity, the plan string and the five step slots the window shows. Every command
// first runs its statements and changes the plan and the slots only when they succeeded, so the
// plan string always has exactly k items (k = the steps in the work table) and item i is the SEQ
// in slot i-1. frmKaizo calls these commands and draws what they leave behind.

#include "app/RowListModel.h"
#include "simulator/BonusCalc.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace storage {
class Connection;
class Recordset;
} // namespace storage

// What one step slot of the window shows: the modification's name, its description in
// "( " … ")" and, as tag, its SEQ. All empty while the step is not applied.
struct StepSlot {
    QString name;
    QString naiyo;
    QString tag;
};

// The initial performance change as the window shows it.
struct ChangeSpace {
    bool found = false;
    QString caption; // category + " : " + name
    QString tag;     // the SEQ in force; "23" when the entry is unknown
};

class Simulation {
public:
    static constexpr int MaxSteps = 5;
    static constexpr qint16 DefaultChangeSpec = 23;

    enum class Status { Ok, DatabaseFailed, SlotsFull, AtStepZero };
    struct Result {
        Status status = Status::Ok;
        qint16 kaisu = 0; // the step count afterwards
        bool ok() const { return status == Status::Ok; }
    };
    struct ReplayResult {
        Status status = Status::Ok;
        qint16 applied = 0;     // steps applied (the step count afterwards)
        bool invalid = false;   // stopped at an item that is not a SEQ
        bool truncated = false; // items beyond the five slots were left out
        bool ok() const { return status == Status::Ok; }
    };

    explicit Simulation(storage::Connection& connection, storage::Recordset& shared);
    Simulation();

    // Reads the weapon's combat type and step count.
    bool load(qint16 bukiSeq, const QString& bukiName);
    qint16 bukiSeq() const { return m_bukiSeq; }
    const QString& bukiName() const { return m_bukiName; }
    qint16 maxKaisu() const { return m_maxKaisu; }
    qint16 combatType() const { return m_combatType; }
    // name + " (k/max)"
    QString frameCaption(qint16 kaisu) const;

    const QString& plan() const { return m_plan; }
    const std::array<StepSlot, MaxSteps>& stepSlots() const { return m_slots; }

    std::optional<qint16> stepCount() const;

    // Applies a modification as the next step.
    Result apply(qint16 kaizoSeq, const QString& name, const QString& naiyo);
    // Removes the last step.
    Result undo();
    // Back to step 0: empty plan and slots, a new base row.
    bool resetState();
    // Applies a plan string on top of step 0 (returning there first when needed). When a
    // statement fails, the table, the plan and the slots stay as they were before the call.
    ReplayResult replay(const QString& plan);

    // The modifications offered at a step, as rows of the modification list.
    std::optional<std::vector<ListRow>> offered(qint16 kaisu) const;

    // Replaces the performance change row with the entry seq (zeros when it is unknown).
    std::optional<ChangeSpace> setChangeSpace(qint16 seq);
    // The rank bonus of the weapon's combat skill; zeros when the rank has no row.
    std::optional<bonusCalc::SkillBonus> skillBonus(const QString& rank) const;
    static std::optional<bonusCalc::SkillBonus> skillBonus(storage::Recordset& rs,
                                                           const QString& rank, qint16 combatType);
    // Replaces the bonus row.
    bool writeBonus(const QString& values);

private:
    storage::Connection& m_connection;
    storage::Recordset& m_rs;
    qint16 m_bukiSeq = 0;
    QString m_bukiName;
    qint16 m_maxKaisu = 0;
    qint16 m_combatType = 0;
    QString m_plan;
    std::array<StepSlot, MaxSteps> m_slots;
};
