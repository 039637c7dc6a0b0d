// How long the catalogue window takes to refill its weapon list from a large master: a tab change
// as the user makes it (lock, loading window, query, rows, unlock), offscreen.
//
//   zelnoa-bench-catalogue [Google Benchmark options]
// A synthetic master with 20,000 shown weapons is generated into a temporary folder first.

#include "bench/synthetic/SyntheticMaster.h"
#include "catalogue/frmBuki.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "ui/ReportList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

namespace {

// Every 50th weapon is hidden, so this many give 20,000 listed rows under "全て".
constexpr int kWeapons = 20408;

frmBuki* g_window = nullptr;

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void tabChange(benchmark::State& state, int tab) {
    auto* tabs = g_window->findChild<QTabBar*>(QStringLiteral("tabShurui"));
    auto* list = g_window->findChild<ReportList*>(QStringLiteral("lvwBuki"));
    double cpuMs = 0;
    for (auto _ : state) {
        tabs->setCurrentIndex(tab == 0 ? 1 : 0);
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        tabs->setCurrentIndex(tab);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        cpuMs += threadCpuMs() - cpuStart;
    }
    state.counters["rows"] = list->rowCount();
    // The machine may be busy with other work; the thread's own CPU time shows the cost alone.
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

void allWeapons(benchmark::State& state) {
    tabChange(state, 0);
}

void oneType(benchmark::State& state) {
    tabChange(state, 3);
}

BENCHMARK(allWeapons)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(oneType)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const std::string master = dir.filePath(QStringLiteral("vaelbuki.mdb")).toStdString();
    std::string error;
    if (!synthetic::writeMaster(master, {kWeapons, 0}, error)) {
        std::fprintf(stderr, "cannot write the synthetic master: %s\n", error.c_str());
        return 1;
    }
    storage::SettingsFile settings(dir.filePath(QStringLiteral("zelnoa.ini")));
    storage::Connection database;
    if (!database.open(QString::fromStdString(master))) {
        std::fprintf(stderr, "cannot open the synthetic master\n");
        return 1;
    }
    frmBuki window({database, settings});
    window.intFormStart();
    g_window = &window;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
