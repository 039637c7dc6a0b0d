#include "storage/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <sys/stat.h>

namespace storage {

namespace {

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

} // namespace

bool replaceFile(const QString& path, QByteArrayView bytes, FileSystem& fileSystem) {
    const QFileInfo info(path);
    const QString resolved = info.isSymLink() ? info.canonicalFilePath() : QString();
    const QString targetPath = resolved.isEmpty() ? path : resolved;
    const QByteArray target = QFile::encodeName(targetPath);
    const FileStamp old = fileSystem.stamp(target);
    // A file without any write permission was made read-only on purpose; a rename would get
    // around that (for root too), so it is refused as a direct write would be.
    if (old.exists && (old.mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary =
            target + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        fd = fileSystem.createNew(temporary);
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

} // namespace storage
