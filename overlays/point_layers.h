#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "astro/language.h"
#include "globe/geo_layer.h"
#include "globe/geo_presenter.h"
#include "globe/geo_spatial_database.h"

namespace zimbalo::dialogs {
class UserDialogs;
}

/// The globe layers of labelled points: the capitals, the single marker and the points picked from
/// the points-of-interest list.
namespace zimbalo::overlays {

/// Layer names and presenter IDs of the three point layers.
namespace point_layers {
inline constexpr const char* kCitiesLayer = "Cities Layer";
inline constexpr const char* kMarkerLayer = "PoI Layer";
inline constexpr const char* kPoIsLayer = "PoIs Layer";
inline constexpr int kCitiesPresenterID = 2;
inline constexpr int kMarkerPresenterID = 3;
inline constexpr int kPoIsPresenterID = 4;
}  // namespace point_layers

/// Presenter of the capitals: black 4-pixel circles with a white rim, white titles 60 minutes of
/// arc high above the point.
std::unique_ptr<globe::GeoPointPresenter> MakeCitiesPresenter();

/// Presenter of the marker (ID 3) and of the picked points (ID 4): red 9-pixel circles with a white
/// rim, red haloed titles 100 minutes of arc high above the point.
std::unique_ptr<globe::GeoPointPresenter> MakeMarkerPresenter(int presenterID);

/// The layer called `name` in the root layer's store (the name compared without case); when there
/// is none it is created in the layer store `database` and taken from the root's tree by the GUID
/// the store returned. Without a usable layer store (none, closed, read-only, or not attached to
/// this globe) the layer is kept in memory under the root instead.
globe::GeoLayer& FindOrCreateLayer(globe::GeoLayer& root, globe::GeoSpatialDatabase* database,
                                   const QString& name);

/// Empties the layer called `name` when it exists (objects and presenters; the layer stays).
void ClearPointLayer(globe::GeoLayer& root, const QString& name);

/// Adds one labelled point (degrees, east and north positive) with the given presenter.
void AddLabelledPoint(globe::GeoLayer& layer, int presenterID, const QString& title,
                      double longitude, double latitude);

/// Number of objects in the layer called `name` (0 when there is none).
int PointLayerCount(globe::GeoLayer& root, const QString& name);

/// Fills the "Cities Layer" with the 193 capitals. The layer is emptied first, so that calling this
/// again (each new event, each check of the box) never doubles the points.
void CitiesLayer(globe::GeoLayer& root, globe::GeoSpatialDatabase* database);

/// Fills the "PoI Layer" with the one marker "PoI" at the given place (degrees), emptying it first.
void MarkerLayer(globe::GeoLayer& root, globe::GeoSpatialDatabase* database, double latitude,
                 double longitude);

/// Fills the "PoIs Layer" from the picked lines of the points-of-interest list, in order, emptying
/// it first. Lines shorter than 30 characters are skipped. Each bad coordinate field is reported
/// through `dialogs` with the language's message followed by the line, and sets `rebuildFlag`; the
/// point is still placed. Returns the number of points added.
int PoIsLayer(globe::GeoLayer& root, globe::GeoSpatialDatabase* database,
              const QStringList& pickedLines, dialogs::UserDialogs& dialogs, Language language,
              bool& rebuildFlag);

}  // namespace zimbalo::overlays
