#include "storage/ProgramPaths.h"

#include "storage/SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// Set by the build from the install folders, relative to the one of the executables.
const QString kDataFromBin = QStringLiteral(ZELNOA_DATA_FROM_BIN);
const QString kLibexecFromBin = QStringLiteral(ZELNOA_LIBEXEC_FROM_BIN);

QString xdgFolder(const QProcessEnvironment& env, const QString& variable,
                  const QString& fallbackUnderHome) {
    const QString value = env.value(variable);
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(env.value(u"HOME"_s, QDir::homePath()) + u'/' + fallbackUnderHome);
}

QString beside(const QString& folder, const QString& relative) {
    return QDir::cleanPath(folder + u'/' + relative);
}

} // namespace

QString ProgramPaths::databasePath(const QString& name) const {
    if (portable)
        return databaseFolders.value(0) + u'/' + name;
    if (QDir::isAbsolutePath(name))
        return name;
    for (const QString& folder : databaseFolders) {
        const QString path = folder + u'/' + name;
        if (QFileInfo::exists(path))
            return path;
    }
    return databaseFolders.value(0) + u'/' + name;
}

ProgramPaths programPaths(const QString& exeFolder, const QString& baseName,
                          const QProcessEnvironment& env) {
    ProgramPaths paths;
    const QString ownSettings = exeFolder + u'/' + baseName + u".ini"_s;
    paths.portable = QFileInfo::exists(ownSettings) ||
                     QFileInfo::exists(exeFolder + u'/' + settingsKeys::DefaultDatabase);
    const QString ownConverter = exeFolder + u"/zelnoa-import"_s;
    paths.converter = QFileInfo::exists(ownConverter)
                          ? ownConverter
                          : beside(exeFolder, kLibexecFromBin + u"/zelnoa-import"_s);
    if (paths.portable) {
        paths.settingsFile = ownSettings;
        paths.databaseFolders = {exeFolder};
        return paths;
    }
    paths.settingsFile =
        xdgFolder(env, u"XDG_CONFIG_HOME"_s, u".config"_s) + u"/zelnoa/zelnoa.ini"_s;
    paths.databaseFolders = {xdgFolder(env, u"XDG_DATA_HOME"_s, u".local/share"_s) + u"/zelnoa"_s,
                             ::beside(exeFolder, kDataFromBin)};
    paths.cacheFolder = xdgFolder(env, u"XDG_CACHE_HOME"_s, u".cache"_s) + u"/zelnoa"_s;
    return paths;
}

ProgramPaths runningProgramPaths(const QString& baseName) {
    return programPaths(QCoreApplication::applicationDirPath(), baseName);
}
