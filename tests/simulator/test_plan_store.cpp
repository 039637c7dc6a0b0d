// Saved plans in the settings file: reading, a write that fails, plan records and the texts a plan
// is saved with. What each outcome of the dialog writes is compared in test_save_dialog.

#include "simulator/PlanStore.h"
#include "storage/Cp932.h"
#include "storage/SettingsFile.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;
using planStore::ParsedRecord;

Q_DECLARE_METATYPE(planStore::ParsedRecord::Status)

namespace {

class RefusingFileSystem : public storage::FileSystem {
public:
    bool refuse = false;
    bool rename(const QByteArray& from, const QByteArray& to) override {
        if (refuse) {
            errno = EACCES;
            return false;
        }
        return FileSystem::rename(from, to);
    }
};

QByteArray lines(const QStringList& list) {
    return storage::cp932Encode(list.join(u"\r\n"_s) + u"\r\n"_s);
}

const QStringList kThreePlans = {
    u"[WEAPON1]"_s, u"Count=3"_s,       u"Name1=A式"_s, u"Spec1=s1"_s,
    u"Date1=d1"_s,  u"Data1=23 101."_s, u"Name2=B式"_s, u"Spec2=s2"_s,
    u"Date2=d2"_s,  u"Data2=30 102."_s, u"Name3=C式"_s, u"Spec3=s3"_s,
    u"Date3=d3"_s,  u"Data3=23 103."_s, u"[SYSTEM]"_s,  u"Database=vaelbuki.mdb"_s};

} // namespace

class TestPlanStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { storage::setCurrentSettingsFile(nullptr); }

    void countReading_data();
    void countReading();
    void failedWriteLeavesTheFile();
    void planRecords_data();
    void planRecords();
    void savedTexts();

private:
    void useFile(const QByteArray& bytes);
    QByteArray fileBytes() const { return testsupport::readBytes(m_path); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    RefusingFileSystem m_fileSystem;
    std::unique_ptr<storage::SettingsFile> m_settings;
};

void TestPlanStore::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(u"zelnoa.ini"_s);
    m_fileSystem.refuse = false;
}

void TestPlanStore::useFile(const QByteArray& bytes) {
    testsupport::writeBytes(m_path, bytes);
    m_settings =
        std::make_unique<storage::SettingsFile>(m_path, m_fileSystem, std::chrono::milliseconds(0));
    storage::setCurrentSettingsFile(m_settings.get());
}

void TestPlanStore::countReading_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("rows");
    QTest::newRow("more than stored") << u"5"_s << 5;
    QTest::newRow("leading number") << u"2abc"_s << 2;
    QTest::newRow("half, to even") << u"2.5"_s << 2;
    QTest::newRow("not a number") << u"abc"_s << 0;
    QTest::newRow("negative") << u"-3"_s << 0;
    QTest::newRow("empty") << QString() << 0;
}

void TestPlanStore::countReading() {
    QFETCH(QString, count);
    QFETCH(int, rows);
    QStringList file = kThreePlans;
    file.replace(1, u"Count="_s + count);
    useFile(lines(file));
    const std::vector<planStore::Plan> plans = planStore::read(1);
    QCOMPARE(int(plans.size()), rows);
    for (int i = 3; i < rows; ++i) {
        const planStore::Plan& missing = plans[std::size_t(i)];
        QVERIFY(missing.name.isEmpty() && missing.spec.isEmpty() && missing.date.isEmpty() &&
                missing.data.isEmpty());
    }
    if (rows >= 3)
        QCOMPARE(plans[2].data, u"23 103."_s);
}

void TestPlanStore::failedWriteLeavesTheFile() {
    useFile(lines(kThreePlans));
    const QByteArray before = fileBytes();
    m_fileSystem.refuse = true;
    const planStore::Plan plan{u"新"_s, u"spec"_s, u"date"_s, u"23 1."_s};
    QVERIFY(!planStore::write(1, planStore::read(1), &plan));
    QVERIFY(!planStore::write(1, {}));
    QCOMPARE(fileBytes(), before);
    QCOMPARE(planStore::read(1).size(), std::size_t(3));
}

void TestPlanStore::planRecords_data() {
    QTest::addColumn<QString>("data");
    QTest::addColumn<ParsedRecord::Status>("status");
    QTest::addColumn<int>("seq");
    QTest::addColumn<QString>("plan");
    QTest::newRow("three steps") << u"23 12.57.3."_s << ParsedRecord::Ok << 23 << u"12.57.3."_s;
    QTest::newRow("no steps") << u"30 "_s << ParsedRecord::Ok << 30 << QString();
    QTest::newRow("only the first space splits")
        << u"30 1. 2."_s << ParsedRecord::Ok << 30 << u"1. 2."_s;
    QTest::newRow("empty") << QString() << ParsedRecord::NoSpace << 0 << QString();
    QTest::newRow("no space") << u"12.57."_s << ParsedRecord::NoSpace << 0 << QString();
    QTest::newRow("letters") << u"abc 12."_s << ParsedRecord::Broken << 0 << QString();
    QTest::newRow("number then letters") << u"23x 12."_s << ParsedRecord::Broken << 0 << QString();
    QTest::newRow("space first") << u" 23 12."_s << ParsedRecord::Broken << 0 << QString();
    QTest::newRow("beyond 16 bits") << u"40000 12."_s << ParsedRecord::Broken << 0 << QString();
    QTest::newRow("tab before the number")
        << u"\t23 12."_s << ParsedRecord::Broken << 0 << QString();
}

void TestPlanStore::planRecords() {
    QFETCH(QString, data);
    QFETCH(ParsedRecord::Status, status);
    QFETCH(int, seq);
    QFETCH(QString, plan);
    const ParsedRecord parsed = planStore::parseRecord(data);
    QCOMPARE(parsed.status, status);
    if (status == ParsedRecord::Ok) {
        QCOMPARE(int(parsed.changeSeq), seq);
        QCOMPARE(parsed.plan, plan);
    }
}

void TestPlanStore::savedTexts() {
    ShownFigures shown;
    shown.jukuren = u"45"_s;
    shown.damage = u"12～25"_s;
    shown.critical = u"18"_s;
    shown.balance = u"45"_s;
    shown.taikyu = u"15"_s;
    shown.changeCaption = u"鍛冶 : 名匠の作"_s;
    shown.changeTag = u"23"_s;
    QCOMPARE(planStore::specText(shown), u"12～25 クリティカル18 バランス45 耐久15"_s);
    QCOMPARE(planStore::jukurenText(shown), u"45"_s);
    QCOMPARE(planStore::record(shown.changeTag, u"12.57.3."_s), u"23 12.57.3."_s);
    shown.changeTag = u"30"_s;
    QCOMPARE(planStore::jukurenText(shown), u"鍛冶 : 名匠の作45"_s);

    QCOMPARE(planStore::dateText(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3))),
             u"2024/03/05 9:07:03"_s);
    QCOMPARE(planStore::dateText(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))),
             u"1999/12/31 23:59:59"_s);
}

QTEST_GUILESS_MAIN(TestPlanStore)
#include "test_plan_store.moc"
