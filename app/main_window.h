#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "app/folders.h"
#include "app/settings_record.h"
#include "app/shown_instant.h"
#include "astro/catalogue.h"
#include "astro/language.h"
#include "dialogs/user_dialogs.h"

class QActionGroup;

namespace zimbalo::lists {
class ComingOccultationsWindow;
class HomeStore;
class ListRunControl;
class ListWindow;
class TForm_CityHist;
class TForm_CityList;
}  // namespace zimbalo::lists

namespace zimbalo::app {

class AboutPanel;
class CircumstancesPanel;
class GlobeGroup;
class GlobePanel;
class InformationPanel;
class MarkerGroup;
class Player;
class PoIChooser;
class PoIEditor;

/// The main window: one event on the globe, the instant within it, and the information panel.
/// It is made of parts, each a widget with its own controls (the information panel, the globe
/// group, the marker group, the globe panel, the points-of-interest editor and chooser, the about
/// panel), and keeps only the menus and the wiring: every part's choice changes the one model of
/// what is shown, whose change every part then shows. Every control carries its objectName.
class TForm_Main : public QMainWindow {
    Q_OBJECT

public:
    /// A window over a loaded catalogue with the settings in effect, in the settings' language.
    /// `dialogs` outlives it.
    TForm_Main(const AppFolders& folders, const SettingsRecord& settings, astro::BesselTable table,
               dialogs::UserDialogs& dialogs, QWidget* parent = nullptr);
    ~TForm_Main() override;

    /// What the window shows: event, instant, time scale and all derived from them.
    const ShownInstant& Shown() const { return *m_shown; }

    const astro::BesselTable& Table() const { return m_table; }

    const AppFolders& Folders() const { return m_folders; }

    /// The data folder. The program opens the window only once it was found; without one, the
    /// files looked for in it are not found and say so.
    QString DataFolder() const { return m_folders.data.value_or(QString()); }

    /// Path of the globe's temporary layer store file.
    QString LayerStorePath() const;

    /// Path of the points-of-interest list in the documents folder.
    QString PoIListPath() const;

    /// The record as the controls show it now (what the close writes).
    SettingsRecord CollectSettings() const;

    /// "Zimbalo " + version + the language's title suffix.
    QString BaseTitle() const;

    /// Whether Play runs.
    bool Playing() const;

    /// Whether the window is closing (or closed).
    bool Closing() const { return m_closing; }

    /// Asks running list calculations to stop (set at Exit and at the close).
    bool StopRequested() const { return m_stopRequested; }

    /// Switches every caption, hint and list item of this window and both list windows to
    /// `language`, with the texts computed in the language; hides the list windows.
    void ApplyLanguage(Language language);

    /// Problems of the last caption switch: captions that found no control (empty when all
    /// landed).
    const std::vector<std::string>& CaptionProblems() const { return m_captionProblems; }

    /// Creates the place-history, many-places and coming-occultations windows in the language in
    /// force, and reads the home place (a damaged home file is reported and gives no home).
    void CreateListWindows();

signals:
    /// The close has saved the settings and removed the temporary files.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void buildParts();
    void connectParts();
    void applySettings(const SettingsRecord& settings);
    void activate();
    void shownChanged(ShownInstant::Change change);
    void openCircumstances(double latitude, double longitude);
    void exitProgram();
    void formClose();

    // List windows (bodies in main_window_lists.cpp).
    void showCityList();
    void showCityHist();
    /// The coming occultations at home: the home, the chosen planets and the picked event.
    void createComingWindow();
    void showComing();
    /// Captions, header and language of both list windows; a going list run stops and both
    /// windows hide.
    void applyListLanguage(Language language);
    void listWindowsFromSettings(const SettingsRecord& settings);
    void listWindowsToSettings(SettingsRecord& settings) const;
    void removeListTempFiles();

    AppFolders m_folders;
    SettingsRecord m_settings;
    astro::BesselTable m_table;
    dialogs::UserDialogs& m_dialogs;
    std::unique_ptr<ShownInstant> m_shown;
    Player* m_player = nullptr;

    // The parts (owned by the window's widget tree).
    InformationPanel* m_info = nullptr;
    GlobeGroup* m_globeGroup = nullptr;
    MarkerGroup* m_marker = nullptr;
    GlobePanel* m_globePanel = nullptr;
    PoIEditor* m_poiEditor = nullptr;
    PoIChooser* m_poiChooser = nullptr;
    AboutPanel* m_about = nullptr;
    CircumstancesPanel* m_circumstances = nullptr;
    QActionGroup* m_languages = nullptr;

    lists::TForm_CityHist* m_cityHist = nullptr;
    lists::TForm_CityList* m_cityList = nullptr;
    lists::ListRunControl* m_listRuns = nullptr;
    lists::HomeStore* m_homeStore = nullptr;
    lists::ComingOccultationsWindow* m_coming = nullptr;

    std::vector<std::string> m_captionProblems;
    std::atomic<bool> m_stopRequested{false};
    bool m_closing = false;
    bool m_activated = false;  ///< the first activation has run
    bool m_closed = false;     ///< the close has run (it runs once)
};

}  // namespace zimbalo::app
