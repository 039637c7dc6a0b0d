// Start-up and shutdown: one running program per settings file (no stale lock after a crash),
// the database named in the settings file, the loading window, and the ways a run is ended from
// outside: a signal, or a quit that first closes whatever dialog is open.

#include "app/QuitSignals.h"
#include "app/SingleInstance.h"
#include "app/modMain.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"
#include "ui/frmWait.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using State = SingleInstance::State;

namespace {

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

    QString iniPath() const { return m_dir->filePath(u"zelnoa.ini"_s); }

private slots:
    void initTestCase() {
        QDir root(m_folders.path());
        QVERIFY(root.mkpath(u"a/bin"_s) && root.mkpath(u"b/bin"_s));
        QVERIFY(QFile::link(root.filePath(u"a/bin"_s), root.filePath(u"link"_s)));
    }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // The name is read trimmed of spaces; an empty one becomes the default and is written back.
    // A failed open creates no database file (nor any other but the new settings file); an
    // Access file that cannot be converted is a failed open too.
    void openDatabase_data() {
        QTest::addColumn<QString>("database"); // the settings file's value; null: no such file
        QTest::addColumn<QString>("sampleAs");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("writesDefault"); // else the settings file stays byte for byte
        const QString sample = u"vaelbuki.mdb"_s;
        QTest::newRow("no settings file") << QString() << sample << 0 << true;
        QTest::newRow("spaces only") << u"   "_s << sample << 0 << true;
        QTest::newRow("spaced name") << u"  custom.mdb  "_s << u"custom.mdb"_s << 0 << false;
        QTest::newRow("default missing") << QString() << QString() << 1 << true;
        QTest::newRow("named file missing") << u"gone.mdb"_s << sample << 1 << false;
        QTest::newRow("Access file that fails") << u"other.mdb"_s << QString() << 1 << false;
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
            testsupport::writeBytes(m_dir->filePath(database),
                                    "\0\1\0\0Standard Jet DB\0 cut short"_ba);
        QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
        testsupport::RecordingMessageBoxes boxes;
        storage::SettingsFile settings(iniPath());
        storage::Connection db;
        ProgramPaths paths = programPaths(QCoreApplication::applicationDirPath(), u"zelnoa"_s);
        paths.settingsFile = iniPath();
        paths.databaseFolders = {m_dir->path()};
        QCOMPARE(modMain::intOpenDatabase(paths, {db, settings}), qint16(result));
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(
            db.isOpen()
                ? QFileInfo(QString::fromUtf8(sqlite3_db_filename(db.handle(), "main"))).fileName()
                : QString(),
            result == 0 ? sampleAs : QString());
        if (writesDefault)
            QCOMPARE(settings.value(u"SYSTEM"_s, u"Database"_s), u"vaelbuki.mdb"_s);
        else
            QCOMPARE(testsupport::readBytes(iniPath()), ini);
        if (ini.isNull())
            files.append(u"zelnoa.ini"_s);
        if (result == 1)
            QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), files);
    }

    // The mode the executable's folder gives, and where the settings file and the master are
    // then sought: $BIN the executable's folder, $PREFIX above it, $XDG the XDG folders' root.
    void whereFilesLive_data() {
        QTest::addColumn<QString>("holds");    // what the executable's folder holds
        QTest::addColumn<QString>("xdg");      // the XDG variables: "absolute", "relative", "unset"
        QTest::addColumn<QString>("userData"); // a master of the user's own in the data folder
        QTest::addColumn<QStringList>("expected"); // settings, master, Access copy folder
        const QStringList portable = {u"$BIN/zelnoa.ini"_s, u"$BIN/vaelbuki.mdb"_s, QString()};
        QTest::newRow("own settings") << u"zelnoa.ini"_s << u"absolute"_s << QString() << portable;
        QTest::newRow("own master") << u"vaelbuki.mdb"_s << u"absolute"_s << QString() << portable;
        QTest::newRow("installed")
            << QString() << u"absolute"_s << QString()
            << QStringList{u"$XDG/config/zelnoa/zelnoa.ini"_s,
                           u"$PREFIX/share/zelnoa/vaelbuki.mdb"_s, u"$XDG/cache/zelnoa"_s};
        const QStringList home = {u"$HOME/.config/zelnoa/zelnoa.ini"_s,
                                  u"$PREFIX/share/zelnoa/vaelbuki.mdb"_s, u"$HOME/.cache/zelnoa"_s};
        QTest::newRow("installed, no XDG") << QString() << u"unset"_s << QString() << home;
        QTest::newRow("installed, relative XDG") << QString() << u"relative"_s << QString() << home;
        QTest::newRow("installed, the user's own master")
            << QString() << u"absolute"_s << u"vaelbuki.mdb"_s
            << QStringList{u"$XDG/config/zelnoa/zelnoa.ini"_s, u"$XDG/data/zelnoa/vaelbuki.mdb"_s,
                           u"$XDG/cache/zelnoa"_s};
    }
    void whereFilesLive() {
        QFETCH(QString, holds);
        QFETCH(QString, xdg);
        QFETCH(QString, userData);
        QFETCH(QStringList, expected);
        const QDir root(m_dir->path());
        for (const char* folder : {"prefix/bin", "prefix/share/zelnoa", "xdg/data/zelnoa", "home"})
            QVERIFY(root.mkpath(QLatin1StringView(folder)));
        testsupport::writeBytes(root.filePath(u"prefix/share/zelnoa/vaelbuki.mdb"_s), "master");
        if (!holds.isEmpty())
            testsupport::writeBytes(root.filePath(u"prefix/bin/"_s + holds), "own");
        if (!userData.isEmpty())
            testsupport::writeBytes(root.filePath(u"xdg/data/zelnoa/"_s + userData), "mine");
        QProcessEnvironment env;
        env.insert(u"HOME"_s, root.filePath(u"home"_s));
        for (const QString& kind : {u"CONFIG"_s, u"DATA"_s, u"CACHE"_s}) {
            if (xdg != u"unset"_s)
                env.insert(u"XDG_"_s + kind + u"_HOME"_s,
                           (xdg == u"absolute"_s ? root.filePath(u"xdg"_s) : u"xdg"_s) + u'/' +
                               kind.toLower());
        }
        const ProgramPaths paths = programPaths(root.filePath(u"prefix/bin"_s), u"zelnoa"_s, env);
        QStringList found = {paths.settingsFile, paths.databasePath(u"vaelbuki.mdb"_s),
                             paths.cacheFolder};
        for (QString& path : found) {
            path.replace(root.filePath(u"prefix/bin"_s), u"$BIN"_s)
                .replace(root.filePath(u"prefix"_s), u"$PREFIX"_s)
                .replace(root.filePath(u"xdg"_s), u"$XDG"_s)
                .replace(root.filePath(u"home"_s), u"$HOME"_s);
        }
        QCOMPARE(found, expected);
        QCOMPARE(paths.portable, !holds.isEmpty());
        // An absolute name is used as it is, but only an installed program reads it so.
        QCOMPARE(paths.databasePath(u"/srv/master.mdb"_s),
                 paths.portable ? root.filePath(u"prefix/bin"_s) + u"//srv/master.mdb"_s
                                : u"/srv/master.mdb"_s);
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
    // The job runs once while the window is on screen, centred on its owner or, unowned, on the
    // screen; without a job the window just closes.
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
        QStringList seen;
        const auto job = [&] {
            const bool shown =
                wait.isVisible() && wait.findChild<QLabel*>(u"Label1"_s)->isVisible();
            const QPoint expected =
                owned ? owner.frameGeometry().center()
                      : QGuiApplication::primaryScreen()->availableGeometry().center();
            seen << u"shown %1, centred %2"_s.arg(shown).arg(
                (wait.frameGeometry().center() - expected).manhattanLength() < 40);
        };
        if (mode == 0)
            wait.setBukiData(job);
        else if (mode == 2)
            wait.endApp(job);
        wait.exec();
        QVERIFY(!wait.isVisible());
        QCOMPARE(wait.intWaitMode(), mode);
        QCOMPARE(seen, mode < 0 ? QStringList() : QStringList{u"shown 1, centred 1"_s});
    }

    // The handler only notes the signal; the request arrives through the event loop. The
    // handler in place before comes back afterwards.
    void quitSignals_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void quitSignals() {
        QFETCH(int, signal);
        std::signal(signal, SIG_IGN);
        {
            QuitSignals quit;
            QSignalSpy requested(&quit, &QuitSignals::quitRequested);
            QCOMPARE(std::raise(signal), 0);
            QCOMPARE(requested.count(), 0);
            QVERIFY(requested.wait(5000));
        }
        QVERIFY(std::signal(signal, SIG_DFL) == SIG_IGN);
    }

    // An open dialog ends as its close box ends it, so the plan named in the save dialog is not
    // saved; then the main window closes.
    void quitClosesDialogsFirst() {
        testsupport::writeBytes(iniPath(), "[WEAPON1]\r\nCount=0\r\n");
        storage::SettingsFile settings(iniPath());
        QWidget main;
        main.show();
        testsupport::whenModal([&main] {
            QApplication::activeModalWidget()->findChild<QLineEdit*>()->setText(u"途中"_s);
            modMain::quitInOrder(&main);
        });
        // A dialog left open would otherwise hold the test for ever.
        QTimer::singleShot(5000, &main, [] { QApplication::activeModalWidget()->close(); });
        QCOMPARE(frmSaveDialog::intFormStartSave(&main, settings, 1, u"23 101."_s, {}, {}), 1);
        QVERIFY(!main.isVisible());
        QCOMPARE(testsupport::readBytes(iniPath()), "[WEAPON1]\r\nCount=0\r\n"_ba);
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
