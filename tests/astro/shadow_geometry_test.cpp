#include "astro/shadow_geometry.h"

#include <cmath>

#include <gtest/gtest.h>

#include "astro/numeric.h"
#include "synthetic_event.h"

namespace zimbalo::astro {
namespace {

using testing::SyntheticEvent;

ElementSet Elements(double x, double y, double dDeg, double muDeg) {
    ElementSet e;
    e.x = x;
    e.y = y;
    e.d = dDeg * kDegToRad;
    e.mu = muDeg * kDegToRad;
    e.sind = std::sin(e.d);
    e.cosd = std::cos(e.d);
    return e;
}

TEST(AxisOnEarth, LimbCountsAsMeeting) {
    const AxisHit limb = AxisOnEarth(Elements(1.0, 0.0, 0.0, 0.0));
    EXPECT_TRUE(limb.onEarth);
    EXPECT_EQ(limb.zeta, 0.0);
    EXPECT_FALSE(AxisOnEarth(Elements(1.0000001, 0.0, 0.0, 0.0)).onEarth);
    EXPECT_EQ(AxisOnEarth(Elements(1.0000001, 0.0, 0.0, 0.0)).zeta, 0.0);
    // Seen from the equatorial plane the Earth is flattened: y = 0.998 misses, the pole is at
    // y = 0.99664719.
    EXPECT_FALSE(AxisOnEarth(Elements(0.0, 0.998, 0.0, 0.0)).onEarth);
    EXPECT_TRUE(AxisOnEarth(Elements(0.0, 0.9966, 0.0, 0.0)).onEarth);
    EXPECT_DOUBLE_EQ(AxisOnEarth(Elements(0.6, 0.0, 90.0, 0.0)).zeta, 0.8);
}

TEST(AxisPoint, CentreLimbAndLongitudeWrap) {
    GeoRadians p = AxisPoint(Elements(0.0, 0.0, 0.0, 0.0), 1.0, 0.0);
    EXPECT_NEAR(p.latitude, 0.0, 1e-15);
    EXPECT_NEAR(p.longitude, 0.0, 1e-15);
    // Hour angle 30 degrees west of Greenwich: the axis point lies 30 degrees west.
    p = AxisPoint(Elements(0.0, 0.0, 0.0, 30.0), 1.0, 0.0);
    EXPECT_NEAR(p.longitude * kRadToDeg, -30.0, 1e-12);
    // Exactly pi becomes -pi; -pi stays.
    p = AxisPoint(Elements(0.0, 0.0, 0.0, -180.0), 1.0, 0.0);
    EXPECT_DOUBLE_EQ(p.longitude, -kPi);
    p = AxisPoint(Elements(0.0, 0.0, 0.0, 180.0), 1.0, 0.0);
    EXPECT_DOUBLE_EQ(p.longitude, -kPi);
    // Delta T turns the Earth under the shadow: 3600 s = 15.041 degrees east.
    p = AxisPoint(Elements(0.0, 0.0, 0.0, 0.0), 1.0, 3600.0);
    EXPECT_NEAR(p.longitude * kRadToDeg, 0.00417807 * 3600.0, 1e-12);
    // Axis towards the north pole through the plane's centre: latitude 90.
    p = AxisPoint(Elements(0.0, 0.0, 90.0, 0.0), 1.0, 0.0);
    EXPECT_NEAR(p.latitude * kRadToDeg, 90.0, 1e-6);
    // Point at x = sin 40 on the equator, planet over the equator: longitude 40 E... of the axis
    // meridian, i.e. 40 degrees east when mu = 0.
    const double x = std::sin(40.0 * kDegToRad);
    const AxisHit hit = AxisOnEarth(Elements(x, 0.0, 0.0, 0.0));
    p = AxisPoint(Elements(x, 0.0, 0.0, 0.0), hit.zeta, 0.0);
    // The rounded figure constants (0.99664719 against sqrt(1 - e^2)) leave 1e-7 degrees.
    EXPECT_NEAR(p.longitude * kRadToDeg, 40.0, 1e-6);
    EXPECT_NEAR(p.latitude, 0.0, 1e-12);
}

TEST(PlaceToFundamental, InverseOfAxisPoint) {
    for (double lat = -80.0; lat <= 80.0; lat += 20.0) {
        for (double lon = -170.0; lon <= 170.0; lon += 34.0) {
            const ElementSet e = Elements(0.0, 0.0, 23.0, 47.0);
            const PlanePoint pp = PlaceToFundamental(lat * kDegToRad, lon * kDegToRad, e, 64.0);
            ElementSet at = e;
            at.x = pp.xi;
            at.y = pp.eta;
            const AxisHit hit = AxisOnEarth(at);
            // Only the near side of the Earth maps back: skip places the axis does not face.
            const double h = e.mu + lon * kDegToRad - 0.00417807 * 64.0 * kDegToRad;
            const double zetaOfPlace = std::sin(lat * kDegToRad) * e.sind
                                       + std::cos(lat * kDegToRad) * std::cos(h) * e.cosd;
            if (!hit.onEarth || zetaOfPlace < 0.1) {
                continue;
            }
            const GeoRadians back = AxisPoint(at, hit.zeta, 64.0);
            // Within a metre: the rounded figure constants leave a few 1e-6 degrees.
            EXPECT_NEAR(back.latitude * kRadToDeg, lat, 1e-5) << lat << " " << lon;
            EXPECT_NEAR(std::remainder(back.longitude * kRadToDeg - lon, 360.0), 0.0, 1e-5);
        }
    }
}

TEST(CentralCircumstances, SyntheticCentralEvent) {
    // Axis crosses the centre of the Earth at t = 0, 0.5 Earth radii per hour, umbra 0.05.
    const BesselRecord r = SyntheticEvent(0.5, 0.0, 0.6, -0.05);
    const auto c = CentralCircumstances(r, 0.0, 0.0, 2451545.0);
    ASSERT_TRUE(c.has_value());
    EXPECT_NEAR(c->latitude, 0.0, 1e-15);
    EXPECT_NEAR(c->longitude, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(c->L2prime, -0.05);
    EXPECT_NEAR(c->durationSeconds, 720.0, 1e-6);  // 0.1 Earth radii at 0.5 per hour
    EXPECT_NEAR(c->planetAltitude, kPi / 2.0, 1e-12);
    // At noon UT on 1 January the Sun stands over longitude ~0: altitude about 90 - 23 degrees.
    EXPECT_NEAR(c->sunAltitude * kRadToDeg, 90.0 - 23.0, 1.0);
    // An annular phase has a positive L2' and the same duration for the same size.
    const auto a = CentralCircumstances(SyntheticEvent(0.5, 0.0, 0.6, 0.05), 0.0, 0.0, 2451545.0);
    ASSERT_TRUE(a.has_value());
    EXPECT_GT(a->L2prime, 0.0);
    EXPECT_NEAR(a->durationSeconds, c->durationSeconds, 1e-9);
    EXPECT_FALSE(CentralCircumstances(r, 2.5, 0.0, 2451545.0).has_value());  // x = 1.25
}

TEST(SubPlanetaryPoint, FollowsAxisDirection) {
    const GeoDegrees p = SubPlanetaryPoint(Elements(0.0, 0.0, -12.5, 100.0), 0.0);
    EXPECT_NEAR(p.latitude, -12.5, 1e-12);
    EXPECT_NEAR(p.longitude, -100.0, 1e-12);
    EXPECT_NEAR(SubPlanetaryPoint(Elements(0.0, 0.0, 0.0, 100.0), 60.0).longitude,
                -100.0 + 0.00417807 * 60.0, 1e-12);
}

TEST(MotionAngle, DirectionOfRates) {
    ElementSet e;
    e.xDot = 0.0;
    e.yDot = -1.0;
    EXPECT_DOUBLE_EQ(MotionAngle(e), -kPi / 2.0);
}

TEST(AxisContactTimes, StraightTrackAcrossTheEarth) {
    // Equatorial crossing at 0.5 Earth radii per hour: the axis is on the Earth from -2 h to 2 h.
    const auto c = AxisContactTimes(SyntheticEvent(0.5, 0.0, 0.6, -0.05));
    ASSERT_TRUE(c.has_value());
    EXPECT_NEAR(c->first, -2.0, 1e-12);
    EXPECT_NEAR(c->last, 2.0, 1e-12);
    // Offset track: the flattened outline makes the chord a little shorter than a circle's.
    const auto off = AxisContactTimes(SyntheticEvent(0.5, 0.6, 0.6, -0.05));
    ASSERT_TRUE(off.has_value());
    const double y1 = 0.6 / 0.99664719;
    EXPECT_NEAR(off->last, 2.0 * std::sqrt(1.0 - y1 * y1), 1e-8);
    EXPECT_NEAR(off->first, -off->last, 1e-12);
    // A track that passes outside the Earth has no contacts.
    EXPECT_FALSE(AxisContactTimes(SyntheticEvent(0.5, 1.2, 0.6, -0.05)).has_value());
}

}  // namespace
}  // namespace zimbalo::astro
