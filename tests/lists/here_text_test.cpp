#include "lists/here_text.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "astro/time_scales.h"
#include "lists/nearest_city.h"
#include "lists/time_zones.h"
#include "synthetic.h"

namespace zimbalo::lists {
namespace {

using ::testing::HasSubstr;
using testing::ScratchFolder;
using testing::SyntheticEvent;
using testing::WriteBytes;

ZoneTable OneZone(const std::string& zone) {
    return ZoneTable::FromBytes(testing::OneZoneTableBytes(zone));
}

std::vector<std::vector<std::string>> Split(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        std::vector<std::string> fields;
        std::size_t f = 0;
        while (true) {
            const std::size_t tab = line.find('\t', f);
            fields.push_back(line.substr(f, tab - f));
            if (tab == std::string::npos) {
                break;
            }
            f = tab + 1;
        }
        lines.push_back(fields);
        start = end + 1;
    }
    return lines;
}

const std::vector<std::string>* Line(const std::vector<std::vector<std::string>>& lines,
                                     const std::string& key) {
    for (const auto& l : lines) {
        if (l.front() == key) {
            return &l;
        }
    }
    return nullptr;
}

struct VerdictCase {
    double hourAngle, lat, lon;
    HereVerdict verdict;
    const char* english;
};

// The made-up Jupiter event: with hour angle 180 the planet culminates at local midnight near
// 169.7 W, opposite the Sun; with 350 it stands beside the Sun near 10 E. Sun altitudes at the
// maximum: -42 (night), -6.5 (twilight), +73 (day); the planet is 74 degrees below the horizon
// at the antipode of the night point; 60 N lies far north of the path.
TEST(HereText, VerdictsAtANightATwilightADayABelowHorizonAndAMissPoint) {
    const std::vector<VerdictCase> cases = {
        {180.0, 10.7, -150.0, HereVerdict::Night, "seen at night"},
        {180.0, 10.7, -120.0, HereVerdict::Twilight, "seen in twilight"},
        {350.0, 10.7, 0.0, HereVerdict::Daylight, "seen in daylight"},
        {180.0, 10.7, 0.0, HereVerdict::BelowHorizon, "below the horizon"},
        {350.0, 60.0, 10.0, HereVerdict::NoOccultation, "no occultation here"},
    };
    for (const VerdictCase& c : cases) {
        const astro::BesselRecord r = SyntheticEvent(c.hourAngle);
        const auto here =
            astro::ComputeHereCircumstances(r, c.lat, c.lon, 0.0, astro::DeltaT(r.Year, r.Month));
        EXPECT_EQ(VerdictOf(here), c.verdict) << c.english;
        HereRequest request{&r, 7, c.lat, c.lon, 0.0, Language::English, false};
        const auto lines = Split(HereText(request, nullptr, nullptr));
        ASSERT_NE(Line(lines, "Verdict"), nullptr);
        EXPECT_EQ(Line(lines, "Verdict")->at(1), c.english);
    }
}

// At the night point the contacts fall near 11 UT; in a zone 14 hours ahead that is the next
// local day, which the local column then shows with its date.
TEST(HereText, PlaceZoneAndEveryInstantInUTAndLocalTime) {
    const astro::BesselRecord r = SyntheticEvent(180.0);
    const ZoneTable zones = OneZone("Pacific/Kiritimati");
    HereRequest request{&r, 7, 10.7, -150.0, 12.4, Language::English, false};
    const std::string text = HereText(request, &zones, nullptr);
    const auto lines = Split(text);
    EXPECT_EQ(lines[0],
              (std::vector<std::string>{"Circumstances here", "Event 7", "Jupiter", "2024-03-14"}));
    EXPECT_EQ(lines[1], (std::vector<std::string>{"Place", "10°42'N", "150°00'W", "12 m"}));
    EXPECT_EQ(lines[2],
              (std::vector<std::string>{"Time zone", "Pacific/Kiritimati", "+14", "UTC+14:00"}));
    EXPECT_EQ(lines[4], (std::vector<std::string>{"Instant", "UT", "Local time", "P°", "V°",
                                                  "Planet alt.°", "Planet az.°", "Sun alt.°"}));
    const std::vector<std::string> names = {"1st contact", "centre disappears", "2nd contact",
                                            "maximum",     "3rd contact",       "centre reappears",
                                            "4th contact"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& row = lines[5 + i];
        ASSERT_EQ(row.size(), 8u);
        EXPECT_EQ(row[0], names[i]);
        // hh:mm:ss in UT; the same clock 14 hours on, on the next day.
        const int utHour = std::stoi(row[1].substr(0, 2));
        EXPECT_EQ(row[2], "2024-03-15 " + std::string(utHour + 14 < 34 ? "0" : "")
                              + std::to_string(utHour + 14 - 24) + row[1].substr(2));
    }
    EXPECT_EQ(Line(lines, "Type")->at(1), "total");
    EXPECT_NE(Line(lines, "Duration (2nd to 3rd contact)"), nullptr);
    EXPECT_EQ(Line(lines, "Moon illuminated")->at(1), "100 %");
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);

    // TT: the first column moves by Delta T (69 s in 2024), the local column stays civil time.
    request.terrestrialTime = true;
    const auto tt = Split(HereText(request, &zones, nullptr));
    EXPECT_EQ(tt[4][1], "TT");
    EXPECT_EQ(tt[5][2], lines[5][2]);
    EXPECT_NE(tt[5][1], lines[5][1]);
}

// The made-up event moved to 2024-03-31, T0 = 0h TT: its contacts run from 00:37 to 01:55 UT,
// across the start of summer time in Berlin at 01:00 UT. The zone line gives the clock of the
// maximum (CEST); the instants before the change carry their own abbreviation.
TEST(HereText, AContactEitherSideOfTheChangeToSummerTime) {
    astro::BesselRecord r = SyntheticEvent(180.0);
    r.Day = 31;
    r.T0Hour = 0;
    const ZoneTable zones = OneZone("Europe/Berlin");
    HereRequest request{&r, 7, 10.7, -150.0, 0.0, Language::English, false};
    const auto lines = Split(HereText(request, &zones, nullptr));
    EXPECT_EQ(lines[2],
              (std::vector<std::string>{"Time zone", "Europe/Berlin", "CEST", "UTC+02:00"}));
    const auto* first = Line(lines, "1st contact");
    const auto* maximum = Line(lines, "maximum");
    ASSERT_TRUE(first && maximum);
    EXPECT_EQ(first->at(1).substr(0, 3), "00:");
    EXPECT_EQ(first->at(2), "01:" + first->at(1).substr(3) + " CET");
    EXPECT_EQ(maximum->at(1).substr(0, 3), "01:");
    EXPECT_EQ(maximum->at(2), "03:" + maximum->at(1).substr(3));
}

TEST(HereText, AMissNamesTheLeastDistanceAndWhen) {
    const astro::BesselRecord r = SyntheticEvent(350.0);
    HereRequest request{&r, 7, 60.0, 10.0, 0.0, Language::German, false};
    const auto lines = Split(HereText(request, nullptr, nullptr));
    const auto* verdict = Line(lines, "Ergebnis");
    ASSERT_NE(verdict, nullptr);
    ASSERT_EQ(verdict->size(), 3u);
    EXPECT_EQ(verdict->at(1), "keine Bedeckung hier");
    EXPECT_THAT(verdict->at(2), HasSubstr("geringster Abstand der Mittelpunkte"));
    EXPECT_THAT(verdict->at(2), HasSubstr("Mondradien um"));
    const auto* row = Line(lines, "geringster Abstand");
    ASSERT_NE(row, nullptr);
    EXPECT_THAT(verdict->at(2), HasSubstr(row->at(1) + " UT"));
    EXPECT_EQ(Line(lines, "Magnitude"), nullptr);
}

TEST(HereText, ThreeLanguagesOfTheSameShape) {
    const astro::BesselRecord r = SyntheticEvent(180.0);
    const ZoneTable zones = OneZone("Europe/Paris");
    std::vector<std::vector<std::vector<std::string>>> texts;
    for (const Language language : {Language::German, Language::English, Language::French}) {
        HereRequest request{&r, 7, 10.7, -150.0, 0.0, language, false};
        texts.push_back(Split(HereText(request, &zones, nullptr)));
    }
    EXPECT_EQ(texts[0][0][0], "Umstände hier");
    EXPECT_EQ(texts[2][0][0], "Circonstances ici");
    EXPECT_EQ(texts[2][1][2], "150°00'O");  // ouest
    EXPECT_EQ(texts[0][4][1], "UT");
    EXPECT_EQ(texts[2][4][1], "TU");
    for (std::size_t i = 0; i < texts[0].size(); ++i) {
        ASSERT_EQ(texts[1].size(), texts[0].size());
        ASSERT_EQ(texts[2].size(), texts[0].size());
        EXPECT_EQ(texts[1][i].size(), texts[0][i].size()) << i;
        EXPECT_EQ(texts[2][i].size(), texts[0][i].size()) << i;
    }
}

// A zone the system lacks: the zone line says so and the local column repeats UT.
TEST(HereText, UnknownZoneFallsBackToUT) {
    const astro::BesselRecord r = SyntheticEvent(180.0);
    const ZoneTable zones = OneZone("Mars/Olympus_Mons");
    HereRequest request{&r, 7, 10.7, -150.0, 0.0, Language::English, false};
    const auto lines = Split(HereText(request, &zones, nullptr));
    EXPECT_EQ(lines[2], (std::vector<std::string>{"Time zone", "Mars/Olympus_Mons",
                                                  "unknown to the system, local time = UT"}));
    EXPECT_EQ(lines[5][1], lines[5][2]);
}

TEST(CityIndex, NearestWithinTheRadiusAcrossTheDateLine) {
    ScratchFolder folder;
    const std::string path = folder.Path("cities.txt");
    // Windows-1252 names; "Süd" has the byte FC.
    WriteBytes(path,
               "Fiji\tWest\t-1650\t17990\t0\t10\r\n"
               "Samoa\tOst\t-1650\t-17995\t0\t10\r\n"
               "Testland\tKlein\t5000\t1000\t0\t10\r\n"
               "Testland\tGro\xdf\t5000\t1000\t0\t5000\r\n"
               "Andere\tS\xfc\x64\t5045\t1000\t0\t1\r\n");
    const CityIndex index = CityIndex::Load(path);
    EXPECT_EQ(index.Count(), 5);
    // 0.02 degrees east of 179.99 E lies in 179.99 W: "Ost" (0.05 deg) is nearer than "West".
    auto near = index.Nearest(-16.5, -179.99);
    ASSERT_TRUE(near);
    EXPECT_EQ(near->name, "Ost");
    EXPECT_EQ(near->country, "Samoa");
    EXPECT_NEAR(near->distanceKm, 0.04 * 111.19 * std::cos(16.5 * 3.14159265 / 180), 0.05);
    // Two places at the same point: the one with more inhabitants, its name in UTF-8.
    near = index.Nearest(50.0, 10.0);
    ASSERT_TRUE(near);
    EXPECT_EQ(near->name, "Groß");
    // 0.45 degrees of latitude north is 50.0 km: inside at 50.1 km, outside at 49.9 km.
    near = index.Nearest(50.45 + 0.45, 10.0, 50.1);
    ASSERT_TRUE(near);
    EXPECT_EQ(near->name, "Süd");
    EXPECT_FALSE(index.Nearest(50.45 + 0.45, 10.0, 49.9));
    EXPECT_FALSE(index.Nearest(0.0, 0.0));

    const astro::BesselRecord r = SyntheticEvent(180.0);
    HereRequest request{&r, 7, 50.0, 10.0, 0.0, Language::English, false};
    auto lines = Split(HereText(request, nullptr, &index));
    EXPECT_EQ(lines[2], (std::vector<std::string>{"Nearest place", "Groß", "Testland", "0 km"}));
    request.latitude = 0.0;
    lines = Split(HereText(request, nullptr, &index));
    EXPECT_EQ(lines[2],
              (std::vector<std::string>{"Nearest place", "no place of the database within 50 km"}));
}

}  // namespace
}  // namespace zimbalo::lists
