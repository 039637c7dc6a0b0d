#include "simulator/Simulation.h"

#include "simulator/KaizoText.h"
#include "simulator/PlanString.h"
#include "simulator/WorkTable.h"
#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/modDBAccess.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString naiyoCaption(const QString& naiyo) {
    return u"( "_s + naiyo + u')';
}

} // namespace

Simulation::Simulation(storage::Connection& connection, storage::Recordset& shared)
    : m_connection(connection)
    , m_rs(shared) {}

Simulation::Simulation()
    : Simulation(storage::cnDatabase(), storage::rsShared()) {}

bool Simulation::load(qint16 bukiSeq, const QString& bukiName) {
    m_bukiSeq = bukiSeq;
    m_bukiName = bukiName;
    if (!m_rs.open(modDBAccess::strGetCombatType(bukiSeq)))
        return false;
    // A weapon whose type has no row fights at range, like any type that is not melee.
    m_combatType = m_rs.eof() ? 0 : numberText::toInt16(m_rs.field(0).toDouble());
    m_rs.close();

    if (!m_rs.open(modDBAccess::strGetMaxKaisu(bukiSeq)))
        return false;
    const QVariant max = m_rs.eof() ? QVariant() : m_rs.field(u"MAX_KAISU");
    m_maxKaisu = max.isNull() ? 0 : qMin<qint16>(numberText::toInt16(max.toDouble()), 32766) + 1;
    m_rs.close();
    return true;
}

QString Simulation::frameCaption(qint16 kaisu) const {
    return m_bukiName + u" ("_s + QString::number(kaisu) + u'/' + QString::number(m_maxKaisu) +
           u')';
}

std::optional<qint16> Simulation::stepCount() const {
    return workTable::kaizoCount(m_rs);
}

Simulation::Result Simulation::apply(qint16 kaizoSeq, const QString& name, const QString& naiyo) {
    const std::optional<qint16> k = stepCount();
    if (!k)
        return {Status::DatabaseFailed, 0};
    if (*k >= MaxSteps)
        return {Status::SlotsFull, *k};
    if (!workTable::insertStep(*k, kaizoSeq, m_rs))
        return {Status::DatabaseFailed, *k};
    m_slots[static_cast<std::size_t>(*k)] = {name, naiyoCaption(naiyo), QString::number(kaizoSeq)};
    m_plan = planString::appended(m_plan, kaizoSeq);
    return {Status::Ok, static_cast<qint16>(*k + 1)};
}

Simulation::Result Simulation::undo() {
    const std::optional<qint16> k = stepCount();
    if (!k)
        return {Status::DatabaseFailed, 0};
    if (*k == 0)
        return {Status::AtStepZero, 0};
    if (!workTable::deleteWork(u"WHERE KAISU = "_s + QString::number(*k), m_rs))
        return {Status::DatabaseFailed, *k};
    const qint16 left = static_cast<qint16>(*k - 1);
    if (left < MaxSteps)
        m_slots[static_cast<std::size_t>(left)] = {};
    m_plan = planString::cut(m_plan, left);
    return {Status::Ok, left};
}

bool Simulation::resetState() {
    // Both statements or neither: a table without its base row could not be drawn.
    workTable::Savepoint savepoint(m_connection);
    if (!workTable::deleteWork(u"WHERE SHURUI = 0"_s, m_rs) ||
        !workTable::insertBase(m_bukiSeq, m_rs) || !savepoint.commit())
        return false;
    m_slots.fill({});
    m_plan.clear();
    return true;
}

Simulation::ReplayResult Simulation::replay(const QString& plan) {
    // All steps in one go: faster, and a statement that fails leaves the simulation as it was.
    const std::array<StepSlot, MaxSteps> slotsBefore = m_slots;
    const QString planBefore = m_plan;
    workTable::Savepoint savepoint(m_connection);
    ReplayResult result;
    auto failed = [&](Status status) {
        m_slots = slotsBefore;
        m_plan = planBefore;
        result.status = status;
        return result;
    };
    const std::optional<qint16> k = stepCount();
    if (!k || (*k != 0 && !resetState()))
        return failed(Status::DatabaseFailed);
    m_plan.clear();
    const planString::Parsed parsed = planString::parse(plan, MaxSteps);
    result.invalid = parsed.invalid;
    result.truncated = parsed.truncated;
    for (qint16 seq : parsed.seqs) {
        if (!m_rs.open(modDBAccess::strGetKaizo(seq)))
            return failed(Status::DatabaseFailed);
        // A SEQ the master no longer has still takes its step (it changes no figure); its slot
        // says so instead of repeating the step before it.
        QString name = u"(未登録の改造 "_s + QString::number(seq) + u')';
        QString naiyo;
        if (!m_rs.eof()) {
            name = m_rs.text(1);
            naiyo = kaizoText::description(m_rs);
        }
        m_rs.close();
        const Result step = apply(seq, name, naiyo);
        if (!step.ok())
            return failed(step.status);
        result.applied = step.kaisu;
    }
    if (!savepoint.commit())
        return failed(Status::DatabaseFailed);
    return result;
}

std::optional<std::vector<ListRow>> Simulation::offered(qint16 kaisu) const {
    if (!m_rs.open(modDBAccess::strGetKaizoList(m_bukiSeq, kaisu)))
        return std::nullopt;
    std::vector<ListRow> rows;
    for (; !m_rs.eof(); m_rs.moveNext()) {
        ListRow row;
        row.tag = m_rs.text(0);
        row.text = m_rs.text(1);
        const auto cost = static_cast<qint64>(std::llround(m_rs.field(u"COST").toDouble()));
        row.subItems = {m_rs.text(u"EXP"), numberText::formatThousands(cost),
                        kaizoText::description(m_rs)};
        rows.push_back(std::move(row));
    }
    m_rs.close();
    return rows;
}

std::optional<ChangeSpace> Simulation::setChangeSpace(qint16 seq) {
    workTable::Savepoint savepoint(m_connection);
    if (!workTable::deleteWork(u"WHERE SHURUI = 3"_s, m_rs))
        return std::nullopt;
    // The lookup has a recordset of its own, as the performance change dialog may hold the
    // shared one's statement.
    storage::Recordset lookup(m_connection);
    if (!lookup.open(modDBAccess::strGetChangeSpec(seq)))
        return std::nullopt;
    ChangeSpace change;
    const QString values = workTable::changeSpecValues(lookup);
    change.tag = QString::number(DefaultChangeSpec);
    if (!lookup.eof()) {
        change.found = true;
        change.caption = lookup.text(u"SHURUI") + u" : "_s + lookup.text(u"NAME");
        change.tag = lookup.text(u"SEQ");
    }
    lookup.close();
    if (!workTable::insertValues(values, workTable::ChangeSpecRow, m_rs) || !savepoint.commit())
        return std::nullopt;
    return change;
}

std::optional<bonusCalc::SkillBonus> Simulation::skillBonus(const QString& rank) const {
    return skillBonus(m_rs, rank, m_combatType);
}

std::optional<bonusCalc::SkillBonus>
Simulation::skillBonus(storage::Recordset& rs, const QString& rank, qint16 combatType) {
    if (!rs.open(modDBAccess::strGetLankBonus(rank, combatType)))
        return std::nullopt;
    bonusCalc::SkillBonus bonus;
    if (!rs.eof()) {
        bonus = {numberText::toInt16(rs.field(u"MIN_DAMAGE").toDouble()),
                 numberText::toInt16(rs.field(u"MAX_DAMAGE").toDouble()),
                 numberText::toInt16(rs.field(u"BALANCE").toDouble())};
    }
    rs.close();
    return bonus;
}

bool Simulation::writeBonus(const QString& values) {
    workTable::Savepoint savepoint(m_connection);
    return workTable::deleteWork(u"WHERE SHURUI = 1"_s, m_rs) &&
           workTable::insertValues(values, workTable::BonusRow, m_rs) && savepoint.commit();
}
