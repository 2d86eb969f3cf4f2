#include "overlays/point_layers.h"

#include "astro/language_table.h"
#include "dialogs/user_dialogs.h"
#include "globe/geo_exception.h"
#include "overlays/capitals.h"
#include "overlays/points_of_interest.h"

namespace zimbalo::overlays {

using globe::GeoLayer;
using globe::GeoPointPresenter;

namespace {

std::unique_ptr<GeoPointPresenter> pointPresenter(int id, int size, globe::GeoColor fill,
                                                  globe::GeoColor titleColor, double titleMinutes,
                                                  globe::GeoFontStyles titleStyle) {
    auto p = std::make_unique<GeoPointPresenter>();
    p->SetPresenterID(id);
    p->SetPointType(globe::GeoPointType::ppCircle);
    p->SetPointUnit(globe::GeoUnitTypes::guPixel);
    p->SetPointSize(size);
    p->PointPen().SetColor(globe::clWhite);
    p->PointBrush().SetColor(fill);
    p->PointBrush().SetStyle(globe::GeoBrushStyle::gbsSolid);
    p->TitleFont().SetColor(titleColor);
    p->TitleFont().SetSizeUnit(globe::GeoUnitTypes::guMinute);
    p->TitleFont().SetSize(titleMinutes);
    p->TitleFont().SetStyle(titleStyle);
    p->SetTitleAlignment(globe::GeoTitleAlignment::taTop);
    return p;
}

bool usableStore(const globe::GeoSpatialDatabase* database) {
    return database != nullptr && database->Active() && !database->ReadOnly();
}

/// The named layer, emptied, with its presenter in place.
GeoLayer& freshLayer(GeoLayer& root, globe::GeoSpatialDatabase* database, const QString& name,
                     std::unique_ptr<GeoPointPresenter> presenter) {
    GeoLayer& layer = FindOrCreateLayer(root, database, name);
    layer.Clear();
    layer.Presenters().Add(std::move(presenter));
    return layer;
}

}  // namespace

std::unique_ptr<GeoPointPresenter> MakeCitiesPresenter() {
    return pointPresenter(point_layers::kCitiesPresenterID, 4, globe::clBlack, globe::clWhite, 60.0,
                          globe::GeoFontStyles());
}

std::unique_ptr<GeoPointPresenter> MakeMarkerPresenter(int presenterID) {
    return pointPresenter(presenterID, 9, globe::clRed, globe::clRed, 100.0,
                          globe::GeoFontStyles(globe::GeoFontStyle::gfsHalo));
}

GeoLayer& FindOrCreateLayer(GeoLayer& root, globe::GeoSpatialDatabase* database,
                            const QString& name) {
    if (GeoLayer* found = root.LayerStore().LayerByName(name)) {
        return *found;
    }
    if (usableStore(database)) {
        try {
            const QUuid guid = database->CreateLayer(name);
            if (GeoLayer* created = root.LayerStore().LayerByID(guid)) {
                return *created;
            }
            // The globe is not attached to this store: the store's layer would never be drawn.
            database->DeleteLayer(guid);
        } catch (const globe::GeoException&) {
            // Fall through to a layer in memory: the points are shown all the same.
        }
    }
    auto layer = std::make_unique<GeoLayer>(name);
    GeoLayer* raw = layer.get();
    root.LayerStore().Add(std::move(layer));
    raw->ObjectSource().SetName(name);
    return *raw;
}

void ClearPointLayer(GeoLayer& root, const QString& name) {
    if (GeoLayer* layer = root.LayerStore().LayerByName(name)) {
        layer->Clear();
    }
}

void AddLabelledPoint(GeoLayer& layer, int presenterID, const QString& title, double longitude,
                      double latitude) {
    auto point = std::make_shared<globe::GeoMapPoint>();
    point->SetPresenterID(presenterID);
    point->SetObjectData(0, title);
    point->SetLocation(
        {globe::NormalizeLongitude(globe::DegToGU(longitude)), globe::DegToGU(latitude), 0});
    point->InvalidateBounds();
    layer.ObjectSource().AddObject(point);
}

int PointLayerCount(GeoLayer& root, const QString& name) {
    GeoLayer* layer = root.LayerStore().LayerByName(name);
    return layer == nullptr ? 0 : layer->ObjectSource().ObjectCount();
}

void CitiesLayer(GeoLayer& root, globe::GeoSpatialDatabase* database) {
    GeoLayer& layer = freshLayer(root, database, QString::fromLatin1(point_layers::kCitiesLayer),
                                 MakeCitiesPresenter());
    // The capitals lie under the marker and the picked points, also when the box is checked
    // after those layers were made: the red points the user placed stay visible.
    globe::GeoLayerStore& store = root.LayerStore();
    for (const char* above : {point_layers::kMarkerLayer, point_layers::kPoIsLayer}) {
        GeoLayer* red = store.LayerByName(QString::fromLatin1(above));
        if (red != nullptr && store.IndexOf(red) < store.IndexOf(&layer)) {
            store.Move(&layer, store.IndexOf(red));
        }
    }
    for (const City_Type& city : CapitalsTable) {
        AddLabelledPoint(layer, point_layers::kCitiesPresenterID, QString::fromUtf8(city.capital),
                         city.longitude, city.latitude);
    }
    layer.RequestRedraw();
}

void MarkerLayer(GeoLayer& root, globe::GeoSpatialDatabase* database, double latitude,
                 double longitude) {
    GeoLayer& layer = freshLayer(root, database, QString::fromLatin1(point_layers::kMarkerLayer),
                                 MakeMarkerPresenter(point_layers::kMarkerPresenterID));
    AddLabelledPoint(layer, point_layers::kMarkerPresenterID, QStringLiteral("PoI"), longitude,
                     latitude);
    layer.RequestRedraw();
}

int PoIsLayer(GeoLayer& root, globe::GeoSpatialDatabase* database, const QStringList& pickedLines,
              dialogs::UserDialogs& dialogs, Language language, bool& rebuildFlag) {
    GeoLayer& layer = freshLayer(root, database, QString::fromLatin1(point_layers::kPoIsLayer),
                                 MakeMarkerPresenter(point_layers::kPoIsPresenterID));
    const QString message = languageText(58, language);
    int added = 0;
    for (const QString& line : pickedLines) {
        const std::optional<PoIPoint> point = ParsePoILine(line);
        if (!point) {
            continue;
        }
        // One message per bad field, latitude first, as the fields are read.
        for (const bool ok : {point->latitudeValid, point->longitudeValid}) {
            if (!ok) {
                dialogs.inform(message + line);
                rebuildFlag = true;
            }
        }
        AddLabelledPoint(layer, point_layers::kPoIsPresenterID, point->name, point->longitude,
                         point->latitude);
        ++added;
    }
    layer.RequestRedraw();
    return added;
}

}  // namespace zimbalo::overlays
