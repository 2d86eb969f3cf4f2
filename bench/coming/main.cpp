// Speed of the coming occultations at one place (Basel) on the delivered catalogue, 1980-2100:
//   coming_ms           the rows computed (place history, Sun altitudes, clock times in the
//                       place's zone), median of 15 runs;
//   coming_filtered_ms  the same with every filter applied (all planets chosen, seen from a
//                       dark sky or Venus and Jupiter by day, planet at least 5 degrees up);
//   rows, rows_seen     the number of rows without and with the filters.
// Usage: coming_bench [CATALOGUE]; defaults to the catalogue beside the program.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "astro/time_scales.h"
#include "lists/coming_occultations.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace zimbalo;

double Milliseconds(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string path = argc > 1 ? argv[1] : astro::CataloguePath();
        const astro::BesselTable table = astro::LoadCatalogue(path);
        lists::ComingInput input;
        input.place = {"Basel", 47.5584, 7.5733, 260, "Europe/Zurich"};
        lists::ComingFilter filter;
        filter.planets = lists::kEveryPlanet;
        filter.seen = lists::SeenRule::DarkSkyOrVenusJupiter;

        std::vector<double> plain;
        std::vector<double> filtered;
        std::size_t rows = 0;
        std::size_t seen = 0;
        for (int i = 0; i < 15; ++i) {
            auto start = Clock::now();
            rows = lists::ComingOccultations(table, input).size();
            plain.push_back(Milliseconds(start));
            start = Clock::now();
            seen = lists::Filtered(lists::ComingOccultations(table, input), filter).size();
            filtered.push_back(Milliseconds(start));
        }
        std::printf("coming_ms %.2f\n", Median(plain));
        std::printf("coming_filtered_ms %.2f\n", Median(filtered));
        std::printf("rows %zu\nrows_seen %zu\n", rows, seen);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "coming_bench: %s\n", e.what());
        return 1;
    }
}
