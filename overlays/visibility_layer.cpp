#include "overlays/visibility_layer.h"

#include <algorithm>
#include <cmath>

#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_presenter.h"
#include "globe/geo_spatial_database.h"
#include "overlays/line_layer.h"
#include "overlays/point_layers.h"

namespace zimbalo::overlays {

namespace {

std::unique_ptr<globe::GeoRoadPresenter> LinePresenter(int id, globe::GeoColor color, double width,
                                                       globe::GeoPenStyle style) {
    auto presenter = std::make_unique<globe::GeoRoadPresenter>();
    presenter->SetPresenterID(id);
    presenter->SetEdgeColor(color);
    presenter->RoadPen().SetColor(color);
    presenter->RoadPen().SetWidth(width);
    presenter->RoadPen().SetStyle(style);
    presenter->RoadPen().SetWidthUnit(globe::GeoUnitTypes::guPixel);
    presenter->SetEdgePixels(0);
    return presenter;
}

std::unique_ptr<globe::GeoPointPresenter> LabelPresenter(int id, globe::GeoColor color) {
    auto p = std::make_unique<globe::GeoPointPresenter>();
    p->SetPresenterID(id);
    p->SetPointType(globe::GeoPointType::ppDot);
    p->SetPointUnit(globe::GeoUnitTypes::guPixel);
    p->SetPointSize(3);
    p->PointPen().SetColor(color);
    p->PointBrush().SetColor(color);
    p->TitleFont().SetColor(color);
    p->TitleFont().SetSizeUnit(globe::GeoUnitTypes::guPixel);
    p->TitleFont().SetSize(11.0);
    p->TitleFont().SetStyle(globe::GeoFontStyles(globe::GeoFontStyle::gfsHalo));
    p->SetTitleAlignment(globe::GeoTitleAlignment::taRight);
    return p;
}

int PresenterOf(const astro::VisibilityCurve& c) {
    switch (c.kind) {
        case astro::VisibilityCurveKind::Contour:
            if (c.contact == astro::ContactKind::D) {
                return c.seen == astro::SkySeen::Dark ? visibility::kDDark : visibility::kDBright;
            }
            return c.seen == astro::SkySeen::Dark ? visibility::kRDark : visibility::kRBright;
        case astro::VisibilityCurveKind::Horizon:
            return visibility::kHorizon;
        case astro::VisibilityCurveKind::Twilight:
            break;
    }
    return c.sunAltitude == 0.0 ? visibility::kTwilight0 : visibility::kTwilight6;
}

QString TimeOfDay(const astro::BesselRecord& record, double deltaT, double t) {
    const double jd = astro::ContactUT(record, deltaT, t);
    const auto minutes = static_cast<long long>(std::llround(std::fmod(jd + 0.5, 1.0) * 1440.0));
    return QStringLiteral("%1:%2")
        .arg(minutes / 60 % 24, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

globe::GeoLayer* LayerOf(globe::GeoLayers& layers) {
    return layers.GlobeLayer().LayerStore().LayerByName(kVisibilityLayerName);
}

}  // namespace

QString VisibilityCaption(Language language) {
    switch (language) {
        case Language::English:
            return QStringLiteral("Visibility");
        case Language::French:
            return QStringLiteral("Visibilité");
        case Language::German:
            break;
    }
    return QStringLiteral("Sichtbarkeit");
}

VisibilityDrawing VisibilityDrawingOf(const astro::BesselRecord& record,
                                      const astro::VisibilityCurveSet& curves) {
    VisibilityDrawing drawing;

    // The label of a contour time sits on its longest seen segment.
    struct Best {
        double t = 0.0;
        astro::ContactKind contact = astro::ContactKind::D;
        const astro::VisibilityCurve* curve = nullptr;
    };

    std::vector<Best> best;
    for (const astro::VisibilityCurve& c : curves.curves) {
        VisibilityLine line;
        line.presenterID = PresenterOf(c);
        line.points.reserve(c.points.size());
        for (const astro::CurvePoint& p : c.points) {
            line.points.push_back({globe::DegToGU(p.longitude), globe::DegToGU(p.latitude), 0});
        }
        drawing.lines.push_back(std::move(line));
        if (c.kind != astro::VisibilityCurveKind::Contour) {
            continue;
        }
        auto it = std::find_if(best.begin(), best.end(),
                               [&](const Best& b) { return b.t == c.t && b.contact == c.contact; });
        if (it == best.end()) {
            best.push_back({c.t, c.contact, &c});
        } else if (c.points.size() > it->curve->points.size()) {
            it->curve = &c;
        }
    }
    for (const Best& b : best) {
        // D's labels a quarter along the line, R's three quarters: the two sets do not overlap
        // where the contours of both cross the central line.
        const std::size_t n = b.curve->points.size();
        const astro::CurvePoint& p =
            b.curve->points[b.contact == astro::ContactKind::D ? n / 4 : (3 * n) / 4];
        drawing.labels.push_back(
            {b.contact == astro::ContactKind::D ? visibility::kDLabel : visibility::kRLabel,
             TimeOfDay(record, curves.deltaT, b.t), p.latitude, p.longitude});
    }
    return drawing;
}

void VisibilityLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                     VisibilityLayerState& state, const astro::BesselRecord& record, double deltaT,
                     bool visible, bool closing) {
    state.lines.clear();
    state.built = false;
    if (closing) {
        return;
    }
    globe::GeoLayer* layer =
        FreshLineLayer(layers, database, state.layerGuid, kVisibilityLayerName);
    if (layer == nullptr) {
        return;  // the store is not attached to this globe
    }
    using globe::GeoPenStyle;
    layer->Presenters().Add(
        LinePresenter(visibility::kDDark, kVisibilityDColor, 1.5, GeoPenStyle::gpsSolid));
    layer->Presenters().Add(
        LinePresenter(visibility::kDBright, kVisibilityDColor, 1.0, GeoPenStyle::gpsDot));
    layer->Presenters().Add(
        LinePresenter(visibility::kRDark, kVisibilityRColor, 1.5, GeoPenStyle::gpsSolid));
    layer->Presenters().Add(
        LinePresenter(visibility::kRBright, kVisibilityRColor, 1.0, GeoPenStyle::gpsDot));
    layer->Presenters().Add(
        LinePresenter(visibility::kHorizon, kHorizonColor, 1.5, GeoPenStyle::gpsSolid));
    layer->Presenters().Add(
        LinePresenter(visibility::kTwilight0, kTwilight0Color, 1.0, GeoPenStyle::gpsSolid));
    layer->Presenters().Add(
        LinePresenter(visibility::kTwilight6, kTwilight6Color, 1.0, GeoPenStyle::gpsSolid));
    layer->Presenters().Add(LabelPresenter(visibility::kDLabel, kVisibilityDColor));
    layer->Presenters().Add(LabelPresenter(visibility::kRLabel, kVisibilityRColor));
    layer->SetVisible(visible);
    if (visible) {
        const VisibilityDrawing drawing =
            VisibilityDrawingOf(record, astro::VisibilityCurves(record, deltaT));
        for (const VisibilityLine& l : drawing.lines) {
            state.lines.push_back(AddLiveLine(*layer, l.presenterID, l.points));
        }
        for (const VisibilityLabel& l : drawing.labels) {
            AddLabelledPoint(*layer, l.presenterID, l.text, l.longitude, l.latitude);
        }
        state.built = true;
    }
    layers.RequestRedraw();
}

void ShowVisibilityLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                         VisibilityLayerState& state, const astro::BesselRecord& record,
                         double deltaT, bool visible) {
    if (visible && !state.built) {
        VisibilityLayer(layers, database, state, record, deltaT, true, false);
        return;
    }
    if (globe::GeoLayer* layer = LayerOf(layers)) {
        layer->SetVisible(visible);
    }
    layers.RequestRedraw();
}

}  // namespace zimbalo::overlays
