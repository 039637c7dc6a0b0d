#pragma once
// The plan search: which sequence of modifications gives a weapon the best figures.
//
// PlanLoader reads what one simulation depends on (the weapon, its modifications, the performance
// change and the bonus row) from the master once and hands it over as the values below; the
// Evaluator reproduces the work table's arithmetic on them in memory, bit for bit; PlanSearch
// walks every valid plan with the Evaluator and keeps the best. Nothing after loading touches
// the database or any window, so a search may run on a worker thread.

#include "simulator/WorkTable.h"

#include <QString>
#include <array>
#include <vector>

namespace planSearch {

// The work table's ten columns in their order.
enum Column : int {
    MinDamage,
    MaxDamage,
    MinWounds,
    MaxWounds,
    Critical,
    Balance,
    Range,
    Taikyu,
    Exp,
    Cost,
    ColumnCount
};
using Row = std::array<double, ColumnCount>;

struct Modification {
    qint32 seq = 0;
    QString name;
    qint16 kaisuS = 0;
    qint16 kaisuE = -1;
    qint64 sortNo = 0;
    Row deltas{};
    QString etc;

    // Offered at step k (k steps applied) when KAISU_S <= k <= KAISU_E.
    bool offeredAt(int k) const { return kaisuS <= k && k <= kaisuE; }
};

struct Weapon {
    qint32 seq = 0;
    QString name;
    qint16 combatType = 0;
    // Steps the weapon offers: the highest KAISU_E + 1, 0 without modifications.
    qint16 stepCount = 0;
    // The master's eight figures and the performance change row as the work table holds it.
    Row master{};
    Row change{};
    // The bonus row as the work table holds it; zeros without a profile, which add nothing.
    workTable::CombatSums bonus;
    // In the order the search and its ties use: SORT_NO, then SEQ.
    std::vector<Modification> mods;
};

} // namespace planSearch
