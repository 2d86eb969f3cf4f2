#include "tools/catalogue/ephemeris.h"

#include <array>
#include <cmath>
#include <numbers>
#include <swephexp.h>

namespace zimbalo::catalogue {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kAuInEarthRadii = kAstronomicalUnitKm / kEarthRadiusKm;

// Swiss Ephemeris body numbers of the catalogue's planet codes 1..7.
constexpr std::array<int, kPlanetCount + 1> kBody = {SE_MOON,    SE_MERCURY, SE_VENUS,  SE_MARS,
                                                     SE_JUPITER, SE_SATURN,  SE_URANUS, SE_NEPTUNE};

constexpr std::array<const char*, kPlanetCount + 1> kName = {
    "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune"};

// Equatorial radii in kilometres (IAU working group on cartographic coordinates); Saturn without
// its rings.
constexpr std::array<double, kPlanetCount + 1> kRadiusKm = {0.0,     2440.53, 6051.8,  3396.19,
                                                            71492.0, 60268.0, 25559.0, 24764.0};

void CheckPlanet(int planet) {
    if (planet < 1 || planet > kPlanetCount) {
        throw EphemerisError("planet code " + std::to_string(planet) + " outside 1..7");
    }
}

// Apparent place (the library's default: light time, aberration, light deflection, precession
// and nutation) on the true equator of date; the extra flags select topocentric places.
ApparentPlace Calc(int body, double jdTT, int extraFlags) {
    const int flags = SEFLG_SWIEPH | SEFLG_EQUATORIAL | extraFlags;
    std::array<double, 6> xx{};
    std::array<char, AS_MAXCH> err{};
    const int ret = swe_calc(jdTT, body, flags, xx.data(), err.data());
    if (ret < 0) {
        throw EphemerisError("Swiss Ephemeris: " + std::string(err.data()));
    }
    // Without its files the library silently switches to an analytical theory; the catalogue
    // must not be made from that.
    if ((ret & SEFLG_SWIEPH) == 0) {
        throw EphemerisError("Swiss Ephemeris files not found or not covering JD "
                             + std::to_string(jdTT) + ": " + std::string(err.data()));
    }
    double ra = xx[0] * kDegToRad;
    if (ra < 0.0) {
        ra += 2.0 * std::numbers::pi;
    }
    return {ra, xx[1] * kDegToRad, xx[2] * kAuInEarthRadii};
}

}  // namespace

const char* PlanetName(int planet) {
    CheckPlanet(planet);
    return kName[static_cast<std::size_t>(planet)];
}

double PlanetRadius(int planet) {
    CheckPlanet(planet);
    return kRadiusKm[static_cast<std::size_t>(planet)] / kEarthRadiusKm;
}

Ephemeris::Ephemeris(const std::string& folder) {
    swe_set_ephe_path(folder.c_str());
    // One probe at J2000 proves that the files are there and readable.
    Calc(SE_MOON, 2451545.0, 0);
    Calc(SE_NEPTUNE, 2451545.0, 0);
}

Ephemeris::~Ephemeris() {
    swe_close();
}

ApparentPlace Ephemeris::Moon(double jdTT) const {
    return Calc(SE_MOON, jdTT, 0);
}

ApparentPlace Ephemeris::Planet(int planet, double jdTT) const {
    CheckPlanet(planet);
    return Calc(kBody[static_cast<std::size_t>(planet)], jdTT, 0);
}

double Ephemeris::ApparentSiderealTime(double jd) const {
    double hours = swe_sidtime(jd);
    hours = std::fmod(hours, 24.0);
    if (hours < 0.0) {
        hours += 24.0;
    }
    return hours * std::numbers::pi / 12.0;
}

ApparentPlace Ephemeris::Topocentric(int planet, double jdTT, double lonDeg, double latDeg,
                                     double heightMetres, double deltaTSeconds) const {
    if (planet != 0) {
        CheckPlanet(planet);
    }
    swe_set_topo(lonDeg, latDeg, heightMetres);
    swe_set_delta_t_userdef(deltaTSeconds / 86400.0);
    ApparentPlace p;
    try {
        p = Calc(kBody[static_cast<std::size_t>(planet)], jdTT, SEFLG_TOPOCTR);
    } catch (...) {
        swe_set_delta_t_userdef(SE_DELTAT_AUTOMATIC);
        throw;
    }
    swe_set_delta_t_userdef(SE_DELTAT_AUTOMATIC);
    return p;
}

std::string Ephemeris::Version() const {
    std::array<char, AS_MAXCH> v{};
    swe_version(v.data());
    return v.data();
}

}  // namespace zimbalo::catalogue
