// Pictures of the main window: a total occultation of Venus and one of Saturn, each at two
// instants, each of the four textures once, the globe reset and the sub-planetary cross on.
// Settings, documents and temporary files go to a fresh temporary folder.
//
// Then plays the Venus event from 40 minutes before its closest approach to the end of the time
// slider, as the Play button does, and prints the steps per second of the whole window.
//
// Usage: window_pictures out-folder [venus event] [saturn event]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <time.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/program.h"
#include "dialogs/user_dialogs.h"
#include "globe/view/globe_view.h"

namespace {

/// Messages go to the terminal; questions are answered no.
class PrintedDialogs : public zimbalo::dialogs::UserDialogs {
public:
    void inform(const QString& text) override {
        std::fprintf(stderr, "inform: %s\n", qPrintable(text));
    }

    void fail(const QString& text) override {
        std::fprintf(stderr, "fail: %s\n", qPrintable(text));
    }

    bool ask(const QString&) override { return false; }

    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zimbalo;
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_pictures out-folder [venus event] [saturn event]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const int venus = argc > 2 ? std::atoi(argv[2]) : 597;
    const int saturn = argc > 3 ? std::atoi(argv[3]) : 225;
    QDir().mkpath(out);
    QTemporaryDir root;
    app::StartOptions options;
    options.folders.program = QCoreApplication::applicationDirPath() + "/";
    options.folders.data = options.folders.program;
    options.folders.settings = root.path() + "/config/Zimbalo/";
    options.folders.documents = root.path() + "/documents/Zimbalo/";
    options.folders.temporary = root.path() + "/tmp/";
    options.folders.settingsReady = QDir().mkpath(options.folders.settings);
    options.folders.documentsReady = QDir().mkpath(options.folders.documents);
    QDir().mkpath(options.folders.temporary);
    PrintedDialogs dialogs;
    options.screens = {QRect(0, 0, 1280, 1024)};
    app::Started started = app::StartMainWindow(dialogs, options);
    if (!started.window) {
        std::fprintf(stderr, "window_pictures: no window\n");
        return 1;
    }
    app::TForm_Main& w = *started.window;
    w.show();
    QCoreApplication::processEvents();
    // The controls as a user finds them.
    const auto control = [&w](const char* name) {
        return w.findChild<QWidget*>(QString::fromLatin1(name));
    };
    auto* texture = static_cast<QComboBox*>(control("ComboBox_Globus"));
    auto* events = static_cast<QScrollBar*>(control("ScrollBar_Bedeckung"));
    auto* time = static_cast<QScrollBar*>(control("Time_ScrollBar"));
    auto* zoom = static_cast<QSlider*>(control("Zoom_TrackBar"));
    auto* globe = static_cast<globe::GlobeView*>(control("Globe"));
    static_cast<QCheckBox*>(control("CheckBox_SSP"))->setChecked(true);
    static_cast<QCheckBox*>(control("CheckBox_Cities"))->setChecked(true);

    struct Shot {
        const char* name;
        int event;
        double hoursFromClosest;
        int texture;
        int zoom;  ///< slider position after the reset (350: small enough to show the label)
    };

    const Shot shots[] = {
        {"venus_1", venus, -0.6, 0, 300},
        {"venus_2", venus, 0.5, 1, 300},
        {"saturn_1", saturn, -0.5, 2, 300},
        {"saturn_2", saturn, 0.7, 3, 350},
    };
    for (const Shot& s : shots) {
        texture->setCurrentIndex(s.texture);
        events->setValue(s.event);
        time->setValue(time->value() + static_cast<int>(s.hoursFromClosest * 6300 / 3.5));
        static_cast<QPushButton*>(control("Button_Resize_Globe"))->click();
        zoom->setValue(s.zoom);
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
        }
        const QString file = out + "/" + s.name + ".png";
        if (!w.grab().save(file)) {
            std::fprintf(stderr, "window_pictures: cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s event %d slider %d\n", qPrintable(file), s.event, time->value());
    }
    // Play as the button does (each step recomputes, repaints and lets the window's messages
    // through), timed over the whole run.
    texture->setCurrentIndex(0);
    events->setValue(venus);
    zoom->setValue(140);
    const int start = time->value() - static_cast<int>(0.67 * 6300 / 3.5);
    time->setValue(std::max(start, 0));
    QCoreApplication::processEvents();
    const int from = time->value();
    const int renders = globe->RenderCount();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = ThreadCpuSeconds();
    static_cast<QPushButton*>(control("Button_Play"))->click();
    while (w.Playing()) {
        QCoreApplication::processEvents();
    }
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const int steps = (time->value() - from) / 5;
    std::printf("play_steps %d\n", steps);
    std::printf("play_renders %d\n", globe->RenderCount() - renders);
    std::printf("play_steps_per_s %.1f\n", steps / seconds);
    // On a busy machine: the rate the program's own thread would reach alone.
    std::printf("play_steps_per_cpu_s %.1f\n", steps / cpu);
    w.close();
    return 0;
}
