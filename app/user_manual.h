#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QUrl>

#include "astro/language.h"
#include "dialogs/user_dialogs.h"

/// The short user manual delivered with the program (HTML, one file per language), shown in the
/// system's browser.
namespace zimbalo::app {

/// The manual's file in the data folder for the language ("manual/zimbalo.de.html", ".en",
/// ".fr"); the English one when that translation is missing; nothing when there is none at all.
std::optional<QString> UserManualPath(const QString& dataFolder, Language language);

/// Opens a URL in the system's browser; tests replace it so that no browser starts.
using UrlOpener = std::function<bool(const QUrl&)>;

/// The opener in use (QDesktopServices::openUrl unless replaced).
UrlOpener& UserManualOpener();

/// Opens the manual in the language; a missing manual or a browser that cannot be started is
/// reported (naming the file) and gives false.
bool OpenUserManual(const QString& dataFolder, Language language, dialogs::UserDialogs& dialogs);

}  // namespace zimbalo::app
