// The Jet-to-SQLite rewrite, and that the rewritten texts mean on SQLite what they meant on Jet.

#include "storage/JetSql.h"

#include <QtTest>
#include <sqlite3.h>

class TestJetSql : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void translate_data();
    void translate();
    void meaning_data();
    void meaning();

private:
    QString rows(const std::string& sql);

    sqlite3* m_db = nullptr;
};

void TestJetSql::initTestCase() {
    QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    QVERIFY(storage::registerJetFunctions(m_db));
}

void TestJetSql::cleanupTestCase() {
    sqlite3_close(m_db);
}

// Every row, columns joined by "," and rows by "|"; NULL shows as "<null>".
QString TestJetSql::rows(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        return QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db));
    QStringList out;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList columns;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            columns << (sqlite3_column_type(stmt, i) == SQLITE_NULL
                            ? QStringLiteral("<null>")
                            : QString::fromUtf8(
                                  reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
        }
        out << columns.join(u',');
    }
    sqlite3_finalize(stmt);
    return out.join(u'|');
}

void TestJetSql::translate_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    auto row = [](const char* name, const char* jet, const char* sqlite) {
        QTest::newRow(name) << QString::fromUtf8(jet) << QString::fromUtf8(sqlite);
    };
    row("unchanged", "SELECT SEQ FROM T WHERE A = 1 AND NOT B IN (0 ,3)",
        "SELECT SEQ FROM T WHERE A = 1 AND NOT B IN (0 ,3)");
    row("double-quoted literal", "SELECT \"～\"", "SELECT '～'");
    row("quote inside double-quoted", "SELECT \"it's\"", "SELECT 'it''s'");
    row("doubled double quote", "SELECT \"a\"\"b\"", "SELECT 'a\"b'");
    row("single-quoted kept whole", "SELECT 'a + b; \"c\" ''d'' ～'",
        "SELECT 'a + b; \"c\" ''d'' ～'");
    row("weapon damage", "SELECT CSTR(MIN_DAMAGE) + \"～\" + CSTR(MAX_DAMAGE) AS DAMAGE FROM T",
        "SELECT JET_CSTR(MIN_DAMAGE) || '～' || JET_CSTR(MAX_DAMAGE) AS DAMAGE FROM T");
    row("cstr calls joined", "SELECT CSTR(A)+CSTR(B)", "SELECT JET_CSTR(A)||JET_CSTR(B)");
    row("literal then column", "SELECT 'x' + NAME", "SELECT 'x' || NAME");
    row("numeric plus", "SELECT A + 1, (B) + 2", "SELECT A + 1, (B) + 2");
    row("numeric plus inside cstr", "SELECT CSTR((A + 1) * 2) + 'x'",
        "SELECT JET_CSTR((A + 1) * 2) || 'x'");
    row("plus after a plain bracket", "SELECT (CSTR(A)) + 1", "SELECT (JET_CSTR(A)) + 1");
    row("lower-case cstr with a blank", "select cstr (a) + 'x'", "select JET_CSTR (a) || 'x'");
    row("not a cstr call", "SELECT MYCSTR(A) + 1, CSTR_X + 1, CSTR + 1",
        "SELECT MYCSTR(A) + 1, CSTR_X + 1, CSTR + 1");
    row("bracketed name", "SELECT [A+B] + 1 FROM T", "SELECT [A+B] + 1 FROM T");
    row("exponent", "SELECT 1e+5", "SELECT 1e+5");
    row("trailing semicolon", "SELECT 1 FROM T ORDER BY SORT_NO; \n",
        "SELECT 1 FROM T ORDER BY SORT_NO");
    row("semicolon in a literal at the end", "SELECT ';'", "SELECT ';'");
    row("unterminated literal left alone", "SELECT \"abc", "SELECT 'abc");
    row("empty", "", "");
}

void TestJetSql::translate() {
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(QString::fromStdString(storage::translateJetSql(jet.toStdString())), sqlite);
}

void TestJetSql::meaning_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("result");
    auto row = [](const char* name, const char* jet, const char* result) {
        QTest::newRow(name) << QString::fromUtf8(jet) << QString::fromUtf8(result);
    };
    row("cstr of a whole real", "SELECT CSTR(10.0)", "10");
    row("cstr of a fraction", "SELECT CSTR(12.5)", "12.5");
    row("cstr keeps 15 digits", "SELECT CSTR(0.1 + 0.2)", "0.3");
    row("cstr of a negative integer", "SELECT CSTR(-5)", "-5");
    row("cstr of a large integer", "SELECT CSTR(1234567890123)", "1234567890123");
    row("cstr of null", "SELECT CSTR(NULL)", "<null>");
    row("cstr of text", "SELECT CSTR('ab')", "ab");
    row("damage range", "SELECT CSTR(10) + \"～\" + CSTR(20);", "10～20");
    row("numbers still add", "SELECT 1 + 2", "3");
    row("iif", "SELECT IIF(-3 < 0, 0, -3), IIF(4 < 0, 0, 4)", "0,4");
    row("not in", "SELECT NOT 3 IN (0 ,3), NOT 1 IN (0 ,3)", "0,1");
    row("and binds before or", "SELECT 1 WHERE 1 = 2 AND 0 = 0 OR NOT 1 IN (0 ,3)", "1");
    row("max over no rows", "SELECT MAX(X) AS M FROM (SELECT 1 AS X WHERE 0)", "<null>");
    row("union all keeps equal rows", "SELECT SUM(X) FROM (SELECT 2 AS X UNION ALL SELECT 2)", "4");
    row("groups by smallest sort",
        "SELECT G FROM (SELECT 'b' AS G, 1 AS S UNION ALL SELECT 'a', 5 UNION ALL "
        "SELECT 'b', 9 UNION ALL SELECT 'c', 3) GROUP BY G ORDER BY MIN(S)",
        "b|c|a");
    row("equality with a subquery", "SELECT 7 WHERE 2 = (SELECT 2)", "7");
}

void TestJetSql::meaning() {
    QFETCH(QString, jet);
    QFETCH(QString, result);
    QCOMPARE(rows(storage::translateJetSql(jet.toStdString())), result);
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "test_jet_sql.moc"
