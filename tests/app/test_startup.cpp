// Start-up and shutdown: one running program per program folder (no stale lock after a crash),
// the database named in the settings file, the loading window, the side lists loaded from the
// settings file and saved back, and the shutdown job.

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
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using State = SingleInstance::State;

namespace {

const QString CloseFailed = u"エラーです、まじ"_s;
const QString SaveFailed = u"設定ファイルの保存に失敗しました。"_s;

class TestFileSystem : public storage::FileSystem {
public:
    bool rename(const QByteArray& from, const QByteArray& to) override {
        ++renames;
        return !fail && storage::FileSystem::rename(from, to);
    }
    bool fail = false;
    int renames = 0;
};

const char* const kHoldLock = "--hold-lock";

// Runs this test program again to take the lock of a settings file and hold it until killed;
// how: "" as this user, "env" with runtime and temporary folders of its own, "nobody" as an
// unprivileged user. Returns what the child saw.
QString holdLock(QProcess& child, const QString& settingsFile, const QString& how = {}) {
    QStringList command = {QCoreApplication::applicationFilePath(), QLatin1StringView(kHoldLock),
                           settingsFile};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (how == u"env"_s) {
        env.insert(u"XDG_RUNTIME_DIR"_s, QDir::rootPath());
        env.insert(u"TMPDIR"_s, QDir::rootPath());
    }
    child.setProcessEnvironment(env);
    if (how == u"nobody"_s) {
        command =
            QStringList{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, u"--"_s} +
            command;
        // The unprivileged user must reach the folder; whether it may read it is the test's.
        for (QString dir = QFileInfo(QFileInfo(settingsFile).absolutePath()).absolutePath();
             dir != QDir::rootPath(); dir = QFileInfo(dir).absolutePath())
            QFile::setPermissions(dir, QFile::permissions(dir) | QFile::ExeOther);
        child.start(u"setpriv"_s, command);
    } else {
        child.start(command.takeFirst(), command);
    }
    if (!child.waitForReadyRead(10000))
        return u"no answer: "_s + QString::fromLocal8Bit(child.readAllStandardError());
    return QString::fromLatin1(child.readLine().trimmed());
}

int holdLockChild(const char* settingsFile) {
    SingleInstance lock;
    const State state = lock.acquire(QFile::decodeName(settingsFile));
    std::printf("%s\n", state == State::Acquired           ? "acquired"
                        : state == State::RunningElsewhere ? "held"
                                                           : "unavailable");
    std::fflush(stdout);
    if (state == State::Acquired)
        ::pause();
    return 0;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    QTemporaryDir m_folders;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<testsupport::RecordingMessageBoxes> m_boxes;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString iniPath() const { return path(u"zelnoa.ini"_s); }
    ProgramFolder folder() const { return {m_dir->path(), u"zelnoa"_s}; }

    // The side lists on the settings file of the test's folder.
    TestFileSystem m_fileSystem;
    std::unique_ptr<storage::SettingsFile> m_settings;
    RowListModel m_profiles, m_enchants;

    void set(const QString& section, const QString& key, const QString& value) {
        if (!m_settings) {
            m_settings = std::make_unique<storage::SettingsFile>(iniPath(), m_fileSystem);
            storage::setCurrentSettingsFile(m_settings.get());
        }
        QVERIFY(m_settings->setValue(section, key, value));
    }
    // Sets the keys of one section to prefix0, prefix1, ... in the order given.
    void fill(const QString& section, const QString& keys, const QString& prefix) {
        const QStringList names = keys.split(u' ');
        for (int i = 0; i < names.size(); ++i)
            set(section, names[i], prefix + QString::number(i));
    }
    QString get(const QString& section, const QString& key) {
        return m_settings->value(section, key);
    }
    void load() { sideLists::setProfileList(m_profiles, m_enchants); }

private slots:
    void initTestCase() {
        modMain::setUpFonts();
        QDir root(m_folders.path());
        QVERIFY(root.mkpath(u"a/bin"_s) && root.mkpath(u"b/bin"_s));
        QVERIFY(QFile::link(root.filePath(u"a/bin"_s), root.filePath(u"link"_s)));
    }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_boxes = std::make_unique<testsupport::RecordingMessageBoxes>();
    }
    void cleanup() {
        storage::cnDatabase().close();
        storage::setCurrentSettingsFile(nullptr);
        m_settings.reset();
        m_profiles.clear();
        m_enchants.clear();
        m_boxes.reset();
    }

    // The counts decide the rows, whatever sections the file holds.
    void counts_data() {
        QTest::addColumn<QByteArray>("system");
        QTest::addColumn<int>("rows");
        QTest::newRow("missing") << QByteArray() << 0;
        QTest::newRow("above the stored sections")
            << "[SYSTEM]\r\nCount=4\r\nEnchantCount=4\r\n"_ba << 4;
    }
    void counts() {
        QFETCH(QByteArray, system);
        QFETCH(int, rows);
        testsupport::writeBytes(iniPath(),
                                system + "[PROFILE1]\r\nName=p1\r\n[PROFILE2]\r\nName=p2\r\n"
                                         "[ENCHANT1]\r\nName=e1\r\n[ENCHANT2]\r\nName=e2\r\n");
        storage::SettingsFile settings(iniPath());
        storage::setCurrentSettingsFile(&settings);
        load();
        QCOMPARE(m_profiles.count(), rows);
        QCOMPARE(m_enchants.count(), rows + 1);
        QCOMPARE(m_enchants.row(0).key, sideLists::FixedEnchantKey);
        if (rows > 2) {
            QCOMPARE(m_profiles.row(1).text, u"p2"_s);
            QCOMPARE(m_profiles.row(2).text, QString());
            QCOMPARE(m_enchants.row(3).cell(1), u"～"_s);
        }
    }

    void cellsRoundTrip() {
        fill(u"PROFILE1"_s, u"Name Str Int Dex Will Luck Attack Range"_s, u"p"_s);
        fill(u"ENCHANT1"_s,
             u"Name MinDamage MaxDamage MinWounds MaxWounds Critical Balance Str Int Dex Will "
             "Luck"_s,
             u"e"_s);
        set(u"SYSTEM"_s, u"Count"_s, u"1"_s);
        set(u"SYSTEM"_s, u"EnchantCount"_s, u"1"_s);
        load();
        for (int i = 0; i < 8; ++i)
            QCOMPARE(m_profiles.row(0).cell(i), u"p%1"_s.arg(i));
        const QStringList fixed = u"使用なし 0～0 0～0 0 0 0 0 0 0"_s.split(u' ');
        const QStringList set1 =
            u"e0 e1～e2 e3～e4 e5 e6 e1 e2 e3 e4 e7 e8 e9 e10 e11"_s.split(u' ');
        for (int position = 0; position <= 15; ++position) {
            QCOMPARE(m_enchants.row(0).cell(position), fixed.value(position));
            QCOMPARE(m_enchants.row(1).cell(position), set1.value(position));
        }
        QCOMPARE(m_enchants.row(0).colour, RowColour::DarkGrey);

        // Saving what was loaded writes it back unchanged, both lists in one replacement.
        const QByteArray before = testsupport::readBytes(m_settings->path());
        m_fileSystem.renames = 0;
        QVERIFY(sideLists::saveLists(m_profiles, true, m_enchants, true).saved);
        QCOMPARE(m_fileSystem.renames, 1);
        QCOMPARE(testsupport::readBytes(m_settings->path()), before);
    }

    // Saving writes the keys it owns and leaves the rest alone: hand-written ranks of a bonus
    // set, the section of a deleted last profile. The fixed row and the simulator's working copy
    // are never saved, and a value that cannot be written costs nothing else.
    void savingKeepsWhatItDoesNotOwn() {
        set(u"SYSTEM"_s, u"Count"_s, u"3"_s);
        for (int n = 1; n <= 3; ++n)
            set(u"PROFILE%1"_s.arg(n), u"Name"_s, u"P%1"_s.arg(n));
        set(u"SYSTEM"_s, u"EnchantCount"_s, u"2"_s);
        set(u"ENCHANT1"_s, u"Name"_s, u"一"_s);
        fill(u"ENCHANT2"_s, u"Name Attack Range"_s, u"r"_s);
        load();
        QCOMPARE(m_enchants.row(2).cell(14), u"r1"_s);
        QCOMPARE(m_enchants.row(2).cell(15), u"r2"_s);

        m_profiles.remove(2);
        m_profiles.append(ListRow{u"作業"_s, {}, {}, sideLists::WorkingCopyKey, {}});
        m_profiles.setCell(0, 0, u"P1\r\n"_s);
        m_enchants.setCell(2, 0, u"二改"_s);
        m_enchants.setCell(1, 14, u"B"_s);
        QCOMPARE(sideLists::saveLists(m_profiles, true, m_enchants, true).refused,
                 QStringList{u"PROFILE1/Name"_s});
        QCOMPARE(get(u"PROFILE1"_s, u"Name"_s), u"P1"_s);
        QCOMPARE(get(u"SYSTEM"_s, u"Count"_s), u"2"_s);
        QCOMPARE(get(u"PROFILE3"_s, u"Name"_s), u"P3"_s);
        QCOMPARE(get(u"SYSTEM"_s, u"EnchantCount"_s), u"2"_s);
        QCOMPARE(get(u"ENCHANT2"_s, u"Name"_s), u"二改"_s);
        QCOMPARE(get(u"ENCHANT2"_s, u"Attack"_s), u"r1"_s);
        QCOMPARE(get(u"ENCHANT1"_s, u"Attack"_s), QString());
        QVERIFY(!testsupport::readBytes(m_settings->path()).contains("\x8E\x67\x97\x70")); // 使用
        load();
        QCOMPARE(m_profiles.count(), 2);
    }

    void openDatabase_data() {
        QTest::addColumn<QString>("database"); // the settings file's value; null: no such file
        QTest::addColumn<QString>("sampleAs");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("writesDefault"); // else the settings file stays byte for byte
        const auto row = [](const char* name, const QString& database, const QString& sampleAs,
                            int result, bool writesDefault) {
            QTest::newRow(name) << database << sampleAs << result << writesDefault;
        };
        const QString sample = u"vaelbuki.mdb"_s;
        row("no settings file", {}, sample, 0, true);
        row("spaces only", u"   "_s, sample, 0, true);
        row("spaced name", u"  custom.mdb  "_s, u"custom.mdb"_s, 0, false);
        row("default missing", {}, {}, 1, true);
        row("named file missing", u"gone.mdb"_s, sample, 1, false);
        row("not a database", u"other.mdb"_s, {}, 1, false);
    }
    void openDatabase() {
        QFETCH(QString, database);
        QFETCH(QString, sampleAs);
        QFETCH(int, result);
        QFETCH(bool, writesDefault);
        const QByteArray ini =
            database.isNull() ? QByteArray() : "[SYSTEM]\r\nDatabase=" + database.toUtf8() + "\r\n";
        if (!ini.isNull())
            testsupport::writeBytes(iniPath(), ini);
        if (!sampleAs.isEmpty())
            testsupport::copySampleDatabase(m_dir->path(), sampleAs);
        if (database == u"other.mdb")
            testsupport::writeBytes(path(database), "Standard Jet DB\0 not really"_ba);
        storage::SettingsFile settings(iniPath());
        storage::setCurrentSettingsFile(&settings);
        const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::Files);

        QCOMPARE(modMain::intOpenDatabase(folder()), qint16(result));
        QCOMPARE(storage::cnDatabase().isOpen(), result == 0);
        if (result == 0)
            QCOMPARE(QFileInfo(QString::fromUtf8(
                                   sqlite3_db_filename(storage::cnDatabase().handle(), "main")))
                         .fileName(),
                     sampleAs);
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
    // Any two processes that would share one settings file exclude each other, whatever their
    // runtime folder, temporary folder or user; another folder is free. A lock held by a killed
    // process is gone with it.
    void oneCopyPerSettingsFile_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same folder spelled differently") << u"a/../a/bin/"_s << u""_s << u"held"_s;
        QTest::newRow("same folder through a link") << u"link"_s << u""_s << u"held"_s;
        QTest::newRow("other runtime and temporary folders") << u"a/bin"_s << u"env"_s << u"held"_s;
        QTest::newRow("another user") << u"a/bin"_s << u"nobody"_s << u"held"_s;
        QTest::newRow("another folder") << u"b/bin"_s << u""_s << u"acquired"_s;
        QTest::newRow("holder killed") << u"a/bin"_s << u"killed"_s << u"acquired"_s;
    }
    void oneCopyPerSettingsFile() {
        QFETCH(QString, second);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        const QDir root(m_folders.path());
        const QString first = root.filePath(u"a/bin/zelnoa.ini"_s);
        const QString other = root.filePath(second + u"/zelnoa.ini"_s);
        if (how == u"nobody"_s) {
            if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty() || geteuid() != 0)
                QSKIP("another user needs setpriv and root");
            QVERIFY(QFile::setPermissions(root.filePath(second),
                                          QFile::permissions(root.filePath(second)) |
                                              QFile::ReadOther | QFile::ExeOther));
        }
        if (how == u"killed"_s) {
            QProcess holder;
            QCOMPARE(holdLock(holder, first), u"acquired"_s);
            SingleInstance whileHeld;
            QCOMPARE(whileHeld.acquire(other), State::RunningElsewhere);
            holder.kill();
            holder.waitForFinished();
            SingleInstance afterwards;
            QCOMPARE(afterwards.acquire(other), State::Acquired);
            return;
        }
        SingleInstance holder;
        QCOMPARE(holder.acquire(first), State::Acquired);
        QProcess child;
        QCOMPARE(holdLock(child, other, how), expected);
        child.kill();
        child.waitForFinished();
    }
    // Without any lock (a folder this user can neither read nor write into) the start must not
    // go ahead unguarded.
    void noLockAtAll() {
        if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty() || geteuid() != 0)
            QSKIP("an unprivileged user needs setpriv and root");
        const QString closed = QDir(m_folders.path()).filePath(u"closed"_s);
        QVERIFY(QDir().mkpath(closed));
        QVERIFY(QFile::setPermissions(closed, QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther |
                                                  QFile::ReadOwner | QFile::WriteOwner));
        QProcess child;
        QCOMPARE(holdLock(child, closed + u"/zelnoa.ini"_s, u"nobody"_s), u"unavailable"_s);
        child.waitForFinished();
    }
    void shutdown_data() {
        QTest::addColumn<bool>("profileChanged");
        QTest::addColumn<bool>("enchantChanged");
        QTest::addColumn<bool>("closeFails");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("profiles changed") << true << false << false << false << QStringList();
        QTest::newRow("bonus sets changed") << false << true << false << false << QStringList();
        QTest::newRow("close fails, lists still saved")
            << true << true << true << false << QStringList{CloseFailed};
        QTest::newRow("close and save fail")
            << false << true << true << true << QStringList{CloseFailed, SaveFailed};
        // Writes that would fail show nothing: unchanged lists are not written.
        QTest::newRow("nothing changed") << false << false << false << true << QStringList();
    }
    void shutdown() {
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
        TestFileSystem fileSystem;
        storage::SettingsFile settings(iniPath(), fileSystem);
        storage::setCurrentSettingsFile(&settings);
        QCOMPARE(modMain::intOpenDatabase(folder()), qint16(0));
        RowListModel profiles;
        RowListModel enchants;
        sideLists::setProfileList(profiles, enchants);
        // Both lists differ from the file; only the change flags decide what is written.
        profiles.remove(0);
        enchants.append(ListRow{u"d"_s, {}, {}, {}, {}});
        // A statement the connection does not know of keeps SQLite from closing.
        sqlite3_stmt* stray = nullptr;
        if (closeFails)
            sqlite3_prepare_v2(storage::cnDatabase().handle(), "SELECT 1", -1, &stray, nullptr);
        const auto finalize = qScopeGuard([stray] { sqlite3_finalize(stray); });
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
    void loadingWindowRunsItsJobWhileShown_data() {
        QTest::addColumn<int>("mode"); // 0 weapon list, 2 shutdown, -1 no job
        QTest::addColumn<bool>("owned");
        QTest::newRow("weapon list, owned") << 0 << true;
        QTest::newRow("shutdown, unowned") << 2 << false;
        QTest::newRow("no job") << -1 << true;
    }
    void loadingWindowRunsItsJobWhileShown() {
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

        wait.exec();
        QVERIFY(!wait.isVisible());
        if (mode < 0)
            return;
        QCOMPARE(runs, 1);
        QVERIFY(labelShown);
        const QPoint expected =
            owned ? owner.frameGeometry().center()
                  : QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((centre - expected).manhattanLength() < 40);
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && qstrcmp(argv[1], kHoldLock) == 0)
        return holdLockChild(argv[2]);
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_startup.moc"
