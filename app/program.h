#pragma once

#include <memory>
#include <vector>

#include <QRect>

#include "app/folders.h"
#include "app/main_window.h"
#include "app/settings_record.h"
#include "dialogs/user_dialogs.h"

/// Start-up of the program: settings, catalogue, main window, event loop.
namespace zimbalo::app {

/// What the start-up needs from its surroundings (tests give temporary folders and a fake).
struct StartOptions {
    AppFolders folders;
    std::vector<QRect> screens;  ///< available screen areas, for the saved window places
    /// Language of a start without a usable settings file (the program takes the locale's).
    Language firstStartLanguage = Language::German;
};

/// The window that start-up made, or the exit status when it could not start.
struct Started {
    std::unique_ptr<TForm_Main> window;
    int exitStatus = 0;
    SettingsOrigin settingsOrigin = SettingsOrigin::Read;
    int windowState = 0;  ///< saved: 0 normal, 1 minimised, 2 maximised
};

/// The "settings will not be kept" message, naming the file and the reason.
QString SettingsNotKeptMessage(const QString& problem);

/// Reads or creates the settings record, loads the catalogue and creates the main window and the
/// list windows in the saved language; messages go to `dialogs`, which outlives the window. A
/// catalogue that cannot be read is reported (file and reason) and gives exit status 1 and no
/// window; a settings file that cannot be kept is reported once and the program starts with the
/// defaults.
Started StartMainWindow(dialogs::UserDialogs& dialogs, const StartOptions& options);

/// The whole program: "--version" and "--help" print one line and return 0; otherwise the
/// application object, the start-up, SIGTERM/SIGINT handling and the event loop.
int RunProgram(int argc, char** argv);

}  // namespace zimbalo::app
