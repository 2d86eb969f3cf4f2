#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QString>

#include "globe/geo_units.h"

namespace zimbalo::globe {

class GeoBitmap;
class GeoRenderPool;
class GeoSphericalPrj;

/// How the texture's pixels are taken: the nearest texel of the texture itself, the nearest texel
/// of the pre-filtered level that suits the triangle's shrinking (cheap, for pictures in motion:
/// the level's texels lie close together in memory and alias far less), or a bilinear blend of four
/// texels from that level (for still pictures).
enum class GeoTextureFilter { Nearest, NearestLevel, Bilinear };

/// Decodes a JPEG file with libjpeg straight into the 32-bit layout (QImage::Format_RGB32).
/// Throws GeoException with the decoder's message (or the system's for unreadable files).
QImage DecodeJpegFile(const QString& path);

/// Decodes JPEG data held in memory; throws GeoException on bad data.
QImage DecodeJpeg(const unsigned char* data, std::size_t size);

/// Subdivision depth of the texture mesh for a scale (pixels per GU): 4 .. 7.
int TextureDepthForScale(double scale);

/// Geographic point of a unit vector (x towards 90 E, y north, z towards 0) of an octahedron
/// face: longitude 1 GU short of atan2 so +180 degrees stays inside the image, made negative on
/// the western faces.
GeoPoint TextureVertexPoint(double x, double y, double z, bool westernFace);

/// Column and row of the texel of a geographic point in a W x H equirectangular image.
struct GeoTexel {
    int Column = 0;
    int Row = 0;
};

GeoTexel TexelOfPoint(const GeoPoint& p, int width, int height);

/// A screen vertex with its texture column and row.
struct GeoTexVertex {
    int X = 0;
    int Y = 0;
    double U = 0.0;
    double V = 0.0;
};

/// Target and source of a triangle fill: 32-bit pixels, rows of width pixels.
struct GeoTextureFill {
    std::uint32_t* Target = nullptr;
    int TargetWidth = 0;
    int TargetHeight = 0;
    std::ptrdiff_t TargetStride = 0;  ///< pixels per target row
    const std::uint32_t* Texels = nullptr;
    int TextureWidth = 0;
    int TextureHeight = 0;
    int Alpha = 255;
    bool HasTransparent = false;
    std::uint32_t TransparentPixel = 0;
    int RowBegin = 0;       ///< first target row drawn (a band of the picture)
    int RowEnd = INT_MAX;   ///< the row after the last one drawn
    bool Bilinear = false;  ///< blend four texels instead of taking the nearest
    /// Texture coordinates from the triangle's plane (one gradient per triangle, a multiply-add
    /// per span) instead of interpolated along its edges and each span: far less work per span,
    /// the same texels up to rounding. The pass from the full texture keeps the edge form, whose
    /// pictures are recorded.
    bool PlaneSetup = false;
};

/// Fills a screen triangle with the texture: scan lines from the top vertex down, spans from the
/// truncated x of one edge up to (not including) the other's, texture coordinates interpolated
/// along the span in fixed point (or taken from the triangle's plane, with PlaneSetup). Nearest:
/// texel (trunc U, trunc V). Bilinear: texel centres at U + 0.5, V + 0.5, the four around the point
/// blended (clamped at the image's edges). Only rows RowBegin .. RowEnd - 1 are drawn; every row
/// comes out the same whatever the band.
void FillTexturedTriangle(const GeoTextureFill& fill, const GeoTexVertex& a, const GeoTexVertex& b,
                          const GeoTexVertex& c);

/// The pre-filtered levels of a texture: level k (k >= 1) is half the size of level k - 1 (rounded
/// up), each texel the mean of the 2 x 2 texels below it. Level 0 is the texture itself (not
/// copied); all levels together take a third more memory than the texture.
class GeoTexturePyramid {
public:
    /// Builds the levels of an image down to a side of 8 texels; returns at once when the image
    /// is the one built last (same data, size and content key).
    void Build(const QImage& base);

    /// Whether the levels were built from this image.
    bool IsBuiltFrom(const QImage& base) const;

    /// Number of levels, level 0 (the texture) included; 0 before Build.
    int Levels() const { return m_baseBits == nullptr ? 0 : static_cast<int>(m_levels.size()) + 1; }

    /// Level k, 1 .. Levels() - 1 (level 0 is the texture itself, which the pyramid does not
    /// hold, so that the texture is never shared and never copied on a write).
    const QImage& Level(int k) const { return m_levels[static_cast<std::size_t>(k - 1)]; }

    /// Bytes held by the levels above 0.
    std::size_t Bytes() const;

    void Clear();

private:
    const uchar* m_baseBits = nullptr;
    QSize m_baseSize;
    qint64 m_baseKey = 0;
    std::vector<QImage> m_levels;
};

/// Level to sample for a triangle whose texture area (in texels of level 0) covers a screen area
/// (in pixels): log2 of the linear shrinking, rounded, clamped to 0 .. levels - 1.
int TextureLevelFor(double textureArea, double screenArea, int levels);

/// Maps an equirectangular texture onto the sphere by octahedron subdivision. Keeps its vertex
/// cache between frames so that each subdivision vertex is computed once per frame.
class GeoTextureMapper {
public:
    /// Draws the texture into the target picture for the model's current view. Bilinear
    /// filtering applies to opaque textures without a transparent colour (a keyed colour must not
    /// bleed into its neighbours); others take the nearest texel. With a pool the picture is
    /// filled in bands on its threads, giving the same bytes as one thread.
    void Draw(QImage& target, const GeoSphericalPrj& model, double scale, const GeoBitmap& texture,
              int alpha, GeoColor transparent, GeoTextureFilter filter = GeoTextureFilter::Nearest,
              GeoRenderPool* pool = nullptr);

    /// Triangles filled by the last Draw (depth-0 triangles with three visible vertices that
    /// reach into the picture).
    int TrianglesFilled() const { return m_trianglesFilled; }

    /// Bytes of the pre-filtered levels kept for bilinear filtering.
    std::size_t PyramidBytes() const { return m_pyramids[0].Bytes() + m_pyramids[1].Bytes(); }

    /// Forgets the pre-filtered levels (the next bilinear picture builds them again).
    void ClearPyramid() {
        m_pyramids[0].Clear();
        m_pyramids[1].Clear();
    }

private:
    /// A vertex of the subdivision: its geometry (fixed for a depth), texel (fixed for a texture
    /// size) and projection (per picture), each computed once and marked by a stamp.
    struct Vertex {
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
        std::array<double, 3> earth{};
        GeoPoint point;
        int px = 0;
        int py = 0;
        int column = 0;
        int row = 0;
        std::uint32_t projectionStamp = 0;
        std::uint32_t texelStamp = 0;
        bool geometry = false;
        bool visible = false;
    };

    /// The vertices of one subdivision depth: 8 faces of (n + 1) x (n + 1) grid points.
    struct Mesh {
        int n = 0;
        std::size_t faceSize = 0;
        std::vector<Vertex> vertices;
    };

    void subdivide(int face, int depth, int ia, int ja, int ib, int jb, int ic, int jc);

    /// Prepares the vertex halfway between two grid points of a face (its geometry once, its
    /// projection once per picture) and gives its grid point.
    void prepareMidpoint(int face, int i0, int j0, int i1, int j1, int& im, int& jm);

    Vertex& vertex(int face, int i, int j) {
        return m_mesh->vertices[static_cast<std::size_t>(face) * m_mesh->faceSize
                                + static_cast<std::size_t>(j) * static_cast<std::size_t>(m_n + 1)
                                + static_cast<std::size_t>(i)];
    }

    void prepareVertex(int face, Vertex& v);

    /// Whether no point of the spherical triangle a, b, c (corners projected this picture) can
    /// fall inside the picture: then none of its subdivisions is projected or filled.
    bool projectsOutside(const Vertex& a, const Vertex& b, const Vertex& c) const;

    /// A triangle to fill: its screen vertices with texture coordinates of its level.
    struct Triangle {
        std::array<GeoTexVertex, 3> v;
        int minY = 0;
        int maxY = 0;
        int level = 0;
    };

    /// Selects the mesh of a subdivision depth and renews the stamps of the vertex cache.
    void useMesh(int depth, const GeoBitmap& texture);
    /// Points the fill at the target picture and the texture.
    void bindFill(QImage& target, const GeoBitmap& texture, int alpha, GeoColor transparent);
    /// Selects (building if needed) the pre-filtered levels of an image.
    void usePyramidOf(const QImage& image);
    /// Fills the triangles found, in bands of rows, on the pool's threads if there is one.
    void fillBands(int height, GeoRenderPool* pool) const;
    void fillBand(int rowBegin, int rowEnd) const;
    /// Keeps a triangle of the deepest subdivision for filling when it reaches into the
    /// picture, with the level it is filled from.
    void addTriangle(const Vertex& a, const Vertex& b, const Vertex& c);

    std::array<Mesh, 8> m_meshes;
    Mesh* m_mesh = nullptr;
    int m_n = 0;
    std::uint32_t m_stamp = 0;
    std::uint32_t m_texelStamp = 0;
    int m_texelWidth = -1;
    int m_texelHeight = -1;
    const GeoSphericalPrj* m_model = nullptr;
    double m_radius = 0.0;  ///< sphere radius in pixels of the picture being drawn
    GeoTextureFill m_fill;
    int m_trianglesFilled = 0;
    std::vector<Triangle> m_triangles;
    // Levels of the two textures drawn last (the surface texture and a layer's surface image
    // may alternate in every picture); m_pyramid points to the one of the current texture.
    std::array<GeoTexturePyramid, 2> m_pyramids;
    std::size_t m_lastPyramid = 0;
    const GeoTexturePyramid* m_pyramid = nullptr;
    bool m_levels = false;    ///< texels taken from the pre-filtered levels
    bool m_bilinear = false;  ///< four texels blended
};

}  // namespace zimbalo::globe
