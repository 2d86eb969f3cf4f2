#include "overlays/home_symbol.h"

#include <cmath>

#include <QPainter>
#include <QPolygonF>

#include "astro/local_circumstances.h"

namespace zimbalo::overlays {

HomeOnPlane HomeOnPlaneAt(const astro::BesselRecord& record, double t, double latitudeDeg,
                          double longitudeDeg, double heightMetres) {
    const astro::Observer observer = astro::MakeObserver(latitudeDeg, longitudeDeg, heightMetres);
    // Delta T = 0: the globe turns the Earth in TT, and the home must sit on its own spot there.
    const astro::ObserverState state = astro::ObserverOnPlane(record, observer, 0.0, t);
    HomeOnPlane home;
    home.xi = state.xi;
    home.eta = state.eta;
    home.visible = state.zeta > 0.0 && std::isfinite(state.xi) && std::isfinite(state.eta);
    return home;
}

void DrawHomeSymbol(QPainter& painter, const OverlayInputs& in, const HomeOnPlane& home) {
    if (!home.visible || !(in.pixelsPerRadius > 0.0)) {
        return;
    }
    const double x = in.cx + home.xi * in.pixelsPerRadius;
    const double y = in.cy - home.eta * in.pixelsPerRadius;
    // Far off the canvas a painter may misbehave with huge coordinates; nothing to see there.
    if (std::fabs(x) > 1e6 || std::fabs(y) > 1e6) {
        return;
    }
    // Walls 10 pixels wide and 6 high under a roof 5 high, the place at the middle of the walls.
    const QPolygonF house({QPointF(x - 5.0, y + 5.0), QPointF(x + 5.0, y + 5.0),
                           QPointF(x + 5.0, y - 1.0), QPointF(x + 7.0, y - 1.0),
                           QPointF(x, y - 8.0), QPointF(x - 7.0, y - 1.0),
                           QPointF(x - 5.0, y - 1.0)});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(32, 32, 32), 1.5));
    painter.setBrush(Qt::white);
    painter.drawPolygon(house);
    painter.restore();
}

}  // namespace zimbalo::overlays
