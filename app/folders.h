#pragma once

#include <optional>

#include <QString>

/// The folders the program reads and writes, resolved once at start.
namespace zimbalo::app {

struct AppFolders {
    QString program;  ///< folder of the executable, with a trailing "/"
    /// Folder of the delivered data (catalogue, textures, city files) with a trailing "/";
    /// nothing when it was not found.
    std::optional<QString> data;
    QString documents;  ///< documents folder + "Zimbalo/" (the points-of-interest list)
    QString settings;   ///< generic configuration folder + "Zimbalo/" (the settings record)
    QString temporary;  ///< the system's temporary folder, trimmed, with a trailing "/"
    bool documentsReady = false;  ///< the documents folder exists (or was created)
    bool settingsReady = false;   ///< the settings folder exists (or was created)
};

/// Resolves the folders and creates the documents and settings folders with all missing
/// parents. The data folder is the program's folder or, installed, ../share/zimbalo/ beside it;
/// nothing when neither holds the catalogue. $XDG_CONFIG_HOME and the other XDG variables are
/// honoured through QStandardPaths.
AppFolders ResolveFolders();

/// Path of the settings record in the settings folder.
QString SettingsPath(const AppFolders& folders);

}  // namespace zimbalo::app
