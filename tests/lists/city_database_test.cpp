#include "lists/city_database.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "synthetic.h"

namespace zimbalo::lists {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ScratchFolder;
using testing::WriteBytes;

TEST(ParseCityLine, FieldsAndUnits) {
    const auto p = ParseCityLine("Schweiz\tBasel\t4750\t750\t254\t12000");
    EXPECT_EQ(p.Land, "Schweiz");
    EXPECT_EQ(p.Stadt, "Basel");
    EXPECT_DOUBLE_EQ(p.Breite, 47.5);
    EXPECT_DOUBLE_EQ(p.Laenge, 7.5);
    EXPECT_EQ(p.Hoehe, 254);
    EXPECT_EQ(p.Einwohner, 12000);

    const auto south = ParseCityLine("Chile\tSantiago\t-3350\t-7050\t-5\t0");
    EXPECT_DOUBLE_EQ(south.Breite, -33.5);
    EXPECT_DOUBLE_EQ(south.Laenge, -70.5);
    EXPECT_EQ(south.Hoehe, -5);
    EXPECT_EQ(south.Einwohner, 0);  // population 0 is a valid line

    // Empty texts are allowed for the names; 8-bit bytes are kept as they are.
    const auto bytes = ParseCityLine("\tM\xFCnchen\t4814\t1158\t519\t1260391");
    EXPECT_EQ(bytes.Land, "");
    EXPECT_EQ(bytes.Stadt, "M\xFCnchen");
}

TEST(ParseCityLine, RefusesMalformedLines) {
    const auto message = [](const std::string& line) {
        try {
            ParseCityLine(line);
        } catch (const CityLineError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_THAT(message(""), HasSubstr("0 tab characters"));
    EXPECT_THAT(message("A\tB\t1\t2\t3"), HasSubstr("4 tab characters"));
    EXPECT_THAT(message("A\tB\t47,5\t2\t3\t4"), HasSubstr("field 3 (latitude) \"47,5\""));
    EXPECT_THAT(message("A\tB\t1\t\t3\t4"), HasSubstr("field 4 (longitude) \"\""));
    EXPECT_THAT(message("A\tB\t1\t2\t 3\t4"), HasSubstr("field 5 (height)"));
    // Field 6 is the rest of the line: a sixth tab makes it non-numeric.
    EXPECT_THAT(message("A\tB\t1\t2\t3\t4\t5"), HasSubstr("field 6 (population) \"4\\t5\""));
    // Control characters show as escapes, so that a stray CR or NUL can be seen.
    EXPECT_THAT(message(std::string("A\tB\t1\r\t2\t3\t4", 12)),
                HasSubstr("field 3 (latitude) \"1\\r\" is not"));
    EXPECT_THAT(message(std::string("A\tB\t1\t2\t3\t\0\x1F\x7F\\\"", 15)),
                HasSubstr("field 6 (population) \"\\x00\\x1F\\x7F\\\\\\\"\" is not"));
    EXPECT_THAT(message("A\tB\t1\t2\t3\t2147483648"), HasSubstr("out of range"));
    EXPECT_EQ(message("A\tB\t1\t2\t3\t2147483647"), "accepted");
    EXPECT_THAT(message("A\tB\t1\t2\t-2147483649\t1"), HasSubstr("field 5 (height)"));
    EXPECT_THAT(message("A\tB\t9001\t2\t3\t4"), HasSubstr("field 3 (latitude) \"9001\" is out"));
    EXPECT_THAT(message("A\tB\t1\t-18001\t3\t4"), HasSubstr("out of range"));
    EXPECT_EQ(message("A\tB\t-9000\t18000\t3\t4"), "accepted");
}

TEST(CityFileName, PerLanguage) {
    EXPECT_EQ(CityFileName(Language::German, "/opt/z"), "/opt/z/2017_data_DE.txt");
    EXPECT_EQ(CityFileName(Language::English, "/opt/z/"), "/opt/z/2017_data_EN.txt");
    EXPECT_EQ(CityFileName(Language::French, "/opt/z"), "/opt/z/2017_data_FR.txt");
}

TEST(CityFile, StreamsLinesWithAnyLineEnd) {
    ScratchFolder dir;
    const std::string path = dir.Path("cities.txt");
    WriteBytes(path, "A\tone\t1\t1\t1\t1\r\nA\ttwo\t2\t2\t2\t2\nB\tthree\t3\t3\t3\t3");
    std::vector<std::string> names;
    std::vector<int> lines;
    ScanCityFile(path, [&](astro::StadtType& p, int line) {
        names.push_back(p.Stadt);
        lines.push_back(line);
        return true;
    });
    EXPECT_THAT(names, ElementsAre("one", "two", "three"));
    EXPECT_THAT(lines, ElementsAre(1, 2, 3));

    // The visitor ends the scan by returning false.
    int seen = 0;
    ScanCityFile(path, [&](astro::StadtType&, int) { return ++seen < 2; });
    EXPECT_EQ(seen, 2);
}

TEST(CityFile, LinesLongerThanTheReadBuffer) {
    ScratchFolder dir;
    const std::string path = dir.Path("long.txt");
    const std::string longName(200000, 'x');
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "Land\tOrt " + std::to_string(i) + "\t100\t200\t5\t" + std::to_string(i) + "\r\n";
    }
    text += "Land\t" + longName + "\t100\t200\t5\t7\r\n";
    WriteBytes(path, text);
    int count = 0;
    std::size_t longest = 0;
    ScanCityFile(path, [&](astro::StadtType& p, int) {
        EXPECT_EQ(p.Land, "Land");
        longest = std::max(longest, p.Stadt.size());
        ++count;
        return true;
    });
    EXPECT_EQ(count, 3001);
    EXPECT_EQ(longest, longName.size());
}

// A line longer than the limit is refused with its number, whatever the size of the read buffer,
// and a file without any line end takes bounded memory.
TEST(CityFile, RefusesOverlongLinesWithTheirNumber) {
    ScratchFolder dir;
    const std::string path = dir.Path("long.txt");
    const auto lines = [](const std::string& file, std::size_t chunk, std::size_t limit) {
        CityFileReader reader(file, chunk, limit);
        std::string_view line;
        std::string all;
        while (reader.NextLine(line)) {
            all += std::string(line) + "|";
        }
        return all;
    };
    // Lines of exactly the limit pass, CR LF or LF not counted; one byte more does not.
    WriteBytes(path, "12345\r\n1234\n12345\r\n123456\r\nabc");
    for (std::size_t chunk : {1, 2, 3, 7, 64}) {
        try {
            lines(path, chunk, 5);
            ADD_FAILURE() << "accepted a long line, chunk " << chunk;
        } catch (const CityFileError& e) {
            EXPECT_THAT(e.what(), HasSubstr("long.txt\", line 4: the line is longer than 5 bytes"))
                << chunk;
        }
    }
    WriteBytes(path, "12345\r\n1234\n\r\n12345");
    for (std::size_t chunk : {1, 2, 3, 7, 64}) {
        EXPECT_EQ(lines(path, chunk, 5), "12345|1234||12345|") << chunk;
    }
    WriteBytes(path, "1\n123456");  // the last line, without a line end
    EXPECT_THROW(lines(path, 4, 5), CityFileError);

    try {
        ScanCityFile("/dev/zero", [](astro::StadtType&, int) { return true; });
        ADD_FAILURE() << "read /dev/zero to its end";
    } catch (const CityFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("\"/dev/zero\", line 1: the line is longer than 1048576"));
    }
    try {
        CountryList(dir.Folder().string());
        ADD_FAILURE() << "read a directory";
    } catch (const CityFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("\" is a directory."));
    }
}

TEST(CityFile, ErrorsNameTheFileAndLine) {
    ScratchFolder dir;
    const std::string path = dir.Path("bad.txt");
    WriteBytes(path, "A\tone\t1\t1\t1\t1\r\nA\ttwo\t2\t2\t2\t2\r\n\r\nA\tfour\t4\t4\t4\t4\r\n");
    int visited = 0;
    try {
        ScanCityFile(path, [&](astro::StadtType&, int) { return ++visited > 0; });
        FAIL() << "an empty line was accepted";
    } catch (const CityFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("\"" + path + "\", line 3: the line has 0 tab"));
    }
    EXPECT_EQ(visited, 2);  // the lines before the bad one were handed over

    try {
        ScanCityFile(dir.Path("missing.txt"), [](astro::StadtType&, int) { return true; });
        FAIL() << "a missing file was accepted";
    } catch (const CityFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr(dir.Path("missing.txt")));
    }
}

TEST(CountryList, FileOrderAndSplitCountries) {
    ScratchFolder dir;
    const std::string path = dir.Path("c.txt");
    WriteBytes(path,
               "Schweiz\tBasel\t4756\t759\t260\t164488\r\n"
               "Schweiz\tBern\t4695\t745\t540\t121631\r\n"
               "\xD6sterreich\tWien\t4821\t1637\t171\t1691468\r\n"
               "Schweiz\tZ\xFCrich\t4737\t855\t408\t341730\r\n"
               "schweiz\tGenf\t4620\t615\t375\t183981\r\n");
    EXPECT_THAT(CountryList(path), ElementsAre("Schweiz", "\xD6sterreich", "Schweiz", "schweiz"));

    CityTable table;
    const auto names = PlacesOfCountry(path, "Schweiz", table);
    EXPECT_THAT(names, ElementsAre("Basel", "Bern", "Z\xFCrich"));
    ASSERT_EQ(table.Count(), 3);
    EXPECT_EQ(table[1].Stadt, "Basel");
    EXPECT_EQ(table[3].Stadt, "Z\xFCrich");
    EXPECT_DOUBLE_EQ(table[3].Breite, 47.37);
    EXPECT_THROW(table[0], std::out_of_range);
    EXPECT_THROW(table[4], std::out_of_range);

    // A new choice replaces the table; an unknown country empties it.
    EXPECT_THAT(PlacesOfCountry(path, "schweiz", table), ElementsAre("Genf"));
    EXPECT_EQ(table.Count(), 1);
    EXPECT_TRUE(PlacesOfCountry(path, "Nirgendwo", table).empty());
    EXPECT_EQ(table.Count(), 0);
}

}  // namespace
}  // namespace zimbalo::lists
