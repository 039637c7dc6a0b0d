// Access masters: recognising them, converting them into the working copy, reusing and rebuilding
// that copy, and failing without leaving anything behind.

#include "storage/AccessImport.h"
#include "support/TestSupport.h"
#include "tools/import/JetDate.h"
#include "tools/import/SqliteWriter.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

using namespace Qt::StringLiterals;
using storage::ImportOptions;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

const QString FixtureName = u"DateTestDatabase.mdb"_s;
const QString Fixture = QStringLiteral(ZELNOA_TEST_DATA) + u"/access/"_s + FixtureName;

QStringList query(const QString& databasePath, const char* sql) {
    return testsupport::sqlRows(databasePath, QString::fromUtf8(sql));
}

// The fixture has no master tables; a copy that holds its one table is good enough here.
ImportOptions dateTestOptions() {
    ImportOptions options = storage::defaultImportOptions();
    options.accept = [](const QString& copyPath, QString* error) {
        if (query(copyPath, "SELECT name FROM sqlite_master WHERE name = 'DateTest'").size() == 1)
            return true;
        *error = u"no DateTest"_s;
        return false;
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

    // Only the source file, unchanged, and these others remain in the test folder.
    void verifyLeftBehind(const QStringList& others = {}) {
        QStringList expected = QStringList{FixtureName} + others;
        expected.sort();
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), expected);
        QCOMPARE(readBytes(m_source), m_sourceBytes);
    }

private slots:
    void init() {
        m_conversions = 0;
        m_dir = std::make_unique<QTemporaryDir>();
        m_source = m_dir->filePath(FixtureName);
        QVERIFY(QFile::copy(Fixture, m_source));
        // The Access file is only ever read, so it may be read-only.
        QFile::setPermissions(m_source, QFile::ReadOwner);
        m_sourceBytes = readBytes(m_source);
    }

    // Names say nothing: an Access file may be called .db and an SQLite file .mdb.
    void recognisesAccessByContent() {
        QByteArray ace = m_sourceBytes;
        ace.replace(4, 16, QByteArray("Standard ACE DB", 16));
        const std::pair<QByteArray, bool> files[] = {
            {m_sourceBytes, true},
            {ace, true},
            {readBytes(QStringLiteral(ZELNOA_SAMPLE_DB)), false},
            {m_sourceBytes.left(18), false},
            {{}, false}};
        for (const auto& [bytes, access] : files) {
            for (const QString& name : {u"master.mdb"_s, u"master.db"_s}) {
                writeBytes(m_dir->filePath(name), bytes);
                QCOMPARE(storage::isAccessFile(m_dir->filePath(name)), access);
            }
        }
        QVERIFY(!storage::isAccessFile(m_dir->filePath(u"missing.mdb"_s)));
    }

    void convertsEveryColumn() {
        QString error;
        const std::optional<QString> copy =
            storage::prepareWorkingCopy(m_source, dateTestOptions(), &error);
        QVERIFY2(copy, qPrintable(error));
        QCOMPARE(*copy, m_source + u".sqlite"_s);
        verifyLeftBehind({FixtureName + u".sqlite"_s});
        QCOMPARE(query(*copy, "SELECT name, type FROM pragma_table_info('DateTest')"),
                 (QStringList{u"IDCol|INTEGER"_s, u"DateTimeCol|TEXT"_s, u"DateCol|TEXT"_s,
                              u"TimeCol|TEXT"_s, u"LongTextCol|TEXT"_s, u"ShortTextCol|TEXT"_s}));
        const QString day = u"2021-12-02 00:00:00"_s;
        const QString escaped = u"Escaped new line \\r\\n in field"_s;
        QCOMPARE(query(*copy, "SELECT * FROM DateTest ORDER BY IDCol"),
                 (QStringList{u"1|%1|%1|%1|Hello|Hello"_s.arg(day),
                              u"2|9999-01-01 00:00:00|9999-01-01 00:00:00|9999-01-01 00:00:00|"
                              "Year 9999|Year 1999"_s,
                              u"3|1898-01-01 00:00:00|1899-01-01 00:00:00|1900-01-01 00:00:00|"
                              "Pre-1900 years|Pre-1900 years"_s,
                              u"4|0632-01-01 00:00:00|0633-01-01 00:00:00|0634-01-01 00:00:00|"
                              "Pre-1000 years|Pre-1000 years"_s,
                              u"5|%1|%1|%1|%2|%2"_s.arg(day, escaped),
                              u"6|%1|%1|%1|New line\r\nin field|No new line"_s.arg(day)}));
        // Whole numbers stay numbers, and text compares without regard to case, as in Access.
        QCOMPARE(query(*copy, "SELECT typeof(IDCol), typeof(DateCol) FROM DateTest WHERE "
                              "ShortTextCol = 'HELLO' AND LongTextCol = 'hello'"),
                 QStringList{u"integer|text"_s});
    }

    void reusesUntilTheSourceChanges() {
        const ImportOptions options = dateTestOptions();
        QString error;
        const std::optional<QString> copy =
            storage::prepareWorkingCopy(m_source, options, &error, m_runner);
        QVERIFY2(copy, qPrintable(error));
        // The program's own writes to the copy (its work table) must survive a reuse.
        testsupport::sqlExec(*copy, "CREATE TABLE MARK (X)");
        const char* const marked = "SELECT name FROM sqlite_master WHERE name = 'MARK'";
        QCOMPARE(storage::prepareWorkingCopy(m_source, options, &error, m_runner), copy);
        QCOMPARE(m_conversions, 1);
        QCOMPARE(query(*copy, marked).size(), 1);

        // One nanosecond later counts as a changed file. A leftover journal of the old copy would
        // be applied to the new one, so it has to go with it.
        shiftModificationTime(m_source, std::chrono::nanoseconds(1));
        writeBytes(*copy + u"-wal"_s, "stale");
        QCOMPARE(storage::prepareWorkingCopy(m_source, options, &error, m_runner), copy);
        QCOMPARE(m_conversions, 2);
        QVERIFY(query(*copy, marked).isEmpty());
        verifyLeftBehind({FixtureName + u".sqlite"_s});

        // A copy that is not a database at all is rebuilt too.
        writeBytes(*copy, "not a database");
        QCOMPARE(storage::prepareWorkingCopy(m_source, options, &error, m_runner), copy);
        QCOMPARE(m_conversions, 3);
        QCOMPARE(query(*copy, "SELECT COUNT(*) FROM DateTest"), QStringList{u"6"_s});
    }

    void removesAbandonedTemporaries() {
        // A killed run leaves its temporary copy; one of a conversion under way may be fresh.
        const QString copy = storage::workingCopyPath(m_source);
        const QString abandoned = copy + u".building-Ab12Cd"_s;
        const QString recent = copy + u".building-Ef34Gh"_s;
        const QString unrelated = copy + u".backup"_s;
        for (const QString& path : {abandoned, recent, unrelated})
            writeBytes(path, "partial");
        shiftModificationTime(abandoned, std::chrono::hours(-25));
        shiftModificationTime(unrelated, std::chrono::hours(-25));
        QString error;
        QVERIFY2(storage::prepareWorkingCopy(m_source, dateTestOptions(), &error),
                 qPrintable(error));
        verifyLeftBehind({FixtureName + u".sqlite"_s, QFileInfo(recent).fileName(),
                          QFileInfo(unrelated).fileName()});
    }

    // A damaged file or a converter that goes wrong: a reason, and no copy left, not even one
    // made from an earlier, intact version.
    void failsCleanly_data() {
        QTest::addColumn<int>("cut");           // the source's length; 0: whole
        QTest::addColumn<QByteArray>("script"); // stands in for the converter
        QTest::addColumn<QString>("expected");  // in the reason
        for (const int cut : {4096, 65536, 73728, 100000})
            QTest::addRow("file cut at %d", cut) << cut << QByteArray() << QString();
        QTest::newRow("garbage after the header") << -1 << QByteArray() << QString();
        QTest::newRow("converter crashes after writing")
            << 0 << "printf partial > \"$2\"; kill -SEGV $$"_ba << u"異常終了"_s;
        QTest::newRow("converter hangs") << 0 << "exec sleep 30"_ba << u"終わりませんでした"_s;
        QTest::newRow("converter fails with a message")
            << 0 << "echo 'おかしなファイルです' >&2; exit 1"_ba << u"おかしなファイルです"_s;
        QTest::newRow("converter claims success, writes nothing")
            << 0 << "exit 0"_ba << u"DateTest"_s;
        QTest::newRow("converter missing") << 0 << "missing"_ba << u"起動できません"_s;
    }
    void failsCleanly() {
        QFETCH(int, cut);
        QFETCH(QByteArray, script);
        QFETCH(QString, expected);
        QFile::setPermissions(m_source, QFile::ReadOwner | QFile::WriteOwner);
        if (cut > 0)
            m_sourceBytes.truncate(cut);
        for (qsizetype i = 4096; cut < 0 && i < m_sourceBytes.size(); ++i)
            m_sourceBytes[i] = static_cast<char>((unsigned(i) * 7919u) >> 3);
        writeBytes(m_source, m_sourceBytes);
        writeBytes(storage::workingCopyPath(m_source), "earlier copy");
        ImportOptions options = dateTestOptions();
        options.timeoutMs = script.isEmpty() ? 20000 : 300;
        QTemporaryDir bin;
        if (!script.isEmpty()) {
            options.converterPath = bin.filePath(u"converter"_s);
            if (script != "missing") {
                writeBytes(options.converterPath, "#!/bin/sh\n" + script + '\n');
                QFile::setPermissions(options.converterPath, QFile::ReadOwner | QFile::ExeOwner);
            }
        }
        QString error;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!storage::prepareWorkingCopy(m_source, options, &error));
        QVERIFY2(!error.isEmpty() && error.contains(expected), qPrintable(error));
        QVERIFY(clock.elapsed() < 20000);
        verifyLeftBehind();
    }

    // An Access file converts inside the runner but lacks the master tables: no copy results.
    // An SQLite master called .mdb is what every start-up test opens.
    void resolvesTheConfiguredMaster() {
        QString error;
        QVERIFY(!storage::resolveMasterDatabase(m_source, &error, m_runner));
        QCOMPARE(m_conversions, 1);
        QVERIFY2(error.contains(u"SHURUI_MASTER"_s), qPrintable(error));
        verifyLeftBehind();
    }

    void jetDates_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("time counts forward before 1899") << -1.25 << u"1899-12-29 06:00:00"_s;
        QTest::newRow("negative fraction of day zero") << -0.5 << u"1899-12-30 12:00:00"_s;
        QTest::newRow("second rounds into the next day")
            << 44532.999999 << u"2021-12-03 00:00:00"_s;
        QTest::newRow("afternoon")
            << 44532.0 + (15 * 3600 + 4 * 60 + 5) / 86400.0 << u"2021-12-02 15:04:05"_s;
        QTest::newRow("first day Access accepts") << -657434.0 << u"0100-01-01 00:00:00"_s;
        QTest::newRow("last second Access accepts")
            << 2958465.0 + 86399.0 / 86400.0 << u"9999-12-31 23:59:59"_s;
        QTest::newRow("before year 100") << -657435.0 << QString();
        QTest::newRow("after year 9999") << 2958466.0 << QString();
        QTest::newRow("not a number") << std::nan("") << QString();
    }
    void jetDates() {
        QFETCH(double, value);
        QFETCH(QString, text);
        char out[20];
        QCOMPARE(zelnoaimport::jetDateText(value, out), !text.isEmpty());
        if (!text.isEmpty())
            QCOMPARE(QString::fromLatin1(out), text);
    }

    // Access allows spaces, quotes and Japanese in names, and the same index name in every table.
    void writerKeepsNamesAndValues() {
        using namespace zelnoaimport;
        const QString path = m_dir->filePath(u"written.sqlite"_s);
        const Table table{"武器 \"表\"",
                          {{"番号", ColumnType::Integer},
                           {"名 前", ColumnType::Text},
                           {"率", ColumnType::Real},
                           {"画像", ColumnType::Blob}},
                          {{"PrimaryKey", {{"番号", false}}}, {"名前順", {{"名 前", true}}}}};
        Table second = table;
        second.name = "two";
        {
            SqliteWriter writer;
            QVERIFY2(writer.open(path.toStdString()), writer.lastError().c_str());
            for (const Table& t : {table, second}) {
                QVERIFY2(writer.beginTable(t), writer.lastError().c_str());
                writer.bindInteger(0, 9007199254740993LL);
                writer.bindText(1, "");
                writer.bindReal(2, 0.1);
                writer.bindBlob(3, "a\0b", 3);
                QVERIFY(writer.insertRow());
                writer.bindText(1, "Ａ");
                QVERIFY(writer.insertRow());
                QVERIFY2(writer.endTable(), writer.lastError().c_str());
            }
            QVERIFY2(writer.commit(), writer.lastError().c_str());
        }
        QCOMPARE(
            query(path, "SELECT \"番号\", \"名 前\", \"率\", hex(\"画像\"), typeof(\"画像\") "
                        "FROM \"武器 \"\"表\"\"\" ORDER BY rowid"),
            (QStringList{u"9007199254740993||0.1|610062|blob"_s, u"<null>|Ａ|<null>||null"_s}));
        QCOMPARE(query(path, "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name"),
                 (QStringList{u"two.PrimaryKey"_s, u"two.名前順"_s, u"武器 \"表\".PrimaryKey"_s,
                              u"武器 \"表\".名前順"_s}));
        // A file that already holds tables is not written into.
        SqliteWriter again;
        QVERIFY(!again.open(path.toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestAccessImport)
#include "test_access_import.moc"
