#include "lists/zone_clock.h"

#include <gtest/gtest.h>

#include "astro/time_scales.h"

namespace zimbalo::lists {
namespace {

// The cached clock must show exactly what `LocalTimeAt` shows: across daylight-saving changes
// in both hemispheres, half- and quarter-hour zones, instants on half seconds, and a zone the
// system lacks.
TEST(ZoneClock, SameAsLocalTimeAt) {
    const double spring = astro::CalendarToJD(2026, 3, 29, 0.0, 0.0, 0.0);
    for (const char* zone : {"Europe/Berlin", "Australia/Lord_Howe", "Asia/Kathmandu",
                             "America/St_Johns", "Nowhere/Atlantis"}) {
        const ZoneClock clock(zone);
        for (int step = -200; step <= 200; ++step) {
            // 3 h 7.5 s apart over 50 days around the European spring change, and on both sides
            // of 01:00 UT of that day.
            const double jd = spring + step * (3.0 / 24.0 + 7.5 / 86400.0);
            for (const double at : {jd, spring + 1.0 / 24.0 + step * 0.5 / 86400.0}) {
                const LocalTime a = clock.At(at);
                const LocalTime b = LocalTimeAt(at, zone);
                ASSERT_EQ(DateText(a) + " " + ClockText(a), DateText(b) + " " + ClockText(b))
                    << zone << " " << step;
                ASSERT_EQ(a.offsetSeconds, b.offsetSeconds);
                ASSERT_EQ(a.abbreviation, b.abbreviation);
                ASSERT_EQ(a.daylightTime, b.daylightTime);
                ASSERT_EQ(a.known, b.known);
                ASSERT_EQ(a.zone, b.zone);
            }
        }
    }
}

}  // namespace
}  // namespace zimbalo::lists
