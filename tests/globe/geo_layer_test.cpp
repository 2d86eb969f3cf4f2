#include "globe/geo_layer.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "globe/geo_exception.h"
#include "globe/geo_globe.h"
#include "globe/geo_spatial_database.h"

namespace zimbalo::globe {
namespace {

constexpr std::int32_t kDeg = gu::Degree;
constexpr GeoColor kSurface = 0x404040;
constexpr QRgb kSurfaceRgb = 0xFF404040;

// A 200 x 200 picture looking at (0, 0) from straight above, the disc dark grey, no graticule.
class LayerPicture : public ::testing::Test {
protected:
    void SetUp() override {
        auto layers = std::make_unique<GeoLayers>(&m_globe);
        m_layers = layers.get();
        m_globe.SetLayerPass(std::move(layers));
        m_globe.SetSurfaceColor(kSurface);
        m_globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
        m_globe.SetMinObjectPixels(1.0);
        m_globe.Renderer().SetMinTextHeight(8);
        m_globe.Renderer().SetMaxTextHeight(40);
        setScale(2.9e-7);
    }

    void setScale(double scale) {
        GeoProjector& p = m_globe.Projector();
        p.SetXRotation(0);
        p.SetYRotation(0);
        p.SetScaleFactor(scale);
        p.SetXOrigin(100);
        p.SetYOrigin(100);
    }

    GeoLayer& addLayer(const QString& name) {
        auto layer = std::make_unique<GeoLayer>(name);
        GeoLayer& ref = *layer;
        m_layers->GlobeLayer().LayerStore().Add(std::move(layer));
        return ref;
    }

    static std::shared_ptr<GeoMapPoint> addPoint(GeoLayer& layer, int presenterID,
                                                 const QString& title, GeoPoint at) {
        auto point = std::make_shared<GeoMapPoint>();
        point->SetPresenterID(presenterID);
        point->SetObjectData(0, title);
        point->SetLocation(at);
        layer.ObjectSource().AddObject(point);
        return point;
    }

    static GeoPointPresenter& addCityPresenter(GeoLayer& layer, int id) {
        auto p = std::make_unique<GeoPointPresenter>();
        p->SetPresenterID(id);
        p->SetPointType(GeoPointType::ppCircle);
        p->SetPointSize(4);
        p->SetPointUnit(GeoUnitTypes::guPixel);
        p->PointPen().SetColor(clWhite);
        p->PointBrush().SetColor(clBlack);
        p->TitleFont().SetColor(clWhite);
        p->TitleFont().SetSize(60);
        p->TitleFont().SetSizeUnit(GeoUnitTypes::guMinute);
        p->SetTitleAlignment(GeoTitleAlignment::taTop);
        GeoPointPresenter& ref = *p;
        layer.Presenters().Add(std::move(p));
        return ref;
    }

    const QImage& render() {
        m_globe.Render();
        return m_globe.Picture();
    }

    // Pixels differing from the disc colour inside the rectangle.
    int changedPixels(const QRect& r) {
        const QImage& img = m_globe.Picture();
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                n += img.pixel(x, y) != kSurfaceRgb ? 1 : 0;
            }
        }
        return n;
    }

    GeoGlobe m_globe{200, 200};
    GeoLayers* m_layers = nullptr;
};

// ---- Layer tree ------------------------------------------------------------------------------

TEST(LayerStore, LayerByNameIgnoresCaseButNotChildStores) {
    GeoLayers layers;
    GeoLayerStore& root = layers.GlobeLayer().LayerStore();
    root.Add(std::make_unique<GeoLayer>(QStringLiteral("Cities Layer")));
    auto parent = std::make_unique<GeoLayer>(QStringLiteral("Parent"));
    parent->LayerStore().Add(std::make_unique<GeoLayer>(QStringLiteral("PoI Layer")));
    root.Add(std::move(parent));

    EXPECT_EQ(root.LayerByName(QStringLiteral("cities layer")), root.GetLayer(0));
    EXPECT_EQ(root.LayerByName(QStringLiteral("PoI Layer")), nullptr);
    EXPECT_EQ(root.LayerByName(QStringLiteral("Nothing")), nullptr);

    // LayerByID does search depth first.
    GeoLayer* poi = root.GetLayer(1)->LayerStore().GetLayer(0);
    EXPECT_EQ(root.LayerByID(poi->GUID()), poi);
    EXPECT_EQ(poi->Parent(), root.GetLayer(1));
    EXPECT_EQ(root.LayerByID(QUuid::createUuid()), nullptr);
}

TEST(LayerStore, ErrorsAndMoves) {
    GeoLayers layers;
    GeoLayerStore& root = layers.GlobeLayer().LayerStore();
    try {
        root.GetLayer(3);
        FAIL() << "no exception";
    } catch (const GeoException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("GlobeView.GetLayer: Bad layer index 3"));
    }
    try {
        root.Add(std::unique_ptr<GeoLayer>());
        FAIL() << "no exception";
    } catch (const GeoException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("GeoLayerStore.Add passed nil layer"));
    }
    root.Add(std::make_unique<GeoLayer>(QStringLiteral("A")));
    root.Add(std::make_unique<GeoLayer>(QStringLiteral("B")));
    GeoLayer* a = root.GetLayer(0);
    GeoLayer* b = root.GetLayer(1);
    EXPECT_EQ(root.Add(a), 0);             // already here: keeps its place
    EXPECT_EQ(b->LayerStore().Add(a), 0);  // moved into B's store
    EXPECT_EQ(root.Count(), 1);
    EXPECT_EQ(a->Parent(), b);
    EXPECT_THROW(a->LayerStore().Add(b), GeoException);  // B cannot go inside its own child
    EXPECT_EQ(b->Index(), 0);
}

TEST(Layer, ClearKeepsTheLayerUnderItsName) {
    GeoLayers layers;
    auto owned = std::make_unique<GeoLayer>(QStringLiteral("Cities Layer"));
    GeoLayer& layer = *owned;
    layers.GlobeLayer().LayerStore().Add(std::move(owned));
    layer.Presenters().Add(std::make_unique<GeoPointPresenter>());
    layer.ObjectSource().Presenters().Add(std::make_unique<GeoPolyPresenter>());
    layer.ObjectSource().AddObject(std::make_shared<GeoMapPoint>());
    layer.LayerStore().Add(std::make_unique<GeoLayer>(QStringLiteral("child")));
    layer.SetVisible(false);
    layer.SetShowTitles(false);
    layer.SetZoomMax(10);

    layer.Clear();
    EXPECT_EQ(layers.GlobeLayer().LayerStore().LayerByName(QStringLiteral("Cities Layer")), &layer);
    EXPECT_EQ(layer.ObjectSource().ObjectCount(), 0);
    EXPECT_EQ(layer.Presenters().Count(), 0);
    EXPECT_EQ(layer.ObjectSource().Presenters().Count(), 0);
    EXPECT_EQ(layer.LayerStore().Count(), 0);
    EXPECT_TRUE(layer.Visible());
    EXPECT_TRUE(layer.ShowTitles());
    EXPECT_EQ(layer.ZoomMax(), 0u);
}

TEST(Layer, PresenterLookUpOrderAndAlpha) {
    GeoLayers layers;
    GeoLayer& root = layers.GlobeLayer();
    auto owned = std::make_unique<GeoLayer>();
    GeoLayer& layer = *owned;
    root.LayerStore().Add(std::move(owned));
    EXPECT_NE(layer.PresenterByID(-1), nullptr);  // the root's default point presenter
    EXPECT_EQ(layer.PresenterByID(0), nullptr);

    auto fromSource = std::make_unique<GeoPolylinePresenter>();
    fromSource->SetPresenterID(5);
    GeoPresenter* sourceOne = fromSource.get();
    layer.ObjectSource().Presenters().Add(std::move(fromSource));
    EXPECT_EQ(layer.PresenterByID(5), sourceOne);
    auto own = std::make_unique<GeoPolygonPresenter>();
    own->SetPresenterID(5);
    GeoPresenter* ownOne = own.get();
    layer.Presenters().Add(std::move(own));
    EXPECT_EQ(layer.PresenterByID(5), ownOne);  // the layer's own store comes first
    EXPECT_EQ(ownOne->Name(), QStringLiteral("Polygon Presenter"));
    EXPECT_EQ(GeoRoadPresenter().Name(), QStringLiteral("GeoRoadPresenter"));

    root.SetAlphaBlend(128);
    EXPECT_EQ(layer.EffectiveAlpha(), 128);  // own 255: the parent's
    layer.SetAlphaBlend(128);
    EXPECT_EQ(layer.EffectiveAlpha(), 64);
}

TEST(Layer, ZoomUnitsConvertTheLimits) {
    GeoLayer layer;
    layer.SetZoomMin(2);
    layer.SetZoomMax(10);
    layer.SetZoomUnits(GeoUnitTypes::guMeter);
    EXPECT_EQ(layer.ZoomMin(), 2000u);
    EXPECT_EQ(layer.ZoomMax(), 10000u);
}

TEST(PresenterStore, EqualIDsAreReplacedAndZeroGetsTheNextFree) {
    GeoPresenterStore store;
    EXPECT_EQ(store.Add(std::make_unique<GeoPointPresenter>()), 1);  // empty store: 1
    store.Clear();
    for (int id : {-1, 3, 7}) {
        auto p = std::make_unique<GeoPointPresenter>();
        p->SetPresenterID(id);
        store.Add(std::move(p));
    }
    EXPECT_EQ(store.Add(std::make_unique<GeoPolyPresenter>()), 8);

    auto replacement = std::make_unique<GeoRoadPresenter>();
    replacement->SetPresenterID(3);
    GeoPresenter* newOne = replacement.get();
    EXPECT_EQ(store.Add(std::move(replacement)), 3);
    EXPECT_EQ(store.Count(), 4);
    EXPECT_EQ(store.ByID(3), newOne);
}

TEST(PresenterStore, ChangesOfHeldPresentersReachTheOwner) {
    GeoPresenterStore store;
    int changes = 0;
    store.OnChange = [&changes]() { ++changes; };
    auto made = std::make_unique<GeoPointPresenter>();
    GeoPresenter& held = *made;
    store.Add(std::move(made));
    EXPECT_EQ(held.PresenterID(), 1);
    EXPECT_EQ(changes, 1);

    held.SetHidden(true);
    held.SetHidden(true);  // no change, no call
    EXPECT_EQ(changes, 2);
    held.TitleFont().SetSize(held.TitleFont().Size() + 3);  // an attribute of the presenter
    EXPECT_EQ(changes, 3);

    // A clone belongs to no store: its changes reach nobody.
    std::unique_ptr<GeoPresenter> clone = held.Clone();
    clone->SetHidden(false);
    clone->TitleFont().SetSize(1);
    EXPECT_EQ(changes, 3);
}

TEST(ObjectSource, MovedObjectKeepsItsPresenter) {
    GeoLayers layers;
    auto from = std::make_unique<GeoLayer>(QStringLiteral("from"));
    auto presenter = std::make_unique<GeoRoadPresenter>();
    presenter->SetPresenterID(4);
    presenter->SetEdgePixels(3);
    from->Presenters().Add(std::move(presenter));
    GeoLayer& fromRef = *from;
    layers.GlobeLayer().LayerStore().Add(std::move(from));
    auto object = std::make_shared<GeoMapPoly>();
    object->SetPresenterID(4);
    fromRef.ObjectSource().AddObject(object);

    auto target = std::make_shared<GeoMemoryObjectSource>();
    target->AddObject(object);
    auto* copied = dynamic_cast<GeoRoadPresenter*>(target->Presenters().ByID(4));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->EdgePixels(), 3);
    EXPECT_EQ(object->ObjectSource(), target);
}

// ---- Rendering -------------------------------------------------------------------------------

TEST_F(LayerPicture, CircleOfFourPixelsAndNothingForSizeOne) {
    GeoLayer& layer = addLayer(QStringLiteral("Cities Layer"));
    GeoPointPresenter& p = addCityPresenter(layer, 2);
    addPoint(layer, 2, QString(), {0, 0, 0});
    const QImage& img = render();
    EXPECT_GT(changedPixels(QRect(98, 98, 5, 5)), 4);
    EXPECT_EQ(changedPixels(QRect(90, 90, 21, 21)), changedPixels(QRect(98, 98, 5, 5)));
    EXPECT_EQ(img.pixel(100, 98), 0xFFFFFFFFu);  // the white pen on the top edge

    p.SetPointSize(1);
    render();
    EXPECT_EQ(changedPixels(QRect(90, 90, 21, 21)), 0);
}

TEST_F(LayerPicture, PointBehindTheGlobeIsNeitherDrawnNorTitled) {
    GeoLayer& layer = addLayer(QStringLiteral("Cities Layer"));
    addCityPresenter(layer, 2);
    addPoint(layer, 2, QStringLiteral("Far side"), {179 * kDeg, 0, 0});
    render();
    EXPECT_EQ(changedPixels(QRect(40, 40, 120, 120)), 0);  // the disc only
    EXPECT_TRUE(m_globe.Labels().Labels().empty());
}

TEST_F(LayerPicture, TitlesBelowTheMinimumTextHeightAreDropped) {
    GeoLayer& layer = addLayer(QStringLiteral("Cities Layer"));
    addCityPresenter(layer, 2);
    addPoint(layer, 2, QStringLiteral("Berlin"), {0, 0, 0});
    setScale(2.7e-6);  // 60 arcminutes = round(60 x 90000 x 2.7e-6) = 15 pixels
    render();
    ASSERT_EQ(m_globe.Labels().Labels().size(), 1u);
    const GeoLabel& label = m_globe.Labels().Labels().front();
    EXPECT_EQ(label.Text, QStringLiteral("Berlin"));
    EXPECT_EQ(label.Rect.bottom() + 1, 100);  // taTop: the text sits above the point
    EXPECT_GT(changedPixels(label.Rect), 10);

    setScale(1.1e-6);  // 6 pixels: below the minimum of 8
    render();
    EXPECT_TRUE(m_globe.Labels().Labels().empty());
}

TEST_F(LayerPicture, TitlesFarOutsideThePictureAreNotCollected) {
    GeoLayer& layer = addLayer(QStringLiteral("Cities Layer"));
    addCityPresenter(layer, 2);
    setScale(2.7e-6);  // the sphere is 836 pixels in radius: most of the front is off the picture
    addPoint(layer, 2, QStringLiteral("Far"), {30 * kDeg, 0, 0});      // ~418 px right
    addPoint(layer, 2, QStringLiteral("Edge"), {DegToGU(7.5), 0, 0});  // ~109 px right
    addPoint(layer, 2, QStringLiteral("Inside"), {DegToGU(3.0), kDeg, 0});
    render();
    std::vector<QString> texts;
    for (const GeoLabel& label : m_globe.Labels().Labels()) {
        texts.push_back(label.Text);
    }
    // "Edge" lies just beyond the right border, but its centred title reaches into the picture.
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("Edge"), QStringLiteral("Inside")}));
    EXPECT_GT(changedPixels(QRect(190, 80, 10, 20)), 0);
}

TEST_F(LayerPicture, RoadIsDrawnEdgeFirstAndRoadOnTop) {
    GeoLayer& layer = addLayer(QStringLiteral("CenterLine Layer"));
    auto road = std::make_unique<GeoRoadPresenter>();
    road->SetPresenterID(1);
    road->RoadPen().SetColor(clYellow);
    road->RoadPen().SetWidth(2);
    road->RoadPen().SetWidthUnit(GeoUnitTypes::guPixel);
    road->SetEdgeColor(clRed);
    road->SetEdgePixels(2);
    GeoRoadPresenter& roadRef = *road;
    layer.Presenters().Add(std::move(road));
    auto line = std::make_shared<GeoMapPoly>();
    line->SetPresenterID(1);
    for (int lon = -20; lon <= 20; lon += 5) {
        line->Chains().Chain(0).Add({lon * kDeg, 0, 0});
    }
    layer.ObjectSource().AddObject(line);
    std::vector<int> passes;
    m_layers->OnAfterLayerRender = [&](GeoLayer& l) {
        if (&l == &layer) {
            passes.push_back(l.PassNumber());
        }
    };

    const QImage& img = render();
    EXPECT_EQ(img.pixel(100, 100), 0xFFFFFF00u);  // yellow road on top
    EXPECT_EQ(img.pixel(100, 98), 0xFFFF0000u);   // red casing beside it
    EXPECT_EQ(img.pixel(100, 102), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(100, 96), kSurfaceRgb);  // casing 2 + road 2 + casing 2 pixels wide
    EXPECT_EQ(img.pixel(100, 103), kSurfaceRgb);
    EXPECT_EQ(passes.back(), 1);

    roadRef.SetEdgePixels(0);  // the program's central line: one pass, yellow only
    render();
    EXPECT_EQ(img.pixel(100, 100), 0xFFFFFF00u);
    EXPECT_EQ(img.pixel(100, 97), kSurfaceRgb);
    EXPECT_EQ(passes.back(), 0);
}

TEST_F(LayerPicture, ObjectsWithoutPresenterDrawThemselvesAndTinyOnesAreOnePixel) {
    GeoLayer& layer = addLayer(QStringLiteral("L"));
    addPoint(layer, 42, QString(), {0, 0, 0});  // no presenter 42: drawn with default pen/brush
    auto tiny = std::make_shared<GeoMapPoly>();
    tiny->Chains().Chain(0).Add({10 * kDeg, 0, 0});
    tiny->Chains().Chain(0).Add({10 * kDeg + 100, 100, 0});
    layer.ObjectSource().AddObject(tiny);
    auto hidden = std::make_shared<GeoMapPoint>();
    hidden->SetLocation({-10 * kDeg, 0, 0});
    hidden->SetHidden(true);
    layer.ObjectSource().AddObject(hidden);
    render();
    EXPECT_GT(changedPixels(QRect(96, 96, 9, 9)), 8);
    QPoint tinyPx;
    ASSERT_TRUE(m_globe.Projector().GeoToScreen(GeoPoint{10 * kDeg, 0, 0}, tinyPx));
    EXPECT_EQ(m_globe.Picture().pixel(tinyPx), 0xFF808080u);  // MinObjectColor
    EXPECT_EQ(changedPixels(QRect(tinyPx.x() - 3, tinyPx.y() - 3, 7, 7)), 1);
    EXPECT_EQ(changedPixels(QRect(45, 90, 20, 20)), 0);  // the hidden point near 10 W
    EXPECT_EQ(layer.ObjectsDrawn(), 2);
}

TEST_F(LayerPicture, PresenterChainsEndAndCyclesDoNotHang) {
    GeoLayer& layer = addLayer(QStringLiteral("L"));
    GeoPointPresenter& a = addCityPresenter(layer, 2);
    GeoPointPresenter& b = addCityPresenter(layer, 3);
    b.SetPointSize(12);
    a.SetNextPresenterID(3);
    b.SetNextPresenterID(2);  // a cycle
    addPoint(layer, 2, QString(), {0, 0, 0});
    render();
    EXPECT_GT(changedPixels(QRect(94, 94, 13, 13)), 30);  // both drawn
    b.SetHidden(true);
    render();
    EXPECT_EQ(changedPixels(QRect(90, 90, 21, 21)), changedPixels(QRect(98, 98, 5, 5)));
}

TEST_F(LayerPicture, HiddenZoomedOutAndInvisibleLayersAreSkipped) {
    GeoLayer& layer = addLayer(QStringLiteral("L"));
    addCityPresenter(layer, 2);
    addPoint(layer, 2, QString(), {0, 0, 0});
    layer.SetZoomUnits(GeoUnitTypes::guGlobeUnit);
    layer.SetZoomMax(static_cast<unsigned>(m_globe.Projector().ViewDistance() / 2));
    render();
    EXPECT_EQ(changedPixels(QRect(90, 90, 21, 21)), 0);
    layer.SetZoomMax(0);
    layer.SetVisible(false);
    render();
    EXPECT_EQ(changedPixels(QRect(90, 90, 21, 21)), 0);
    layer.SetVisible(true);
    render();
    EXPECT_GT(changedPixels(QRect(90, 90, 21, 21)), 0);
}

TEST_F(LayerPicture, ObjectUnderAPixelAndSelection) {
    setScale(2.7e-6);
    GeoLayer& layer2 = addLayer(QStringLiteral("Cities Layer"));
    addCityPresenter(layer2, 2);
    auto berlin = addPoint(layer2, 2, QStringLiteral("Berlin"), {0, 0, 0});
    auto far = addPoint(layer2, 2, QStringLiteral("Far"), {10 * kDeg, 0, 0});
    render();
    EXPECT_EQ(m_layers->ObjectAtPixel(m_globe, QPoint(101, 99)), berlin);
    EXPECT_EQ(m_layers->ObjectAtPixel(m_globe, QPoint(130, 130)), nullptr);
    // The title above the point is part of it.
    const QRect title = m_globe.Labels().Labels().front().Rect;
    EXPECT_EQ(m_layers->ObjectAtPixel(m_globe, title.center() - QPoint(0, 2)), berlin);

    far->SetSelected(true);
    m_layers->ClearSelection();
    EXPECT_FALSE(far->Selected());
    m_layers->ObjectAtPixel(m_globe, QPoint(100, 100))->SetSelected(true);
    render();
    EXPECT_EQ(m_globe.Picture().pixel(100, 100), 0xFFFFFF00u);  // the selected brush (yellow)
}

TEST_F(LayerPicture, PointTypesDrawInsideTheirBox) {
    GeoLayer& layer = addLayer(QStringLiteral("L"));
    GeoPointPresenter& p = addCityPresenter(layer, 2);
    p.SetPointSize(10);
    addPoint(layer, 2, QString(), {0, 0, 0});
    for (GeoPointType type :
         {GeoPointType::ppCircle, GeoPointType::ppSquare, GeoPointType::ppDiamond,
          GeoPointType::ppTriangleUp, GeoPointType::ppTriangleDown, GeoPointType::ppTriangleLeft,
          GeoPointType::ppTriangleRight, GeoPointType::ppDot}) {
        p.SetPointType(type);
        render();
        const int inside = changedPixels(QRect(95, 95, 11, 11));
        EXPECT_GT(inside, 0) << static_cast<int>(type);
        EXPECT_EQ(changedPixels(QRect(85, 85, 31, 31)), inside) << static_cast<int>(type);
    }
    p.SetPointType(GeoPointType::ppNone);
    render();
    EXPECT_EQ(changedPixels(QRect(85, 85, 31, 31)), 0);
}

TEST_F(LayerPicture, ClosedPolysAreFilledOpenOnesAreLines) {
    GeoLayer& layer = addLayer(QStringLiteral("L"));
    auto presenter = std::make_unique<GeoPolyPresenter>();
    presenter->SetPresenterID(7);
    presenter->PolyPen().SetColor(clWhite);
    presenter->PolyBrush().SetColor(clRed);
    GeoPolyPresenter& ref = *presenter;
    layer.Presenters().Add(std::move(presenter));
    auto square = std::make_shared<GeoMapPoly>();
    square->SetPresenterID(7);
    square->SetClosed(true);
    for (GeoPoint p : {GeoPoint{-10 * kDeg, -10 * kDeg, 0}, GeoPoint{10 * kDeg, -10 * kDeg, 0},
                       GeoPoint{10 * kDeg, 10 * kDeg, 0}, GeoPoint{-10 * kDeg, 10 * kDeg, 0}}) {
        square->Chains().Chain(0).Add(p);
    }
    layer.ObjectSource().AddObject(square);
    const QImage& img = render();
    EXPECT_EQ(img.pixel(100, 100), 0xFFFF0000u);
    ref.SetPolyRenderMode(GeoPolyRenderMode::prmOpen);
    render();
    EXPECT_EQ(img.pixel(100, 100), kSurfaceRgb);
    EXPECT_GT(changedPixels(QRect(60, 60, 80, 80)), 40);  // the outline is still drawn
}

TEST_F(LayerPicture, SurfaceImageIsDrawnWithTheLayerAlpha) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("overlay.png"));
    QImage blue(36, 18, QImage::Format_RGB32);
    blue.fill(0xFF0000FF);
    ASSERT_TRUE(blue.save(file));
    GeoLayer& layer = addLayer(QStringLiteral("Surface"));
    layer.SetSurfaceImageName(file);
    const QImage& img = render();
    EXPECT_EQ(img.pixel(100, 100), 0xFF0000FFu);
    layer.SetSurfaceAlpha(128);
    render();
    const QRgb mixed = img.pixel(100, 100);
    EXPECT_NEAR(qBlue(mixed), (127 * 0x40 + 128 * 0xFF) / 256, 1);
    EXPECT_NEAR(qRed(mixed), (127 * 0x40) / 256, 1);
}

TEST_F(LayerPicture, SynchronisationWaitsForTheEndOfAnUpdate) {
    QTemporaryDir dir;
    GeoSpatialDatabase db;
    db.SetDataSourceName(dir.filePath(QStringLiteral("Temporary_ASDFGHJK.tmp")));
    db.SetActive(true);
    m_layers->SetSpatialDatabase(&db);
    m_globe.BeginUpdate();
    const QUuid guid = db.CreateLayer(QStringLiteral("PoI Layer"));
    EXPECT_EQ(m_layers->GlobeLayer().LayerStore().LayerByID(guid), nullptr);
    m_globe.EndUpdate();
    EXPECT_NE(m_layers->GlobeLayer().LayerStore().LayerByID(guid), nullptr);
    m_layers->SetSpatialDatabase(nullptr);
}

TEST_F(LayerPicture, EventsAndTheAbortFlag) {
    GeoLayer& layer = addLayer(QStringLiteral("L"));
    addCityPresenter(layer, 2);
    auto a = addPoint(layer, 2, QString(), {0, 0, 0});
    a->SetSelected(true);
    addPoint(layer, 2, QString(), {170 * kDeg, 0, 0});  // behind: not drawn, no event
    int before = 0;
    int after = 0;
    std::vector<unsigned> flags;
    m_layers->OnBeforeLayerRender = [&](GeoLayer& l) { before += &l == &layer ? 1 : 0; };
    m_layers->OnAfterLayerRender = [&](GeoLayer& l) { after += &l == &layer ? 1 : 0; };
    m_layers->OnObjectRender = [&](GeoLayer&, GeoMapPoint&, unsigned f) { flags.push_back(f); };
    render();
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(flags, (std::vector<unsigned>{render_flags::Selected}));

    // With the abort-and-restart flag set only NoInterrupt layers are drawn, and no layer
    // reports its end.
    m_globe.SetAbortRestart(true);
    m_globe.Labels().Clear();
    m_layers->RenderLayers(m_globe, GeoRect{});
    EXPECT_EQ(after, 1);
    EXPECT_EQ(flags.size(), 1u);
    m_layers->GlobeLayer().SetNoInterrupt(true);
    layer.SetNoInterrupt(true);
    m_layers->RenderLayers(m_globe, GeoRect{});
    EXPECT_EQ(flags.size(), 2u);
    EXPECT_EQ(after, 1);
    m_globe.SetAbortRestart(false);
}

TEST_F(LayerPicture, TitleZoomLimitsAndPresenterAlpha) {
    GeoLayer& layer = addLayer(QStringLiteral("L"));
    GeoPointPresenter& p = addCityPresenter(layer, 2);
    addPoint(layer, 2, QStringLiteral("Berlin"), {0, 0, 0});
    setScale(2.7e-6);
    const auto km = static_cast<unsigned>(m_globe.Projector().ViewDistance() / 48565);
    p.SetTitleZoomMin(km / 2);
    p.SetTitleZoomMax(km * 2);
    render();
    EXPECT_EQ(m_globe.Labels().Labels().size(), 1u);
    p.SetTitleZoomMax(km - 1);
    render();
    EXPECT_TRUE(m_globe.Labels().Labels().empty());

    // A white dot at half alpha over the grey disc.
    p.SetPointType(GeoPointType::ppDot);
    p.SetAlphaBlend(128);
    const QImage& img = render();
    EXPECT_NEAR(qRed(img.pixel(100, 100)), (127 * 0x40 + 128 * 0xFF) / 256, 1);
}

TEST(PresenterHits, PolysRoadsAndPoints) {
    GeoGlobe globe(200, 200);
    GeoProjector& projector = globe.Projector();
    projector.SetScaleFactor(2.9e-7);
    GeoMapPoly square;
    for (GeoPoint p : {GeoPoint{0, 0, 0}, GeoPoint{10 * kDeg, 0, 0},
                       GeoPoint{10 * kDeg, 10 * kDeg, 0}, GeoPoint{0, 10 * kDeg, 0}}) {
        square.Chains().Chain(0).Add(p);
    }
    square.SetClosed(true);
    const GeoPoint centre{5 * kDeg, 5 * kDeg, 0};
    const GeoPoint nearEdge{5 * kDeg, 100, 0};
    const GeoPoint outside{5 * kDeg, -kDeg, 0};
    GeoPolyPresenter poly;
    EXPECT_TRUE(poly.Hit(projector, square, centre, 1000));
    EXPECT_TRUE(poly.Hit(projector, square, nearEdge, 1000));
    EXPECT_FALSE(poly.Hit(projector, square, outside, 1000));
    GeoPolylinePresenter line;
    EXPECT_FALSE(line.Hit(projector, square, centre, 1000));
    EXPECT_TRUE(line.Hit(projector, square, nearEdge, 1000));
    GeoRoadPresenter road;  // 8 m wide: the tolerance decides
    EXPECT_TRUE(road.Hit(projector, square, nearEdge, 1000));
    EXPECT_FALSE(road.Hit(projector, square, outside, 1000));

    GeoPointPresenter point;  // 6 pixels: radius (6 + 1) / 2 pixels in GU
    GeoMapPoint city;
    city.SetLocation({179 * kDeg + kDeg / 2, 0, 0});
    const std::int32_t radius = point.HitRadius(projector);
    EXPECT_EQ(radius, roundToInt32(7 / 2.9e-7) / 2);
    EXPECT_TRUE(point.Hit(projector, city, GeoPoint{-180 * kDeg + 10, 0, 0}, 0));  // across 180
    EXPECT_FALSE(point.Hit(projector, city, GeoPoint{179 * kDeg + kDeg / 2, radius + 1, 0}, 0));
}

TEST_F(LayerPicture, PointsAppendedUnderBeginEditAreDrawn) {
    QTemporaryDir dir;
    GeoSpatialDatabase db;
    db.SetDataSourceName(dir.filePath(QStringLiteral("Temporary_QWERTYUI.tmp")));
    db.SetActive(true);
    m_layers->SetSpatialDatabase(&db);
    const QUuid guid = db.CreateLayer(QStringLiteral("CenterLine Layer"));
    GeoLayer* layer = m_layers->GlobeLayer().LayerStore().LayerByID(guid);
    ASSERT_NE(layer, nullptr);
    auto road = std::make_unique<GeoRoadPresenter>();
    road->SetPresenterID(1);
    road->RoadPen().SetColor(clYellow);
    road->RoadPen().SetWidth(2);
    road->RoadPen().SetWidthUnit(GeoUnitTypes::guPixel);
    road->SetEdgeColor(clYellow);
    road->SetEdgePixels(0);
    layer->Presenters().Add(std::move(road));

    auto line = std::make_shared<GeoMapPoly>();
    line->SetClosed(false);
    line->SetPresenterID(1);
    layer->ObjectSource().AddObject(line);
    line->BeginEdit();
    for (int lat = -30; lat <= 30; lat += 3) {
        line->Chains().Chain(0).Add({0, lat * kDeg, 0});
        line->InvalidateBounds();
    }
    const QImage& img = render();
    EXPECT_EQ(img.pixel(100, 100), 0xFFFFFF00u);
    EXPECT_EQ(img.pixel(100, 80), 0xFFFFFF00u);
    m_layers->SetSpatialDatabase(nullptr);
}

TEST_F(LayerPicture, DatabasePointAtThePoleIsDrawn) {
    // Looking straight down on the north pole the whole world is the extent; the pole itself
    // lies on its top edge.
    QTemporaryDir dir;
    GeoSpatialDatabase db;
    db.SetDataSourceName(dir.filePath(QStringLiteral("Temporary_ZXCVBNMA.tmp")));
    db.SetActive(true);
    m_layers->SetSpatialDatabase(&db);
    GeoLayer* layer =
        m_layers->GlobeLayer().LayerStore().LayerByID(db.CreateLayer(QStringLiteral("PoI Layer")));
    ASSERT_NE(layer, nullptr);
    addCityPresenter(*layer, 2);
    addPoint(*layer, 2, QStringLiteral("Pole"), {0, gu::MaxLatitude, 0});
    m_globe.Projector().SetXRotation(90);
    render();
    EXPECT_EQ(layer->ObjectsDrawn(), 1);
    EXPECT_GT(changedPixels(QRect(98, 98, 5, 5)), 4);
    m_layers->SetSpatialDatabase(nullptr);
}

}  // namespace
}  // namespace zimbalo::globe
