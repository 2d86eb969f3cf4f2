#include "app/info_panel.h"

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"

namespace zimbalo::app {
namespace {

TEST(TimeSlider, PositionsAndOffsetsMapBothWays) {
    EXPECT_DOUBLE_EQ(OffsetOfPosition(6300), 0.0);
    EXPECT_DOUBLE_EQ(OffsetOfPosition(0), -3.5);
    EXPECT_DOUBLE_EQ(OffsetOfPosition(12600), 3.5);
    EXPECT_NEAR(OffsetOfPosition(6301) * 3600.0, 2.0, 1e-9) << "one step is two seconds";
    EXPECT_EQ(PositionOfOffset(0.0), 6300);
    EXPECT_EQ(PositionOfOffset(3.5), 12600);
    EXPECT_EQ(PositionOfOffset(-3.5), 0);
    EXPECT_EQ(PositionOfOffset(4.2), 12600) << "beyond the window: the nearer end";
    EXPECT_EQ(PositionOfOffset(-9.0), 0);
    // Half a step rounds to the even position.
    EXPECT_EQ(PositionOfOffset(OffsetOfPosition(6300) + 1.0 / 3600.0), 6300);
    EXPECT_EQ(PositionOfOffset(OffsetOfPosition(6301) + 1.0 / 3600.0), 6302);
    for (int p = 0; p <= 12600; p += 97)
        EXPECT_EQ(PositionOfOffset(OffsetOfPosition(p)), p);
}

TEST(YearField, IntegersAreClampedOtherTextIsNone) {
    EXPECT_EQ(YearOfText("1975"), 1980);
    EXPECT_EQ(YearOfText("2200"), 2100);
    EXPECT_EQ(YearOfText(" 2024 "), 2024);
    EXPECT_EQ(YearOfText("-5"), 1980);
    EXPECT_EQ(YearOfText("99999999999999"), 2100);
    EXPECT_FALSE(YearOfText("abc"));
    EXPECT_FALSE(YearOfText(""));
    EXPECT_FALSE(YearOfText("20.5"));
}

TEST(DateTimeText, TwoBlanksBetweenDateAndTimeAndTheScaleAtTheEnd) {
    const double jd = astro::CalendarToJD(2024, 3, 14, 5, 7, 9);
    EXPECT_EQ(DateTimeText(jd, jd, true), "2024-03-14  05:07:09 UT");
    EXPECT_EQ(DateTimeText(jd, jd - 1.0, false), "2024-03-14  05:07:09 TT");
    // Rounded to whole seconds, also across midnight.
    const double late = astro::CalendarToJD(1999, 12, 31, 23, 59, 59.6);
    EXPECT_EQ(DateTimeText(late, late, false), "2000-01-01  00:00:00 TT");
    const double early = astro::CalendarToJD(1999, 12, 31, 23, 59, 59.4);
    EXPECT_EQ(DateTimeText(early, early, true), "1999-12-31  23:59:59 UT");
    const double ancient = astro::CalendarToJD(-44, 3, 15, 12, 0, 0);
    EXPECT_EQ(DateTimeText(ancient, ancient, true), "-0044-03-15  12:00:00 UT");
}

TEST(TimeScaleCaption, DeltaTWithTheLanguagesUnit) {
    EXPECT_EQ(TimeScaleCaption(false, 69.2, 2024, Language::German), "TT");
    EXPECT_EQ(TimeScaleCaption(true, 69.2, 2024, Language::German), "UT (DeltaT = 69.2)");
    EXPECT_EQ(TimeScaleCaption(true, 69.2, 2024, Language::English), "UT (DeltaT = 69.2)");
    EXPECT_EQ(TimeScaleCaption(true, 69.2, 2024, Language::French), "UT (DeltaT = 69.2 sec.)");
    EXPECT_EQ(TimeScaleCaption(true, 5.4, 1890, Language::German), "UT (DeltaT = 5)");
}

TEST(EventTexts, KindsPlanetsAndTheTitle) {
    EXPECT_EQ(OccultationKind(2, Language::German), "Totale Bedeckung");
    EXPECT_EQ(OccultationKind(4, Language::German), "Ringf.-totale Bedeckung.");
    EXPECT_EQ(OccultationKind(6, Language::English), "Non central annular occultation");
    EXPECT_EQ(OccultationKind(0, Language::German), "");
    EXPECT_EQ(OccultationKind(7, Language::German), "");
    EXPECT_EQ(PlanetName(1, Language::German), "Merkur") << "padding is trimmed";
    EXPECT_EQ(PlanetName(2, Language::French), "V\u00E9nus");
    EXPECT_EQ(PlanetName(7, Language::English), "Neptune");
    EXPECT_EQ(PlanetName(0, Language::German), "");
    EXPECT_EQ(PlanetName(-1, Language::German), "");
    EXPECT_EQ(PlanetName(99, Language::German), "");
    EXPECT_EQ(EventTitle("Zimbalo 1.0.0 - X", "Mars", "", "2024-03-14  05:07:09 TT"),
              "Zimbalo 1.0.0 - X          Mars:      2024-03-14  05:07:09 TT")
        << "an unknown kind leaves \": \" followed directly by the five blanks";
}

TEST(GridRows, AxisOffTheEarthEmptiesTheCentralRowsAndZetaIsZero) {
    const auto rows = CentralPointRows(std::nullopt, Language::German);
    for (const GridRow& row : rows)
        EXPECT_EQ(row, GridRow{});
    EXPECT_EQ(ZetaRow(astro::AxisHit{false, 0.7}, Language::German).value, "0.0000");
    EXPECT_EQ(ZetaRow(astro::AxisHit{true, 0.7}, Language::English),
              (GridRow{" zeta", "0.7000", " R(Earth)"}));
}

TEST(GridRows, CentralRowsByLanguageAndTheHeightHeading) {
    astro::CentralResult c;
    c.latitude = -5.693 * astro::kDegToRad;  // fixed 3 rounds the values shown
    c.longitude = -11.4 * astro::kDegToRad;
    c.L2prime = -0.01;
    c.durationSeconds = 3600 + 43 * 60 + 22;
    c.planetAltitude = 73.6 * astro::kDegToRad;
    c.planetAzimuth = -152.7 * astro::kDegToRad;
    c.sunAltitude = -36.0 * astro::kDegToRad;
    auto rows = CentralPointRows(c, Language::German);
    EXPECT_EQ(rows[0], (GridRow{" Zentrallinie:", "", ""}));
    EXPECT_EQ(rows[1], (GridRow{" Geogr.L\u00E4nge", "-11.400", " \u00B0"}));
    EXPECT_EQ(rows[2], (GridRow{" Geogr.Breite", "-5.693", " \u00B0"}));
    EXPECT_EQ(rows[3], (GridRow{" Dauer", "  01:43:22", " h:mm:ss"}));
    EXPECT_EQ(rows[4], (GridRow{" Planet:H\u00F6he", "73.6", " \u00B0"}));
    EXPECT_EQ(rows[5], (GridRow{" Planet:Azim.", "-152.7", " \u00B0"}));
    EXPECT_EQ(rows[6], GridRow{}) << "row 19 is never written";
    EXPECT_EQ(rows[7], (GridRow{" Sonne :H\u00F6he", "-36.0", " \u00B0"}));
    c.L2prime = 0.002;
    EXPECT_EQ(CentralPointRows(c, Language::German)[0].value, " H\u00F6he");
    rows = CentralPointRows(c, Language::French);
    EXPECT_EQ(rows[0], (GridRow{" Ligne centrale", " Altitude", " "}));
    EXPECT_EQ(rows[7].label, " Alt. du soleil");
    c.L2prime = -0.002;
    EXPECT_EQ(CentralPointRows(c, Language::French)[0].value, " ");
}

}  // namespace
}  // namespace zimbalo::app
