#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QPoint>
#include <QString>
#include <QUuid>

#include "globe/geo_globe.h"
#include "globe/geo_map_objects.h"
#include "globe/geo_object_source.h"
#include "globe/geo_presenter.h"
#include "globe/geo_renderer.h"
#include "globe/geo_spatial_database.h"
#include "globe/geo_units.h"

/// The layer tree of the globe and the rendering pass over it.
namespace zimbalo::globe {

class GeoLayer;
class GeoLayers;

/// A layer's child layers, in drawing order, owned.
class GeoLayerStore {
public:
    explicit GeoLayerStore(GeoLayer& owner) : m_owner(owner) {}

    ~GeoLayerStore();
    GeoLayerStore(const GeoLayerStore&) = delete;
    GeoLayerStore& operator=(const GeoLayerStore&) = delete;

    /// Appends a new layer and returns its index; the layer's parent becomes this store's owner.
    /// A null layer throws GeoException "GeoLayerStore.Add passed nil layer".
    int Add(std::unique_ptr<GeoLayer> layer);

    /// Adds a layer that already lives in a tree: a layer in this store keeps its place (its index
    /// is returned); a layer of another store is moved here and appended.
    int Add(GeoLayer* layer);

    int Count() const { return static_cast<int>(m_layers.size()); }

    /// Layer at index (0 .. Count - 1); otherwise GeoException
    /// "GlobeView.GetLayer: Bad layer index %d".
    GeoLayer* GetLayer(int index) const;

    /// The first layer of this store (not of child stores) whose name equals `name`, ignoring case.
    GeoLayer* LayerByName(const QString& name) const;

    /// The first layer whose object source has that GUID: this store first, then each child's
    /// store in order, depth first. Null when absent.
    GeoLayer* LayerByID(const QUuid& guid) const;

    /// Position of a layer in this store, -1 when it is not here.
    int IndexOf(const GeoLayer* layer) const;

    /// Takes a layer out of the store and hands it to the caller (null when not here).
    std::unique_ptr<GeoLayer> Remove(GeoLayer* layer);

    /// Removes and frees a layer.
    void Delete(GeoLayer* layer);

    /// Moves a layer to another position (clamped into range).
    void Move(GeoLayer* layer, int newIndex);

    /// Removes and frees all layers.
    void Clear();

    GeoLayer& Owner() const { return m_owner; }

private:
    GeoLayer& m_owner;
    std::vector<std::unique_ptr<GeoLayer>> m_layers;
};

/// The selected objects of a layer.
class GeoLayerSelection {
public:
    void Add(const std::shared_ptr<GeoMapPoint>& object);
    void Remove(const GeoMapPoint* object);

    /// Unselects every object and empties the list.
    void Clear();

    int Count() const { return static_cast<int>(m_objects.size()); }

    const std::vector<std::shared_ptr<GeoMapPoint>>& Objects() const { return m_objects; }

private:
    std::vector<std::shared_ptr<GeoMapPoint>> m_objects;
};

/// A layer of map objects: object source, presenters, child layers and drawing properties.
class GeoLayer final : public GeoSourceOwner {
public:
    explicit GeoLayer(const QString& name = QString());
    ~GeoLayer();
    GeoLayer(const GeoLayer&) = delete;
    GeoLayer& operator=(const GeoLayer&) = delete;

    GeoLayerStore& LayerStore() { return m_layerStore; }

    const GeoLayerStore& LayerStore() const { return m_layerStore; }

    GeoPresenterStore& Presenters() { return m_presenters; }

    /// The layer's object source; a GeoMemoryObjectSource is created when none was set.
    GeoObjectSource& ObjectSource();

    std::shared_ptr<GeoObjectSource> ObjectSourcePtr();

    /// Replaces (and releases) the object source.
    void SetObjectSource(std::shared_ptr<GeoObjectSource> source);

    bool HasObjectSource() const { return m_source != nullptr; }

    /// The layer's identity: its object source's GUID.
    QUuid GUID();

    GeoLayerSelection& Selection() { return m_selection; }

    /// The parent layer (null for the root and for a layer in no store).
    GeoLayer* Parent() const { return m_parent; }

    /// The store holding this layer (null when none).
    GeoLayerStore* ParentStore() const;

    /// Name; an empty name reads as the object source's name.
    QString Name();

    void SetName(const QString& name);

    bool Visible() const { return m_visible; }

    void SetVisible(bool v);

    bool Enabled() const { return m_enabled; }

    void SetEnabled(bool v);

    bool Selectable() const { return m_selectable; }

    void SetSelectable(bool v);

    bool ShowTitles() const { return m_showTitles; }

    void SetShowTitles(bool v);

    bool NoInterrupt() const { return m_noInterrupt; }

    void SetNoInterrupt(bool v);

    bool RenderAllObjects() const { return m_renderAllObjects; }

    void SetRenderAllObjects(bool v);

    int AlphaBlend() const { return m_alphaBlend; }

    void SetAlphaBlend(int alpha);

    /// Zoom limits in ZoomUnits (0 = no limit) on the projector's view distance.
    unsigned ZoomMin() const { return m_zoomMin; }

    unsigned ZoomMax() const { return m_zoomMax; }

    void SetZoomMin(unsigned v);

    void SetZoomMax(unsigned v);

    GeoUnitTypes ZoomUnits() const { return m_zoomUnits; }

    /// Changes the unit and converts the stored ZoomMin and ZoomMax into it.
    void SetZoomUnits(GeoUnitTypes units);

    int TitleColumn() const { return m_titleColumn; }

    void SetTitleColumn(int column);

    /// Stored only: titles come from TitleColumn; the name is kept for callers that set it.
    const QString& TitleColumnName() const { return m_titleColumnName; }

    void SetTitleColumnName(const QString& name);

    /// Position in the parent's store (-1 without parent store); setting it moves the layer.
    int Index() const;

    void SetIndex(int index);

    /// An image drawn as a texture over the globe with the layer (empty = none).
    const QString& SurfaceImageName() const { return m_surfaceImageName; }

    void SetSurfaceImageName(const QString& name);

    int SurfaceAlpha() const { return m_surfaceAlpha; }

    void SetSurfaceAlpha(int alpha);

    GeoColor SurfaceTransparentColor() const { return m_surfaceTransparentColor; }

    void SetSurfaceTransparentColor(GeoColor color);

    /// The surface image, loaded on first use with the layer's alpha and transparent colour; null
    /// without a name or when the file is missing or unreadable.
    const GeoTexture* SurfaceImage();

    /// Whether the layer is drawn at the projector's current view distance.
    bool IsShown(const GeoProjector& projector) const;

    /// AlphaBlend combined with the ancestors': MulDiv(parent, own, 255), or the parent's when
    /// the own value is 255.
    int EffectiveAlpha() const;

    /// The presenter for an ID: own store, each ancestor's up to the root, then the object
    /// source's store. Null for ID 0 or none.
    GeoPresenter* PresenterByID(int id) override;

    /// Resets the flags and zoom limits, empties the selection, frees the presenters of the layer
    /// and of its object source, removes all child layers and all objects, and redraws. The layer
    /// stays in its store under its name.
    void Clear();

    /// Asks the globe (through the root's layer set) to redraw.
    void RequestRedraw();

    /// The layer set at the root of this layer's tree (null when not in one).
    GeoLayers* Host() const;

    /// Render state of the current pass (read by presenters and event handlers).
    int PassNumber() const { return m_pass; }

    int ObjectsDrawn() const { return m_objectsDrawn; }

    std::int32_t CullSize() const { return m_cullSize; }

    std::int32_t MinObjectSize() const { return m_minObjectSize; }

private:
    // The store holding the layer keeps its back-links; the layer set is the root's host and
    // writes the per-pass render state that presenters and handlers only read.
    friend class GeoLayerStore;
    friend class GeoLayers;
    /// Links the layer to the store that holds it and to that store's owner (null: no store).
    void setParentStore(GeoLayerStore* store);
    void layersChanged();
    /// Starts a render pass: no objects drawn, no presenters used yet.
    void beginPass(int pass);

    GeoLayerStore m_layerStore{*this};
    GeoPresenterStore m_presenters;
    std::shared_ptr<GeoObjectSource> m_source;
    GeoLayerSelection m_selection;
    GeoLayer* m_parent = nullptr;
    GeoLayerStore* m_parentStore = nullptr;
    GeoLayers* m_host = nullptr;  // set on the root only
    QString m_name;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_selectable = true;
    bool m_showTitles = true;
    bool m_noInterrupt = false;
    bool m_renderAllObjects = false;
    int m_alphaBlend = 255;
    unsigned m_zoomMin = 0;
    unsigned m_zoomMax = 0;
    GeoUnitTypes m_zoomUnits = GeoUnitTypes::guKilometer;
    int m_titleColumn = 0;
    QString m_titleColumnName;
    QString m_surfaceImageName;
    int m_surfaceAlpha = 255;
    GeoColor m_surfaceTransparentColor = clNone;
    std::unique_ptr<GeoTexture> m_surfaceImage;
    bool m_surfaceImageTried = false;

    // Per render pass.
    int m_pass = 0;
    int m_objectsDrawn = 0;
    std::vector<GeoPresenter*> m_usedPresenters;
    std::int32_t m_cullSize = 0;
    std::int32_t m_minObjectSize = 0;
};

/// The globe's layers: the root layer `GlobeLayer` and everything the render cycle, the mouse and
/// the layer store need from them. Installed into a GeoGlobe as its layer pass.
class GeoLayers : public GeoLayerPass, public GeoSDBListener {
public:
    /// `globe` may be null (a layer tree that is never drawn).
    explicit GeoLayers(GeoGlobe* globe = nullptr);
    ~GeoLayers() override;
    GeoLayers(const GeoLayers&) = delete;
    GeoLayers& operator=(const GeoLayers&) = delete;

    GeoLayer& GlobeLayer() { return *m_root; }

    GeoGlobe* Globe() const { return m_globe; }

    /// Adds the root layer's default presenters: a point presenter with ID -1 (size in pixels)
    /// and a poly presenter with ID -2.
    void AddDefaultPresenters();

    /// Draws the layer tree (step 8 of the picture's rendering) for the visible extent in GU.
    void RenderLayers(GeoGlobe& globe, const GeoRect& extent) override;

    /// Performs a synchronisation with the spatial database that was postponed by an update.
    void SynchronizeLayers(GeoGlobe& globe) override;

    /// The object under a pixel of the last picture (labels first), or null.
    std::shared_ptr<GeoMapPoint> ObjectAtPixel(GeoGlobe& globe, QPoint px) override;

    /// Unselects every selected object of every layer.
    void ClearSelection() override;

    /// Attaches to a spatial database (detaching from the previous one) and synchronises.
    void SetSpatialDatabase(GeoSpatialDatabase* database);

    GeoSpatialDatabase* SpatialDatabase() const { return m_database; }

    /// Brings the layer tree in line with the database's layers now.
    void SynchroniseWithDatabase();

    void SDBNotify(GeoSpatialDatabase& database, GeoSDBNotification what) override;

    /// Tells the globe to redraw (no globe: nothing).
    void RequestRedraw();

    /// Events. OnObjectRender receives the layer, the object and the render flags.
    std::function<void(GeoLayer&)> OnBeforeLayerRender;
    std::function<void(GeoLayer&)> OnAfterLayerRender;
    std::function<void(GeoLayer&, GeoMapPoint&, unsigned)> OnObjectRender;
    std::function<void()> OnLayersChanged;
    /// Progress of a synchronisation: (percent done 0..100).
    std::function<void(int)> OnProgress;

    /// The layer tree changed: redraw and tell OnLayersChanged.
    void LayersChanged();

    /// Forgets the presenter remembered for the current pass (a layer freed its presenters).
    void ForgetCachedPresenter();

private:
    void renderLayer(GeoGlobe& globe, GeoLayer& layer, const GeoRect& extent, int pass);
    /// Sets the layer's cull sizes, tells OnBeforeLayerRender (pass 0) and starts the pass.
    void beginLayerPass(GeoGlobe& globe, GeoLayer& layer, int pass);
    /// Draws an object the query found (a presenter, or one pixel when it is too small) when it
    /// shows; returns whether it was drawn.
    bool drawQueried(const GeoRenderContext& ctx, GeoMapPoint& object);
    void renderObject(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags);
    GeoPresenter* presenterForPass(const GeoRenderContext& ctx, int id);
    std::shared_ptr<GeoMapPoint> objectInLayer(GeoGlobe& globe, GeoLayer& layer, QPoint px,
                                               const GeoPoint& geo);
    void removeStaleLayers(GeoLayerStore& store, GeoSpatialDatabase& database);

    GeoGlobe* m_globe;
    std::unique_ptr<GeoLayer> m_root;
    GeoSpatialDatabase* m_database = nullptr;
    bool m_syncPending = false;
    // One-entry presenter cache of the current pass.
    int m_cachedID = 0;
    GeoPresenter* m_cachedPresenter = nullptr;
};

/// Plugs a new layer set (the root layer with its default presenters) into a globe as its layer
/// pass; the globe owns it, the caller keeps the reference.
GeoLayers& InstallLayers(GeoGlobe& globe);

/// Draws one object without a presenter: the renderer's default pen and brush (the selected ones
/// when selected), a small circle for a point, the chains for a poly.
void RenderObjectItself(const GeoRenderContext& ctx, const GeoMapPoint& object, unsigned flags);

}  // namespace zimbalo::globe
