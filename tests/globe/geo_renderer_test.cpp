#include "globe/geo_renderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "globe/geo_exception.h"
#include "globe/geo_globe.h"

namespace zimbalo::globe {
namespace {

/// A 200 x 200 picture showing the sphere 180 pixels across, centred on (0, 0).
struct RendererFixture : ::testing::Test {
    GeoGlobe globe{200, 200};
    GeoDefaultRenderer& r = globe.Renderer();

    void SetUp() override {
        globe.Projector().SetScaleFactor(180.0 / (2.0 * gu::EarthRadius));
        globe.Projector().SetXOrigin(100);
        globe.Projector().SetYOrigin(100);
        globe.Projector().SetXRotation(0.0);
        globe.Projector().SetYRotation(0.0);
    }

    std::uint32_t pixel(int x, int y) const { return globe.Picture().pixel(x, y) | 0xFF000000u; }
};

TEST_F(RendererFixture, LineAcrossTheAntimeridianIsTwoPieces) {
    globe.Projector().SetYRotation(180.0);
    const std::vector<GeoPoint> line{{DegToGU(170.0), 0, 0}, {DegToGU(-170.0), 0, 0}};
    r.BeginParts(false);
    r.AddOpenChain(line);
    const auto& parts = r.PendingParts();
    ASSERT_EQ(parts.size(), 2U);
    // Both pieces meet at the antimeridian, which is the centre column of this view; the first
    // (170 E) lies left of it.
    EXPECT_LT(parts[0].front().x(), 100);
    EXPECT_EQ(parts[0].back(), QPoint(100, 100));
    EXPECT_EQ(parts[1].front(), QPoint(100, 100));
    EXPECT_GT(parts[1].back().x(), 100);
    r.EndParts();
    EXPECT_TRUE(r.PendingParts().empty());

    // Seen from the other side, the line is behind the globe and nothing crosses the front.
    globe.Projector().SetYRotation(0.0);
    r.BeginParts(false);
    r.AddOpenChain(line);
    EXPECT_TRUE(r.PendingParts().empty());
    r.EndParts();
}

TEST_F(RendererFixture, OpenLinesStopAtTheHorizon) {
    // Along the equator from 5 to 170 degrees east: visible up to 90 degrees only.
    std::vector<GeoPoint> line;
    for (int lon = 5; lon <= 180; lon += 15) {
        line.push_back({DegToGU(lon), 0, 0});
    }
    r.BeginParts(false);
    r.AddOpenChain(line);
    ASSERT_EQ(r.PendingParts().size(), 1U);
    const auto& part = r.PendingParts()[0];
    EXPECT_EQ(part.size(), 6U);  // 5 .. 80 degrees
    EXPECT_EQ(part.back().x(), 100 + std::lround(90.0 * std::sin(80.0 * std::numbers::pi / 180.0)));
    r.EndParts();
}

TEST_F(RendererFixture, FilledChainsUseTheLimbAndClipWithCorners) {
    // A cap around the pole seen from the equator: its far points are pulled onto the rim.
    std::vector<GeoPoint> ring;
    for (int lon = -180; lon < 180; lon += 10) {
        ring.push_back({DegToGU(lon), DegToGU(60), 0});
    }
    r.BeginParts(true);
    r.AddFilledChain(ring);
    ASSERT_EQ(r.PendingParts().size(), 1U);
    for (const QPoint& q : r.PendingParts()[0]) {
        const double d = std::hypot(q.x() - 100.0, q.y() - 100.0);
        EXPECT_LE(d, 90.6);
    }
    r.EndParts();

    // A square much larger than the picture is cut to the picture grown by 2 pixels, corners
    // included, so the whole picture is filled.
    r.FillBackground(clBlack);
    r.SetPen(GeoPen(clRed, GeoPenStyle::gpsClear, 1.0, GeoUnitTypes::guPixel));
    r.SetBrush(GeoBrush(clYellow, clYellow, GeoBrushStyle::gbsSolid));
    const std::vector<QPoint> square{{-5000, -4000}, {6000, -4000}, {6000, 7000}, {-5000, 7000}};
    r.BeginParts(true);
    r.AddPart(square);
    ASSERT_EQ(r.PendingParts().size(), 1U);
    const std::vector<QPoint> expected{{-2, -2}, {201, -2}, {201, 201}, {-2, 201}};
    std::vector<QPoint> got = r.PendingParts()[0];
    EXPECT_EQ(got.size(), 4U);
    for (const QPoint& q : expected) {
        EXPECT_NE(std::find(got.begin(), got.end(), q), got.end()) << q.x() << "," << q.y();
    }
    r.EndParts();
    r.EndCanvas();
    EXPECT_EQ(pixel(0, 0), PixelOf(clYellow));
    EXPECT_EQ(pixel(199, 199), PixelOf(clYellow));
    EXPECT_EQ(r.Counters().PolyPolygonCalls, 2);
}

TEST_F(RendererFixture, OpenPartsAreCutAtTheEnlargedPicture) {
    r.SetPen(GeoPen(clRed, GeoPenStyle::gpsSolid, 3.0, GeoUnitTypes::guPixel));
    EXPECT_EQ(r.PartClipRect(), QRect(QPoint(-6, -6), QPoint(205, 205)));
    // Leaves the picture and comes back: two parts; one entirely outside is dropped.
    const std::vector<QPoint> zigzag{{10, 10}, {10, 500}, {50, 50}};
    r.BeginParts(false);
    r.AddPart(zigzag);
    ASSERT_EQ(r.PendingParts().size(), 2U);
    EXPECT_EQ(r.PendingParts()[0].back(), QPoint(10, 205));
    EXPECT_EQ(r.PendingParts()[1].back(), QPoint(50, 50));
    const std::vector<QPoint> outside{{-100, -100}, {-50, -100}};
    r.AddPart(outside);
    EXPECT_EQ(r.PendingParts().size(), 2U);
    r.EndParts();
}

TEST_F(RendererFixture, ChainsLongerThanThePointBufferAreDrawnInPieces) {
    // 300000 points up a meridian: more than one point buffer holds.
    std::vector<GeoPoint> line;
    for (int i = 0; i < 300000; ++i) {
        line.push_back(
            {DegToGU((i % 2 == 0) ? -0.05 : 0.05), DegToGU(-20.0 + 40.0 * i / 300000.0), 0});
    }
    r.BeginParts(false);
    r.AddOpenChain(line);
    ASSERT_EQ(r.PendingParts().size(), 2U);
    EXPECT_EQ(r.PendingParts()[0].back(), r.PendingParts()[1].front());  // no gap between pieces
    r.EndParts();
    r.BeginParts(true);
    r.AddFilledChain(line);  // cut at the buffer's size, without harm
    EXPECT_EQ(r.PendingParts().size(), 1U);
    r.EndParts();
    r.EndCanvas();
}

TEST_F(RendererFixture, DrawingStateAndSizes) {
    r.SetPen(GeoPen(clRed, GeoPenStyle::gpsDash, 4.0, GeoUnitTypes::guPixel));
    r.SetAlpha(100);
    r.ResetDrawingState();
    EXPECT_EQ(r.Alpha(), 255);
    EXPECT_EQ(r.Pen().Color(), clBlack);
    EXPECT_EQ(r.Pen().Width(), 1.0);
    EXPECT_EQ(r.Brush().Color(), clWhite);
    EXPECT_EQ(r.Font().Name(), "Arial");
    EXPECT_EQ(r.Font().Color(), clWhite);
    EXPECT_EQ(r.Font().BkColor(), clBlack);

    // Ground-unit fonts scale with the zoom and are limited by MaxTextHeight.
    globe.Projector().SetScaleFactor(5e-6);
    GeoFont font;
    font.SetSize(100.0);
    font.SetSizeUnit(GeoUnitTypes::guMinute);
    r.SetMaxTextHeight(0);
    EXPECT_EQ(r.FontHeightPixels(font), 45);
    r.SetMaxTextHeight(40);
    EXPECT_EQ(r.FontHeightPixels(font), 40);
    // A capital's title (60 minutes) at the main window's default and far scales.
    font.SetSize(60.0);
    globe.Projector().SetScaleFactor(2.7e-6);
    EXPECT_EQ(r.FontHeightPixels(font), 15);
    globe.Projector().SetScaleFactor(1.1e-6);
    EXPECT_EQ(r.FontHeightPixels(font), 6);
}

TEST_F(RendererFixture, PixelsShapesAndBlending) {
    EXPECT_EQ(BlendPixel(0xFFFFFFFF, 0xFF000000, 128), 0xFF7E7E7Eu);  // 127 * 255 / 256
    EXPECT_EQ(BlendPixel(0xFF000000, 0xFFFFFFFF, 255), 0xFFFEFEFEu);
    r.FillBackground(clWhite);
    r.SetPixel(5, 6, clRed);
    r.SetPixel(7, 6, clBlack, 128);
    r.SetPixel(-1, 500, clRed);  // outside: ignored
    EXPECT_EQ(pixel(5, 6), 0xFFFF0000u);
    EXPECT_EQ(pixel(7, 6), 0xFF7E7E7Eu);

    // An ellipse in (10, 10) .. (14, 14) covers 4 pixels across, right and bottom excluded.
    r.SetPen(GeoPen(clRed, GeoPenStyle::gpsSolid, 1.0, GeoUnitTypes::guPixel));
    r.SetBrush(GeoBrush(clRed, clRed, GeoBrushStyle::gbsSolid));
    r.DrawEllipse(10, 10, 14, 14);
    r.EndCanvas();
    EXPECT_EQ(pixel(12, 12), 0xFFFF0000u);
    EXPECT_EQ(pixel(14, 12), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(12, 14), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(9, 12), 0xFFFFFFFFu);
}

TEST(Bitmap, SizesAndUnimplementedOperations) {
    GeoBitmap b(3, 2);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Image().format(), QImage::Format_RGB32);
    EXPECT_FALSE(b.Transparent());
    b.SetTransparentColor(clRed);
    EXPECT_TRUE(b.Transparent());
    EXPECT_THROW(b.SaveToFile("x.bmp"), GeoException);
    try {
        b.SaveToClipboardFormat();
    } catch (const GeoException& e) {
        EXPECT_STREQ(e.what(), "GeoBitmap.SaveToClipboardFormat: Not implemented");
    }
    b.SetSize(0, 0);
    EXPECT_TRUE(b.IsEmpty());
}

}  // namespace
}  // namespace zimbalo::globe
