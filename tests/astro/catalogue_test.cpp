#include "astro/catalogue.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "astro/numeric.h"
#include "astro/time_scales.h"

namespace zimbalo::astro {
namespace {

BesselRecord SampleRecord(int year) {
    BesselRecord r;
    r.Year = static_cast<std::int16_t>(year);
    r.Month = 12;
    r.Day = 8;
    r.OccType = 2;
    r.Planet = 3;
    r.Gamma = -0.25f;
    r.EventJD = 2459921.7;
    r.T0Hour = 5;
    r.NS = -7;
    for (std::size_t e = 0; e < kElementCount; ++e) {
        for (std::size_t c = 0; c < 4; ++c) {
            r.coef[e][c] = static_cast<double>(e * 10 + c) + 0.125;
        }
    }
    return r;
}

// A record with values a real event has (the loader checks them), on 8 December of `year`.
BesselRecord LoadableRecord(int year) {
    BesselRecord r = SampleRecord(year);
    r.EventJD = CalendarToJD(year, 12, 8, 5.0, 10.0, 0.0);
    r.coef[kX] = {0.3, 0.55, 1e-5, -8e-6};
    r.coef[kY] = {-0.2, 0.1, -2e-4, 3e-6};
    r.coef[kD] = {25.0, -0.01, 1e-5, 1e-7};
    r.coef[kM] = {120.0, 15.0, 1e-5, -1e-7};
    r.coef[kL1] = {0.28, 1e-5, -3e-7, 1e-10};
    r.coef[kL2] = {-0.27, 1e-6, -1e-7, 1e-10};
    r.coef[kTanF1] = {1e-4, 1e-8, 1e-11, 1e-13};
    r.coef[kTanF2] = {5e-5, 1e-8, 1e-11, 1e-13};
    return r;
}

class TempFile {
public:
    explicit TempFile(const std::vector<std::uint8_t>& bytes)
        : m_path(std::filesystem::temp_directory_path()
                 / ("zimbalo_catalogue_test_"
                    + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                    + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin")) {
        std::ofstream out(m_path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    ~TempFile() { std::filesystem::remove(m_path); }

    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

std::vector<std::uint8_t> Encode(const std::vector<BesselRecord>& records) {
    std::vector<std::uint8_t> bytes(records.size() * kRecordSize);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EncodeRecord(records[i], bytes.data() + i * kRecordSize);
    }
    return bytes;
}

TEST(BesselRecord, FieldsSitAtTheirLittleEndianOffsets) {
    std::uint8_t b[kRecordSize];
    EncodeRecord(SampleRecord(2022), b);
    EXPECT_EQ(b[0] | (b[1] << 8), 2022);
    EXPECT_EQ(b[8], 3);   // planet
    EXPECT_EQ(b[28], 5);  // T0 hour
    double x0 = 0.0;
    double tanf2c3 = 0.0;
    std::memcpy(&x0, b + 30, 8);
    std::memcpy(&tanf2c3, b + 278, 8);
    EXPECT_EQ(x0, 0.125);
    EXPECT_EQ(tanf2c3, 73.125);
    EXPECT_EQ(static_cast<std::int16_t>(b[288] | (b[289] << 8)), -7);
    EXPECT_EQ(DecodeRecord(b), SampleRecord(2022));
}

TEST(LoadCatalogue, ReadsWholeRecordsAndDropsZeroTail) {
    std::vector<BesselRecord> records = {LoadableRecord(1980), LoadableRecord(1981),
                                         LoadableRecord(1981)};
    records[2].Planet = 7;
    auto bytes = Encode(records);
    bytes.resize(bytes.size() + 2 * kRecordSize, 0);  // two zero-filled records
    TempFile file(bytes);
    const BesselTable table = LoadCatalogue(file.path());
    ASSERT_EQ(table.Count(), 3);
    EXPECT_EQ(table[3].Planet, 7);
    EXPECT_EQ(SelectRecord(table, 1), records[0]);
    EXPECT_THROW(table[4], std::out_of_range);
    EXPECT_THROW(table[0], std::out_of_range);
}

TEST(LoadCatalogue, RejectsUnusableFilesNamingThem) {
    const auto expectError = [](const std::vector<std::uint8_t>& bytes, const char* what) {
        TempFile file(bytes);
        try {
            LoadCatalogue(file.path());
            ADD_FAILURE() << "accepted " << what;
        } catch (const CatalogueError& e) {
            EXPECT_NE(std::string(e.what()).find(file.path()), std::string::npos) << e.what();
        }
    };
    auto good = Encode({LoadableRecord(1990)});
    auto partial = good;
    partial.pop_back();
    expectError(partial, "a partial record");
    expectError({}, "an empty file");
    expectError(std::vector<std::uint8_t>(kRecordSize, 0), "only zero records");
    expectError(std::vector<std::uint8_t>(kRecordSize * (kEventCount + 1), 0), "too many records");
    BesselRecord bad = LoadableRecord(1990);
    bad.Month = 13;
    expectError(Encode({LoadableRecord(1990), bad}), "month 13");
    bad = LoadableRecord(1990);
    bad.coef[kY][2] = std::nan("");
    expectError(Encode({bad}), "a NaN coefficient");
    expectError(Encode({LoadableRecord(1991), LoadableRecord(1990)}), "records out of order");
    auto zeroInMiddle = Encode({LoadableRecord(1990), LoadableRecord(1990), LoadableRecord(1991)});
    std::fill(zeroInMiddle.begin() + kRecordSize, zeroInMiddle.begin() + 2 * kRecordSize, 0);
    expectError(zeroInMiddle, "a zero record between events");

    try {
        LoadCatalogue("/nonexistent/folder/Bessel.bin");
        ADD_FAILURE();
    } catch (const CatalogueError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/folder/Bessel.bin"), std::string::npos);
    }
}

// Values that are finite but that no event can have: each used to hang or abort a list run
// further down. The message names the record and the field.
TEST(LoadCatalogue, RefusesValuesNoEventCanHaveNamingRecordAndField) {
    struct Case {
        const char* field;
        void (*damage)(BesselRecord&);
    };

    const Case cases[] = {
        {"field EventJD", [](BesselRecord& r) { r.EventJD = -1e300; }},
        {"field EventJD", [](BesselRecord& r) { r.EventJD = -1e15; }},
        {"field EventJD", [](BesselRecord& r) { r.EventJD = 1e19; }},
        {"field EventJD", [](BesselRecord& r) { r.EventJD += 2.0; }},
        {"field EventJD", [](BesselRecord& r) { r.EventJD = std::nan(""); }},
        {"field L1 coefficient c0", [](BesselRecord& r) { r.coef[kL1][0] = 1.65e40; }},
        {"field L2 coefficient c2", [](BesselRecord& r) { r.coef[kL2][2] = -1e18; }},
        {"field x coefficient c3", [](BesselRecord& r) { r.coef[kX][3] = HUGE_VAL; }},
        {"field tanf2 coefficient c0", [](BesselRecord& r) { r.coef[kTanF2][0] = 0.5; }},
        {"field d coefficient c0", [](BesselRecord& r) { r.coef[kD][0] = 95.0; }},
        {"field T0Hour", [](BesselRecord& r) { r.T0Hour = 24; }},
        {"field Gamma", [](BesselRecord& r) { r.Gamma = 1e30f; }},
        // 29 February 1991 and 10 October 1582 are not in the calendar.
        {"field Day",
         [](BesselRecord& r) {
             r.Year = 1991;
             r.Month = 2;
             r.Day = 29;
         }},
        {"field Day",
         [](BesselRecord& r) {
             r.Year = 1582;
             r.Month = 10;
             r.Day = 10;
         }},
        // Delta T of more than a day: far outside the years its formulas cover.
        {"field Year", [](BesselRecord& r) { r.Year = 9999; }},
    };
    for (const Case& c : cases) {
        BesselRecord bad = LoadableRecord(1991);
        c.damage(bad);
        TempFile file(Encode({LoadableRecord(1990), bad, LoadableRecord(7000)}));
        try {
            LoadCatalogue(file.path());
            ADD_FAILURE() << "accepted a damaged " << c.field;
        } catch (const CatalogueError& e) {
            EXPECT_NE(
                std::string(e.what()).find(std::string("record 2 is not an event (") + c.field),
                std::string::npos)
                << e.what();
        }
    }
    // The limits leave room: a leap day and year 7000 are events.
    BesselRecord leap = LoadableRecord(1992);
    leap.Month = 2;
    leap.Day = 29;
    leap.EventJD = CalendarToJD(1992, 2, 29, 5.0, 0.0, 0.0);
    TempFile file(Encode({LoadableRecord(1990), leap, LoadableRecord(7000)}));
    EXPECT_EQ(LoadCatalogue(file.path()).Count(), 3);
}

TEST(RecordProblem, NothingForAnEventTheReasonOtherwise) {
    EXPECT_EQ(RecordProblem(LoadableRecord(1990)), std::nullopt);
    BesselRecord bad = LoadableRecord(1990);
    bad.Month = 13;
    const std::optional<std::string> problem = RecordProblem(bad);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->rfind("field Month: 13 ", 0), 0u) << *problem;
}

// Only a regular file can be a catalogue; anything else is named for what it is.
TEST(LoadCatalogue, SaysWhatKindOfFileItIs) {
    const auto message = [](const std::string& path) -> std::string {
        try {
            LoadCatalogue(path);
        } catch (const CatalogueError& e) {
            return e.what();
        }
        return "accepted";
    };
    const std::filesystem::path dir = std::filesystem::temp_directory_path()
                                      / ("zimbalo_catalogue_kinds_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    EXPECT_EQ(message(dir.string()), "Event catalogue \"" + dir.string() + "\" is a directory.");
    EXPECT_EQ(message("/dev/null"), "Event catalogue \"/dev/null\" is not a regular file.");
    EXPECT_EQ(message("/dev/zero"), "Event catalogue \"/dev/zero\" is not a regular file.");
    // A pipe is never opened: a read from it could wait forever.
    const std::string pipe = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(message(pipe), "Event catalogue \"" + pipe + "\" is not a regular file.");
    const std::string empty = (dir / "empty.bin").string();
    std::ofstream(empty).close();
    EXPECT_EQ(message(empty), "Event catalogue \"" + empty + "\" has 0 bytes.");
    const std::string missing = (dir / "missing.bin").string();
    EXPECT_EQ(message(missing), "Event catalogue \"" + missing + "\" not found.");
    std::filesystem::remove_all(dir);
}

TEST(EvaluateElements, PolynomialsRatesAndUnits) {
    const BesselRecord r = SampleRecord(2000);
    const ElementSet at0 = EvaluateElements(r, 0.0);
    EXPECT_EQ(at0.x, r.coef[kX][0]);
    EXPECT_EQ(at0.y, r.coef[kY][0]);
    EXPECT_DOUBLE_EQ(at0.d, r.coef[kD][0] * kPi / 180.0);
    EXPECT_EQ(at0.xDot, r.coef[kX][1]);
    EXPECT_EQ(at0.yDot, r.coef[kY][1]);
    const ElementSet at2 = EvaluateElements(r, -2.0);
    const auto& x = r.coef[kX];
    EXPECT_DOUBLE_EQ(at2.x, x[0] - 2.0 * x[1] + 4.0 * x[2] - 8.0 * x[3]);
    EXPECT_DOUBLE_EQ(at2.xDot, x[1] - 4.0 * x[2] + 12.0 * x[3]);
    EXPECT_DOUBLE_EQ(at2.sind, std::sin(at2.d));
    EXPECT_DOUBLE_EQ(at2.tanf2, r.coef[kTanF2][0] - 2.0 * r.coef[kTanF2][1]
                                    + 4.0 * r.coef[kTanF2][2] - 8.0 * r.coef[kTanF2][3]);
}

TEST(ClosestApproachOffset, LinearTrack) {
    BesselRecord r = SampleRecord(2000);
    r.coef[kX] = {-1.0, 0.5, 0.0, 0.0};
    r.coef[kY] = {0.2, 0.0, 0.0, 0.0};
    EXPECT_DOUBLE_EQ(ClosestApproachOffset(r), 2.0);
    r.coef[kX][1] = 0.0;
    EXPECT_EQ(ClosestApproachOffset(r), 0.0);  // no motion: no division by zero
}

TEST(FirstEventOfYear, ScansAndStopsAtTheEnd) {
    const BesselTable table(
        {SampleRecord(1980), SampleRecord(1982), SampleRecord(1982), SampleRecord(1990)});
    EXPECT_EQ(FirstEventOfYear(table, 1900), 1);
    EXPECT_EQ(FirstEventOfYear(table, 1981), 2);
    EXPECT_EQ(FirstEventOfYear(table, 1982), 2);
    EXPECT_EQ(FirstEventOfYear(table, 1990), 4);
    EXPECT_EQ(FirstEventOfYear(table, 2100), 4);
}

}  // namespace
}  // namespace zimbalo::astro
