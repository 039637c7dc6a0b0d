// The database layer: the Jet-to-SQLite rewrite, opening the file, the work table's shape,
// reading through recordsets, and what the program's SQL texts return from a small master.

#include "storage/AccessImport.h"
#include "storage/Database.h"
#include "storage/JetSql.h"
#include "storage/modDBAccess.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace modDBAccess;
using storage::Connection;
using storage::Recordset;

namespace {

// A database file with the real master tables, after running sql on it; returns path.
QString createMaster(const QString& path, const char* sql = "") {
    QFile::remove(path);
    QFile schema(QStringLiteral(ZELNOA_SCHEMA_SQL));
    if (!schema.open(QIODevice::ReadOnly))
        qFatal("cannot read the schema");
    testsupport::sqlExec(path, schema.readAll().constData());
    testsupport::sqlExec(path, sql);
    return path;
}

const char kMasterRows[] = R"(
INSERT INTO BUKI_MASTER VALUES
    (1, 'ソード', 1, 10, 20, 5, 10, 3, 50, 1, 15, '普通', 1, 1, 1),
    (2, '隠し剣', 1, 1, 2, 0, 0, 0, 0, 0, 1, NULL, NULL, 0, 0),
    (3, 'ボウ', 2, 5, 30, 0, 0, 0, 0, 0, 1, NULL, NULL, 1, 1),
    (4, 'ロング', 1, 12, 25, 0, 0, 0, 0, 0, 1, '遅い', 2, 1, 1),
    (5, 'ダガー', 1, 1, 3, 0, 0, 0, 0, 0, 1, NULL, NULL, 1, 0);
INSERT INTO KAIZO_MASTER VALUES
    (21, 'up', 1, 0, 9, 3, 2, 3, 0, 0, 0, 0, 0, -20, 100, 1000, NULL),
    (22, 'mend', 1, 0, 9, 4, 0, 0, 0, 0, 0, 0, 0, 5, 100, 1000, NULL);
INSERT INTO CHANGE_SPEC_MASTER VALUES
    (1, '鋭い', '鍛冶', 10.0, 20.0, 1, 0, -5, 1, 5),
    (2, '重い', 'ドロップ', 2, 3.5, 0, 0, 0, 1, 1),
    (3, '隠れ', 'ドロップ', 1, 1, 0, 0, 0, 0, 0),
    (4, '軽い', 'ドロップ', 1, 2, 0, 0, 0, 1, 9);
)";

// A file the system lets this user open for reading only, which root's rights would not show.
class ReadOnlyConnection : public Connection {
protected:
    int openFile(const QByteArray& path, sqlite3** db, int flags) override {
        return Connection::openFile(path, db,
                                    (flags & ~SQLITE_OPEN_READWRITE) | SQLITE_OPEN_READONLY);
    }
};

// Every row, fields as shown (text()) joined by "," and rows by "|".
QString rows(const QString& statement) {
    storage::Recordset& rs = storage::rsShared();
    if (!rs.open(statement))
        return u"error: "_s + rs.lastError();
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int i = 0; i < rs.fieldCount(); ++i)
            fields << rs.text(i);
        out << fields.join(u',');
    }
    rs.close();
    return out.join(u'|');
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;
    Connection m_connection;
    sqlite3* m_memory = nullptr;

    void open() { QVERIFY2(m_connection.open(m_path), qPrintable(m_connection.lastError())); }

private slots:
    // The program's own connection holds the small master of the SQL texts for every test; each
    // test has a fresh file of its own besides.
    void initTestCase() {
        QCOMPARE(sqlite3_open(":memory:", &m_memory), SQLITE_OK);
        QVERIFY(storage::registerJetFunctions(m_memory));
        const QString path = createMaster(m_dir.filePath(u"shared.db"_s), kMasterRows);
        QVERIFY2(storage::cnDatabase().open(path), qPrintable(storage::cnDatabase().lastError()));
    }
    void cleanupTestCase() {
        sqlite3_close(m_memory);
        storage::cnDatabase().close();
    }
    void init() {
        m_path = createMaster(m_dir.filePath(u"master.db"_s),
                              "INSERT INTO LANK_INDEX VALUES ('A', 2), ('練習', 0), ('F', 1);");
    }
    void cleanup() { m_connection.close(); }

    void translate_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("sqlite");
        const char* const rows[][3] = {
            {"unchanged", "SELECT SEQ FROM T WHERE A = 1 AND NOT B IN (0 ,3)",
             "SELECT SEQ FROM T WHERE A = 1 AND NOT B IN (0 ,3)"},
            {"double-quoted literal", "SELECT \"～\"", "SELECT '～'"},
            {"quote inside double-quoted", "SELECT \"it's\"", "SELECT 'it''s'"},
            {"single-quoted kept whole", "SELECT 'a + b; \"c\" ''d'' ～'",
             "SELECT 'a + b; \"c\" ''d'' ～'"},
            {"cstr calls joined", "SELECT CSTR(A)+CSTR(B)", "SELECT JET_CSTR(A)||JET_CSTR(B)"},
            {"literal then column", "SELECT 'x' + NAME", "SELECT 'x' || NAME"},
            {"numeric plus", "SELECT A + 1, (B) + 2", "SELECT A + 1, (B) + 2"},
            {"numeric plus inside cstr", "SELECT CSTR((A + 1) * 2) + 'x'",
             "SELECT JET_CSTR((A + 1) * 2) || 'x'"},
            {"plus after a plain bracket", "SELECT (CSTR(A)) + 1", "SELECT (JET_CSTR(A)) + 1"},
            {"lower-case cstr with a blank", "select cstr (a) + 'x'", "select JET_CSTR (a) || 'x'"},
            {"not a cstr call", "SELECT MYCSTR(A) + 1, CSTR_X + 1, CSTR + 1",
             "SELECT MYCSTR(A) + 1, CSTR_X + 1, CSTR + 1"},
            {"bracketed name", "SELECT [A+B] + 1 FROM T", "SELECT [A+B] + 1 FROM T"},
            {"exponent", "SELECT 1e+5", "SELECT 1e+5"},
            {"trailing semicolon", "SELECT 1 FROM T ORDER BY SORT_NO; \n",
             "SELECT 1 FROM T ORDER BY SORT_NO"},
            {"semicolon in a literal at the end", "SELECT ';'", "SELECT ';'"},
            {"empty", "", ""}};
        for (const auto& [name, jet, sqlite] : rows)
            QTest::newRow(name) << QString::fromUtf8(jet) << QString::fromUtf8(sqlite);
    }
    void translate() {
        QFETCH(QString, jet);
        QFETCH(QString, sqlite);
        QCOMPARE(QString::fromStdString(storage::translateJetSql(jet.toStdString())), sqlite);
    }

    void cstr_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("result");
        const char* const rows[][2] = {{"CSTR(10.0)", "10"},
                                       {"CSTR(12.5)", "12.5"},
                                       {"CSTR(0.1 + 0.2)", "0.3"},
                                       {"CSTR(1234567890123)", "1234567890123"},
                                       {"CSTR(NULL)", "<null>"},
                                       {"CSTR('ab')", "ab"},
                                       {"CSTR(10) + \"～\" + CSTR(20);", "10～20"}};
        for (const auto& [jet, result] : rows)
            QTest::newRow(jet) << QString::fromUtf8(jet) << QString::fromUtf8(result);
    }
    void cstr() {
        QFETCH(QString, jet);
        QFETCH(QString, result);
        const std::string sql = storage::translateJetSql("SELECT " + jet.toStdString());
        QCOMPARE(testsupport::sqlRows(m_memory, QString::fromStdString(sql)), QStringList{result});
    }

    // A missing file or one that is not a database at all is covered by the start-up tests.
    void openFails() {
        const auto refused = [this](const QString& path) {
            return !m_connection.open(path) && !m_connection.isOpen() &&
                   !m_connection.lastError().isEmpty();
        };
        // SQLite would take an empty file for a new database and write to it.
        const QString empty = m_dir.filePath(u"empty.db"_s);
        testsupport::writeBytes(empty, {});
        QVERIFY(refused(empty));
        QCOMPARE(testsupport::readBytes(empty), QByteArray());
        QVERIFY(refused(
            createMaster(m_dir.filePath(u"partial.db"_s), "DROP TABLE CHANGE_SPEC_MASTER;")));
        QVERIFY(m_connection.lastError().contains(u"CHANGE_SPEC_MASTER"));
        ReadOnlyConnection readOnly;
        QVERIFY(!readOnly.open(m_path) && !readOnly.isOpen());
        // Opening a FIFO would wait for ever; neither it nor a folder is opened.
        const QString fifo = m_dir.filePath(u"fifo.mdb"_s);
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        for (const QString& strange : {fifo, m_dir.path()}) {
            QVERIFY(refused(strange));
            QVERIFY(!storage::isAccessFile(strange));
            QVERIFY(!storage::resolveMasterDatabase(strange, nullptr));
        }
        open();
    }

    // A statement that never ends (a master's view may recurse for ever) fails instead of
    // freezing the program, and the connection still serves.
    void endlessStatementStops() {
        Connection connection(std::chrono::milliseconds(100));
        QVERIFY(connection.open(m_path));
        Recordset rs(connection);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!rs.open(u"WITH RECURSIVE r(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM r) "
                         "SELECT x FROM r ORDER BY x DESC"_s));
        QVERIFY(!rs.lastError().isEmpty());
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(rs.open(u"SELECT COUNT(*) FROM LANK_INDEX"_s));
    }

    void workTableShape_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("kept");
        QByteArray fitting = "CREATE TABLE WORK_BUKI_DATA (KAISU NUMERIC DEFAULT 0";
        for (const char* column : {"SHURUI", "MIN_DAMAGE", "MAX_DAMAGE", "MIN_WOUNDS", "MAX_WOUNDS",
                                   "CRITICAL", "BLANCE", "RANGE", "TAIKYU", "EXP", "COST"})
            fitting += ", "_ba + column + " NUMERIC DEFAULT 0";
        fitting += ");";
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("fitting") << fitting << true;
        QTest::newRow("other columns")
            << "CREATE TABLE WORK_BUKI_DATA (KAISU NUMERIC DEFAULT 0, NOTE TEXT);"_ba << false;
        QTest::newRow("whole-number columns")
            << QByteArray(fitting).replace("NUMERIC", "INTEGER") << false;
        QTest::newRow("a view") << "CREATE VIEW WORK_BUKI_DATA AS SELECT 1 AS KAISU;"_ba << false;
    }
    void workTableShape() {
        QFETCH(QByteArray, before);
        QFETCH(bool, kept);
        testsupport::sqlExec(m_path, before.constData());
        if (before.startsWith("CREATE TABLE"))
            testsupport::sqlExec(m_path, "INSERT INTO WORK_BUKI_DATA (KAISU) VALUES (5);");
        open();
        Recordset rs(m_connection);
        QStringList columns;
        for (rs.open(u"PRAGMA table_info(WORK_BUKI_DATA)"_s); !rs.eof(); rs.moveNext())
            columns << rs.text(u"name") + u' ' + rs.text(u"type") + u' ' + rs.text(u"dflt_value");
        QCOMPARE(columns.size(), 12);
        QCOMPARE(columns.first(), u"KAISU NUMERIC 0"_s);
        QCOMPARE(columns.last(), u"COST NUMERIC 0"_s);
        QVERIFY(rs.open(u"SELECT COUNT(*) AS N FROM WORK_BUKI_DATA"_s));
        QCOMPARE(rs.field(0).toInt(), kept ? 1 : 0);
    }

    void readsRows() {
        open();
        Recordset rs(m_connection);
        QVERIFY2(rs.open(u"SELECT LANK, SORT_NO AS No, NULL AS BLANK FROM LANK_INDEX ORDER BY "
                         "SORT_NO;"_s),
                 qPrintable(rs.lastError()));
        QCOMPARE(rs.fieldCount(), 3);
        QCOMPARE(rs.position(u"no"), 1);
        QCOMPARE(rs.position(u"unknown"), -1);
        QVERIFY(rs.field(u"unknown").isNull());
        QVERIFY(rs.field(2).isNull());
        QCOMPARE(rs.text(2), QString());
        QStringList seen;
        for (; !rs.eof(); rs.moveNext())
            seen << rs.field(0).toString() + rs.text(u"NO");
        QCOMPARE(seen, QStringList({u"練習0"_s, u"F1"_s, u"A2"_s}));
        QVERIFY(rs.field(0).isNull());
        rs.moveFirst();
        QCOMPARE(rs.text(u"LANK"), u"練習"_s);
        QVERIFY(rs.open(u"SELECT LANK FROM LANK_INDEX WHERE LANK = 'nothing'"_s));
        QVERIFY(rs.isOpen());
        QVERIFY(rs.eof());

        // Statements without rows leave the set closed.
        QVERIFY(rs.open(u"DELETE FROM LANK_INDEX WHERE LANK = \"F\""_s));
        QVERIFY(!rs.isOpen());
        QVERIFY(rs.eof());
        QVERIFY(!rs.open(u"INSERT INTO NO_SUCH_TABLE VALUES (1)"_s));
        QVERIFY(!rs.isOpen());
        QVERIFY(rs.lastError().contains(u"NO_SUCH_TABLE"));
        // Only one statement per text: nothing of a second one runs.
        QVERIFY(!rs.open(u"DELETE FROM LANK_INDEX; DELETE FROM SKILL_MASTER"_s));
        QVERIFY(rs.open(u"SELECT COUNT(*) FROM LANK_INDEX"_s));
        QCOMPARE(rs.field(0).toInt(), 2);
    }

    void cachedStatements() {
        open();
        const QString ordered = u"SELECT LANK FROM LANK_INDEX ORDER BY SORT_NO"_s;
        Recordset first(m_connection);
        Recordset second(m_connection);
        QVERIFY(first.open(ordered));
        first.moveNext();
        // The same text on a second set while the first still reads it.
        QVERIFY(second.open(ordered));
        QCOMPARE(second.text(0), u"練習"_s);
        QCOMPARE(first.text(0), u"F"_s);
        second.close();
        // Many other texts must not disturb the statement the first set still reads.
        for (int i = 0; i < 300; ++i)
            QVERIFY(second.open(u"SELECT %1 AS N"_s.arg(i)));
        QCOMPARE(second.field(u"n").toInt(), 299);
        first.moveNext();
        QCOMPARE(first.text(0), u"A"_s);
        first.close();
        // A reused statement sees the current rows.
        QVERIFY(second.open(u"INSERT INTO LANK_INDEX VALUES ('B', -1)"_s));
        QVERIFY(first.open(ordered));
        QCOMPARE(first.text(0), u"B"_s);
    }

    void closing() {
        open();
        Recordset rs(m_connection);
        QVERIFY(rs.open(u"SELECT LANK FROM LANK_INDEX"_s));
        // A statement the connection does not know of keeps SQLite from closing.
        sqlite3_stmt* stray = nullptr;
        sqlite3_prepare_v2(m_connection.handle(), "SELECT 1", -1, &stray, nullptr);
        QVERIFY(!m_connection.close());
        QVERIFY(m_connection.isOpen());
        QVERIFY(!rs.isOpen());
        sqlite3_finalize(stray);
        QVERIFY(rs.open(u"SELECT LANK FROM LANK_INDEX"_s));
        QVERIFY(m_connection.close());
        QVERIFY(!m_connection.isOpen());
        QVERIFY(!rs.isOpen());
        QVERIFY(!rs.open(u"SELECT 1"_s));
        QVERIFY(m_connection.close());
        // Reopening after a clean close finds the file as it was left.
        open();
        QVERIFY(rs.open(u"SELECT COUNT(*) FROM LANK_INDEX"_s));
        QCOMPARE(rs.field(0).toInt(), 3);
    }

    // How the texts read on SQLite: CSTR() of whole and fractional columns, NULL as empty text.
    void lookups_data() {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("result");
        QTest::newRow("shown weapons by type, sort, damage")
            << strGetBukiList(0)
            << u"5,ダガー,1～3,0～0,0,0,0,1,,|1,ソード,10～20,5～10,3,50,1,15,普通,1|"
               "4,ロング,12～25,0～0,0,0,0,1,遅い,2|3,ボウ,5～30,0～0,0,0,0,1,,"_s;
        QTest::newRow("last step without modifications") << strGetMaxKaisu(5) << QString();
        QTest::newRow("fractional change damage")
            << strGetChangeSpecList(u"ドロップ"_s) << u"2,重い,2～3.5,0,0,0|4,軽い,1～2,0,0,0"_s;
        QTest::newRow("change") << strGetChangeSpec(1) << u"1,鋭い,10,20,1,0,-5,鍛冶"_s;
        QTest::newRow("whole and fractional reals") << u"SELECT 10.0, -2.5"_s << u"10,-2.5"_s;
        QTest::newRow("rank with a quote") << strGetLankSortNo(u"B's"_s) << QString();
    }
    void lookups() {
        QFETCH(QString, statement);
        QFETCH(QString, result);
        QCOMPARE(rows(statement), result);
    }

    // One simulation through the texts: performance change, bonus row, base row, two steps,
    // bonus row dropped, reset.
    void workTable() {
        const QString count = strGetKaizoCount();
        QCOMPARE(rows(strDeleteWork({})), QString());
        QCOMPARE(rows(strInsertWorkValues(u"-12,5,0,0,-1,0,0"_s, 3)), QString());
        QCOMPARE(rows(strInsertWorkValues(u"1.5,2.25,0,0,0.5,3,0"_s, 1)), QString());
        QCOMPARE(rows(strInsertWorkBase(1)), QString());
        QCOMPARE(rows(count), u"0"_s);
        // Damage 10 - 12 clamps to 0; the change row is folded in and not summed again.
        QCOMPARE(rows(strGetWorkStep(0)), u"0,25,5,10,2,50,1,15,0,0"_s);
        QCOMPARE(rows(strGetWorkSum(0)), u"1.5,27.25,5,10,2.5,53"_s);
        // Durability 15 - 20 stops at 0 at step 1, so step 2 adds 5 to 0.
        QCOMPARE(rows(strInsertWorkStep(0, 21)), QString());
        QCOMPARE(rows(strInsertWorkStep(1, 22)), QString());
        QCOMPARE(rows(strGetWorkStep(2)), u"2,28,5,10,2,50,1,5,200,2000"_s);
        QCOMPARE(rows(count), u"2"_s);
        // Only step 2 and the bonus row: neither the change row nor the other steps.
        QCOMPARE(rows(strGetWorkSum(2)), u"3.5,30.25,5,10,2.5,53"_s);
        QCOMPARE(rows(strDeleteWork(u"WHERE SHURUI = 1"_s)), QString());
        QCOMPARE(rows(strGetWorkSum(2)), u"2,28,5,10,2,50"_s);
        QCOMPARE(rows(strDeleteWork(u"WHERE SHURUI = 0"_s)), QString());
        QCOMPARE(rows(count), u"0"_s);
        QCOMPARE(rows(u"SELECT SHURUI,MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,"
                      "RANGE,TAIKYU,EXP,COST FROM WORK_BUKI_DATA"_s),
                 u"3,-12,5,0,0,-1,0,0,0,0,0"_s);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
