#pragma once

#include "astro/catalogue.h"
#include "overlays/after_render.h"

class QPainter;

namespace zimbalo::overlays {

/// The home place on the fundamental plane at one instant, as the globe shows the Earth (turned
/// with Delta T = 0, in TT): x to the right, y upwards, Earth radii; `visible` when the place is
/// on the side of the Earth that faces the viewer.
struct HomeOnPlane {
    double xi = 0.0;
    double eta = 0.0;
    bool visible = false;
};

/// Where the home place (geodetic latitude and east longitude in degrees, height in metres) is at
/// `t` hours of TT from the event's T0.
HomeOnPlane HomeOnPlaneAt(const astro::BesselRecord& record, double t, double latitudeDeg,
                          double longitudeDeg, double heightMetres);

/// Draws a small house (white with a dark outline, some 13 pixels high) centred on the home
/// place when it is on the visible side; nothing otherwise. Leaves the painter's state as it was.
void DrawHomeSymbol(QPainter& painter, const OverlayInputs& in, const HomeOnPlane& home);

}  // namespace zimbalo::overlays
