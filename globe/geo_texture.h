#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QString>

#include "globe/geo_units.h"

namespace zimbalo::globe {

class GeoBitmap;
class GeoSphericalPrj;

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
};

/// Fills a screen triangle with the texture: scan lines from the top vertex down, spans from the
/// truncated x of one edge up to (not including) the other's, texture coordinates interpolated.
void FillTexturedTriangle(const GeoTextureFill& fill, const GeoTexVertex& a, const GeoTexVertex& b,
                          const GeoTexVertex& c);

/// Maps an equirectangular texture onto the sphere by octahedron subdivision. Keeps its vertex
/// cache between frames so that each subdivision vertex is computed once per frame.
class GeoTextureMapper {
public:
    /// Draws the texture into the target picture for the model's current view.
    void Draw(QImage& target, const GeoSphericalPrj& model, double scale, const GeoBitmap& texture,
              int alpha, GeoColor transparent);

    /// Triangles filled by the last Draw (depth-0 triangles with three visible vertices).
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

    void subdivide(int face, int depth, int ia, int ja, int ib, int jb, int ic, int jc);

    Vertex& vertex(int face, int i, int j) {
        return m_mesh->vertices[static_cast<std::size_t>(face) * m_mesh->faceSize
                                + static_cast<std::size_t>(j) * static_cast<std::size_t>(m_n + 1)
                                + static_cast<std::size_t>(i)];
    }

    void prepareVertex(int face, Vertex& v);

    std::array<Mesh, 8> m_meshes;
    Mesh* m_mesh = nullptr;
    int m_n = 0;
    std::uint32_t m_stamp = 0;
    std::uint32_t m_texelStamp = 0;
    int m_texelWidth = -1;
    int m_texelHeight = -1;
    const GeoSphericalPrj* m_model = nullptr;
    GeoTextureFill m_fill;
    int m_trianglesFilled = 0;
};

}  // namespace zimbalo::globe
