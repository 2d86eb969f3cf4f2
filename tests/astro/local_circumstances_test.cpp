#include "astro/local_circumstances.h"

#include <cmath>
#include <optional>

#include <gtest/gtest.h>

#include "astro/numeric.h"
#include "astro/time_scales.h"
#include "synthetic_event.h"

namespace zimbalo::astro {
namespace {

using testing::SyntheticEvent;

// The elements of these events keep the Earth still (mu and d constant), so an observer at
// latitude 0, longitude 0 sits at the origin of the fundamental plane with zeta = 1, the planet in
// the zenith, and every contact follows from the straight track x = 0.5 t, y = y0.
StadtType Equator() {
    StadtType p;
    p.Land = "Testland";
    p.Stadt = "Null";
    return p;
}

constexpr double kTol = 1e-6;  // hours: the iterations stop below this correction

TEST(ComputeLocalCircumstances, CentralTotal) {
    StadtType p = Equator();
    ASSERT_TRUE(
        ComputeLocalCircumstances(SyntheticEvent(0.5, 0.0, 0.6, -0.05), p, 0.0, Language::English));
    EXPECT_EQ(p.Typ, 't');
    EXPECT_DOUBLE_EQ(p.Magn, 0.6 / 0.55);
    EXPECT_NEAR(p.Zeit[kFirstContact], -1.2, kTol);
    EXPECT_NEAR(p.Zeit[kSecondContact], -0.1, kTol);
    EXPECT_NEAR(p.Zeit[kMaximum], 0.0, kTol);
    EXPECT_NEAR(p.Zeit[kThirdContact], 0.1, kTol);
    EXPECT_NEAR(p.Zeit[kFourthContact], 1.2, kTol);
    // The axis comes from the west (u < 0): first contact at 270 degrees, last at 90; the inner
    // contacts of a total occultation are turned by 180 degrees.
    EXPECT_NEAR(p.P[kFirstContact], 1.5 * kPi, 1e-9);
    EXPECT_NEAR(p.P[kFourthContact], 0.5 * kPi, 1e-9);
    EXPECT_NEAR(p.P[kSecondContact], 0.5 * kPi, 1e-9);
    EXPECT_NEAR(p.P[kThirdContact], 1.5 * kPi, 1e-9);
    for (std::size_t i = 1; i <= 5; ++i) {
        EXPECT_NEAR(p.H[i], kPi / 2.0, 1e-9) << i;  // planet in the zenith
    }
    EXPECT_TRUE(IsVisible(p));
}

TEST(ComputeLocalCircumstances, AnnularCodeFollowsLanguageAndContactsAreNotTurned) {
    const BesselRecord annular = SyntheticEvent(0.5, 0.0, 0.6, 0.05);
    StadtType de = Equator();
    StadtType fr = Equator();
    ASSERT_TRUE(ComputeLocalCircumstances(annular, de, 0.0, Language::German));
    ASSERT_TRUE(ComputeLocalCircumstances(annular, fr, 0.0, Language::French));
    EXPECT_EQ(de.Typ, 'r');
    EXPECT_EQ(fr.Typ, 'a');
    EXPECT_NEAR(de.Zeit[kSecondContact], -0.1, kTol);
    EXPECT_NEAR(de.Zeit[kThirdContact], 0.1, kTol);
    EXPECT_NEAR(de.P[kSecondContact], 1.5 * kPi, 1e-9);
    EXPECT_NEAR(de.P[kThirdContact], 0.5 * kPi, 1e-9);
}

TEST(ComputeLocalCircumstances, PartialLeavesInnerContactsUncomputed) {
    StadtType p = Equator();
    p.Zeit[kSecondContact] = 42.0;  // older values stay where nothing is computed
    ASSERT_TRUE(
        ComputeLocalCircumstances(SyntheticEvent(0.5, 0.3, 0.6, -0.05), p, 0.0, Language::German));
    EXPECT_EQ(p.Typ, 'p');
    EXPECT_NEAR(p.Magn, 0.3 / 0.55, 1e-12);
    EXPECT_EQ(p.H[kSecondContact], kNotComputed);
    EXPECT_EQ(p.H[kThirdContact], kNotComputed);
    // Read through the record's edge: nothing there, an altitude where computed.
    EXPECT_EQ(planetAltitude(p, kSecondContact), std::nullopt);
    EXPECT_FALSE(planetAboveHorizon(p, kThirdContact));
    ASSERT_TRUE(planetAltitude(p, kMaximum).has_value());
    EXPECT_EQ(*planetAltitude(p, kMaximum), p.H[kMaximum]);
    EXPECT_TRUE(planetAboveHorizon(p, kMaximum));
    EXPECT_EQ(p.Zeit[kSecondContact], 42.0);
    const double half = std::sqrt(0.6 * 0.6 - 0.3 * 0.3) / 0.5;
    EXPECT_NEAR(p.Zeit[kFirstContact], -half, kTol);
    EXPECT_NEAR(p.Zeit[kFourthContact], half, kTol);
    EXPECT_NEAR(p.P[kMaximum], 0.0, 1e-9);  // axis due north of the observer
    EXPECT_NEAR(p.P[kFirstContact], 2.0 * kPi - std::atan2(std::sqrt(0.27), 0.3), 1e-6);
}

TEST(ComputeLocalCircumstances, PlaceAtTheLimit) {
    StadtType p = Equator();
    ASSERT_TRUE(
        ComputeLocalCircumstances(SyntheticEvent(0.5, 0.6, 0.6, -0.05), p, 0.0, Language::German));
    EXPECT_EQ(p.Magn, 0.0);
    EXPECT_EQ(p.Typ, 'p');
    EXPECT_NEAR(p.Zeit[kFirstContact], 0.0, kTol);
    EXPECT_NEAR(p.Zeit[kFourthContact], 0.0, kTol);

    StadtType outside = Equator();
    outside.Magn = 7.0;
    EXPECT_FALSE(ComputeLocalCircumstances(SyntheticEvent(0.5, 0.6000001, 0.6, -0.05), outside, 0.0,
                                           Language::German));
    EXPECT_EQ(outside.Magn, 7.0);
    EXPECT_EQ(outside.H[kMaximum], kNotComputed);
}

TEST(ComputeLocalCircumstances, NoRelativeMotionIsNoOccultation) {
    StadtType p = Equator();
    EXPECT_FALSE(
        ComputeLocalCircumstances(SyntheticEvent(0.0, 0.0, 0.6, -0.05), p, 0.0, Language::German));
}

TEST(ComputeLocalCircumstances, AltitudeAndUppermostPointOffTheEquator) {
    // Observer at 30 N under a planet on the celestial equator at transit: altitude 60 degrees.
    const ObserverConstantsResult rho = ObserverConstants(30.0 * kDegToRad, 0.0);
    StadtType p = Equator();
    p.Breite = 30.0;
    ASSERT_TRUE(ComputeLocalCircumstances(SyntheticEvent(0.5, rho.rhoSinPhi, 0.6, -0.05), p, 0.0,
                                          Language::German));
    EXPECT_NEAR(p.H[kMaximum] * kRadToDeg, 60.0, 1e-7);
    // On the meridian the uppermost point is the north point: V equals P.
    EXPECT_NEAR(p.V[kFirstContact], p.P[kFirstContact], 1e-7);
    EXPECT_NEAR(p.Magn, 0.6 / 0.55, 1e-9);
}

TEST(ComputeLocalCircumstances, ContactsLieOnTheConesForARealisticEvent) {
    // A moving, turning shadow over Basel; the contacts must satisfy the contact conditions.
    const Observer basel = MakeObserver(47.5583, 7.5733, 260.0);
    BesselRecord r = SyntheticEvent(0.55, 0.0, 0.2727, -0.2722, 15.0, 100.0, 15.0041);
    r.coef[kD][1] = -0.004;
    r.coef[kY][1] = 0.12;
    r.coef[kX][2] = 1e-4;
    r.coef[kTanF1] = {4.6e-6, 0.0, 0.0, 0.0};
    r.coef[kTanF2] = {4.5e-6, 0.0, 0.0, 0.0};
    const ObserverState at0 = ObserverOnPlane(r, basel, 64.0, 0.0);
    r.coef[kX][0] = at0.xi + 0.01;
    r.coef[kY][0] = at0.eta - 0.02;

    StadtType p;
    p.Breite = 47.5583;
    p.Laenge = 7.5733;
    p.Hoehe = 260;
    ASSERT_TRUE(ComputeLocalCircumstances(r, p, 64.0, Language::German));
    EXPECT_EQ(p.Typ, 't');
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_LT(p.Zeit[i], p.Zeit[i + 1]) << i;
    }
    const auto distance = [&](double t) {
        const ObserverState s = ObserverOnPlane(r, basel, 64.0, t);
        return std::make_pair(std::hypot(s.u, s.v), s);
    };
    // The iterations stop once a correction is below 1e-6 h: the distance is then right to about
    // that many hours of relative motion.
    const double slack = 2e-6 * 0.6;
    for (std::size_t i : {kFirstContact, kFourthContact}) {
        const auto [m, s] = distance(p.Zeit[i]);
        EXPECT_NEAR(m, s.L1p, slack) << i;
    }
    for (std::size_t i : {kSecondContact, kThirdContact}) {
        const auto [m, s] = distance(p.Zeit[i]);
        EXPECT_NEAR(m, -s.L2p, slack) << i;
    }
    const double h = 1e-4;
    EXPECT_LT(distance(p.Zeit[kMaximum]).first, distance(p.Zeit[kMaximum] - h).first);
    EXPECT_LT(distance(p.Zeit[kMaximum]).first, distance(p.Zeit[kMaximum] + h).first);
}

TEST(ContactUT, AppliesDeltaTAndCrossesMidnight) {
    BesselRecord r = SyntheticEvent(0.5, 0.0, 0.6, -0.05);
    EXPECT_DOUBLE_EQ(ContactUT(r, 64.0, 0.0), 2451545.0 - 64.0 / 86400.0);
    r.T0Hour = 23;
    const CalendarDate c = JDToCalendar(ContactUT(r, 0.0, 1.5));
    EXPECT_EQ(c.day, 2);
    EXPECT_EQ(c.hour, 0.0);
    EXPECT_EQ(c.minute, 30.0);
}

TEST(FillSunAltitudes, OnlyWherePlanetIsUp) {
    StadtType p = Equator();
    ASSERT_TRUE(
        ComputeLocalCircumstances(SyntheticEvent(0.5, 0.3, 0.6, -0.05), p, 0.0, Language::German));
    p.S.fill(123.0);
    p.H[kFourthContact] = -0.1;
    FillSunAltitudes(SyntheticEvent(0.5, 0.3, 0.6, -0.05), 0.0, p);
    EXPECT_EQ(p.S[kSecondContact], 123.0);
    EXPECT_EQ(p.S[kFourthContact], 123.0);
    EXPECT_NEAR(p.S[kMaximum] * kRadToDeg, 67.0, 1.0);  // noon sun on 1 January at the equator
}

TEST(MoonPhaseIndex, NewFullAndBeforeTheBaseFullMoon) {
    constexpr double fullMoon = 2451545.0 + 20.362955;
    constexpr double lunation = 29.530588861;
    BesselRecord r = SyntheticEvent(0.5, 0.0, 0.6, -0.05);
    r.EventJD = fullMoon;
    EXPECT_EQ(MoonPhaseIndex(r), 8);
    r.EventJD = fullMoon + 0.5 * lunation;
    EXPECT_EQ(MoonPhaseIndex(r), 0);
    r.EventJD = fullMoon + 100.25 * lunation;  // last quarter
    EXPECT_EQ(MoonPhaseIndex(r), 12);
    // Three days before the base full moon: 0.398 of a lunation since new moon, index 6.
    r.EventJD = fullMoon - 3.0;
    EXPECT_NEAR(LunationFraction(r.EventJD), 0.5 - 3.0 / lunation, 1e-6);
    EXPECT_EQ(MoonPhaseIndex(r), 6);
    // Two weeks before: the negative fraction wraps into 0..15.
    r.EventJD = fullMoon - 14.0;
    EXPECT_EQ(MoonPhaseIndex(r), 0);
}

}  // namespace
}  // namespace zimbalo::astro
