// What an Access master costs at start-up.
//
// FixtureConversion builds the working copy of the small Access test file from scratch each time:
// temporary file, converter process, libmdb, SQLite writer, stamp, check, rename. FreshCopyCheck
// is the ordinary start with an up-to-date copy. LargeTableSet feeds a made-up master of 20,000
// weapons and 400,000 modifications (the columns of the real tables, an index on each key, as an
// Access master has them) through the converter's SQLite writer, without libmdb.
//
//   zelnoa-bench-import [Google Benchmark options]

#include "storage/AccessImport.h"
#include "tools/import/SqliteWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <string>

namespace {

using zelnoaimport::ColumnType;

constexpr int kWeapons = 20000;
constexpr int kModsPerWeapon = 20;

QString fixtureCopy(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("DateTestDatabase.mdb"));
    QFile::copy(QStringLiteral(ZELNOA_TEST_DATA "/access/DateTestDatabase.mdb"), path);
    return path;
}

storage::ImportOptions benchOptions() {
    storage::ImportOptions options =
        storage::defaultImportOptions(runningProgramPaths(QStringLiteral("zelnoa")));
    options.converterPath = QStringLiteral(ZELNOA_IMPORT_EXE);
    options.accept = {};
    return options;
}

void FixtureConversion(benchmark::State& state) {
    const QTemporaryDir dir;
    const QString source = fixtureCopy(dir);
    const storage::ImportOptions options = benchOptions();
    for (auto _ : state) {
        QFile::remove(storage::workingCopyPath(source));
        QString error;
        if (!storage::prepareWorkingCopy(source, options, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
}
BENCHMARK(FixtureConversion)->Unit(benchmark::kMillisecond);

void FreshCopyCheck(benchmark::State& state) {
    const QTemporaryDir dir;
    const QString source = fixtureCopy(dir);
    const storage::ImportOptions options = benchOptions();
    QString error;
    storage::prepareWorkingCopy(source, options, &error);
    for (auto _ : state) {
        if (!storage::prepareWorkingCopy(source, options, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
}
BENCHMARK(FreshCopyCheck)->Unit(benchmark::kMicrosecond);

zelnoaimport::Table weaponTable() {
    zelnoaimport::Table table{
        "BUKI_MASTER", {}, {{"PrimaryKey", {{"SEQ"}}}, {"SHURUI", {{"SHURUI"}}}}};
    for (const char* name :
         {"SEQ", "BUKI_NAME", "SHURUI", "MIN_DAMAGE", "MAX_DAMAGE", "MIN_WOUNDS", "MAX_WOUNDS",
          "CRITICAL", "BLANCE", "RANGE", "TAIKYU", "SPEED", "HIT", "HYOUJI", "SORT_NO"})
        table.columns.push_back({name, ColumnType::Integer});
    for (const int text : {1, 11, 12})
        table.columns[static_cast<std::size_t>(text)].type = ColumnType::Text;
    return table;
}

zelnoaimport::Table modificationTable() {
    zelnoaimport::Table table{
        "KAIZO_MASTER", {}, {{"PrimaryKey", {{"SEQ"}}}, {"BUKI_SEQ", {{"BUKI_SEQ"}}}}};
    for (const char* name : {"SEQ", "KAIZO_NAME", "BUKI_SEQ", "KAISU_S", "KAISU_E", "SORT_NO",
                             "MIN_DAMAGE", "MAX_DAMAGE", "MIN_WOUNDS", "MAX_WOUNDS", "CRITICAL",
                             "BLANCE", "RANGE", "TAIKYU", "EXP", "COST", "ETC"})
        table.columns.push_back({name, ColumnType::Integer});
    table.columns[1].type = ColumnType::Text;
    table.columns[16].type = ColumnType::Text;
    return table;
}

bool writeLargeSet(const std::string& path, std::string& error) {
    zelnoaimport::SqliteWriter writer;
    if (!writer.open(path) || !writer.beginTable(weaponTable())) {
        error = writer.lastError();
        return false;
    }
    std::string name;
    for (int w = 1; w <= kWeapons; ++w) {
        name = "ロングソード改" + std::to_string(w);
        writer.bindInteger(0, w);
        writer.bindText(1, name);
        writer.bindInteger(2, (w - 1) % 8 + 1);
        for (int c = 3; c <= 10; ++c)
            writer.bindInteger(c, w % 97 + c);
        writer.bindText(11, "普通");
        writer.bindText(12, "1");
        writer.bindInteger(13, w % 50 != 0);
        writer.bindInteger(14, w % 13);
        if (!writer.insertRow()) {
            error = writer.lastError();
            return false;
        }
    }
    if (!writer.endTable() || !writer.beginTable(modificationTable())) {
        error = writer.lastError();
        return false;
    }
    std::string remark;
    for (int m = 1; m <= kWeapons * kModsPerWeapon; ++m) {
        name = "攻撃力強化 " + std::to_string(m % 7 + 1) + "段階";
        remark = m % 3 == 0 ? std::string("耐久度が下がります") : std::string();
        writer.bindInteger(0, m);
        writer.bindText(1, name);
        writer.bindInteger(2, (m - 1) / kModsPerWeapon + 1);
        writer.bindInteger(3, m % 5);
        writer.bindInteger(4, m % 5 + 2);
        for (int c = 5; c <= 15; ++c)
            writer.bindInteger(c, (m * c) % 11 - 5);
        if (!remark.empty())
            writer.bindText(16, remark);
        if (!writer.insertRow()) {
            error = writer.lastError();
            return false;
        }
    }
    if (!writer.endTable() || !writer.commit()) {
        error = writer.lastError();
        return false;
    }
    return true;
}

void LargeTableSet(benchmark::State& state) {
    const QTemporaryDir dir;
    const std::string path =
        QFile::encodeName(dir.filePath(QStringLiteral("large.sqlite"))).toStdString();
    for (auto _ : state) {
        QFile::remove(QString::fromStdString(path));
        std::string error;
        if (!writeLargeSet(path, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    state.counters["rows"] = kWeapons + kWeapons * kModsPerWeapon;
    state.counters["MB"] =
        static_cast<double>(QFile(QString::fromStdString(path)).size()) / (1024.0 * 1024.0);
}
BENCHMARK(LargeTableSet)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char* argv[]) {
    // The conversion runs the converter as a child process, which needs an application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
