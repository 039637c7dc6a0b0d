#include "simulator/PlanSearch.h"

#include <algorithm>
#include <limits>
#include <thread>

namespace planSearch {

namespace {

// Below this size the mode value's rounding errors stay far smaller than the 0.2 by which it
// grows with each whole step of its inputs, so it is non-decreasing in them and bounds hold.
constexpr double kMonotoneSaihinLimit = 1099511627776.0; // 2^40

// Progress and the cancel flag are looked at once per this many plans.
constexpr qint64 kReportEvery = 4096;

constexpr qint64 kMaxCount = std::numeric_limits<qint64>::max();

// Counts of plans can exceed 64 bits on absurd masters; progress then stops at the maximum.
qint64 saturatingMulAdd(qint64 a, qint64 b, qint64 c) {
    if (b != 0 && a > (kMaxCount - c) / b)
        return kMaxCount;
    return a * b + c;
}

struct Kept {
    double value;
    double cost;
    double exp;
    int length;
    qint64 order; // plans of one length are met in the order of their steps
    std::array<int, kMaxPlanSteps> path;
};

bool better(const Kept& a, const Kept& b) {
    if (a.value != b.value)
        return a.value > b.value;
    if (a.cost != b.cost)
        return a.cost < b.cost;
    if (a.exp != b.exp)
        return a.exp < b.exp;
    if (a.length != b.length)
        return a.length < b.length;
    return a.order < b.order;
}

class Walker {
public:
    Walker(const Weapon& weapon, const Query& query, std::span<const Modification> fixed,
           const std::atomic<bool>* cancel, std::atomic<qint64>* done);

    // Plans in the search, before constraints.
    qint64 total() const { return m_shortest <= m_longest ? m_below[m_fixed.size()] : 0; }
    Result run();

private:
    struct Offer {
        Row deltas;
        int mod;
    };

    void gatherOffers(int first);
    // Per column, at least what any plan below a node at depth reaches: each running total can
    // rise by no more than the largest rise offered at a step, and the clamp only lifts it to 0.
    Row highest(int depth, Row state) const;
    double objective(const Row& state) const;
    void visit(int depth, const Row& state);
    void consider(int depth, const Row& state);
    bool hopeless(int depth, const Row& state) const;
    void account(qint64 plans);
    RankedPlan ranked(const Kept& kept) const;

    const Weapon& m_weapon;
    const Query& m_query;
    const std::span<const Modification> m_fixed;
    const Evaluator m_evaluator;
    const std::size_t m_limit;
    Row m_root; // after the fixed steps
    int m_shortest = 0;
    int m_longest = -1;
    std::array<std::vector<Offer>, kMaxPlanSteps> m_offered;
    // Per step: the largest rise of each column among the offers (at least 0), and the smallest
    // change (possibly negative).
    std::array<Row, kMaxPlanSteps> m_rise{};
    std::array<Row, kMaxPlanSteps> m_fall{};
    // Plans below a node at each depth, its own included.
    std::array<qint64, kMaxPlanSteps + 1> m_below{};
    bool m_valueBounds = true;

    std::array<int, kMaxPlanSteps> m_path{};
    std::vector<Kept> m_kept;
    qint64 m_examined = 0;
    qint64 m_order = 0;
    qint64 m_unreported = 0;
    const std::atomic<bool>* m_cancel;
    std::atomic<qint64>* m_done;
    bool m_stopped = false;
};

Walker::Walker(const Weapon& weapon, const Query& query, std::span<const Modification> fixed,
               const std::atomic<bool>* cancel, std::atomic<qint64>* done)
    : m_weapon(weapon)
    , m_query(query)
    , m_fixed(fixed)
    , m_evaluator(weapon)
    , m_limit(static_cast<std::size_t>(std::max(1, query.limit)))
    , m_root(m_evaluator.base())
    , m_cancel(cancel)
    , m_done(done) {
    for (const Modification& step : fixed)
        Evaluator::applyStep(m_root, step.deltas);
    const int first = static_cast<int>(fixed.size());
    const int longest = std::min<int>(kMaxPlanSteps, weapon.stepCount);
    m_shortest = query.steps ? *query.steps : first + 1;
    m_longest = query.steps ? *query.steps : longest;
    if (m_shortest < first || m_longest > longest) {
        m_longest = -1;
        return;
    }
    gatherOffers(first);
    for (int depth = m_longest; depth >= first; --depth) {
        const qint64 own = depth >= m_shortest ? 1 : 0;
        m_below[depth] = depth == m_longest
                             ? own
                             : saturatingMulAdd(static_cast<qint64>(m_offered[depth].size()),
                                                m_below[depth + 1], own);
    }
    if (query.objective == Objective::Saihin) {
        const Row high = highest(first, m_root);
        m_valueBounds = high[MinDamage] + weapon.bonus.minDamage < kMonotoneSaihinLimit &&
                        high[MaxDamage] + weapon.bonus.maxDamage < kMonotoneSaihinLimit;
    }
}

void Walker::gatherOffers(int first) {
    for (int k = first; k < m_longest; ++k) {
        for (int i = 0; i < static_cast<int>(m_weapon.mods.size()); ++i) {
            if (m_weapon.mods[i].offeredAt(k))
                m_offered[k].push_back({m_weapon.mods[i].deltas, i});
        }
        // No plan gets past a step where nothing is offered.
        if (m_offered[k].empty()) {
            m_longest = k;
            return;
        }
        m_rise[k].fill(0);
        m_fall[k].fill(std::numeric_limits<double>::infinity());
        for (const Offer& offer : m_offered[k]) {
            for (int c = 0; c < ColumnCount; ++c) {
                m_rise[k][c] = std::max(m_rise[k][c], offer.deltas[c]);
                m_fall[k][c] = std::min(m_fall[k][c], offer.deltas[c]);
            }
        }
    }
}

Row Walker::highest(int depth, Row state) const {
    for (int k = depth; k < m_longest; ++k) {
        for (int c = 0; c < ColumnCount; ++c)
            state[c] += m_rise[k][c];
    }
    return state;
}

double Walker::objective(const Row& state) const {
    if (m_query.objective == Objective::Taikyu)
        return state[Taikyu];
    const combatCalc::Combat c = m_evaluator.combat(state);
    switch (m_query.objective) {
    case Objective::Saihin:
        return c.saihin;
    case Objective::MaxDamage:
        return c.maxDamage;
    case Objective::MinDamage:
        return c.minDamage;
    case Objective::Critical:
        return c.critical;
    case Objective::Balance:
        return c.balance;
    case Objective::MaxWounds:
    case Objective::Taikyu:
        break;
    }
    return c.maxWounds;
}

Result Walker::run() {
    Result result;
    if (m_shortest <= m_longest)
        visit(static_cast<int>(m_fixed.size()), m_root);
    if (m_done && !m_stopped)
        m_done->store(total(), std::memory_order_relaxed);
    result.examined = m_examined;
    result.cancelled = m_stopped;
    for (const Kept& kept : m_kept)
        result.plans.push_back(ranked(kept));
    return result;
}

void Walker::visit(int depth, const Row& state) {
    if (m_stopped)
        return;
    if (depth >= m_shortest)
        consider(depth, state);
    if (depth == m_longest)
        return;
    if (hopeless(depth, state)) {
        account(m_below[depth] - (depth >= m_shortest ? 1 : 0));
        return;
    }
    for (const Offer& offer : m_offered[depth]) {
        Row next = state;
        Evaluator::applyStep(next, offer.deltas);
        m_path[depth] = offer.mod;
        visit(depth + 1, next);
    }
}

void Walker::consider(int depth, const Row& state) {
    ++m_examined;
    account(1);
    if ((m_query.maxCost && state[Cost] > *m_query.maxCost) ||
        (m_query.maxExp && state[Exp] > *m_query.maxExp) ||
        (m_query.minTaikyu && state[Taikyu] < *m_query.minTaikyu))
        return;
    const double value = objective(state);
    const bool full = m_kept.size() == m_limit;
    if (full && value < m_kept.back().value)
        return;
    const Kept kept{value, state[Cost], state[Exp], depth, m_order++, m_path};
    if (full && !better(kept, m_kept.back()))
        return;
    m_kept.insert(std::upper_bound(m_kept.begin(), m_kept.end(), kept, better), kept);
    if (m_kept.size() > m_limit)
        m_kept.pop_back();
}

// True when no plan below the node can meet the constraints or enter the list.
bool Walker::hopeless(int depth, const Row& state) const {
    const Row high = highest(depth, state);
    double cost = state[Cost];
    double exp = state[Exp];
    double lowCost = std::numeric_limits<double>::infinity();
    double lowExp = lowCost;
    const int firstStop = std::max(depth + 1, m_shortest);
    for (int k = depth; k < m_longest; ++k) {
        cost = Evaluator::atLeastZero(cost + m_fall[k][Cost]);
        exp = Evaluator::atLeastZero(exp + m_fall[k][Exp]);
        if (k + 1 >= firstStop) {
            lowCost = std::min(lowCost, cost);
            lowExp = std::min(lowExp, exp);
        }
    }
    if ((m_query.minTaikyu && high[Taikyu] < *m_query.minTaikyu) ||
        (m_query.maxCost && lowCost > *m_query.maxCost) ||
        (m_query.maxExp && lowExp > *m_query.maxExp))
        return true;
    if (!m_valueBounds || m_kept.size() < m_limit)
        return false;
    // Plans met later lose every tie to the ones kept, so equal bounds are not enough.
    const Kept& worst = m_kept.back();
    const double best = objective(high);
    if (best != worst.value)
        return best < worst.value;
    if (lowCost != worst.cost)
        return lowCost > worst.cost;
    if (lowExp != worst.exp)
        return lowExp > worst.exp;
    return firstStop >= worst.length;
}

void Walker::account(qint64 plans) {
    m_unreported += plans;
    if (m_unreported < kReportEvery)
        return;
    if (m_done)
        m_done->fetch_add(m_unreported, std::memory_order_relaxed);
    m_unreported = 0;
    if (m_cancel && m_cancel->load(std::memory_order_relaxed))
        m_stopped = true;
}

RankedPlan Walker::ranked(const Kept& kept) const {
    std::vector<const Modification*> steps;
    RankedPlan plan;
    for (const Modification& step : m_fixed)
        steps.push_back(&step);
    for (int depth = static_cast<int>(m_fixed.size()); depth < kept.length; ++depth)
        steps.push_back(&m_weapon.mods[static_cast<std::size_t>(kept.path[depth])]);
    for (const Modification* step : steps)
        plan.steps.push_back(step->seq);
    plan.value = kept.value;
    plan.figures = m_evaluator.evaluate(steps);
    return plan;
}

} // namespace

Result search(const Weapon& weapon, const Query& query, std::span<const Modification> fixed,
              Control* control) {
    Walker walker(weapon, query, fixed, control ? &control->cancel : nullptr,
                  control ? &control->done : nullptr);
    if (control) {
        control->done.store(0, std::memory_order_relaxed);
        control->total.store(walker.total(), std::memory_order_relaxed);
    }
    return walker.run();
}

std::vector<Result> searchEach(std::span<const Weapon> weapons, const Query& query,
                               Control* control, unsigned threads) {
    if (control) {
        control->done.store(0, std::memory_order_relaxed);
        control->total.store(static_cast<qint64>(weapons.size()), std::memory_order_relaxed);
    }
    std::vector<Result> results(weapons.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < weapons.size();) {
            if (control && control->cancel.load(std::memory_order_relaxed)) {
                results[i].cancelled = true;
                continue;
            }
            results[i] =
                Walker(weapons[i], query, {}, control ? &control->cancel : nullptr, nullptr).run();
            if (control)
                control->done.fetch_add(1, std::memory_order_relaxed);
        }
    };
    const unsigned count = threads ? threads : std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::jthread> helpers;
    for (unsigned t = 1; t < count; ++t)
        helpers.emplace_back(work);
    work();
    return results;
}

} // namespace planSearch
