// The two list windows as the main window sees them: their creation, the menu items that show
// them, their part of the settings record and their temporary files. These bodies do nothing yet;
// the list-window subsystem fills them in.

#include "app/main_window.h"

namespace zimbalo::app {

void TForm_Main::CreateListWindows() {}

void TForm_Main::SichtbarkeitClick() {}

void TForm_Main::CityHistClick() {}

void TForm_Main::ListWindowsFromSettings(const SettingsRecord&) {}

void TForm_Main::ListWindowsToSettings(SettingsRecord&) const {}

void TForm_Main::RemoveListTempFiles() {}

}  // namespace zimbalo::app
