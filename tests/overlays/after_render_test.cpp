#include "overlays/after_render.h"

#include <cmath>
#include <numbers>

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "globe/geo_globe.h"
#include "overlays/globe_controls.h"

namespace zimbalo::overlays {
namespace {

constexpr QRgb kBackground = 0xFF405060;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kUmbraFill = 0xFF600000;
constexpr QRgb kYellow = 0xFFFFFF00;

// An overlay of radius-0.5 penumbra and radius-0.2 umbra at the centre of a 200 x 200 canvas,
// 100 pixels per Earth radius, the track and its label far off to the right.
OverlayInputs Centred() {
    OverlayInputs in;
    in.L1 = 0.5;
    in.L2 = -0.2;
    in.cx = 100;
    in.cy = 100;
    in.pixelsPerRadius = 100.0;
    in.xCoef = {8.0, 0.0, 0.0, 0.0};
    in.yCoef = {0.0, 0.0, 0.0, 0.0};
    in.trackLabel1 = QStringLiteral("Weg der");
    in.trackLabel2 = QStringLiteral("Schattenachse");
    in.markLabel1 = QStringLiteral("subplanetarer");
    in.markLabel2 = QStringLiteral("Punkt");
    return in;
}

struct Drawn {
    QImage image;
    OverlayResult result;
};

Drawn Draw(const OverlayInputs& in, QSize size = QSize(200, 200)) {
    Drawn d{QImage(size, QImage::Format_RGB32), {}};
    d.image.fill(kBackground);
    QPainter painter(&d.image);
    d.result = GlobeAfterRender(painter, in, size);
    painter.end();
    return d;
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y);
}

// Whether a pixel of that colour lies within `slack` pixels of (x, y).
bool Near(const QImage& image, int x, int y, QRgb colour, int slack = 1) {
    for (int dy = -slack; dy <= slack; ++dy) {
        for (int dx = -slack; dx <= slack; ++dx) {
            const int px = x + dx;
            const int py = y + dy;
            if (image.valid(px, py) && image.pixel(px, py) == colour) {
                return true;
            }
        }
    }
    return false;
}

// Text is drawn smoothed: its pixels are near the text colour rather than equal to it.
bool Reddish(QRgb c) {
    return qRed(c) > 0xC0 && qGreen(c) < 0x50 && qBlue(c) < 0x50;
}

bool Yellowish(QRgb c) {
    return qRed(c) > 0xC0 && qGreen(c) > 0xC0 && qBlue(c) < 0x60;
}

int Count(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

TEST(GlobeAfterRender, PenumbraIsARedCircleOfTheReducedRadiusAroundTheAxis) {
    OverlayInputs in = Centred();
    in.x = 0.2;
    in.y = -0.1;  // the axis at pixel (120, 110)
    in.zeta = 0.5;
    in.tanf1 = 0.2;  // r1 = 0.5 - 0.5 x 0.2 = 0.4: 40 pixels
    const Drawn d = Draw(in);
    for (int k = 0; k < 16; ++k) {
        const double a = k * std::numbers::pi / 8 + 0.1;
        const int x = static_cast<int>(std::lround(120 + 40 * std::cos(a)));
        const int y = static_cast<int>(std::lround(110 - 40 * std::sin(a)));
        EXPECT_TRUE(Near(d.image, x, y, kRed)) << "angle " << a;
    }
    // Nothing red half-way between the umbra and the circle, away from the diameter.
    EXPECT_EQ(At(d.image, 120 + 30, 110), kBackground);
    EXPECT_EQ(At(d.image, 120 - 30, 110), kBackground);
    // Nothing of the circle of the plain L1 (50 pixels).
    EXPECT_FALSE(Near(d.image, 120 + 50, 110 - 1, kRed, 0));
}

TEST(GlobeAfterRender, UmbraIsAFilledDiscTheSameForTotalAndAnnular) {
    OverlayInputs total = Centred();
    total.L2 = -0.2;
    OverlayInputs annular = Centred();
    annular.L2 = 0.2;
    const Drawn a = Draw(total);
    const Drawn b = Draw(annular);
    EXPECT_EQ(a.image, b.image);
    EXPECT_EQ(At(a.image, 100 + 10, 100 + 5), kUmbraFill);
    EXPECT_EQ(At(a.image, 100 - 12, 100 - 12), kUmbraFill);
    EXPECT_EQ(At(a.image, 100 + 25, 100 + 5), kBackground);
    const int filled = Count(a.image, kUmbraFill);
    EXPECT_NEAR(filled, std::numbers::pi * 20 * 20, 150);
    EXPECT_EQ(UmbraDiameterText(total), UmbraDiameterText(annular));
}

TEST(GlobeAfterRender, DiameterLiesAcrossTheDirectionOfMotion) {
    OverlayInputs east = Centred();
    east.motionAngle = 0.0;  // moving to the right: the diameter stands upright
    const Drawn up = Draw(east);
    EXPECT_TRUE(Near(up.image, 100, 100 - 35, kRed, 0));
    EXPECT_TRUE(Near(up.image, 100, 100 + 35, kRed, 0));
    EXPECT_EQ(At(up.image, 100 + 35, 100), kBackground);

    OverlayInputs north = Centred();
    north.motionAngle = std::numbers::pi / 2;  // moving up: the diameter lies flat
    const Drawn flat = Draw(north);
    EXPECT_TRUE(Near(flat.image, 100 + 35, 100, kRed, 0));
    EXPECT_TRUE(Near(flat.image, 100 - 35, 100, kRed, 0));
    EXPECT_EQ(At(flat.image, 100, 100 - 35), kBackground);
}

TEST(GlobeAfterRender, TrackRunsThroughTheHourlyPositionsWithItsLabel) {
    OverlayInputs in = Centred();
    in.L1 = 0.05;
    in.L2 = 0.0;
    in.x = -5.0;  // the shadow itself off the canvas
    in.xCoef = {-0.5, 0.1, 0.0, 0.0};
    in.yCoef = {-0.2, 0.05, 0.0, 0.0};  // a straight track, rising to the right
    in.motionAngle = std::atan2(0.05, 0.1);
    const Drawn d = Draw(in);
    for (int k : {-5, -2, 0, 3, 9}) {
        const int x = 100 + static_cast<int>(std::lround((-0.5 + 0.1 * k) * 100));
        const int y = 100 - static_cast<int>(std::lround((-0.2 + 0.05 * k) * 100));
        EXPECT_TRUE(Near(d.image, x, y, kRed)) << "hour " << k;
    }
    EXPECT_TRUE(d.result.trackLabelDrawn);
    // The label stands on a black box around (x0 + 1.4, y0 + 1.4 tan A) = (0.9, 0.5).
    const int ax = 100 + 90;
    const int ay = 100 - 50;
    int black = 0;
    int red = 0;
    for (int y = ay - 30; y < ay + 20; ++y) {
        for (int x = ax - 60; x < 200; ++x) {
            if (d.image.valid(x, y)) {
                black += At(d.image, x, y) == 0xFF000000 ? 1 : 0;
                red += Reddish(At(d.image, x, y)) ? 1 : 0;
            }
        }
    }
    EXPECT_GT(black, 100);
    EXPECT_GT(red, 20);
}

TEST(GlobeAfterRender, SteepMotionDrawsNoLabelAndStillTheRest) {
    for (double angle : {std::numbers::pi / 2, -std::numbers::pi / 2,
                         std::nextafter(std::numbers::pi / 2, 0.0), std::numbers::pi / 2 + 1e-13}) {
        OverlayInputs in = Centred();
        in.motionAngle = angle;
        in.xCoef = {-0.9, 0.0, 0.0, 0.0};  // the label anchor would be on the canvas horizontally
        const Drawn d = Draw(in);
        EXPECT_FALSE(d.result.trackLabelDrawn) << angle;
        EXPECT_EQ(At(d.image, 100 + 5, 100 + 10), kUmbraFill);
        EXPECT_EQ(Count(d.image, 0xFF000000), 0) << "a label box was drawn";
    }
}

TEST(GlobeAfterRender, SubPlanetaryCrossOnlyWhenAskedFor) {
    OverlayInputs in = Centred();
    in.x = -0.7;  // the shadow away from the centre
    const Drawn without = Draw(in);
    in.subPlanetaryMark = true;
    const Drawn with = Draw(in);
    EXPECT_EQ(Count(without.image, kYellow), 0);
    EXPECT_EQ(At(with.image, 100 + 3, 100), kYellow);
    EXPECT_EQ(At(with.image, 100, 100 - 3), kYellow);
    EXPECT_TRUE(Near(with.image, 100 + 2, 100 + 3, 0xFF000000u)) << "black shadow of the cross";
    // Its label, yellow on black outline, below the cross.
    int labelYellow = 0;
    for (int y = 104; y < 145; ++y) {
        for (int x = 60; x < 140; ++x) {
            labelYellow += Yellowish(At(with.image, x, y)) ? 1 : 0;
        }
    }
    EXPECT_GT(labelYellow, 40);
}

TEST(GlobeAfterRender, AxisOffTheEarthDrawsTheCirclesBesideTheGlobe) {
    OverlayInputs in = Centred();
    in.pixelsPerRadius = 50.0;
    in.x = 1.4;  // the axis misses the Earth: zeta 0, the full radii
    in.zeta = 0.0;
    in.tanf1 = 0.3;
    in.tanf2 = 0.3;
    const Drawn d = Draw(in, QSize(260, 200));
    EXPECT_EQ(At(d.image, 170 + 5, 100 + 5), kUmbraFill);
    EXPECT_TRUE(Near(d.image, 170 + 25, 100 - 3, kRed));
    EXPECT_TRUE(Near(d.image, 170 - 25, 100 + 3, kRed));
}

TEST(GlobeAfterRender, NoScaleDrawsNothing) {
    OverlayInputs in = Centred();
    in.pixelsPerRadius = 0.0;
    in.subPlanetaryMark = true;
    const Drawn d = Draw(in);
    EXPECT_EQ(Count(d.image, kBackground), 200 * 200);
}

TEST(UmbraDiameterText, OneDecimalWithAPoint) {
    OverlayInputs in;
    in.L2 = -0.0098;
    in.zeta = 0.5;
    in.tanf2 = 0.0046;  // r2 = -0.0121: 154.3 km
    EXPECT_EQ(UmbraDiameterText(in), QStringLiteral("154.3"));
    in.L2 = 0.0;
    in.tanf2 = 0.0;
    EXPECT_EQ(UmbraDiameterText(in), QStringLiteral("0.0"));
}

TEST(GlobeAfterRender, FollowsTheGlobeWhenItIsDraggedAndMeetsItsLimb) {
    // The globe at the largest zoom, its centre dragged far to the left so that its right limb is
    // on a small canvas; an overlay circle of one Earth radius must fall on that limb.
    globe::GeoGlobe g(400, 300);
    g.Graticule().SetLatitudeStep(0);
    g.Graticule().SetLongitudeStep(0);
    GlobePlacement placement(200, 150);
    placement.ApplyZoom(g.Projector(), zoom::kMin);
    placement.MouseDown(QPoint(300, 100));
    placement.MouseMove(QPoint(300 - 1100, 120), true);
    placement.ApplyZoom(g.Projector(), zoom::kMin);
    ASSERT_EQ(placement.OriginX(), -900);
    ASSERT_EQ(placement.OriginY(), 170);
    g.Render();
    QImage picture = g.Picture().convertToFormat(QImage::Format_RGB32);
    const QRgb surface = picture.pixel(5, 170);
    int limb = 0;  // first column off the globe along the centre row
    while (limb < picture.width() && picture.pixel(limb, 170) == surface) {
        ++limb;
    }
    ASSERT_LT(limb, picture.width());

    OverlayInputs in = Centred();
    in.L1 = 1.0;
    in.L2 = 0.0;
    in.cx = placement.OriginX();
    in.cy = placement.OriginY();
    in.pixelsPerRadius = placement.PixelsPerRadius();
    QPainter painter(&picture);
    GlobeAfterRender(painter, in, picture.size());
    painter.end();
    int red = -1;
    for (int x = 0; x < picture.width(); ++x) {
        if (picture.pixel(x, 170) == kRed) {
            red = x;
        }
    }
    EXPECT_NEAR(red, limb, 1);
}

}  // namespace
}  // namespace zimbalo::overlays
