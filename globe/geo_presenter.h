#pragma once

#include <memory>
#include <vector>

#include <QImage>
#include <QString>

#include "globe/geo_attributes.h"
#include "globe/geo_labels.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_units.h"

/// Presenters: the objects that know how to draw map objects, and the store that holds them.
namespace zimbalo::globe {

class GeoGlobe;
class GeoLayer;
class GeoPresenterStore;
class GeoProjector;
class GeoRenderer;

/// Flags handed to a presenter with each object.
namespace render_flags {
inline constexpr unsigned Selected = 1;
inline constexpr unsigned PartlyHidden = 2;
inline constexpr unsigned SomeVisible = 4;
}  // namespace render_flags

/// What a presenter draws with during one pass over one layer.
struct GeoRenderContext {
    GeoGlobe& Globe;
    GeoProjector& Projector;
    GeoRenderer& Renderer;
    GeoLabelRenderer& Labels;
    GeoLayer& Layer;
    int Pass = 0;          ///< 0 for the first pass over the layer
    int LayerAlpha = 255;  ///< the layer's effective alpha, 0..255
};

/// MulDiv(a, b, 255) rounded to the nearest integer, as used to combine alphas.
int CombineAlpha(int a, int b);

/// Whether p (GU) hits an object drawn without presenter, within `tolerance` GU.
bool ObjectItselfHit(const GeoMapPoint& object, const GeoPoint& p, std::int32_t tolerance);

/// Base of all presenters. Property setters ask the owning layer to redraw.
class GeoPresenter {
public:
    GeoPresenter();
    virtual ~GeoPresenter() = default;
    GeoPresenter& operator=(const GeoPresenter&) = delete;

    /// A copy with the same properties, owned by nobody (used when objects move between sources).
    virtual std::unique_ptr<GeoPresenter> Clone() const = 0;

    const QString& Name() const { return m_name; }

    void SetName(const QString& name);

    int PresenterID() const { return m_presenterID; }

    /// Changing the ID of a presenter already in a store does not re-check the store for doubles.
    void SetPresenterID(int id);

    /// A further presenter drawing the same object after this one (0 = none).
    int NextPresenterID() const { return m_nextPresenterID; }

    void SetNextPresenterID(int id);

    bool Hidden() const { return m_hidden; }

    void SetHidden(bool hidden);

    /// 0..255, combined with the layer's effective alpha.
    int AlphaBlend() const { return m_alphaBlend; }

    void SetAlphaBlend(int alpha);

    int TitleColumn() const { return m_titleColumn; }

    void SetTitleColumn(int column);

    GeoFont& TitleFont() { return m_titleFont; }

    const GeoFont& TitleFont() const { return m_titleFont; }

    GeoTitleAlignment TitleAlignment() const { return m_titleAlignment; }

    void SetTitleAlignment(GeoTitleAlignment alignment);

    int TitleOffset() const { return m_titleOffset; }

    void SetTitleOffset(int offset);

    GeoUnitTypes TitleOffsetUnits() const { return m_titleOffsetUnits; }

    void SetTitleOffsetUnits(GeoUnitTypes units);

    /// Titles are shown only while the view distance lies strictly between these (in
    /// TitleZoomUnits), unless both are equal.
    unsigned TitleZoomMin() const { return m_titleZoomMin; }

    unsigned TitleZoomMax() const { return m_titleZoomMax; }

    void SetTitleZoomMin(unsigned v);

    void SetTitleZoomMax(unsigned v);

    GeoUnitTypes TitleZoomUnits() const { return m_titleZoomUnits; }

    void SetTitleZoomUnits(GeoUnitTypes units);

    /// Prepares the presenter for one pass over a layer: effective alpha and title visibility.
    virtual void BeginPass(const GeoRenderContext& ctx);

    /// Draws one object; `flags` from render_flags.
    virtual void Render(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) = 0;

    /// Asked after a pass: whether the layer must be drawn once more (road casing).
    virtual bool WantsAnotherPass(const GeoRenderContext&) const { return false; }

    /// Adds the object's title to the picture's labels when titles are shown (see BeginPass).
    virtual void AddTitle(const GeoRenderContext& ctx, GeoMapPoint& object);

    /// Hit radius in GU for the object-under-pixel look-up at the projector's scale.
    virtual std::int32_t HitRadius(const GeoProjector&) const { return 0; }

    /// Whether the geographic point p hits the object as drawn by this presenter; `tolerance` GU.
    virtual bool Hit(const GeoProjector& projector, const GeoMapPoint& object, const GeoPoint& p,
                     std::int32_t tolerance) const;

    /// Effective alpha and title flag of the current pass.
    int EffectiveAlpha() const { return m_effectiveAlpha; }

    bool TitlesShown() const { return m_titlesShown; }

protected:
    GeoPresenter(const GeoPresenter& other);
    void changed();
    void hook(GeoAttribute& attribute);

    template <typename T>
    void set(T& field, const T& value) {
        if (!(field == value)) {
            field = value;
            changed();
        }
    }

private:
    friend class GeoPresenterStore;

    GeoPresenterStore* m_store = nullptr;
    QString m_name;
    int m_presenterID = 0;
    int m_nextPresenterID = 0;
    bool m_hidden = false;
    int m_alphaBlend = 255;
    int m_titleColumn = 0;
    GeoFont m_titleFont;
    GeoTitleAlignment m_titleAlignment = GeoTitleAlignment::taNone;
    int m_titleOffset = 0;
    GeoUnitTypes m_titleOffsetUnits = GeoUnitTypes::guPixel;
    unsigned m_titleZoomMin = 0;
    unsigned m_titleZoomMax = 0;
    GeoUnitTypes m_titleZoomUnits = GeoUnitTypes::guKilometer;
    int m_effectiveAlpha = 255;
    bool m_titlesShown = false;
};

enum class GeoPointType {
    ppNone,
    ppFontSymbol,
    ppImage,
    ppDot,
    ppCircle,
    ppSquare,
    ppDiamond,
    ppTriangleUp,
    ppTriangleDown,
    ppTriangleLeft,
    ppTriangleRight
};

/// Draws a symbol at a point object (or at every visible point of a poly).
class GeoPointPresenter : public GeoPresenter {
public:
    GeoPointPresenter();
    std::unique_ptr<GeoPresenter> Clone() const override;

    GeoPointType PointType() const { return m_pointType; }

    void SetPointType(GeoPointType type);

    GeoUnitTypes PointUnit() const { return m_pointUnit; }

    void SetPointUnit(GeoUnitTypes unit);

    int PointSize() const { return m_pointSize; }

    void SetPointSize(int size);

    /// Upper limit of the symbol in pixels (0 = none).
    int MaxPointSize() const { return m_maxPointSize; }

    void SetMaxPointSize(int size);

    GeoPen& PointPen() { return m_pointPen; }

    const GeoPen& PointPen() const { return m_pointPen; }

    GeoBrush& PointBrush() { return m_pointBrush; }

    const GeoBrush& PointBrush() const { return m_pointBrush; }

    GeoFont& PointFont() { return m_pointFont; }

    const GeoFont& PointFont() const { return m_pointFont; }

    int SymbolIndex() const { return m_symbolIndex; }

    void SetSymbolIndex(int index);

    /// Data column holding the symbol code instead of SymbolIndex (-1 = none).
    int OverrideColumn() const { return m_overrideColumn; }

    void SetOverrideColumn(int column);

    const QString& ImageName() const { return m_imageName; }

    void SetImageName(const QString& name);

    void BeginPass(const GeoRenderContext& ctx) override;
    void Render(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) override;
    std::int32_t HitRadius(const GeoProjector& projector) const override;
    bool Hit(const GeoProjector& projector, const GeoMapPoint& object, const GeoPoint& p,
             std::int32_t tolerance) const override;

    /// Symbol size in pixels at the projector's scale.
    int SymbolPixels(const GeoProjector& projector) const;

protected:
    GeoPointPresenter(const GeoPointPresenter& other);

private:
    void drawSymbol(const GeoRenderContext& ctx, const GeoMapPoint& object, int x, int y, int c);
    void drawFontSymbol(GeoRenderer& r, const GeoMapPoint& object, int x, int y, int c) const;
    void drawImageSymbol(GeoRenderer& r, int x, int y, int c);
    /// The image rescaled to size x size with its key colour made transparent (null without an
    /// image); kept until the size or the image changes.
    const QImage& symbolImage(int size);

    GeoPointType m_pointType = GeoPointType::ppCircle;
    GeoUnitTypes m_pointUnit = GeoUnitTypes::guPixel;
    int m_pointSize = 6;
    int m_maxPointSize = 0;
    GeoPen m_pointPen;
    GeoBrush m_pointBrush;
    GeoFont m_pointFont;
    int m_symbolIndex = 0;
    int m_overrideColumn = -1;
    QString m_imageName;
    QImage m_image;
    bool m_imageTried = false;
    QImage m_symbol;
    int m_symbolSize = -1;
};

enum class GeoPolyRenderMode { prmNormal, prmClosed, prmOpen };

/// Draws polys as lines or filled areas.
class GeoPolyPresenter : public GeoPresenter {
public:
    GeoPolyPresenter();
    std::unique_ptr<GeoPresenter> Clone() const override;

    GeoPen& PolyPen() { return m_polyPen; }

    const GeoPen& PolyPen() const { return m_polyPen; }

    GeoBrush& PolyBrush() { return m_polyBrush; }

    const GeoBrush& PolyBrush() const { return m_polyBrush; }

    GeoPolyRenderMode PolyRenderMode() const { return m_renderMode; }

    void SetPolyRenderMode(GeoPolyRenderMode mode);

    void Render(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) override;
    bool Hit(const GeoProjector& projector, const GeoMapPoint& object, const GeoPoint& p,
             std::int32_t tolerance) const override;

protected:
    GeoPolyPresenter(const GeoPolyPresenter& other);
    bool filledFor(const GeoMapPoint& object) const;

private:
    GeoPen m_polyPen;
    GeoBrush m_polyBrush;
    GeoPolyRenderMode m_renderMode = GeoPolyRenderMode::prmNormal;
};

/// A poly presenter that always fills.
class GeoPolygonPresenter : public GeoPolyPresenter {
public:
    GeoPolygonPresenter();
    std::unique_ptr<GeoPresenter> Clone() const override;

protected:
    GeoPolygonPresenter(const GeoPolygonPresenter& other) = default;
};

/// A poly presenter that never fills.
class GeoPolylinePresenter : public GeoPolyPresenter {
public:
    GeoPolylinePresenter();
    std::unique_ptr<GeoPresenter> Clone() const override;

protected:
    GeoPolylinePresenter(const GeoPolylinePresenter& other) = default;
};

/// Draws polys as roads: a wider edge (casing) in a first pass, the road on top in the next.
class GeoRoadPresenter : public GeoPresenter {
public:
    GeoRoadPresenter();
    std::unique_ptr<GeoPresenter> Clone() const override;

    GeoPen& RoadPen() { return m_roadPen; }

    const GeoPen& RoadPen() const { return m_roadPen; }

    /// Width of the casing on each side of the road, pixels (0 = no casing).
    int EdgePixels() const { return m_edgePixels; }

    void SetEdgePixels(int pixels);

    GeoColor EdgeColor() const { return m_edgeColor; }

    void SetEdgeColor(GeoColor color);

    void BeginPass(const GeoRenderContext& ctx) override;
    void Render(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) override;
    bool WantsAnotherPass(const GeoRenderContext& ctx) const override;
    bool Hit(const GeoProjector& projector, const GeoMapPoint& object, const GeoPoint& p,
             std::int32_t tolerance) const override;

protected:
    GeoRoadPresenter(const GeoRoadPresenter& other);

private:
    GeoPen m_roadPen;
    GeoPen m_edgePen;
    int m_edgePixels = 1;
    GeoColor m_edgeColor = 0x808080;
    int m_pass = 0;
    int m_roadPixels = 0;
};

/// The presenters of a layer or object source, in order, owned.
class GeoPresenterStore {
public:
    GeoPresenterStore() = default;
    ~GeoPresenterStore();
    GeoPresenterStore(const GeoPresenterStore&) = delete;
    GeoPresenterStore& operator=(const GeoPresenterStore&) = delete;

    /// Takes the presenter. A non-zero ID replaces (frees) a presenter with that ID; ID 0 gets the
    /// largest positive ID in the store plus 1 (1 when there is none). Returns the presenter's ID.
    int Add(std::unique_ptr<GeoPresenter> presenter);

    int Count() const { return static_cast<int>(m_presenters.size()); }

    /// Presenter at index i (0 .. Count - 1).
    GeoPresenter* Presenter(int i) const {
        return m_presenters.at(static_cast<std::size_t>(i)).get();
    }

    /// The first presenter with that ID; null for 0 or none.
    GeoPresenter* ByID(int id) const;

    /// Frees all presenters.
    void Clear();

    /// Called whenever a presenter or the store changes (the owner asks for a redraw).
    std::function<void()> OnChange;

private:
    void changed();

    std::vector<std::unique_ptr<GeoPresenter>> m_presenters;
};

}  // namespace zimbalo::globe
