#include "storage/KeptCopies.h"

#include "storage/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <functional>

using namespace Qt::StringLiterals;

namespace storage {

namespace {

// Beyond this many taken names something else is wrong with the folder.
constexpr int kNameAttempts = 100;
// Without a settings file of its own the program's would be this one.
const QString kDefaultFileName = u"zelnoa.ini"_s;

// Writes bytes to the first free name that nameFor(attempt) gives; empty text on failure.
QString writeUnderFreeName(const std::function<QString(int)>& nameFor, QByteArrayView bytes,
                           FileSystem& fileSystem) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString path = nameFor(attempt);
        if (writeNewFile(QFile::encodeName(path), bytes, 0600, fileSystem))
            return path;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

QStringList rescueFolders() {
    const QString inData = u"/zelnoa/rescued"_s;
    QStringList folders;
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(dataHome))
        folders << QDir::cleanPath(dataHome + inData);
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        folders << QDir::cleanPath(home + u"/.local/share"_s + inData);
    folders << QDir::tempPath(); // empty when that folder is missing
    folders.removeAll(QString());
    folders.removeDuplicates();
    return folders;
}

} // namespace

QString writeRescueCopy(const QString& settingsPath, QByteArrayView bytes, FileSystem& fileSystem) {
    const QString fileName = QFileInfo(settingsPath).fileName();
    const QString stem = (fileName.isEmpty() ? kDefaultFileName : fileName) + u'.' +
                         QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    for (const QString& folder : rescueFolders()) {
        if (!fileSystem.makeFolders(QFile::encodeName(folder), 0700))
            continue;
        const QString written = writeUnderFreeName(
            [&](int attempt) {
                const QString name =
                    attempt == 0 ? stem : stem + u'-' + QString::number(attempt + 1);
                return QDir(folder).filePath(name);
            },
            bytes, fileSystem);
        if (!written.isEmpty())
            return written;
    }
    return {};
}

bool writeUtf8Backup(const QString& settingsPath, QByteArrayView bytes, FileSystem& fileSystem) {
    const QString stem = settingsPath + u".utf8-backup"_s;
    return !writeUnderFreeName(
                [&](int attempt) {
                    return attempt == 0 ? stem : stem + u'.' + QString::number(attempt);
                },
                bytes, fileSystem)
                .isEmpty();
}

} // namespace storage
