#pragma once
// Reads from the master, once, every value a plan search needs (see PlanData.h), on a recordset
// of its own. Numbers that the simulator passes through a value text (the performance change row
// and the bonus row) are read back through SQLite from the same text, so they carry exactly the
// bits the work table would hold.

#include "catalogue/SideListValues.h"
#include "simulator/BonusCalc.h"
#include "simulator/PlanData.h"

#include <optional>
#include <span>

class Simulation;

namespace storage {
class Connection;
}

namespace planSearch {

// What the bonus row is computed from: the statistics as the status frame uses them, the ranks of
// both combat skills (the weapon's combat type picks one, as the simulator does) and the bonus set
// in force (all zeros for none).
struct Character {
    bonusCalc::Stats stats;
    QString attackRank;
    QString rangeRank;
    bonusCalc::BonusValues set;
};

// The character a profile and a bonus set make, with the ranks of both skills.
Character characterOf(const Profile& profile, const QString& attackRank, const QString& rangeRank,
                      const std::optional<BonusSet>& set);

// What a search for the simulator's weapon starts from: the performance change in force, the
// character with the rank its weapon's skill uses and the bonus set in use (none without a
// profile), and the steps applied so far.
struct Source {
    qint32 weaponSeq = 0;
    qint32 changeSeq = 0;
    std::optional<Character> character;
    std::vector<qint32> applied;
};
Source sourceOf(const Simulation& simulation);

// Without a character no bonus row is in use. nullopt when the weapon is unknown or the database
// refused a statement.
std::optional<Weapon> loadWeapon(storage::Connection& connection, qint32 bukiSeq, qint32 changeSeq,
                                 const std::optional<Character>& character);

// Every shown weapon, in the order of the catalogue's full list.
std::optional<std::vector<Weapon>> loadShownWeapons(storage::Connection& connection,
                                                    qint32 changeSeq,
                                                    const std::optional<Character>& character);

// Steps already applied, looked up by SEQ in the whole master as the work table does; a SEQ the
// master lacks gives a step that changes nothing.
std::optional<std::vector<Modification>> loadSteps(storage::Connection& connection,
                                                   std::span<const qint32> seqs);

} // namespace planSearch
