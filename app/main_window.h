#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "app/folders.h"
#include "app/settings_record.h"
#include "astro/catalogue.h"
#include "astro/language.h"
#include "astro/shadow_geometry.h"
#include "dialogs/user_dialogs.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;
class QSlider;
class QTableWidget;
class QVBoxLayout;

namespace zimbalo::globe {
class GlobeView;
class GeoSpatialDatabase;
}  // namespace zimbalo::globe

namespace zimbalo::lists {
class ListRunControl;
class TForm_CityHist;
class TForm_CityList;
}  // namespace zimbalo::lists

namespace zimbalo::app {

/// The state the main window keeps of what it shows; the list windows read it.
struct MainWindowState {
    int CurrentIndex = 1;        ///< event shown, 1..1780, mirrors ScrollBar_Bedeckung
    double TimeOffset = 0.0;     ///< hours of TT from T0, from Time_ScrollBar
    double DeltaTSeconds = 0.0;  ///< Delta T in effect: 0 while TT is shown
    double JD_TT = 0.0;          ///< the current instant, Julian date TT
    double JD_UT = 0.0;          ///< the same instant in UT, rounded to whole seconds
    Language language = Language::German;
    bool Animating = false;                  ///< a play loop runs
    bool Closing = false;                    ///< the window is closing
    std::atomic<bool> StopRequested{false};  ///< asks a running list calculation to stop
    int GlobeOriginX = 222;                  ///< pixels, the globe centre in the globe control
    int GlobeOriginY = 222;
    double PoILatitude = 47.5;   ///< the marker, degrees, north positive
    double PoILongitude = 7.53;  ///< degrees, east positive
};

/// Time slider: positions 0..12600, 6300 is T0, one step is 2 seconds of event time.
inline constexpr int kTimeSliderMax = 12600;
inline constexpr int kTimeSliderCentre = 6300;

/// Hours from T0 of a time-slider position.
double OffsetOfPosition(int position);

/// Time-slider position of an offset in hours (rounded half to even, kept within 0..12600).
int PositionOfOffset(double hours);

/// The year typed into Edit_Jahr, clamped to 1980..2100; nothing when the text is no integer.
std::optional<int> YearOfText(const QString& text);

/// The main window: one event on the globe, the instant within it, and the information panel.
/// Every control is created in code with its objectName; the handlers keep the names the users
/// of this window know from its menus and buttons.
class TForm_Main : public QMainWindow {
    Q_OBJECT

public:
    /// A window over a loaded catalogue with the settings in effect. `dialogs` outlives it.
    TForm_Main(const AppFolders& folders, const SettingsRecord& settings, astro::BesselTable table,
               dialogs::UserDialogs& dialogs, QWidget* parent = nullptr);
    ~TForm_Main() override;

    const MainWindowState& State() const { return m_state; }

    MainWindowState& State() { return m_state; }

    const astro::BesselTable& Table() const { return m_table; }

    const astro::BesselRecord& CurrentRecord() const { return m_record; }

    const astro::ElementSet& Elements() const { return m_elements; }

    const astro::AxisSnapshot& Axis() const { return m_axis; }

    const AppFolders& Folders() const { return m_folders; }

    /// The data folder. The program opens the window only once it was found; without one, the
    /// files looked for in it are not found and say so.
    QString DataFolder() const { return m_folders.data.value_or(QString()); }

    /// Path of the globe's temporary layer store file.
    const QString& LayerStorePath() const { return m_layerStorePath; }

    /// The record as the controls show it now (what the close writes).
    SettingsRecord CollectSettings() const;

    /// Run-time text of the language table in the current language.
    QString Text(int row) const;

    /// "Zimbalo " + version + the language's title suffix.
    QString BaseTitle() const;

    // Handlers of the main window.
    void FormActivate();
    void ScrollBar_BedeckungChange();
    void Time_ScrollBarChange();
    void CheckBox_ET_UTClick();
    void Edit_JahrKeyDown(int key);
    void Button_PlayClick();
    void Button_ReverseClick();
    void Button_FastPlayClick();
    void Button_FastReverseClick();
    void Button_StopClick();
    void GlobeClick();
    void Button_alleClick();
    void FormResize();
    void Exit1Click();
    void Hilfe2Click();

    // Refreshes of the information panel.
    void RefreshCentralPoint();
    void RefreshEventLabels();
    void RefreshElementRows();

    /// The layout of the controls over and below the globe panel (also run by resizes).
    void LayoutGlobePanel();

signals:
    /// The close has saved the settings and removed the temporary files.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // ---- Controls (objectName = member name) ----
    QMenu* File1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Liste1 = nullptr;
    QAction* Sichtbarkeit = nullptr;
    QAction* CityHist = nullptr;
    QMenu* Markierung1 = nullptr;
    QAction* Markierungen_Bearbeiten = nullptr;
    QAction* Markierungen_Auswaehlen = nullptr;
    QMenu* Option1 = nullptr;
    QActionGroup* LanguageGroup = nullptr;
    QAction* Opt_Deutsch = nullptr;
    QAction* Opt_English = nullptr;
    QAction* Opt_Francais = nullptr;
    QMenu* Hilfe1 = nullptr;
    QAction* Hilfe2 = nullptr;
    QAction* Version1 = nullptr;

    QScrollArea* ScrollBox_Links = nullptr;
    QWidget* Panel1 = nullptr;
    QGroupBox* GroupBox_Bedeckung = nullptr;
    QScrollBar* ScrollBar_Bedeckung = nullptr;
    QLabel* Label_Jahr = nullptr;
    QLineEdit* Edit_Jahr = nullptr;
    QWidget* Panel2 = nullptr;
    QLabel* Label_Planet = nullptr;
    QLabel* Label_Bedeckungstyp = nullptr;
    QLabel* Label_DatumZeit = nullptr;
    QTableWidget* SG = nullptr;
    QGroupBox* GroupBox_Planeten = nullptr;
    QCheckBox* CheckBox_Mer = nullptr;
    QCheckBox* CheckBox_Ven = nullptr;
    QCheckBox* CheckBox_Mar = nullptr;
    QCheckBox* CheckBox_Jup = nullptr;
    QCheckBox* CheckBox_Sat = nullptr;
    QCheckBox* CheckBox_Ura = nullptr;
    QCheckBox* CheckBox_Nep = nullptr;
    QPushButton* Button_alle = nullptr;
    QGroupBox* GroupBox_ET_UT = nullptr;
    QCheckBox* CheckBox_ET_UT = nullptr;
    QGroupBox* GroupBox_Globus = nullptr;
    QComboBox* ComboBox_Globus = nullptr;
    QComboBox* ComboBox_GradNetz = nullptr;
    QCheckBox* CheckBox_Cities = nullptr;
    QCheckBox* CheckBox_SSP = nullptr;
    QGroupBox* GroupBox_Markierung = nullptr;
    QLineEdit* Edit_PoI_Breite = nullptr;
    QRadioButton* RadioButton_PoI_Nord = nullptr;
    QRadioButton* RadioButton_PoI_Sued = nullptr;
    QLineEdit* Edit_PoI_Laenge = nullptr;
    QRadioButton* RadioButton_PoI_Ost = nullptr;
    QRadioButton* RadioButton_PoI_West = nullptr;
    QCheckBox* CheckBox_PoI = nullptr;
    QLabel* Label_DistA = nullptr;
    QLabel* Label_DistB = nullptr;

    QWidget* Panel_Globe = nullptr;
    globe::GlobeView* Globe = nullptr;
    QPushButton* Button_FastReverse = nullptr;
    QPushButton* Button_Reverse = nullptr;
    QPushButton* Button_Stop = nullptr;
    QPushButton* Button_Play = nullptr;
    QPushButton* Button_FastPlay = nullptr;
    QSlider* Zoom_TrackBar = nullptr;
    QScrollBar* Time_ScrollBar = nullptr;

    // Pop-up panels, hidden until asked for (filled in by their subsystems).
    QWidget* Panel_GlobeControl = nullptr;
    QPushButton* Button_Center_Globe = nullptr;
    QPushButton* Button_Resize_Globe = nullptr;
    QPushButton* Button_Exit_Globe = nullptr;
    QWidget* Panel_PoIs_Edit = nullptr;
    QLabel* Label_PoIs_Panel_Title = nullptr;
    QLabel* Label_PoIs_Edit_Title = nullptr;
    QPlainTextEdit* RichEdit_PoIs = nullptr;
    QPushButton* Button_PoIS_Speichern = nullptr;
    QPushButton* Button_PoIS_Abbrechen = nullptr;
    QWidget* Panel_PoIs_Select = nullptr;
    QLabel* Label_PoIs_Select_Title = nullptr;
    QListWidget* CheckListBox_PoIs = nullptr;
    QPushButton* Button_PoIs_Select = nullptr;
    QPushButton* Button_PoIs_Select_Cancel = nullptr;
    QWidget* Panel_About = nullptr;
    QLabel* Label_Zimbalo = nullptr;
    QTableWidget* StringGrid_VersionsInfo = nullptr;
    QPushButton* Button_About_OK = nullptr;

    // ==== Globe overlays and globe controls (bodies in main_window_overlays.cpp) ====
    /// Once, after the controls exist: the globe's initial view, its mouse and drawing hooks.
    void SetupOverlays();
    /// Empties the layer store and draws the central line of the current event.
    void RebuildCentralLine();
    void Combobox_GlobusChange();
    void ComboBox_GradNetzChange();
    /// Re-applies scale and centre to the projector (also after resizes and drags).
    void Zoom_TrackBarChange();
    /// Draws the shadow of the current instant over the globe and writes grid row 11.
    void GlobeAfterRender(QPainter& painter);
    /// The sub-planetary cross changes the overlay only: the globe is not rendered again.
    void CheckBox_SSPClick();
    void Button_Center_GlobeClick();
    void Button_Resize_GlobeClick();
    void Button_Exit_GlobeClick();
    /// Shows Panel_GlobeControl for a right-button release at a pixel of the globe control.
    void ShowGlobeControl(QPoint globePixel);
    /// Pixels per Earth radius of the drawn globe (0 before the first zoom).
    double PixelsPerRadius() const;
    /// The overlays' own state: the central line, the globe's placement.
    struct OverlayState;
    std::shared_ptr<OverlayState> m_overlays;
    /// Shows or hides the limits of the path (checked at start; not kept in the settings).
    QCheckBox* CheckBox_Limits = nullptr;
    void CheckBox_LimitsClick();
    /// Draws the limits of the current event after the central line's rebuild emptied the store.
    void RebuildLimits();
    // ==== end of globe overlays ====

    // ==== Capitals, markers and points of interest (bodies in main_window_points.cpp) ====
    /// Once, after the controls exist: wiring of the marker fields and the PoI panels.
    void SetupPoints();
    /// Loads "Zimbalo_PoI.txt" from the documents folder into RichEdit_PoIs, if it exists; a file
    /// that exists but cannot be read is reported and the box keeps its text.
    void LoadPoIList();
    /// Path of the points-of-interest list in the documents folder.
    QString PoIListPath() const;
    void RebuildCapitalsLayer();
    void RebuildMarkerLayer();
    /// Draws the checked lines of CheckListBox_PoIs in the "PoIs Layer".
    void RebuildListedPoIsLayer();
    /// Shows the marker's distances from the shadow axis and the axis point of the instant.
    void UpdateMarkerDistances();
    void CheckBox_CitiesClick();
    void CheckBox_PoIClick();
    void Edit_PoI_BreiteChange();
    void Edit_PoI_LaengeChange();
    void RadioButton_PoI_NordClick();
    void RadioButton_PoI_SuedClick();
    void RadioButton_PoI_OstClick();
    void RadioButton_PoI_WestClick();
    void Markierungen_BearbeitenClick();
    void Button_PoIS_SpeichernClick();
    void Button_PoIS_AbbrechenClick();
    void Markierungen_AuswaehlenClick();
    void Button_PoIs_SelectClick();
    void Button_PoIs_Select_CancelClick();
    /// Set at start, after the list is saved and after a bad coordinate in a picked line: the
    /// next "Auswählen" refills CheckListBox_PoIs from the edit box.
    bool PoIsRebuildFlag = true;

private:
    void markerFieldChanged(QLineEdit* field, double bound, bool latitude);
    /// Draws a point layer anew with `rebuild` while it is `shown`, else empties `layerName`.
    void showPointLayer(bool shown, void (TForm_Main::*rebuild)(), const char* layerName);
    void showPoIPanel(QWidget* panel);

public:
    // ==== end of points ====

    // ==== Languages and version panel (bodies in main_window_languages.cpp) ====
    /// Switches the captions, hints and list items of this window and both list windows to
    /// `language` (0 German, 1 English, 2 French; other values give German), rebuilds the
    /// time-scale caption and the title, and hides the list windows.
    void ApplyCaptionSet(int language);
    void Opt_DeutschClick();
    void Opt_EnglishClick();
    void Opt_FrancaisClick();
    /// Shows Panel_About at the top of the window with the program's version.
    void Version1Click();
    void Button_About_OKClick();
    /// Refills the version grid of Panel_About (on every activation).
    void FillVersionGrid();

    /// Problems of the last caption switch: captions that found no control (empty when all
    /// landed).
    const std::vector<std::string>& CaptionProblems() const { return m_captionProblems; }

private:
    /// Gives Panel_About its icon and layout and wires its button (once).
    void setupAboutPanel();
    std::vector<std::string> m_captionProblems;

public:
    // ==== end of languages ====

    // ==== List windows (bodies in main_window_lists.cpp) ====
    /// Creates the place-history and many-places windows. The start-up applies the saved
    /// language right after it (through Opt_*Click), so this need not.
    void CreateListWindows();
    void SichtbarkeitClick();
    void CityHistClick();
    /// Gives the list windows their saved places and choices.
    void ListWindowsFromSettings(const SettingsRecord& settings);
    /// Writes the list windows' places and choices into the record.
    void ListWindowsToSettings(SettingsRecord& settings) const;
    /// Removes the list runs' temporary files (at close).
    void RemoveListTempFiles();
    /// Gives both list windows the language in force: a going list run stops, both windows are
    /// hidden and take the language's captions, header and city database. The language menu
    /// items call it after their own handler.
    void ListWindowsLanguageChanged();
    /// The two list windows (null before CreateListWindows) and their shared run control over
    /// StopRequested.
    lists::TForm_CityHist* Form_CityHist = nullptr;
    lists::TForm_CityList* Form_CityList = nullptr;
    lists::ListRunControl* ListRuns = nullptr;
    // ==== end of list windows ====

private:
    void buildMenus();
    void buildLeftColumn();
    // The parts of the left column, each added to `col`.
    void buildEventGroups(QVBoxLayout* col);
    void buildElementGrid(QVBoxLayout* col);
    void buildChoiceGroups(QVBoxLayout* col);
    void buildGlobeGroup(QVBoxLayout* col);
    void buildMarkerGroup(QVBoxLayout* col);
    void buildGlobePanel();
    void buildPopupPanels();
    void connectHandlers();
    void openLayerStore();
    void closeLayerStore();
    void applySettings(const SettingsRecord& settings);
    void recomputeInstant();
    void playLoop(int step);
    void setGridRow(int row, const QString& label, const QString& value, const QString& unit);
    void FormClose();

    AppFolders m_folders;
    SettingsRecord m_settings;
    astro::BesselTable m_table;
    dialogs::UserDialogs& m_dialogs;
    MainWindowState m_state;
    astro::BesselRecord m_record;
    astro::ElementSet m_elements;
    astro::AxisSnapshot m_axis;
    std::unique_ptr<globe::GeoSpatialDatabase> m_layerStore;
    QString m_layerStorePath;
    QButtonGroup* m_northSouth = nullptr;
    QButtonGroup* m_eastWest = nullptr;
    int m_savedTimePosition = kTimeSliderCentre;
    bool m_activated = false;  ///< the first activation has run
    bool m_closed = false;     ///< the close has run (it runs once)
    int m_playStep = 0;        ///< step of the running play loop, 0 when none runs
};

}  // namespace zimbalo::app
