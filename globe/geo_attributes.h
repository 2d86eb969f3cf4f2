#pragma once

#include <cstdint>
#include <functional>

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>

#include "globe/geo_units.h"

namespace zimbalo::globe {

/// QColor of a $00BBGGRR value (clNone gives a transparent colour).
QColor toQColor(GeoColor c);

/// Base of pens, brushes and fonts: tells its owner about every change of a property.
/// Copies carry the values but not the owner's handler.
class GeoAttribute {
public:
    GeoAttribute() = default;

    GeoAttribute(const GeoAttribute&) {}

    GeoAttribute& operator=(const GeoAttribute&) { return *this; }

    virtual ~GeoAttribute() = default;

    /// Called after a setter changed a value (setters ignore equal values).
    std::function<void()> OnChange;

protected:
    /// Drops the cached realisation and tells the owner.
    void changed();

    mutable bool m_realised = false;
};

enum class GeoPenStyle {
    gpsSolid,
    gpsDash,
    gpsDot,
    gpsDashDot,
    gpsDashDotDot,
    gpsClear,
    gpsInsideFrame
};

/// Line attributes: colour, style, width in WidthUnit.
class GeoPen : public GeoAttribute {
public:
    GeoPen() = default;

    GeoPen(GeoColor color, GeoPenStyle style, double width, GeoUnitTypes unit);

    GeoPen(const GeoPen& other);
    GeoPen& operator=(const GeoPen& other);

    GeoColor Color() const { return m_color; }

    GeoPenStyle Style() const { return m_style; }

    double Width() const { return m_width; }

    GeoUnitTypes WidthUnit() const { return m_widthUnit; }

    void SetColor(GeoColor c);
    void SetStyle(GeoPenStyle s);
    void SetWidth(double w);
    void SetWidthUnit(GeoUnitTypes u);

    /// Copies all properties from another pen (one notification when anything changed).
    void Assign(const GeoPen& other);

    /// Equal properties.
    bool sameAs(const GeoPen& other) const;

    /// The realised pen for a width in pixels: under 2 pixels a cosmetic 1-pixel pen, otherwise a
    /// geometric pen of that width; gpsClear draws nothing. Cached until a property changes.
    const QPen& realise(int widthPixels) const;

private:
    GeoColor m_color = clBlack;
    GeoPenStyle m_style = GeoPenStyle::gpsSolid;
    double m_width = 1.0;
    GeoUnitTypes m_widthUnit = GeoUnitTypes::guPixel;
    mutable QPen m_qpen;
    mutable int m_realisedWidth = -1;
};

enum class GeoBrushStyle : int {
    gbsSolid,
    gbsClear,
    gbsHorizontal,
    gbsVertical,
    gbsFDiagonal,
    gbsBDiagonal,
    gbsCross,
    gbsDiagCross,
    gbsPattern1,
    gbsPattern50 = gbsPattern1 + 49,
};

/// Fill attributes: colour, background colour (for hatches), style.
class GeoBrush : public GeoAttribute {
public:
    GeoBrush() = default;

    GeoBrush(GeoColor color, GeoColor bkColor, GeoBrushStyle style);

    GeoBrush(const GeoBrush& other);
    GeoBrush& operator=(const GeoBrush& other);

    GeoColor Color() const { return m_color; }

    GeoColor BkColor() const { return m_bkColor; }

    GeoBrushStyle Style() const { return m_style; }

    void SetColor(GeoColor c);
    void SetBkColor(GeoColor c);
    void SetStyle(GeoBrushStyle s);

    void Assign(const GeoBrush& other);
    bool sameAs(const GeoBrush& other) const;

    /// The realised brush: solid, hollow or hatched (pattern styles draw solid). Cached.
    const QBrush& realise() const;

    /// Hatched brushes whose BkColor differs from Color draw on an opaque background.
    bool opaqueBackground() const;

private:
    GeoColor m_color = clWhite;
    GeoColor m_bkColor = clWhite;
    GeoBrushStyle m_style = GeoBrushStyle::gbsSolid;
    mutable QBrush m_qbrush;
};

enum class GeoFontStyle : unsigned {
    gfsBold = 1,
    gfsItalic = 2,
    gfsUnderline = 4,
    gfsStrikeOut = 8,
    gfsOpaque = 16,
    gfsHalo = 32,
};

/// A set of GeoFontStyle flags.
class GeoFontStyles {
public:
    constexpr GeoFontStyles() = default;

    constexpr GeoFontStyles(GeoFontStyle s) : m_bits(static_cast<unsigned>(s)) {}

    constexpr bool has(GeoFontStyle s) const { return (m_bits & static_cast<unsigned>(s)) != 0; }

    constexpr GeoFontStyles with(GeoFontStyle s) const {
        GeoFontStyles r;
        r.m_bits = m_bits | static_cast<unsigned>(s);
        return r;
    }

    constexpr unsigned bits() const { return m_bits; }

    friend constexpr bool operator==(GeoFontStyles, GeoFontStyles) = default;

private:
    unsigned m_bits = 0;
};

/// Text attributes: face, size in SizeUnit, colours, angle (tenths of a degree), style.
class GeoFont : public GeoAttribute {
public:
    GeoFont() = default;

    GeoFont(const GeoFont& other);
    GeoFont& operator=(const GeoFont& other);

    const QString& Name() const { return m_name; }

    double Size() const { return m_size; }

    GeoUnitTypes SizeUnit() const { return m_sizeUnit; }

    GeoColor Color() const { return m_color; }

    GeoColor BkColor() const { return m_bkColor; }

    int BkAlphaBlend() const { return m_bkAlphaBlend; }

    int Angle() const { return m_angle; }

    GeoFontStyles Style() const { return m_style; }

    void SetName(const QString& n);
    void SetSize(double s);
    void SetSizeUnit(GeoUnitTypes u);
    void SetColor(GeoColor c);
    void SetBkColor(GeoColor c);
    void SetBkAlphaBlend(int a);
    void SetAngle(int tenths);
    void SetStyle(GeoFontStyles s);

    void Assign(const GeoFont& other);
    bool sameAs(const GeoFont& other) const;

    /// The realised font for a character height in pixels: face, pixel size, weight 700 with
    /// gfsBold else 400, italic, underline, strike-out. Cached per height.
    const QFont& realise(int heightPixels) const;

private:
    QString m_name = QStringLiteral("Arial");
    double m_size = 9.0;
    GeoUnitTypes m_sizeUnit = GeoUnitTypes::guPixel;
    GeoColor m_color = clBlack;
    GeoColor m_bkColor = clWhite;
    int m_bkAlphaBlend = 255;
    int m_angle = 0;
    GeoFontStyles m_style;
    mutable QFont m_qfont;
    mutable int m_realisedHeight = -1;
};

}  // namespace zimbalo::globe
