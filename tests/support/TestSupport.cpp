#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace testsupport {

QString copySampleDatabase(const QString& dir, const QString& fileName) {
    const QString target = QDir(dir).filePath(fileName);
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(ZELNOA_SAMPLE_DB), target))
        qFatal("cannot copy the sample database %s", ZELNOA_SAMPLE_DB);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

} // namespace testsupport
