#include "lists/list_text.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "astro/constants.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"
#include "lists/cp1252.h"
#include "lists/number_text.h"
#include "lists/time_zones.h"

namespace zimbalo::lists {

namespace {

using astro::StadtType;

// Texts below are written in UTF-8 and turned into Windows-1252 where they are used.

std::size_t LangIndex(Language language) {
    const auto i = static_cast<std::size_t>(language);
    return i < 3 ? i : 0;
}

struct LegendText {
    const char* key;
    const char* description;  // nullptr for the two title lines
};

using LegendRow = std::array<LegendText, 3>;  // German, English, French

// Legend of the many-places list.
constexpr std::array<LegendRow, kLegendLineCount> kCityListLegend = {{
    {{{"Legende", nullptr}, {"Legend", nullptr}, {"La légende", nullptr}}},   // 1
    {{{"--------", nullptr}, {"--------", nullptr}, {"--------", nullptr}}},  // 2
    {{{"JJJJ", "Jahr"}, {"YYYY", "Year"}, {"AAAA", "An"}}},                   // 3
    {{{"MM", "Monat"}, {"MM", "Month"}, {"MM", "Mois"}}},                     // 4
    {{{"TT", "Tag"}, {"DD", "Day"}, {"JJ", "Jour"}}},                         // 5
    {{{"DeltaT", "Delta T"}, {"DeltaT", "Delta T"}, {"DeltaT", "Delta T"}}},  // 6
    {{{"Typ", "Bedeckung-Typ (p=partiell, t=total)"},
      {"Typ", "Type of eclipse (p=partial, t=total)"},
      {"Typ", "Type de l'occultation (p=partielle, t=totale)"}}},  // 7
    {{{"Pl", "Planet"}, {"Pl", "Planet"}, {"Pl", "planète"}}},     // 8
    {{{"M16", "ungefähre Mondphase (0=Neumond, 4=1.Viertel, 8=Vollmond, 12=letztes Viertel)"},
      {"M16", "approx. Lunar phase (0=New Moon, 4=1st quarter, 8=Full Moon, 12=last quarter)"},
      {"L16",
       "Phase de la Lune (0=nouvelle lune, 4=premier quartier, 8=pleine lune, 12=dernier "
       "quartier)"}}},                                                     // 9
    {{{"NS", "nicht gebraucht"}, {"NS", "not used"}, {"NS", "réservé"}}},  // 10
    {{{"Land", "Land oder Punkt"},
      {"Country", "Country or geographical feature"},
      {"Pays", "Pays"}}},                                                                   // 11
    {{{"Ort", "Stadt oder Ortschaft"}, {"Place", "Location or city"}, {"Lieu", "Ville"}}},  // 12
    {{{"Breite", "Geographische Breite"},
      {"Latit.", "Geographic latitude"},
      {"Latit.", "Latitude géographique"}}},  // 13
    {{{"Länge", "Geographische Länge"},
      {"Longit.", "Geographc longitude"},
      {"Longit.", "Longitude géographique"}}},  // 14
    {{{"Höhe", "Höhe (grobe Schätzung aus GIS-Raster)"},
      {"Height", "Height (crude estimation from GIS raster data)"},
      {"Altit.", "Altitude (estimation approximative des données GIS)"}}},  // 15
    {{{"Einw.", "Einwohner (grobe ältere Schätzung)"},
      {"Popul.", "Population (crude older estimation)"},
      {"Popul.", "Population (estimation très approximative)"}}},  // 16
    {{{"1.K.(UT)", "Zeit des 1. Kontakts (Beginn der partiellen Phase)"},
      {"1.C.(UT)", "Time of 1st contact (Begin of partial phase)"},
      {"1.c.(TU)", "Temps universel du 1er contact (Commencement de la phase partielle)"}}},  // 17
    {{{"P°", "Kontaktpunkt des Mondes vom Nordpunkt des Planeten im Gegenuhrzeigersinn gemessen"},
      {"P°",
       "Contact point of the Moon measured counterclockwise from the North point of the planet"},
      {"P°",
       "Point de contact de la lune du nord de la planète mesurée dans le sens "
       "antihoraire"}}},  // 18
    {{{"V°",
       "Kontaktpunkt des Monded vom obersten Punkt des Planeten im Gegenuhrzeigersinn gemessen"},
      {"V°",
       "Contact point of the Moon measured counterclockwise from the uppermost point of the "
       "planet"},
      {"V°",
       "Point de contact de la lune du haut de la planète mesurée dans le sens "
       "antihoraire"}}},  // 19
    {{{"H°", "Höhe des Planeten über dem Horizont"},
      {"H°", "Height of the planet above the local (mathematical) horizon"},
      {"H°", "Elevation de la planète au-dessus de l'horizon"}}},  // 20
    {{{"S°", "Höhe der Sonne über dem Horizont"},
      {"S°", "Height of the Sun above the local (mathematical) horizon"},
      {"S°", "Elevation du soleil au-dessus de l'horizon"}}},  // 21
    {{{"2.K.(UT)", "Zeit des 2. Kontakts (Beginn der Totalität)"},
      {"2.C.(UT)", "Time of 2nd contact (Begin of totality)"},
      {"2.c.(TU)", "Temps universel du 2e contact (Commencement de la phase totale)"}}},  // 22
    {{{"Max.(UT)", "Zeit des Bedeckungsmaximums"},
      {"Max.(UT)", "Time of occultation maximum"},
      {"Max.(TU)", "Temps universel du maximum de l'occultation"}}},  // 23
    {{{"magn", "Magnitude"},
      {"magn", "Eclipse magnitude"},
      {"magn", "Magnitude de l'occultation"}}},  // 24
    {{{"h:mm:ss", "Dauer der Totalität"},
      {"h:mm:ss", "Duration of totality"},
      {"h:mm:ss", "Durée de la phase totale"}}},  // 25
    {{{"3.K.(UT)", "Zeit des 3. Kontakts (Ende der Totalität)"},
      {"3.C.(UT)", "Time of 3rd contact (End of totality)"},
      {"3.c.(TU)", "Temps universel du 3e contact (Fin de la phase totale)"}}},  // 26
    {{{"4.K.(UT)", "Zeit des 4. Kontakts (Ende der partiellen Phase)"},
      {"4.C.(UT)", "Time of 4th contact (End of partial phase)"},
      {"4.c.(TU)", "Temps universel du 4e contact (Fin de la phase partielle)"}}},  // 27
}};

struct LegendOverride {
    int line;
    Language language;
    LegendText text;
};

// Lines where the place history's legend differs.
constexpr std::array<LegendOverride, 11> kCityHistLegend = {{
    {7, Language::German, {"Typ", "Bedeckungs-Typ (p=partiell, t=total)"}},
    {10, Language::German, {"NS", "reserviert"}},
    {21, Language::English, {"S.H°", "Height of the Sun above the local (mathematical) horizon"}},
    {24, Language::English, {"magn", "Occultation magnitude"}},
    {7, Language::French, {"Typ", "Type de l'eclipse (p=partielle, t=totale)"}},
    {8, Language::French, {"Pl", "Planète"}},
    {18,
     Language::French,
     {"P°", "Point de contact de la lune du nord la planète mesurée dans le sens antihoraire"}},
    {19,
     Language::French,
     {"V°", "Point de contact de la lune du haut de la planèete mesurée dans le sens antihoraire"}},
    {23, Language::French, {"Max.(TU)", "Temps universel du maximum de l'éclipse"}},
    {24, Language::French, {"magn", "Magnitude de l'eclipse"}},
    {25, Language::French, {"h:mm:ss", "Durée de la phase annulaire ou totale"}},
}};

constexpr std::array<const char*, 41> kCityListSeparator = {
    "----",     "--",         "--",         "-------",   "-",          "-",        "---",
    "---",      "----------", "----------", "--°--'--H", "---°--'--H", "----",     "-------",
    "--:--:--", "---.--",     "---.--",     "---.--",    "---.--",     "--:--:--", "---.--",
    "---.--",   "---.--",     "---.--",     "--:--:--",  "---.--",     "---.--",   "---.--",
    "---.--",   "-.-",        "-:--:--",    "--:--:--",  "---.--",     "---.--",   "---.--",
    "---.--",   "--:--:--",   "---.--",     "---.--",    "---.--",     "---.--"};

// Column titles: 14 place columns per language, then the contact titles.
constexpr std::array<std::array<const char*, 14>, 3> kHeaderPlaceColumns = {{
    {"JJJJ", "MM", "TT", "DeltaT", "Typ", "Pl", "M16", "NS", "Land", "Ort", "Breite", "Länge",
     "Höhe", "Einw."},
    {"YYYY", "MM", "DD", "DeltaT", "Typ", "Pl", "M16", "NS", "Country", "Place", "Lati.", "Longit.",
     "Height", "Popul."},
    {"AAAA", "MM", "JJ", "DeltaT", "Typ", "Pl", "L16", "NS", "Pays", "Lieu", "Latit.", "Longit.",
     "Altit.", "Popul."},
}};

constexpr std::array<const char*, 3> kHistPlanetTitle = {"Planet", "Planet", "Planète"};

constexpr std::array<std::array<const char*, 5>, 3> kContactTitles = {{
    {"1.K.(UT)", "2.K.(UT)", "Max.(UT)", "3.K.(UT)", "4.K.(UT)"},
    {"1.C.(UT)", "2.C.(UT)", "Max.(UT)", "3.C.(UT)", "4.C.(UT)"},
    {"1.C.(TU)", "2.C.(TU)", "Max.(TU)", "3.C.(TU)", "4.C.(TU)"},
}};

constexpr std::array<std::array<const char*, 3>, 2> kScreenHeaders = {{
    {
        " JJJJ MM TT t Planet  M16 Land       Stadt       Breite    Länge    Einw. 1.K.(UT)  P°  "
        "V° H°  S° 2.K.(UT)  P°  V° H°  S° Max.(UT)  P°  V° H°  S°  magn h:mm:ss 3.K.(UT)  P°  "
        "V° H°  S° 4.K.(UT)  P°  V° H°  S°",
        " YYYY MM DD t Planet  M16 Country    City        Latit.  Longit.   Popul. 1.C.(UT)  P°  "
        "V° H°  S° 2.C.(UT)  P°  V° H°  S° Max.(UT)  P°  V° H°  S°  magn h:mm:ss 3.C.(UT)  P°  "
        "V° H°  S° 4.C.(UT)  P°  V° H°  S°",
        " AAAA MM JJ t Planète L16 Pays       Ville       Latit.  Longit.   Habit. 1.c.(TU)  P°  "
        "V° H°  S° 2.c.(TU)  P°  V° H°  S° Max.(TU)  P°  V° H°  S°  magn h:mm:ss 3.c.(TU)  P°  "
        "V° H°  S° 4.c.(TU)  P°  V° H°  S°",
    },
    {
        " JJJJ MM TT DeltaT t Ort   Planet   M16 NS 1.K.(UT)  P°  V° H°  S° 2.K.(UT)  P°  V° H°  "
        "S° Max.(UT)  P°  V° H°  S°  magn h:mm:ss 3.K.(UT)  P°  V° H°  S° 4.K.(UT)  P°  V° H°  S°",
        " YYYY MM DD DeltaT t Place Planet   M16 NS 1.K.(UT)  P°  V° H°  S° 2.K.(UT)  P°  V° H°  "
        "S° Max.(UT)  P°  V° H°  S°  magn h:mm:ss 3.K.(UT)  P°  V° H°  S° 4.K.(UT)  P°  V° H°  S°",
        " AAAA MM JJ DeltaT t Lieu  Planète L16 NS 1.c.(TU)  P°  V° H°  S° 2.c.(TU)  P°  V° H°  "
        "S° Max.(TU)  P°  V° H°  S°  magn h:mm:ss 3.c.(TU)  P°  V° H°  S° 4.c.(TU)  P°  V° H°  S°",
    },
}};

constexpr std::array<std::array<const char*, 7>, 3> kPlanetNames = {{
    {"Merkur ", "Venus  ", "Mars   ", "Jupiter", "Saturn ", "Uranus ", "Neptun "},
    {"Mercury", "Venus  ", "Mars   ", "Jupiter", "Saturn ", "Uranus ", "Neptune"},
    {"Mercure", "Vénus  ", "Mars   ", "Jupiter", "Saturne", "Uranus ", "Neptune"},
}};

constexpr std::array<std::array<const char*, 10>, 3> kPopulationEntries = {{
    {"1'000'000 Personen", "   500'000 Personen", "   250'000 Personen", "   100'000 Personen",
     "      50'000 Personen", "      25'000 Personen", "      10'000 Personen",
     "        5'000 Personen", "        2'500 Personen", "                0 Personen"},
    {"1'000'000 habitants", "   500'000 habitants", "   250'000 habitants", "   100'000 habitants",
     "      50'000 habitants", "      25'000 habitants", "      10'000 habitants",
     "        5'000 habitants", "        2'500 habitants", "                0 habitants"},
    {"1'000'000 Personnes", "   500'000 Personnes", "   250'000 Personnes", "   100'000 Personnes",
     "      50'000 Personnes", "      25'000 Personnes", "      10'000 Personnes",
     "        5'000 Personnes", "        2'500 Personnes", "                0 Personne"},
}};

// Index 8 follows its entry's text, 2'500 (see PopulationThreshold).
constexpr std::array<std::int64_t, 10> kThresholds = {1000000, 500000, 250000, 100000, 50000,
                                                      25000,   10000,  5000,   2500,   -1};

constexpr std::array<std::array<const char*, 2>, 3> kCityListStatusLabels = {{
    {"Orte getestet", "Orte gefunden"},
    {"Places scanned", "Places found"},
    {"Lieux cherchés", "Lieux trouvés"},
}};

constexpr std::array<std::array<const char*, 2>, 3> kCityHistStatusLabels = {{
    {"Bedeckungen durchsucht", "Bedeckungen gefunden"},
    {"occultations scanned", "occultatins found"},
    {"occultations cherchées", "occultations trouvées"},
}};

constexpr std::array<std::array<const char*, 3>, 3> kFieldWords = {{
    {" Geogr.Breite", " Geogr.Länge", " Höhe"},
    {" Latitude", " Longitude", " Height"},
    {" Latitude", " Longitude", " Altitude"},
}};

constexpr std::array<const char*, 3> kInvalidEnding = {
    " ist kein gültiger Wert", " is not a valid number", " valeur non valide"};

std::string Cp(const char* utf8) {
    return Utf8ToCp1252(utf8);
}

// Names typed by a user may hold tabs or line breaks; inside a line they would shift the
// columns of a saved list, so they become blanks.
std::string LineSafe(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c == '\t' || c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

// A number right-aligned in `width`. Unlike text, a number is never cut: a wider number pushes
// the rest of the line to the right instead of losing its leading digits.
std::string NumberRight(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : AlignRight(text, width);
}

std::string Degrees2(double radians) {
    return FormatFixed(radians * astro::kRadToDeg, 2);
}

std::string DegreesWhole(double radians) {
    return FormatInt(static_cast<std::int64_t>(RoundHalfEven(radians * astro::kRadToDeg)));
}

std::string AngleText(double absDeg, int degreeDigits, char letter) {
    const auto minutes = static_cast<std::int64_t>(RoundHalfEven(absDeg * 60.0));
    std::string deg = FormatInt(minutes / 60);
    if (deg.size() < static_cast<std::size_t>(degreeDigits)) {
        deg.insert(0, static_cast<std::size_t>(degreeDigits) - deg.size(), '0');
    }
    std::string min = FormatInt(minutes % 60);
    if (min.size() < 2) {
        min.insert(0, 1, '0');
    }
    return deg + "\xB0" + min + "'" + letter;
}

// Everything both line formats derive from a result.
struct LineValues {
    int year = 0, month = 0, day = 0;
    std::array<bool, 6> present{};    // [1..5] block shown
    std::array<std::string, 6> time;  // [1..5] UT time of day, hh:mm:ss
    std::string duration;             // h:mm:ss of totality, empty for a partial occultation
    int m16 = 0;
};

// `zone`: the IANA zone whose wall clock gives the dates and times instead of UT.
LineValues Derive(const astro::BesselRecord& record, const StadtType& place, double deltaT,
                  const std::string* zone = nullptr) {
    LineValues v;
    bool dated = false;
    for (std::size_t i = 1; i <= 5; ++i) {
        const bool umbral = i == astro::kSecondContact || i == astro::kThirdContact;
        const bool up = astro::planetAboveHorizon(place, i);
        v.present[i] = up && !(umbral && place.Typ == 'p');
        if (!up) {
            continue;
        }
        const double jd = astro::ContactUT(record, deltaT, place.Zeit[i]);
        if (zone != nullptr) {
            const LocalTime local = LocalTimeAt(jd, *zone);
            if (!dated) {
                v.year = local.year;
                v.month = local.month;
                v.day = local.day;
                dated = true;
            }
            v.time[i] = ClockText(local);
            continue;
        }
        if (!dated) {
            // The date of the line is the UT date of its first instant above the horizon.
            const astro::CalendarDate date = astro::JDToCalendar(jd);
            v.year = date.year;
            v.month = date.month;
            v.day = date.day;
            dated = true;
        }
        v.time[i] =
            std::string(TrimBlanks(astro::HoursToHMS(0, astro::FMod(jd + 0.5, 1.0) * 24.0)));
    }
    if (place.Typ != 'p') {
        v.duration = std::string(TrimBlanks(astro::HoursToHMS(
            0, place.Zeit[astro::kThirdContact] - place.Zeit[astro::kSecondContact])));
    }
    v.m16 = astro::MoonPhaseIndex(record);
    return v;
}

std::string MagnitudeText(ListKind kind, double magnitude) {
    return FormatFixed(magnitude, kind == ListKind::CityList ? 1 : 3);
}

}  // namespace

std::string PlanetName(int planet, Language language) {
    if (planet < 1 || planet > 7) {
        return std::string(7, ' ');
    }
    return Cp(kPlanetNames[LangIndex(language)][static_cast<std::size_t>(planet - 1)]);
}

std::string LatitudeText(double latitudeDeg) {
    return AngleText(std::fabs(latitudeDeg), 2, latitudeDeg >= 0.0 ? 'N' : 'S');
}

std::string LongitudeText(double longitudeDeg, Language language) {
    char letter = 'W';
    if (longitudeDeg >= 0.0) {
        letter = language == Language::German ? 'O' : 'E';
    } else if (language == Language::French) {
        letter = 'O';
    }
    return AngleText(std::fabs(longitudeDeg), 3, letter);
}

namespace {

std::string TabLineOf(const LineValues& v, ListKind kind, const astro::BesselRecord& record,
                      const StadtType& place, double deltaT, Language language) {
    std::string s;
    s.reserve(320);
    const auto field = [&s](const std::string& text) {
        s += text;
        s += '\t';
    };
    field(FormatInt(v.year));
    field(FormatInt(v.month));
    field(FormatInt(v.day));
    field(FormatFixed(deltaT, 1));
    field(std::string(1, place.Typ));
    field(PlanetName(record.Planet, language));
    field(FormatInt(v.m16));
    field(FormatInt(record.NS));
    field(LineSafe(place.Land));
    field(LineSafe(place.Stadt));
    field(LatitudeText(place.Breite));
    field(LongitudeText(place.Laenge, language));
    field(FormatInt(place.Hoehe));
    field(FormatInt(place.Einwohner));
    for (std::size_t i = 1; i <= 5; ++i) {
        const bool last = i == astro::kFourthContact;
        if (!v.present[i]) {
            if (!last) {
                s.append(i == astro::kMaximum ? 7 : 5, '\t');
            }
            continue;
        }
        field(v.time[i]);
        field(Degrees2(place.P[i]));
        field(Degrees2(place.V[i]));
        field(Degrees2(place.H[i]));
        if (last) {
            s += Degrees2(place.S[i]);
            continue;
        }
        field(Degrees2(place.S[i]));
        if (i == astro::kMaximum) {
            field(MagnitudeText(kind, place.Magn));
            field(v.duration);
        }
    }
    return s;
}

std::string FixedLineOf(const LineValues& v, ListKind kind, const astro::BesselRecord& record,
                        const StadtType& place, double deltaT, Language language) {
    std::string s;
    s.reserve(260);
    const auto item = [&s](const std::string& text) {
        s += text;
        s += ' ';
    };
    item(NumberRight(FormatInt(v.year), 5));
    item(NumberRight(FormatInt(v.month), 2));
    item(NumberRight(FormatInt(v.day), 2));
    if (kind == ListKind::CityHist) {
        item(NumberRight(FormatInt(static_cast<std::int64_t>(RoundHalfEven(deltaT))), 6));
    }
    item(std::string(1, place.Typ));
    if (kind == ListKind::CityHist) {
        item(AlignLeft(LineSafe(place.Stadt), 5));
    }
    item(AlignLeft(PlanetName(record.Planet, language), 7) + NumberRight(FormatInt(v.m16), 4));
    if (kind == ListKind::CityHist) {
        item(NumberRight(FormatInt(record.NS), 2));
    } else {
        item(AlignLeft(LineSafe(place.Land), 10));
        item(AlignLeft(LineSafe(place.Stadt), 10));
        item(LatitudeText(place.Breite));
        item(LongitudeText(place.Laenge, language));
        item(NumberRight(FormatInt(place.Einwohner), 8));
    }
    for (std::size_t i = 1; i <= 5; ++i) {
        const bool max = i == astro::kMaximum;
        if (!v.present[i]) {
            s.append(max ? 38 : 24, ' ');
            continue;
        }
        item(AlignRight(v.time[i], 8));
        item(NumberRight(DegreesWhole(place.P[i]), 3));
        item(NumberRight(DegreesWhole(place.V[i]), 3));
        item(NumberRight(DegreesWhole(place.H[i]), 2));
        item(NumberRight(DegreesWhole(place.S[i]), 3));
        if (max) {
            item(NumberRight(MagnitudeText(kind, place.Magn), 5));
            if (place.Typ == 'p') {
                s.append(8, ' ');
            } else {
                item(AlignRight(v.duration, 7));
            }
        }
    }
    return s;
}

}  // namespace

std::string TabLine(ListKind kind, const astro::BesselRecord& record, const StadtType& place,
                    double deltaT, Language language) {
    return TabLineOf(Derive(record, place, deltaT), kind, record, place, deltaT, language);
}

std::string FixedLine(ListKind kind, const astro::BesselRecord& record, const StadtType& place,
                      double deltaT, Language language) {
    return FixedLineOf(Derive(record, place, deltaT), kind, record, place, deltaT, language);
}

void FormatListLines(ListKind kind, const astro::BesselRecord& record, const StadtType& place,
                     double deltaT, Language language, std::string& tabLine,
                     std::string& fixedLine) {
    const LineValues v = Derive(record, place, deltaT);
    tabLine = TabLineOf(v, kind, record, place, deltaT, language);
    fixedLine = FixedLineOf(v, kind, record, place, deltaT, language);
}

void FormatLocalListLines(ListKind kind, const astro::BesselRecord& record, const StadtType& place,
                          double deltaT, Language language, const std::string& zone,
                          std::string& tabLine, std::string& fixedLine) {
    const LineValues v = Derive(record, place, deltaT, &zone);
    tabLine = TabLineOf(v, kind, record, place, deltaT, language);
    fixedLine = FixedLineOf(v, kind, record, place, deltaT, language);
}

std::string LocalTimeTitles(std::string header, const std::string& label) {
    for (const char* ut : {"(UT)", "(TU)"}) {
        for (std::size_t at = header.find(ut); at != std::string::npos;
             at = header.find(ut, at + label.size() + 2)) {
            header.replace(at, 4, "(" + label + ")");
        }
    }
    return header;
}

std::vector<std::string> LegendLines(ListKind kind, Language language) {
    const std::size_t lang = LangIndex(language);
    std::vector<std::string> lines;
    lines.reserve(kLegendLineCount);
    for (int line = 1; line <= kLegendLineCount; ++line) {
        LegendText text = kCityListLegend[static_cast<std::size_t>(line - 1)][lang];
        if (kind == ListKind::CityHist) {
            for (const LegendOverride& o : kCityHistLegend) {
                if (o.line == line && LangIndex(o.language) == lang) {
                    text = o.text;
                }
            }
        }
        std::string s = Cp(text.key);
        if (text.description != nullptr) {
            s += '\t';
            s += Cp(text.description);
        }
        lines.push_back(std::move(s));
    }
    return lines;
}

std::string SeparatorLine(ListKind kind, Language language) {
    std::string s;
    for (std::size_t g = 0; g < kCityListSeparator.size(); ++g) {
        const char* group = kCityListSeparator[g];
        if (kind == ListKind::CityHist) {
            // Wider planet column, narrower NS column, three decimals of the magnitude and, in
            // the English and French lists, a wider height column.
            if (g == 5) {
                group = "-------";
            } else if (g == 7) {
                group = "--";
            } else if (g == 29) {
                group = "-.---";
            } else if (g == 12 && language != Language::German) {
                group = "------";
            }
        }
        if (g > 0) {
            s += '\t';
        }
        s += Cp(group);
    }
    return s;
}

std::string HeaderLine(ListKind kind, Language language) {
    const std::size_t lang = LangIndex(language);
    std::string s;
    for (std::size_t c = 0; c < 14; ++c) {
        const char* title = kHeaderPlaceColumns[lang][c];
        if (kind == ListKind::CityHist && c == 5) {
            title = kHistPlanetTitle[lang];
        }
        if (c > 0) {
            s += '\t';
        }
        s += Cp(title);
    }
    for (std::size_t block = 0; block < 5; ++block) {
        s += '\t';
        s += Cp(kContactTitles[lang][block]);
        s += Cp("\tP°\tV°\tH°\tS°");
        if (block == 2) {
            s += "\tmagn\th:mm:ss";
        }
    }
    return s;
}

std::string ScreenHeader(ListKind kind, Language language) {
    return Cp(kScreenHeaders[kind == ListKind::CityList ? 0 : 1][LangIndex(language)]);
}

std::string ListPreamble(ListKind kind, Language language) {
    std::string s;
    for (const std::string& line : LegendLines(kind, language)) {
        s += line;
        s += kLineEnd;
    }
    s += SeparatorLine(kind, language);
    s += kLineEnd;
    s += kLineEnd;
    s += HeaderLine(kind, language);
    s += kLineEnd;
    return s;
}

std::int64_t PopulationThreshold(int index) {
    const int i = index < 0 ? 0 : (index > 9 ? 9 : index);
    return kThresholds[static_cast<std::size_t>(i)];
}

std::vector<std::string> PopulationEntries(Language language) {
    std::vector<std::string> entries;
    for (const char* e : kPopulationEntries[LangIndex(language)]) {
        entries.push_back(Cp(e));
    }
    return entries;
}

std::string CityListStatus(int tested, int found, Language language) {
    const auto& labels = kCityListStatusLabels[LangIndex(language)];
    return FormatInt(tested) + " " + Cp(labels[0]) + ". " + FormatInt(found) + " " + Cp(labels[1]);
}

std::string CityHistStatus(int eventNumber, int found, Language language) {
    const auto& labels = kCityHistStatusLabels[LangIndex(language)];
    return FormatInt(eventNumber) + " " + Cp(labels[0]) + ". " + FormatInt(found) + " "
           + Cp(labels[1]);
}

std::string InvalidNumberMessage(PlaceField field, Language language) {
    const std::size_t lang = LangIndex(language);
    return Cp(kFieldWords[lang][static_cast<std::size_t>(field)]) + Cp(kInvalidEnding[lang]);
}

}  // namespace zimbalo::lists
