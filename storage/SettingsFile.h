#pragma once
// The program's settings file: the user's database name, profiles, bonus sets and saved plans.
//
// The file is parsed once into a PrivateProfile and kept in memory; it is read again only when
// its stamp on disk (size, modification time in nanoseconds, identity) changed. Reads look at the
// stamp at most once per recheck interval, so loading thousands of values costs neither file
// reads nor a stat() each; writes always look first, so they never overwrite an outside change
// with a stale copy. Every write replaces the whole file atomically (AtomicFile.h), and a batch
// gathers the writes of one logical save into a single replacement. After a failed write the
// in-memory copy is dropped and read again from disk, so no value that never reached the file
// is ever read back or written later; a batch that could not replace the file leaves the file it
// would have written as a rescue copy (KeptCopies.h) instead, so the user's data is not lost.
//
// A file saved as UTF-8 with a byte-order mark (as Linux editors may leave it) is read as UTF-8
// and written back in Shift_JIS; its original is kept beside it before the first such write.
//
// Start-up opens the one settings file of the run and hands it to the windows; a logical save of
// many keys holds a SettingsBatch around its writes.

#include "storage/FileSystem.h"
#include "storage/PrivateProfile.h"

#include <QString>
#include <QStringList>
#include <chrono>

namespace storage {

struct SaveOutcome {
    bool saved = true;   // the settings file now holds every accepted value
    QString rescuedTo;   // when !saved: the rescue copy holding the complete file, or empty
    QStringList refused; // "SECTION/Key" of values that could not be written at all
};

class SettingsFile {
public:
    // A value longer than this many bytes in the file comes back cut.
    static constexpr qsizetype MaxValueBytes = 254;

    static constexpr std::chrono::milliseconds DefaultRecheck{200};

    // An empty path stands for no settings file at all: it reads as empty and never saves.
    explicit SettingsFile(QString path, FileSystem& fileSystem = systemFileSystem(),
                          std::chrono::milliseconds recheckInterval = DefaultRecheck);

    const QString& path() const { return m_path; }

    // Empty text when the file, the section or the key is missing, or the file is unreadable or
    // no plain file. A value holding a NUL ends there.
    QString value(const QString& section, const QString& key);

    // False when the names or the value cannot be written (line breaks, NUL, "]" in a section
    // name, "=" in a key): the value is then left out, inside a batch too, where the other values
    // are still written and the commit lists it as refused. Outside a batch the file is replaced
    // at once, and false also tells that it could not be replaced or exists but cannot be read
    // (replacing it would lose its content).
    bool setValue(const QString& section, const QString& key, const QString& value);

    // Batches nest; only the outermost commit writes. A discard at any level drops the whole
    // batch, and the outermost commit then reports it unsaved, with no rescue copy.
    void beginBatch();
    SaveOutcome commitBatch();
    void discardBatch();

private:
    void refresh(bool force);
    bool replace(const QByteArray& bytes);
    bool keepUtf8Original();
    void forget() { m_loaded = false; }

    QString m_path;
    QByteArray m_nativePath;
    FileSystem& m_fileSystem;
    std::chrono::milliseconds m_recheckInterval;
    std::chrono::steady_clock::time_point m_checkedAt;
    PrivateProfile m_profile;
    FileStamp m_stamp;
    bool m_loaded = false;
    bool m_readable = true;
    QByteArray m_utf8Original; // the file as read, while it is a UTF-8 one
    FileStamp m_backedUp;      // the version of it kept beside it
    int m_batchDepth = 0;
    bool m_batchChanged = false;
    bool m_batchFailed = false;
    QStringList m_refused;
};

// Groups the writes made during its lifetime into one replacement of the file. Without commit()
// the grouped writes are dropped and the file stays as it was.
class SettingsBatch {
public:
    explicit SettingsBatch(SettingsFile& file);
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Writes everything set since construction; see SaveOutcome for what it reports.
    SaveOutcome commit();

private:
    SettingsFile& m_file;
    bool m_done = false;
};

} // namespace storage
