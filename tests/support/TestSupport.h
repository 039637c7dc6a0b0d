#pragma once
// Helpers shared by the tests: files in a test's temporary folder and the sample master.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace testsupport {

// A fresh copy of the built sample master database placed in dir; returns its path.
QString copySampleDatabase(const QString& dir,
                           const QString& fileName = QStringLiteral("vaelbuki.mdb"));

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

// Every row of a query, columns joined by '|' and NULL shown as "<null>"; a query SQLite refuses
// gives {"error: <message>"}. The path form opens the file read-only.
QStringList sqlRows(sqlite3* db, const QString& sql);
QStringList sqlRows(const QString& path, const QString& sql);
// Runs statements outside the code under test; a failure ends the test program. The path form
// creates the file if needed.
void sqlExec(sqlite3* db, const char* sql);
void sqlExec(const QString& path, const char* sql);

} // namespace testsupport
