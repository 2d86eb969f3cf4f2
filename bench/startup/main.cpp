// Starts the real main window offscreen with the delivered data and prints
//   first_picture_ms  process start to the first full globe picture (catalogue, settings,
//                     window, texture and the first render included)
//   peak_rss_mb       the process's peak resident memory
// Usage: bench_startup [--texture 0..3] [--size WxH] [--grab out.png] [--play N]
// The settings, documents and temporary folders are fresh temporary folders; --texture picks the
// globe texture (default 1, the largest image), --grab saves a picture of the window after the
// first picture (and after --play N steps of Play, which also prints play_steps_per_s).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include "app/program.h"
#include "app/version_info.h"
#include "dialogs/user_dialogs.h"
#include "globe/view/globe_view.h"

namespace {

/// Milliseconds since the process started (from /proc, so the loader's work counts too).
double msSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Field 22 (starttime, clock ticks since boot) follows the command name in parentheses.
    const auto close = content.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    const char* p = content.c_str() + close + 2;
    for (int field = 3; field < 22; ++field) {
        p = std::strchr(p, ' ');
        if (p == nullptr)
            return -1.0;
        ++p;
    }
    const double startTicks = std::strtod(p, nullptr);
    std::ifstream uptimeFile("/proc/uptime");
    double uptime = 0.0;
    uptimeFile >> uptime;
    return (uptime - startTicks / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0;
}

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

/// Messages go to the error stream; questions are answered with No, save dialogs cancelled.
class PrintedDialogs : public zimbalo::dialogs::UserDialogs {
public:
    QStringList failed;

    void inform(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }

    void fail(const QString& text) override {
        failed << text;
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }

    bool ask(const QString&) override { return false; }

    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const auto entered = std::chrono::steady_clock::now();
    const double beforeMain = msSinceProcessStart();
    int texture = 1;
    int width = 1024;
    int height = 773;
    int playSteps = 0;
    QString grab;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--texture") == 0)
            texture = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--size") == 0)
            std::sscanf(argv[i + 1], "%dx%d", &width, &height);
        else if (std::strcmp(argv[i], "--grab") == 0)
            grab = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strcmp(argv[i], "--play") == 0)
            playSteps = std::atoi(argv[i + 1]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    using namespace zimbalo::app;
    QTemporaryDir root;
    AppFolders folders;
    folders.program = QCoreApplication::applicationDirPath() + "/";
    folders.data = folders.program;
    folders.settings = root.path() + "/config/Zimbalo/";
    folders.documents = root.path() + "/documents/Zimbalo/";
    folders.temporary = root.path() + "/tmp/";
    folders.settingsReady = QDir().mkpath(folders.settings);
    folders.documentsReady = QDir().mkpath(folders.documents);
    QDir().mkpath(folders.temporary);
    SettingsRecord settings = DefaultSettings(FileVersion().toStdString());
    settings.textureIndex = texture;
    settings.width = width;
    settings.height = height;
    SaveSettings(SettingsPath(folders), settings);

    PrintedDialogs dialogs;
    StartOptions options;
    options.folders = folders;
    QElapsedTimer phase;
    phase.start();
    Started started = StartMainWindow(dialogs, options);
    const qint64 windowMs = phase.restart();
    if (!started.window) {
        std::fprintf(stderr, "bench_startup: %s\n", qPrintable(dialogs.failed.join('\n')));
        return 1;
    }
    TForm_Main& window = *started.window;
    auto* globeView = window.findChild<zimbalo::globe::GlobeView*>(QStringLiteral("Globe"));
    auto* timeBar = window.findChild<QScrollBar*>(QStringLiteral("Time_ScrollBar"));
    auto* playButton = window.findChild<QPushButton*>(QStringLiteral("Button_Play"));
    auto* stopButton = window.findChild<QPushButton*>(QStringLiteral("Button_Stop"));
    if (globeView == nullptr || timeBar == nullptr || playButton == nullptr
        || stopButton == nullptr) {
        std::fprintf(stderr, "bench_startup: the main window lacks its globe or play controls\n");
        return 1;
    }
    window.show();
    const qint64 showMs = phase.restart();
    QElapsedTimer guard;
    guard.start();
    while (globeView->RenderCount() == 0 && guard.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const double sinceMain =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - entered)
            .count();
    std::printf("first_picture_ms %.0f\n", beforeMain + sinceMain);
    std::printf("peak_rss_mb %.1f\n", peakRssMb());
    // Where the time went: before main (loader, libraries), creating the window (settings,
    // catalogue, controls), showing it (first activation: texture, first calculation), and
    // the first render and paint.
    std::printf("phases_ms before_main %.0f window %lld show %lld render %lld\n", beforeMain,
                static_cast<long long>(windowMs), static_cast<long long>(showMs),
                static_cast<long long>(phase.elapsed()));
    if (!grab.isEmpty())
        window.grab().save(grab);

    if (playSteps > 0) {
        // Play runs until the slider has moved the given number of steps, then stops itself.
        const int start = timeBar->value();
        int renders = globeView->RenderCount();
        bool stopped = false;
        QObject::connect(timeBar, &QScrollBar::valueChanged, &window,
                         [stopButton, &stopped, start, playSteps](int value) {
                             if (!stopped && value - start >= playSteps * 5) {
                                 stopped = true;
                                 stopButton->click();
                             }
                         });
        QElapsedTimer played;
        played.start();
        // Play steps on the window's timer; the benchmark turns the event loop until it stopped.
        playButton->click();
        while (!stopped && played.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const double seconds = static_cast<double>(played.elapsed()) / 1000.0;
        renders = globeView->RenderCount() - renders;
        std::printf("play_steps_per_s %.1f\n", playSteps / seconds);
        std::printf("play_renders %d\n", renders);
        std::printf("peak_rss_mb_after_play %.1f\n", peakRssMb());
        if (!grab.isEmpty())
            window.grab().save(QString(grab).replace(".png", "_play.png"));
    }
    window.close();
    return 0;
}
