// Checks of the delivered event catalogue as the program reads it: layout, order, consistency of
// each record's fields with its polynomials, and well-known occultations.

#include <cmath>
#include <filesystem>
#include <ostream>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/time_scales.h"

namespace zimbalo::astro {
namespace {

constexpr double kE2 = 0.006694385;

const BesselTable& Table() {
    static const BesselTable table = LoadCatalogue(CataloguePath());
    return table;
}

double AxisDistance(const BesselRecord& r, double t) {
    const ElementSet e = EvaluateElements(r, t);
    const double rho1 = std::sqrt(1.0 - kE2 * e.cosd * e.cosd);
    return std::hypot(e.x, e.y / rho1);
}

TEST(CatalogueFile, HoldsAllRecordsInChronologicalOrder) {
    EXPECT_EQ(std::filesystem::file_size(CataloguePath()), 516200u);
    const BesselTable& table = Table();
    ASSERT_EQ(table.Count(), 1780) << "the search found fewer events than the file holds";

    EXPECT_GE(table[1].EventJD, CalendarToJD(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(table[1].Year, 1980);
    // The 1780th event closes the catalogue: the occultation of Venus of 14 January 2100.
    EXPECT_EQ(table[1780].Year, 2100);
    EXPECT_EQ(table[1780].Month, 1);
    EXPECT_EQ(table[1780].Day, 14);
    EXPECT_EQ(table[1780].Planet, 2);

    for (int k = 2; k <= table.Count(); ++k) {
        EXPECT_LT(table[k - 1].EventJD, table[k].EventJD) << "event " << k;
    }
}

// For every record: T0 is the whole hour nearest greatest occultation, the polynomials place the
// least axis distance at EventJD with the stored Gamma, and the kind agrees with Gamma.
TEST(CatalogueFile, RecordFieldsAgreeWithTheirPolynomials) {
    const BesselTable& table = Table();
    int wrongType = 0;
    for (int k = 1; k <= table.Count(); ++k) {
        const BesselRecord& r = table[k];
        SCOPED_TRACE("event " + std::to_string(k));
        EXPECT_EQ(r.NS, 0);
        EXPECT_EQ(r.Reserved22, 0);
        EXPECT_EQ(r.Reserved26, 0);
        EXPECT_EQ(r.Reserved286, 0);

        const double jd0 = CalendarToJD(r.Year, r.Month, r.Day, r.T0Hour, 0, 0);
        const double tGreatest = (r.EventJD - jd0) * 24.0;
        EXPECT_LE(std::fabs(tGreatest), 0.5 + 1e-6);

        // Least distance on a quarter-second grid around greatest occultation.
        constexpr double kStep = 0.25 / 3600.0;
        double best = 1e9, tBest = 0.0;
        for (double t = tGreatest - 0.02; t <= tGreatest + 0.02; t += kStep) {
            const double m = AxisDistance(r, t);
            if (m < best) {
                best = m;
                tBest = t;
            }
        }
        EXPECT_NEAR(tBest, tGreatest, 1.0 / 3600.0);
        EXPECT_NEAR(best, std::fabs(r.Gamma), 2e-6);
        EXPECT_EQ(r.Gamma < 0.0f, EvaluateElements(r, tGreatest).y < 0.0);

        const ElementSet g = EvaluateElements(r, tGreatest);
        const bool central = r.OccType >= 2 && r.OccType <= 4;
        if (central != (best <= 1.0) || best >= 1.0 + g.L1) {
            ++wrongType;
        }
    }
    EXPECT_EQ(wrongType, 0);
}

struct KnownEvent {
    const char* name;
    int planet;
    int year, month, day;  // UT date of greatest occultation
    int occType;
};

void PrintTo(const KnownEvent& e, std::ostream* os) {
    *os << e.name;
}

class CatalogueKnownEvent : public testing::TestWithParam<KnownEvent> {};

// Widely observed occultations; each is total, the Moon covering the planet along a path on the
// Earth's surface.
TEST_P(CatalogueKnownEvent, IsCataloguedWithPlanetDateAndKind) {
    const KnownEvent& want = GetParam();
    int matches = 0;
    for (const BesselRecord& r : Table().Records()) {
        const CalendarDate ut = JDToCalendar(r.EventJD - DeltaT(r.Year, r.Month) / 86400.0);
        if (ut.year == want.year && ut.month == want.month && ut.day == want.day
            && r.Planet == want.planet) {
            ++matches;
            EXPECT_EQ(r.OccType, want.occType);
        }
    }
    EXPECT_EQ(matches, 1);
}

INSTANTIATE_TEST_SUITE_P(Events, CatalogueKnownEvent,
                         testing::Values(KnownEvent{"Venus_2008_12_01", 2, 2008, 12, 1, 2},
                                         KnownEvent{"Mars_2022_12_08", 3, 2022, 12, 8, 2},
                                         KnownEvent{"Saturn_2024_07_24", 5, 2024, 7, 24, 2}),
                         [](const testing::TestParamInfo<KnownEvent>& p) { return p.param.name; });

}  // namespace
}  // namespace zimbalo::astro
