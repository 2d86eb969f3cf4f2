#pragma once

#include <QString>

#include "app/folders.h"

/// The globe's view switches kept beside the settings record (whose 243 bytes have no room for
/// them): a small text file, one "Name=0|1" line per switch.
namespace zimbalo::app {

/// Name of the file in the settings folder.
inline constexpr char kViewOptionsFileName[] = "Zimbalo_view.ini";

struct ViewOptions {
    bool dayNight = false;    ///< "Tag/Nacht": shade the globe by the Sun's altitude
    bool visibility = false;  ///< "Sichtbarkeit": the visibility curves of the event
};

/// Path of the file in the settings folder.
QString ViewOptionsPath(const AppFolders& folders);

/// The switches from the file; the defaults (all off) for a switch that is missing or unreadable,
/// and for a file that is missing, longer than 4 KiB or not text of that form.
ViewOptions ReadViewOptions(const QString& path);

/// Writes the switches, replacing the file at once (never a half-written file); false when it
/// could not be written.
bool WriteViewOptions(const QString& path, const ViewOptions& options);

}  // namespace zimbalo::app
