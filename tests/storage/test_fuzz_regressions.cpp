// Inputs the fuzz targets (fuzz/) found breaking the settings parser, the saved plans and the SQL
// translation, kept as ordinary cases so the fixes stay in place.

#include "simulator/PlanStore.h"
#include "storage/JetSql.h"
#include "storage/PrivateProfile.h"
#include "storage/SettingsFile.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using storage::PrivateProfile;

class TestFuzzRegressions : public QObject {
    Q_OBJECT

private slots:
    void sectionNamesStayReadable_data();
    void sectionNamesStayReadable();
    void literalsKeepTheirBounds_data();
    void literalsKeepTheirBounds();
    void handEditedPlansSave();
};

void TestFuzzRegressions::sectionNamesStayReadable_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("accepted");
    // A lone lead byte at the end would swallow the "]" of the header as its second byte.
    QTest::newRow("lone lead byte") << QByteArray("\xf3") << false;
    QTest::newRow("lead byte before blanks") << QByteArray(" A\x81 ") << false;
    // A whole double-byte character whose second byte is "]" (ゾ) is a name like any other.
    QTest::newRow("whole character") << QByteArray("\x83\x5d") << true;
    QTest::newRow("character then lead byte") << QByteArray("\x83\x5d\x83") << false;
}

void TestFuzzRegressions::sectionNamesStayReadable() {
    QFETCH(QByteArray, section);
    QFETCH(bool, accepted);
    const QByteArray document("[SYSTEM]\r\nCount=1\r\n");
    PrivateProfile profile(document);
    QCOMPARE(profile.setValue(section, "Key", "value"), accepted);
    if (!accepted) {
        QCOMPARE(profile.bytes(), document);
        return;
    }
    const PrivateProfile reread(profile.bytes());
    QCOMPARE(reread.value(section, "Key"), QByteArray("value"));
    QCOMPARE(reread.value("SYSTEM", "Count"), QByteArray("1"));
}

void TestFuzzRegressions::literalsKeepTheirBounds_data() {
    QTest::addColumn<QByteArray>("jet");
    QTest::addColumn<QByteArray>("translated");
    // SQLite's answer: the first literal read (a second one is its column name), or null when the
    // text must not prepare.
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("double then single")
        << QByteArray(R"(SELECT "a"'b')") << QByteArray("SELECT 'a' 'b'") << QByteArray("a");
    QTest::newRow("single then double")
        << QByteArray(R"(SELECT 'a'"b")") << QByteArray("SELECT 'a' 'b'") << QByteArray("a");
    QTest::newRow("open, ends in a doubled mark")
        << QByteArray(R"(SELECT "a"")") << QByteArray(R"(SELECT 'a")") << QByteArray();
    QTest::newRow("open, only a doubled mark")
        << QByteArray(R"(SELECT """)") << QByteArray(R"(SELECT '")") << QByteArray();
    QTest::newRow("closed after a doubled mark")
        << QByteArray(R"(SELECT "a""";)") << QByteArray(R"(SELECT 'a"')") << QByteArray("a\"");
    QTest::newRow("empty") << QByteArray(R"(SELECT "")") << QByteArray("SELECT ''")
                           << QByteArray("");
}

void TestFuzzRegressions::literalsKeepTheirBounds() {
    QFETCH(QByteArray, jet);
    QFETCH(QByteArray, translated);
    QFETCH(QByteArray, value);
    const std::string sql = storage::translateJetSql(jet.toStdString());
    QCOMPARE(QByteArray::fromStdString(sql), translated);

    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    const bool prepared = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
    QCOMPARE(prepared, !value.isNull());
    if (prepared) {
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))), value);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

// A hand-edited "Count" lists that many plans, and saving one more writes them all back into one
// section. Each write once scanned and copied the whole section, so 8,000 plans took half a
// minute and the 32,767 an absurd count gives would have taken hours. A NUL in a value once came
// back with the value and made the whole save fail; it now ends the value, which saves clean.
void TestFuzzRegressions::handEditedPlansSave() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zelnoa.ini"));
    testsupport::writeBytes(path,
                            "[WEAPON1]\r\nCount=8000\r\nName1=A\0B\r\nData1=23 101.\r\n\r\n"_ba);
    storage::SettingsFile settings(path);

    QElapsedTimer clock;
    clock.start();
    const std::vector<planStore::Plan> plans = planStore::read(settings, 1);
    QCOMPARE(plans.size(), size_t(8000));
    const planStore::Plan added{QStringLiteral("新"), QStringLiteral("s"), QStringLiteral("d"),
                                QStringLiteral("23 102.")};
    QCOMPARE(plans.front().name, QStringLiteral("A"));
    const storage::SaveOutcome outcome = planStore::write(settings, 1, plans, &added);
    QVERIFY(outcome.saved && outcome.refused.isEmpty());
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));

    const std::vector<planStore::Plan> again = planStore::read(settings, 1);
    QCOMPARE(again.size(), size_t(8001));
    QCOMPARE(again.front().data, QStringLiteral("23 101."));
    QVERIFY(testsupport::readBytes(path).contains("Name1=A\r\n"));
    QCOMPARE(again.back().name, QStringLiteral("新"));
    // The blank line that ended the section still does, after every new key.
    QVERIFY(testsupport::readBytes(path).endsWith("Date8001=d\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "test_fuzz_regressions.moc"
