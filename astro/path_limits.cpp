#include "astro/path_limits.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "astro/constants.h"
#include "astro/language.h"
#include "astro/local_circumstances.h"
#include "astro/numeric.h"
#include "astro/shadow_geometry.h"

namespace zimbalo::astro {

namespace {

// The elements are fitted over T0 +- 4 hours; the path is looked for only there.
constexpr double kFitHalfWidth = 4.0;
// Spacing of the first samples along a curve, hours. Curves that lie on the Earth for less than
// this are found from the largest zeta between the samples.
constexpr double kScanStep = 2.0 / 60.0;
// A sample's circle must come this close to the Earth's outline (Earth radii) to be solved for.
constexpr double kScanMargin = 0.03;
// Segments are split while the true curve at their middle lies farther than this from them (km),
// or while they are longer than kMaxSegmentKm; the result keeps every segment within 1 km.
constexpr double kMidpointToleranceKm = 0.25;
constexpr double kMaxSegmentKm = 100.0;
constexpr int kMaxSplitDepth = 24;
// Newton's method on the place: residual on the fundamental plane, Earth radii.
constexpr double kResidualLimit = 1e-12;
constexpr int kMaxNewtonSteps = 30;
constexpr double kDifferenceStep = 1e-7;  // radians
constexpr double kMaxNewtonStep = 0.2;    // radians
// Bisection steps for the instant at which a curve reaches the limb.
constexpr int kLimbBisections = 32;
// Re-solves of a limit point whose checked magnitude left the band.
constexpr int kMaxRetries = 4;

// Which shadow a curve of the path follows and on which side of the shadow's motion it lies.
struct CurveShadowSide {
    bool central = false;
    bool umbral = false;
    double side = 1.0;  // +1 left of the relative motion (north), -1 right (south)
};

CurveShadowSide ShadowSideOf(PathCurve curve) {
    switch (curve) {
        case PathCurve::Central:
            return {true, false, 0.0};
        case PathCurve::PenumbraNorth:
            return {false, false, 1.0};
        case PathCurve::PenumbraSouth:
            return {false, false, -1.0};
        case PathCurve::UmbraNorth:
            return {false, true, 1.0};
        case PathCurve::UmbraSouth:
            return {false, true, -1.0};
    }
    return {};
}

// A point found at one instant. `value` tells on which side of the limb it lies: zeta of the
// observer for a limit (negative: the planet is below the horizon there), 1 - x^2 - y1^2 for the
// central line (negative: the axis misses the Earth); NaN when nothing was found.
struct Sample {
    double t = 0.0;
    double latitude = 0.0;   // radians
    double longitude = 0.0;  // radians, east
    double value = std::numeric_limits<double>::quiet_NaN();
    double depth = kPathLimitDepth;
    bool onArc = false;  // found by following the curve's arc, not at a fixed instant

    bool Found() const { return !std::isnan(value); }

    bool Exists() const { return value >= 0.0; }
};

double NormaliseLongitude(double lambda) {
    lambda = std::remainder(lambda, kTwoPi);
    if (lambda >= kPi) {
        lambda -= kTwoPi;
    }
    if (lambda < -kPi) {
        lambda += kTwoPi;
    }
    return lambda;
}

Observer ObserverAt(double latitude, double longitude) {
    Observer o;
    o.latitude = latitude;
    o.longitudeWest = -longitude;
    o.rho = ObserverConstants(latitude, 0.0);
    return o;
}

double FlattenedY(const ElementSet& e, double y) {
    return y / std::sqrt(1.0 - earth::kE2 * e.cosd * e.cosd);
}

// The place on the near side of the Earth whose fundamental-plane coordinates are (xi, eta);
// a point outside the Earth's outline is first moved onto it.
GeoRadians PlaceOnPlane(const ElementSet& e, double xi, double eta, double deltaT) {
    const double rho1 = std::sqrt(1.0 - earth::kE2 * e.cosd * e.cosd);
    double eta1 = eta / rho1;
    const double r2 = xi * xi + eta1 * eta1;
    if (r2 > 1.0) {
        const double r = std::sqrt(r2);
        xi /= r;
        eta1 /= r;
    }
    ElementSet at = e;
    at.x = xi;
    at.y = eta1 * rho1;
    return AxisPoint(at, std::sqrt(std::fmax(0.0, 1.0 - xi * xi - eta1 * eta1)), deltaT);
}

struct Vec3 {
    double x, y, z;
};

Vec3 UnitVector(double latitude, double longitude) {
    return {std::cos(latitude) * std::cos(longitude), std::cos(latitude) * std::sin(longitude),
            std::sin(latitude)};
}

double Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double AngleBetween(const Vec3& a, const Vec3& b) {
    return std::atan2(std::sqrt(Dot(Cross(a, b), Cross(a, b))), Dot(a, b));
}

// Distance (km, on a sphere) from m to the great-circle arc from a to b.
double DistanceToArcKm(const Sample& a, const Sample& m, const Sample& b) {
    const Vec3 va = UnitVector(a.latitude, a.longitude);
    const Vec3 vb = UnitVector(b.latitude, b.longitude);
    const Vec3 vm = UnitVector(m.latitude, m.longitude);
    const Vec3 n = Cross(va, vb);
    const double nn = std::sqrt(Dot(n, n));
    const double toEnds = std::fmin(AngleBetween(vm, va), AngleBetween(vm, vb));
    if (nn < 1e-15) {
        return toEnds * earth::kRadiusKm;
    }
    const Vec3 un = {n.x / nn, n.y / nn, n.z / nn};
    // The foot of m on the great circle lies on the arc when it is on the inner side of both
    // ends.
    const double h = Dot(vm, un);
    const Vec3 foot = {vm.x - h * un.x, vm.y - h * un.y, vm.z - h * un.z};
    if (Dot(Cross(va, foot), un) >= 0.0 && Dot(Cross(foot, vb), un) >= 0.0) {
        return std::fabs(std::asin(std::fmax(-1.0, std::fmin(1.0, h)))) * earth::kRadiusKm;
    }
    return toEnds * earth::kRadiusKm;
}

// Distance (km) from m to the straight segment from a to b drawn in longitude and latitude,
// measured in the local scale at m.
double DistanceToLonLatSegmentKm(const Sample& a, const Sample& m, const Sample& b) {
    const double scale = std::cos(m.latitude);
    const auto local = [&](const Sample& p, double& x, double& y) {
        x = std::remainder(p.longitude - m.longitude, kTwoPi) * scale * earth::kRadiusKm;
        y = (p.latitude - m.latitude) * earth::kRadiusKm;
    };
    double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0;
    local(a, ax, ay);
    local(b, bx, by);
    // Keep the segment on one side of the antimeridian as seen from a.
    const double span =
        std::remainder(b.longitude - a.longitude, kTwoPi) * scale * earth::kRadiusKm;
    bx = ax + span;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double f = len2 > 0.0 ? -(ax * dx + ay * dy) / len2 : 0.0;
    f = std::fmax(0.0, std::fmin(1.0, f));
    return std::hypot(ax + f * dx, ay + f * dy);
}

double ArcKm(const Sample& a, const Sample& b) {
    return AngleBetween(UnitVector(a.latitude, a.longitude), UnitVector(b.latitude, b.longitude))
           * earth::kRadiusKm;
}

class CurveSolver {
public:
    CurveSolver(const BesselRecord& record, double deltaT, PathCurve curve)
        : m_record(record), m_deltaT(deltaT), m_shadowSide(ShadowSideOf(curve)) {}

    bool Central() const { return m_shadowSide.central; }

    // Radius of the shadow circle on the fundamental plane, for the first scan.
    double PlaneRadius(const ElementSet& e) const {
        if (m_shadowSide.central) {
            return 0.0;
        }
        return m_shadowSide.umbral ? std::fabs(e.L2) : e.L1;
    }

    // The point of the curve at instant t, starting from `guess` when it holds a found point.
    Sample Solve(double t, const Sample* guess, double depth = kPathLimitDepth) const {
        Sample s;
        s.t = t;
        s.depth = depth;
        const ElementSet e = EvaluateElements(m_record, t);
        if (m_shadowSide.central) {
            const double y1 = FlattenedY(e, e.y);
            const double q = 1.0 - e.x * e.x - y1 * y1;
            const GeoRadians p = AxisPoint(e, std::sqrt(std::fabs(q)), m_deltaT);
            s.latitude = p.latitude;
            s.longitude = p.longitude;
            s.value = q;
            return s;
        }
        double phi = 0.0;
        double lambda = 0.0;
        if (guess != nullptr && guess->Found()) {
            phi = guess->latitude;
            lambda = guess->longitude;
        } else {
            StartingPlace(e, t, depth, phi, lambda);
        }
        double f[2];
        double zeta = 0.0;
        for (int step = 0; step < kMaxNewtonSteps; ++step) {
            Residual(t, phi, lambda, depth, f, zeta);
            if (!std::isfinite(f[0]) || !std::isfinite(f[1])) {
                return s;
            }
            if (std::hypot(f[0], f[1]) < kResidualLimit) {
                s.latitude = phi;
                s.longitude = NormaliseLongitude(lambda);
                s.value = zeta;
                return s;
            }
            double fp[2];
            double fl[2];
            double unused = 0.0;
            Residual(t, phi + kDifferenceStep, lambda, depth, fp, unused);
            Residual(t, phi, lambda + kDifferenceStep, depth, fl, unused);
            const double j00 = (fp[0] - f[0]) / kDifferenceStep;
            const double j10 = (fp[1] - f[1]) / kDifferenceStep;
            const double j01 = (fl[0] - f[0]) / kDifferenceStep;
            const double j11 = (fl[1] - f[1]) / kDifferenceStep;
            const double det = j00 * j11 - j01 * j10;
            if (!(std::fabs(det) > 1e-30)) {
                return s;
            }
            double dPhi = -(j11 * f[0] - j01 * f[1]) / det;
            double dLambda = -(-j10 * f[0] + j00 * f[1]) / det;
            const double length = std::hypot(dPhi, dLambda);
            if (length > kMaxNewtonStep) {
                dPhi *= kMaxNewtonStep / length;
                dLambda *= kMaxNewtonStep / length;
            }
            phi += dPhi;
            lambda += dLambda;
            // Across a pole the latitude turns back and the longitude jumps by half a turn.
            if (phi > kPi / 2.0) {
                phi = kPi - phi;
                lambda += kPi;
            } else if (phi < -kPi / 2.0) {
                phi = -kPi - phi;
                lambda += kPi;
            }
        }
        return s;
    }

    // Points beyond `end` (the last point found at fixed instants) up to the limb. Near the limb
    // a limit may turn back in time: the places nearer the limb have their greatest occultation
    // earlier again (or later, at the start of a chain). There the curve is followed by its arc
    // in (latitude, longitude, time) instead of by the instant, until the planet sets.
    std::vector<Sample> ExtendToLimb(const Sample& end) const {
        std::vector<Sample> out;
        if (m_shadowSide.central || !end.Exists() || end.value < kLimbZeta) {
            return out;
        }
        Arc at{end.latitude, end.longitude, end.t * kTimeScale};
        double zeta = end.value;
        Arc tangent{};
        if (!Tangent(at, end.depth, tangent)) {
            return out;
        }
        // Head towards the limb.
        Arc probe{at.phi + 1e-4 * tangent.phi, at.lambda + 1e-4 * tangent.lambda,
                  at.tau + 1e-4 * tangent.tau};
        if (ZetaAt(probe) > zeta) {
            tangent = {-tangent.phi, -tangent.lambda, -tangent.tau};
        }
        double stepLength = kArcStep;
        for (int step = 0; step < kMaxArcSteps; ++step) {
            Arc next{};
            double nextZeta = 0.0;
            if (!ArcStep(at, tangent, stepLength, end.depth, next, nextZeta)) {
                if (stepLength < kMinArcStep) {
                    break;
                }
                stepLength *= 0.5;
                continue;
            }
            // Where the curve bends sharply (around its turn in time), shorter steps keep the
            // straight segments on it.
            Arc half{};
            double halfZeta = 0.0;
            if (stepLength > kMinArcStep
                && (!ArcStep(at, tangent, 0.5 * stepLength, end.depth, half, halfZeta)
                    || SegmentMissesMiddle(at, half, next))) {
                stepLength *= 0.5;
                continue;
            }
            if (nextZeta < 0.0) {
                // The limb lies within this step: halve the step until it is found.
                double lo = 0.0;
                double hi = stepLength;
                Arc best = at;
                double bestZeta = zeta;
                for (int i = 0; i < kLimbBisections; ++i) {
                    const double h = 0.5 * (lo + hi);
                    Arc mid{};
                    double midZeta = 0.0;
                    if (!ArcStep(at, tangent, h, end.depth, mid, midZeta) || midZeta < 0.0) {
                        hi = h;
                    } else {
                        lo = h;
                        best = mid;
                        bestZeta = midZeta;
                    }
                }
                if (lo > 0.0) {
                    out.push_back(ToSample(best, bestZeta, end.depth));
                }
                break;
            }
            Arc nextTangent{};
            if (!Tangent(next, end.depth, nextTangent)) {
                break;
            }
            if (nextTangent.phi * tangent.phi + nextTangent.lambda * tangent.lambda
                    + nextTangent.tau * tangent.tau
                < 0.0) {
                nextTangent = {-nextTangent.phi, -nextTangent.lambda, -nextTangent.tau};
            }
            at = next;
            zeta = nextZeta;
            tangent = nextTangent;
            out.push_back(ToSample(at, zeta, end.depth));
            stepLength = std::fmin(kArcStep, 1.5 * stepLength);
            if (zeta < kLimbZeta) {
                break;
            }
        }
        return out;
    }

private:
    // A point of the curve in (latitude, longitude, scaled time), radians; the time is scaled so
    // that an hour weighs about as much as the shadow's motion in it.
    struct Arc {
        double phi, lambda, tau;
    };

    static constexpr double kTimeScale = 0.5;   // radians per hour
    static constexpr double kArcStep = 1.5e-3;  // about 10 km
    static constexpr int kMaxArcSteps = 2000;
    static constexpr double kMinArcStep = 1e-7;
    static constexpr double kLimbZeta = 1e-9;

    bool SegmentMissesMiddle(const Arc& a, const Arc& m, const Arc& b) const {
        const Sample sa = ToSample(a, 0.0, 0.0);
        const Sample sm = ToSample(m, 0.0, 0.0);
        const Sample sb = ToSample(b, 0.0, 0.0);
        return DistanceToArcKm(sa, sm, sb) > kMidpointToleranceKm
               || DistanceToLonLatSegmentKm(sa, sm, sb) > kMidpointToleranceKm;
    }

    Sample ToSample(const Arc& a, double zeta, double depth) const {
        Sample s;
        s.t = a.tau / kTimeScale;
        s.latitude = a.phi;
        s.longitude = NormaliseLongitude(a.lambda);
        s.value = zeta;
        s.depth = depth;
        s.onArc = true;
        return s;
    }

    double ZetaAt(const Arc& a) const {
        return ObserverOnPlane(m_record, ObserverAt(a.phi, a.lambda), m_deltaT, a.tau / kTimeScale)
            .zeta;
    }

    // Rows of the residual's derivatives with respect to (phi, lambda, tau).
    bool Jacobian(const Arc& a, double depth, double f[2], double j[2][3], double& zeta) const {
        const double t = a.tau / kTimeScale;
        double fp[2];
        double fl[2];
        double ft[2];
        double unused = 0.0;
        Residual(t, a.phi, a.lambda, depth, f, zeta);
        Residual(t, a.phi + kDifferenceStep, a.lambda, depth, fp, unused);
        Residual(t, a.phi, a.lambda + kDifferenceStep, depth, fl, unused);
        Residual(t + kDifferenceStep / kTimeScale, a.phi, a.lambda, depth, ft, unused);
        for (int i = 0; i < 2; ++i) {
            j[i][0] = (fp[i] - f[i]) / kDifferenceStep;
            j[i][1] = (fl[i] - f[i]) / kDifferenceStep;
            j[i][2] = (ft[i] - f[i]) / kDifferenceStep;
        }
        return std::isfinite(f[0]) && std::isfinite(f[1]);
    }

    // Unit direction of the curve at a point of it.
    bool Tangent(const Arc& a, double depth, Arc& tangent) const {
        double f[2];
        double j[2][3];
        double zeta = 0.0;
        if (!Jacobian(a, depth, f, j, zeta)) {
            return false;
        }
        const double cx = j[0][1] * j[1][2] - j[0][2] * j[1][1];
        const double cy = j[0][2] * j[1][0] - j[0][0] * j[1][2];
        const double cz = j[0][0] * j[1][1] - j[0][1] * j[1][0];
        const double norm = std::sqrt(cx * cx + cy * cy + cz * cz);
        if (!(norm > 0.0)) {
            return false;
        }
        tangent = {cx / norm, cy / norm, cz / norm};
        return true;
    }

    // The point of the curve at the distance h along the tangent from `from`, found by Newton's
    // method on the residual and on the plane across the tangent.
    bool ArcStep(const Arc& from, const Arc& tangent, double h, double depth, Arc& to,
                 double& zeta) const {
        const Arc predicted{from.phi + h * tangent.phi, from.lambda + h * tangent.lambda,
                            from.tau + h * tangent.tau};
        to = predicted;
        for (int step = 0; step < kMaxNewtonSteps; ++step) {
            double f[2];
            double j[2][3];
            if (!Jacobian(to, depth, f, j, zeta)) {
                return false;
            }
            const double g = tangent.phi * (to.phi - predicted.phi)
                             + tangent.lambda * (to.lambda - predicted.lambda)
                             + tangent.tau * (to.tau - predicted.tau);
            if (std::hypot(f[0], f[1]) < kResidualLimit && std::fabs(g) < 1e-12) {
                return true;
            }
            // Solve the 3 x 3 system by Cramer's rule.
            const double m[3][3] = {{j[0][0], j[0][1], j[0][2]},
                                    {j[1][0], j[1][1], j[1][2]},
                                    {tangent.phi, tangent.lambda, tangent.tau}};
            const double r[3] = {-f[0], -f[1], -g};
            const auto det3 = [](const double a[3][3]) {
                return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1])
                       - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0])
                       + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
            };
            const double det = det3(m);
            if (!(std::fabs(det) > 1e-30)) {
                return false;
            }
            double delta[3];
            for (int c = 0; c < 3; ++c) {
                double mc[3][3];
                for (int row = 0; row < 3; ++row) {
                    for (int col = 0; col < 3; ++col) {
                        mc[row][col] = col == c ? r[row] : m[row][col];
                    }
                }
                delta[c] = det3(mc) / det;
            }
            to.phi += delta[0];
            to.lambda += delta[1];
            to.tau += delta[2];
        }
        return false;
    }

    // Distance of the circle from the observer's own shadow centre, less the inward depth: the
    // place at this distance from the axis, across the relative motion, has its greatest
    // occultation at t with the magnitude `depth` (penumbra) or 1 + `depth` (umbra of a total
    // occultation).
    double Radius(const ObserverState& st, double depth) const {
        const double base = m_shadowSide.umbral ? std::fabs(st.L2p) : st.L1p;
        return base - depth * (st.L1p + st.L2p);
    }

    // The observer's plane position minus where the curve's point should be for that observer.
    void Residual(double t, double phi, double lambda, double depth, double f[2],
                  double& zeta) const {
        const ObserverState st = ObserverOnPlane(m_record, ObserverAt(phi, lambda), m_deltaT, t);
        const double r = Radius(st, depth) * m_shadowSide.side / st.n;
        f[0] = st.xi - (st.e.x - r * st.b);
        f[1] = st.eta - (st.e.y + r * st.a);
        zeta = st.zeta;
    }

    // A first place: the circle's point across the axis' own motion, improved once by the motion
    // relative to an observer there.
    void StartingPlace(const ElementSet& e, double t, double depth, double& phi,
                       double& lambda) const {
        const double n0 = std::hypot(e.xDot, e.yDot);
        const double r0 = PlaneRadius(e) * m_shadowSide.side / n0;
        GeoRadians p = PlaceOnPlane(e, e.x - r0 * e.yDot, e.y + r0 * e.xDot, m_deltaT);
        const ObserverState st =
            ObserverOnPlane(m_record, ObserverAt(p.latitude, p.longitude), m_deltaT, t);
        const double r = Radius(st, depth) * m_shadowSide.side / st.n;
        p = PlaceOnPlane(e, e.x - r * st.b, e.y + r * st.a, m_deltaT);
        phi = p.latitude;
        lambda = p.longitude;
    }

    const BesselRecord& m_record;
    double m_deltaT;
    CurveShadowSide m_shadowSide;
};

class ChainBuilder {
public:
    ChainBuilder(const BesselRecord& record, double deltaT, PathCurve curve)
        : m_record(record), m_deltaT(deltaT), m_curve(curve), m_solver(record, deltaT, curve) {}

    std::vector<PathChain> Build() const {
        std::vector<PathChain> chains;
        for (const auto& interval : Intervals()) {
            std::vector<Sample> dense;
            dense.push_back(interval.front());
            for (std::size_t i = 1; i < interval.size(); ++i) {
                // Points on the arc are close enough already, and an instant between them
                // may belong to another part of the curve.
                if (!interval[i - 1].onArc && !interval[i].onArc) {
                    Refine(interval[i - 1], interval[i], 0, dense);
                }
                dense.push_back(interval[i]);
            }
            PathChain chain;
            chain.reserve(dense.size());
            for (const Sample& s : dense) {
                chain.push_back(Checked(s));
            }
            chains.push_back(std::move(chain));
        }
        return chains;
    }

private:
    // Samples on the grid, with the ends where the curve reaches the limb, grouped by the
    // stretches of time in which the curve lies on the Earth.
    std::vector<std::vector<Sample>> Intervals() const {
        const int count = static_cast<int>(std::lround(2.0 * kFitHalfWidth / kScanStep));
        std::vector<Sample> grid;
        grid.reserve(static_cast<std::size_t>(count) + 1);
        const Sample* previous = nullptr;
        for (int i = 0; i <= count; ++i) {
            const double t = -kFitHalfWidth + kScanStep * i;
            const ElementSet e = EvaluateElements(m_record, t);
            const double centre = std::hypot(e.x, FlattenedY(e, e.y));
            Sample s;
            s.t = t;
            if (centre <= 1.0 + m_solver.PlaneRadius(e) + kScanMargin) {
                s = m_solver.Solve(t, previous);
                // Following a point on the far side of the Earth may keep to the far side; a
                // start on the near side finds the point there when there is one.
                if (!s.Exists() && previous != nullptr) {
                    const Sample fresh = m_solver.Solve(t, nullptr);
                    if (fresh.Exists() || !s.Found()) {
                        s = fresh;
                    }
                }
            }
            grid.push_back(s);
            previous = grid.back().Found() ? &grid.back() : nullptr;
        }

        std::vector<std::vector<Sample>> intervals;
        std::vector<Sample> current;
        for (std::size_t i = 0; i < grid.size(); ++i) {
            const Sample& s = grid[i];
            if (s.Exists()) {
                if (current.empty() && i > 0) {
                    const Sample start = LimbBetween(s, grid[i - 1]);
                    const std::vector<Sample> beyond = m_solver.ExtendToLimb(start);
                    current.assign(beyond.rbegin(), beyond.rend());
                    current.push_back(start);
                }
                current.push_back(s);
                if (i + 1 < grid.size() && !grid[i + 1].Exists()) {
                    const Sample last = LimbBetween(s, grid[i + 1]);
                    current.push_back(last);
                    const std::vector<Sample> beyond = m_solver.ExtendToLimb(last);
                    current.insert(current.end(), beyond.begin(), beyond.end());
                    intervals.push_back(std::move(current));
                    current.clear();
                }
                continue;
            }
            // A curve that touches the Earth only between two samples: its value rises above 0
            // between them.
            if (i > 0 && i + 1 < grid.size() && s.Found() && grid[i - 1].Found()
                && grid[i + 1].Found() && s.value >= grid[i - 1].value
                && s.value >= grid[i + 1].value && s.value > -0.05) {
                const Sample top = Highest(grid[i - 1], grid[i + 1], s);
                if (top.Exists()) {
                    const Sample first = LimbBetween(top, grid[i - 1]);
                    const Sample last = LimbBetween(top, grid[i + 1]);
                    const std::vector<Sample> before = m_solver.ExtendToLimb(first);
                    const std::vector<Sample> after = m_solver.ExtendToLimb(last);
                    std::vector<Sample> v(before.rbegin(), before.rend());
                    v.push_back(first);
                    v.push_back(top);
                    v.push_back(last);
                    v.insert(v.end(), after.begin(), after.end());
                    intervals.push_back(std::move(v));
                }
            }
        }
        if (!current.empty()) {
            intervals.push_back(std::move(current));  // still on the Earth at the end of the fit
        }
        // Drop stretches that shrank to a single instant.
        std::erase_if(intervals, [](const std::vector<Sample>& v) {
            return v.size() < 2 || (v.size() == 2 && v.back().t <= v.front().t);
        });
        return intervals;
    }

    // The last instant, going from `inside` towards `outside`, at which the curve still lies on
    // the Earth.
    Sample LimbBetween(Sample inside, const Sample& outsideSample) const {
        double outside = outsideSample.t;
        for (int i = 0; i < kLimbBisections; ++i) {
            const double t = 0.5 * (inside.t + outside);
            const Sample s = m_solver.Solve(t, &inside);
            if (s.Exists()) {
                inside = s;
            } else {
                outside = t;
            }
        }
        return inside;
    }

    // Golden-section search for the sample of the largest value between a and b.
    Sample Highest(const Sample& a, const Sample& b, const Sample& middle) const {
        constexpr double kRatio = 0.6180339887498949;
        double lo = a.t;
        double hi = b.t;
        Sample best = middle;
        double x1 = hi - kRatio * (hi - lo);
        double x2 = lo + kRatio * (hi - lo);
        Sample s1 = m_solver.Solve(x1, &best);
        Sample s2 = m_solver.Solve(x2, &best);
        for (int i = 0; i < 40 && s1.Found() && s2.Found(); ++i) {
            if (s1.value >= s2.value) {
                hi = x2;
                x2 = x1;
                s2 = s1;
                x1 = hi - kRatio * (hi - lo);
                s1 = m_solver.Solve(x1, &s2);
            } else {
                lo = x1;
                x1 = x2;
                s1 = s2;
                x2 = lo + kRatio * (hi - lo);
                s2 = m_solver.Solve(x2, &s1);
            }
            const Sample& top = s1.Found() && (!s2.Found() || s1.value >= s2.value) ? s1 : s2;
            if (top.Found() && top.value > best.value) {
                best = top;
            }
            if (best.Exists()) {
                break;
            }
        }
        return best;
    }

    // Inserts, in order, the points needed between a and b (both on the curve).
    void Refine(const Sample& a, const Sample& b, int depth, std::vector<Sample>& out) const {
        if (depth >= kMaxSplitDepth) {
            return;
        }
        const Sample m = m_solver.Solve(0.5 * (a.t + b.t), &a);
        if (!m.Exists()) {
            return;
        }
        const bool split = ArcKm(a, b) > kMaxSegmentKm
                           || DistanceToArcKm(a, m, b) > kMidpointToleranceKm
                           || DistanceToLonLatSegmentKm(a, m, b) > kMidpointToleranceKm;
        if (!split) {
            return;
        }
        Refine(a, m, depth + 1, out);
        out.push_back(m);
        Refine(m, b, depth + 1, out);
    }

    // The point in degrees, for a limit checked against the local circumstances of the place
    // and solved again with a corrected depth while it falls outside the accepted band.
    PathPoint Checked(Sample s) const {
        const auto toPoint = [](const Sample& x, double t) {
            return PathPoint{x.latitude * kRadToDeg, NormaliseLongitude(x.longitude) * kRadToDeg,
                             t};
        };
        if (m_solver.Central()) {
            return toPoint(s, s.t);
        }
        const bool umbral = m_curve == PathCurve::UmbraNorth || m_curve == PathCurve::UmbraSouth;
        double t = s.t;
        for (int retry = 0; retry <= kMaxRetries; ++retry) {
            StadtType place;
            const PathPoint p = toPoint(s, s.t);
            place.Breite = p.latitude;
            place.Laenge = p.longitude;
            double measured = -kPathLimitDepth;  // no occultation: move inwards
            if (ComputeLocalCircumstances(m_record, place, m_deltaT, Language::English)) {
                t = place.Zeit[kMaximum];
                if (!umbral) {
                    measured = place.Magn;
                } else if (place.Typ == 't') {
                    measured = place.Magn - 1.0;
                } else if (place.Typ == 'a') {
                    return toPoint(s, t);  // an annular magnitude does not mark the limit
                }
            }
            if (measured >= 0.0 && measured <= kPathLimitBand) {
                return toPoint(s, t);
            }
            const Sample again = m_solver.Solve(s.t, &s, s.depth + kPathLimitDepth - measured);
            if (!again.Found()) {
                break;
            }
            s = again;
        }
        return toPoint(s, t);
    }

    const BesselRecord& m_record;
    double m_deltaT;
    PathCurve m_curve;
    CurveSolver m_solver;
};

}  // namespace

const char* PathCurveName(PathCurve curve) {
    switch (curve) {
        case PathCurve::Central:
            return "central";
        case PathCurve::PenumbraNorth:
            return "penumbra-north";
        case PathCurve::PenumbraSouth:
            return "penumbra-south";
        case PathCurve::UmbraNorth:
            return "umbra-north";
        case PathCurve::UmbraSouth:
            return "umbra-south";
    }
    return "";
}

PathLimitSet PathLimits(const BesselRecord& record, double deltaT) {
    PathLimitSet set;
    set.deltaT = deltaT;
    for (const PathCurve curve : kPathCurves) {
        set.curves[static_cast<std::size_t>(curve)] = ChainBuilder(record, deltaT, curve).Build();
    }
    return set;
}

std::optional<PathPoint> PathPointAt(const BesselRecord& record, double deltaT, PathCurve curve,
                                     double t, const PathPoint* near) {
    Sample start;
    if (near != nullptr) {
        start.latitude = near->latitude * kDegToRad;
        start.longitude = near->longitude * kDegToRad;
        start.value = 0.0;
    }
    const Sample s =
        CurveSolver(record, deltaT, curve).Solve(t, near != nullptr ? &start : nullptr);
    if (!s.Exists()) {
        return std::nullopt;
    }
    return PathPoint{s.latitude * kRadToDeg, NormaliseLongitude(s.longitude) * kRadToDeg, t};
}

}  // namespace zimbalo::astro
