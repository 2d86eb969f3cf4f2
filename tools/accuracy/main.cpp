// Accuracy of the program's local circumstances, measured against the Swiss Ephemeris alone.
//
// For every catalogued event and every place of a set spread over the Earth, the program computes
// its contacts exactly as its lists do (ComputeLocalCircumstances from the Besselian elements of
// the delivered catalogue). For each contact at which the planet is above the horizon, the same
// instant is found again without the elements: the instant at which the limbs of the Moon and the
// planet touch, from the ephemeris' own topocentric apparent places of both bodies (its observer
// model and sidereal time, the same Delta T as the program) and their apparent semi-diameters.
// The disappearance and reappearance of the planet's centre are compared as well: on the program's
// side the instants at which the observer's distance from the shadow axis equals the mean of the
// penumbral and umbral radii (from the same elements), on the reference side the instants at which
// the centre of the planet crosses the Moon's limb.
//
//   accuracy [--from YEAR] [--to YEAR] [--ephe FOLDER]
//
// prints the median, 95th percentile and maximum of the differences (seconds), per planet and
// overall.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "astro/data_folder.h"
#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "lists/list_runs.h"
#include "tools/catalogue/bisection.h"
#include "tools/catalogue/elements.h"
#include "tools/catalogue/ephemeris.h"

namespace {

using zimbalo::catalogue::ApparentPlace;
using zimbalo::catalogue::Ephemeris;
namespace astro = zimbalo::astro;

struct Place {
    const char* name;
    double latitude, longitude, height;  // degrees (east positive), metres
};

// Places on every continent and at several latitudes, both sides of the date line.
const Place kPlaces[] = {
    {"Basel", 47.5583, 7.5733, 260},          {"Reykjavik", 64.1466, -21.9426, 20},
    {"Cape Town", -33.9249, 18.4241, 10},     {"Nairobi", -1.2921, 36.8219, 1795},
    {"Mumbai", 19.0760, 72.8777, 14},         {"Tokyo", 35.6762, 139.6503, 40},
    {"Sydney", -33.8688, 151.2093, 58},       {"Auckland", -36.8485, 174.7633, 196},
    {"Honolulu", 21.3069, -157.8583, 5},      {"Denver", 39.7392, -104.9903, 1609},
    {"Mexico City", 19.4326, -99.1332, 2240}, {"Buenos Aires", -34.6037, -58.3816, 25},
    {"Lima", -12.0464, -77.0428, 154},        {"Moscow", 55.7558, 37.6173, 156},
    {"Tromso", 69.6492, 18.9553, 10},         {"Singapore", 1.3521, 103.8198, 15},
};

struct Vec3 {
    double x, y, z;
};

Vec3 ToVector(const ApparentPlace& p) {
    return {p.distance * std::cos(p.dec) * std::cos(p.ra),
            p.distance * std::cos(p.dec) * std::sin(p.ra), p.distance * std::sin(p.dec)};
}

double Angle(const Vec3& a, const Vec3& b) {
    const Vec3 c{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    return std::atan2(std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z),
                      a.x * b.x + a.y * b.y + a.z * b.z);
}

// Separation of the centres minus the Moon's semi-diameter plus `planetFactor` times the planet's:
// +1 outer tangency (first, fourth contact), -1 inner tangency (second, third), 0 the centre on
// the Moon's limb. Positive while the planet is outside that circle.
double Gap(const Ephemeris& eph, int planet, const Place& p, double deltaT, double jdUT,
           double planetFactor) {
    const double jdTT = jdUT + deltaT / 86400.0;
    const ApparentPlace m = eph.Topocentric(0, jdTT, p.longitude, p.latitude, p.height, deltaT);
    const ApparentPlace q =
        eph.Topocentric(planet, jdTT, p.longitude, p.latitude, p.height, deltaT);
    const double sm = std::asin(zimbalo::catalogue::kMoonRadius / m.distance);
    const double sp = std::asin(zimbalo::catalogue::PlanetRadius(planet) / q.distance);
    return Angle(ToVector(m), ToVector(q)) - (sm + planetFactor * sp);
}

// The root of the gap within 5 minutes of `guess`, to a millisecond; NaN when the gap keeps its
// sign there.
double Root(const std::function<double(double)>& gap, double guess) {
    return zimbalo::catalogue::signChangeNear(gap, guess, 300.0);
}

struct Stats {
    std::vector<double> seconds;  // absolute differences
    int missing = 0;              // program contacts without a reference root nearby
};

void Print(const char* label, Stats s) {
    if (s.seconds.empty()) {
        std::printf("%-10s %6d\n", label, 0);
        return;
    }
    std::sort(s.seconds.begin(), s.seconds.end());
    const auto at = [&](double q) {
        const std::size_t i =
            static_cast<std::size_t>(q * static_cast<double>(s.seconds.size() - 1));
        return s.seconds[i];
    };
    std::printf("%-10s %6zu %9.2f %9.2f %9.2f %8d\n", label, s.seconds.size(), at(0.5), at(0.95),
                s.seconds.back(), s.missing);
}

}  // namespace

int main(int argc, char** argv) {
    int fromYear = 1980;
    int toYear = 2100;
    std::string ephe = zimbalo::catalogue::kDefaultEphemerisFolder;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--from") {
            fromYear = std::atoi(argv[i + 1]);
        } else if (key == "--to") {
            toYear = std::atoi(argv[i + 1]);
        } else if (key == "--ephe") {
            ephe = argv[i + 1];
        } else {
            std::fprintf(stderr, "usage: accuracy [--from YEAR] [--to YEAR] [--ephe FOLDER]\n");
            return 2;
        }
    }
    try {
        const std::string program = astro::ProgramFolder();
        const auto data = astro::FindDataFolder(program);
        if (!data) {
            std::fprintf(stderr, "%s\n", astro::DataFolderNotFoundMessage(program).c_str());
            return 1;
        }
        const astro::BesselTable table = astro::LoadCatalogue(*data + astro::kCatalogueFileName);
        const Ephemeris eph(ephe);

        std::map<int, Stats> contacts;  // by planet; key 0 holds all
        std::map<int, Stats> centres;
        int occultations = 0;
        for (const astro::BesselRecord& r : table.Records()) {
            const int year = zimbalo::lists::EventYearUT(r);
            if (year < fromYear || year > toYear)
                continue;
            const double deltaT = astro::DeltaT(r.Year, r.Month);
            for (const Place& p : kPlaces) {
                astro::StadtType place;
                place.Breite = p.latitude;
                place.Laenge = p.longitude;
                place.Hoehe = static_cast<std::int32_t>(p.height);
                if (!astro::ComputeLocalCircumstances(r, place, deltaT, zimbalo::Language::English))
                    continue;
                if (!astro::IsVisible(place))
                    continue;
                ++occultations;
                const bool total = place.Typ != 'p';
                const auto gap = [&](double factor) {
                    return [&, factor](double jd) {
                        return Gap(eph, r.Planet, p, deltaT, jd, factor);
                    };
                };

                struct Item {
                    std::size_t index;
                    double factor;
                };

                std::vector<Item> items = {{astro::kFirstContact, 1.0},
                                           {astro::kFourthContact, 1.0}};
                if (total) {
                    items.push_back({astro::kSecondContact, -1.0});
                    items.push_back({astro::kThirdContact, -1.0});
                }
                double jd[6] = {};
                for (const Item& it : items) {
                    if (place.H[it.index] <= 0.0)
                        continue;  // below the horizon: not observable
                    jd[it.index] = astro::ContactUT(r, deltaT, place.Zeit[it.index]);
                    const double ref = Root(gap(it.factor), jd[it.index]);
                    for (const int key : {0, static_cast<int>(r.Planet)}) {
                        if (std::isnan(ref)) {
                            ++contacts[key].missing;
                        } else {
                            contacts[key].seconds.push_back(std::fabs(ref - jd[it.index])
                                                            * 86400.0);
                        }
                    }
                }
                if (!total)
                    continue;
                // Disappearance and reappearance of the planet's centre.
                const std::pair<std::size_t, std::size_t> pairs[] = {
                    {astro::kFirstContact, astro::kSecondContact},
                    {astro::kThirdContact, astro::kFourthContact}};
                for (const auto& [a, b] : pairs) {
                    if (jd[a] == 0.0 || jd[b] == 0.0)
                        continue;
                    // The program's instant: the axis distance of the observer equals the mean
                    // of the penumbral and umbral radii, found from the same elements.
                    const astro::Observer observer =
                        astro::MakeObserver(p.latitude, p.longitude, p.height);
                    const auto planeGap = [&](double jdUT) {
                        const double t = (jdUT - astro::ContactUT(r, deltaT, 0.0)) * 24.0;
                        const astro::ObserverState s =
                            astro::ObserverOnPlane(r, observer, deltaT, t);
                        return std::hypot(s.u, s.v) - 0.5 * (s.L1p + std::fabs(s.L2p));
                    };
                    const double mid = Root(planeGap, 0.5 * (jd[a] + jd[b]));
                    if (std::isnan(mid))
                        continue;
                    const double ref = Root(gap(0.0), mid);
                    for (const int key : {0, static_cast<int>(r.Planet)}) {
                        if (std::isnan(ref)) {
                            ++centres[key].missing;
                        } else {
                            centres[key].seconds.push_back(std::fabs(ref - mid) * 86400.0);
                        }
                    }
                }
            }
        }

        static const char* const kNames[] = {"all",     "Mercury", "Venus",  "Mars",
                                             "Jupiter", "Saturn",  "Uranus", "Neptune"};
        std::printf("Zimbalo against the Swiss Ephemeris (%s), years %d..%d, %zu places\n",
                    eph.Version().c_str(), fromYear, toYear, std::size(kPlaces));
        std::printf("occultations seen with the planet up: %d\n\n", occultations);
        std::printf("Limb contacts (seconds)\n%-10s %6s %9s %9s %9s %8s\n", "planet", "count",
                    "median", "p95", "max", "no-root");
        for (int k = 1; k <= 7; ++k)
            Print(kNames[k], contacts[k]);
        Print(kNames[0], contacts[0]);
        std::printf(
            "\nCentre of the planet on the Moon's limb (seconds)\n%-10s %6s %9s %9s %9s %8s\n",
            "planet", "count", "median", "p95", "max", "no-root");
        for (int k = 1; k <= 7; ++k)
            Print(kNames[k], centres[k]);
        Print(kNames[0], centres[0]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "accuracy: %s\n", e.what());
        return 1;
    }
}
