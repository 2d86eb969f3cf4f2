// Speed of the animation: Play over a central event at 1024 x 768 with the Blue Marble texture,
// the 10-degree graticule, the central line and the 193 capitals with their names.
// Per step (10 s of event time) the instant is recomputed, the globe re-rendered, the picture
// copied to the screen and the overlay drawn.
//
// Usage: animation_bench [event number] [zoom slider position] [--dpr R]
// (default: the first total occultation of Venus whose axis meets the Earth, slider 140;
// --dpr 2: a screen of 2 device pixels per window pixel, the globe drawn at 2048 x 1536 and the
// overlay over it in window pixels).
// The globe takes the nearest texel, as the globe view does for pictures in motion.
// ZIMBALO_BENCH_CPU=1 times with the process's CPU clock (all threads; for runs on a busy
// machine, where it gives the work per step rather than the time a free machine would take).

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "astro/catalogue.h"
#include "astro/shadow_geometry.h"
#include "astro/time_scales.h"
#include "globe/geo_exception.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_spatial_database.h"
#include "overlays/after_render.h"
#include "overlays/center_line.h"
#include "overlays/day_night.h"
#include "overlays/globe_controls.h"
#include "overlays/point_layers.h"
#include "overlays/visibility_layer.h"

namespace {

using namespace zimbalo;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kStepPositions = 5;  // Play: 5 slider positions, 10 s of event time
constexpr int kStepsPerRun = 120;
constexpr int kRuns = 5;

const bool kCpuTime = qEnvironmentVariableIsSet("ZIMBALO_BENCH_CPU");

double nowMs() {
    if (kCpuTime) {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
    }
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

/// The main window's state of one instant, as the change-of-instant routine leaves it.
struct Instant {
    astro::ElementSet elements;
    astro::AxisSnapshot axis;
    astro::GeoDegrees centre;
};

/// The change of instant: central circumstances, the elements once more, the axis snapshot and
/// the globe's orientation.
Instant Recompute(const astro::BesselRecord& record, double t, double deltaT, double jdUT,
                  astro::AxisSnapshot axis) {
    Instant s;
    if (const auto central = astro::CentralCircumstances(record, t, deltaT, jdUT)) {
        axis.latitude = central->latitude;
        axis.longitudeWest = -central->longitude;
    }
    s.elements = astro::EvaluateElements(record, t);
    const astro::AxisHit hit = astro::AxisOnEarth(s.elements);
    axis.axisOnEarth = hit.onEarth;
    axis.zeta = hit.zeta;
    axis.motionAngle = astro::MotionAngle(s.elements);
    s.axis = axis;
    s.centre = astro::SubPlanetaryPoint(s.elements, deltaT);
    return s;
}

int slider(double t) {
    return static_cast<int>(std::lrint(t * 6300.0 / 3.5 + 6300.0));
}

double offsetOf(int position) {
    return (position - 6300) / 6300.0 * 3.5;
}

struct Scene {
    const astro::BesselRecord& record;
    double deltaT;
    globe::GeoGlobe& globe;
    overlays::GlobePlacement& placement;
    QImage& screen;
    astro::AxisSnapshot axis;
    bool dayNight = false;  // the day/night shade over the picture, drawn after the overlay
};

/// Times the parts of steps from `first` in Play's direction; `render` decides what is drawn.
struct StepTimes {
    std::vector<double> recompute, render, blit, overlay, dayNight, total;
};

StepTimes RunSteps(Scene& scene, int first, int steps) {
    StepTimes times;
    const astro::BesselRecord& r = scene.record;
    int position = first;
    for (int i = 0; i < steps; ++i) {
        position += kStepPositions;
        if (position >= 12595) {
            position = first;
        }
        const double t = offsetOf(position);
        const double jdUT =
            astro::CalendarToJD(r.Year, r.Month, r.Day, r.T0Hour, 0, t * 3600.0 - scene.deltaT);
        const double t0 = nowMs();
        const Instant s = Recompute(r, t, scene.deltaT, jdUT, scene.axis);
        scene.axis = s.axis;
        scene.globe.Projector().SetXRotation(s.centre.latitude);
        scene.globe.Projector().SetYRotation(s.centre.longitude);
        const double t1 = nowMs();
        scene.globe.Render();
        const double t2 = nowMs();
        QPainter painter(&scene.screen);
        painter.drawImage(QRectF(0.0, 0.0, kWidth, kHeight), scene.globe.Picture(),
                          QRectF(scene.globe.Picture().rect()));
        const double t3 = nowMs();
        overlays::OverlayInputs in = overlays::OverlayInputsOf(s.elements, s.axis, r);
        in.cx = scene.placement.OriginX();
        in.cy = scene.placement.OriginY();
        in.pixelsPerRadius = scene.placement.PixelsPerRadius();
        in.subPlanetaryMark = true;
        in.trackLabel1 = QStringLiteral("Weg der");
        in.trackLabel2 = QStringLiteral("Schattenachse");
        in.markLabel1 = QStringLiteral("subplanetarer");
        in.markLabel2 = QStringLiteral("Punkt");
        overlays::GlobeAfterRender(painter, in, QSize(kWidth, kHeight));
        const double t3b = nowMs();
        if (scene.dayNight) {
            overlays::DrawDayNight(painter, scene.globe.Projector(), kWidth, kHeight, jdUT);
        }
        painter.end();
        const double t4 = nowMs();
        times.dayNight.push_back(t4 - t3b);
        times.recompute.push_back(t1 - t0);
        times.render.push_back(t2 - t1);
        times.blit.push_back(t3 - t2);
        times.overlay.push_back(t3b - t3);
        times.total.push_back(t4 - t0);
    }
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    double ratio = 1.0;
    std::vector<char*> args;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--dpr" && i + 1 < argc) {
            ratio = std::clamp(std::atof(argv[++i]), 0.25, 16.0);
        } else {
            args.push_back(argv[i]);
        }
    }
    try {
        const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
        int event = !args.empty() ? std::atoi(args[0]) : 0;
        if (event == 0) {
            for (int k = 1; k <= table.Count(); ++k) {
                const astro::BesselRecord& r = table[k];
                if (r.Planet == 2 && r.OccType == 2) {
                    event = k;
                    break;
                }
            }
        }
        const int zoomPosition = args.size() > 1 ? std::atoi(args[1]) : overlays::zoom::kDefault;
        const astro::BesselRecord record = astro::SelectRecord(table, event);
        const double deltaT = astro::DeltaT(record.Year, record.Month);

        const QString texture = QCoreApplication::applicationDirPath() + "/"
                                + QString::fromLatin1(overlays::kTextures[0].file);
        if (!QFileInfo::exists(texture)) {
            std::fprintf(stderr, "animation_bench: texture not found: %s\n", qPrintable(texture));
            return 1;
        }
        QTemporaryDir dir;
        globe::GeoSpatialDatabase database;
        database.SetDataSourceName(dir.filePath(QStringLiteral("Temporary_BENCHMRK.tmp")));
        database.SetActive(true);
        globe::GeoGlobe g(kWidth, kHeight);
        g.SetDevicePixelRatio(ratio);
        globe::GeoLayers& layers = globe::InstallLayers(g);
        layers.SetSpatialDatabase(&database);
        g.SetSurfaceTextureName(texture);
        g.SetTextureFilter(globe::GeoTextureFilter::Nearest);
        g.SetMinObjectPixels(1.0);
        g.Renderer().SetMinTextHeight(8);
        g.Renderer().SetMaxTextHeight(40);
        const overlays::GraticuleSteps grid = overlays::GraticuleStepsFor(2);
        g.Graticule().SetLatitudeStep(grid.latitude);
        g.Graticule().SetLongitudeStep(grid.longitude);
        overlays::GlobePlacement placement;
        placement.Center(QSize(kWidth, kHeight));
        placement.ApplyZoom(g.Projector(), zoomPosition);

        overlays::CenterLineState line;
        overlays::CenterLineLayer(layers, database, line, record, deltaT, false);
        globe::GeoLayer& root = layers.GlobeLayer();
        overlays::CitiesLayer(root, &database);
        globe::GeoLayer& capitals = overlays::FindOrCreateLayer(
            root, &database, QString::fromLatin1(overlays::point_layers::kCitiesLayer));

        // ZIMBALO_BENCH_DAYNIGHT=1 adds the day/night shade, ZIMBALO_BENCH_VISIBILITY=1 the
        // visibility layer of the event.
        overlays::VisibilityLayerState visibility;
        if (qEnvironmentVariableIntValue("ZIMBALO_BENCH_VISIBILITY") == 1) {
            overlays::VisibilityLayer(layers, database, visibility, record, deltaT, true, false);
        }
        QImage screen(g.Picture().size(), QImage::Format_RGB32);
        screen.setDevicePixelRatio(g.DevicePixelRatio());
        Scene scene{record,
                    deltaT,
                    g,
                    placement,
                    screen,
                    {},
                    qEnvironmentVariableIntValue("ZIMBALO_BENCH_DAYNIGHT") == 1};
        // Play starts at the slider position of closest approach less an hour, so that the
        // shadow crosses the globe during the runs.
        const int first = std::clamp(slider(astro::ClosestApproachOffset(record) - 1.0), 0, 12000);

        // Whole steps: several runs, each giving steps per second; the median is reported.
        RunSteps(scene, first, 10);  // warm-up
        std::vector<double> rates;
        StepTimes all;
        for (int run = 0; run < kRuns; ++run) {
            const double start = nowMs();
            StepTimes t = RunSteps(scene, first, kStepsPerRun);
            rates.push_back(kStepsPerRun / ((nowMs() - start) / 1000.0));
            for (auto v : {&StepTimes::recompute, &StepTimes::render, &StepTimes::blit,
                           &StepTimes::overlay, &StepTimes::dayNight, &StepTimes::total}) {
                (all.*v).insert((all.*v).end(), (t.*v).begin(), (t.*v).end());
            }
        }
        const std::size_t labels = g.Labels().Labels().size();

        // The render split: the same steps rendered with the parts switched off one after the
        // other (capitals, central line, graticule, texture). The configurations take turns over
        // several rounds so that a change of the machine's load spreads over all of them.
        globe::GeoLayer* lineLayer =
            layers.GlobeLayer().LayerStore().LayerByName(overlays::kCenterLineLayerName);
        constexpr int kConfigurations = 5;
        std::vector<double> renders[kConfigurations];
        const auto configure = [&](int c) {
            capitals.SetVisible(c < 1);
            if (lineLayer != nullptr) {
                lineLayer->SetVisible(c < 2);
            }
            g.Graticule().SetLatitudeStep(c < 3 ? grid.latitude : 0);
            g.Graticule().SetLongitudeStep(c < 3 ? grid.longitude : 0);
            const QString wanted = c < 4 ? texture : QString();
            if (g.SurfaceTextureName() != wanted) {
                g.SetSurfaceTextureName(wanted);
            }
        };
        for (int round = 0; round < 3; ++round) {
            for (int c = 0; c < kConfigurations; ++c) {
                configure(c);
                g.Render();  // warm-up after a change of configuration
                const std::vector<double> r = RunSteps(scene, first, kStepsPerRun / 2).render;
                renders[c].insert(renders[c].end(), r.begin(), r.end());
            }
        }
        const double renderAll = median(renders[0]);
        const double renderNoCapitals = median(renders[1]);
        const double renderNoLayers = median(renders[2]);
        const double renderNoGraticule = median(renders[3]);
        const double renderDisc = median(renders[4]);

        // A still picture (after the motion stops) samples the texture filtered.
        configure(0);
        g.SetTextureFilter(globe::GeoTextureFilter::Bilinear);
        g.Render();
        const double renderStill = median(RunSteps(scene, first, kStepsPerRun / 2).render);

        std::printf("event %d\n", event);
        std::printf("device_pixel_ratio %.2f\n", g.DevicePixelRatio());
        std::printf("zoom_position %d\n", zoomPosition);
        std::printf("globe_radius_px %.1f\n", placement.PixelsPerRadius());
        std::printf("steps_per_s %.1f\n", median(rates));
        std::printf("step_ms %.3f\n", median(all.total));
        std::printf("overlay_ms %.3f\n", median(all.overlay));
        std::printf("day_night_ms %.3f\n", median(all.dayNight));
        std::printf("visibility_lines %zu\n", visibility.lines.size());
        std::printf("recompute_ms %.3f\n", median(all.recompute));
        std::printf("render_ms %.3f\n", median(all.render));
        std::printf("blit_ms %.3f\n", median(all.blit));
        std::printf("render_still_filtered_ms %.3f\n", renderStill);
        std::printf("render_threads %d\n", g.RenderPool().Threads());
        std::printf("render_split_texture_ms %.3f\n", renderNoGraticule - renderDisc);
        std::printf("render_split_graticule_ms %.3f\n", renderNoLayers - renderNoGraticule);
        std::printf("render_split_central_line_ms %.3f\n", renderNoCapitals - renderNoLayers);
        std::printf("render_split_capitals_labels_ms %.3f\n", renderAll - renderNoCapitals);
        std::printf("render_split_background_disc_ms %.3f\n", renderDisc);
        std::printf("labels_per_step %zu\n", labels);
        layers.SetSpatialDatabase(nullptr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "animation_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
