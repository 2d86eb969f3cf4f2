#pragma once

#include <functional>
#include <vector>

#include <QFont>
#include <QHash>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStaticText>
#include <QString>

#include "globe/geo_attributes.h"
#include "globe/geo_units.h"

namespace zimbalo::globe {

class GeoRenderer;

/// Where a title sits relative to its anchor pixel.
enum class GeoTitleAlignment {
    taNone,
    taCenter,
    taLeft,
    taRight,
    taTopLeft,
    taTop,
    taTopRight,
    taBottomLeft,
    taBottom,
    taBottomRight,
};

/// Rectangle of a text of the given size placed at an anchor with an alignment and an offset
/// (pixels); halves are rounded towards zero. taNone places the top-left corner at the anchor.
QRect LayoutLabel(QSize textSize, QPoint anchor, GeoTitleAlignment alignment, int offset);

/// Size of a (possibly multi-line) text in a font, no prefix characters, no clipping.
QSize MeasureLabelText(const QFont& font, const QString& text);

/// One collected title: what it belongs to, what it shows, where.
struct GeoLabel {
    const void* Layer = nullptr;
    int ObjectHandle = 0;
    GeoPoint Location;
    bool Selected = false;
    QString Text;
    GeoFont Font;
    int FontHeight = 0;
    QRect Rect;
};

/// Collects the titles of one picture (grouped by layer, in order) and draws them after all
/// layers, so that they lie above every object.
class GeoLabelRenderer {
public:
    /// Starts a new set of labels (at the start of every render).
    void Clear();

    /// Registers the layer whose labels follow.
    void BeginLayer(const void* layer);

    /// Lays out and records a label: "\n" in the text becomes a line break; the rectangle is
    /// measured with the font at its height in pixels.
    const GeoLabel& Add(const GeoRenderer& renderer, const QString& text, const GeoFont& font,
                        QPoint anchor, GeoTitleAlignment alignment, int offsetPixels,
                        const void* layer, int objectHandle, const GeoPoint& location,
                        bool selected);

    /// Draws all labels in the order collected: opaque background or halo, then the text.
    /// stopRequested is asked every 256 labels; drawing stops when it answers true.
    void Draw(GeoRenderer& renderer, const std::function<bool()>& stopRequested = {});

    /// The first label (layer groups in order, labels in order) whose rectangle holds the pixel.
    const GeoLabel* LabelAt(QPoint pixel) const;

    const std::vector<GeoLabel>& Labels() const { return m_labels; }

    /// Layers in the order they were registered.
    const std::vector<const void*>& Layers() const { return m_layers; }

private:
    /// A text laid out once in one font: its measured size and, for one line, the prepared text.
    struct LaidOutText {
        QSize Size;
        QStaticText Prepared;
        bool SingleLine = true;
    };

    const LaidOutText& layout(const QFont& font, const QString& text);

    QHash<QString, LaidOutText> m_textCache;
    std::vector<GeoLabel> m_labels;
    std::vector<const void*> m_layers;
    const void* m_currentLayer = nullptr;
};

}  // namespace zimbalo::globe
