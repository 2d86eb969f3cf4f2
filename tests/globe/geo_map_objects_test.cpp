#include "globe/geo_map_objects.h"

#include <gtest/gtest.h>

#include "globe/geo_object_source.h"

namespace zimbalo::globe {
namespace {

constexpr std::int32_t kDeg = gu::Degree;

TEST(ObjectData, ColumnsAreReplacedAndAppended) {
    GeoMapPoint p;
    p.SetObjectData(2, QStringLiteral("c"));
    EXPECT_EQ(p.ObjectDataCSL(), QStringLiteral(",,c"));
    p.SetObjectData(0, QStringLiteral("Berlin"));
    EXPECT_EQ(p.ObjectDataCSL(), QStringLiteral("Berlin,,c"));
    EXPECT_EQ(p.ObjectData(0), QStringLiteral("Berlin"));
    EXPECT_EQ(p.ObjectData(1), QString());
    EXPECT_EQ(p.ObjectData(7), QString());
    EXPECT_TRUE(p.Modified());
}

TEST(ObjectData, TitlesWithCommasAndQuotesSurvive) {
    // A city title holding a comma must not be cut at it, nor shift the other columns.
    GeoMapPoint p;
    p.SetObjectData(1, QStringLiteral("x"));
    p.SetObjectData(0, QStringLiteral("Washington, D.C."));
    p.SetObjectData(2, QStringLiteral("say \"hi\", then go"));
    EXPECT_EQ(p.ObjectData(0), QStringLiteral("Washington, D.C."));
    EXPECT_EQ(p.ObjectData(1), QStringLiteral("x"));
    EXPECT_EQ(p.ObjectData(2), QStringLiteral("say \"hi\", then go"));
    EXPECT_EQ(SplitCSL(QStringLiteral("a,b,,c")).size(), 4u);
}

TEST(MapPoly, BoundsFollowAppendedPointsAndMoves) {
    GeoMapPoly poly;
    EXPECT_EQ(poly.Bounds(), (GeoRect{0, 0, 1, 1}));  // no points: 1 x 1 at its location
    poly.Chains().Chain(0).Add({10 * kDeg, 5 * kDeg, 0});
    poly.Chains().Chain(0).Add({20 * kDeg, -5 * kDeg, 0});
    EXPECT_EQ(poly.Bounds(), (GeoRect{10 * kDeg, -5 * kDeg, 10 * kDeg, 10 * kDeg}));
    poly.Chains().Chain(1).Add({30 * kDeg, 0, 0});  // a second chain grows the bounds too
    EXPECT_EQ(poly.Bounds().Width, 20 * kDeg);

    poly.SetLocation({kDeg, 2 * kDeg, 0});
    EXPECT_EQ(poly.Chains().Chain(0).Point(0), (GeoPoint{11 * kDeg, 7 * kDeg, 0}));
    EXPECT_EQ(poly.Bounds().Left, 11 * kDeg);
}

TEST(MapPoly, ACloneOwnsItsChainsAndTheirEdits) {
    // Edits to a clone's chains reach the clone only: its bounds follow, the original's do not.
    GeoMapPoly poly;
    poly.Chains().SetStoreHeight(true);
    poly.Chains().Chain(0).Add({10 * kDeg, 0, 7});
    poly.Chains().Chain(0).Add({20 * kDeg, 0, 8});
    poly.SetModified(false);
    const GeoRect before = poly.Bounds();

    auto clone = std::static_pointer_cast<GeoMapPoly>(poly.Clone());
    ASSERT_EQ(clone->Bounds(), before);
    clone->SetModified(false);
    clone->Chains().Chain(0).Add({40 * kDeg, 0, 9});
    EXPECT_TRUE(clone->Modified());
    EXPECT_EQ(clone->Bounds().Width, 30 * kDeg);
    EXPECT_EQ(clone->Chains().Chain(0).Point(2).Height, 9);  // the height rule is copied too
    clone->Chains().Chain(0).SetHidden(true);
    clone->Chains().Add().Add({-10 * kDeg, 0, 0});
    EXPECT_EQ(clone->Bounds().Left, -10 * kDeg);

    EXPECT_FALSE(poly.Modified());
    EXPECT_EQ(poly.Bounds(), before);
    EXPECT_EQ(poly.Chains().Count(), 1);
    EXPECT_FALSE(poly.Chains().Chain(0).Hidden());

    // A chain store copied out of a poly belongs to none: its edits leave the poly alone.
    GeoChainStore loose = poly.Chains();
    loose.Chain(0).Add({50 * kDeg, 0, 0});
    EXPECT_FALSE(poly.Modified());
    EXPECT_EQ(poly.Bounds(), before);
}

TEST(MapPoly, MovingAcrossTheDateLineWrapsLongitudes) {
    GeoMapPoly poly;
    poly.Chains().Chain(0).Add({179 * kDeg, 0, 0});
    poly.SetLocation({2 * kDeg, 0, 0});
    EXPECT_EQ(poly.Chains().Chain(0).Point(0).Longitude, -179 * kDeg);
}

TEST(MapObjects, EncodeDecodeRoundTrip) {
    GeoMapPoly poly;
    poly.SetPresenterID(1);
    poly.SetClosed(true);
    poly.SetObjectData(0, QStringLiteral("Line, central"));
    poly.SetUserID(QStringLiteral("u1"));
    poly.Chains().Chain(0).Add({kDeg, kDeg, 0});
    poly.Chains().Chain(0).Add({2 * kDeg, 3 * kDeg, 0});
    poly.Chains().Chain(1).SetHidden(true);
    const auto back = DecodeMapObject(EncodeMapObject(poly));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->Kind(), GeoObjectKind::Poly);
    const auto& p2 = static_cast<const GeoMapPoly&>(*back);
    EXPECT_TRUE(p2.Closed());
    EXPECT_EQ(p2.PresenterID(), 1);
    EXPECT_EQ(p2.ObjectData(0), QStringLiteral("Line, central"));
    EXPECT_EQ(p2.Chains().Count(), 2);
    EXPECT_TRUE(p2.Chains().Chain(1).Hidden());
    EXPECT_EQ(p2.Bounds(), poly.Bounds());
    EXPECT_FALSE(DecodeMapObject(QByteArray("garbage")));
    EXPECT_FALSE(DecodeMapObject(EncodeMapObject(poly).left(30)));
}

TEST(GeoRects, MeetAcrossTheDateLine) {
    // A rectangle from 170 E reaching 20 degrees east covers 170 E .. 170 W.
    const GeoRect wide{170 * kDeg, 0, 20 * kDeg, kDeg};
    EXPECT_TRUE(GeoRectsMeet(wide, GeoRect{-175 * kDeg, 0, 1, 1}));
    EXPECT_TRUE(GeoRectsMeet(wide, GeoRect{175 * kDeg, 0, 1, 1}));
    EXPECT_FALSE(GeoRectsMeet(wide, GeoRect{-165 * kDeg, 0, 1, 1}));
    EXPECT_FALSE(GeoRectsMeet(wide, GeoRect{}));

    // A point at exactly 180 degrees (where -180 is normalised to) lies in the last GU column.
    const GeoPoint dateLine{gu::MaxLongitude, 0, 0};
    EXPECT_TRUE(GeoRectContains(wide, dateLine));
    EXPECT_TRUE(GeoRectContains(GeoRect{179 * kDeg, -kDeg, kDeg + 1, 2 * kDeg}, dateLine));
    EXPECT_FALSE(GeoRectContains(GeoRect{179 * kDeg, -kDeg, kDeg, 2 * kDeg}, dateLine));
    // A rectangle grown beyond -180 degrees wraps to the east side.
    const GeoRect grown = GeoRectGrown(GeoRect{-179 * kDeg, 0, 1, 1}, 2 * kDeg);
    EXPECT_TRUE(GeoRectContains(grown, GeoPoint{179 * kDeg + kDeg / 2, 0, 0}));
    EXPECT_FALSE(GeoRectContains(grown, GeoPoint{170 * kDeg, 0, 0}));
}

TEST(MemoryObjectSource, HandlesReuseFreedSlots) {
    auto source = std::make_shared<GeoMemoryObjectSource>();
    auto a = std::make_shared<GeoMapPoint>();
    auto b = std::make_shared<GeoMapPoint>();
    auto c = std::make_shared<GeoMapPoint>();
    EXPECT_EQ(source->AddObject(a), 1);
    EXPECT_EQ(source->AddObject(b), 2);
    EXPECT_EQ(a->ObjectSource(), source);
    source->RemoveObject(1);
    EXPECT_EQ(a->Handle(), 0);
    EXPECT_EQ(source->FirstHandle(), 2);
    EXPECT_EQ(source->AddObject(c), 1);
    EXPECT_EQ(source->ObjectCount(), 2);
    EXPECT_EQ(source->ObjectByHandle(1), c);
    EXPECT_EQ(source->NextHandle(1), 2);
    EXPECT_EQ(source->NextHandle(2), 0);
    EXPECT_EQ(source->ObjectByHandle(9), nullptr);
}

TEST(MemoryObjectSource, AnObjectMovedElsewhereStaysBoundThere) {
    auto first = std::make_shared<GeoMemoryObjectSource>();
    auto second = std::make_shared<GeoMemoryObjectSource>();
    auto object = std::make_shared<GeoMapPoint>();
    first->AddObject(std::make_shared<GeoMapPoint>());
    first->AddObject(object);
    EXPECT_EQ(second->AddObject(object), 1);
    first->RemoveObject(2);
    first->RemoveAllObjects();
    first.reset();
    EXPECT_EQ(object->ObjectSource(), second);
    EXPECT_EQ(object->Handle(), 1);
}

TEST(MemoryObjectSource, ObjectsOutliveTheirSourceSafely) {
    auto object = std::make_shared<GeoMapPoint>();
    {
        auto source = std::make_shared<GeoMemoryObjectSource>();
        source->AddObject(object);
    }
    EXPECT_EQ(object->ObjectSource(), nullptr);
    object->BeginEdit();  // no source: nothing happens
    EXPECT_EQ(object->Handle(), 0);
}

}  // namespace
}  // namespace zimbalo::globe
