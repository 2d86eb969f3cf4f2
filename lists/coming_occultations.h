#pragma once

#include <array>
#include <atomic>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "lists/planet_choice.h"
#include "lists/time_zones.h"

/// The coming occultations at one place: one row per event of the place history from a start
/// instant on, with the local clock times of the first and fourth contacts, the altitudes of the
/// planet and the Sun there, and a verdict; and the filters that pick the rows an observer can
/// see (planets, a least planet altitude with a dark sky, optionally daylight for Venus and
/// Jupiter).
namespace zimbalo::lists {

/// A place as the observer keeps it: name, geodetic latitude and east longitude in degrees,
/// height in metres and the IANA zone of its clocks.
struct HomePlace {
    std::string name;
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
    int heightMetres = 0;
    std::string zone;

    bool operator==(const HomePlace&) const = default;
};

/// When a row counts as seen.
enum class SeenRule {
    Always,                 ///< every row of the place history
    DarkSky,                ///< the planet high enough with the Sun at -6 degrees or lower
    DarkSkyOrVenusJupiter,  ///< as `DarkSky`, but Venus and Jupiter also by day
};

/// The Sun altitude, degrees, at or below which the sky is dark enough for a planet.
inline constexpr double kDarkSkySunDeg = -6.0;

/// The filters of the coming occultations.
struct ComingFilter {
    PlanetMask planets = 0;
    SeenRule seen = SeenRule::Always;
    double minAltitudeDeg = 5.0;  ///< least planet altitude at D or R, degrees
};

/// The state of the sky for the row, from the better of the first and fourth contacts with the
/// planet above the horizon: night with the Sun at -6 degrees or lower, twilight with the Sun
/// below the horizon but higher, day with the Sun up; below the horizon when the planet is
/// below it at both contacts.
enum class Verdict { Night, Twilight, Day, BelowHorizon };

/// One coming occultation at the place. Index 1..5 of the arrays: first contact (D), second
/// contact, maximum, third contact, fourth contact (R); index 0 is unused.
struct ComingRow {
    int number = 0;   ///< catalogue event number
    int planet = 0;   ///< 1 Mercury .. 7 Neptune
    char kind = ' ';  ///< 'p' partial, 't' total, 'r' or 'a' annular (as the place list)
    double magnitude = 0.0;
    std::array<double, 6> jdUT{};          ///< instants, Julian date UT
    std::array<double, 6> planetAltDeg{};  ///< planet altitude, degrees
    std::array<double, 6> sunAltDeg{};     ///< Sun altitude, degrees
    std::array<double, 6> pDeg{};          ///< position angle from the north point, degrees
    std::array<double, 6> vDeg{};          ///< position angle from the uppermost point, degrees
    std::array<bool, 6> shown{};  ///< the place list shows the instant (planet above the horizon)
    LocalTime localD;             ///< clock time of the first contact at the place
    LocalTime localR;             ///< clock time of the fourth contact
    Verdict verdict = Verdict::BelowHorizon;
};

/// What the computation needs: the place, the range of UT years of greatest occultation (as the
/// place history selects), and the start instant (Julian date UT): events whose fourth contact
/// lies before it are left out.
struct ComingInput {
    HomePlace place;
    int firstYear = 1980;
    int lastYear = 2100;
    double startJD = -std::numeric_limits<double>::infinity();
};

/// The start instant `startJD` and the year range from its year (a day earlier, to keep an event
/// that is going on at the start) to 2100.
ComingInput ComingFrom(const HomePlace& place, double startJD);

/// The rows of the place history of `input.place` within the years whose fourth contact is at
/// or after `startJD`, in catalogue (time) order. `stop` (may be null) ends the search early.
std::vector<ComingRow> ComingOccultations(const astro::BesselTable& table, const ComingInput& input,
                                          const std::atomic<bool>* stop = nullptr);

/// True when the row is seen under `filter` at instant `contact` (1 or 5).
bool SeenAt(const ComingRow& row, std::size_t contact, const ComingFilter& filter);

/// True when the row passes `filter`: its planet is chosen, and under a seen rule it is seen at
/// D or at R. Altitudes equal to the limits (5 and -6 degrees) count as seen.
bool Passes(const ComingRow& row, const ComingFilter& filter);

/// The rows passing `filter`, in their order.
std::vector<ComingRow> Filtered(const std::vector<ComingRow>& rows, const ComingFilter& filter);

/// The first and the last instant (index 1..5) the place list shows for the row: normally 1 (D)
/// and 5 (R); instants with the planet below the horizon are left out.
std::pair<std::size_t, std::size_t> ShownSpan(const ComingRow& row);

/// The planet's name in full, UTF-8, e.g. "Jupiter", "Vénus".
std::string PlanetFullName(int planet, Language language);

/// The kind of the occultation at the place in words, UTF-8: "partiell", "total", "ringförmig".
std::string KindText(char kind, Language language);

/// The verdict in words, UTF-8: "Nacht", "Dämmerung", "Tag", "unter dem Horizont".
std::string VerdictText(Verdict verdict, Language language);

}  // namespace zimbalo::lists
