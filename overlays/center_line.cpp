#include "overlays/center_line.h"

#include <cmath>
#include <optional>

#include "astro/numeric.h"
#include "astro/shadow_geometry.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_presenter.h"
#include "globe/geo_spatial_database.h"
#include "overlays/line_layer.h"

namespace zimbalo::overlays {

namespace {

// Radians to globe units: degrees x 60 x 60 x 1500.
std::int32_t RadiansToGU(double radians) {
    return globe::DegToGU(radians * astro::kRadToDeg);
}

std::unique_ptr<globe::GeoRoadPresenter> CenterLinePresenter() {
    auto presenter = std::make_unique<globe::GeoRoadPresenter>();
    presenter->SetPresenterID(kCenterLinePresenterID);
    presenter->SetEdgeColor(globe::clYellow);
    presenter->RoadPen().SetColor(globe::clYellow);
    presenter->RoadPen().SetWidth(2.0);
    presenter->RoadPen().SetWidthUnit(globe::GeoUnitTypes::guPixel);
    presenter->SetEdgePixels(0);
    return presenter;
}

}  // namespace

bool IsCentralType(int occType) {
    return occType == 2 || occType == 3 || occType == 4;
}

std::vector<globe::GeoPoint> CenterLinePoints(const astro::BesselRecord& record, double deltaT) {
    std::vector<globe::GeoPoint> points;
    if (!IsCentralType(record.OccType)) {
        return points;
    }
    const std::optional<astro::AxisContacts> contacts = astro::AxisContactTimes(record);
    if (!contacts || !std::isfinite(contacts->first) || !std::isfinite(contacts->last)) {
        return points;  // an inconsistent record whose axis line passes beside the Earth
    }
    points.reserve(kCenterLinePoints);
    const double span = contacts->last - contacts->first;
    for (int i = 0; i < kCenterLinePoints; ++i) {
        const double t = contacts->first + span * i / (kCenterLinePoints - 1);
        const astro::ElementSet e = astro::EvaluateElements(record, t);
        const double rho1 = std::sqrt(1.0 - astro::earth::kE2 * e.cosd * e.cosd);
        const double y1 = e.y / rho1;
        // The end points lie on the limb only to the accuracy of the contact times: the absolute
        // value gives them a point on the limb instead of none.
        const double zeta = std::sqrt(std::fabs(1.0 - e.x * e.x - y1 * y1));
        const astro::GeoRadians p = astro::AxisPoint(e, zeta, deltaT);
        points.push_back({RadiansToGU(p.longitude), RadiansToGU(p.latitude), 0});
    }
    return points;
}

void CenterLineLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                     CenterLineState& state, const astro::BesselRecord& record, double deltaT,
                     bool closing) {
    database.Clear();
    state.line.reset();
    if (closing) {
        return;
    }
    globe::GeoLayer* layer =
        FreshLineLayer(layers, database, state.layerGuid, kCenterLineLayerName);
    if (layer == nullptr) {
        return;  // the store is not attached to this globe
    }
    layer->Presenters().Add(CenterLinePresenter());

    const std::vector<globe::GeoPoint> points = CenterLinePoints(record, deltaT);
    if (!points.empty()) {
        state.line = AddLiveLine(*layer, kCenterLinePresenterID, points);
    }
    layers.RequestRedraw();
}

}  // namespace zimbalo::overlays
