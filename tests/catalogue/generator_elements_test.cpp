// Checks of the generator against the Swiss Ephemeris: the delivered polynomials reproduce the
// directly computed elements, the search misses no event, and the kinds follow their rules.

#include <cmath>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/time_scales.h"
#include "tools/catalogue/builder.h"
#include "tools/catalogue/elements.h"
#include "tools/catalogue/ephemeris.h"

namespace zimbalo::catalogue {
namespace {

const Ephemeris& Eph() {
    static const Ephemeris ephemeris;
    return ephemeris;
}

const astro::BesselTable& Table() {
    static const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    return table;
}

// A sample of about 45 events spread over the catalogue, compared on a 3-minute grid over the
// slider's +-3.5 h with the limits the generator enforces for all events.
TEST(GeneratorFit, DeliveredPolynomialsReproduceTheEphemeris) {
    const astro::BesselTable& table = Table();
    std::vector<int> sample;
    for (int k = 1; k <= table.Count(); k += 41) {
        sample.push_back(k);
    }
    sample.push_back(table.Count());
    const double limits[astro::kElementCount] = {
        kMaxErrorXY, kMaxErrorXY, kMaxErrorAngleDeg, kMaxErrorAngleDeg, 1e-6, 1e-6, 1e-9, 1e-9};
    for (int k : sample) {
        const astro::BesselRecord& r = table[k];
        for (int step = -70; step <= 70; ++step) {
            const double t = step * 0.05;
            const double polyM = PolynomialValue(r, astro::kM, t);
            const auto direct = DirectElementValues(Eph(), r, t, polyM);
            for (std::size_t e = 0; e < astro::kElementCount; ++e) {
                ASSERT_NEAR(PolynomialValue(r, e, t), direct[e], limits[e])
                    << "event " << k << ", element " << e << ", t = " << t << " h";
            }
        }
    }
}

// An independent hour-by-hour look at the axis distance of every planet over 2024 and the first
// quarter of 1980 (the catalogue's start): each close approach that brings the penumbra onto the
// Earth is catalogued within the hour, and each catalogued event of these spans is such an
// approach.
TEST(GeneratorSearch, FindsEveryEventOfSampleSpans) {
    struct Span {
        double from, to;
    };

    const Span spans[] = {
        {astro::CalendarToJD(1980, 1, 1, 0, 0, 0), astro::CalendarToJD(1980, 4, 1, 0, 0, 0)},
        {astro::CalendarToJD(2024, 1, 1, 0, 0, 0), astro::CalendarToJD(2025, 1, 1, 0, 0, 0)}};
    const auto& records = Table().Records();
    constexpr double kHour = 1.0 / 24.0;
    for (const Span& span : spans) {
        std::vector<std::pair<int, double>> approaches;  // planet, JD of the hourly minimum
        for (int p = 1; p <= kPlanetCount; ++p) {
            double m0 = 1e9, m1 = 1e9;
            InstantElements e1;
            for (double jd = span.from - kHour; jd <= span.to + kHour; jd += kHour) {
                const InstantElements e = ComputeElements(Eph(), p, jd);
                const double m = e.ScaledDistance();
                // Near opposition (z < 0) the axis passes the Earth too, with the Moon behind it.
                if (m1 < m0 && m1 <= m && m1 < 3.0 && e1.z > 0.0) {
                    approaches.emplace_back(p, jd - kHour);
                    if (m1 < 1.0 + e1.L1 && jd - kHour >= span.from && jd - kHour < span.to) {
                        int found = 0;
                        for (const auto& r : records) {
                            found += r.Planet == p && std::fabs(r.EventJD - (jd - kHour)) < kHour;
                        }
                        EXPECT_EQ(found, 1) << PlanetName(p) << " near JD " << jd - kHour;
                    }
                }
                m0 = m1;
                m1 = m;
                e1 = e;
            }
        }
        int inSpan = 0;
        for (const auto& r : records) {
            if (r.EventJD < span.from || r.EventJD >= span.to) {
                continue;
            }
            ++inSpan;
            int near = 0;
            for (const auto& [p, jd] : approaches) {
                near += p == r.Planet && std::fabs(r.EventJD - jd) < kHour;
            }
            EXPECT_EQ(near, 1) << "catalogued " << PlanetName(r.Planet) << " at JD " << r.EventJD;
        }
        EXPECT_GT(inSpan, 3);
    }
}

struct KindCase {
    const char* name;
    double x, y, L1, L2, tanf2;
    int occType;
    double z = 60.0;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.name;
}

class GeneratorKind : public testing::TestWithParam<KindCase> {};

// Elements at greatest occultation with the axis on the equator's plane (d = 0, so y is scaled
// by sqrt(1 - e^2)). Annular kinds cannot occur with real planets but follow the same rules.
TEST_P(GeneratorKind, FollowsTheAxisDistanceAndUmbralRadius) {
    const KindCase& c = GetParam();
    InstantElements e;
    e.x = c.x;
    e.y = c.y;
    e.d = 0.0;
    e.L1 = c.L1;
    e.L2 = c.L2;
    e.tanf2 = c.tanf2;
    e.z = c.z;
    EXPECT_EQ(ClassifyOccultation(e), c.occType);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, GeneratorKind,
    testing::Values(KindCase{"CentralTotal", 0.3, 0.2, 0.28, -0.27, 1e-5, 2},
                    KindCase{"AxisGrazesLimb", 1.0, 0.0, 0.28, -0.27, 1e-5, 2},
                    KindCase{"CentralAnnular", 0.0, 0.5, 0.3, 0.01, 1e-4, 3},
                    KindCase{"AnnularTurningTotal", 0.0, 0.1, 0.3, 0.001, 0.005, 4},
                    // y = 0.998 lies inside the unit sphere but outside the flattened Earth.
                    KindCase{"PolarMissIsNonCentral", 0.0, 0.998, 0.28, -0.27, 1e-5, 5},
                    KindCase{"NonCentralTotal", 1.2, 0.0, 0.28, -0.27, 1e-5, 5},
                    KindCase{"NonCentralAnnular", 1.005, 0.0, 0.3, 0.01, 1e-4, 6},
                    KindCase{"Partial", 1.275, 0.0, 0.28, -0.265, 1e-5, 1},
                    KindCase{"Miss", 1.3, 0.0, 0.28, -0.265, 1e-5, 0},
                    KindCase{"MoonBehindTheEarth", 0.1, 0.1, 0.28, -0.27, 1e-5, 0, -60.0}),
    [](const testing::TestParamInfo<KindCase>& p) { return p.param.name; });

}  // namespace
}  // namespace zimbalo::catalogue
