#include "storage/SettingsFile.h"

#include "storage/AtomicFile.h"
#include "storage/Cp932.h"

#include <QFile>

namespace storage {

namespace {

SettingsFile* g_current = nullptr;

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
    const bool accepted = m_readable && m_profile.setValue(cp932Encode(section), cp932Encode(key),
                                                           cp932Encode(value));
    if (m_batchDepth > 0) {
        m_batchChanged = m_batchChanged || accepted;
        m_batchFailed = m_batchFailed || !accepted;
        return accepted;
    }
    return accepted && save();
}

void SettingsFile::beginBatch() {
    if (m_batchDepth++ > 0)
        return;
    refresh(true);
    m_batchChanged = false;
    m_batchFailed = false;
}

bool SettingsFile::commitBatch() {
    if (m_batchDepth == 0)
        return false;
    if (--m_batchDepth > 0)
        return !m_batchFailed;
    if (m_batchFailed) {
        forget();
        return false;
    }
    return !m_batchChanged || save();
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
    const FileStamp onDisk = m_fileSystem.stamp(m_nativePath);
    if (m_loaded && onDisk.sameVersion(m_stamp))
        return;
    QByteArray bytes;
    FileStamp read;
    const ReadResult result = m_fileSystem.read(m_nativePath, bytes, read);
    m_profile = PrivateProfile(std::move(bytes));
    m_readable = result != ReadResult::Failed;
    m_stamp = result == ReadResult::Ok ? read : onDisk;
    m_loaded = true;
}

bool SettingsFile::save() {
    if (!replaceFile(m_path, m_profile.bytes(), m_fileSystem)) {
        forget();
        return false;
    }
    m_stamp = m_fileSystem.stamp(m_nativePath);
    return true;
}

void setCurrentSettingsFile(SettingsFile* file) {
    g_current = file;
}

SettingsFile* currentSettingsFile() {
    return g_current;
}

} // namespace storage
