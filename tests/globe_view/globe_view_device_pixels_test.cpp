// The control on a screen of 2 device pixels per pixel. These cases run in their own process
// with QT_SCALE_FACTOR=2 (ctest GlobeView.AtTwiceTheScreenScale) and skip themselves elsewhere.

#include <memory>

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include "globe/geo_layer.h"
#include "globe/view/globe_view.h"

namespace zimbalo::globe {
namespace {

void click(QWidget& w, QPoint pos) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    }
}

TEST(GlobeViewDevicePixels, PictureHasTheScreensPixelsAndTheMouseStaysLogical) {
    GlobeView view;
    view.resize(300, 200);
    view.show();
    if (view.devicePixelRatioF() != 2.0) {
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    }
    view.SetMouseRotateButton(GeoMouseButton::mzbNone);
    view.Projector().SetScaleFactor(4e-7);
    view.Projector().SetXOrigin(150);
    view.Projector().SetYOrigin(100);
    view.Projector().SetXRotation(0.0);
    view.Projector().SetYRotation(0.0);
    auto owned = std::make_unique<GeoLayer>(QStringLiteral("PoI Layer"));
    GeoLayer& layer = *owned;
    view.GlobeLayer().LayerStore().Add(std::move(owned));
    auto presenter = std::make_unique<GeoPointPresenter>();
    presenter->SetPresenterID(3);
    presenter->SetPointType(GeoPointType::ppCircle);
    presenter->SetPointSize(9);
    presenter->SetPointUnit(GeoUnitTypes::guPixel);
    layer.Presenters().Add(std::move(presenter));
    auto point = std::make_shared<GeoMapPoint>();
    point->SetPresenterID(3);
    point->SetLocation({DegToGU(25.0), DegToGU(15.0), 0});
    layer.ObjectSource().AddObject(point);

    const QImage shot = view.grab().toImage();
    const QImage& picture = view.Globe().Picture();
    EXPECT_EQ(view.Globe().DevicePixelRatio(), 2.0);
    ASSERT_EQ(picture.size(), QSize(600, 400));
    ASSERT_EQ(shot.size(), QSize(600, 400));
    // The picture reaches the screen pixel for pixel, not scaled up from 300 x 200.
    for (int y = 1; y < 400; y += 13) {
        for (int x = 1; x < 600; x += 11) {
            ASSERT_EQ(shot.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
        }
    }
    // The mouse speaks logical pixels: the object is clicked at its logical position.
    std::shared_ptr<GeoMapPoint> clicked;
    view.OnObjectClick = [&](std::shared_ptr<GeoMapPoint> object) { clicked = object; };
    QPoint at;
    ASSERT_TRUE(view.Projector().GeoToScreen(point->Location(), at));
    click(view, at);
    EXPECT_EQ(clicked, point);
    clicked.reset();
    click(view, at + QPoint(20, 20));
    EXPECT_EQ(clicked, nullptr);
    const auto centre = view.Projector().ScreenToGeo(150, 100);
    ASSERT_TRUE(centre.has_value());
    EXPECT_NEAR(GUToDeg(centre->Latitude), 0.0, 0.01);
}

}  // namespace
}  // namespace zimbalo::globe
