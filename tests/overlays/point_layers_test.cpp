#include "overlays/point_layers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// GCC 12 reports a false "may be used uninitialized" inside the fake's moved
// std::optional<QString>.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "dialogs/fake_user_dialogs.h"
#pragma GCC diagnostic pop
#include "globe/geo_globe.h"
#include "overlays/points_of_interest.h"

namespace zimbalo::overlays {
namespace {

using globe::GeoLayer;
using globe::GeoMapPoint;

const QString kCities = QString::fromLatin1(point_layers::kCitiesLayer);
const QString kMarker = QString::fromLatin1(point_layers::kMarkerLayer);
const QString kPoIs = QString::fromLatin1(point_layers::kPoIsLayer);

// A globe with its layers attached to an open layer store in a temporary folder, as the main
// window has it.
class PointLayers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        auto layers = std::make_unique<globe::GeoLayers>(&m_globe);
        m_layers = layers.get();
        m_globe.SetLayerPass(std::move(layers));
        m_layers->SetSpatialDatabase(&m_db);
        m_db.SetDataSourceName(m_dir.filePath(QStringLiteral("Temporary_TEST.tmp")));
        m_db.SetActive(true);
    }

    void TearDown() override { m_layers->SetSpatialDatabase(nullptr); }

    GeoLayer& root() { return m_layers->GlobeLayer(); }

    // What the central-line rebuild does to the store before the point layers are rebuilt.
    void newEvent() { m_db.Clear(); }

    std::vector<std::shared_ptr<GeoMapPoint>> objects(const QString& name) {
        std::vector<std::shared_ptr<GeoMapPoint>> out;
        GeoLayer* layer = root().LayerStore().LayerByName(name);
        if (layer == nullptr) {
            return out;
        }
        globe::GeoObjectSource& source = layer->ObjectSource();
        for (int h = source.FirstHandle(); h != 0; h = source.NextHandle(h)) {
            out.push_back(source.ObjectByHandle(h));
        }
        return out;
    }

    QTemporaryDir m_dir;
    globe::GeoGlobe m_globe{200, 200};
    globe::GeoLayers* m_layers = nullptr;
    globe::GeoSpatialDatabase m_db;
    dialogs::FakeUserDialogs m_dialogs;
};

TEST_F(PointLayers, CapitalsStay193AfterEventChangesAndRepeatedChecks) {
    CitiesLayer(root(), &m_db);
    EXPECT_EQ(PointLayerCount(root(), kCities), 193);
    for (int i = 0; i < 3; ++i) {
        newEvent();
        CitiesLayer(root(), &m_db);
        EXPECT_EQ(PointLayerCount(root(), kCities), 193);
    }
    // Checking the box again without an event change (or the store not emptied) adds nothing.
    CitiesLayer(root(), &m_db);
    CitiesLayer(root(), &m_db);
    EXPECT_EQ(PointLayerCount(root(), kCities), 193);
    // One layer of that name, kept in the layer store.
    GeoLayer* layer = root().LayerStore().LayerByName(QStringLiteral("cities layer"));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(m_db.ObjectCount(layer->GUID()), 193);
    int named = 0;
    for (int i = 0; i < root().LayerStore().Count(); ++i) {
        named += root().LayerStore().GetLayer(i)->Name() == kCities ? 1 : 0;
    }
    EXPECT_EQ(named, 1);
}

TEST_F(PointLayers, CapitalPointsCarryTitleLocationAndPresenter) {
    CitiesLayer(root(), &m_db);
    const auto points = objects(kCities);
    ASSERT_EQ(points.size(), 193u);
    const std::shared_ptr<GeoMapPoint>& kabul = points.front();
    EXPECT_EQ(kabul->ObjectData(0), QStringLiteral("Kabul"));
    EXPECT_EQ(kabul->PresenterID(), 2);
    // 69.1368 and 34.5309 degrees (kept as floats: within 20 GU, a hundredth of a second of arc).
    EXPECT_NEAR(kabul->Location().Longitude, 69.1368 * 5400000, 20);
    EXPECT_NEAR(kabul->Location().Latitude, 34.5309 * 5400000, 20);
    EXPECT_EQ(kabul->Location().Height, 0);
    // Suva west, Apia and Nuku'alofa east of the date line.
    for (const auto& p : points) {
        const QString title = p->ObjectData(0);
        if (title == QStringLiteral("Suva")) {
            EXPECT_GT(p->Location().Longitude, 178 * globe::gu::Degree);
        } else if (title == QStringLiteral("Apia") || title == QStringLiteral("Nukualofa")) {
            EXPECT_LT(p->Location().Longitude, -171 * globe::gu::Degree);
        }
    }
    GeoLayer* layer = root().LayerStore().LayerByName(kCities);
    auto* presenter = dynamic_cast<globe::GeoPointPresenter*>(layer->PresenterByID(2));
    ASSERT_NE(presenter, nullptr);
    EXPECT_EQ(presenter->PointSize(), 4);
    EXPECT_EQ(presenter->PointUnit(), globe::GeoUnitTypes::guPixel);
    EXPECT_EQ(presenter->PointPen().Color(), globe::clWhite);
    EXPECT_EQ(presenter->PointBrush().Color(), globe::clBlack);
    EXPECT_EQ(presenter->TitleFont().Color(), globe::clWhite);
    EXPECT_EQ(presenter->TitleFont().Size(), 60.0);
    EXPECT_EQ(presenter->TitleFont().SizeUnit(), globe::GeoUnitTypes::guMinute);
    EXPECT_FALSE(presenter->TitleFont().Style().has(globe::GeoFontStyle::gfsHalo));
    EXPECT_EQ(presenter->TitleAlignment(), globe::GeoTitleAlignment::taTop);
}

TEST_F(PointLayers, MarkerIsOnePoint) {
    MarkerLayer(root(), &m_db, 47.5, 7.53);
    ClearPointLayer(root(), kMarker);  // unchecking the box
    EXPECT_EQ(PointLayerCount(root(), kMarker), 0);
    MarkerLayer(root(), &m_db, 47.5, 7.53);
    MarkerLayer(root(), &m_db, 0.0, -180.0);  // a second check without unchecking
    const auto points = objects(kMarker);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0]->ObjectData(0), QStringLiteral("PoI"));
    EXPECT_EQ(points[0]->PresenterID(), 3);
    EXPECT_EQ(points[0]->Location().Latitude, 0);
    EXPECT_EQ(points[0]->Location().Longitude, 972000000);  // -180 is kept as +180
    auto* presenter = dynamic_cast<globe::GeoPointPresenter*>(
        root().LayerStore().LayerByName(kMarker)->PresenterByID(3));
    ASSERT_NE(presenter, nullptr);
    EXPECT_EQ(presenter->PointSize(), 9);
    EXPECT_EQ(presenter->PointBrush().Color(), globe::clRed);
    EXPECT_EQ(presenter->TitleFont().Color(), globe::clRed);
    EXPECT_EQ(presenter->TitleFont().Size(), 100.0);
    EXPECT_TRUE(presenter->TitleFont().Style().has(globe::GeoFontStyle::gfsHalo));
}

TEST_F(PointLayers, PickedPointsInListOrder) {
    bool rebuild = false;
    const QStringList picked{
        QStringLiteral("+2021 06 30 47.50 N 007.30 E Basel"),
        QStringLiteral("+2021 06 30 47.50 N 007.30 E "),  // 29 characters: skipped
        QStringLiteral("+2022 01 02 47    S 122    W Somewhere, far (note)"),
    };
    EXPECT_EQ(PoIsLayer(root(), &m_db, picked, m_dialogs, Language::German, rebuild), 2);
    EXPECT_FALSE(rebuild);
    EXPECT_EQ(m_dialogs.shownCount(), 0);
    const auto points = objects(kPoIs);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0]->ObjectData(0), QStringLiteral(" Basel"));
    EXPECT_EQ(points[1]->ObjectData(0), QStringLiteral("Somewhere, far"));  // comma survives
    EXPECT_EQ(points[1]->PresenterID(), 4);
    EXPECT_EQ(points[1]->Location().Latitude, -47 * globe::gu::Degree);
    EXPECT_EQ(points[1]->Location().Longitude, -122 * globe::gu::Degree);
    // Taking over an empty selection empties the layer.
    EXPECT_EQ(PoIsLayer(root(), &m_db, {}, m_dialogs, Language::German, rebuild), 0);
    EXPECT_EQ(PointLayerCount(root(), kPoIs), 0);
}

TEST_F(PointLayers, FormatLineGivesTwoMessagesAndSetsTheRebuildFlag) {
    bool rebuild = false;
    const QString format = DefaultPoILines().at(0);
    EXPECT_EQ(PoIsLayer(root(), &m_db, {format}, m_dialogs, Language::German, rebuild), 1);
    EXPECT_TRUE(rebuild);
    ASSERT_EQ(m_dialogs.informed.size(), 2);
    EXPECT_EQ(m_dialogs.informed[0], QStringLiteral("Fehler in der Koordinatenangabe: ") + format);
    EXPECT_EQ(m_dialogs.informed[1], m_dialogs.informed[0]);
    EXPECT_EQ(PointLayerCount(root(), kPoIs), 1);  // the point is still placed
    m_dialogs.informed.clear();
    PoIsLayer(root(), &m_db, {format}, m_dialogs, Language::English, rebuild);
    EXPECT_EQ(m_dialogs.informed.value(0), QStringLiteral("Error in coordinate point: ") + format);
}

TEST_F(PointLayers, CapitalsLieUnderTheRedPoints) {
    bool rebuild = false;
    PoIsLayer(root(), &m_db, {}, m_dialogs, Language::German, rebuild);
    MarkerLayer(root(), &m_db, 0.0, 0.0);
    CitiesLayer(root(), &m_db);  // the box checked last
    globe::GeoLayerStore& store = root().LayerStore();
    ASSERT_EQ(store.Count(), 3);
    EXPECT_EQ(store.GetLayer(0)->Name(), kCities);
    // Store order is drawing order: the rebuild order of a new event keeps it.
    newEvent();
    CitiesLayer(root(), &m_db);
    MarkerLayer(root(), &m_db, 0.0, 0.0);
    PoIsLayer(root(), &m_db, {}, m_dialogs, Language::German, rebuild);
    EXPECT_EQ(store.GetLayer(0)->Name(), kCities);
    EXPECT_EQ(store.GetLayer(2)->Name(), kPoIs);
}

TEST_F(PointLayers, WithoutUsableStoreTheLayersLiveInMemory) {
    m_db.SetActive(false);
    CitiesLayer(root(), &m_db);
    CitiesLayer(root(), nullptr);
    EXPECT_EQ(PointLayerCount(root(), kCities), 193);
    EXPECT_EQ(root().LayerStore().Count(), 1);
}

TEST_F(PointLayers, MarkerIsDrawnInRedWithItsTitle) {
    m_globe.SetSurfaceColor(0x404040);
    m_globe.Graticule().SetDrawMode(globe::GeoGraticuleDraw::gdNone);
    m_globe.Renderer().SetMinTextHeight(8);
    globe::GeoProjector& p = m_globe.Projector();
    // Titles of 100 minutes of arc are 18 pixels high at this scale (the renderer drops those
    // under 8 pixels).
    p.SetScaleFactor(2.0e-6);
    p.SetXOrigin(100);
    p.SetYOrigin(100);
    p.SetCenterLatitude(0);
    p.SetCenterLongitude(0);
    MarkerLayer(root(), &m_db, 0.0, 0.0);
    m_globe.Render();
    const QImage& img = m_globe.Picture();
    int x = 0, y = 0;
    ASSERT_TRUE(p.GeoToScreen(0, 0, x, y));
    EXPECT_EQ(img.pixel(x, y) & 0xFFFFFF, 0xFF0000u);  // red fill
    // The title sits above the point: red pixels there.
    int redAbove = 0;
    for (int yy = 0; yy < y - 5; ++yy) {
        for (int xx = x - 20; xx <= x + 20; ++xx) {
            const QRgb c = img.pixel(xx, yy);
            redAbove += (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60) ? 1 : 0;
        }
    }
    EXPECT_GT(redAbove, 10);
}

}  // namespace
}  // namespace zimbalo::overlays
