// Checks every line of the three delivered city databases with the place lists' own reader and
// parser: Windows-1252 text with CR LF line ends, six valid fields per line, the grouping of a
// country's places into one run, and the size of the place-history table.

#include "lists/city_database.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "astro/local_circumstances.h"
#include "data_files.h"
#include "lists/cp1252.h"

namespace zimbalo::data_test {
namespace {

using astro::StadtType;

std::string pathOf(const char* name) {
    return (programFolder() / name).string();
}

// Bytes other than tab and the line ends must be printable Windows-1252 characters; the five
// bytes the code page leaves unassigned decode to C1 control characters.
bool isTextByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t cp = lists::Cp1252ToUnicode(byte);
    return c == '\t' || c == '\r' || c == '\n'
           || (cp >= 0x20 && cp != 0x7F && (cp < 0x80 || cp >= 0xA0));
}

bool isPadded(const std::string& name) {
    return name.empty() || name.front() == ' ' || name.back() == ' ';
}

// Streams a file through the program's own scan, handing each place to `visit`; a line the parser
// rejects fails the test with the reader's message (file and line number).
template <typename Visit>
void scanAll(const std::string& path, Visit&& visit) {
    try {
        lists::ScanCityFile(path, [&](const StadtType& place, int line) {
            visit(place, line);
            return true;
        });
    } catch (const lists::CityFileError& e) {
        ADD_FAILURE() << e.what();
    }
}

struct CityFile {
    const char* name;
};

void PrintTo(const CityFile& file, std::ostream* os) {
    *os << file.name;
}

class CityDatabase : public ::testing::TestWithParam<CityFile> {};

TEST_P(CityDatabase, IsWindows1252TextWithCrLfLineEnds) {
    const std::string bytes = readBytes(programFolder() / GetParam().name);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const auto lineFeeds = std::count(bytes.begin(), bytes.end(), '\n');
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), lineFeeds);
    std::size_t crLf = 0;
    for (auto at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) {
        ++crLf;
    }
    EXPECT_EQ(crLf, static_cast<std::size_t>(lineFeeds)) << "a CR or LF stands alone";
    const auto bad = std::find_if_not(bytes.begin(), bytes.end(), isTextByte);
    EXPECT_TRUE(bad == bytes.end()) << "byte " << static_cast<int>(static_cast<unsigned char>(*bad))
                                    << " at offset " << (bad - bytes.begin());
}

TEST_P(CityDatabase, EveryLineParsesAndCountriesFormOneRunEach) {
    const std::string path = pathOf(GetParam().name);
    std::set<std::string> finished;
    std::map<std::string, int> perCountry;
    std::string previous;
    int lines = 0;
    int bad = 0;
    scanAll(path, [&](const StadtType& p, int line) {
        ++lines;
        ++perCountry[p.Land];
        if ((line == 1 || p.Land != previous) && !finished.insert(p.Land).second && bad++ < 10) {
            ADD_FAILURE() << "country " << p.Land << " starts a second run at line " << line;
        }
        previous = p.Land;
        // Names fill their fields; heights run from the Dead Sea shore to the highest towns.
        if ((isPadded(p.Land) || isPadded(p.Stadt) || p.Hoehe < -500 || p.Hoehe > 6000
             || p.Einwohner < 0)
            && bad++ < 10) {
            ADD_FAILURE() << "line " << line << ": " << p.Land << " / " << p.Stadt << " height "
                          << p.Hoehe << " population " << p.Einwohner;
        }
    });
    EXPECT_GT(lines, 150000);
    EXPECT_GE(perCountry.size(), 240u);
    // The place-history window lists each country once.
    EXPECT_EQ(lists::CountryList(path).size(), perCountry.size());

    // Even the largest country fits the place-history table.
    const auto largest =
        std::max_element(perCountry.begin(), perCountry.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    ASSERT_NE(largest, perCountry.end());
    lists::CityTable table;
    const auto names = lists::PlacesOfCountry(path, largest->first, table);
    EXPECT_EQ(table.Count(), largest->second);
    EXPECT_EQ(static_cast<int>(names.size()), largest->second);
    EXPECT_LE(largest->second, lists::CityTable::kCapacity);
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, CityDatabase,
                         ::testing::Values(CityFile{"2017_data_DE.txt"},
                                           CityFile{"2017_data_EN.txt"},
                                           CityFile{"2017_data_FR.txt"}));

// The three languages list the same places: only the names differ.
TEST(CityDatabases, HoldTheSamePlacesInEveryLanguage) {
    using Numbers = std::tuple<double, double, std::int32_t, std::int32_t>;
    std::vector<std::vector<Numbers>> files;
    for (const char* name : {"2017_data_DE.txt", "2017_data_EN.txt", "2017_data_FR.txt"}) {
        std::vector<Numbers> numbers;
        scanAll(pathOf(name), [&](const StadtType& p, int) {
            numbers.emplace_back(p.Breite, p.Laenge, p.Hoehe, p.Einwohner);
        });
        std::sort(numbers.begin(), numbers.end());
        files.push_back(std::move(numbers));
    }
    // Compared as a whole; printing 190,000 places on failure would bury the message.
    EXPECT_TRUE(files[0] == files[1])
        << files[0].size() << " German, " << files[1].size() << " English";
    EXPECT_TRUE(files[0] == files[2])
        << files[0].size() << " German, " << files[2].size() << " French";
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
    const std::string prefix = "\n" + lists::Utf8ToCp1252(p.country) + "\t"
                               + lists::Utf8ToCp1252(p.place) + "\t" + std::to_string(p.latitude)
                               + "\t" + std::to_string(p.longitude) + "\t";
    const std::string bytes = readBytes(programFolder() / p.file);
    const auto at = bytes.find(prefix);
    ASSERT_NE(at, std::string::npos) << "no line for " << p.place;
    const auto end = bytes.find("\r\n", at + 1);
    ASSERT_NE(end, std::string::npos);
    const StadtType place =
        lists::ParseCityLine(std::string_view(bytes).substr(at + 1, end - at - 1));
    EXPECT_EQ(lists::Cp1252ToUtf8(place.Land), p.country);
    EXPECT_EQ(lists::Cp1252ToUtf8(place.Stadt), p.place);
    EXPECT_DOUBLE_EQ(place.Breite, p.latitude / 100.0);
    EXPECT_DOUBLE_EQ(place.Laenge, p.longitude / 100.0);
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
