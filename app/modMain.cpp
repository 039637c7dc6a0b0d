#include "app/modMain.h"

#include "app/QuitSignals.h"
#include "app/SingleInstance.h"
#include "catalogue/frmBuki.h"
#include "storage/AccessImport.h"
#include "storage/AtomicFile.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "storage/SettingsKeys.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"
#include "ui/frmWait.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QSessionManager>

namespace modMain {
namespace {

// Spaces only, as the settings value may legitimately hold other blanks.
QString trimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

// The lock of the settings file; false (the user told why) when another copy holds it or none
// could be taken.
bool takeLock(SingleInstance& instance, const QString& settingsFile) {
    switch (instance.acquire(settingsFile)) {
    case SingleInstance::State::Acquired:
        return true;
    case SingleInstance::State::RunningElsewhere:
        ui::msgBox(nullptr, messages::AlreadyRunning, ui::Buttons::Ok, ui::Icon::Critical);
        return false;
    case SingleInstance::State::Unavailable:
        break;
    }
    ui::msgBox(nullptr, messages::NoLock, ui::Buttons::Ok, ui::Icon::Critical);
    return false;
}

} // namespace

void setUpFonts() {
    const QString japanese = QStringLiteral("IPAPGothic");
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), japanese);
    QFont font = QApplication::font();
    font.setFamilies({japanese, font.family()});
    QApplication::setFont(font);
}

qint16 intOpenDatabase(const ProgramPaths& paths, const storage::Stores& stores) {
    QString name = trimSpaces(stores.settings.value(settingsKeys::System, settingsKeys::Database));
    if (name.isEmpty()) {
        name = settingsKeys::DefaultDatabase;
        storage::SettingsBatch batch(stores.settings);
        stores.settings.setValue(settingsKeys::System, settingsKeys::Database, name);
        ui::showSaveFailure(nullptr, batch.commit());
    }
    // An Access master is opened through its SQLite working copy, built in the loading window
    // when missing or out of date; the window has no owner yet, so it is centred on the screen.
    const std::optional<QString> database = storage::resolveMasterDatabase(
        paths.databasePath(name), paths, nullptr, [](const std::function<void()>& work) {
            frmWait wait;
            wait.setBukiData(work);
            wait.exec();
        });
    return database && stores.database.open(*database) ? 0 : 1;
}

void quitInOrder(QWidget* mainWindow) {
    // Each open dialog ends as its close box ends it, so whatever it holds unconfirmed is dropped
    // and nothing it would write is written. One that refuses to close ends the loop.
    QWidget* previous = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == previous)
            break;
        previous = modal;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    mainWindow->close();
}

int Main(const ProgramPaths& paths) {
    setUpFonts();
    // An installed program's settings folder may not exist yet; the lock is taken on it.
    QDir().mkpath(QFileInfo(paths.settingsFile).absolutePath());
    SingleInstance instance;
    if (!takeLock(instance, paths.settingsFile))
        return 1;
    storage::removeStaleTemporaries(paths.settingsFile);
    storage::SettingsFile settings(paths.settingsFile);
    storage::Connection database;
    const storage::Stores stores{database, settings};
    if (intOpenDatabase(paths, stores) == 1) {
        ui::msgBox(nullptr, messages::DatabaseOpenFailed, ui::Buttons::Ok, ui::Icon::Critical);
        return 1;
    }
    frmBuki window(stores);
    window.intFormStart();
    // A logout, kill or Ctrl+C ends the run the way the quit button does.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &window,
                     [&window] { quitInOrder(&window); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { quitInOrder(&window); });
    return QApplication::exec();
}

} // namespace modMain
