#include "globe/view/globe_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "globe/geo_layer.h"

namespace zimbalo::globe {
namespace {

void sendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void drag(QWidget& w, QPoint from, QPoint to, Qt::MouseButton button) {
    sendMouse(w, QEvent::MouseButtonPress, from, button);
    sendMouse(w, QEvent::MouseMove, (from + to) / 2, button);
    sendMouse(w, QEvent::MouseMove, to, button);
    sendMouse(w, QEvent::MouseButtonRelease, to, button);
}

struct ViewFixture : ::testing::Test {
    GlobeView view;

    void SetUp() override {
        view.resize(800, 600);
        view.show();  // a hidden widget gets its resize only when shown
        view.Projector().SetScaleFactor(2e-6);
        view.Projector().SetXOrigin(400);
        view.Projector().SetYOrigin(300);
        view.Projector().SetXRotation(23.5);
    }
};

TEST_F(ViewFixture, PaintRendersOnlyWhenStale) {
    int afterRender = 0;
    QRgb seen = 0;
    view.OnAfterRender = [&](QPainter& p) {
        ++afterRender;
        EXPECT_EQ(view.Canvas(), &p);
        p.fillRect(0, 0, 4, 4, Qt::red);  // on the screen only
    };
    const QImage first = view.grab().toImage();
    EXPECT_EQ(view.RenderCount(), 1);
    EXPECT_EQ(afterRender, 1);
    EXPECT_FALSE(view.Globe().IsStale());
    seen = first.pixel(1, 1);
    EXPECT_EQ(seen, qRgb(255, 0, 0));
    // The back buffer keeps the picture (here the aqua disc) without the after-render drawing.
    EXPECT_EQ(view.Globe().Picture().pixel(1, 1), 0xFF00FFFFu);

    view.grab();
    EXPECT_EQ(view.RenderCount(), 1);  // nothing changed: only a copy
    EXPECT_EQ(afterRender, 2);

    view.Projector().SetYRotation(40.0);
    EXPECT_TRUE(view.Globe().IsStale());
    view.grab();
    EXPECT_EQ(view.RenderCount(), 2);
}

TEST_F(ViewFixture, AfterRenderMayMoveTheOriginForOneMorePaint) {
    int calls = 0;
    view.OnAfterRender = [&](QPainter&) {
        ++calls;
        view.Projector().SetXOrigin(390);
    };
    view.grab();
    EXPECT_TRUE(view.Globe().IsStale());
    view.grab();
    EXPECT_FALSE(view.Globe().IsStale());
    EXPECT_EQ(view.RenderCount(), 2);
    EXPECT_EQ(calls, 2);
}

TEST_F(ViewFixture, NoRenderDuringUpdate) {
    view.grab();
    view.BeginUpdate();
    view.Projector().SetYRotation(10.0);
    view.grab();
    EXPECT_EQ(view.RenderCount(), 1);
    view.EndUpdate();
    view.grab();
    EXPECT_EQ(view.RenderCount(), 2);
}

TEST_F(ViewFixture, LayerTreeIsReachable) {
    EXPECT_EQ(view.GlobeLayer().LayerStore().Count(), 0);
    EXPECT_EQ(view.SpatialDatabase(), nullptr);
}

TEST_F(ViewFixture, ResizeHalvesScaleAndOrigin) {
    view.resize(400, 300);
    EXPECT_DOUBLE_EQ(view.Projector().ScaleFactor(), 1e-6);
    EXPECT_EQ(view.Projector().XOrigin(), 200);
    EXPECT_EQ(view.Projector().YOrigin(), 150);
    EXPECT_EQ(view.Renderer().Width(), 400);
}

TEST_F(ViewFixture, ZoomBox) {
    ASSERT_EQ(view.MouseZoomButton(), GeoMouseButton::mzbRight);
    // Smaller than 10 pixels in one direction: nothing changes.
    drag(view, QPoint(100, 100), QPoint(300, 105), Qt::RightButton);
    EXPECT_DOUBLE_EQ(view.Projector().ScaleFactor(), 2e-6);
    EXPECT_FALSE(view.RubberBandActive());
    // Drawn up or to the left: the scale is halved.
    drag(view, QPoint(300, 300), QPoint(200, 200), Qt::RightButton);
    EXPECT_DOUBLE_EQ(view.Projector().ScaleFactor(), 1e-6);
    // Drawn down and right: the box fills the control, its centre at the control's centre.
    view.Projector().SetScaleFactor(2e-6);
    view.Projector().SetXOrigin(400);
    view.Projector().SetYOrigin(300);
    const auto centreBefore = view.Projector().ScreenToGeo(450, 325);
    ASSERT_TRUE(centreBefore.has_value());
    drag(view, QPoint(350, 275), QPoint(550, 375), Qt::RightButton);
    EXPECT_NEAR(view.Projector().ScaleFactor(), 8e-6, 1e-12);  // min(600/100, 800/200) = 4 x
    const auto centreAfter = view.Projector().ScreenToGeo(400, 300);
    ASSERT_TRUE(centreAfter.has_value());
    EXPECT_NEAR(centreAfter->Longitude, centreBefore->Longitude, 1.0 / 8e-6);
    EXPECT_NEAR(centreAfter->Latitude, centreBefore->Latitude, 1.0 / 8e-6);
}

TEST_F(ViewFixture, RotateDragTurnsTheGlobe) {
    view.SetMouseZoomButton(GeoMouseButton::mzbNone);
    const double y0 = view.Projector().YRotation();
    drag(view, QPoint(400, 300), QPoint(450, 300), Qt::LeftButton);
    EXPECT_LT(view.Projector().YRotation(), y0 - 1.0);  // dragging east turns the view west
}

TEST_F(ViewFixture, ButtonsSwitchedOffOnlyRaiseEvents) {
    view.SetMouseZoomButton(GeoMouseButton::mzbNone);
    view.SetMouseSelectButton(GeoMouseButton::mzbNone);
    view.SetMouseRotateButton(GeoMouseButton::mzbNone);
    int downs = 0;
    int ups = 0;
    int clicks = 0;
    view.OnMouseDown = [&downs](QMouseEvent&) { ++downs; };
    view.OnMouseUp = [&ups](QMouseEvent&) { ++ups; };
    view.OnClick = [&clicks]() { ++clicks; };
    drag(view, QPoint(300, 300), QPoint(500, 400), Qt::LeftButton);
    drag(view, QPoint(300, 300), QPoint(500, 400), Qt::RightButton);
    EXPECT_DOUBLE_EQ(view.Projector().ScaleFactor(), 2e-6);
    EXPECT_DOUBLE_EQ(view.Projector().YRotation(), 0.0);
    EXPECT_DOUBLE_EQ(view.Projector().XRotation(), 23.5);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups, 2);
    EXPECT_EQ(clicks, 1);  // only the left button clicks
}

TEST_F(ViewFixture, ClickIsALeftPressAndReleaseInside) {
    view.SetMouseZoomButton(GeoMouseButton::mzbNone);
    view.SetMouseSelectButton(GeoMouseButton::mzbNone);
    view.SetMouseRotateButton(GeoMouseButton::mzbNone);
    int clicks = 0;
    view.OnClick = [&clicks]() { ++clicks; };
    const QPoint at(200, 200);
    // Right and middle buttons do not click (the right one opens a menu in the main window).
    sendMouse(view, QEvent::MouseButtonPress, at, Qt::RightButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::RightButton);
    sendMouse(view, QEvent::MouseButtonPress, at, Qt::MiddleButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::MiddleButton);
    EXPECT_EQ(clicks, 0);
    // A double click is one click: its second press starts none.
    sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, at, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    // Released outside the control: no click.
    sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, QPoint(900, 200), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

void sendWheel(QWidget& w, int delta) {
    const QPointF pos(100, 100);
    QWheelEvent e(pos, w.mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

TEST_F(ViewFixture, WheelRaisesOneEventPerNotch) {
    int downs = 0;
    int ups = 0;
    view.OnMouseWheelDown = [&downs](QPoint, Qt::KeyboardModifiers, bool& handled) {
        ++downs;
        handled = true;
    };
    view.OnMouseWheelUp = [&ups](QPoint, Qt::KeyboardModifiers, bool& handled) {
        ++ups;
        handled = true;
    };
    sendWheel(view, -120);  // an ordinary wheel notch towards the user
    EXPECT_EQ(downs, 1);
    // A touchpad sends fractions: eight steps of 15 make one notch.
    for (int i = 0; i < 7; ++i) {
        sendWheel(view, 15);
    }
    EXPECT_EQ(ups, 0);
    sendWheel(view, 15);
    EXPECT_EQ(ups, 1);
    // Two notches at once raise two events; turning back drops the gathered fraction.
    sendWheel(view, -240);
    EXPECT_EQ(downs, 3);
    sendWheel(view, -60);
    sendWheel(view, 60);
    sendWheel(view, 60);
    EXPECT_EQ(downs, 3);
    EXPECT_EQ(ups, 2);
}

}  // namespace
}  // namespace zimbalo::globe
