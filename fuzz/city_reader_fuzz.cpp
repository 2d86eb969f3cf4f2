// The city file reader against a plain split of the whole content at LF (a CR before it dropped),
// with read buffers down to one byte so that lines straddle every refill, and small line limits.
// The first two bytes choose the buffer size and the line limit; the rest is the file.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "lists/city_database.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

struct Expected {
    std::vector<std::string> lines;
    int errorLine = 0;  // the first line longer than the limit, 0 when none
};

Expected Split(std::string_view text, std::size_t limit) {
    Expected e;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > limit) {
            e.errorLine = static_cast<int>(e.lines.size()) + 1;
            return e;
        }
        e.lines.emplace_back(line);
    }
    return e;
}

void Compare(const std::string& path, std::string_view content, std::size_t chunk,
             std::size_t limit) {
    const Expected expected = Split(content, limit);
    lists::CityFileReader reader(path, chunk, limit);
    std::string_view line;
    std::size_t n = 0;
    try {
        while (reader.NextLine(line)) {
            Check(n < expected.lines.size() && line == expected.lines[n], "line content");
            ++n;
            Check(reader.LineNumber() == static_cast<int>(n), "line number");
        }
    } catch (const lists::CityFileError& e) {
        Check(expected.errorLine == static_cast<int>(n) + 1, "refused line");
        const std::string message = e.what();
        Check(message.find(", line " + std::to_string(n + 1) + ": the line is longer than")
                  != std::string::npos,
              "message names the line");
        return;
    }
    Check(expected.errorLine == 0 && n == expected.lines.size(), "every line read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    if (size < 2) {
        return 0;
    }
    const std::size_t chunk = 1 + data[0] % 16;
    const std::size_t limit = data[1] % 64;
    const std::string_view content(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string& path = file.Write(content);
    Compare(path, content, chunk, limit);
    Compare(path, content, lists::kCityReadChunk, lists::kMaxCityLineLength);

    // The whole scan: every line parsed or the scan stopped with the file and line named.
    int lines = 0;
    try {
        lists::ScanCityFile(path, [&](astro::StadtType&, int number) {
            Check(number == ++lines, "scan numbering");
            return true;
        });
        lists::CountryList(path);
    } catch (const lists::CityFileError& e) {
        Check(std::string(e.what()).find(path) != std::string::npos, "message names the file");
    }
    return 0;
}
