// The master databases: the sample beside the program, zelnoa-mkdb that builds it, and the
// synthetic large master of the benchmarks and the plan search tests.

#include "bench/synthetic/SyntheticMaster.h"
#include "storage/Database.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

const QString Sample = QStringLiteral(ZELNOA_SAMPLE_DB);

// The rows of a query; a refused query ends the program, so a typo never passes.
QStringList rows(const QString& sql, const QString& path = Sample) {
    const QStringList result = testsupport::sqlRows(path, sql);
    if (result.value(0).startsWith(u"error: "))
        qFatal("%s: %s", qPrintable(sql), qPrintable(result.first()));
    return result;
}

} // namespace

class TestMasters : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_synthetic = m_dir.filePath(u"synthetic.db"_s);

private slots:
    // The database layer opens both; the synthetic one has the sample's tables, columns and
    // indexes exactly, and neither brings a work table of its own, so the layer's shape is used.
    void bothOpenWithOneSchema() {
        std::string error;
        QVERIFY2(synthetic::writeMaster(m_synthetic.toStdString(), {120, 20}, error),
                 error.c_str());
        const QString schema = u"SELECT m.name || '.' || c.name || ' ' || c.type || ' ' || "
                               "c.\"notnull\" FROM sqlite_master m JOIN pragma_table_info(m.name) "
                               "c WHERE m.type = 'table' UNION ALL SELECT sql FROM sqlite_master "
                               "WHERE type = 'index' AND sql IS NOT NULL ORDER BY 1"_s;
        QVERIFY(rows(schema).size() > 40);
        QCOMPARE(rows(schema, m_synthetic), rows(schema));
        QVERIFY(!rows(schema).join(u' ').contains(u"WORK_BUKI_DATA"_s, Qt::CaseInsensitive));
        storage::Connection connection;
        for (const QString& path : {testsupport::copySampleDatabase(m_dir.path()), m_synthetic})
            QVERIFY2(connection.open(path) && connection.close(), qPrintable(path));
    }

    // Lookups by name ignore case, so every text column compares without regard to case; the
    // program reads the master's whole numbers as 16-bit integers.
    void columnTypes() {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(QFile::encodeName(Sample).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
        const QString columns =
            u"SELECT m.name, c.name FROM sqlite_master m JOIN "
            "pragma_table_info(m.name) c WHERE m.type = 'table' AND c.type = "_s;
        const QStringList texts = rows(columns + u"'TEXT'"_s);
        QVERIFY(texts.size() > 5);
        for (const QString& column : texts) {
            const char* collation = nullptr;
            sqlite3_table_column_metadata(db.get(), nullptr, qPrintable(column.section(u'|', 0, 0)),
                                          qPrintable(column.section(u'|', 1)), nullptr, &collation,
                                          nullptr, nullptr, nullptr);
            QVERIFY2(qstricmp(collation, "NOCASE") == 0, qPrintable(column));
        }
        QCOMPARE(rows(u"SELECT SORT_NO FROM LANK_INDEX WHERE LANK = 'a'"_s), QStringList{u"6"_s});
        const QStringList numbers = rows(columns + u"'INTEGER'"_s);
        QVERIFY(numbers.size() > 40);
        for (const QString& column : numbers)
            QVERIFY2(rows(u"SELECT COUNT(*) FROM %1 WHERE typeof(%2) <> 'integer' OR %2 NOT "
                          "BETWEEN -32768 AND 32767"_s.arg(column.section(u'|', 0, 0),
                                                           column.section(u'|', 1))) ==
                         QStringList{u"0"_s},
                     qPrintable(column));
    }

    // The simulator starts every weapon with change 23 and shows no change label for it; the
    // change dialog gives up on a group that lists no shown entry; the profile editor uses
    // SORT_NO directly as the position in its rank list; a rank bonus needs one skill per combat
    // type; a step range never runs backwards.
    void rowsTheProgramAssumes_data() {
        QTest::addColumn<QString>("query");
        for (const char* query :
             {"SELECT COUNT(*) FROM CHANGE_SPEC_MASTER WHERE SEQ = 23 AND SHURUI || NAME = "
              "'一般品一般品' AND MIN_DAMAGE || MAX_DAMAGE || CRITICAL || BLANCE || TAIKYU = "
              "'00000' AND HYOUJI = 1",
              "SELECT COUNT(DISTINCT SHURUI) = COUNT(DISTINCT IIF(HYOUJI = 1, SHURUI, NULL)) FROM "
              "CHANGE_SPEC_MASTER",
              "SELECT COUNT(*) = MAX(SORT_NO) + 1 AND COUNT(DISTINCT SORT_NO) = COUNT(*) AND "
              "SUM(SORT_NO = 0 AND LANK = '練習') = 1 FROM LANK_INDEX",
              "SELECT COUNT(*) = 0 FROM SHURUI_MASTER s WHERE (SELECT COUNT(*) FROM SKILL_MASTER k "
              "WHERE k.COMBAT_TYPE = s.COMBAT_TYPE) <> 1",
              "SELECT COUNT(*) = 0 FROM KAIZO_MASTER WHERE KAISU_S > KAISU_E OR KAISU_S < 0"})
            QTest::newRow(query + 7) << QString::fromUtf8(query);
    }
    void rowsTheProgramAssumes() {
        QFETCH(QString, query);
        QCOMPARE(rows(query), QStringList{u"1"_s});
    }

    // A good build replaces the earlier file, a failed one keeps it; neither leaves a .tmp file.
    void mkdbBuild_data() {
        QTest::addColumn<QByteArray>("second"); // null: the second script is missing
        QTest::addColumn<QString>("message");   // empty: the build succeeds
        QTest::newRow("good, comment at the end")
            << "INSERT INTO T VALUES ('一'), ('二');\n-- comment only at the end\n"_ba << QString();
        QTest::newRow("syntax error")
            << "INSERT INTO T VALUES (1);\n\nINSERT INTO T VALUS (2);"_ba << u"b.sql:3:"_s;
        QTest::newRow("dangling reference") << "INSERT INTO C VALUES (7);"_ba << u"FOREIGN KEY"_s;
        QTest::newRow("missing script") << QByteArray() << u"cannot read"_s;
    }
    void mkdbBuild() {
        QFETCH(QByteArray, second);
        QFETCH(QString, message);
        const QDir dir(m_dir.path());
        const QString out = dir.filePath(u"out.db"_s);
        testsupport::writeBytes(out, "an earlier file");
        testsupport::writeBytes(dir.filePath(u"a.sql"_s),
                                "CREATE TABLE T (V); CREATE TABLE P (ID INTEGER PRIMARY KEY);"
                                "CREATE TABLE C (P_ID INTEGER REFERENCES P (ID));");
        QFile::remove(dir.filePath(u"b.sql"_s));
        if (!second.isNull())
            testsupport::writeBytes(dir.filePath(u"b.sql"_s), second);
        QProcess mkdb;
        mkdb.start(QStringLiteral(ZELNOA_MKDB),
                   {out, dir.filePath(u"a.sql"_s), dir.filePath(u"b.sql"_s)});
        QVERIFY(mkdb.waitForFinished(30000) && mkdb.exitStatus() == QProcess::NormalExit);
        const QString errors = QString::fromUtf8(mkdb.readAllStandardError());
        QCOMPARE(mkdb.exitCode(), message.isEmpty() ? 0 : 1);
        QVERIFY2(errors.contains(message, Qt::CaseInsensitive) &&
                     errors.isEmpty() == message.isEmpty(),
                 qPrintable(errors));
        QCOMPARE(message.isEmpty() ? rows(u"SELECT group_concat(V) FROM T"_s, out).join(u' ')
                                   : QString::fromUtf8(testsupport::readBytes(out)),
                 message.isEmpty() ? u"一,二"_s : u"an earlier file"_s);
        QVERIFY(!QFile::exists(out + u".tmp"_s));
    }

    void syntheticBadSizeKeepsEarlierFile() {
        const QString path = m_dir.filePath(u"kept.db"_s);
        testsupport::writeBytes(path, "earlier");
        for (const synthetic::Size size : {synthetic::Size{0, 20}, {32768, 20}, {10, -1}}) {
            std::string error;
            QVERIFY(!synthetic::writeMaster(path.toStdString(), size, error) && !error.empty());
            QCOMPARE(testsupport::readBytes(path), QByteArray("earlier"));
        }
    }
};

QTEST_GUILESS_MAIN(TestMasters)
#include "test_masters.moc"
