#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include <QImage>
#include <QPoint>
#include <QString>

#include "globe/geo_graticule.h"
#include "globe/geo_labels.h"
#include "globe/geo_projector.h"
#include "globe/geo_render_pool.h"
#include "globe/geo_renderer.h"
#include "globe/geo_texture.h"
#include "globe/geo_units.h"

namespace zimbalo::globe {

class GeoGlobe;
class GeoMapPoint;

/// What the layer module plugs into the picture: the layer pass and the layer housekeeping.
class GeoLayerPass {
public:
    virtual ~GeoLayerPass() = default;

    /// Draws all layers for the visible extent (step 8 of the render); titles go to
    /// globe.Labels(), which are drawn after the layers and the front graticule.
    virtual void RenderLayers(GeoGlobe& globe, const GeoRect& extent) = 0;

    /// The end of the outermost begin/end update: bring the layers in step with their store.
    virtual void SynchronizeLayers(GeoGlobe&) {}

    /// The object under a pixel (titles of the last picture first, then the layers), or none.
    virtual std::shared_ptr<GeoMapPoint> ObjectAtPixel(GeoGlobe&, QPoint) { return nullptr; }

    /// Clears the selections of all layers.
    virtual void ClearSelection() {}
};

/// Options of the globe (a set of flags).
enum GeoGlobeOption : unsigned {
    goMultiSelect = 1,
    goConstantScaleOnResize = 2,
    goFixedCenterXYOnResize = 4,
    goTransparentBackground = 8,
};

/// The globe without its window: projector, renderer with back buffer, graticule, surface
/// texture, labels and the render of one picture; the layer pass is plugged in by the owner.
/// GlobeView shows it in a widget; tests and the benchmark drive it directly.
class GeoGlobe {
public:
    /// A globe of the given picture size (150 x 150 like a new control), scaled to fit.
    explicit GeoGlobe(int width = 150, int height = 150);
    ~GeoGlobe();

    GeoGlobe(const GeoGlobe&) = delete;
    GeoGlobe& operator=(const GeoGlobe&) = delete;

    /// The view in the window's (logical) pixels: mouse positions, hit-testing, the overlay of
    /// the instant.
    GeoProjector& Projector() { return m_projector; }

    const GeoProjector& Projector() const { return m_projector; }

    /// The same view in the picture's device pixels: what the picture is drawn with (texture,
    /// graticule, layers, labels). Follows every change of Projector() and of the ratio.
    GeoProjector& DeviceProjector() { return m_deviceProjector; }

    const GeoProjector& DeviceProjector() const { return m_deviceProjector; }

    /// Device pixels per logical pixel (the screen's ratio, 1 on an ordinary screen). The
    /// picture has the logical size times the ratio; a 1024 x 768 globe at 2 draws 2048 x 1536
    /// pixels, its lines and labels placed to the device pixel.
    double DevicePixelRatio() const { return m_devicePixelRatio; }

    /// A new ratio (limited to 0.25 .. 16) resizes the picture (its content is lost) and asks
    /// for a redraw; the logical view stays as it is.
    void SetDevicePixelRatio(double ratio);

    /// The device pixel at the centre of a logical pixel.
    QPoint DevicePixel(QPoint logical) const;

    /// The picture's size in logical pixels.
    int Width() const { return m_width; }

    int Height() const { return m_height; }

    GeoDefaultRenderer& Renderer() { return *m_renderer; }

    const GeoDefaultRenderer& Renderer() const { return *m_renderer; }

    GeoGraticule& Graticule() { return m_graticule; }

    GeoLabelRenderer& Labels() { return m_labels; }

    /// The rendered picture (the renderer's back buffer), in device pixels.
    const QImage& Picture() const { return m_renderer->BackBuffer().Image(); }

    // Appearance; every setter that changes the picture ends with RequestRedraw.
    GeoColor Color() const { return m_color; }

    void SetColor(GeoColor c);

    GeoColor SurfaceColor() const { return m_surfaceColor; }

    void SetSurfaceColor(GeoColor c);

    GeoColor MinObjectColor() const { return m_minObjectColor; }

    void SetMinObjectColor(GeoColor c);

    double CullObjectPixels() const { return m_cullObjectPixels; }

    void SetCullObjectPixels(double v);

    double MinObjectPixels() const { return m_minObjectPixels; }

    void SetMinObjectPixels(double v);

    const QImage& BackgroundImage() const { return m_backgroundImage; }

    /// Copies the image; it is tiled from (0, 0) instead of filling with Color.
    void SetBackgroundImage(const QImage& image);

    unsigned GlobeOptions() const { return m_options; }

    void SetGlobeOptions(unsigned options);

    /// The texture file's name (trimmed), empty when no texture is loaded.
    const QString& SurfaceTextureName() const { return m_surfaceTextureName; }

    /// Loads the named texture image (an existing file replaces the texture, a missing file
    /// leaves it as it was, an empty name removes it). Throws GeoException for a bad image.
    void SetSurfaceTextureName(const QString& name);

    GeoTexture& SurfaceTexture() { return m_texture; }

    /// How textures are sampled: bilinear from pre-filtered levels (the default, for pictures
    /// that stay on the screen) or the nearest texel (cheaper, for pictures in motion). A change
    /// asks for a redraw.
    GeoTextureFilter TextureFilter() const { return m_textureFilter; }

    void SetTextureFilter(GeoTextureFilter filter);

    /// The threads that share the texture pass (created with the globe: one per core).
    GeoRenderPool& RenderPool() { return *m_pool; }

    /// Replaces the pool by one of `threads` threads in all (0: one per core; 1: no worker).
    void SetRenderThreads(int threads);

    /// Milliseconds between interim updates of long renders (0: renders run to completion).
    int PeriodicUpdateTime() const { return m_periodicUpdateTime; }

    void SetPeriodicUpdateTime(int ms) { m_periodicUpdateTime = ms; }

    bool AbortRestart() const { return m_abortRestart; }

    void SetAbortRestart(bool on) { m_abortRestart = on; }

    /// Marks the picture stale and asks the window for a paint (once until painted).
    void RequestRedraw();

    bool IsStale() const { return m_stale; }

    /// Marks the picture current (after the paint cycle showed it).
    void ClearStale() { m_stale = false; }

    /// Nesting of begin/end update; while above 0 the picture is not re-rendered.
    void BeginUpdate() { ++m_updateCount; }

    /// Ends one update level; at 0 the layers are synchronised and a redraw requested.
    /// Ending below 0 is a programming error (asserts "Assertion failure").
    void EndUpdate();

    int UpdateCount() const { return m_updateCount; }

    /// New client size (logical pixels): resizes the back buffer (times the device pixel ratio)
    /// and keeps the view by scaling with the diagonal (or centres the origin when the old size
    /// was empty). Returns false when nothing changed.
    bool Resize(int width, int height, int pixelsPerInch = 96);

    /// Renders the whole picture into the back buffer: background, disc, texture, graticule
    /// behind, layers, OnRender, graticule in front, titles.
    void Render();

    /// Geographic extent of the last render (whole world when no layer pass asked for it).
    const GeoRect& LastExtent() const { return m_lastExtent; }

    /// Lines drawn smoothed (anti-aliased) for pictures that stay on the screen, or plain (the
    /// default, cheaper, for pictures in motion). A change asks for a redraw.
    bool SmoothLines() const { return m_renderer->SmoothLines(); }

    void SetSmoothLines(bool on);

    /// Maps a texture (surface texture or a layer's surface image) onto the visible sphere;
    /// `side` is done on the render threads meanwhile (see GeoTextureSideWork).
    void DrawTexture(const GeoTexture& texture, int alpha, GeoColor transparent,
                     const GeoTextureSideWork& side = {});

    GeoTextureMapper& TextureMapper() { return m_textureMapper; }

    /// Plugs in the layer pass (owned; replaces the one before). The owner keeps the typed
    /// reference that comes back; a globe without a layer pass draws no layers.
    template <typename Pass>
    Pass& SetLayerPass(std::unique_ptr<Pass> pass) {
        Pass& typed = *pass;
        m_layerPass = std::move(pass);
        return typed;
    }

    /// Takes the layer pass out: the globe draws no layers.
    void SetLayerPass(std::nullptr_t) { m_layerPass.reset(); }

    GeoLayerPass* LayerPass() { return m_layerPass.get(); }

    /// While loading, view notifications (panned, rotated, zoomed) are not fired.
    void SetLoading(bool on) { m_loading = on; }

    bool Loading() const { return m_loading; }

    // Notifications.
    std::function<void()> OnInvalidate;      ///< the window should repaint
    std::function<void()> OnBeforeRender;    ///< before each paint (drawing state reset)
    std::function<void()> OnRender;          ///< after the layers
    std::function<void()> OnPaintGraticule;  ///< replaces the graticule when assigned
    std::function<void()> OnZoomed;
    std::function<void()> OnRotated;
    std::function<void()> OnPanned;

    void FireZoomed();
    void FireRotated();
    void FirePanned();

private:
    /// The logical view's viewport and the device picture's.
    GeoViewport logicalViewport() const;
    GeoViewport deviceViewport() const;
    /// Sizes the back buffer for the logical size and the ratio.
    void sizeRenderer();
    /// Derives the device view from the logical one and hands it to the renderer.
    void syncDeviceView();
    /// The projector's change: the renderer takes the new view, the picture is redrawn and the
    /// matching notification fired.
    void viewChanged(GeoViewChange what);
    void drawBackground();
    void drawDisc();
    /// Whether the surface disc, opaque, covers the whole picture.
    bool discCoversPicture() const;
    void drawGraticule();

    std::unique_ptr<GeoDefaultRenderer> m_renderer;
    GeoProjector m_projector;
    GeoProjector m_deviceProjector;
    int m_width = 0;
    int m_height = 0;
    int m_pixelsPerInch = 96;
    double m_devicePixelRatio = 1.0;
    GeoGraticule m_graticule;
    GeoLabelRenderer m_labels;
    GeoTexture m_texture;
    GeoTextureMapper m_textureMapper;
    GeoTextureFilter m_textureFilter = GeoTextureFilter::Bilinear;
    std::unique_ptr<GeoRenderPool> m_pool;
    std::unique_ptr<GeoLayerPass> m_layerPass;
    QString m_surfaceTextureName;
    QImage m_backgroundImage;
    GeoRect m_lastExtent;
    GeoColor m_color = clBlack;
    GeoColor m_surfaceColor = clAqua;
    GeoColor m_minObjectColor = clGray;
    double m_cullObjectPixels = 0.75;
    double m_minObjectPixels = 1.5;
    unsigned m_options = 0;
    int m_periodicUpdateTime = 0;
    int m_updateCount = 0;
    bool m_stale = true;
    bool m_abortRestart = false;
    bool m_loading = false;
};

}  // namespace zimbalo::globe
