#pragma once
// Writing whole files so that they are never seen half written. A replacement writes the new bytes
// to a temporary file in the same folder, flushes them to the disk, and then renames the temporary
// file over the old one: until that rename the old file is untouched; after it the new file is
// complete. A new file is created only where no file stands, and removed again if it could not be
// written whole.

#include "storage/FileSystem.h"

#include <QByteArrayView>
#include <QString>

namespace storage {

// Writes bytes as the new content of path (created if missing; a symbolic link is followed, so
// the link stays). The replacement keeps the old file's permission bits. It is refused when the
// running user may not write the old file itself (a rename would get around that and hand the
// file to this user), when nobody may write it, and when path names no plain file. On any failure
// the old file stays byte for byte as it was, no temporary file is left, and false is returned.
bool replaceFile(const QString& path, QByteArrayView bytes,
                 FileSystem& fileSystem = systemFileSystem());

// Creates path with bytes as its content and the permission bits of mode (less the umask). Fails,
// leaving nothing behind, when anything already stands there (errno EEXIST) or a step fails.
bool writeNewFile(const QByteArray& path, QByteArrayView bytes, mode_t mode,
                  FileSystem& fileSystem = systemFileSystem());

// Removes the temporary files replaceFile() leaves when the program is killed in mid-write beside
// the settings file (and beside the file a link of that name points to). Only files named exactly
// as replaceFile() names them are touched. Call it only while no other copy of the program can be
// writing the same file.
void removeStaleTemporaries(const QString& settingsPath);

} // namespace storage
