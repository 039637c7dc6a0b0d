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

// The rows of a query on a database file; a refused query ends the program, so a typo never passes.
QStringList rows(const QString& sql, const QString& path = Sample) {
    const QStringList result = testsupport::sqlRows(path, sql);
    if (result.value(0).startsWith(u"error: "))
        qFatal("%s: %s", qPrintable(sql), qPrintable(result.first()));
    return result;
}

int number(const QString& sql, const QString& path = Sample) {
    return rows(sql, path).value(0).toInt();
}

// "TABLE|COLUMN" of every column of the sample declared with this type.
QStringList columnsOfType(const char* type) {
    return rows(u"SELECT m.name || '|' || c.name FROM sqlite_master m JOIN "
                "pragma_table_info(m.name) c WHERE m.type = 'table' AND c.type = '%1'"_s.arg(
                    QLatin1StringView(type)));
}

// Every table, column, declared type and index of a file, in one comparable list.
QStringList schemaOf(const QString& path) {
    return rows(u"SELECT m.name || '.' || c.name || ' ' || c.type || ' ' || c.\"notnull\" "
                "FROM sqlite_master m JOIN pragma_table_info(m.name) c "
                "WHERE m.type = 'table' AND m.name <> 'WORK_BUKI_DATA' "
                "UNION ALL SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                "ORDER BY 1"_s,
                path);
}

struct Run {
    int exitCode;
    QString errors;
};

Run mkdb(const QString& dir, const QByteArray& first, const QByteArray& second) {
    const QString a = dir + u"/a.sql"_s, b = dir + u"/b.sql"_s;
    testsupport::writeBytes(a, first);
    if (!second.isNull())
        testsupport::writeBytes(b, second);
    QProcess process;
    process.start(QStringLiteral(ZELNOA_MKDB), {dir + u"/out.db"_s, a, b});
    if (!process.waitForFinished(30000))
        qFatal("zelnoa-mkdb did not finish");
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromUtf8(process.readAllStandardError())};
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

    // Lookups by name ignore case, so every text column must compare without regard to case.
    void textComparesIgnoringCase() {
        const QStringList textColumns = columnsOfType("TEXT");
        QVERIFY(textColumns.size() > 5);
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open_v2(Sample.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr),
                 SQLITE_OK);
        const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
        for (const QString& column : textColumns) {
            const char* collation = nullptr;
            QCOMPARE(sqlite3_table_column_metadata(db.get(), nullptr,
                                                   column.section(u'|', 0, 0).toUtf8().constData(),
                                                   column.section(u'|', 1).toUtf8().constData(),
                                                   nullptr, &collation, nullptr, nullptr, nullptr),
                     SQLITE_OK);
            QVERIFY2(qstricmp(collation, "NOCASE") == 0, qPrintable(column));
        }
        QCOMPARE(number(u"SELECT SORT_NO FROM LANK_INDEX WHERE LANK = 'a'"_s), 6);
    }

    // The layer refuses a file without the master tables and adds its own work table; the sample
    // must come without one so that the layer's shape is the one in use.
    void openedByTheDatabaseLayer() {
        QCOMPARE(number(u"SELECT COUNT(*) FROM sqlite_master WHERE name = 'WORK_BUKI_DATA' "
                        "COLLATE NOCASE"_s),
                 0);
        QTemporaryDir dir;
        storage::Connection connection;
        for (const QString& path : {testsupport::copySampleDatabase(dir.path()), m_synthetic}) {
            QVERIFY2(connection.open(path), qPrintable(connection.lastError()));
            QVERIFY(connection.close());
        }
    }

    // The simulator starts every weapon with change 23 and shows no change label for it; the
    // change dialog gives up on a group that lists no shown entry; the profile editor uses
    // SORT_NO directly as the position in its rank list.
    void rowsTheProgramAssumes() {
        QCOMPARE(rows(u"SELECT SHURUI || '|' || NAME || '|' || MIN_DAMAGE || MAX_DAMAGE || "
                      "CRITICAL || BLANCE || TAIKYU || '|' || HYOUJI "
                      "FROM CHANGE_SPEC_MASTER WHERE SEQ = 23"_s),
                 QStringList{u"一般品|一般品|00000|1"_s});
        QVERIFY(number(u"SELECT COUNT(DISTINCT SHURUI) FROM CHANGE_SPEC_MASTER"_s) >= 3);
        QCOMPARE(rows(u"SELECT SHURUI FROM CHANGE_SPEC_MASTER GROUP BY SHURUI "
                      "HAVING SUM(HYOUJI = 1) = 0"_s),
                 QStringList());
        QCOMPARE(number(u"SELECT COUNT(*) = MAX(SORT_NO) + 1 AND MIN(SORT_NO) = 0 AND "
                        "COUNT(DISTINCT SORT_NO) = COUNT(*) FROM LANK_INDEX"_s),
                 1);
        QCOMPARE(rows(u"SELECT LANK FROM LANK_INDEX WHERE SORT_NO = 0"_s), QStringList{u"練習"_s});
    }

    // The program reads every whole number of the master as a 16-bit integer.
    void valuesFitSixteenBits() {
        const QStringList columns = columnsOfType("INTEGER");
        QVERIFY(columns.size() > 40);
        for (const QString& column : columns)
            QVERIFY2(number(u"SELECT COUNT(*) FROM %1 WHERE typeof(%2) <> 'integer' OR %2 "
                            "NOT BETWEEN -32768 AND 32767"_s.arg(column.section(u'|', 0, 0),
                                                                 column.section(u'|', 1))) == 0,
                     qPrintable(column));
    }

    // Other tests pick these rows out of the sample; each query must find at least one.
    void casesTheTestsRelyOn_data() {
        QTest::addColumn<QString>("query");
        const char* const queries[][2] = {
            {"five weapon types, melee and ranged",
             "SELECT COUNT(*) >= 5 AND COUNT(DISTINCT COMBAT_TYPE) = 2 FROM SHURUI_MASTER"},
            {"forty weapons", "SELECT COUNT(*) >= 40 FROM BUKI_MASTER"},
            {"hidden weapon", "SELECT COUNT(*) FROM BUKI_MASTER WHERE HYOUJI = 0"},
            {"shown weapon without modification",
             "SELECT COUNT(*) FROM BUKI_MASTER WHERE HYOUJI = 1 AND SEQ NOT IN (SELECT BUKI_SEQ "
             "FROM KAIZO_MASTER)"},
            {"more than five steps", "SELECT COUNT(*) FROM KAIZO_MASTER WHERE KAISU_E >= 5"},
            {"overlapping step ranges",
             "SELECT COUNT(*) FROM KAIZO_MASTER a JOIN KAIZO_MASTER b ON a.BUKI_SEQ = b.BUKI_SEQ "
             "AND a.SEQ < b.SEQ AND a.KAISU_S <= b.KAISU_E AND b.KAISU_S <= a.KAISU_E AND "
             "a.KAISU_S <> b.KAISU_S"},
            {"negative delta",
             "SELECT COUNT(*) FROM KAIZO_MASTER WHERE MIN(MAX_DAMAGE, BLANCE, TAIKYU) < 0"},
            {"durability driven below 0",
             "SELECT COUNT(*) FROM KAIZO_MASTER k JOIN BUKI_MASTER b ON b.SEQ = k.BUKI_SEQ WHERE "
             "k.KAISU_S = 0 AND b.TAIKYU + k.TAIKYU < 0"},
            {"empty and missing remarks",
             "SELECT SUM(ETC = '') > 0 AND SUM(ETC IS NULL) > 0 FROM KAIZO_MASTER"},
            {"cost 0 and cost of five digits",
             "SELECT SUM(COST = 0) > 0 AND SUM(COST >= 10000) > 0 FROM KAIZO_MASTER"},
            {"hidden performance change",
             "SELECT COUNT(*) FROM CHANGE_SPEC_MASTER WHERE HYOUJI = 0"},
            {"rank bonus for both skills", "SELECT COUNT(DISTINCT SKILL_ID) = 2 FROM LANK_MASTER"},
            {"one skill per combat type of the weapon types",
             "SELECT COUNT(*) = 0 FROM SHURUI_MASTER s WHERE (SELECT COUNT(*) FROM SKILL_MASTER k "
             "WHERE k.COMBAT_TYPE = s.COMBAT_TYPE) <> 1"},
            {"no step range the wrong way round",
             "SELECT COUNT(*) = 0 FROM KAIZO_MASTER WHERE KAISU_S > KAISU_E OR KAISU_S < 0"}};
        for (const auto& [name, query] : queries)
            QTest::newRow(name) << QString::fromLatin1(query);
    }
    void casesTheTestsRelyOn() {
        QFETCH(QString, query);
        QVERIFY(number(query) > 0);
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
        const QByteArray earlier = "an earlier file, not a database";
        testsupport::writeBytes(out, earlier);
        const Run run = mkdb(dir.path(),
                             "CREATE TABLE T (V); CREATE TABLE P (ID INTEGER PRIMARY KEY);"
                             "CREATE TABLE CHILD (P_ID INTEGER REFERENCES P (ID));",
                             second);
        QCOMPARE(run.exitCode, message.isEmpty() ? 0 : 1);
        QVERIFY2(message.isEmpty() ? run.errors.isEmpty()
                                   : run.errors.contains(message, Qt::CaseInsensitive),
                 qPrintable(run.errors));
        if (message.isEmpty())
            QCOMPARE(rows(u"SELECT V FROM T ORDER BY rowid"_s, out),
                     (QStringList{u"一"_s, u"二"_s}));
        else
            QCOMPARE(testsupport::readBytes(out), earlier);
        QVERIFY(!QFile::exists(out + u".tmp"_s));
    }

    void syntheticHasTheSampleSchema() {
        const QStringList synthetic = schemaOf(m_synthetic);
        QVERIFY(synthetic.size() > 40);
        QCOMPARE(synthetic, schemaOf(Sample));
    }

    // Tests and benchmarks pick weapons and modifications by these functions instead of querying.
    void syntheticLayoutAsDocumented() {
        QCOMPARE(number(u"SELECT COUNT(*) FROM BUKI_MASTER"_s, m_synthetic), m_size.weapons);
        QCOMPARE(number(u"SELECT COUNT(*) FROM KAIZO_MASTER"_s, m_synthetic),
                 m_size.weapons * m_size.modsPerWeapon);
        QCOMPARE(number(u"SELECT COUNT(*) FROM SHURUI_MASTER"_s, m_synthetic),
                 synthetic::kTypeCount);
        QCOMPARE(number(u"SELECT COUNT(*) FROM CHANGE_SPEC_MASTER WHERE SEQ = %1 AND HYOUJI = 1 "
                        "AND MIN_DAMAGE = 0 AND MAX_DAMAGE = 0 AND CRITICAL = 0 AND BLANCE = 0 "
                        "AND TAIKYU = 0"_s.arg(synthetic::kOrdinaryChangeSeq),
                        m_synthetic),
                 1);
        const QStringList weapons =
            rows(u"SELECT b.SEQ || ' ' || b.SHURUI || ' ' || b.HYOUJI || ' ' || "
                 "(MAX(k.KAISU_E) + 1) || ' ' || MIN(k.SEQ) || ' ' || MAX(k.SEQ) FROM BUKI_MASTER "
                 "b JOIN KAIZO_MASTER k ON k.BUKI_SEQ = b.SEQ GROUP BY b.SEQ ORDER BY b.SEQ"_s,
                 m_synthetic);
        QCOMPARE(weapons.size(), m_size.weapons);
        const int mods = m_size.modsPerWeapon;
        for (int w = 1; w <= m_size.weapons; ++w) {
            QCOMPARE(weapons.at(w - 1), u"%1 %2 %3 %4 %5 %6"_s.arg(w)
                                            .arg(synthetic::typeOf(w))
                                            .arg(synthetic::isShown(w) ? 1 : 0)
                                            .arg(synthetic::stepCount(w))
                                            .arg(synthetic::kaizoSeq(w, 0, mods))
                                            .arg(synthetic::kaizoSeq(w, mods - 1, mods)));
        }
    }

    // A benchmark or load test replaying a plan needs a modification at every step.
    void syntheticOffersModificationsAtEveryStep() {
        QCOMPARE(rows(u"WITH RECURSIVE steps(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM steps "
                      "WHERE k < 6) SELECT b.SEQ || '@' || s.k FROM BUKI_MASTER b JOIN steps s "
                      "WHERE s.k <= (SELECT MAX(KAISU_E) FROM KAIZO_MASTER WHERE BUKI_SEQ = "
                      "b.SEQ) AND (SELECT COUNT(*) FROM KAIZO_MASTER k WHERE k.BUKI_SEQ = b.SEQ "
                      "AND s.k BETWEEN k.KAISU_S AND k.KAISU_E) < 2"_s,
                      m_synthetic),
                 QStringList());
    }

    void syntheticBadSizeKeepsEarlierFile_data() {
        QTest::addColumn<int>("weapons");
        QTest::addColumn<int>("mods");
        QTest::newRow("no weapon") << 0 << 20;
        QTest::newRow("weapon SEQ beyond 16 bits") << 32768 << 20;
        QTest::newRow("negative modifications") << 10 << -1;
    }
    void syntheticBadSizeKeepsEarlierFile() {
        QFETCH(int, weapons);
        QFETCH(int, mods);
        const QString path = m_dir.filePath(u"kept.db"_s);
        testsupport::writeBytes(path, "earlier");
        std::string error;
        QVERIFY(!synthetic::writeMaster(path.toStdString(), {weapons, mods}, error));
        QVERIFY(!error.empty());
        QCOMPARE(testsupport::readBytes(path), QByteArray("earlier"));
    }
};

QTEST_GUILESS_MAIN(TestMasters)
#include "test_masters.moc"
