#include "overlays/limits_layer.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/path_limits.h"
#include "astro/shadow_geometry.h"
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

// Event 626: Venus, central, with all four limits on the Earth; event 1434: a partial
// occultation of Jupiter with one limit of each shadow.
constexpr int kCentral = 626;
constexpr int kPartial = 1434;

TEST(LimitsCaption, ThreeLanguages) {
    EXPECT_EQ(LimitsCaption(Language::German), QStringLiteral("Bedeckungsgrenzen"));
    EXPECT_EQ(LimitsCaption(Language::English), QStringLiteral("Path limits"));
    EXPECT_EQ(LimitsCaption(Language::French), QStringLiteral("Limites de la zone"));
}

TEST(LimitLines, OneLinePerChainInGlobeUnits) {
    const astro::PathLimitSet set = astro::PathLimits(Event(kCentral), 0.0);
    const std::vector<LimitLine> lines = LimitLines(Event(kCentral), 0.0);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].presenterID, kPenumbraLimitPresenterID);
    EXPECT_EQ(lines[1].presenterID, kPenumbraLimitPresenterID);
    EXPECT_EQ(lines[2].presenterID, kUmbraLimitPresenterID);
    EXPECT_EQ(lines[3].presenterID, kUmbraLimitPresenterID);
    const astro::PathChain& north = set.Chains(astro::PathCurve::PenumbraNorth).front();
    ASSERT_EQ(lines[0].points.size(), north.size());
    EXPECT_EQ(lines[0].points[5].Latitude, globe::DegToGU(north[5].latitude));
    EXPECT_EQ(lines[0].points[5].Longitude, globe::DegToGU(north[5].longitude));
}

class LimitsLayerTest : public LayerStoreTest {
protected:
    LimitsLayerTest() : LayerStoreTest(QStringLiteral("Temporary_LIMITSTT.tmp")) {}

    globe::GeoLayer* Layer(const QString& name) { return LayerNamed(name); }

    // Rebuilds as the main window does: the central line first (it empties the store), then
    // the limits.
    void Rebuild(int event, bool visible = true) {
        CenterLineLayer(m_layers, m_database, m_center, Event(event), 0.0, false);
        LimitsLayer(m_layers, m_database, m_limits, Event(event), 0.0, visible, false);
    }

    // Pixels of a colour in a picture looking along the shadow axis at the event's middle.
    int PixelsOf(int event, QRgb colour) { return PixelsAlongTheAxis(Event(event), colour); }

    CenterLineState m_center;
    LimitsLayerState m_limits;
};

TEST_F(LimitsLayerTest, RebuiltWithTheCentralLineForEachEvent) {
    Rebuild(kCentral);
    ASSERT_NE(Layer(kLimitsLayerName), nullptr);
    ASSERT_NE(Layer(kCenterLineLayerName), nullptr);
    EXPECT_EQ(Layer(kLimitsLayerName)->ObjectSource().ObjectCount(), 4);
    EXPECT_EQ(m_limits.lines.size(), 4u);
    for (int id : {kPenumbraLimitPresenterID, kUmbraLimitPresenterID}) {
        auto* road =
            dynamic_cast<globe::GeoRoadPresenter*>(Layer(kLimitsLayerName)->PresenterByID(id));
        ASSERT_NE(road, nullptr);
        EXPECT_EQ(road->RoadPen().Width(), 1.0);  // thinner than the central line's 2
        EXPECT_EQ(road->EdgePixels(), 0);
        EXPECT_EQ(road->RoadPen().Color(),
                  id == kPenumbraLimitPresenterID ? kPenumbraLimitColor : kUmbraLimitColor);
    }

    Rebuild(kPartial);
    ASSERT_NE(Layer(kLimitsLayerName), nullptr);
    EXPECT_EQ(Layer(kLimitsLayerName)->ObjectSource().ObjectCount(), 2);
    Rebuild(kCentral);
    EXPECT_EQ(Layer(kLimitsLayerName)->ObjectSource().ObjectCount(), 4);
    EXPECT_EQ(m_database.LayerCount(), 2);  // the central line's and the limits'
}

TEST_F(LimitsLayerTest, DrawnBesideTheCentralLineAndHiddenOnRequest) {
    Rebuild(kCentral);
    const QRgb penumbra = qRgb(0xFF, 0xFF, 0x00);  // yellow, as the central line
    const QRgb umbra = qRgb(0xC0, 0x90, 0x00);
    const int withLimitsYellow = PixelsOf(kCentral, penumbra);
    const int withLimitsUmbra = PixelsOf(kCentral, umbra);
    EXPECT_GT(withLimitsUmbra, 200);

    ShowLimitsLayer(m_layers, false);
    EXPECT_FALSE(Layer(kLimitsLayerName)->Visible());
    EXPECT_EQ(PixelsOf(kCentral, umbra), 0);
    const int centralOnly = PixelsOf(kCentral, penumbra);
    EXPECT_GT(centralOnly, 200);
    EXPECT_GT(withLimitsYellow, centralOnly + 200);  // two more yellow lines

    // A rebuild keeps the box's choice.
    LimitsLayer(m_layers, m_database, m_limits, Event(kCentral), 0.0, false, false);
    EXPECT_FALSE(Layer(kLimitsLayerName)->Visible());
    ShowLimitsLayer(m_layers, true);
    EXPECT_EQ(PixelsOf(kCentral, umbra), withLimitsUmbra);
    m_globe.Picture().save(QStringLiteral("/tmp/h17_limits_layer.png"));
}

TEST_F(LimitsLayerTest, NothingWhileClosing) {
    LimitsLayer(m_layers, m_database, m_limits, Event(kCentral), 0.0, true, true);
    EXPECT_EQ(Layer(kLimitsLayerName), nullptr);
    EXPECT_TRUE(m_limits.lines.empty());
}

}  // namespace
}  // namespace zimbalo::overlays
