// The master databases: the sample beside the program, zelnoa-mkdb that builds it, and the
// synthetic large master of the benchmarks.

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

// "TABLE|COLUMN" of every column of the sample declared with this type.
QStringList columns(const char* type) {
    return rows(
        u"SELECT m.name || '|' || c.name FROM sqlite_master m JOIN pragma_table_info(m.name) "
        "c WHERE m.type = 'table' AND c.type = '%1'"_s.arg(QLatin1StringView(type)));
}

} // namespace

class TestMasters : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_synthetic;
    const synthetic::Size m_size{120, 20};

private slots:
    void initTestCase() {
        m_synthetic = m_dir.filePath(u"synthetic.db"_s);
        std::string error;
        QVERIFY2(synthetic::writeMaster(m_synthetic.toStdString(), m_size, error), error.c_str());
    }

    // The database layer opens both; the synthetic one has the sample's tables, columns and
    // indexes exactly, and neither brings a work table of its own, so the layer's shape is used.
    void bothOpenWithOneSchema() {
        const QString schema = u"SELECT m.name || '.' || c.name || ' ' || c.type || ' ' || "
                               "c.\"notnull\" FROM sqlite_master m JOIN pragma_table_info(m.name) "
                               "c WHERE m.type = 'table' UNION ALL SELECT sql FROM sqlite_master "
                               "WHERE type = 'index' AND sql IS NOT NULL ORDER BY 1"_s;
        QVERIFY(rows(schema).size() > 40);
        QCOMPARE(rows(schema, m_synthetic), rows(schema));
        QVERIFY(!rows(schema).join(u' ').contains(u"WORK_BUKI_DATA"_s, Qt::CaseInsensitive));
        storage::Connection connection;
        for (const QString& path : {testsupport::copySampleDatabase(m_dir.path()), m_synthetic}) {
            QVERIFY2(connection.open(path), qPrintable(connection.lastError()));
            QVERIFY(connection.close());
        }
    }

    // Lookups by name ignore case, so every text column compares without regard to case; the
    // program reads the master's whole numbers as 16-bit integers.
    void columnTypes() {
        sqlite3* raw = nullptr;
        sqlite3_open_v2(QFile::encodeName(Sample).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
        const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
        const QStringList texts = columns("TEXT");
        QVERIFY(texts.size() > 5);
        for (const QString& column : texts) {
            const char* collation = nullptr;
            sqlite3_table_column_metadata(db.get(), nullptr, qPrintable(column.section(u'|', 0, 0)),
                                          qPrintable(column.section(u'|', 1)), nullptr, &collation,
                                          nullptr, nullptr, nullptr);
            QVERIFY2(qstricmp(collation, "NOCASE") == 0, qPrintable(column));
        }
        QCOMPARE(rows(u"SELECT SORT_NO FROM LANK_INDEX WHERE LANK = 'a'"_s), QStringList{u"6"_s});
        const QStringList numbers = columns("INTEGER");
        QVERIFY(numbers.size() > 40);
        for (const QString& column : numbers)
            QVERIFY2(rows(u"SELECT COUNT(*) FROM %1 WHERE typeof(%2) <> 'integer' OR %2 NOT "
                          "BETWEEN -32768 AND 32767"_s.arg(column.section(u'|', 0, 0),
                                                           column.section(u'|', 1))) ==
                         QStringList{u"0"_s},
                     qPrintable(column));
    }

    // Rows the program assumes, and rows other tests pick out of the sample: each query is true.
    void sampleRows_data() {
        QTest::addColumn<QString>("query");
        const char* const queries[][2] = {
            {"ordinary change 23 changes nothing, shown",
             "SELECT COUNT(*) FROM CHANGE_SPEC_MASTER "
             "WHERE SEQ = 23 AND SHURUI || NAME = '一般品一般品' AND MIN_DAMAGE || MAX_DAMAGE || "
             "CRITICAL || BLANCE || TAIKYU = '00000' AND HYOUJI = 1"},
            {"every change group lists a shown entry",
             "SELECT COUNT(DISTINCT SHURUI) >= 3 AND "
             "COUNT(DISTINCT SHURUI) = COUNT(DISTINCT IIF(HYOUJI = 1, SHURUI, NULL)) FROM "
             "CHANGE_SPEC_MASTER"},
            {"rank SORT_NO is the position, 練習 first",
             "SELECT COUNT(*) = MAX(SORT_NO) + 1 AND "
             "COUNT(DISTINCT SORT_NO) = COUNT(*) AND MIN(SORT_NO) = 0 AND SUM(SORT_NO = 0 AND "
             "LANK = '練習') = 1 FROM LANK_INDEX"},
            {"five types, melee and ranged",
             "SELECT COUNT(*) >= 5 AND COUNT(DISTINCT COMBAT_TYPE) = 2 FROM SHURUI_MASTER"},
            {"forty weapons, one hidden", "SELECT COUNT(*) >= 40 AND SUM(HYOUJI = 0) > 0 FROM "
                                          "BUKI_MASTER"},
            {"shown weapon without modification",
             "SELECT COUNT(*) FROM BUKI_MASTER WHERE "
             "HYOUJI = 1 AND SEQ NOT IN (SELECT BUKI_SEQ FROM KAIZO_MASTER)"},
            {"more than five steps", "SELECT COUNT(*) FROM KAIZO_MASTER WHERE KAISU_E >= 5"},
            {"overlapping step ranges",
             "SELECT COUNT(*) FROM KAIZO_MASTER a JOIN KAIZO_MASTER b "
             "ON a.BUKI_SEQ = b.BUKI_SEQ AND a.SEQ < b.SEQ AND a.KAISU_S <= b.KAISU_E AND "
             "b.KAISU_S <= a.KAISU_E AND a.KAISU_S <> b.KAISU_S"},
            {"negative delta driving durability below 0",
             "SELECT COUNT(*) FROM KAIZO_MASTER k "
             "JOIN BUKI_MASTER b ON b.SEQ = k.BUKI_SEQ WHERE k.KAISU_S = 0 AND b.TAIKYU + "
             "k.TAIKYU < 0"},
            {"empty and missing remarks, cost 0 and five digits",
             "SELECT SUM(ETC = '') > 0 AND "
             "SUM(ETC IS NULL) > 0 AND SUM(COST = 0) > 0 AND SUM(COST >= 10000) > 0 FROM "
             "KAIZO_MASTER"},
            {"hidden performance change", "SELECT SUM(HYOUJI = 0) FROM CHANGE_SPEC_MASTER"},
            {"rank bonus for both skills, one skill per combat type",
             "SELECT COUNT(DISTINCT "
             "SKILL_ID) = 2 AND (SELECT COUNT(*) FROM SKILL_MASTER) = 2 FROM LANK_MASTER"},
            {"no step range the wrong way round", "SELECT COUNT(*) = 0 FROM KAIZO_MASTER WHERE "
                                                  "KAISU_S > KAISU_E OR KAISU_S < 0"}};
        for (const auto& [name, query] : queries)
            QTest::newRow(name) << QString::fromUtf8(query);
    }
    void sampleRows() {
        QFETCH(QString, query);
        QVERIFY(rows(query).value(0).toInt() > 0);
    }

    // A good build replaces the earlier file, a failed one keeps it; neither leaves a .tmp file.
    void mkdbBuild_data() {
        QTest::addColumn<QByteArray>("second"); // null: the second script is missing
        QTest::addColumn<QString>("message");   // empty: the build succeeds
        QTest::newRow("good scripts, comment at the end")
            << "INSERT INTO T VALUES ('一'), ('二');\n-- comment only at the end\n"_ba << QString();
        QTest::newRow("syntax error")
            << "INSERT INTO T VALUES (1);\n\nINSERT INTO T VALUS (2);"_ba << u"b.sql:3:"_s;
        QTest::newRow("dangling reference")
            << "INSERT INTO CHILD VALUES (7);"_ba << u"FOREIGN KEY"_s;
        QTest::newRow("missing script") << QByteArray() << u"cannot read"_s;
    }
    void mkdbBuild() {
        QFETCH(QByteArray, second);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out.db"_s);
        testsupport::writeBytes(out, "an earlier file");
        testsupport::writeBytes(dir.filePath(u"a.sql"_s),
                                "CREATE TABLE T (V); CREATE TABLE P (ID INTEGER PRIMARY KEY);"
                                "CREATE TABLE CHILD (P_ID INTEGER REFERENCES P (ID));");
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
        if (message.isEmpty())
            QCOMPARE(rows(u"SELECT V FROM T ORDER BY rowid"_s, out),
                     (QStringList{u"一"_s, u"二"_s}));
        else
            QCOMPARE(testsupport::readBytes(out), QByteArray("an earlier file"));
        QVERIFY(!QFile::exists(out + u".tmp"_s));
    }

    // Tests and benchmarks pick weapons and modifications by these functions instead of querying,
    // and a replayed plan needs a modification at every step.
    void syntheticLayoutAsDocumented() {
        QCOMPARE(rows(u"SELECT (SELECT COUNT(*) FROM KAIZO_MASTER), (SELECT COUNT(*) FROM "
                      "SHURUI_MASTER), (SELECT COUNT(*) FROM CHANGE_SPEC_MASTER WHERE SEQ = %1 AND "
                      "HYOUJI = 1 AND MIN_DAMAGE = 0 AND MAX_DAMAGE = 0 AND CRITICAL = 0 AND "
                      "BLANCE = 0 AND TAIKYU = 0)"_s.arg(synthetic::kOrdinaryChangeSeq),
                      m_synthetic),
                 QStringList{u"%1|%2|1"_s.arg(m_size.weapons * m_size.modsPerWeapon)
                                 .arg(synthetic::kTypeCount)});
        QStringList expected;
        const int mods = m_size.modsPerWeapon;
        for (int w = 1; w <= m_size.weapons; ++w)
            expected << u"%1 %2 %3 %4 %5 %6"_s.arg(w)
                            .arg(synthetic::typeOf(w))
                            .arg(synthetic::isShown(w) ? 1 : 0)
                            .arg(synthetic::stepCount(w))
                            .arg(synthetic::kaizoSeq(w, 0, mods))
                            .arg(synthetic::kaizoSeq(w, mods - 1, mods));
        QCOMPARE(rows(u"SELECT b.SEQ || ' ' || b.SHURUI || ' ' || b.HYOUJI || ' ' || "
                      "(MAX(k.KAISU_E) + 1) || ' ' || MIN(k.SEQ) || ' ' || MAX(k.SEQ) FROM "
                      "BUKI_MASTER b JOIN KAIZO_MASTER k ON k.BUKI_SEQ = b.SEQ GROUP BY b.SEQ "
                      "ORDER BY b.SEQ"_s,
                      m_synthetic),
                 expected);
        QCOMPARE(rows(u"WITH RECURSIVE steps(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM steps "
                      "WHERE k < 6) SELECT b.SEQ || '@' || s.k FROM BUKI_MASTER b JOIN steps s "
                      "WHERE s.k <= (SELECT MAX(KAISU_E) FROM KAIZO_MASTER WHERE BUKI_SEQ = "
                      "b.SEQ) AND (SELECT COUNT(*) FROM KAIZO_MASTER k WHERE k.BUKI_SEQ = b.SEQ "
                      "AND s.k BETWEEN k.KAISU_S AND k.KAISU_E) < 2"_s,
                      m_synthetic),
                 QStringList());
    }

    void syntheticBadSizeKeepsEarlierFile() {
        const QString path = m_dir.filePath(u"kept.db"_s);
        testsupport::writeBytes(path, "earlier");
        for (const synthetic::Size size :
             {synthetic::Size{0, 20}, synthetic::Size{32768, 20}, synthetic::Size{10, -1}}) {
            std::string error;
            QVERIFY(!synthetic::writeMaster(path.toStdString(), size, error) && !error.empty());
            QCOMPARE(testsupport::readBytes(path), QByteArray("earlier"));
        }
    }
};

QTEST_GUILESS_MAIN(TestMasters)
#include "test_masters.moc"
