#include "astro/here_circumstances.h"

#include <cmath>

#include <gtest/gtest.h>

#include "astro/constants.h"
#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "synthetic_event.h"

namespace zimbalo::astro {
namespace {

using testing::syntheticJupiterEvent;

TEST(Azimuth, CardinalDirections) {
    const double lat = degreesToRadians(50.0);
    // On the meridian, south of the zenith; then west, north and east of it.
    EXPECT_NEAR(radiansToDegrees(Azimuth(0.0, 0.0, lat)), 180.0, 1e-9);
    EXPECT_NEAR(radiansToDegrees(Azimuth(kPi, 0.0, lat)), 0.0, 1e-9);
    EXPECT_NEAR(radiansToDegrees(Azimuth(0.5 * kPi, 0.0, 0.0)), 270.0, 1e-9);
    EXPECT_NEAR(radiansToDegrees(Azimuth(-0.5 * kPi, 0.0, 0.0)), 90.0, 1e-9);
}

// A total occultation seen from the path: the list calculation's five instants, and the
// planet's centre crossing the Moon's limb between the outer and the inner contacts, where the
// observer's distance from the axis equals the Moon's radius (half of L1' - L2').
TEST(ComputeHereCircumstances, TotalWithTheCentreInstantsInTimeOrder) {
    const BesselRecord r = syntheticJupiterEvent(2024, 180.0);
    const double deltaT = DeltaT(2024, 3);
    const HereCircumstances here = ComputeHereCircumstances(r, 10.7, -150.0, 0.0, deltaT);
    ASSERT_TRUE(here.occulted);
    EXPECT_EQ(here.typ, 't');
    ASSERT_EQ(here.contacts.size(), 7u);
    const HereInstant order[] = {
        HereInstant::First, HereInstant::CentreIn,  HereInstant::Second, HereInstant::Maximum,
        HereInstant::Third, HereInstant::CentreOut, HereInstant::Fourth};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(here.contacts[i].kind, order[i]) << i;
        if (i > 0) {
            EXPECT_GT(here.contacts[i].t, here.contacts[i - 1].t) << i;
        }
    }
    StadtType place;
    place.Breite = 10.7;
    place.Laenge = -150.0;
    ASSERT_TRUE(ComputeLocalCircumstances(r, place, deltaT, Language::English));
    EXPECT_EQ(here.contacts[0].t, place.Zeit[kFirstContact]);
    EXPECT_EQ(here.contacts[3].t, place.Zeit[kMaximum]);
    EXPECT_EQ(here.contacts[6].p, place.P[kFourthContact]);
    EXPECT_EQ(here.contacts[3].altitude, place.H[kMaximum]);
    EXPECT_NEAR(*here.duration, place.Zeit[kThirdContact] - place.Zeit[kSecondContact], 1e-12);

    const Observer o = MakeObserver(10.7, -150.0, 0.0);
    for (const std::size_t i : {1u, 5u}) {
        const ObserverState s = ObserverOnPlane(r, o, deltaT, here.contacts[i].t);
        EXPECT_NEAR(std::hypot(s.u, s.v), 0.5 * (s.L1p - s.L2p), 1e-6);
    }
    // UT and TT of an instant are Delta T apart.
    EXPECT_NEAR((here.contacts[3].jdTT - here.contacts[3].jdUT) * 86400.0, deltaT, 1e-4);
}

// The Moon 60 degrees east of the Sun: a waxing crescent a quarter lit, its bright limb towards
// the Sun in the west; moving east, it covers the planet with its dark leading limb and uncovers
// it at the bright one.
TEST(ComputeHereCircumstances, WaxingMoonTakesThePlanetAtTheDarkLimb) {
    const BesselRecord r = syntheticJupiterEvent(2024, 300.0);
    const HereCircumstances here = ComputeHereCircumstances(r, 10.7, 60.0, 0.0, DeltaT(2024, 3));
    ASSERT_TRUE(here.occulted);
    EXPECT_NEAR(here.illuminatedFraction, 0.25, 0.02);
    EXPECT_NEAR(radiansToDegrees(here.brightLimbAngle), 270.0, 10.0);
    EXPECT_EQ(here.disappearance, Limb::Dark);
    EXPECT_EQ(here.reappearance, Limb::Bright);
}

TEST(ComputeHereCircumstances, AMissGivesTheLeastDistanceOnly) {
    const BesselRecord r = syntheticJupiterEvent(2024, 350.0);
    const HereCircumstances here = ComputeHereCircumstances(r, 60.0, 10.0, 0.0, DeltaT(2024, 3));
    EXPECT_FALSE(here.occulted);
    EXPECT_TRUE(here.contacts.empty());
    EXPECT_GT(here.leastDistance, 1.0);  // farther than the Moon's radius
    EXPECT_FALSE(here.disappearance.has_value());
    const Observer o = MakeObserver(60.0, 10.0, 0.0);
    const ObserverState s = ObserverOnPlane(r, o, DeltaT(2024, 3), here.closest.t);
    EXPECT_NEAR(here.leastDistance, std::hypot(s.u, s.v) / (0.5 * (s.L1p - s.L2p)), 1e-9);
}

}  // namespace
}  // namespace zimbalo::astro
