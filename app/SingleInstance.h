#pragma once
// One running program per user and per program folder.
//
// The running program holds an exclusive flock() on a lock file in the user's runtime folder
// (XDG_RUNTIME_DIR, else the temporary folder). The file's name carries the user id and a hash of
// the canonical program folder, so copies of the program in other folders run side by side and a
// folder reached through a link counts as the same folder. The kernel drops the lock when the
// process ends in any way, so a file left behind by a crash never blocks the next start.

#include <QString>

class SingleInstance {
public:
    enum class State {
        Acquired,         // this process now holds the lock
        RunningElsewhere, // another process holds it
        Unavailable,      // no lock file could be opened; the start goes ahead unguarded
    };

    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    State acquire(const QString& programFolder);

    // The lock file used for a program folder.
    static QString lockFilePath(const QString& programFolder);

private:
    int m_fd = -1;
};
