#pragma once

#include <numbers>

/// The constants of angle measure and of the Earth's figure and rotation, in one place for the
/// astronomy and every layer that computes with its results.
namespace zimbalo::astro {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kDegToRad = kPi / 180.0;  ///< radians per degree
inline constexpr double kRadToDeg = 180.0 / kPi;  ///< degrees per radian

/// Radians of an angle in degrees, as degrees x pi / 180. The product comes first, which can round
/// differently in the last bit from degrees x kDegToRad; the elements read from the catalogue and
/// everything computed from them are converted this way, and the written paths depend on it.
constexpr double degreesToRadians(double degrees) {
    return degrees * kPi / 180.0;
}

/// Degrees of an angle in radians, as radians x 180 / pi (see degreesToRadians).
constexpr double radiansToDegrees(double radians) {
    return radians * 180.0 / kPi;
}

/// Figure and rotation of the Earth as the program uses them. The figure is the reference
/// ellipsoid of the IAU 1976 system of constants (a = 6378140 m, f = 1/298.257), the one given in
/// J. Meeus, "Astronomical Algorithms", 2nd ed. (1998), ch. 11: e^2 = 2f - f^2 and
/// b/a = 1 - f = sqrt(1 - e^2), rounded as there.
namespace earth {
inline constexpr double kE2 = 0.006694385;                    ///< squared eccentricity
inline constexpr double kAxisRatio = 0.99664719;              ///< b/a = sqrt(1 - e^2)
inline constexpr double kInverseAxisRatio = 1.00336409;       ///< a/b = 1 / sqrt(1 - e^2)
inline constexpr double kEquatorialRadiusMetres = 6378140.0;  ///< for an observer's height
inline constexpr double kRadiusKm = 6378.0;     ///< Earth radii (fundamental-plane units) to km
inline constexpr double kDiameterKm = 12756.0;  ///< twice kRadiusKm

/// Degrees of hour angle the Earth turns per second of Delta T: one second of universal time is
/// 1.002738 seconds of sidereal time, 15 arcseconds each (1.002738 x 15 / 3600).
inline constexpr double kRotationPerSecond = 0.00417807;

/// Degrees per radian rounded to 7 decimals: the hourly motion mu' (radians per hour) of the
/// shadow's hour angle is defined with this value; everything else uses kRadToDeg.
inline constexpr double kDegPerRad = 57.2957795;

/// Angle in radians that the Earth turns in `deltaT` seconds (kRotationPerSecond).
constexpr double rotationRadians(double deltaT) {
    return degreesToRadians(kRotationPerSecond * deltaT);
}
}  // namespace earth

}  // namespace zimbalo::astro
