#pragma once
// The work table's arithmetic in memory (see PlanData.h for how the plan search fits together).
//
// The table keeps each weapon state as a clamped running total and sums the bonus row into the
// combat figures; SQLite adds two numbers per column each time, which is one rounding in double
// precision, so the same additions here give the same bits. The bonus row reaches the table as
// text; the loader reads it back the same way, so it is already in its stored form here.

#include "simulator/CombatCalc.h"
#include "simulator/PlanData.h"

#include <span>

namespace planSearch {

// What the simulator shows after a plan.
struct Figures {
    workTable::StepFigures weapon; // the weapon state row
    combatCalc::Combat combat;     // the status frame's figures
};

workTable::StepFigures stepFigures(const Row& row);

class Evaluator {
public:
    explicit Evaluator(const Weapon& weapon);

    // The base row: master figures plus performance change, each at least 0; EXP and COST 0.
    const Row& base() const { return m_base; }

    // The row of the next step. Defined here because the search runs it for every plan it meets.
    static void applyStep(Row& state, const Row& deltas) {
        for (int column = 0; column < ColumnCount; ++column)
            state[column] = atLeastZero(state[column] + deltas[column]);
    }
    // Like the table's IIF(x < 0, 0, x); a negative zero comes out as the 0 the table stores.
    static double atLeastZero(double x) { return x > 0 ? x : 0.0; }

    // The status frame's figures for a weapon state: the state plus the bonus row.
    combatCalc::Combat combat(const Row& state) const;

    Row stateAfter(std::span<const Modification* const> steps) const;
    Figures evaluate(std::span<const Modification* const> steps) const;

private:
    Row m_base{};
    workTable::CombatSums m_bonus;
};

} // namespace planSearch
