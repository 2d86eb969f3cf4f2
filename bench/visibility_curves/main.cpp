// Visibility curves of every catalogued event (UT, the event's Delta T):
//   events               events computed
//   curves, points       curves and points of all events
//   time_median_ms       time of one VisibilityCurves call, median over the events
//   time_max_ms          ... largest, with the event's number
//   cpu_mean_ms          processor time of one call, mean (wall times grow on a busy machine)
//   cpu_max_ms           ... largest
//   contour_err_max_s    largest |contact time - label| at a contour point, seconds
//   horizon_err_max_deg  largest |planet altitude| at a horizon point, degrees
//   twilight_err_max_deg largest |Sun altitude - level| at a twilight point, degrees
//   failed               points where the place sees no occultation or the error exceeds
//                        2 s / 0.05 degree
// Usage: visibility_curves_bench [CATALOGUE [FIRST LAST]]; default: the program's folder, all.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "astro/constants.h"
#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "astro/visibility_curves.h"

int main(int argc, char** argv) {
    using namespace zimbalo;
    using Clock = std::chrono::steady_clock;
    const astro::BesselTable table =
        astro::LoadCatalogue(argc > 1 ? std::string(argv[1]) : astro::CataloguePath());
    const auto& records = table.Records();
    std::size_t first = 0;
    std::size_t last = records.size();
    if (argc > 3) {
        first = static_cast<std::size_t>(std::atoi(argv[2]) - 1);
        last = std::min(last, static_cast<std::size_t>(std::atoi(argv[3])));
    }
    std::vector<double> times;
    double cpu = 0.0;
    double cpuMax = 0.0;
    long curves = 0;
    long points = 0;
    long failed = 0;
    double contourMax = 0.0;
    double horizonMax = 0.0;
    double twilightMax = 0.0;
    double slowest = 0.0;
    std::size_t slowestEvent = 0;
    for (std::size_t k = first; k < last; ++k) {
        const astro::BesselRecord& r = records[k];
        const double deltaT = astro::DeltaT(r.Year, r.Month);
        const Clock::time_point start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        const astro::VisibilityCurveSet set = astro::VisibilityCurves(r, deltaT);
        const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        cpu += cpuMs;
        cpuMax = std::max(cpuMax, cpuMs);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        times.push_back(ms);
        if (ms > slowest) {
            slowest = ms;
            slowestEvent = k + 1;
        }
        for (const astro::VisibilityCurve& c : set.curves) {
            ++curves;
            const std::size_t contact =
                c.contact == astro::ContactKind::D ? astro::kFirstContact : astro::kFourthContact;
            for (const astro::CurvePoint& p : c.points) {
                ++points;
                astro::StadtType place;
                place.Breite = p.latitude;
                place.Laenge = p.longitude;
                if (!astro::ComputeLocalCircumstances(r, place, deltaT, Language::English)) {
                    if (std::getenv("VC_DEBUG") != nullptr) {
                        std::printf(
                            "none event %zu kind %d contact %d lat %.4f lon %.4f idx %zu "
                            "of %zu\n",
                            k + 1, static_cast<int>(c.kind), static_cast<int>(c.contact),
                            p.latitude, p.longitude, static_cast<std::size_t>(&p - c.points.data()),
                            c.points.size());
                    }
                    ++failed;
                    continue;
                }
                const double when = place.Zeit[contact];
                double err = 0.0;
                double limit = 0.05;
                switch (c.kind) {
                    case astro::VisibilityCurveKind::Contour:
                        err = std::fabs(when - c.t) * 3600.0;
                        limit = 2.0;
                        contourMax = std::max(contourMax, err);
                        break;
                    case astro::VisibilityCurveKind::Horizon:
                        err = std::fabs(place.H[contact] * astro::kRadToDeg);
                        horizonMax = std::max(horizonMax, err);
                        break;
                    case astro::VisibilityCurveKind::Twilight:
                        err =
                            std::fabs(astro::SunAltitudeAt(r, deltaT, when, p.latitude, p.longitude)
                                          * astro::kRadToDeg
                                      - c.sunAltitude);
                        twilightMax = std::max(twilightMax, err);
                        break;
                }
                if (!(err <= limit)) {
                    if (std::getenv("VC_DEBUG") != nullptr) {
                        std::printf(
                            "fail event %zu kind %d contact %d t %.4f lat %.4f lon %.4f "
                            "err %.4f idx %zu of %zu mag %.6f\n",
                            k + 1, static_cast<int>(c.kind), static_cast<int>(c.contact), c.t,
                            p.latitude, p.longitude, err,
                            static_cast<std::size_t>(&p - c.points.data()), c.points.size(),
                            place.Magn);
                    }
                    ++failed;
                }
            }
        }
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("events %zu\n", times.size());
    std::printf("curves %ld\n", curves);
    std::printf("points %ld\n", points);
    std::printf("time_median_ms %.2f\n", sorted[sorted.size() / 2]);
    std::printf("time_max_ms %.2f (event %zu)\n", sorted.back(), slowestEvent);
    std::printf("cpu_mean_ms %.2f\n", cpu / static_cast<double>(times.size()));
    std::printf("cpu_max_ms %.2f\n", cpuMax);
    std::printf("contour_err_max_s %.4f\n", contourMax);
    std::printf("horizon_err_max_deg %.6f\n", horizonMax);
    std::printf("twilight_err_max_deg %.6f\n", twilightMax);
    std::printf("failed %ld\n", failed);
    return 0;
}
