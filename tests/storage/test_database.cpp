// The database layer: the Jet-to-SQLite rewrite, opening the file only to read it, reading
// through recordsets, and how the program's SQL texts read on SQLite.

#include "simulator/Simulation.h"
#include "storage/AccessImport.h"
#include "storage/Database.h"
#include "storage/modDBAccess.h"
#include "support/FixtureMaster.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using storage::Connection;
using storage::Recordset;

class TestDatabase : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;
    Connection m_db;

    void open() { QVERIFY2(m_db.open(m_path), qPrintable(m_db.lastError())); }
    // Every row, fields as shown (text()) joined by "," and rows by "|".
    QString rows(const QString& statement) {
        Recordset rs(m_db);
        if (!rs.open(statement))
            return u"error: "_s + rs.lastError();
        QStringList out;
        for (; !rs.eof(); rs.moveNext()) {
            QStringList fields;
            for (int i = 0; i < rs.fieldCount(); ++i)
                fields << rs.text(i);
            out << fields.join(u',');
        }
        return out.join(u'|');
    }

private slots:
    void init() { m_path = testsupport::writeFixtureMaster(m_dir.filePath(u"master.db"_s)); }
    void cleanup() { QVERIFY(m_db.close()); }

    // What Jet texts give on SQLite: "+" joins texts but adds numbers, CSTR() writes plain number
    // text, double-quoted literals are texts, anything inside single quotes stays as it is, a
    // trailing ";" is dropped; NULL reads as empty text; names are quoted into the program's texts.
    void results_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("result");
        using namespace modDBAccess;
        const std::pair<QString, const char*> rows[] = {
            {u"SELECT \"it's\", 'a + b; \"c\" ''d'' ～', ';', 1e+5"_s,
             "it's,a + b; \"c\" 'd' ～,;,100000"},
            {u"SELECT 'x' + SHURUI_NAME, \"SHURUI_NAME\", CSTR((MIN_DAMAGE + 1) * 2) + 'x' FROM "
             "SHURUI_MASTER S, BUKI_MASTER B WHERE S.SEQ = 1 AND B.SEQ = 4;"_s,
             "x剣,SHURUI_NAME,26x"},
            {u"SELECT MIN_DAMAGE + 1, (MAX_DAMAGE) + 2, [RANGE] + 1 FROM BUKI_MASTER WHERE SEQ = 4"_s,
             "13,26,1501"},
            {u"select cstr (12.5) + 'x', CSTR_X + 1 FROM (SELECT 1 AS CSTR_X) ; \n"_s, "12.5x,2"},
            {u"SELECT CSTR(10.0), CSTR(0.1 + 0.2), CSTR(1234567890123), CSTR(NULL), 10.0, -2.5"_s,
             "10,0.3,1234567890123,,10,-2.5"},
            {strGetBukiList(2), "4,長弓,12～24,10～20,15,45,1500,19,,"},
            {strGetMaxKaisu(3), ""},
            {strGetChangeSpecList(u"鍛冶"_s), "30,名匠の作,2～4,3,-60,-50"},
            {strGetLankSortNo(u"F' OR ''='"_s), ""}};
        for (const auto& [jet, result] : rows)
            QTest::newRow(qPrintable(jet.left(60))) << jet << QString::fromUtf8(result);
    }
    void results() {
        QFETCH(QString, jet);
        QFETCH(QString, result);
        open();
        QCOMPARE(rows(jet), result);
    }

    // A missing file or one that is not a database at all is covered by the start-up tests.
    void openFails() {
        const auto refused = [this](const QString& path) {
            return !m_db.open(path) && !m_db.isOpen() && !m_db.lastError().isEmpty();
        };
        // SQLite would take an empty file for a new database and write to it.
        const QString empty = m_dir.filePath(u"empty.db"_s);
        testsupport::writeBytes(empty, {});
        QVERIFY(refused(empty));
        QCOMPARE(testsupport::readBytes(empty), QByteArray());
        const QString partial = testsupport::writeFixtureMaster(m_dir.filePath(u"partial.db"_s));
        testsupport::sqlExec(partial, "DROP TABLE CHANGE_SPEC_MASTER;");
        QVERIFY(refused(partial));
        QVERIFY(m_db.lastError().contains(u"CHANGE_SPEC_MASTER"));
        // Opening a FIFO would wait for ever; neither it nor a folder is opened.
        const QString fifo = m_dir.filePath(u"fifo.mdb"_s);
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        for (const QString& strange : {fifo, m_dir.path()}) {
            QVERIFY(refused(strange));
            QVERIFY(!storage::isAccessFile(strange));
            QVERIFY(!storage::resolveMasterDatabase(strange, {}, nullptr));
        }
        QFile::remove(fifo);
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

    // The master is only read: one nobody may write, one made immutable, one that still holds
    // an old work table of its own all simulate, and afterwards the file is as it was, bytes and
    // time alike, with nothing beside it.
    void masterOnlyRead_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"read-only", "immutable", "old work table"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void masterOnlyRead() {
        QFETCH(QString, kind);
        if (kind == u"old work table"_s)
            testsupport::sqlExec(m_path, "CREATE TABLE WORK_BUKI_DATA (KAISU INTEGER, NOTE TEXT);"
                                         "INSERT INTO WORK_BUKI_DATA VALUES (7, 'old');");
        if (kind == u"read-only"_s)
            QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadOther));
        if (kind == u"immutable"_s &&
            (geteuid() != 0 || QProcess::execute(u"chattr"_s, {u"+i"_s, m_path}) != 0))
            QSKIP("the immutable flag needs root and chattr");
        const auto mutableAgain = qScopeGuard([this] {
            QProcess::execute(u"chattr"_s, {u"-i"_s, m_path});
        });
        const QByteArray bytes = testsupport::readBytes(m_path);
        const QDateTime modified = QFileInfo(m_path).lastModified();
        open();
        Simulation simulation(m_db);
        QCOMPARE(simulation.start({1, u"ロングソード"_s}, std::nullopt, {}),
                 Simulation::Status::Ok);
        const std::vector<Modification> offered = *simulation.offered(0);
        QVERIFY(simulation.apply(offered[0]).ok() && simulation.apply(offered[0]).ok());
        QVERIFY(simulation.undo().ok());
        // The performance change row, the base row and one step.
        QCOMPARE(rows(u"SELECT COUNT(*) FROM WORK_BUKI_DATA"_s), u"3"_s);
        QVERIFY(m_db.close());
        QCOMPARE(testsupport::readBytes(m_path), bytes);
        QCOMPARE(QFileInfo(m_path).lastModified(), modified);
        QCOMPARE(QDir(m_dir.path()).entryList({u"master.db*"_s}, QDir::Files | QDir::Hidden),
                 QStringList{u"master.db"_s});
    }

    // Statements without rows leave the set closed; only the first statement of a text runs.
    void readsRows() {
        open();
        Recordset rs(m_db);
        QVERIFY(rs.open(u"INSERT INTO WORK_BUKI_DATA (KAISU) VALUES (1), (2)"_s));
        QVERIFY(rs.open(u"DELETE FROM WORK_BUKI_DATA WHERE KAISU = 1"_s));
        QVERIFY(!rs.isOpen() && rs.eof());
        QVERIFY(!rs.open(u"INSERT INTO NO_SUCH_TABLE VALUES (1)"_s));
        QVERIFY(!rs.isOpen() && rs.lastError().contains(u"NO_SUCH_TABLE"));
        QVERIFY(!rs.open(u"DELETE FROM WORK_BUKI_DATA; DELETE FROM WORK_BUKI_DATA"_s));
        QCOMPARE(rows(u"SELECT COUNT(*) FROM WORK_BUKI_DATA"_s), u"1"_s);
        QVERIFY(rs.open(u"SELECT LANK FROM LANK_INDEX ORDER BY SORT_NO"_s));
        rs.moveNext();
        rs.moveFirst();
        QCOMPARE(rs.text(u"lank"), u"練習"_s);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
