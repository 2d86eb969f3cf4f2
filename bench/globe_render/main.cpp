// Speed of the globe picture: a 1024 x 768 frame with the 5400 x 2700 texture and the 10-degree
// graticule at two scales, turning the globe by one degree per frame. Prints "name value" lines.
//
// Usage: globe_render [texture.jpg]   (default: BlueMarble_5.4x2.7k.jpg beside the executable)

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>
#include <time.h>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>

#include "globe/geo_exception.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_texture.h"

namespace {

using zimbalo::globe::GeoGlobe;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kFrames = 200;

/// CPU time of this thread in milliseconds (for runs on a busy machine: ZIMBALO_BENCH_CPU=1).
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

const bool kCpuTime = qEnvironmentVariableIsSet("ZIMBALO_BENCH_CPU");

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

/// Median milliseconds per frame at a scale, turning YRotation by 1 degree between frames.
double frameMs(GeoGlobe& globe, double scale) {
    globe.Projector().SetScaleFactor(scale);
    globe.Projector().SetXOrigin(kWidth / 2);
    globe.Projector().SetYOrigin(kHeight / 2);
    globe.Render();  // warm-up: caches and first-touch of memory
    std::vector<double> times;
    times.reserve(kFrames);
    for (int i = 0; i < kFrames; ++i) {
        globe.Projector().SetYRotation(globe.Projector().YRotation() + 1.0);
        const auto start = Clock::now();
        const double cpuStart = threadCpuMs();
        globe.Render();
        times.push_back(kCpuTime ? threadCpuMs() - cpuStart : msSince(start));
    }
    return median(times);
}

/// Median milliseconds of a plain fill of the back buffer.
double fillMs(GeoGlobe& globe) {
    std::vector<double> times;
    for (int i = 0; i < kFrames; ++i) {
        const auto start = Clock::now();
        globe.Renderer().FillBackground(static_cast<zimbalo::globe::GeoColor>(i));
        times.push_back(msSince(start));
    }
    return median(times);
}

/// Median milliseconds of decoding the texture file.
double decodeMs(const QString& path) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        const QImage image = zimbalo::globe::DecodeJpegFile(path);
        times.push_back(msSince(start));
    }
    return median(times);
}

// ---- Labels (layers' measurement) ---------------------------------------------------------------

/// Labels: extra milliseconds per frame at the default scale 2.7e-06 with a layer of 193 labelled
/// points drawn like the capitals (white 4-pixel circles on black, white 60-arcminute titles
/// above). The points lie on a golden-angle spiral between 55 S and 65 N, so that a realistic
/// share of them is in view. Each frame is rendered twice at the same rotation, with the layer
/// shown and hidden, and the median of the differences is reported.
struct LabelFigures {
    double ms = -1.0;
    double perFrame = 0.0;
};

LabelFigures labelsMs(GeoGlobe& globe) {
    using namespace zimbalo::globe;
    auto owned = std::make_unique<GeoLayers>(&globe);
    GeoLayers& layers = *owned;
    globe.SetLayerPass(std::move(owned));
    globe.SetMinObjectPixels(1.0);
    globe.Renderer().SetMinTextHeight(8);
    globe.Renderer().SetMaxTextHeight(40);

    auto cities = std::make_unique<GeoLayer>(QStringLiteral("Cities Layer"));
    GeoLayer& layer = *cities;
    layers.GlobeLayer().LayerStore().Add(std::move(cities));
    auto presenter = std::make_unique<GeoPointPresenter>();
    presenter->SetPresenterID(2);
    presenter->SetPointType(GeoPointType::ppCircle);
    presenter->SetPointSize(4);
    presenter->SetPointUnit(GeoUnitTypes::guPixel);
    presenter->PointPen().SetColor(clWhite);
    presenter->PointBrush().SetColor(clBlack);
    presenter->PointBrush().SetStyle(GeoBrushStyle::gbsSolid);
    presenter->TitleFont().SetColor(clWhite);
    presenter->TitleFont().SetSize(60);
    presenter->TitleFont().SetSizeUnit(GeoUnitTypes::guMinute);
    presenter->SetTitleAlignment(GeoTitleAlignment::taTop);
    layer.Presenters().Add(std::move(presenter));
    constexpr int kPoints = 193;
    for (int i = 0; i < kPoints; ++i) {
        const double t = (i + 0.5) / kPoints;
        const double lat = -55.0 + 120.0 * t;
        const double lon = std::fmod(i * 137.50776405, 360.0) - 180.0;
        auto point = std::make_shared<GeoMapPoint>();
        point->SetPresenterID(2);
        point->SetObjectData(0, QStringLiteral("Capital %1").arg(i + 1));
        point->SetLocation({DegToGU(lon), DegToGU(lat), 0});
        layer.ObjectSource().AddObject(point);
    }

    globe.Projector().SetScaleFactor(2.7e-06);
    globe.Projector().SetXOrigin(kWidth / 2);
    globe.Projector().SetYOrigin(kHeight / 2);
    globe.Render();
    std::vector<double> differences;
    std::size_t labelsSeen = 0;
    for (int i = 0; i < kFrames; ++i) {
        globe.Projector().SetYRotation(globe.Projector().YRotation() + 1.0);
        double ms[2] = {0.0, 0.0};
        for (int shown = 0; shown < 2; ++shown) {
            layer.SetVisible(shown == 1);
            const auto start = Clock::now();
            const double cpuStart = threadCpuMs();
            globe.Render();
            ms[shown] = kCpuTime ? threadCpuMs() - cpuStart : msSince(start);
        }
        labelsSeen += globe.Labels().Labels().size();
        differences.push_back(ms[1] - ms[0]);
    }
    globe.SetLayerPass(nullptr);
    return {median(differences), static_cast<double>(labelsSeen) / kFrames};
}

// ---- end of the layers' measurement -------------------------------------------------------------

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QString texture =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + "/BlueMarble_5.4x2.7k.jpg";
    if (!QFileInfo::exists(texture)) {
        std::fprintf(stderr, "globe_render: texture not found: %s\n", qPrintable(texture));
        return 1;
    }
    try {
        const double decode = decodeMs(texture);

        GeoGlobe globe(kWidth, kHeight);
        globe.SetSurfaceTextureName(texture);
        globe.Projector().SetXRotation(23.5);
        globe.Graticule().SetLatitudeStep(10);
        globe.Graticule().SetLongitudeStep(10);

        const double frameDefault = frameMs(globe, 2.7e-06);
        const double frameFar = frameMs(globe, 1.1e-06);
        const LabelFigures labels = labelsMs(globe);
        const double fill = fillMs(globe);

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("frame_ms_default %.3f\n", frameDefault);
        std::printf("frame_ms_far %.3f\n", frameFar);
        if (labels.ms >= 0.0) {
            std::printf("labels_ms %.3f\n", labels.ms);
            std::printf("labels_per_frame %.1f\n", labels.perFrame);
        }
        std::printf("fill_ms %.3f\n", fill);
        std::printf("decode_ms %.3f\n", decode);
        std::printf("peak_rss_mb %.1f\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    } catch (const zimbalo::globe::GeoException& e) {
        std::fprintf(stderr, "globe_render: %s\n", e.what());
        return 1;
    }
    return 0;
}
