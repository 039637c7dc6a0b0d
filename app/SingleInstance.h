#pragma once
// One running program per settings file.
//
// Two copies that share a settings file would each keep their own lists and the last one to quit
// would write over the other's, so the lock is keyed to the file's folder, not to the user or the
// environment: the running program holds an exclusive flock() on the folder that holds the
// settings file, which any process that could read the file can take, whatever its runtime
// folder, temporary folder or user. On a file system that cannot lock a folder (NFS emulates
// flock() with write locks) every process uses a lock file beside the settings file instead. The
// kernel drops the lock when the process ends in any way, so nothing left behind by a crash ever
// blocks the next start.

#include <QString>

class SingleInstance {
public:
    enum class State {
        Acquired,         // this process now holds the lock
        RunningElsewhere, // another process holds it
        Unavailable,      // no lock could be taken at all; the start must not go ahead
    };

    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    State acquire(const QString& settingsFilePath);

private:
    int m_fd = -1;
};
