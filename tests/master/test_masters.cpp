// The sample master beside the program: what its tables hold that the program relies on.

#include "support/TestSupport.h"

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

private slots:
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
};

QTEST_GUILESS_MAIN(TestMasters)
#include "test_masters.moc"
