// The settings file on disk: atomic replacement failing at every step, the in-memory copy and
// when it is read again, batches, and modCommon's routines on top.

#include "storage/AtomicFile.h"
#include "storage/Cp932.h"
#include "storage/SettingsFile.h"
#include "storage/modCommon.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;
using storage::SettingsFile;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

enum class Stage { None, CreateTemp, Write, Sync, Close, Rename };

// The real file system, with reads and replacements counted and one step made to fail on demand.
class FaultyFileSystem : public storage::FileSystem {
public:
    Stage failAt = Stage::None;
    bool readFails = false;
    int reads = 0;
    int stamps = 0;
    int renames = 0;

    storage::FileStamp stamp(const QByteArray& path) override {
        ++stamps;
        return FileSystem::stamp(path);
    }
    storage::ReadResult read(const QByteArray& path, QByteArray& bytes,
                             storage::FileStamp& stamp) override {
        ++reads;
        if (readFails) {
            errno = EIO;
            return storage::ReadResult::Failed;
        }
        return FileSystem::read(path, bytes, stamp);
    }
    int createNew(const QByteArray& path) override {
        return fail(Stage::CreateTemp, EACCES) ? -1 : FileSystem::createNew(path);
    }
    // A short write: half of the bytes reach the temporary file, then the disk is full.
    qint64 write(int fd, const char* data, qint64 size) override {
        if (failAt != Stage::Write)
            return FileSystem::write(fd, data, size);
        if (!m_shortWritten && size > 1) {
            m_shortWritten = true;
            return FileSystem::write(fd, data, size / 2);
        }
        errno = ENOSPC;
        return -1;
    }
    bool sync(int fd) override { return !fail(Stage::Sync, EIO) && FileSystem::sync(fd); }
    bool close(int fd) override { return FileSystem::close(fd) && !fail(Stage::Close, EIO); }
    bool rename(const QByteArray& from, const QByteArray& to) override {
        if (fail(Stage::Rename, EXDEV))
            return false;
        ++renames;
        return FileSystem::rename(from, to);
    }

private:
    bool fail(Stage stage, int error) {
        if (failAt != stage)
            return false;
        errno = error;
        return true;
    }
    bool m_shortWritten = false;
};

const QByteArray OldFile("; kept\r\n[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\n");

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    QStringList folderEntries() const {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"zelnoa.ini"_s);
    }
    void cleanup() { storage::setCurrentSettingsFile(nullptr); }

    void replaceFailsCleanly_data() {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<bool>("existing");
        for (const auto& [name, stage] : {std::pair{"create temp", Stage::CreateTemp},
                                          {"short write", Stage::Write},
                                          {"sync", Stage::Sync},
                                          {"close", Stage::Close},
                                          {"rename", Stage::Rename}}) {
            QTest::addRow("%s, old file", name) << stage << true;
            QTest::addRow("%s, no file yet", name) << stage << false;
        }
    }
    void replaceFailsCleanly() {
        QFETCH(Stage, stage);
        QFETCH(bool, existing);
        if (existing)
            writeBytes(m_path, OldFile);
        FaultyFileSystem fileSystem;
        fileSystem.failAt = stage;
        QVERIFY(!storage::replaceFile(m_path, QByteArray(10000, 'x'), fileSystem));
        QCOMPARE(folderEntries(), existing ? QStringList{u"zelnoa.ini"_s} : QStringList{});
        if (existing)
            QCOMPARE(readBytes(m_path), OldFile);
    }

    void replaceKeepsPermissionsAndLinks() {
        const QString real = m_dir->filePath(u"real.ini"_s);
        writeBytes(real, OldFile);
        QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(QFile::link(real, m_path));
        QVERIFY(storage::replaceFile(m_path, "new"));
        QVERIFY(QFileInfo(m_path).isSymLink());
        QCOMPARE(readBytes(real), QByteArray("new"));
        const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFile::permissions(real) & everyone,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(!storage::replaceFile(m_dir->filePath(u"missing/zelnoa.ini"_s), "new"));
    }

    void readsComeFromMemory() {
        writeBytes(m_path, OldFile);
        FaultyFileSystem fileSystem;
        SettingsFile file(m_path, fileSystem);
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(file.value(u"system"_s, u"COUNT"_s), u"1"_s);
        QCOMPARE(fileSystem.reads, 1);
        QVERIFY(fileSystem.stamps < 100);
    }

    void outsideChangesAreSeen() {
        writeBytes(m_path, OldFile);
        FaultyFileSystem fileSystem;
        SettingsFile file(m_path, fileSystem, std::chrono::milliseconds(0));
        QCOMPARE(file.value(u"SYSTEM"_s, u"Count"_s), u"1"_s);
        QCOMPARE(file.value(u"SYSTEM"_s, u"Count"_s), u"1"_s);
        QCOMPARE(fileSystem.reads, 1);

        // Same size: only the modification time tells.
        QByteArray changed = OldFile;
        changed.replace("Count=1", "Count=2");
        const QDateTime modified = QFileInfo(m_path).lastModified();
        writeBytes(m_path, changed);
        QFile touched(m_path);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(modified.addSecs(1), QFileDevice::FileModificationTime));
        touched.close();
        QCOMPARE(file.value(u"SYSTEM"_s, u"Count"_s), u"2"_s);
        writeBytes(m_path, "[SYSTEM]\nCount=30\n");
        QCOMPARE(file.value(u"SYSTEM"_s, u"Count"_s), u"30"_s);
        QCOMPARE(fileSystem.reads, 3);
    }

    // Reads may use the copy for a moment after an outside change; a write never does.
    void writeKeepsAnOutsideChange() {
        writeBytes(m_path, OldFile);
        SettingsFile file(m_path, storage::systemFileSystem(), std::chrono::hours(1));
        QCOMPARE(file.value(u"SYSTEM"_s, u"Count"_s), u"1"_s);
        writeBytes(m_path, "[SYSTEM]\r\nCount=7\r\n");
        QVERIFY(file.setValue(u"SYSTEM"_s, u"Database"_s, u"a.mdb"_s));
        QCOMPARE(readBytes(m_path), QByteArray("[SYSTEM]\r\nCount=7\r\nDatabase=a.mdb\r\n"));
    }

    void writesInShiftJis() {
        SettingsFile file(m_path);
        QVERIFY(file.setValue(u"SYSTEM"_s, u"Database"_s, u"vaelbuki.mdb"_s));
        QVERIFY(file.setValue(u"PROFILE1"_s, u"Name"_s, u"ゾロ～"_s));
        QCOMPARE(readBytes(m_path),
                 QByteArray("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n[PROFILE1]\r\nName=\x83\x5D\x83"
                            "\x8D\x81\x60\r\n"));
        QCOMPARE(SettingsFile(m_path).value(u"profile1"_s, u"name"_s), u"ゾロ～"_s);
        QCOMPARE(folderEntries(), QStringList{u"zelnoa.ini"_s});
    }

    void longValuesComeBackCut() {
        SettingsFile file(m_path);
        QVERIFY(file.setValue(u"S"_s, u"A"_s, QString(300, u'a')));
        QVERIFY(file.setValue(u"S"_s, u"B"_s, u"a"_s + QString(200, u'ゾ')));
        QVERIFY(readBytes(m_path).contains(QByteArray(300, 'a')));
        QCOMPARE(file.value(u"S"_s, u"A"_s), QString(254, u'a'));
        QCOMPARE(file.value(u"S"_s, u"B"_s), u"a"_s + QString(126, u'ゾ'));
    }

    void batchIsOneReplacement() {
        writeBytes(m_path, OldFile);
        FaultyFileSystem fileSystem;
        SettingsFile file(m_path, fileSystem);
        file.beginBatch();
        file.beginBatch();
        for (int n = 1; n <= 50; ++n)
            QVERIFY(file.setValue(u"PROFILE%1"_s.arg(n), u"Name"_s, u"名前%1"_s.arg(n)));
        QVERIFY(file.commitBatch());
        QCOMPARE(file.value(u"PROFILE50"_s, u"Name"_s), u"名前50"_s);
        QCOMPARE(readBytes(m_path), OldFile);
        QVERIFY(file.commitBatch());
        QCOMPARE(fileSystem.renames, 1);
        QCOMPARE(SettingsFile(m_path).value(u"PROFILE50"_s, u"Name"_s), u"名前50"_s);
        QVERIFY(readBytes(m_path).startsWith(OldFile));
    }

    // Whatever did not reach the disk must not be read back, nor reach it with a later write.
    void failedOrDroppedWritesLeaveNoPhantom_data() {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<bool>("batch");
        QTest::addColumn<bool>("discard");
        QTest::newRow("single write, rename fails") << Stage::Rename << false << false;
        QTest::newRow("batch, sync fails") << Stage::Sync << true << false;
        QTest::newRow("batch discarded") << Stage::None << true << true;
    }
    void failedOrDroppedWritesLeaveNoPhantom() {
        QFETCH(Stage, stage);
        QFETCH(bool, batch);
        QFETCH(bool, discard);
        writeBytes(m_path, OldFile);
        FaultyFileSystem fileSystem;
        fileSystem.failAt = stage;
        SettingsFile file(m_path, fileSystem);
        if (batch) {
            file.beginBatch();
            QVERIFY(file.setValue(u"SYSTEM"_s, u"Count"_s, u"9"_s));
            QVERIFY(file.setValue(u"PROFILE1"_s, u"Name"_s, u"phantom"_s));
            if (discard)
                file.discardBatch();
            else
                QVERIFY(!file.commitBatch());
        } else {
            QVERIFY(!file.setValue(u"SYSTEM"_s, u"Count"_s, u"9"_s));
        }
        QCOMPARE(readBytes(m_path), OldFile);
        QCOMPARE(file.value(u"SYSTEM"_s, u"Count"_s), u"1"_s);
        QCOMPARE(file.value(u"PROFILE1"_s, u"Name"_s), QString());

        fileSystem.failAt = Stage::None;
        QVERIFY(file.setValue(u"SYSTEM"_s, u"Database"_s, u"other.mdb"_s));
        QByteArray expected = OldFile;
        QCOMPARE(readBytes(m_path), expected.replace("vaelbuki.mdb", "other.mdb"));
    }

    void unreadableFileIsNeverReplaced() {
        writeBytes(m_path, OldFile);
        FaultyFileSystem fileSystem;
        fileSystem.readFails = true;
        SettingsFile file(m_path, fileSystem);
        QCOMPARE(file.value(u"SYSTEM"_s, u"Count"_s), QString());
        QVERIFY(!file.setValue(u"SYSTEM"_s, u"Count"_s, u"2"_s));
        file.beginBatch();
        file.setValue(u"SYSTEM"_s, u"Count"_s, u"2"_s);
        QVERIFY(!file.commitBatch());
        QCOMPARE(readBytes(m_path), OldFile);
    }

    void modCommonSettings() {
        QCOMPARE(modCommon::strGetIni(u"SYSTEM"_s, u"Count"_s), QString());
        QVERIFY(!modCommon::setIni(u"SYSTEM"_s, u"Count"_s, u"1"_s));
        QVERIFY(!modCommon::IniBatch().commit());

        FaultyFileSystem fileSystem;
        SettingsFile file(m_path, fileSystem);
        storage::setCurrentSettingsFile(&file);
        QVERIFY(modCommon::setIni(u"SYSTEM"_s, u"Count"_s, u"1"_s));
        QCOMPARE(modCommon::strGetIni(u"SYSTEM"_s, u"Count"_s), u"1"_s);
        {
            modCommon::IniBatch dropped;
            modCommon::setIni(u"SYSTEM"_s, u"Count"_s, u"5"_s);
        }
        QCOMPARE(modCommon::strGetIni(u"SYSTEM"_s, u"Count"_s), u"1"_s);
        modCommon::IniBatch batch;
        modCommon::setIni(u"SYSTEM"_s, u"Count"_s, u"2"_s);
        modCommon::setIni(u"SYSTEM"_s, u"EnchantCount"_s, u"0"_s);
        QVERIFY(batch.commit());
        QCOMPARE(fileSystem.renames, 2);
        QCOMPARE(readBytes(m_path), QByteArray("[SYSTEM]\r\nCount=2\r\nEnchantCount=0\r\n"));
    }

    void smallRoutines() {
        QCOMPARE(modCommon::strSigned(0), u"+0"_s);
        QCOMPARE(modCommon::strSigned(7), u"+7"_s);
        QCOMPARE(modCommon::strSigned(-3), u"-3"_s);
        QString text = u"ダメージ"_s;
        QCOMPARE(modCommon::strIfNonZero(text, 2), u"ダメージ"_s);
        QCOMPARE(modCommon::strIfNonZero(text, 0), QString());
        QCOMPARE(text, QString());
        QCOMPARE(modCommon::strFontColor(0), u"<Font Color=\"#555a88\">"_s);
        QCOMPARE(modCommon::strFontColor(-1), u"<Font Color=\"#885555\">"_s);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
