#pragma once
// What the character adds to the combat figures: statistics, the rank of the weapon's combat
// skill and the selected enchant and title bonus set. The results become the bonus row of the
// work table (as its value text) and the status frame's totals and marks.

#include "catalogue/SideListValues.h"

#include <QString>

namespace bonusCalc {

// What a bonus set adds, as numbers: the combat bonuses as real numbers, the statistics as whole
// numbers.
struct BonusValues {
    double critical = 0;
    double balance = 0;
    double minDamage = 0;
    double maxDamage = 0;
    double minWounds = 0;
    double maxWounds = 0;
    qint16 str = 0;
    qint16 intl = 0;
    qint16 dex = 0;
    qint16 will = 0;
    qint16 luck = 0;
};
BonusValues values(const BonusSet& set);

// " (+a～+b)", " (+c)" …; empty where the set adds nothing.
struct Marks {
    QString damage, wounds, critical, balance;
    QString str, intl, dex, will, luck;
};
Marks marks(const BonusValues& set);

// The statistics shown in the status frame: the profile's value plus the set's.
struct Totals {
    QString str, intl, dex, will, luck;
};
Totals totals(const Profile& profile, const BonusValues& set);

// The statistics the formulas use: the shown totals read back as whole numbers.
struct Stats {
    qint16 str = 0, dex = 0, will = 0, luck = 0;
};
Stats stats(const Totals& totals);

struct SkillBonus {
    qint16 minDamage = 0, maxDamage = 0, balance = 0;
};

struct Bonus {
    double minDamage = 0, maxDamage = 0, minWounds = 0, maxWounds = 0, critical = 0, balance = 0;
};
// combatType 1 is melee (Str drives the damage), anything else range (Dex).
Bonus bonus(qint16 combatType, const Stats& stats, const SkillBonus& skill, const BonusValues& set);

// "D1,D2,W1,W2,C,B,0 ": the seven values of the bonus row.
QString valueText(const Bonus& bonus);

} // namespace bonusCalc
