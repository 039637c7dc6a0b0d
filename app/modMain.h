#pragma once
// Start-up and shutdown.
//
// Main() lets one copy of the program run per settings file, opens the settings file and the
// master database named there (ProgramPaths.h says where they are), and hands both to the main
// window, which runs until closing it has run the shutdown job (frmBuki::endApp) and ended the run.
// A logout, a kill or the session manager's quit end the run the same way. Main() returns the
// process exit code.

#include "storage/ProgramPaths.h"
#include "storage/Stores.h"

#include <QtGlobal>

class QWidget;

namespace modMain {

int Main(const ProgramPaths& paths);

// Opens the connection with the database named under "SYSTEM" / "Database" (trimmed; an empty
// value becomes the default name and is written back at once). 0 when open, 1 on failure.
qint16 intOpenDatabase(const ProgramPaths& paths, const storage::Stores& stores);

// Ends the run from any state as the quit button does: every open dialog is closed as its close
// box would close it (its unconfirmed input is dropped), then the main window closes and runs the
// shutdown job. For a logout, a kill or the session manager's quit.
void quitInOrder(QWidget* mainWindow);

// Maps the design's font face to an installed Japanese one and gives the application a default
// font that covers Japanese text.
void setUpFonts();

} // namespace modMain
