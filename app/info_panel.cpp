#include "app/info_panel.h"

#include <cmath>
#include <string_view>

#include "astro/constants.h"
#include "astro/language_table.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"

namespace zimbalo::app {

namespace {

// Language-table rows used by the panel.
constexpr int kRowKindFirst = 7;  // rows 7..12: OccType 1..6
constexpr int kRowDeltaTUnit = 15;
constexpr int kRowHours = 27;
constexpr int kRowEarthRadii = 28;
constexpr int kRowCentreLine = 29;
constexpr int kRowEmptyValue = 30;
constexpr int kRowEmptyUnit = 31;
constexpr int kRowHeight = 32;
constexpr int kRowLongitude = 33;
constexpr int kRowLatitude = 34;
constexpr int kRowDuration = 35;
constexpr int kRowSunAltitude = 36;
constexpr int kRowPlanetAltitude = 37;
constexpr int kRowPlanetAzimuth = 41;
constexpr int kRowPlanetFirst = 60;  // planet p reads row p + 60

const QString kDegrees = QStringLiteral(" \u00B0");

QString fixed(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString LanguageString(int row, Language language) {
    const std::string_view text = LanguageText(row, language);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PlanetName(int planet, Language language) {
    if (planet < 1 || planet > 7)
        return {};
    return LanguageString(kRowPlanetFirst + planet, language).trimmed();
}

QString OccultationKind(int occType, Language language) {
    if (occType < 1 || occType > 6)
        return {};
    return LanguageString(kRowKindFirst + occType - 1, language);
}

QString DateTimeText(double jdTT, double jdUT, bool universalTime) {
    const double jd = universalTime ? jdUT : jdTT;
    const double rounded = std::nearbyint(jd * 86400.0) / 86400.0;
    const astro::CalendarDate c = astro::JDToCalendar(rounded);
    QString year = QStringLiteral("%1").arg(std::abs(c.year), 4, 10, QLatin1Char('0'));
    if (c.year < 0)
        year.prepend('-');
    const int seconds = static_cast<int>(std::lround(c.second));
    return year + '-' + twoDigits(c.month) + '-' + twoDigits(c.day) + "  "
           + twoDigits(static_cast<int>(c.hour)) + ':' + twoDigits(static_cast<int>(c.minute)) + ':'
           + twoDigits(seconds) + (universalTime ? " UT" : " TT");
}

QString TimeScaleCaption(bool universalTime, double deltaT, int year, Language language) {
    if (!universalTime)
        return QStringLiteral("TT");
    return "UT (DeltaT = " + fixed(deltaT, year < 1900 ? 0 : 1)
           + LanguageString(kRowDeltaTUnit, language) + ')';
}

QString EventTitle(const QString& baseTitle, const QString& planet, const QString& kind,
                   const QString& dateTime) {
    return baseTitle + QString(10, ' ') + planet + ": " + kind + QString(5, ' ') + dateTime;
}

std::array<GridRow, 10> ElementRows(const astro::ElementSet& e, const astro::BesselRecord& record,
                                    double timeOffset, Language language) {
    const QString radii = LanguageString(kRowEarthRadii, language);
    return {{
        {" T-T0", fixed(timeOffset, 4), LanguageString(kRowHours, language)},
        {" BElm.x", fixed(e.x, 4), radii},
        {" BElm.y", fixed(e.y, 4), radii},
        {" BElm.d", fixed(e.d * astro::kRadToDeg, 1), kDegrees},
        {" BElm.M", fixed(astro::FMod(e.mu, astro::kTwoPi) * astro::kRadToDeg, 1), kDegrees},
        {" BElm.L1", fixed(e.L1, 4), radii},
        {" BElm.L2", fixed(e.L2, 4), radii},
        {" BElm.tanf1", fixed(e.tanf1, 5), " "},
        {" BElm.tanf2", fixed(e.tanf2, 5), " "},
        {" Gamma", fixed(static_cast<double>(record.Gamma), 4), radii},
    }};
}

GridRow ZetaRow(const astro::AxisHit& hit, Language language) {
    return {" zeta", fixed(hit.onEarth ? hit.zeta : 0.0, 4),
            LanguageString(kRowEarthRadii, language)};
}

std::array<GridRow, 8> CentralPointRows(const std::optional<astro::CentralResult>& central,
                                        Language language) {
    std::array<GridRow, 8> rows{};
    if (!central)
        return rows;
    const astro::CentralResult& c = *central;
    // The height heading shows only where the shadow cone is not umbral (L2' >= 0).
    rows[0] = {LanguageString(kRowCentreLine, language),
               LanguageString(c.L2prime >= 0.0 ? kRowHeight : kRowEmptyValue, language),
               LanguageString(kRowEmptyUnit, language)};
    rows[1] = {LanguageString(kRowLongitude, language), fixed(c.longitude * astro::kRadToDeg, 3),
               kDegrees};
    rows[2] = {LanguageString(kRowLatitude, language), fixed(c.latitude * astro::kRadToDeg, 3),
               kDegrees};
    rows[3] = {LanguageString(kRowDuration, language),
               QString::fromStdString(astro::HoursToHMS(0, c.durationSeconds / 3600.0)),
               " h:mm:ss"};
    rows[4] = {LanguageString(kRowPlanetAltitude, language),
               fixed(c.planetAltitude * astro::kRadToDeg, 1), kDegrees};
    rows[5] = {LanguageString(kRowPlanetAzimuth, language),
               fixed(c.planetAzimuth * astro::kRadToDeg, 1), kDegrees};
    // Row 19 is never written.
    rows[7] = {LanguageString(kRowSunAltitude, language),
               fixed(c.sunAltitude * astro::kRadToDeg, 1), kDegrees};
    return rows;
}

}  // namespace zimbalo::app
