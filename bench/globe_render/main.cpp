// Speed of the globe picture: a frame (1024 x 768 by default) with the 5400 x 2700 texture and the
// 10-degree graticule at two scales, turning the globe by one degree per frame. Prints "name value"
// lines: medians of wall time per frame (frame_ms_*) and of CPU time per frame over all threads
// (frame_cpu_ms_*).
//
// Usage: globe_render [--size WxH] [--frames N] [texture.jpg]
//        [--dpr R]  (device pixels per window pixel: at 2 a 1024 x 768 window draws 2048 x 1536)
//        [--pictures DIR]  (only: the default view and the Strait of Gibraltar at 1 and 2 device
//                          pixels per pixel, still and moving, with a line and a title, cut out
//                          and magnified 3 times, as PNG files; at 2 also the picture drawn at 1
//                          and doubled, as the screen showed it when the globe ignored the ratio)
//        [--threads N]  (threads of the texture pass, all included; default one per core)
//        [--default-only]  (only the frames at the default scale, for instruction counts)
//        [--bilinear]  (with --default-only: those frames filtered)
//        [--level0]  (frames in motion from the full texture instead of the suiting level)
//        (default texture: BlueMarble_5.4x2.7k.jpg beside the executable)

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

int kWidth = 1024;
int kHeight = 768;
int kFrames = 200;
bool kDefaultOnly = false;
int kThreads = 0;
bool kBilinearOnly = false;
bool kLevelZero = false;
double kRatio = 1.0;
QString kPicturesDir;

/// The default scale (2.7e-6 at 1024 x 768) grown with the picture's diagonal, as a resize of the
/// window does, so that the globe fills every picture size alike.
double defaultScale() {
    return 2.7e-06 * std::hypot(kWidth, kHeight) / std::hypot(1024.0, 768.0);
}

/// CPU time of this thread in milliseconds (for runs on a busy machine: ZIMBALO_BENCH_CPU=1).
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

const bool kCpuTime = qEnvironmentVariableIsSet("ZIMBALO_BENCH_CPU");

/// CPU time of the whole process (all threads) in milliseconds.
double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct FrameFigures {
    double wallMs = 0.0;  ///< median wall time per frame
    double cpuMs = 0.0;   ///< median CPU time per frame, all threads
};

/// Medians per frame at a scale, turning YRotation by 1 degree between frames.
FrameFigures frameMs(GeoGlobe& globe, double scale) {
    globe.Projector().SetScaleFactor(scale);
    globe.Projector().SetXOrigin(kWidth / 2);
    globe.Projector().SetYOrigin(kHeight / 2);
    globe.Render();  // warm-up: caches and first-touch of memory
    std::vector<double> times;
    std::vector<double> cpu;
    times.reserve(static_cast<std::size_t>(kFrames));
    cpu.reserve(static_cast<std::size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        globe.Projector().SetYRotation(globe.Projector().YRotation() + 1.0);
        const auto start = Clock::now();
        const double cpuStart = threadCpuMs();
        const double processStart = processCpuMs();
        globe.Render();
        times.push_back(kCpuTime ? threadCpuMs() - cpuStart : msSince(start));
        cpu.push_back(processCpuMs() - processStart);
    }
    return {median(times), median(cpu)};
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

    globe.Projector().SetScaleFactor(defaultScale());
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

// ---- Pictures to look at
// -------------------------------------------------------------------------

/// A yellow line 2 pixels wide running slanted across Europe and Africa and a titled point at
/// Gibraltar, drawn like the central line and a point of interest.
void addLookLayers(GeoGlobe& globe) {
    using namespace zimbalo::globe;
    GeoLayers& layers = InstallLayers(globe);
    auto owned = std::make_unique<GeoLayer>(QStringLiteral("Look"));
    GeoLayer& layer = *owned;
    layers.GlobeLayer().LayerStore().Add(std::move(owned));
    auto road = std::make_unique<GeoRoadPresenter>();
    road->SetPresenterID(1);
    road->RoadPen().SetColor(0x00FFFF);
    road->RoadPen().SetWidth(2);
    road->RoadPen().SetWidthUnit(GeoUnitTypes::guPixel);
    road->SetEdgeColor(0x00FFFF);
    road->SetEdgePixels(0);
    layer.Presenters().Add(std::move(road));
    auto poi = std::make_unique<GeoPointPresenter>();
    poi->SetPresenterID(3);
    poi->SetPointType(GeoPointType::ppCircle);
    poi->SetPointSize(9);
    poi->SetPointUnit(GeoUnitTypes::guPixel);
    poi->PointPen().SetColor(clWhite);
    poi->PointBrush().SetColor(0x0000FF);
    poi->PointBrush().SetStyle(GeoBrushStyle::gbsSolid);
    poi->TitleFont().SetColor(0x0000FF);
    poi->TitleFont().SetSize(100);
    poi->TitleFont().SetSizeUnit(GeoUnitTypes::guMinute);
    poi->TitleFont().SetStyle(GeoFontStyles{GeoFontStyle::gfsHalo});
    poi->SetTitleAlignment(GeoTitleAlignment::taTop);
    layer.Presenters().Add(std::move(poi));
    auto line = std::make_shared<GeoMapPoly>();
    line->SetPresenterID(1);
    for (int k = 0; k <= 200; ++k) {
        const double f = k / 200.0;
        line->Chains().Chain(0).Add({DegToGU(-30.0 + 60.0 * f), DegToGU(10.0 + 40.0 * f), 0});
    }
    layer.ObjectSource().AddObject(line);
    auto point = std::make_shared<GeoMapPoint>();
    point->SetPresenterID(3);
    point->SetObjectData(0, QStringLiteral("Gibraltar"));
    point->SetLocation({DegToGU(-5.35), DegToGU(36.14), 0});
    layer.ObjectSource().AddObject(point);
}

/// Renders the view at a ratio, still or moving, cuts out a window's rectangle (logical pixels)
/// and magnifies it 3 times; `doubled` draws at 1 and doubles, as the screen did before.
QImage lookAt(GeoGlobe& globe, double ratio, bool still, bool doubled, const QRect& cut) {
    using zimbalo::globe::GeoTextureFilter;
    globe.SetDevicePixelRatio(doubled ? 1.0 : ratio);
    globe.SetTextureFilter(still ? GeoTextureFilter::Bilinear : GeoTextureFilter::NearestLevel);
    globe.SetSmoothLines(still);
    globe.Render();
    QImage picture = globe.Picture().copy();
    if (doubled) {
        picture = picture.scaled(picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    const QRect device(
        QPoint(static_cast<int>(cut.left() * ratio), static_cast<int>(cut.top() * ratio)),
        cut.size() * ratio);
    const QImage part = picture.copy(device);
    return part.scaled(part.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

int savePictures(const QString& texture) {
    using zimbalo::globe::GeoGlobe;

    struct Scene {
        const char* name;
        double scale;
        double latitude;
        double longitude;
        QRect cut;  ///< logical pixels of the 1024 x 768 window
    };

    const Scene scenes[] = {{"default", defaultScale(), 23.5, 0.0, QRect(412, 200, 200, 150)},
                            {"gibraltar", 5e-5, 36.0, -5.6, QRect(412, 309, 200, 150)}};
    GeoGlobe globe(kWidth, kHeight);
    globe.SetSurfaceTextureName(texture);
    globe.Graticule().SetLatitudeStep(10);
    globe.Graticule().SetLongitudeStep(10);
    globe.Renderer().SetMinTextHeight(8);
    globe.Renderer().SetMaxTextHeight(40);
    addLookLayers(globe);
    for (const Scene& scene : scenes) {
        globe.Projector().SetScaleFactor(scene.scale);
        globe.Projector().SetXOrigin(kWidth / 2);
        globe.Projector().SetYOrigin(kHeight / 2);
        globe.Projector().SetXRotation(scene.latitude);
        globe.Projector().SetYRotation(scene.longitude);
        for (const bool still : {true, false}) {
            const char* motion = still ? "still" : "moving";
            const auto save = [&](const QImage& image, const char* what) {
                const QString path =
                    QStringLiteral("%1/%2_%3_%4.png")
                        .arg(kPicturesDir, QString::fromLatin1(scene.name),
                             QString::fromLatin1(what), QString::fromLatin1(motion));
                if (!image.save(path)) {
                    std::fprintf(stderr, "globe_render: cannot write %s\n", qPrintable(path));
                }
            };
            save(lookAt(globe, 1.0, still, false, scene.cut), "1x");
            save(lookAt(globe, 2.0, still, false, scene.cut), "2x");
            save(lookAt(globe, 2.0, still, true, scene.cut), "2x_doubled");
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QString texture = QCoreApplication::applicationDirPath() + "/BlueMarble_5.4x2.7k.jpg";
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--size") && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &kWidth, &kHeight) != 2 || kWidth <= 0
                || kHeight <= 0) {
                std::fprintf(stderr, "globe_render: --size takes WxH, for example 1920x1080\n");
                return 2;
            }
        } else if (arg == QLatin1String("--frames") && i + 1 < argc) {
            kFrames = std::max(1, std::atoi(argv[++i]));
        } else if (arg == QLatin1String("--threads") && i + 1 < argc) {
            kThreads = std::max(1, std::atoi(argv[++i]));
        } else if (arg == QLatin1String("--dpr") && i + 1 < argc) {
            kRatio = std::atof(argv[++i]);
            if (!(kRatio >= 0.25 && kRatio <= 16.0)) {
                std::fprintf(stderr, "globe_render: --dpr takes a ratio from 0.25 to 16\n");
                return 2;
            }
        } else if (arg == QLatin1String("--pictures") && i + 1 < argc) {
            kPicturesDir = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--bilinear")) {
            kBilinearOnly = true;
        } else if (arg == QLatin1String("--level0")) {
            kLevelZero = true;
        } else if (arg == QLatin1String("--default-only")) {
            kDefaultOnly = true;
        } else {
            texture = arg;
        }
    }
    if (!QFileInfo::exists(texture)) {
        std::fprintf(stderr, "globe_render: texture not found: %s\n", qPrintable(texture));
        return 1;
    }
    try {
        if (!kPicturesDir.isEmpty()) {
            return savePictures(texture);
        }
        const double decode = decodeMs(texture);

        GeoGlobe globe(kWidth, kHeight);
        globe.SetDevicePixelRatio(kRatio);
        globe.SetRenderThreads(kThreads);
        globe.SetSurfaceTextureName(texture);
        globe.Projector().SetXRotation(23.5);
        globe.Graticule().SetLatitudeStep(10);
        globe.Graticule().SetLongitudeStep(10);

        // The picture in motion takes the nearest texel of the pre-filtered level that suits
        // the scale (as the globe control does while the view changes); the still picture is
        // filtered.
        using zimbalo::globe::GeoTextureFilter;
        globe.SetTextureFilter(kDefaultOnly && kBilinearOnly ? GeoTextureFilter::Bilinear
                               : kLevelZero                  ? GeoTextureFilter::Nearest
                                                             : GeoTextureFilter::NearestLevel);
        const FrameFigures frameDefault = frameMs(globe, defaultScale());
        if (kDefaultOnly) {
            std::printf("frame_ms_default %.3f\n", frameDefault.wallMs);
            std::printf("frame_cpu_ms_default %.3f\n", frameDefault.cpuMs);
            return 0;
        }
        const FrameFigures frameFar = frameMs(globe, defaultScale() * 1.1 / 2.7);
        globe.SetTextureFilter(GeoTextureFilter::Nearest);
        const FrameFigures frameFarLevelZero = frameMs(globe, defaultScale() * 1.1 / 2.7);
        globe.SetTextureFilter(GeoTextureFilter::Bilinear);
        const FrameFigures frameBilinear = frameMs(globe, defaultScale());
        const std::size_t pyramidBytes = globe.SurfaceTexture().LevelBytes();
        const std::size_t textureBytes = globe.SurfaceTexture().Bytes();
        globe.SetTextureFilter(GeoTextureFilter::NearestLevel);
        const LabelFigures labels = labelsMs(globe);
        const double fill = fillMs(globe);

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("size %dx%d\n", kWidth, kHeight);
        std::printf("device_pixel_ratio %.2f\n", globe.DevicePixelRatio());
        std::printf("picture %dx%d\n", globe.Picture().width(), globe.Picture().height());
        std::printf("frame_ms_default %.3f\n", frameDefault.wallMs);
        std::printf("frame_cpu_ms_default %.3f\n", frameDefault.cpuMs);
        std::printf("frame_ms_far %.3f\n", frameFar.wallMs);
        std::printf("frame_ms_far_level0 %.3f\n", frameFarLevelZero.wallMs);
        std::printf("frame_ms_bilinear %.3f\n", frameBilinear.wallMs);
        std::printf("frame_cpu_ms_bilinear %.3f\n", frameBilinear.cpuMs);
        std::printf("render_threads %d\n", globe.RenderPool().Threads());
        std::printf("texture_mb %.1f\n", static_cast<double>(textureBytes) / 1048576.0);
        std::printf("texture_levels_mb %.1f\n", static_cast<double>(pyramidBytes) / 1048576.0);
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
