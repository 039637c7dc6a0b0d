// The plan search: plans evaluated per second on one core, the search of the synthetic master's
// weapon with the most plans, and the best plan of every shown weapon of the sample and the
// synthetic master on one and on both cores. Loading is measured on its own, since the window
// and the command-line tool load once and then search.
//
//   zelnoa-bench-plan [--master=FILE] [Google Benchmark options]
// Without --master a synthetic master is generated into the temporary folder first.

#include "bench/synthetic/SyntheticMaster.h"
#include "simulator/PlanLoader.h"
#include "simulator/PlanSearch.h"
#include "storage/Database.h"

#include <QFile>
#include <QString>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>

using namespace planSearch;

namespace {

const Character kCharacter{{120, 90, 60, 40}, QStringLiteral("1"), QStringLiteral("1"), {}};
constexpr qint32 kOrdinaryChange = synthetic::kOrdinaryChangeSeq;

QString g_sampleMaster;
QString g_syntheticMaster;

std::optional<std::vector<Weapon>> loadAll(const QString& path) {
    storage::Connection connection;
    if (!connection.open(path))
        return std::nullopt;
    return loadShownWeapons(connection, kOrdinaryChange, kCharacter);
}

const std::vector<Weapon>& weapons(const QString& path) {
    static std::map<QString, std::vector<Weapon>> loaded;
    auto it = loaded.find(path);
    if (it == loaded.end())
        it = loaded.emplace(path, loadAll(path).value_or(std::vector<Weapon>{})).first;
    return it->second;
}

qint64 planCount(const Weapon& weapon) {
    qint64 plans = 0;
    qint64 paths = 1;
    for (int k = 0; k < std::min<int>(kMaxPlanSteps, weapon.stepCount); ++k) {
        paths *= std::count_if(weapon.mods.begin(), weapon.mods.end(),
                               [k](const Modification& m) { return m.offeredAt(k); });
        plans += paths;
    }
    return plans;
}

const Weapon* largestWeapon() {
    const std::vector<Weapon>& all = weapons(g_syntheticMaster);
    const auto it = std::max_element(all.begin(), all.end(), [](const Weapon& a, const Weapon& b) {
        return planCount(a) < planCount(b);
    });
    return it == all.end() ? nullptr : &*it;
}

void evaluate(benchmark::State& state) {
    const Weapon* weapon = largestWeapon();
    if (!weapon) {
        state.SkipWithError("cannot load the synthetic master");
        return;
    }
    // Five-step plans drawn at random, evaluated from the base row each time.
    std::mt19937 random(1);
    std::vector<std::array<const Modification*, kMaxPlanSteps>> plans(4096);
    for (auto& plan : plans) {
        for (int k = 0; k < kMaxPlanSteps; ++k) {
            std::vector<const Modification*> offered;
            for (const Modification& m : weapon->mods)
                if (m.offeredAt(k))
                    offered.push_back(&m);
            plan[k] = offered[random() % offered.size()];
        }
    }
    const Evaluator evaluator(*weapon);
    for (auto _ : state) {
        for (const auto& plan : plans)
            benchmark::DoNotOptimize(evaluator.evaluate(plan));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<qint64>(plans.size()));
}

void largestSearch(benchmark::State& state, Objective objective) {
    const Weapon* weapon = largestWeapon();
    if (!weapon) {
        state.SkipWithError("cannot load the synthetic master");
        return;
    }
    Query query;
    query.objective = objective;
    qint64 examined = 0;
    for (auto _ : state)
        examined = search(*weapon, query).examined;
    state.counters["plans"] = static_cast<double>(planCount(*weapon));
    state.counters["examined"] = static_cast<double>(examined);
}

void everyWeapon(benchmark::State& state, const QString* path) {
    const std::vector<Weapon>& all = weapons(*path);
    if (all.empty()) {
        state.SkipWithError("cannot load the master");
        return;
    }
    Query query;
    query.limit = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(searchEach(all, query, nullptr, state.range(0)));
    state.counters["weapons"] = static_cast<double>(all.size());
}

void load(benchmark::State& state, const QString* path) {
    for (auto _ : state) {
        if (!loadAll(*path)) {
            state.SkipWithError("cannot load the master");
            return;
        }
    }
}

void registerAll() {
    benchmark::RegisterBenchmark("evaluate", evaluate);
    const char* objectives[] = {"saihin",  "max_damage", "min_damage", "critical",
                                "balance", "max_wounds", "taikyu"};
    for (int o = 0; o <= static_cast<int>(Objective::Taikyu); ++o) {
        const std::string name = std::string("largest_weapon/") + objectives[o];
        benchmark::RegisterBenchmark(name.c_str(), largestSearch, static_cast<Objective>(o))
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("every_weapon/sample", everyWeapon, &g_sampleMaster)
        ->DenseRange(1, 2)
        ->ArgName("threads")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("every_weapon/synthetic", everyWeapon, &g_syntheticMaster)
        ->DenseRange(1, 2)
        ->ArgName("threads")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("load/sample", load, &g_sampleMaster)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("load/synthetic", load, &g_syntheticMaster)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    std::string master;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--master=", 9) == 0) {
            master = argv[i] + 9;
        } else {
            std::fprintf(stderr, "zelnoa-bench-plan: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (master.empty()) {
        master = (temp / "zelnoa-bench-master.db").string();
        std::string error;
        if (!synthetic::writeMaster(master, synthetic::Size{}, error)) {
            std::fprintf(stderr, "zelnoa-bench-plan: %s\n", error.c_str());
            return 1;
        }
    }
    g_syntheticMaster = QString::fromStdString(master);
    // Opening a master adds the work table to it, so the build's sample stays untouched.
    g_sampleMaster = QString::fromStdString((temp / "zelnoa-bench-sample.mdb").string());
    QFile::remove(g_sampleMaster);
    if (!QFile::copy(QStringLiteral(ZELNOA_SAMPLE_DB), g_sampleMaster)) {
        std::fprintf(stderr, "zelnoa-bench-plan: cannot copy %s\n", ZELNOA_SAMPLE_DB);
        return 1;
    }
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
