// Start-up and shutdown: opening the database named in the settings file, the single running
// copy, the loading window, and the shutdown job that closes the database and saves the changed
// side lists.

#include "app/ProgramFolder.h"
#include "app/RowListModel.h"
#include "app/SingleInstance.h"
#include "app/frmWait.h"
#include "app/modMain.h"
#include "catalogue/SideLists.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

const QString AlreadyRunning = u"既に起動しています。"_s;
const QString DatabaseFailed = u"データベース接続に失敗しました。"_s;
const QString CloseFailed = u"エラーです、まじ"_s;
const QString SaveFailed = u"設定ファイルの保存に失敗しました。"_s;

class FailingFileSystem : public storage::FileSystem {
public:
    bool rename(const QByteArray& from, const QByteArray& to) override {
        return !fail && storage::FileSystem::rename(from, to);
    }
    bool fail = false;
};

QString openedFile() {
    sqlite3* db = storage::cnDatabase().handle();
    return db ? QFileInfo(QString::fromUtf8(sqlite3_db_filename(db, "main"))).fileName()
              : QString();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openDatabase_data();
    void openDatabase();
    void databaseWithoutMasterTables();
    void secondStartTouchesNothing();
    void failedOpenEndsTheRun();
    void runEndsWhenTheWindowCloses();
    void shutdown_data();
    void shutdown();
    void loadingWindowRunsItsJobWhileShown_data();
    void loadingWindowRunsItsJobWhileShown();
    void japaneseTextHasAFont();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString iniPath() const { return path(u"zelnoa.ini"_s); }
    ProgramFolder folder() const { return {m_dir->path(), u"zelnoa"_s}; }

    QTemporaryDir m_runtime;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<testsupport::RecordingMessageBoxes> m_boxes;
};

void TestStartup::initTestCase() {
    // Keeps the tests' locks apart from a copy of the program the developer may be running.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    modMain::setUpFonts();
}

void TestStartup::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
}

void TestStartup::cleanup() {
    storage::setConnectionFaults({});
    storage::cnDatabase().close();
    storage::setCurrentSettingsFile(nullptr);
    m_boxes.reset();
}

void TestStartup::openDatabase_data() {
    QTest::addColumn<QByteArray>("ini"); // null: no settings file
    QTest::addColumn<QString>("sampleAs");
    QTest::addColumn<QByteArray>("otherFile"); // content of "other.mdb"
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("writesDefault"); // else the settings file stays byte for byte

    QTest::newRow("no settings file")
        << QByteArray() << u"vaelbuki.mdb"_s << QByteArray() << false << 0 << true;
    QTest::newRow("blank value") << "[SYSTEM]\r\nDatabase=\r\n"_ba << u"vaelbuki.mdb"_s
                                 << QByteArray() << false << 0 << true;
    QTest::newRow("spaces only") << "[SYSTEM]\r\nDatabase=   \r\n"_ba << u"vaelbuki.mdb"_s
                                 << QByteArray() << false << 0 << true;
    QTest::newRow("spaced name") << "[SYSTEM]\r\nDatabase=  custom.mdb  \r\n"_ba << u"custom.mdb"_s
                                 << QByteArray() << false << 0 << false;
    QTest::newRow("default missing")
        << QByteArray() << QString() << QByteArray() << false << 1 << true;
    QTest::newRow("named file missing") << "[SYSTEM]\r\nDatabase=gone.mdb\r\n"_ba
                                        << u"vaelbuki.mdb"_s << QByteArray() << false << 1 << false;
    QTest::newRow("not a database") << "[SYSTEM]\r\nDatabase=other.mdb\r\n"_ba << QString()
                                    << "Standard Jet DB\0 not really"_ba << false << 1 << false;
    QTest::newRow("read-only") << "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n"_ba << u"vaelbuki.mdb"_s
                               << QByteArray() << true << 1 << false;
}

void TestStartup::openDatabase() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, sampleAs);
    QFETCH(QByteArray, otherFile);
    QFETCH(bool, readOnly);
    QFETCH(int, result);
    QFETCH(bool, writesDefault);
    if (!ini.isNull())
        testsupport::writeBytes(iniPath(), ini);
    if (!sampleAs.isEmpty())
        testsupport::copySampleDatabase(m_dir->path(), sampleAs);
    if (!otherFile.isNull())
        testsupport::writeBytes(path(u"other.mdb"_s), otherFile);
    storage::setConnectionFaults({.readOnlyFile = readOnly});
    storage::SettingsFile settings(iniPath());
    storage::setCurrentSettingsFile(&settings);
    const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::Files);

    QCOMPARE(modMain::intOpenDatabase(folder()), qint16(result));
    QCOMPARE(storage::cnDatabase().isOpen(), result == 0);
    if (result == 0)
        QCOMPARE(openedFile(), sampleAs);
    if (writesDefault)
        QCOMPARE(settings.value(u"SYSTEM"_s, u"Database"_s), u"vaelbuki.mdb"_s);
    else
        QCOMPARE(testsupport::readBytes(iniPath()), ini);
    // A failed open creates no database file (nor any other file but the new settings file).
    QStringList filesAfter = QDir(m_dir->path()).entryList(QDir::Files);
    if (ini.isNull())
        filesAfter.removeOne(u"zelnoa.ini"_s);
    if (result == 1)
        QCOMPARE(filesAfter, filesBefore);
}

void TestStartup::databaseWithoutMasterTables() {
    const QString file = testsupport::copySampleDatabase(m_dir->path());
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "DROP TABLE KAIZO_MASTER", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    storage::SettingsFile settings(iniPath());
    storage::setCurrentSettingsFile(&settings);
    QCOMPARE(modMain::intOpenDatabase(folder()), qint16(1));
}

void TestStartup::secondStartTouchesNothing() {
    const QByteArray ini = "[SYSTEM]\r\nDatabase=\r\n"_ba;
    testsupport::writeBytes(iniPath(), ini);
    testsupport::copySampleDatabase(m_dir->path());
    SingleInstance first;
    QCOMPARE(first.acquire(m_dir->path()), SingleInstance::State::Acquired);

    QCOMPARE(modMain::Main(folder()), 1);
    QCOMPARE(m_boxes->texts(), QStringList{AlreadyRunning});
    QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);
    QCOMPARE(testsupport::readBytes(iniPath()), ini);
    QVERIFY(!storage::cnDatabase().isOpen());
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestStartup::failedOpenEndsTheRun() {
    QCOMPARE(modMain::Main(folder()), 1);
    QCOMPARE(m_boxes->texts(), QStringList{DatabaseFailed});
    QCOMPARE(m_boxes->shown.first().icon, ui::Icon::Critical);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    QVERIFY(!QFile::exists(path(u"vaelbuki.mdb"_s)));
    // The lock went with the run.
    SingleInstance next;
    QCOMPARE(next.acquire(m_dir->path()), SingleInstance::State::Acquired);
}

void TestStartup::runEndsWhenTheWindowCloses() {
    const QByteArray ini = "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\r\nEnchantCount=1\r\n"
                           "[PROFILE1]\r\nName=a\r\n[ENCHANT1]\r\nName=b\r\nAttack=F\r\n"_ba;
    testsupport::writeBytes(iniPath(), ini);
    testsupport::copySampleDatabase(m_dir->path());
    bool wasOpen = false;
    QString caption;
    // The main window fills its list behind the modal loading window before it shows, so wait
    // until it stands alone on screen.
    QTimer poll;
    poll.callOnTimeout(this, [&] {
        if (QApplication::activeModalWidget())
            return;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowTitle() == u"ゼルノア"_s) {
                poll.stop();
                wasOpen = storage::cnDatabase().isOpen();
                caption = window->windowTitle();
                window->close();
                return;
            }
        }
    });
    poll.start(10);
    QCOMPARE(modMain::Main(folder()), 0);
    QVERIFY(wasOpen);
    QCOMPARE(caption, u"ゼルノア"_s);
    QVERIFY(!storage::cnDatabase().isOpen());
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(testsupport::readBytes(iniPath()), ini);
}

void TestStartup::shutdown_data() {
    QTest::addColumn<bool>("profileChanged");
    QTest::addColumn<bool>("enchantChanged");
    QTest::addColumn<bool>("closeFails");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("nothing changed") << false << false << false << false << QStringList();
    QTest::newRow("profiles changed") << true << false << false << false << QStringList();
    QTest::newRow("bonus sets changed") << false << true << false << false << QStringList();
    QTest::newRow("both changed") << true << true << false << false << QStringList();
    QTest::newRow("close fails, lists still saved")
        << true << true << true << false << QStringList{CloseFailed};
    QTest::newRow("save fails") << true << true << false << true << QStringList{SaveFailed};
    QTest::newRow("close and save fail")
        << false << true << true << true << QStringList{CloseFailed, SaveFailed};
    QTest::newRow("nothing to save, writes cannot fail")
        << false << false << false << true << QStringList();
}

void TestStartup::shutdown() {
    QFETCH(bool, profileChanged);
    QFETCH(bool, enchantChanged);
    QFETCH(bool, closeFails);
    QFETCH(bool, saveFails);
    QFETCH(QStringList, messages);
    const QByteArray ini = "[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=2\r\nEnchantCount=1\r\n"
                           "[PROFILE1]\r\nName=a\r\n[PROFILE2]\r\nName=b\r\n"
                           "[ENCHANT1]\r\nName=c\r\n"_ba;
    testsupport::writeBytes(iniPath(), ini);
    testsupport::copySampleDatabase(m_dir->path());
    FailingFileSystem fileSystem;
    storage::SettingsFile settings(iniPath(), fileSystem);
    storage::setCurrentSettingsFile(&settings);
    QCOMPARE(modMain::intOpenDatabase(folder()), qint16(0));
    RowListModel profiles;
    RowListModel enchants;
    sideLists::setProfileList(profiles, enchants);
    // Both lists differ from the file; only the change flags decide what is written.
    profiles.remove(0);
    enchants.append(ListRow{u"d"_s, {}, {}, {}, {}});
    storage::setConnectionFaults({.closeFails = closeFails});
    fileSystem.fail = saveFails;

    modMain::endApp(nullptr, profiles, profileChanged, enchants, enchantChanged);

    QCOMPARE(m_boxes->texts(), messages);
    for (const auto& shown : m_boxes->shown)
        QCOMPARE(shown.icon, ui::Icon::Critical);
    QCOMPARE(storage::cnDatabase().isOpen(), closeFails);
    const QByteArray after = testsupport::readBytes(iniPath());
    if (saveFails || (!profileChanged && !enchantChanged)) {
        QCOMPARE(after, ini);
        return;
    }
    QCOMPARE(settings.value(u"SYSTEM"_s, u"Count"_s), profileChanged ? u"1"_s : u"2"_s);
    QCOMPARE(settings.value(u"PROFILE1"_s, u"Name"_s), profileChanged ? u"b"_s : u"a"_s);
    QCOMPARE(settings.value(u"SYSTEM"_s, u"EnchantCount"_s), enchantChanged ? u"2"_s : u"1"_s);
    QCOMPARE(settings.value(u"ENCHANT2"_s, u"Name"_s), enchantChanged ? u"d"_s : QString());
}

void TestStartup::loadingWindowRunsItsJobWhileShown_data() {
    QTest::addColumn<int>("mode"); // -1: no job
    QTest::addColumn<bool>("owned");
    QTest::newRow("weapon list, owned") << 0 << true;
    QTest::newRow("shutdown, unowned") << 2 << false;
    QTest::newRow("no job") << -1 << true;
}

void TestStartup::loadingWindowRunsItsJobWhileShown() {
    QFETCH(int, mode);
    QFETCH(bool, owned);
    QWidget owner;
    owner.setGeometry(100, 80, 600, 400);
    owner.show();
    frmWait wait(owned ? &owner : nullptr);
    int runs = 0;
    bool labelShown = false;
    QPoint centre;
    const auto job = [&] {
        ++runs;
        labelShown = wait.isVisible() && wait.findChild<QLabel*>(u"Label1"_s)->isVisible();
        centre = wait.frameGeometry().center();
    };
    if (mode == 0)
        wait.setBukiData(job);
    else if (mode == 2)
        wait.endApp(job);
    QCOMPARE(wait.intWaitMode(), mode);

    wait.exec();
    QVERIFY(!wait.isVisible());
    if (mode < 0)
        return;
    QCOMPARE(runs, 1);
    QVERIFY(labelShown);
    const QPoint expected = owned ? owner.frameGeometry().center()
                                  : QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((centre - expected).manhattanLength() < 40);
}

void TestStartup::japaneseTextHasAFont() {
    if (!QFontDatabase::families().contains(u"IPAPGothic"_s))
        QSKIP("IPA P Gothic is not installed");
    frmWait wait;
    const QFont label = wait.findChild<QLabel*>(u"Label1"_s)->font();
    QCOMPARE(QFontInfo(label).family(), u"IPAPGothic"_s);
    const QFontMetrics appFont(QApplication::font());
    for (const char32_t c : std::u32string_view(U"ゼルノア既に起動しています。使用なし～"))
        QVERIFY2(appFont.inFontUcs4(c), qPrintable(QString::number(c, 16)));
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
