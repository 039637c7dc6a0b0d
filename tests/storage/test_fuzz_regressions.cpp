// Inputs the fuzz targets (fuzz/) found breaking the settings parser and the SQL translation,
// kept as ordinary cases so the fixes stay in place.

#include "storage/JetSql.h"
#include "storage/PrivateProfile.h"

#include <QtTest>
#include <sqlite3.h>

using storage::PrivateProfile;

class TestFuzzRegressions : public QObject {
    Q_OBJECT

private slots:
    void sectionNamesStayReadable_data();
    void sectionNamesStayReadable();
    void literalsKeepTheirBounds_data();
    void literalsKeepTheirBounds();
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

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "test_fuzz_regressions.moc"
