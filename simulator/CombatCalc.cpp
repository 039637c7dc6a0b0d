#include "simulator/CombatCalc.h"

#include "storage/NumberText.h"

#include <algorithm>
#include <cmath>

namespace combatCalc {

double whole(double x) {
    if (std::isnan(x))
        return 0;
    // The default floating-point environment rounds to nearest with ties to even.
    return std::nearbyint(x);
}

double saihin(double minDamage, double maxDamage, double balance) {
    const double d = std::max(maxDamage - minDamage, 0.0);
    return whole(balance * 0.01 * d + minDamage);
}

Combat fromSums(const workTable::CombatSums& sums) {
    Combat c;
    c.minDamage = whole(sums.minDamage);
    c.maxDamage = whole(sums.maxDamage);
    c.minWounds = std::min(whole(sums.minWounds), 100.0);
    c.maxWounds = std::min(whole(sums.maxWounds), 100.0);
    c.critical = whole(sums.critical);
    c.balance = std::min(whole(sums.balance), 80.0);
    c.saihin = saihin(c.minDamage, c.maxDamage, c.balance);
    return c;
}

QString text(double value) {
    return numberText::numberText(value);
}

} // namespace combatCalc
