// Saving the settings file when the disk refuses: every step of the replacement failing through
// the file-system seam, a file made read-only, then for real as an unprivileged user in a
// read-only folder, over another user's file and on a full disk. Whatever fails, the old file
// stays byte for byte, nothing is left beside it, the whole file as the save would have left it
// is in a rescue copy, nothing of the failed save is read back, and the user is told where the
// changes went, both at shutdown and when a plan is saved.
//
// The real cases run this executable again (--child) under setpriv or in a private mount
// namespace with a small tmpfs; the child saves and prints what it saw, the parent judges.

#include "catalogue/frmBuki.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Cp932.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;
using testsupport::readBytes;

namespace {

const QString kIni = u"zelnoa.ini"_s;

// A hand-edited file: a comment, mixed line endings, a key the program never writes.
const QByteArray kOldFile = storage::cp932Encode(
    u"; 手で書いた注記\r\n[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\nEnchantCount=1\r\n"
    "[PROFILE1]\r\nName=ゾロ\r\nStr=120\r\n[ENCHANT1]\r\nName=強化～\r\nAttack=手書き\r\n"
    "[WEAPON1]\r\nCount=1\r\nName1=A式\r\nSpec1=s1\r\nDate1=d1\r\nData1=23 101.\r\n"_s);

enum class Fault { ReadOnly, Unwritable, Create, ShortWrite, DiskFull, Mode, Flush, Close, Rename };
enum class Save { Shutdown, Plan };

// The real file system with one step of the replacement failing once, as the system call would;
// the rescue copy written after it then goes through.
class StepFailingFileSystem : public storage::FileSystem {
public:
    explicit StepFailingFileSystem(Fault fault)
        : m_fault(fault) {}

    bool canWrite(const QByteArray& path) override {
        return !refuse(Fault::Unwritable, EACCES) && FileSystem::canWrite(path);
    }
    int createNew(const QByteArray& path, mode_t mode) override {
        return refuse(Fault::Create, EACCES) ? -1 : FileSystem::createNew(path, mode);
    }
    qint64 write(int fd, const char* data, qint64 size) override {
        // A short write: part of the bytes reach the disk, then it is full.
        if (m_fault == Fault::ShortWrite && !m_partWritten && size > 1)
            return (m_partWritten = true, FileSystem::write(fd, data, size / 3));
        if (refuse(Fault::ShortWrite, ENOSPC) || refuse(Fault::DiskFull, ENOSPC))
            return -1;
        return FileSystem::write(fd, data, size);
    }
    bool setMode(int fd, mode_t mode) override {
        return !refuse(Fault::Mode, EPERM) && FileSystem::setMode(fd, mode);
    }
    bool sync(int fd) override { return !refuse(Fault::Flush, EIO) && FileSystem::sync(fd); }
    bool close(int fd) override { return FileSystem::close(fd) && !refuse(Fault::Close, EIO); }
    bool rename(const QByteArray& from, const QByteArray& to) override {
        return !refuse(Fault::Rename, EACCES) && FileSystem::rename(from, to);
    }

private:
    bool refuse(Fault fault, int error) {
        if (m_fault != fault || m_refused)
            return false;
        m_refused = true;
        errno = error;
        return true;
    }
    Fault m_fault;
    bool m_partWritten = false;
    bool m_refused = false;
};

// One save the way the user causes it: the catalogue's shutdown after a profile was registered
// (Str 121), or a new plan saved for weapon 1. Returns the messages shown.
QStringList save(Save what, storage::SettingsFile& settings) {
    testsupport::RecordingMessageBoxes boxes;
    storage::Connection database;
    if (what == Save::Shutdown) {
        frmBuki::Dialogs dialogs = frmBuki::realDialogs();
        dialogs.profileReg = [](QWidget*, storage::Connection&) {
            return std::optional(Profile{u"新"_s, u"121"_s, {}, {}, {}, {}, {}, {}});
        };
        frmBuki window({database, settings}, dialogs);
        window.findChild<QPushButton*>(u"cmdReg"_s)->click();
        // Closing the window ends the run's event loop, as at a real shutdown.
        QTimer::singleShot(0, &window, &QWidget::close);
        QCoreApplication::exec();
    } else {
        testsupport::whenModal([] {
            QApplication::activeModalWidget()->findChild<QPushButton*>(u"cmdOK"_s)->click();
        });
        frmSaveDialog::intFormStartSave(nullptr, settings, 1, u"23 101.102."_s, u"10～23"_s,
                                        u"45"_s);
    }
    return boxes.texts();
}

// What the user was told, whether the file stayed as it was, what is left beside it, what the
// rescue copy holds (values each save changes and one it never writes) and what is read now.
QString outcome(Save what, const QString& dir, storage::FileSystem& fileSystem) {
    storage::SettingsFile settings(QDir(dir).filePath(kIni), fileSystem);
    QString told = save(what, settings).join(u"; "_s);
    const QDir rescued(qEnvironmentVariable("XDG_DATA_HOME") + u"/zelnoa/rescued"_s);
    const QStringList copies = rescued.entryList(QDir::Files);
    storage::SettingsFile copy(copies.size() == 1 ? rescued.filePath(copies.first()) : QString());
    if (!copy.path().isEmpty())
        told.replace(copy.path(), u"<copy>"_s);
    QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    left.removeAll(u"filler"_s);
    return u"%1 / %2 / %3 / %4 %5 %6 / now %7 %8"_s.arg(
        told, readBytes(settings.path()) == kOldFile ? u"unchanged"_s : u"changed"_s,
        left.join(u' '), copy.value(u"PROFILE1"_s, u"Str"_s), copy.value(u"WEAPON1"_s, u"Count"_s),
        copy.value(u"ENCHANT1"_s, u"Attack"_s), settings.value(u"PROFILE1"_s, u"Str"_s),
        settings.value(u"WEAPON1"_s, u"Count"_s));
}

QString expected(Save what) {
    return u"設定ファイルの保存に失敗しました。\n変更内容は次のファイルに保存しました：<copy> / "
           "unchanged / zelnoa.ini / %1 手書き / now 120 1"_s.arg(
               what == Save::Shutdown ? u"121 1"_s : u"120 2"_s);
}

// The child's half of a real fault; on a full disk it first fills the file system of dir.
int runChild(Save what, const QString& dir, bool full) {
    QFile filler(QDir(dir).filePath(u"filler"_s));
    if (full) {
        testsupport::writeBytes(QDir(dir).filePath(kIni), kOldFile);
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return 2;
        while (filler.write(QByteArray(4096, 'x')) == 4096) {
        }
        // The last bytes of a page that a block no longer fitted in.
        while (filler.write("x", 1) == 1) {
        }
    }
    std::printf("%s\n", qPrintable(outcome(what, dir, storage::systemFileSystem())));
    return 0;
}

} // namespace

class TestSettingsFaults : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_dataHome;
    QString m_path;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(kIni);
        testsupport::writeBytes(m_path, kOldFile);
        // Any user may keep a rescue copy there, the unprivileged one of the real cases too.
        m_dataHome = std::make_unique<QTemporaryDir>();
        QFile::setPermissions(m_dataHome->path(), QFileDevice::Permissions(0x7777));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome->path()));
    }

    void everyStepFailing_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Save>("what");
        QTest::newRow("shutdown, file made read-only") << Fault::ReadOnly << Save::Shutdown;
        QTest::newRow("shutdown, file not writable") << Fault::Unwritable << Save::Shutdown;
        QTest::newRow("plan, temporary file refused") << Fault::Create << Save::Plan;
        QTest::newRow("shutdown, short write") << Fault::ShortWrite << Save::Shutdown;
        QTest::newRow("plan, disk full") << Fault::DiskFull << Save::Plan;
        QTest::newRow("shutdown, permissions refused") << Fault::Mode << Save::Shutdown;
        QTest::newRow("plan, flush failed") << Fault::Flush << Save::Plan;
        QTest::newRow("shutdown, close failed") << Fault::Close << Save::Shutdown;
        QTest::newRow("plan, rename refused") << Fault::Rename << Save::Plan;
    }
    void everyStepFailing() {
        QFETCH(Fault, fault);
        QFETCH(Save, what);
        // A file the user made read-only in a writable folder stays as it is, even for root.
        if (fault == Fault::ReadOnly)
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        StepFailingFileSystem fileSystem(fault);
        QCOMPARE(outcome(what, m_dir->path(), fileSystem), expected(what));
    }

    void realFaults_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<Save>("what");
        QTest::newRow("read-only folder, shutdown") << u"read-only folder"_s << Save::Shutdown;
        QTest::newRow("another user's file, plan") << u"another user's file"_s << Save::Plan;
        QTest::newRow("full disk, shutdown") << u"full disk"_s << Save::Shutdown;
    }
    void realFaults() {
        QFETCH(QString, place);
        QFETCH(Save, what);
        if (geteuid() != 0)
            QSKIP("another user and a file system of its own need root");
        const QStringList child = {QCoreApplication::applicationFilePath(), u"--child"_s,
                                   what == Save::Plan ? u"plan"_s : u"shutdown"_s, m_dir->path()};
        QProcess process;
        if (place == u"full disk"_s) {
            // A private mount namespace: the small file system vanishes with the child.
            process.start(u"unshare"_s, QStringList{u"--mount"_s, u"--propagation"_s, u"private"_s,
                                                    u"sh"_s, u"-c"_s,
                                                    u"mount -t tmpfs -o size=256k zelnoa \"$3\" && "
                                                    "exec \"$0\" \"$@\" full"_s} +
                                            child);
        } else {
            // An unprivileged user may read the folder but not write it, or write it but not the
            // file, which replacing it would make that user's.
            const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                              QFile::ReadOther | QFile::ExeOther;
            QFile::setPermissions(m_dir->path(),
                                  place == u"read-only folder"_s ? open : open | QFile::WriteOther);
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
            process.start(u"setpriv"_s,
                          QStringList{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s} +
                              child);
        }
        QVERIFY(process.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 qPrintable(output + QString::fromLocal8Bit(process.readAllStandardError())));
        QCOMPARE(output, expected(what) + u'\n');
        QCOMPARE(readBytes(m_path), kOldFile);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(qstrcmp(argv[2], "plan") == 0 ? Save::Plan : Save::Shutdown,
                        QString::fromLocal8Bit(argv[3]), argc == 5);
    TestSettingsFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings_faults.moc"
