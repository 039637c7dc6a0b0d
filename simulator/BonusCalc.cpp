#include "simulator/BonusCalc.h"

#include "app/RowListModel.h"
#include "storage/NumberText.h"
#include "storage/modCommon.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace bonusCalc {

namespace {

const QString kTempKey = u"TEMP"_s;
const QString kFixedSetKey = u"消せません"_s;

// A cell read as a number; hand-edited absurd values (too large for a double) count as 0.
double real(const ListRow& row, int column) {
    const double value = numberText::readLenient(row.cell(column));
    return std::isfinite(value) ? value : 0.0;
}

qint16 whole(const ListRow& row, int column) {
    return numberText::toInt16(real(row, column));
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

QString total(const ListRow& profile, int column, qint16 add) {
    return numberText::numberText(real(profile, column) + add);
}

qint16 readBack(const QString& caption) {
    return numberText::toInt16(numberText::readLenient(caption));
}

} // namespace

int addWorkingCopy(RowListModel& profiles, int current) {
    removeWorkingCopy(profiles);
    ListRow copy;
    copy.key = kTempKey;
    for (int column = 0; column <= 7; ++column)
        copy.setCell(column, profiles.row(current).cell(column));
    return profiles.append(std::move(copy));
}

void removeWorkingCopy(RowListModel& profiles) {
    profiles.remove(workingCopy(profiles));
}

int workingCopy(const RowListModel& profiles) {
    return profiles.findKey(kTempKey);
}

const ListRow* bonusSetInForce(const RowListModel& sets, int current, bool selected) {
    if (!selected || current < 0 || current >= sets.count() ||
        sets.row(current).key == kFixedSetKey)
        return nullptr;
    return &sets.row(current);
}

BonusSet fromRow(const ListRow& row) {
    return BonusSet{real(row, 3),   real(row, 4),   real(row, 5),  real(row, 6),
                    real(row, 7),   real(row, 8),   whole(row, 9), whole(row, 10),
                    whole(row, 11), whole(row, 12), whole(row, 13)};
}

Marks marks(const BonusSet& set) {
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

Totals totals(const ListRow& profile, const BonusSet& set) {
    return Totals{total(profile, 1, set.str), total(profile, 2, set.intl),
                  total(profile, 3, set.dex), total(profile, 4, set.will),
                  total(profile, 5, set.luck)};
}

Stats stats(const Totals& totals) {
    return Stats{readBack(totals.str), readBack(totals.dex), readBack(totals.will),
                 readBack(totals.luck)};
}

Bonus bonus(qint16 combatType, const Stats& stats, const SkillBonus& skill, const BonusSet& set) {
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
