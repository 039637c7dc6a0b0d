#pragma once
// Helpers shared by the tests: files in a test's temporary folder, the sample master and data
// rows written as text.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>

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

// Adds the column "row" (a QStringList) and a data row for each UTF-8 string: its columns
// separated by "|", the last one naming the row and left out of it.
void addRows(std::initializer_list<const char*> table);

} // namespace testsupport
