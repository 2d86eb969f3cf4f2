// One city line against a simple independent parser: split at the first five tabs, fields 3 to 6
// as optional sign and decimal digits accumulated with an overflow check.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "lists/city_database.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

std::optional<long long> Integer(std::string_view text, long long low, long long high) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Every bound is far below 1e15: a value beyond it is out of range whatever its digits.
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        if (value <= 1000000000000000LL) {
            value = value * 10 + (c - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (int i = 0; i < 5; ++i) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            break;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    std::optional<long long> lat, lon, height, population;
    if (fields.size() == 5) {
        fields.push_back(line.substr(start));
        lat = Integer(fields[2], -9000, 9000);
        lon = Integer(fields[3], -18000, 18000);
        height = Integer(fields[4], -2147483648LL, 2147483647LL);
        population = Integer(fields[5], -2147483648LL, 2147483647LL);
    }
    const bool valid = lat && lon && height && population;

    astro::StadtType place;
    try {
        lists::ParseCityLine(line, place);
    } catch (const lists::CityLineError& e) {
        Check(!valid, "a valid line refused");
        Check(std::string(e.what()).find_first_of("\r\n") == std::string::npos,
              "a message on one line");
        return 0;
    }
    Check(valid, "an invalid line accepted");
    Check(place.Land == fields[0] && place.Stadt == fields[1], "names");
    Check(place.Breite == static_cast<double>(*lat) / 100.0, "latitude");
    Check(place.Laenge == static_cast<double>(*lon) / 100.0, "longitude");
    Check(place.Hoehe == *height && place.Einwohner == *population, "height and population");
    return 0;
}
