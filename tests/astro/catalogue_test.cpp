#include "astro/catalogue.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "astro/numeric.h"

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
    std::vector<BesselRecord> records = {SampleRecord(1980), SampleRecord(1981),
                                         SampleRecord(1981)};
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
    auto good = Encode({SampleRecord(1990)});
    auto partial = good;
    partial.pop_back();
    expectError(partial, "a partial record");
    expectError({}, "an empty file");
    expectError(std::vector<std::uint8_t>(kRecordSize, 0), "only zero records");
    expectError(std::vector<std::uint8_t>(kRecordSize * (kEventCount + 1), 0), "too many records");
    BesselRecord bad = SampleRecord(1990);
    bad.Month = 13;
    expectError(Encode({SampleRecord(1990), bad}), "month 13");
    bad = SampleRecord(1990);
    bad.coef[kY][2] = std::nan("");
    expectError(Encode({bad}), "a NaN coefficient");
    expectError(Encode({SampleRecord(1991), SampleRecord(1990)}), "records out of order");
    auto zeroInMiddle = Encode({SampleRecord(1990), SampleRecord(1990), SampleRecord(1991)});
    std::fill(zeroInMiddle.begin() + kRecordSize, zeroInMiddle.begin() + 2 * kRecordSize, 0);
    expectError(zeroInMiddle, "a zero record between events");

    try {
        LoadCatalogue("/nonexistent/folder/Bessel.bin");
        ADD_FAILURE();
    } catch (const CatalogueError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/folder/Bessel.bin"), std::string::npos);
    }
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
