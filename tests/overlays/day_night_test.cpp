#include "overlays/day_night.h"

#include <cmath>

#include <QImage>

#include <gtest/gtest.h>

#include "astro/constants.h"
#include "astro/time_scales.h"
#include "globe/geo_globe.h"
#include "globe/geo_projector.h"

namespace zimbalo::overlays {
namespace {

// 2024-06-21 12:00 UT: the Sun stands over the northern tropic.
const double kSolstice = astro::CalendarToJD(2024, 6, 21, 12.0, 0.0, 0.0);

struct SubSolar {
    double latitude, longitude;  // degrees
};

SubSolar SubSolarPoint(double jd) {
    const std::array<double, 3> s = SunDirection(jd);
    return {std::asin(s[1]) * astro::kRadToDeg, std::atan2(s[0], s[2]) * astro::kRadToDeg};
}

// The sub-solar point is day, its antipode night, and a point 3 degrees beyond the terminator
// (93 degrees from the sub-solar point along its meridian) in civil twilight; the phases'
// bounds are the Sun's altitudes 0, -6, -12 and -18 degrees.
TEST(DayNight, PhasesAtTheSubSolarPointTheAntipodeAndBeyondTheTerminator) {
    const SubSolar sun = SubSolarPoint(kSolstice);
    EXPECT_NEAR(sun.latitude, 23.44, 0.01);  // the declination at the solstice
    EXPECT_NEAR(SunAltitudeAt(kSolstice, sun.latitude, sun.longitude), 90.0, 1e-6);
    EXPECT_EQ(SkyPhaseOf(SunAltitudeAt(kSolstice, sun.latitude, sun.longitude)), SkyPhase::Day);
    EXPECT_EQ(SkyPhaseOf(SunAltitudeAt(kSolstice, -sun.latitude, sun.longitude + 180.0)),
              SkyPhase::Night);
    const double beyond = SunAltitudeAt(kSolstice, sun.latitude - 93.0, sun.longitude);
    EXPECT_NEAR(beyond, -3.0, 1e-6);
    EXPECT_EQ(SkyPhaseOf(beyond), SkyPhase::Civil);
    EXPECT_EQ(SkyPhaseOf(0.0), SkyPhase::Day);
    EXPECT_EQ(SkyPhaseOf(-6.0), SkyPhase::Civil);
    EXPECT_EQ(SkyPhaseOf(-6.01), SkyPhase::Nautical);
    EXPECT_EQ(SkyPhaseOf(-12.01), SkyPhase::Astronomical);
    EXPECT_EQ(SkyPhaseOf(-18.01), SkyPhase::Night);
}

// The shade over a globe picture: clear at the sub-solar point, the civil shade 3 degrees
// beyond the terminator, the night's over the antipode, nothing off the globe; the terminator
// moves with the instant.
TEST(DayNight, ShadeFollowsTheSunOnThePicture) {
    globe::GeoGlobe g{400, 400};
    globe::GeoProjector& p = g.Projector();
    p.SetScaleFactor(360.0 / (2.0 * globe::gu::EarthRadius));
    p.SetXOrigin(200);
    p.SetYOrigin(200);
    const SubSolar sun = SubSolarPoint(kSolstice);
    const auto alphaAt = [&](const QImage& shade, double lat, double lon) {
        int x = 0;
        int y = 0;
        EXPECT_TRUE(p.GeoToScreen(globe::DegToGU(lon), globe::DegToGU(lat), x, y));
        return qAlpha(shade.pixel(x, y));
    };

    // Looking at a point between the sub-solar point and the one beyond the terminator.
    p.SetXRotation(sun.latitude - 50.0);
    p.SetYRotation(sun.longitude);
    QImage shade = DayNightShade(p, 400, 400, kSolstice, 1);
    EXPECT_EQ(alphaAt(shade, sun.latitude, sun.longitude), 0);
    EXPECT_EQ(alphaAt(shade, sun.latitude - 93.0, sun.longitude),
              kSkyPhaseShade[static_cast<std::size_t>(SkyPhase::Civil)]);
    EXPECT_EQ(qAlpha(shade.pixel(2, 2)), 0);  // off the globe

    p.SetXRotation(-sun.latitude);
    p.SetYRotation(sun.longitude + 180.0);
    shade = DayNightShade(p, 400, 400, kSolstice, 1);
    EXPECT_EQ(alphaAt(shade, -sun.latitude, sun.longitude + 180.0),
              kSkyPhaseShade[static_cast<std::size_t>(SkyPhase::Night)]);
    // Twelve hours later the Sun stands over the antipode's meridian.
    shade = DayNightShade(p, 400, 400, kSolstice + 0.5, 1);
    EXPECT_EQ(alphaAt(shade, -sun.latitude, sun.longitude + 180.0), 0);

    // A smaller shade image covers the same picture.
    const QImage coarse = DayNightShade(p, 400, 400, kSolstice, 3);
    EXPECT_EQ(coarse.size(), QSize(134, 134));
}

}  // namespace
}  // namespace zimbalo::overlays
