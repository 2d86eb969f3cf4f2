// Path limits of every catalogued event (UT, the event's Delta T):
//   events              events computed
//   points              points of all curves
//   time_mean_ms        time of one PathLimits call, mean over the events
//   time_median_ms      ... median
//   time_max_ms         ... largest
//   cpu_mean_ms         processor time of one call, mean (the wall times grow on a busy machine)
//   penumbra_magn_max   largest magnitude found at a penumbral limit point (accepted: 0..1e-4)
//   umbra_excess_max    largest magnitude - 1 at an umbral limit point of a total occultation
//   out_of_band         limit points whose magnitude lies outside the accepted band
// Usage: path_limits_bench [CATALOGUE]; default from the program's folder.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "astro/local_circumstances.h"
#include "astro/path_limits.h"
#include "astro/time_scales.h"

int main(int argc, char** argv) {
    using namespace zimbalo;
    using Clock = std::chrono::steady_clock;
    const astro::BesselTable table =
        astro::LoadCatalogue(argc > 1 ? std::string(argv[1]) : astro::CataloguePath());
    std::vector<double> times;
    double cpu = 0.0;
    long points = 0;
    long outOfBand = 0;
    double penumbraMax = 0.0;
    double umbraMax = 0.0;
    for (const astro::BesselRecord& r : table.Records()) {
        const double deltaT = astro::DeltaT(r.Year, r.Month);
        const Clock::time_point start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        const astro::PathLimitSet set = astro::PathLimits(r, deltaT);
        cpu += 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        for (const astro::PathCurve c : astro::kPathCurves) {
            const bool umbral =
                c == astro::PathCurve::UmbraNorth || c == astro::PathCurve::UmbraSouth;
            for (const astro::PathChain& chain : set.Chains(c)) {
                points += static_cast<long>(chain.size());
                if (c == astro::PathCurve::Central) {
                    continue;
                }
                for (const astro::PathPoint& p : chain) {
                    astro::StadtType place;
                    place.Breite = p.latitude;
                    place.Laenge = p.longitude;
                    double m = -1.0;
                    if (astro::ComputeLocalCircumstances(r, place, deltaT, Language::English)) {
                        m = umbral ? (place.Typ == 't' ? place.Magn - 1.0 : -1.0) : place.Magn;
                    }
                    if (!(m >= 0.0 && m <= astro::kPathLimitBand)) {
                        ++outOfBand;
                    }
                    (umbral ? umbraMax : penumbraMax) =
                        std::max(umbral ? umbraMax : penumbraMax, m);
                }
            }
        }
    }
    double sum = 0.0;
    for (const double t : times) {
        sum += t;
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("events %zu\n", times.size());
    std::printf("points %ld\n", points);
    std::printf("time_mean_ms %.2f\n", sum / static_cast<double>(times.size()));
    std::printf("time_median_ms %.2f\n", sorted[sorted.size() / 2]);
    std::printf("time_max_ms %.2f\n", sorted.back());
    std::printf("cpu_mean_ms %.2f\n", cpu / static_cast<double>(times.size()));
    std::printf("penumbra_magn_max %.9f\n", penumbraMax);
    std::printf("umbra_excess_max %.9f\n", umbraMax);
    std::printf("out_of_band %ld\n", outOfBand);
    return 0;
}
