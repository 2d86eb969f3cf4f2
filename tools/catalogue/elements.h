#pragma once

#include "tools/catalogue/ephemeris.h"

/// Besselian elements of a lunar occultation of a planet at one instant, computed directly from
/// the apparent geocentric places of the Moon and the planet (the classical reduction used for
/// solar eclipses, with the planet as the light source).
namespace zimbalo::catalogue {

/// Radius of the Moon in Earth equatorial radii.
inline constexpr double kMoonRadius = 0.2725076;

/// Squared eccentricity of the Earth's ellipsoid as the program uses it.
inline constexpr double kEarthE2 = 0.006694385;

/// Elements at one instant. Lengths in Earth equatorial radii on the fundamental plane (x east,
/// y north, z towards the planet); angles in radians.
struct InstantElements {
    double x = 0.0, y = 0.0, z = 0.0;
    double a = 0.0;   ///< right ascension of the axis (towards the planet), [0, 2 pi)
    double d = 0.0;   ///< declination of the axis
    double mu = 0.0;  ///< apparent sidereal time of the instant taken as UT, minus a; [0, 2 pi)
    double L1 = 0.0, L2 = 0.0;
    double tanf1 = 0.0, tanf2 = 0.0;
    double G = 0.0;  ///< distance from the Moon to the planet, Earth radii

    /// y divided by rho1 = sqrt(1 - e^2 cos^2 d): the Earth's outline becomes the unit circle.
    double ScaledY() const;

    /// Distance of the axis from the Earth's centre with y scaled by rho1.
    double ScaledDistance() const;
};

/// Elements of the occultation of planet 1..7 at the Julian date (TT).
InstantElements ComputeElements(const Ephemeris& ephemeris, int planet, double jdTT);

/// Reduction of two apparent places to the elements (no ephemeris access); `sidereal` is the
/// apparent sidereal time in radians, `planetRadius` in Earth radii.
InstantElements ReduceToElements(const ApparentPlace& planet, const ApparentPlace& moon,
                                 double sidereal, double planetRadius);

}  // namespace zimbalo::catalogue
