// The settings file: its Shift_JIS (code page 932) text, how files written on Windows read and
// that a write changes only the one line it must; on disk, atomic replacement failing at every
// step, the in-memory copy and when it is read again, batches, and modCommon's routines on top.

#include "storage/AtomicFile.h"
#include "storage/Cp932.h"
#include "storage/PrivateProfile.h"
#include "storage/SettingsFile.h"
#include "storage/modCommon.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;
using storage::PrivateProfile;
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
    int reads = 0, stamps = 0, renames = 0;

    storage::FileStamp stamp(const QByteArray& path) override {
        ++stamps;
        return FileSystem::stamp(path);
    }
    storage::ReadResult read(const QByteArray& path, QByteArray& bytes,
                             storage::FileStamp& stamp) override {
        ++reads;
        if (readFails)
            errno = EIO;
        return readFails ? storage::ReadResult::Failed : FileSystem::read(path, bytes, stamp);
    }
    int createNew(const QByteArray& path) override {
        return fail(Stage::CreateTemp, EACCES) ? -1 : FileSystem::createNew(path);
    }
    // A short write: half of the bytes reach the temporary file, then the disk is full.
    qint64 write(int fd, const char* data, qint64 size) override {
        if (failAt != Stage::Write)
            return FileSystem::write(fd, data, size);
        if (m_shortWritten || size <= 1) {
            errno = ENOSPC;
            return -1;
        }
        m_shortWritten = true;
        return FileSystem::write(fd, data, size / 2);
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
        if (failAt == stage)
            errno = error;
        return failAt == stage;
    }
    bool m_shortWritten = false;
};

const QByteArray OldFile("; kept\r\n[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\n");
const QString Sys = u"SYSTEM"_s, Count = u"Count"_s;

QByteArray sjis(const QString& text) {
    return storage::cp932Encode(text);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<FaultyFileSystem> m_fs;

    QStringList folderEntries() const {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"zelnoa.ini"_s);
        m_fs = std::make_unique<FaultyFileSystem>();
    }
    void cleanup() { storage::setCurrentSettingsFile(nullptr); }

    void cp932RoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("full-width tilde") << u"～"_s << QByteArray("\x81\x60");
        QTest::newRow("second byte is ]") << u"ゾ"_s << QByteArray("\x83\x5D");
        QTest::newRow("second byte is [")
            << u"ゼルノア"_s << QByteArray("\x83\x5B\x83\x8B\x83\x6D\x83\x41");
        QTest::newRow("ascii") << u"a=b\\~"_s << QByteArray("a=b\\~");
    }
    void cp932RoundTrip() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(storage::cp932Encode(text), bytes);
        QCOMPARE(storage::cp932Decode(bytes), text);
        QVERIFY(storage::cp932CanEncode(text));
    }

    void cp932Refuses() {
        QVERIFY(!storage::cp932CanEncode(u"😀"_s));
        QVERIFY(!storage::cp932CanEncode(u"한"_s));
        // The wave dash would come back as the full-width tilde.
        QVERIFY(!storage::cp932CanEncode(u"〜"_s));
        QCOMPARE(storage::cp932Encode(u"a😀b"_s), QByteArray("a?b"));
    }

    void cp932DecodesBadBytes() {
        const QString replaced(QChar::ReplacementCharacter);
        QCOMPARE(storage::cp932Decode("\x81"), replaced);
        QCOMPARE(storage::cp932Decode("\x80z"), replaced + u"z"_s);
        QCOMPARE(storage::cp932Decode("\xFF\x81\x60"), replaced + u"～"_s);
    }

    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QByteArray& file, const QString& section,
                            const QString& key, const QString& expected) {
            QTest::newRow(name) << file << section << key << expected;
        };
        const QByteArray twice("[S]\r\nA=1\r\na=2\r\n[T]\r\nA=3\r\n[s]\r\nA=4\r\nB=5\r\n");
        row("case ignored", "[system]\r\ndataBase=a.mdb\r\n", u"SYSTEM"_s, u"Database"_s,
            u"a.mdb"_s);
        row("first key wins", twice, u"S"_s, u"A"_s, u"1"_s);
        row("only first section searched", twice, u"S"_s, u"B"_s, {});
        row("blanks around", " \t[ S\v]\r\n \vA \t=  x y \t\r\n", u"S"_s, u"A"_s, u"x y"_s);
        row("no equals is no key", "[S]\r\nA\r\n", u"S"_s, u"A"_s, {});
        row("equals inside value", "[S]\r\nA=b=c\r\n", u"S"_s, u"A"_s, u"b=c"_s);
        row("quotes kept", "[S]\r\nA=\"q\"\r\n", u"S"_s, u"A"_s, u"\"q\""_s);
        row("rest of header ignored", "[S] x]\r\nA=1", u"S"_s, u"A"_s, u"1"_s);
        row("header without bracket", "[T]\r\n[S\r\nA=1", u"S"_s, u"A"_s, {});
        row("lines before header", "A=1\r\n[S]\r\nB=2", {}, u"A"_s, {});
        row("LF and CR endings", "[S]\nA=1\rB=2\r\nC=3", u"S"_s, u"B"_s, u"2"_s);
        row("utf-8 mark glued to line 1", "\xEF\xBB\xBF[S]\r\nA=1\r\n", u"S"_s, u"A"_s, {});
        row("] as second byte", sjis(u"[ゾ] x\r\nA=1\r\n"_s), u"ゾ"_s, u"A"_s, u"1"_s);
        row("[ as second byte", sjis(u"[ゼルノア]\r\nゼ=～\r\n"_s), u"ゼルノア"_s, u"ゼ"_s,
            u"～"_s);
        // ヂ is 0x83 0x61, ア 0x83 0x41: folding case byte by byte would make them equal.
        row("second byte never folded", sjis(u"[ア]\r\nA=1\r\n"_s), u"ヂ"_s, u"A"_s, {});
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const PrivateProfile profile(file);
        QCOMPARE(storage::cp932Decode(profile.value(sjis(section), sjis(key))), expected);
        QCOMPARE(profile.bytes(), file);
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* name, const QByteArray& before, const QString& section,
                            const QString& key, const QString& value, const QByteArray& after) {
            QTest::newRow(name) << before << section << key << value << after;
        };
        row("replace keeps spelling", "; top\n[System]\n  dataBASE = old \r\n\r\n[X]\rK=v",
            u"SYSTEM"_s, u"Database"_s, u"new"_s, "; top\n[System]\ndataBASE=new\r\n\r\n[X]\rK=v");
        row("replace in first section only", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n", u"s"_s, u"a"_s, u"3"_s,
            "[S]\r\nA=3\r\n[S]\r\nA=2\r\n");
        row("new key after last key line", "[S]\r\nA=1\r\nnote\r\nB=2\r\n\r\n; c\r\n[T]\r\nX=1\r\n",
            u"S"_s, u"C"_s, u"3"_s,
            "[S]\r\nA=1\r\nnote\r\nB=2\r\nC=3\r\n\r\n; c\r\n[T]\r\nX=1\r\n");
        row("new key in keyless section", "[S]\n\n[T]\n", u"S"_s, u"C"_s, u"3"_s,
            "[S]\nC=3\r\n\n[T]\n");
        row("new key at unterminated end", "[S]\r\nA=1", u"S"_s, u"B"_s, u"2"_s,
            "[S]\r\nA=1\r\nB=2\r\n");
        row("new section", "[S]\r\nA=1\r\n", u"T"_s, u"K"_s, u"v"_s,
            "[S]\r\nA=1\r\n[T]\r\nK=v\r\n");
        row("new section after LF", "[S]\nA=1\n", u"T"_s, u"K"_s, u"v"_s,
            "[S]\nA=1\n[T]\r\nK=v\r\n");
        row("new section at unterminated end", "[S]\r\nA=1", u"T"_s, u"K"_s, u"v"_s,
            "[S]\r\nA=1\r\n[T]\r\nK=v\r\n");
        row("new section in empty file", {}, u"PROFILE1"_s, u"Name"_s, u"ゾ"_s,
            "[PROFILE1]\r\nName=\x83\x5D\r\n");
        row("value exactly as given", "[S]\r\n", u"S"_s, u"K"_s, u" a;b \"c\" "_s,
            "[S]\r\nK= a;b \"c\" \r\n");
        row("section whose name holds ]", sjis(u"[ゾ]\r\nA=1\r\n"_s), u"ゾ"_s, u"A"_s, u"～"_s,
            "[\x83\x5D]\r\nA=\x81\x60\r\n");
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        PrivateProfile profile(before);
        QVERIFY(profile.setValue(sjis(section), sjis(key), sjis(value)));
        QCOMPARE(profile.bytes(), after);
        QCOMPARE(PrivateProfile(after).value(sjis(section), sjis(key)), sjis(value).trimmed());
    }

    void writeRefusesBrokenStructure_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("line break in value") << u"S"_s << u"K"_s << u"a\r\n[SYSTEM]"_s;
        QTest::newRow("NUL in value") << u"S"_s << u"K"_s << u"a\0b"_s;
        QTest::newRow("] in section") << u"S]"_s << u"K"_s << u"v"_s;
        QTest::newRow("= in key") << u"S"_s << u"K=x"_s << u"v"_s;
        QTest::newRow("key like a header") << u"S"_s << u"[T]"_s << u"v"_s;
        QTest::newRow("empty key") << u"S"_s << u" "_s << u"v"_s;
        QTest::newRow("empty section") << QString() << u"K"_s << u"v"_s;
    }
    void writeRefusesBrokenStructure() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before("[S]\r\nK=old\r\n");
        PrivateProfile profile(before);
        QVERIFY(!profile.setValue(sjis(section), sjis(key), sjis(value)));
        QCOMPARE(profile.bytes(), before);
    }

    // A file as Windows leaves it after years of use: comments, blank lines, odd spacing, a
    // hand-edited line with LF only, one with CR only, Japanese names.
    void windowsFileRewrittenOneLineAtATime() {
        const QString head = u"; ゼルノア\r\n[SYSTEM]\r\nDatabase = vaelbuki.mdb\r\n"_s;
        const QString tail = u"\r\n[ENCHANT1]\r\nName=ダメージ\r\nAttack=ランク9\r\n"_s;
        const QByteArray original = sjis(head +
                                         u"Count=2\nEnchantCount=0\r\r\n[PROFILE1]\r\n"
                                         "Name=ゾロ表～\r\n  Str\t= 12.5 \r\n"_s +
                                         tail);
        PrivateProfile profile(original);
        QCOMPARE(profile.value("PROFILE1", "Str"), QByteArray("12.5"));
        QCOMPARE(profile.bytes(), original);
        QVERIFY(profile.setValue("SYSTEM", "Count", "3"));
        QVERIFY(profile.setValue("PROFILE1", "Str", "13"));
        QVERIFY(profile.setValue("PROFILE1", "Int", "4"));
        QVERIFY(profile.setValue("PROFILE2", "Name", sjis(u"新しい"_s)));
        QCOMPARE(profile.bytes(),
                 sjis(head +
                      u"Count=3\r\nEnchantCount=0\r\r\n[PROFILE1]\r\nName=ゾロ表～\r\n"
                      "Str=13\r\nInt=4\r\n"_s +
                      tail + u"[PROFILE2]\r\nName=新しい\r\n"_s));
    }

    void cutValue() {
        QCOMPARE(storage::cutValue(QByteArray(300, 'a'), 254), QByteArray(254, 'a'));
        const QByteArray kana = sjis(QString(127, u'ゾ'));
        QCOMPARE(storage::cutValue(kana, 254), kana);
        const QByteArray shifted = 'a' + kana;
        QCOMPARE(storage::cutValue(shifted, 254), shifted.first(253));
        // A lone lead byte counts as one character of its own.
        QCOMPARE(storage::cutValue(QByteArray(253, 'a') + "\x83", 254),
                 QByteArray(253, 'a') + "\x83");
    }

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
        m_fs->failAt = stage;
        QVERIFY(!storage::replaceFile(m_path, QByteArray(10000, 'x'), *m_fs));
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
        // The ...User bits repeat the owner's for the running user.
        QCOMPARE(QFile::permissions(real) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(!storage::replaceFile(m_dir->filePath(u"missing/zelnoa.ini"_s), "new"));
    }

    void readsComeFromMemory() {
        writeBytes(m_path, OldFile);
        SettingsFile file(m_path, *m_fs);
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(file.value(u"system"_s, u"COUNT"_s), u"1"_s);
        QCOMPARE(m_fs->reads, 1);
        QVERIFY(m_fs->stamps < 100);
    }

    void outsideChangesAreSeen() {
        writeBytes(m_path, OldFile);
        SettingsFile file(m_path, *m_fs, std::chrono::milliseconds(0));
        QCOMPARE(file.value(Sys, Count), u"1"_s);
        QCOMPARE(file.value(Sys, Count), u"1"_s);
        QCOMPARE(m_fs->reads, 1);
        // Same size: only the modification time tells.
        const QDateTime modified = QFileInfo(m_path).lastModified();
        writeBytes(m_path, QByteArray(OldFile).replace("Count=1", "Count=2"));
        QFile touched(m_path);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(modified.addSecs(1), QFileDevice::FileModificationTime));
        touched.close();
        QCOMPARE(file.value(Sys, Count), u"2"_s);
        writeBytes(m_path, "[SYSTEM]\nCount=30\n");
        QCOMPARE(file.value(Sys, Count), u"30"_s);
        QCOMPARE(m_fs->reads, 3);
    }

    // Reads may use the copy for a moment after an outside change; a write never does.
    void writeKeepsAnOutsideChange() {
        writeBytes(m_path, OldFile);
        SettingsFile file(m_path, storage::systemFileSystem(), std::chrono::hours(1));
        QCOMPARE(file.value(Sys, Count), u"1"_s);
        writeBytes(m_path, "[SYSTEM]\r\nCount=7\r\n");
        QVERIFY(file.setValue(Sys, u"Database"_s, u"a.mdb"_s));
        QCOMPARE(readBytes(m_path), QByteArray("[SYSTEM]\r\nCount=7\r\nDatabase=a.mdb\r\n"));
    }

    void writesInShiftJis() {
        SettingsFile file(m_path);
        QVERIFY(file.setValue(Sys, u"Database"_s, u"vaelbuki.mdb"_s));
        QVERIFY(file.setValue(u"PROFILE1"_s, u"Name"_s, u"ゾロ～"_s));
        QCOMPARE(readBytes(m_path), QByteArray("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n[PROFILE1]\r\n"
                                               "Name=\x83\x5D\x83\x8D\x81\x60\r\n"));
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
        SettingsFile file(m_path, *m_fs);
        file.beginBatch();
        file.beginBatch();
        for (int n = 1; n <= 50; ++n)
            QVERIFY(file.setValue(u"PROFILE%1"_s.arg(n), u"Name"_s, u"名前%1"_s.arg(n)));
        QVERIFY(file.commitBatch());
        QCOMPARE(file.value(u"PROFILE50"_s, u"Name"_s), u"名前50"_s);
        QCOMPARE(readBytes(m_path), OldFile);
        QVERIFY(file.commitBatch());
        QCOMPARE(m_fs->renames, 1);
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
        m_fs->failAt = stage;
        SettingsFile file(m_path, *m_fs);
        if (batch) {
            file.beginBatch();
            QVERIFY(file.setValue(Sys, Count, u"9"_s));
            QVERIFY(file.setValue(u"PROFILE1"_s, u"Name"_s, u"phantom"_s));
            if (discard)
                file.discardBatch();
            else
                QVERIFY(!file.commitBatch());
        } else {
            QVERIFY(!file.setValue(Sys, Count, u"9"_s));
        }
        QCOMPARE(readBytes(m_path), OldFile);
        QCOMPARE(file.value(Sys, Count), u"1"_s);
        QCOMPARE(file.value(u"PROFILE1"_s, u"Name"_s), QString());

        m_fs->failAt = Stage::None;
        QVERIFY(file.setValue(Sys, u"Database"_s, u"other.mdb"_s));
        QCOMPARE(readBytes(m_path), QByteArray(OldFile).replace("vaelbuki.mdb", "other.mdb"));
    }

    void unreadableFileIsNeverReplaced() {
        writeBytes(m_path, OldFile);
        m_fs->readFails = true;
        SettingsFile file(m_path, *m_fs);
        QCOMPARE(file.value(Sys, Count), QString());
        QVERIFY(!file.setValue(Sys, Count, u"2"_s));
        file.beginBatch();
        file.setValue(Sys, Count, u"2"_s);
        QVERIFY(!file.commitBatch());
        QCOMPARE(readBytes(m_path), OldFile);
    }

    void modCommonSettings() {
        QCOMPARE(modCommon::strGetIni(Sys, Count), QString());
        QVERIFY(!modCommon::setIni(Sys, Count, u"1"_s));
        QVERIFY(!modCommon::IniBatch().commit());

        SettingsFile file(m_path, *m_fs);
        storage::setCurrentSettingsFile(&file);
        QVERIFY(modCommon::setIni(Sys, Count, u"1"_s));
        QCOMPARE(modCommon::strGetIni(Sys, Count), u"1"_s);
        {
            modCommon::IniBatch dropped;
            modCommon::setIni(Sys, Count, u"5"_s);
        }
        QCOMPARE(modCommon::strGetIni(Sys, Count), u"1"_s);
        modCommon::IniBatch batch;
        modCommon::setIni(Sys, Count, u"2"_s);
        modCommon::setIni(Sys, u"EnchantCount"_s, u"0"_s);
        QVERIFY(batch.commit());
        QCOMPARE(m_fs->renames, 2);
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
