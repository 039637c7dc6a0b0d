// Access masters: recognising them, converting them into the working copy, reusing and rebuilding
// that copy, and failing without leaving anything behind.

#include "storage/AccessImport.h"
#include "support/TestSupport.h"
#include "tools/import/SqliteWriter.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

using namespace Qt::StringLiterals;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

const QString Name = u"DateTestDatabase.mdb"_s;

QStringList query(const QString& databasePath, const char* sql) {
    return testsupport::sqlRows(databasePath, QString::fromUtf8(sql));
}

// The fixture has no master tables; a copy that holds its one table is good enough here.
storage::ImportOptions dateTestOptions() {
    storage::ImportOptions options =
        storage::defaultImportOptions(runningProgramPaths(u"zelnoa"_s));
    options.accept = [](const QString& copyPath, QString* error) {
        *error = u"no DateTest"_s;
        return query(copyPath, "SELECT name FROM sqlite_master WHERE name = 'DateTest'").size() ==
               1;
    };
    return options;
}

void shiftModificationTime(const QString& path, std::chrono::nanoseconds by) {
    const std::filesystem::path file(path.toStdU16String());
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + by);
}

} // namespace

class TestAccessImport : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    QByteArray m_sourceBytes;
    int m_conversions = 0;
    const storage::LongWorkRunner m_runner = [this](const std::function<void()>& work) {
        ++m_conversions;
        work();
    };

    std::optional<QString> prepare(const storage::ImportOptions& options = dateTestOptions()) {
        QString error;
        const std::optional<QString> copy =
            storage::prepareWorkingCopy(m_source, options, &error, m_runner);
        if (!copy)
            qWarning("%s", qPrintable(error));
        return copy;
    }
    // Only the source file, unchanged, and these others remain in the test folder.
    void verifyLeftBehind(QStringList others = {}) {
        others << Name;
        others.sort();
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), others);
        QCOMPARE(readBytes(m_source), m_sourceBytes);
    }

private slots:
    void init() {
        m_conversions = 0;
        m_dir = std::make_unique<QTemporaryDir>();
        m_source = m_dir->filePath(Name);
        QVERIFY(QFile::copy(QStringLiteral(ZELNOA_TEST_DATA "/access/") + Name, m_source));
        // The Access file is only ever read, so it may be read-only.
        QFile::setPermissions(m_source, QFile::ReadOwner);
        m_sourceBytes = readBytes(m_source);
    }

    // Names say nothing: an Access file may be called .db and an SQLite file .mdb.
    void recognisesAccessByContent() {
        const QByteArray ace = QByteArray(m_sourceBytes).replace(4, 16, "Standard ACE DB\0"_ba);
        const QByteArray sqlite = readBytes(QStringLiteral(ZELNOA_SAMPLE_DB));
        for (const QByteArray& bytes : {m_sourceBytes, ace, sqlite, m_sourceBytes.left(18)}) {
            for (const QString& name : {u"master.mdb"_s, u"master.db"_s}) {
                writeBytes(m_dir->filePath(name), bytes);
                QCOMPARE(storage::isAccessFile(m_dir->filePath(name)),
                         bytes.size() > 18 && bytes != sqlite);
            }
        }
        QVERIFY(!storage::isAccessFile(m_dir->filePath(u"missing.mdb"_s)));
    }

    // Whole numbers stay numbers, dates become text, line breaks stay in text, and text compares
    // without regard to case, as in Access.
    void convertsEveryColumn() {
        const std::optional<QString> copy = prepare();
        QVERIFY(copy);
        QCOMPARE(*copy, m_source + u".sqlite"_s);
        verifyLeftBehind({Name + u".sqlite"_s});
        QCOMPARE(query(*copy, "SELECT group_concat(name || ' ' || type) FROM "
                              "pragma_table_info('DateTest')"),
                 QStringList{u"IDCol INTEGER,DateTimeCol TEXT,DateCol TEXT,TimeCol TEXT,"
                             "LongTextCol TEXT,ShortTextCol TEXT"_s});
        const QString day = u"2021-12-02 00:00:00"_s;
        QCOMPARE(query(*copy, "SELECT * FROM DateTest WHERE IDCol IN (3, 4, 6) ORDER BY IDCol"),
                 (QStringList{u"3|1898-01-01 00:00:00|1899-01-01 00:00:00|1900-01-01 00:00:00|"
                              "Pre-1900 years|Pre-1900 years"_s,
                              u"4|0632-01-01 00:00:00|0633-01-01 00:00:00|0634-01-01 00:00:00|"
                              "Pre-1000 years|Pre-1000 years"_s,
                              u"6|%1|%1|%1|New line\r\nin field|No new line"_s.arg(day)}));
        QCOMPARE(query(*copy, "SELECT typeof(IDCol) FROM DateTest WHERE ShortTextCol = 'HELLO' "
                              "AND LongTextCol = 'hello'"),
                 QStringList{u"integer"_s});
    }

    // The copy is reused while the source stays as it was, with the program's own writes (its
    // work table); one nanosecond later, or a copy that is no database, makes a new one. A
    // leftover journal of the old copy would be applied to the new one, so it goes with it.
    void reusesUntilTheSourceChanges() {
        const std::optional<QString> copy = prepare();
        QVERIFY(copy);
        testsupport::sqlExec(*copy, "CREATE TABLE MARK (X)");
        const char* const marked = "SELECT name FROM sqlite_master WHERE name = 'MARK'";
        QCOMPARE(prepare(), copy);
        QCOMPARE(query(*copy, marked).size(), 1);
        shiftModificationTime(m_source, std::chrono::nanoseconds(1));
        writeBytes(*copy + u"-wal"_s, "stale");
        QCOMPARE(prepare(), copy);
        QVERIFY(query(*copy, marked).isEmpty());
        verifyLeftBehind({Name + u".sqlite"_s});
        writeBytes(*copy, "not a database");
        QCOMPARE(prepare(), copy);
        QCOMPARE(m_conversions, 3);
        QCOMPARE(query(*copy, "SELECT COUNT(*) FROM DateTest"), QStringList{u"6"_s});
    }

    // A killed run leaves its temporary copy; one of a conversion under way may be fresh.
    void removesAbandonedTemporaries() {
        const QString copy = storage::workingCopyPath(m_source);
        for (const char* suffix : {".building-Ab12Cd", ".building-Ef34Gh", ".backup"})
            writeBytes(copy + QLatin1StringView(suffix), "partial");
        shiftModificationTime(copy + u".building-Ab12Cd"_s, std::chrono::hours(-25));
        shiftModificationTime(copy + u".backup"_s, std::chrono::hours(-25));
        QVERIFY(prepare());
        verifyLeftBehind(
            {Name + u".sqlite"_s, Name + u".sqlite.building-Ef34Gh"_s, Name + u".sqlite.backup"_s});
    }

    // A damaged file, a converter that goes wrong, or an Access file without the master tables
    // (the default check): a reason, and no copy left, not even one made from an earlier, intact
    // version. The source's length (0 whole, -1 garbage after the header), the script standing in
    // for the converter, and what the reason holds.
    void failsCleanly_data() {
        testsupport::addRows(
            {"4096|||file cut at 4096", "65536|||file cut at 65536", "73728|||file cut at 73728",
             "100000|||file cut at 100000", "-1|||garbage after the header",
             "0|printf partial > \"$2\"; kill -SEGV $$|異常終了|converter crashes after writing",
             "0|exec sleep 30|終わりませんでした|converter hangs",
             "0|echo 'おかしなファイルです' >&2; exit 1|おかしなファイルです|converter says why",
             "0|exit 0|DateTest|converter claims success, writes nothing",
             "0|missing|起動できません|converter missing",
             "0|default|SHURUI_MASTER|no master tables"});
    }
    void failsCleanly() {
        QFETCH(QStringList, row);
        const int cut = row[0].toInt();
        const QByteArray script = row[1].toUtf8();
        const QString& expected = row[2];
        QFile::setPermissions(m_source, QFile::ReadOwner | QFile::WriteOwner);
        if (cut > 0)
            m_sourceBytes.truncate(cut);
        for (qsizetype i = 4096; cut < 0 && i < m_sourceBytes.size(); ++i)
            m_sourceBytes[i] = static_cast<char>((unsigned(i) * 7919u) >> 3);
        writeBytes(m_source, m_sourceBytes);
        writeBytes(storage::workingCopyPath(m_source), "earlier copy");
        storage::ImportOptions options = dateTestOptions();
        options.timeoutMs = script.isEmpty() ? 20000 : 300;
        QTemporaryDir bin;
        if (!script.isEmpty() && script != "default")
            options.converterPath = bin.filePath(u"converter"_s);
        if (!script.isEmpty() && script != "missing" && script != "default") {
            writeBytes(options.converterPath, "#!/bin/sh\n" + script + '\n');
            QFile::setPermissions(options.converterPath, QFile::ReadOwner | QFile::ExeOwner);
        }
        QString error;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(script == "default"
                    ? !storage::resolveMasterDatabase(m_source, runningProgramPaths(u"zelnoa"_s),
                                                      &error, m_runner)
                    : !storage::prepareWorkingCopy(m_source, options, &error));
        QVERIFY2(!error.isEmpty() && error.contains(expected), qPrintable(error));
        QVERIFY(clock.elapsed() < 20000);
        // The start-up's conversion runs inside the loading window.
        QCOMPARE(m_conversions, script == "default" ? 1 : 0);
        verifyLeftBehind();
    }

    // Access allows spaces, quotes and Japanese in names, and the same index name in every table.
    void writerKeepsNamesAndValues() {
        using namespace zelnoaimport;
        const QString path = m_dir->filePath(u"written.sqlite"_s);
        Table table{
            {},
            {{"番号", ColumnType::Integer}, {"名 前", ColumnType::Text}, {"率", ColumnType::Real}},
            {{"PrimaryKey", {{"番号", false}}}, {"名前順", {{"名 前", true}}}}};
        {
            SqliteWriter writer;
            QVERIFY(writer.open(path.toStdString()));
            for (const char* name : {"two", "武器 \"表\""}) {
                table.name = name;
                QVERIFY2(writer.beginTable(table), writer.lastError().c_str());
                writer.bindInteger(0, 9007199254740993LL);
                writer.bindReal(2, 0.1);
                QVERIFY(writer.insertRow());
                writer.bindText(1, "Ａ"); // the row before leaves nothing bound
                QVERIFY(writer.insertRow() && writer.endTable());
            }
            QVERIFY2(writer.commit(), writer.lastError().c_str());
        }
        QCOMPARE(query(path, "SELECT * FROM \"武器 \"\"表\"\"\" ORDER BY rowid"),
                 (QStringList{u"9007199254740993|<null>|0.1"_s, u"<null>|Ａ|<null>"_s}));
        QCOMPARE(query(path, "SELECT group_concat(name, ', ') FROM (SELECT name FROM sqlite_master "
                             "WHERE type = 'index' ORDER BY name)"),
                 QStringList{u"two.PrimaryKey, two.名前順, 武器 \"表\".PrimaryKey, "
                             "武器 \"表\".名前順"_s});
        // A file that already holds tables is not written into.
        QVERIFY(!SqliteWriter().open(path.toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestAccessImport)
#include "test_access_import.moc"
