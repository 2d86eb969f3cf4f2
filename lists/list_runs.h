#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "astro/local_circumstances.h"
#include "lists/list_text.h"
#include "lists/planet_choice.h"

/// The two list computations: the visibility of one event at the places of the city database,
/// and all catalogued events seen from one place. Both write each result as a tab-separated line
/// to a stream (the run's temporary list file) and report every computed place or event to a
/// callback, so that a window can show progress, process pending messages and ask to stop.
namespace zimbalo::lists {

class ZoneTable;

/// A list file that cannot be created, written, read or removed; the message names the file.
class ListFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What a run reports after each place or event it computed.
struct ListStep {
    int number = 0;         ///< line of the city database, or catalogue event number
    int tested = 0;         ///< places (or events) computed so far in this run
    int found = 0;          ///< of them, those seeing the planet above the horizon
    bool occulted = false;  ///< the occultation happens here (magnitude at least 0)
    bool visible = false;   ///< occulted, with the planet above the horizon at one instant or more
    const astro::StadtType* place = nullptr;  ///< the place with its circumstances
    std::string_view tabLine;                 ///< when visible: the line written to the list file
    std::string_view fixedLine;               ///< when visible: the screen line
};

using ListCallback = std::function<void(const ListStep&)>;

/// Outcome of a run.
struct ListRunResult {
    int tested = 0;
    int found = 0;
    bool stopped = false;  ///< the stop flag ended the run early
};

/// Where a run writes its tab-separated lines (each ended by CR LF); `name` is used in error
/// messages. A null stream writes nothing.
struct ListOutput {
    std::ostream* stream = nullptr;
    std::string name;
};

/// Inputs of the many-places list.
struct CityListInput {
    astro::BesselRecord record;   ///< the event shown in the main window
    std::string cityFile;         ///< city database to stream
    std::int64_t threshold = -1;  ///< smallest population computed
    Language language = Language::German;
    /// When given, the lines show dates and times in each place's zone and end with a field
    /// (tab-separated: field 42) naming the zone; otherwise UT.
    const ZoneTable* zones = nullptr;
    /// Threads that compute places (1 = the calling thread alone). With more, the calling thread
    /// reads the file in blocks of lines and the places of each block are split between the
    /// threads; lines, callbacks and errors still come in file order on the calling thread, so
    /// the output is the same byte for byte.
    int workers = 1;
};

/// Streams the city database once and computes the event at every place whose population reaches
/// the threshold. Places appear in file order. `callback` (may be empty) is called on the calling
/// thread after every computed place; `stop` (may be null) is polled after every line of the file
/// (and by every worker after every place), and the lines written before a stop are the first
/// lines of the whole list. Throws
/// `CityFileError` for a missing file or a malformed line (lines written so far stay written),
/// `ListFileError` when the output cannot be written.
ListRunResult RunCityList(const CityListInput& input, const ListOutput& output,
                          const ListCallback& callback, const std::atomic<bool>* stop = nullptr);

/// Inputs of the place history.
struct CityHistInput {
    astro::StadtType place;  ///< Land, Stadt, Breite, Laenge (degrees), Hoehe, Einwohner
    int firstYear = 1980;    ///< range of UT years of greatest occultation, both included
    int lastYear = 2100;
    PlanetMask planets = 0;  ///< events of other planets are passed over (none: every planet)
    Language language = Language::German;
    /// When given, the lines show dates and times in the place's zone; otherwise UT.
    const ZoneTable* zones = nullptr;
};

/// Computes every catalogued event of the chosen planets whose greatest occultation falls (in UT)
/// within the year range at the place, in catalogue order. A range given backwards selects nothing.
/// `callback` (may be empty) is called after every computed event; `stop` (may be null) is polled
/// after every event of the catalogue. Throws `ListFileError` when the output cannot be written.
ListRunResult RunCityHist(const astro::BesselTable& table, const CityHistInput& input,
                          const ListOutput& output, const ListCallback& callback,
                          const std::atomic<bool>* stop = nullptr);

/// UT calendar year of an event's greatest occultation, as the place history selects it.
int EventYearUT(const astro::BesselRecord& record);

/// Creates a new, empty temporary list file "Zimbalo_temp_" + four random capital letters +
/// ".txt" in `folder` and returns its path. A name that is already taken is never reused (it may
/// be an unsaved list of the other window), another one is drawn instead. Throws
/// `ListFileError` when no file can be created.
std::string CreateTempListFile(const std::string& folder, std::mt19937& random);

/// As above, with a generator seeded from the system's random source.
std::string CreateTempListFile(const std::string& folder);

/// Bytes of a saved list: the 30 heading lines and then every line of `tempListFile` (when one
/// is given and exists), each ended by CR LF; nothing for `tempListFile` means no run yet.
/// Throws `ListFileError` when the file cannot be looked up, or exists but cannot be read.
std::string SavedListBytes(ListKind kind, Language language,
                           const std::optional<std::string>& tempListFile);

/// Writes the saved list to `destination` and only then removes `tempListFile`, so that a failed
/// or cancelled save keeps the run's lines for another try. Throws `ListFileError`.
void SaveList(ListKind kind, Language language, const std::optional<std::string>& tempListFile,
              const std::string& destination);

}  // namespace zimbalo::lists
