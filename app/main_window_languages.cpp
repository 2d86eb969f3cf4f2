// Languages and the version panel of the main window. These bodies do the least that works; the
// language subsystem replaces them with the full caption sets.

#include <QAction>

#include "app/main_window.h"

namespace zimbalo::app {

void TForm_Main::ApplyCaptionSet(int language) {
    State().language = static_cast<Language>(language);
    QAction* items[] = {Opt_Deutsch, Opt_English, Opt_Francais};
    if (language >= 0 && language <= 2)
        items[language]->setChecked(true);
    CheckBox_ET_UTClick();
    setWindowTitle(BaseTitle());
}

void TForm_Main::Opt_DeutschClick() {
    ApplyCaptionSet(0);
}

void TForm_Main::Opt_EnglishClick() {
    ApplyCaptionSet(1);
}

void TForm_Main::Opt_FrancaisClick() {
    ApplyCaptionSet(2);
}

void TForm_Main::Version1Click() {}

void TForm_Main::FillVersionGrid() {}

}  // namespace zimbalo::app
