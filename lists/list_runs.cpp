#include "lists/list_runs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <future>
#include <vector>

#include "astro/time_scales.h"
#include "lists/city_database.h"
#include "lists/time_zones.h"

namespace zimbalo::lists {

namespace {

void WriteLine(const ListOutput& output, const std::string& line) {
    if (output.stream == nullptr) {
        return;
    }
    *output.stream << line << kLineEnd;
    if (!*output.stream) {
        throw ListFileError("List file \"" + output.name + "\" cannot be written.");
    }
}

void Finish(const ListOutput& output) {
    if (output.stream != nullptr && !output.stream->flush()) {
        throw ListFileError("List file \"" + output.name + "\" cannot be written.");
    }
}

bool StopRequested(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// The list lines of a place where the event is visible: its Sun altitudes filled in, the times
// in UT or, with `zones`, in the place's own zone.
void FormatVisiblePlace(ListKind kind, const astro::BesselRecord& record, astro::StadtType& place,
                        double deltaT, Language language, const ZoneTable* zones, std::string& tab,
                        std::string& fixed) {
    astro::FillSunAltitudes(record, deltaT, place);
    if (zones == nullptr) {
        FormatListLines(kind, record, place, deltaT, language, tab, fixed);
        return;
    }
    const std::string zone = zones->ZoneAt(place.Breite, place.Laenge);
    FormatLocalListLines(kind, record, place, deltaT, language, zone, tab, fixed);
    if (kind == ListKind::CityList) {
        // Each place has its own zone: a last column names it, always as field 42 (a line
        // without its 4th contact block is padded to full length first).
        tab.append(static_cast<std::size_t>(
                       std::max<std::ptrdiff_t>(0, 40 - std::count(tab.begin(), tab.end(), '\t'))),
                   '\t');
        tab += '\t' + zone;
        fixed += ' ' + zone;
    }
}

// Computes one place for one event and reports it; true when it is visible there.
struct PlaceComputer {
    ListKind kind;
    Language language;
    const ListOutput& output;
    const ListCallback& callback;
    ListRunResult& result;
    const ZoneTable* zones;  // local time in each place's zone, else UT
    std::string tab;
    std::string fixed;

    void Compute(const astro::BesselRecord& record, double deltaT, astro::StadtType& place,
                 int number) {
        ++result.tested;
        ListStep step;
        step.number = number;
        step.place = &place;
        step.occulted = astro::ComputeLocalCircumstances(record, place, deltaT, language);
        step.visible = step.occulted && astro::IsVisible(place);
        if (step.visible) {
            ++result.found;
            FormatVisiblePlace(kind, record, place, deltaT, language, zones, tab, fixed);
            WriteLine(output, tab);
            step.tabLine = tab;
            step.fixedLine = fixed;
        }
        step.tested = result.tested;
        step.found = result.found;
        if (callback) {
            callback(step);
        }
    }
};

// The whole content of a file. A file that cannot be opened or read throws `ListFileError`, so
// that a list is never saved (and its temporary file removed) with lines missing.
std::string ReadWholeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        throw ListFileError("Temporary list file \"" + path
                            + "\" cannot be opened: " + std::strerror(errno) + ".");
    }
    std::string content;
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        content.append(buffer, got);
    }
    const bool failed = std::ferror(f) != 0;
    const int error = errno;
    std::fclose(f);
    if (failed) {
        throw ListFileError("Temporary list file \"" + path
                            + "\" cannot be read: " + std::strerror(error) + ".");
    }
    return content;
}

std::string WithSlash(std::string folder) {
    if (folder.empty()) {
        folder.assign(1, '.');
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

// One line of a block of the city database, as a worker leaves it for the calling thread.
struct BlockLine {
    std::string text;
    int number = 0;
    bool done = false;      // parsed, and computed when it reaches the threshold
    bool computed = false;  // reaches the threshold
    bool occulted = false;
    bool visible = false;
    std::string error;  // why the line is not a valid place; empty when it is
    astro::StadtType place;
    std::string tab;
    std::string fixed;
};

// Lines read per block: enough work to share between threads (some milliseconds), little
// memory, and a block is the most a stop can leave computed but unwritten.
constexpr std::size_t kBlockLines = 2048;

// Parses and computes lines [begin, end) of a block; leaves off at a stop or a bad line.
void ComputeBlockPart(const CityListInput& input, double deltaT, const std::atomic<bool>* stop,
                      std::vector<BlockLine>& block, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
        if (StopRequested(stop)) {
            return;
        }
        BlockLine& line = block[i];
        try {
            ParseCityLine(line.text, line.place);
        } catch (const CityLineError& e) {
            line.error = e.what();
            return;
        }
        line.computed = line.place.Einwohner >= input.threshold;
        if (line.computed) {
            line.occulted =
                astro::ComputeLocalCircumstances(input.record, line.place, deltaT, input.language);
            line.visible = line.occulted && astro::IsVisible(line.place);
            if (line.visible) {
                FormatVisiblePlace(ListKind::CityList, input.record, line.place, deltaT,
                                   input.language, input.zones, line.tab, line.fixed);
            }
        }
        line.done = true;
    }
}

// Computes a block split between `workers` threads (the calling one among them). An exception
// of a helper thread is passed on.
void ComputeBlock(const CityListInput& input, double deltaT, const std::atomic<bool>* stop,
                  std::vector<BlockLine>& block, std::size_t count, int workers) {
    const auto parts = static_cast<std::size_t>(workers);
    std::vector<std::future<void>> helpers;
    helpers.reserve(parts - 1);
    const auto bound = [&](std::size_t part) { return count * part / parts; };
    for (std::size_t part = 1; part < parts; ++part) {
        helpers.push_back(std::async(std::launch::async, ComputeBlockPart, std::cref(input), deltaT,
                                     stop, std::ref(block), bound(part), bound(part + 1)));
    }
    ComputeBlockPart(input, deltaT, stop, block, 0, bound(1));
    for (std::future<void>& helper : helpers) {
        helper.get();
    }
}

ListRunResult RunCityListInBlocks(const CityListInput& input, const ListOutput& output,
                                  const ListCallback& callback, const std::atomic<bool>* stop) {
    ListRunResult result;
    const double deltaT = astro::DeltaT(input.record.Year, input.record.Month);
    CityFileReader reader(input.cityFile);
    std::vector<BlockLine> block(kBlockLines);
    bool more = true;
    while (more) {
        std::size_t count = 0;
        std::string_view text;
        while (count < kBlockLines && (more = reader.NextLine(text))) {
            BlockLine& line = block[count++];
            line.text.assign(text);
            line.number = reader.LineNumber();
            line.done = line.computed = line.occulted = line.visible = false;
            line.error.clear();
        }
        ComputeBlock(input, deltaT, stop, block, count, input.workers);
        // In file order, as the single-thread run does it line by line.
        for (std::size_t i = 0; i < count; ++i) {
            BlockLine& line = block[i];
            if (!line.error.empty()) {
                throw reader.LineError(line.error, line.number);
            }
            if (!line.done) {  // a worker saw the stop before this line
                result.stopped = true;
                Finish(output);
                return result;
            }
            if (line.computed) {
                ++result.tested;
                ListStep step;
                step.number = line.number;
                step.place = &line.place;
                step.occulted = line.occulted;
                step.visible = line.visible;
                if (step.visible) {
                    ++result.found;
                    WriteLine(output, line.tab);
                    step.tabLine = line.tab;
                    step.fixedLine = line.fixed;
                }
                step.tested = result.tested;
                step.found = result.found;
                if (callback) {
                    callback(step);
                }
            }
            if (StopRequested(stop)) {
                result.stopped = true;
                Finish(output);
                return result;
            }
        }
    }
    Finish(output);
    return result;
}

}  // namespace

ListRunResult RunCityList(const CityListInput& input, const ListOutput& output,
                          const ListCallback& callback, const std::atomic<bool>* stop) {
    if (input.workers > 1) {
        return RunCityListInBlocks(input, output, callback, stop);
    }
    ListRunResult result;
    const double deltaT = astro::DeltaT(input.record.Year, input.record.Month);
    PlaceComputer computer{
        ListKind::CityList, input.language, output, callback, result, input.zones, {}, {}};
    ScanCityFile(input.cityFile, [&](astro::StadtType& place, int lineNumber) {
        if (place.Einwohner >= input.threshold) {
            computer.Compute(input.record, deltaT, place, lineNumber);
        }
        if (StopRequested(stop)) {
            result.stopped = true;
            return false;
        }
        return true;
    });
    Finish(output);
    return result;
}

int EventYearUT(const astro::BesselRecord& record) {
    const double deltaT = astro::DeltaT(record.Year, record.Month);
    return astro::JDToCalendar(record.EventJD - deltaT / 86400.0).year;
}

ListRunResult RunCityHist(const astro::BesselTable& table, const CityHistInput& input,
                          const ListOutput& output, const ListCallback& callback,
                          const std::atomic<bool>* stop) {
    ListRunResult result;
    PlaceComputer computer{
        ListKind::CityHist, input.language, output, callback, result, input.zones, {}, {}};
    astro::StadtType place = input.place;
    for (int k = 1; k <= table.Count(); ++k) {
        const astro::BesselRecord& record = table[k];
        const int year = EventYearUT(record);
        if (year >= input.firstYear && year <= input.lastYear
            && PlanetChosen(input.planets, record.Planet)) {
            computer.Compute(record, astro::DeltaT(record.Year, record.Month), place, k);
        }
        if (StopRequested(stop)) {
            result.stopped = true;
            break;
        }
    }
    Finish(output);
    return result;
}

std::string CreateTempListFile(const std::string& folder, std::mt19937& random) {
    const std::string dir = WithSlash(folder);
    std::uniform_int_distribution<int> letter(0, 25);
    // Each try that meets a taken name draws a new one; 26^4 names make long runs of clashes
    // practically impossible, so the bound only guards against a folder that refuses every file.
    constexpr int kTries = 200;
    int lastError = 0;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        std::string path = dir + "Zimbalo_temp_";
        for (int i = 0; i < 4; ++i) {
            path += static_cast<char>('A' + letter(random));
        }
        path += ".txt";
        // "x": create exclusively, so that an existing file is never truncated.
        std::FILE* f = std::fopen(path.c_str(), "wbx");
        if (f != nullptr) {
            if (std::fclose(f) != 0) {
                throw ListFileError("Temporary list file \"" + path + "\" cannot be created.");
            }
            return path;
        }
        lastError = errno;
        if (lastError != EEXIST) {
            break;
        }
    }
    throw ListFileError("No temporary list file can be created in \"" + dir
                        + "\": " + std::strerror(lastError) + ".");
}

std::string CreateTempListFile(const std::string& folder) {
    std::random_device device;
    std::mt19937 random(device());
    return CreateTempListFile(folder, random);
}

std::string SavedListBytes(ListKind kind, Language language,
                           const std::optional<std::string>& tempListFile) {
    std::string bytes = ListPreamble(kind, language);
    if (!tempListFile) {
        return bytes;
    }
    const std::string& path = *tempListFile;
    std::error_code ec;
    const bool present = std::filesystem::exists(path, ec);
    if (ec) {
        // Not knowing whether the run's lines exist is no reason to save the list without them.
        throw ListFileError("Temporary list file \"" + path + "\" cannot be found: " + ec.message()
                            + ".");
    }
    if (!present) {
        return bytes;
    }
    const std::string content = ReadWholeFile(path);
    // Copy line by line so that every line ends in CR LF, whatever ended it in the file.
    std::size_t begin = 0;
    while (begin < content.size()) {
        std::size_t end = content.find('\n', begin);
        const std::size_t next = end == std::string::npos ? content.size() : end + 1;
        if (end == std::string::npos) {
            end = content.size();
        }
        if (end > begin && content[end - 1] == '\r') {
            --end;
        }
        bytes.append(content, begin, end - begin);
        bytes += kLineEnd;
        begin = next;
    }
    return bytes;
}

void SaveList(ListKind kind, Language language, const std::optional<std::string>& tempListFile,
              const std::string& destination) {
    const std::string bytes = SavedListBytes(kind, language, tempListFile);
    {
        std::ofstream out(destination, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw ListFileError("List file \"" + destination
                                + "\" cannot be created: " + std::strerror(errno) + ".");
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            throw ListFileError("List file \"" + destination + "\" cannot be written.");
        }
    }
    std::error_code ec;
    if (!tempListFile || !std::filesystem::exists(*tempListFile, ec)) {
        return;
    }
    const std::string& path = *tempListFile;
    // Saving onto the temporary file itself keeps it: it is now the saved list.
    if (std::filesystem::equivalent(path, destination, ec)) {
        return;
    }
    if (!std::filesystem::remove(path, ec) && ec) {
        throw ListFileError("The list was saved, but the temporary list file \"" + path
                            + "\" cannot be removed: " + ec.message() + ".");
    }
}

}  // namespace zimbalo::lists
