#include "globe/geo_projector.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "globe/geo_exception.h"
#include "globe/geo_globe.h"

namespace zimbalo::globe {
namespace {

/// A globe of 800 x 600 pixels showing the sphere 600 pixels across, centred.
struct ProjectorFixture : ::testing::Test {
    GeoGlobe globe{800, 600};
    GeoProjector& p = globe.Projector();

    void SetUp() override {
        p.SetScaleFactor(600.0 / (2.0 * gu::EarthRadius));
        p.SetXOrigin(400);
        p.SetYOrigin(300);
    }
};

TEST_F(ProjectorFixture, OriginShowsTheViewCentre) {
    p.SetXRotation(23.5);
    p.SetYRotation(0.0);
    const auto centre = p.ScreenToGeo(400, 300);
    ASSERT_TRUE(centre.has_value());
    const GeoPoint g = *centre;
    EXPECT_EQ(g.Latitude, DegToGU(23.5));
    EXPECT_EQ(g.Longitude, 0);
    // North is up: the pole lies above the origin.
    int x = 0;
    int y = 0;
    EXPECT_TRUE(p.GeoToScreen(0, gu::MaxLatitude, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_LT(y, 300);
}

TEST_F(ProjectorFixture, PixelRoundTripsThroughGeographic) {
    const double rotations[][2] = {{23.5, 0.0}, {-40.0, 170.0}, {90.0, -180.0}, {0.0, 45.0}};
    for (const auto& rot : rotations) {
        p.SetXRotation(rot[0]);
        p.SetYRotation(rot[1]);
        int checked = 0;
        for (int y = 5; y < 600; y += 23) {
            for (int x = 5; x < 800; x += 29) {
                const auto on = p.ScreenToGeo(x, y);
                if (!on) {
                    continue;
                }
                const GeoPoint g = *on;
                int bx = 0;
                int by = 0;
                // Pixels on the rim may come back just behind it; their position still holds.
                p.GeoToScreen(g.Longitude, g.Latitude, bx, by);
                EXPECT_EQ(bx, x) << "rotation " << rot[0] << "," << rot[1] << " at " << x << ","
                                 << y;
                EXPECT_EQ(by, y);
                ++checked;
            }
        }
        EXPECT_GT(checked, 300);
    }
}

TEST_F(ProjectorFixture, LimbPointsAreHiddenJustInsideVisible) {
    p.SetXRotation(0.0);
    p.SetYRotation(0.0);
    const GeoSphericalPrj& m = p.Model();
    const GeoProjected limb = m.Project(GeoPoint{DegToGU(90.0), 0, 0});
    EXPECT_NEAR(limb.depth, 0.0, 1e-6);
    int x = 0;
    int y = 0;
    EXPECT_TRUE(p.GeoToScreen(DegToGU(89.9), 0, x, y));
    EXPECT_FALSE(p.GeoToScreen(DegToGU(90.1), 0, x, y));
    // With the pole at the centre, the equator is exactly on the limb and counts as hidden.
    p.SetXRotation(90.0);
    EXPECT_FALSE(p.GeoToScreen(0, 0, x, y));
    EXPECT_TRUE(p.GeoToScreen(0, DegToGU(0.1), x, y));
    // A raised point beyond the limb shows.
    QPoint px;
    EXPECT_TRUE(p.GeoToScreen(GeoPoint{0, DegToGU(-0.1), DegToGU(1.0)}, px));
}

TEST_F(ProjectorFixture, OffGlobePixelGivesNoPoint) {
    EXPECT_FALSE(p.ScreenToGeo(5, 5).has_value());
    EXPECT_FALSE(p.ScreenToGeo(400 + 302, 300).has_value());
    EXPECT_TRUE(p.ScreenToGeo(400 + 299, 300).has_value());
}

TEST_F(ProjectorFixture, ScaleFactorLimits) {
    p.SetScaleFactor(2.0);
    EXPECT_DOUBLE_EQ(p.ScaleFactor(), 1.0);
    // The lower limit is 5e-8, or higher where the picture would span more than 2^31 GU.
    p.SetScaleFactor(1e-9);
    EXPECT_DOUBLE_EQ(p.ScaleFactor(), 800.0 / 2147483647.0);
    p.SetScaleFactor(-3.0);
    EXPECT_DOUBLE_EQ(p.ScaleFactor(), 800.0 / 2147483647.0);
    GeoGlobe small(100, 100);
    small.Projector().SetScaleFactor(1e-9);
    EXPECT_DOUBLE_EQ(small.Projector().ScaleFactor(), 5e-8);
    // 0 fits the sphere's diameter into the shorter side, centred.
    p.SetXOrigin(10);
    p.SetScaleFactor(0.0);
    EXPECT_NEAR(p.ScaleFactor() * 2.0 * gu::SphereHalfExtent, 600.0, 1e-9);
    EXPECT_EQ(p.XOrigin(), 400);
    EXPECT_EQ(p.YOrigin(), 300);
    // The view distance follows the zoom.
    EXPECT_EQ(p.ViewDistance(),
              std::llrint(800.0 / p.ScaleFactor() / std::tan(50.0 * std::numbers::pi / 180.0)));
}

TEST_F(ProjectorFixture, ZoomAboutKeepsThePointFixed) {
    const auto before = p.ScreenToGeo(500, 350);
    ASSERT_TRUE(before.has_value());
    const double s = p.ScaleFactor();
    p.ZoomAbout(500, 350, 2.0);
    EXPECT_DOUBLE_EQ(p.ScaleFactor(), 2.0 * s);
    EXPECT_EQ(p.XOrigin(), 300);  // round((400 - 500) * 2 + 500)
    EXPECT_EQ(p.YOrigin(), 250);
    const auto after = p.ScreenToGeo(500, 350);
    ASSERT_TRUE(after.has_value());
    EXPECT_NEAR(after->Longitude, before->Longitude, gu::Degree / 100);
    EXPECT_NEAR(after->Latitude, before->Latitude, gu::Degree / 100);
}

TEST_F(ProjectorFixture, RotationSettersNormalise) {
    p.SetYRotation(190.0);
    EXPECT_DOUBLE_EQ(p.YRotation(), -170.0);
    p.SetYRotation(180.0);
    EXPECT_DOUBLE_EQ(p.YRotation(), -180.0);
    p.SetYRotation(-190.0);
    EXPECT_DOUBLE_EQ(p.YRotation(), 170.0);
    p.SetXRotation(100.0);
    EXPECT_DOUBLE_EQ(p.XRotation(), 90.0);
    p.SetXRotation(-95.0);
    EXPECT_DOUBLE_EQ(p.XRotation(), -90.0);
    int rotated = 0;
    globe.OnRotated = [&rotated]() { ++rotated; };
    p.SetZRotation(10.0);
    p.SetZRotation(10.0);  // equal: ignored
    EXPECT_EQ(rotated, 1);
}

TEST_F(ProjectorFixture, CentreLatitudeAndLongitude) {
    p.SetXRotation(0.0);
    p.SetCenterLatitude(40.0);
    EXPECT_NEAR(p.CenterLatitude().value_or(0.0), 40.0, 1e-6);
    EXPECT_EQ(p.YOrigin(), 300);
    p.SetCenterLongitude(-75.0);
    EXPECT_NEAR(p.CenterLongitude().value_or(0.0), -75.0, 1e-6);
    p.SetXOrigin(-5000);
    EXPECT_FALSE(p.CenterLatitude().has_value());
    EXPECT_FALSE(p.CenterLongitude().has_value());
}

TEST(Projector, ProjectionClassAndLimits) {
    GeoGlobe globe;
    GeoProjector& p = globe.Projector();
    EXPECT_NO_THROW(p.SetProjectionClass("geosphericalprj"));
    try {
        p.SetProjectionClass("TFoo");
        FAIL() << "no exception";
    } catch (const GeoException& e) {
        EXPECT_STREQ(e.what(), "Class TFoo does not inherit from GeoProjectionModel");
    }
    EXPECT_EQ(p.ProjectionClass(), "GeoSphericalPrj");
    p.SetMaxZoom(3.0);
    p.SetMinZoom(1e-9);
    EXPECT_EQ(p.MaxZoom(), 1.0);
    EXPECT_EQ(p.MinZoom(), 5e-8);
    p.SetMinLatitude(-100.0);
    p.SetMaxLongitude(200.0);
    EXPECT_EQ(p.MinLatitude(), -90.0);
    EXPECT_EQ(p.MaxLongitude(), 180.0);
    // A new globe fits the sphere into its 150 x 150 pixels.
    EXPECT_DOUBLE_EQ(GeoGlobe().Projector().ScaleFactor(), 150.0 / 619509170.0);
}

TEST_F(ProjectorFixture, RectangleVisibility) {
    p.SetXRotation(0.0);
    p.SetYRotation(0.0);
    const GeoRect front{DegToGU(-10), DegToGU(-10), DegToGU(20), DegToGU(20)};
    const GeoRectVisibility f = p.RectVisible(front);
    EXPECT_TRUE(f.Visible);
    EXPECT_FALSE(f.PartlyHidden);
    const GeoRect back{DegToGU(150), DegToGU(-10), DegToGU(20), DegToGU(20)};
    EXPECT_FALSE(p.RectVisible(back).Visible);
    // Straddling the limb: visible and partly hidden.
    const GeoRect rim{DegToGU(80), DegToGU(-10), DegToGU(20), DegToGU(20)};
    const GeoRectVisibility r = p.RectVisible(rim);
    EXPECT_TRUE(r.Visible);
    EXPECT_TRUE(r.PartlyHidden);
    EXPECT_TRUE(r.SomeVisible);
    // Reaching beyond +180 degrees is tested as two pieces; the second one is in front.
    p.SetYRotation(-170.0);
    const GeoRect wrap{DegToGU(170), DegToGU(-5), DegToGU(25), DegToGU(10)};
    EXPECT_TRUE(p.RectVisible(wrap).Visible);
    // The whole width is always visible.
    EXPECT_TRUE(p.RectVisible(GeoRect{-971999999, 0, gu::FullCircle, 1}).Visible);
    // In front but outside the picture (zoomed far in on another place).
    p.SetYRotation(0.0);
    p.SetScaleFactor(1e-5);
    p.SetXOrigin(400);
    p.SetYOrigin(300);
    EXPECT_FALSE(p.RectVisible(GeoRect{DegToGU(40), DegToGU(0), DegToGU(1), DegToGU(1)}).Visible);
}

TEST_F(ProjectorFixture, VisibleExtent) {
    p.SetXRotation(23.5);
    // The whole disc in view reaches round the pole: the whole world.
    const GeoRect world = p.VisibleExtent();
    EXPECT_EQ(world.Width, gu::FullCircle);
    EXPECT_EQ(world.Height, 2 * gu::MaxLatitude);
    // Zoomed in, the extent is a small rectangle around the centre.
    p.SetScaleFactor(2e-5);
    p.SetXOrigin(400);
    p.SetYOrigin(300);
    const GeoRect e = p.VisibleExtent();
    EXPECT_LT(e.Width, DegToGU(20));
    EXPECT_LE(e.Left, 0);
    EXPECT_GE(e.Left + e.Width, 0);
    EXPECT_LE(e.Bottom, DegToGU(23.5));
    EXPECT_GE(e.Bottom + e.Height, DegToGU(23.5));
    // Globe entirely outside the picture: too few samples, the whole world.
    p.SetXOrigin(-100000);
    EXPECT_EQ(p.VisibleExtent().Width, gu::FullCircle);
}

TEST_F(ProjectorFixture, UnitConversions) {
    p.SetScaleFactor(5e-6);
    EXPECT_EQ(p.UnitsToGU(2.0, GeoUnitTypes::guPixel), 400000);
    EXPECT_EQ(p.UnitsToGU(1.0, GeoUnitTypes::guKilometer), 48565);
    EXPECT_EQ(p.UnitsToPixels(3.0, GeoUnitTypes::guPixel), 3);
    EXPECT_EQ(p.UnitsToPixels(100.0, GeoUnitTypes::guMinute), 45);
    EXPECT_EQ(p.UnitsToPixels(1.0, GeoUnitTypes::guDegree), 27);
}

}  // namespace
}  // namespace zimbalo::globe
