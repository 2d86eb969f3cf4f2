#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <span>
#include <vector>

#include <QPoint>
#include <QString>

#include "globe/geo_units.h"

namespace zimbalo::globe {

/// Result of projecting one geographic point: screen offsets from the origin and depth, pixels.
struct GeoProjected {
    double sx = 0.0;
    double sy = 0.0;
    double depth = 0.0;
};

/// Base of the projection models between geographic points and pixels.
class GeoProjectionModel {
public:
    virtual ~GeoProjectionModel() = default;

    /// The model's class name ("GeoSphericalPrj").
    virtual QString ClassName() const = 0;

    /// Rebuilds the model for a scale (pixels per GU) and rotations (degrees).
    virtual void Update(double scale, double xRotation, double yRotation, double zRotation) = 0;

    /// Places the model's origin (pixels).
    virtual void SetOrigin(int x, int y) = 0;

    /// Forward projection: pixel of a point (rounded, with origin); returns whether it is visible.
    virtual bool PointLLToXY(const GeoPoint& p, int& x, int& y) const = 0;

    /// Inverse projection of a pixel; none when the pixel is off the globe.
    virtual std::optional<GeoPoint> PointXYToLL(int x, int y) const = 0;

    /// The model's extent in GU as (half width, half height) about the centre.
    virtual double ExtentHalfSize() const = 0;
};

/// Orthographic view of the sphere of radius gu::EarthRadius, turned by a quaternion rotation.
class GeoSphericalPrj final : public GeoProjectionModel {
public:
    using Matrix = std::array<std::array<double, 3>, 3>;

    QString ClassName() const override { return QStringLiteral("GeoSphericalPrj"); }

    void Update(double scale, double xRotation, double yRotation, double zRotation) override;

    void SetOrigin(int x, int y) override {
        m_xOrigin = x;
        m_yOrigin = y;
    }

    bool PointLLToXY(const GeoPoint& p, int& x, int& y) const override;
    std::optional<GeoPoint> PointXYToLL(int x, int y) const override;

    double ExtentHalfSize() const override { return gu::SphereHalfExtent; }

    /// Screen offsets and depth of a point (no rounding, no origin).
    GeoProjected Project(const GeoPoint& p) const { return ProjectEarthFixed(EarthFixed(p)); }

    /// Earth-fixed vector of a point (GU): x towards 90 E, y towards the north pole, z towards 0.
    static std::array<double, 3> EarthFixed(const GeoPoint& p) {
        const double lambda = GUToRad(p.Longitude);
        const double phi = GUToRad(p.Latitude);
        const double d = gu::EarthRadius + p.Height;
        const double cphi = std::cos(phi);
        return {d * cphi * std::sin(lambda), d * std::sin(phi), d * cphi * std::cos(lambda)};
    }

    /// Screen offsets and depth of an Earth-fixed vector.
    GeoProjected ProjectEarthFixed(const std::array<double, 3>& v) const {
        return {m_f[0][0] * v[0] + m_f[0][1] * v[1] + m_f[0][2] * v[2],
                m_f[1][0] * v[0] + m_f[1][1] * v[1] + m_f[1][2] * v[2],
                m_f[2][0] * v[0] + m_f[2][1] * v[1] + m_f[2][2] * v[2]};
    }

    /// Visibility rule of the forward projection: in front, or raised above the limb.
    bool IsVisible(const GeoProjected& q, std::int32_t height) const {
        return q.depth < 0.0 || (height > 0 && std::hypot(q.sx, q.sy) > m_r);
    }

    /// Pixel column of a screen offset: round(sx) + XOrigin (saturating).
    int PixelX(double sx) const { return addOrigin(sx, m_xOrigin); }

    /// Pixel row of a screen offset: round(sy) + YOrigin (saturating).
    int PixelY(double sy) const { return addOrigin(sy, m_yOrigin); }

    /// Projects a chain for a filled polygon: points behind the globe are pulled onto the limb,
    /// a pixel equal to the previous one is skipped. Appends to out; returns pixels written.
    int ProjectFilledChain(std::span<const GeoPoint> points, std::vector<QPoint>& out) const;

    /// Sphere radius in pixels.
    double Radius() const { return m_r; }

    double RadiusSquared() const { return m_r2; }

    int XOrigin() const { return m_xOrigin; }

    int YOrigin() const { return m_yOrigin; }

    const Matrix& Forward() const { return m_f; }

    const Matrix& Backward() const { return m_b; }

private:
    static int addOrigin(double s, int origin);

    Matrix m_f{};
    Matrix m_b{};
    double m_r = 0.0;
    double m_r2 = 0.0;
    int m_xOrigin = 0;
    int m_yOrigin = 0;
};

/// Visibility of a geographic rectangle, with what the caller needs for partly hidden objects.
struct GeoRectVisibility {
    bool Visible = false;
    bool PartlyHidden = false;
    bool SomeVisible = false;
};

/// The picture a projector projects into: its size and resolutions (pixels).
struct GeoViewport {
    int Width = 0;
    int Height = 0;
    int PixelsPerInch = 96;
    int ScreenPixelsPerInch = 96;
};

/// What a change of the view altered.
enum class GeoViewChange {
    Zoomed,
    Panned,
    Rotated,
};

/// The view parameters (scale, origin, rotation) of one picture and the conversions they imply.
/// A value: it knows the viewport it projects into and reports each change of the view through
/// OnChange, and nothing else.
class GeoProjector {
public:
    /// Projector with the spherical model, scale 1 and origin 0 until its owner fits it.
    GeoProjector();

    /// The callback called after each change of scale, origin or rotation (the model is already
    /// rebuilt). A copy of the projector starts without one.
    void SetOnChange(std::function<void(GeoViewChange)> callback) {
        m_onChange.Call = std::move(callback);
    }

    const GeoViewport& Viewport() const { return m_viewport; }

    /// New picture size and resolutions; the view itself is left as it is (no OnChange).
    void SetViewport(const GeoViewport& viewport) { m_viewport = viewport; }

    /// Class name of the projection model.
    QString ProjectionClass() const { return m_model.ClassName(); }

    /// Selects the projection model by class name (case-insensitive); only "GeoSphericalPrj" is
    /// built. Throws GeoException "Class %s does not inherit from GeoProjectionModel".
    void SetProjectionClass(const QString& name);

    /// Pixels per GU.
    double ScaleFactor() const { return m_scale; }

    /// New scale: negative values and values within 1e-10 of the current are ignored; 0 fits the
    /// sphere into the picture; limits 5e-8 .. 1. Zooms about the centre of the picture.
    void SetScaleFactor(double s);

    /// Zooms about a pixel by a factor (the core of every scale change).
    void ZoomAbout(int px, int py, double factor);

    int XOrigin() const { return m_xOrigin; }

    int YOrigin() const { return m_yOrigin; }

    void SetXOrigin(int x);
    void SetYOrigin(int y);

    /// Rotations in degrees: XRotation is the central latitude (clamped to -90 .. 90), YRotation
    /// the central longitude (normalised to -180 .. below 180), ZRotation a turn about the view
    /// axis.
    double XRotation() const { return m_xRotation; }

    double YRotation() const { return m_yRotation; }

    double ZRotation() const { return m_zRotation; }

    void SetXRotation(double degrees);
    void SetYRotation(double degrees);
    void SetZRotation(double degrees);

    /// Latitude (degrees) at the centre of the picture, none when that is off the globe.
    std::optional<double> CenterLatitude() const;
    /// Moves the origin to mid-height and turns the globe so that the centre shows latitude v.
    void SetCenterLatitude(double v);
    /// Longitude (degrees) at the centre of the picture, none when that is off the globe.
    std::optional<double> CenterLongitude() const;
    /// Moves the origin to mid-width and sets YRotation to v.
    void SetCenterLongitude(double v);

    double FieldOfViewAngle() const { return m_fieldOfView; }

    void SetFieldOfViewAngle(double degrees) { m_fieldOfView = degrees; }

    /// View distance in GU: round(width / ScaleFactor / tan(FieldOfViewAngle)), set by each zoom.
    std::int64_t ViewDistance() const { return m_viewDistance; }

    /// The view's extent in GU (0, 0, width / ScaleFactor, height / ScaleFactor).
    const GeoRect& ViewExtent() const { return m_viewExtent; }

    /// Stored only: the latitude and longitude limits (clamped to the globe) and the switch that
    /// would apply them are kept for callers that set them; no view change reads them.
    double MinLatitude() const { return m_minLatitude; }

    double MaxLatitude() const { return m_maxLatitude; }

    double MinLongitude() const { return m_minLongitude; }

    double MaxLongitude() const { return m_maxLongitude; }

    double MinZoom() const { return m_minZoom; }

    double MaxZoom() const { return m_maxZoom; }

    bool UseMinMaxLimits() const { return m_useMinMaxLimits; }

    void SetMinLatitude(double v);
    void SetMaxLatitude(double v);
    void SetMinLongitude(double v);
    void SetMaxLongitude(double v);
    void SetMinZoom(double v);
    void SetMaxZoom(double v);

    void SetUseMinMaxLimits(bool v) { m_useMinMaxLimits = v; }

    /// Inverse projection of a pixel; none when the pixel is off the globe.
    std::optional<GeoPoint> ScreenToGeo(int x, int y) const;

    /// Forward projection of (longitude, latitude) in GU with height 0; returns visibility.
    bool GeoToScreen(std::int32_t longitude, std::int32_t latitude, int& x, int& y) const;

    /// Forward projection of a point (with its height); returns visibility.
    bool GeoToScreen(const GeoPoint& p, QPoint& pixel) const;

    /// Geographic extent seen in the picture (64 x 64 grid sampling); whole world when unsure.
    GeoRect VisibleExtent() const;

    /// Whether a geographic rectangle shows in the picture (corner and edge sampling).
    GeoRectVisibility RectVisible(const GeoRect& r) const;

    /// A length in a unit converted to GU.
    std::int32_t UnitsToGU(double value, GeoUnitTypes unit) const;

    /// A length in a unit converted to pixels (pen widths, point sizes, offsets).
    int UnitsToPixels(double value, GeoUnitTypes unit) const;

    /// The spherical model (the only one built).
    const GeoSphericalPrj& Model() const { return m_model; }

    /// The same view in the device pixels of a screen with `ratio` device pixels per pixel of
    /// this projector: scale and origin times the ratio, the viewport given (the device picture's
    /// size and resolutions). View distance and extent stay those of this view, so that what is
    /// shown at a zoom does not depend on the screen. The copy reports no changes.
    GeoProjector ForDevice(double ratio, const GeoViewport& deviceViewport) const;

private:
    void rebuildModel();
    void changed(GeoViewChange what);
    struct ExtentSamples;
    void sampleLimb(int fromX, bool fromOn, int toX, int y, ExtentSamples& samples) const;
    bool pieceVisible(std::int64_t left, std::int64_t right, std::int64_t bottom, std::int64_t top,
                      GeoRectVisibility& result) const;

    /// A callback that belongs to one object: copying the projector does not copy it.
    struct OwnCallback {
        OwnCallback() = default;

        OwnCallback(const OwnCallback&) {}

        OwnCallback& operator=(const OwnCallback&) { return *this; }

        std::function<void(GeoViewChange)> Call;
    };

    OwnCallback m_onChange;
    GeoViewport m_viewport;
    GeoSphericalPrj m_model;
    double m_scale = 1.0;
    int m_xOrigin = 0;
    int m_yOrigin = 0;
    double m_xRotation = 23.5;
    double m_yRotation = 0.0;
    double m_zRotation = 0.0;
    double m_fieldOfView = 50.0;
    std::int64_t m_viewDistance = 0;
    GeoRect m_viewExtent;
    double m_minLatitude = -90.0;
    double m_maxLatitude = 90.0;
    double m_minLongitude = -180.0;
    double m_maxLongitude = 180.0;
    double m_minZoom = 0.0;
    double m_maxZoom = 0.0;
    bool m_useMinMaxLimits = false;
};

/// Wholly outside the picture on one side (the box test shared by triangles and rectangles).
inline bool BoxOutside(std::int64_t minX, std::int64_t minY, std::int64_t maxX, std::int64_t maxY,
                       int width, int height) {
    return maxX < 0 || minX >= width || maxY < 0 || minY >= height;
}

}  // namespace zimbalo::globe
