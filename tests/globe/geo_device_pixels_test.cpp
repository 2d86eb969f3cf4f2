// The picture at a screen's device pixel ratio: drawn in device pixels (lines and points placed to
// the device pixel), looked up in logical pixels; and smoothed lines in still pictures only.

#include <cmath>
#include <memory>

#include <QImage>

#include <gtest/gtest.h>

#include "globe/geo_globe.h"
#include "globe/geo_layer.h"

namespace zimbalo::globe {
namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kSilver = 0xFFC0C0C0u;

/// A black globe of 200 x 150 logical pixels, fitted, centred at (lat, lon), no texture.
void BlackGlobe(GeoGlobe& globe, double latitude, double longitude) {
    globe.Resize(200, 150);
    globe.SetColor(clBlack);
    globe.SetSurfaceColor(clBlack);
    GeoProjector& p = globe.Projector();
    p.SetScaleFactor(0.0);
    p.SetXRotation(latitude);
    p.SetYRotation(longitude);
}

TEST(DevicePixels, TwiceTheRatioDrawsTwiceThePixelsOfTheSameView) {
    GeoGlobe globe;
    BlackGlobe(globe, 23.5, 10.0);
    const double scale = globe.Projector().ScaleFactor();
    globe.SetDevicePixelRatio(2.0);
    globe.Render();
    EXPECT_EQ(globe.Picture().size(), QSize(400, 300));
    EXPECT_EQ(globe.Width(), 200);
    // The view in logical pixels is untouched; the device view is the same one scaled.
    EXPECT_EQ(globe.Projector().ScaleFactor(), scale);
    EXPECT_EQ(globe.Projector().XOrigin(), 100);
    EXPECT_EQ(globe.DeviceProjector().ScaleFactor(), 2.0 * scale);
    EXPECT_EQ(globe.DeviceProjector().XOrigin(), 200);
    EXPECT_EQ(globe.DeviceProjector().YOrigin(), 150);
    EXPECT_EQ(globe.DevicePixel(QPoint(10, 20)), QPoint(21, 41));
    const auto logical = globe.Projector().ScreenToGeo(100, 75);
    const auto device = globe.DeviceProjector().ScreenToGeo(200, 150);
    ASSERT_TRUE(logical && device);
    EXPECT_NEAR(logical->Latitude, device->Latitude, 2);
    // A later change of the logical view reaches the device view.
    globe.Projector().SetXOrigin(90);
    EXPECT_EQ(globe.DeviceProjector().XOrigin(), 180);
}

TEST(DevicePixels, HorizontalGraticuleLineIsOneRowOfDevicePixels) {
    // The equator seen from above it is a horizontal line through the origin. At ratio 2 a
    // one-pixel pen is one device pixel thick, still or moving, not a 2-pixel band.
    GeoGlobe globe;
    BlackGlobe(globe, 0.0, 0.0);
    globe.Graticule().SetLatitudeStep(90);
    globe.Graticule().SetLongitudeStep(0);
    globe.SetDevicePixelRatio(2.0);
    for (const bool smooth : {false, true}) {
        globe.SetSmoothLines(smooth);
        globe.Render();
        const QImage& pic = globe.Picture();
        const int y0 = globe.DeviceProjector().YOrigin();
        for (int x = 120; x < 280; x += 7) {
            for (int y = y0 - 4; y <= y0 + 4; ++y) {
                const QRgb p = pic.pixel(x, y);
                if (y != y0) {
                    EXPECT_EQ(p, kBlack) << (smooth ? "still " : "moving ") << x << "," << y;
                } else if (smooth) {
                    // Where two samples of the line meet, smoothing may leave a little less.
                    EXPECT_GE(qGray(p), 170) << "still " << x << "," << y;
                } else {
                    EXPECT_EQ(p, kSilver) << "moving " << x << "," << y;
                }
            }
        }
    }
}

TEST(DevicePixels, LayerPointsLandOnTheirDevicePixelAndAreHitInLogicalPixels) {
    GeoGlobe globe;
    BlackGlobe(globe, 30.0, 0.0);
    GeoLayers& layers = InstallLayers(globe);
    auto owned = std::make_unique<GeoLayer>(QStringLiteral("Points"));
    GeoLayer& layer = *owned;
    layers.GlobeLayer().LayerStore().Add(std::move(owned));
    auto presenter = std::make_unique<GeoPointPresenter>();
    presenter->SetPresenterID(1);
    presenter->SetPointType(GeoPointType::ppDot);
    presenter->SetPointSize(2);
    presenter->SetPointUnit(GeoUnitTypes::guPixel);
    presenter->PointPen().SetColor(0x0000FF);  // red
    presenter->SetTitleAlignment(GeoTitleAlignment::taNone);
    layer.Presenters().Add(std::move(presenter));
    globe.SetDevicePixelRatio(2.0);
    // Points whose logical positions fall anywhere between pixels: rounded to logical pixels
    // first and then doubled, some would miss their device pixel by a whole pixel.
    const GeoSphericalPrj& logical = globe.Projector().Model();
    for (int i = 0; i < 12; ++i) {
        layer.ObjectSource().RemoveAllObjects();
        auto point = std::make_shared<GeoMapPoint>();
        point->SetPresenterID(1);
        const GeoPoint where{DegToGU(-20.0 + 3.3 * i), DegToGU(20.0 + 1.7 * i), 0};
        point->SetLocation(where);
        layer.ObjectSource().AddObject(point);
        globe.Render();
        const GeoProjected q = logical.Project(where);
        const double exactX = 2.0 * (q.sx + logical.XOrigin());
        const double exactY = 2.0 * (q.sy + logical.YOrigin());
        const QImage& pic = globe.Picture();
        int found = 0;
        for (int y = 0; y < pic.height(); ++y) {
            for (int x = 0; x < pic.width(); ++x) {
                if (pic.pixel(x, y) == 0xFFFF0000u) {
                    ++found;
                    EXPECT_LE(std::abs(x - exactX), 0.5) << i;
                    EXPECT_LE(std::abs(y - exactY), 0.5) << i;
                }
            }
        }
        EXPECT_EQ(found, 1) << i;
        // The mouse speaks logical pixels: the point is found under its logical pixel.
        const QPoint mouse(static_cast<int>(std::lround(q.sx)) + logical.XOrigin(),
                           static_cast<int>(std::lround(q.sy)) + logical.YOrigin());
        EXPECT_EQ(layers.ObjectAtPixel(globe, mouse), point) << i;
    }
}

TEST(SmoothLines, SlantedLinesHaveIntermediateColoursInStillPicturesOnly) {
    // Meridians seen from 40 degrees north run slanted across the picture.
    GeoGlobe globe;
    BlackGlobe(globe, 40.0, 10.0);
    globe.Graticule().SetLatitudeStep(0);
    globe.Graticule().SetLongitudeStep(30);
    for (const double ratio : {1.0, 2.0}) {
        globe.SetDevicePixelRatio(ratio);
        for (const bool smooth : {false, true}) {
            globe.SetSmoothLines(smooth);
            globe.Render();
            const QImage& pic = globe.Picture();
            int lit = 0;
            int between = 0;
            for (int y = 0; y < pic.height(); ++y) {
                for (int x = 0; x < pic.width(); ++x) {
                    const QRgb p = pic.pixel(x, y);
                    lit += p != kBlack ? 1 : 0;
                    between += p != kSilver && p != kBlack ? 1 : 0;
                }
            }
            EXPECT_GT(lit, 400 * ratio) << ratio;
            if (smooth) {
                EXPECT_GT(between, lit / 2) << "still, ratio " << ratio;
            } else {
                EXPECT_EQ(between, 0) << "moving, ratio " << ratio;
            }
        }
    }
}

}  // namespace
}  // namespace zimbalo::globe
