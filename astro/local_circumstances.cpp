#include "astro/local_circumstances.h"

#include <cmath>

#include "astro/constants.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"

namespace zimbalo::astro {

namespace {

struct Angles {
    double p, h, v;
};

// The result fields of a place, without its names (copying those would allocate per place);
// an altitude is there only once computed.
struct Results {
    std::array<double, 6> Zeit, P, V;
    std::array<std::optional<double>, 6> H;
    double Magn;
    char Typ;
};

// Position angles and altitude at a converged instant (from the values of its last step).
Angles AnglesAt(const ObserverState& s, const Observer& o) {
    double p = ArcTan2(s.u, s.v);
    while (p < 0.0) {
        p += kTwoPi;
    }
    while (p >= kTwoPi) {
        p -= kTwoPi;
    }
    const double cosPhi = std::cos(o.latitude);
    const double sinH = std::cos(s.theta) * cosPhi * s.e.cosd + std::sin(o.latitude) * s.e.sind;
    const double cosH = std::sqrt(std::fmax(0.0, 1.0 - sinH * sinH));
    const double h = ArcSinClamped(sinH);
    // With the planet in the zenith the uppermost point is undefined; take the north point.
    double sinQ = cosH > 0.0 ? cosPhi * std::sin(s.theta) / cosH : 0.0;
    sinQ = std::fmax(-1.0, std::fmin(1.0, sinQ));
    double cosQ = std::sqrt(1.0 - sinQ * sinQ);
    if (s.eta < 0.0) {
        cosQ = -cosQ;
    }
    const double q = ArcTan2(sinQ, cosQ);
    double v = p - q;
    while (v < 0.0) {
        v += kTwoPi;
    }
    while (v > kTwoPi) {
        v -= kTwoPi;
    }
    return {p, h, v};
}

// Half the time the observer spends inside a circle of radius `radius` around the axis, from the
// least distance of the straight relative track; 0 when the track only touches it.
double HalfChord(const ObserverState& s, double radius) {
    const double sigma = (s.a * s.v - s.u * s.b) / (s.n * radius);
    if (!(sigma > -1.0 && sigma < 1.0)) {
        return 0.0;
    }
    return std::sqrt(1.0 - sigma * sigma) * radius / s.n;
}

// One correction towards the contact with a circle of radius `radius`; `side` -1 before, +1 after
// the closest approach for a positive radius.
double ContactStep(const ObserverState& s, double radius, double side) {
    const double sigma = (s.a * s.v - s.b * s.u) / (s.n * radius);
    if (sigma <= -1.0 || sigma >= 1.0) {
        return 0.0;
    }
    return StepToClosest(s) + side * std::sqrt(1.0 - sigma * sigma) * radius / s.n;
}

}  // namespace

// rho sin phi' and rho cos phi' of an observer at geodetic latitude phi and height H above the
// ellipsoid: J. Meeus, "Astronomical Algorithms", 2nd ed. (1998), ch. 11, with tan u = (b/a) tan
// phi.
ObserverConstantsResult ObserverConstants(double phi, double heightMetres) {
    const double u = std::atan(earth::kAxisRatio * std::tan(phi));
    const double hr = heightMetres / earth::kEquatorialRadiusMetres;
    return {earth::kAxisRatio * std::sin(u) + hr * std::sin(phi), std::cos(u) + hr * std::cos(phi)};
}

Observer MakeObserver(double latitudeDeg, double longitudeDeg, double heightMetres) {
    Observer o;
    o.latitude = degreesToRadians(latitudeDeg);
    o.longitudeWest = degreesToRadians(-longitudeDeg);
    o.rho = ObserverConstants(o.latitude, heightMetres);
    return o;
}

// The observer's coordinates xi, eta, zeta on the fundamental plane, their hourly rates and the
// quantities u, v, a, b, n of the relative motion, in the notation of J. Meeus, "Elements of Solar
// Eclipses 1951-2200" (1989), which treats the local circumstances from Besselian elements. The
// hour angle takes the Earth's rotation during Delta T off mu, which the elements give in TT.
ObserverState ObserverOnPlane(const BesselRecord& record, const Observer& o, double deltaT,
                              double t) {
    return ObserverOnPlane(record, o, deltaT, EvaluateElements(record, t));
}

ObserverState ObserverOnPlane(const BesselRecord& record, const Observer& o, double deltaT,
                              const ElementSet& elements) {
    ObserverState s;
    s.e = elements;
    const ElementSet& e = s.e;
    s.theta = e.mu - o.longitudeWest - earth::rotationRadians(deltaT);
    const double sinTheta = std::sin(s.theta);
    const double cosTheta = std::cos(s.theta);
    s.xi = o.rho.rhoCosPhi * sinTheta;
    s.eta = o.rho.rhoSinPhi * e.cosd - o.rho.rhoCosPhi * cosTheta * e.sind;
    s.zeta = o.rho.rhoSinPhi * e.sind + o.rho.rhoCosPhi * cosTheta * e.cosd;
    // The rates use the constant linear coefficients of mu and d (degrees per hour).
    const double mu1 = record.coef[kM][1];
    const double d1 = record.coef[kD][1];
    s.xiDot = kDegToRad * mu1 * o.rho.rhoCosPhi * cosTheta;
    s.etaDot = kDegToRad * (mu1 * s.xi * e.sind - s.zeta * d1);
    s.u = e.x - s.xi;
    s.v = e.y - s.eta;
    s.a = e.xDot - s.xiDot;
    s.b = e.yDot - s.etaDot;
    s.L1p = e.L1 - s.zeta * e.tanf1;
    s.L2p = e.L2 - s.zeta * e.tanf2;
    s.n2 = s.a * s.a + s.b * s.b;
    s.n = std::sqrt(s.n2);
    return s;
}

// The iterations for the maximum (tau = -(u a + v b) / n^2) and the contacts, and the magnitude
// (L1' - m) / (L1' + L2'), follow the same method (Meeus, "Elements of Solar Eclipses", 1989).
bool ComputeLocalCircumstances(const BesselRecord& record, StadtType& place, double deltaT,
                               Language language) {
    for (std::size_t i = 1; i <= 5; ++i) {
        place.H[i] = kNotComputed;
    }
    const Observer o = MakeObserver(place.Breite, place.Laenge, place.Hoehe);

    // Maximum: the instant of least distance from the shadow axis.
    double tMax = 0.0;
    ObserverState atMax;
    if (!IterateContact(record, o, deltaT, tMax, atMax, StepToClosest)) {
        return false;
    }
    const double m = std::sqrt(atMax.u * atMax.u + atMax.v * atMax.v);
    const double magnitude = (atMax.L1p - m) / (atMax.L1p + atMax.L2p);
    if (!(magnitude >= 0.0)) {
        return false;
    }
    char typ = 'p';
    if (std::fabs(atMax.L2p) > m) {
        typ = atMax.L2p < 0.0 ? 't' : (language == Language::German ? 'r' : 'a');
    }

    // Results are committed only when every iteration converged; fields that are not computed
    // keep their older values.
    Results r{place.Zeit, place.P, place.V, {}, 0.0, ' '};
    r.Magn = magnitude;
    r.Typ = typ;
    Angles an = AnglesAt(atMax, o);
    r.Zeit[kMaximum] = tMax;
    r.P[kMaximum] = an.p;
    r.H[kMaximum] = an.h;
    r.V[kMaximum] = an.v;

    // First and fourth contacts with the penumbral cone.
    const double tau0 = HalfChord(atMax, atMax.L1p);
    const auto contact = [&](double start, double radiusSign, bool umbral, std::size_t index,
                             bool turn) {
        double t = start;
        ObserverState s;
        const bool ok = IterateContact(record, o, deltaT, t, s, [&](const ObserverState& st) {
            return ContactStep(st, umbral ? st.L2p : st.L1p, radiusSign);
        });
        if (!ok) {
            return false;
        }
        const Angles a = AnglesAt(s, o);
        r.Zeit[index] = t;
        r.H[index] = a.h;
        r.P[index] = turn ? FMod(a.p + kPi, kTwoPi) : a.p;
        r.V[index] = turn ? FMod(a.v + kPi, kTwoPi) : a.v;
        return true;
    };
    if (!contact(tMax - tau0, -1.0, false, kFirstContact, false)
        || !contact(tMax + tau0, +1.0, false, kFourthContact, false)) {
        return false;
    }

    // Second and third contacts with the umbral cone. L2' is negative for a total occultation,
    // so the first loop ends before the maximum there and after it for an annular one.
    if (typ != 'p') {
        double tMid = 0.0;
        ObserverState atMid;
        if (!IterateContact(record, o, deltaT, tMid, atMid, StepToClosest)) {
            return false;
        }
        const double tau0u = HalfChord(atMid, atMid.L2p);
        const bool total = typ == 't';
        if (!contact(tMid - tau0u, +1.0, true, total ? kSecondContact : kThirdContact, total)
            || !contact(tMid + tau0u, -1.0, true, total ? kThirdContact : kSecondContact, total)) {
            return false;
        }
    }
    place.Zeit = r.Zeit;
    for (std::size_t i = 1; i <= 5; ++i) {
        place.H[i] = r.H[i].value_or(kNotComputed);
    }
    place.P = r.P;
    place.V = r.V;
    place.Magn = r.Magn;
    place.Typ = r.Typ;
    return true;
}

double ContactUT(const BesselRecord& record, double deltaT, double t) {
    return CalendarToJD(record.Year, record.Month, record.Day, record.T0Hour - deltaT / 3600.0 + t,
                        0.0, 0.0);
}

double SunAltitudeAt(const BesselRecord& record, double deltaT, double t, double latitudeDeg,
                     double longitudeDeg) {
    const double jd = ContactUT(record, deltaT, t);
    return Altitude(jd, SunRightAscension(jd), SunDeclination(jd), degreesToRadians(longitudeDeg),
                    degreesToRadians(latitudeDeg));
}

std::optional<double> planetAltitude(const StadtType& place, std::size_t contact) {
    const double h = place.H[contact];
    if (h == kNotComputed) {
        return std::nullopt;
    }
    return h;
}

bool planetAboveHorizon(const StadtType& place, std::size_t contact) {
    const std::optional<double> h = planetAltitude(place, contact);
    return h && *h > 0.0;
}

void FillSunAltitudes(const BesselRecord& record, double deltaT, StadtType& place) {
    for (std::size_t i = 1; i <= 5; ++i) {
        if (planetAboveHorizon(place, i)) {
            place.S[i] = SunAltitudeAt(record, deltaT, place.Zeit[i], place.Breite, place.Laenge);
        }
    }
}

bool IsVisible(const StadtType& place) {
    for (std::size_t i = 1; i <= 5; ++i) {
        if (planetAboveHorizon(place, i)) {
            return true;
        }
    }
    return false;
}

double LunationFraction(double jd) {
    constexpr double a = 2451545.0 + 20.362955;  // a mean full moon
    // Mean synodic month, days: the coefficient of k in J. Meeus, "Astronomical Algorithms",
    // 2nd ed. (1998), ch. 49, eq. 49.1.
    constexpr double b = 29.530588861;
    constexpr double c = 1.02026e-10;
    const double k = std::trunc((std::sqrt(b * b - 4.0 * c * (a - jd)) - b) / (2.0 * c));
    const double f0 = c * k * k + b * k + a;
    const double f1 = c * (k + 1.0) * (k + 1.0) + b * (k + 1.0) + a;
    const double o = (jd - f0) / (f1 - f0);
    return o > 0.5 ? o - 0.5 : o + 0.5;
}

int MoonPhaseIndex(const BesselRecord& record) {
    const double i = std::floor(FMod(16.0 * LunationFraction(record.EventJD) + 0.5, 16.0));
    return static_cast<int>(i) % 16;
}

}  // namespace zimbalo::astro
