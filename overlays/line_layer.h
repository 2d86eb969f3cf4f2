#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QUuid>

#include "globe/geo_units.h"

namespace zimbalo::globe {
class GeoLayer;
class GeoLayers;
class GeoMapPoly;
class GeoSpatialDatabase;
}  // namespace zimbalo::globe

/// What the layers of lines over the globe (central line, path limits) share: the layer made
/// afresh for every event, and its lines kept live in the store.
namespace zimbalo::overlays {

/// Deletes the layer `layerGuid` names (when not null), then finds the layer `name` of the store
/// or creates it (and notes its id in `layerGuid`). Null when the store is not attached to these
/// layers.
globe::GeoLayer* FreshLineLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                                QUuid& layerGuid, const QString& name);

/// Adds an open line through `points` (globe units) drawn by presenter `presenterID` to the layer
/// and keeps it live in the store, so that it is drawn from memory at every step of the animation
/// instead of being decoded again.
std::shared_ptr<globe::GeoMapPoly> AddLiveLine(globe::GeoLayer& layer, int presenterID,
                                               const std::vector<globe::GeoPoint>& points);

}  // namespace zimbalo::overlays
