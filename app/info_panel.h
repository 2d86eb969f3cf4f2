#pragma once

#include <array>
#include <optional>

#include <QString>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "astro/shadow_geometry.h"

/// The texts of the main window's information panel: the three labels, the title and the rows of
/// the value grid, built from the current event and instant without any window.
namespace zimbalo::app {

/// One row of the value grid: label (left-aligned), value (right-aligned), unit (left-aligned).
struct GridRow {
    QString label;
    QString value;
    QString unit;

    bool operator==(const GridRow&) const = default;
};

inline constexpr int kGridRows = 21;

/// Run-time text of a language-table row.
QString LanguageString(int row, Language language);

/// Name of planet code 1..7, trimmed; empty for any other code.
QString PlanetName(int planet, Language language);

/// The kind of occultation for OccType 1..6; empty for any other code.
QString OccultationKind(int occType, Language language);

/// "yyyy-mm-dd  hh:mm:ss TT" of the TT instant, or the same with " UT" of the UT instant; both
/// Julian dates are rounded to whole seconds first. A negative year keeps its sign before four
/// digits.
QString DateTimeText(double jdTT, double jdUT, bool universalTime);

/// Caption of the time-scale check box: "UT (DeltaT = 69.2)" (no decimals before 1900; French
/// adds " sec.") when universal time is shown, else "TT".
QString TimeScaleCaption(bool universalTime, double deltaT, int year, Language language);

/// Window title: base title, 10 blanks, planet, ": ", kind, 5 blanks, date and time.
QString EventTitle(const QString& baseTitle, const QString& planet, const QString& kind,
                   const QString& dateTime);

/// Rows 0..9: the offset from T0 and the elements at it.
std::array<GridRow, 10> ElementRows(const astro::ElementSet& e, const astro::BesselRecord& record,
                                    double timeOffset, Language language);

/// Row 10: zeta of the axis point, 0 when the axis misses the Earth.
GridRow ZetaRow(const astro::AxisHit& hit, Language language);

/// Rows 13..20 (index 0 is row 13): the central point; all empty when there is none.
std::array<GridRow, 8> CentralPointRows(const std::optional<astro::CentralResult>& central,
                                        Language language);

}  // namespace zimbalo::app
