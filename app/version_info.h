#pragma once

#include <QString>

/// The program's own version record, built into the executable from the project version.
namespace zimbalo::app {

/// The "FileVersion" text of this build ("1.0.0"); heads the settings record and the title.
QString FileVersion();

}  // namespace zimbalo::app
