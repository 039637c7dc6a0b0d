// What a large settings file costs: 1,000 profiles, 1,000 bonus sets and three saved plans for
// each of 2,000 weapons (about 1.3 MB of Shift_JIS).
//
// Load is the start-up read: a fresh settings file object, both side lists filled, then the plans
// of one weapon as the load dialog lists them. SaveLists is the shutdown write of both changed
// lists (two file replacements, each flushed to the disk); SavePlan is one plan saved from the
// save dialog. Each has a budget of 100 ms.
//
//   zelnoa-bench-settings [Google Benchmark options]

#include "app/RowListModel.h"
#include "catalogue/SideLists.h"
#include "simulator/PlanStore.h"
#include "storage/SettingsFile.h"
#include "storage/modCommon.h"

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

void fillLists(RowListModel& profiles, RowListModel& enchants) {
    profiles.setColumns(sideLists::profileColumns());
    enchants.setColumns(sideLists::enchantColumns());
    enchants.append(sideLists::fixedEnchantRow());
    for (int n = 1; n <= kProfiles; ++n) {
        ListRow row;
        row.text = u"冒険者%1号"_s.arg(n);
        const QStringList cells = {
            row.text, QString::number(100 + n % 50), u"35"_s, u"120"_s, u"40"_s, u"12"_s, u"Ｆ"_s,
            u"練習"_s};
        for (int i = 0; i < cells.size(); ++i)
            row.setCell(i, cells[i]);
        profiles.append(row);
    }
    for (int n = 1; n <= kBonusSets; ++n) {
        ListRow row;
        const QStringList cells = {u"強化セット%1"_s.arg(n),
                                   u"2～4"_s,
                                   u"0～0"_s,
                                   u"3"_s,
                                   u"5"_s,
                                   u"2"_s,
                                   u"4"_s,
                                   u"0"_s,
                                   u"0"_s,
                                   u"10"_s,
                                   u"0"_s,
                                   u"5"_s,
                                   u"0"_s,
                                   u"0"_s};
        for (int i = 0; i < cells.size(); ++i)
            row.setCell(i, cells[i]);
        enchants.append(row);
    }
}

planStore::Plan plan(int weapon, int n) {
    return {u"プラン%1"_s.arg(n), u"12～25 クリティカル18 バランス45 耐久15"_s,
            u"2024/03/05 9:07:03"_s, u"23 %1.%2.%3."_s.arg(weapon).arg(n).arg(weapon + n)};
}

// One outer batch: the whole file is written once.
bool writeLargeFile() {
    storage::SettingsFile file(g_path);
    storage::setCurrentSettingsFile(&file);
    RowListModel profiles;
    RowListModel enchants;
    fillLists(profiles, enchants);
    modCommon::IniBatch batch;
    bool ok = sideLists::saveLists(profiles, true, enchants, true).saved;
    for (int w = 1; w <= kWeapons; ++w) {
        std::vector<planStore::Plan> rows;
        for (int n = 1; n <= kPlansPerWeapon; ++n)
            rows.push_back(plan(w, n));
        ok = planStore::write(qint16(w), rows).saved && ok;
    }
    ok = batch.commit().saved && ok;
    storage::setCurrentSettingsFile(nullptr);
    return ok;
}

void Load(benchmark::State& state) {
    for (auto _ : state) {
        storage::SettingsFile file(g_path);
        storage::setCurrentSettingsFile(&file);
        RowListModel profiles;
        RowListModel enchants;
        profiles.setColumns(sideLists::profileColumns());
        enchants.setColumns(sideLists::enchantColumns());
        sideLists::setProfileList(profiles, enchants);
        const std::vector<planStore::Plan> plans = planStore::read(kWeapons);
        if (profiles.count() != kProfiles || enchants.count() != kBonusSets + 1 ||
            plans.size() != kPlansPerWeapon)
            state.SkipWithError("the large settings file did not read back");
        storage::setCurrentSettingsFile(nullptr);
    }
}
BENCHMARK(Load)->Unit(benchmark::kMillisecond);

void SaveLists(benchmark::State& state) {
    storage::SettingsFile file(g_path);
    storage::setCurrentSettingsFile(&file);
    RowListModel profiles;
    RowListModel enchants;
    fillLists(profiles, enchants);
    int round = 0;
    for (auto _ : state) {
        profiles.setCell(0, 1, QString::number(++round % 200));
        enchants.setCell(1, 3, QString::number(round % 20));
        if (!sideLists::saveLists(profiles, true, enchants, true).saved)
            state.SkipWithError("saving the lists failed");
    }
    storage::setCurrentSettingsFile(nullptr);
}
BENCHMARK(SaveLists)->Unit(benchmark::kMillisecond);

void SavePlan(benchmark::State& state) {
    storage::SettingsFile file(g_path);
    storage::setCurrentSettingsFile(&file);
    std::vector<planStore::Plan> rows;
    for (int n = 1; n <= kPlansPerWeapon; ++n)
        rows.push_back(plan(1, n));
    const planStore::Plan added = plan(1, kPlansPerWeapon + 1);
    for (auto _ : state) {
        // The list of the save dialog: the stored plans, the new one appended as Count + 1.
        if (!planStore::write(1, rows, &added).saved)
            state.SkipWithError("saving the plan failed");
    }
    storage::setCurrentSettingsFile(nullptr);
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
