#include "globe/geo_globe.h"

#include <cmath>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

namespace zimbalo::globe {
namespace {

TEST(Globe, ResizeScalesWithTheDiagonal) {
    GeoGlobe globe(800, 600);
    GeoProjector& p = globe.Projector();
    p.SetScaleFactor(2e-6);
    p.SetXOrigin(420);
    p.SetYOrigin(310);
    EXPECT_TRUE(globe.Resize(400, 300));
    EXPECT_DOUBLE_EQ(p.ScaleFactor(), 1e-6);
    EXPECT_EQ(p.XOrigin(), 210);
    EXPECT_EQ(p.YOrigin(), 155);
    EXPECT_EQ(globe.Renderer().Width(), 400);
    EXPECT_EQ(globe.Picture().height(), 300);
    EXPECT_FALSE(globe.Resize(400, 300));
    // From an empty picture the origin goes to the centre.
    EXPECT_TRUE(globe.Resize(0, 0));
    globe.Render();  // nothing to draw into: nothing happens
    EXPECT_TRUE(globe.Picture().isNull());
    EXPECT_TRUE(globe.Resize(120, 80));
    EXPECT_EQ(p.XOrigin(), 60);
    EXPECT_EQ(p.YOrigin(), 40);
}

TEST(Globe, RedrawRequestsAndUpdateNesting) {
    GeoGlobe globe(100, 100);
    int invalidations = 0;
    globe.OnInvalidate = [&invalidations]() { ++invalidations; };
    globe.ClearStale();
    globe.SetSurfaceColor(clRed);
    globe.SetColor(clBlack);  // already stale: no second request
    EXPECT_TRUE(globe.IsStale());
    EXPECT_EQ(invalidations, 1);
    globe.ClearStale();
    globe.SetMinObjectPixels(globe.MinObjectPixels());  // equal: nothing
    EXPECT_FALSE(globe.IsStale());
    globe.Graticule().SetLongitudeStep(30);
    EXPECT_TRUE(globe.IsStale());
    globe.ClearStale();
    globe.BeginUpdate();
    globe.BeginUpdate();
    globe.EndUpdate();
    EXPECT_FALSE(globe.IsStale());
    globe.EndUpdate();
    EXPECT_TRUE(globe.IsStale());
    EXPECT_EQ(globe.UpdateCount(), 0);
}

TEST(Globe, PictureLayersInOrder) {
    GeoGlobe globe(100, 100);
    globe.Projector().SetScaleFactor(80.0 / (2.0 * gu::EarthRadius));
    globe.Projector().SetXOrigin(50);
    globe.Projector().SetYOrigin(50);
    globe.Graticule().SetLatitudeStep(0);
    globe.Graticule().SetLongitudeStep(0);
    std::string order;
    globe.OnRender = [&]() {
        order += "render;";
        // Drawing here lands on the back buffer over the disc.
        globe.Renderer().SetPixel(50, 50, clRed);
    };
    globe.OnPaintGraticule = [&order]() { order += "graticule;"; };
    globe.Render();
    EXPECT_EQ(order, "graticule;render;");
    const QImage& pic = globe.Picture();
    EXPECT_EQ(pic.pixel(1, 1), 0xFF000000u);    // Color: black
    EXPECT_EQ(pic.pixel(50, 20), 0xFF00FFFFu);  // SurfaceColor: aqua disc
    EXPECT_EQ(pic.pixel(50, 50), 0xFFFF0000u);
    EXPECT_EQ(pic.pixel(50, 8), 0xFF000000u);  // outside the disc (radius 40)

    order.clear();
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdInFront);
    globe.Render();
    EXPECT_EQ(order, "render;graticule;");

    // No disc with clNone; a background image is tiled instead of the fill.
    QImage tile(3, 3, QImage::Format_RGB32);
    tile.fill(QColor(0, 0, 255));
    globe.SetBackgroundImage(tile);
    globe.SetSurfaceColor(clNone);
    globe.OnRender = nullptr;
    globe.Render();
    EXPECT_EQ(pic.pixel(99, 99), 0xFF0000FFu);
    EXPECT_EQ(pic.pixel(50, 20), 0xFF0000FFu);
}

TEST(Globe, DiscPolygonFollowsTheRadius) {
    GeoGlobe globe(300, 300);
    globe.Projector().SetScaleFactor(200.0 / (2.0 * gu::EarthRadius));
    globe.Projector().SetXOrigin(150);
    globe.Projector().SetYOrigin(150);
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    globe.Render();
    const QImage& pic = globe.Picture();
    int inside = 0;
    int wrong = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 300; ++x) {
            const double d = std::hypot(x - 150.0, y - 150.0);
            const bool aqua = pic.pixel(x, y) == 0xFF00FFFFu;
            if (d < 97.5) {
                inside += aqua ? 1 : 0;
                wrong += aqua ? 0 : 1;
            } else if (d > 100.5) {
                wrong += aqua ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(inside, 29000);
}

TEST(Globe, DiscCoveringThePictureLeavesNoCornerToTheBackground) {
    // Radii around the picture's half diagonal (the corners' distance from the centre): where a
    // corner lies well inside the disc it takes the surface colour, well outside the background,
    // whether the picture was one fill or background and disc.
    GeoGlobe globe(200, 150);
    globe.Projector().SetXOrigin(100);
    globe.Projector().SetYOrigin(75);
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    const double halfDiagonal = std::hypot(100.0, 75.0);
    for (double r = halfDiagonal - 6.0; r <= halfDiagonal + 8.0; r += 0.25) {
        globe.Projector().SetScaleFactor(r / gu::EarthRadius);
        globe.Render();
        const QImage& pic = globe.Picture();
        const double radius = globe.Projector().Model().Radius();
        for (const int x : {0, 199}) {
            for (const int y : {0, 149}) {
                const double d = std::hypot(x - 100.0, y - 75.0);
                if (d < (radius - 1.0) * std::cos(std::numbers::pi / 180.0) - 1.0) {
                    EXPECT_EQ(pic.pixel(x, y), 0xFF00FFFFu) << "r " << radius;
                } else if (d > radius + 1.0) {
                    EXPECT_EQ(pic.pixel(x, y), 0xFF000000u) << "r " << radius;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zimbalo::globe
