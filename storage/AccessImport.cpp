#include "storage/AccessImport.h"

#include "storage/Database.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace storage {

namespace {

// Raised whenever the converter writes something different, so older copies are rebuilt.
constexpr qint64 kCopyFormat = 1;
// The copy's own record of the file it was made from.
const char* const kStampQuery = "SELECT FORMAT, SOURCE_SIZE, SOURCE_MTIME_NS FROM ZELNOA_IMPORT";
// Longest tail of the converter's messages kept for the error text.
constexpr qsizetype kMessageTail = 2000;
// A copy is built under the copy's name + this + six random characters.
const QString kTemporaryInfix = u".building-"_s;
constexpr qsizetype kRandomCharacters = 6;
constexpr qint64 kAbandonedAfterSeconds = 24 * 60 * 60;

struct SourceStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
};

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

std::optional<SourceStamp> sourceStamp(const QString& path) {
    std::error_code failed;
    const std::filesystem::path file = nativePath(path);
    const auto size = std::filesystem::file_size(file, failed);
    if (failed)
        return std::nullopt;
    const auto modified = std::filesystem::last_write_time(file, failed);
    if (failed)
        return std::nullopt;
    const auto sinceEpoch = std::chrono::file_clock::to_sys(modified).time_since_epoch();
    return SourceStamp{static_cast<qint64>(size),
                       std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count()};
}

bool setError(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

// SQLite keeps uncommitted or unmerged changes in files beside the database. Left beside a
// copy that is replaced, they would be applied to the new file and damage it.
void removeSideFiles(const QString& databasePath) {
    for (const QString& suffix : {u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QFile::remove(databasePath + suffix);
}

bool copyIsFresh(const QString& copyPath, const SourceStamp& source) {
    if (!QFileInfo(copyPath).isFile())
        return false;
    sqlite3* db = nullptr;
    bool fresh = false;
    if (sqlite3_open_v2(QFile::encodeName(copyPath).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt* stamp = nullptr;
        if (sqlite3_prepare_v2(db, kStampQuery, -1, &stamp, nullptr) == SQLITE_OK &&
            sqlite3_step(stamp) == SQLITE_ROW) {
            fresh = sqlite3_column_int64(stamp, 0) == kCopyFormat &&
                    sqlite3_column_int64(stamp, 1) == source.size &&
                    sqlite3_column_int64(stamp, 2) == source.modifiedNs &&
                    sqlite3_step(stamp) == SQLITE_DONE;
        }
        sqlite3_finalize(stamp);
    }
    sqlite3_close(db);
    return fresh;
}

bool writeStamp(const QString& path, const SourceStamp& source, QString* error) {
    sqlite3* db = nullptr;
    bool written = false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        // The converter writes without flushing; this commit flushes the whole file.
        const QByteArray sql = "PRAGMA synchronous=FULL; BEGIN; "
                               "CREATE TABLE ZELNOA_IMPORT (FORMAT INTEGER, SOURCE_SIZE INTEGER, "
                               "SOURCE_MTIME_NS INTEGER); INSERT INTO ZELNOA_IMPORT VALUES (" +
                               QByteArray::number(kCopyFormat) + ',' +
                               QByteArray::number(source.size) + ',' +
                               QByteArray::number(source.modifiedNs) + "); COMMIT;";
        written = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    if (!written)
        setError(error, u"作業用のコピーに元のファイルを記録できません: %1"_s.arg(
                            QString::fromUtf8(sqlite3_errmsg(db))));
    sqlite3_close(db);
    return written;
}

bool runConverter(const ImportOptions& options, const QString& source, const QString& target,
                  QString* error) {
    QProcess process;
    process.setProgram(options.converterPath);
    process.setArguments({source, target});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    // An event loop rather than a blocking wait, so the loading window keeps painting; user input
    // waits until the conversion is over.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);

    process.start();
    if (!process.waitForStarted())
        return setError(error, u"変換プログラム %1 を起動できません: %2"_s.arg(
                                   options.converterPath, process.errorString()));
    timeout.start(options.timeoutMs);
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return setError(
            error, u"変換が %1 秒以内に終わりませんでした。"_s.arg(options.timeoutMs / 1000.0));
    }
    const QString messages =
        QString::fromUtf8(process.readAllStandardError()).trimmed().right(kMessageTail);
    if (process.exitStatus() == QProcess::CrashExit)
        return setError(error, (u"変換プログラムが異常終了しました。\n"_s + messages).trimmed());
    if (process.exitCode() != 0)
        return setError(error, messages.isEmpty() ? u"変換に失敗しました（終了コード %1）。"_s.arg(
                                                        process.exitCode())
                                                  : messages);
    return true;
}

// A run that was killed while converting leaves its temporary file behind (the converter even
// finishes writing it). One a day old cannot belong to a conversion still under way.
void removeAbandonedTemporaries(const QString& copyPath) {
    const QFileInfo copy(copyPath);
    const QString prefix = copy.fileName() + kTemporaryInfix;
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-kAbandonedAfterSeconds);
    for (const QFileInfo& file : QDir(copy.path()).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (file.fileName().size() == prefix.size() + kRandomCharacters &&
            file.fileName().startsWith(prefix) && file.lastModified() < before) {
            QFile::remove(file.filePath());
            removeSideFiles(file.filePath());
        }
    }
}

bool buildCopy(const QString& accessPath, const QString& copyPath, const SourceStamp& source,
               const ImportOptions& options, QString* error) {
    removeAbandonedTemporaries(copyPath);
    QTemporaryFile temporary(copyPath + kTemporaryInfix + QString(kRandomCharacters, u'X'));
    if (!temporary.open())
        return setError(
            error, u"%1 を作れません: %2"_s.arg(temporary.fileTemplate(), temporary.errorString()));
    const QString temporaryPath = temporary.fileName();
    temporary.close();
    const auto cleanUp = qScopeGuard([&temporaryPath] { removeSideFiles(temporaryPath); });

    if (!runConverter(options, accessPath, temporaryPath, error) ||
        !writeStamp(temporaryPath, source, error))
        return false;
    if (options.accept && !options.accept(temporaryPath, error))
        return false;
    removeSideFiles(copyPath);
    std::error_code failed;
    std::filesystem::rename(nativePath(temporaryPath), nativePath(copyPath), failed);
    if (failed)
        return setError(error, u"作業用のコピー %1 を置けません: %2"_s.arg(
                                   copyPath, QString::fromStdString(failed.message())));
    temporary.setAutoRemove(false);
    return true;
}

} // namespace

bool isAccessFile(const QString& path) {
    // Opening a FIFO would wait for a writer for ever.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(20);
    return head.size() == 20 && (head.mid(4) == QByteArray("Standard Jet DB", 16) ||
                                 head.mid(4) == QByteArray("Standard ACE DB", 16));
}

QString workingCopyPath(const QString& accessPath) {
    return accessPath + u".sqlite"_s;
}

QString cachedCopyPath(const QString& accessPath, const QString& cacheFolder) {
    const QFileInfo file(accessPath);
    // Named after the file and where it lies, so two masters of one name never share a copy.
    const QByteArray where =
        QCryptographicHash::hash(file.absoluteFilePath().toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return cacheFolder + u'/' + file.fileName() + u'-' + QString::fromLatin1(where) + u".sqlite"_s;
}

ImportOptions defaultImportOptions(const ProgramPaths& paths) {
    ImportOptions options;
    options.converterPath = paths.converter;
    options.cacheFolder = paths.cacheFolder;
    options.accept = [](const QString& copyPath, QString* error) {
        Connection connection;
        if (connection.open(copyPath) && connection.close())
            return true;
        return setError(error, connection.lastError());
    };
    return options;
}

std::optional<QString> prepareWorkingCopy(const QString& accessPath, const ImportOptions& options,
                                          QString* error, const LongWorkRunner& runLongWork) {
    const std::optional<SourceStamp> source = sourceStamp(accessPath);
    if (!source) {
        setError(error, u"%1 を読めません。"_s.arg(accessPath));
        return std::nullopt;
    }
    QString copyPath = workingCopyPath(accessPath);
    if (copyIsFresh(copyPath, *source))
        return copyPath;
    // A shared master in a folder this user may not write to gets its copy in the user's cache.
    const QString folder = QFileInfo(accessPath).absolutePath();
    if (!options.cacheFolder.isEmpty() &&
        ::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        copyPath = cachedCopyPath(accessPath, options.cacheFolder);
        if (copyIsFresh(copyPath, *source))
            return copyPath;
        QDir().mkpath(options.cacheFolder);
    }

    bool built = false;
    QString reason = u"変換が行われませんでした。"_s;
    const auto work = [&] {
        built = buildCopy(accessPath, copyPath, *source, options, &reason);
    };
    if (runLongWork)
        runLongWork(work);
    else
        work();
    if (built)
        return copyPath;
    setError(error, reason);
    // A copy of an earlier version of the file must not stand in for the one that failed.
    QFile::remove(copyPath);
    removeSideFiles(copyPath);
    return std::nullopt;
}

std::optional<QString> resolveMasterDatabase(const QString& configuredPath,
                                             const ProgramPaths& paths, QString* error,
                                             const LongWorkRunner& runLongWork) {
    const QFileInfo file(configuredPath);
    if (file.exists() && !file.isFile()) {
        setError(error, u"%1 は普通のファイルではありません。"_s.arg(configuredPath));
        return std::nullopt;
    }
    if (!isAccessFile(configuredPath))
        return configuredPath;
    return prepareWorkingCopy(configuredPath, defaultImportOptions(paths), error, runLongWork);
}

} // namespace storage
