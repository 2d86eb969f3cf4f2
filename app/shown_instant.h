#pragma once

#include <array>
#include <optional>

#include <QObject>
#include <QString>

#include "app/info_panel.h"
#include "astro/catalogue.h"
#include "astro/language.h"
#include "astro/shadow_geometry.h"
#include "overlays/points_of_interest.h"

namespace zimbalo::app {

/// Time slider: positions 0..12600, 6300 is T0, one step is 2 seconds of event time.
inline constexpr int kTimeSliderMax = 12600;
inline constexpr int kTimeSliderCentre = 6300;

/// Hours from T0 of a time-slider position.
double OffsetOfPosition(int position);

/// Time-slider position of an offset in hours (rounded half to even, kept within 0..12600).
int PositionOfOffset(double hours);

/// The year typed into Edit_Jahr, clamped to 1980..2100; nothing when the text is no integer.
std::optional<int> YearOfText(const QString& text);

/// The marker on the globe: degrees, north and east positive, and whether it is shown.
struct MarkerPlace {
    double latitude = 47.5;
    double longitude = 7.53;
    bool shown = false;

    bool operator==(const MarkerPlace&) const = default;
};

/// What the main window shows: one event of the catalogue, an instant within it (a time-slider
/// position) and the time scale, in a language, with the marker. Every change goes through one
/// recompute step that derives all the rest (record, Delta T, Julian dates, elements, axis
/// snapshot, the panel's texts and grid rows, the marker's distances) and then emits `changed`
/// once. Holds no window; the panels and the globe listen.
class ShownInstant : public QObject {
    Q_OBJECT

public:
    /// What a change touched beyond the instant: the event or the time scale (the path on the
    /// globe is drawn anew) or the marker.
    struct Change {
        bool event = false;  ///< another event (implies `path`)
        bool path = false;
        bool marker = false;
    };

    /// The model over `table`, which outlives it. Nothing is computed before `Restore`.
    explicit ShownInstant(const astro::BesselTable& table, QObject* parent = nullptr);

    // ---- Entry points: each recomputes once and emits `changed` once ----

    /// The state of a start: event, slider position, time scale and language at once.
    void Restore(int index, int position, bool universalTime, Language language);
    /// Another event (1..Count): the instant moves to its closest approach (slider position).
    void ChooseEvent(int index);
    /// The first event of `year` (clamped to 1980..2100), at its closest approach.
    void ChooseYear(int year);
    /// Another event (1..Count) at the instant `jdUT` (Julian date UT, e.g. a contact at a
    /// place), as near as the slider gets; the marker stays where it is.
    void ShowEventAt(int index, double jdUT);
    /// Another instant of the event: a time-slider position 0..12600.
    void SetTimePosition(int position);
    /// Universal time (with Delta T of the event's month) or TT.
    void SetUniversalTime(bool universalTime);
    void SetLanguage(Language language);
    void SetMarker(const MarkerPlace& marker);

    // ---- Inputs ----
    bool Ready() const { return m_ready; }

    const astro::BesselTable& Table() const { return m_table; }

    int Index() const { return m_index; }

    int TimePosition() const { return m_position; }

    /// Hours of TT from T0 of the slider position.
    double TimeOffset() const { return OffsetOfPosition(m_position); }

    bool UniversalTime() const { return m_universalTime; }

    Language language() const { return m_language; }

    const MarkerPlace& Marker() const { return m_marker; }

    // ---- Derived ----
    const astro::BesselRecord& Record() const { return m_record; }

    /// Delta T in effect, seconds: 0 while TT is shown.
    double DeltaTSeconds() const { return m_deltaT; }

    double JD_TT() const { return m_jdTT; }

    /// The same instant in UT, rounded to whole seconds.
    double JD_UT() const { return m_jdUT; }

    const astro::ElementSet& Elements() const { return m_elements; }

    /// The axis on the Earth; its point keeps the last place where a central point was found.
    const astro::AxisSnapshot& Axis() const { return m_axis; }

    /// The sub-planetary point, degrees: the centre of the globe's view.
    const astro::GeoDegrees& SubPlanetaryPoint() const { return m_subPoint; }

    const QString& PlanetText() const { return m_planet; }

    const QString& KindText() const { return m_kind; }

    const QString& DateTimeText() const { return m_dateTime; }

    const QString& TimeScaleText() const { return m_timeScale; }

    /// The grid's rows 0..20; rows 11, 12 and 19 stay empty here (row 11 is the overlay's).
    const std::array<GridRow, kGridRows>& Rows() const { return m_rows; }

    const overlays::MarkerDistanceTexts& MarkerTexts() const { return m_markerTexts; }

    /// Recomputations so far.
    int RecomputeCount() const { return m_recomputes; }

signals:
    void changed(ShownInstant::Change change);

private:
    void recompute(Change change);

    const astro::BesselTable& m_table;
    bool m_ready = false;
    int m_index = 1;
    int m_position = kTimeSliderCentre;
    bool m_universalTime = false;
    Language m_language = Language::German;
    MarkerPlace m_marker;

    astro::BesselRecord m_record;
    double m_deltaT = 0.0;
    double m_jdTT = 0.0;
    double m_jdUT = 0.0;
    astro::ElementSet m_elements;
    astro::AxisSnapshot m_axis;
    astro::GeoDegrees m_subPoint;
    QString m_planet;
    QString m_kind;
    QString m_dateTime;
    QString m_timeScale;
    std::array<GridRow, kGridRows> m_rows;
    overlays::MarkerDistanceTexts m_markerTexts;
    int m_recomputes = 0;
};

}  // namespace zimbalo::app
