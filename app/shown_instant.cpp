#include "app/shown_instant.h"

#include <algorithm>
#include <cmath>

#include "astro/time_scales.h"

namespace zimbalo::app {

double OffsetOfPosition(int position) {
    return static_cast<double>(position - kTimeSliderCentre) / kTimeSliderCentre * 3.5;
}

int PositionOfOffset(double hours) {
    if (!std::isfinite(hours))
        return kTimeSliderCentre;
    const double p = std::nearbyint(hours * kTimeSliderCentre / 3.5 + kTimeSliderCentre);
    if (p <= 0.0)
        return 0;
    if (p >= kTimeSliderMax)
        return kTimeSliderMax;
    return static_cast<int>(p);
}

std::optional<int> YearOfText(const QString& text) {
    bool ok = false;
    const long long year = text.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<int>(std::clamp<long long>(year, 1980, 2100));
}

ShownInstant::ShownInstant(const astro::BesselTable& table, QObject* parent)
    : QObject(parent), m_table(table) {}

void ShownInstant::Restore(int index, int position, bool universalTime, Language language) {
    m_index = std::clamp(index, 1, std::max(1, m_table.Count()));
    m_position = std::clamp(position, 0, kTimeSliderMax);
    m_universalTime = universalTime;
    m_language = language;
    m_ready = true;
    recompute({.event = true, .path = true, .marker = true});
}

void ShownInstant::ChooseEvent(int index) {
    m_index = std::clamp(index, 1, std::max(1, m_table.Count()));
    if (m_table.Count() > 0) {
        // The instant of a new event is its closest approach, as near as the slider gets.
        m_position =
            PositionOfOffset(astro::ClosestApproachOffset(astro::SelectRecord(m_table, m_index)));
    }
    recompute({.event = true, .path = true});
}

void ShownInstant::ChooseYear(int year) {
    ChooseEvent(astro::FirstEventOfYear(m_table, std::clamp(year, 1980, 2100)));
}

void ShownInstant::ShowEventAt(int index, double jdUT) {
    m_index = std::clamp(index, 1, std::max(1, m_table.Count()));
    if (m_table.Count() > 0) {
        // The slider counts hours of TT from T0: the UT instant moves by the event's Delta T.
        const astro::BesselRecord record = astro::SelectRecord(m_table, m_index);
        const double jdT0 =
            astro::InstantOfEvent(record.Year, record.Month, record.Day, record.T0Hour, 0.0, 0.0)
                .jdTT;
        const double jdTT = jdUT + astro::DeltaT(record.Year, record.Month) / 86400.0;
        m_position = PositionOfOffset((jdTT - jdT0) * 24.0);
    }
    recompute({.event = true, .path = true});
}

void ShownInstant::SetTimePosition(int position) {
    m_position = std::clamp(position, 0, kTimeSliderMax);
    recompute({});
}

void ShownInstant::SetUniversalTime(bool universalTime) {
    m_universalTime = universalTime;
    recompute({.path = true});
}

void ShownInstant::SetLanguage(Language language) {
    m_language = language;
    recompute({});
}

void ShownInstant::SetMarker(const MarkerPlace& marker) {
    m_marker = marker;
    recompute({.marker = true});
}

void ShownInstant::recompute(Change change) {
    // Before the window's first showing nothing is computed; an empty catalogue shows nothing.
    if (!m_ready || m_table.Count() == 0)
        return;
    ++m_recomputes;
    const double t = TimeOffset();
    m_record = astro::SelectRecord(m_table, m_index);
    m_deltaT = m_universalTime ? astro::DeltaT(m_record.Year, m_record.Month) : 0.0;
    const astro::EventInstant instant = astro::InstantOfEvent(
        m_record.Year, m_record.Month, m_record.Day, m_record.T0Hour, t, m_deltaT);
    m_jdTT = instant.jdTT;
    m_jdUT = instant.jdUT;
    m_elements = astro::EvaluateElements(m_record, t);

    const auto central = astro::CentralCircumstances(m_record, t, m_deltaT, m_jdUT);
    if (central) {
        m_axis.latitude = central->latitude;
        m_axis.longitudeWest = -central->longitude;
    }
    const astro::AxisHit hit = astro::AxisOnEarth(m_elements);
    m_axis.axisOnEarth = hit.onEarth;
    m_axis.zeta = hit.onEarth ? hit.zeta : 0.0;
    m_axis.motionAngle = astro::MotionAngle(m_elements);
    m_subPoint = astro::SubPlanetaryPoint(m_elements, m_deltaT);

    m_planet = PlanetName(m_record.Planet, m_language);
    m_kind = OccultationKind(m_record.OccType, m_language);
    m_dateTime = app::DateTimeText(m_jdTT, m_jdUT, m_universalTime);
    m_timeScale = TimeScaleCaption(m_universalTime, m_deltaT, m_record.Year, m_language);

    const auto elementRows = ElementRows(m_elements, m_record, t, m_language);
    std::copy(elementRows.begin(), elementRows.end(), m_rows.begin());
    m_rows[10] = ZetaRow(hit, m_language);
    // Rows 13..20 hold the central point; row 19 is never written.
    const auto centralRows = CentralPointRows(central, m_language);
    for (std::size_t i = 0; i < centralRows.size(); ++i)
        m_rows[13 + i] = i == 6 ? GridRow{} : centralRows[i];

    const overlays::MarkerDistances d = overlays::ComputeMarkerDistances(
        m_marker.latitude, m_marker.longitude, m_elements, m_axis, m_deltaT);
    m_markerTexts =
        overlays::MarkerDistanceLabels(m_marker.shown, d, m_axis.axisOnEarth, m_language);

    if (change.event)
        change.path = true;
    emit changed(change);
}

}  // namespace zimbalo::app
