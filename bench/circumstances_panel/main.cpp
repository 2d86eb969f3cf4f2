// Speed of the circumstances panel on the delivered data:
//   zone_table_ms      reading and checking the zone table;
//   city_index_ms      reading the city database of the language into the nearest-place index;
//   here_text_ms       the panel's text alone (circumstances, zone, local times, nearest place);
//   open_first_ms      the first click, 3 s after the panel was made (it reads its data
//                      meanwhile): from openAt to the panel shown and painted;
//   open_median_ms, open_max_ms   later clicks at 40 points of the globe, likewise.
// Usage: circumstances_panel_bench [--show de|en|fr [SCALE_NOTE]] [EVENT LAT LON]
// With --show the panel stays open for 6 s for a screenshot.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QString>

#include "app/circumstances_panel.h"
#include "astro/catalogue.h"
#include "astro/time_scales.h"
#include "lists/city_database.h"
#include "lists/here_text.h"
#include "lists/nearest_city.h"
#include "lists/time_zones.h"

namespace {

using namespace zimbalo;

// Milliseconds until `panel` is shown and has painted, from `start`.
double OpenMs(app::CircumstancesPanel& panel, double lat, double lon) {
    QElapsedTimer timer;
    timer.start();
    panel.openAt(lat, lon);
    panel.repaint();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string show;
    if (args.size() >= 2 && args[0] == "--show") {
        show = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    int event = 660;
    double lat = 40.71;
    double lon = -74.01;
    if (args.size() == 3) {
        event = std::atoi(args[0].c_str());
        lat = std::atof(args[1].c_str());
        lon = std::atof(args[2].c_str());
    }
    const std::string folder = astro::ProgramFolder();
    const astro::BesselTable table = astro::LoadCatalogue(folder + astro::kCatalogueFileName);
    const astro::BesselRecord& record = table[event];

    if (!show.empty()) {
        app::CircumstancesPanel panel;
        panel.setDataFolder(QString::fromStdString(folder));
        panel.setEvent(record, event);
        panel.setLanguage(show == "en"   ? Language::English
                          : show == "fr" ? Language::French
                                         : Language::German);
        panel.openAt(lat, lon);
        panel.move(40, 40);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 6000) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        std::fputs(panel.text().toUtf8().constData(), stdout);
        return 0;
    }

    using Clock = std::chrono::steady_clock;
    auto t0 = Clock::now();
    const lists::ZoneTable zones = lists::ZoneTable::Load(folder + lists::kZoneTableFileName);
    std::printf("zone_table_ms %.1f\n",
                std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    t0 = Clock::now();
    const lists::CityIndex cities =
        lists::CityIndex::Load(lists::CityFileName(Language::German, folder));
    std::printf("city_index_ms %.1f\n",
                std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    t0 = Clock::now();
    const lists::HereRequest request{&record, event, lat, lon, 0.0, Language::German, false};
    const int rounds = 50;
    for (int i = 0; i < rounds; ++i) {
        lists::HereText(request, &zones, &cities);
    }
    std::printf("here_text_ms %.2f\n",
                std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / rounds);

    // As in the program: the panel exists from the start and reads its data meanwhile; the
    // first click comes later.
    app::CircumstancesPanel panel;
    panel.setDataFolder(QString::fromStdString(folder));
    panel.setEvent(record, event);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 3000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::printf("open_first_ms %.1f\n", OpenMs(panel, lat, lon));
    std::printf("nearest_place_shown %d\n",
                static_cast<int>(panel.text().contains(QStringLiteral("Nächster Ort"))));
    std::vector<double> ms;
    for (int i = 0; i < 40; ++i) {
        ms.push_back(OpenMs(panel, -60.0 + 3.0 * i, -170.0 + 8.5 * i));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("open_median_ms %.1f\nopen_max_ms %.1f\n", ms[ms.size() / 2], ms.back());
    return 0;
}
