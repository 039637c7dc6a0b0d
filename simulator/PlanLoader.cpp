#include "simulator/PlanLoader.h"

#include "simulator/PlanString.h"
#include "simulator/Simulation.h"
#include "storage/Database.h"
#include "storage/FigureColumns.h"
#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>

namespace planSearch {

namespace {

QStringView columnName(int column) {
    return column < Exp ? figureColumns::Names[std::size_t(column)]
                        : figureColumns::Totals[std::size_t(column - Exp)];
}

// SUM skips NULL, so a NULL figure adds what 0 adds.
double number(const storage::Recordset& rs, int position) {
    const QVariant value = rs.field(position);
    return value.isNull() ? 0.0 : value.toDouble();
}

qint16 clamped16(double value) {
    return static_cast<qint16>(std::clamp(value, -32768.0, 32767.0));
}

// The column positions of a SELECT * on KAIZO_MASTER, looked up once per statement.
struct KaizoColumns {
    explicit KaizoColumns(const storage::Recordset& rs)
        : seq(rs.position(u"SEQ"))
        , bukiSeq(rs.position(u"BUKI_SEQ"))
        , kaisuS(rs.position(u"KAISU_S"))
        , kaisuE(rs.position(u"KAISU_E"))
        , sortNo(rs.position(u"SORT_NO"))
        , etc(rs.position(u"ETC")) {
        for (int column = 0; column < ColumnCount; ++column)
            deltas[column] = rs.position(columnName(column));
    }

    Modification read(const storage::Recordset& rs) const {
        Modification m;
        m.seq = static_cast<qint32>(rs.field(seq).toLongLong());
        m.name = rs.text(1);
        // The list asks KAISU_S <= k AND KAISU_E >= k of whole k, which a NULL never passes.
        const QVariant first = rs.field(kaisuS);
        const QVariant last = rs.field(kaisuE);
        if (!first.isNull() && !last.isNull()) {
            m.kaisuS = clamped16(std::ceil(first.toDouble()));
            m.kaisuE = clamped16(std::floor(last.toDouble()));
        }
        m.sortNo = rs.field(sortNo).toLongLong();
        for (int column = 0; column < ColumnCount; ++column)
            m.deltas[column] = number(rs, deltas[column]);
        m.etc = rs.text(etc);
        return m;
    }

    int seq, bukiSeq, kaisuS, kaisuE, sortNo, etc;
    std::array<int, ColumnCount> deltas{};
};

// Reads the values of a value text the way the work table stores them.
std::optional<std::array<double, 7>> storedValues(storage::Recordset& rs, const QString& values) {
    if (!rs.open(modDBAccess::strGetValues(values)) || rs.eof() || rs.fieldCount() < 7)
        return std::nullopt;
    std::array<double, 7> stored{};
    for (int i = 0; i < 7; ++i)
        stored[i] = number(rs, i);
    rs.close();
    return stored;
}

std::optional<Row> changeRow(storage::Recordset& rs, qint32 changeSeq) {
    if (!rs.open(modDBAccess::strGetChangeSpec(changeSeq)))
        return std::nullopt;
    const QString values = workTable::changeSpecValues(rs);
    rs.close();
    const std::optional<std::array<double, 7>> v = storedValues(rs, values);
    if (!v)
        return std::nullopt;
    return Row{(*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4], (*v)[5], 0, (*v)[6], 0, 0};
}

std::optional<workTable::CombatSums> bonusRow(storage::Connection& connection,
                                              storage::Recordset& rs, qint16 combatType,
                                              const Character& character) {
    const QString& rank = combatType == 1 ? character.attackRank : character.rangeRank;
    const std::optional<bonusCalc::SkillBonus> skill =
        Simulation::skillBonus(connection, rank, combatType);
    if (!skill)
        return std::nullopt;
    const bonusCalc::Bonus bonus =
        bonusCalc::bonus(combatType, character.stats, *skill, character.set);
    const std::optional<std::array<double, 7>> v = storedValues(rs, bonusCalc::valueText(bonus));
    if (!v)
        return std::nullopt;
    return workTable::CombatSums{(*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4], (*v)[5]};
}

// The bonus row per combat type, computed once for each.
class BonusRows {
public:
    BonusRows(storage::Connection& connection, storage::Recordset& rs,
              const std::optional<Character>& character)
        : m_connection(connection)
        , m_rs(rs)
        , m_character(character) {}

    std::optional<workTable::CombatSums> of(qint16 combatType) {
        if (!m_character)
            return workTable::CombatSums{};
        const auto known = m_rows.find(combatType);
        if (known != m_rows.end())
            return known->second;
        const std::optional<workTable::CombatSums> row =
            bonusRow(m_connection, m_rs, combatType, *m_character);
        if (row)
            m_rows.emplace(combatType, *row);
        return row;
    }

private:
    storage::Connection& m_connection;
    storage::Recordset& m_rs;
    const std::optional<Character>& m_character;
    std::map<qint16, workTable::CombatSums> m_rows;
};

// A weapon row of strGetPlanWeapon / strGetPlanWeaponsShown, without its modifications.
Weapon readWeapon(const storage::Recordset& rs) {
    Weapon w;
    w.seq = static_cast<qint32>(rs.field(0).toLongLong());
    w.name = rs.text(1);
    for (int column = 0; column <= Taikyu; ++column)
        w.master[column] = number(rs, 2 + column);
    w.combatType = numberText::toInt16(number(rs, 10));
    return w;
}

// Sorts into the search's order and counts the steps as the simulator does.
void finish(Weapon& w, std::optional<double> maxKaisuE) {
    std::sort(w.mods.begin(), w.mods.end(), [](const Modification& a, const Modification& b) {
        return a.sortNo != b.sortNo ? a.sortNo < b.sortNo : a.seq < b.seq;
    });
    w.stepCount = maxKaisuE ? qMin<qint16>(numberText::toInt16(*maxKaisuE), 32766) + 1 : 0;
}

void noteKaisuE(std::optional<double>& highest, const storage::Recordset& rs, int position) {
    const QVariant value = rs.field(position);
    if (!value.isNull())
        highest = std::max(highest.value_or(value.toDouble()), value.toDouble());
}

} // namespace

Character characterOf(const Profile& profile, const QString& attackRank, const QString& rangeRank,
                      const std::optional<BonusSet>& set) {
    const bonusCalc::BonusValues values = set ? bonusCalc::values(*set) : bonusCalc::BonusValues{};
    return {bonusCalc::stats(bonusCalc::totals(profile, values)), attackRank, rangeRank, values};
}

Source sourceOf(const Simulation& simulation) {
    Source source{simulation.weapon().seq, simulation.change().seq, std::nullopt, {}};
    if (const std::optional<Profile>& working = simulation.workingProfile()) {
        const QString& rank = simulation.rankInUse();
        source.character = characterOf(*working, rank, rank, simulation.bonus().set);
    }
    for (qint32 seq : planString::parse(simulation.plan(), Simulation::MaxSteps).seqs)
        source.applied.push_back(seq);
    return source;
}

std::optional<Weapon> loadWeapon(storage::Connection& connection, qint32 bukiSeq, qint32 changeSeq,
                                 const std::optional<Character>& character) {
    storage::Recordset rs(connection);
    if (!rs.open(modDBAccess::strGetPlanWeapon(bukiSeq)) || rs.eof())
        return std::nullopt;
    Weapon w = readWeapon(rs);
    rs.close();

    if (!rs.open(modDBAccess::strGetPlanKaizoList(bukiSeq)))
        return std::nullopt;
    const KaizoColumns columns(rs);
    std::optional<double> maxKaisuE;
    for (; !rs.eof(); rs.moveNext()) {
        w.mods.push_back(columns.read(rs));
        noteKaisuE(maxKaisuE, rs, columns.kaisuE);
    }
    rs.close();
    finish(w, maxKaisuE);

    const std::optional<Row> change = changeRow(rs, changeSeq);
    const std::optional<workTable::CombatSums> bonus =
        BonusRows(connection, rs, character).of(w.combatType);
    if (!change || !bonus)
        return std::nullopt;
    w.change = *change;
    w.bonus = *bonus;
    return w;
}

std::optional<std::vector<Weapon>> loadShownWeapons(storage::Connection& connection,
                                                    qint32 changeSeq,
                                                    const std::optional<Character>& character) {
    storage::Recordset rs(connection);
    const std::optional<Row> change = changeRow(rs, changeSeq);
    if (!change || !rs.open(modDBAccess::strGetPlanWeaponsShown()))
        return std::nullopt;
    std::vector<Weapon> weapons;
    QHash<qint32, qsizetype> bySeq;
    for (; !rs.eof(); rs.moveNext()) {
        bySeq.insert(static_cast<qint32>(rs.field(0).toLongLong()), weapons.size());
        weapons.push_back(readWeapon(rs));
        weapons.back().change = *change;
    }
    rs.close();

    if (!rs.open(modDBAccess::strGetPlanKaizoAll()))
        return std::nullopt;
    const KaizoColumns columns(rs);
    std::vector<std::optional<double>> maxKaisuE(weapons.size());
    for (; !rs.eof(); rs.moveNext()) {
        const auto owner =
            bySeq.constFind(static_cast<qint32>(rs.field(columns.bukiSeq).toLongLong()));
        if (owner == bySeq.cend())
            continue;
        weapons[*owner].mods.push_back(columns.read(rs));
        noteKaisuE(maxKaisuE[*owner], rs, columns.kaisuE);
    }
    rs.close();

    BonusRows bonusRows(connection, rs, character);
    for (std::size_t i = 0; i < weapons.size(); ++i) {
        finish(weapons[i], maxKaisuE[i]);
        const std::optional<workTable::CombatSums> bonus = bonusRows.of(weapons[i].combatType);
        if (!bonus)
            return std::nullopt;
        weapons[i].bonus = *bonus;
    }
    return weapons;
}

std::optional<std::vector<Modification>> loadSteps(storage::Connection& connection,
                                                   std::span<const qint32> seqs) {
    storage::Recordset rs(connection);
    std::vector<Modification> steps;
    for (qint32 seq : seqs) {
        if (!rs.open(modDBAccess::strGetKaizo(seq)))
            return std::nullopt;
        Modification step;
        step.seq = seq;
        if (!rs.eof())
            step = KaizoColumns(rs).read(rs);
        rs.close();
        steps.push_back(std::move(step));
    }
    return steps;
}

} // namespace planSearch
