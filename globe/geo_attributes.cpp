#include "globe/geo_attributes.h"

namespace zimbalo::globe {

QColor toQColor(GeoColor c) {
    if (c == clNone) {
        return QColor(0, 0, 0, 0);
    }
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

void GeoAttribute::changed() {
    m_realised = false;
    if (OnChange) {
        OnChange();
    }
}

// ---- GeoPen

GeoPen::GeoPen(GeoColor color, GeoPenStyle style, double width, GeoUnitTypes unit)
    : m_color(color), m_style(style), m_width(width), m_widthUnit(unit) {}

GeoPen::GeoPen(const GeoPen& other)
    : GeoAttribute(other),
      m_color(other.m_color),
      m_style(other.m_style),
      m_width(other.m_width),
      m_widthUnit(other.m_widthUnit) {}

GeoPen& GeoPen::operator=(const GeoPen& other) {
    Assign(other);
    return *this;
}

void GeoPen::SetColor(GeoColor c) {
    if (c != m_color) {
        m_color = c;
        changed();
    }
}

void GeoPen::SetStyle(GeoPenStyle s) {
    if (s != m_style) {
        m_style = s;
        changed();
    }
}

void GeoPen::SetWidth(double w) {
    if (w != m_width) {
        m_width = w;
        changed();
    }
}

void GeoPen::SetWidthUnit(GeoUnitTypes u) {
    if (u != m_widthUnit) {
        m_widthUnit = u;
        changed();
    }
}

void GeoPen::Assign(const GeoPen& other) {
    if (this == &other || sameAs(other)) {
        return;
    }
    m_color = other.m_color;
    m_style = other.m_style;
    m_width = other.m_width;
    m_widthUnit = other.m_widthUnit;
    changed();
}

bool GeoPen::sameAs(const GeoPen& other) const {
    return m_color == other.m_color && m_style == other.m_style && m_width == other.m_width
           && m_widthUnit == other.m_widthUnit;
}

namespace {

Qt::PenStyle qtPenStyle(GeoPenStyle s) {
    switch (s) {
        case GeoPenStyle::gpsDash:
            return Qt::DashLine;
        case GeoPenStyle::gpsDot:
            return Qt::DotLine;
        case GeoPenStyle::gpsDashDot:
            return Qt::DashDotLine;
        case GeoPenStyle::gpsDashDotDot:
            return Qt::DashDotDotLine;
        case GeoPenStyle::gpsClear:
            return Qt::NoPen;
        case GeoPenStyle::gpsSolid:
        case GeoPenStyle::gpsInsideFrame:
            break;
    }
    return Qt::SolidLine;
}

}  // namespace

const QPen& GeoPen::realise(int widthPixels) const {
    if (m_realised && m_realisedWidth == widthPixels) {
        return m_qpen;
    }
    QPen pen(toQColor(m_color));
    pen.setStyle(qtPenStyle(m_style));
    if (widthPixels < 2) {
        // A cosmetic pen: one pixel wide whatever the transformation.
        pen.setWidth(1);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setWidth(widthPixels);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    m_qpen = pen;
    m_realisedWidth = widthPixels;
    m_realised = true;
    return m_qpen;
}

// ---- GeoBrush

GeoBrush::GeoBrush(GeoColor color, GeoColor bkColor, GeoBrushStyle style)
    : m_color(color), m_bkColor(bkColor), m_style(style) {}

GeoBrush::GeoBrush(const GeoBrush& other)
    : GeoAttribute(other),
      m_color(other.m_color),
      m_bkColor(other.m_bkColor),
      m_style(other.m_style) {}

GeoBrush& GeoBrush::operator=(const GeoBrush& other) {
    Assign(other);
    return *this;
}

void GeoBrush::SetColor(GeoColor c) {
    if (c != m_color) {
        m_color = c;
        changed();
    }
}

void GeoBrush::SetBkColor(GeoColor c) {
    if (c != m_bkColor) {
        m_bkColor = c;
        changed();
    }
}

void GeoBrush::SetStyle(GeoBrushStyle s) {
    if (s != m_style) {
        m_style = s;
        changed();
    }
}

void GeoBrush::Assign(const GeoBrush& other) {
    if (this == &other || sameAs(other)) {
        return;
    }
    m_color = other.m_color;
    m_bkColor = other.m_bkColor;
    m_style = other.m_style;
    changed();
}

bool GeoBrush::sameAs(const GeoBrush& other) const {
    return m_color == other.m_color && m_bkColor == other.m_bkColor && m_style == other.m_style;
}

bool GeoBrush::opaqueBackground() const {
    return m_style != GeoBrushStyle::gbsSolid && m_style != GeoBrushStyle::gbsClear
           && m_bkColor != m_color;
}

const QBrush& GeoBrush::realise() const {
    if (m_realised) {
        return m_qbrush;
    }
    Qt::BrushStyle style = Qt::SolidPattern;
    switch (m_style) {
        case GeoBrushStyle::gbsSolid:
            break;
        case GeoBrushStyle::gbsClear:
            style = Qt::NoBrush;
            break;
        case GeoBrushStyle::gbsHorizontal:
            style = Qt::HorPattern;
            break;
        case GeoBrushStyle::gbsVertical:
            style = Qt::VerPattern;
            break;
        case GeoBrushStyle::gbsFDiagonal:
            style = Qt::FDiagPattern;
            break;
        case GeoBrushStyle::gbsBDiagonal:
            style = Qt::BDiagPattern;
            break;
        case GeoBrushStyle::gbsCross:
            style = Qt::CrossPattern;
            break;
        case GeoBrushStyle::gbsDiagCross:
            style = Qt::DiagCrossPattern;
            break;
        default:
            // Pattern bitmaps are not used by this program; they fill solid.
            break;
    }
    m_qbrush = QBrush(toQColor(m_color), style);
    m_realised = true;
    return m_qbrush;
}

// ---- GeoFont

GeoFont::GeoFont(const GeoFont& other)
    : GeoAttribute(other),
      m_name(other.m_name),
      m_size(other.m_size),
      m_sizeUnit(other.m_sizeUnit),
      m_color(other.m_color),
      m_bkColor(other.m_bkColor),
      m_bkAlphaBlend(other.m_bkAlphaBlend),
      m_angle(other.m_angle),
      m_style(other.m_style) {}

GeoFont& GeoFont::operator=(const GeoFont& other) {
    Assign(other);
    return *this;
}

void GeoFont::SetName(const QString& n) {
    if (n != m_name) {
        m_name = n;
        changed();
    }
}

void GeoFont::SetSize(double s) {
    if (s != m_size) {
        m_size = s;
        changed();
    }
}

void GeoFont::SetSizeUnit(GeoUnitTypes u) {
    if (u != m_sizeUnit) {
        m_sizeUnit = u;
        changed();
    }
}

void GeoFont::SetColor(GeoColor c) {
    if (c != m_color) {
        m_color = c;
        changed();
    }
}

void GeoFont::SetBkColor(GeoColor c) {
    if (c != m_bkColor) {
        m_bkColor = c;
        changed();
    }
}

void GeoFont::SetBkAlphaBlend(int a) {
    if (a != m_bkAlphaBlend) {
        m_bkAlphaBlend = a;
        changed();
    }
}

void GeoFont::SetAngle(int tenths) {
    if (tenths != m_angle) {
        m_angle = tenths;
        changed();
    }
}

void GeoFont::SetStyle(GeoFontStyles s) {
    if (!(s == m_style)) {
        m_style = s;
        changed();
    }
}

void GeoFont::Assign(const GeoFont& other) {
    if (this == &other || sameAs(other)) {
        return;
    }
    m_name = other.m_name;
    m_size = other.m_size;
    m_sizeUnit = other.m_sizeUnit;
    m_color = other.m_color;
    m_bkColor = other.m_bkColor;
    m_bkAlphaBlend = other.m_bkAlphaBlend;
    m_angle = other.m_angle;
    m_style = other.m_style;
    changed();
}

bool GeoFont::sameAs(const GeoFont& other) const {
    return m_name == other.m_name && m_size == other.m_size && m_sizeUnit == other.m_sizeUnit
           && m_color == other.m_color && m_bkColor == other.m_bkColor
           && m_bkAlphaBlend == other.m_bkAlphaBlend && m_angle == other.m_angle
           && m_style == other.m_style;
}

const QFont& GeoFont::realise(int heightPixels) const {
    if (m_realised && m_realisedHeight == heightPixels) {
        return m_qfont;
    }
    QFont f(m_name);
    f.setPixelSize(heightPixels > 0 ? heightPixels : 1);
    f.setWeight(m_style.has(GeoFontStyle::gfsBold) ? QFont::Bold : QFont::Normal);
    f.setItalic(m_style.has(GeoFontStyle::gfsItalic));
    f.setUnderline(m_style.has(GeoFontStyle::gfsUnderline));
    f.setStrikeOut(m_style.has(GeoFontStyle::gfsStrikeOut));
    m_qfont = f;
    m_realisedHeight = heightPixels;
    m_realised = true;
    return m_qfont;
}

}  // namespace zimbalo::globe
