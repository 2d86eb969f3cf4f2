#include "globe/geo_texture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "globe/geo_exception.h"
#include "globe/geo_globe.h"

namespace zimbalo::globe {
namespace {

TEST(TextureGeometry, CornersMapToTheImageCorners) {
    // 1000 x 500 image: -180 degrees to column 0, +180 (1 GU short) to 999, poles to rows 0, 499.
    EXPECT_EQ(TexelOfPoint({-972000000, 0, 0}, 1000, 500).Column, 0);
    EXPECT_EQ(TexelOfPoint({971999999, 0, 0}, 1000, 500).Column, 999);
    EXPECT_EQ(TexelOfPoint({0, gu::MaxLatitude, 0}, 1000, 500).Row, 0);
    EXPECT_EQ(TexelOfPoint({0, -gu::MaxLatitude, 0}, 1000, 500).Row, 499);
    EXPECT_EQ(TexelOfPoint({0, 0, 0}, 1000, 500).Column, 500);  // 499.5 rounds to even

    // Octahedron vertices: +180 stays inside the image, the western faces keep to its left edge.
    EXPECT_EQ(TextureVertexPoint(0, 0, -1, false).Longitude, 971999999);
    EXPECT_EQ(TextureVertexPoint(0, 0, -1, true).Longitude, -971999999);
    EXPECT_EQ(TextureVertexPoint(1, 0, 0, false).Longitude, DegToGU(90) - 1);
    EXPECT_EQ(TextureVertexPoint(0, 1, 0, false).Latitude, gu::MaxLatitude);
    EXPECT_EQ(TextureVertexPoint(0, 1.0000000000000002, 0, false).Latitude, gu::MaxLatitude);

    EXPECT_EQ(TextureDepthForScale(2e-7), 4);
    EXPECT_EQ(TextureDepthForScale(2.7e-6), 6);
    EXPECT_EQ(TextureDepthForScale(2e-6), 5);
    EXPECT_EQ(TextureDepthForScale(3e-5), 7);
}

/// Fills triangles into a black 16 x 16 target from a one-texel white texture blended at 128,
/// so that a pixel written twice shows brighter than one written once.
struct FillFixture : ::testing::Test {
    QImage target{16, 16, QImage::Format_RGB32};
    GeoTexelBlocks texels;
    GeoTextureFill fill;

    void SetUp() override {
        target.fill(Qt::black);
        fill.Target = reinterpret_cast<std::uint32_t*>(target.bits());
        fill.TargetWidth = 16;
        fill.TargetHeight = 16;
        fill.TargetStride = 16;
        QImage white(1, 1, QImage::Format_RGB32);
        white.fill(Qt::white);
        texels.Assign(white);
        fill.SetTexels(texels);
        fill.Alpha = 128;
    }

    int grey(int x, int y) const { return qRed(target.pixel(x, y)); }
};

TEST_F(FillFixture, NeighbouringTrianglesCoverEachPixelOnce) {
    FillTexturedTriangle(fill, {2, 2, 0, 0}, {12, 2, 0, 0}, {12, 12, 0, 0});
    FillTexturedTriangle(fill, {2, 2, 0, 0}, {12, 12, 0, 0}, {2, 12, 0, 0});
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 2 && x < 12 && y >= 2 && y < 12;
            EXPECT_EQ(grey(x, y), inside ? 127 : 0) << x << "," << y;
        }
    }
}

TEST_F(FillFixture, DegenerateAndOutsideTrianglesDrawNothing) {
    FillTexturedTriangle(fill, {1, 5, 0, 0}, {9, 5, 0, 0}, {14, 5, 0, 0});     // flat
    FillTexturedTriangle(fill, {-20, 1, 0, 0}, {-1, 1, 0, 0}, {-5, 9, 0, 0});  // left of 0
    FillTexturedTriangle(fill, {1, 16, 0, 0}, {9, 16, 0, 0}, {5, 30, 0, 0});   // below
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(grey(x, y), 0);
        }
    }
    // Partly outside: clipped to the picture without touching memory beyond it.
    FillTexturedTriangle(fill, {-100, -100, 0, 0}, {100, -100, 0, 0}, {0, 100, 0, 0});
    EXPECT_EQ(grey(8, 8), 127);
}

TEST_F(FillFixture, TexelsInterpolateAndClampAndSkipTransparent) {
    // A 4 x 1 texture: columns 0 .. 3 with grey levels 10, 20, 30, 40.
    QImage row(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x) {
        row.setPixel(x, 0, qRgb(10 * (x + 1), 10 * (x + 1), 10 * (x + 1)));
    }
    texels.Assign(row);
    fill.SetTexels(texels);
    fill.Alpha = 255;
    // Screen x 0 .. 8 maps to texture column 0 .. 4 (the last texel is reached at the end).
    FillTexturedTriangle(fill, {0, 0, 0, 0}, {8, 0, 4, 0}, {8, 8, 4, 0});
    EXPECT_EQ(grey(0, 0), 10);
    EXPECT_EQ(grey(1, 0), 10);
    EXPECT_EQ(grey(2, 0), 20);
    EXPECT_EQ(grey(7, 0), 40);
    // The transparent colour leaves the picture as it was.
    target.fill(Qt::black);
    fill.HasTransparent = true;
    fill.TransparentPixel = 0xFF141414;
    FillTexturedTriangle(fill, {0, 0, 0, 0}, {8, 0, 4, 0}, {8, 8, 4, 0});
    EXPECT_EQ(grey(1, 0), 10);
    EXPECT_EQ(grey(2, 0), 0);
    EXPECT_EQ(grey(4, 0), 30);
}

QImage NoiseImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t state = 99;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, 0xFF000000u | (state >> 8));
        }
    }
    return image;
}

TEST(TexelBlocks, GiveTheTexelOfTheRowLayoutEverywhere) {
    // Sizes that end in partial blocks (and one that does not): every texel, the last partial
    // blocks' included, is found where the row layout has it.
    for (const QSize size : {QSize(37, 19), QSize(16, 8), QSize(9, 1), QSize(1, 13)}) {
        const QImage image = NoiseImage(size.width(), size.height());
        GeoTexelBlocks blocks;
        blocks.Assign(image);
        ASSERT_EQ(blocks.Width(), size.width());
        ASSERT_EQ(blocks.Height(), size.height());
        const int blocksX = (size.width() + 7) / 8;
        const int blocksY = (size.height() + 7) / 8;
        // The padding of the last blocks and the two tables of places.
        EXPECT_EQ(blocks.Bytes(),
                  std::size_t(blocksX * blocksY * 256 + (size.width() + size.height()) * 4));
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                ASSERT_EQ(blocks.At(x, y), image.pixel(x, y)) << x << "," << y;
            }
        }
        // The nearest fill of a rectangle one pixel per texel reads every texel, the edge ones
        // included, through the fill's own addressing: it copies the image.
        QImage target(size, QImage::Format_RGB32);
        target.fill(Qt::black);
        GeoTextureFill fill;
        fill.Target = reinterpret_cast<std::uint32_t*>(target.bits());
        fill.TargetWidth = size.width();
        fill.TargetHeight = size.height();
        fill.TargetStride = size.width();
        fill.SetTexels(blocks);
        const int w = size.width();
        const int h = size.height();
        const auto uw = static_cast<double>(w);
        const auto vh = static_cast<double>(h);
        FillTexturedTriangle(fill, {0, 0, 0, 0}, {w, 0, uw, 0}, {w, h, uw, vh});
        FillTexturedTriangle(fill, {0, 0, 0, 0}, {w, h, uw, vh}, {0, h, 0, vh});
        EXPECT_TRUE(target == image) << size.width() << " x " << size.height();
    }
}

/// A 360 x 180 texture with the four quadrants in four colours.
QImage quadrantTexture() {
    QImage image(360, 180, QImage::Format_RGB32);
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 360; ++x) {
            const bool west = x < 180;
            const bool north = y < 90;
            image.setPixel(
                x, y, north ? (west ? 0xFFFF0000 : 0xFF00FF00) : (west ? 0xFF0000FF : 0xFFFFFF00));
        }
    }
    return image;
}

TEST(TextureMapping, QuadrantsLandWhereTheyBelong) {
    GeoGlobe globe(200, 200);
    globe.SurfaceTexture().Assign(quadrantTexture());
    globe.Projector().SetScaleFactor(180.0 / (2.0 * gu::EarthRadius));
    globe.Projector().SetXOrigin(100);
    globe.Projector().SetYOrigin(100);
    globe.Projector().SetXRotation(0.0);
    globe.Projector().SetYRotation(0.0);
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    globe.Render();
    const QImage& pic = globe.Picture();
    EXPECT_EQ(pic.pixel(70, 70), 0xFFFF0000u);    // north-west
    EXPECT_EQ(pic.pixel(130, 70), 0xFF00FF00u);   // north-east
    EXPECT_EQ(pic.pixel(70, 130), 0xFF0000FFu);   // south-west
    EXPECT_EQ(pic.pixel(130, 130), 0xFFFFFF00u);  // south-east
    EXPECT_EQ(pic.pixel(2, 2), 0xFF000000u);      // background

    // Centred on the antimeridian, east is on the left of the picture and west on the right.
    globe.Projector().SetYRotation(180.0);
    globe.Render();
    EXPECT_EQ(pic.pixel(70, 70), 0xFF00FF00u);
    EXPECT_EQ(pic.pixel(130, 70), 0xFFFF0000u);
    EXPECT_GT(globe.TextureMapper().TrianglesFilled(), 100);
}

TEST(TextureMapping, TextureCoversTheDiscAndNothingElse) {
    GeoGlobe globe(200, 200);
    QImage white(64, 32, QImage::Format_RGB32);
    white.fill(Qt::white);
    globe.SurfaceTexture().Assign(white);
    globe.Projector().SetScaleFactor(180.0 / (2.0 * gu::EarthRadius));
    globe.Projector().SetXOrigin(100);
    globe.Projector().SetYOrigin(100);
    // Turned so that the limb runs through triangles rather than along their edges.
    globe.Projector().SetXRotation(23.5);
    globe.Projector().SetYRotation(30.0);
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    globe.Render();
    const QImage& pic = globe.Picture();
    int aquaInside = 0;
    int whiteOutside = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            const double d = std::hypot(x - 100.0, y - 100.0);
            if (d < 85.0 && pic.pixel(x, y) == 0xFF00FFFFu) {
                ++aquaInside;
            }
            if (d > 92.0 && pic.pixel(x, y) != 0xFF000000u) {
                ++whiteOutside;
            }
        }
    }
    // Triangles with a vertex behind the rim are left out, which costs at most a sliver of a
    // pixel at the rim; inside, the texture covers the disc without gaps. Outside, rounding of
    // the rim vertices and truncation of the spans let it spill by a pixel at most.
    EXPECT_EQ(aquaInside, 0);
    EXPECT_EQ(whiteOutside, 0);
}

TEST(Jpeg, DecodesIntoTheThirtyTwoBitLayout) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("quadrants.jpg");
    ASSERT_TRUE(quadrantTexture().save(path, "JPEG", 95));
    const QImage image = DecodeJpegFile(path);
    ASSERT_EQ(image.width(), 360);
    ASSERT_EQ(image.height(), 180);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    const QRgb nw = image.pixel(40, 40);
    EXPECT_GT(qRed(nw), 240);
    EXPECT_LT(qGreen(nw), 20);
    EXPECT_EQ(qAlpha(nw), 255);
    const QRgb se = image.pixel(300, 140);
    EXPECT_GT(qRed(se), 240);
    EXPECT_GT(qGreen(se), 240);
    EXPECT_LT(qBlue(se), 20);

    // Cut-off and foreign data are errors, never a crash or an exit.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QByteArray truncated = bytes.left(200);
    EXPECT_THROW(DecodeJpeg(reinterpret_cast<const unsigned char*>(truncated.constData()),
                            static_cast<std::size_t>(truncated.size())),
                 GeoException);
    const QByteArray garbage("not a picture at all");
    EXPECT_THROW(DecodeJpeg(reinterpret_cast<const unsigned char*>(garbage.constData()),
                            static_cast<std::size_t>(garbage.size())),
                 GeoException);
    EXPECT_THROW(DecodeJpegFile(dir.filePath("missing.jpg")), GeoException);
}

TEST(SurfaceTexture, NameRules) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.jpg");
    ASSERT_TRUE(quadrantTexture().save(path, "JPEG"));
    GeoGlobe globe;
    globe.SetSurfaceTextureName("  " + path + " ");
    EXPECT_EQ(globe.SurfaceTextureName(), path);
    EXPECT_EQ(globe.SurfaceTexture().Width(), 360);
    // A missing file leaves the texture shown (and stores the name).
    globe.SetSurfaceTextureName(dir.filePath("nope.jpg"));
    EXPECT_EQ(globe.SurfaceTexture().Width(), 360);
    EXPECT_EQ(globe.SurfaceTextureName(), dir.filePath("nope.jpg"));
    // An empty name removes it.
    globe.SetSurfaceTextureName("");
    EXPECT_TRUE(globe.SurfaceTexture().IsEmpty());
    EXPECT_TRUE(globe.SurfaceTextureName().isEmpty());
    // A broken file is an error and changes nothing.
    globe.SetSurfaceTextureName(path);
    const QString broken = dir.filePath("broken.jpg");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xFF\xD8garbage");
    f.close();
    EXPECT_THROW(globe.SetSurfaceTextureName(broken), GeoException);
    EXPECT_EQ(globe.SurfaceTextureName(), path);
    EXPECT_EQ(globe.SurfaceTexture().Width(), 360);
    globe.SetSurfaceTextureName("");
    // A missing name while nothing is loaded leaves nothing loaded and no name.
    globe.SetSurfaceTextureName(dir.filePath("nope.jpg"));
    EXPECT_TRUE(globe.SurfaceTextureName().isEmpty());
}

}  // namespace
}  // namespace zimbalo::globe
