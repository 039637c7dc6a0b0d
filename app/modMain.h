#pragma once
// Start-up and shutdown.
//
// Main() lets one copy of the program run per settings file, installs the settings file
// of the program folder, opens the shared database connection from the name kept there and shows
// the main window; closing that window runs the shutdown job through the loading window and ends
// the run. Main() returns the process exit code.

#include <QtGlobal>
#include <memory>

class QWidget;
class RowListModel;
struct ProgramFolder;

namespace modMain {

int Main(const ProgramFolder& folder);

// The run's main window; Main() shows it and runs until the shutdown job has ended the run.
std::unique_ptr<QWidget> createMainWindow();

// Opens the shared connection with the database named under "SYSTEM" / "Database" (trimmed; an
// empty value becomes the default name and is written back at once). 0 when open, 1 on failure.
qint16 intOpenDatabase(const ProgramFolder& folder);
// 0 when the shared connection closed cleanly, 1 otherwise.
qint16 intCloseDatabase();

// The shutdown job: closes the database, then saves each side list that was changed. The lists
// are saved even when the close fails, since they live in the settings file; every failure is
// reported to the user.
void endApp(QWidget* parent, const RowListModel& profiles, bool blnProfileChanged,
            const RowListModel& enchants, bool blnEnchantChanged);

// Ends the run from any state as the quit button does: every open dialog is closed as its close
// box would close it (its unconfirmed input is dropped), then the main window closes and runs the
// shutdown job. For a logout, a kill or the session manager's quit.
void quitInOrder(QWidget* mainWindow);

// Maps the design's font face to an installed Japanese one and gives the application a default
// font that covers Japanese text.
void setUpFonts();

} // namespace modMain
