#include "overlays/globe_controls.h"

#include <optional>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "globe/geo_globe.h"
#include "globe/view/globe_view.h"

namespace zimbalo::overlays {
namespace {

TEST(Zoom, SliderPositionsGiveTheScaleFactors) {
    EXPECT_DOUBLE_EQ(ZoomScaleFactor(zoom::kMin), 3.5e-06);
    EXPECT_DOUBLE_EQ(ZoomScaleFactor(zoom::kMax), 6e-07);
    EXPECT_DOUBLE_EQ(ZoomScaleFactor(zoom::kDefault), 2.7e-06);
    EXPECT_DOUBLE_EQ(ZoomScaleFactor(zoom::kReset), 1.1e-06);
}

TEST(Zoom, ApplyingKeepsTheCentreAndMeasuresTheDrawnGlobe) {
    globe::GeoGlobe g(640, 480);
    GlobePlacement placement(100, 300);
    placement.ApplyZoom(g.Projector(), zoom::kReset);
    EXPECT_DOUBLE_EQ(g.Projector().ScaleFactor(), 1.1e-06);
    EXPECT_EQ(g.Projector().XOrigin(), 100);
    EXPECT_EQ(g.Projector().YOrigin(), 300);
    // One Earth radius of the overlay is the radius of the sphere the globe draws.
    EXPECT_NEAR(placement.PixelsPerRadius(), g.Projector().Model().Radius(), 1e-9);
    // Positions beyond the slider are taken at its ends.
    placement.ApplyZoom(g.Projector(), 20);
    EXPECT_DOUBLE_EQ(g.Projector().ScaleFactor(), 3.5e-06);
}

TEST(Zoom, ResetCentresInThePanelAtScale1p1e6) {
    globe::GeoGlobe g(801, 601);
    GlobePlacement placement(17, -40);
    placement.Center(QSize(801, 601));
    placement.ApplyZoom(g.Projector(), zoom::kReset);
    EXPECT_EQ(placement.OriginX(), 400);
    EXPECT_EQ(placement.OriginY(), 300);
    EXPECT_EQ(g.Projector().XOrigin(), 400);
    EXPECT_EQ(g.Projector().YOrigin(), 300);
    EXPECT_DOUBLE_EQ(g.Projector().ScaleFactor(), 1.1e-06);
}

TEST(Choices, TexturesAndGraticules) {
    EXPECT_EQ(TextureFilePath(0, QStringLiteral("/opt/z/")),
              QStringLiteral("/opt/z/BlueMarble_5.4x2.7k.jpg"));
    EXPECT_EQ(TextureFilePath(2, QStringLiteral("/opt/z/")),
              QStringLiteral("/opt/z/World_4096.jpg"));
    EXPECT_EQ(TextureFilePath(4, QStringLiteral("/opt/z/")), std::nullopt);
    EXPECT_EQ(TextureFilePath(-1, QStringLiteral("/opt/z/")), std::nullopt);
    EXPECT_EQ(GraticuleStepsFor(0), (GraticuleSteps{0, 0}));
    EXPECT_EQ(GraticuleStepsFor(1), (GraticuleSteps{90, 0}));
    EXPECT_EQ(GraticuleStepsFor(5), (GraticuleSteps{45, 45}));
    EXPECT_EQ(GraticuleStepsFor(6), (GraticuleSteps{90, 90}));
    EXPECT_EQ(GraticuleStepsFor(7), (GraticuleSteps{0, 0}));
    EXPECT_EQ(GraticuleStepsFor(-1), (GraticuleSteps{0, 0}));
}

TEST(Choices, EquatorDrawsTheEquatorAndNoMeridian) {
    globe::GeoGlobe g(300, 300);
    g.SetSurfaceColor(0x000000);
    g.Projector().SetXRotation(0.0);  // looking at the equator: it runs across the middle row
    GlobePlacement placement(150, 150);
    placement.ApplyZoom(g.Projector(), zoom::kMax);
    const GraticuleSteps steps = GraticuleStepsFor(1);
    g.Graticule().SetLatitudeStep(steps.latitude);
    g.Graticule().SetLongitudeStep(steps.longitude);
    g.Render();
    const QImage picture = g.Picture().convertToFormat(QImage::Format_RGB32);
    int onEquator = 0;
    int elsewhere = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 300; ++x) {
            const bool silver = (picture.pixel(x, y) & 0xFFFFFF) == 0xC0C0C0;
            if (std::abs(y - 150) <= 1) {
                onEquator += silver ? 1 : 0;
            } else {
                elsewhere += silver ? 1 : 0;
            }
        }
    }
    EXPECT_GT(onEquator, 250);
    EXPECT_EQ(elsewhere, 0);
}

TEST(Placement, ControlKeysMoveAndCentre) {
    GlobePlacement p(200, 200);
    const QSize panel(500, 401);
    EXPECT_TRUE(p.KeyMove(Qt::Key_U, Qt::ControlModifier, panel));
    EXPECT_EQ(p.OriginY(), 150);
    EXPECT_TRUE(p.KeyMove(Qt::Key_D, Qt::ControlModifier, panel));
    EXPECT_TRUE(p.KeyMove(Qt::Key_D, Qt::ControlModifier, panel));
    EXPECT_EQ(p.OriginY(), 250);
    EXPECT_TRUE(p.KeyMove(Qt::Key_L, Qt::ControlModifier, panel));
    EXPECT_EQ(p.OriginX(), 150);
    EXPECT_TRUE(p.KeyMove(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier, panel));
    EXPECT_EQ(p.OriginX(), 200);
    EXPECT_FALSE(p.KeyMove(Qt::Key_U, Qt::NoModifier, panel));
    EXPECT_FALSE(p.KeyMove(Qt::Key_X, Qt::ControlModifier, panel));
    EXPECT_EQ(p.OriginY(), 250);
    EXPECT_TRUE(p.KeyMove(Qt::Key_C, Qt::ControlModifier, panel));
    EXPECT_EQ(p.OriginX(), 250);
    EXPECT_EQ(p.OriginY(), 200);
}

TEST(Placement, TheCentreCannotBeDraggedIntoOverflow) {
    GlobePlacement p(0, 0);
    for (int i = 0; i < 5000; ++i) {
        p.MoveBy(2000000000, -2000000000);
    }
    EXPECT_GT(p.OriginX(), 0);
    EXPECT_LT(p.OriginY(), 0);
    EXPECT_LE(p.OriginX(), 1 << 20);
    EXPECT_GE(p.OriginY(), -(1 << 20));
}

// The mouse on a real globe control, as the main window connects it.
class GlobeMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_view.resize(400, 300);
        GlobeMouseHooks hooks;
        hooks.centreMoved = [this](QPoint centre) { m_moves.push_back(centre); };
        hooks.applyZoom = [this]() {
            ++m_zooms;
            m_placement.ApplyZoom(m_view.Projector(), m_slider);
        };
        hooks.sliderPosition = [this]() { return m_slider; };
        hooks.setSliderPosition = [this](int p) { m_slider = p; };
        hooks.showPopup = [this](QPoint p) { m_popups.push_back(p); };
        hooks.click = [this]() { ++m_clicks; };
        InstallGlobeMouse(m_view, m_placement, std::move(hooks));
    }

    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(pos), m_view.mapToGlobal(QPointF(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&m_view, &event);
    }

    void Wheel(int delta) {
        QWheelEvent event(QPointF(100, 100), m_view.mapToGlobal(QPointF(100, 100)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&m_view, &event);
    }

    globe::GlobeView m_view;
    GlobePlacement m_placement{200, 150};
    int m_slider = 140;
    int m_zooms = 0;
    int m_clicks = 0;
    std::vector<QPoint> m_popups;
    std::vector<QPoint> m_moves;
};

TEST_F(GlobeMouseTest, LeftDragSlidesTheGlobeWithoutTurningIt) {
    const double xRotation = m_view.Projector().XRotation();
    const double yRotation = m_view.Projector().YRotation();
    Send(QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, QPoint(80, 40), Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseMove, QPoint(90, 45), Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, QPoint(90, 45), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(m_placement.OriginX(), 240);
    EXPECT_EQ(m_placement.OriginY(), 145);
    EXPECT_EQ(m_view.Projector().XOrigin(), 240);
    EXPECT_EQ(m_view.Projector().YOrigin(), 145);
    EXPECT_EQ(m_view.Projector().XRotation(), xRotation);
    EXPECT_EQ(m_view.Projector().YRotation(), yRotation);
    EXPECT_EQ(m_zooms, 2);
    EXPECT_EQ(m_moves, (std::vector<QPoint>{QPoint(230, 140), QPoint(240, 145)}));
    EXPECT_TRUE(m_popups.empty());
}

TEST_F(GlobeMouseTest, RightDragMovesNothingAndOpensThePopup) {
    Send(QEvent::MouseButtonPress, QPoint(50, 50), Qt::RightButton, Qt::RightButton);
    Send(QEvent::MouseMove, QPoint(120, 90), Qt::NoButton, Qt::RightButton);
    Send(QEvent::MouseButtonRelease, QPoint(120, 90), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(m_placement.OriginX(), 200);
    EXPECT_EQ(m_placement.OriginY(), 150);
    EXPECT_TRUE(m_moves.empty());
    ASSERT_EQ(m_popups.size(), 1u);
    EXPECT_EQ(m_popups[0], QPoint(120, 90));
    EXPECT_EQ(m_clicks, 0);
    EXPECT_EQ(m_view.RubberBandActive(), false);
}

TEST_F(GlobeMouseTest, ALeftClickIsPassedOn) {
    Send(QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, QPoint(50, 50), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(m_clicks, 1);
}

TEST_F(GlobeMouseTest, WheelNotchesMoveTheSliderWithinItsRange) {
    Wheel(-120);  // towards the user: zoom in
    EXPECT_EQ(m_slider, 130);
    EXPECT_DOUBLE_EQ(m_view.Projector().ScaleFactor(), 2.8e-06);
    for (int i = 0; i < 20; ++i) {
        Wheel(-120);
    }
    EXPECT_EQ(m_slider, 60);
    for (int i = 0; i < 40; ++i) {
        Wheel(120);
    }
    EXPECT_EQ(m_slider, 350);
    EXPECT_DOUBLE_EQ(m_view.Projector().ScaleFactor(), 6e-07);
}

}  // namespace
}  // namespace zimbalo::overlays
