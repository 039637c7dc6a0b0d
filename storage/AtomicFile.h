#pragma once
// Replacing a whole file so that it is never seen half written: the new bytes go to a temporary
// file in the same folder, are flushed to the disk, and the temporary file is then renamed over
// the old one. Until that rename the old file is untouched; after it the new file is complete.

#include "storage/FileSystem.h"

#include <QByteArrayView>
#include <QString>

namespace storage {

// Writes bytes as the new content of path (created if missing; a symbolic link is followed, so
// the link stays). The replacement keeps the old file's permission bits; a file nobody may write
// is not replaced. On any failure the old
// file stays byte for byte as it was, no temporary file is left, and false is returned.
bool replaceFile(const QString& path, QByteArrayView bytes,
                 FileSystem& fileSystem = systemFileSystem());

} // namespace storage
