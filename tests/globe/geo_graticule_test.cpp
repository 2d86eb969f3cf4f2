#include "globe/geo_graticule.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "globe/geo_globe.h"

namespace zimbalo::globe {
namespace {

struct StepCase {
    int latitudeStep;
    int longitudeStep;
    std::size_t meridians;
    std::set<int> parallelsDegrees;
};

void PrintTo(const StepCase& c, std::ostream* os) {
    *os << "steps (" << c.latitudeStep << ", " << c.longitudeStep << ")";
}

class GraticuleSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(GraticuleSteps, ProduceTheRightLines) {
    const StepCase& c = GetParam();
    const std::vector<GeoGraticuleLine> lines = GraticuleLines(c.latitudeStep, c.longitudeStep);
    std::size_t meridians = 0;
    std::multiset<int> parallels;
    for (const GeoGraticuleLine& l : lines) {
        if (l.From.Longitude == l.To.Longitude) {
            ++meridians;
            EXPECT_EQ(l.Segments, 180);
            EXPECT_EQ(l.From.Latitude, -480600000);  // no line comes closer than 1 degree to a pole
            EXPECT_EQ(l.To.Latitude, 480600000);
        } else {
            EXPECT_EQ(l.Segments, 85);
            EXPECT_EQ(l.From.Latitude, l.To.Latitude);
            parallels.insert(l.From.Latitude / gu::Degree);
        }
    }
    EXPECT_EQ(meridians, c.meridians);
    const std::set<int> distinct(parallels.begin(), parallels.end());
    EXPECT_EQ(distinct, c.parallelsDegrees);
    // Each step A below 85 degrees gives the parallels +A and -A, two half lines each.
    const auto steps = static_cast<std::size_t>(
        std::count_if(distinct.begin(), distinct.end(), [](int d) { return d >= 0; }));
    EXPECT_EQ(parallels.size(), 4 * steps);
}

INSTANTIATE_TEST_SUITE_P(MainWindowChoices, GraticuleSteps,
                         ::testing::Values(StepCase{0, 0, 0, {}}, StepCase{90, 0, 0, {0}},
                                           StepCase{45, 45, 8, {-45, 0, 45}},
                                           StepCase{10,
                                                    10,
                                                    36,
                                                    {-80, -70, -60, -50, -40, -30, -20, -10, 0, 10,
                                                     20, 30, 40, 50, 60, 70, 80}}));

TEST(Graticule, MeridiansStartOneUnitEastOfTheAntimeridian) {
    const std::vector<GeoGraticuleLine> lines = GraticuleLines(0, 45);
    ASSERT_EQ(lines.size(), 8U);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].From.Longitude, DegToGU(-180.0 + 45.0 * static_cast<double>(i)) + 1);
    }
}

TEST(Graticule, LineSampling) {
    // A parallel's eastern half: from 1 GU short of 180 degrees to 0 in 85 steps.
    const std::vector<GeoPoint> half = SampleGeoLine({971999999, 0, 0}, {0, 0, 0}, 85);
    ASSERT_EQ(half.size(), 86U);
    EXPECT_EQ(half.front().Longitude, 971999999);
    EXPECT_EQ(half[1].Longitude, 971999999 + MulDiv(-971999999, 1, 85));
    EXPECT_EQ(half.back().Longitude, 0);
    // A difference over half a turn goes the short way round, normalised.
    const std::vector<GeoPoint> wrap =
        SampleGeoLine({DegToGU(170), 0, 0}, {DegToGU(-170), 0, 0}, 2);
    EXPECT_EQ(wrap[1].Longitude, DegToGU(180));
    EXPECT_EQ(wrap[2].Longitude, DegToGU(-170));
    EXPECT_EQ(SampleGeoLine({0, 0, 0}, {5, 5, 0}, 0).size(), 2U);
}

TEST(Graticule, SettersNotifyAndDrawModes) {
    GeoGlobe globe(200, 200);
    GeoGraticule& g = globe.Graticule();
    int changes = 0;
    g.OnChange = [&changes]() { ++changes; };
    g.SetLatitudeStep(10);  // unchanged
    g.SetLatitudeStep(20);
    g.SetDrawMode(GeoGraticuleDraw::gdInFront);
    g.SetGraticulePen(GeoPen(clRed, GeoPenStyle::gpsSolid, 1.0, GeoUnitTypes::guPixel));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(g.GraticulePen().Color(), clRed);
}

TEST(Graticule, DrawsOnlyVisibleLinesInItsPen) {
    GeoGlobe globe(200, 200);
    globe.SetSurfaceColor(clBlack);
    globe.Projector().SetScaleFactor(180.0 / (2.0 * gu::EarthRadius));
    globe.Projector().SetXOrigin(100);
    globe.Projector().SetYOrigin(100);
    globe.Projector().SetXRotation(0.0);
    globe.Projector().SetYRotation(5.0);
    GeoGraticule& g = globe.Graticule();
    g.SetLatitudeStep(90);
    g.SetLongitudeStep(0);
    globe.Render();
    const QImage& pic = globe.Picture();
    // Only the equator: a silver row through the centre, nothing above it.
    EXPECT_EQ(pic.pixel(100, 100), 0xFFC0C0C0u);
    EXPECT_EQ(pic.pixel(60, 100), 0xFFC0C0C0u);
    EXPECT_EQ(pic.pixel(100, 60), 0xFF000000u);
    // The 10-degree grid seen from the side: the meridians behind the globe are left out.
    g.SetLatitudeStep(10);
    g.SetLongitudeStep(10);
    const int drawn = g.Draw(globe.Renderer(), globe.Projector());
    globe.Renderer().EndCanvas();
    EXPECT_GT(drawn, 18 + 18);
    EXPECT_LT(drawn, 36 + 36);
    g.SetLatitudeStep(0);
    g.SetLongitudeStep(0);
    EXPECT_EQ(g.Draw(globe.Renderer(), globe.Projector()), 0);
}

TEST(Graticule, ProjectsOncePerViewAndFollowsChanges) {
    GeoGlobe globe(200, 200);
    globe.SetSurfaceColor(clBlack);
    globe.Projector().SetScaleFactor(0.0);
    GeoGraticule& g = globe.Graticule();
    globe.Render();
    const QImage first = globe.Picture().copy();
    const int projections = g.Projections();
    // Nothing moved: the kept lines are drawn again, the same pixels.
    globe.Render();
    EXPECT_EQ(g.Projections(), projections);
    EXPECT_TRUE(globe.Picture() == first);
    // A turn, new steps and a wider pen each give new lines.
    globe.Projector().SetYRotation(20.0);
    globe.Render();
    EXPECT_EQ(g.Projections(), projections + 1);
    EXPECT_FALSE(globe.Picture() == first);
    globe.Projector().SetYRotation(0.0);
    globe.Render();
    EXPECT_TRUE(globe.Picture() == first);
    g.SetLatitudeStep(30);
    globe.Render();
    EXPECT_EQ(g.Projections(), projections + 3);
    EXPECT_FALSE(globe.Picture() == first);
    GeoPen wide = g.GraticulePen();
    wide.SetWidth(3.0);
    g.SetGraticulePen(wide);
    globe.Render();
    EXPECT_EQ(g.Projections(), projections + 4);
    // A new picture size moves the lines with the origin.
    globe.Resize(300, 300);
    globe.Render();
    EXPECT_EQ(g.Projections(), projections + 5);
}

}  // namespace
}  // namespace zimbalo::globe
