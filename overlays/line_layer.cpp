#include "overlays/line_layer.h"

#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_spatial_database.h"

namespace zimbalo::overlays {

globe::GeoLayer* FreshLineLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                                QUuid& layerGuid, const QString& name) {
    if (!layerGuid.isNull()) {
        database.DeleteLayer(layerGuid);
        layerGuid = QUuid();
    }
    globe::GeoLayerStore& store = layers.GlobeLayer().LayerStore();
    globe::GeoLayer* layer = store.LayerByName(name);
    if (layer == nullptr) {
        layerGuid = database.CreateLayer(name);
        layer = store.LayerByID(layerGuid);
    }
    return layer;
}

std::shared_ptr<globe::GeoMapPoly> AddLiveLine(globe::GeoLayer& layer, int presenterID,
                                               const std::vector<globe::GeoPoint>& points) {
    auto line = std::make_shared<globe::GeoMapPoly>();
    line->SetClosed(false);
    line->SetPresenterID(presenterID);
    globe::GeoPointStore& chain = line->Chains().Chain(0);
    for (const globe::GeoPoint& p : points) {
        chain.Add(p);
    }
    line->InvalidateBounds();
    layer.ObjectSource().AddObject(line);
    line->BeginEdit();
    return line;
}

}  // namespace zimbalo::overlays
