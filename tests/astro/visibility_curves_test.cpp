#include "astro/visibility_curves.h"

#include <cmath>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "astro/constants.h"
#include "astro/local_circumstances.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"
#include "catalogue_event.h"

namespace zimbalo::astro {
namespace {

using testing::DeliveredEvent;

struct EventCase {
    const char* name;
    int year, month, day, planet;
};

void PrintTo(const EventCase& c, std::ostream* os) {
    *os << c.name;
}

class VisibilityCurvesOf : public ::testing::TestWithParam<EventCase> {};

// Every point is checked with the local circumstances of the place at sea level: a contour's
// contact within 2 s of its label, a horizon point's planet altitude and a twilight point's Sun
// altitude within 0.05 degree of their values; the planet is up on a contour. Consecutive
// points stay close on the Earth, also across the 180th meridian and near the poles (a horizon
// curve, which runs along the Earth's limb as seen from the planet, moves fastest and keeps the
// widest gaps).
TEST_P(VisibilityCurvesOf, EveryPointMeetsItsDefinition) {
    const EventCase& c = GetParam();
    const BesselRecord r = DeliveredEvent(c.year, c.month, c.day, c.planet);
    const double deltaT = DeltaT(r.Year, r.Month);
    const VisibilityCurveSet set = VisibilityCurves(r, deltaT);
    int counts[3][2] = {};
    int endsAtLimit = 0;
    for (const VisibilityCurve& curve : set.curves) {
        ASSERT_GE(curve.points.size(), 2u);
        ++counts[static_cast<int>(curve.kind)][static_cast<int>(curve.contact)];
        const std::size_t contact =
            curve.contact == ContactKind::D ? kFirstContact : kFourthContact;
        for (std::size_t i = 0; i < curve.points.size(); ++i) {
            const CurvePoint& p = curve.points[i];
            SCOPED_TRACE(std::string(VisibilityCurveKindName(curve.kind)) + " "
                         + ContactKindName(curve.contact) + " point " + std::to_string(i) + " at "
                         + std::to_string(p.latitude) + ", " + std::to_string(p.longitude));
            StadtType place;
            place.Breite = p.latitude;
            place.Laenge = p.longitude;
            ASSERT_TRUE(ComputeLocalCircumstances(r, place, deltaT, Language::English));
            const double when = place.Zeit[contact];
            switch (curve.kind) {
                case VisibilityCurveKind::Contour:
                    EXPECT_NEAR(when, curve.t, 2.0 / 3600.0);
                    EXPECT_GT(place.H[contact] * kRadToDeg, -0.05);
                    break;
                case VisibilityCurveKind::Horizon:
                    EXPECT_NEAR(place.H[contact] * kRadToDeg, 0.0, 0.05);
                    break;
                case VisibilityCurveKind::Twilight:
                    EXPECT_GT(place.H[contact] * kRadToDeg, -0.05);
                    EXPECT_NEAR(SunAltitudeAt(r, deltaT, when, p.latitude, p.longitude) * kRadToDeg,
                                curve.sunAltitude, 0.05);
                    break;
            }
            if (i > 0) {
                const CurvePoint& q = curve.points[i - 1];
                EXPECT_LT(AngularDistance(q.longitude * kDegToRad, q.latitude * kDegToRad,
                                          p.longitude * kDegToRad, p.latitude * kDegToRad)
                              * 6378.0,
                          curve.kind == VisibilityCurveKind::Horizon ? 600.0 : 200.0);
            }
            const bool end = i == 0 || i + 1 == curve.points.size();
            if (end && curve.kind == VisibilityCurveKind::Contour && place.Magn < 1e-3) {
                ++endsAtLimit;
            }
        }
    }
    // Contours of both contacts, and contours that reach the penumbral limits.
    EXPECT_GT(counts[0][0], 0);
    EXPECT_GT(counts[0][1], 0);
    EXPECT_GT(endsAtLimit, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Events, VisibilityCurvesOf,
    ::testing::Values(EventCase{"central Venus in daylight", 2024, 4, 7, 2},
                      EventCase{"Jupiter near the north pole", 1980, 3, 28, 4},
                      EventCase{"Saturn across the 180th meridian", 1980, 1, 8, 5},
                      EventCase{"short grazing Jupiter", 2001, 5, 24, 4},
                      // Contours whose first points lay beyond the limit for longer than the
                      // stretch the ends are checked over.
                      EventCase{"Uranus, contours reaching far beyond the limit", 2006, 6, 17, 6},
                      EventCase{"Saturn, contours reaching far beyond the limit", 2007, 8, 13, 5}),
    [](const ::testing::TestParamInfo<EventCase>& event) {
        return std::to_string(event.param.year) + "_" + std::to_string(event.param.month) + "_"
               + std::to_string(event.param.day) + "_" + std::to_string(event.param.planet);
    });

// The kinds of curve of a long central event, and the contours' labels: whole UT minutes every
// 10 minutes (every 5 for an event of less than two hours).
TEST(VisibilityCurves, KindsAndLabels) {
    const BesselRecord r = DeliveredEvent(2024, 4, 7, 2);
    const double deltaT = DeltaT(r.Year, r.Month);
    const VisibilityCurveSet set = VisibilityCurves(r, deltaT);
    EXPECT_EQ(set.contourStepMinutes, 10.0);
    bool horizon = false;
    bool twilight[2] = {};
    for (const VisibilityCurve& c : set.curves) {
        if (c.kind == VisibilityCurveKind::Contour) {
            const double minutes = (r.T0Hour - deltaT / 3600.0 + c.t) * 60.0;
            EXPECT_NEAR(std::remainder(minutes, 10.0), 0.0, 1e-6);
        }
        horizon = horizon || c.kind == VisibilityCurveKind::Horizon;
        if (c.kind == VisibilityCurveKind::Twilight) {
            twilight[c.sunAltitude == 0.0 ? 0 : 1] = true;
            EXPECT_TRUE(c.sunAltitude == 0.0 || c.sunAltitude == kDarkSunAltitude);
        }
    }
    EXPECT_TRUE(horizon);
    EXPECT_TRUE(twilight[0] && twilight[1]);
    EXPECT_EQ(VisibilityCurves(DeliveredEvent(2001, 5, 24, 4), 0.0).contourStepMinutes, 5.0);
}

}  // namespace
}  // namespace zimbalo::astro
