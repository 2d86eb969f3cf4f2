// The two list windows as the main window sees them: their creation, the menu items that show
// them, their part of the settings record, the language switch and their temporary files.

#include <cmath>

#include <QFile>

#include "app/caption_sets.h"
#include "app/circumstances_panel.h"
#include "app/globe_panel.h"
#include "app/information_panel.h"
#include "app/main_window.h"
#include "app/marker_group.h"
#include "app/player.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/city_list_window.h"
#include "lists/ui/coming_window.h"
#include "lists/ui/home_store.h"

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
    if (m_cityHist != nullptr) {
        return;
    }
    m_listRuns = new lists::ListRunControl(&m_stopRequested, this);
    lists::ListWindowContext context;
    context.catalogue = &m_table;
    context.currentRecord = [this] { return m_shown->Record(); };
    context.dataFolder = LocalPath(DataFolder());
    context.tempFolder = LocalPath(m_folders.temporary);
    context.language = m_shown->language();
    context.dialogs = &m_dialogs;
    context.control = m_listRuns;
    context.windowTitle = [this] { return BaseTitle(); };
    context.applyCaptions = [this](QWidget& window, Language language) {
        const std::vector<std::string> problems = ApplyListWindowCaptions(window, language);
        m_captionProblems.insert(m_captionProblems.end(), problems.begin(), problems.end());
    };
    // Children of the main window, each a window of its own: they close with it.
    m_cityHist = new lists::TForm_CityHist(context, this);
    m_cityList = new lists::TForm_CityList(context, this);
    createComingWindow();
    listWindowsFromSettings(m_settings);
    applyListLanguage(m_shown->language());
}

void TForm_Main::createComingWindow() {
    m_homeStore =
        new lists::HomeStore(LocalPath(m_folders.settings + QLatin1String(lists::kHomeFileName)),
                             LocalPath(DataFolder()), this);
    if (const QString problem = m_homeStore->load(m_shown->language()); !problem.isEmpty()) {
        m_dialogs.fail(problem);
    }
    m_cityHist->setHomeStore(m_homeStore);
    m_coming = new lists::ComingOccultationsWindow(&m_table, &m_dialogs, m_shown->language(), this);
    m_coming->setHome(m_homeStore->home());
    m_globePanel->ShowHome(m_homeStore->home());
    connect(m_homeStore, &lists::HomeStore::homeChanged, this, [this] {
        m_coming->setHome(m_homeStore->home());
        m_globePanel->ShowHome(m_homeStore->home());
    });
    // The planet check boxes choose the planets of both windows (none checked means all).
    connect(m_info, &InformationPanel::planetsChosen, this, [this](unsigned planets) {
        m_cityHist->setPlanets(planets);
        m_coming->setPlanets(planets);
    });
    // "Als Heimatort" under the marker fields and in the circumstances panel: the point becomes
    // the home, named by its coordinates (the marker has no height).
    const auto setHomeAt = [this](double latitude, double longitude, double height) {
        const QString name =
            QStringLiteral("%1, %2").arg(latitude, 0, 'f', 4).arg(longitude, 0, 'f', 4);
        const QString error =
            m_homeStore->setHome(name.toStdString(), latitude, longitude,
                                 static_cast<int>(std::lround(height)), m_shown->language());
        if (!error.isEmpty()) {
            m_dialogs.fail(error);
        } else if (m_homeStore->home()) {
            m_dialogs.inform(
                lists::HomeStore::confirmation(*m_homeStore->home(), m_shown->language()));
        }
    };
    connect(
        m_marker, &MarkerGroup::setAsHomeRequested, this,
        [setHomeAt](const MarkerPlace& place) { setHomeAt(place.latitude, place.longitude, 0.0); });
    connect(m_circumstances, &CircumstancesPanel::homeRequested, this, setHomeAt);
    // A picked row shows its event at the first contact; the marker stays where the user put it.
    connect(m_coming, &lists::ComingOccultationsWindow::eventChosen, this,
            [this](int number, double jdUT) {
                m_player->Stop();
                m_shown->ShowEventAt(number, jdUT);
            });
}

void TForm_Main::showComing() {
    if (m_coming == nullptr) {
        return;
    }
    m_coming->show();
    m_coming->raise();
    m_coming->activateWindow();
}

void TForm_Main::applyListLanguage(Language language) {
    // The one path of a language to the list windows: each stops its run, hides, and takes the
    // captions of the language (through the hook of its context, which collects the problems).
    for (lists::ListWindow* window : {static_cast<lists::ListWindow*>(m_cityHist),
                                      static_cast<lists::ListWindow*>(m_cityList)}) {
        if (window != nullptr) {
            window->applyLanguage(language);
        }
    }
    if (m_coming != nullptr) {
        m_coming->setLanguage(language);
    }
}

void TForm_Main::showCityList() {
    showCleared(m_cityList, m_shown->language());
}

void TForm_Main::showCityHist() {
    showCleared(m_cityHist, m_shown->language());
}

void TForm_Main::listWindowsFromSettings(const SettingsRecord& s) {
    // The main window applies its settings before the list windows exist; their creation
    // applies them then.
    if (m_cityHist == nullptr || m_cityList == nullptr) {
        return;
    }
    lists::CityHistSettings hist;
    lists::CityListSettings list;
    pairListFields(s, hist, list, IntoWindow{});
    m_cityHist->applySettings(hist);
    m_cityList->applySettings(list);
}

void TForm_Main::listWindowsToSettings(SettingsRecord& s) const {
    if (m_cityHist == nullptr || m_cityList == nullptr) {
        return;
    }
    const lists::CityHistSettings hist = m_cityHist->settings();
    const lists::CityListSettings list = m_cityList->settings();
    pairListFields(s, hist, list, IntoRecord{});
}

void TForm_Main::removeListTempFiles() {
    if (m_listRuns != nullptr) {
        m_listRuns->requestStop();
    }
    for (lists::ListWindow* window : {static_cast<lists::ListWindow*>(m_cityHist),
                                      static_cast<lists::ListWindow*>(m_cityList)}) {
        if (window != nullptr) {
            window->removeTemporaryFiles();
        }
    }
}

}  // namespace zimbalo::app
