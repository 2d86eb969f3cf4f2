#pragma once

#include <cstdint>

#include "astro/catalogue.h"
#include "astro/time_scales.h"

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

/// A total occultation of Jupiter on 14 March of `year`, T0 = 12h TT. The shadow axis moves east
/// at 0.55 Earth radii per hour and meets the Earth near 10.7 N, 10.3 E at T0 (local noon) in
/// 2024, where the planet stands near the zenith. `hourAngleDeg` moves that point: 180 puts it
/// near 10.7 N, 169.7 W at local midnight. The lists, command-line and fuzz tests share it.
inline BesselRecord syntheticJupiterEvent(int year, double hourAngleDeg) {
    // Moon's radius plus or minus the planet's, on the fundamental plane: a small planet, so the
    // occultation is total wherever the umbral cylinder passes.
    BesselRecord r = SyntheticEvent(0.55, 0.1, 0.2730, -0.2715, 5.0, hourAngleDeg, 15.0);
    r.Year = static_cast<std::int16_t>(year);
    r.Month = 3;
    r.Day = 14;
    r.Planet = 4;
    r.Gamma = 0.1f;
    r.EventJD = CalendarToJD(year, 3, 14, 12.0, 0.0, 0.0);
    r.coef[kY][1] = 0.1;
    r.coef[kD][1] = 0.003;
    r.coef[kTanF1][0] = 0.0000046;
    r.coef[kTanF2][0] = 0.0000046;
    return r;
}

}  // namespace zimbalo::astro::testing
