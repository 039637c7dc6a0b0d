#pragma once
// Copies of the user's settings kept where the settings file itself cannot take them or is about to
// change form: the rescue copy of a save that could not replace the file, and the original of a
// file saved as UTF-8 before it is rewritten in Shift_JIS. Each copy is a new file, created only
// where nothing stands, so no copy ever overwrites another file.

#include "storage/FileSystem.h"

#include <QByteArrayView>
#include <QString>

namespace storage {

// Writes bytes, the whole settings file as the failed save would have left it, to a new file
// named after the settings file and the local time ("zelnoa.ini.20261207-140258", then "-2",
// "-3" … when taken), readable by its owner only. It goes to $XDG_DATA_HOME/zelnoa/rescued, else
// to $HOME/.local/share/zelnoa/rescued, else to the temporary folder, folders created as needed.
// The path of the copy, or empty text when no place would take it.
QString writeRescueCopy(const QString& settingsPath, QByteArrayView bytes,
                        FileSystem& fileSystem = systemFileSystem());

// Keeps bytes, the file as saved in UTF-8, beside it as "<settings file>.utf8-backup" (then
// ".utf8-backup.1", ".2" … when taken). False when no such file could be written.
bool writeUtf8Backup(const QString& settingsPath, QByteArrayView bytes,
                     FileSystem& fileSystem = systemFileSystem());

} // namespace storage
