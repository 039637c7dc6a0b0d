#include "simulator/PlanEvaluator.h"

namespace planSearch {

workTable::StepFigures stepFigures(const Row& row) {
    return {row[MinDamage], row[MaxDamage], row[MinWounds], row[MaxWounds], row[Critical],
            row[Balance],   row[Range],     row[Taikyu],    row[Exp],       row[Cost]};
}

Evaluator::Evaluator(const Weapon& weapon)
    : m_bonus(weapon.bonus) {
    for (int column = 0; column <= Taikyu; ++column)
        m_base[column] = atLeastZero(weapon.change[column] + weapon.master[column]);
}

combatCalc::Combat Evaluator::combat(const Row& state) const {
    return combatCalc::fromSums(
        {state[MinDamage] + m_bonus.minDamage, state[MaxDamage] + m_bonus.maxDamage,
         state[MinWounds] + m_bonus.minWounds, state[MaxWounds] + m_bonus.maxWounds,
         state[Critical] + m_bonus.critical, state[Balance] + m_bonus.balance});
}

Row Evaluator::stateAfter(std::span<const Modification* const> steps) const {
    Row state = m_base;
    for (const Modification* step : steps)
        applyStep(state, step->deltas);
    return state;
}

Figures Evaluator::evaluate(std::span<const Modification* const> steps) const {
    const Row state = stateAfter(steps);
    return {stepFigures(state), combat(state)};
}

} // namespace planSearch
