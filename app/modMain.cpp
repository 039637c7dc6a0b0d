#include "app/modMain.h"

#include "app/MessageBox.h"
#include "app/ProgramFolder.h"
#include "app/QuitSignals.h"
#include "app/RowListModel.h"
#include "app/SingleInstance.h"
#include "app/frmWait.h"
#include "catalogue/SideLists.h"
#include "catalogue/frmBuki.h"
#include "storage/AccessImport.h"
#include "storage/Database.h"
#include "storage/SettingsFile.h"
#include "storage/SettingsKeys.h"
#include "storage/modCommon.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QScopeGuard>
#include <QSessionManager>
#include <QWidget>

namespace modMain {
namespace {

const QString AlreadyRunning = QStringLiteral("既に起動しています。");
const QString NoLock =
    QStringLiteral("二重起動を防ぐためのロックを取得できないため、起動できません。");
const QString DatabaseFailed = QStringLiteral("データベース接続に失敗しました。");
const QString CloseFailed = QStringLiteral("エラーです、まじ");
const QString SaveFailed = QStringLiteral("設定ファイルの保存に失敗しました。");

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

} // namespace

// The one place that decides which window runs the program.
std::unique_ptr<QWidget> createMainWindow() {
    auto window = std::make_unique<frmBuki>();
    window->intFormStart();
    return window;
}

void setUpFonts() {
    const QString japanese = QStringLiteral("IPAPGothic");
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), japanese);
    QFont font = QApplication::font();
    font.setFamilies({japanese, font.family()});
    QApplication::setFont(font);
}

qint16 intOpenDatabase(const ProgramFolder& folder) {
    QString name = trimSpaces(modCommon::strGetIni(settingsKeys::System, settingsKeys::Database));
    if (name.isEmpty()) {
        name = settingsKeys::DefaultDatabase;
        modCommon::setIni(settingsKeys::System, settingsKeys::Database, name);
    }
    // An Access master is opened through its SQLite working copy, built in the loading window
    // when missing or out of date; the window has no owner yet, so it is centred on the screen.
    const std::optional<QString> database = storage::resolveMasterDatabase(
        folder.filePath(name), nullptr, [](const std::function<void()>& work) {
            frmWait wait;
            wait.setBukiData(work);
            wait.exec();
        });
    return database && storage::cnDatabase().open(*database) ? 0 : 1;
}

qint16 intCloseDatabase() {
    return storage::cnDatabase().close() ? 0 : 1;
}

void endApp(QWidget* parent, const RowListModel& profiles, bool blnProfileChanged,
            const RowListModel& enchants, bool blnEnchantChanged) {
    if (intCloseDatabase() == 1)
        ui::msgBox(parent, CloseFailed, ui::Buttons::Ok, ui::Icon::Critical);
    if (!sideLists::saveLists(profiles, blnProfileChanged, enchants, blnEnchantChanged).saved)
        ui::msgBox(parent, SaveFailed, ui::Buttons::Ok, ui::Icon::Critical);
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

int Main(const ProgramFolder& folder) {
    setUpFonts();
    SingleInstance instance;
    switch (instance.acquire(folder.settingsFilePath())) {
    case SingleInstance::State::Acquired:
        break;
    case SingleInstance::State::RunningElsewhere:
        ui::msgBox(nullptr, AlreadyRunning, ui::Buttons::Ok, ui::Icon::Critical);
        return 1;
    case SingleInstance::State::Unavailable:
        ui::msgBox(nullptr, NoLock, ui::Buttons::Ok, ui::Icon::Critical);
        return 1;
    }
    storage::SettingsFile settings(folder.settingsFilePath());
    storage::SettingsFile* const previous = storage::currentSettingsFile();
    storage::setCurrentSettingsFile(&settings);
    const auto restore = qScopeGuard([previous] { storage::setCurrentSettingsFile(previous); });
    if (intOpenDatabase(folder) == 1) {
        ui::msgBox(nullptr, DatabaseFailed, ui::Buttons::Ok, ui::Icon::Critical);
        return 1;
    }
    const std::unique_ptr<QWidget> window = createMainWindow();
    // A logout, kill or Ctrl+C ends the run the way the quit button does.
    QuitSignals quitSignals;
    QWidget* const mainWindow = window.get();
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, mainWindow,
                     [mainWindow] { quitInOrder(mainWindow); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, mainWindow,
                     [mainWindow](QSessionManager&) { quitInOrder(mainWindow); });
    window->show();
    return QApplication::exec();
}

} // namespace modMain
