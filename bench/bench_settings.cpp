// What a large settings file costs: 1,000 profiles, 1,000 bonus sets and three saved plans for
// each of 2,000 weapons (about 1.3 MB of Shift_JIS).
//
// Load is the start-up read: a fresh settings file object, both side lists filled, then the plans
// of one weapon as the load dialog lists them. SaveLists is the shutdown write of both changed
// lists (one file replacement, flushed to the disk); SavePlan is one plan saved from the
// save dialog. Each has a budget of 100 ms.
//
//   zelnoa-bench-settings [Google Benchmark options]

#include "catalogue/SideListStore.h"
#include "simulator/PlanStore.h"
#include "storage/SettingsFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int kProfiles = 1000;
constexpr int kBonusSets = 1000;
constexpr int kWeapons = 2000;
constexpr int kPlansPerWeapon = 3;

QString g_path;

std::vector<Profile> profiles() {
    std::vector<Profile> list;
    for (int n = 1; n <= kProfiles; ++n)
        list.push_back({u"冒険者%1号"_s.arg(n), QString::number(100 + n % 50), u"35"_s, u"120"_s,
                        u"40"_s, u"12"_s, u"Ｆ"_s, u"練習"_s});
    return list;
}

std::vector<BonusSet> bonusSets() {
    std::vector<BonusSet> list;
    for (int n = 1; n <= kBonusSets; ++n)
        list.push_back({u"強化セット%1"_s.arg(n),
                        u"2"_s,
                        u"4"_s,
                        u"0"_s,
                        u"0"_s,
                        u"3"_s,
                        u"5"_s,
                        u"0"_s,
                        u"0"_s,
                        u"10"_s,
                        u"0"_s,
                        u"5"_s,
                        {},
                        {}});
    return list;
}

planStore::Plan plan(int weapon, int n) {
    return {u"プラン%1"_s.arg(n), u"12～25 クリティカル18 バランス45 耐久15"_s,
            u"2024/03/05 9:07:03"_s, u"23 %1.%2.%3."_s.arg(weapon).arg(n).arg(weapon + n)};
}

// One outer batch: the whole file is written once.
bool writeLargeFile() {
    storage::SettingsFile file(g_path);
    storage::SettingsBatch batch(file);
    const std::vector<Profile> p = profiles();
    const std::vector<BonusSet> b = bonusSets();
    bool ok = sideListStore::save(file, &p, &b).saved;
    for (int w = 1; w <= kWeapons; ++w) {
        std::vector<planStore::Plan> rows;
        for (int n = 1; n <= kPlansPerWeapon; ++n)
            rows.push_back(plan(w, n));
        ok = planStore::write(file, w, rows).saved && ok;
    }
    return batch.commit().saved && ok;
}

void Load(benchmark::State& state) {
    for (auto _ : state) {
        storage::SettingsFile file(g_path);
        const std::vector<Profile> p = sideListStore::loadProfiles(file);
        const std::vector<BonusSet> b = sideListStore::loadBonusSets(file);
        const std::vector<planStore::Plan> plans = planStore::read(file, kWeapons);
        if (p.size() != kProfiles || b.size() != kBonusSets || plans.size() != kPlansPerWeapon)
            state.SkipWithError("the large settings file did not read back");
    }
}
BENCHMARK(Load)->Unit(benchmark::kMillisecond);

void SaveLists(benchmark::State& state) {
    storage::SettingsFile file(g_path);
    std::vector<Profile> p = profiles();
    std::vector<BonusSet> b = bonusSets();
    int round = 0;
    for (auto _ : state) {
        p[0].str = QString::number(++round % 200);
        b[0].minWounds = QString::number(round % 20);
        if (!sideListStore::save(file, &p, &b).saved)
            state.SkipWithError("saving the lists failed");
    }
}
BENCHMARK(SaveLists)->Unit(benchmark::kMillisecond);

void SavePlan(benchmark::State& state) {
    storage::SettingsFile file(g_path);
    std::vector<planStore::Plan> rows;
    for (int n = 1; n <= kPlansPerWeapon; ++n)
        rows.push_back(plan(1, n));
    const planStore::Plan added = plan(1, kPlansPerWeapon + 1);
    for (auto _ : state) {
        // The list of the save dialog: the stored plans, the new one appended as Count + 1.
        if (!planStore::write(file, 1, rows, &added).saved)
            state.SkipWithError("saving the plan failed");
    }
}
BENCHMARK(SavePlan)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_path = dir.filePath(u"zelnoa.ini"_s);
    if (!writeLargeFile()) {
        std::fputs("zelnoa-bench-settings: could not write the large settings file\n", stderr);
        return 1;
    }
    std::fprintf(stderr, "settings file: %lld bytes\n",
                 static_cast<long long>(QFileInfo(g_path).size()));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
