// Renders the textured globe with its 10-degree graticule into a PNG file.
//
// Usage: globe_demo out.png [texture.jpg] [width height scale xrot yrot [nearest|level|bilinear]]

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>

#include "globe/geo_exception.h"
#include "globe/geo_globe.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: globe_demo out.png [texture.jpg] [w h scale xrot yrot "
                     "[nearest|level|bilinear]]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString texture =
        argc > 2 ? QString::fromLocal8Bit(argv[2])
                 : QCoreApplication::applicationDirPath() + "/BlueMarble_5.4x2.7k.jpg";
    const int width = argc > 4 ? std::atoi(argv[3]) : 800;
    const int height = argc > 4 ? std::atoi(argv[4]) : 758;
    const double scale = argc > 5 ? std::atof(argv[5]) : 2.421271665760815e-07 * 5;
    const double xrot = argc > 6 ? std::atof(argv[6]) : 23.5;
    const double yrot = argc > 7 ? std::atof(argv[7]) : 10.0;
    const QString filter = argc > 8 ? QString::fromLocal8Bit(argv[8]) : QStringLiteral("bilinear");
    try {
        zimbalo::globe::GeoGlobe globe(width, height);
        globe.SetSurfaceTextureName(texture);
        globe.Projector().SetScaleFactor(scale);
        globe.Projector().SetXOrigin(width / 2);
        globe.Projector().SetYOrigin(height / 2);
        globe.Projector().SetXRotation(xrot);
        globe.Projector().SetYRotation(yrot);
        using zimbalo::globe::GeoTextureFilter;
        globe.SetTextureFilter(filter == QLatin1String("nearest") ? GeoTextureFilter::Nearest
                               : filter == QLatin1String("level") ? GeoTextureFilter::NearestLevel
                                                                  : GeoTextureFilter::Bilinear);
        globe.Render();
        if (!globe.Picture().save(out)) {
            std::fprintf(stderr, "globe_demo: cannot write %s\n", qPrintable(out));
            return 1;
        }
    } catch (const zimbalo::globe::GeoException& e) {
        std::fprintf(stderr, "globe_demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
