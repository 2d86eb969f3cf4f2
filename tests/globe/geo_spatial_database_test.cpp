#include "globe/geo_spatial_database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "globe/geo_exception.h"
#include "globe/geo_layer.h"

namespace zimbalo::globe {
namespace {

constexpr std::int32_t kDeg = gu::Degree;

// The message of the GeoException an action throws, "no exception" when it throws none.
template <typename Action>
QString thrownMessage(Action action) {
    try {
        action();
    } catch (const GeoException& e) {
        return e.Message();
    }
    return QStringLiteral("no exception");
}

class SpatialDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("Temporary_ABCDEFGH.tmp"));
    }

    void open(GeoSpatialDatabase& db) {
        db.SetDataSourceName(QStringLiteral("  ") + m_file + QStringLiteral(" "));
        db.SetActive(true);
        ASSERT_TRUE(db.Active());
    }

    QTemporaryDir m_dir;
    QString m_file;
};

TEST_F(SpatialDatabase, OpensAFreshWorkingFileAndKeepsLayersAcrossReopen) {
    GeoSpatialDatabase db;
    db.SetActive(true);  // no name: stays closed
    EXPECT_FALSE(db.Active());
    open(db);
    EXPECT_EQ(db.DataSourceName(), m_file);  // trimmed
    EXPECT_TRUE(QFile::exists(m_file));
    const QUuid guid = db.CreateLayer(QStringLiteral("Cities Layer"));
    auto shared = std::make_shared<GeoSDBObjectSource>(db, guid, QStringLiteral("Cities Layer"));
    auto point = std::make_shared<GeoMapPoint>();
    point->SetObjectData(0, QStringLiteral("Paris"));
    point->SetLocation({2 * kDeg, 48 * kDeg, 0});
    EXPECT_EQ(shared->AddObject(point), 1);
    db.SetActive(false);
    EXPECT_EQ(db.LayerCount(), 0);
    db.SetActive(true);
    ASSERT_EQ(db.LayerCount(), 1);
    EXPECT_EQ(db.LayerName(0), QStringLiteral("Cities Layer"));
    EXPECT_EQ(db.LayerGUID(0), guid);
    auto back = shared->ObjectByHandle(1);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ObjectData(0), QStringLiteral("Paris"));
    EXPECT_EQ(back->Location().Latitude, 48 * kDeg);
}

TEST_F(SpatialDatabase, ReadOnlyAndClosedDatabasesRefuseChanges) {
    GeoSpatialDatabase db;
    EXPECT_THROW(db.CreateLayer(QStringLiteral("x")), GeoException);
    open(db);
    const QUuid guid = db.CreateLayer(QStringLiteral("x"));
    db.SetReadOnly(true);
    try {
        db.CreateLayer(QStringLiteral("y"));
        FAIL() << "no exception";
    } catch (const GeoException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("CreateLayer: SDB is ReadOnly"));
    }
    try {
        db.DeleteLayer(guid);
        FAIL() << "no exception";
    } catch (const GeoException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("DeleteLayer: SDB is ReadOnly"));
    }
    EXPECT_TRUE(db.HasLayer(guid));
    // Each refused operation names itself.
    GeoSDBObjectSource source(db, guid, QStringLiteral("x"));
    EXPECT_EQ(thrownMessage([&] { source.RemoveAllObjects(); }),
              QStringLiteral("RemoveAllObjects: SDB is ReadOnly"));
    EXPECT_EQ(thrownMessage([&] { source.RemoveObject(1); }),
              QStringLiteral("RemoveObject: SDB is ReadOnly"));
}

TEST_F(SpatialDatabase, CloseReportsAFailedFlushAndTheDestructorSwallowsIt) {
    for (const bool explicitClose : {true, false}) {
        auto db = std::make_unique<GeoSpatialDatabase>();
        open(*db);
        db->CreateLayer(QStringLiteral("x"));
        // The working file becomes a folder of the same name: it can no longer be written.
        ASSERT_TRUE(QFile::remove(m_file));
        ASSERT_TRUE(QDir().mkdir(m_file));
        if (explicitClose) {
            EXPECT_THROW(db->Close(), GeoException);
            EXPECT_FALSE(db->Active());
            EXPECT_NO_THROW(db->Close());  // closed: nothing left to flush
        }
        EXPECT_NO_THROW(db.reset());  // the destructor logs the failure
        ASSERT_TRUE(QDir().rmdir(m_file));
    }
}

TEST_F(SpatialDatabase, UnreadableFileLeavesItClosed) {
    QFile junk(m_file);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a layer store");
    junk.close();
    GeoSpatialDatabase db;
    db.SetDataSourceName(m_file);
    EXPECT_THROW(db.SetActive(true), GeoException);
    EXPECT_FALSE(db.Active());
    GeoSpatialDatabase missingFolder;
    missingFolder.SetDataSourceName(m_dir.filePath(QStringLiteral("no/such/folder/x.tmp")));
    EXPECT_THROW(missingFolder.SetActive(true), GeoException);
    EXPECT_FALSE(missingFolder.Active());
}

TEST_F(SpatialDatabase, CreateLayerIsFoundAtOnceAndDeleteRemovesTheGlobeLayer) {
    GeoSpatialDatabase db;
    open(db);
    GeoLayers layers;
    layers.SetSpatialDatabase(&db);
    GeoLayerStore& root = layers.GlobeLayer().LayerStore();
    // A layer of the program's own, kept in memory, is never touched by synchronisation.
    root.Add(std::make_unique<GeoLayer>(QStringLiteral("Own")));

    const QUuid guid = db.CreateLayer(QStringLiteral("CenterLine Layer"));
    GeoLayer* layer = root.LayerByID(guid);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->Name(), QStringLiteral("CenterLine Layer"));
    EXPECT_EQ(root.LayerByName(QStringLiteral("centerline layer")), layer);
    EXPECT_FALSE(layer->ObjectSource().IsMemorySource());

    db.DeleteLayer(guid);
    EXPECT_EQ(root.LayerByID(guid), nullptr);
    EXPECT_EQ(root.Count(), 1);
    EXPECT_NE(root.LayerByName(QStringLiteral("Own")), nullptr);

    // Closing the database empties the globe's layers and restores the default presenters.
    db.CreateLayer(QStringLiteral("Cities Layer"));
    db.SetActive(false);
    EXPECT_EQ(root.Count(), 0);
    EXPECT_NE(layers.GlobeLayer().Presenters().ByID(-1), nullptr);
    EXPECT_NE(layers.GlobeLayer().Presenters().ByID(-2), nullptr);
}

TEST_F(SpatialDatabase, ClearEmptiesLayersAndFileButStaysOpen) {
    GeoSpatialDatabase db;
    open(db);
    GeoLayers layers;
    layers.SetSpatialDatabase(&db);
    const QUuid guid = db.CreateLayer(QStringLiteral("CenterLine Layer"));
    layers.GlobeLayer().LayerStore().LayerByID(guid)->ObjectSource().AddObject(
        std::make_shared<GeoMapPoint>());
    db.Flush();
    EXPECT_GT(QFile(m_file).size(), 0);
    db.Clear();
    EXPECT_TRUE(db.Active());
    EXPECT_EQ(db.LayerCount(), 0);
    EXPECT_EQ(layers.GlobeLayer().LayerStore().Count(), 0);
    db.SetActive(false);
    db.SetActive(true);
    EXPECT_EQ(db.LayerCount(), 0);
}

TEST_F(SpatialDatabase, EditedObjectsStayLiveAndAreKeptByFlush) {
    GeoSpatialDatabase db;
    open(db);
    GeoLayers layers;
    layers.SetSpatialDatabase(&db);
    const QUuid guid = db.CreateLayer(QStringLiteral("CenterLine Layer"));
    GeoObjectSource& source = layers.GlobeLayer().LayerStore().LayerByID(guid)->ObjectSource();

    auto line = std::make_shared<GeoMapPoly>();
    line->SetClosed(false);
    line->SetPresenterID(1);
    const int handle = source.AddObject(line);
    line->BeginEdit();
    EXPECT_EQ(db.EditCacheCount(), 1);
    for (int i = 0; i < 5; ++i) {
        line->Chains().Chain(0).Add({i * kDeg, i * kDeg, 0});
    }
    // Fetches and queries see the live object with its grown bounds.
    EXPECT_EQ(source.ObjectByHandle(handle), line);
    int found = 0;
    source.Query(GeoRect{3 * kDeg, 3 * kDeg, kDeg, kDeg}, 0, [&](const auto& o) {
        EXPECT_EQ(o, line);
        ++found;
        return true;
    });
    EXPECT_EQ(found, 1);

    // An object not being edited: later changes are not seen by fetches.
    auto point = std::make_shared<GeoMapPoint>();
    const int ph = source.AddObject(point);
    point->SetObjectData(0, QStringLiteral("changed later"));
    EXPECT_EQ(source.ObjectByHandle(ph)->ObjectData(0), QString());

    // Flush keeps the edit: after reopening, the stored line has all five points.
    db.Flush();
    db.SetActive(false);
    db.SetActive(true);
    auto fresh = std::make_shared<GeoSDBObjectSource>(db, guid, QString());
    auto back = fresh->ObjectByHandle(handle);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->Kind(), GeoObjectKind::Poly);
    EXPECT_EQ(static_cast<GeoMapPoly&>(*back).Chains().PointCount(), 5);
}

TEST_F(SpatialDatabase, QueryCullsSmallObjectsAndDecodedCacheIsBounded) {
    GeoSpatialDatabase db;
    db.SetBlobCacheSize(4);
    open(db);
    const QUuid guid = db.CreateLayer(QStringLiteral("L"));
    auto source = std::make_shared<GeoSDBObjectSource>(db, guid, QStringLiteral("L"));
    auto small = std::make_shared<GeoMapPoly>();
    small->Chains().Chain(0).Add({0, 0, 0});
    small->Chains().Chain(0).Add({100, 100, 0});
    auto big = std::make_shared<GeoMapPoly>();
    big->Chains().Chain(0).Add({0, 0, 0});
    big->Chains().Chain(0).Add({kDeg, 0, 0});
    source->AddObject(small);
    source->AddObject(big);
    for (int i = 0; i < 10; ++i) {
        auto p = std::make_shared<GeoMapPoint>();
        p->SetLocation({i * 1000, 0, 0});
        source->AddObject(p);
    }
    EXPECT_EQ(source->Bounds(), (GeoRect{0, 0, kDeg, 100}));  // from the index, nothing decoded
    EXPECT_EQ(db.DecodedCacheCount(), 0);
    const GeoRect world{gu::MinLongitude, -gu::MaxLatitude, gu::FullCircle, 2 * gu::MaxLatitude};
    int count = 0;
    source->Query(world, 500, [&](const auto&) {
        ++count;
        return true;
    });
    EXPECT_EQ(count, 11);  // the small poly is culled; points always qualify
    count = 0;
    source->Query(world, 0, [&](const auto&) { return ++count < 3; });
    EXPECT_EQ(count, 3);  // the callback stops the query
    EXPECT_LE(db.DecodedCacheCount(), 4);
    count = 0;
    source->Query(GeoRect{170 * kDeg, -kDeg, 20 * kDeg, 2 * kDeg}, 0, [&](const auto&) {
        ++count;
        return true;
    });
    EXPECT_EQ(count, 0);  // nothing near the date line

    // Points on the date line and at the pole are part of the world and of the date-line area.
    auto east = std::make_shared<GeoMapPoint>();
    east->SetLocation({gu::MaxLongitude, 0, 0});
    auto pole = std::make_shared<GeoMapPoint>();
    pole->SetLocation({0, gu::MaxLatitude, 0});
    const int eastHandle = source->AddObject(east);
    const int poleHandle = source->AddObject(pole);
    std::vector<int> found;
    source->Query(GeoRect{}, 0, [&](const auto& o) {
        if (o->Handle() == eastHandle || o->Handle() == poleHandle) {
            found.push_back(o->Handle());
        }
        return true;
    });
    EXPECT_EQ(found, (std::vector<int>{eastHandle, poleHandle}));
    found.clear();
    source->Query(GeoRect{170 * kDeg, -kDeg, 20 * kDeg, 2 * kDeg}, 0, [&](const auto& o) {
        found.push_back(o->Handle());
        return true;
    });
    EXPECT_EQ(found, (std::vector<int>{eastHandle}));
}

TEST_F(SpatialDatabase, RemovedObjectsAreNoLongerBoundOrFetched) {
    GeoSpatialDatabase db;
    open(db);
    const QUuid guid = db.CreateLayer(QStringLiteral("L"));
    auto source = std::make_shared<GeoSDBObjectSource>(db, guid, QStringLiteral("L"));
    auto line = std::make_shared<GeoMapPoly>();
    const int handle = source->AddObject(line);
    line->BeginEdit();
    source->RemoveObject(handle);
    EXPECT_EQ(line->Handle(), 0);
    EXPECT_EQ(line->ObjectSource(), nullptr);
    line->BeginEdit();  // no longer in a source: nothing is cached again
    EXPECT_EQ(db.EditCacheCount(), 0);
    EXPECT_EQ(source->ObjectByHandle(handle), nullptr);

    // Adding an object a second time keeps one record, under its handle, with its new state.
    auto point = std::make_shared<GeoMapPoint>();
    const int pointHandle = source->AddObject(point);
    point->SetObjectData(0, QStringLiteral("renamed"));
    EXPECT_EQ(source->AddObject(point), pointHandle);
    EXPECT_EQ(source->ObjectCount(), 1);
    EXPECT_EQ(source->ObjectByHandle(pointHandle)->ObjectData(0), QStringLiteral("renamed"));

    auto other = std::make_shared<GeoMapPoly>();
    source->AddObject(other);
    other->BeginEdit();
    source->RemoveAllObjects();
    EXPECT_EQ(other->ObjectSource(), nullptr);
    EXPECT_EQ(db.EditCacheCount(), 0);
}

TEST_F(SpatialDatabase, SourcesOutliveTheDatabaseSafely) {
    std::shared_ptr<GeoSDBObjectSource> source;
    {
        GeoSpatialDatabase db;
        open(db);
        const QUuid guid = db.CreateLayer(QStringLiteral("L"));
        source = std::make_shared<GeoSDBObjectSource>(db, guid, QStringLiteral("L"));
        source->AddObject(std::make_shared<GeoMapPoint>());
    }
    EXPECT_EQ(source->ObjectCount(), 0);
    EXPECT_EQ(source->ObjectByHandle(1), nullptr);
    EXPECT_THROW(source->AddObject(std::make_shared<GeoMapPoint>()), GeoException);
}

}  // namespace
}  // namespace zimbalo::globe
