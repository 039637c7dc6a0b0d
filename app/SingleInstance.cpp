#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString runtimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

} // namespace

SingleInstance::~SingleInstance() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SingleInstance::lockFilePath(const QString& programFolder) {
    QString canonical = QFileInfo(programFolder).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QFileInfo(programFolder).absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(runtimeFolder())
        .filePath(QStringLiteral("zelnoa-%1-%2.lock")
                      .arg(QString::number(::getuid()), QString::fromLatin1(hash)));
}

SingleInstance::State SingleInstance::acquire(const QString& programFolder) {
    if (m_fd >= 0)
        return State::Acquired;
    const QByteArray path = QFile::encodeName(lockFilePath(programFolder));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return State::Unavailable;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? State::RunningElsewhere : State::Unavailable;
    }
    m_fd = fd;
    return State::Acquired;
}
