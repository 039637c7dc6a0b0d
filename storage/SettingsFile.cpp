#include "storage/SettingsFile.h"

#include "storage/AtomicFile.h"
#include "storage/Cp932.h"
#include "storage/KeptCopies.h"

#include <QFile>

namespace storage {

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

} // namespace

SettingsFile::SettingsFile(QString path, FileSystem& fileSystem,
                           std::chrono::milliseconds recheckInterval)
    : m_path(std::move(path))
    , m_nativePath(QFile::encodeName(m_path))
    , m_fileSystem(fileSystem)
    , m_recheckInterval(recheckInterval) {}

QString SettingsFile::value(const QString& section, const QString& key) {
    if (m_batchDepth == 0)
        refresh(false);
    const QByteArray bytes = m_profile.value(cp932Encode(section), cp932Encode(key));
    return cp932Decode(cutValue(bytes, MaxValueBytes));
}

bool SettingsFile::setValue(const QString& section, const QString& key, const QString& value) {
    if (m_batchDepth == 0)
        refresh(true);
    const bool accepted =
        m_profile.setValue(cp932Encode(section), cp932Encode(key), cp932Encode(value));
    if (m_batchDepth > 0) {
        m_batchChanged = m_batchChanged || accepted;
        if (!accepted)
            m_refused.append(section + u'/' + key);
        return accepted;
    }
    if (!accepted)
        return false;
    if (replace(m_profile.bytes()))
        return true;
    forget();
    return false;
}

void SettingsFile::beginBatch() {
    if (m_batchDepth++ > 0)
        return;
    refresh(true);
    m_batchChanged = false;
    m_batchFailed = false;
    m_refused.clear();
}

SaveOutcome SettingsFile::commitBatch() {
    if (m_batchDepth == 0)
        return {false, {}, {}};
    SaveOutcome outcome{!m_batchFailed, {}, m_refused};
    if (--m_batchDepth > 0)
        return outcome;
    if (m_batchFailed) {
        forget();
        return outcome;
    }
    if (!m_batchChanged) {
        outcome.saved = !m_path.isEmpty();
        return outcome;
    }
    const QByteArray bytes = m_profile.bytes();
    if (!replace(bytes)) {
        forget();
        outcome.saved = false;
        outcome.rescuedTo = writeRescueCopy(m_path, bytes, m_fileSystem);
    }
    return outcome;
}

void SettingsFile::discardBatch() {
    if (m_batchDepth == 0)
        return;
    m_batchFailed = true;
    if (--m_batchDepth == 0)
        forget();
}

void SettingsFile::refresh(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (m_loaded && !force && now - m_checkedAt < m_recheckInterval)
        return;
    m_checkedAt = now;
    if (m_path.isEmpty()) {
        if (!m_loaded)
            m_profile = PrivateProfile();
        m_loaded = true;
        return;
    }
    const FileStamp onDisk = m_fileSystem.stamp(m_nativePath);
    if (m_loaded && onDisk.sameVersion(m_stamp))
        return;
    QByteArray bytes;
    FileStamp read;
    const ReadResult result = m_fileSystem.read(m_nativePath, bytes, read);
    m_utf8Original.clear();
    if (bytes.startsWith(kUtf8Mark)) {
        m_profile = PrivateProfile(
            cp932Encode(QString::fromUtf8(QByteArrayView(bytes).sliced(kUtf8Mark.size()))));
        m_utf8Original = std::move(bytes);
    } else {
        m_profile = PrivateProfile(std::move(bytes));
    }
    m_readable = result != ReadResult::Failed;
    m_stamp = result == ReadResult::Ok ? read : onDisk;
    m_loaded = true;
}

bool SettingsFile::replace(const QByteArray& bytes) {
    if (m_path.isEmpty() || !m_readable || !keepUtf8Original() ||
        !replaceFile(m_path, bytes, m_fileSystem))
        return false;
    m_stamp = m_fileSystem.stamp(m_nativePath);
    m_utf8Original.clear();
    return true;
}

// The UTF-8 original is kept once per version of the file, however often saving it fails.
bool SettingsFile::keepUtf8Original() {
    if (m_utf8Original.isEmpty() || m_stamp.sameVersion(m_backedUp))
        return true;
    if (!writeUtf8Backup(m_path, m_utf8Original, m_fileSystem))
        return false;
    m_backedUp = m_stamp;
    return true;
}

SettingsBatch::SettingsBatch(SettingsFile& file)
    : m_file(file) {
    m_file.beginBatch();
}

SettingsBatch::~SettingsBatch() {
    if (!m_done)
        m_file.discardBatch();
}

SaveOutcome SettingsBatch::commit() {
    if (m_done)
        return {false, {}, {}};
    m_done = true;
    return m_file.commitBatch();
}

} // namespace storage
