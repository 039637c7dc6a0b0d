#pragma once
// Helpers shared by the tests: files in a test's temporary folder and the sample master.

#include <QByteArray>
#include <QString>

namespace testsupport {

// A fresh copy of the built sample master database placed in dir; returns its path.
QString copySampleDatabase(const QString& dir,
                           const QString& fileName = QStringLiteral("vaelbuki.mdb"));

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

} // namespace testsupport
