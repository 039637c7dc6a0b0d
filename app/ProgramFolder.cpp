#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

ProgramFolder ProgramFolder::ofExecutable() {
    return {QCoreApplication::applicationDirPath(),
            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()};
}

QString ProgramFolder::filePath(const QString& fileName) const {
    return path + u'/' + fileName;
}

QString ProgramFolder::settingsFilePath() const {
    return filePath(baseName + QStringLiteral(".ini"));
}
