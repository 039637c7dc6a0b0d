// The synthetic large master: same schema as the sample, the documented layout, and a failure
// that leaves an earlier file alone.

#include "bench/synthetic/SyntheticMaster.h"
#include "storage/Database.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

QStringList column(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("bad test query %s: %s", qPrintable(sql), sqlite3_errmsg(db));
    QStringList values;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        values.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return values;
}

int number(const QString& path, const QString& sql) {
    return column(path, sql).value(0).toInt();
}

// Every table, column, declared type and index of a file, in one comparable list.
QStringList schemaOf(const QString& path) {
    return column(
        path, u"SELECT m.name || '.' || c.name || ' ' || c.type || ' ' || c.\"notnull\" "
              "FROM sqlite_master m JOIN pragma_table_info(m.name) c "
              "WHERE m.type = 'table' AND m.name <> 'WORK_BUKI_DATA' "
              "UNION ALL SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
              "ORDER BY 1"_s);
}

} // namespace

class TestSyntheticMaster : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sameSchemaAsTheSample();
    void layoutAsDocumented();
    void everyStepOffersModifications();
    void openedByTheDatabaseLayer();
    void badSizeKeepsEarlierFile_data();
    void badSizeKeepsEarlierFile();

private:
    QTemporaryDir m_dir;
    QString m_path;
    const synthetic::Size m_size{120, 20};
};

void TestSyntheticMaster::initTestCase() {
    m_path = m_dir.filePath(u"synthetic.db"_s);
    std::string error;
    QVERIFY2(synthetic::writeMaster(m_path.toStdString(), m_size, error), error.c_str());
}

void TestSyntheticMaster::sameSchemaAsTheSample() {
    const QStringList synthetic = schemaOf(m_path);
    QVERIFY(synthetic.size() > 40);
    QCOMPARE(synthetic, schemaOf(QStringLiteral(ZELNOA_SAMPLE_DB)));
}

// Tests and benchmarks pick weapons and modifications by these functions instead of querying.
void TestSyntheticMaster::layoutAsDocumented() {
    QCOMPARE(number(m_path, u"SELECT COUNT(*) FROM BUKI_MASTER"_s), m_size.weapons);
    QCOMPARE(number(m_path, u"SELECT COUNT(*) FROM KAIZO_MASTER"_s),
             m_size.weapons * m_size.modsPerWeapon);
    QCOMPARE(number(m_path, u"SELECT COUNT(*) FROM SHURUI_MASTER"_s), synthetic::kTypeCount);
    QCOMPARE(number(m_path, u"SELECT COUNT(*) FROM CHANGE_SPEC_MASTER WHERE SEQ = %1 AND "
                            "HYOUJI = 1 AND MIN_DAMAGE = 0 AND MAX_DAMAGE = 0 AND CRITICAL = 0 AND "
                            "BLANCE = 0 AND TAIKYU = 0"_s.arg(synthetic::kOrdinaryChangeSeq)),
             1);

    const QStringList weapons =
        column(m_path,
               u"SELECT b.SEQ || ' ' || b.SHURUI || ' ' || b.HYOUJI || ' ' || (MAX(k.KAISU_E) + 1) "
               "|| ' ' || MIN(k.SEQ) || ' ' || MAX(k.SEQ) FROM BUKI_MASTER b "
               "JOIN KAIZO_MASTER k ON k.BUKI_SEQ = b.SEQ GROUP BY b.SEQ ORDER BY b.SEQ"_s);
    QCOMPARE(weapons.size(), m_size.weapons);
    for (int w = 1; w <= m_size.weapons; ++w) {
        const QString expected =
            u"%1 %2 %3 %4 %5 %6"_s.arg(w)
                .arg(synthetic::typeOf(w))
                .arg(synthetic::isShown(w) ? 1 : 0)
                .arg(synthetic::stepCount(w))
                .arg(synthetic::kaizoSeq(w, 0, m_size.modsPerWeapon))
                .arg(synthetic::kaizoSeq(w, m_size.modsPerWeapon - 1, m_size.modsPerWeapon));
        QCOMPARE(weapons.at(w - 1), expected);
    }
}

// A benchmark or load test replaying a plan needs a modification at every step.
void TestSyntheticMaster::everyStepOffersModifications() {
    QCOMPARE(column(m_path, u"WITH RECURSIVE steps(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM "
                            "steps WHERE k < 6) "
                            "SELECT b.SEQ || '@' || s.k FROM BUKI_MASTER b JOIN steps s "
                            "WHERE s.k <= (SELECT MAX(KAISU_E) FROM KAIZO_MASTER WHERE BUKI_SEQ = "
                            "b.SEQ) AND (SELECT COUNT(*) FROM KAIZO_MASTER k WHERE k.BUKI_SEQ = "
                            "b.SEQ AND s.k BETWEEN k.KAISU_S AND k.KAISU_E) < 2"_s),
             QStringList());
}

void TestSyntheticMaster::openedByTheDatabaseLayer() {
    storage::Connection connection;
    QVERIFY2(connection.open(m_path), qPrintable(connection.lastError()));
    QVERIFY(connection.close());
}

void TestSyntheticMaster::badSizeKeepsEarlierFile_data() {
    QTest::addColumn<int>("weapons");
    QTest::addColumn<int>("mods");
    QTest::newRow("no weapon") << 0 << 20;
    QTest::newRow("weapon SEQ beyond 16 bits") << 32768 << 20;
    QTest::newRow("negative modifications") << 10 << -1;
}

void TestSyntheticMaster::badSizeKeepsEarlierFile() {
    QFETCH(int, weapons);
    QFETCH(int, mods);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"kept.db"_s);
    testsupport::writeBytes(path, "earlier");
    std::string error;
    QVERIFY(!synthetic::writeMaster(path.toStdString(), {weapons, mods}, error));
    QVERIFY(!error.empty());
    QCOMPARE(testsupport::readBytes(path), QByteArray("earlier"));
}

QTEST_GUILESS_MAIN(TestSyntheticMaster)
#include "test_synthetic_master.moc"
