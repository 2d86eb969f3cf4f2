// Capitals, the single marker and the listed points of interest of the main window. These bodies
// do the least that works; the points subsystem replaces them.

#include <QFile>
#include <QPlainTextEdit>

#include "app/main_window.h"

namespace zimbalo::app {

void TForm_Main::SetupPoints() {}

void TForm_Main::LoadPoIList() {
    QFile file(Folders().documents + "Zimbalo_PoI.txt");
    if (!file.open(QIODevice::ReadOnly))
        return;  // a missing or unreadable list leaves the editor as it is
    RichEdit_PoIs->setPlainText(QString::fromUtf8(file.readAll()));
}

void TForm_Main::RebuildCapitalsLayer() {}

void TForm_Main::RebuildMarkerLayer() {}

void TForm_Main::RebuildListedPoIsLayer() {}

void TForm_Main::UpdateMarkerDistances() {}

}  // namespace zimbalo::app
