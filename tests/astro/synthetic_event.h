#pragma once

#include "astro/catalogue.h"

namespace zimbalo::astro::testing {

/// A hand-built event: the shadow axis moves along x at `speed` Earth radii per hour, offset by
/// `y0`, with the axis pointing at declination `dDeg` and hour angle mu = `mu0Deg` + `mu1Deg` t.
/// Cone radii are constant (tan f = 0 unless given), so the geometry has closed-form answers.
inline BesselRecord SyntheticEvent(double speed, double y0, double L1, double L2, double dDeg = 0.0,
                                   double mu0Deg = 0.0, double mu1Deg = 0.0) {
    BesselRecord r;
    r.Year = 2000;
    r.Month = 1;
    r.Day = 1;
    r.T0Hour = 12;
    r.OccType = 2;
    r.Planet = 2;
    r.EventJD = 2451545.0;
    r.coef[kX] = {0.0, speed, 0.0, 0.0};
    r.coef[kY] = {y0, 0.0, 0.0, 0.0};
    r.coef[kD] = {dDeg, 0.0, 0.0, 0.0};
    r.coef[kM] = {mu0Deg, mu1Deg, 0.0, 0.0};
    r.coef[kL1] = {L1, 0.0, 0.0, 0.0};
    r.coef[kL2] = {L2, 0.0, 0.0, 0.0};
    return r;
}

}  // namespace zimbalo::astro::testing
