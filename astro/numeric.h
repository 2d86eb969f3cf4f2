#pragma once

#include <cstdint>

/// Small stateless numeric helpers shared by the astronomy core and its callers. Angles in radians.
namespace zimbalo::astro {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kDegToRad = kPi / 180.0;
inline constexpr double kRadToDeg = 180.0 / kPi;

/// Angle of the point (x, y) in (-pi, pi]; 0 for the origin; a negative-zero y counts as y >= 0.
double ArcTan2(double y, double x);

/// Arcsine of s after clamping s to [-1, 1]; radians in [-pi/2, pi/2].
double ArcSinClamped(double s);

/// x modulo m in [0, m) for m > 0, from the truncated quotient.
double FMod(double x, double m);

/// Central angle in radians between two directions given as (longitude, latitude) in radians.
double AngularDistance(double lon1, double lat1, double lon2, double lat2);

/// -1, 0 or 1 by the sign of x.
int Sign(double x);

/// Busy-waits, yielding the time slice, until at least `ms` milliseconds have passed.
void Delay(std::int64_t ms);

}  // namespace zimbalo::astro
