#pragma once

#include <future>
#include <memory>
#include <optional>
#include <string>

#include <QString>
#include <QWidget>

#include "astro/catalogue.h"
#include "astro/language.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace zimbalo::lists {
class CityIndex;
class ZoneTable;
}  // namespace zimbalo::lists

namespace zimbalo::app {

/// Captions of the panel's buttons (German, English, French): "Kopieren" / "Copy" / "Copier",
/// "Marker" / "Marker" / "Marqueur", "Schließen" / "Close" / "Fermer".
QString CircumstancesCaption(const char* button, Language language);

/// "Umstände hier" / "Circumstances here" / "Circonstances ici": the panel's title and the
/// caption of the globe pop-up's button that opens it.
QString CircumstancesHereCaption(Language language);

/// A small window with the circumstances of the current event at one point of the globe
/// (`lists::HereText`): a title, the verdict, a grid of the text's lines, and the buttons
/// `Button_Umstaende_Kopieren` (the text on the clipboard; Ctrl+C does the same),
/// `Button_Umstaende_Marker` (asks for the point as the marker) and
/// `Button_Umstaende_Schliessen`. The owner tells it the event, time scale and language as they
/// change; while it is shown it refreshes at once.
///
/// The city database of the language is read on a worker thread (some 0.3 s) as soon as the
/// folder or the language is set, so that opening never waits for it; until it is there the
/// nearest-place line is left out and the panel refreshes once it arrives.
class CircumstancesPanel : public QWidget {
    Q_OBJECT

public:
    explicit CircumstancesPanel(QWidget* parent = nullptr);
    ~CircumstancesPanel() override;

    /// Folder of the zone table and the city databases ("/" is added when missing). Reads the
    /// zone table and starts reading the city database of the language on a worker thread.
    void setDataFolder(const QString& folder);
    /// The event shown; `number` is its catalogue number (1-based).
    void setEvent(const astro::BesselRecord& record, int number);
    /// True: the first time column is UT, false: TT (the main window's time scale).
    void setUniversalTime(bool universalTime);
    void setLanguage(Language language);

    /// Shows the panel for the point at geodetic latitude and east longitude (degrees) and
    /// height (metres), brings it to the front and gives it the keyboard focus.
    void openAt(double latitudeDeg, double longitudeDeg, double heightMetres = 0.0);

    /// The text Copy puts on the clipboard (UTF-8 lines, tab-separated, "\n" ends).
    QString text() const { return m_text; }

    double latitude() const { return m_latitude; }

    double longitude() const { return m_longitude; }

    /// Starts reading the city database of the language on the worker thread; does nothing
    /// when it is read or being read.
    void preloadCities();

signals:
    /// The user asked to put the point into the marker fields.
    void markerRequested(double latitudeDeg, double longitudeDeg);
    /// "Als Heimatort" (`Button_Umstaende_Heimatort`): the point is to become the home place.
    void homeRequested(double latitudeDeg, double longitudeDeg, double heightMetres);

public slots:
    /// Puts `text()` on the clipboard.
    void copyText();

private:
    void refresh();
    void applyCaptions();
    void takeCities();
    void loadZones();

    QLabel* m_title = nullptr;
    QLabel* m_verdict = nullptr;
    QTableWidget* m_grid = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_marker = nullptr;
    QPushButton* m_setAsHome = nullptr;
    QPushButton* m_close = nullptr;
    QTimer* m_citiesPoll = nullptr;

    std::string m_folder;
    std::optional<astro::BesselRecord> m_record;
    int m_number = 0;
    bool m_universalTime = true;
    Language m_language = Language::German;
    double m_latitude = 0.0;
    double m_longitude = 0.0;
    double m_height = 0.0;
    QString m_text;

    std::unique_ptr<lists::ZoneTable> m_zones;
    bool m_zonesFailed = false;
    std::shared_ptr<const lists::CityIndex> m_cities;
    Language m_citiesLanguage = Language::German;
    std::future<std::shared_ptr<const lists::CityIndex>> m_citiesLoading;
    Language m_loadingLanguage = Language::German;
};

}  // namespace zimbalo::app
