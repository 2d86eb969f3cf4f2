#include "lists/here_text.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "astro/constants.h"
#include "astro/time_scales.h"
#include "lists/cp1252.h"
#include "lists/list_text.h"
#include "lists/nearest_city.h"
#include "lists/number_text.h"
#include "lists/time_zones.h"

namespace zimbalo::lists {

namespace {

using astro::HereInstant;

// Texts by language: German, English, French.
using Words = std::array<const char*, 3>;

const char* Pick(const Words& words, Language language) {
    return words[static_cast<std::size_t>(language)];
}

constexpr Words kTitle = {"Umstände hier", "Circumstances here", "Circonstances ici"};
constexpr Words kEvent = {"Ereignis", "Event", "Événement"};
constexpr Words kPlace = {"Ort", "Place", "Lieu"};
constexpr Words kNearest = {"Nächster Ort", "Nearest place", "Lieu le plus proche"};
constexpr Words kNoneNear = {"kein Ort der Datenbank im Umkreis von 50 km",
                             "no place of the database within 50 km",
                             "aucun lieu de la base à moins de 50 km"};
constexpr Words kZone = {"Zeitzone", "Time zone", "Fuseau horaire"};
constexpr Words kZoneUnknown = {"dem System unbekannt, Ortszeit = UT",
                                "unknown to the system, local time = UT",
                                "inconnu du système, heure locale = TU"};
constexpr Words kVerdict = {"Ergebnis", "Verdict", "Verdict"};
constexpr Words kInstant = {"Zeitpunkt", "Instant", "Instant"};
constexpr Words kUT = {"UT", "UT", "TU"};
constexpr Words kLocal = {"Ortszeit", "Local time", "Heure locale"};
constexpr Words kPlanetAlt = {"Planet Höhe°", "Planet alt.°", "Haut. planète°"};
constexpr Words kPlanetAz = {"Planet Azimut°", "Planet az.°", "Azim. planète°"};
constexpr Words kSunAlt = {"Sonne Höhe°", "Sun alt.°", "Haut. soleil°"};
constexpr Words kMagnitude = {"Magnitude", "Magnitude", "Magnitude"};
constexpr Words kType = {"Art", "Type", "Type"};
constexpr std::array<Words, 3> kTypes = {{{"partiell", "partial", "partielle"},
                                          {"total", "total", "totale"},
                                          {"ringförmig", "annular", "annulaire"}}};
constexpr Words kDuration = {"Dauer (2. bis 3. Kontakt)", "Duration (2nd to 3rd contact)",
                             "Durée (2e au 3e contact)"};
constexpr Words kIlluminated = {"Beleuchteter Teil des Mondes", "Moon illuminated",
                                "Fraction éclairée de la Lune"};
constexpr Words kDisappearance = {"Verschwinden am", "Disappearance at the", "Disparition au"};
constexpr Words kReappearance = {"Wiedererscheinen am", "Reappearance at the", "Réapparition au"};
constexpr Words kBright = {"hellen Rand", "bright limb", "bord éclairé"};
constexpr Words kDark = {"dunklen Rand", "dark limb", "bord sombre"};
constexpr Words kLeast = {"geringster Abstand", "least distance", "distance minimale"};
constexpr Words kLeastText = {"geringster Abstand der Mittelpunkte",
                              "least distance of the centres", "distance minimale des centres"};
constexpr Words kMoonRadii = {"Mondradien", "Moon radii", "rayons lunaires"};
constexpr Words kAt = {"um", "at", "à"};

constexpr std::array<Words, 5> kVerdicts = {{
    {"zu sehen bei Nacht", "seen at night", "visible de nuit"},
    {"zu sehen in der Dämmerung", "seen in twilight", "visible au crépuscule"},
    {"zu sehen am Taghimmel", "seen in daylight", "visible en plein jour"},
    {"unter dem Horizont", "below the horizon", "sous l'horizon"},
    {"keine Bedeckung hier", "no occultation here", "pas d'occultation ici"},
}};

Words InstantName(HereInstant kind) {
    switch (kind) {
        case HereInstant::First:
            return {"1. Kontakt", "1st contact", "1er contact"};
        case HereInstant::CentreIn:
            return {"Mitte verschwindet", "centre disappears", "disparition du centre"};
        case HereInstant::Second:
            return {"2. Kontakt", "2nd contact", "2e contact"};
        case HereInstant::Maximum:
            return {"Maximum", "maximum", "maximum"};
        case HereInstant::Third:
            return {"3. Kontakt", "3rd contact", "3e contact"};
        case HereInstant::CentreOut:
            return {"Mitte erscheint wieder", "centre reappears", "réapparition du centre"};
        case HereInstant::Fourth:
            return {"4. Kontakt", "4th contact", "4e contact"};
    }
    return {"", "", ""};
}

std::string Degrees(double radians) {
    return FormatFixed(astro::radiansToDegrees(radians), 1);
}

std::string Join(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += '\t';
        }
        line += fields[i];
    }
    return line + '\n';
}

// Formats the instants of one request: the first column in UT (or TT), the second in the zone.
class Clock {
public:
    Clock(const HereRequest& request, std::optional<std::string> zone)
        : m_tt(request.terrestrialTime), m_zone(std::move(zone)) {}

    LocalTime Universal(const astro::HereContact& c) const {
        LocalTime t = UniversalTimeAt(m_tt ? c.jdTT : c.jdUT);
        if (m_tt) {
            t.abbreviation = "TT";
        }
        return t;
    }

    LocalTime Local(const astro::HereContact& c) const {
        return m_zone ? LocalTimeAt(c.jdUT, *m_zone) : UniversalTimeAt(c.jdUT);
    }

private:
    bool m_tt;
    std::optional<std::string> m_zone;
};

}  // namespace

HereVerdict VerdictOf(const astro::HereCircumstances& here) {
    if (!here.occulted) {
        return HereVerdict::NoOccultation;
    }
    const astro::HereContact* reference = nullptr;
    for (const astro::HereContact& c : here.contacts) {
        if (c.altitude > 0.0 && (reference == nullptr || c.kind == astro::HereInstant::Maximum)) {
            reference = &c;
        }
    }
    if (reference == nullptr) {
        return HereVerdict::BelowHorizon;
    }
    const double sun = astro::radiansToDegrees(reference->sunAltitude);
    if (sun > kDaySunAltitude) {
        return HereVerdict::Daylight;
    }
    return sun > kNightSunAltitude ? HereVerdict::Twilight : HereVerdict::Night;
}

std::string VerdictText(HereVerdict verdict, Language language) {
    return Pick(kVerdicts[static_cast<std::size_t>(verdict)], language);
}

std::string HereTitle(Language language) {
    return Pick(kTitle, language);
}

std::string HereText(const HereRequest& request, const ZoneTable* zones, const CityIndex* cities) {
    const astro::BesselRecord& record = *request.record;
    const Language lang = request.language;
    const double deltaT = astro::DeltaT(record.Year, record.Month);
    const astro::HereCircumstances here = astro::ComputeHereCircumstances(
        record, request.latitude, request.longitude, request.height, deltaT);

    std::optional<std::string> zone;
    bool zoneKnown = false;
    if (zones != nullptr) {
        zone = zones->ZoneAt(request.latitude, request.longitude);
        zoneKnown = LocalTimeAt(here.closest.jdUT, *zone).known;
        if (!zoneKnown) {
            zone.reset();
        }
    }
    const Clock clock(request, zone);
    const LocalTime reference = clock.Local(here.closest);
    const std::vector<astro::HereContact> rows =
        here.occulted ? here.contacts : std::vector<astro::HereContact>{here.closest};
    const std::string date = DateText(clock.Universal(rows.front()));

    std::string text;
    text += Join({Pick(kTitle, lang),
                  std::string(Pick(kEvent, lang)) + " " + FormatInt(request.eventNumber),
                  Cp1252ToUtf8(TrimBlanks(PlanetName(record.Planet, lang))), date});
    text += Join({Pick(kPlace, lang), Cp1252ToUtf8(LatitudeText(request.latitude)),
                  Cp1252ToUtf8(LongitudeText(request.longitude, lang)),
                  FormatInt(static_cast<std::int64_t>(RoundHalfEven(request.height))) + " m"});
    if (cities != nullptr) {
        const std::optional<NearCity> near =
            cities->Nearest(request.latitude, request.longitude, kNearCityKm);
        if (near) {
            text += Join({Pick(kNearest, lang), near->name, near->country,
                          FormatFixed(near->distanceKm, 0) + " km"});
        } else {
            text += Join({Pick(kNearest, lang), Pick(kNoneNear, lang)});
        }
    }
    if (zones != nullptr) {
        if (zone) {
            text += Join({Pick(kZone, lang), *zone, reference.abbreviation,
                          OffsetText(reference.offsetSeconds)});
        } else {
            text += Join({Pick(kZone, lang), zones->ZoneAt(request.latitude, request.longitude),
                          Pick(kZoneUnknown, lang)});
        }
    }

    const HereVerdict verdict = VerdictOf(here);
    std::vector<std::string> verdictLine = {Pick(kVerdict, lang), VerdictText(verdict, lang)};
    if (verdict == HereVerdict::NoOccultation) {
        const LocalTime at = clock.Universal(here.closest);
        verdictLine.push_back(std::string(Pick(kLeastText, lang)) + " "
                              + FormatFixed(here.leastDistance, 2) + " " + Pick(kMoonRadii, lang)
                              + " " + Pick(kAt, lang) + " " + ClockText(at) + " "
                              + (request.terrestrialTime ? "TT" : Pick(kUT, lang)));
    }
    text += Join(verdictLine);

    text += Join({Pick(kInstant, lang), request.terrestrialTime ? "TT" : Pick(kUT, lang),
                  Pick(kLocal, lang), "P°", "V°", Pick(kPlanetAlt, lang), Pick(kPlanetAz, lang),
                  Pick(kSunAlt, lang)});
    for (const astro::HereContact& c : rows) {
        const LocalTime ut = clock.Universal(c);
        const LocalTime local = clock.Local(c);
        // Dates only where they differ: UT from the title's date, local time from UT.
        std::string utText = ClockText(ut);
        if (DateText(ut) != date) {
            utText = DateText(ut) + " " + utText;
        }
        std::string localText = ClockText(local);
        if (DateText(local) != DateText(ut)) {
            localText = DateText(local) + " " + localText;
        }
        // A change to or from summer time during the event shows at the instants it concerns.
        if (zone && local.abbreviation != reference.abbreviation) {
            localText += " " + local.abbreviation;
        }
        const Words name = here.occulted ? InstantName(c.kind) : kLeast;
        text += Join({Pick(name, lang), utText, localText, Degrees(c.p), Degrees(c.v),
                      Degrees(c.altitude), Degrees(c.azimuth), Degrees(c.sunAltitude)});
    }

    if (here.occulted) {
        text += Join({Pick(kMagnitude, lang), FormatFixed(here.magnitude, 3)});
        const std::size_t type = here.typ == 't' ? 1 : (here.typ == 'p' ? 0 : 2);
        text += Join({Pick(kType, lang), Pick(kTypes[type], lang)});
        if (here.duration) {
            text += Join({Pick(kDuration, lang),
                          std::string(TrimBlanks(astro::HoursToHMS(0, *here.duration)))});
        }
    }
    text +=
        Join({Pick(kIlluminated, lang), FormatFixed(100.0 * here.illuminatedFraction, 0) + " %"});
    if (here.disappearance) {
        text += Join({Pick(kDisappearance, lang),
                      Pick(*here.disappearance == astro::Limb::Bright ? kBright : kDark, lang)});
    }
    if (here.reappearance) {
        text += Join({Pick(kReappearance, lang),
                      Pick(*here.reappearance == astro::Limb::Bright ? kBright : kDark, lang)});
    }
    return text;
}

}  // namespace zimbalo::lists
