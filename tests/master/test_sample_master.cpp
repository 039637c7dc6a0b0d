// The sample master database that the build places beside the program, and zelnoa-mkdb, the tool
// that builds it.

#include "storage/Database.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// Read-only access to a database file with plain sqlite3.
class Db {
public:
    explicit Db(const QString& path) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
    }
    ~Db() { sqlite3_close(m_db); }
    sqlite3* handle() const { return m_db; }

    // The first column of every row, as text (NULL gives a null QString).
    QStringList column(const QString& sql) const {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            qFatal("bad test query %s: %s", qPrintable(sql), sqlite3_errmsg(m_db));
        QStringList values;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
            values.append(text ? QString::fromUtf8(text) : QString());
        }
        sqlite3_finalize(stmt);
        return values;
    }
    QString value(const QString& sql) const { return column(sql).value(0); }
    int number(const QString& sql) const { return value(sql).toInt(); }

private:
    sqlite3* m_db = nullptr;
};

struct Run {
    int exitCode;
    QString errors;
};

Run mkdb(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ZELNOA_MKDB), arguments);
    if (!process.waitForFinished(30000))
        qFatal("zelnoa-mkdb did not finish");
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestSampleMaster : public QObject {
    Q_OBJECT

private slots:
    void columnsTheProgramReads_data();
    void columnsTheProgramReads();
    void textComparesIgnoringCase();
    void openedByTheDatabaseLayer();
    void ordinaryPerformanceChange();
    void everyChangeGroupOffersAnEntry();
    void rankPositionsCountFromZero();
    void valuesFitSixteenBits_data();
    void valuesFitSixteenBits();
    void casesTheTestsRelyOn_data();
    void casesTheTestsRelyOn();

    void mkdbBuildsFromScripts();
    void mkdbFailureKeepsEarlierFile_data();
    void mkdbFailureKeepsEarlierFile();

private:
    Db m_sample{QStringLiteral(ZELNOA_SAMPLE_DB)};
};

void TestSampleMaster::columnsTheProgramReads_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    // In table order where the program reads by position (KAIZO_MASTER: SEQ, then the name).
    QTest::newRow("SHURUI_MASTER")
        << u"SHURUI_MASTER"_s
        << QStringList{u"SEQ"_s, u"SHURUI_NAME"_s, u"SORT_NO"_s, u"COMBAT_TYPE"_s};
    QTest::newRow("BUKI_MASTER") << u"BUKI_MASTER"_s
                                 << u"SEQ BUKI_NAME SHURUI MIN_DAMAGE MAX_DAMAGE MIN_WOUNDS "
                                    "MAX_WOUNDS CRITICAL BLANCE RANGE TAIKYU SPEED HIT HYOUJI "
                                    "SORT_NO"_s.split(u' ');
    QTest::newRow("KAIZO_MASTER") << u"KAIZO_MASTER"_s
                                  << u"SEQ KAIZO_NAME BUKI_SEQ KAISU_S KAISU_E SORT_NO MIN_DAMAGE "
                                     "MAX_DAMAGE MIN_WOUNDS MAX_WOUNDS CRITICAL BLANCE RANGE "
                                     "TAIKYU EXP COST ETC"_s.split(u' ');
    QTest::newRow("LANK_INDEX") << u"LANK_INDEX"_s << QStringList{u"LANK"_s, u"SORT_NO"_s};
    QTest::newRow("SKILL_MASTER") << u"SKILL_MASTER"_s
                                  << QStringList{u"ID"_s, u"SKILL_NAME"_s, u"COMBAT_TYPE"_s};
    QTest::newRow("LANK_MASTER") << u"LANK_MASTER"_s
                                 << QStringList{u"LANK"_s, u"SKILL_ID"_s, u"MIN_DAMAGE"_s,
                                                u"MAX_DAMAGE"_s, u"BALANCE"_s};
    QTest::newRow("CHANGE_SPEC_MASTER")
        << u"CHANGE_SPEC_MASTER"_s
        << u"SEQ NAME SHURUI MIN_DAMAGE MAX_DAMAGE CRITICAL BLANCE TAIKYU HYOUJI SORT_NO"_s.split(
               u' ');
}

void TestSampleMaster::columnsTheProgramReads() {
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    QCOMPARE(m_sample.column(u"SELECT name FROM pragma_table_info('%1') ORDER BY cid"_s.arg(table)),
             columns);
}

// The original engine compared text without regard to case; every text column must do the same.
void TestSampleMaster::textComparesIgnoringCase() {
    const QStringList tables = m_sample.column(
        u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"_s);
    QVERIFY(!tables.isEmpty());
    for (const QString& table : tables) {
        const QStringList textColumns = m_sample.column(
            u"SELECT name FROM pragma_table_info('%1') WHERE type = 'TEXT'"_s.arg(table));
        for (const QString& column : textColumns) {
            const char* collation = nullptr;
            QCOMPARE(sqlite3_table_column_metadata(m_sample.handle(), nullptr,
                                                   table.toUtf8().constData(),
                                                   column.toUtf8().constData(), nullptr, &collation,
                                                   nullptr, nullptr, nullptr),
                     SQLITE_OK);
            QVERIFY2(qstricmp(collation, "NOCASE") == 0, qPrintable(table + u'.' + column));
        }
    }
    QCOMPARE(m_sample.number(u"SELECT SORT_NO FROM LANK_INDEX WHERE LANK = 'a'"_s), 6);
}

// The layer refuses a file without the master tables and adds its own work table; the sample
// must come without one so that the layer's shape is the one in use.
void TestSampleMaster::openedByTheDatabaseLayer() {
    QCOMPARE(
        m_sample.number(
            u"SELECT COUNT(*) FROM sqlite_master WHERE name = 'WORK_BUKI_DATA' COLLATE NOCASE"_s),
        0);
    QTemporaryDir dir;
    storage::Connection connection;
    QVERIFY2(connection.open(testsupport::copySampleDatabase(dir.path())),
             qPrintable(connection.lastError()));
    QVERIFY(connection.close());
}

// The simulator starts every weapon with change 23 and shows no change label for it.
void TestSampleMaster::ordinaryPerformanceChange() {
    QCOMPARE(m_sample.value(u"SELECT SHURUI || '|' || NAME || '|' || MIN_DAMAGE || MAX_DAMAGE || "
                            "CRITICAL || BLANCE || TAIKYU || '|' || HYOUJI "
                            "FROM CHANGE_SPEC_MASTER WHERE SEQ = 23"_s),
             u"一般品|一般品|00000|1"_s);
}

// The change dialog gives up when a group lists no shown entry.
void TestSampleMaster::everyChangeGroupOffersAnEntry() {
    QVERIFY(m_sample.number(u"SELECT COUNT(DISTINCT SHURUI) FROM CHANGE_SPEC_MASTER"_s) >= 3);
    QCOMPARE(m_sample.column(u"SELECT SHURUI FROM CHANGE_SPEC_MASTER GROUP BY SHURUI "
                             "HAVING SUM(HYOUJI = 1) = 0"_s),
             QStringList());
}

// The profile editor uses SORT_NO directly as the position in its rank list.
void TestSampleMaster::rankPositionsCountFromZero() {
    const int ranks = m_sample.number(u"SELECT COUNT(*) FROM LANK_INDEX"_s);
    QCOMPARE(
        m_sample.number(
            u"SELECT COUNT(*) FROM LANK_INDEX WHERE SORT_NO BETWEEN 0 AND %1"_s.arg(ranks - 1)),
        ranks);
    QCOMPARE(m_sample.value(u"SELECT LANK FROM LANK_INDEX WHERE SORT_NO = 0"_s), u"練習"_s);
}

void TestSampleMaster::valuesFitSixteenBits_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns");
    QTest::newRow("weapons") << u"BUKI_MASTER"_s
                             << u"SEQ SHURUI MIN_DAMAGE MAX_DAMAGE MIN_WOUNDS MAX_WOUNDS CRITICAL "
                                "BLANCE RANGE TAIKYU HYOUJI"_s;
    QTest::newRow("modifications") << u"KAIZO_MASTER"_s
                                   << u"SEQ BUKI_SEQ KAISU_S KAISU_E MIN_DAMAGE MAX_DAMAGE "
                                      "MIN_WOUNDS MAX_WOUNDS CRITICAL BLANCE RANGE TAIKYU EXP "
                                      "COST"_s;
    QTest::newRow("changes") << u"CHANGE_SPEC_MASTER"_s
                             << u"SEQ MIN_DAMAGE MAX_DAMAGE CRITICAL BLANCE TAIKYU HYOUJI"_s;
    QTest::newRow("skills") << u"SKILL_MASTER"_s << u"ID COMBAT_TYPE"_s;
}

void TestSampleMaster::valuesFitSixteenBits() {
    QFETCH(QString, table);
    QFETCH(QString, columns);
    for (const QString& column : columns.split(u' ')) {
        QVERIFY2(m_sample.number(u"SELECT COUNT(*) FROM %1 WHERE typeof(%2) <> 'integer' OR %2 "
                                 "NOT BETWEEN -32768 AND 32767"_s.arg(table, column)) == 0,
                 qPrintable(column));
    }
}

// Other tests pick these rows out of the sample; each query must find at least one.
void TestSampleMaster::casesTheTestsRelyOn_data() {
    QTest::addColumn<QString>("query");
    QTest::newRow("five weapon types, melee and ranged")
        << u"SELECT COUNT(*) >= 5 AND COUNT(DISTINCT COMBAT_TYPE) = 2 FROM SHURUI_MASTER"_s;
    QTest::newRow("forty weapons") << u"SELECT COUNT(*) >= 40 FROM BUKI_MASTER"_s;
    QTest::newRow("hidden weapon") << u"SELECT COUNT(*) FROM BUKI_MASTER WHERE HYOUJI = 0"_s;
    QTest::newRow("shown weapon without modification")
        << u"SELECT COUNT(*) FROM BUKI_MASTER WHERE HYOUJI = 1 AND "
           "SEQ NOT IN (SELECT BUKI_SEQ FROM KAIZO_MASTER)"_s;
    QTest::newRow("more than five steps")
        << u"SELECT COUNT(*) FROM KAIZO_MASTER WHERE KAISU_E >= 5"_s;
    QTest::newRow("damage 12 to 18")
        << u"SELECT COUNT(*) FROM BUKI_MASTER WHERE MIN_DAMAGE = 12 AND MAX_DAMAGE = 18"_s;
    QTest::newRow("damage 10 to 20")
        << u"SELECT COUNT(*) FROM BUKI_MASTER WHERE MIN_DAMAGE = 10 AND MAX_DAMAGE = 20"_s;
    QTest::newRow("overlapping step ranges")
        << u"SELECT COUNT(*) FROM KAIZO_MASTER a JOIN KAIZO_MASTER b ON a.BUKI_SEQ = b.BUKI_SEQ "
           "AND a.SEQ < b.SEQ AND a.KAISU_S <= b.KAISU_E AND b.KAISU_S <= a.KAISU_E "
           "AND a.KAISU_S <> b.KAISU_S"_s;
    QTest::newRow("negative delta")
        << u"SELECT COUNT(*) FROM KAIZO_MASTER WHERE MIN(MAX_DAMAGE, BLANCE, TAIKYU) < 0"_s;
    QTest::newRow("durability driven below 0")
        << u"SELECT COUNT(*) FROM KAIZO_MASTER k JOIN BUKI_MASTER b ON b.SEQ = k.BUKI_SEQ "
           "WHERE k.KAISU_S = 0 AND b.TAIKYU + k.TAIKYU < 0"_s;
    QTest::newRow("empty and missing remarks")
        << u"SELECT SUM(ETC = '') > 0 AND SUM(ETC IS NULL) > 0 FROM KAIZO_MASTER"_s;
    QTest::newRow("cost 0 and cost of five digits")
        << u"SELECT SUM(COST = 0) > 0 AND SUM(COST >= 10000) > 0 FROM KAIZO_MASTER"_s;
    QTest::newRow("hidden performance change")
        << u"SELECT COUNT(*) FROM CHANGE_SPEC_MASTER WHERE HYOUJI = 0"_s;
    QTest::newRow("rank bonus for both skills")
        << u"SELECT COUNT(DISTINCT SKILL_ID) = 2 FROM LANK_MASTER"_s;
    QTest::newRow("one skill per combat type of the weapon types")
        << u"SELECT COUNT(*) = 0 FROM SHURUI_MASTER s WHERE (SELECT COUNT(*) FROM SKILL_MASTER k "
           "WHERE k.COMBAT_TYPE = s.COMBAT_TYPE) <> 1"_s;
    QTest::newRow("no step range the wrong way round")
        << u"SELECT COUNT(*) = 0 FROM KAIZO_MASTER WHERE KAISU_S > KAISU_E OR KAISU_S < 0"_s;
}

void TestSampleMaster::casesTheTestsRelyOn() {
    QFETCH(QString, query);
    QVERIFY(m_sample.number(query) > 0);
}

void TestSampleMaster::mkdbBuildsFromScripts() {
    QTemporaryDir dir;
    const QString a = dir.filePath(u"a.sql"_s);
    const QString b = dir.filePath(u"b.sql"_s);
    const QString out = dir.filePath(u"out.db"_s);
    testsupport::writeBytes(a, "CREATE TABLE T (V TEXT);\n-- comment only at the end\n");
    testsupport::writeBytes(b, "INSERT INTO T VALUES ('一'), ('二');");
    testsupport::writeBytes(out, "an older file that is not a database");

    const Run run = mkdb({out, a, b});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.errors, QString());
    QCOMPARE(Db(out).column(u"SELECT V FROM T ORDER BY rowid"_s), (QStringList{u"一"_s, u"二"_s}));
    QVERIFY(!QFile::exists(out + u".tmp"_s));
}

void TestSampleMaster::mkdbFailureKeepsEarlierFile_data() {
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("secondExists");
    QTest::addColumn<QString>("message");
    QTest::newRow("syntax error") << QByteArray(
                                         "INSERT INTO T VALUES (1);\n\nINSERT INTO T VALUS (2);")
                                  << true << u"b.sql:3:"_s;
    QTest::newRow("dangling reference")
        << QByteArray("INSERT INTO CHILD VALUES (7);") << true << u"FOREIGN KEY"_s;
    QTest::newRow("missing script") << QByteArray() << false << u"cannot read"_s;
}

void TestSampleMaster::mkdbFailureKeepsEarlierFile() {
    QFETCH(QByteArray, second);
    QFETCH(bool, secondExists);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString a = dir.filePath(u"a.sql"_s);
    const QString b = dir.filePath(u"b.sql"_s);
    const QString out = dir.filePath(u"out.db"_s);
    testsupport::writeBytes(a,
                            "CREATE TABLE T (V INTEGER); CREATE TABLE P (ID INTEGER PRIMARY KEY);"
                            "CREATE TABLE CHILD (P_ID INTEGER REFERENCES P (ID));");
    if (secondExists)
        testsupport::writeBytes(b, second);
    const QByteArray earlier = "the database of an earlier good build";
    testsupport::writeBytes(out, earlier);

    const Run run = mkdb({out, a, b});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(message, Qt::CaseInsensitive), qPrintable(run.errors));
    QCOMPARE(testsupport::readBytes(out), earlier);
    QVERIFY(!QFile::exists(out + u".tmp"_s));
}

QTEST_GUILESS_MAIN(TestSampleMaster)
#include "test_sample_master.moc"
