#include "astro/path_limits.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "astro/local_circumstances.h"
#include "astro/numeric.h"
#include "astro/shadow_geometry.h"
#include "astro/time_scales.h"
#include "catalogue_event.h"
#include "synthetic_event.h"

namespace zimbalo::astro {
namespace {

using testing::DeliveredEvent;

// A central occultation of Venus with all four limits on the Earth, and a non-central one of
// Saturn (the shadow axis passes south of the Earth; only the northern limits lie on it).
BesselRecord CentralVenus() {
    return DeliveredEvent(2024, 4, 7, 2);
}

BesselRecord NonCentralSaturn() {
    return DeliveredEvent(2024, 4, 6, 5);
}

double EventDeltaT(const BesselRecord& r) {
    return DeltaT(r.Year, r.Month);
}

bool IsUmbral(PathCurve c) {
    return c == PathCurve::UmbraNorth || c == PathCurve::UmbraSouth;
}

// Local circumstances at a place at sea level; false when it sees no occultation.
bool Circumstances(const BesselRecord& r, double deltaT, double lat, double lon, StadtType& p) {
    p = StadtType{};
    p.Breite = lat;
    p.Laenge = lon;
    return ComputeLocalCircumstances(r, p, deltaT, Language::English);
}

// The place `km` kilometres from `p`, along the initial bearing `azimuth` (radians from north).
PathPoint Moved(const PathPoint& p, double azimuth, double km) {
    const double d = km / 6371.0;
    const double lat = p.latitude * kDegToRad;
    const double lon = p.longitude * kDegToRad;
    const double lat2 =
        std::asin(std::sin(lat) * std::cos(d) + std::cos(lat) * std::sin(d) * std::cos(azimuth));
    const double lon2 = lon
                        + std::atan2(std::sin(azimuth) * std::sin(d) * std::cos(lat),
                                     std::cos(d) - std::sin(lat) * std::sin(lat2));
    return {lat2 * kRadToDeg, std::remainder(lon2 * kRadToDeg, 360.0), p.t};
}

double Bearing(const PathPoint& a, const PathPoint& b) {
    const double la = a.latitude * kDegToRad;
    const double lb = b.latitude * kDegToRad;
    const double dl = (b.longitude - a.longitude) * kDegToRad;
    return std::atan2(std::sin(dl) * std::cos(lb),
                      std::cos(la) * std::sin(lb) - std::sin(la) * std::cos(lb) * std::cos(dl));
}

class RealEvents : public ::testing::TestWithParam<int> {
protected:
    BesselRecord Record() const { return GetParam() == 0 ? CentralVenus() : NonCentralSaturn(); }
};

INSTANTIATE_TEST_SUITE_P(PathLimits, RealEvents, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return std::string(p.param == 0 ? "CentralVenus" : "NonCentralSaturn");
                         });

TEST_P(RealEvents, EveryLimitPointJustSeesTheOccultation) {
    const BesselRecord r = Record();
    const double dt = EventDeltaT(r);
    const PathLimitSet set = PathLimits(r, dt);
    int checked = 0;
    for (const PathCurve c : kPathCurves) {
        if (c == PathCurve::Central) {
            continue;
        }
        for (const PathChain& chain : set.Chains(c)) {
            for (const PathPoint& p : chain) {
                StadtType place;
                ASSERT_TRUE(Circumstances(r, dt, p.latitude, p.longitude, place))
                    << PathCurveName(c) << " " << p.latitude << " " << p.longitude;
                if (IsUmbral(c)) {
                    EXPECT_EQ(place.Typ, 't') << PathCurveName(c);
                    EXPECT_GE(place.Magn, 1.0) << PathCurveName(c);
                    EXPECT_LE(place.Magn, 1.0 + kPathLimitBand) << PathCurveName(c);
                } else {
                    EXPECT_GE(place.Magn, 0.0) << PathCurveName(c);
                    EXPECT_LE(place.Magn, kPathLimitBand) << PathCurveName(c);
                }
                // The point's instant is the greatest occultation there.
                EXPECT_NEAR(place.Zeit[kMaximum], p.t, 1e-6);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
}

TEST_P(RealEvents, FiveKilometresInsideSeesAndFiveOutsideDoesNot) {
    const BesselRecord r = Record();
    const double dt = EventDeltaT(r);
    const PathLimitSet set = PathLimits(r, dt);
    int checked = 0;
    for (const PathCurve c : {PathCurve::PenumbraNorth, PathCurve::PenumbraSouth}) {
        const double towardsAxis = c == PathCurve::PenumbraNorth ? 1.0 : -1.0;
        for (const PathChain& chain : set.Chains(c)) {
            for (std::size_t i = 1; i + 1 < chain.size(); i += 5) {
                const PathPoint& p = chain[i];
                StadtType here;
                ASSERT_TRUE(Circumstances(r, dt, p.latitude, p.longitude, here));
                if (here.H[kMaximum] < 5.0 * kDegToRad) {
                    continue;  // near the limb a step on the ground barely moves the shadow
                }
                // The chain runs eastwards; the axis lies to its right for the northern limit.
                const double along = Bearing(chain[i - 1], chain[i + 1]);
                const PathPoint inside = Moved(p, along + towardsAxis * kPi / 2.0, 5.0);
                const PathPoint outside = Moved(p, along - towardsAxis * kPi / 2.0, 5.0);
                StadtType place;
                EXPECT_TRUE(Circumstances(r, dt, inside.latitude, inside.longitude, place))
                    << PathCurveName(c) << " " << p.latitude << " " << p.longitude;
                EXPECT_FALSE(Circumstances(r, dt, outside.latitude, outside.longitude, place))
                    << PathCurveName(c) << " " << p.latitude << " " << p.longitude;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 20);
}

// Signed distance on the fundamental plane at the point's instant from the shadow axis,
// positive on the left of the motion.
double AcrossTrack(const BesselRecord& r, double dt, const PathPoint& p) {
    const ElementSet e = EvaluateElements(r, p.t);
    const PlanePoint q = PlaceToFundamental(p.latitude * kDegToRad, p.longitude * kDegToRad, e, dt);
    return (e.xDot * (q.eta - e.y) - e.yDot * (q.xi - e.x)) / std::hypot(e.xDot, e.yDot);
}

TEST_P(RealEvents, CurvesKeepTheirOrderAcrossThePath) {
    const BesselRecord r = Record();
    const double dt = EventDeltaT(r);
    const PathLimitSet set = PathLimits(r, dt);
    // From north to south; at any instant the points that lie on the Earth come in this order.
    const PathCurve order[] = {PathCurve::PenumbraNorth, PathCurve::UmbraNorth, PathCurve::Central,
                               PathCurve::UmbraSouth, PathCurve::PenumbraSouth};
    int instants = 0;
    for (const PathCurve c : kPathCurves) {
        for (const PathChain& chain : set.Chains(c)) {
            for (std::size_t i = 0; i < chain.size(); i += 7) {
                const double t = chain[i].t;
                double previous = HUGE_VAL;
                int present = 0;
                for (const PathCurve o : order) {
                    const auto p = PathPointAt(r, dt, o, t);
                    if (!p) {
                        continue;
                    }
                    const double across = AcrossTrack(r, dt, *p);
                    EXPECT_LT(across, previous) << PathCurveName(o) << " at t = " << t;
                    previous = across;
                    ++present;
                }
                instants += present >= 2 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(instants, 50);
}

TEST_P(RealEvents, ChainsEndOnTheLimb) {
    const BesselRecord r = Record();
    const double dt = EventDeltaT(r);
    const PathLimitSet set = PathLimits(r, dt);
    for (const PathCurve c : kPathCurves) {
        for (const PathChain& chain : set.Chains(c)) {
            ASSERT_GE(chain.size(), 2u);
            for (const PathPoint* p : {&chain.front(), &chain.back()}) {
                // The planet stands on the horizon where a curve leaves the visible side.
                StadtType place;
                ASSERT_TRUE(Circumstances(r, dt, p->latitude, p->longitude, place));
                EXPECT_NEAR(place.H[kMaximum], 0.0, 0.5 * kDegToRad) << PathCurveName(c);
            }
        }
    }
}

// Distance in km from q to the great-circle arc from a to b, and to the segment from a to b
// drawn straight in longitude and latitude (both on a sphere of 6378 km).
struct SegmentDistances {
    double arc;
    double lonLat;
};

SegmentDistances DistancesToSegment(const PathPoint& a, const PathPoint& b, const PathPoint& q) {
    constexpr double kR = 6378.0;
    const auto distanceKm = [&](double lat, double lon) {
        return AngularDistance(q.longitude * kDegToRad, q.latitude * kDegToRad, lon * kDegToRad,
                               lat * kDegToRad)
               * kR;
    };
    const double la = a.latitude * kDegToRad;
    const double oa = a.longitude * kDegToRad;
    const double lb = b.latitude * kDegToRad;
    const double ob = b.longitude * kDegToRad;
    const double ab = AngularDistance(oa, la, ob, lb);
    const double lonB = a.longitude + std::remainder(b.longitude - a.longitude, 360.0);
    // The great circle by spherical interpolation of the unit vectors.
    const auto onArc = [&](double f) {
        double w1 = 1.0 - f;
        double w2 = f;
        if (ab > 1e-12) {
            w1 = std::sin((1.0 - f) * ab) / std::sin(ab);
            w2 = std::sin(f * ab) / std::sin(ab);
        }
        const double x = w1 * std::cos(la) * std::cos(oa) + w2 * std::cos(lb) * std::cos(ob);
        const double y = w1 * std::cos(la) * std::sin(oa) + w2 * std::cos(lb) * std::sin(ob);
        const double z = w1 * std::sin(la) + w2 * std::sin(lb);
        return distanceKm(std::atan2(z, std::hypot(x, y)) * kRadToDeg,
                          std::atan2(y, x) * kRadToDeg);
    };
    const auto onLonLat = [&](double f) {
        return distanceKm(a.latitude + f * (b.latitude - a.latitude),
                          a.longitude + f * (lonB - a.longitude));
    };
    // Both by sampling the segment, coarsely and then finely around the nearest sample: simple,
    // and independent of the library's own measure.
    const auto nearest = [](const auto& distance) {
        constexpr int kCoarse = 20;
        int best = 0;
        for (int k = 1; k <= kCoarse; ++k) {
            if (distance(static_cast<double>(k) / kCoarse) < distance(best / double{kCoarse})) {
                best = k;
            }
        }
        double d = HUGE_VAL;
        for (int k = -kCoarse; k <= kCoarse; ++k) {
            const double f = (best + k / double{kCoarse}) / kCoarse;
            if (f >= 0.0 && f <= 1.0) {
                d = std::fmin(d, distance(f));
            }
        }
        return d;
    };
    return {nearest(onArc), nearest(onLonLat)};
}

TEST_P(RealEvents, StraightSegmentsStayWithinOneKilometreOfTheCurve) {
    const BesselRecord r = Record();
    const double dt = EventDeltaT(r);
    const PathLimitSet set = PathLimits(r, dt);
    double worst = 0.0;
    int samples = 0;
    int missing = 0;
    for (const PathCurve c : kPathCurves) {
        for (const PathChain& chain : set.Chains(c)) {
            for (std::size_t i = 1; i < chain.size(); ++i) {
                const PathPoint& a = chain[i - 1];
                const PathPoint& b = chain[i];
                for (int k = 1; k < 6; ++k) {
                    // Near the limb a limit can turn back in time, so that one instant has two
                    // points and an instant of this segment may belong to the next one: the true
                    // point is measured against this segment and its neighbours.
                    const double t = a.t + (b.t - a.t) * k / 6.0;
                    auto q = PathPointAt(r, dt, c, t, &a);
                    if (!q) {
                        q = PathPointAt(r, dt, c, t, &b);
                    }
                    ++samples;
                    if (!q) {
                        ++missing;
                        continue;
                    }
                    const SegmentDistances own = DistancesToSegment(a, b, *q);
                    double nearest = std::fmax(own.arc, own.lonLat);
                    for (std::size_t j = std::max<std::size_t>(i, 2) - 1;
                         nearest > 1.0 && j <= std::min(i + 1, chain.size() - 1); ++j) {
                        const SegmentDistances d = DistancesToSegment(chain[j - 1], chain[j], *q);
                        nearest = std::fmin(nearest, std::fmax(d.arc, d.lonLat));
                    }
                    worst = std::fmax(worst, nearest);
                }
            }
        }
    }
    EXPECT_LE(worst, 1.0);
    EXPECT_LT(missing, samples / 100);
}

TEST(PathLimits, PartialOccultationHasOnlyOnePenumbralLimit) {
    // The Moon's southern limb grazes Jupiter over the southern hemisphere.
    const BesselRecord r = DeliveredEvent(2031, 2, 16, 4);
    ASSERT_EQ(r.OccType, 1);
    const PathLimitSet set = PathLimits(r, EventDeltaT(r));
    EXPECT_TRUE(set.Chains(PathCurve::Central).empty());
    EXPECT_TRUE(set.Chains(PathCurve::PenumbraNorth).empty());
    EXPECT_EQ(set.Chains(PathCurve::PenumbraSouth).size(), 1u);
    EXPECT_TRUE(set.Chains(PathCurve::UmbraNorth).empty());
    EXPECT_TRUE(set.Chains(PathCurve::UmbraSouth).empty());
}

TEST(PathLimits, DeltaTTurnsTheCurvesWithTheEarth) {
    const BesselRecord r = CentralVenus();
    const double dt = EventDeltaT(r);
    for (const PathCurve c : kPathCurves) {
        const auto tt = PathPointAt(r, 0.0, c, 0.2);
        const auto ut = PathPointAt(r, dt, c, 0.2);
        ASSERT_TRUE(tt && ut) << PathCurveName(c);
        EXPECT_NEAR(ut->latitude, tt->latitude, 1e-9);
        EXPECT_NEAR(
            std::remainder(ut->longitude - tt->longitude - earth::kRotationPerSecond * dt, 360.0),
            0.0, 1e-9);
    }
}

TEST(PathLimits, StillEarthGivesTheClosedFormLimits) {
    // The Earth does not turn and the axis points at the equator (d = 0, mu = 0): the shadow
    // moves along x at 0.5 Earth radii per hour with y = 0.1, so the place at the northern limit
    // has eta = 0.1 + L1 (less the tiny depth) and xi = x(t), and the chain runs between the
    // instants at which xi reaches the Earth's outline.
    const BesselRecord r = testing::SyntheticEvent(0.5, 0.1, 0.3, -0.28);
    const PathLimitSet set = PathLimits(r, 0.0);

    const struct {
        PathCurve curve;
        double eta;
    } cases[] = {
        {PathCurve::PenumbraNorth, 0.1 + 0.3 - kPathLimitDepth * 0.02},
        {PathCurve::PenumbraSouth, 0.1 - 0.3 + kPathLimitDepth * 0.02},
        {PathCurve::UmbraNorth, 0.1 + 0.28 - kPathLimitDepth * 0.02},
        {PathCurve::UmbraSouth, 0.1 - 0.28 + kPathLimitDepth * 0.02},
        {PathCurve::Central, 0.1},
    };

    for (const auto& c : cases) {
        ASSERT_EQ(set.Chains(c.curve).size(), 1u) << PathCurveName(c.curve);
        const PathChain& chain = set.Chains(c.curve)[0];
        // eta = 0.99664719 sin u, tan(latitude) = tan(u) / 0.99664719 on the ellipsoid.
        const double u = std::asin(c.eta / earth::kAxisRatio);
        const double lat = std::atan(std::tan(u) / earth::kAxisRatio) * kRadToDeg;
        for (const PathPoint& p : chain) {
            EXPECT_NEAR(p.latitude, lat, 1e-7) << PathCurveName(c.curve);
            // xi = cos u sin(longitude) = 0.5 t (the axis point rounds its figure constants to
            // eight digits, 1e-9 apart).
            EXPECT_NEAR(std::cos(u) * std::sin(p.longitude * kDegToRad), 0.5 * p.t, 1e-8)
                << PathCurveName(c.curve);
        }
        EXPECT_NEAR(chain.front().t, -2.0 * std::cos(u), 1e-6) << PathCurveName(c.curve);
        EXPECT_NEAR(chain.back().t, 2.0 * std::cos(u), 1e-6) << PathCurveName(c.curve);
    }
}

TEST(PathLimits, CurveNamesForExport) {
    EXPECT_STREQ(PathCurveName(PathCurve::Central), "central");
    EXPECT_STREQ(PathCurveName(PathCurve::PenumbraNorth), "penumbra-north");
    EXPECT_STREQ(PathCurveName(PathCurve::PenumbraSouth), "penumbra-south");
    EXPECT_STREQ(PathCurveName(PathCurve::UmbraNorth), "umbra-north");
    EXPECT_STREQ(PathCurveName(PathCurve::UmbraSouth), "umbra-south");
}

}  // namespace
}  // namespace zimbalo::astro
