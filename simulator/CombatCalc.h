#pragma once
// The combat figures of a step: the work table's sums of weapon state and bonus row, rounded once
// to whole numbers and limited as the game limits them, and the mode value of a hit's damage.
// Figures are kept in double: a hand-edited profile can push them past the 16-bit range, and they
// are then shown as they are instead of being cut.

#include "simulator/WorkTable.h"

#include <QString>

namespace combatCalc {

// The nearest whole number, ties to the even one (2.5 -> 2, 3.5 -> 4); NaN gives 0.
double whole(double x);

// The mode value: whole(balance x 0.01 x d + min) with d = max - min, at least 0.
double saihin(double minDamage, double maxDamage, double balance);

struct Combat {
    double minDamage = 0, maxDamage = 0; // as they are, also when min > max
    double minWounds = 0, maxWounds = 0; // at most 100 each
    double critical = 0;                 // no limit
    double balance = 0;                  // at most 80
    double saihin = 0;
};
Combat fromSums(const workTable::CombatSums& sums);

// A figure as the labels show it: plain decimal digits.
QString text(double value);

} // namespace combatCalc
