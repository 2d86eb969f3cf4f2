#include "overlays/home_symbol.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "tests/astro/synthetic_event.h"

namespace zimbalo::overlays {
namespace {

// The axis points at declination 0 and Greenwich hour angle 0 at T0: the point 0 N, 0 E faces
// the viewer at the centre of the disc, its antipode is hidden, 90 E lies on the rim.
TEST(HomeSymbol, DrawnWhereTheHomeFacesTheViewerOnly) {
    const astro::BesselRecord record = astro::testing::SyntheticEvent(0.5, 0.0, 0.5, -0.2);
    const HomeOnPlane centre = HomeOnPlaneAt(record, 0.0, 0.0, 0.0, 0.0);
    EXPECT_TRUE(centre.visible);
    EXPECT_NEAR(centre.xi, 0.0, 1e-9);
    EXPECT_NEAR(centre.eta, 0.0, 1e-9);
    EXPECT_FALSE(HomeOnPlaneAt(record, 0.0, 0.0, 180.0, 0.0).visible);
    const HomeOnPlane north = HomeOnPlaneAt(record, 0.0, 60.0, 0.0, 0.0);
    EXPECT_TRUE(north.visible);
    EXPECT_GT(north.eta, 0.8);  // up on the screen

    OverlayInputs in;
    in.cx = 50;
    in.cy = 50;
    in.pixelsPerRadius = 40.0;
    const auto draw = [&](const HomeOnPlane& home) {
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        DrawHomeSymbol(painter, in, home);
        painter.end();
        return image;
    };
    const QImage shown = draw(centre);
    EXPECT_EQ(shown.pixel(50, 50), qRgb(255, 255, 255));  // inside the walls
    EXPECT_EQ(shown.pixel(50, 30), qRgb(0, 0, 0));        // well above the roof
    const QImage high = draw(north);
    EXPECT_EQ(high.pixel(50, 50), qRgb(0, 0, 0));
    EXPECT_EQ(high.pixel(50, static_cast<int>(50 - north.eta * 40.0)), qRgb(255, 255, 255));
    const QImage hidden = draw(HomeOnPlaneAt(record, 0.0, 0.0, 180.0, 0.0));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            ASSERT_EQ(hidden.pixel(x, y), qRgb(0, 0, 0));
        }
    }
}

}  // namespace
}  // namespace zimbalo::overlays
