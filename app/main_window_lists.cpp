// The two list windows as the main window sees them: their creation, the menu items that show
// them, their part of the settings record, the language switch and their temporary files.

#include <QAction>
#include <QFile>

#include "app/caption_sets.h"
#include "app/main_window.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/city_list_window.h"

namespace zimbalo::app {

namespace {

std::string LocalPath(const QString& folder) {
    return QFile::encodeName(folder).toStdString();
}

/// Copies a field of the settings record into a list window's settings.
struct IntoWindow {
    void operator()(const std::string& stored, QString& shown) const {
        shown = QString::fromStdString(stored);
    }

    template <typename Stored, typename Shown>
    void operator()(const Stored& stored, Shown& shown) const {
        shown = stored;
    }
};

/// Copies a field of a list window's settings into the settings record.
struct IntoRecord {
    void operator()(std::string& stored, const QString& shown) const {
        stored = shown.toStdString();
    }

    template <typename Stored, typename Shown>
    void operator()(Stored& stored, const Shown& shown) const {
        stored = shown;
    }
};

/// Pairs a list window's place, size and state with their fields in the settings record.
template <typename Int, typename State, typename Geometry, typename Copy>
void pairGeometry(Int& top, Int& left, Int& height, Int& width, State& state, Geometry& geometry,
                  Copy copy) {
    copy(top, geometry.top);
    copy(left, geometry.left);
    copy(height, geometry.height);
    copy(width, geometry.width);
    copy(state, geometry.state);
}

/// Pairs each field the list windows keep with its place in the settings record; one list serves
/// both directions (`copy` is IntoWindow or IntoRecord).
template <typename Record, typename Hist, typename List, typename Copy>
void pairListFields(Record& s, Hist& hist, List& list, Copy copy) {
    pairGeometry(s.histTop, s.histLeft, s.histHeight, s.histWidth, s.histState, hist.geometry,
                 copy);
    copy(s.histPlace, hist.placeName);
    copy(s.histLatitude, hist.latitude);
    copy(s.histLongitude, hist.longitude);
    copy(s.histHeightText, hist.height);
    copy(s.histNorth, hist.north);
    copy(s.histSouth, hist.south);
    copy(s.histWest, hist.west);
    copy(s.histEast, hist.east);
    copy(s.histFromIndex, hist.fromIndex);
    copy(s.histToIndex, hist.toIndex);
    pairGeometry(s.listTop, s.listLeft, s.listHeight, s.listWidth, s.listState, list.geometry,
                 copy);
    copy(s.listPopulationIndex, list.populationIndex);
}

/// Shows a list window (if it exists yet) cleared, in the language in force.
void showCleared(lists::ListWindow* window, Language language) {
    if (window == nullptr) {
        return;
    }
    if (window->language() != language) {
        window->applyLanguage(language);
    }
    window->showCleared();
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
    context.dataFolder = LocalPath(DataFolder());
    context.tempFolder = LocalPath(m_folders.temporary);
    context.language = m_state.language;
    context.dialogs = &m_dialogs;
    context.control = ListRuns;
    context.windowTitle = [this] { return BaseTitle(); };
    context.applyCaptions = [this](QWidget& window, Language language) {
        const std::vector<std::string> problems = ApplyListWindowCaptions(window, language);
        m_captionProblems.insert(m_captionProblems.end(), problems.begin(), problems.end());
    };
    // Children of the main window, each a window of its own: they close with it.
    Form_CityHist = new lists::TForm_CityHist(context, this);
    Form_CityList = new lists::TForm_CityList(context, this);
    ListWindowsFromSettings(m_settings);
}

void TForm_Main::ListWindowsLanguageChanged() {
    // The one path of a language to the list windows: each stops its run, hides, and takes the
    // captions of the language.
    for (lists::ListWindow* window : {static_cast<lists::ListWindow*>(Form_CityHist),
                                      static_cast<lists::ListWindow*>(Form_CityList)}) {
        if (window != nullptr) {
            window->applyLanguage(m_state.language);
        }
    }
}

void TForm_Main::SichtbarkeitClick() {
    showCleared(Form_CityList, m_state.language);
}

void TForm_Main::CityHistClick() {
    showCleared(Form_CityHist, m_state.language);
}

void TForm_Main::ListWindowsFromSettings(const SettingsRecord& s) {
    // The main window applies its settings before the list windows exist; their creation
    // applies them then.
    if (Form_CityHist == nullptr || Form_CityList == nullptr) {
        return;
    }
    lists::CityHistSettings hist;
    lists::CityListSettings list;
    pairListFields(s, hist, list, IntoWindow{});
    Form_CityHist->applySettings(hist);
    Form_CityList->applySettings(list);
}

void TForm_Main::ListWindowsToSettings(SettingsRecord& s) const {
    if (Form_CityHist == nullptr || Form_CityList == nullptr) {
        return;
    }
    const lists::CityHistSettings hist = Form_CityHist->settings();
    const lists::CityListSettings list = Form_CityList->settings();
    pairListFields(s, hist, list, IntoRecord{});
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
