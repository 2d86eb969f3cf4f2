// Speed of the place lists on the delivered data:
//   cities_run_s  one central event over the whole city database, streamed from the file, every
//                 place computed and its lines written to a temporary list file;
//   places_per_s  places computed per second in that run;
//   history_ms    all catalogued events at one place (Basel), lines written likewise.
// Usage: lists_bench [CATALOGUE [CITY_FILE]]; defaults from the program's folder.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "lists/city_database.h"
#include "lists/list_runs.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace zimbalo;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The central event whose axis passes closest to the Earth's centre: the widest visibility.
int CentralEvent(const astro::BesselTable& table) {
    int best = 1;
    for (int k = 1; k <= table.Count(); ++k) {
        const auto& r = table[k];
        const bool central = r.OccType >= 2 && r.OccType <= 4;
        if (central && std::fabs(r.Gamma) < std::fabs(table[best].Gamma)) {
            best = k;
        }
    }
    return best;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cataloguePath = argc > 1 ? argv[1] : astro::CataloguePath();
    const std::string cityPath = argc > 2 ? argv[2] : lists::CityFileName(Language::German);
    try {
        const astro::BesselTable table = astro::LoadCatalogue(cataloguePath);
        const std::string tempFolder = std::filesystem::temp_directory_path().string();

        lists::CityListInput cities;
        const int event = CentralEvent(table);
        cities.record = table[event];
        cities.cityFile = cityPath;
        cities.threshold = -1;
        std::vector<double> runs;
        lists::ListRunResult result;
        for (int i = 0; i < 3; ++i) {
            const std::string temp = lists::CreateTempListFile(tempFolder);
            std::ofstream out(temp, std::ios::binary);
            const auto start = Clock::now();
            result = lists::RunCityList(cities, {&out, temp}, {});
            out.close();
            runs.push_back(Seconds(start));
            std::filesystem::remove(temp);
        }
        const double citySeconds = Median(runs);

        lists::CityHistInput place;
        place.place.Stadt = "Basel";
        place.place.Breite = 47.5583;
        place.place.Laenge = 7.5733;
        place.place.Hoehe = 260;
        place.firstYear = -100000;
        place.lastYear = 100000;
        std::vector<double> histories;
        lists::ListRunResult history;
        for (int i = 0; i < 9; ++i) {
            const std::string temp = lists::CreateTempListFile(tempFolder);
            std::ofstream out(temp, std::ios::binary);
            const auto start = Clock::now();
            history = lists::RunCityHist(table, place, {&out, temp}, {});
            out.close();
            histories.push_back(Seconds(start) * 1000.0);
            std::filesystem::remove(temp);
        }

        std::printf("# event %d, %d places, %d seeing it; history: %d events, %d seen\n", event,
                    result.tested, result.found, history.tested, history.found);
        std::printf("cities_run_s %.3f\n", citySeconds);
        std::printf("places_per_s %.0f\n", result.tested / citySeconds);
        std::printf("history_ms %.2f\n", Median(histories));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lists_bench: %s\n", e.what());
        return 1;
    }
}
