// Loading the profile and bonus set lists from the settings file and saving them back.

#include "app/RowListModel.h"
#include "catalogue/SideLists.h"
#include "storage/SettingsFile.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

class CountingFileSystem : public storage::FileSystem {
public:
    bool rename(const QByteArray& from, const QByteArray& to) override {
        ++renames;
        return storage::FileSystem::rename(from, to);
    }
    int renames = 0;
};

} // namespace

class TestSideLists : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { storage::setCurrentSettingsFile(nullptr); }
    void counts_data();
    void counts();
    void cellsRoundTrip();
    void bonusRowsKeepHandWrittenRanks();
    void deletingTheLastProfileKeepsItsSection();

private:
    void set(const QString& section, const QString& key, const QString& value) {
        QVERIFY(m_settings->setValue(section, key, value));
    }
    QString get(const QString& section, const QString& key) {
        return m_settings->value(section, key);
    }
    void load() { sideLists::setProfileList(m_profiles, m_enchants); }

    std::unique_ptr<QTemporaryDir> m_dir;
    CountingFileSystem m_fileSystem;
    std::unique_ptr<storage::SettingsFile> m_settings;
    RowListModel m_profiles;
    RowListModel m_enchants;
};

void TestSideLists::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings =
        std::make_unique<storage::SettingsFile>(m_dir->filePath(u"zelnoa.ini"_s), m_fileSystem);
    storage::setCurrentSettingsFile(m_settings.get());
}

void TestSideLists::counts_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("rows");
    QTest::newRow("missing") << QString() << 0;
    QTest::newRow("letters") << u"abc"_s << 0;
    QTest::newRow("negative") << u"-5"_s << 0;
    QTest::newRow("spaced") << u" 2 "_s << 2;
    QTest::newRow("above the stored sections") << u"4"_s << 4;
    QTest::newRow("beyond 16 bits") << u"99999"_s << 32767;
    QTest::newRow("exponent") << u"1e9"_s << 32767;
}

void TestSideLists::counts() {
    QFETCH(QString, count);
    QFETCH(int, rows);
    for (int n = 1; n <= 2; ++n) {
        set(u"PROFILE%1"_s.arg(n), u"Name"_s, u"キャラ%1"_s.arg(n));
        set(u"ENCHANT%1"_s.arg(n), u"Name"_s, u"補正%1"_s.arg(n));
    }
    if (!count.isNull()) {
        set(u"SYSTEM"_s, u"Count"_s, count);
        set(u"SYSTEM"_s, u"EnchantCount"_s, count);
    }
    load();
    QCOMPARE(m_profiles.count(), rows);
    QCOMPARE(m_enchants.count(), rows + 1);
    QCOMPARE(m_enchants.row(0).key, sideLists::FixedEnchantKey);
    if (rows > 2) {
        QCOMPARE(m_profiles.row(1).text, u"キャラ2"_s);
        QCOMPARE(m_profiles.row(2).text, QString());
        QCOMPARE(m_enchants.row(3).cell(1), u"～"_s);
    }
}

void TestSideLists::cellsRoundTrip() {
    const QStringList profileKeys = {u"Name"_s, u"Str"_s,  u"Int"_s,    u"Dex"_s,
                                     u"Will"_s, u"Luck"_s, u"Attack"_s, u"Range"_s};
    for (int i = 0; i < profileKeys.size(); ++i)
        set(u"PROFILE1"_s, profileKeys[i], u"p%1"_s.arg(i));
    const QStringList enchantKeys = {u"Name"_s,      u"MinDamage"_s, u"MaxDamage"_s, u"MinWounds"_s,
                                     u"MaxWounds"_s, u"Critical"_s,  u"Balance"_s,   u"Str"_s,
                                     u"Int"_s,       u"Dex"_s,       u"Will"_s,      u"Luck"_s};
    for (int i = 0; i < enchantKeys.size(); ++i)
        set(u"ENCHANT1"_s, enchantKeys[i], u"e%1"_s.arg(i));
    set(u"SYSTEM"_s, u"Count"_s, u"1"_s);
    set(u"SYSTEM"_s, u"EnchantCount"_s, u"1"_s);
    load();

    for (int i = 0; i < profileKeys.size(); ++i)
        QCOMPARE(m_profiles.row(0).cell(i), u"p%1"_s.arg(i));
    const QStringList fixed = {u"使用なし"_s, u"0～0"_s, u"0～0"_s, u"0"_s, u"0"_s,
                               u"0"_s,        u"0"_s,    u"0"_s,    u"0"_s};
    for (int position = 0; position <= 15; ++position)
        QCOMPARE(m_enchants.row(0).cell(position), fixed.value(position));
    QCOMPARE(m_enchants.row(0).colour, RowColour::DarkGrey);
    const QStringList set1 = {u"e0"_s, u"e1～e2"_s, u"e3～e4"_s, u"e5"_s, u"e6"_s,
                              u"e1"_s, u"e2"_s,     u"e3"_s,     u"e4"_s, u"e7"_s,
                              u"e8"_s, u"e9"_s,     u"e10"_s,    u"e11"_s};
    for (int position = 0; position <= 15; ++position)
        QCOMPARE(m_enchants.row(1).cell(position), set1.value(position));

    // Saving what was loaded writes it back unchanged, each list in one replacement.
    const QByteArray before = testsupport::readBytes(m_settings->path());
    m_fileSystem.renames = 0;
    QVERIFY(sideLists::saveProfileList(m_profiles));
    QVERIFY(sideLists::saveEnchantList(m_enchants));
    QCOMPARE(m_fileSystem.renames, 2);
    QCOMPARE(testsupport::readBytes(m_settings->path()), before);
}

void TestSideLists::bonusRowsKeepHandWrittenRanks() {
    set(u"SYSTEM"_s, u"EnchantCount"_s, u"2"_s);
    set(u"ENCHANT1"_s, u"Name"_s, u"一"_s);
    set(u"ENCHANT2"_s, u"Name"_s, u"二"_s);
    set(u"ENCHANT2"_s, u"Attack"_s, u"A"_s);
    set(u"ENCHANT2"_s, u"Range"_s, u"練習"_s);
    load();
    QCOMPARE(m_enchants.row(2).cell(14), u"A"_s);
    QCOMPARE(m_enchants.row(2).cell(15), u"練習"_s);

    m_enchants.setCell(2, 0, u"二改"_s);
    m_enchants.setCell(1, 14, u"B"_s);
    QVERIFY(sideLists::saveEnchantList(m_enchants));
    QCOMPARE(get(u"SYSTEM"_s, u"EnchantCount"_s), u"2"_s);
    QCOMPARE(get(u"ENCHANT2"_s, u"Name"_s), u"二改"_s);
    QCOMPARE(get(u"ENCHANT2"_s, u"Attack"_s), u"A"_s);
    QCOMPARE(get(u"ENCHANT1"_s, u"Attack"_s), QString());
    // The fixed row is never saved.
    QVERIFY(!testsupport::readBytes(m_settings->path()).contains("\x8E\x67\x97\x70")); // 使用
}

void TestSideLists::deletingTheLastProfileKeepsItsSection() {
    set(u"SYSTEM"_s, u"Count"_s, u"3"_s);
    for (int n = 1; n <= 3; ++n)
        set(u"PROFILE%1"_s.arg(n), u"Name"_s, u"P%1"_s.arg(n));
    load();
    m_profiles.remove(2);
    QVERIFY(sideLists::saveProfileList(m_profiles));
    QCOMPARE(get(u"SYSTEM"_s, u"Count"_s), u"2"_s);
    QCOMPARE(get(u"PROFILE3"_s, u"Name"_s), u"P3"_s);
    load();
    QCOMPARE(m_profiles.count(), 2);
}

QTEST_GUILESS_MAIN(TestSideLists)
#include "test_side_lists.moc"
