#pragma once
// The few file-system calls the settings file makes, behind one virtual interface: tests
// derive from it to count reads or to make any single step of a write fail, which cannot be
// arranged with real permissions when the tests run as root.

#include <QByteArray>
#include <QtGlobal>
#include <sys/types.h>

namespace storage {

// What identifies one version of a file on disk; a replaced or rewritten file differs in at
// least one of these.
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    mode_t mode = 0;      // permission bits; not part of the identity
    bool regular = false; // a plain file, not a folder, FIFO or device

    bool sameVersion(const FileStamp& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modifiedNs == other.modifiedNs;
    }
};

enum class ReadResult { Ok, Missing, Failed };

// Paths are in the local 8-bit file name encoding (QFile::encodeName). The calls that can fail
// report it and leave errno set, as the system calls do.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual FileStamp stamp(const QByteArray& path);
    // The whole file and the stamp of what was read. Anything but a plain file fails without
    // being opened, so a FIFO or a device can never block the program.
    virtual ReadResult read(const QByteArray& path, QByteArray& bytes, FileStamp& stamp);
    // Whether the running user may write the file itself, by its owner and permission bits.
    virtual bool canWrite(const QByteArray& path);

    // The steps of writing a file (see AtomicFile.h). createNew never opens an existing file:
    // it fails with EEXIST instead.
    virtual bool makeFolders(const QByteArray& path, mode_t mode);
    virtual int createNew(const QByteArray& path, mode_t mode); // a descriptor, or -1
    virtual qint64 write(int fd, const char* data, qint64 size);
    virtual bool setMode(int fd, mode_t mode);
    virtual bool sync(int fd);
    virtual bool close(int fd);
    virtual bool rename(const QByteArray& from, const QByteArray& to);
    virtual void remove(const QByteArray& path);
    virtual void syncFolder(const QByteArray& folder);
};

// The real file system.
FileSystem& systemFileSystem();

} // namespace storage
