// The places that the many-places list finds for an event lie between the event's penumbral
// limits.

#include <cmath>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/numeric.h"
#include "astro/path_limits.h"
#include "astro/shadow_geometry.h"
#include "astro/time_scales.h"
#include "lists/city_database.h"
#include "lists/list_runs.h"

namespace zimbalo::lists {
namespace {

// Signed distance on the fundamental plane at the instant t (hours from T0) of the place beyond
// the limit point: positive when the place lies farther from the shadow axis than the limit.
double BeyondLimit(const astro::BesselRecord& r, double deltaT, double t, double lat, double lon,
                   const astro::PathPoint& limit) {
    const astro::ElementSet e = astro::EvaluateElements(r, t);
    const auto plane = [&](double latDeg, double lonDeg) {
        return astro::PlaceToFundamental(latDeg * astro::kDegToRad, lonDeg * astro::kDegToRad, e,
                                         deltaT);
    };
    const astro::PlanePoint p = plane(lat, lon);
    const astro::PlanePoint l = plane(limit.latitude, limit.longitude);
    const double ox = l.xi - e.x;
    const double oy = l.eta - e.y;
    const double norm = std::hypot(ox, oy);
    return ((p.xi - l.xi) * ox + (p.eta - l.eta) * oy) / norm;
}

class PlacesBetweenLimits : public ::testing::TestWithParam<int> {};

TEST_P(PlacesBetweenLimits, EveryPlaceSeeingTheEventLiesBetweenThePenumbralLimits) {
    const astro::BesselTable table = astro::LoadCatalogue(astro::CataloguePath());
    CityListInput input;
    input.record = table[GetParam()];
    input.language = Language::English;
    input.cityFile = CityFileName(Language::English, astro::ProgramFolder());
    input.threshold = 20000;
    const astro::BesselRecord& r = input.record;
    const double deltaT = astro::DeltaT(r.Year, r.Month);
    const astro::PathLimitSet set = astro::PathLimits(r, deltaT);
    ASSERT_FALSE(set.Chains(astro::PathCurve::PenumbraNorth).empty()
                 && set.Chains(astro::PathCurve::PenumbraSouth).empty());

    int places = 0;
    int sides = 0;
    double worst = -HUGE_VAL;
    RunCityList(input, {}, [&](const ListStep& step) {
        if (!step.visible) {
            return;
        }
        ++places;
        const astro::StadtType& p = *step.place;
        const double t = p.Zeit[astro::kMaximum];
        for (const astro::PathCurve c :
             {astro::PathCurve::PenumbraNorth, astro::PathCurve::PenumbraSouth}) {
            // A limit that lies off the Earth at that instant bounds nothing on it.
            const auto limit = astro::PathPointAt(r, deltaT, c, t);
            if (!limit) {
                continue;
            }
            ++sides;
            const double beyond = BeyondLimit(r, deltaT, t, p.Breite, p.Laenge, *limit);
            worst = std::fmax(worst, beyond);
            // A place below the horizon at its greatest occultation (seen only at a contact)
            // has a slightly larger shadow; 2 km on the plane covers it.
            EXPECT_LE(beyond, 2.0 / 6378.0)
                << p.Stadt << " " << p.Breite << " " << p.Laenge << " " << astro::PathCurveName(c);
        }
    });
    EXPECT_GT(places, 100);
    EXPECT_GE(sides, places);
    RecordProperty("worst_beyond_km", std::to_string(worst * 6378.0));
}

// A central occultation of Venus (2024-04-07) and a non-central one of Saturn (2040-10-06).
INSTANTIATE_TEST_SUITE_P(PathLimits, PlacesBetweenLimits, ::testing::Values(626, 864));

}  // namespace
}  // namespace zimbalo::lists
