// Speed of the place lists on the delivered data:
//   cities_run_s  one central event over the whole city database, streamed from the file, every
//                 place computed and its lines written to a temporary list file;
//   places_per_s  places computed per second in that run;
//   cities_run_cores_s  the same run with its places shared between all cores (as the window
//                 runs it); its lines are checked to be the same bytes;
//   history_ms    all catalogued events at one place (Basel), lines written likewise;
//   cities_window_s   the many-places window (offscreen) over the whole city database with the
//                     threshold "0" for the same event, from the start button to the last line
//                     shown in the text box;
//   ui_max_gap_ms     the longest time the GUI thread's event loop went without turning during
//                     those window runs (a 1 ms timer that notes each of its turns);
//   history_window_ms the place-history window for Basel over its widest year range, likewise.
// Usage: lists_bench [CATALOGUE [CITY_FILE]]; defaults from the program's folder.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "astro/catalogue.h"
#include "dialogs/user_dialogs.h"
#include "lists/city_database.h"
#include "lists/list_runs.h"
#include "lists/ui/city_hist_window.h"
#include "lists/ui/city_list_window.h"

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

// Median seconds of `count` list runs, each into a fresh temporary file of `tempFolder` that is
// removed afterwards; `run(out, path)` writes one list and returns its result, the last of which
// lands in `last`.
template <typename Run>
double medianRunSeconds(int count, const std::string& tempFolder, lists::ListRunResult& last,
                        Run run) {
    std::vector<double> seconds;
    for (int i = 0; i < count; ++i) {
        const std::string temp = lists::CreateTempListFile(tempFolder);
        std::ofstream out(temp, std::ios::binary);
        const auto start = Clock::now();
        last = run(out, temp);
        out.close();
        seconds.push_back(Seconds(start));
        std::filesystem::remove(temp);
    }
    return Median(seconds);
}

// The longest time between two turns of the GUI thread's event loop while it is armed: a 1 ms
// timer notes each time it gets through.
class LoopGapMeter {
public:
    LoopGapMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { note(); });
    }

    void arm() {
        m_last = Clock::now();
        m_armed = m_last;
        m_timer.start();
    }

    void disarm() {
        note();
        m_timer.stop();
    }

    double maxGapMs() const { return m_maxGap * 1000.0; }

    /// When the longest gap ended, in ms after the run it belongs to was started.
    double maxGapEndMs() const { return m_maxGapEnd * 1000.0; }

private:
    void note() {
        const auto now = Clock::now();
        const double gap = std::chrono::duration<double>(now - m_last).count();
        if (gap > m_maxGap) {
            m_maxGap = gap;
            m_maxGapEnd = std::chrono::duration<double>(now - m_armed).count();
        }
        m_last = now;
    }

    QTimer m_timer;
    Clock::time_point m_last;
    Clock::time_point m_armed;
    double m_maxGap = 0.0;
    double m_maxGapEnd = 0.0;
};

// Median seconds of `count` clicks of a window's start button, each until the window's run has
// ended and the events it posted are handled.
template <typename Click, typename Running>
double medianClickSeconds(int count, LoopGapMeter& gaps, Click click, Running running) {
    std::vector<double> seconds;
    for (int i = 0; i < count; ++i) {
        gaps.arm();
        const auto start = Clock::now();
        click();
        while (running()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QApplication::processEvents();
        seconds.push_back(Seconds(start));
        gaps.disarm();
    }
    return Median(seconds);
}

// Error boxes are counted, nothing is asked.
class BenchDialogs : public dialogs::UserDialogs {
public:
    int failures = 0;

    void inform(const QString&) override {}

    void fail(const QString& text) override {
        ++failures;
        std::fprintf(stderr, "lists_bench: %s\n", text.toUtf8().constData());
    }

    bool ask(const QString&) override { return false; }

    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

struct WindowFigures {
    double citiesSeconds = 0.0;
    double historyMs = 0.0;
    double maxGapMs = 0.0;
    double maxGapEndMs = 0.0;
    int lines = 0;
};

// Both windows, offscreen, timed from the start handler until the lines are shown and painted.
WindowFigures TimeWindows(const astro::BesselTable& table, int event, const std::string& folder) {
    QTemporaryDir temp;
    BenchDialogs dialogs;
    lists::ListRunControl control;
    lists::ListWindowContext context;
    context.catalogue = &table;
    context.currentRecord = [&table, event] { return table[event]; };
    context.dataFolder = folder;
    context.tempFolder = temp.path().toStdString();
    context.dialogs = &dialogs;
    context.control = &control;

    WindowFigures figures;
    lists::TForm_CityList list(context);
    list.findChild<QComboBox*>("ComboBox_Population")->setCurrentIndex(9);
    list.showCleared();
    QApplication::processEvents();
    LoopGapMeter gaps;
    figures.citiesSeconds = medianClickSeconds(
        3, gaps, [&] { list.Button_Start_CityListClick(); }, [&] { return list.running(); });
    figures.maxGapMs = gaps.maxGapMs();
    figures.maxGapEndMs = gaps.maxGapEndMs();
    figures.lines = list.findChild<QPlainTextEdit*>("RichEdit_CityList")->blockCount();
    list.removeTemporaryFiles();

    lists::TForm_CityHist hist(context);
    hist.findChild<QLineEdit*>("Edit_Ort_Stadt")->setText("Basel");
    hist.findChild<QLineEdit*>("Edit_Breite")->setText("47.5583");
    hist.findChild<QLineEdit*>("Edit_Laenge")->setText("7.5733");
    hist.findChild<QLineEdit*>("Edit_Hoehe")->setText("260");
    hist.findChild<QComboBox*>("ComboBox_von")->setCurrentIndex(0);
    hist.findChild<QComboBox*>("ComboBox_Bis")->setCurrentIndex(3);
    hist.showCleared();
    QApplication::processEvents();
    LoopGapMeter historyGaps;
    figures.historyMs = medianClickSeconds(
                            9, historyGaps, [&] { hist.Button_Start_CityHistClick(); },
                            [&] { return hist.running(); })
                        * 1000.0;
    hist.removeTemporaryFiles();
    if (dialogs.failures > 0) {
        throw std::runtime_error("a list window reported an error");
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
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
        lists::ListRunResult result;
        const double citySeconds = medianRunSeconds(
            3, tempFolder, result, [&](std::ofstream& out, const std::string& temp) {
                return lists::RunCityList(cities, {&out, temp}, {});
            });

        lists::CityListInput shared = cities;
        shared.workers = std::max(1, QThread::idealThreadCount());
        lists::ListRunResult sharedResult;
        std::string oneThread;
        std::string allCores;
        const double sharedSeconds = medianRunSeconds(
            3, tempFolder, sharedResult, [&](std::ofstream& out, const std::string& temp) {
                return lists::RunCityList(shared, {&out, temp}, {});
            });
        {
            std::ostringstream a;
            std::ostringstream b;
            lists::RunCityList(cities, {&a, "one"}, {});
            lists::RunCityList(shared, {&b, "all"}, {});
            oneThread = a.str();
            allCores = b.str();
        }
        if (oneThread != allCores || sharedResult.found != result.found) {
            throw std::runtime_error("the run shared between the cores wrote other lines");
        }

        lists::CityHistInput place;
        place.place.Stadt = "Basel";
        place.place.Breite = 47.5583;
        place.place.Laenge = 7.5733;
        place.place.Hoehe = 260;
        place.firstYear = -100000;
        place.lastYear = 100000;
        lists::ListRunResult history;
        const double historySeconds = medianRunSeconds(
            9, tempFolder, history, [&](std::ofstream& out, const std::string& temp) {
                return lists::RunCityHist(table, place, {&out, temp}, {});
            });

        const std::string cityFolder = std::filesystem::path(cityPath).parent_path().string() + "/";
        const WindowFigures windows = TimeWindows(table, event, cityFolder);

        std::printf("# event %d, %d places, %d seeing it; history: %d events, %d seen\n", event,
                    result.tested, result.found, history.tested, history.found);
        std::printf(
            "# the many-places window shows %d lines; its longest loop gap ended %.0f ms "
            "after its run started\n",
            windows.lines, windows.maxGapEndMs);
        std::printf("cities_run_s %.3f\n", citySeconds);
        std::printf("places_per_s %.0f\n", result.tested / citySeconds);
        std::printf("cities_run_cores_s %.3f\n", sharedSeconds);
        std::printf("history_ms %.2f\n", historySeconds * 1000.0);
        std::printf("cities_window_s %.3f\n", windows.citiesSeconds);
        std::printf("history_window_ms %.2f\n", windows.historyMs);
        std::printf("ui_max_gap_ms %.1f\n", windows.maxGapMs);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lists_bench: %s\n", e.what());
        return 1;
    }
}
