#include "app/SingleInstance.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// 0 when the lock was taken, else the errno of flock().
int tryLock(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

int openLockFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    return fd >= 0 ? fd : ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

} // namespace

SingleInstance::~SingleInstance() {
    if (m_fd >= 0)
        ::close(m_fd);
}

SingleInstance::State SingleInstance::acquire(const QString& settingsFilePath) {
    if (m_fd >= 0)
        return State::Acquired;
    const QByteArray folder = QFile::encodeName(QFileInfo(settingsFilePath).absolutePath());
    // A folder this user cannot open may be locked by someone who can: never start unguarded.
    int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return State::Unavailable;
    int error = tryLock(fd);
    if (error != 0 && error != EWOULDBLOCK) {
        ::close(fd);
        fd = openLockFile(QFile::encodeName(settingsFilePath + QStringLiteral(".lock")));
        error = fd < 0 ? errno : tryLock(fd);
    }
    if (error == 0) {
        m_fd = fd;
        return State::Acquired;
    }
    if (fd >= 0)
        ::close(fd);
    return error == EWOULDBLOCK ? State::RunningElsewhere : State::Unavailable;
}
