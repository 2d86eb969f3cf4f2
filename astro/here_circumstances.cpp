#include "astro/here_circumstances.h"

#include <algorithm>
#include <cmath>

#include "astro/constants.h"
#include "astro/language.h"
#include "astro/local_circumstances.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"

namespace zimbalo::astro {

namespace {

// Sun and Moon distances for the Moon's phase angle (J. Meeus, "Astronomical Algorithms", 2nd
// ed., ch. 48); the Moon's mean distance is close enough: it moves the phase angle by less
// than 0.01 degree.
constexpr double kSunDistanceKm = 149597870.0;
constexpr double kMoonDistanceKm = 385000.0;

double Wrap(double angle) {
    angle = std::fmod(angle, kTwoPi);
    return angle < 0.0 ? angle + kTwoPi : angle;
}

// The radius of the cone through the planet's centre and the Moon's limb in the observer's
// plane: the Moon's radius there. The penumbral radius is the Moon's radius plus the planet's,
// the umbral one the planet's minus the Moon's (negative when the Moon is the larger), so the
// Moon's radius is half their difference.
double CentreRadius(const ObserverState& s) {
    return 0.5 * (s.L1p - s.L2p);
}

struct Direction {
    double ra, dec;
};

// Right ascension and declination of the planet (the shadow axis) at t, from the Greenwich
// hour angle of the elements at the UT instant.
Direction PlanetDirection(const ObserverState& s, const Observer& o, double jdUT) {
    const double localSidereal = SiderealTime(jdUT) - o.longitudeWest;
    return {Wrap(localSidereal - s.theta), s.e.d};
}

// Angle from the planet's north point to its uppermost point at the observer (the list
// calculation's rule; the north point when the planet is in the zenith).
double UppermostAngle(const ObserverState& s, const Observer& o, double altitude) {
    const double cosH = std::cos(altitude);
    double sinQ = cosH > 0.0 ? std::cos(o.latitude) * std::sin(s.theta) / cosH : 0.0;
    sinQ = std::clamp(sinQ, -1.0, 1.0);
    double cosQ = std::sqrt(1.0 - sinQ * sinQ);
    if (s.eta < 0.0) {
        cosQ = -cosQ;
    }
    return ArcTan2(sinQ, cosQ);
}

}  // namespace

double Azimuth(double hourAngle, double dec, double lat) {
    // From the south through the west (Meeus, ch. 13), turned to count from the north.
    const double fromSouth = std::atan2(
        std::sin(hourAngle), std::cos(hourAngle) * std::sin(lat) - std::tan(dec) * std::cos(lat));
    return Wrap(fromSouth + kPi);
}

HereCircumstances ComputeHereCircumstances(const BesselRecord& record, double latitudeDeg,
                                           double longitudeDeg, double heightMetres,
                                           double deltaT) {
    HereCircumstances result;
    const Observer o = MakeObserver(latitudeDeg, longitudeDeg, heightMetres);

    // One instant; `v` is computed from `p` unless the list calculation gave it.
    const auto contactAt = [&](HereInstant kind, double t, double p, std::optional<double> v) {
        const ObserverState s = ObserverOnPlane(record, o, deltaT, t);
        HereContact c;
        c.kind = kind;
        c.t = t;
        c.jdUT = ContactUT(record, deltaT, t);
        c.jdTT = ContactUT(record, 0.0, t);
        c.p = p;
        const double sinH =
            std::cos(s.theta) * std::cos(o.latitude) * s.e.cosd + std::sin(o.latitude) * s.e.sind;
        c.altitude = ArcSinClamped(sinH);
        c.v = v ? *v : Wrap(p - UppermostAngle(s, o, c.altitude));
        c.azimuth = Azimuth(s.theta, s.e.d, o.latitude);
        c.sunAltitude = SunAltitudeAt(record, deltaT, t, latitudeDeg, longitudeDeg);
        return c;
    };

    // The least distance from the shadow axis, also where the Moon misses the planet.
    double tMax = 0.0;
    ObserverState atMax;
    if (!IterateContact(record, o, deltaT, tMax, atMax, StepToClosest)) {
        return result;
    }
    const double m = std::hypot(atMax.u, atMax.v);
    const double moonRadius = CentreRadius(atMax);
    result.leastDistance = moonRadius > 0.0 ? m / moonRadius : 0.0;

    StadtType place;
    place.Breite = latitudeDeg;
    place.Laenge = longitudeDeg;
    place.Hoehe = static_cast<std::int32_t>(std::lround(heightMetres));
    result.occulted = ComputeLocalCircumstances(record, place, deltaT, Language::English);
    if (!result.occulted) {
        result.closest =
            contactAt(HereInstant::Maximum, tMax, Wrap(ArcTan2(atMax.u, atMax.v)), std::nullopt);
    } else {
        result.typ = place.Typ;
        result.magnitude = place.Magn;
        const bool inner = place.Typ != 'p';

        const struct {
            HereInstant kind;
            std::size_t index;
        } listed[] = {{HereInstant::First, kFirstContact},
                      {HereInstant::Second, kSecondContact},
                      {HereInstant::Maximum, kMaximum},
                      {HereInstant::Third, kThirdContact},
                      {HereInstant::Fourth, kFourthContact}};

        for (const auto& l : listed) {
            if ((l.index == kSecondContact || l.index == kThirdContact) && !inner) {
                continue;
            }
            HereContact c =
                contactAt(l.kind, place.Zeit[l.index], place.P[l.index], place.V[l.index]);
            // The altitude as the lists give it (from the last step of the iteration).
            c.altitude = place.H[l.index];
            result.contacts.push_back(c);
        }
        if (inner) {
            result.duration = place.Zeit[kThirdContact] - place.Zeit[kSecondContact];
        }
        // The planet's centre passes behind the Moon when the least distance is below the Moon's
        // radius; it disappears and reappears on the cone through it.
        if (m < moonRadius) {
            const double half = std::sqrt(moonRadius * moonRadius - m * m) / atMax.n;
            for (const double side : {-1.0, +1.0}) {
                double t = tMax + side * half;
                ObserverState s;
                const bool ok =
                    IterateContact(record, o, deltaT, t, s, [&](const ObserverState& st) {
                        const double r = CentreRadius(st);
                        const double sigma = (st.a * st.v - st.b * st.u) / (st.n * r);
                        if (sigma <= -1.0 || sigma >= 1.0) {
                            return 0.0;
                        }
                        return StepToClosest(st) + side * std::sqrt(1.0 - sigma * sigma) * r / st.n;
                    });
                if (ok) {
                    result.contacts.push_back(
                        contactAt(side < 0.0 ? HereInstant::CentreIn : HereInstant::CentreOut, t,
                                  Wrap(ArcTan2(s.u, s.v)), std::nullopt));
                }
            }
            std::stable_sort(result.contacts.begin(), result.contacts.end(),
                             [](const HereContact& a, const HereContact& b) { return a.t < b.t; });
        }
        for (const HereContact& c : result.contacts) {
            if (c.kind == HereInstant::Maximum) {
                result.closest = c;
            }
        }
    }

    // The Moon stands before the planet, so its phase and bright limb follow from the planet's
    // direction and the Sun's (Meeus, ch. 48).
    const ObserverState s = ObserverOnPlane(record, o, deltaT, result.closest.t);
    const double jd = result.closest.jdUT;
    const Direction moon = PlanetDirection(s, o, jd);
    const double sunRa = SunRightAscension(jd);
    const double sunDec = SunDeclination(jd);
    const double cosE = std::sin(sunDec) * std::sin(moon.dec)
                        + std::cos(sunDec) * std::cos(moon.dec) * std::cos(sunRa - moon.ra);
    const double elongation = std::acos(std::clamp(cosE, -1.0, 1.0));
    const double phaseAngle = std::atan2(kSunDistanceKm * std::sin(elongation),
                                         kMoonDistanceKm - kSunDistanceKm * std::cos(elongation));
    result.illuminatedFraction = 0.5 * (1.0 + std::cos(phaseAngle));
    result.brightLimbAngle =
        Wrap(std::atan2(std::cos(sunDec) * std::sin(sunRa - moon.ra),
                        std::sin(sunDec) * std::cos(moon.dec)
                            - std::cos(sunDec) * std::sin(moon.dec) * std::cos(sunRa - moon.ra)));

    // The planet meets the Moon's limb at the position angle P + 180 degrees seen from the Moon's
    // centre (P points from the planet to the Moon). The centre's instants, where they exist,
    // tell the limb; otherwise the outer contacts.
    const auto limbAt = [&](HereInstant centre, HereInstant outer) -> std::optional<Limb> {
        const HereContact* found = nullptr;
        for (const HereContact& c : result.contacts) {
            if (c.kind == centre || (c.kind == outer && found == nullptr)) {
                found = &c;
            }
        }
        if (found == nullptr) {
            return std::nullopt;
        }
        const double off = std::remainder(found->p + kPi - result.brightLimbAngle, kTwoPi);
        return std::fabs(off) < 0.5 * kPi ? Limb::Bright : Limb::Dark;
    };
    result.disappearance = limbAt(HereInstant::CentreIn, HereInstant::First);
    result.reappearance = limbAt(HereInstant::CentreOut, HereInstant::Fourth);
    return result;
}

}  // namespace zimbalo::astro
