#include "globe/geo_labels.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "globe/geo_renderer.h"

namespace zimbalo::globe {

QRect LayoutLabel(QSize textSize, QPoint anchor, GeoTitleAlignment alignment, int offset) {
    const int w = textSize.width();
    const int h = textSize.height();
    const int c = offset;
    int dx = 0;
    int dy = 0;
    switch (alignment) {
        case GeoTitleAlignment::taNone:
            break;
        case GeoTitleAlignment::taCenter:
            dx = -w / 2;
            dy = -h / 2;
            break;
        case GeoTitleAlignment::taLeft:
            dx = -(w + c);
            dy = -h / 2;
            break;
        case GeoTitleAlignment::taRight:
            dx = c;
            dy = -h / 2;
            break;
        case GeoTitleAlignment::taTopLeft:
            dx = -(w + c);
            dy = -(h + c);
            break;
        case GeoTitleAlignment::taTop:
            dx = -w / 2;
            dy = -(h + c);
            break;
        case GeoTitleAlignment::taTopRight:
            dx = c;
            dy = -(h + c);
            break;
        case GeoTitleAlignment::taBottomLeft:
            dx = -(w + c);
            dy = c;
            break;
        case GeoTitleAlignment::taBottom:
            dx = -w / 2;
            dy = c;
            break;
        case GeoTitleAlignment::taBottomRight:
            dx = c;
            dy = c;
            break;
    }
    return QRect(anchor.x() + dx, anchor.y() + dy, w, h);
}

QSize MeasureLabelText(const QFont& font, const QString& text) {
    return QFontMetrics(font).size(0, text);
}

const GeoLabelRenderer::LaidOutText& GeoLabelRenderer::layout(const QFont& font,
                                                              const QString& text) {
    // Titles repeat from picture to picture: measuring and shaping them once saves most of the
    // cost of drawing them.
    const QString key = font.key() + QChar(0x1F) + text;
    auto it = m_textCache.find(key);
    if (it == m_textCache.end()) {
        if (m_textCache.size() > 4096) {
            m_textCache.clear();
        }
        LaidOutText entry;
        entry.Size = MeasureLabelText(font, text);
        entry.SingleLine = !text.contains(QLatin1Char('\n'));
        if (entry.SingleLine) {
            entry.Prepared = QStaticText(text);
            entry.Prepared.setTextFormat(Qt::PlainText);
            entry.Prepared.prepare(QTransform(), font);
        }
        it = m_textCache.insert(key, entry);
    }
    return *it;
}

void GeoLabelRenderer::Clear() {
    m_labels.clear();
    m_layers.clear();
    m_currentLayer = nullptr;
}

void GeoLabelRenderer::BeginLayer(const void* layer) {
    m_currentLayer = layer;
    m_layers.push_back(layer);
}

const GeoLabel& GeoLabelRenderer::Add(const GeoRenderer& renderer, const QString& text,
                                      const GeoFont& font, QPoint anchor,
                                      GeoTitleAlignment alignment, int offsetPixels,
                                      const void* layer, int objectHandle, const GeoPoint& location,
                                      bool selected) {
    GeoLabel label;
    label.Layer = layer != nullptr ? layer : m_currentLayer;
    label.ObjectHandle = objectHandle;
    label.Location = location;
    label.Selected = selected;
    label.Text = text;
    label.Text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    label.Font = font;
    label.FontHeight = renderer.FontHeightPixels(font);
    const QSize size = layout(font.realise(label.FontHeight), label.Text).Size;
    label.Rect = LayoutLabel(size, anchor, alignment, offsetPixels);
    m_labels.push_back(std::move(label));
    return m_labels.back();
}

void GeoLabelRenderer::Draw(GeoRenderer& renderer, const std::function<bool()>& stopRequested) {
    int count = 0;
    for (const GeoLabel& label : m_labels) {
        if (++count % 256 == 0 && stopRequested && stopRequested()) {
            break;
        }
        QPainter& p = renderer.Canvas();
        const QFont& font = label.Font.realise(label.FontHeight);
        const GeoColor color = label.Selected ? renderer.SelectedPen().Color() : label.Font.Color();
        p.save();
        p.setOpacity(1.0);
        p.setFont(font);
        const GeoFontStyles style = label.Font.Style();
        const LaidOutText& text = layout(font, label.Text);
        // Lines of a multi-line title, each on its own baseline; the halo and the text use the
        // same baselines so that the halo lies exactly around the glyphs.
        const QFontMetrics metrics(font);
        const QStringList lines =
            text.SingleLine ? QStringList{label.Text} : label.Text.split(QLatin1Char('\n'));
        auto baseline = [&label, &metrics](qsizetype line) {
            return label.Rect.top() + metrics.ascent()
                   + static_cast<int>(line) * metrics.lineSpacing();
        };
        if (style.has(GeoFontStyle::gfsOpaque)) {
            p.fillRect(label.Rect.adjusted(-1, -1, 1, 1), toQColor(label.Font.BkColor()));
        } else if (style.has(GeoFontStyle::gfsHalo)) {
            // The outline of the glyphs stroked 3 screen pixels wide in the background colour.
            QPainterPath path;
            for (qsizetype i = 0; i < lines.size(); ++i) {
                path.addText(label.Rect.left(), baseline(i), font, lines[i]);
            }
            QPen halo(toQColor(label.Font.BkColor()));
            halo.setWidth(MulDiv(3, renderer.PixelsPerInch(), renderer.ScreenPixelsPerInch()));
            halo.setJoinStyle(Qt::RoundJoin);
            p.strokePath(path, halo);
        }
        p.setPen(toQColor(color));
        p.setBackgroundMode(Qt::TransparentMode);
        if (text.SingleLine) {
            p.drawStaticText(label.Rect.topLeft(), text.Prepared);
        } else {
            for (qsizetype i = 0; i < lines.size(); ++i) {
                p.drawText(QPoint(label.Rect.left(), baseline(i)), lines[i]);
            }
        }
        p.restore();
    }
}

const GeoLabel* GeoLabelRenderer::LabelAt(QPoint pixel) const {
    for (const void* layer : m_layers) {
        for (const GeoLabel& label : m_labels) {
            if (label.Layer == layer && label.Rect.contains(pixel)) {
                return &label;
            }
        }
    }
    for (const GeoLabel& label : m_labels) {
        if (label.Rect.contains(pixel)) {
            return &label;
        }
    }
    return nullptr;
}

}  // namespace zimbalo::globe
