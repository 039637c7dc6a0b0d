#include "storage/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace storage {

namespace {

// A temporary file is the target's name, this, and a random 32-bit number in lower-case hex.
const QByteArray kTemporaryInfix = ".tmp";

bool writeAll(FileSystem& fileSystem, int fd, QByteArrayView bytes) {
    const char* data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = fileSystem.write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

QString resolvedPath(const QString& path) {
    const QFileInfo info(path);
    const QString resolved = info.isSymLink() ? info.canonicalFilePath() : QString();
    return resolved.isEmpty() ? path : resolved;
}

void removeTemporariesOf(const QString& path) {
    const QFileInfo target(path);
    static const QRegularExpression hex(u"^[0-9a-f]{1,8}$"_s);
    const QString prefix = target.fileName() + QLatin1StringView(kTemporaryInfix);
    const QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (name.startsWith(prefix) && hex.match(name.sliced(prefix.size())).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

} // namespace

bool replaceFile(const QString& path, QByteArrayView bytes, FileSystem& fileSystem) {
    const QString targetPath = resolvedPath(path);
    const QByteArray target = QFile::encodeName(targetPath);
    const FileStamp old = fileSystem.stamp(target);
    if (old.exists && !old.regular) {
        errno = EINVAL;
        return false;
    }
    // A file without any write permission was made read-only on purpose, which root's access
    // check would not tell.
    if (old.exists &&
        ((old.mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || !fileSystem.canWrite(target))) {
        errno = EACCES;
        return false;
    }

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = target + kTemporaryInfix +
                    QByteArray::number(QRandomGenerator::global()->generate(), 16);
        fd = fileSystem.createNew(temporary, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = writeAll(fileSystem, fd, bytes) &&
              (!old.exists || fileSystem.setMode(fd, old.mode)) && fileSystem.sync(fd);
    // close() can report a delayed write error, so its outcome counts too.
    ok = fileSystem.close(fd) && ok;
    ok = ok && fileSystem.rename(temporary, target);
    if (!ok) {
        fileSystem.remove(temporary);
        return false;
    }
    // The new content is in place; syncing the folder only makes the rename itself durable.
    fileSystem.syncFolder(QFile::encodeName(QFileInfo(targetPath).absolutePath()));
    return true;
}

bool writeNewFile(const QByteArray& path, QByteArrayView bytes, mode_t mode,
                  FileSystem& fileSystem) {
    const int fd = fileSystem.createNew(path, mode);
    if (fd < 0)
        return false;
    bool ok = writeAll(fileSystem, fd, bytes) && fileSystem.sync(fd);
    ok = fileSystem.close(fd) && ok;
    if (!ok) {
        const int error = errno;
        fileSystem.remove(path);
        errno = error;
    }
    return ok;
}

void removeStaleTemporaries(const QString& settingsPath) {
    removeTemporariesOf(settingsPath);
    const QString target = resolvedPath(settingsPath);
    if (target != settingsPath)
        removeTemporariesOf(target);
}

} // namespace storage
