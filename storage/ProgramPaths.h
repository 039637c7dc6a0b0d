#pragma once
// Where the program's files live, in one of two modes chosen without asking.
//
// Portable: the executable's folder holds the settings file (named after the executable) or the
// master database under its default name, as a build's bin/ or a copied folder does. Everything
// stays in that folder, as it always has.
//
// Installed: the settings file is $XDG_CONFIG_HOME/zelnoa/zelnoa.ini (~/.config/zelnoa/), a
// relative database name is sought in $XDG_DATA_HOME/zelnoa/ and then in the installed data
// folder beside the executable's (../share/zelnoa), and an Access master's working copy that
// cannot sit beside its file goes to $XDG_CACHE_HOME/zelnoa/. The master itself is only read, so
// several users can share one.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ProgramPaths {
    bool portable = true;
    QString settingsFile;
    // Where a relative database name is sought, in order.
    QStringList databaseFolders;
    // Where Access working copies go when they cannot sit beside their file; empty in portable
    // mode, where they always sit beside it.
    QString cacheFolder;
    // The Access converter zelnoa-import.
    QString converter;

    // The master a "Database" value names. Portable: the program folder + "/" + the value, as
    // it stands. Installed: an absolute value as it is; a relative one in the first folder that
    // holds it, else in the first folder.
    QString databasePath(const QString& name) const;
};

// The paths of an executable in exeFolder, called baseName without its extension, for a user
// with this environment (HOME and the XDG_* folders; values that are not absolute are ignored,
// as the XDG rules ask).
ProgramPaths
programPaths(const QString& exeFolder, const QString& baseName,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// The paths of the running program (named zelnoa whatever its file is called, for helper programs
// beside it that share its files).
ProgramPaths runningProgramPaths(const QString& baseName);
