#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <vector>

#include <QDate>
#include <QWidget>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "lists/coming_occultations.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QModelIndex;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace zimbalo::dialogs {
class UserDialogs;
}

namespace zimbalo::lists {

class ComingTableModel;

/// The window "Coming occultations at home": the occultations at the home place from a start
/// date (today at first) to 2100 in a sortable table, filtered by the chosen planets and, on
/// request, by whether they can be seen; "Save as calendar…" writes the shown rows as an
/// iCalendar file. The rows are computed on the GUI thread: a century at one place takes some
/// milliseconds.
class ComingOccultationsWindow : public QWidget {
    Q_OBJECT

public:
    /// `catalogue` and `dialogs` must outlive the window.
    ComingOccultationsWindow(const astro::BesselTable* catalogue, dialogs::UserDialogs* dialogs,
                             Language language, QWidget* parent = nullptr);
    ~ComingOccultationsWindow() override;

    /// The place whose occultations are listed; nothing empties the table.
    void setHome(const std::optional<HomePlace>& home);

    const std::optional<HomePlace>& home() const { return m_home; }

    /// The planets of the main window's check boxes (none means all).
    void setPlanets(PlanetMask planets);

    /// Captions, headers and the words in the table follow `language`.
    void setLanguage(Language language);

    /// The filter as the controls set it.
    ComingFilter filter() const;

    /// The rows the table shows (after the filters), in time order.
    std::vector<ComingRow> shownRows() const;

    /// Where "now" comes from for the calendar's time stamps (tests fix it).
    void setClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }

signals:
    /// A row was double-clicked: show event `number` at its first contact `jdUT` (Julian date UT).
    void eventChosen(int number, double jdUT);

public slots:
    /// "Save as calendar…": the shown rows to a chosen .ics file.
    void Button_SaveCalendarClick();

private:
    void recompute();
    void refilter();
    void retranslate();
    void rowActivated(const QModelIndex& index);

    const astro::BesselTable* m_catalogue;
    dialogs::UserDialogs* m_dialogs;
    Language m_language;
    std::optional<HomePlace> m_home;
    PlanetMask m_planets = 0;
    std::vector<ComingRow> m_allRows;
    std::function<std::time_t()> m_clock;

    QLabel* m_homeLabel = nullptr;
    QLabel* m_startLabel = nullptr;
    QDateEdit* m_start = nullptr;
    QCheckBox* m_seenOnly = nullptr;
    QLabel* m_minAltitudeLabel = nullptr;
    QSpinBox* m_minAltitude = nullptr;
    QLabel* m_sunLabel = nullptr;
    QCheckBox* m_dayVenusJupiter = nullptr;
    QLabel* m_planetsLabel = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_saveCalendar = nullptr;
    QLabel* m_countLabel = nullptr;
    ComingTableModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
};

}  // namespace zimbalo::lists
