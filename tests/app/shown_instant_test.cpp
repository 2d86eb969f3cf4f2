// The model of what the main window shows, without a window.

#include "app/shown_instant.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "astro/time_scales.h"

namespace zimbalo::app {
namespace {

class ShownInstantTest : public ::testing::Test {
protected:
    static const astro::BesselTable& table() {
        static const astro::BesselTable t = astro::LoadCatalogue(
            (QCoreApplication::applicationDirPath() + "/" + astro::kCatalogueFileName)
                .toStdString());
        return t;
    }
};

TEST_F(ShownInstantTest, EveryEntryPointRecomputesOnceAndSignalsOnce) {
    ShownInstant shown(table());
    QSignalSpy spy(&shown, &ShownInstant::changed);
    shown.SetTimePosition(100);
    shown.ChooseEvent(5);
    EXPECT_EQ(shown.RecomputeCount(), 0) << "nothing before the state of the start";
    EXPECT_EQ(spy.count(), 0);

    const std::pair<const char*, std::function<void()>> entries[] = {
        {"Restore", [&] { shown.Restore(10, 6300, false, Language::German); }},
        {"ChooseEvent", [&] { shown.ChooseEvent(626); }},
        {"ChooseYear", [&] { shown.ChooseYear(2001); }},
        {"SetTimePosition", [&] { shown.SetTimePosition(5000); }},
        {"SetUniversalTime", [&] { shown.SetUniversalTime(true); }},
        {"SetLanguage", [&] { shown.SetLanguage(Language::French); }},
        {"SetMarker",
         [&] {
             shown.SetMarker({10.0, 20.0, true});
         }},
    };
    for (const auto& [name, entry] : entries) {
        const int before = shown.RecomputeCount();
        spy.clear();
        entry();
        EXPECT_EQ(shown.RecomputeCount(), before + 1) << name;
        EXPECT_EQ(spy.count(), 1) << name;
    }
}

TEST_F(ShownInstantTest, TheChangeSaysWhatToDrawAnew) {
    ShownInstant shown(table());
    shown.Restore(1, 6300, false, Language::German);
    QSignalSpy spy(&shown, &ShownInstant::changed);
    const auto last = [&] { return spy.takeLast().at(0).value<ShownInstant::Change>(); };
    shown.SetTimePosition(6400);
    EXPECT_FALSE(last().path);
    shown.SetUniversalTime(true);
    EXPECT_TRUE(last().path);
    shown.ChooseEvent(2);
    const ShownInstant::Change event = last();
    EXPECT_TRUE(event.event && event.path);
    shown.SetMarker({1.0, 2.0, true});
    EXPECT_TRUE(last().marker);
}

// The state each entry point leaves, against the catalogue's own functions for a few events and
// instants: the event at its closest approach, the instant at the slider position, Delta T of
// the event's month under UT.
TEST_F(ShownInstantTest, EntryPointsLeaveTheStateOfTheEventAndInstant) {
    const struct {
        int event;
        int position;  ///< -1: the event's closest approach
        bool universalTime;
    } cases[] = {{1, -1, false},   {1, 6300, true},     {626, -1, true},
                 {1434, 0, false}, {1434, 12600, true}, {1780, 3000, false}};

    for (const auto& c : cases) {
        ShownInstant shown(table());
        shown.Restore(1, 6300, c.universalTime, Language::English);
        shown.ChooseEvent(c.event);
        if (c.position >= 0)
            shown.SetTimePosition(c.position);
        const astro::BesselRecord record = astro::SelectRecord(table(), c.event);
        const int position =
            c.position >= 0 ? c.position : PositionOfOffset(astro::ClosestApproachOffset(record));
        const double t = OffsetOfPosition(position);
        const double deltaT = c.universalTime ? astro::DeltaT(record.Year, record.Month) : 0.0;
        const astro::EventInstant instant =
            astro::InstantOfEvent(record.Year, record.Month, record.Day, record.T0Hour, t, deltaT);
        SCOPED_TRACE(testing::Message() << "event " << c.event << " position " << c.position);
        EXPECT_EQ(shown.Index(), c.event);
        EXPECT_EQ(shown.TimePosition(), position);
        EXPECT_EQ(shown.Record().EventJD, record.EventJD);
        EXPECT_DOUBLE_EQ(shown.DeltaTSeconds(), deltaT);
        EXPECT_DOUBLE_EQ(shown.JD_TT(), instant.jdTT);
        EXPECT_DOUBLE_EQ(shown.JD_UT(), instant.jdUT);
        const astro::ElementSet e = astro::EvaluateElements(record, t);
        EXPECT_DOUBLE_EQ(shown.Elements().x, e.x);
        EXPECT_DOUBLE_EQ(shown.Elements().d, e.d);
        EXPECT_EQ(shown.Axis().axisOnEarth, astro::AxisOnEarth(e).onEarth);
        EXPECT_EQ(shown.Rows()[0], ElementRows(e, record, t, Language::English)[0]);
        EXPECT_EQ(shown.DateTimeText(), DateTimeText(instant.jdTT, instant.jdUT, c.universalTime));
        EXPECT_EQ(shown.TimeScaleText(),
                  TimeScaleCaption(c.universalTime, deltaT, record.Year, Language::English));
        // The same state reached through the year field and the time slider.
        ShownInstant byYear(table());
        byYear.Restore(1780, 0, c.universalTime, Language::English);
        byYear.ChooseYear(record.Year);
        byYear.ChooseEvent(c.event);
        if (c.position >= 0)
            byYear.SetTimePosition(c.position);
        EXPECT_EQ(byYear.Rows(), shown.Rows());
        EXPECT_EQ(byYear.PlanetText(), shown.PlanetText());
    }
}

TEST_F(ShownInstantTest, TheYearFieldTakesTheYearsFirstEventAndClamps) {
    ShownInstant shown(table());
    shown.Restore(900, 6300, false, Language::German);
    shown.ChooseYear(1975);
    EXPECT_EQ(shown.Index(), 1);
    shown.ChooseYear(2200);
    EXPECT_EQ(shown.Record().Year, 2100);
    EXPECT_LT(table()[shown.Index() - 1].Year, 2100);
}

}  // namespace
}  // namespace zimbalo::app
