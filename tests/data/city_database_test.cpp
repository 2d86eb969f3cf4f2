// Checks every line of the three delivered city databases: the tab-separated layout that the place
// lists read, Windows-1252 text with CR LF line ends, the grouping of a country's places into one
// run, and the size of the place-history table.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "data_files.h"

namespace zimbalo::data_test {
namespace {

constexpr std::size_t kCityTableSize = 210000;

struct CityLine {
    std::string_view country;
    std::string_view place;
    std::int64_t latitude = 0;  // hundredths of a degree
    std::int64_t longitude = 0;
    std::int64_t height = 0;  // metres
    std::int64_t population = 0;
};

// A strict decimal integer: an optional minus sign and digits, nothing else.
std::optional<std::int64_t> strictInteger(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() == '+') {
        return std::nullopt;
    }
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

bool isBlank(char c) {
    return c == ' ';
}

// Splits a line the way the place lists do (five tabs, the rest is field 6) and checks the values'
// ranges; returns why the line is wrong, or nothing.
std::optional<std::string> checkLine(std::string_view line, CityLine& out) {
    std::array<std::string_view, 6> fields;
    std::string_view rest = line;
    for (std::size_t i = 0; i < 5; ++i) {
        const auto tab = rest.find('\t');
        if (tab == std::string_view::npos) {
            return "fewer than five tabs";
        }
        fields[i] = rest.substr(0, tab);
        rest.remove_prefix(tab + 1);
    }
    fields[5] = rest;
    if (rest.find('\t') != std::string_view::npos) {
        return "more than five tabs";
    }
    for (std::size_t i = 0; i < 2; ++i) {
        if (fields[i].empty() || isBlank(fields[i].front()) || isBlank(fields[i].back())) {
            return "empty or padded name in field " + std::to_string(i + 1);
        }
    }
    std::array<std::int64_t, 4> numbers{};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto value = strictInteger(fields[i + 2]);
        if (!value) {
            return "field " + std::to_string(i + 3) + " is not an integer";
        }
        numbers[i] = *value;
    }
    out = {fields[0], fields[1], numbers[0], numbers[1], numbers[2], numbers[3]};
    if (out.latitude < -9000 || out.latitude > 9000) {
        return "latitude out of range";
    }
    if (out.longitude < -18000 || out.longitude > 18000) {
        return "longitude out of range";
    }
    // The Dead Sea shore to the highest settlements; within 32 bits in any case.
    if (out.height < -500 || out.height > 6000) {
        return "height out of range";
    }
    if (out.population < 0 || out.population > std::numeric_limits<std::int32_t>::max()) {
        return "population out of range";
    }
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F || !cp1252ToUnicode(byte)) {
            return "byte " + std::to_string(byte) + " is no Windows-1252 text";
        }
    }
    return std::nullopt;
}

struct CityFile {
    const char* name;
};

void PrintTo(const CityFile& file, std::ostream* os) {
    *os << file.name;
}

class CityDatabase : public ::testing::TestWithParam<CityFile> {};

using PlaceNumbers = std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>;

// Every line, parsed; fails the test on the first few bad lines.
std::vector<CityLine> parseAll(const std::string& bytes, const char* name) {
    std::vector<CityLine> lines;
    EXPECT_TRUE(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0)
        << name << " does not end with CR LF";
    int failures = 0;
    std::size_t start = 0;
    while (start < bytes.size() && failures < 10) {
        const auto lf = bytes.find('\n', start);
        const auto stop = lf == std::string::npos ? bytes.size() : lf;
        const std::size_t number = lines.size() + 1;
        std::string_view line(bytes.data() + start, stop - start);
        if (line.empty() || line.back() != '\r') {
            ADD_FAILURE() << name << " line " << number << " does not end with CR LF";
            ++failures;
        } else {
            line.remove_suffix(1);
        }
        CityLine parsed;
        if (const auto why = checkLine(line, parsed)) {
            ADD_FAILURE() << name << " line " << number << ": " << *why;
            ++failures;
        }
        lines.push_back(parsed);
        start = stop + 1;
    }
    return lines;
}

TEST_P(CityDatabase, EveryLineHasTheLayoutAndCountriesFormOneRunEach) {
    const std::string bytes = readBytes(programFolder() / GetParam().name);
    const auto lines = parseAll(bytes, GetParam().name);
    EXPECT_GT(lines.size(), 150000u);

    std::set<std::string_view> finished;
    std::map<std::string_view, std::size_t> perCountry;
    std::string_view current;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto country = lines[i].country;
        ++perCountry[country];
        if (i == 0 || country != current) {
            EXPECT_TRUE(finished.insert(country).second)
                << "country " << country << " starts a second run at line " << i + 1;
            current = country;
        }
    }
    EXPECT_GE(perCountry.size(), 240u);
    for (const auto& [country, count] : perCountry) {
        EXPECT_LE(count, kCityTableSize) << country;
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, CityDatabase,
                         ::testing::Values(CityFile{"2017_data_DE.txt"},
                                           CityFile{"2017_data_EN.txt"},
                                           CityFile{"2017_data_FR.txt"}));

// The three languages list the same places: only the names differ.
TEST(CityDatabases, HoldTheSamePlacesInEveryLanguage) {
    std::vector<std::vector<PlaceNumbers>> numbers;
    for (const char* name : {"2017_data_DE.txt", "2017_data_EN.txt", "2017_data_FR.txt"}) {
        const std::string bytes = readBytes(programFolder() / name);
        std::vector<PlaceNumbers> places;
        for (const auto& line : parseAll(bytes, name)) {
            places.emplace_back(line.latitude, line.longitude, line.height, line.population);
        }
        std::sort(places.begin(), places.end());
        numbers.push_back(std::move(places));
    }
    EXPECT_EQ(numbers[0], numbers[1]);
    EXPECT_EQ(numbers[0], numbers[2]);
}

struct KnownPlace {
    const char* file;
    const char* country;  // UTF-8
    const char* place;    // UTF-8
    int latitude;         // hundredths of a degree
    int longitude;
};

void PrintTo(const KnownPlace& p, std::ostream* os) {
    *os << p.file << " " << p.place;
}

class CityDatabaseKnownPlace : public ::testing::TestWithParam<KnownPlace> {};

// Names with letters outside ASCII are stored as Windows-1252 bytes and read back unchanged.
TEST_P(CityDatabaseKnownPlace, RoundTripsThroughWindows1252) {
    const KnownPlace& p = GetParam();
    const auto country = utf8ToCp1252(p.country);
    const auto place = utf8ToCp1252(p.place);
    ASSERT_TRUE(country && place);
    const std::string prefix = "\n" + *country + "\t" + *place + "\t" + std::to_string(p.latitude)
                               + "\t" + std::to_string(p.longitude) + "\t";
    const std::string bytes = readBytes(programFolder() / p.file);
    const auto at = bytes.find(prefix);
    ASSERT_NE(at, std::string::npos) << "no line for " << p.place;
    const auto end = bytes.find("\r\n", at + 1);
    ASSERT_NE(end, std::string::npos);
    const auto line = cp1252ToUtf8(std::string_view(bytes).substr(at + 1, end - at - 1));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->substr(0, line->find('\t', line->find('\t') + 1)),
              std::string(p.country) + "\t" + p.place);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, CityDatabaseKnownPlace,
    ::testing::Values(KnownPlace{"2017_data_DE.txt", "Deutschland", "München", 4814, 1158},
                      KnownPlace{"2017_data_DE.txt", "Österreich", "Wien", 4821, 1637},
                      KnownPlace{"2017_data_DE.txt", "Schweiz", "Genf", 4620, 615},
                      KnownPlace{"2017_data_EN.txt", "Switzerland", "Genève", 4620, 615},
                      KnownPlace{"2017_data_EN.txt", "Germany", "Köln", 5093, 695},
                      KnownPlace{"2017_data_FR.txt", "Suisse", "Genève", 4620, 615},
                      KnownPlace{"2017_data_FR.txt", "États-Unis d'Amérique", "New York", 4071,
                                 -7401}));

}  // namespace
}  // namespace zimbalo::data_test
