#include "astro/shadow_geometry.h"

#include <cmath>

#include "astro/constants.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"

namespace zimbalo::astro {

namespace {

// Added to the relative speed of the shadow so that a standing shadow divides by no zero.
constexpr double kMinSpeed = 1e-10;  // Earth radii per hour

// Quantities of the Earth's outline seen along the axis: dividing y by rho1 turns the ellipse of
// the Earth's limb on the fundamental plane into the unit circle. These, the axis point (phi1, the
// hour angle, the geodetic latitude through a/b) and the central duration from a, b, n are the
// central-line formulas from Besselian elements of J. Meeus, "Elements of Solar Eclipses
// 1951-2200" (1989).
struct Flattened {
    double invRho1;
    double y1;
    double sind1;
    double cosd1;
};

Flattened Flatten(const ElementSet& e) {
    const double rho1 = std::sqrt(1.0 - earth::kE2 * e.cosd * e.cosd);
    const double inv = 1.0 / rho1;
    return {inv, e.y * inv, e.sind * inv, earth::kAxisRatio * e.cosd * inv};
}

GeoRadians AxisPointWithHourAngle(const ElementSet& e, const Flattened& f, double zeta,
                                  double deltaT, double& hourAngle) {
    const double phi1 = ArcSinClamped(zeta * f.sind1 + f.y1 * f.cosd1);
    hourAngle = ArcTan2(e.x, zeta * f.cosd1 - f.y1 * f.sind1);
    GeoRadians p;
    p.latitude = std::atan(earth::kInverseAxisRatio * std::tan(phi1));
    double lambda = hourAngle - e.mu + earth::rotationRadians(deltaT);
    while (lambda < -kPi) {
        lambda += kTwoPi;
    }
    while (lambda >= kPi) {
        lambda -= kTwoPi;
    }
    p.longitude = lambda;
    return p;
}

struct AxisLine {
    double n, m, tau, delta;
    bool valid;
};

// Least distance m of the straight axis track from the Earth's centre, the instant tau of that
// least distance and half the time delta the axis spends inside the unit circle.
AxisLine AxisLineThrough(double x, double xDot, double y, double yDot, double d) {
    const double rho1 = std::sqrt(1.0 - earth::kE2 * std::cos(d) * std::cos(d));
    const double bigY = y / rho1;
    const double bigYDot = yDot / rho1;
    const double n = std::sqrt(xDot * xDot + bigYDot * bigYDot);
    if (n == 0.0) {
        return {0.0, 0.0, 0.0, 0.0, false};
    }
    const double m = (xDot * bigY - x * bigYDot) / n;
    const double tau = -(x * xDot + bigY * bigYDot) / (n * n);
    if (m * m > 1.0) {
        return {n, m, tau, 0.0, false};
    }
    return {n, m, tau, std::sqrt(1.0 - m * m) / n, true};
}

}  // namespace

AxisHit AxisOnEarth(const ElementSet& e) {
    const Flattened f = Flatten(e);
    const double s = e.x * e.x + f.y1 * f.y1;
    if (s > 1.0) {
        return {false, 0.0};
    }
    return {true, std::sqrt(std::fabs(1.0 - s))};
}

GeoRadians AxisPoint(const ElementSet& e, double zeta, double deltaT) {
    double hourAngle = 0.0;
    return AxisPointWithHourAngle(e, Flatten(e), zeta, deltaT, hourAngle);
}

std::optional<CentralResult> CentralCircumstances(const BesselRecord& record, double t,
                                                  double deltaT, double jdUT) {
    const ElementSet e = EvaluateElements(record, t);
    const Flattened f = Flatten(e);
    const double muDot = record.coef[kM][1] / earth::kDegPerRad;
    const double q = 1.0 - e.x * e.x - f.y1 * f.y1;
    if (q < 0.0) {
        return std::nullopt;
    }
    const double zeta = std::sqrt(q);
    double hourAngle = 0.0;
    const GeoRadians p = AxisPointWithHourAngle(e, f, zeta, deltaT, hourAngle);

    CentralResult r;
    r.latitude = p.latitude;
    r.longitude = p.longitude;
    r.L2prime = e.L2 - zeta * e.tanf2;
    const double a = e.xDot + muDot * e.y * e.sind - muDot * zeta * e.cosd;
    const double b = e.yDot - muDot * e.x * e.sind;
    const double n = std::sqrt(a * a + b * b) + kMinSpeed;
    r.durationSeconds = std::fabs(r.L2prime) * 7200.0 / n;
    const double sinPhi = std::sin(p.latitude);
    const double cosPhi = std::cos(p.latitude);
    r.planetAltitude = ArcSinClamped(std::cos(hourAngle) * cosPhi * e.cosd + sinPhi * e.sind);
    r.planetAzimuth =
        ArcTan2(std::sin(hourAngle), sinPhi * std::cos(hourAngle) - cosPhi * std::tan(e.d));
    r.sunAltitude =
        Altitude(jdUT, SunRightAscension(jdUT), SunDeclination(jdUT), p.longitude, p.latitude);
    return r;
}

double MotionAngle(const ElementSet& e) {
    return std::atan2(e.yDot, e.xDot);
}

GeoDegrees SubPlanetaryPoint(const ElementSet& e, double deltaT) {
    return {radiansToDegrees(e.d), radiansToDegrees(-e.mu) + earth::kRotationPerSecond * deltaT};
}

std::optional<AxisContacts> AxisContactTimes(const BesselRecord& record) {
    const auto& c = record.coef;
    const AxisLine start =
        AxisLineThrough(c[kX][0], c[kX][1], c[kY][0], c[kY][1], degreesToRadians(c[kD][0]));
    if (!start.valid) {
        return std::nullopt;
    }
    const double firstEstimate = start.tau - start.delta;
    const double lastEstimate = start.tau + start.delta;

    // One correction each, from the elements evaluated at the first estimates.
    const ElementSet ef = EvaluateElements(record, firstEstimate);
    const AxisLine lf = AxisLineThrough(ef.x, ef.xDot, ef.y, ef.yDot, ef.d);
    const ElementSet el = EvaluateElements(record, lastEstimate);
    const AxisLine ll = AxisLineThrough(el.x, el.xDot, el.y, el.yDot, el.d);
    if (!lf.valid || !ll.valid) {
        return std::nullopt;
    }
    return AxisContacts{firstEstimate + lf.tau - lf.delta, lastEstimate + ll.tau + ll.delta};
}

PlanePoint PlaceToFundamental(double latitude, double longitude, const ElementSet& e,
                              double deltaT) {
    const double u = std::atan(earth::kAxisRatio * std::tan(latitude));
    const double rhoSin = earth::kAxisRatio * std::sin(u);
    const double rhoCos = std::cos(u);
    const double h = e.mu + longitude - earth::rotationRadians(deltaT);
    return {rhoCos * std::sin(h), rhoSin * e.cosd - rhoCos * std::cos(h) * e.sind};
}

}  // namespace zimbalo::astro
