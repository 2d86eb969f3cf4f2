#include "overlays/after_render.h"

#include <cmath>
#include <limits>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QLine>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>

namespace zimbalo::overlays {

namespace {

// Colours of the overlay ($00BBGGRR values turned into QColor where drawn).
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kDarkRed(0x80, 0x00, 0x00);
const QColor kUmbraFill(0x60, 0x00, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kBlack(0x00, 0x00, 0x00);

constexpr int kTrackHours = 10;       // the track runs from T0 - 10 h to T0 + 10 h
constexpr double kLabelOffset = 1.4;  // Earth radii from the track's T0 position to the label
constexpr int kFontPoints = 9;

// Beyond this many pixels from the canvas nothing can be seen, and far beyond it integer pixel
// positions overflow: such positions are not drawn.
constexpr double kFarPixels = 1 << 20;

// A pixel coordinate rounded to the nearest integer and kept inside a range the painter handles;
// only positions that could never show are moved.
int Pixel(double v) {
    if (!std::isfinite(v)) {
        return v > 0 ? static_cast<int>(kFarPixels) : -static_cast<int>(kFarPixels);
    }
    if (v > kFarPixels) {
        return static_cast<int>(kFarPixels);
    }
    if (v < -kFarPixels) {
        return -static_cast<int>(kFarPixels);
    }
    return static_cast<int>(std::lround(v));
}

double Polynomial(const std::array<double, 4>& c, double t) {
    return c[0] + t * (c[1] + t * (c[2] + t * c[3]));
}

struct Canvas {
    const OverlayInputs& in;

    int Column(double X) const { return Pixel(in.cx + X * in.pixelsPerRadius); }

    int Row(double Y) const { return Pixel(in.cy - Y * in.pixelsPerRadius); }

    QPoint Map(double X, double Y) const { return {Column(X), Row(Y)}; }

    // The ellipse of a circle of radius r about (X, Y): the box from (X - r, Y - r) to
    // (X + r, Y + r) mapped, its right and bottom edges outside the figure.
    QRect CircleBox(double X, double Y, double r) const {
        const QPoint a = Map(X - r, Y - r);
        const QPoint b = Map(X + r, Y + r);
        const int left = std::min(a.x(), b.x());
        const int right = std::max(a.x(), b.x());
        const int top = std::min(a.y(), b.y());
        const int bottom = std::max(a.y(), b.y());
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
};

QPen SolidPen(const QColor& colour, int width) {
    QPen pen(colour);
    pen.setWidth(width);
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// Text with its top-left corner at (x, y); `box` paints the text's cell behind it first.
void TextOut(QPainter& painter, const QFontMetrics& metrics, int x, int y, const QString& text,
             const QColor& colour, const QColor* box) {
    if (text.isEmpty()) {
        return;
    }
    if (box != nullptr) {
        painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), *box);
    }
    painter.setPen(colour);
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

}  // namespace

OverlayInputs OverlayInputsOf(const astro::ElementSet& e, const astro::AxisSnapshot& axis,
                              const astro::BesselRecord& record) {
    OverlayInputs in;
    in.x = e.x;
    in.y = e.y;
    in.L1 = e.L1;
    in.L2 = e.L2;
    in.tanf1 = e.tanf1;
    in.tanf2 = e.tanf2;
    in.zeta = axis.zeta;
    in.motionAngle = axis.motionAngle;
    in.xCoef = record.coef[astro::kX];
    in.yCoef = record.coef[astro::kY];
    return in;
}

double PenumbraRadius(const OverlayInputs& in) {
    return static_cast<float>(in.L1 - in.zeta * in.tanf1);
}

double UmbraRadius(const OverlayInputs& in) {
    return static_cast<float>(in.L2 - in.zeta * in.tanf2);
}

double UmbraDiameterKm(const OverlayInputs& in) {
    return std::fabs(UmbraRadius(in)) * astro::earth::kDiameterKm;
}

QString UmbraDiameterText(const OverlayInputs& in) {
    return QString::number(UmbraDiameterKm(in), 'f', 1);
}

OverlayResult GlobeAfterRender(QPainter& painter, const OverlayInputs& in, QSize controlSize) {
    OverlayResult result;
    if (!std::isfinite(in.pixelsPerRadius) || in.pixelsPerRadius <= 0.0) {
        return result;  // no scale yet: nothing can be placed
    }
    const Canvas canvas{in};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Track points at whole hours from T0 - 10 h to T0 + 10 h, from the plain polynomials.
    std::array<QPoint, 2 * kTrackHours + 1> track;
    for (int k = -kTrackHours; k <= kTrackHours; ++k) {
        const double t = k;
        track[static_cast<std::size_t>(k + kTrackHours)] =
            canvas.Map(Polynomial(in.xCoef, t), Polynomial(in.yCoef, t));
    }

    // Penumbra: a red circle.
    const double r1 = PenumbraRadius(in);
    painter.setPen(SolidPen(kRed, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(canvas.CircleBox(in.x, in.y, std::fabs(r1)));

    // Umbra: a filled dark red disc; an annular phase (r2 > 0) gives the same disc.
    const double r2 = UmbraRadius(in);
    painter.setPen(SolidPen(kDarkRed, 0));
    painter.setBrush(kUmbraFill);
    painter.drawEllipse(canvas.CircleBox(in.x, in.y, std::fabs(r2)));

    // The penumbra's diameter across the direction of motion (plain L1).
    const double sinA = std::sin(in.motionAngle);
    const double cosA = std::cos(in.motionAngle);
    painter.setPen(SolidPen(kRed, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(canvas.Map(in.x - in.L1 * sinA, in.y + in.L1 * cosA),
                     canvas.Map(in.x + in.L1 * sinA, in.y - in.L1 * cosA));

    // The track of the shadow axis.
    painter.drawPolyline(track.data(), static_cast<int>(track.size()));

    QFont font = painter.font();
    font.setPointSize(kFontPoints);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());

    // Track label, 1.4 Earth radii to the right of the track's T0 position along the direction
    // of motion. For a motion within a hair of +-90 degrees that anchor runs off to infinity:
    // the label is left out then.
    const double anchorX = in.xCoef[0] + kLabelOffset;
    const double anchorY = in.yCoef[0] + kLabelOffset * std::tan(in.motionAngle);
    const double column = in.cx + anchorX * in.pixelsPerRadius;
    const double row = in.cy - anchorY * in.pixelsPerRadius;
    const bool anchorNear = std::isfinite(column) && std::isfinite(row) && column > -kFarPixels
                            && column < controlSize.width() + kFarPixels && row > -kFarPixels
                            && row < controlSize.height() + kFarPixels;
    if (anchorNear) {
        const int w1 = metrics.horizontalAdvance(in.trackLabel1);
        const int w2 = metrics.horizontalAdvance(in.trackLabel2);
        const int h1 = metrics.height();
        TextOut(painter, metrics, Pixel(column - w1 / 2), Pixel(row - 1.2 * h1), in.trackLabel1,
                kRed, &kBlack);
        TextOut(painter, metrics, Pixel(column - w2 / 2), Pixel(row - 3.0), in.trackLabel2, kRed,
                &kBlack);
        result.trackLabelDrawn = true;
    }

    // Sub-planetary point: the globe's centre, a yellow cross with a black shadow and its label.
    if (in.subPlanetaryMark) {
        const int cx = in.cx;
        const int cy = in.cy;
        painter.setPen(SolidPen(kBlack, 2));
        painter.drawLine(cx - 6, cy - 1, cx + 6, cy - 1);
        painter.drawLine(cx + 1, cy - 6, cx + 1, cy + 5);
        painter.setPen(SolidPen(kYellow, 2));
        painter.drawLine(cx - 6, cy, cx + 5, cy);
        painter.drawLine(cx, cy - 6, cx, cy + 5);
        const int wA = metrics.horizontalAdvance(in.markLabel1);
        const int wB = metrics.horizontalAdvance(in.markLabel2);
        TextOut(painter, metrics, cx - wA / 2, cy + 4, in.markLabel1, kBlack, nullptr);
        TextOut(painter, metrics, cx - wB / 2, cy + 22, in.markLabel2, kBlack, nullptr);
        TextOut(painter, metrics, cx - wA / 2 - 1, cy + 5, in.markLabel1, kYellow, nullptr);
        TextOut(painter, metrics, cx - wB / 2 - 1, cy + 23, in.markLabel2, kYellow, nullptr);
    }
    painter.restore();
    return result;
}

}  // namespace zimbalo::overlays
