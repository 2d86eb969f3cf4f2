#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QUuid>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "globe/geo_units.h"
#include "overlays/line_layer.h"

namespace zimbalo::overlays {

/// Name of the globe layer that holds the northern and southern limits of the path.
inline const QString kLimitsLayerName = QStringLiteral("Limits Layer");
/// Presenter numbers of the limits in their layer.
inline constexpr int kPenumbraLimitPresenterID = 1;
inline constexpr int kUmbraLimitPresenterID = 2;
/// Colours ($00BBGGRR): the penumbra's limits in the central line's yellow, the umbra's darker.
inline constexpr globe::GeoColor kPenumbraLimitColor = globe::clYellow;
inline constexpr globe::GeoColor kUmbraLimitColor = 0x0090C0;

/// Caption of the check box that shows the limits.
QString LimitsCaption(Language language);

/// One line of the layer: the chain of a limit in globe units and its presenter.
struct LimitLine {
    int presenterID = kPenumbraLimitPresenterID;
    std::vector<globe::GeoPoint> points;
};

/// The four limits of an event in globe units for Delta T in seconds (the time scale the globe
/// shows): one line per chain, penumbral limits first. Points keep the order along the curve,
/// also across 180 degrees.
std::vector<LimitLine> LimitLines(const astro::BesselRecord& record, double deltaT);

/// What the main window keeps of the limits layer between rebuilds.
struct LimitsLayerState {
    QUuid layerGuid;                                        ///< layer created in the store
    std::vector<std::shared_ptr<globe::GeoMapPoly>> lines;  ///< the current line objects
};

/// Rebuilds the layer "Limits Layer" for an event and Delta T (seconds) with two thin road
/// presenters and one line object per chain, shown or hidden by `visible`. Call it after the
/// central line's rebuild, which empties the layer store. Nothing is drawn while `closing`. The
/// store must be open and attached to these layers; otherwise they are left without
/// the layer. Ends with a redraw.
void LimitsLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                 LimitsLayerState& state, const astro::BesselRecord& record, double deltaT,
                 bool visible, bool closing);

/// Shows or hides the limits layer, if there is one, and asks for a redraw.
void ShowLimitsLayer(globe::GeoLayers& layers, bool visible);

}  // namespace zimbalo::overlays
