// The settings file: its Shift_JIS text, reading and rewriting files written on Windows one line
// at a time, files saved as UTF-8, atomic replacement and its litter, the in-memory copy, batches
// and rescue copies. Every step of a replacement failing under a save is in tests/fault.

#include "storage/AtomicFile.h"
#include "storage/Cp932.h"
#include "storage/KeptCopies.h"
#include "storage/PrivateProfile.h"
#include "storage/SettingsFile.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <cerrno>
#include <memory>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using storage::PrivateProfile;
using storage::SettingsFile;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

// The real file system with reads and replacements counted and some steps made to fail.
class FaultyFileSystem : public storage::FileSystem {
public:
    bool renameFails = false, readFails = false;
    QByteArrayList refuseCreating; // no file is created whose path holds one of these
    int taken = 0;                 // so many rescue names are found taken
    int reads = 0, renames = 0;

    storage::ReadResult read(const QByteArray& path, QByteArray& bytes,
                             storage::FileStamp& stamp) override {
        ++reads;
        return readFails ? (errno = EIO, storage::ReadResult::Failed)
                         : FileSystem::read(path, bytes, stamp);
    }
    int createNew(const QByteArray& path, mode_t mode) override {
        for (const QByteArray& part : refuseCreating) {
            if (path.contains(part))
                return (errno = EACCES, -1);
        }
        if (path.contains("/rescued/") && taken > 0)
            return (--taken, errno = EEXIST, -1);
        return FileSystem::createNew(path, mode);
    }
    bool rename(const QByteArray& from, const QByteArray& to) override {
        return renameFails ? (errno = EXDEV, false) : (++renames, FileSystem::rename(from, to));
    }
};

const QByteArray OldFile("; kept\r\n[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\nCount=1\n");
const QString Sys = u"SYSTEM"_s, Count = u"Count"_s;

QByteArray sjis(const QString& text) {
    return storage::cp932Encode(text);
}

// The permission bits, without the ...User ones that repeat the owner's for the running user.
QFile::Permissions bitsOf(const QString& path) {
    return QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<FaultyFileSystem> m_fs;
    const QByteArray m_tmp = qgetenv("TMPDIR");

    QStringList folderEntries() const {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

private slots:
    // Rescue copies go to folders of the test's own.
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"zelnoa.ini"_s);
        m_fs = std::make_unique<FaultyFileSystem>();
        for (const char* place : {"XDG_DATA_HOME", "HOME", "TMPDIR"})
            qputenv(place,
                    QFile::encodeName(m_dir->filePath(QString::fromLatin1(place).toLower())));
        QDir(m_dir->path()).mkdir(u"tmpdir"_s);
    }
    // The next test's folder must not be made inside this one's.
    void cleanup() { qputenv("TMPDIR", m_tmp); }

    void cp932() {
        // "\" and "~" stay ASCII; ゼ and ゾ have "[" and "]" as second byte.
        const QByteArray bytes("a=b\\~\x83\x5B\x83\x5D\x81\x60");
        QCOMPARE(storage::cp932Encode(u"a=b\\~ゼゾ～"_s), bytes);
        QCOMPARE(storage::cp932Decode(bytes), u"a=b\\~ゼゾ～"_s);
        QVERIFY(storage::cp932CanEncode(u"a=b\\~ゼゾ～"_s));
        QVERIFY(!storage::cp932CanEncode(u"😀"_s) && !storage::cp932CanEncode(u"한"_s));
        QCOMPARE(storage::cp932Encode(u"a😀b"_s), QByteArray("a?b"));
        // What Linux input methods type for these is stored as Windows stores its look-alikes.
        QCOMPARE(storage::cp932Encode(u"〜−∥—¢£¬"_s),
                 QByteArray("\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA"));
        QVERIFY(storage::cp932CanEncode(u"〜−∥—¢£¬"_s));
        // ヂ is 0x83 0x61, ア 0x83 0x41: folding case byte by byte would make them equal.
        QVERIFY(PrivateProfile(sjis(u"[ア]\r\nA=1\r\n"_s)).value(sjis(u"ヂ"_s), "A").isNull());
        const QString bad(QChar::ReplacementCharacter);
        QCOMPARE(storage::cp932Decode("\x80z\xFF\x81\x60\x81"), bad + u"z"_s + bad + u"～"_s + bad);
    }

    // Reading section S, key A (value null) or writing a value; a null "after" means the write
    // is refused and the document stays as it was.
    void profile_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after"); // when reading: what value() gives
        const auto row = [](const char* name, const QByteArray& before, const QString& section,
                            const QString& key, const QString& value, const QByteArray& after) {
            QTest::newRow(name) << before << section << key << value << after;
        };
        const auto read = [row](const char* name, const QByteArray& file, const char* value) {
            row(name, file, u"S"_s, u"A"_s, {}, value);
        };
        read("first key wins", "[S]\r\nA=1\r\na=2\r\n", "1");
        read("only first section searched", "[S]\r\nB=1\r\n[s]\r\nA=4\r\n", "");
        read("blanks around", " \t[ S\v]\r\n \vA \t=  x y \t\r\n", "x y");
        read("no equals is no key", "[S]\r\nA\r\n", "");
        read("quotes and equals kept", "[S]\r\nA=\"b=c\"\r\n", "\"b=c\"");
        read("rest of header ignored", "[S] x]\r\nA=1", "1");
        read("header without bracket", "[T]\r\n[S\r\nA=1", "");
        read("LF and CR endings", "[S]\nB=1\rA=2\r\nC=3", "2");
        read("NUL ends the value", "[S]\r\nA=AB\0CD\r\n"_ba, "AB");
        row("replace keeps spelling", "; top\n[System]\n  dataBASE = old \r\n\r\n[X]\rK=v",
            u"SYSTEM"_s, u"Database"_s, u"new"_s, "; top\n[System]\ndataBASE=new\r\n\r\n[X]\rK=v");
        row("replace in first section only", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n", u"s"_s, u"a"_s, u"3"_s,
            "[S]\r\nA=3\r\n[S]\r\nA=2\r\n");
        row("new key after last key line", "[S]\r\nA=1\r\nnote\r\nB=2\r\n\r\n; c\r\n[T]\r\nX=1\r\n",
            u"S"_s, u"C"_s, u"3"_s,
            "[S]\r\nA=1\r\nnote\r\nB=2\r\nC=3\r\n\r\n; c\r\n[T]\r\nX=1\r\n");
        row("new section at unterminated end", "[S]\r\nA=1", u"ゾ"_s, u"K"_s, u"v"_s,
            "[S]\r\nA=1\r\n[\x83\x5D]\r\nK=v\r\n");
        row("value exactly as given", "[S]\r\n", u"S"_s, u"K"_s, u" a;b \"c\" "_s,
            "[S]\r\nK= a;b \"c\" \r\n");
        const QByteArray old("[S]\r\nK=old\r\n");
        row("refused: line break in value", old, u"S"_s, u"K"_s, u"a\r\n[SYSTEM]"_s, {});
        row("refused: NUL in value", old, u"S"_s, u"K"_s, u"a\0b"_s, {});
        row("refused: ] in section", old, u"S]"_s, u"K"_s, u"v"_s, {});
        row("refused: = in key", old, u"S"_s, u"K=x"_s, u"v"_s, {});
        row("refused: key like a header", old, u"S"_s, u"[T]"_s, u"v"_s, {});
        row("refused: empty key", old, u"S"_s, u" "_s, u"v"_s, {});
        row("refused: empty section", old, QString(), u"K"_s, u"v"_s, {});
    }
    void profile() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        PrivateProfile profile(before);
        if (value.isNull()) {
            QCOMPARE(profile.value("S", "A"), after);
            QCOMPARE(profile.bytes(), before);
            return;
        }
        QCOMPARE(profile.setValue(sjis(section), sjis(key), sjis(value)), !after.isNull());
        QCOMPARE(profile.bytes(), after.isNull() ? before : after);
        if (!after.isNull())
            QCOMPARE(PrivateProfile(after).value(sjis(section), sjis(key)), sjis(value).trimmed());
    }

    // Values come back cut to 254 bytes, never inside a double-byte character.
    void longValues() {
        const QByteArray kana = sjis(QString(127, u'ゾ'));
        QCOMPARE(storage::cutValue(kana, 254), kana);
        QCOMPARE(storage::cutValue('a' + kana, 254), ('a' + kana).first(253));
        // A lone lead byte counts as one character of its own.
        QCOMPARE(storage::cutValue(QByteArray(253, 'a') + "\x83", 254),
                 QByteArray(253, 'a') + "\x83");
        SettingsFile file(m_path);
        QVERIFY(file.setValue(u"S"_s, u"A"_s, QString(300, u'a')));
        QVERIFY(readBytes(m_path).contains(QByteArray(300, 'a')));
        QCOMPARE(file.value(u"s"_s, u"a"_s), QString(254, u'a'));
    }

    void replaceFile() {
        // With no file yet a failed replacement leaves nothing behind.
        m_fs->renameFails = true;
        QVERIFY(!storage::replaceFile(m_path, QByteArray(10000, 'x'), *m_fs));
        QCOMPARE(folderEntries(), QStringList{});
        const QString real = m_dir->filePath(u"real.ini"_s);
        writeBytes(real, OldFile);
        QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(QFile::link(real, m_path));
        QVERIFY(storage::replaceFile(m_path, "new"));
        QVERIFY(QFileInfo(m_path).isSymLink());
        QCOMPARE(readBytes(real), QByteArray("new"));
        QCOMPARE(bitsOf(real), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(!storage::replaceFile(m_dir->filePath(u"missing/zelnoa.ini"_s), "new"));
        // What a replacement killed in mid-write leaves, beside the link and beside its target.
        const QStringList kept = {u"other.ini.tmp1"_s,         u"real.ini"_s,
                                  u"real.ini.tmp"_s,           u"real.ini.tmp1.bak"_s,
                                  u"real.ini.tmpx1"_s,         u"zelnoa.ini"_s,
                                  u"zelnoa.ini.tmp123456789"_s};
        for (const QString& name : kept + QStringList{u"real.ini.tmp0"_s, u"zelnoa.ini.tmpbeef"_s})
            writeBytes(m_dir->filePath(name), "x");
        storage::removeStaleTemporaries(m_path);
        QCOMPARE(folderEntries(), kept);
    }

    // Reads come from the copy in memory until the recheck interval has passed; then a change on
    // disk is seen, even one that only the modification time tells. A write always looks first,
    // so it never overwrites an outside change with the stale copy.
    void inMemoryCopy() {
        writeBytes(m_path, OldFile);
        SettingsFile cached(m_path, *m_fs, std::chrono::hours(1));
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(cached.value(u"system"_s, u"COUNT"_s), u"1"_s);
        QCOMPARE(m_fs->reads, 1);
        SettingsFile watching(m_path, *m_fs, std::chrono::milliseconds(0));
        QCOMPARE(watching.value(Sys, Count), u"1"_s);
        const QDateTime modified = QFileInfo(m_path).lastModified();
        const QByteArray changed = QByteArray(OldFile).replace("Count=1", "Count=2");
        writeBytes(m_path, changed);
        QFile touched(m_path);
        QVERIFY(touched.open(QIODevice::ReadWrite) &&
                touched.setFileTime(modified.addSecs(1), QFileDevice::FileModificationTime));
        touched.close();
        QCOMPARE(watching.value(Sys, Count), u"2"_s);
        QCOMPARE(m_fs->reads, 3);
        QCOMPARE(cached.value(Sys, Count), u"1"_s);
        QVERIFY(cached.setValue(Sys, u"Database"_s, u"a.mdb"_s));
        QCOMPARE(readBytes(m_path), QByteArray(changed).replace("vaelbuki.mdb", "a.mdb"));
    }

    // A batch is one replacement of the file; a value that cannot be written is named and costs
    // nothing else.
    void batches() {
        writeBytes(m_path, OldFile);
        SettingsFile file(m_path, *m_fs);
        storage::SettingsBatch batch(file);
        for (int n = 1; n <= 50; ++n)
            QVERIFY(file.setValue(u"PROFILE%1"_s.arg(n), u"Name"_s, u"名前%1"_s.arg(n)));
        QVERIFY(!file.setValue(u"PROFILE2"_s, u"Name"_s, u"二\n行"_s));
        QCOMPARE(file.value(u"PROFILE50"_s, u"Name"_s), u"名前50"_s);
        QCOMPARE(readBytes(m_path), OldFile);
        const storage::SaveOutcome outcome = batch.commit();
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.refused, QStringList{u"PROFILE2/Name"_s});
        QCOMPARE(m_fs->renames, 1);
        QCOMPARE(SettingsFile(m_path).value(u"PROFILE2"_s, u"Name"_s), u"名前2"_s);
        QVERIFY(readBytes(m_path).startsWith(OldFile));
    }

    // Nothing is opened that could block (a FIFO waits for a writer), nor replaced; without any
    // file (an empty path) nothing is ever saved. A batch then leaves its values in a rescue copy.
    void fileThatCannotBeReplaced_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"read fails", "FIFO", "folder", "link to a FIFO", "no file"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void fileThatCannotBeReplaced() {
        QFETCH(QString, kind);
        const QString target = kind.startsWith(u"link") ? m_path + u".fifo"_s : m_path;
        if (kind == u"folder"_s)
            QVERIFY(QDir().mkdir(target));
        else if (kind == u"read fails"_s)
            writeBytes(target, OldFile);
        else if (kind != u"no file"_s)
            QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0644), 0);
        if (target != m_path)
            QVERIFY(QFile::link(target, m_path));
        const qint64 size = QFileInfo(target).size();
        m_fs->readFails = kind == u"read fails"_s;
        SettingsFile file(kind == u"no file"_s ? QString() : m_path, *m_fs);
        QCOMPARE(file.value(Sys, Count), QString());
        QVERIFY(!file.setValue(Sys, Count, u"2"_s));
        QCOMPARE(storage::SettingsBatch(file).commit().saved, kind != u"no file"_s);
        storage::SettingsBatch batch(file);
        file.setValue(Sys, Count, u"2"_s);
        const storage::SaveOutcome outcome = batch.commit();
        QVERIFY(!outcome.saved);
        QCOMPARE(readBytes(outcome.rescuedTo), QByteArray("[SYSTEM]\r\nCount=2\r\n"));
        QCOMPARE(QFileInfo(target).isFile(), kind == u"read fails"_s);
        QCOMPARE(QFileInfo(target).size(), size);
    }

    // The copy goes to the first place that takes it: $XDG_DATA_HOME (when absolute), $HOME, the
    // temporary folder; never over another file. $XDG_DATA_HOME ("set" the test's folder), the
    // places where no file can be created, how many names are found taken, and the copy's folder
    // ("-": nowhere).
    void rescuePlaces_data() {
        testsupport::addRows({"set||0|xdg_data_home/zelnoa/rescued|data home",
                              "set||2|xdg_data_home/zelnoa/rescued|names taken",
                              "||0|home/.local/share/zelnoa/rescued|no data home",
                              "share||0|home/.local/share/zelnoa/rescued|relative data home",
                              "set|/xdg|0|home/.local/share/zelnoa/rescued|data home refuses",
                              "set|/xdg /home/|0|tmpdir|home refuses too",
                              "set|/xdg /home/ /tmpdir/|0|-|nowhere"});
    }
    void rescuePlaces() {
        QFETCH(QStringList, row);
        if (row[0] != u"set")
            qputenv("XDG_DATA_HOME", row[0].toUtf8());
        for (const QString& place : row[1].split(u' ', Qt::SkipEmptyParts))
            m_fs->refuseCreating << place.toUtf8();
        m_fs->taken = row[2].toInt();
        const QString written = storage::writeRescueCopy(m_path, OldFile, *m_fs);
        QCOMPARE(written.isEmpty(), row[3] == u"-");
        if (written.isEmpty())
            return;
        const QFileInfo copy(written);
        QCOMPARE(copy.path(), m_dir->filePath(row[3]));
        static const QRegularExpression name(u"^zelnoa\\.ini\\.\\d{8}-\\d{6}(-3)?$"_s);
        QVERIFY2(name.match(copy.fileName()).hasMatch() &&
                     copy.fileName().endsWith(u"-3") == (row[2] != u"0"),
                 qPrintable(copy.fileName()));
        QCOMPARE(readBytes(written), OldFile);
        QCOMPARE(bitsOf(written), QFile::ReadOwner | QFile::WriteOwner);
        if (row[3] != u"tmpdir"_s)
            QCOMPARE(bitsOf(copy.path()), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A file saved as UTF-8 with a byte-order mark reads as such; its original is kept once,
    // under a free name, before the first write turns it into Shift_JIS.
    void utf8FileTurnsShiftJis() {
        const QByteArray utf8 =
            "\xEF\xBB\xBF" + u"; メモ\r\n[PROFILE1]\r\nName=ゾロ〜한\r\n"_s.toUtf8();
        writeBytes(m_path, utf8);
        writeBytes(m_path + u".utf8-backup"_s, "older");
        SettingsFile file(m_path, *m_fs);
        QCOMPARE(file.value(u"PROFILE1"_s, u"Name"_s), u"ゾロ～?"_s);
        // Without its backup the file is not rewritten.
        m_fs->refuseCreating = {"utf8-backup"};
        QVERIFY(!file.setValue(Sys, Count, u"1"_s));
        m_fs->refuseCreating.clear();
        m_fs->renameFails = true;
        QVERIFY(!file.setValue(Sys, Count, u"1"_s));
        m_fs->renameFails = false;
        QVERIFY(file.setValue(Sys, Count, u"1"_s));
        QCOMPARE(readBytes(m_path),
                 sjis(u"; メモ\r\n[PROFILE1]\r\nName=ゾロ～?\r\n[SYSTEM]\r\nCount=1\r\n"_s));
        QCOMPARE(readBytes(m_path + u".utf8-backup.1"_s), utf8);
        QCOMPARE(folderEntries(), QStringList({u"zelnoa.ini"_s, u"zelnoa.ini.utf8-backup"_s,
                                               u"zelnoa.ini.utf8-backup.1"_s}));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
