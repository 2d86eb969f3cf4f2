// Draws the globe as the main window shows it for one event and instant: texture, 10-degree
// graticule, central line, capitals, and the overlay of the instant.
//
// Usage: overlay_demo out.png event hours-from-T0 [texture index 0..3] [zoom position] [UT 0/1]
// ZIMBALO_DEMO_LAYERS=1 adds the visibility layer and the day/night shade of the instant.

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "astro/catalogue.h"
#include "astro/language_table.h"
#include "astro/shadow_geometry.h"
#include "astro/time_scales.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_spatial_database.h"
#include "overlays/after_render.h"
#include "overlays/center_line.h"
#include "overlays/day_night.h"
#include "overlays/globe_controls.h"
#include "overlays/point_layers.h"
#include "overlays/visibility_layer.h"

int main(int argc, char** argv) {
    using namespace zimbalo;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: overlay_demo out.png event hours [texture] [zoom] [ut]\n");
        return 2;
    }
    try {
        const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
        const astro::BesselRecord r = astro::SelectRecord(table, std::atoi(argv[2]));
        const double t = std::atof(argv[3]);
        const int textureIndex = argc > 4 ? std::atoi(argv[4]) : 0;
        const int zoomPosition = argc > 5 ? std::atoi(argv[5]) : overlays::zoom::kReset;
        const bool ut = argc > 6 && std::atoi(argv[6]) != 0;
        const double deltaT = ut ? astro::DeltaT(r.Year, r.Month) : 0.0;

        QTemporaryDir dir;
        globe::GeoSpatialDatabase database;
        database.SetDataSourceName(dir.filePath(QStringLiteral("Temporary_OVERLAYS.tmp")));
        database.SetActive(true);
        globe::GeoGlobe g(900, 700);
        globe::GeoLayers& layers = globe::InstallLayers(g);
        layers.SetSpatialDatabase(&database);
        g.SetSurfaceTextureName(
            overlays::TextureFilePath(textureIndex, QCoreApplication::applicationDirPath() + "/")
                .value_or(QString()));
        overlays::GlobePlacement placement;
        placement.Center(QSize(900, 700));
        placement.ApplyZoom(g.Projector(), zoomPosition);
        overlays::CenterLineState line;
        overlays::CenterLineLayer(layers, database, line, r, deltaT, false);
        overlays::CitiesLayer(layers.GlobeLayer(), &database);
        const bool extra = qEnvironmentVariableIntValue("ZIMBALO_DEMO_LAYERS") == 1;
        overlays::VisibilityLayerState visibility;
        if (extra) {
            overlays::VisibilityLayer(layers, database, visibility, r, deltaT, true, false);
        }

        astro::AxisSnapshot axis;
        const astro::ElementSet e = astro::EvaluateElements(r, t);
        const astro::AxisHit hit = astro::AxisOnEarth(e);
        axis.axisOnEarth = hit.onEarth;
        axis.zeta = hit.zeta;
        axis.motionAngle = astro::MotionAngle(e);
        const astro::GeoDegrees centre = astro::SubPlanetaryPoint(e, deltaT);
        g.Projector().SetXRotation(centre.latitude);
        g.Projector().SetYRotation(centre.longitude);
        g.Render();

        QImage screen = g.Picture().convertToFormat(QImage::Format_RGB32);
        overlays::OverlayInputs in = overlays::OverlayInputsOf(e, axis, r);
        in.cx = placement.OriginX();
        in.cy = placement.OriginY();
        in.pixelsPerRadius = placement.PixelsPerRadius();
        in.subPlanetaryMark = true;
        const auto text = [](int row) {
            return QString::fromUtf8(LanguageText(row, Language::German).data());
        };
        in.trackLabel1 = text(17);
        in.trackLabel2 = text(18);
        in.markLabel1 = text(39);
        in.markLabel2 = text(40);
        QPainter painter(&screen);
        if (extra) {
            const double jdUT =
                astro::CalendarToJD(r.Year, r.Month, r.Day, r.T0Hour, 0, t * 3600.0 - deltaT);
            overlays::DrawDayNight(painter, g.Projector(), screen.width(), screen.height(), jdUT);
        }
        overlays::GlobeAfterRender(painter, in, screen.size());
        painter.end();
        std::printf("event %s type %d planet %d %d-%02d-%02d umbra %s km axis %s\n", argv[2],
                    r.OccType, r.Planet, r.Year, r.Month, r.Day,
                    qPrintable(overlays::UmbraDiameterText(in)), hit.onEarth ? "on" : "off");
        layers.SetSpatialDatabase(nullptr);
        return screen.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "overlay_demo: %s\n", ex.what());
        return 1;
    }
}
