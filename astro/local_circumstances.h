#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "astro/catalogue.h"
#include "astro/language.h"

/// Local circumstances of an occultation at a place on the Earth's ellipsoid.
namespace zimbalo::astro {

/// What `StadtType::H` holds for an altitude that was not computed (the record's layout keeps a
/// number there); code reads it through `planetAltitude`.
inline constexpr double kNotComputed = -999.0;

/// Index of the five instants in `StadtType`'s arrays (index 0 is unused).
enum Contact : std::size_t {
    kFirstContact = 1,
    kSecondContact = 2,
    kMaximum = 3,
    kThirdContact = 4,
    kFourthContact = 5
};

/// A place with its local circumstances; also the row type of the city database.
struct StadtType {
    std::string Land;              ///< country or region
    std::string Stadt;             ///< place name
    double Laenge = 0.0;           ///< longitude, degrees, east positive
    double Breite = 0.0;           ///< latitude, degrees, north positive
    std::int32_t Hoehe = 0;        ///< height above sea level, metres
    std::int32_t Einwohner = 0;    ///< population
    std::array<double, 6> Zeit{};  ///< [1..5] instants, hours from T0 (TT)
    std::array<double, 6> H{};  ///< [1..5] planet altitude, radians; kNotComputed if not computed
    std::array<double, 6> P{};  ///< [1..5] position angle from the north point, [0, 2 pi)
    std::array<double, 6> V{};  ///< [1..5] position angle from the uppermost point, [0, 2 pi]
    std::array<double, 6> S{};  ///< [1..5] Sun altitude, radians
    double Magn = 0.0;          ///< magnitude
    char Typ = ' ';             ///< 'p' partial, 't' total, 'r' (German) or 'a' annular
};

struct ObserverConstantsResult {
    double rhoSinPhi = 0.0;  ///< rho sin phi', Earth radii
    double rhoCosPhi = 0.0;  ///< rho cos phi', Earth radii
};

/// Geocentric constants of an observer at geodetic latitude `phi` (radians) and height (metres).
ObserverConstantsResult ObserverConstants(double phi, double heightMetres);

/// An observer fixed for one calculation.
struct Observer {
    double latitude = 0.0;       ///< geodetic, radians
    double longitudeWest = 0.0;  ///< radians, west positive
    ObserverConstantsResult rho;
};

/// Observer for a place given in degrees (east longitude) and metres.
Observer MakeObserver(double latitudeDeg, double longitudeDeg, double heightMetres);

/// The observer on the fundamental plane at one instant, with the relative shadow quantities.
struct ObserverState {
    ElementSet e;
    double theta = 0.0;  ///< hour angle of the axis at the observer, radians
    double xi = 0.0, eta = 0.0, zeta = 0.0;
    double xiDot = 0.0, etaDot = 0.0;  ///< Earth radii per hour
    double u = 0.0, v = 0.0, a = 0.0, b = 0.0;
    double L1p = 0.0, L2p = 0.0;  ///< penumbral and umbral radii in the observer's plane
    double n2 = 0.0, n = 0.0;
};

/// Observer's position and motion relative to the shadow at t hours from T0 (TT), Delta T seconds.
ObserverState ObserverOnPlane(const BesselRecord& record, const Observer& observer, double deltaT,
                              double t);

/// The same with the elements already evaluated at the instant (`e` = EvaluateElements at t);
/// the rates still come from the record's linear coefficients.
ObserverState ObserverOnPlane(const BesselRecord& record, const Observer& observer, double deltaT,
                              const ElementSet& e);

/// A contact search converges when its step falls below this, in hours.
inline constexpr double kContactConverged = 1e-6;
/// Converging searches need a handful of steps; one that reaches this cap has no solution.
inline constexpr int kContactMaxSteps = 50;

/// Iterates t += step(state) from `t` (hours from T0, TT) until the step falls below
/// `kContactConverged`. Returns false when it does not converge; `state` holds the last step's
/// values.
template <typename Step>
bool IterateContact(const BesselRecord& record, const Observer& o, double deltaT, double& t,
                    ObserverState& state, Step step) {
    for (int i = 0; i < kContactMaxSteps; ++i) {
        state = ObserverOnPlane(record, o, deltaT, t);
        if (!(state.n2 > 0.0)) {
            return false;
        }
        const double tau = step(state);
        if (!std::isfinite(tau)) {
            return false;
        }
        t += tau;
        if (std::fabs(tau) < kContactConverged) {
            return true;
        }
    }
    return false;
}

/// The step in hours from the state's instant to the observer's least distance from the axis.
inline double StepToClosest(const ObserverState& s) {
    return -(s.u * s.a + s.v * s.b) / s.n2;
}

/// Computes the contacts, maximum, position angles, planet altitudes, magnitude and type for the
/// place (latitude, longitude, height of `place`). Returns false, touching only `H`, when the
/// place sees no occultation (magnitude below 0, or an iteration that does not converge).
bool ComputeLocalCircumstances(const BesselRecord& record, StadtType& place, double deltaT,
                               Language language);

/// Julian date (UT) of the instant t hours from T0 (TT) with Delta T in seconds.
double ContactUT(const BesselRecord& record, double deltaT, double t);

/// Sun altitude (radians) at the place at the instant t hours from T0.
double SunAltitudeAt(const BesselRecord& record, double deltaT, double t, double latitudeDeg,
                     double longitudeDeg);

/// Fills `S`[i] for every instant whose planet altitude `H`[i] is above 0.
void FillSunAltitudes(const BesselRecord& record, double deltaT, StadtType& place);

/// Planet altitude (radians) at instant `contact` (1..5) of the place; nothing when it was not
/// computed.
std::optional<double> planetAltitude(const StadtType& place, std::size_t contact);

/// True when the altitude at instant `contact` (1..5) was computed and is above the horizon.
bool planetAboveHorizon(const StadtType& place, std::size_t contact);

/// True when the planet is above the horizon at one of the computed instants.
bool IsVisible(const StadtType& place);

/// Fraction of the mean lunation since new moon at a Julian date (may be negative before 2000).
double LunationFraction(double jd);

/// Approximate phase of the Moon at the event, 0..15 (0 new, 4 first quarter, 8 full, 12 last).
int MoonPhaseIndex(const BesselRecord& record);

}  // namespace zimbalo::astro
