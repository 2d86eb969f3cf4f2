#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "astro/local_circumstances.h"

/// Text of the two place lists: the tab-separated line of a saved list, the fixed-width line
/// shown on screen, and the legend, separator and header lines that head a saved list. Every
/// text here is Windows-1252 bytes (one byte per character, so widths count bytes); show it with
/// `Cp1252ToUtf8`.
namespace zimbalo::lists {

/// The two lists: the many places of one event, and all events at one place.
enum class ListKind { CityList, CityHist };

/// Line end of saved list files.
inline constexpr const char* kLineEnd = "\r\n";

/// Number of legend lines ahead of the separator.
inline constexpr int kLegendLineCount = 27;

/// Planet name of code 1..7 (Mercury .. Neptune), padded with blanks to 7 characters; 7 blanks
/// for any other code.
std::string PlanetName(int planet, Language language);

/// Latitude in whole minutes, e.g. 47.5 -> "47°30'N", -33.5 -> "33°30'S" (halves to even).
std::string LatitudeText(double latitudeDeg);

/// Longitude in whole minutes, e.g. 7.5 -> "007°30'O" in German, "007°30'E" in English and
/// French; west is "W" in German and English, "O" in French.
std::string LongitudeText(double longitudeDeg, Language language);

/// Tab-separated line (without line end) of a place whose local circumstances are computed and
/// visible (`H` above 0 at one instant at least) with `S` filled for the visible instants.
/// `deltaT` in seconds is the one the circumstances were computed with.
std::string TabLine(ListKind kind, const astro::BesselRecord& record, const astro::StadtType& place,
                    double deltaT, Language language);

/// Fixed-width screen line of the same result, in the window's column layout.
std::string FixedLine(ListKind kind, const astro::BesselRecord& record,
                      const astro::StadtType& place, double deltaT, Language language);

/// Both lines of one result at once (the run's way: the shared values are derived once).
void FormatListLines(ListKind kind, const astro::BesselRecord& record,
                     const astro::StadtType& place, double deltaT, Language language,
                     std::string& tabLine, std::string& fixedLine);

/// Both lines with the date and the times of day on the wall clock of the IANA zone `zone`
/// (from the system's database) instead of UT.
void FormatLocalListLines(ListKind kind, const astro::BesselRecord& record,
                          const astro::StadtType& place, double deltaT, Language language,
                          const std::string& zone, std::string& tabLine, std::string& fixedLine);

/// A header (tab-separated or screen) whose time titles "1.K.(UT)" ... read "1.K.(label)".
std::string LocalTimeTitles(std::string header, const std::string& label);

/// The 27 legend lines of a saved list (key, tab, description; lines 1 and 2 are a title).
std::vector<std::string> LegendLines(ListKind kind, Language language);

/// The separator line of 41 dash groups joined by tabs.
std::string SeparatorLine(ListKind kind, Language language);

/// The header line of 41 column titles joined by tabs.
std::string HeaderLine(ListKind kind, Language language);

/// The column header shown above the fixed-width lines.
std::string ScreenHeader(ListKind kind, Language language);

/// The 30 lines that head every saved list (legend, separator, empty line, header), each ended
/// by CR LF.
std::string ListPreamble(ListKind kind, Language language);

/// Smallest population a place needs for the many-places list at threshold index 0..9
/// (1000000 .. 2500, then -1 for every place); indices outside 0..9 are clamped.
std::int64_t PopulationThreshold(int index);

/// The ten entries of the threshold choice in `language`, index 0 first.
std::vector<std::string> PopulationEntries(Language language);

/// Progress text of the many-places list, e.g. "1200 Orte getestet. 87 Orte gefunden".
std::string CityListStatus(int tested, int found, Language language);

/// Progress text of the place history, e.g. "512 Bedeckungen durchsucht. 3 Bedeckungen gefunden".
std::string CityHistStatus(int eventNumber, int found, Language language);

/// Which field of the place-history inputs could not be read.
enum class PlaceField { Latitude, Longitude, Height };

/// Message for an unreadable number in the place-history inputs, e.g.
/// " Geogr.Breite ist kein gültiger Wert".
std::string InvalidNumberMessage(PlaceField field, Language language);

}  // namespace zimbalo::lists
