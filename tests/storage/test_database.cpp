// Opening the database file, the work table's shape, and reading through recordsets.

#include "MasterFixture.h"
#include "storage/Database.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using storage::Connection;
using storage::Recordset;

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openFails_data();
    void openFails();
    void workTableShape_data();
    void workTableShape();
    void workTableKeepsFractions();
    void readsRows();
    void statementsWithoutRows();
    void cachedStatements();
    void closing();

private:
    QStringList workColumns(Connection& connection);

    QTemporaryDir m_dir;
    QString m_path;
};

void TestDatabase::init() {
    m_path =
        fixture::createMaster(m_dir.filePath(u"master.db"_s),
                              "INSERT INTO LANK_INDEX VALUES ('A', 2), ('練習', 0), ('F', 1);");
}

void TestDatabase::cleanup() {
    storage::setConnectionFaults({});
}

QStringList TestDatabase::workColumns(Connection& connection) {
    Recordset rs(connection);
    QStringList columns;
    for (rs.open(u"PRAGMA table_info(WORK_BUKI_DATA)"_s); !rs.eof(); rs.moveNext())
        columns << rs.text(u"name") + u' ' + rs.text(u"type") + u' ' + rs.text(u"dflt_value");
    return columns;
}

void TestDatabase::openFails_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << u"missing"_s;
    QTest::newRow("not a database") << u"garbage"_s;
    QTest::newRow("empty file") << u"empty"_s;
    QTest::newRow("a master table missing") << u"partial"_s;
    QTest::newRow("read-only file") << u"readonly"_s;
}

void TestDatabase::openFails() {
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(kind + u".db"_s);
    const QByteArray garbage = "this is a settings file, not a database\n";
    if (kind == u"garbage")
        testsupport::writeBytes(path, garbage);
    else if (kind == u"empty")
        testsupport::writeBytes(path, {});
    else if (kind == u"partial")
        fixture::createMaster(path, "DROP TABLE CHANGE_SPEC_MASTER;");
    else if (kind == u"readonly")
        fixture::createMaster(path);
    storage::setConnectionFaults({.readOnlyFile = kind == u"readonly"});

    Connection connection;
    QVERIFY(!connection.open(path));
    QVERIFY(!connection.isOpen());
    QVERIFY(!connection.lastError().isEmpty());
    if (kind == u"missing")
        QVERIFY(!QFile::exists(path));
    if (kind == u"garbage")
        QCOMPARE(testsupport::readBytes(path), garbage);
    if (kind == u"empty")
        QCOMPARE(QFileInfo(path).size(), 0);
    if (kind == u"partial")
        QVERIFY(connection.lastError().contains(u"CHANGE_SPEC_MASTER"));
    if (kind == u"readonly") {
        storage::setConnectionFaults({});
        QVERIFY(connection.open(path));
    }
}

void TestDatabase::workTableShape_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("kept");
    const QByteArray fitting =
        "CREATE TABLE WORK_BUKI_DATA (KAISU NUMERIC DEFAULT 0, SHURUI NUMERIC "
        "DEFAULT 0, MIN_DAMAGE NUMERIC DEFAULT 0, MAX_DAMAGE NUMERIC DEFAULT "
        "0, MIN_WOUNDS NUMERIC DEFAULT 0, MAX_WOUNDS NUMERIC DEFAULT 0, "
        "CRITICAL NUMERIC DEFAULT 0, BLANCE NUMERIC DEFAULT 0, RANGE NUMERIC "
        "DEFAULT 0, TAIKYU NUMERIC DEFAULT 0, EXP NUMERIC DEFAULT 0, COST "
        "NUMERIC DEFAULT 0);";
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("fitting") << fitting << true;
    QTest::newRow("other columns")
        << QByteArray("CREATE TABLE WORK_BUKI_DATA (KAISU NUMERIC DEFAULT 0, NOTE TEXT);") << false;
    QTest::newRow("whole-number columns")
        << QByteArray(fitting).replace("NUMERIC", "INTEGER") << false;
    QTest::newRow("a view") << QByteArray("CREATE VIEW WORK_BUKI_DATA AS SELECT 1 AS KAISU;")
                            << false;
}

void TestDatabase::workTableShape() {
    QFETCH(QByteArray, before);
    QFETCH(bool, kept);
    if (!before.isEmpty()) {
        fixture::exec(m_path, before.constData());
        if (!before.contains("VIEW"))
            fixture::exec(m_path, "INSERT INTO WORK_BUKI_DATA (KAISU) VALUES (5);");
    }
    Connection connection;
    QVERIFY2(connection.open(m_path), qPrintable(connection.lastError()));
    const QStringList columns = workColumns(connection);
    QCOMPARE(columns.size(), 12);
    QCOMPARE(columns.first(), u"KAISU NUMERIC 0"_s);
    QCOMPARE(columns.last(), u"COST NUMERIC 0"_s);
    Recordset rs(connection);
    QVERIFY(rs.open(u"SELECT COUNT(*) AS N FROM WORK_BUKI_DATA"_s));
    QCOMPARE(rs.field(0).toInt(), kept ? 1 : 0);
}

void TestDatabase::workTableKeepsFractions() {
    Connection connection;
    QVERIFY(connection.open(m_path));
    Recordset rs(connection);
    QVERIFY(rs.open(
        u"INSERT INTO WORK_BUKI_DATA (MIN_DAMAGE,MAX_DAMAGE,SHURUI) VALUES (1.25,10.0,1)"_s));
    QVERIFY(rs.open(u"SELECT * FROM WORK_BUKI_DATA"_s));
    QCOMPARE(rs.field(u"MIN_DAMAGE"), QVariant(1.25));
    QCOMPARE(rs.field(u"max_damage"), QVariant(qlonglong(10)));
    QCOMPARE(rs.text(u"MAX_DAMAGE"), u"10"_s);
    QCOMPARE(rs.field(u"KAISU"), QVariant(qlonglong(0)));
}

void TestDatabase::readsRows() {
    Connection connection;
    QVERIFY(connection.open(m_path));
    Recordset rs(connection);
    QVERIFY2(
        rs.open(u"SELECT LANK, SORT_NO AS No, NULL AS BLANK FROM LANK_INDEX ORDER BY SORT_NO;"_s),
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

void TestDatabase::statementsWithoutRows() {
    Connection connection;
    QVERIFY(connection.open(m_path));
    Recordset rs(connection);
    QVERIFY(rs.open(u"SELECT LANK FROM LANK_INDEX"_s));
    QVERIFY(rs.open(u"DELETE FROM LANK_INDEX WHERE LANK = \"F\""_s));
    QVERIFY(!rs.isOpen());
    QVERIFY(rs.eof());
    QVERIFY(rs.open(u"SELECT COUNT(*) FROM LANK_INDEX"_s));
    QCOMPARE(rs.field(0).toInt(), 2);

    QVERIFY(!rs.open(u"INSERT INTO NO_SUCH_TABLE VALUES (1)"_s));
    QVERIFY(!rs.isOpen());
    QVERIFY(rs.lastError().contains(u"NO_SUCH_TABLE"));
    QVERIFY(!rs.open(u"DELETE FROM LANK_INDEX; DELETE FROM SKILL_MASTER"_s));
    QVERIFY(rs.open(u"SELECT COUNT(*) FROM LANK_INDEX"_s));
    QCOMPARE(rs.field(0).toInt(), 2);
}

void TestDatabase::cachedStatements() {
    Connection connection;
    QVERIFY(connection.open(m_path));
    const QString ordered = u"SELECT LANK FROM LANK_INDEX ORDER BY SORT_NO"_s;
    Recordset first(connection);
    Recordset second(connection);
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

void TestDatabase::closing() {
    Connection connection;
    QVERIFY(connection.open(m_path));
    Recordset rs(connection);
    QVERIFY(rs.open(u"SELECT LANK FROM LANK_INDEX"_s));

    storage::setConnectionFaults({.closeFails = true});
    QVERIFY(!connection.close());
    QVERIFY(connection.isOpen());
    QVERIFY(rs.isOpen());

    storage::setConnectionFaults({});
    QVERIFY(connection.close());
    QVERIFY(!connection.isOpen());
    QVERIFY(!rs.isOpen());
    QVERIFY(!rs.open(u"SELECT 1"_s));
    QVERIFY(connection.close());
    // Reopening after a clean close finds the file as it was left.
    QVERIFY(connection.open(m_path));
    QVERIFY(rs.open(u"SELECT COUNT(*) FROM LANK_INDEX"_s));
    QCOMPARE(rs.field(0).toInt(), 3);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
