// What each command costs as the user runs it: the real windows, offscreen, on a synthetic master
// of 20,000 shown weapons and 400,000 modifications. A command is timed from the click (or the
// tab change) to the redrawn window, on the wall clock and in the thread's own CPU time, which
// other work on the machine does not inflate. Target: every command under 4 ms.
//
//   zelnoa-bench-commands [Google Benchmark options]

#include "bench/synthetic/SyntheticMaster.h"
#include "catalogue/frmBuki.h"
#include "simulator/Simulation.h"
#include "simulator/frmKaizo.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "ui/ReportList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Every 50th weapon is hidden, so this many give 20,000 listed rows under "全て".
constexpr int kWeapons = 20408;
// Weapon 7 offers seven steps, so five steps can always be applied.
constexpr int kWeaponRow = 6;

// A profile and a bonus set, so that the status frame and the bonus row are computed too.
const QByteArray kSettings = "[SYSTEM]\r\nCount=1\r\nEnchantCount=1\r\n"
                             "[PROFILE1]\r\nName=Bench\r\nStr=120\r\nInt=35\r\nDex=150\r\n"
                             "Will=60\r\nLuck=40\r\nAttack=F\r\nRange=F\r\n"
                             "[ENCHANT1]\r\nName=Set\r\nMinDamage=2.5\r\nMaxDamage=4\r\n"
                             "MinWounds=0\r\nMaxWounds=1\r\nCritical=3\r\nBalance=-0.5\r\n"
                             "Str=5\r\nInt=0\r\nDex=3\r\nWill=0\r\nLuck=0\r\n";

frmBuki* g_catalogue = nullptr;
storage::Stores* g_stores = nullptr;
qint32 g_nextChange = 30;

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

template <class T = QPushButton> T* child(QWidget* window, const QString& name) {
    return window->findChild<T*>(name);
}

// Runs prepare untimed, then command timed, for every iteration.
void timed(benchmark::State& state, const std::function<void()>& prepare,
           const std::function<void()>& command) {
    double cpuMs = 0;
    for (auto _ : state) {
        prepare();
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        command();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        cpuMs += threadCpuMs() - cpuStart;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

// The dialogs answer at once: the performance change alternates between two entries, the status
// dialog confirms what it was given.
frmKaizo::Dialogs instantDialogs() {
    return {[](QWidget*, storage::Connection&, qint32 current) {
                g_nextChange = current == 30 ? 23 : 30;
                return frmBukiSpec::Outcome{frmBukiSpec::Outcome::Kind::Chosen, g_nextChange};
            },
            [](QWidget*, storage::Connection&, const frmProfile::StatusInput& input) {
                return std::optional(
                    frmProfile::StatusChoice{input.working, input.rankInUse, input.bonusSetRow});
            }};
}

// The simulator for the benchmark's weapon, started and shown, not run modally.
std::unique_ptr<frmKaizo> openSimulator() {
    auto window =
        std::make_unique<frmKaizo>(g_catalogue, *g_stores, *g_catalogue, instantDialogs());
    if (!window->prepare())
        qFatal("the simulator did not start");
    return window;
}

void applySteps(frmKaizo& window, int steps) {
    auto* list = child<ReportList>(&window, u"lvwKaizo"_s);
    for (int i = 0; i < steps; ++i) {
        list->setCurrentRow(0);
        child(&window, u"cmdKaizo"_s)->click();
    }
}

void openSimulatorCommand(benchmark::State& state) {
    std::unique_ptr<frmKaizo> window;
    timed(
        state, [&] { window.reset(); }, [&] { window = openSimulator(); });
}

void apply(benchmark::State& state) {
    const auto window = openSimulator();
    timed(
        state, [&] { child(window.get(), u"cmdReset"_s)->click(); },
        [&] { applySteps(*window, 1); });
}

void undo(benchmark::State& state) {
    const auto window = openSimulator();
    timed(
        state, [&] { applySteps(*window, 1); },
        [&] { child(window.get(), u"cmdBack"_s)->click(); });
}

void reset(benchmark::State& state) {
    const auto window = openSimulator();
    timed(
        state, [&] { applySteps(*window, 3); },
        [&] { child(window.get(), u"cmdReset"_s)->click(); });
}

// A plan of five steps replayed on a performance change: the path a loaded plan takes too.
void replayFiveSteps(benchmark::State& state) {
    const auto window = openSimulator();
    applySteps(*window, 5);
    timed(
        state, [] {}, [&] { child(window.get(), u"cmdBukiSpec"_s)->click(); });
}

void statusChange(benchmark::State& state) {
    const auto window = openSimulator();
    applySteps(*window, 3);
    timed(
        state, [] {}, [&] { child(window.get(), u"cmdMod"_s)->click(); });
}

void tabChange(benchmark::State& state) {
    auto* tabs = child<QTabBar>(g_catalogue, u"tabShurui"_s);
    const int tab = static_cast<int>(state.range(0));
    timed(
        state, [&] { tabs->setCurrentIndex(tab == 0 ? 1 : 0); },
        [&] { tabs->setCurrentIndex(tab); });
}

BENCHMARK(openSimulatorCommand)
    ->Name("open_simulator")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(apply)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(undo)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(reset)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(replayFiveSteps)->Name("replay_5_steps")->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(statusChange)->Name("status_change")->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(tabChange)
    ->Name("tab_change/all")
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(tabChange)
    ->Name("tab_change/one_type")
    ->Arg(3)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const std::string master = dir.filePath(u"vaelbuki.mdb"_s).toStdString();
    std::string error;
    if (!synthetic::writeMaster(master, {kWeapons, 20}, error)) {
        std::fprintf(stderr, "cannot write the synthetic master: %s\n", error.c_str());
        return 1;
    }
    const QString settingsPath = dir.filePath(u"zelnoa.ini"_s);
    QFile file(settingsPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(kSettings) != kSettings.size())
        return 1;
    file.close();
    storage::SettingsFile settings(settingsPath);
    storage::Connection database;
    if (!database.open(QString::fromStdString(master))) {
        std::fprintf(stderr, "cannot open the synthetic master\n");
        return 1;
    }
    storage::Stores stores{database, settings};
    frmBuki catalogue(stores);
    catalogue.intFormStart();
    child<ReportList>(&catalogue, u"lvwBuki"_s)->setCurrentRow(kWeaponRow);
    child<ReportList>(&catalogue, u"lvwProfile"_s)->setCurrentRow(0);
    child<ReportList>(&catalogue, u"lvwEnchant"_s)->setCurrentRow(1);
    g_catalogue = &catalogue;
    g_stores = &stores;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
