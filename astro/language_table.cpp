#include "astro/language_table.h"

namespace zimbalo {

// Rows 1..6 and 7..12 both name the six kinds of occultation; the event labels use 7..12.
// A planet code p reads row p + 60, so the codes -1 and 0 give the blank rows 59 and 60.
const std::array<LanguageRow, kLanguageRows + 1> LanguageTable = {{
    {"", "", ""},                                                               // 0: unused
    {"Partielle Bedeckung", "Partial occultation", "occultation partielle"},    // 1
    {"Totale Bedeckung", "Total occultation", "occultation totale"},            // 2
    {"Ringförmige Bedeckung", "Annular occultation", "occultation annulaire"},  // 3
    {"Ringförmig-totale Bedeckung", "Annular-total occultation",
     "occultation annulaire totale"},  // 4
    {"Nichtzentrale Bedeckung", "Non central total occultation",
     "occultation totale non centrale"},  // 5
    {"Nichtzentrale Bedeckung", "Non central annular occultation",
     "occultation totale non centrale"},                                                    // 6
    {"Partielle Bedeckung", "Partial occultation", "occultation partielle"},                // 7
    {"Totale Bedeckung", "Total occultation", "occultation totale"},                        // 8
    {"Ringförmige Bedeckung", "Annular occultation", "occultation annulaire"},              // 9
    {"Ringf.-totale Bedeckung.", "Ann-total occultation", "occultation annulaire-totale"},  // 10
    {"Nichtzentr. totale Bedeckung", "Non central total occultation",
     "occultation totale non centrale"},  // 11
    {"Nichtzentr. ringf. Bedeckung  ", "Non central annular occultation",
     "occultation totale non centrale"},                                    // 12
    {"Planetenauswahl", "Planet(s) selection", "Sélection des planètes"},   // 13
    {"", "", ". de "},                                                      // 14
    {"", "", " sec."},                                                      // 15
    {"Ekliptik", "Ecliptic", "Ecliptique"},                                 // 16
    {"Weg der", "path of", "chemin de"},                                    // 17
    {"Schattenachse", "shadow axis", "axe de l'ombre"},                     // 18
    {" D2||F'Ebene", " D2||F'plane", " D2||plaine F'"},                     // 19
    {"schnell rückwärts abspielen", "fast reverse play", "retour rapide"},  // 20
    {"rückwärts abspielen", "reverse play", "retour"},                      // 21
    {"Stop", "stop", "stop"},                                               // 22
    {"vorwärts abspielen", "forward play", "lecture"},                      // 23
    {"schnell vorwärts abspielen", "fast forward play", "avance rapide"},   // 24
    {"Zeitregler (-3.5 Std bis +3.5 Std)", "Time slider (-3.5 hrs to +3.5 hrs)",
     "Règlage du temps (-3.5 hrs à +3.5 hrs)"},  // 25
    {" - Der Planetenbedeckungs-Vardel", " - The planetary occultations Vardel",
     " - le Vardel des occultations planétaires           "},                               // 26
    {" Std", " hours", " heures"},                                                          // 27
    {" R(Erde)", " R(Earth)", " R(Terre)"},                                                 // 28
    {" Zentrallinie:", " Center line:", " Ligne centrale"},                                 // 29
    {"", "", " "},                                                                          // 30
    {"", "", " "},                                                                          // 31
    {" Höhe", " Height", " Altitude"},                                                      // 32
    {" Geogr.Länge", " Longitude", " Longitude"},                                           // 33
    {" Geogr.Breite", " Latitude", " Latitude"},                                            // 34
    {" Dauer", " Duration", " Durée"},                                                      // 35
    {" Sonne :Höhe", " Sun   :altitude", " Alt. du soleil"},                                // 36
    {" Planet:Höhe", " Planet:altitude", " Alt. d.l.planète"},                              // 37
    {" Ortszeit", " Local time", " Heure locale"},                                          // 38
    {"subplanetarer", "sub-planetary", "point"},                                            // 39
    {"Punkt", "point", "sub-planétaire"},                                                   // 40
    {" Planet:Azim.", " Planet azimuth", " Azim. d.l.planète"},                             // 41
    {"", "", ""},                                                                           // 42
    {"Bedeckungen durchsucht", "occultations scanned", "occultations cherchées"},           // 43
    {"Bedeckungen gefunden", "occultatins found", "occultations trouvées"},                 // 44
    {"Dist. zu Schattenachse", "Dist. to shadow axis", "Dist. à l'axe de l'ombre"},         // 45
    {"Dist. zu max. Bedeck'g", "Dist. to max. occult.", "Dist. de l'occult. max."},         // 46
    {"anti-subplanetarer", "anti-sub-", "point anti-"},                                     // 47
    {"Punkt", "planet. point", "sub-planétaire"},                                           // 48
    {"Nord", "North", "Nord"},                                                              // 49
    {"Süd", "South", "Sud"},                                                                // 50
    {"Ost", "East", "Est"},                                                                 // 51
    {"West", "West", "Ouest"},                                                              // 52
    {" ist kein gültiger Wert", " is not a valid number", " valeur non valide"},            // 53
    {"Suche zwischen den Jahren", "Search between the years", "Rechercher dans le temps"},  // 54
    {"und", "and", "à"},                                                                    // 55
    {"Orte getestet", "Places scanned", "Lieux cherchés"},                                  // 56
    {"Orte gefunden", "Places found", "Lieux trouvés"},                                     // 57
    {"Fehler in der Koordinatenangabe: ", "Error in coordinate point: ",
     "Erreur de coordonnées"},          // 58
    {" ", " ", ""},                     // 59
    {" ", " ", ""},                     // 60
    {"Merkur ", "Mercury", "Mercure"},  // 61
    {"Venus  ", "Venus  ", "Vénus  "},  // 62
    {"Mars   ", "Mars   ", "Mars   "},  // 63
    {"Jupiter", "Jupiter", "Jupiter"},  // 64
    {"Saturn ", "Saturn ", "Saturne"},  // 65
    {"Uranus ", "Uranus ", "Uranus "},  // 66
    {"Neptun ", "Neptune", "Neptune"},  // 67
    // Rows 68..100 are empty (spelled out so that every view points to a terminated string).
    {"", "", ""},  // 68
    {"", "", ""},  // 69
    {"", "", ""},  // 70
    {"", "", ""},  // 71
    {"", "", ""},  // 72
    {"", "", ""},  // 73
    {"", "", ""},  // 74
    {"", "", ""},  // 75
    {"", "", ""},  // 76
    {"", "", ""},  // 77
    {"", "", ""},  // 78
    {"", "", ""},  // 79
    {"", "", ""},  // 80
    {"", "", ""},  // 81
    {"", "", ""},  // 82
    {"", "", ""},  // 83
    {"", "", ""},  // 84
    {"", "", ""},  // 85
    {"", "", ""},  // 86
    {"", "", ""},  // 87
    {"", "", ""},  // 88
    {"", "", ""},  // 89
    {"", "", ""},  // 90
    {"", "", ""},  // 91
    {"", "", ""},  // 92
    {"", "", ""},  // 93
    {"", "", ""},  // 94
    {"", "", ""},  // 95
    {"", "", ""},  // 96
    {"", "", ""},  // 97
    {"", "", ""},  // 98
    {"", "", ""},  // 99
    {"", "", ""},  // 100
}};

std::string_view LanguageText(int row, Language language) {
    const int column = static_cast<int>(language);
    if (row < 1 || row > kLanguageRows || column < 0 || column > 2) {
        return "";
    }
    return LanguageTable[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace zimbalo
