#pragma once
// The exact search for a weapon's best plans (see PlanData.h for how the parts meet).
//
// Every valid plan is walked depth first: at step k (k steps applied) only the modifications
// offered at k, each again at any later step where it is offered. A branch is left out only when
// bounds prove that none of its plans can enter the list: every column of a weapon state is at
// most the running total of the largest rises offered at the steps still to come (the clamp at 0
// keeps that true), EXP and COST at least the clamped total of the smallest changes, and every
// objective is non-decreasing in the columns it is computed from.
//
// Plans are ranked by the objective (higher first), then lower total cost, lower total EXP, fewer
// steps, and then step by step by the order of modifications: SORT_NO, then SEQ.

#include "simulator/PlanEvaluator.h"

#include <atomic>
#include <optional>

namespace planSearch {

// The simulator shows at most five applied steps.
constexpr int kMaxPlanSteps = 5;

enum class Objective {
    Saihin,    // 最頻値
    MaxDamage, // 最大ダメージ
    MinDamage, // 最小ダメージ
    Critical,  // クリティカル
    Balance,   // バランス
    MaxWounds, // 最大負傷率
    Taikyu,    // 耐久: the weapon's durability after the plan
};

struct Query {
    Objective objective = Objective::Saihin;
    // Limits on the plan's totals and its durability, each optional.
    std::optional<double> maxCost;
    std::optional<double> maxExp;
    std::optional<double> minTaikyu;
    // The plan's number of steps, fixed steps included. Without it every length from one more
    // than the fixed steps up to the weapon's step count (at most five).
    std::optional<qint16> steps;
    // How many plans to keep, at least 1.
    int limit = 50;
};

struct RankedPlan {
    std::vector<qint32> steps; // modification SEQs in order, fixed steps first
    double value = 0;          // the objective's figure
    Figures figures;
};

struct Result {
    std::vector<RankedPlan> plans; // best first
    qint64 examined = 0;           // whole plans evaluated; bounds skip the rest
    bool cancelled = false;
};

// Shared with the thread that follows a search: it may set cancel at any time, and reads done
// out of total (plans for one weapon, weapons for many).
struct Control {
    std::atomic<bool> cancel{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
};

// fixed: steps already applied, which every plan begins with.
Result search(const Weapon& weapon, const Query& query, std::span<const Modification> fixed = {},
              Control* control = nullptr);

// One search per weapon on threads of their own (0: one per core); the results stand in the
// order of the weapons.
std::vector<Result> searchEach(std::span<const Weapon> weapons, const Query& query,
                               Control* control = nullptr, unsigned threads = 0);

} // namespace planSearch
