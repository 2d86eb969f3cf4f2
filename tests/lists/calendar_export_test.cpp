#include "lists/calendar_export.h"

#include <libical/ical.h>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "lists/zone_clock.h"
#include "synthetic.h"

namespace zimbalo::lists {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct ParsedEvent {
    std::string uid, summary, location, description, start, end;
    bool hasEnd = false;
    double lat = 0.0, lon = 0.0;
    int alarmSeconds = 0;
};

std::string TimeText(icaltimetype t) {
    return icaltime_as_ical_string(t) + std::string(icaltime_is_utc(t) ? "" : " (not UTC)");
}

// The VEVENTs of an iCalendar text as libical reads them back.
std::vector<ParsedEvent> Parse(const std::string& text) {
    std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> calendar(
        icalparser_parse_string(text.c_str()), icalcomponent_free);
    std::vector<ParsedEvent> events;
    if (!calendar) {
        ADD_FAILURE() << "not parsed";
        return events;
    }
    EXPECT_EQ(icalcomponent_count_errors(calendar.get()), 0);
    for (icalcomponent* e =
             icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
         e != nullptr;
         e = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
        ParsedEvent p;
        p.uid = icalcomponent_get_uid(e);
        p.summary = icalcomponent_get_summary(e);
        p.location = icalcomponent_get_location(e);
        p.description = icalcomponent_get_description(e);
        p.start = TimeText(icalcomponent_get_dtstart(e));
        p.end = TimeText(icalcomponent_get_dtend(e));
        p.hasEnd = icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY) != nullptr;
        const icalgeotype geo =
            icalproperty_get_geo(icalcomponent_get_first_property(e, ICAL_GEO_PROPERTY));
        p.lat = geo.lat;
        p.lon = geo.lon;
        icalcomponent* alarm = icalcomponent_get_first_component(e, ICAL_VALARM_COMPONENT);
        if (alarm != nullptr) {
            const icaltriggertype trigger = icalproperty_get_trigger(
                icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY));
            p.alarmSeconds = icaldurationtype_as_int(trigger.duration);
        }
        events.push_back(p);
    }
    return events;
}

// "20260329T005000Z" of a UT instant, rounded as the clock columns.
std::string UtcText(double jdUT) {
    const LocalTime t = UniversalTimeAt(jdUT);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

TEST(CalendarText, EventsAtTheShownContactsWithStableIds) {
    const astro::BesselTable table({testing::SyntheticEventInYear(2010),
                                    testing::SyntheticEventInYear(2024),
                                    testing::SyntheticEventInYear(2030)});
    ComingInput input;
    input.place = {"Kano", 10.70, 10.30, 480, "Africa/Lagos"};
    input.firstYear = 2000;
    std::vector<ComingRow> rows = ComingOccultations(table, input);
    ASSERT_EQ(rows.size(), 3u);
    // The planet below the horizon at D: the event starts at the first instant shown.
    rows[2].shown[astro::kFirstContact] = false;
    rows[2].shown[astro::kSecondContact] = false;
    // Only the maximum shown: an event without length, so without an end (it must follow the
    // start).
    rows[1].shown = {false, false, false, true, false, false};

    const std::string text = CalendarText(rows, input.place, Language::English, 1700000000);
    const std::vector<ParsedEvent> events = Parse(text);
    ASSERT_EQ(events.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const auto [first, last] = ShownSpan(rows[k]);
        EXPECT_EQ(events[k].start, UtcText(rows[k].jdUT[first])) << k;
        EXPECT_EQ(events[k].hasEnd, k != 1);
        if (k != 1) {
            EXPECT_EQ(events[k].end, UtcText(rows[k].jdUT[last])) << k;
        }
        EXPECT_EQ(events[k].summary, "Moon occults Jupiter");
        EXPECT_EQ(events[k].location, "Kano");
        EXPECT_NEAR(events[k].lat, 10.70, 1e-6);
        EXPECT_NEAR(events[k].lon, 10.30, 1e-6);
        EXPECT_EQ(events[k].alarmSeconds, -30 * 60);
    }
    // The table's clock time of D is the calendar's start in the place's zone.
    const LocalTime& d = rows[0].localD;
    EXPECT_THAT(events[0].description,
                HasSubstr("1st contact: " + DateText(d) + " " + ClockText(d) + " WAT"));
    EXPECT_EQ(events[2].start, UtcText(rows[2].jdUT[astro::kMaximum]));
    EXPECT_THAT(events[2].description, ::testing::Not(HasSubstr("1st contact")));
    EXPECT_THAT(events[0].uid, "1-10.7000N-10.3000E@zimbalo");

    // Another export later: the same ids, only the time stamps differ.
    const std::vector<ParsedEvent> again =
        Parse(CalendarText(rows, input.place, Language::English, 1800000000));
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(again[k].uid, events[k].uid);
    }
    EXPECT_NE(events[0].uid, events[1].uid);
}

TEST(CalendarText, DaylightSavingChangeBetweenDAndRAndAccents) {
    ComingRow row;
    row.number = 1211;
    row.planet = 2;
    row.kind = 't';
    row.magnitude = 1.0;
    // D at 00:50:00.4 UT on the night Central Europe moves its clocks forward at 01:00 UT,
    // R 30 minutes later.
    const double d = astro::CalendarToJD(2026, 3, 29, 0.0, 50.0, 0.4);
    for (std::size_t i = 1; i <= 5; ++i) {
        row.jdUT[i] = d + static_cast<double>(i - 1) * 7.5 / 1440.0;
        row.shown[i] = true;
        row.planetAltDeg[i] = 20.0;
        row.sunAltDeg[i] = -30.0;
    }
    const HomePlace place{"Zürich – Café «Bär»", 47.37, 8.54, 408, "Europe/Zurich"};
    const std::vector<ParsedEvent> events = Parse(CalendarText({row}, place, Language::French, 0));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].start, "20260329T005000Z");
    EXPECT_EQ(events[0].end, "20260329T012000Z");
    EXPECT_EQ(events[0].summary, "La Lune occulte Vénus");
    EXPECT_EQ(events[0].location, place.name);
    EXPECT_THAT(events[0].description,
                HasSubstr("1er contact: 2026-03-29 01:50:00 CET (00:50:00 TU)"));
    EXPECT_THAT(events[0].description,
                HasSubstr("4e contact: 2026-03-29 03:20:00 CEST (01:20:00 TU)"));
    EXPECT_THAT(events[0].description, HasSubstr("hauteur de Vénus 20°, Soleil -30°"));
}

TEST(SaveCalendar, ReplacesTheFileOnlyWhenWritten) {
    testing::ScratchFolder dir;
    SaveCalendar("BEGIN:VCALENDAR\r\n", dir.Path("a.ics"));
    EXPECT_EQ(testing::ReadBytes(dir.Path("a.ics")), "BEGIN:VCALENDAR\r\n");
    EXPECT_THROW(SaveCalendar("x", dir.Path("missing/a.ics")), CalendarFileError);
}

}  // namespace
}  // namespace zimbalo::lists
