// Saving the settings file when the disk refuses: every step of the replacement failing through
// the file-system seam, a file made read-only, then for real as an unprivileged user in a
// read-only folder, over another user's file and on a full disk. Whatever fails, the old file
// stays byte for byte, nothing is left beside it, the whole file as the save would have left it
// is in a rescue copy, and the user reads "設定ファイルの保存に失敗しました。", both at shutdown
// and when a plan is saved.
//
// The real cases run this executable again (--child) under setpriv or in a private mount
// namespace with a small tmpfs; the child saves and prints what it saw, the parent judges.

#include "SimulatorFakes.h"
#include "app/RowListModel.h"
#include "app/modMain.h"
#include "catalogue/SideLists.h"
#include "simulator/frmSaveDialog.h"
#include "storage/Cp932.h"
#include "storage/SettingsFile.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;
using testsupport::readBytes;

namespace {

const QString kSaveFailed = u"設定ファイルの保存に失敗しました。"_s;
const QString kIni = u"zelnoa.ini"_s;
const QString kFiller = u"filler"_s;

// A hand-edited file: a comment, mixed line endings, a hand-written key the program never
// writes. Any change to it would show.
const QByteArray kOldFile = storage::cp932Encode(
    u"; 手で書いた注記\r\n[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\nEnchantCount=1\r\n"
    "[PROFILE1]\r\nName=ゾロ\r\nStr=120\r\nInt=35\r\nDex=80\r\nWill=40\r\nLuck=12\r\n"
    "Attack=Ｆ\r\nRange=練習\r\n[ENCHANT1]\r\nName=強化～\r\nMinDamage=2\r\nAttack=手書き\r\n"
    "[WEAPON1]\r\nCount=1\r\nName1=A式\r\nSpec1=s1\r\nDate1=d1\r\nData1=23 101.\r\n"_s);

enum class Fault { NotWritable, CreateTemp, ShortWrite, DiskFull, SetMode, Flush, Close, Rename };

// The real file system with one step of the replacement failing, once, as the system call would;
// the rescue copy written after it then goes through.
class StepFailingFileSystem : public storage::FileSystem {
public:
    explicit StepFailingFileSystem(Fault fault)
        : m_fault(fault) {}

    bool canWrite(const QByteArray& path) override {
        return !refuse(Fault::NotWritable, EACCES) && FileSystem::canWrite(path);
    }
    int createNew(const QByteArray& path, mode_t mode) override {
        return refuse(Fault::CreateTemp, EACCES) ? -1 : FileSystem::createNew(path, mode);
    }
    qint64 write(int fd, const char* data, qint64 size) override {
        // A short write: part of the bytes reach the disk, then it is full.
        if (m_fault == Fault::ShortWrite && !m_partWritten && size > 1) {
            m_partWritten = true;
            return FileSystem::write(fd, data, size / 3);
        }
        if (refuse(Fault::ShortWrite, ENOSPC) || refuse(Fault::DiskFull, ENOSPC))
            return -1;
        return FileSystem::write(fd, data, size);
    }
    bool setMode(int fd, mode_t mode) override {
        return !refuse(Fault::SetMode, EPERM) && FileSystem::setMode(fd, mode);
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

enum class Save { Shutdown, Plan };
enum class Place { ReadOnlyFolder, OtherUsersFile, FullDisk };

// Runs one save the way the user causes it and returns the messages shown.
QStringList save(Save what) {
    testsupport::RecordingMessageBoxes boxes;
    if (what == Save::Shutdown) {
        // Both side lists loaded from the file and changed, as before a shutdown that saves.
        RowListModel profiles;
        RowListModel enchants;
        profiles.setColumns(sideLists::profileColumns());
        enchants.setColumns(sideLists::enchantColumns());
        sideLists::setProfileList(profiles, enchants);
        profiles.setCell(0, 1, u"121"_s);
        ListRow added;
        added.text = u"新しい強化"_s;
        enchants.append(added);
        modMain::endApp(nullptr, profiles, true, enchants, true);
    } else {
        FakeSimulator sim;
        playInDialog(u"cmdOK"_s);
        frmSaveDialog::intFormStartSave(sim, u"23 101.102."_s,
                                        u"10～23 クリティカル10 バランス50 耐久13"_s, u"45"_s);
    }
    return boxes.texts();
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The rescue copies under $XDG_DATA_HOME: for the one copy, values each save changes and one it
// never writes, so that a complete file reads "121 1 手書き" after the shutdown and "120 2 手書き"
// after the plan save.
QString rescued() {
    const QDir folder(qEnvironmentVariable("XDG_DATA_HOME") + u"/zelnoa/rescued"_s);
    const QStringList copies = folder.entryList(QDir::Files);
    if (copies.size() != 1)
        return u"%1 copies"_s.arg(copies.size());
    storage::SettingsFile copy(folder.filePath(copies.first()));
    return copy.value(u"PROFILE1"_s, u"Str"_s) + u' ' + copy.value(u"WEAPON1"_s, u"Count"_s) +
           u' ' + copy.value(u"ENCHANT1"_s, u"Attack"_s);
}

QString expectedRescue(Save what) {
    return what == Save::Shutdown ? u"121 1 手書き"_s : u"120 2 手書き"_s;
}

// Fills the file system of dir until it refuses another byte.
bool fillDisk(const QString& dir) {
    QFile filler(QDir(dir).filePath(kFiller));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    // The last bytes of a page that a block no longer fitted in.
    while (filler.write("x", 1) == 1) {
    }
    return true;
}

// The child's half of a real fault: save in dir and print what happened, one fact per line.
int runChild(const QString& scenario, const QString& dir, bool full) {
    const QString path = QDir(dir).filePath(kIni);
    if (full) {
        testsupport::writeBytes(path, kOldFile);
        if (!fillDisk(dir)) {
            std::puts("cannot fill the disk");
            return 2;
        }
    }
    storage::SettingsFile settings(path);
    storage::setCurrentSettingsFile(&settings);
    const QByteArray before = readBytes(path);
    const QStringList messages = save(scenario == u"plan"_s ? Save::Plan : Save::Shutdown);
    storage::setCurrentSettingsFile(nullptr);
    for (const QString& text : messages)
        std::printf("message: %s\n", qPrintable(text));
    std::printf("file: %s\n",
                readBytes(path) == before && before == kOldFile ? "unchanged" : "changed");
    QStringList left = filesIn(dir);
    left.removeAll(kFiller);
    std::printf("left: %s\n", qPrintable(left.join(u' ')));
    std::printf("rescued: %s\n", qPrintable(rescued()));
    return 0;
}

} // namespace

class TestSettingsFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyStepFailing_data();
    void everyStepFailing();
    void readOnlyFile_data();
    void readOnlyFile();
    void realFaults_data();
    void realFaults();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_dataHome;
    QString m_path;
};

void TestSettingsFaults::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(kIni);
    testsupport::writeBytes(m_path, kOldFile);
    // Any user may keep a rescue copy there, the unprivileged one of the real cases too.
    m_dataHome = std::make_unique<QTemporaryDir>();
    QFile::setPermissions(m_dataHome->path(), QFileDevice::Permissions(0x7777));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome->path()));
}

void TestSettingsFaults::cleanup() {
    storage::setCurrentSettingsFile(nullptr);
}

void TestSettingsFaults::everyStepFailing_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Save>("what");
    const std::pair<const char*, Fault> faults[] = {{"file not writable", Fault::NotWritable},
                                                    {"temporary file refused", Fault::CreateTemp},
                                                    {"short write", Fault::ShortWrite},
                                                    {"disk full", Fault::DiskFull},
                                                    {"permissions refused", Fault::SetMode},
                                                    {"flush failed", Fault::Flush},
                                                    {"close failed", Fault::Close},
                                                    {"rename refused", Fault::Rename}};
    for (const auto& [name, fault] : faults) {
        QTest::addRow("shutdown, %s", name) << fault << Save::Shutdown;
        QTest::addRow("plan save, %s", name) << fault << Save::Plan;
    }
}

void TestSettingsFaults::everyStepFailing() {
    QFETCH(Fault, fault);
    QFETCH(Save, what);
    StepFailingFileSystem fileSystem(fault);
    storage::SettingsFile settings(m_path, fileSystem);
    storage::setCurrentSettingsFile(&settings);

    QCOMPARE(save(what), QStringList{kSaveFailed});
    QCOMPARE(readBytes(m_path), kOldFile);
    QCOMPARE(filesIn(m_dir->path()), QStringList{kIni});
    QCOMPARE(rescued(), expectedRescue(what));

    // Nothing of the failed save lingers: the next read is the file as it is on disk.
    QCOMPARE(settings.value(u"PROFILE1"_s, u"Str"_s), u"120"_s);
    QCOMPARE(settings.value(u"SYSTEM"_s, u"EnchantCount"_s), u"1"_s);
    QCOMPARE(settings.value(u"WEAPON1"_s, u"Count"_s), u"1"_s);
}

void TestSettingsFaults::readOnlyFile_data() {
    QTest::addColumn<Save>("what");
    QTest::newRow("shutdown") << Save::Shutdown;
    QTest::newRow("plan save") << Save::Plan;
}

// A file the user made read-only in a writable folder stays as it is, even for root.
void TestSettingsFaults::readOnlyFile() {
    QFETCH(Save, what);
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(m_path, readOnly));
    storage::SettingsFile settings(m_path);
    storage::setCurrentSettingsFile(&settings);

    QCOMPARE(save(what), QStringList{kSaveFailed});
    QCOMPARE(readBytes(m_path), kOldFile);
    QVERIFY(!(QFile::permissions(m_path) & QFile::WriteOwner));
    QCOMPARE(filesIn(m_dir->path()), QStringList{kIni});
    QCOMPARE(rescued(), expectedRescue(what));
}

void TestSettingsFaults::realFaults_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<Place>("place");
    const std::pair<const char*, Place> places[] = {{"read-only folder", Place::ReadOnlyFolder},
                                                    {"another user's file", Place::OtherUsersFile},
                                                    {"full disk", Place::FullDisk}};
    for (const auto& [name, place] : places) {
        QTest::addRow("%s, shutdown", name) << u"shutdown"_s << place;
        QTest::addRow("%s, plan save", name) << u"plan"_s << place;
    }
}

void TestSettingsFaults::realFaults() {
    QFETCH(QString, scenario);
    QFETCH(Place, place);
    const QString self = QCoreApplication::applicationFilePath();
    const bool root = geteuid() == 0;
    QProcess child;
    if (place == Place::FullDisk) {
        // A private mount namespace: the small file system vanishes with the child.
        if (!root || QStandardPaths::findExecutable(u"unshare"_s).isEmpty())
            QSKIP("a full disk of its own needs root and unshare");
        QFile::remove(m_path);
        child.start(u"unshare"_s,
                    {u"--mount"_s, u"--propagation"_s, u"private"_s, u"sh"_s, u"-c"_s,
                     u"mount -t tmpfs -o size=256k zelnoa-full \"$0\" && exec \"$1\" --child "
                     "\"$2\" \"$0\" full"_s,
                     m_dir->path(), self, scenario});
    } else {
        // The folder is the user's to read but not to write, or anyone's to write while the file
        // stays its owner's: an unprivileged user sees them so. Replacing that file would make it
        // that user's.
        const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                              QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                              QFile::ExeGroup;
        QFile::setPermissions(m_dir->path(),
                              place == Place::ReadOnlyFolder
                                  ? readable
                                  : readable | QFile::WriteGroup | QFile::WriteOther);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
        QStringList command = {self, u"--child"_s, scenario, m_dir->path()};
        if (root) {
            if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
                QSKIP("an unprivileged user needs setpriv");
            command =
                QStringList{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s} + command;
            child.start(u"setpriv"_s, command);
        } else {
            if (place == Place::OtherUsersFile)
                QSKIP("another user's file needs root to make it");
            QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
            child.start(self, command.mid(1));
        }
    }
    QVERIFY(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             qPrintable(output + errors));
    QCOMPARE(output, u"message: "_s + kSaveFailed + u"\nfile: unchanged\nleft: "_s + kIni +
                         u"\nrescued: "_s +
                         expectedRescue(scenario == u"plan"_s ? Save::Plan : Save::Shutdown) +
                         u'\n');
    if (place != Place::FullDisk) {
        QCOMPARE(readBytes(m_path), kOldFile);
        QCOMPARE(filesIn(m_dir->path()), QStringList{kIni});
    }
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        argc == 5 && qstrcmp(argv[4], "full") == 0);
    TestSettingsFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings_faults.moc"
