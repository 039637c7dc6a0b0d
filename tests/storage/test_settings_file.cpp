// The settings file: its Shift_JIS text, reading and rewriting files written on Windows one line
// at a time, files saved as UTF-8, atomic replacement and its litter, the in-memory copy, batches,
// rescue copies and modCommon's routines on top. Every step of a replacement failing over an
// existing file is in tests/fault.

#include "storage/AtomicFile.h"
#include "storage/Cp932.h"
#include "storage/KeptCopies.h"
#include "storage/PrivateProfile.h"
#include "storage/SettingsFile.h"
#include "storage/modCommon.h"
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

enum class Stage { None, Sync, Rename };

// The real file system, with reads and replacements counted and one step made to fail on demand.
class FaultyFileSystem : public storage::FileSystem {
public:
    Stage failAt = Stage::None;
    bool readFails = false;
    QByteArrayList refuseCreating; // no file is created whose path holds one of these
    int taken = 0;                 // so many rescue names are found taken
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
    int createNew(const QByteArray& path, mode_t mode) override {
        for (const QByteArray& part : refuseCreating) {
            if (path.contains(part))
                return (errno = EACCES, -1);
        }
        if (path.contains("/rescued/") && taken > 0)
            return (--taken, errno = EEXIST, -1);
        return FileSystem::createNew(path, mode);
    }
    bool sync(int fd) override {
        return failAt == Stage::Sync ? (errno = EIO, false) : FileSystem::sync(fd);
    }
    bool rename(const QByteArray& from, const QByteArray& to) override {
        if (failAt == Stage::Rename)
            return (errno = EXDEV, false);
        ++renames;
        return FileSystem::rename(from, to);
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

    QStringList folderEntries() const {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    // Where rescue copies go; the test's own folder stands in for each of them.
    const QStringList m_places = {u"XDG_DATA_HOME"_s, u"HOME"_s, u"TMPDIR"_s};
    QList<QByteArray> m_placesBefore;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"zelnoa.ini"_s);
        m_fs = std::make_unique<FaultyFileSystem>();
        m_placesBefore.clear();
        for (const QString& place : m_places) {
            m_placesBefore << qgetenv(qPrintable(place));
            qputenv(qPrintable(place), QFile::encodeName(m_dir->filePath(place.toLower())));
        }
        // The temporary folder is only taken where it exists.
        QDir(m_dir->path()).mkdir(u"tmpdir"_s);
    }
    void cleanup() {
        storage::setCurrentSettingsFile(nullptr);
        for (qsizetype i = 0; i < m_places.size(); ++i)
            qputenv(qPrintable(m_places[i]), m_placesBefore[i]);
    }

    void cp932() {
        // "\" and "~" stay ASCII; ゼ and ゾ have "[" and "]" as second byte.
        const QByteArray bytes("a=b\\~\x83\x5B\x83\x5D\x81\x60");
        QCOMPARE(storage::cp932Encode(u"a=b\\~ゼゾ～"_s), bytes);
        QCOMPARE(storage::cp932Decode(bytes), u"a=b\\~ゼゾ～"_s);
        QVERIFY(storage::cp932CanEncode(u"a=b\\~ゼゾ～"_s));
        QVERIFY(!storage::cp932CanEncode(u"😀"_s));
        QVERIFY(!storage::cp932CanEncode(u"한"_s));
        // What Linux input methods type for these is stored as Windows stores its look-alikes.
        QCOMPARE(storage::cp932Encode(u"〜−∥—¢£¬"_s),
                 QByteArray("\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA"));
        QVERIFY(storage::cp932CanEncode(u"〜−∥—¢£¬"_s));
        QCOMPARE(storage::cp932Encode(u"a😀b"_s), QByteArray("a?b"));
        // ヂ is 0x83 0x61, ア 0x83 0x41: folding case byte by byte would make them equal.
        QVERIFY(PrivateProfile(sjis(u"[ア]\r\nA=1\r\n"_s)).value(sjis(u"ヂ"_s), "A").isNull());
        const QString bad(QChar::ReplacementCharacter);
        QCOMPARE(storage::cp932Decode("\x81"), bad);
        QCOMPARE(storage::cp932Decode("\x80z"), bad + u"z"_s);
        QCOMPARE(storage::cp932Decode("\xFF\x81\x60"), bad + u"～"_s);
    }

    // Always section S, key A.
    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first key wins") << "[S]\r\nA=1\r\na=2\r\n"_ba << u"1"_s;
        QTest::newRow("only first section searched")
            << "[S]\r\nB=1\r\n[s]\r\nA=4\r\n"_ba << QString();
        QTest::newRow("blanks around") << " \t[ S\v]\r\n \vA \t=  x y \t\r\n"_ba << u"x y"_s;
        QTest::newRow("no equals is no key") << "[S]\r\nA\r\n"_ba << QString();
        QTest::newRow("quotes and equals kept") << "[S]\r\nA=\"b=c\"\r\n"_ba << u"\"b=c\""_s;
        QTest::newRow("rest of header ignored") << "[S] x]\r\nA=1"_ba << u"1"_s;
        QTest::newRow("header without bracket") << "[T]\r\n[S\r\nA=1"_ba << QString();
        QTest::newRow("LF and CR endings") << "[S]\nB=1\rA=2\r\nC=3"_ba << u"2"_s;
        QTest::newRow("NUL ends the value") << "[S]\r\nA=AB\0CD\r\n"_ba << u"AB"_s;
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        const PrivateProfile profile(file);
        QCOMPARE(QString::fromLatin1(profile.value("S", "A")), expected);
        QCOMPARE(profile.bytes(), file);
    }

    // A null "after" means the write is refused and the file stays as it was.
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
        row("new section at unterminated end", "[S]\r\nA=1", u"T"_s, u"K"_s, u"v"_s,
            "[S]\r\nA=1\r\n[T]\r\nK=v\r\n");
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
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        PrivateProfile profile(before);
        QCOMPARE(profile.setValue(sjis(section), sjis(key), sjis(value)), !after.isNull());
        QCOMPARE(profile.bytes(), after.isNull() ? before : after);
        if (!after.isNull())
            QCOMPARE(PrivateProfile(after).value(sjis(section), sjis(key)), sjis(value).trimmed());
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

    void replaceFile() {
        // With no file yet a failed replacement leaves nothing behind; over an existing file
        // every failing step is checked in tests/fault.
        m_fs->failAt = Stage::Rename;
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

    // Reads come from the copy in memory, even for a moment after an outside change; a write
    // never overwrites that change with the stale copy.
    void readsComeFromMemory() {
        writeBytes(m_path, OldFile);
        SettingsFile file(m_path, *m_fs, std::chrono::hours(1));
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(file.value(u"system"_s, u"COUNT"_s), u"1"_s);
        QCOMPARE(m_fs->reads, 1);
        QVERIFY(m_fs->stamps < 100);
        writeBytes(m_path, "[SYSTEM]\r\nCount=7\r\n");
        QCOMPARE(file.value(Sys, Count), u"1"_s);
        QVERIFY(file.setValue(Sys, u"Database"_s, u"a.mdb"_s));
        QCOMPARE(readBytes(m_path), QByteArray("[SYSTEM]\r\nCount=7\r\nDatabase=a.mdb\r\n"));
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

    // Values are written whole in Shift_JIS, and come back cut to 254 bytes.
    void writesInShiftJis() {
        SettingsFile file(m_path);
        QVERIFY(file.setValue(Sys, u"Database"_s, u"vaelbuki.mdb"_s));
        QVERIFY(file.setValue(u"PROFILE1"_s, u"Name"_s, u"ゾロ～"_s));
        QCOMPARE(readBytes(m_path), QByteArray("[SYSTEM]\r\nDatabase=vaelbuki.mdb\r\n[PROFILE1]\r\n"
                                               "Name=\x83\x5D\x83\x8D\x81\x60\r\n"));
        QCOMPARE(SettingsFile(m_path).value(u"profile1"_s, u"name"_s), u"ゾロ～"_s);
        QCOMPARE(folderEntries(), QStringList{u"zelnoa.ini"_s});

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
        // One value that cannot be written costs nothing else.
        QVERIFY(!file.setValue(u"PROFILE2"_s, u"Name"_s, u"二\n行"_s));
        QVERIFY(file.commitBatch().saved);
        QCOMPARE(file.value(u"PROFILE50"_s, u"Name"_s), u"名前50"_s);
        QCOMPARE(readBytes(m_path), OldFile);
        const storage::SaveOutcome outcome = file.commitBatch();
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.refused, QStringList{u"PROFILE2/Name"_s});
        QCOMPARE(SettingsFile(m_path).value(u"PROFILE2"_s, u"Name"_s), u"名前2"_s);
        QCOMPARE(m_fs->renames, 1);
        QCOMPARE(SettingsFile(m_path).value(u"PROFILE50"_s, u"Name"_s), u"名前50"_s);
        QVERIFY(readBytes(m_path).startsWith(OldFile));
    }

    // Whatever did not reach the disk must not be read back, nor reach it with a later write.
    void failedOrDroppedWritesLeaveNoPhantom_data() {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<bool>("batch");
        QTest::addColumn<bool>("discard");
        QTest::newRow("single write, sync fails") << Stage::Sync << false << false;
        QTest::newRow("batch, rename fails") << Stage::Rename << true << false;
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
            if (discard) {
                file.discardBatch();
            } else {
                // The whole file as the batch would have left it is kept elsewhere.
                const storage::SaveOutcome outcome = file.commitBatch();
                QVERIFY(!outcome.saved);
                QCOMPARE(readBytes(outcome.rescuedTo),
                         QByteArray(OldFile).replace("Count=1\n", "Count=9\r\n") +
                             "[PROFILE1]\r\nName=phantom\r\n");
            }
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

    // Nothing is opened that could block (a FIFO waits for a writer), nor replaced.
    void unreadableFileIsNeverReplaced_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"read fails", "FIFO", "folder", "link to a FIFO"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void unreadableFileIsNeverReplaced() {
        QFETCH(QString, kind);
        const QString target = kind.startsWith(u"link") ? m_path + u".fifo"_s : m_path;
        if (kind == u"folder"_s)
            QVERIFY(QDir().mkdir(target));
        else if (kind == u"read fails"_s)
            writeBytes(target, OldFile);
        else
            QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0644), 0);
        if (target != m_path)
            QVERIFY(QFile::link(target, m_path));
        const qint64 size = QFileInfo(target).size();
        m_fs->readFails = kind == u"read fails"_s;
        SettingsFile file(m_path, *m_fs);
        QCOMPARE(file.value(Sys, Count), QString());
        QVERIFY(!file.setValue(Sys, Count, u"2"_s));
        file.beginBatch();
        file.setValue(Sys, Count, u"2"_s);
        const storage::SaveOutcome outcome = file.commitBatch();
        QVERIFY(!outcome.saved);
        QCOMPARE(SettingsFile(outcome.rescuedTo).value(Sys, Count), u"2"_s);
        QCOMPARE(QFileInfo(target).isFile(), kind == u"read fails"_s);
        QCOMPARE(QFileInfo(target).size(), size);
    }

    // The copy goes to the first place that takes it: $XDG_DATA_HOME (when absolute), $HOME, the
    // temporary folder; never over another file.
    void rescuePlaces_data() {
        QTest::addColumn<QByteArray>("dataHome");
        QTest::addColumn<QByteArrayList>("refused"); // places where no file can be created
        QTest::addColumn<int>("taken");
        QTest::addColumn<QString>("expected"); // the copy's folder; null: nowhere
        const QString data = u"xdg_data_home/zelnoa/rescued"_s;
        const QString home = u"home/.local/share/zelnoa/rescued"_s;
        QTest::newRow("data home") << "set"_ba << QByteArrayList() << 0 << data;
        QTest::newRow("names taken") << "set"_ba << QByteArrayList() << 2 << data;
        QTest::newRow("no data home") << ""_ba << QByteArrayList() << 0 << home;
        QTest::newRow("relative data home") << "share"_ba << QByteArrayList() << 0 << home;
        QTest::newRow("data home refuses") << "set"_ba << QByteArrayList{"/xdg"} << 0 << home;
        QTest::newRow("home refuses too")
            << "set"_ba << QByteArrayList{"/xdg", "/home/"} << 0 << u"tmpdir"_s;
        QTest::newRow("nowhere") << "set"_ba << QByteArrayList{"/xdg", "/home/", "/tmpdir/"} << 0
                                 << QString();
    }
    void rescuePlaces() {
        QFETCH(QByteArray, dataHome);
        QFETCH(QByteArrayList, refused);
        QFETCH(int, taken);
        QFETCH(QString, expected);
        if (dataHome != "set")
            qputenv("XDG_DATA_HOME", dataHome);
        m_fs->refuseCreating = refused;
        m_fs->taken = taken;
        const QString written = storage::writeRescueCopy(m_path, OldFile, *m_fs);
        if (expected.isNull()) {
            QCOMPARE(written, QString());
            return;
        }
        const QFileInfo copy(written);
        QCOMPARE(copy.path(), m_dir->filePath(expected));
        static const QRegularExpression name(u"^zelnoa\\.ini\\.\\d{8}-\\d{6}(-3)?$"_s);
        QVERIFY2(name.match(copy.fileName()).hasMatch() &&
                     copy.fileName().endsWith(u"-3") == (taken > 0),
                 qPrintable(copy.fileName()));
        QCOMPARE(readBytes(written), OldFile);
        QCOMPARE(bitsOf(written), QFile::ReadOwner | QFile::WriteOwner);
        if (expected != u"tmpdir"_s)
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
        m_fs->failAt = Stage::Rename;
        QVERIFY(!file.setValue(Sys, Count, u"1"_s));
        m_fs->failAt = Stage::None;
        QVERIFY(file.setValue(Sys, Count, u"1"_s));
        QCOMPARE(readBytes(m_path),
                 sjis(u"; メモ\r\n[PROFILE1]\r\nName=ゾロ～?\r\n[SYSTEM]\r\nCount=1\r\n"_s));
        QCOMPARE(readBytes(m_path + u".utf8-backup.1"_s), utf8);
        QCOMPARE(folderEntries(), QStringList({u"zelnoa.ini"_s, u"zelnoa.ini.utf8-backup"_s,
                                               u"zelnoa.ini.utf8-backup.1"_s}));
    }

    // Committed batches are checked through the side lists in tests/app.
    void modCommonSettings() {
        QCOMPARE(modCommon::strGetIni(Sys, Count), QString());
        QVERIFY(!modCommon::setIni(Sys, Count, u"1"_s));
        QVERIFY(!modCommon::IniBatch().commit().saved);
        // Without a settings file a save still keeps its values.
        modCommon::IniBatch unsaved;
        modCommon::setIni(Sys, Count, u"1"_s);
        QCOMPARE(readBytes(unsaved.commit().rescuedTo), QByteArray("[SYSTEM]\r\nCount=1\r\n"));

        SettingsFile file(m_path, *m_fs);
        storage::setCurrentSettingsFile(&file);
        QVERIFY(modCommon::setIni(Sys, Count, u"1"_s));
        {
            modCommon::IniBatch dropped;
            modCommon::setIni(Sys, Count, u"5"_s);
        }
        QCOMPARE(modCommon::strGetIni(Sys, Count), u"1"_s);
        QCOMPARE(readBytes(m_path), QByteArray("[SYSTEM]\r\nCount=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
