#pragma once

#include <string>

#include "astro/catalogue.h"
#include "astro/here_circumstances.h"
#include "astro/language.h"

/// The text of the circumstances of one event at one point of the Earth: the place, its nearest
/// city and time zone, a verdict, every instant in UT (or TT) and local time with the planet's
/// and the Sun's positions, and the magnitude, duration, Moon phase and limbs. Tab-separated
/// UTF-8 lines ended by "\n": the panel shows them, Copy puts them on the clipboard, and
/// `zimbalo-cli here` prints them.
namespace zimbalo::lists {

class ZoneTable;
class CityIndex;

/// What the place sees of the event.
enum class HereVerdict { Night, Twilight, Daylight, BelowHorizon, NoOccultation };

/// Sun altitudes (degrees) that part day, twilight and night: the Sun above the horizon is day;
/// down to 12 degrees below it (civil and nautical twilight) twilight; deeper, night.
inline constexpr double kDaySunAltitude = 0.0;
inline constexpr double kNightSunAltitude = -12.0;

/// Radius within which the nearest place of the city database is named, km.
inline constexpr double kNearCityKm = 50.0;

/// One request: event `eventNumber` (1-based, for the title) with its record, the point, the
/// language, and whether the first time column is TT instead of UT.
struct HereRequest {
    const astro::BesselRecord* record = nullptr;
    int eventNumber = 0;
    double latitude = 0.0;   ///< degrees, north positive
    double longitude = 0.0;  ///< degrees, east positive
    double height = 0.0;     ///< metres
    Language language = Language::German;
    bool terrestrialTime = false;
};

/// The verdict of computed circumstances: no occultation; below the horizon when the planet is
/// not above it at any instant; otherwise by the Sun's altitude at the maximum, or at the first
/// instant with the planet up when it is down at the maximum.
HereVerdict VerdictOf(const astro::HereCircumstances& here);

/// The verdict's words in `language`, e.g. "seen in twilight".
std::string VerdictText(HereVerdict verdict, Language language);

/// The caption of the globe pop-up's button and the panel's title: "Umstände hier",
/// "Circumstances here", "Circonstances ici".
std::string HereTitle(Language language);

/// The text for `request`. `zones` gives the time zone (without it, or for a zone the system
/// lacks, the local column repeats UT and the zone line says so); `cities` the nearest place
/// within `kNearCityKm` (without it the line is left out).
std::string HereText(const HereRequest& request, const ZoneTable* zones, const CityIndex* cities);

}  // namespace zimbalo::lists
