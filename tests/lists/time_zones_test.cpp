#include "lists/time_zones.h"

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "astro/time_scales.h"
#include "synthetic.h"

namespace zimbalo::lists {
namespace {

using ::testing::HasSubstr;
using testing::ScratchFolder;
using testing::WriteBytes;

void PutU16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>(value >> 8);
}

// A table of 2 x 1 cells: the western half is Europe/Berlin; the eastern half is node 0, whose
// north-west quarter is sea, north-east quarter Asia/Tokyo, and whose southern quarters are
// node 1 (all four of its children Asia/Tokyo). `childOfNode1` replaces node 1's first child.
std::string SmallTable(unsigned childOfNode1 = 0x8002, const std::string& tail = "") {
    std::string out = "ZTZ1";
    PutU16(out, 3);
    PutU16(out, 2);
    PutU16(out, 1);
    PutU16(out, 0);
    PutU16(out, 2);
    PutU16(out, 0);  // the node count is 32 bits
    for (std::string name : {"Europe/Berlin", "Etc/GMT-5", "Asia/Tokyo"}) {
        out += static_cast<char>(name.size());
        out += name;
    }
    for (unsigned entry :
         {0x8000u, 0u, 0x8001u, 0x8002u, 1u, 1u, childOfNode1, 0x8002u, 0x8002u, 0x8002u}) {
        PutU16(out, entry);
    }
    return out + tail;
}

TEST(ZoneTable, LooksUpCellsAndChildrenAndGivesTheSeaItsNauticalZone) {
    const ZoneTable table = ZoneTable::FromBytes(SmallTable());
    EXPECT_EQ(table.ZoneCount(), 3);
    EXPECT_EQ(table.ZoneAt(45.0, -90.0), "Europe/Berlin");
    EXPECT_EQ(table.ZoneAt(45.0, 135.0), "Asia/Tokyo");
    EXPECT_EQ(table.ZoneAt(-45.0, 10.0), "Asia/Tokyo");
    // The sea quarter holds Etc/GMT-5 but answers with the strip of the point's own longitude.
    EXPECT_EQ(table.ZoneAt(45.0, 45.0), "Etc/GMT-3");
    EXPECT_EQ(table.ZoneAt(45.0, 3.0), "Etc/GMT");
    // Longitudes are wrapped; the poles and values that are not numbers are the nautical zone.
    EXPECT_EQ(table.ZoneAt(45.0, 270.0), "Europe/Berlin");
    EXPECT_EQ(table.ZoneAt(90.0, 100.0), "Etc/GMT-7");
    EXPECT_EQ(table.ZoneAt(-90.0, -100.0), "Etc/GMT+7");
    EXPECT_EQ(table.ZoneAt(std::nan(""), 0.0), "Etc/GMT");
    EXPECT_EQ(table.ZoneAt(10.0, std::nan("")), "Etc/GMT");
    // The edges of the grid stay inside it.
    EXPECT_EQ(table.ZoneAt(-89.999999, 180.0), "Asia/Tokyo");
    EXPECT_EQ(table.ZoneAt(89.999999, -180.0), "Europe/Berlin");
}

TEST(ZoneTable, RejectsDamagedTables) {
    const std::string good = SmallTable();

    struct Case {
        std::string bytes;
        const char* why;
    };

    const std::vector<Case> cases = {
        {"", "ends too early"},
        {"ZTZ2" + good.substr(4), "does not start with ZTZ1"},
        {good.substr(0, good.size() - 1), "ends too early"},
        {good + "x", "bytes after"},
        {SmallTable(0x8003), "outside the table"},  // zone 3 of 3
        {SmallTable(1), "outside the table"},       // node 1 holding itself: a cycle
        {SmallTable(0), "outside the table"},       // a child pointing back to node 0
    };
    for (const Case& c : cases) {
        try {
            ZoneTable::FromBytes(c.bytes);
            ADD_FAILURE() << "accepted a table that should fail with: " << c.why;
        } catch (const ZoneTableError& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.why));
        }
    }
}

TEST(ZoneTable, LoadNamesTheFileAndBoundsItsSize) {
    ScratchFolder folder;
    const std::string dir = folder.Folder().string() + "/";
    EXPECT_THROW(DeliveredZoneTable(dir), ZoneTableError);
    // A missing table is tried again on the next call.
    WriteBytes(dir + kZoneTableFileName, SmallTable());
    EXPECT_EQ(DeliveredZoneTable(dir).ZoneAt(45.0, 135.0), "Asia/Tokyo");

    try {
        ZoneTable::Load(folder.Path("missing.bin"));
        ADD_FAILURE();
    } catch (const ZoneTableError& e) {
        EXPECT_THAT(e.what(), HasSubstr("missing.bin"));
    }
    WriteBytes(folder.Path("huge.bin"), SmallTable() + std::string(kMaxZoneTableSize, '\0'));
    try {
        ZoneTable::Load(folder.Path("huge.bin"));
        ADD_FAILURE();
    } catch (const ZoneTableError& e) {
        EXPECT_THAT(e.what(), HasSubstr("larger than"));
    }
    EXPECT_THROW(ZoneTable::Load(dir), ZoneTableError);  // a folder
}

TEST(NauticalZone, StripsOf15DegreesWithTheInvertedSign) {
    EXPECT_EQ(NauticalZone(0.0), "Etc/GMT");
    EXPECT_EQ(NauticalZone(7.49), "Etc/GMT");
    EXPECT_EQ(NauticalZone(-7.49), "Etc/GMT");
    EXPECT_EQ(NauticalZone(7.5), "Etc/GMT-1");   // east of Greenwich: ahead of UT, sign "-"
    EXPECT_EQ(NauticalZone(-7.5), "Etc/GMT+1");  // west: behind UT, sign "+"
    EXPECT_EQ(NauticalZone(-75.0), "Etc/GMT+5");
    EXPECT_EQ(NauticalZone(172.5), "Etc/GMT-12");
    EXPECT_EQ(NauticalZone(179.99), "Etc/GMT-12");
    EXPECT_EQ(NauticalZone(180.0), "Etc/GMT-12");
    EXPECT_EQ(NauticalZone(-180.0), "Etc/GMT+12");
    EXPECT_EQ(NauticalZone(-179.99), "Etc/GMT+12");
    EXPECT_EQ(NauticalZone(-172.5), "Etc/GMT+12");
    EXPECT_EQ(NauticalZone(360.0 + 100.0), "Etc/GMT-7");
}

struct LocalCase {
    const char* what;
    const char* zone;
    int utc[6];  // year, month, day, hour, minute, second (UT); second may be fractional below
    double utcSecondFraction;
    const char* date;
    const char* clock;
    const char* offset;
    bool daylight;
};

void PrintTo(const LocalCase& c, std::ostream* os) {
    *os << c.what;
}

class LocalTimeAtCase : public ::testing::TestWithParam<LocalCase> {};

// Reference values: the IANA rules of each zone (tzdata 2026), worked by hand.
TEST_P(LocalTimeAtCase, WallClockOfAUTInstant) {
    const LocalCase& c = GetParam();
    const double jd = astro::CalendarToJD(c.utc[0], c.utc[1], c.utc[2], c.utc[3], c.utc[4],
                                          c.utc[5] + c.utcSecondFraction);
    const LocalTime local = LocalTimeAt(jd, c.zone);
    EXPECT_TRUE(local.known);
    EXPECT_EQ(DateText(local), c.date);
    EXPECT_EQ(ClockText(local), c.clock);
    EXPECT_EQ(OffsetText(local.offsetSeconds), c.offset);
    EXPECT_EQ(local.daylightTime, c.daylight);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, LocalTimeAtCase,
    ::testing::Values(
        LocalCase{"India +5:30",
                  "Asia/Kolkata",
                  {2026, 7, 1, 12, 0, 0},
                  0.0,
                  "2026-07-01",
                  "17:30:00",
                  "UTC+05:30",
                  false},
        LocalCase{"Nepal +5:45",
                  "Asia/Kathmandu",
                  {2026, 7, 1, 20, 0, 0},
                  0.0,
                  "2026-07-02",
                  "01:45:00",
                  "UTC+05:45",
                  false},
        LocalCase{"Eucla +8:45",
                  "Australia/Eucla",
                  {2026, 1, 1, 0, 0, 0},
                  0.0,
                  "2026-01-01",
                  "08:45:00",
                  "UTC+08:45",
                  false},
        // Europe: summer time begins 2026-03-29 at 01:00 UT.
        LocalCase{"Berlin last second of CET",
                  "Europe/Berlin",
                  {2026, 3, 29, 0, 59, 59},
                  0.0,
                  "2026-03-29",
                  "01:59:59",
                  "UTC+01:00",
                  false},
        LocalCase{"Berlin first second of CEST",
                  "Europe/Berlin",
                  {2026, 3, 29, 1, 0, 0},
                  0.0,
                  "2026-03-29",
                  "03:00:00",
                  "UTC+02:00",
                  true},
        // South: Sydney's summer time ends 2026-04-05 03:00 AEDT = 04-04 16:00 UT.
        LocalCase{"Sydney last second of AEDT",
                  "Australia/Sydney",
                  {2026, 4, 4, 15, 59, 59},
                  0.0,
                  "2026-04-05",
                  "02:59:59",
                  "UTC+11:00",
                  true},
        LocalCase{"Sydney first second of AEST",
                  "Australia/Sydney",
                  {2026, 4, 4, 16, 0, 0},
                  0.0,
                  "2026-04-05",
                  "02:00:00",
                  "UTC+10:00",
                  false},
        // Adelaide (+9:30) begins summer time 2026-10-04 02:00 ACST = 10-03 16:30 UT.
        LocalCase{"Adelaide before the change",
                  "Australia/Adelaide",
                  {2026, 10, 3, 16, 29, 59},
                  0.0,
                  "2026-10-04",
                  "01:59:59",
                  "UTC+09:30",
                  false},
        LocalCase{"Adelaide after the change",
                  "Australia/Adelaide",
                  {2026, 10, 3, 16, 30, 0},
                  0.0,
                  "2026-10-04",
                  "03:00:00",
                  "UTC+10:30",
                  true},
        // The date line: the same instant is a day apart at +14 h and -11 h.
        LocalCase{"Kiritimati +14",
                  "Pacific/Kiritimati",
                  {2026, 6, 30, 12, 0, 0},
                  0.0,
                  "2026-07-01",
                  "02:00:00",
                  "UTC+14:00",
                  false},
        LocalCase{"Pago Pago -11",
                  "Pacific/Pago_Pago",
                  {2026, 6, 30, 12, 0, 0},
                  0.0,
                  "2026-06-30",
                  "01:00:00",
                  "UTC-11:00",
                  false},
        LocalCase{"nautical zone at sea",
                  "Etc/GMT+12",
                  {2026, 1, 1, 11, 0, 0},
                  0.0,
                  "2025-12-31",
                  "23:00:00",
                  "UTC-12:00",
                  false},
        // Near local midnight: rounding to the second carries into the next day (and month).
        LocalCase{"Berlin rounds up to midnight",
                  "Europe/Berlin",
                  {2026, 1, 31, 22, 59, 59},
                  0.6,
                  "2026-02-01",
                  "00:00:00",
                  "UTC+01:00",
                  false},
        LocalCase{"Berlin last second of the day",
                  "Europe/Berlin",
                  {2026, 1, 31, 22, 59, 59},
                  0.4,
                  "2026-01-31",
                  "23:59:59",
                  "UTC+01:00",
                  false},
        LocalCase{"New York midnight",
                  "America/New_York",
                  {2026, 3, 1, 5, 0, 0},
                  0.0,
                  "2026-03-01",
                  "00:00:00",
                  "UTC-05:00",
                  false}));

TEST(LocalTimeAt, AbbreviationsAndUnknownZones) {
    const double summer = astro::CalendarToJD(2026, 7, 1, 12, 0, 0);
    EXPECT_EQ(LocalTimeAt(summer, "Europe/Berlin").abbreviation, "CEST");
    EXPECT_EQ(LocalTimeAt(summer, "Pacific/Pago_Pago").abbreviation, "SST");
    const LocalTime unknown = LocalTimeAt(summer, "Mars/Olympus_Mons");
    EXPECT_FALSE(unknown.known);
    EXPECT_EQ(unknown.offsetSeconds, 0);
    EXPECT_EQ(ClockText(unknown), "12:00:00");
    const LocalTime ut = UniversalTimeAt(summer);
    EXPECT_EQ(DateText(ut) + " " + ClockText(ut), "2026-07-01 12:00:00");
    EXPECT_EQ(OffsetText(-12600), "UTC-03:30");
    // An instant that is not a number gives the epoch instead of undefined arithmetic.
    EXPECT_EQ(DateText(UniversalTimeAt(std::nan(""))), "1970-01-01");
}

}  // namespace
}  // namespace zimbalo::lists
