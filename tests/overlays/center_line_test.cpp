#include "overlays/center_line.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/numeric.h"
#include "astro/shadow_geometry.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_presenter.h"
#include "globe/geo_spatial_database.h"
#include "layer_store_fixture.h"

namespace zimbalo::overlays {
namespace {

using astro::BesselRecord;
using astro::BesselTable;

const BesselTable& Catalogue() {
    static const BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    return table;
}

const BesselRecord* FirstEvent(const std::function<bool(const BesselRecord&)>& wanted) {
    for (const BesselRecord& r : Catalogue().Records()) {
        if (wanted(r)) {
            return &r;
        }
    }
    return nullptr;
}

double Degrees(std::int32_t gu) {
    return globe::GUToDeg(gu);
}

// Longitude difference b - a in degrees, taken the short way round.
double LongitudeStep(std::int32_t a, std::int32_t b) {
    double d = Degrees(b) - Degrees(a);
    while (d > 180.0) {
        d -= 360.0;
    }
    while (d <= -180.0) {
        d += 360.0;
    }
    return d;
}

bool CrossesDateLine(const std::vector<globe::GeoPoint>& points) {
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (std::fabs(Degrees(points[i].Longitude) - Degrees(points[i - 1].Longitude)) > 180.0) {
            return true;
        }
    }
    return false;
}

TEST(CenterLinePoints, EveryPointIsOnTheShadowAxisAtEqualStepsInTime) {
    // Each point, projected back onto the fundamental plane at its instant, must be where the
    // shadow axis is at that instant; the instants are 200 equal steps between the contacts.
    int checked = 0;
    for (const BesselRecord& r : Catalogue().Records()) {
        if (!IsCentralType(r.OccType) || checked >= 25) {
            continue;
        }
        ++checked;
        const double deltaT = 65.0;
        const auto points = CenterLinePoints(r, deltaT);
        ASSERT_EQ(points.size(), static_cast<std::size_t>(kCenterLinePoints));
        const auto contacts = astro::AxisContactTimes(r);
        ASSERT_TRUE(contacts.has_value());
        for (int i = 0; i < kCenterLinePoints; i += 20) {
            const double t = contacts->first + (contacts->last - contacts->first) * i / 200.0;
            const astro::ElementSet e = astro::EvaluateElements(r, t);
            const globe::GeoPoint& p = points[static_cast<std::size_t>(i)];
            const astro::PlanePoint q =
                astro::PlaceToFundamental(Degrees(p.Latitude) * astro::kDegToRad,
                                          Degrees(p.Longitude) * astro::kDegToRad, e, deltaT);
            // Interior points are exact; the end points lie on the limb, where a small error of
            // the contact instant moves the point much less than an Earth radius x 1e-3.
            EXPECT_NEAR(q.xi, e.x, 2e-3) << "event " << r.EventJD << " point " << i;
            EXPECT_NEAR(q.eta, e.y, 2e-3) << "event " << r.EventJD << " point " << i;
        }
    }
    EXPECT_EQ(checked, 25);
}

TEST(CenterLinePoints, EndPointsLieOnTheLimbSeenAlongTheAxis) {
    const BesselRecord* r = FirstEvent([](const BesselRecord& e) { return e.OccType == 2; });
    ASSERT_NE(r, nullptr);
    const auto points = CenterLinePoints(*r, 0.0);
    const auto contacts = astro::AxisContactTimes(*r);
    ASSERT_TRUE(contacts.has_value());
    // Seen along the axis, a point on the limb is 90 degrees from the sub-planetary point.
    const auto limbAngle = [&](const globe::GeoPoint& p, double t) {
        const astro::GeoDegrees sub = astro::SubPlanetaryPoint(astro::EvaluateElements(*r, t), 0.0);
        return astro::AngularDistance(
                   Degrees(p.Longitude) * astro::kDegToRad, Degrees(p.Latitude) * astro::kDegToRad,
                   sub.longitude * astro::kDegToRad, sub.latitude * astro::kDegToRad)
               * astro::kRadToDeg;
    };
    EXPECT_NEAR(limbAngle(points.front(), contacts->first), 90.0, 1.0);
    EXPECT_NEAR(limbAngle(points.back(), contacts->last), 90.0, 1.0);
    EXPECT_LT(limbAngle(points[100], (contacts->first + contacts->last) / 2), 80.0);
}

TEST(CenterLinePoints, NonCentralEventsHaveNone) {
    for (int type : {1, 5, 6}) {
        const BesselRecord* r =
            FirstEvent([type](const BesselRecord& e) { return e.OccType == type; });
        if (r == nullptr) {
            continue;  // the catalogue need not hold every kind
        }
        EXPECT_TRUE(CenterLinePoints(*r, 0.0).empty()) << "type " << type;
    }
    BesselRecord central =
        *FirstEvent([](const BesselRecord& e) { return e.OccType == 3 || e.OccType == 2; });
    central.OccType = 1;
    EXPECT_TRUE(CenterLinePoints(central, 0.0).empty());
}

TEST(CenterLinePoints, DeltaTTurnsEveryPointEastwardByTheEarthsRotation) {
    const BesselRecord* r = FirstEvent([](const BesselRecord& e) { return e.OccType == 2; });
    ASSERT_NE(r, nullptr);
    const auto tt = CenterLinePoints(*r, 0.0);
    const auto ut = CenterLinePoints(*r, 70.0);
    ASSERT_EQ(tt.size(), ut.size());
    for (std::size_t i = 0; i < tt.size(); ++i) {
        EXPECT_NEAR(LongitudeStep(tt[i].Longitude, ut[i].Longitude), 70.0 * 0.00417807, 1e-6);
        EXPECT_EQ(tt[i].Latitude, ut[i].Latitude);
    }
}

TEST(CenterLinePoints, ATrackAcrossTheDateLineKeepsItsOrder) {
    const BesselRecord* r = FirstEvent([](const BesselRecord& e) {
        return IsCentralType(e.OccType) && CrossesDateLine(CenterLinePoints(e, 0.0));
    });
    ASSERT_NE(r, nullptr) << "no central line crosses 180 degrees";
    const auto points = CenterLinePoints(*r, 0.0);
    // Every step is short and all steps go the same way round: no point was moved or re-sorted.
    int eastward = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double step = LongitudeStep(points[i - 1].Longitude, points[i].Longitude);
        EXPECT_LT(std::fabs(step), 20.0) << "point " << i;
        eastward += step > 0 ? 1 : -1;
    }
    EXPECT_GT(std::abs(eastward), 150);
}

class CenterLineLayerTest : public LayerStoreTest {
protected:
    CenterLineLayerTest() : LayerStoreTest(QStringLiteral("Temporary_TESTTEST.tmp")) {}

    globe::GeoLayer* Layer() { return LayerNamed(kCenterLineLayerName); }

    int LayersNamedCenterLine() {
        const globe::GeoLayerStore& store = m_layers.GlobeLayer().LayerStore();
        int n = 0;
        for (int i = 0; i < store.Count(); ++i) {
            n += store.GetLayer(i)->Name() == kCenterLineLayerName ? 1 : 0;
        }
        return n;
    }

    CenterLineState m_state;
};

TEST_F(CenterLineLayerTest, CentralThenPartialThenCentralAgain) {
    const BesselRecord* central = FirstEvent([](const BesselRecord& e) { return e.OccType == 2; });
    const BesselRecord* partial = FirstEvent([](const BesselRecord& e) { return e.OccType == 1; });
    ASSERT_NE(central, nullptr);
    ASSERT_NE(partial, nullptr);

    CenterLineLayer(m_layers, m_database, m_state, *central, 0.0, false);
    ASSERT_NE(Layer(), nullptr);
    EXPECT_EQ(Layer()->ObjectSource().ObjectCount(), 1);
    ASSERT_NE(m_state.line, nullptr);
    ASSERT_EQ(m_state.line->Chains().Count(), 1);
    EXPECT_EQ(m_state.line->Chains().Chain(0).Count(), kCenterLinePoints);
    EXPECT_FALSE(m_state.line->Closed());
    EXPECT_EQ(m_state.line->PresenterID(), kCenterLinePresenterID);
    auto* road = dynamic_cast<globe::GeoRoadPresenter*>(Layer()->PresenterByID(1));
    ASSERT_NE(road, nullptr);
    EXPECT_EQ(road->RoadPen().Color(), globe::clYellow);
    EXPECT_EQ(road->RoadPen().Width(), 2.0);
    EXPECT_EQ(road->EdgePixels(), 0);

    CenterLineLayer(m_layers, m_database, m_state, *partial, 0.0, false);
    ASSERT_NE(Layer(), nullptr);
    EXPECT_EQ(Layer()->ObjectSource().ObjectCount(), 0);
    EXPECT_EQ(m_state.line, nullptr);
    EXPECT_NE(Layer()->PresenterByID(1), nullptr);

    CenterLineLayer(m_layers, m_database, m_state, *central, 0.0, false);
    ASSERT_NE(Layer(), nullptr);
    EXPECT_EQ(Layer()->ObjectSource().ObjectCount(), 1);
    EXPECT_EQ(LayersNamedCenterLine(), 1);
    EXPECT_EQ(m_database.LayerCount(), 1);
}

TEST_F(CenterLineLayerTest, TheStoredLineIsTheComputedOneAndIsDrawnYellow) {
    const BesselRecord* central = FirstEvent([](const BesselRecord& e) { return e.OccType == 2; });
    ASSERT_NE(central, nullptr);
    CenterLineLayer(m_layers, m_database, m_state, *central, 0.0, false);
    const auto expected = CenterLinePoints(*central, 0.0);
    const auto stored = m_state.line->Chains().Chain(0).Points();
    ASSERT_EQ(stored.size(), expected.size());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), expected.begin()));

    // Looking along the axis at mid-event, the line passes through the middle of the picture.
    EXPECT_GT(PixelsAlongTheAxis(*central, 0xFFFFFF00), 200);
}

TEST_F(CenterLineLayerTest, ClosingOnlyEmptiesTheStore) {
    const BesselRecord* central = FirstEvent([](const BesselRecord& e) { return e.OccType == 2; });
    CenterLineLayer(m_layers, m_database, m_state, *central, 0.0, false);
    CenterLineLayer(m_layers, m_database, m_state, *central, 0.0, true);
    EXPECT_EQ(m_database.LayerCount(), 0);
    EXPECT_EQ(Layer(), nullptr);
    EXPECT_EQ(m_state.line, nullptr);
}

}  // namespace
}  // namespace zimbalo::overlays
