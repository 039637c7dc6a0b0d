// What the database layer costs over plain sqlite3.
//
// Each statement runs twice on the same connection and the same synthetic master: through the
// layer (Recordset::open with the program's text, every field of every row read as the windows
// read them) and raw (prepare the already translated text, step through all rows reading each
// column, finalize, on every call). Statements that change the work table restore its state
// after each call outside the measured time.
//
//   zelnoa-bench [--master=FILE] [Google Benchmark options]
// Without --master a synthetic master is generated into the temporary folder first.

#include "bench/synthetic/SyntheticMaster.h"
#include "storage/Database.h"
#include "storage/JetSql.h"
#include "storage/modDBAccess.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sqlite3.h>
#include <string>

namespace {

// The weapon whose plan the work-table statements replay; its modification SEQs fit 16 bits.
constexpr int kBukiSeq = 1001;
constexpr int kModsPerWeapon = synthetic::Size{}.modsPerWeapon;
// The plan on the table: five applied steps, so the measured step is the sixth.
constexpr int kAppliedSteps = 5;

// The connection main() opens on the master.
storage::Connection* g_db = nullptr;

std::string translated(const QString& jetText) {
    return storage::translateJetSql(jetText.toStdString());
}

// Kept out of line so that callgrind's --toggle-collect can count exactly one statement path.
[[gnu::noinline]] bool runLayer(storage::Recordset& rs, const QString& jetText) {
    if (!rs.open(jetText))
        return false;
    if (!rs.isOpen())
        return true;
    const int fields = rs.fieldCount();
    if (!rs.eof())
        rs.moveFirst();
    for (; !rs.eof(); rs.moveNext()) {
        for (int i = 0; i < fields; ++i)
            benchmark::DoNotOptimize(rs.field(i));
    }
    rs.close();
    return true;
}

[[gnu::noinline]] bool runRaw(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK)
        return false;
    const int columns = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                benchmark::DoNotOptimize(sqlite3_column_int64(stmt, i));
                break;
            case SQLITE_FLOAT:
                benchmark::DoNotOptimize(sqlite3_column_double(stmt, i));
                break;
            case SQLITE_NULL:
                break;
            default:
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, i));
                benchmark::DoNotOptimize(sqlite3_column_bytes(stmt, i));
                break;
            }
        }
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

// Scaffolding outside the measurement: plain sqlite3 on the same connection.
bool exec(const QString& jetText) {
    return sqlite3_exec(g_db->handle(), translated(jetText).c_str(), nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

qint16 stepKaizo(int step) {
    return static_cast<qint16>(
        synthetic::kaizoSeq(kBukiSeq, step % kModsPerWeapon, kModsPerWeapon));
}

// The work table as the simulator leaves it after applying `steps` modifications with a
// character profile in use.
bool setUpPlan(int steps) {
    using namespace modDBAccess;
    bool ok = exec(strDeleteWork(QString())) &&
              exec(strInsertWorkValues(QStringLiteral("0,0,0,0,0,0,0"), 3)) &&
              exec(strInsertWorkValues(QStringLiteral("7.5,10,2,2,2.5,2.5,0 "), 1)) &&
              exec(strInsertWorkBase(kBukiSeq));
    for (int k = 0; ok && k < steps; ++k)
        ok = exec(strInsertWorkStep(static_cast<qint16>(k), stepKaizo(k)));
    return ok;
}

enum class Path { Layer, Raw };

// One statement's benchmark. setUp arranges the work table once per run; restore, when given,
// undoes the statement's effect after every call, outside the measured time.
struct Case {
    const char* name;
    std::function<QString()> text;
    std::function<bool()> setUp;
    std::function<bool()> restore;
};

void runCase(benchmark::State& state, const Case& c, Path path) {
    if (!c.setUp()) {
        state.SkipWithError("cannot prepare the work table");
        return;
    }
    const QString jetText = c.text();
    const std::string sql = translated(jetText);
    sqlite3* const db = g_db->handle();
    storage::Recordset rs(*g_db);
    const auto once = [&] {
        return path == Path::Layer ? runLayer(rs, jetText) : runRaw(db, sql);
    };

    for (auto _ : state) {
        if (!c.restore) {
            if (!once()) {
                state.SkipWithError("the statement failed");
                return;
            }
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        const bool ok = once();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!ok || !c.restore()) {
            state.SkipWithError("the statement failed");
            return;
        }
    }
}

void registerCases() {
    using namespace modDBAccess;
    const auto nothing = [] {
        return true;
    };
    const auto plan = [] {
        return setUpPlan(kAppliedSteps);
    };
    const QString lastStep = QStringLiteral("WHERE KAISU = ") + QString::number(kAppliedSteps);
    const QString nextStep = QStringLiteral("WHERE KAISU = ") + QString::number(kAppliedSteps + 1);

    const Case cases[] = {
        {"strGetBukiList_0", [] { return strGetBukiList(0); }, nothing, {}},
        {"strGetBukiList_3", [] { return strGetBukiList(3); }, nothing, {}},
        {"strInsertWorkBase", [] { return strInsertWorkBase(kBukiSeq); },
         [] { return setUpPlan(0) && exec(strDeleteWork(QStringLiteral("WHERE SHURUI = 0"))); },
         [] {
             return exec(strDeleteWork(QStringLiteral("WHERE SHURUI = 0")));
         }},
        {"strInsertWorkStep",
         [] { return strInsertWorkStep(kAppliedSteps, stepKaizo(kAppliedSteps)); }, plan,
         [nextStep] {
             return exec(strDeleteWork(nextStep));
         }},
        {"strGetWorkStep", [] { return strGetWorkStep(3); }, plan, {}},
        {"strGetWorkSum", [] { return strGetWorkSum(3); }, plan, {}},
        {"strGetKaizoCount", [] { return strGetKaizoCount(); }, plan, {}},
        // Undo of the last step; the step is put back after each call.
        {"strDeleteWork", [lastStep] { return strDeleteWork(lastStep); }, plan,
         [] {
             return exec(strInsertWorkStep(kAppliedSteps - 1, stepKaizo(kAppliedSteps - 1)));
         }},
    };
    for (const Case& c : cases) {
        for (const Path path : {Path::Layer, Path::Raw}) {
            const std::string name =
                std::string(c.name) + (path == Path::Layer ? "/layer" : "/raw");
            auto* b = benchmark::RegisterBenchmark(
                name.c_str(), [c, path](benchmark::State& state) { runCase(state, c, path); });
            b->Unit(benchmark::kMicrosecond);
            if (c.restore)
                b->UseManualTime();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string master;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--master=", 9) == 0) {
            master = argv[i] + 9;
        } else {
            std::fprintf(stderr, "zelnoa-bench: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (master.empty()) {
        master = (std::filesystem::temp_directory_path() / "zelnoa-bench-master.db").string();
        std::string error;
        if (!synthetic::writeMaster(master, synthetic::Size{}, error)) {
            std::fprintf(stderr, "zelnoa-bench: %s\n", error.c_str());
            return 1;
        }
    }
    storage::Connection database;
    if (!database.open(QString::fromStdString(master))) {
        std::fprintf(stderr, "zelnoa-bench: %s\n", database.lastError().toLocal8Bit().constData());
        return 1;
    }
    g_db = &database;
    registerCases();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
