#include "storage/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace storage {

namespace {

FileStamp toStamp(const struct stat& info) {
    return {true,
            quint64(info.st_dev),
            quint64(info.st_ino),
            qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            mode_t(info.st_mode & 07777),
            S_ISREG(info.st_mode)};
}

} // namespace

FileStamp FileSystem::stamp(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return {};
    return toStamp(info);
}

ReadResult FileSystem::read(const QByteArray& path, QByteArray& bytes, FileStamp& stamp) {
    bytes.clear();
    stamp = {};
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return ReadResult::Failed;
    }
    // Should a FIFO take the file's place after the check, opening it still returns at once.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        stamp = toStamp(info);
        bytes.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        // Read to the end even if the file grew since fstat().
        while (ok) {
            if (done == bytes.size())
                bytes.resize(bytes.size() + 4096);
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n == 0)
                break;
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            done += ok ? n : 0;
        }
        bytes.resize(done);
    }
    ::close(fd);
    if (!ok)
        bytes.clear();
    return ok ? ReadResult::Ok : ReadResult::Failed;
}

bool FileSystem::canWrite(const QByteArray& path) {
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0;
}

bool FileSystem::makeFolders(const QByteArray& path, mode_t mode) {
    for (qsizetype slash = path.indexOf('/', 1); slash != -1;
         slash = path.indexOf('/', slash + 1)) {
        if (::mkdir(path.left(slash).constData(), mode) != 0 && errno != EEXIST)
            return false;
    }
    if (::mkdir(path.constData(), mode) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

int FileSystem::createNew(const QByteArray& path, mode_t mode) {
    return ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

qint64 FileSystem::write(int fd, const char* data, qint64 size) {
    return ::write(fd, data, size_t(size));
}

bool FileSystem::setMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode) == 0;
}

bool FileSystem::sync(int fd) {
    return ::fsync(fd) == 0;
}

bool FileSystem::close(int fd) {
    return ::close(fd) == 0;
}

bool FileSystem::rename(const QByteArray& from, const QByteArray& to) {
    return ::rename(from.constData(), to.constData()) == 0;
}

void FileSystem::remove(const QByteArray& path) {
    ::unlink(path.constData());
}

void FileSystem::syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

FileSystem& systemFileSystem() {
    static FileSystem system;
    return system;
}

} // namespace storage
