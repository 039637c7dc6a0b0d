#pragma once
// Access-format master databases.
//
// The program works on SQLite. When the configured master is an Access file (recognised by its
// content, whatever its name), it works on a copy beside it instead: file name + ".sqlite", or,
// when the user may not write beside a shared file, a copy in the user's cache folder. The copy
// is made by the converter zelnoa-import, run as a child process so
// that a reader crash on a damaged file is reported instead of shared. The copy records the size
// and modification time of the file it came from; while they match it is reused as it is, so a
// normal start costs nothing extra. A new copy is built in a temporary file and renamed into
// place, so a failed or interrupted conversion never leaves a half-written copy. The Access file
// itself is only ever read.

#include "storage/ProgramPaths.h"

#include <QString>
#include <functional>
#include <optional>

namespace storage {

// Runs work, for instance inside the loading window. Called only when a copy has to be built.
using LongWorkRunner = std::function<void(const std::function<void()>& work)>;

// True when the file starts with the Access signature ("Standard Jet DB" or "Standard ACE DB"
// at byte 4). Anything but a plain file is not opened and is no Access file.
bool isAccessFile(const QString& path);

// accessPath + ".sqlite".
QString workingCopyPath(const QString& accessPath);
// The copy kept in cacheFolder for a file whose own folder is not writable.
QString cachedCopyPath(const QString& accessPath, const QString& cacheFolder);

struct ImportOptions {
    QString converterPath; // zelnoa-import
    QString cacheFolder;   // where copies go that cannot sit beside their file; empty: nowhere
    int timeoutMs = 5 * 60 * 1000;
    // Decides whether a freshly built copy can serve as the master; by default it must open as
    // the program's database (every master table present). False with a reason in error.
    std::function<bool(const QString& copyPath, QString* error)> accept;
};
ImportOptions defaultImportOptions(const ProgramPaths& paths);

// The path of an up-to-date working copy of the Access file: the existing copy when it was made
// from the file as it is now, otherwise a new one. On failure (damaged file, converter crash or
// time-out, copy not accepted, folder not writable) returns nothing, says why in error and
// leaves no copy and no temporary file behind.
std::optional<QString> prepareWorkingCopy(const QString& accessPath, const ImportOptions& options,
                                          QString* error, const LongWorkRunner& runLongWork = {});

// The file the connection should open for the configured master database: the file itself
// unless it is an Access file, whose working copy is then prepared with the default options.
// Nothing when the path names a folder, FIFO or device.
std::optional<QString> resolveMasterDatabase(const QString& configuredPath,
                                             const ProgramPaths& paths, QString* error,
                                             const LongWorkRunner& runLongWork = {});

} // namespace storage
