// The database layer: the Jet-to-SQLite rewrite, opening the file, the work table's shape,
// reading through recordsets, and the program's SQL texts with what they return from a small
// master.

#include "storage/Database.h"
#include "storage/JetSql.h"
#include "storage/modDBAccess.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using namespace modDBAccess;
using storage::Connection;
using storage::Recordset;

namespace {

// A database file with every master table (text columns COLLATE NOCASE, as the real master
// declares them), after running sql on it; returns path.
QString createMaster(const QString& path, const char* sql = "") {
    QFile::remove(path);
    testsupport::sqlExec(path, R"(
CREATE TABLE SHURUI_MASTER (SEQ INTEGER, SHURUI_NAME TEXT COLLATE NOCASE, SORT_NO INTEGER,
    COMBAT_TYPE INTEGER);
CREATE TABLE BUKI_MASTER (SEQ INTEGER, BUKI_NAME TEXT COLLATE NOCASE, SHURUI INTEGER,
    MIN_DAMAGE INTEGER DEFAULT 0, MAX_DAMAGE INTEGER DEFAULT 0, MIN_WOUNDS INTEGER DEFAULT 0,
    MAX_WOUNDS INTEGER DEFAULT 0, CRITICAL INTEGER DEFAULT 0, BLANCE INTEGER DEFAULT 0,
    RANGE INTEGER DEFAULT 0, TAIKYU INTEGER DEFAULT 0, SPEED TEXT, HIT TEXT, HYOUJI INTEGER DEFAULT 1,
    SORT_NO INTEGER DEFAULT 0);
CREATE TABLE KAIZO_MASTER (SEQ INTEGER, KAIZO_NAME TEXT COLLATE NOCASE, BUKI_SEQ INTEGER,
    KAISU_S INTEGER, KAISU_E INTEGER, SORT_NO INTEGER DEFAULT 0, MIN_DAMAGE INTEGER DEFAULT 0,
    MAX_DAMAGE INTEGER DEFAULT 0, MIN_WOUNDS INTEGER DEFAULT 0, MAX_WOUNDS INTEGER DEFAULT 0,
    CRITICAL INTEGER DEFAULT 0, BLANCE INTEGER DEFAULT 0, RANGE INTEGER DEFAULT 0,
    TAIKYU INTEGER DEFAULT 0, EXP INTEGER DEFAULT 0, COST INTEGER DEFAULT 0, ETC TEXT);
CREATE TABLE LANK_INDEX (LANK TEXT COLLATE NOCASE, SORT_NO INTEGER);
CREATE TABLE SKILL_MASTER (ID INTEGER, COMBAT_TYPE INTEGER);
CREATE TABLE LANK_MASTER (LANK TEXT COLLATE NOCASE, SKILL_ID INTEGER, MIN_DAMAGE INTEGER,
    MAX_DAMAGE INTEGER, BALANCE INTEGER);
CREATE TABLE CHANGE_SPEC_MASTER (SEQ INTEGER, NAME TEXT COLLATE NOCASE,
    SHURUI TEXT COLLATE NOCASE, MIN_DAMAGE REAL DEFAULT 0, MAX_DAMAGE REAL DEFAULT 0,
    CRITICAL INTEGER DEFAULT 0, BLANCE INTEGER DEFAULT 0, TAIKYU INTEGER DEFAULT 0,
    HYOUJI INTEGER DEFAULT 1, SORT_NO INTEGER DEFAULT 0);
)");
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

const QString kList8 =
    u"MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,BLANCE,RANGE,TAIKYU"_s;
const QString kList10 = kList8 + u",EXP,COST"_s;

// The insert's select list: every column summed, negative sums stopping at 0.
QString clampedSums(const QString& columns) {
    QStringList out;
    for (const QString& column : columns.split(u','))
        out << u"IIF(SUM(%1) < 0, 0, SUM(%1))"_s.arg(column);
    return out.join(u',');
}

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
    void cleanup() {
        storage::setConnectionFaults({});
        m_connection.close();
    }

    void translate_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("sqlite");
        const char* const rows[][3] = {
            {"unchanged", "SELECT SEQ FROM T WHERE A = 1 AND NOT B IN (0 ,3)",
             "SELECT SEQ FROM T WHERE A = 1 AND NOT B IN (0 ,3)"},
            {"double-quoted literal", "SELECT \"～\"", "SELECT '～'"},
            {"quote inside double-quoted", "SELECT \"it's\"", "SELECT 'it''s'"},
            {"doubled double quote", "SELECT \"a\"\"b\"", "SELECT 'a\"b'"},
            {"single-quoted kept whole", "SELECT 'a + b; \"c\" ''d'' ～'",
             "SELECT 'a + b; \"c\" ''d'' ～'"},
            {"weapon damage",
             "SELECT CSTR(MIN_DAMAGE) + \"～\" + CSTR(MAX_DAMAGE) AS DAMAGE FROM T",
             "SELECT JET_CSTR(MIN_DAMAGE) || '～' || JET_CSTR(MAX_DAMAGE) AS DAMAGE FROM T"},
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
            {"unterminated literal left alone", "SELECT \"abc", "SELECT 'abc"},
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

    void openFails_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing", "garbage", "empty", "partial", "readonly"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void openFails() {
        QFETCH(QString, kind);
        const QString path = m_dir.filePath(kind + u".db"_s);
        const QByteArray garbage = "this is a settings file, not a database\n";
        if (kind == u"garbage" || kind == u"empty")
            testsupport::writeBytes(path, kind == u"empty" ? QByteArray() : garbage);
        else if (kind != u"missing")
            createMaster(path, kind == u"partial" ? "DROP TABLE CHANGE_SPEC_MASTER;" : "");
        storage::setConnectionFaults({.readOnlyFile = kind == u"readonly"});

        QVERIFY(!m_connection.open(path));
        QVERIFY(!m_connection.isOpen());
        QVERIFY(!m_connection.lastError().isEmpty());
        if (kind == u"missing")
            QVERIFY(!QFile::exists(path));
        if (kind == u"garbage" || kind == u"empty")
            QCOMPARE(testsupport::readBytes(path), kind == u"empty" ? QByteArray() : garbage);
        if (kind == u"partial")
            QVERIFY(m_connection.lastError().contains(u"CHANGE_SPEC_MASTER"));
        if (kind == u"readonly") {
            storage::setConnectionFaults({});
            QVERIFY(m_connection.open(path));
        }
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
    }

    void statementsWithoutRows() {
        open();
        Recordset rs(m_connection);
        QVERIFY(rs.open(u"SELECT LANK FROM LANK_INDEX"_s));
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
        storage::setConnectionFaults({.closeFails = true});
        QVERIFY(!m_connection.close());
        QVERIFY(m_connection.isOpen());
        QVERIFY(rs.isOpen());
        storage::setConnectionFaults({});
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

    void texts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString weapons =
            u"SELECT SEQ, BUKI_NAME, CSTR(MIN_DAMAGE) + \"～\" + CSTR(MAX_DAMAGE) AS DAMAGE, "
            "CSTR(MIN_WOUNDS) + \"～\" + CSTR(MAX_WOUNDS) AS WOUNDS, CRITICAL, BLANCE, RANGE, "
            "TAIKYU, SPEED, HIT FROM BUKI_MASTER WHERE HYOUJI = 1"_s;
        const auto row = [](const char* name, const QString& text, const QString& expected) {
            QTest::newRow(name) << text << expected;
        };
        row("types", strGetShuruiList(),
            u"SELECT SEQ,SHURUI_NAME FROM SHURUI_MASTER ORDER BY SORT_NO;"_s);
        row("weapons of every type", strGetBukiList(0),
            weapons + u" ORDER BY SHURUI,SORT_NO,MAX_DAMAGE"_s);
        row("weapons of type -2", strGetBukiList(-2),
            weapons + u" AND SHURUI=-2 ORDER BY SORT_NO,MAX_DAMAGE"_s);
        row("modifications at a step", strGetKaizoList(12, 3),
            u"SELECT * FROM KAIZO_MASTER WHERE BUKI_SEQ = 12 AND KAISU_S <= 3 AND KAISU_E >= 3 "
            "ORDER BY SORT_NO"_s);
        row("modification", strGetKaizo(-7), u"SELECT * FROM KAIZO_MASTER WHERE SEQ = -7"_s);
        row("all modifications", strGetKaizoListAll(32767),
            u"SELECT * FROM KAIZO_MASTER WHERE BUKI_SEQ = 32767 ORDER BY SORT_NO"_s);
        row("last step", strGetMaxKaisu(4),
            u"SELECT MAX(KAISU_E) AS MAX_KAISU FROM KAIZO_MASTER WHERE BUKI_SEQ = 4"_s);
        row("ranks", strGetLankList(), u"SELECT LANK FROM LANK_INDEX ORDER BY SORT_NO;"_s);
        row("rank with a quote", strGetLankSortNo(u"B's"_s),
            u"SELECT SORT_NO FROM LANK_INDEX WHERE LANK = 'B''s'"_s);
        row("skill", strGetSkillId(2), u"SELECT ID FROM SKILL_MASTER WHERE COMBAT_TYPE = 2"_s);
        row("rank bonus", strGetLankBonus(u"A"_s, 2),
            u"SELECT MIN_DAMAGE,MAX_DAMAGE,BALANCE FROM LANK_MASTER WHERE LANK = 'A' AND "
            "SKILL_ID = (SELECT ID FROM SKILL_MASTER WHERE COMBAT_TYPE = 2)"_s);
        row("weapon type", strGetBukiShurui(8), u"SELECT SHURUI FROM BUKI_MASTER WHERE SEQ = 8"_s);
        row("combat type", strGetCombatType(8),
            u"SELECT COMBAT_TYPE FROM SHURUI_MASTER WHERE SEQ = (SELECT SHURUI FROM BUKI_MASTER "
            "WHERE SEQ = 8)"_s);
        row("change groups", strGetChangeSpecShuruiList(),
            u"SELECT SHURUI FROM CHANGE_SPEC_MASTER GROUP BY SHURUI ORDER BY MIN(SORT_NO)"_s);
        row("changes of a group", strGetChangeSpecList(u"鍛冶"_s),
            u"SELECT SEQ,NAME,CSTR(MIN_DAMAGE) + '～' + CSTR(MAX_DAMAGE) AS DAMAGE,CRITICAL,"
            "BLANCE,TAIKYU FROM CHANGE_SPEC_MASTER WHERE SHURUI = '鍛冶' AND HYOUJI = 1 ORDER BY "
            "SORT_NO"_s);
        row("change", strGetChangeSpec(5),
            u"SELECT SEQ,NAME,MIN_DAMAGE,MAX_DAMAGE,CRITICAL,BLANCE,TAIKYU,SHURUI FROM "
            "CHANGE_SPEC_MASTER WHERE SEQ = 5"_s);
        row("step count", strGetKaizoCount(),
            u"SELECT COUNT(KAISU) AS KAIZO_COUNT FROM WORK_BUKI_DATA WHERE SHURUI = 0 AND KAISU "
            ">= 1"_s);
        row("delete all", strDeleteWork({}), u"DELETE FROM WORK_BUKI_DATA "_s);
        row("delete a step", strDeleteWork(u"WHERE KAISU = 3"_s),
            u"DELETE FROM WORK_BUKI_DATA WHERE KAISU = 3"_s);
        row("step row", strGetWorkStep(2),
            u"SELECT "_s + kList10 + u" FROM WORK_BUKI_DATA WHERE KAISU = 2 AND SHURUI = 0"_s);
        row("combat sums", strGetWorkSum(2),
            u"SELECT SUM(MIN_DAMAGE) AS MIN_DAMAGE,SUM(MAX_DAMAGE) AS MAX_DAMAGE,SUM(MIN_WOUNDS) "
            "AS MIN_WOUNDS,SUM(MAX_WOUNDS) AS MAX_WOUNDS,SUM(CRITICAL) AS CRITICAL,SUM(BLANCE) AS "
            "BLANCE FROM WORK_BUKI_DATA WHERE KAISU = 2 AND SHURUI = 0 OR NOT SHURUI IN (0 ,3)"_s);
        row("base row", strInsertWorkBase(7),
            u"INSERT INTO WORK_BUKI_DATA (%1) select %2 FROM (SELECT %1 FROM WORK_BUKI_DATA WHERE "
            "SHURUI = 3 UNION ALL SELECT %1 FROM BUKI_MASTER WHERE SEQ = 7)"_s.arg(
                kList8, clampedSums(kList8)));
        row("step insert", strInsertWorkStep(2, 45),
            u"INSERT INTO WORK_BUKI_DATA (%1,KAISU) select %2,3 AS KAISU FROM (SELECT %1 FROM "
            "WORK_BUKI_DATA WHERE KAISU = 2 AND SHURUI = 0 UNION ALL SELECT %1 FROM KAIZO_MASTER "
            "WHERE SEQ = 45)"_s.arg(kList10, clampedSums(kList10)));
        row("value row", strInsertWorkValues(u"1.5,2,0,0,0.25,3,0"_s, 1),
            u"INSERT INTO WORK_BUKI_DATA (MIN_DAMAGE,MAX_DAMAGE,MIN_WOUNDS,MAX_WOUNDS,CRITICAL,"
            "BLANCE,TAIKYU,SHURUI) VALUES (1.5,2,0,0,0.25,3,0,1)"_s);
    }
    void texts() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
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
        QCOMPARE(rows(u"SELECT SHURUI,"_s + kList10 + u" FROM WORK_BUKI_DATA"_s),
                 u"3,-12,5,0,0,-1,0,0,0,0,0"_s);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
