#include "lists/coming_occultations.h"

#include <array>
#include <cmath>
#include <limits>

#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "lists/list_runs.h"
#include "lists/zone_clock.h"

namespace zimbalo::lists {

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

// Altitudes come from radians; a limit typed as 5 degrees must hold for a value that is 5
// degrees up to the last bits of the conversion.
constexpr double kEdgeDeg = 1e-9;

constexpr int kVenus = 2;
constexpr int kJupiter = 4;

Verdict SkyAt(const ComingRow& row, std::size_t contact) {
    if (!(row.planetAltDeg[contact] > 0.0)) {
        return Verdict::BelowHorizon;
    }
    if (row.sunAltDeg[contact] <= kDarkSkySunDeg + kEdgeDeg) {
        return Verdict::Night;
    }
    return row.sunAltDeg[contact] < 0.0 ? Verdict::Twilight : Verdict::Day;
}

// The row of an event of the place history: `record` and `deltaT` are those the run computed
// the place's circumstances with.
ComingRow RowOf(const ListStep& step, const astro::BesselRecord& record, double deltaT,
                const ZoneClock& clock) {
    const int number = step.number;
    const astro::StadtType& place = *step.place;
    ComingRow row;
    row.number = number;
    row.planet = record.Planet;
    row.kind = place.Typ;
    row.magnitude = place.Magn;
    for (std::size_t i = 1; i <= 5; ++i) {
        row.jdUT[i] = astro::ContactUT(record, deltaT, place.Zeit[i]);
        const std::optional<double> h = astro::planetAltitude(place, i);
        row.planetAltDeg[i] = h ? *h * kDegreesPerRadian : std::numeric_limits<double>::quiet_NaN();
        row.sunAltDeg[i] =
            kDegreesPerRadian
            * astro::SunAltitudeAt(record, deltaT, place.Zeit[i], place.Breite, place.Laenge);
        row.pDeg[i] = place.P[i] * kDegreesPerRadian;
        row.vDeg[i] = place.V[i] * kDegreesPerRadian;
        // The place list leaves out the instants with the planet below the horizon, and the
        // second and third contacts of a partial occultation.
        const bool umbral = i == astro::kSecondContact || i == astro::kThirdContact;
        row.shown[i] = astro::planetAboveHorizon(place, i) && !(umbral && place.Typ == 'p');
    }
    row.localD = clock.At(row.jdUT[astro::kFirstContact]);
    row.localR = clock.At(row.jdUT[astro::kFourthContact]);
    const Verdict d = SkyAt(row, astro::kFirstContact);
    const Verdict r = SkyAt(row, astro::kFourthContact);
    // The enumerators run from the best sky to the worst.
    row.verdict = static_cast<int>(d) < static_cast<int>(r) ? d : r;
    return row;
}

}  // namespace

ComingInput ComingFrom(const HomePlace& place, double startJD) {
    ComingInput input;
    input.place = place;
    input.startJD = startJD;
    // The place history selects by the UT year of greatest occultation; a day earlier keeps an
    // event that began before the start instant but was still going then.
    input.firstYear = astro::JDToCalendar(startJD - 1.0).year;
    input.lastYear = 2100;
    return input;
}

std::vector<ComingRow> ComingOccultations(const astro::BesselTable& table, const ComingInput& input,
                                          const std::atomic<bool>* stop) {
    CityHistInput hist;
    hist.place.Stadt = input.place.name;
    hist.place.Breite = input.place.latitudeDeg;
    hist.place.Laenge = input.place.longitudeDeg;
    hist.place.Hoehe = input.place.heightMetres;
    hist.firstYear = input.firstYear;
    hist.lastYear = input.lastYear;
    const ZoneClock clock(input.place.zone);
    std::vector<ComingRow> rows;
    RunCityHist(
        table, hist, {},
        [&](const ListStep& step) {
            if (!step.visible) {
                return;
            }
            // The run reports the catalogue number; its Delta T is the one the run used.
            const astro::BesselRecord& record = table[step.number];
            const double deltaT = astro::DeltaT(record.Year, record.Month);
            const double end =
                astro::ContactUT(record, deltaT, step.place->Zeit[astro::kFourthContact]);
            if (end >= input.startJD) {
                rows.push_back(RowOf(step, record, deltaT, clock));
            }
        },
        stop);
    return rows;
}

bool SeenAt(const ComingRow& row, std::size_t contact, const ComingFilter& filter) {
    if (!(row.planetAltDeg[contact] >= filter.minAltitudeDeg - kEdgeDeg)) {
        return false;
    }
    switch (filter.seen) {
        case SeenRule::Always:
            return true;
        case SeenRule::DarkSky:
            return row.sunAltDeg[contact] <= kDarkSkySunDeg + kEdgeDeg;
        case SeenRule::DarkSkyOrVenusJupiter:
            return row.planet == kVenus || row.planet == kJupiter
                   || row.sunAltDeg[contact] <= kDarkSkySunDeg + kEdgeDeg;
    }
    return false;
}

bool Passes(const ComingRow& row, const ComingFilter& filter) {
    if (!PlanetChosen(filter.planets, row.planet)) {
        return false;
    }
    return filter.seen == SeenRule::Always || SeenAt(row, astro::kFirstContact, filter)
           || SeenAt(row, astro::kFourthContact, filter);
}

std::vector<ComingRow> Filtered(const std::vector<ComingRow>& rows, const ComingFilter& filter) {
    std::vector<ComingRow> kept;
    for (const ComingRow& row : rows) {
        if (Passes(row, filter)) {
            kept.push_back(row);
        }
    }
    return kept;
}

std::pair<std::size_t, std::size_t> ShownSpan(const ComingRow& row) {
    std::size_t first = 0;
    std::size_t last = 0;
    for (std::size_t i = 1; i <= 5; ++i) {
        if (row.shown[i]) {
            if (first == 0) {
                first = i;
            }
            last = i;
        }
    }
    if (first == 0) {
        // Not a row of the place list; keep the whole occultation.
        return {astro::kFirstContact, astro::kFourthContact};
    }
    return {first, last};
}

std::string PlanetFullName(int planet, Language language) {
    static constexpr std::array<std::array<const char*, 7>, 3> kNames = {{
        {"Merkur", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptun"},
        {"Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune"},
        {"Mercure", "Vénus", "Mars", "Jupiter", "Saturne", "Uranus", "Neptune"},
    }};
    if (planet < 1 || planet > 7) {
        return "?";
    }
    return kNames[LanguageIndex(language)][static_cast<std::size_t>(planet - 1)];
}

std::string KindText(char kind, Language language) {
    static constexpr std::array<std::array<const char*, 3>, 3> kKinds = {{
        {"partiell", "total", "ringförmig"},
        {"partial", "total", "annular"},
        {"partielle", "totale", "annulaire"},
    }};
    const auto& names = kKinds[LanguageIndex(language)];
    switch (kind) {
        case 'p':
            return names[0];
        case 't':
            return names[1];
        case 'r':
        case 'a':
            return names[2];
        default:
            return std::string(1, kind);
    }
}

std::string VerdictText(Verdict verdict, Language language) {
    static constexpr std::array<std::array<const char*, 4>, 3> kVerdicts = {{
        {"Nacht", "Dämmerung", "Tag", "unter dem Horizont"},
        {"night", "twilight", "day", "below the horizon"},
        {"nuit", "crépuscule", "jour", "sous l'horizon"},
    }};
    return kVerdicts[LanguageIndex(language)][static_cast<std::size_t>(verdict)];
}

}  // namespace zimbalo::lists
