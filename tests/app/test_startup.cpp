// Start-up and shutdown: one running program per settings file (no stale lock after a crash),
// the database named in the settings file, and the ways a run is ended from outside: a signal,
// or a quit that first closes whatever dialog is open.

#include "app/QuitSignals.h"
#include "app/SingleInstance.h"
#include "app/modMain.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using State = SingleInstance::State;
using testsupport::addRows;

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
    // Access file that cannot be converted is a failed open too. The settings file's value ("-":
    // no such file), the name the sample is copied under, the result, and whether the default is
    // written (else the settings file stays byte for byte).
    void openDatabase_data() {
        addRows({"-|vaelbuki.mdb|0|w|no settings file", "   |vaelbuki.mdb|0|w|spaces only",
                 "  custom.mdb  |custom.mdb|0|=|spaced name", "-||1|w|default missing",
                 "gone.mdb|vaelbuki.mdb|1|=|named file missing",
                 "other.mdb||1|=|Access file that fails"});
    }
    void openDatabase() {
        QFETCH(QStringList, row);
        const QByteArray ini =
            row[0] == u"-" ? QByteArray() : "[SYSTEM]\r\nDatabase=" + row[0].toUtf8() + "\r\n";
        if (!ini.isNull())
            testsupport::writeBytes(iniPath(), ini);
        if (!row[1].isEmpty())
            testsupport::copySampleDatabase(m_dir->path(), row[1]);
        if (row[0] == u"other.mdb")
            testsupport::writeBytes(m_dir->filePath(row[0]),
                                    "\0\1\0\0Standard Jet DB\0 cut short"_ba);
        QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
        testsupport::RecordingMessageBoxes boxes;
        storage::SettingsFile settings(iniPath());
        storage::Connection db;
        ProgramPaths paths = programPaths(QCoreApplication::applicationDirPath(), u"zelnoa"_s);
        paths.settingsFile = iniPath();
        paths.databaseFolders = {m_dir->path()};
        QCOMPARE(modMain::intOpenDatabase(paths, {db, settings}), qint16(row[2].toInt()));
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(
            db.isOpen()
                ? QFileInfo(QString::fromUtf8(sqlite3_db_filename(db.handle(), "main"))).fileName()
                : QString(),
            row[2] == u"0" ? row[1] : QString());
        if (row[3] == u"w")
            QCOMPARE(settings.value(u"SYSTEM"_s, u"Database"_s), u"vaelbuki.mdb"_s);
        else
            QCOMPARE(testsupport::readBytes(iniPath()), ini);
        if (ini.isNull())
            files.append(u"zelnoa.ini"_s);
        if (row[2] == u"1")
            QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), files);
    }

    // What the executable's folder holds, the XDG variables (absolute, relative or unset) and a
    // master of the user's own in the data folder; then the settings file, the master and the
    // Access copy folder: $BIN the executable's folder, $PREFIX above it, $XDG the XDG root.
    void whereFilesLive_data() {
        addRows(
            {"zelnoa.ini|absolute||$BIN/zelnoa.ini|$BIN/vaelbuki.mdb||own settings",
             "vaelbuki.mdb|absolute||$BIN/zelnoa.ini|$BIN/vaelbuki.mdb||own master",
             "|absolute||$XDG/config/zelnoa/zelnoa.ini|$PREFIX/share/zelnoa/vaelbuki.mdb|"
             "$XDG/cache/zelnoa|installed",
             "|unset||$HOME/.config/zelnoa/zelnoa.ini|$PREFIX/share/zelnoa/vaelbuki.mdb|"
             "$HOME/.cache/zelnoa|installed, no XDG",
             "|relative||$HOME/.config/zelnoa/zelnoa.ini|$PREFIX/share/zelnoa/vaelbuki.mdb|"
             "$HOME/.cache/zelnoa|installed, relative XDG",
             "|absolute|vaelbuki.mdb|$XDG/config/zelnoa/zelnoa.ini|"
             "$XDG/data/zelnoa/vaelbuki.mdb|$XDG/cache/zelnoa|installed, the user's own master"});
    }
    void whereFilesLive() {
        QFETCH(QStringList, row);
        const QDir root(m_dir->path());
        for (const char* folder : {"prefix/bin", "prefix/share/zelnoa", "xdg/data/zelnoa", "home"})
            QVERIFY(root.mkpath(QLatin1StringView(folder)));
        testsupport::writeBytes(root.filePath(u"prefix/share/zelnoa/vaelbuki.mdb"_s), "master");
        if (!row[0].isEmpty())
            testsupport::writeBytes(root.filePath(u"prefix/bin/"_s + row[0]), "own");
        if (!row[2].isEmpty())
            testsupport::writeBytes(root.filePath(u"xdg/data/zelnoa/"_s + row[2]), "mine");
        QProcessEnvironment env;
        env.insert(u"HOME"_s, root.filePath(u"home"_s));
        for (const QString& kind : {u"CONFIG"_s, u"DATA"_s, u"CACHE"_s}) {
            if (row[1] != u"unset"_s)
                env.insert(u"XDG_"_s + kind + u"_HOME"_s,
                           (row[1] == u"absolute"_s ? root.filePath(u"xdg"_s) : u"xdg"_s) + u'/' +
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
        QCOMPARE(found, row.mid(3));
        QCOMPARE(paths.portable, !row[0].isEmpty());
        // An absolute name is used as it is, but only an installed program reads it so.
        QCOMPARE(paths.databasePath(u"/srv/master.mdb"_s),
                 paths.portable ? root.filePath(u"prefix/bin"_s) + u"//srv/master.mdb"_s
                                : u"/srv/master.mdb"_s);
    }

    // Any two processes that would share one settings file exclude each other, whatever their
    // runtime folder, temporary folder or user; another folder is free. A lock held by a killed
    // process is gone with it. Without any lock (a folder the user can neither read nor write
    // into) the start must not go ahead unguarded.
    void oneCopyPerSettingsFile_data() {
        addRows({"a/../a/bin/||held|same folder spelled differently",
                 "link||held|same folder through a link",
                 "a/bin|env|held|other runtime and temporary folders",
                 "a/bin|nobody|held|another user", "b/bin||acquired|another folder",
                 "a/bin|killed|acquired|holder killed",
                 "closed|nobody|unavailable|no lock at all"});
    }
    void oneCopyPerSettingsFile() {
        QFETCH(QStringList, row);
        const QDir root(m_folders.path());
        const QString first = root.filePath(u"a/bin/zelnoa.ini"_s);
        const QString other = root.filePath(row[0] + u"/zelnoa.ini"_s);
        if (row[1] == u"nobody"_s) {
            if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty() || geteuid() != 0)
                QSKIP("another user needs setpriv and root");
            const QString folder = root.filePath(row[0]);
            QVERIFY(root.mkpath(row[0]));
            QVERIFY(QFile::setPermissions(
                folder, row[0] == u"closed"
                            ? QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther |
                                  QFile::ReadOwner | QFile::WriteOwner
                            : QFile::permissions(folder) | QFile::ReadOther | QFile::ExeOther));
        }
        if (row[1] == u"killed"_s) {
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
        QCOMPARE(holdLock(child, other, row[1]), row[2]);
        child.kill();
        child.waitForFinished();
    }
    // The handler only notes the signal; the request arrives through the event loop. The
    // handler in place before comes back afterwards.
    void quitSignals() {
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            std::signal(signal, SIG_IGN);
            {
                QuitSignals quit;
                QSignalSpy requested(&quit, &QuitSignals::quitRequested);
                QCOMPARE(std::raise(signal), 0);
                QCOMPARE(requested.count(), 0);
                QVERIFY2(requested.wait(5000), sigabbrev_np(signal));
            }
            QVERIFY(std::signal(signal, SIG_DFL) == SIG_IGN);
        }
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
