#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

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

QStringList sqlRows(sqlite3* db, const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return {u"error: "_s + QString::fromUtf8(sqlite3_errmsg(db))};
    QStringList rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList columns;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            columns << (text ? QString::fromUtf8(text) : u"<null>"_s);
        }
        rows << columns.join(u'|');
    }
    sqlite3_finalize(stmt);
    return rows;
}

QStringList sqlRows(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return {u"error: cannot open "_s + path};
    }
    const QStringList rows = sqlRows(db, sql);
    sqlite3_close(db);
    return rows;
}

void sqlExec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("test SQL failed: %s\n%s", error, sql);
}

void sqlExec(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
    sqlExec(db, "PRAGMA synchronous=OFF");
    sqlExec(db, sql);
    sqlite3_close(db);
}

void addRows(std::initializer_list<const char*> table) {
    QTest::addColumn<QStringList>("row");
    for (const char* row : table) {
        QStringList columns = QString::fromUtf8(row).split(u'|');
        const QString name = columns.takeLast();
        QTest::newRow(qPrintable(name)) << columns;
    }
}

} // namespace testsupport
