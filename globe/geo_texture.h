#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QString>

#include "globe/geo_units.h"

namespace zimbalo::globe {

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

/// The texels of one image in square blocks of 8 x 8, each block 256 contiguous bytes (four cache
/// lines), the blocks of a block row side by side. A view of a rotated globe walks the texture in
/// every direction; in blocks, the texels around a texel lie in the same or the next cache line,
/// where in rows the texel above or below lies a whole row away. The last blocks of a row and
/// the last block row are padded to whole blocks. A texel is found without a division: its place
/// is the sum of a column's and a row's part, each kept in a table.
class GeoTexelBlocks {
public:
    static constexpr int BlockShift = 3;
    static constexpr int BlockSide = 1 << BlockShift;
    static constexpr int BlockMask = BlockSide - 1;
    static constexpr int BlockTexels = BlockSide * BlockSide;

    GeoTexelBlocks() = default;
    GeoTexelBlocks(GeoTexelBlocks&&) noexcept = default;
    GeoTexelBlocks& operator=(GeoTexelBlocks&&) noexcept = default;

    /// Room for a width x height image (texels undefined); 0 x 0 empties. Throws GeoException
    /// "Failed to allocate DIB Handle" when the memory cannot be had (or the image has 2^32
    /// texels or more).
    void Allocate(int width, int height);

    /// The texels of a 32-bit image (QImage::Format_RGB32 or converted to it).
    void Assign(const QImage& image);

    /// Copies rows first .. first + count - 1 of a row-laid image (width texels per row, rows
    /// `stride` texels apart) into their blocks.
    void StoreRows(int first, int count, const std::uint32_t* rows, std::ptrdiff_t stride);

    void Clear();

    bool IsEmpty() const { return m_width == 0; }

    int Width() const { return m_width; }

    int Height() const { return m_height; }

    const std::uint32_t* Texels() const { return m_texels.get(); }

    /// The column's part of a texel's place, for columns 0 .. Width() - 1.
    const std::uint32_t* ColumnOffsets() const { return m_columnOffsets.data(); }

    /// The row's part of a texel's place, for rows 0 .. Height() - 1.
    const std::uint32_t* RowOffsets() const { return m_rowOffsets.data(); }

    /// Bytes held: the blocks (the image and the padding of its last blocks) and the two tables.
    std::size_t Bytes() const;

    /// Place of texel (column, row) among the texels.
    std::size_t Offset(int column, int row) const {
        return std::size_t{m_columnOffsets[static_cast<std::size_t>(column)]}
               + m_rowOffsets[static_cast<std::size_t>(row)];
    }

    std::uint32_t At(int column, int row) const { return m_texels[Offset(column, row)]; }

private:
    struct Free {
        void operator()(std::uint32_t* p) const;
    };

    std::unique_ptr<std::uint32_t[], Free> m_texels;
    std::vector<std::uint32_t> m_columnOffsets;
    std::vector<std::uint32_t> m_rowOffsets;
    int m_width = 0;
    int m_height = 0;
    std::size_t m_texelCount = 0;
};

/// A texture for the globe's surface: its texels in blocks, and the pre-filtered levels for
/// filtered and shrunk pictures (level k, k >= 1, half the size of level k - 1 rounded up, each
/// texel the rounded mean of the 2 x 2 texels below it, down to a side of 8 texels; built when a
/// picture first asks for them, a third more memory than the texture). With an alpha for drawing
/// it and an optional transparent colour.
class GeoTexture {
public:
    /// Loads an image file at its full size: JPEG files (by extension) through libjpeg straight
    /// into blocks, other formats through Qt's image readers. Throws GeoException when the file
    /// cannot be decoded (the texture is then empty).
    void LoadFromFile(const QString& path);

    /// Takes the texels of an image (converted to the 32-bit layout).
    void Assign(const QImage& image);

    /// Empties the texture and its levels.
    void Clear();

    bool IsEmpty() const { return m_levels.empty(); }

    int Width() const { return IsEmpty() ? 0 : m_levels[0].Width(); }

    int Height() const { return IsEmpty() ? 0 : m_levels[0].Height(); }

    /// The texel at (column, row) of level 0.
    std::uint32_t Pixel(int column, int row) const { return m_levels[0].At(column, row); }

    /// Builds the pre-filtered levels unless they are there.
    void BuildLevels() const;

    /// Number of levels built, level 0 (the texture) included; 0 when empty.
    int Levels() const { return static_cast<int>(m_levels.size()); }

    /// Level k, 0 .. Levels() - 1.
    const GeoTexelBlocks& Level(int k) const { return m_levels[static_cast<std::size_t>(k)]; }

    /// Bytes of level 0.
    std::size_t Bytes() const { return IsEmpty() ? 0 : m_levels[0].Bytes(); }

    /// Bytes of the levels above 0.
    std::size_t LevelBytes() const;

    /// Forgets the levels above 0 (the next filtered picture builds them again).
    void ClearLevels();

    int AlphaBlend() const { return m_alphaBlend; }

    void SetAlphaBlend(int a) { m_alphaBlend = a; }

    GeoColor TransparentColor() const { return m_transparentColor; }

    void SetTransparentColor(GeoColor c) { m_transparentColor = c; }

private:
    // The levels are a cache of level 0: drawing a const texture may build them.
    mutable std::vector<GeoTexelBlocks> m_levels;
    mutable bool m_levelsBuilt = false;
    int m_alphaBlend = 255;
    GeoColor m_transparentColor = clNone;
};

/// Target and source of a triangle fill: 32-bit pixels, rows of width pixels; texels in blocks.
struct GeoTextureFill {
    std::uint32_t* Target = nullptr;
    int TargetWidth = 0;
    int TargetHeight = 0;
    std::ptrdiff_t TargetStride = 0;               ///< pixels per target row
    const std::uint32_t* Texels = nullptr;         ///< laid out as GeoTexelBlocks
    const std::uint32_t* ColumnOffsets = nullptr;  ///< GeoTexelBlocks::ColumnOffsets
    const std::uint32_t* RowOffsets = nullptr;     ///< GeoTexelBlocks::RowOffsets
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

    /// Takes the texels from an image in blocks.
    void SetTexels(const GeoTexelBlocks& blocks) {
        Texels = blocks.Texels();
        ColumnOffsets = blocks.ColumnOffsets();
        RowOffsets = blocks.RowOffsets();
        TextureWidth = blocks.Width();
        TextureHeight = blocks.Height();
    }
};

/// Fills a screen triangle with the texture: scan lines from the top vertex down, spans from the
/// truncated x of one edge up to (not including) the other's, texture coordinates interpolated
/// along the span in fixed point (or taken from the triangle's plane, with PlaneSetup). Nearest:
/// texel (trunc U, trunc V). Bilinear: texel centres at U + 0.5, V + 0.5, the four around the point
/// blended (clamped at the image's edges). Only rows RowBegin .. RowEnd - 1 are drawn; every row
/// comes out the same whatever the band.
void FillTexturedTriangle(const GeoTextureFill& fill, const GeoTexVertex& a, const GeoTexVertex& b,
                          const GeoTexVertex& c);

/// Level to sample for a triangle whose texture area (in texels of level 0) covers a screen area
/// (in pixels): log2 of the linear shrinking, rounded, clamped to 0 .. levels - 1.
int TextureLevelFor(double textureArea, double screenArea, int levels);

/// Work of the same picture that a texture pass does on its threads besides the texture.
struct GeoTextureSideWork {
    /// Runs once, on one thread while the others fill (before the fill on one thread): work that
    /// touches neither the picture nor the texture.
    std::function<void()> alongside;
    /// Unless clNone, each band of rows is first filled with this colour, the background the
    /// texture is drawn over: written while the band's rows are in the cache, on every thread.
    GeoColor background = clNone;
};

/// Maps an equirectangular texture onto the sphere by octahedron subdivision. Keeps its vertex
/// cache between frames so that each subdivision vertex is computed once per frame.
class GeoTextureMapper {
public:
    /// Draws the texture into the target picture for the model's current view. Bilinear
    /// filtering applies to opaque textures without a transparent colour (a keyed colour must not
    /// bleed into its neighbours); others take the nearest texel. With a pool the picture is
    /// filled in bands on its threads, giving the same bytes as one thread; `side` is done on
    /// the same threads.
    void Draw(QImage& target, const GeoSphericalPrj& model, double scale, const GeoTexture& texture,
              int alpha, GeoColor transparent, GeoTextureFilter filter = GeoTextureFilter::Nearest,
              GeoRenderPool* pool = nullptr, const GeoTextureSideWork& side = {});

    /// Triangles filled by the last Draw (depth-0 triangles with three visible vertices that
    /// reach into the picture).
    int TrianglesFilled() const { return m_trianglesFilled; }

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

    /// A triangle of a face with corners at grid points a, b, c: divided `depth` more times,
    /// its triangles that reach into the picture are added to `out`.
    void subdivide(int face, int depth, int ia, int ja, int ib, int jb, int ic, int jc,
                   std::vector<Triangle>& out);
    /// Selects the mesh of a subdivision depth and renews the stamps of the vertex cache.
    void useMesh(int depth, const GeoTexture& texture);
    /// Points the fill at the target picture and the texture.
    void bindFill(QImage& target, const GeoTexture& texture, int alpha, GeoColor transparent);
    /// Fills the triangles found, in bands of rows, on the pool's threads if there is one.
    void fillBands(int height, GeoRenderPool* pool, const GeoTextureSideWork& side);
    void fillBand(int band, int rowBegin, int rowEnd, GeoColor background) const;
    /// Keeps a triangle of the deepest subdivision for filling when it reaches into the
    /// picture, with the level it is filled from.
    void addTriangle(const Vertex& a, const Vertex& b, const Vertex& c,
                     std::vector<Triangle>& out) const;

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
    // The triangles found, face by face (in face order they are the order of filling).
    std::array<std::vector<Triangle>, 8> m_faceTriangles;
    // The triangles of each band of rows, in the order found: band k's from m_bandStart[k] to
    // m_bandStart[k + 1].
    std::vector<const Triangle*> m_bandTriangles;
    std::vector<std::uint32_t> m_bandStart;
    const GeoTexture* m_texture = nullptr;  ///< the texture being drawn
    bool m_levels = false;                  ///< texels taken from the pre-filtered levels
    bool m_bilinear = false;                ///< four texels blended
};

}  // namespace zimbalo::globe
