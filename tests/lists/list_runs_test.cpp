#include "lists/list_runs.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "astro/time_scales.h"
#include "lists/city_database.h"
#include "synthetic.h"

namespace zimbalo::lists {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::SyntheticEvent;
using testing::SyntheticEventInYear;
using testing::WriteBytes;

// Places around the synthetic event: three see it (one of exactly a million inhabitants, one of
// none), one lies in the shadow on the night side of the Earth with the planet below the
// horizon, one is far outside the shadow.
const char* const kCities =
    "Land\tMillion\t1070\t1030\t100\t1000000\r\n"
    "Land\tBelow\t1200\t1000\t100\t999999\r\n"
    "Land\tNobody\t1100\t0\t100\t0\r\n"
    "Far\tAntipode\t1070\t-16970\t0\t2000000\r\n"
    "Far\tSouth\t-5000\t-10000\t0\t3000000\r\n";

struct Recorded {
    std::vector<std::string> names;
    std::vector<bool> occulted;
    std::vector<bool> visible;
    std::vector<std::string> fixed;
    std::vector<int> numbers;
};

ListCallback Recorder(Recorded& r) {
    return [&r](const ListStep& s) {
        r.names.push_back(s.place->Stadt);
        r.occulted.push_back(s.occulted);
        r.visible.push_back(s.visible);
        r.fixed.emplace_back(s.fixedLine);
        r.numbers.push_back(s.number);
    };
}

class CityListRun : public ::testing::Test {
protected:
    void SetUp() override { WriteBytes(m_cities, kCities); }

    CityListInput Input(std::int64_t threshold) const {
        CityListInput in;
        in.record = SyntheticEvent();
        in.cityFile = m_cities;
        in.threshold = threshold;
        in.language = Language::English;
        return in;
    }

    ScratchFolder m_dir;
    std::string m_cities = m_dir.Path("cities.txt");
};

TEST_F(CityListRun, ThresholdOfAMillion) {
    std::ostringstream out;
    Recorded rec;
    const auto result =
        RunCityList(Input(PopulationThreshold(0)), {&out, "out"}, Recorder(rec), nullptr);
    // Exactly 1000000 inhabitants is enough; the antipode is occulted but sees nothing.
    EXPECT_THAT(rec.names, ElementsAre("Million", "Antipode", "South"));
    EXPECT_THAT(rec.occulted, ElementsAre(true, true, false));
    EXPECT_THAT(rec.visible, ElementsAre(true, false, false));
    EXPECT_THAT(rec.numbers, ElementsAre(1, 4, 5));
    EXPECT_EQ(result.tested, 3);
    EXPECT_EQ(result.found, 1);
    EXPECT_FALSE(result.stopped);

    // The written line is the tab line of the computed place, with the Sun's altitudes filled.
    const auto record = SyntheticEvent();
    const double deltaT = astro::DeltaT(record.Year, record.Month);
    astro::StadtType place = ParseCityLine("Land\tMillion\t1070\t1030\t100\t1000000");
    ASSERT_TRUE(astro::ComputeLocalCircumstances(record, place, deltaT, Language::English));
    astro::FillSunAltitudes(record, deltaT, place);
    EXPECT_EQ(out.str(),
              TabLine(ListKind::CityList, record, place, deltaT, Language::English) + "\r\n");
    EXPECT_EQ(rec.fixed[0],
              FixedLine(ListKind::CityList, record, place, deltaT, Language::English));
    EXPECT_EQ(rec.fixed[1], "");
}

TEST_F(CityListRun, EveryPlaceIncludingPopulationZero) {
    std::ostringstream out;
    Recorded rec;
    const auto result =
        RunCityList(Input(PopulationThreshold(9)), {&out, "out"}, Recorder(rec), nullptr);
    EXPECT_EQ(result.tested, 5);
    EXPECT_EQ(result.found, 3);
    EXPECT_THAT(rec.visible, ElementsAre(true, true, true, false, false));
    const std::string text = out.str();
    EXPECT_NE(text.find("\tLand\tNobody\t"), std::string::npos);
    // Places stay in file order.
    EXPECT_LT(text.find("\tMillion\t"), text.find("\tBelow\t"));
    EXPECT_LT(text.find("\tBelow\t"), text.find("\tNobody\t"));

    // 2500 (index 8) leaves out the place without inhabitants only.
    Recorded rec8;
    RunCityList(Input(PopulationThreshold(8)), {}, Recorder(rec8), nullptr);
    EXPECT_THAT(rec8.names, ElementsAre("Million", "Below", "Antipode", "South"));
}

TEST_F(CityListRun, StoppingKeepsTheLinesWritten) {
    std::ostringstream out;
    std::atomic<bool> stop{false};
    Recorded rec;
    const auto record = Recorder(rec);
    const auto result = RunCityList(
        Input(-1), {&out, "out"},
        [&](const ListStep& s) {
            record(s);
            if (s.visible) {
                stop = true;  // as the window's stop button would, while messages are processed
            }
        },
        &stop);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.tested, 1);
    EXPECT_EQ(result.found, 1);
    EXPECT_THAT(rec.names, ElementsAre("Million"));
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
}

TEST_F(CityListRun, MalformedLineStopsWithItsNumber) {
    WriteBytes(m_cities,
               "Land\tMillion\t1070\t1030\t100\t1000000\r\n"
               "Land\tBroken\t10.7\t1030\t100\t5\r\n"
               "Land\tNobody\t1100\t0\t100\t0\r\n");
    std::ostringstream out;
    try {
        RunCityList(Input(-1), {&out, "out"}, {}, nullptr);
        FAIL() << "the malformed line was accepted";
    } catch (const CityFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("\"" + m_cities + "\", line 2: field 3 (latitude)"));
    }
    EXPECT_THAT(out.str(), HasSubstr("\tMillion\t"));  // written before the bad line
    EXPECT_THROW(RunCityList(Input(-1), {}, {}, nullptr), CityFileError);

    CityListInput missing = Input(-1);
    missing.cityFile = m_dir.Path("none.txt");
    EXPECT_THROW(RunCityList(missing, {}, {}, nullptr), CityFileError);
}

TEST_F(CityListRun, SameEventTwiceGivesTheSameLines) {
    std::ostringstream first;
    std::ostringstream second;
    RunCityList(Input(-1), {&first, "a"}, {}, nullptr);
    RunCityList(Input(-1), {&second, "b"}, {}, nullptr);
    EXPECT_EQ(first.str(), second.str());
    EXPECT_FALSE(first.str().empty());
}

// A world grid of places around the synthetic event, more lines than one block of a run shared
// between threads; `brokenLine` (if not 0) gets an unreadable latitude.
std::string GridOfPlaces(int brokenLine) {
    std::ostringstream out;
    int n = 0;
    for (int lat = -8900; lat <= 8900; lat += 200) {
        for (int lon = -17900; lon <= 18000; lon += 500) {
            ++n;
            out << "Grid\tP" << n << '\t' << (n == brokenLine ? "x" : std::to_string(lat)) << '\t'
                << lon << '\t' << n % 700 << '\t' << (n % 5) * 300000 << "\r\n";
        }
    }
    return out.str();
}

TEST_F(CityListRun, ThreadsSharingThePlacesChangeNoByte) {
    struct Outcome {
        std::string text;
        std::string error;
        Recorded rec;
        ListRunResult result;
    };

    // `stopAfter` visible places, the callback asks for a stop, as the stop button would.
    const auto run = [&](int workers, std::int64_t threshold, int stopAfter) {
        Outcome o;
        std::ostringstream out;
        std::atomic<bool> stop{false};
        CityListInput in = Input(threshold);
        in.workers = workers;
        const ListCallback record = Recorder(o.rec);
        int visible = 0;
        try {
            o.result = RunCityList(
                in, {&out, "out"},
                [&](const ListStep& s) {
                    record(s);
                    if (s.visible && ++visible == stopAfter) {
                        stop = true;
                    }
                },
                &stop);
        } catch (const CityFileError& e) {
            o.error = e.what();
        }
        o.text = out.str();
        return o;
    };
    for (const int broken : {0, 4321}) {
        WriteBytes(m_cities, GridOfPlaces(broken));
        for (const std::int64_t threshold : {std::int64_t{-1}, std::int64_t{600000}}) {
            for (const int stopAfter : {0, 150}) {
                const Outcome one = run(1, threshold, stopAfter);
                ASSERT_GT(one.rec.names.size(), 2048U);
                ASSERT_GE(std::count(one.text.begin(), one.text.end(), '\n'), 150);
                for (const int workers : {2, 3}) {
                    const Outcome many = run(workers, threshold, stopAfter);
                    EXPECT_EQ(many.text, one.text);
                    EXPECT_EQ(many.error, one.error);
                    EXPECT_EQ(many.rec.numbers, one.rec.numbers);
                    EXPECT_EQ(many.rec.visible, one.rec.visible);
                    EXPECT_EQ(many.rec.fixed, one.rec.fixed);
                    EXPECT_EQ(many.result.tested, one.result.tested);
                    EXPECT_EQ(many.result.found, one.result.found);
                    EXPECT_EQ(many.result.stopped, one.result.stopped);
                }
            }
        }
    }
}

class CityHistRun : public ::testing::Test {
protected:
    CityHistRun()
        : m_table({SyntheticEventInYear(2000), SyntheticEventInYear(2010),
                   SyntheticEventInYear(2010, 180.0), SyntheticEventInYear(2024)}) {
        m_input.place = ParseCityLine("Land\tMillion\t1070\t1030\t100\t1000000");
        m_input.language = Language::German;
    }

    astro::BesselTable m_table;
    CityHistInput m_input;
};

TEST_F(CityHistRun, EventsWithinTheYearRange) {
    m_input.firstYear = 2005;
    m_input.lastYear = 2024;
    std::ostringstream out;
    Recorded rec;
    const auto result = RunCityHist(m_table, m_input, {&out, "out"}, Recorder(rec), nullptr);
    // Event 3 happens on the night side of the Earth for this place.
    EXPECT_THAT(rec.numbers, ElementsAre(2, 3, 4));
    EXPECT_THAT(rec.visible, ElementsAre(true, false, true));
    EXPECT_EQ(result.tested, 3);
    EXPECT_EQ(result.found, 2);
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("2010\t3\t14\t", 0), 0u);
    EXPECT_NE(text.find("\r\n2024\t3\t14\t"), std::string::npos);
    EXPECT_THAT(rec.fixed[0], HasSubstr(" 2010  3 14 "));
}

TEST_F(CityHistRun, BackwardsRangeGivesNoLines) {
    m_input.firstYear = 2020;
    m_input.lastYear = 2000;
    std::ostringstream out;
    Recorded rec;
    const auto result = RunCityHist(m_table, m_input, {&out, "out"}, Recorder(rec), nullptr);
    EXPECT_EQ(result.tested, 0);
    EXPECT_TRUE(out.str().empty());
    EXPECT_TRUE(rec.names.empty());
}

TEST_F(CityHistRun, StopsAfterTheCurrentEvent) {
    std::atomic<bool> stop{false};
    Recorded rec;
    const auto record = Recorder(rec);
    const auto result = RunCityHist(
        m_table, m_input, {},
        [&](const ListStep& s) {
            record(s);
            stop = true;
        },
        &stop);
    EXPECT_TRUE(result.stopped);
    EXPECT_THAT(rec.numbers, ElementsAre(1));
}

TEST(EventYearUT, ShortlyAfterNewYearInTT) {
    astro::BesselRecord r = SyntheticEventInYear(2024);
    r.Month = 1;
    r.Day = 1;
    r.T0Hour = 0;
    r.EventJD = astro::CalendarToJD(2024, 1, 1, 0.0, 0.0, 30.0);  // Delta T is over a minute
    EXPECT_EQ(EventYearUT(r), 2023);
    r.EventJD = astro::CalendarToJD(2024, 1, 1, 0.0, 5.0, 0.0);
    EXPECT_EQ(EventYearUT(r), 2024);
}

TEST(TempListFile, NewNameEachTimeAndNeverAnExistingFile) {
    ScratchFolder dir;
    std::mt19937 random(7);
    const std::string first = CreateTempListFile(dir.Folder().string(), random);
    const std::regex pattern(".*/Zimbalo_temp_[A-Z]{4}\\.txt");
    EXPECT_TRUE(std::regex_match(first, pattern)) << first;
    EXPECT_TRUE(std::filesystem::is_regular_file(first));
    EXPECT_EQ(std::filesystem::file_size(first), 0u);
    WriteBytes(first, "unsaved lines of another list\r\n");

    // The same random sequence meets the taken name first and moves on to another one.
    std::mt19937 again(7);
    const std::string second = CreateTempListFile(dir.Folder().string() + "/", again);
    EXPECT_NE(second, first);
    EXPECT_TRUE(std::regex_match(second, pattern)) << second;
    EXPECT_EQ(ReadBytes(first), "unsaved lines of another list\r\n");

    EXPECT_THROW(CreateTempListFile(dir.Path("no/such/folder")), ListFileError);
}

TEST(SaveList, WritesPreambleAndLinesThenRemovesTheTemporaryFile) {
    ScratchFolder dir;
    const std::string temp = CreateTempListFile(dir.Folder().string());
    WriteBytes(temp, "line one\r\nline two\nline three");
    const std::string saved = dir.Path("Zimbalo_CityList.txt");

    // A save that cannot be written keeps the temporary file for another try.
    EXPECT_THROW(SaveList(ListKind::CityList, Language::German, temp, dir.Path("no/x.txt")),
                 ListFileError);
    EXPECT_TRUE(std::filesystem::exists(temp));

    SaveList(ListKind::CityList, Language::German, temp, saved);
    EXPECT_EQ(ReadBytes(saved), ListPreamble(ListKind::CityList, Language::German)
                                    + "line one\r\nline two\r\nline three\r\n");
    EXPECT_FALSE(std::filesystem::exists(temp));

    // A second save finds no temporary file: legend, separator and header only.
    SaveList(ListKind::CityList, Language::German, temp, saved);
    EXPECT_EQ(ReadBytes(saved), ListPreamble(ListKind::CityList, Language::German));
    // So does a save before any run, which has no temporary file to name.
    std::filesystem::remove(saved);
    SaveList(ListKind::CityList, Language::German, std::nullopt, saved);
    EXPECT_EQ(ReadBytes(saved), ListPreamble(ListKind::CityList, Language::German));
}

TEST(SaveList, UnreadableTemporaryFileIsReportedAndKept) {
    ScratchFolder dir;
    // A name that exists but cannot be read as a file.
    const std::string temp = dir.Path("Zimbalo_temp_DIRS.txt");
    std::filesystem::create_directory(temp);
    const std::string saved = dir.Path("Zimbalo_CityList.txt");
    try {
        SaveList(ListKind::CityList, Language::German, temp, saved);
        FAIL() << "an unreadable temporary file was saved";
    } catch (const ListFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr(temp));
    }
    EXPECT_TRUE(std::filesystem::exists(temp));
    EXPECT_FALSE(std::filesystem::exists(saved));

    // A name the system cannot even look up does not count as "no lines".
    const std::string unknowable = dir.Path(std::string(300, 'x') + ".txt");
    EXPECT_THROW(SaveList(ListKind::CityList, Language::German, unknowable, saved), ListFileError);
    EXPECT_FALSE(std::filesystem::exists(saved));
}

TEST(SaveList, OntoTheTemporaryFileItself) {
    ScratchFolder dir;
    const std::string temp = CreateTempListFile(dir.Folder().string());
    WriteBytes(temp, "only line\r\n");
    SaveList(ListKind::CityHist, Language::French, temp, temp);
    EXPECT_EQ(ReadBytes(temp),
              ListPreamble(ListKind::CityHist, Language::French) + "only line\r\n");
}

}  // namespace
}  // namespace zimbalo::lists
