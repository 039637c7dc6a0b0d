// The Access import on damaged files. Each input describes a damaged copy of the Access test
// file (a length to cut it to, then byte patches); the copy goes through the same call the
// start-up makes, with the real converter as a child process. Whatever the converter does —
// convert, refuse, crash, hang — the call must come back: either with a working copy that opens
// as a database, or with a reason and nothing left behind. A crash here is a crash of the
// program; a crash of the converter is only counted (summary at exit).

#include "fuzz/FuzzCheck.h"
#include "storage/AccessImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray g_seed;
QTemporaryDir* g_dir = nullptr;

struct Outcomes {
    long converted = 0;
    long refused = 0;
    long crashed = 0;
    long timedOut = 0;
};
Outcomes g_outcomes;

void printOutcomes() {
    std::fprintf(stderr,
                 "fuzz_access_import: %ld converted, %ld refused (of them %ld converter crashes, "
                 "%ld time-outs)\n",
                 g_outcomes.converted, g_outcomes.refused, g_outcomes.crashed, g_outcomes.timedOut);
}

// Any database the converter leaves is accepted when SQLite finds it sound.
bool soundDatabase(const QString& path, QString* error) {
    sqlite3* db = nullptr;
    bool sound = false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* check = nullptr;
        sound = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
                sqlite3_step(check) == SQLITE_ROW &&
                qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok") == 0;
        sqlite3_finalize(check);
    }
    sqlite3_close(db);
    if (!sound && error)
        *error = u"not a sound database"_s;
    return sound;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    QFile seed(QStringLiteral(ZELNOA_ACCESS_SEED));
    if (!seed.open(QIODevice::ReadOnly))
        std::abort();
    g_seed = seed.readAll();
    g_dir = new QTemporaryDir;
    // A sanitizer report in the converter ends it as a crash, and its leaks are not this test's.
    qputenv("ASAN_OPTIONS", "abort_on_error=1:detect_leaks=0");
    qputenv("UBSAN_OPTIONS", "abort_on_error=1:halt_on_error=1");
    std::atexit(printOutcomes);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    QByteArray file = g_seed;
    if (input.ConsumeBool())
        file.truncate(input.ConsumeIntegralInRange<qsizetype>(0, file.size()));
    while (input.remaining_bytes() >= 4 && !file.isEmpty()) {
        const auto at = input.ConsumeIntegralInRange<qsizetype>(0, file.size() - 1);
        file[at] = char(input.ConsumeIntegral<uint8_t>());
    }

    const QDir dir(g_dir->path());
    const QString source = dir.filePath(u"vaelbuki.mdb"_s);
    QFile out(source);
    FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(file);
    out.close();

    storage::ImportOptions options;
    options.converterPath = QStringLiteral(ZELNOA_IMPORT_EXE);
    options.timeoutMs = 3000;
    options.accept = soundDatabase;
    QString error;
    const std::optional<QString> copy = storage::prepareWorkingCopy(source, options, &error);

    const QStringList left = dir.entryList(QDir::Files | QDir::Hidden);
    if (copy) {
        ++g_outcomes.converted;
        FUZZ_CHECK(*copy == storage::workingCopyPath(source));
        FUZZ_CHECK(soundDatabase(*copy, nullptr));
        FUZZ_CHECK(left.size() == 2);
        QFile::remove(*copy);
    } else {
        ++g_outcomes.refused;
        g_outcomes.crashed += error.contains(u"異常終了"_s) ? 1 : 0;
        g_outcomes.timedOut += error.contains(u"終わりませんでした"_s) ? 1 : 0;
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(left == QStringList{u"vaelbuki.mdb"_s});
    }
    return 0;
}
