#include "simulator/BonusCalc.h"

#include "storage/NumberText.h"
#include "storage/modCommon.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace bonusCalc {

namespace {

// A text read as a number; hand-edited absurd values (too large for a double) count as 0.
double real(const QString& text) {
    const double value = numberText::readLenient(text);
    return std::isfinite(value) ? value : 0.0;
}

qint16 whole(const QString& text) {
    return numberText::toInt16(real(text));
}

double max0(double x) {
    return x > 0 ? x : 0.0;
}

QString sgn(qint16 value) {
    return modCommon::strSigned(value);
}

QString single(double value) {
    return value != 0 ? u" ("_s + sgn(numberText::toInt16(value)) + u')' : QString();
}

QString range(double low, double high) {
    if (low == 0 && high == 0)
        return {};
    return u" ("_s + sgn(numberText::toInt16(low)) + u'～' + sgn(numberText::toInt16(high)) + u')';
}

QString total(const QString& stat, qint16 add) {
    return numberText::numberText(real(stat) + add);
}

qint16 readBack(const QString& caption) {
    return numberText::toInt16(numberText::readLenient(caption));
}

} // namespace

BonusValues values(const BonusSet& set) {
    return BonusValues{real(set.critical),  real(set.balance),   real(set.minDamage),
                       real(set.maxDamage), real(set.minWounds), real(set.maxWounds),
                       whole(set.str),      whole(set.intl),     whole(set.dex),
                       whole(set.will),     whole(set.luck)};
}

Marks marks(const BonusValues& set) {
    return Marks{range(set.minDamage, set.maxDamage),
                 range(set.minWounds, set.maxWounds),
                 single(set.critical),
                 single(set.balance),
                 single(set.str),
                 single(set.intl),
                 single(set.dex),
                 single(set.will),
                 single(set.luck)};
}

Totals totals(const Profile& profile, const BonusValues& set) {
    return Totals{total(profile.str, set.str), total(profile.intl, set.intl),
                  total(profile.dex, set.dex), total(profile.will, set.will),
                  total(profile.luck, set.luck)};
}

Stats stats(const Totals& totals) {
    return Stats{readBack(totals.str), readBack(totals.dex), readBack(totals.will),
                 readBack(totals.luck)};
}

Bonus bonus(qint16 combatType, const Stats& stats, const SkillBonus& skill,
            const BonusValues& set) {
    const int s = combatType == 1 ? stats.str : stats.dex;
    const double d1 = max0(s - 10) * 0.3 + skill.minDamage;
    const double d2 = max0(s - 10) * 0.4 + skill.maxDamage;
    const double b = max0(stats.dex - 10) * 0.25;
    const double w1 = numberText::toInt16(max0(stats.dex + stats.will - 20) * 0.05);
    const double w2 = numberText::toInt16(max0(stats.dex - 20) * 0.1) +
                      numberText::toInt16(max0(stats.will - 20) * 0.2);
    const double c = max0(stats.will - 10) * 0.1 + max0(stats.luck - 10) * 0.1;
    return Bonus{max0(d1 + set.minDamage), max0(d2 + set.maxDamage),
                 max0(w1 + set.minWounds), max0(set.maxWounds + w2),
                 max0(set.critical + c),   max0(b + set.balance + skill.balance)};
}

QString valueText(const Bonus& bonus) {
    const double values[] = {bonus.minDamage, bonus.maxDamage, bonus.minWounds,
                             bonus.maxWounds, bonus.critical,  bonus.balance};
    QString text;
    for (double value : values)
        text += numberText::numberText(value) + u',';
    return text + u"0 "_s;
}

} // namespace bonusCalc
