#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QUuid>

#include "astro/catalogue.h"
#include "globe/geo_units.h"
#include "overlays/line_layer.h"

/// Overlays of the main window's globe: what the globe shows of the current event beside the
/// Earth itself.
namespace zimbalo::overlays {

/// Number of points of the central line (200 equal steps in time).
inline constexpr int kCenterLinePoints = 201;
/// Presenter number of the central line in its layer.
inline constexpr int kCenterLinePresenterID = 1;
/// Name of the globe layer that holds the central line.
inline const QString kCenterLineLayerName = QStringLiteral("CenterLine Layer");

/// Whether an event type has a central line: 2 total, 3 annular, 4 annular-total.
bool IsCentralType(int occType);

/// The central line of an event in globe units: 201 points equally spaced in time between the
/// instants at which the shadow axis first and last touches the Earth, longitudes east positive
/// with Delta T (seconds) applied. Empty for non-central types and for an axis line that misses
/// the Earth. Consecutive points keep the order of time, also across 180 degrees.
std::vector<globe::GeoPoint> CenterLinePoints(const astro::BesselRecord& record, double deltaT);

/// What the main window keeps of the central-line layer between rebuilds.
struct CenterLineState {
    QUuid layerGuid;                          ///< layer created in the store, null before
    std::shared_ptr<globe::GeoMapPoly> line;  ///< the current line object, null when none
};

/// Rebuilds the central-line layer for an event and Delta T (seconds): empties the layer store
/// (every layer in it goes, the caller rebuilds the point layers afterwards), creates the layer
/// "CenterLine Layer" with its yellow 2-pixel road presenter and, for a central event, the line.
/// Does nothing beyond emptying the store while `closing`. The store must be open and attached
/// to these layers; otherwise they are left without the layer. Ends with a redraw.
void CenterLineLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                     CenterLineState& state, const astro::BesselRecord& record, double deltaT,
                     bool closing);

}  // namespace zimbalo::overlays
