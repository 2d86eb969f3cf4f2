#include "astro/numeric.h"

#include <cmath>

#include <gtest/gtest.h>

namespace zimbalo::astro {
namespace {

TEST(ArcTan2, QuadrantsAndAxes) {
    EXPECT_DOUBLE_EQ(ArcTan2(0.0, -1.0), kPi);
    EXPECT_DOUBLE_EQ(ArcTan2(-1.0, 0.0), -kPi / 2.0);
    EXPECT_DOUBLE_EQ(ArcTan2(0.0, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(ArcTan2(-0.0, -1.0), kPi);  // negative zero counts as non-negative
    for (double a = -3.1; a < 3.14; a += 0.1) {
        EXPECT_NEAR(ArcTan2(2.0 * std::sin(a), 2.0 * std::cos(a)), a, 1e-15) << a;
    }
}

TEST(ArcSinClamped, ClampsOutOfRange) {
    EXPECT_DOUBLE_EQ(ArcSinClamped(1.0000001), kPi / 2.0);
    EXPECT_DOUBLE_EQ(ArcSinClamped(-1.5), -kPi / 2.0);
    EXPECT_NEAR(ArcSinClamped(0.5), kPi / 6.0, 1e-15);
}

TEST(FMod, WrapsIntoHalfOpenRange) {
    EXPECT_DOUBLE_EQ(FMod(-1.0, kTwoPi), kTwoPi - 1.0);
    EXPECT_DOUBLE_EQ(FMod(4.0 * kPi, kTwoPi), 0.0);
    EXPECT_DOUBLE_EQ(FMod(-16.0, 16.0), 0.0);
    EXPECT_DOUBLE_EQ(FMod(17.5, 16.0), 1.5);
}

TEST(AngularDistance, IdenticalAntipodalAndSmall) {
    EXPECT_DOUBLE_EQ(AngularDistance(0.3, 0.2, 0.3, 0.2), 0.0);
    EXPECT_NEAR(AngularDistance(0.0, 0.0, kPi, 0.0), kPi, 1e-15);
    EXPECT_NEAR(AngularDistance(0.0, kPi / 2.0, 1.0, -kPi / 2.0), kPi, 1e-15);
    // 1 metre on the Earth: the half-angle form keeps full relative precision.
    const double oneMetre = 1.0 / 6378137.0;
    EXPECT_NEAR(AngularDistance(0.0, 0.5, oneMetre / std::cos(0.5), 0.5) / oneMetre, 1.0, 1e-9);
}

TEST(Sign, ThreeValues) {
    EXPECT_EQ(Sign(2.5), 1);
    EXPECT_EQ(Sign(-1e-300), -1);
    EXPECT_EQ(Sign(0.0), 0);
    EXPECT_EQ(Sign(-0.0), 0);
}

}  // namespace
}  // namespace zimbalo::astro
