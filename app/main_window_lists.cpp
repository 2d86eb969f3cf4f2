// The two list windows as the main window sees them: their creation, the menu items that show
// them, their part of the settings record, the language switch and their temporary files.

#include <QAction>
#include <QFile>

#include "app/main_window.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/city_list_window.h"

namespace zimbalo::app {

namespace {

std::string LocalPath(const QString& folder) {
    return QFile::encodeName(folder).toStdString();
}

lists::ListWindowGeometry Geometry(std::int32_t top, std::int32_t left, std::int32_t height,
                                   std::int32_t width, std::uint8_t state) {
    return {top, left, height, width, state};
}

}  // namespace

void TForm_Main::CreateListWindows() {
    if (Form_CityHist != nullptr) {
        return;
    }
    ListRuns = new lists::ListRunControl(&m_state.StopRequested, this);
    lists::ListWindowContext context;
    context.catalogue = &m_table;
    context.currentRecord = [this] { return CurrentRecord(); };
    context.dataFolder = LocalPath(m_folders.data);
    context.tempFolder = LocalPath(m_folders.temporary);
    context.language = m_state.language;
    context.dialogs = &m_dialogs;
    context.control = ListRuns;
    context.windowTitle = [this] { return BaseTitle(); };
    // Children of the main window, each a window of its own: they close with it.
    Form_CityHist = new lists::TForm_CityHist(context, this);
    Form_CityList = new lists::TForm_CityList(context, this);
    ListWindowsFromSettings(m_settings);
    // After the menu's own handler has switched the language.
    for (QAction* item : {Opt_Deutsch, Opt_English, Opt_Francais}) {
        if (item != nullptr) {
            connect(item, &QAction::triggered, this, [this] { ListWindowsLanguageChanged(); });
        }
    }
}

void TForm_Main::ListWindowsLanguageChanged() {
    for (lists::ListWindow* window : {static_cast<lists::ListWindow*>(Form_CityHist),
                                      static_cast<lists::ListWindow*>(Form_CityList)}) {
        if (window != nullptr) {
            window->setLanguage(m_state.language);
        }
    }
}

void TForm_Main::SichtbarkeitClick() {
    if (Form_CityList == nullptr) {
        return;
    }
    if (Form_CityList->language() != m_state.language) {
        Form_CityList->setLanguage(m_state.language);
    }
    Form_CityList->showCleared();
}

void TForm_Main::CityHistClick() {
    if (Form_CityHist == nullptr) {
        return;
    }
    if (Form_CityHist->language() != m_state.language) {
        Form_CityHist->setLanguage(m_state.language);
    }
    Form_CityHist->showCleared();
}

void TForm_Main::ListWindowsFromSettings(const SettingsRecord& s) {
    // The main window applies its settings before the list windows exist; their creation
    // applies them then.
    if (Form_CityHist == nullptr || Form_CityList == nullptr) {
        return;
    }
    lists::CityHistSettings hist;
    hist.geometry = Geometry(s.histTop, s.histLeft, s.histHeight, s.histWidth, s.histState);
    hist.placeName = QString::fromStdString(s.histPlace);
    hist.latitude = QString::fromStdString(s.histLatitude);
    hist.longitude = QString::fromStdString(s.histLongitude);
    hist.height = QString::fromStdString(s.histHeightText);
    hist.north = s.histNorth;
    hist.south = s.histSouth;
    hist.west = s.histWest;
    hist.east = s.histEast;
    hist.fromIndex = s.histFromIndex;
    hist.toIndex = s.histToIndex;
    Form_CityHist->applySettings(hist);

    lists::CityListSettings list;
    list.geometry = Geometry(s.listTop, s.listLeft, s.listHeight, s.listWidth, s.listState);
    list.populationIndex = s.listPopulationIndex;
    Form_CityList->applySettings(list);
}

void TForm_Main::ListWindowsToSettings(SettingsRecord& s) const {
    if (Form_CityHist == nullptr || Form_CityList == nullptr) {
        return;
    }
    const lists::CityHistSettings hist = Form_CityHist->settings();
    s.histTop = hist.geometry.top;
    s.histLeft = hist.geometry.left;
    s.histHeight = hist.geometry.height;
    s.histWidth = hist.geometry.width;
    s.histState = hist.geometry.state;
    s.histPlace = hist.placeName.toStdString();
    s.histLatitude = hist.latitude.toStdString();
    s.histLongitude = hist.longitude.toStdString();
    s.histHeightText = hist.height.toStdString();
    s.histNorth = hist.north;
    s.histSouth = hist.south;
    s.histWest = hist.west;
    s.histEast = hist.east;
    s.histFromIndex = hist.fromIndex;
    s.histToIndex = hist.toIndex;

    const lists::CityListSettings list = Form_CityList->settings();
    s.listTop = list.geometry.top;
    s.listLeft = list.geometry.left;
    s.listHeight = list.geometry.height;
    s.listWidth = list.geometry.width;
    s.listState = list.geometry.state;
    s.listPopulationIndex = list.populationIndex;
}

void TForm_Main::RemoveListTempFiles() {
    if (ListRuns != nullptr) {
        ListRuns->requestStop();
    }
    if (Form_CityHist != nullptr) {
        Form_CityHist->removeTemporaryFiles();
    }
    if (Form_CityList != nullptr) {
        Form_CityList->removeTemporaryFiles();
    }
}

}  // namespace zimbalo::app
