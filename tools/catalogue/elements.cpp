#include "tools/catalogue/elements.h"

#include <cmath>
#include <numbers>

namespace zimbalo::catalogue {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double Wrap(double angle) {
    angle = std::fmod(angle, kTwoPi);
    return angle < 0.0 ? angle + kTwoPi : angle;
}

}  // namespace

double InstantElements::ScaledY() const {
    const double cd = std::cos(d);
    return y / std::sqrt(1.0 - kEarthE2 * cd * cd);
}

double InstantElements::ScaledDistance() const {
    return std::hypot(x, ScaledY());
}

InstantElements ReduceToElements(const ApparentPlace& p, const ApparentPlace& m, double sidereal,
                                 double planetRadius) {
    // Direction of the shadow axis: from the Moon towards the planet (Explanatory Supplement to
    // the Astronomical Almanac, solar eclipses, with the planet in place of the Sun).
    const double b = m.distance / p.distance;
    const double cdp = std::cos(p.dec);
    const double cdm = std::cos(m.dec);
    const double gx = cdp * std::cos(p.ra) - b * cdm * std::cos(m.ra);
    const double gy = cdp * std::sin(p.ra) - b * cdm * std::sin(m.ra);
    const double gz = std::sin(p.dec) - b * std::sin(m.dec);
    const double g = std::sqrt(gx * gx + gy * gy + gz * gz);

    InstantElements e;
    e.a = Wrap(std::atan2(gy, gx));
    e.d = std::asin(gz / g);
    e.G = g * p.distance;

    const double sd = std::sin(e.d);
    const double cd = std::cos(e.d);
    const double ha = m.ra - e.a;
    e.x = m.distance * cdm * std::sin(ha);
    e.y = m.distance * (std::sin(m.dec) * cd - cdm * sd * std::cos(ha));
    e.z = m.distance * (std::sin(m.dec) * sd + cdm * cd * std::cos(ha));

    // Penumbral (f1) and umbral (f2) cone half-angles and the cones' radii on the fundamental
    // plane; L2 < 0 means the Moon covers the whole disc of the planet. With the cones' vertices
    // c1 = z + k / sin f1 and c2 = z - k / sin f2, L = c tan f; written as z tan f +- k / cos f
    // it needs no division by a sine that vanishes for a planet as large as the Moon.
    const double sinF1 = (planetRadius + kMoonRadius) / e.G;
    const double sinF2 = (planetRadius - kMoonRadius) / e.G;
    const double cosF1 = std::sqrt(1.0 - sinF1 * sinF1);
    const double cosF2 = std::sqrt(1.0 - sinF2 * sinF2);
    e.tanf1 = sinF1 / cosF1;
    e.tanf2 = sinF2 / cosF2;
    e.L1 = e.z * e.tanf1 + kMoonRadius / cosF1;
    e.L2 = e.z * e.tanf2 - kMoonRadius / cosF2;

    e.mu = Wrap(sidereal - e.a);
    return e;
}

InstantElements ComputeElements(const Ephemeris& ephemeris, int planet, double jdTT) {
    return ReduceToElements(ephemeris.Planet(planet, jdTT), ephemeris.Moon(jdTT),
                            ephemeris.ApparentSiderealTime(jdTT), PlanetRadius(planet));
}

}  // namespace zimbalo::catalogue
