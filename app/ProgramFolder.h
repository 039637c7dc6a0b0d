#pragma once
// Where the program keeps its files: the folder of the executable holds the settings file (named
// after the executable) and the master database. Start-up takes the folder as a value so tests
// can point the whole program at a temporary folder.

#include <QString>

struct ProgramFolder {
    QString path;
    // The executable's file name without its extension; the settings file is named after it.
    QString baseName;

    // The folder and name of the running executable.
    static ProgramFolder ofExecutable();

    // path + "/" + fileName, the name appended as given.
    QString filePath(const QString& fileName) const;
    QString settingsFilePath() const;
};
