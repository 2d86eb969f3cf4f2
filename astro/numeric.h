#pragma once

#include "astro/constants.h"

/// Small stateless numeric helpers shared by the astronomy core and its callers. Angles in radians.
namespace zimbalo::astro {

/// Angle of the point (x, y) in (-pi, pi]; 0 for the origin; a negative-zero y counts as y >= 0.
/// Beside std::atan2: that one gives -pi for (-0, x < 0), which would put a position angle on
/// the wrong side of its half-open range.
double ArcTan2(double y, double x);

/// Arcsine of s after clamping s to [-1, 1]; radians in [-pi/2, pi/2].
/// Beside std::asin: that one gives NaN where rounding has pushed a sine just beyond +-1.
double ArcSinClamped(double s);

/// x modulo m in [0, m) for m > 0, from the truncated quotient.
double FMod(double x, double m);

/// Central angle in radians between two directions given as (longitude, latitude) in radians.
double AngularDistance(double lon1, double lat1, double lon2, double lat2);

/// -1, 0 or 1 by the sign of x.
int Sign(double x);

}  // namespace zimbalo::astro
