#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

#include "globe/geo_attributes.h"
#include "globe/geo_projector.h"
#include "globe/geo_units.h"

namespace zimbalo::globe {

/// A top-down 32-bit bitmap (bytes blue, green, red, unused: QImage::Format_RGB32) with direct
/// pixel access, an alpha for drawing it and an optional transparent colour.
class GeoBitmap {
public:
    GeoBitmap() = default;

    /// A bitmap of the given size; throws GeoException "Failed to allocate DIB Handle" when the
    /// memory cannot be had.
    GeoBitmap(int width, int height);

    /// Resizes; the content is lost (filled black). 0 x 0 empties the bitmap.
    void SetSize(int width, int height);

    int Width() const { return m_image.width(); }

    int Height() const { return m_image.height(); }

    bool IsEmpty() const { return m_image.isNull(); }

    /// Empties the bitmap.
    void Clear() { m_image = QImage(); }

    /// Loads an image file at its full size: JPEG files (by extension) through libjpeg, other
    /// formats through Qt's image readers. Throws GeoException when the file cannot be decoded.
    void LoadFromFile(const QString& path);

    /// Takes an image (converted to the 32-bit layout).
    void Assign(const QImage& image);

    QImage& Image() { return m_image; }

    const QImage& Image() const { return m_image; }

    /// Pixels, row after row, Width() per row (the rows have no padding).
    std::uint32_t* Bits() { return reinterpret_cast<std::uint32_t*>(m_image.bits()); }

    const std::uint32_t* Bits() const {
        return reinterpret_cast<const std::uint32_t*>(m_image.constBits());
    }

    int AlphaBlend() const { return m_alphaBlend; }

    void SetAlphaBlend(int a) { m_alphaBlend = a; }

    GeoColor TransparentColor() const { return m_transparentColor; }

    void SetTransparentColor(GeoColor c) { m_transparentColor = c; }

    /// A bitmap with a transparent colour reports itself transparent.
    bool Transparent() const { return m_transparentColor != clNone; }

    /// Not implemented: throw GeoException "GeoBitmap.<name>: Not implemented".
    [[noreturn]] void SaveToFile(const QString& path) const;
    [[noreturn]] void SaveToStream() const;
    [[noreturn]] void LoadFromStream();
    [[noreturn]] void LoadFromClipboardFormat();
    [[noreturn]] void SaveToClipboardFormat() const;

private:
    QImage m_image;
    int m_alphaBlend = 255;
    GeoColor m_transparentColor = clNone;
};

/// A colour as the pixel value of the 32-bit layout (0xFFRRGGBB).
inline std::uint32_t PixelOf(GeoColor c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

/// Blends a colour into a pixel with alpha a: each channel ((255 - a) old + a new) / 256.
inline std::uint32_t BlendPixel(std::uint32_t oldPixel, std::uint32_t newPixel, int a) {
    const auto ua = static_cast<std::uint32_t>(a);
    const std::uint32_t na = 255u - ua;
    const std::uint32_t r = (na * ((oldPixel >> 16) & 0xFF) + ua * ((newPixel >> 16) & 0xFF)) / 256;
    const std::uint32_t g = (na * ((oldPixel >> 8) & 0xFF) + ua * ((newPixel >> 8) & 0xFF)) / 256;
    const std::uint32_t b = (na * (oldPixel & 0xFF) + ua * (newPixel & 0xFF)) / 256;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

/// Counts of the drawing calls, for checks of what a render produced.
struct GeoRenderCounters {
    int PolyPolylineCalls = 0;
    int PolyPolygonCalls = 0;
    int PartsDrawn = 0;
    int PartsDropped = 0;
};

/// Draws the picture: drawing state (pen, brush, font, alpha), chains, shapes, pixels, text.
class GeoRenderer {
public:
    /// Most points one chain may have; longer open chains are drawn in pieces of this size,
    /// longer filled chains are cut at this size.
    static constexpr int MaxBufferPoints = 262144;

    GeoRenderer();
    virtual ~GeoRenderer();

    GeoRenderer(const GeoRenderer&) = delete;
    GeoRenderer& operator=(const GeoRenderer&) = delete;

    int Width() const { return m_width; }

    int Height() const { return m_height; }

    /// The view the chains are projected with and the scale ground-unit sizes are converted at
    /// (pixels per GU); its owner hands it over for each frame and after each change of view.
    void SetView(const GeoSphericalPrj& model, double scale);

    const GeoSphericalPrj& View() const { return m_view; }

    /// New size of the picture; the back buffer's content is lost.
    virtual void SetSize(int width, int height);

    /// The image all drawing goes to (the back buffer).
    virtual QImage& Surface() = 0;

    int PixelsPerInch() const { return m_pixelsPerInch; }

    int ScreenPixelsPerInch() const { return m_screenPixelsPerInch; }

    void SetPixelsPerInch(int renderer, int screen);

    bool DoubleBuffer() const { return m_doubleBuffer; }

    void SetDoubleBuffer(bool on) { m_doubleBuffer = on; }

    int MinTextHeight() const { return m_minTextHeight; }

    int MaxTextHeight() const { return m_maxTextHeight; }

    void SetMinTextHeight(int h) { m_minTextHeight = h; }

    void SetMaxTextHeight(int h) { m_maxTextHeight = h; }

    GeoPen& SelectedPen() { return m_selectedPen; }

    GeoBrush& SelectedBrush() { return m_selectedBrush; }

    /// Alpha 255; brush white solid; font "Arial" 9 guPixel white on black; pen black solid 1
    /// guPixel.
    void ResetDrawingState();

    /// The current attributes; setting copies only when the attribute differs.
    void SetPen(const GeoPen& pen);
    void SetBrush(const GeoBrush& brush);
    void SetFont(const GeoFont& font);

    const GeoPen& Pen() const { return m_pen; }

    const GeoBrush& Brush() const { return m_brush; }

    const GeoFont& Font() const { return m_font; }

    /// Current alpha, 0 .. 255.
    void SetAlpha(int alpha);

    int Alpha() const { return m_alpha; }

    /// The current pen's width in pixels.
    int PenWidthPixels() const;

    /// Whether the current pen is drawn as a hairline: one device pixel wide, for pens under two
    /// screen pixels (at a device pixel ratio of 2, under four device pixels).
    bool CosmeticPen() const;

    /// Open lines drawn smoothed (anti-aliased), for pictures that stay on the screen. Lines of
    /// odd width are centred on the pixels their points name, those of even width on the corner
    /// between them, as plain lines are, so that a horizontal line stays as sharp as without
    /// smoothing and only slanted edges take intermediate colours.
    bool SmoothLines() const { return m_smoothLines; }

    void SetSmoothLines(bool on) { m_smoothLines = on; }

    /// A font's character height in pixels: its size converted (ground units scale with the
    /// zoom), limited to MaxTextHeight when that is above 0.
    int FontHeightPixels(const GeoFont& font) const;

    /// A painter on the surface with the current pen, brush, font and alpha; opened on demand and
    /// kept open until EndCanvas.
    QPainter& Canvas();

    /// Closes the painter (after a frame).
    void EndCanvas();

    /// Fills the whole picture with a colour.
    void FillBackground(GeoColor color);

    /// Ellipse inside (left, top) .. (right, bottom), right and bottom excluded; pen and brush.
    void DrawEllipse(int left, int top, int right, int bottom);

    /// Rectangle (left, top) .. (right, bottom), right and bottom excluded; pen and brush.
    void DrawRectangle(int left, int top, int right, int bottom);

    /// Closed polygon with pen and brush (odd-even fill).
    void DrawPolygon(std::span<const QPoint> points);

    /// Open line with the pen.
    void DrawPolyline(std::span<const QPoint> points);

    /// One pixel, blended with alpha.
    void SetPixel(int x, int y, GeoColor color, int alpha = 255);

    /// Starts collecting chain parts, open or filled; parts still pending are drawn first.
    void BeginParts(bool filled);

    /// Adds a run of pixels as one part, clipped to the picture enlarged by twice the pen width.
    void AddPart(std::span<const QPoint> pixels);

    /// Draws all pending parts in one call (poly-polygon or poly-polyline) and empties them.
    void EndParts();

    /// Adds an open geographic chain: split at the antimeridian, projected, cut at the horizon.
    /// When given, earth holds the Earth-fixed vectors of the points (computed once by a caller
    /// that draws the same chain again), which saves their trigonometry.
    void AddOpenChain(std::span<const GeoPoint> points,
                      std::span<const std::array<double, 3>> earth = {});

    /// Takes the pending parts out (after clipping), leaving none to draw.
    std::vector<std::vector<QPoint>> TakeParts();

    /// Draws open parts (pixels after clipping) with the current pen, all in one go.
    void DrawOpenParts(std::span<const std::vector<QPoint>> parts);

    /// Adds a filled geographic chain: points behind the globe are pulled onto the limb.
    void AddFilledChain(std::span<const GeoPoint> points);

    /// Draws open geographic chains with the current pen (one call for all).
    void DrawOpenChains(std::span<const std::span<const GeoPoint>> chains);

    /// The clip rectangle of the parts: the picture grown by 2 x pen width (at least 2 pixels).
    QRect PartClipRect() const;

    /// The parts waiting for EndParts (pixels after clipping).
    const std::vector<std::vector<QPoint>>& PendingParts() const { return m_parts; }

    GeoRenderCounters& Counters() { return m_counters; }

private:
    void applyState();
    void addProjectedRun(std::span<const QPoint> pixels);
    /// Clips a filled part to PartClipRect (Sutherland-Hodgman) and keeps it.
    void addClippedPolygon(std::span<const QPoint> pixels);
    /// Clips an open part to PartClipRect (Liang-Barsky), keeping each piece inside it.
    void addClippedPolyline(std::span<const QPoint> pixels);
    /// Keeps a part of two pixels or more (else counts it dropped) and empties it.
    void keepPart(std::vector<QPoint>& part);
    /// Draws open parts as lines with the current pen and counts one line call.
    void drawLines(QPainter& p, std::span<const std::vector<QPoint>> parts);
    void drawLineParts(QPainter& p, std::span<const std::vector<QPoint>> parts);

    GeoSphericalPrj m_view;
    double m_scale = 1.0;
    int m_width = 0;
    int m_height = 0;
    int m_pixelsPerInch = 96;
    int m_screenPixelsPerInch = 96;
    bool m_doubleBuffer = true;
    bool m_smoothLines = false;
    int m_minTextHeight = 5;
    int m_maxTextHeight = 50;
    GeoPen m_selectedPen{0x0000FF, GeoPenStyle::gpsSolid, 1.0, GeoUnitTypes::guPixel};
    GeoBrush m_selectedBrush{0x00FFFF, 0x00FFFF, GeoBrushStyle::gbsSolid};

    GeoPen m_pen;
    GeoBrush m_brush;
    GeoFont m_font;
    int m_alpha = 255;

    std::unique_ptr<QPainter> m_painter;
    bool m_stateDirty = true;

    bool m_partsFilled = false;
    bool m_partsOpen = false;
    std::vector<std::vector<QPoint>> m_parts;
    std::vector<QPoint> m_projected;
    std::vector<QPoint> m_clipped;
    GeoRenderCounters m_counters;
};

/// The renderer with its own back buffer, a GeoBitmap of the picture's size.
class GeoDefaultRenderer final : public GeoRenderer {
public:
    GeoDefaultRenderer(int width, int height);

    void SetSize(int width, int height) override;

    QImage& Surface() override { return m_backBuffer.Image(); }

    GeoBitmap& BackBuffer() { return m_backBuffer; }

private:
    GeoBitmap m_backBuffer;
};

}  // namespace zimbalo::globe
