#include "cli/cli.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

#include "astro/catalogue.h"
#include "astro/time_scales.h"
#include "cli/fd_output.h"
#include "cli/path_command.h"
#include "lists/calendar_export.h"
#include "lists/city_database.h"
#include "lists/coming_occultations.h"
#include "lists/cp1252.h"
#include "lists/here_text.h"
#include "lists/list_runs.h"
#include "lists/list_text.h"
#include "lists/message_text.h"
#include "lists/nearest_city.h"
#include "lists/number_text.h"
#include "lists/time_zones.h"

#ifndef ZIMBALO_VERSION
#define ZIMBALO_VERSION "unknown"
#endif

namespace zimbalo::cli {

namespace {

constexpr const char* kProgram = "zimbalo-cli";
constexpr int kDefaultFirstYear = 1980;
constexpr int kDefaultLastYear = 2100;

/// Wrong arguments: reported on one line, exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A file that cannot be used: reported as it is, exit code 1.
class FileProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Standard output cannot be written (full disk, closed descriptor): exit code 1.
class OutputFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An argument as messages show it: in single quotes, control characters as escapes, cut after
// 60 bytes.
std::string Shown(std::string_view text) {
    return lists::QuotedForMessage(text, '\'', 60);
}

// Why standard output failed, in the system's words when the buffer knows them.
std::string OutputFailureText(std::ostream& out) {
    const auto* buffer = dynamic_cast<const FdOutputBuffer*>(out.rdbuf());
    const std::string reason = buffer != nullptr && buffer->Error() != 0
                                   ? std::strerror(buffer->Error())
                                   : "the output stream failed";
    return "cannot write to standard output: " + reason;
}

// Text of decimal digits with an optional sign: a whole number, in range or not.
bool LooksInteger(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    return !text.empty()
           && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A well-formed decimal number too large (or too small) for a double, e.g. "1e400".
bool DecimalOutOfRange(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty() || text.back() < '0' || text.back() > '9') {
        return false;
    }
    // Only digits, ".", an exponent and signs: from_chars would also take "inf" and "nan".
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
    });
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return plain && result.ec == std::errc::result_out_of_range
           && result.ptr == text.data() + text.size();
}

const std::set<std::string> kValueOptions = {
    "--from",      "--to",      "--lat",    "--lon",    "--height",
    "--name",      "--country", "--lang",   "--event",  "--min-population",
    "--catalogue", "--cities",  "--format", "--curves", "--planets"};
const std::set<std::string> kFlagOptions = {"--fixed", "--help",       "--version",  "--ut",
                                            "--tt",    "--local-time", "--seen-only"};

const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"events", {"--from", "--to"}},
    {"place",
     {"--lat", "--lon", "--height", "--name", "--country", "--from", "--to", "--lang", "--fixed",
      "--local-time", "--format", "--seen-only", "--planets"}},
    {"cities", {"--event", "--min-population", "--lang", "--fixed", "--local-time"}},
    {"path", {"--event", "--format", "--ut", "--tt", "--curves"}},
    {"here", {"--event", "--lat", "--lon", "--height", "--lang", "--tt"}},
};

struct CommandLine {
    std::string command;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool Has(const std::string& option) const {
        return values.count(option) != 0 || flags.count(option) != 0;
    }

    std::optional<std::string> Value(const std::string& option) const {
        const auto it = values.find(option);
        if (it == values.end()) {
            return std::nullopt;
        }
        return it->second;
    }
};

CommandLine Parse(const std::vector<std::string>& args) {
    CommandLine cl;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            if (!cl.command.empty()) {
                throw UsageError("unexpected argument " + Shown(arg));
            }
            if (kCommandOptions.count(arg) == 0) {
                throw UsageError("unknown command " + Shown(arg));
            }
            cl.command = arg;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        if (cl.Has(name)) {
            throw UsageError("option " + name + " is given more than once");
        }
        if (kFlagOptions.count(name) != 0) {
            if (inlineValue) {
                throw UsageError("option " + name + " takes no value");
            }
            cl.flags.insert(name);
        } else if (kValueOptions.count(name) != 0) {
            if (inlineValue) {
                cl.values[name] = *inlineValue;
            } else if (i + 1 < args.size()) {
                cl.values[name] = args[++i];  // may start with "-": a negative number
            } else {
                throw UsageError("option " + name + " needs a value");
            }
        } else {
            throw UsageError("unknown option " + Shown(name));
        }
    }
    return cl;
}

void CheckOptions(const CommandLine& cl) {
    const auto& allowed = kCommandOptions.at(cl.command);
    const auto check = [&](const std::string& option) {
        const bool common = option == "--catalogue" || option == "--cities" || option == "--help"
                            || option == "--version";
        if (!common && allowed.count(option) == 0) {
            throw UsageError("option " + option + " does not apply to '" + cl.command + "'");
        }
    };
    for (const auto& [option, value] : cl.values) {
        check(option);
    }
    for (const auto& option : cl.flags) {
        check(option);
    }
}

// The parsed value of an option's `text` within [low, high] (shown as `range`); a usage error
// when the text did not parse (`outOfRange`: it is a number of the wanted kind that does not fit)
// or the value lies outside.
template <typename T>
T checkedOption(const std::string& option, const std::string& text, const std::optional<T>& v,
                bool outOfRange, const char* wanted, T low, T high, const std::string& range) {
    if (!v && outOfRange) {
        throw UsageError(option + " " + Shown(text) + " is out of range (outside " + range + ")");
    }
    if (!v) {
        throw UsageError(option + " needs " + wanted + ", not " + Shown(text));
    }
    if (*v < low || *v > high) {
        throw UsageError(option + " " + text + " is outside " + range);
    }
    return *v;
}

std::int64_t IntegerOption(const CommandLine& cl, const std::string& option, std::int64_t fallback,
                           std::int64_t low, std::int64_t high) {
    const auto text = cl.Value(option);
    if (!text) {
        return fallback;
    }
    return checkedOption(option, *text, lists::ParseStrictInt64(*text), LooksInteger(*text),
                         "a whole number", low, high,
                         lists::FormatInt(low) + ".." + lists::FormatInt(high));
}

double DecimalOption(const CommandLine& cl, const std::string& option, double low, double high) {
    const auto text = cl.Value(option);
    if (!text) {
        throw UsageError(cl.command + " needs " + option);
    }
    return checkedOption(option, *text, lists::ParseStrictDecimal(*text), DecimalOutOfRange(*text),
                         "a decimal number with '.'", low, high,
                         lists::FormatShortest(low) + ".." + lists::FormatShortest(high));
}

Language LanguageOption(const CommandLine& cl) {
    const auto text = cl.Value("--lang");
    if (!text || *text == "de") {
        return Language::German;
    }
    if (*text == "en") {
        return Language::English;
    }
    if (*text == "fr") {
        return Language::French;
    }
    throw UsageError("--lang must be de, en or fr, not " + Shown(*text));
}

std::pair<int, int> YearRange(const CommandLine& cl) {
    constexpr std::int64_t kLow = -100000;
    constexpr std::int64_t kHigh = 100000;
    return {static_cast<int>(IntegerOption(cl, "--from", kDefaultFirstYear, kLow, kHigh)),
            static_cast<int>(IntegerOption(cl, "--to", kDefaultLastYear, kLow, kHigh))};
}

std::string CataloguePath(const CommandLine& cl, const CliEnvironment& env) {
    return cl.Value("--catalogue").value_or(env.dataFolder + astro::kCatalogueFileName);
}

astro::BesselTable LoadTable(const CommandLine& cl, const CliEnvironment& env) {
    try {
        return astro::LoadCatalogue(CataloguePath(cl, env));
    } catch (const astro::CatalogueError& e) {
        throw FileProblem(e.what());
    }
}

// Text of the arguments in the lists' encoding.
std::string ArgumentText(const std::string& text, const CliEnvironment& env) {
    return env.utf8Terminal ? lists::Utf8ToCp1252(text) : text;
}

// Screen text in the terminal's encoding.
std::string TerminalText(std::string_view cp1252, const CliEnvironment& env) {
    return env.utf8Terminal ? lists::Cp1252ToUtf8(cp1252) : std::string(cp1252);
}

std::string TwoDigits(std::int64_t v) {
    std::string text = lists::FormatInt(v);
    if (v < 10) {
        text.insert(text.begin(), '0');
    }
    return text;
}

std::string DateText(int year, int month, int day) {
    std::string y = lists::FormatInt(year < 0 ? -year : year);
    if (y.size() < 4) {
        y.insert(0, 4 - y.size(), '0');
    }
    return (year < 0 ? "-" : "") + y + "-" + TwoDigits(month) + "-" + TwoDigits(day);
}

// UT date and time of a Julian date, rounded to whole seconds.
std::string DateTimeText(double jd) {
    // Beyond some 2.7 million years the text stays at that limit (the calendar does the same),
    // which keeps the count of seconds far inside its range.
    constexpr double kLimit = 1.0e9;
    jd = std::isnan(jd) ? 0.0 : std::clamp(jd, -kLimit, kLimit);
    const auto seconds = static_cast<std::int64_t>(lists::RoundHalfEven((jd + 0.5) * 86400.0));
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const std::int64_t ofDay = seconds - days * 86400;
    // Any instant of the day gives its date; the middle keeps clear of rounding at midnight.
    const astro::CalendarDate date = astro::JDToCalendar(static_cast<double>(days));
    return DateText(date.year, date.month, date.day) + " " + TwoDigits(ofDay / 3600) + ":"
           + TwoDigits(ofDay / 60 % 60) + ":" + TwoDigits(ofDay % 60);
}

lists::ZoneTable LoadZones(const CliEnvironment& env) {
    try {
        return lists::ZoneTable::Load(env.dataFolder + lists::kZoneTableFileName);
    } catch (const lists::ZoneTableError& e) {
        throw FileProblem(e.what());
    }
}

// With --local-time the time titles of a list name the clock: "1.K.(Europe/Berlin)" for one
// place, "1.K.(Ortszeit)" for many, whose lines end with a column naming each place's zone.
const char* const kLocalTimeWord[3] = {"Ortszeit", "local time", "heure locale"};
const char* const kShortLocalTime[3] = {"OZ", "LT", "HL"};  // as wide as "UT" on screen
const char* const kZoneTitle[3] = {"Zeitzone", "Time zone", "Fuseau horaire"};

std::size_t LangIndex(Language language) {
    return static_cast<std::size_t>(language);
}

// The saved-list preamble with local-time titles; `zoneColumn` adds the zone column to the
// separator and the header, its last line but two and its last line.
std::string LocalPreamble(lists::ListKind kind, Language language, const std::string& label,
                          bool zoneColumn) {
    const std::string preamble = lists::LocalTimeTitles(lists::ListPreamble(kind, language), label);
    if (!zoneColumn) {
        return preamble;
    }
    const std::string end = lists::kLineEnd;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < preamble.size();) {
        const std::size_t next = preamble.find(end, at);
        lines.push_back(preamble.substr(at, next - at));
        at = next + end.size();
    }
    lines[lines.size() - 3] += "\t--------";
    lines.back() += std::string("\t") + kZoneTitle[LangIndex(language)];
    std::string joined;
    for (const std::string& line : lines) {
        joined += line + end;
    }
    return joined;
}

int RunEvents(const CommandLine& cl, std::ostream& out, const CliEnvironment& env) {
    const auto [first, last] = YearRange(cl);
    const astro::BesselTable table = LoadTable(cl, env);
    out << "number\tTT date\tT0 hour\tplanet\tOccType\tGamma\tEventJD\tDeltaT\t"
           "greatest occultation (UT)\n";
    for (int k = 1; k <= table.Count(); ++k) {
        const astro::BesselRecord& r = table[k];
        const int year = lists::EventYearUT(r);
        if (year < first || year > last) {
            continue;
        }
        const double deltaT = astro::DeltaT(r.Year, r.Month);
        // Every number goes through the locale-free formatting, never through the stream.
        out << lists::FormatInt(k) << '\t' << DateText(r.Year, r.Month, r.Day) << '\t'
            << lists::FormatInt(r.T0Hour) << '\t'
            << lists::TrimBlanks(lists::PlanetName(r.Planet, Language::English)) << '\t'
            << lists::FormatInt(r.OccType) << '\t' << lists::FormatFixed(r.Gamma, 4) << '\t'
            << lists::FormatFixed(r.EventJD, 6) << '\t' << lists::FormatFixed(deltaT, 1) << '\t'
            << DateTimeText(r.EventJD - deltaT / 86400.0) << '\n';
    }
    return kExitOk;
}

// Prints fixed-width screen lines as a run reports them.
lists::ListCallback FixedPrinter(std::ostream& out, const CliEnvironment& env) {
    return [&out, &env](const lists::ListStep& step) {
        if (step.visible) {
            out << TerminalText(step.fixedLine, env) << '\n';
            if (!out) {
                throw OutputFailure(OutputFailureText(out));
            }
        }
    };
}

// The rows of the place list (of the chosen planets; with --seen-only those seen from a dark
// sky) as an iCalendar file.
void WritePlaceCalendar(const CommandLine& cl, const astro::BesselTable& table,
                        const lists::CityHistInput& hist, std::ostream& out,
                        const CliEnvironment& env) {
    lists::ComingInput input;
    const std::string name = cl.Value("--name").value_or("");
    input.place.name = env.utf8Terminal ? name : lists::Cp1252ToUtf8(name);
    input.place.latitudeDeg = hist.place.Breite;
    input.place.longitudeDeg = hist.place.Laenge;
    input.place.heightMetres = hist.place.Hoehe;
    try {
        input.place.zone =
            lists::DeliveredZoneTable(env.dataFolder).ZoneAt(hist.place.Breite, hist.place.Laenge);
    } catch (const lists::ZoneTableError& e) {
        throw FileProblem(e.what());
    }
    input.firstYear = hist.firstYear;
    input.lastYear = hist.lastYear;
    lists::ComingFilter filter;
    filter.planets = hist.planets;
    filter.seen = cl.Has("--seen-only") ? lists::SeenRule::DarkSky : lists::SeenRule::Always;
    const auto rows = lists::Filtered(lists::ComingOccultations(table, input), filter);
    out << lists::CalendarText(rows, input.place, hist.language,
                               static_cast<std::int64_t>(std::time(nullptr)));
}

int RunPlace(const CommandLine& cl, std::ostream& out, const CliEnvironment& env) {
    const std::string format = cl.Value("--format").value_or("tsv");
    if (format != "tsv" && format != "ics") {
        throw UsageError("--format of place must be tsv or ics, not " + Shown(format));
    }
    if (format == "ics" && cl.Has("--fixed")) {
        throw UsageError("--fixed and --format ics exclude each other");
    }
    if (format != "ics" && cl.Has("--seen-only")) {
        throw UsageError("--seen-only needs --format ics");
    }
    if (format == "ics" && cl.Has("--local-time")) {
        // The calendar is in UTC; its descriptions give the clock times of the place.
        throw UsageError("--local-time does not apply to --format ics");
    }
    lists::CityHistInput input;
    if (const auto text = cl.Value("--planets")) {
        const auto mask = lists::ParsePlanetList(*text);
        if (!mask) {
            throw UsageError(
                "--planets takes mer, ven, mar, jup, sat, ura or nep separated by "
                "commas, not "
                + Shown(*text));
        }
        input.planets = *mask;
    }
    input.place.Breite = DecimalOption(cl, "--lat", -90.0, 90.0);
    input.place.Laenge = DecimalOption(cl, "--lon", -180.0, 180.0);
    double height = 0.0;
    if (cl.Value("--height")) {
        height = DecimalOption(cl, "--height", -100000.0, 100000.0);
    }
    input.place.Hoehe = static_cast<std::int32_t>(lists::RoundHalfEven(height));
    input.place.Stadt = ArgumentText(cl.Value("--name").value_or(""), env);
    input.place.Land = ArgumentText(cl.Value("--country").value_or(""), env);
    std::tie(input.firstYear, input.lastYear) = YearRange(cl);
    input.language = LanguageOption(cl);
    const astro::BesselTable table = LoadTable(cl, env);
    std::optional<lists::ZoneTable> zones;
    std::string zone;
    if (cl.Has("--local-time")) {
        zones = LoadZones(env);
        input.zones = &*zones;
        zone = zones->ZoneAt(input.place.Breite, input.place.Laenge);
    }

    const lists::ListKind kind = lists::ListKind::CityHist;
    if (format == "ics") {
        WritePlaceCalendar(cl, table, input, out, env);
    } else if (cl.Has("--fixed")) {
        std::string header = lists::ScreenHeader(kind, input.language);
        if (zones) {
            header = lists::LocalTimeTitles(header, kShortLocalTime[LangIndex(input.language)])
                     + " " + zone;
        }
        out << TerminalText(header, env) << '\n';
        lists::RunCityHist(table, input, {}, FixedPrinter(out, env));
    } else {
        out << (zones ? LocalPreamble(kind, input.language, zone, false)
                      : lists::ListPreamble(kind, input.language));
        lists::RunCityHist(table, input, {&out, "standard output"}, {});
    }
    return kExitOk;
}

int RunCities(const CommandLine& cl, std::ostream& out, const CliEnvironment& env) {
    if (!cl.Value("--event")) {
        throw UsageError("cities needs --event");
    }
    const std::int64_t event = IntegerOption(cl, "--event", 0, 1, astro::kEventCount);
    lists::CityListInput input;
    input.threshold =
        IntegerOption(cl, "--min-population", 0, std::numeric_limits<std::int64_t>::min(),
                      std::numeric_limits<std::int64_t>::max());
    input.language = LanguageOption(cl);
    input.cityFile =
        cl.Value("--cities").value_or(lists::CityFileName(input.language, env.dataFolder));
    const astro::BesselTable table = LoadTable(cl, env);
    if (event > table.Count()) {
        throw UsageError("--event " + lists::FormatInt(event) + " is outside 1.."
                         + lists::FormatInt(table.Count()) + " of the catalogue");
    }
    input.record = table[static_cast<int>(event)];
    // Open the city database and read its first line before writing anything, so that a file
    // that is missing, a directory or unreadable leaves the output empty.
    {
        lists::CityFileReader probe(input.cityFile);
        std::string_view first;
        probe.NextLine(first);
    }

    std::optional<lists::ZoneTable> zones;
    if (cl.Has("--local-time")) {
        zones = LoadZones(env);
        input.zones = &*zones;
    }

    const lists::ListKind kind = lists::ListKind::CityList;
    const std::size_t lang = LangIndex(input.language);
    if (cl.Has("--fixed")) {
        std::string header = lists::ScreenHeader(kind, input.language);
        if (zones) {
            header = lists::LocalTimeTitles(header, kShortLocalTime[lang]) + " " + kZoneTitle[lang];
        }
        out << TerminalText(header, env) << '\n';
        lists::RunCityList(input, {}, FixedPrinter(out, env));
    } else {
        out << (zones ? LocalPreamble(kind, input.language, kLocalTimeWord[lang], true)
                      : lists::ListPreamble(kind, input.language));
        lists::RunCityList(input, {&out, "standard output"}, {});
    }
    return kExitOk;
}

int RunPath(const CommandLine& cl, std::ostream& out, const CliEnvironment& env) {
    if (!cl.Value("--event")) {
        throw UsageError("path needs --event");
    }
    const std::int64_t event = IntegerOption(cl, "--event", 0, 1, astro::kEventCount);
    const std::string formatName = cl.Value("--format").value_or("tsv");
    const auto format = ParsePathFormat(formatName);
    if (!format) {
        throw UsageError("--format must be tsv, geojson or kml, not " + Shown(formatName));
    }
    if (cl.Has("--ut") && cl.Has("--tt")) {
        throw UsageError("--ut and --tt exclude each other");
    }
    const std::optional<std::string> curves = cl.Value("--curves");
    if (curves && *curves != "visibility") {
        throw UsageError("--curves must be visibility, not " + Shown(*curves));
    }
    if (curves && *format == PathFormat::Tsv) {
        throw UsageError("--curves visibility needs --format geojson or kml");
    }
    const astro::BesselTable table = LoadTable(cl, env);
    if (event > table.Count()) {
        throw UsageError("--event " + lists::FormatInt(event) + " is outside 1.."
                         + lists::FormatInt(table.Count()) + " of the catalogue");
    }
    WritePath({table[static_cast<int>(event)], static_cast<int>(event), !cl.Has("--tt"),
               curves.has_value()},
              *format, out);
    return kExitOk;
}

int RunHere(const CommandLine& cl, std::ostream& out, const CliEnvironment& env) {
    if (!cl.Value("--event")) {
        throw UsageError("here needs --event");
    }
    const std::int64_t event = IntegerOption(cl, "--event", 0, 1, astro::kEventCount);
    lists::HereRequest request;
    request.eventNumber = static_cast<int>(event);
    request.latitude = DecimalOption(cl, "--lat", -90.0, 90.0);
    request.longitude = DecimalOption(cl, "--lon", -180.0, 180.0);
    if (cl.Value("--height")) {
        request.height = DecimalOption(cl, "--height", -100000.0, 100000.0);
    }
    request.language = LanguageOption(cl);
    request.terrestrialTime = cl.Has("--tt");
    const astro::BesselTable table = LoadTable(cl, env);
    if (event > table.Count()) {
        throw UsageError("--event " + lists::FormatInt(event) + " is outside 1.."
                         + lists::FormatInt(table.Count()) + " of the catalogue");
    }
    request.record = &table[request.eventNumber];
    lists::ZoneTable zones;
    try {
        zones = lists::ZoneTable::Load(env.dataFolder + lists::kZoneTableFileName);
    } catch (const lists::ZoneTableError& e) {
        throw FileProblem(e.what());
    }
    const lists::CityIndex cities = lists::CityIndex::Load(
        cl.Value("--cities").value_or(lists::CityFileName(request.language, env.dataFolder)));
    // The panel's Copy text, byte for byte: UTF-8 whatever the terminal.
    out << lists::HereText(request, &zones, &cities);
    return kExitOk;
}

}  // namespace

std::string UsageText() {
    return "Usage:\n"
           "  zimbalo-cli events [--from YEAR] [--to YEAR]\n"
           "  zimbalo-cli place  --lat DEG --lon DEG [--height M] [--name TEXT] [--country TEXT]\n"
           "                     [--from YEAR] [--to YEAR] [--lang de|en|fr] [--fixed]\n"
           "                     [--format tsv|ics] [--seen-only] [--planets ven,jup,...]\n"
           "  zimbalo-cli cities --event N [--min-population P] [--lang de|en|fr] [--fixed]\n"
           "  zimbalo-cli path   --event N [--format tsv|geojson|kml] [--ut|--tt]\n"
           "                     [--curves visibility]\n"
           "  zimbalo-cli here   --event N --lat DEG --lon DEG [--height M] [--lang de|en|fr]\n"
           "                     [--tt]\n"
           "Common options: [--catalogue FILE] [--cities FILE] [--help] [--version]\n"
           "\n"
           "events  lists the catalogued occultations (tab-separated, one per line).\n"
           "place   lists the occultations seen from one place; latitude and longitude in signed\n"
           "        decimal degrees, north and east positive; height in metres (default 0).\n"
           "cities  lists the places of the city database that see event N, in file order.\n"
           "path    writes the central line and the northern and southern limits of the\n"
           "        penumbra and umbra of event N for map programs (default tsv); --ut (the\n"
           "        default) places them on the real Earth with the event's Delta T, --tt with\n"
           "        Delta T = 0 as the globe shows them in TT. --curves visibility (geojson and "
           "kml)\n"
           "        adds where the event can be seen: contours of the first (D) and fourth (R)\n"
           "        contact every 10 minutes of UT, the planet's horizon and the Sun's 0 and -6\n"
           "        degree curves at D and at R.\n"
           "here    the circumstances of event N at one point, as the globe's panel shows them:\n"
           "        place, nearest city, time zone, verdict, every contact in UT (--tt: TT) and\n"
           "        local time; tab-separated UTF-8, the text the panel's Copy gives.\n"
           "\n"
           "        --local-time (place, cities) gives the dates and times in each place's\n"
           "        zone; the titles name it, and cities adds a last column with the zone.\n"
           "place and cities print the saved-list text (legend, separator, header, lines;\n"
           "Windows-1252, CR LF); --fixed prints the on-screen columns in the terminal's\n"
           "encoding instead. Years select the UT year of greatest occultation (default\n"
           "1980..2100). The catalogue and city database default to the program's data folder,\n"
           "the language to German (de), the population threshold to 0.\n"
           "place --format ics writes the same rows as an iCalendar file (UTF-8): one event per\n"
           "occultation in UTC from the first to the last instant listed, with a reminder 30\n"
           "minutes before; --seen-only keeps the events with the planet at least 5 degrees up\n"
           "and the Sun at -6 degrees or lower at the first or the fourth contact. --planets\n"
           "keeps the planets named by the first three letters of their English names.\n"
           "Exit codes: 0 done, 1 a file is missing or unreadable or the output cannot be\n"
           "written, 2 wrong arguments.\n";
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& env) {
    // Every path that writes ends here: output that was not written is a failure.
    const auto finish = [&](int code) {
        if (!out.flush()) {
            err << kProgram << ": " << OutputFailureText(out) << '\n';
            return kExitFileError;
        }
        return code;
    };
    try {
        const CommandLine cl = Parse(args);
        if (cl.Has("--help")) {
            out << UsageText();
            return finish(kExitOk);
        }
        if (cl.Has("--version")) {
            out << kProgram << ' ' << ZIMBALO_VERSION << '\n';
            return finish(kExitOk);
        }
        if (cl.command.empty()) {
            throw UsageError("no command given; use events, place, cities, path or here");
        }
        CheckOptions(cl);
        int code = kExitOk;
        if (cl.command == "events") {
            code = RunEvents(cl, out, env);
        } else if (cl.command == "place") {
            code = RunPlace(cl, out, env);
        } else if (cl.command == "path") {
            code = RunPath(cl, out, env);
        } else if (cl.command == "here") {
            code = RunHere(cl, out, env);
        } else {
            code = RunCities(cl, out, env);
        }
        return finish(code);
    } catch (const UsageError& e) {
        err << kProgram << ": " << e.what() << " (see --help)\n";
        return kExitUsage;
    } catch (const FileProblem& e) {
        err << kProgram << ": " << e.what() << '\n';
        return kExitFileError;
    } catch (const OutputFailure& e) {
        err << kProgram << ": " << e.what() << '\n';
        return kExitFileError;
    } catch (const lists::CityFileError& e) {
        out.flush();
        err << kProgram << ": " << e.what() << '\n';
        return kExitFileError;
    } catch (const lists::ListFileError& e) {
        // The lists are written to standard output only: a failed line is a failed output.
        err << kProgram << ": " << (out ? std::string(e.what()) : OutputFailureText(out)) << '\n';
        return kExitFileError;
    }
}

}  // namespace zimbalo::cli
