#include "simulator/Simulation.h"

#include "simulator/KaizoText.h"
#include "simulator/PlanString.h"
#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/Transaction.h"
#include "storage/modDBAccess.h"

#include <cmath>

using namespace Qt::StringLiterals;
using workTable::RowKind;

Simulation::Simulation(storage::Connection& connection)
    : m_db(connection)
    , m_table(connection) {}

Simulation::Status Simulation::start(const Weapon& weapon, const std::optional<Profile>& profile,
                                     const BonusChoice& bonus) {
    if (!load(weapon))
        return Status::DatabaseFailed;
    storage::Transaction transaction(m_db);
    StatusFigures status;
    ChangeInForce change;
    const QString rank = profile ? (melee() ? profile->attack : profile->range) : QString();
    if ((profile && !writeStatus(*profile, rank, bonus, status)) ||
        !writeChange(DefaultChangeSpec, change) || !rebuildBase() || !transaction.commit())
        return Status::DatabaseFailed;
    m_working = profile;
    m_rank = rank;
    m_bonus = bonus;
    m_status = profile ? std::optional(status) : std::nullopt;
    m_change = change;
    m_plan.clear();
    m_slots.fill({});
    return Status::Ok;
}

bool Simulation::load(const Weapon& weapon) {
    storage::Recordset rs(m_db);
    if (!rs.open(modDBAccess::strGetCombatType(weapon.seq)))
        return false;
    // A weapon whose type has no row fights at range, like any type that is not melee.
    const qint16 combatType = rs.eof() ? 0 : numberText::toInt16(rs.field(0).toDouble());
    if (!rs.open(modDBAccess::strGetMaxKaisu(weapon.seq)))
        return false;
    const QVariant max = rs.eof() ? QVariant() : rs.field(u"MAX_KAISU");
    m_weapon = weapon;
    m_combatType = combatType;
    m_maxKaisu = max.isNull() ? 0 : qMin<qint16>(numberText::toInt16(max.toDouble()), 32766) + 1;
    return true;
}

QString Simulation::frameCaption(qint16 kaisu) const {
    return m_weapon.name + u" ("_s + QString::number(kaisu) + u'/' + QString::number(m_maxKaisu) +
           u')';
}

qint16 Simulation::appliedSteps() const {
    return static_cast<qint16>(planString::items(m_plan).size());
}

std::optional<qint16> Simulation::stepCount() const {
    return m_table.kaizoCount();
}

std::optional<Figures> Simulation::figures(qint16 kaisu) const {
    const std::optional<workTable::StepFigures> weapon = m_table.step(kaisu);
    const std::optional<workTable::CombatSums> sums = weapon ? m_table.sums(kaisu) : std::nullopt;
    if (!sums)
        return std::nullopt;
    return Figures{kaisu, *weapon, combatCalc::fromSums(*sums)};
}

std::optional<std::vector<Modification>> Simulation::offered(qint16 kaisu) const {
    storage::Recordset rs(m_db);
    if (!rs.open(modDBAccess::strGetKaizoList(m_weapon.seq, kaisu)))
        return std::nullopt;
    std::vector<Modification> list;
    for (; !rs.eof(); rs.moveNext()) {
        list.push_back({rs.field(0).toInt(), rs.text(1), rs.text(u"EXP"),
                        static_cast<qint64>(std::llround(rs.field(u"COST").toDouble())),
                        kaizoText::description(rs)});
    }
    if (!rs.lastError().isEmpty())
        return std::nullopt;
    return list;
}

Simulation::Result Simulation::apply(const Modification& modification) {
    return applyStep(modification.seq, modification.name, modification.description);
}

Simulation::Result Simulation::applyStep(qint32 seq, const QString& name,
                                         const QString& description) {
    const std::optional<qint16> k = stepCount();
    if (!k)
        return {Status::DatabaseFailed, appliedSteps()};
    if (*k >= MaxSteps)
        return {Status::SlotsFull, *k};
    if (!m_table.insertStep(*k, seq))
        return {Status::DatabaseFailed, appliedSteps()};
    m_slots[static_cast<std::size_t>(*k)] = {name, u"( "_s + description + u')', seq};
    m_plan = planString::appended(m_plan, seq);
    return {Status::Ok, static_cast<qint16>(*k + 1)};
}

Simulation::Result Simulation::undo() {
    const std::optional<qint16> k = stepCount();
    if (!k)
        return {Status::DatabaseFailed, appliedSteps()};
    if (*k == 0)
        return {Status::AtStepZero, 0};
    if (!m_table.deleteStep(*k))
        return {Status::DatabaseFailed, appliedSteps()};
    const qint16 left = static_cast<qint16>(*k - 1);
    if (left < MaxSteps)
        m_slots[static_cast<std::size_t>(left)] = {};
    m_plan = planString::cut(m_plan, left);
    return {Status::Ok, left};
}

bool Simulation::rebuildBase() {
    return m_table.deleteKind(RowKind::Weapon) && m_table.insertBase(m_weapon.seq);
}

Simulation::Result Simulation::reset() {
    // Both statements or neither: a table without its base row could not be drawn.
    storage::Transaction transaction(m_db);
    if (!rebuildBase() || !transaction.commit())
        return {Status::DatabaseFailed, appliedSteps()};
    m_slots.fill({});
    m_plan.clear();
    return {Status::Ok, 0};
}

Simulation::Result Simulation::replayOn(qint32 changeSeq, QString plan) {
    // All in one go: faster, and a statement that fails leaves the simulation as it was.
    const std::array<StepSlot, MaxSteps> slotsBefore = m_slots;
    const QString planBefore = m_plan;
    storage::Transaction transaction(m_db);
    const auto failed = [&] {
        m_slots = slotsBefore;
        m_plan = planBefore;
        return Result{Status::DatabaseFailed, appliedSteps()};
    };
    ChangeInForce change;
    if (!writeChange(changeSeq, change) || !rebuildBase())
        return failed();
    m_slots.fill({});
    m_plan.clear();
    Result result;
    for (qint32 seq : planString::parse(plan, MaxSteps).seqs) {
        storage::Recordset rs(m_db);
        if (!rs.open(modDBAccess::strGetKaizo(seq)))
            return failed();
        // A SEQ the master no longer has still takes its step (it changes no figure); its slot
        // says so instead of repeating the step before it.
        const bool known = !rs.eof();
        const QString name = known ? rs.text(1) : u"(未登録の改造 "_s + QString::number(seq) + u')';
        const QString description = known ? kaizoText::description(rs) : QString();
        rs.close();
        result = applyStep(seq, name, description);
        if (!result.ok())
            return failed();
    }
    if (!transaction.commit())
        return failed();
    m_change = change;
    return result;
}

bool Simulation::writeChange(qint32 seq, ChangeInForce& change) {
    if (!m_table.deleteKind(RowKind::ChangeSpec))
        return false;
    storage::Recordset lookup(m_db);
    if (!lookup.open(modDBAccess::strGetChangeSpec(seq)))
        return false;
    const QString values = workTable::changeSpecValues(lookup);
    change = {DefaultChangeSpec, false, {}};
    if (!lookup.eof()) {
        change = {lookup.field(u"SEQ").toInt(), true,
                  lookup.text(u"SHURUI") + u" : "_s + lookup.text(u"NAME")};
    }
    lookup.close();
    return m_table.insertValues(values, RowKind::ChangeSpec);
}

Simulation::Status Simulation::setStatus(const Profile& working, const QString& rank,
                                         const BonusChoice& bonus) {
    StatusFigures status;
    storage::Transaction transaction(m_db);
    if (!writeStatus(working, rank, bonus, status) || !transaction.commit())
        return Status::DatabaseFailed;
    m_working = working;
    m_rank = rank;
    m_bonus = bonus;
    m_status = status;
    return Status::Ok;
}

bool Simulation::writeStatus(const Profile& working, const QString& rank, const BonusChoice& bonus,
                             StatusFigures& status) {
    const bonusCalc::BonusValues set =
        bonus.set ? bonusCalc::values(*bonus.set) : bonusCalc::BonusValues{};
    status.name = working.name;
    status.stats = bonusCalc::totals(working, set);
    status.marks = bonus.set ? bonusCalc::marks(set) : bonusCalc::Marks{};
    status.combatType = melee() ? u"アタック"_s : u"レンジ"_s;
    status.rank = rank;
    status.bonusSetName = bonus.name;

    const std::optional<bonusCalc::SkillBonus> skill = skillBonus(m_db, rank, m_combatType);
    if (!skill)
        return false;
    const bonusCalc::Bonus row =
        bonusCalc::bonus(m_combatType, bonusCalc::stats(status.stats), *skill, set);
    return m_table.deleteKind(RowKind::Bonus) &&
           m_table.insertValues(bonusCalc::valueText(row), RowKind::Bonus);
}

std::optional<bonusCalc::SkillBonus>
Simulation::skillBonus(storage::Connection& db, const QString& rank, qint16 combatType) {
    storage::Recordset rs(db);
    if (!rs.open(modDBAccess::strGetLankBonus(rank, combatType)))
        return std::nullopt;
    if (rs.eof())
        return bonusCalc::SkillBonus{};
    return bonusCalc::SkillBonus{numberText::toInt16(rs.field(u"MIN_DAMAGE").toDouble()),
                                 numberText::toInt16(rs.field(u"MAX_DAMAGE").toDouble()),
                                 numberText::toInt16(rs.field(u"BALANCE").toDouble())};
}
