#include "globe/geo_layer.h"

#include <algorithm>
#include <cmath>

#include <QFile>

#include "globe/geo_exception.h"
#include "globe/geo_labels.h"
#include "globe/geo_projector.h"

namespace zimbalo::globe {

namespace {

// Longest chain of NextPresenterID links followed for one object; a longer chain is a cycle.
constexpr int kMaxPresenterChain = 32;

// Most passes over one layer; a presenter that keeps asking for more is not obeyed beyond this.
constexpr int kMaxPasses = 8;

// Objects between two looks at the abort-and-restart flag.
constexpr int kObjectsPerCheck = 128;

}  // namespace

// ---- GeoLayerStore ---------------------------------------------------------------------------

GeoLayerStore::~GeoLayerStore() {
    Clear();
}

int GeoLayerStore::Add(std::unique_ptr<GeoLayer> layer) {
    if (!layer) {
        throw GeoException(QStringLiteral("GeoLayerStore.Add passed nil layer"));
    }
    if (layer->ParentStore() != nullptr) {
        // A unique_ptr handed in cannot also be held by another store.
        throw GeoException(QStringLiteral("GeoLayerStore.Add: layer is owned by another store"));
    }
    layer->setParentStore(this);
    m_layers.push_back(std::move(layer));
    m_owner.layersChanged();
    return Count() - 1;
}

int GeoLayerStore::Add(GeoLayer* layer) {
    if (layer == nullptr) {
        throw GeoException(QStringLiteral("GeoLayerStore.Add passed nil layer"));
    }
    const int index = IndexOf(layer);
    if (index >= 0) {
        return index;
    }
    if (layer->ParentStore() == nullptr) {
        throw GeoException(QStringLiteral("GeoLayerStore.Add: layer has no owner; pass ownership"));
    }
    // A layer cannot become its own descendant.
    for (const GeoLayer* l = &m_owner; l != nullptr; l = l->Parent()) {
        if (l == layer) {
            throw GeoException(QStringLiteral("GeoLayerStore.Add: layer would contain itself"));
        }
    }
    return Add(layer->ParentStore()->Remove(layer));
}

GeoLayer* GeoLayerStore::GetLayer(int index) const {
    if (index < 0 || index >= Count()) {
        throw GeoException(QStringLiteral("GlobeView.GetLayer: Bad layer index %1").arg(index));
    }
    return m_layers[static_cast<std::size_t>(index)].get();
}

GeoLayer* GeoLayerStore::LayerByName(const QString& name) const {
    for (const auto& layer : m_layers) {
        if (layer->Name().compare(name, Qt::CaseInsensitive) == 0) {
            return layer.get();
        }
    }
    return nullptr;
}

GeoLayer* GeoLayerStore::LayerByID(const QUuid& guid) const {
    for (const auto& layer : m_layers) {
        if (layer->GUID() == guid) {
            return layer.get();
        }
    }
    for (const auto& layer : m_layers) {
        if (GeoLayer* found = layer->LayerStore().LayerByID(guid)) {
            return found;
        }
    }
    return nullptr;
}

int GeoLayerStore::IndexOf(const GeoLayer* layer) const {
    for (std::size_t i = 0; i < m_layers.size(); ++i) {
        if (m_layers[i].get() == layer) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::unique_ptr<GeoLayer> GeoLayerStore::Remove(GeoLayer* layer) {
    const int index = IndexOf(layer);
    if (index < 0) {
        return nullptr;
    }
    std::unique_ptr<GeoLayer> taken = std::move(m_layers[static_cast<std::size_t>(index)]);
    m_layers.erase(m_layers.begin() + index);
    taken->setParentStore(nullptr);
    m_owner.layersChanged();
    return taken;
}

void GeoLayerStore::Delete(GeoLayer* layer) {
    Remove(layer);
}

void GeoLayerStore::Move(GeoLayer* layer, int newIndex) {
    const int index = IndexOf(layer);
    if (index < 0) {
        return;
    }
    newIndex = std::clamp(newIndex, 0, Count() - 1);
    if (newIndex == index) {
        return;
    }
    std::unique_ptr<GeoLayer> taken = std::move(m_layers[static_cast<std::size_t>(index)]);
    m_layers.erase(m_layers.begin() + index);
    m_layers.insert(m_layers.begin() + newIndex, std::move(taken));
    m_owner.layersChanged();
}

void GeoLayerStore::Clear() {
    if (m_layers.empty()) {
        return;
    }
    // Take the layers out first so that nothing reaches a half-destroyed store.
    std::vector<std::unique_ptr<GeoLayer>> layers = std::move(m_layers);
    m_layers.clear();
    for (auto& layer : layers) {
        layer->setParentStore(nullptr);
    }
    layers.clear();
    m_owner.layersChanged();
}

// ---- GeoLayerSelection -----------------------------------------------------------------------

void GeoLayerSelection::Add(const std::shared_ptr<GeoMapPoint>& object) {
    if (object && std::find(m_objects.begin(), m_objects.end(), object) == m_objects.end()) {
        object->SetSelected(true);
        m_objects.push_back(object);
    }
}

void GeoLayerSelection::Remove(const GeoMapPoint* object) {
    std::erase_if(m_objects, [object](const std::shared_ptr<GeoMapPoint>& o) {
        if (o.get() == object) {
            o->SetSelected(false);
            return true;
        }
        return false;
    });
}

void GeoLayerSelection::Clear() {
    for (const auto& object : m_objects) {
        object->SetSelected(false);
    }
    m_objects.clear();
}

// ---- GeoLayer --------------------------------------------------------------------------------

GeoLayer::GeoLayer(const QString& name) : m_name(name) {
    m_presenters.OnChange = [this]() { RequestRedraw(); };
}

GeoLayer::~GeoLayer() {
    m_layerStore.Clear();
    if (m_source && m_source->Owner() == this) {
        m_source->SetOwner(nullptr);
        m_source->Presenters().OnChange = nullptr;
    }
}

GeoObjectSource& GeoLayer::ObjectSource() {
    return *ObjectSourcePtr();
}

std::shared_ptr<GeoObjectSource> GeoLayer::ObjectSourcePtr() {
    if (!m_source) {
        SetObjectSource(std::make_shared<GeoMemoryObjectSource>());
    }
    return m_source;
}

void GeoLayer::SetObjectSource(std::shared_ptr<GeoObjectSource> source) {
    if (source == m_source) {
        return;
    }
    if (m_source && m_source->Owner() == this) {
        m_source->SetOwner(nullptr);
        m_source->Presenters().OnChange = nullptr;
    }
    m_source = std::move(source);
    if (m_source) {
        m_source->SetOwner(this);
        m_source->Presenters().OnChange = [this]() { RequestRedraw(); };
    }
    RequestRedraw();
}

QUuid GeoLayer::GUID() {
    return ObjectSource().GUID();
}

GeoLayerStore* GeoLayer::ParentStore() const {
    return m_parentStore;
}

void GeoLayer::setParentStore(GeoLayerStore* store) {
    m_parentStore = store;
    m_parent = store != nullptr ? &store->Owner() : nullptr;
}

QString GeoLayer::Name() {
    if (m_name.isEmpty()) {
        return ObjectSource().Name();
    }
    return m_name;
}

void GeoLayer::SetName(const QString& name) {
    m_name = name;
}

void GeoLayer::SetVisible(bool v) {
    if (v != m_visible) {
        m_visible = v;
        RequestRedraw();
    }
}

void GeoLayer::SetEnabled(bool v) {
    m_enabled = v;
}

void GeoLayer::SetSelectable(bool v) {
    m_selectable = v;
}

void GeoLayer::SetShowTitles(bool v) {
    if (v != m_showTitles) {
        m_showTitles = v;
        RequestRedraw();
    }
}

void GeoLayer::SetNoInterrupt(bool v) {
    m_noInterrupt = v;
}

void GeoLayer::SetRenderAllObjects(bool v) {
    if (v != m_renderAllObjects) {
        m_renderAllObjects = v;
        RequestRedraw();
    }
}

void GeoLayer::SetAlphaBlend(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha != m_alphaBlend) {
        m_alphaBlend = alpha;
        RequestRedraw();
    }
}

void GeoLayer::SetZoomMin(unsigned v) {
    if (v != m_zoomMin) {
        m_zoomMin = v;
        RequestRedraw();
    }
}

void GeoLayer::SetZoomMax(unsigned v) {
    if (v != m_zoomMax) {
        m_zoomMax = v;
        RequestRedraw();
    }
}

void GeoLayer::SetZoomUnits(GeoUnitTypes units) {
    if (units == m_zoomUnits) {
        return;
    }
    const double from = GUPerUnit(m_zoomUnits);
    const double to = GUPerUnit(units);
    // Pixels have no fixed size; limits in or out of them are kept as numbers.
    if (from > 0.0 && to > 0.0) {
        const auto convert = [&](unsigned v) {
            const double converted = std::round(v * from / to);
            return static_cast<unsigned>(std::clamp(converted, 0.0, 4294967295.0));
        };
        m_zoomMin = convert(m_zoomMin);
        m_zoomMax = convert(m_zoomMax);
    }
    m_zoomUnits = units;
    RequestRedraw();
}

void GeoLayer::SetTitleColumn(int column) {
    if (column != m_titleColumn) {
        m_titleColumn = column;
        RequestRedraw();
    }
}

void GeoLayer::SetTitleColumnName(const QString& name) {
    m_titleColumnName = name;
}

int GeoLayer::Index() const {
    return m_parentStore ? m_parentStore->IndexOf(this) : -1;
}

void GeoLayer::SetIndex(int index) {
    if (m_parentStore) {
        m_parentStore->Move(this, index);
    }
}

void GeoLayer::SetSurfaceImageName(const QString& name) {
    if (name != m_surfaceImageName) {
        m_surfaceImageName = name;
        m_surfaceImage.reset();
        m_surfaceImageTried = false;
        RequestRedraw();
    }
}

void GeoLayer::SetSurfaceAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha != m_surfaceAlpha) {
        m_surfaceAlpha = alpha;
        RequestRedraw();
    }
}

void GeoLayer::SetSurfaceTransparentColor(GeoColor color) {
    if (color != m_surfaceTransparentColor) {
        m_surfaceTransparentColor = color;
        RequestRedraw();
    }
}

bool GeoLayer::IsShown(const GeoProjector& projector) const {
    if (!m_visible) {
        return false;
    }
    const std::int64_t distance = projector.ViewDistance();
    if (m_zoomMin != 0 && distance < projector.UnitsToGU(m_zoomMin, m_zoomUnits)) {
        return false;
    }
    if (m_zoomMax != 0 && distance > projector.UnitsToGU(m_zoomMax, m_zoomUnits)) {
        return false;
    }
    return true;
}

int GeoLayer::EffectiveAlpha() const {
    const int parentAlpha = m_parent ? m_parent->EffectiveAlpha() : 255;
    return m_alphaBlend == 255 ? parentAlpha : CombineAlpha(parentAlpha, m_alphaBlend);
}

GeoPresenter* GeoLayer::PresenterByID(int id) {
    if (id == 0) {
        return nullptr;
    }
    for (GeoLayer* layer = this; layer != nullptr; layer = layer->m_parent) {
        if (GeoPresenter* p = layer->m_presenters.ByID(id)) {
            return p;
        }
    }
    return m_source ? m_source->Presenters().ByID(id) : nullptr;
}

void GeoLayer::Clear() {
    m_selectable = true;
    m_visible = true;
    m_enabled = true;
    m_showTitles = true;
    m_zoomMin = 0;
    m_zoomMax = 0;
    m_zoomUnits = GeoUnitTypes::guKilometer;
    m_selection.Clear();
    m_usedPresenters.clear();
    if (GeoLayers* host = Host()) {
        host->ForgetCachedPresenter();
    }
    m_presenters.Clear();
    if (m_source) {
        m_source->Presenters().Clear();
        m_source->RemoveAllObjects();
    }
    m_layerStore.Clear();
    RequestRedraw();
}

GeoLayers* GeoLayer::Host() const {
    const GeoLayer* root = this;
    while (root->m_parent != nullptr) {
        root = root->m_parent;
    }
    return root->m_host;
}

void GeoLayer::RequestRedraw() {
    if (GeoLayers* host = Host()) {
        host->RequestRedraw();
    }
}

void GeoLayer::layersChanged() {
    if (GeoLayers* host = Host()) {
        host->LayersChanged();
    }
}

// ---- GeoLayers -------------------------------------------------------------------------------

GeoLayers::GeoLayers(GeoGlobe* globe) : m_globe(globe), m_root(std::make_unique<GeoLayer>()) {
    m_root->m_host = this;
    AddDefaultPresenters();
}

GeoLayers::~GeoLayers() {
    if (m_database != nullptr) {
        m_database->RemoveListener(this);
    }
    m_root->m_host = nullptr;
}

void GeoLayers::AddDefaultPresenters() {
    auto point = std::make_unique<GeoPointPresenter>();
    point->SetPresenterID(-1);
    point->SetPointUnit(GeoUnitTypes::guPixel);
    m_root->Presenters().Add(std::move(point));
    auto poly = std::make_unique<GeoPolyPresenter>();
    poly->SetPresenterID(-2);
    m_root->Presenters().Add(std::move(poly));
}

void GeoLayers::RequestRedraw() {
    if (m_globe != nullptr) {
        m_globe->RequestRedraw();
    }
}

void GeoLayers::ForgetCachedPresenter() {
    m_cachedID = 0;
    m_cachedPresenter = nullptr;
}

void GeoLayers::LayersChanged() {
    RequestRedraw();
    if (OnLayersChanged) {
        OnLayersChanged();
    }
}

void GeoLayers::RenderLayers(GeoGlobe& globe, const GeoRect& extent) {
    globe.Labels().BeginLayer(m_root.get());
    renderLayer(globe, *m_root, extent, 0);
}

GeoPresenter* GeoLayers::presenterForPass(const GeoRenderContext& ctx, int id) {
    if (id == m_cachedID && m_cachedPresenter != nullptr) {
        return m_cachedPresenter;
    }
    GeoLayer& layer = ctx.Layer;
    GeoPresenter* found = nullptr;
    for (GeoPresenter* p : layer.m_usedPresenters) {
        if (p->PresenterID() == id) {
            found = p;
            break;
        }
    }
    if (found == nullptr) {
        found = layer.PresenterByID(id);
        if (found == nullptr) {
            return nullptr;
        }
        found->BeginPass(ctx);
        layer.m_usedPresenters.push_back(found);
    }
    m_cachedID = id;
    m_cachedPresenter = found;
    return found;
}

void GeoLayers::renderObject(const GeoRenderContext& ctx, GeoMapPoint& object, unsigned flags) {
    if (object.Selected()) {
        flags |= render_flags::Selected;
    }
    int id = object.PresenterID();
    if (id == 0) {
        RenderObjectItself(ctx, object, flags);
        return;
    }
    for (int step = 0; step < kMaxPresenterChain && id != 0; ++step) {
        GeoPresenter* presenter = presenterForPass(ctx, id);
        if (presenter == nullptr) {
            RenderObjectItself(ctx, object, flags);
            return;
        }
        if (presenter->Hidden()) {
            return;
        }
        presenter->Render(ctx, object, flags);
        if (ctx.Layer.ShowTitles() && ctx.Pass == 0) {
            presenter->AddTitle(ctx, object);
        }
        id = presenter->NextPresenterID();
    }
}

const GeoTexture* GeoLayer::SurfaceImage() {
    if (m_surfaceImageName.isEmpty()) {
        return nullptr;
    }
    if (!m_surfaceImageTried) {
        m_surfaceImageTried = true;
        if (QFile::exists(m_surfaceImageName)) {
            auto image = std::make_unique<GeoTexture>();
            try {
                image->LoadFromFile(m_surfaceImageName);
                m_surfaceImage = std::move(image);
            } catch (const GeoException&) {
                // An unreadable image is simply not drawn.
            }
        }
    }
    if (!m_surfaceImage || m_surfaceImage->IsEmpty()) {
        return nullptr;
    }
    m_surfaceImage->SetAlphaBlend(m_surfaceAlpha);
    m_surfaceImage->SetTransparentColor(m_surfaceTransparentColor);
    return m_surfaceImage.get();
}

void GeoLayer::beginPass(int pass) {
    m_pass = pass;
    m_objectsDrawn = 0;
    m_usedPresenters.clear();
}

void GeoLayers::beginLayerPass(GeoGlobe& globe, GeoLayer& layer, int pass) {
    const double scale = globe.Projector().ScaleFactor();
    const bool all = layer.RenderAllObjects();
    // The handler sees the new sizes and the previous pass's counts.
    layer.m_cullSize = all ? 0 : roundToInt32(globe.CullObjectPixels() / scale);
    layer.m_minObjectSize = all ? 0 : roundToInt32(globe.MinObjectPixels() / scale);
    if (pass == 0 && OnBeforeLayerRender) {
        OnBeforeLayerRender(layer);
    }
    layer.beginPass(pass);
    ForgetCachedPresenter();
}

bool GeoLayers::drawQueried(const GeoRenderContext& ctx, GeoMapPoint& object) {
    GeoLayer& layer = ctx.Layer;
    const GeoProjector& projector = ctx.Projector;
    const GeoRect& b = object.Bounds();
    unsigned flags = object.Selected() ? render_flags::Selected : 0u;
    int x = 0;
    int y = 0;
    if (b.Width == 1 && b.Height == 1) {
        if (!projector.GeoToScreen(b.Left, b.Bottom, x, y)) {
            return false;
        }
        renderObject(ctx, object, flags);
    } else if (b.Width > layer.MinObjectSize() || b.Height > layer.MinObjectSize()) {
        const GeoRectVisibility v = projector.RectVisible(b);
        if (!v.Visible) {
            return false;
        }
        flags |= v.PartlyHidden ? render_flags::PartlyHidden : 0u;
        flags |= v.SomeVisible ? render_flags::SomeVisible : 0u;
        renderObject(ctx, object, flags);
    } else if (projector.GeoToScreen(b.Left, b.Bottom, x, y)) {
        // Too small to draw: one pixel in MinObjectColor.
        ctx.Renderer.SetPixel(x, y, ctx.Globe.MinObjectColor(), 255);
    } else {
        return false;
    }
    ++layer.m_objectsDrawn;
    if (OnObjectRender) {
        QPainter& canvas = ctx.Renderer.Canvas();
        canvas.save();
        OnObjectRender(layer, object, flags);
        canvas.restore();
    }
    return true;
}

void GeoLayers::renderLayer(GeoGlobe& globe, GeoLayer& layer, const GeoRect& extent, int pass) {
    if (globe.AbortRestart() && !layer.NoInterrupt()) {
        return;
    }
    if (!layer.IsShown(globe.Projector())) {
        return;
    }
    if (pass == 0) {
        if (const GeoTexture* image = layer.SurfaceImage()) {
            globe.DrawTexture(*image, layer.SurfaceAlpha(), layer.SurfaceTransparentColor());
        }
    }
    beginLayerPass(globe, layer, pass);
    // Objects are drawn in the picture's device pixels.
    const GeoRenderContext ctx{
        globe, globe.DeviceProjector(), globe.Renderer(), globe.Labels(), layer,
        pass,  layer.EffectiveAlpha()};
    GeoObjectSource& source = layer.ObjectSource();
    source.SetCullSize(layer.CullSize());
    int visited = 0;
    source.Query(extent, layer.CullSize(), [&](const std::shared_ptr<GeoMapPoint>& object) {
        if (!object->Hidden()) {
            drawQueried(ctx, *object);
        }
        ++visited;
        return visited % kObjectsPerCheck != 0 || layer.NoInterrupt() || !globe.AbortRestart();
    });

    bool again = false;
    for (GeoPresenter* presenter : layer.m_usedPresenters) {
        again = presenter->WantsAnotherPass(ctx) || again;
    }
    ForgetCachedPresenter();
    if (again && pass + 1 < kMaxPasses) {
        renderLayer(globe, layer, extent, pass + 1);
        return;
    }
    for (int i = 0; i < layer.LayerStore().Count(); ++i) {
        GeoLayer* child = layer.LayerStore().GetLayer(i);
        globe.Labels().BeginLayer(child);
        renderLayer(globe, *child, extent, 0);
    }
    if (!globe.AbortRestart() && OnAfterLayerRender) {
        OnAfterLayerRender(layer);
    }
}

GeoLayers& InstallLayers(GeoGlobe& globe) {
    return globe.SetLayerPass(std::make_unique<GeoLayers>(&globe));
}

void RenderObjectItself(const GeoRenderContext& ctx, const GeoMapPoint& object, unsigned flags) {
    GeoRenderer& r = ctx.Renderer;
    if ((flags & render_flags::Selected) != 0) {
        r.SetPen(r.SelectedPen());
        r.SetBrush(r.SelectedBrush());
        r.SetAlpha(255);
    } else {
        r.SetPen(GeoPen());
        r.SetBrush(GeoBrush());
        r.SetAlpha(ctx.LayerAlpha);
    }
    if (object.Kind() == GeoObjectKind::Poly) {
        const auto& poly = static_cast<const GeoMapPoly&>(object);
        const GeoChainStore& chains = poly.Chains();
        r.BeginParts(poly.Closed());
        for (int c = 0; c < chains.Count(); ++c) {
            const GeoPointStore& chain = chains.Chain(c);
            if (chain.Hidden()) {
                continue;
            }
            if (poly.Closed() && chain.Count() >= 3) {
                r.AddFilledChain(chain.Points());
            } else if (!poly.Closed() && chain.Count() >= 2) {
                r.AddOpenChain(chain.Points());
            }
        }
        r.EndParts();
        return;
    }
    QPoint px;
    if (ctx.Projector.GeoToScreen(object.Location(), px)) {
        r.DrawEllipse(px.x() - 3, px.y() - 3, px.x() + 3, px.y() + 3);
    }
}

// ---- Object under a pixel --------------------------------------------------------------------

std::shared_ptr<GeoMapPoint> GeoLayers::ObjectAtPixel(GeoGlobe& globe, QPoint px) {
    GeoLayer& root = *m_root;
    if (!root.Visible() || !root.Enabled()) {
        return nullptr;
    }
    // Titles were laid out in the picture's device pixels.
    if (const GeoLabel* label = globe.Labels().LabelAt(globe.DevicePixel(px))) {
        // Only layers still in the tree are trusted: the label may be older than a change.
        std::vector<GeoLayer*> pending{&root};
        while (!pending.empty()) {
            GeoLayer* layer = pending.back();
            pending.pop_back();
            if (layer == label->Layer) {
                if (auto object = layer->ObjectSource().ObjectByHandle(label->ObjectHandle)) {
                    return object;
                }
                break;
            }
            for (int i = 0; i < layer->LayerStore().Count(); ++i) {
                pending.push_back(layer->LayerStore().GetLayer(i));
            }
        }
    }
    const auto geo = globe.Projector().ScreenToGeo(px.x(), px.y());
    if (!geo) {
        return nullptr;  // off the globe only titles are hit
    }
    return objectInLayer(globe, root, px, *geo);
}

std::shared_ptr<GeoMapPoint> GeoLayers::objectInLayer(GeoGlobe& globe, GeoLayer& layer, QPoint px,
                                                      const GeoPoint& geo) {
    if (!layer.Visible() || !layer.Enabled()) {
        return nullptr;
    }
    for (int i = 0; i < layer.LayerStore().Count(); ++i) {
        if (auto found = objectInLayer(globe, *layer.LayerStore().GetLayer(i), px, geo)) {
            return found;
        }
    }
    const GeoProjector& projector = globe.Projector();
    const std::int32_t base = roundToInt32(2.0 / projector.ScaleFactor());
    std::int32_t tolerance = base;
    const GeoPresenterStore& presenters = layer.Presenters();
    for (int i = 0; i < presenters.Count(); ++i) {
        tolerance = std::max(tolerance, presenters.Presenter(i)->HitRadius(projector));
    }
    GeoObjectSource& source = layer.ObjectSource();
    for (int i = 0; i < source.Presenters().Count(); ++i) {
        tolerance = std::max(tolerance, source.Presenters().Presenter(i)->HitRadius(projector));
    }
    const GeoRect bounds = source.Bounds();
    if (bounds.isEmpty() || !GeoRectContains(GeoRectGrown(bounds, tolerance), geo)) {
        return nullptr;
    }
    const std::int64_t side = 8 * std::int64_t{tolerance} + 1;
    const GeoRect square{
        static_cast<std::int32_t>(std::max<std::int64_t>(geo.Longitude - side / 2, INT32_MIN)),
        static_cast<std::int32_t>(std::max<std::int64_t>(geo.Latitude - side / 2, INT32_MIN)),
        static_cast<std::int32_t>(std::min<std::int64_t>(side, INT32_MAX)),
        static_cast<std::int32_t>(std::min<std::int64_t>(side, INT32_MAX))};
    std::shared_ptr<GeoMapPoint> result;
    source.Query(square, 0, [&](const std::shared_ptr<GeoMapPoint>& object) {
        if (object->Hidden() || !GeoRectsMeet(GeoRectGrown(object->Bounds(), tolerance), square)) {
            return true;
        }
        GeoPresenter* presenter = layer.PresenterByID(object->PresenterID());
        const bool hit = presenter ? presenter->Hit(projector, *object, geo, tolerance)
                                   : ObjectItselfHit(*object, geo, base);
        if (hit) {
            result = object;
            return false;
        }
        return true;
    });
    return result;
}

void GeoLayers::ClearSelection() {
    std::vector<GeoLayer*> pending{m_root.get()};
    while (!pending.empty()) {
        GeoLayer* layer = pending.back();
        pending.pop_back();
        layer->Selection().Clear();
        GeoObjectSource& source = layer->ObjectSource();
        for (int h = source.FirstHandle(); h != 0; h = source.NextHandle(h)) {
            if (auto object = source.ObjectByHandle(h); object && object->Selected()) {
                object->SetSelected(false);
            }
        }
        for (int i = 0; i < layer->LayerStore().Count(); ++i) {
            pending.push_back(layer->LayerStore().GetLayer(i));
        }
    }
    RequestRedraw();
}

// ---- Spatial database ------------------------------------------------------------------------

void GeoLayers::SetSpatialDatabase(GeoSpatialDatabase* database) {
    if (database == m_database) {
        return;
    }
    if (m_database != nullptr) {
        m_database->RemoveListener(this);
    }
    m_database = database;
    if (m_database != nullptr) {
        m_database->AddListener(this);
        SynchroniseWithDatabase();
    }
}

void GeoLayers::SDBNotify(GeoSpatialDatabase& database, GeoSDBNotification what) {
    if (&database != m_database) {
        return;
    }
    switch (what) {
        case GeoSDBNotification::AfterOpen:
        case GeoSDBNotification::Changed:
            if (m_globe != nullptr && m_globe->UpdateCount() > 0) {
                m_syncPending = true;  // done when the update ends
            } else {
                SynchroniseWithDatabase();
            }
            break;
        case GeoSDBNotification::BeforeClose:
            m_root->Clear();
            AddDefaultPresenters();
            break;
        case GeoSDBNotification::Destroyed:
            m_database = nullptr;
            m_syncPending = false;
            break;
        default:
            break;
    }
}

void GeoLayers::SynchronizeLayers(GeoGlobe&) {
    if (m_syncPending) {
        SynchroniseWithDatabase();
    }
}

void GeoLayers::SynchroniseWithDatabase() {
    m_syncPending = false;
    if (m_database == nullptr) {
        return;
    }
    GeoSpatialDatabase& db = *m_database;
    const int count = db.LayerCount();
    if (OnProgress) {
        OnProgress(0);
    }
    GeoLayerStore& rootStore = m_root->LayerStore();
    GeoLayerStore* searchStore = &rootStore;
    for (int i = 0; i < count; ++i) {
        const QUuid guid = db.LayerGUID(i);
        GeoLayer* found = searchStore->LayerByID(guid);
        if (found == nullptr && searchStore != &rootStore) {
            found = rootStore.LayerByID(guid);
        }
        if (found == nullptr) {
            auto layer = std::make_unique<GeoLayer>(db.LayerName(i));
            layer->SetObjectSource(std::make_shared<GeoSDBObjectSource>(db, guid, db.LayerName(i)));
            found = layer.get();
            rootStore.Add(std::move(layer));
        }
        if (found->ParentStore() != nullptr) {
            searchStore = found->ParentStore();
        }
        if (OnProgress && (i + 1) % 50 == 0) {
            OnProgress((i + 1) * 100 / count);
        }
    }
    removeStaleLayers(rootStore, db);
    if (OnProgress) {
        OnProgress(100);
    }
    LayersChanged();
}

void GeoLayers::removeStaleLayers(GeoLayerStore& store, GeoSpatialDatabase& database) {
    for (int i = store.Count() - 1; i >= 0; --i) {
        GeoLayer* layer = store.GetLayer(i);
        removeStaleLayers(layer->LayerStore(), database);
        if (layer->HasObjectSource() && !layer->ObjectSource().IsMemorySource()
            && !database.HasLayer(layer->GUID())) {
            store.Delete(layer);
        }
    }
}

}  // namespace zimbalo::globe
