#include "astro/visibility_curves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

#include "astro/constants.h"
#include "astro/language.h"
#include "astro/local_circumstances.h"
#include "astro/numeric.h"
#include "astro/shadow_geometry.h"
#include "astro/time_scales.h"

namespace zimbalo::astro {

namespace {

// The elements are fitted over T0 +- 4 hours; the curves are looked for only there.
constexpr double kFitHalfWidth = 4.0;
// Instants (hours) at which the horizon and twilight curves are sampled; their ends are found
// between two of them.
constexpr double kScanStep = 2.0 / 60.0;
// Passes of the place on the penumbral circle: the first takes zeta on the flattened Earth, the
// second the place's own. A third would move the place by well under a metre.
constexpr int kSolvePasses = 2;
// Points around the penumbral circle: for the contours, and for the scan.
constexpr int kContourPoints = 180;
constexpr int kScanPoints = 64;
// Contour segments are halved while they are longer than this (km) on the Earth.
constexpr double kMaxSegmentKm = 40.0;
constexpr int kMaxSplitDepth = 8;
// A contour ends where the relative motion is this close to tangent to the circle (cosine of the
// angle between them): a few metres inside the penumbral limit, where the contact time is still
// well defined and the local circumstances find an occultation.
constexpr double kLimitEdge = 0.003;
// Steps for a crossing along the circle and its tolerance (radians of altitude, the cosine g or
// the squared radius); steps of bisection for the end of a curve in time.
constexpr int kCrossingSteps = 40;
constexpr double kCrossingTolerance = 1e-9;
constexpr int kEndBisections = 8;
// Halvings of the time step between two crossings that lie far apart.
constexpr int kMaxGapDepth = 5;
// Points around the circle while an end or a point between two is looked for.
constexpr int kEndPoints = 48;
// Points on the stretch of the circle where a point between two is looked for first, and the
// widening of that stretch (radians; the circle moves some 100 km, 0.06 rad, in a scan step).
constexpr int kArcPoints = 9;
constexpr double kArcMargin = 0.1;
// The stretch on either side of a crossing where it is followed towards the end of its curve
// (radians; some 600 km on the circle, as far as two crossings are linked).
constexpr double kEndArc = 0.35;
// Crossings of two scan instants farther apart than this (km) are not taken for one curve.
constexpr double kLinkKm = 600.0;
// A crossing is taken when the altitude found there is this close to its level (radians).
constexpr double kLevelTolerance = 1e-6;
// Curve ends closer than this (km) are joined: a curve that turns back in time.
constexpr double kJoinKm = 5.0;
// Points checked with the local circumstances at each end of a curve, and the margins used.
constexpr std::size_t kCheckedContourEnds = 16;
constexpr std::size_t kCheckedTracedEnds = 6;
constexpr double kCheckSeconds = 1.0;
constexpr double kCheckDegrees = 0.02;
// Shorter events get contours every 5 minutes.
constexpr double kShortEventHours = 2.0;

double NormaliseLongitude(double lambda) {
    lambda = std::remainder(lambda, kTwoPi);
    return lambda >= kPi ? lambda - kTwoPi : lambda;
}

// Great-circle distance in km between two places (radians).
double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
    return AngularDistance(lon1, lat1, lon2, lat2) * earth::kRadiusKm;
}

// What stays the same at one instant: the elements, the flattening of the Earth's outline and the
// Sun.
struct Instant {
    double t = 0.0;
    ElementSet e;
    double invRho1 = 1.0;
    double jd = 0.0;
    double sunRa = 0.0;
    double sunDec = 0.0;
};

// A point of the penumbral circle at one instant, on the Earth's near side (the planet up,
// branch +1) or far side (branch -1); branch 0 marks a point on the Earth's outline, where both
// meet.
struct Node {
    double q = 0.0;  // position angle on the circle, radians from the axis' north
    int branch = 1;
    bool exists = false;  // the circle's point lies within the Earth's outline
    double rim = 0.0;     // squared distance from the Earth's centre on the flattened plane, - 1
    double latitude = 0.0;
    double longitude = 0.0;
    double g = 0.0;  // cosine of the angle between the relative motion and the way to the axis
    double h = 0.0;  // planet altitude, radians
    double s = 0.0;  // Sun altitude, radians
    bool boundary = false;  // a point where the sky changes along a contour
};

class CircleSolver {
public:
    CircleSolver(const BesselRecord& record, double deltaT) : m_record(record), m_deltaT(deltaT) {}

    Instant At(double t) const {
        Instant in;
        in.t = t;
        in.e = EvaluateElements(m_record, t);
        in.invRho1 = 1.0 / std::sqrt(1.0 - earth::kE2 * in.e.cosd * in.e.cosd);
        in.jd = ContactUT(m_record, m_deltaT, t);
        in.sunRa = SunRightAscension(in.jd);
        in.sunDec = SunDeclination(in.jd);
        return in;
    }

    // The place whose distance from the shadow axis at the instant equals its penumbral radius
    // L1' (its own zeta), in the direction q from the axis. L1' depends on the place only through
    // zeta, by tan f1 (some 0.005), so zeta on the flattened Earth nearly settles it.
    Node Solve(const Instant& in, double q, int branch) const {
        const ElementSet& e = in.e;
        Node n;
        n.q = q;
        n.branch = branch;
        const double sq = std::sin(q);
        const double cq = std::cos(q);
        const int side = branch < 0 ? -1 : 1;
        double zeta = 0.0;
        ObserverState st;
        Observer o;
        for (int pass = 0; pass < kSolvePasses; ++pass) {
            const double radius = e.L1 - zeta * e.tanf1;
            double xi = e.x + radius * sq;
            double eta1 = (e.y + radius * cq) * in.invRho1;
            double r2 = xi * xi + eta1 * eta1;
            n.exists = r2 <= 1.0;
            n.rim = r2 - 1.0;
            if (r2 > 1.0) {
                const double r = std::sqrt(r2);
                xi /= r;
                eta1 /= r;
                r2 = 1.0;
            }
            const double z1 = side * std::sqrt(std::fmax(0.0, 1.0 - r2));
            if (pass == 0) {
                // zeta on the flattened Earth is close enough for the first radius.
                zeta = z1;
                continue;
            }
            ElementSet at = e;
            at.x = xi;
            at.y = eta1 / in.invRho1;
            const GeoRadians p = AxisPoint(at, z1, m_deltaT);
            o.latitude = p.latitude;
            o.longitudeWest = -p.longitude;
            o.rho = ObserverConstants(p.latitude, 0.0);
            st = ObserverOnPlane(m_record, o, m_deltaT, e);
            zeta = st.zeta;
        }
        n.latitude = o.latitude;
        n.longitude = NormaliseLongitude(-o.longitudeWest);
        n.g = (st.u * st.a + st.v * st.b) / (st.n * st.L1p);
        // The altitudes as the local circumstances give them: geodetic latitude, no refraction.
        n.h = ArcSinClamped(std::cos(st.theta) * std::cos(o.latitude) * e.cosd
                            + std::sin(o.latitude) * e.sind);
        n.s = Altitude(in.jd, in.sunRa, in.sunDec, n.longitude, n.latitude);
        return n;
    }

    // The point a fraction f of the way from a to b along the circle, on their branch.
    Node Between(const Instant& in, const Node& a, const Node& b, double f) const {
        const int branch = a.branch != 0 ? a.branch : (b.branch != 0 ? b.branch : 1);
        return Solve(in, a.q + f * std::remainder(b.q - a.q, kTwoPi), branch);
    }

    // The point between a and b where value(node) reaches `level`; value(a) and value(b) lie on
    // either side of it. Regula falsi with the Illinois modification: a smooth value converges
    // in a handful of steps; one that jumps ends at the jump, which the caller can tell by the
    // value there.
    template <typename Value>
    Node Crossing(const Instant& in, const Node& a, const Node& b, Value value,
                  double level) const {
        double lo = 0.0;
        double hi = 1.0;
        double flo = value(a) - level;
        double fhi = value(b) - level;
        Node best = a;
        int kept = 0;  // which end stayed on the last step: -1 lo, +1 hi
        for (int i = 0; i < kCrossingSteps; ++i) {
            double mid = (lo * fhi - hi * flo) / (fhi - flo);
            if (!(mid > lo && mid < hi)) {
                mid = 0.5 * (lo + hi);
            }
            best = Between(in, a, b, mid);
            const double f = value(best) - level;
            if (std::fabs(f) < kCrossingTolerance || hi - lo < 1e-12) {
                break;
            }
            if ((f < 0.0) == (flo < 0.0)) {
                lo = mid;
                flo = f;
                if (kept == 1) {
                    fhi *= 0.5;
                }
                kept = 1;
            } else {
                hi = mid;
                fhi = f;
                if (kept == -1) {
                    flo *= 0.5;
                }
                kept = -1;
            }
        }
        return best;
    }

    // The point where the circle leaves the Earth's outline between `inside` and `outside`.
    Node Fold(const Instant& in, const Node& inside, const Node& outside) const {
        Node best = Crossing(
            in, inside, outside, [](const Node& n) { return n.rim; }, 0.0);
        best.exists = true;
        best.branch = 0;
        return best;
    }

    // The closed curves on the Earth of the places on the penumbral circle at the instant, each
    // from near side to far side and back through the points where the circle crosses the
    // Earth's outline. Empty when the circle misses the Earth.
    std::vector<std::vector<Node>> Loops(const Instant& in, int count) const {
        std::vector<Node> near;
        near.reserve(static_cast<std::size_t>(count));
        int inside = 0;
        for (int j = 0; j < count; ++j) {
            near.push_back(Solve(in, kTwoPi * j / count, 1));
            inside += near.back().exists ? 1 : 0;
        }
        std::vector<std::vector<Node>> loops;
        if (inside == 0) {
            return loops;
        }
        const auto farOf = [&](const Node& n) { return Solve(in, n.q, -1); };
        if (inside == count) {
            std::vector<Node> far;
            far.reserve(near.size());
            for (const Node& n : near) {
                far.push_back(farOf(n));
            }
            loops.push_back(std::move(near));
            loops.push_back(std::move(far));
            return loops;
        }
        const auto at = [&](int j) -> const Node& {
            return near[static_cast<std::size_t>(((j % count) + count) % count)];
        };
        for (int j = 0; j < count; ++j) {
            if (!at(j).exists || at(j - 1).exists) {
                continue;  // not the start of a stretch within the outline
            }
            int last = j;
            while (at(last + 1).exists) {
                ++last;
            }
            std::vector<Node> loop;
            loop.push_back(Fold(in, at(j), at(j - 1)));
            for (int k = j; k <= last; ++k) {
                loop.push_back(at(k));
            }
            loop.push_back(Fold(in, at(last), at(last + 1)));
            for (int k = last; k >= j; --k) {
                const Node f = farOf(at(k));
                if (f.exists) {
                    loop.push_back(f);
                }
            }
            loops.push_back(std::move(loop));
        }
        return loops;
    }

    // Whether the local circumstances at the place (degrees) agree with the curve: the contact at
    // its label (contour), the planet on the horizon, the Sun at its altitude, with a margin
    // inside the accepted 2 s and 0.05 degree. Near a penumbral limit, where the contact hardly
    // exists, their iteration can end a few seconds away from the geometric contact.
    bool Agrees(const VisibilityCurve& curve, const CurvePoint& p) const {
        StadtType place;
        place.Breite = p.latitude;
        place.Laenge = p.longitude;
        if (!ComputeLocalCircumstances(m_record, place, m_deltaT, Language::English)) {
            return false;
        }
        const std::size_t c = curve.contact == ContactKind::D ? kFirstContact : kFourthContact;
        switch (curve.kind) {
            case VisibilityCurveKind::Contour:
                return std::fabs(place.Zeit[c] - curve.t) * 3600.0 < kCheckSeconds;
            case VisibilityCurveKind::Horizon:
                return std::fabs(place.H[c] * kRadToDeg) < kCheckDegrees;
            case VisibilityCurveKind::Twilight:
                break;
        }
        return std::fabs(SunAltitudeAt(m_record, m_deltaT, place.Zeit[c], p.latitude, p.longitude)
                             * kRadToDeg
                         - curve.sunAltitude)
               < kCheckDegrees;
    }

    // Whether the local circumstances find an occultation at the place (radians).
    bool Occulted(double latitude, double longitude) const {
        StadtType place;
        place.Breite = latitude * kRadToDeg;
        place.Laenge = NormaliseLongitude(longitude) * kRadToDeg;
        return ComputeLocalCircumstances(m_record, place, m_deltaT, Language::English);
    }

private:
    const BesselRecord& m_record;
    double m_deltaT;
};

// The part of a loop where one contact happens at the instant: the observer enters the
// penumbra there (g < 0, first contact) or leaves it (g > 0, fourth contact).
struct Run {
    ContactKind contact = ContactKind::D;
    std::vector<Node> nodes;
    bool closed = false;
};

std::vector<Run> Runs(const CircleSolver& solver, const Instant& in,
                      const std::vector<Node>& loop) {
    std::vector<Run> runs;
    const std::size_t n = loop.size();
    if (n < 2) {
        return runs;
    }
    const auto kindOf = [](const Node& node) {
        return node.g < 0.0 ? ContactKind::D : ContactKind::R;
    };
    const auto gOf = [](const Node& node) { return node.g; };
    std::size_t start = n;
    for (std::size_t i = 0; i < n; ++i) {
        if (kindOf(loop[i]) != kindOf(loop[(i + n - 1) % n])) {
            start = i;
            break;
        }
    }
    if (start == n) {
        Run run{kindOf(loop[0]), loop, true};
        runs.push_back(std::move(run));
        return runs;
    }
    // Walk once round from a change of contact; each run ends a little inside the limit.
    for (std::size_t k = 0; k < n;) {
        const Node& first = loop[(start + k) % n];
        Run run;
        run.contact = kindOf(first);
        const double edge = run.contact == ContactKind::D ? -kLimitEdge : kLimitEdge;
        const bool beyondEdge = run.contact == ContactKind::D ? first.g < edge : first.g > edge;
        const Node& before = loop[(start + k + n - 1) % n];
        if (beyondEdge) {
            run.nodes.push_back(solver.Crossing(in, first, before, gOf, edge));
        }
        std::size_t j = k;
        while (j < n && kindOf(loop[(start + j) % n]) == run.contact) {
            const Node& node = loop[(start + j) % n];
            const bool inner = run.contact == ContactKind::D ? node.g < edge : node.g > edge;
            if (inner) {
                run.nodes.push_back(node);
            }
            ++j;
        }
        const Node& lastInside = loop[(start + j - 1) % n];
        const Node& after = loop[(start + j) % n];
        if (run.contact == ContactKind::D ? lastInside.g < edge : lastInside.g > edge) {
            run.nodes.push_back(solver.Crossing(in, lastInside, after, gOf, edge));
        }
        if (run.nodes.size() >= 2) {
            runs.push_back(std::move(run));
        }
        k = j;
    }
    return runs;
}

// The run with points added where a segment is long on the Earth.
void Subdivide(const CircleSolver& solver, const Instant& in, const Node& a, const Node& b,
               int depth, std::vector<Node>& out) {
    if (depth >= kMaxSplitDepth
        || DistanceKm(a.latitude, a.longitude, b.latitude, b.longitude) <= kMaxSegmentKm) {
        return;
    }
    const Node m = solver.Between(in, a, b, 0.5);
    Subdivide(solver, in, a, m, depth + 1, out);
    out.push_back(m);
    Subdivide(solver, in, m, b, depth + 1, out);
}

// The nodes with a boundary node inserted wherever value(node) passes `level`.
template <typename Value>
std::vector<Node> WithCrossings(const CircleSolver& solver, const Instant& in,
                                const std::vector<Node>& nodes, Value value, double level) {
    std::vector<Node> out;
    out.reserve(nodes.size() + 4);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i > 0 && (value(nodes[i - 1]) < level) != (value(nodes[i]) < level)
            && !nodes[i - 1].boundary && !nodes[i].boundary) {
            Node c = solver.Crossing(in, nodes[i - 1], nodes[i], value, level);
            c.boundary = true;
            out.push_back(c);
        }
        out.push_back(nodes[i]);
    }
    return out;
}

enum class Sky { Unknown, Hidden, Dark, Bright };

Sky SkyOf(const Node& n) {
    if (n.h < 0.0) {
        return Sky::Hidden;
    }
    return n.s <= kDarkSunAltitude * kDegToRad ? Sky::Dark : Sky::Bright;
}

CurvePoint ToPoint(const Node& n) {
    return {n.latitude * kRadToDeg, NormaliseLongitude(n.longitude) * kRadToDeg};
}

// The curve without the points near its ends that the local circumstances do not confirm:
// from each end, points are checked until `ends` in a row agree, and every point before the
// last one that did not is taken off. A curve left with fewer than two points is dropped.
void AddChecked(const CircleSolver& solver, VisibilityCurve curve, std::size_t ends,
                std::vector<VisibilityCurve>& out) {
    const std::vector<CurvePoint>& p = curve.points;
    std::size_t first = 0;
    for (std::size_t i = 0, good = 0; i < p.size() && good < ends; ++i) {
        if (solver.Agrees(curve, p[i])) {
            ++good;
        } else {
            good = 0;
            first = i + 1;
        }
    }
    std::size_t last = p.size();
    for (std::size_t i = p.size(), good = 0; i > first && good < ends; --i) {
        if (solver.Agrees(curve, p[i - 1])) {
            ++good;
        } else {
            good = 0;
            last = i - 1;
        }
    }
    if (last < first + 2) {
        return;
    }
    curve.points.erase(curve.points.begin() + static_cast<std::ptrdiff_t>(last),
                       curve.points.end());
    curve.points.erase(curve.points.begin(),
                       curve.points.begin() + static_cast<std::ptrdiff_t>(first));
    out.push_back(std::move(curve));
}

// The contour segments of one run: cut where the planet sets or rises and where the Sun passes
// -6 degrees; the parts with the planet down are left out.
void AddContours(const CircleSolver& solver, const Instant& in, Run run,
                 std::vector<VisibilityCurve>& out) {
    if (run.closed) {
        run.nodes.push_back(run.nodes.front());
    }
    std::vector<Node> dense;
    dense.push_back(run.nodes.front());
    for (std::size_t i = 1; i < run.nodes.size(); ++i) {
        Subdivide(solver, in, run.nodes[i - 1], run.nodes[i], 0, dense);
        dense.push_back(run.nodes[i]);
    }
    dense = WithCrossings(
        solver, in, dense, [](const Node& n) { return n.h; }, 0.0);
    dense = WithCrossings(
        solver, in, dense, [](const Node& n) { return n.s; }, kDarkSunAltitude * kDegToRad);
    VisibilityCurve current;
    current.kind = VisibilityCurveKind::Contour;
    current.contact = run.contact;
    current.t = in.t;
    Sky sky = Sky::Unknown;
    const auto flush = [&]() {
        if ((sky == Sky::Dark || sky == Sky::Bright) && current.points.size() >= 2) {
            current.seen = sky == Sky::Dark ? SkySeen::Dark : SkySeen::Bright;
            AddChecked(solver, current, kCheckedContourEnds, out);
        }
        current.points.clear();
    };
    for (const Node& n : dense) {
        if (n.boundary) {
            current.points.push_back(ToPoint(n));
            flush();
            current.points.push_back(ToPoint(n));
            sky = Sky::Unknown;
            continue;
        }
        const Sky here = SkyOf(n);
        if (sky != Sky::Unknown && sky != here) {
            // Two changes fell between neighbours without a crossing found: start afresh.
            flush();
        }
        sky = here;
        current.points.push_back(ToPoint(n));
    }
    flush();
}

// The quantities whose level curves are traced through the scan: planet altitude 0, Sun
// altitude 0 and -6 degrees, each for D and for R.
struct Traced {
    VisibilityCurveKind kind;
    bool sun;
    double degrees;
    double level;  // radians
};

constexpr std::array<Traced, 3> kTraced = {{
    {VisibilityCurveKind::Horizon, false, 0.0, 0.0},
    {VisibilityCurveKind::Twilight, true, 0.0, 0.0},
    {VisibilityCurveKind::Twilight, true, kDarkSunAltitude, kDarkSunAltitude* kDegToRad},
}};
constexpr std::size_t kTracedKeys = 2 * kTraced.size();

struct Found {
    double latitude;
    double longitude;
    double q = 0.0;  // position angle on the circle where it was found
};

// The places along a line of nodes where the traced quantity passes its level, added to `out`;
// a step takes part when `usable` holds at both its ends.
template <typename Usable>
void AddLevelCrossings(const CircleSolver& solver, const Instant& in, const std::vector<Node>& line,
                       const Traced& tr, Usable usable, std::vector<Found>& out) {
    const auto value = [&tr](const Node& n) { return tr.sun ? n.s : n.h; };
    for (std::size_t i = 1; i < line.size(); ++i) {
        const Node& p = line[i - 1];
        const Node& n = line[i];
        if (!usable(p) || !usable(n) || (value(p) < tr.level) == (value(n) < tr.level)) {
            continue;
        }
        const Node c = solver.Crossing(in, p, n, value, tr.level);
        // A change of sign without a root between (the circle's points jump there) is no
        // crossing. The Sun matters only where the planet is up: a twilight curve ends at the
        // horizon curve.
        if (std::fabs(value(c) - tr.level) < kLevelTolerance && (!tr.sun || c.h >= 0.0)) {
            out.push_back({c.latitude, c.longitude, c.q});
        }
    }
}

// The crossings of every traced quantity at one instant, by key (contact x 3 + quantity).
std::array<std::vector<Found>, kTracedKeys> CrossingsAt(const CircleSolver& solver, double t,
                                                        int count, int onlyKey = -1) {
    std::array<std::vector<Found>, kTracedKeys> found;
    const Instant in = solver.At(t);
    for (const std::vector<Node>& loop : solver.Loops(in, count)) {
        for (const Run& run : Runs(solver, in, loop)) {
            std::vector<Node> nodes = run.nodes;
            if (run.closed) {
                nodes.push_back(nodes.front());
            }
            for (std::size_t q = 0; q < kTraced.size(); ++q) {
                const std::size_t key = (run.contact == ContactKind::D ? 0 : 3) + q;
                if (onlyKey >= 0 && key != static_cast<std::size_t>(onlyKey)) {
                    continue;
                }
                AddLevelCrossings(
                    solver, in, nodes, kTraced[q], [](const Node&) { return true; }, found[key]);
            }
        }
    }
    return found;
}

struct Chain {
    std::vector<double> times;
    std::vector<Found> points;
};

double Km(const Found& a, const Found& b) {
    return DistanceKm(a.latitude, a.longitude, b.latitude, b.longitude);
}

// The crossings of one key at the instant t on the stretch of the circle from position angle
// `from` over `span` (radians, either way): a few points on both sides of the Earth instead of
// the whole circle, where a crossing is known to be near. Where the stretch leaves the Earth's
// outline, the near and the far side are walked as one line through the point on the outline,
// as round the whole circle.
std::vector<Found> ArcCrossings(const CircleSolver& solver, std::size_t key, double t, double from,
                                double span) {
    const Instant in = solver.At(t);
    std::array<Node, kArcPoints> near;
    for (std::size_t i = 0; i < near.size(); ++i) {
        near[i] = solver.Solve(in, from + span * static_cast<double>(i) / (kArcPoints - 1), 1);
    }
    const auto far = [&](std::size_t i) { return solver.Solve(in, near[i].q, -1); };
    // The lines to look along: for every stretch of the arc within the outline, its near and far
    // points, joined where the stretch meets the outline inside the arc.
    std::vector<std::vector<Node>> lines;
    for (std::size_t s = 0; s < near.size(); ++s) {
        if (!near[s].exists || (s > 0 && near[s - 1].exists)) {
            continue;
        }
        std::size_t e = s;
        while (e + 1 < near.size() && near[e + 1].exists) {
            ++e;
        }
        const bool foldBefore = s > 0;
        const bool foldAfter = e + 1 < near.size();
        std::vector<Node> line;
        if (foldBefore && !foldAfter) {
            for (std::size_t k = e + 1; k-- > s;) {
                line.push_back(far(k));
            }
        }
        if (foldBefore) {
            line.push_back(solver.Fold(in, near[s], near[s - 1]));
        }
        line.insert(line.end(), near.begin() + static_cast<std::ptrdiff_t>(s),
                    near.begin() + static_cast<std::ptrdiff_t>(e + 1));
        if (foldAfter) {
            line.push_back(solver.Fold(in, near[e], near[e + 1]));
            for (std::size_t k = e + 1; k-- > s;) {
                line.push_back(far(k));
            }
        }
        lines.push_back(std::move(line));
        if (!foldBefore && !foldAfter) {
            std::vector<Node> farLine;
            for (std::size_t k = s; k <= e; ++k) {
                farLine.push_back(far(k));
            }
            lines.push_back(std::move(farLine));
        }
    }
    const bool d = key < kTraced.size();
    const double edge = d ? -kLimitEdge : kLimitEdge;
    // A node takes part where the contact of the key happens there, inside the limit.
    const auto usable = [&](const Node& n) { return d ? n.g < edge : n.g > edge; };
    std::vector<Found> found;
    for (const std::vector<Node>& line : lines) {
        AddLevelCrossings(solver, in, line, kTraced[key % kTraced.size()], usable, found);
    }
    return found;
}

// Follows the crossing of one key from `from` (in the chain at `tIn`) towards `tOut`, where it is
// gone, and gives the points found on the way, nearest the end last.
std::vector<std::pair<double, Found>> TowardsEnd(const CircleSolver& solver, std::size_t key,
                                                 double tIn, double tOut, Found from) {
    std::vector<std::pair<double, Found>> out;
    for (int i = 0; i < kEndBisections; ++i) {
        const double mid = 0.5 * (tIn + tOut);
        const std::vector<Found> found =
            ArcCrossings(solver, key, mid, from.q - kEndArc, 2.0 * kEndArc);
        const Found* best = nullptr;
        double bestKm = kLinkKm;
        for (const Found& f : found) {
            const double km = Km(f, from);
            if (km < bestKm) {
                bestKm = km;
                best = &f;
            }
        }
        if (best != nullptr) {
            from = *best;
            out.emplace_back(mid, from);
            tIn = mid;
        } else {
            tOut = mid;
        }
    }
    return out;
}

// Points between two linked crossings (instants ta, tb) while they lie far apart on the Earth:
// at the middle instant the crossing nearest to both, when it lies between them.
void FillGap(const CircleSolver& solver, std::size_t key, double ta, const Found& a, double tb,
             const Found& b, int depth, std::vector<std::pair<double, Found>>& out) {
    const double gap = Km(a, b);
    if (depth >= kMaxGapDepth || gap <= kMaxSegmentKm) {
        return;
    }
    const double tm = 0.5 * (ta + tb);
    // The point at the middle instant nearer to both than they are to each other: looked for
    // first on the stretch of the circle between a and b, widened by half of it and a margin on
    // both sides, then round the whole circle.
    const auto nearest = [&](const std::vector<Found>& found) {
        std::optional<Found> mid;
        double best = gap;
        for (const Found& f : found) {
            const double km = std::fmax(Km(f, a), Km(f, b));
            if (km < best) {
                best = km;
                mid = f;
            }
        }
        return mid;
    };
    const double dq = std::remainder(b.q - a.q, kTwoPi);
    const double margin = std::copysign(0.5 * std::fabs(dq) + kArcMargin, dq);
    std::optional<Found> mid =
        nearest(ArcCrossings(solver, key, tm, a.q - margin, dq + 2.0 * margin));
    if (!mid) {
        mid = nearest(CrossingsAt(solver, tm, kEndPoints, static_cast<int>(key))[key]);
    }
    if (!mid) {
        return;
    }
    FillGap(solver, key, ta, a, tm, *mid, depth + 1, out);
    out.emplace_back(tm, *mid);
    FillGap(solver, key, tm, *mid, tb, b, depth + 1, out);
}

// Horizon and twilight curves: the crossings at every scan instant, linked from instant to
// instant by nearness, their ends found between two instants.
void AddTracedCurves(const CircleSolver& solver, const std::vector<double>& times,
                     std::vector<VisibilityCurve>& out) {
    std::array<std::vector<Chain>, kTracedKeys> done;
    std::array<std::vector<Chain>, kTracedKeys> active;
    for (std::size_t ti = 0; ti < times.size(); ++ti) {
        const double t = times[ti];
        const bool consecutive = ti > 0 && t - times[ti - 1] < 1.5 * kScanStep;
        const auto found = CrossingsAt(solver, t, kScanPoints);
        for (std::size_t key = 0; key < kTracedKeys; ++key) {
            std::vector<Chain>& chains = active[key];
            if (!consecutive) {
                for (Chain& c : chains) {
                    done[key].push_back(std::move(c));
                }
                chains.clear();
            }

            // Greedy matching, nearest pairs first.
            struct Pair {
                double km;
                std::size_t chain, found;
            };

            std::vector<Pair> pairs;
            for (std::size_t c = 0; c < chains.size(); ++c) {
                for (std::size_t f = 0; f < found[key].size(); ++f) {
                    const double km = Km(chains[c].points.back(), found[key][f]);
                    if (km < kLinkKm) {
                        pairs.push_back({km, c, f});
                    }
                }
            }
            std::sort(pairs.begin(), pairs.end(),
                      [](const Pair& a, const Pair& b) { return a.km < b.km; });
            std::vector<bool> chainUsed(chains.size(), false);
            std::vector<bool> foundUsed(found[key].size(), false);
            for (const Pair& p : pairs) {
                if (chainUsed[p.chain] || foundUsed[p.found]) {
                    continue;
                }
                chainUsed[p.chain] = foundUsed[p.found] = true;
                chains[p.chain].times.push_back(t);
                chains[p.chain].points.push_back(found[key][p.found]);
            }
            std::vector<Chain> next;
            for (std::size_t c = 0; c < chains.size(); ++c) {
                if (chainUsed[c]) {
                    next.push_back(std::move(chains[c]));
                } else {
                    Chain& ended = chains[c];
                    for (const auto& [tt, f] :
                         TowardsEnd(solver, key, ended.times.back(), t, ended.points.back())) {
                        ended.times.push_back(tt);
                        ended.points.push_back(f);
                    }
                    done[key].push_back(std::move(ended));
                }
            }
            for (std::size_t f = 0; f < found[key].size(); ++f) {
                if (foundUsed[f]) {
                    continue;
                }
                Chain c;
                if (consecutive) {
                    for (const auto& [tt, p] :
                         TowardsEnd(solver, key, t, times[ti - 1], found[key][f])) {
                        c.times.insert(c.times.begin(), tt);
                        c.points.insert(c.points.begin(), p);
                    }
                }
                c.times.push_back(t);
                c.points.push_back(found[key][f]);
                next.push_back(std::move(c));
            }
            chains = std::move(next);
        }
    }
    for (std::size_t key = 0; key < kTracedKeys; ++key) {
        for (Chain& c : active[key]) {
            done[key].push_back(std::move(c));
        }
        // Points between crossings that lie far apart: where the curve runs nearly along the
        // circle it moves fast from one instant to the next.
        for (Chain& c : done[key]) {
            Chain dense;
            for (std::size_t i = 0; i < c.points.size(); ++i) {
                if (i > 0) {
                    std::vector<std::pair<double, Found>> between;
                    FillGap(solver, key, c.times[i - 1], c.points[i - 1], c.times[i], c.points[i],
                            0, between);
                    for (const auto& [tt, f] : between) {
                        dense.times.push_back(tt);
                        dense.points.push_back(f);
                    }
                }
                dense.times.push_back(c.times[i]);
                dense.points.push_back(c.points[i]);
            }
            c = std::move(dense);
        }
        // A curve that turns back in time was found as two chains ending together: join them.
        std::vector<Chain>& chains = done[key];
        for (std::size_t a = 0; a < chains.size(); ++a) {
            for (std::size_t b = a + 1; b < chains.size(); ++b) {
                Chain& ca = chains[a];
                Chain& cb = chains[b];
                if (ca.points.empty() || cb.points.empty()) {
                    continue;
                }
                if (Km(ca.points.back(), cb.points.back()) < kJoinKm) {
                    ca.points.insert(ca.points.end(), cb.points.rbegin(), cb.points.rend());
                } else if (Km(ca.points.front(), cb.points.front()) < kJoinKm) {
                    ca.points.insert(ca.points.begin(), cb.points.rbegin(), cb.points.rend());
                } else if (Km(ca.points.back(), cb.points.front()) < kJoinKm) {
                    ca.points.insert(ca.points.end(), cb.points.begin(), cb.points.end());
                } else if (Km(ca.points.front(), cb.points.back()) < kJoinKm) {
                    ca.points.insert(ca.points.begin(), cb.points.begin(), cb.points.end());
                } else {
                    continue;
                }
                cb.points.clear();
                b = a;  // look again for a partner of the longer chain
            }
        }
        const Traced& tr = kTraced[key % kTraced.size()];
        for (Chain& c : chains) {
            // The last points towards a penumbral limit lie within metres of it; one that the
            // local circumstances put outside is dropped.
            while (!c.points.empty()
                   && !solver.Occulted(c.points.back().latitude, c.points.back().longitude)) {
                c.points.pop_back();
            }
            while (!c.points.empty()
                   && !solver.Occulted(c.points.front().latitude, c.points.front().longitude)) {
                c.points.erase(c.points.begin());
            }
            if (c.points.size() < 2) {
                continue;
            }
            VisibilityCurve curve;
            curve.kind = tr.kind;
            curve.contact = key < kTraced.size() ? ContactKind::D : ContactKind::R;
            curve.sunAltitude = tr.sun ? tr.degrees : 0.0;
            curve.points.reserve(c.points.size());
            for (const Found& f : c.points) {
                curve.points.push_back(
                    {f.latitude * kRadToDeg, NormaliseLongitude(f.longitude) * kRadToDeg});
            }
            AddChecked(solver, std::move(curve), kCheckedTracedEnds, out);
        }
    }
}

}  // namespace

const char* VisibilityCurveKindName(VisibilityCurveKind kind) {
    switch (kind) {
        case VisibilityCurveKind::Contour:
            return "contour";
        case VisibilityCurveKind::Horizon:
            return "horizon";
        case VisibilityCurveKind::Twilight:
            return "twilight";
    }
    return "";
}

const char* ContactKindName(ContactKind contact) {
    return contact == ContactKind::D ? "D" : "R";
}

VisibilityCurveSet VisibilityCurves(const BesselRecord& record, double deltaT) {
    VisibilityCurveSet set;
    set.deltaT = deltaT;
    const CircleSolver solver(record, deltaT);

    // The instants at which the penumbra can touch the Earth.
    std::vector<double> times;
    const int count = static_cast<int>(std::lround(2.0 * kFitHalfWidth / kScanStep));
    for (int i = 0; i <= count; ++i) {
        const double t = -kFitHalfWidth + kScanStep * i;
        const ElementSet e = EvaluateElements(record, t);
        const double invRho1 = 1.0 / std::sqrt(1.0 - earth::kE2 * e.cosd * e.cosd);
        if (std::hypot(e.x, e.y * invRho1) < 1.0 + e.L1 * invRho1 + 0.01) {
            times.push_back(t);
        }
    }
    if (times.empty()) {
        return set;
    }
    set.contourStepMinutes =
        times.back() - times.front() < kShortEventHours + 2.0 * kScanStep ? 5.0 : 10.0;

    // Contours at whole UT minutes: t = UT hour of day - (T0 - Delta T).
    const double t0UT = record.T0Hour - deltaT / 3600.0;
    const double step = set.contourStepMinutes;
    const double firstMinute = std::ceil((times.front() + t0UT) * 60.0 / step) * step;
    for (double minute = firstMinute; minute / 60.0 - t0UT <= times.back(); minute += step) {
        const Instant in = solver.At(minute / 60.0 - t0UT);
        for (const std::vector<Node>& loop : solver.Loops(in, kContourPoints)) {
            for (Run& run : Runs(solver, in, loop)) {
                AddContours(solver, in, std::move(run), set.curves);
            }
        }
    }
    AddTracedCurves(solver, times, set.curves);
    return set;
}

}  // namespace zimbalo::astro
