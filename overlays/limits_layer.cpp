#include "overlays/limits_layer.h"

#include "astro/path_limits.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_presenter.h"
#include "globe/geo_spatial_database.h"
#include "overlays/line_layer.h"

namespace zimbalo::overlays {

namespace {

std::unique_ptr<globe::GeoRoadPresenter> LimitPresenter(int id, globe::GeoColor color) {
    auto presenter = std::make_unique<globe::GeoRoadPresenter>();
    presenter->SetPresenterID(id);
    presenter->SetEdgeColor(color);
    presenter->RoadPen().SetColor(color);
    presenter->RoadPen().SetWidth(1.0);
    presenter->RoadPen().SetWidthUnit(globe::GeoUnitTypes::guPixel);
    presenter->SetEdgePixels(0);
    return presenter;
}

globe::GeoLayer* LimitsLayerOf(globe::GeoLayers& layers) {
    return layers.GlobeLayer().LayerStore().LayerByName(kLimitsLayerName);
}

}  // namespace

QString LimitsCaption(Language language) {
    switch (language) {
        case Language::English:
            return QStringLiteral("Path limits");
        case Language::French:
            return QStringLiteral("Limites de la zone");
        case Language::German:
            break;
    }
    return QStringLiteral("Bedeckungsgrenzen");
}

std::vector<LimitLine> LimitLines(const astro::BesselRecord& record, double deltaT) {
    const astro::PathLimitSet set = astro::PathLimits(record, deltaT);
    std::vector<LimitLine> lines;

    const struct {
        astro::PathCurve curve;
        int presenter;
    } kinds[] = {{astro::PathCurve::PenumbraNorth, kPenumbraLimitPresenterID},
                 {astro::PathCurve::PenumbraSouth, kPenumbraLimitPresenterID},
                 {astro::PathCurve::UmbraNorth, kUmbraLimitPresenterID},
                 {astro::PathCurve::UmbraSouth, kUmbraLimitPresenterID}};

    for (const auto& kind : kinds) {
        for (const astro::PathChain& chain : set.Chains(kind.curve)) {
            LimitLine line;
            line.presenterID = kind.presenter;
            line.points.reserve(chain.size());
            for (const astro::PathPoint& p : chain) {
                line.points.push_back({globe::DegToGU(p.longitude), globe::DegToGU(p.latitude), 0});
            }
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void LimitsLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                 LimitsLayerState& state, const astro::BesselRecord& record, double deltaT,
                 bool visible, bool closing) {
    state.lines.clear();
    if (closing) {
        return;
    }
    globe::GeoLayer* layer = FreshLineLayer(layers, database, state.layerGuid, kLimitsLayerName);
    if (layer == nullptr) {
        return;  // the store is not attached to this globe
    }
    layer->Presenters().Add(LimitPresenter(kPenumbraLimitPresenterID, kPenumbraLimitColor));
    layer->Presenters().Add(LimitPresenter(kUmbraLimitPresenterID, kUmbraLimitColor));
    layer->SetVisible(visible);
    for (const LimitLine& l : LimitLines(record, deltaT)) {
        state.lines.push_back(AddLiveLine(*layer, l.presenterID, l.points));
    }
    layers.RequestRedraw();
}

void ShowLimitsLayer(globe::GeoLayers& layers, bool visible) {
    if (globe::GeoLayer* layer = LimitsLayerOf(layers)) {
        layer->SetVisible(visible);
    }
    layers.RequestRedraw();
}

}  // namespace zimbalo::overlays
