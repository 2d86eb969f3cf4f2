#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QUuid>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "astro/visibility_curves.h"
#include "globe/geo_units.h"

namespace zimbalo::globe {
class GeoLayers;
class GeoMapPoly;
class GeoSpatialDatabase;
}  // namespace zimbalo::globe

/// The layer of where an event can be seen: contours of the first (D) and fourth (R) contact
/// with their times, the planet's horizon and the Sun's 0 and -6 degree curves at D and R.
namespace zimbalo::overlays {

/// Name of the globe layer.
inline const QString kVisibilityLayerName = QStringLiteral("Visibility Layer");

/// Presenter numbers of the layer.
namespace visibility {
inline constexpr int kDDark = 1;    ///< D contour, dark sky: solid
inline constexpr int kDBright = 2;  ///< D contour, bright sky: dotted
inline constexpr int kRDark = 3;
inline constexpr int kRBright = 4;
inline constexpr int kHorizon = 5;
inline constexpr int kTwilight0 = 6;
inline constexpr int kTwilight6 = 7;
inline constexpr int kDLabel = 8;  ///< time of a D contour
inline constexpr int kRLabel = 9;
}  // namespace visibility

/// Colours ($00BBGGRR): D blue, R orange, the horizon green, the Sun's 0 degrees gold and
/// -6 degrees violet; the same as the exported KML's.
inline constexpr globe::GeoColor kVisibilityDColor = 0xFF9900;
inline constexpr globe::GeoColor kVisibilityRColor = 0x0066FF;
inline constexpr globe::GeoColor kHorizonColor = 0x00C000;
inline constexpr globe::GeoColor kTwilight0Color = 0x00D7FF;
inline constexpr globe::GeoColor kTwilight6Color = 0xC878FF;

/// Caption of the check box that shows the layer.
QString VisibilityCaption(Language language);

/// A line of the layer in globe units with its presenter.
struct VisibilityLine {
    int presenterID = visibility::kDDark;
    std::vector<globe::GeoPoint> points;
};

/// A contour's time "hh:mm" at a point of it.
struct VisibilityLabel {
    int presenterID = visibility::kDLabel;
    QString text;
    double latitude = 0.0;   ///< degrees
    double longitude = 0.0;  ///< degrees, east
};

struct VisibilityDrawing {
    std::vector<VisibilityLine> lines;
    std::vector<VisibilityLabel> labels;  ///< one per contour time and contact
};

/// The lines and labels of the curves of `record` computed with Delta T in seconds; the labels
/// give the contact's time of day in the same time scale (UT with the event's Delta T, TT with 0).
VisibilityDrawing VisibilityDrawingOf(const astro::BesselRecord& record,
                                      const astro::VisibilityCurveSet& curves);

/// What the main window keeps of the layer between rebuilds.
struct VisibilityLayerState {
    QUuid layerGuid;
    std::vector<std::shared_ptr<globe::GeoMapPoly>> lines;
    bool built = false;  ///< the layer holds the curves of the current event
};

/// Rebuilds the layer for an event and Delta T (seconds). The curves are computed (some 0.1 s)
/// only while `visible`; otherwise the layer is emptied and ShowVisibilityLayer computes them
/// when it is switched on. Call it after the central line's rebuild, which empties the store.
void VisibilityLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                     VisibilityLayerState& state, const astro::BesselRecord& record, double deltaT,
                     bool visible, bool closing);

/// Shows or hides the layer (building it for the event first when needed) and asks for a redraw.
void ShowVisibilityLayer(globe::GeoLayers& layers, globe::GeoSpatialDatabase& database,
                         VisibilityLayerState& state, const astro::BesselRecord& record,
                         double deltaT, bool visible);

}  // namespace zimbalo::overlays
