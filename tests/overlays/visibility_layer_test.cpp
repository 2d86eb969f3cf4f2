#include "overlays/visibility_layer.h"

#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/time_scales.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_presenter.h"
#include "globe/geo_spatial_database.h"
#include "layer_store_fixture.h"
#include "overlays/center_line.h"

namespace zimbalo::overlays {
namespace {

const astro::BesselRecord& Event(int k) {
    static const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    return table[k];
}

// Event 626: Venus, central, 2024-04-07 around 16 h UT.
constexpr int kCentral = 626;

// One line per curve with its kind's presenter, and one "hh:mm" label per contour time and
// contact at a point of that contour.
TEST(VisibilityDrawing, LinesAndLabelsOfTheCurves) {
    const astro::BesselRecord& r = Event(kCentral);
    const double deltaT = astro::DeltaT(r.Year, r.Month);
    const astro::VisibilityCurveSet curves = astro::VisibilityCurves(r, deltaT);
    const VisibilityDrawing drawing = VisibilityDrawingOf(r, curves);
    ASSERT_EQ(drawing.lines.size(), curves.curves.size());
    int dLabels = 0;
    int rLabels = 0;
    static const QRegularExpression hhmm("^([01]\\d|2[0-3]):[0-5]0$");
    for (const VisibilityLabel& l : drawing.labels) {
        EXPECT_TRUE(hhmm.match(l.text).hasMatch()) << l.text.toStdString();
        (l.presenterID == visibility::kDLabel ? dLabels : rLabels) += 1;
    }
    EXPECT_GT(dLabels, 5);
    EXPECT_GT(rLabels, 5);
    // Greatest occultation 16:18 UT: the labels lie around it.
    bool around = false;
    for (const VisibilityLabel& l : drawing.labels) {
        around = around || l.text == QStringLiteral("16:20");
    }
    EXPECT_TRUE(around);
}

class VisibilityLayerTest : public LayerStoreTest {
protected:
    VisibilityLayerTest() : LayerStoreTest(QStringLiteral("Temporary_VISIBLTT.tmp")) {}

    void Rebuild(bool visible) {
        CenterLineLayer(m_layers, m_database, m_center, Event(kCentral), 0.0, false);
        VisibilityLayer(m_layers, m_database, m_state, Event(kCentral), 0.0, visible, false);
    }

    int PixelsOf(QRgb colour) { return PixelsAlongTheAxis(Event(kCentral), colour); }

    CenterLineState m_center;
    VisibilityLayerState m_state;
};

// Drawn in D's and R's colours, with dotted bright-sky contours; a hidden layer is computed only
// when it is shown.
TEST_F(VisibilityLayerTest, DrawnWhenShownAndComputedOnlyThen) {
    const QRgb d = qRgb(0x00, 0x99, 0xFF);
    const QRgb r = qRgb(0xFF, 0x66, 0x00);
    Rebuild(false);
    globe::GeoLayer* layer = LayerNamed(kVisibilityLayerName);
    ASSERT_NE(layer, nullptr);
    EXPECT_FALSE(m_state.built);
    EXPECT_EQ(layer->ObjectSource().ObjectCount(), 0);
    EXPECT_EQ(PixelsOf(d), 0);

    ShowVisibilityLayer(m_layers, m_database, m_state, Event(kCentral), 0.0, true);
    layer = LayerNamed(kVisibilityLayerName);
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(m_state.built);
    EXPECT_TRUE(layer->Visible());
    EXPECT_GT(layer->ObjectSource().ObjectCount(), 20);
    EXPECT_GT(PixelsOf(d), 100);
    EXPECT_GT(PixelsOf(r), 100);
    auto* bright =
        dynamic_cast<globe::GeoRoadPresenter*>(layer->PresenterByID(visibility::kDBright));
    ASSERT_NE(bright, nullptr);
    EXPECT_EQ(bright->RoadPen().Style(), globe::GeoPenStyle::gpsDot);
    m_globe.Picture().save(QStringLiteral("/tmp/w25_visibility_layer.png"));

    ShowVisibilityLayer(m_layers, m_database, m_state, Event(kCentral), 0.0, false);
    EXPECT_EQ(PixelsOf(d), 0);
    EXPECT_EQ(m_database.LayerCount(), 2);  // the central line's and this one
}

}  // namespace
}  // namespace zimbalo::overlays
