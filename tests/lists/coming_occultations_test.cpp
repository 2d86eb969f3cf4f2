#include "lists/coming_occultations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "synthetic.h"

namespace zimbalo::lists {
namespace {

using ::testing::ElementsAre;
using testing::SyntheticEventInYear;

// A row with the given altitudes at D; at R the planet has set and the Sun is up.
ComingRow RowAtD(int planet, double planetAltDeg, double sunAltDeg) {
    ComingRow row;
    row.planet = planet;
    row.planetAltDeg[astro::kFirstContact] = planetAltDeg;
    row.sunAltDeg[astro::kFirstContact] = sunAltDeg;
    row.planetAltDeg[astro::kFourthContact] = -10.0;
    row.sunAltDeg[astro::kFourthContact] = 10.0;
    return row;
}

constexpr double kPi = 3.14159265358979323846;

TEST(ComingFilter, AltitudeAndSunLimitsCountAsSeen) {
    ComingFilter dark;
    dark.seen = SeenRule::DarkSky;
    // The altitudes arrive as radians converted to degrees: exactly 5 and -6 must pass.
    EXPECT_TRUE(Passes(
        RowAtD(5, 5.0 * kPi / 180.0 * (180.0 / kPi), -6.0 * kPi / 180.0 * (180.0 / kPi)), dark));
    EXPECT_TRUE(Passes(RowAtD(5, 5.0, -6.0), dark));
    EXPECT_FALSE(Passes(RowAtD(5, 4.999, -6.0), dark));
    EXPECT_FALSE(Passes(RowAtD(5, 5.0, -5.999), dark));
    dark.minAltitudeDeg = 20.0;
    EXPECT_FALSE(Passes(RowAtD(5, 19.0, -18.0), dark));
    // Seen at R alone is enough.
    ComingRow atR = RowAtD(5, -3.0, -20.0);
    atR.planetAltDeg[astro::kFourthContact] = 30.0;
    atR.sunAltDeg[astro::kFourthContact] = -7.0;
    EXPECT_TRUE(Passes(atR, dark));
    // The planet high at D and the Sun low only at R: not seen at one instant.
    ComingRow split = RowAtD(5, 40.0, 2.0);
    split.planetAltDeg[astro::kFourthContact] = 2.0;
    split.sunAltDeg[astro::kFourthContact] = -10.0;
    dark.minAltitudeDeg = 5.0;
    EXPECT_FALSE(Passes(split, dark));
}

TEST(ComingFilter, DaylightOnlyForVenusAndJupiter) {
    ComingFilter filter;
    filter.seen = SeenRule::DarkSkyOrVenusJupiter;
    EXPECT_TRUE(Passes(RowAtD(2, 20.0, 30.0), filter));   // Venus
    EXPECT_TRUE(Passes(RowAtD(4, 20.0, 30.0), filter));   // Jupiter
    EXPECT_FALSE(Passes(RowAtD(5, 20.0, 30.0), filter));  // Saturn
    EXPECT_FALSE(Passes(RowAtD(2, 4.0, 30.0), filter));   // too low even for Venus
    filter.seen = SeenRule::DarkSky;
    EXPECT_FALSE(Passes(RowAtD(2, 20.0, 30.0), filter));
    filter.seen = SeenRule::Always;
    EXPECT_TRUE(Passes(RowAtD(5, -20.0, 30.0), filter));
}

TEST(ComingFilter, PlanetsNoneChosenMeansAll) {
    ComingFilter filter;
    for (int planet = 1; planet <= 7; ++planet) {
        EXPECT_TRUE(Passes(RowAtD(planet, 10.0, 10.0), filter)) << planet;
    }
    filter.planets = *ParsePlanetList("ven, JUP");
    EXPECT_EQ(filter.planets, 0x0Au);
    std::vector<ComingRow> rows;
    for (int planet = 1; planet <= 7; ++planet) {
        rows.push_back(RowAtD(planet, 10.0, 10.0));
    }
    std::vector<int> kept;
    for (const ComingRow& row : Filtered(rows, filter)) {
        kept.push_back(row.planet);
    }
    EXPECT_THAT(kept, ElementsAre(2, 4));
    EXPECT_FALSE(ParsePlanetList("ven,pluto"));
    EXPECT_FALSE(ParsePlanetList(""));
    EXPECT_FALSE(ParsePlanetList("ven,"));
    EXPECT_EQ(*ParsePlanetList("mer,ven,mar,jup,sat,ura,nep"), kEveryPlanet);
}

TEST(ComingOccultations, RowsFromTheStartWithClockTimesAndVerdict) {
    const astro::BesselTable table(
        {SyntheticEventInYear(2000), SyntheticEventInYear(2010), SyntheticEventInYear(2024)});
    ComingInput input = ComingFrom({"Million", 10.70, 10.30, 100, "Africa/Lagos"},
                                   astro::CalendarToJD(2005, 1, 1, 0.0, 0.0, 0.0));
    const std::vector<ComingRow> rows = ComingOccultations(table, input);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].number, 2);
    EXPECT_EQ(rows[1].number, 3);
    const ComingRow& row = rows[1];
    EXPECT_EQ(row.planet, 4);
    EXPECT_EQ(row.kind, 't');
    // West Africa keeps UTC+1 all year.
    EXPECT_EQ(row.localD.offsetSeconds, 3600);
    const LocalTime ut = UniversalTimeAt(row.jdUT[astro::kFirstContact]);
    EXPECT_EQ((row.localD.hour - ut.hour + 24) % 24, 1);
    EXPECT_EQ(row.localD.minute, ut.minute);
    EXPECT_EQ(row.localD.second, ut.second);
    // Near local noon with the planet near the zenith: day, and seen only by the daylight rule.
    EXPECT_EQ(row.verdict, Verdict::Day);
    EXPECT_GT(row.planetAltDeg[astro::kFirstContact], 60.0);
    EXPECT_GT(row.sunAltDeg[astro::kFirstContact], 30.0);
    EXPECT_EQ(ShownSpan(row), std::make_pair(std::size_t{1}, std::size_t{5}));
    EXPECT_FALSE(Passes(row, {0, SeenRule::DarkSky, 5.0}));
    EXPECT_TRUE(Passes(row, {0, SeenRule::DarkSkyOrVenusJupiter, 5.0}));

    // A start after the fourth contact of the last event leaves it out; one between D and R
    // keeps it.
    input.startJD = row.jdUT[astro::kFourthContact] + 1e-6;
    EXPECT_EQ(ComingOccultations(table, input).size(), 0u);
    input.startJD = row.jdUT[astro::kFirstContact] + 1e-6;
    EXPECT_EQ(ComingOccultations(table, input).size(), 1u);
}

TEST(ComingTexts, FullWordsWithAccents) {
    EXPECT_EQ(VerdictText(Verdict::Twilight, Language::German), "Dämmerung");
    EXPECT_EQ(VerdictText(Verdict::BelowHorizon, Language::French), "sous l'horizon");
    EXPECT_EQ(PlanetFullName(2, Language::French), "Vénus");
    EXPECT_EQ(KindText('r', Language::German), "ringförmig");
    EXPECT_EQ(KindText('a', Language::English), "annular");
}

}  // namespace
}  // namespace zimbalo::lists
