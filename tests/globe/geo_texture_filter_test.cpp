// Filtered texture pass, pre-filtered levels and the picture drawn in bands on several threads.

#include <atomic>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "globe/geo_globe.h"
#include "globe/geo_render_pool.h"
#include "globe/geo_texture.h"

namespace zimbalo::globe {
namespace {

/// A texture whose texels depend on the latitude only (a smooth ramp from red at the north pole
/// to blue at the south pole): columns on either side of 180 degrees and all texels around a pole
/// are alike, so any seam stands out.
QImage LatitudeRamp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const int t = y * 255 / (height - 1);
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = qRgb(255 - t, 64, t);
        }
    }
    return image;
}

QImage Noise(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = 0xFF000000u | (state >> 8);
        }
    }
    return image;
}

void View(GeoGlobe& globe, double scale, double latitude, double longitude) {
    GeoProjector& p = globe.Projector();
    p.SetScaleFactor(scale);
    p.SetXOrigin(globe.Renderer().Width() / 2);
    p.SetYOrigin(globe.Renderer().Height() / 2);
    p.SetXRotation(latitude);
    p.SetYRotation(longitude);
}

int ChannelDistance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b))
           + std::abs(qBlue(a) - qBlue(b));
}

TEST(TexturePyramid, LevelsHalveWithRoundedMeans) {
    QImage base(5, 3, QImage::Format_RGB32);
    base.fill(qRgb(10, 20, 30));
    GeoTexture texture;
    texture.Assign(base);
    texture.BuildLevels();
    // Down to 8 texels on a side: a 5 x 3 image has no level above 0.
    EXPECT_EQ(texture.Levels(), 1);

    QImage big(40, 20, QImage::Format_RGB32);
    big.fill(qRgb(10, 20, 30));
    big.setPixel(0, 0, qRgb(14, 20, 30));  // a 2 x 2 block of means (10 * 3 + 14) / 4 = 11
    big.setPixel(39, 19, qRgb(110, 20, 30));
    texture.Assign(big);
    EXPECT_EQ(texture.Levels(), 1);  // built when a picture asks for them
    texture.BuildLevels();
    ASSERT_EQ(texture.Levels(), 3);  // 40 x 20, 20 x 10, 10 x 5
    EXPECT_EQ(texture.Level(1).Width(), 20);
    EXPECT_EQ(texture.Level(1).Height(), 10);
    EXPECT_EQ(texture.Level(2).Width(), 10);
    EXPECT_EQ(texture.Level(2).Height(), 5);
    EXPECT_EQ(qRed(texture.Level(1).At(0, 0)), 11);
    EXPECT_EQ(qRed(texture.Level(1).At(19, 9)), 35);  // (3 x 10 + 110) / 4
    EXPECT_EQ(qRed(texture.Level(1).At(5, 5)), 10);
    // In whole blocks of 8 x 8 texels (3 x 2 and 2 x 1 blocks of 256 bytes) with their tables.
    EXPECT_EQ(texture.LevelBytes(), std::size_t{(3 * 2 + 2 * 1) * 256 + (20 + 10 + 10 + 5) * 4});
    EXPECT_EQ(texture.Bytes(), std::size_t{5 * 3 * 256 + (40 + 20) * 4});
    texture.ClearLevels();
    EXPECT_EQ(texture.Levels(), 1);
    EXPECT_EQ(texture.LevelBytes(), 0u);

    // Level choice: texels per pixel along a side, log2 rounded, within the levels there are.
    EXPECT_EQ(TextureLevelFor(100.0, 100.0, 5), 0);
    EXPECT_EQ(TextureLevelFor(400.0, 100.0, 5), 1);
    EXPECT_EQ(TextureLevelFor(180.0, 100.0, 5), 0);  // 1.34 texels per pixel
    EXPECT_EQ(TextureLevelFor(1e9, 1.0, 5), 4);
    EXPECT_EQ(TextureLevelFor(1e9, 0.0, 5), 0);  // a degenerate triangle
    EXPECT_EQ(TextureLevelFor(1e9, 1.0, 1), 0);
}

TEST(BilinearFill, TwoBandsBlendAtTheirEdgeOnly) {
    // Texture 2 x 2: the left column red, the right column blue, stretched over 40 pixels.
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, 0xFFFF0000u);
    image.setPixel(1, 0, 0xFF0000FFu);
    image.setPixel(0, 1, 0xFFFF0000u);
    image.setPixel(1, 1, 0xFF0000FFu);
    GeoTexelBlocks texels;
    texels.Assign(image);
    QImage target(40, 4, QImage::Format_RGB32);
    target.fill(Qt::black);
    GeoTextureFill fill;
    fill.Target = reinterpret_cast<std::uint32_t*>(target.bits());
    fill.TargetWidth = 40;
    fill.TargetHeight = 4;
    fill.TargetStride = 40;
    fill.SetTexels(texels);
    fill.Bilinear = true;
    FillTexturedTriangle(fill, {0, 0, 0, 0}, {40, 0, 2, 0}, {40, 4, 2, 2});
    FillTexturedTriangle(fill, {0, 0, 0, 0}, {40, 4, 2, 2}, {0, 4, 0, 2});
    for (int y = 0; y < 4; ++y) {
        // Pure colours inside each band (up to the texel centres at x 10 and 30 and beyond them).
        for (int x : {0, 5, 10}) {
            EXPECT_EQ(target.pixel(x, y), 0xFFFF0000u) << x << "," << y;
        }
        for (int x : {30, 35, 39}) {
            EXPECT_EQ(target.pixel(x, y), 0xFF0000FFu) << x << "," << y;
        }
        // Between the centres a blend, red falling and blue rising steadily.
        int lastRed = 256;
        for (int x = 11; x < 30; ++x) {
            const QRgb p = target.pixel(x, y);
            EXPECT_LT(qRed(p), lastRed) << x;
            EXPECT_NEAR(qRed(p) + qBlue(p), 255, 2) << x;
            EXPECT_EQ(qGreen(p), 0);
            lastRed = qRed(p);
        }
        EXPECT_NEAR(qRed(target.pixel(20, y)), 128, 8);
    }
}

TEST(BilinearTexture, NoSeamAtTheAntimeridianOrAtThePoles) {
    GeoGlobe globe(300, 300);
    globe.SurfaceTexture().Assign(LatitudeRamp(1000, 500));
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    globe.SetSurfaceColor(clAqua);
    for (const GeoTextureFilter filter :
         {GeoTextureFilter::Bilinear, GeoTextureFilter::NearestLevel, GeoTextureFilter::Nearest}) {
        globe.SetTextureFilter(filter);
        // 180 degrees down the middle of the picture: the columns on either side match.
        View(globe, 2e-6, 10.0, 180.0);
        globe.Render();
        const QImage& pic = globe.Picture();
        for (int y = 5; y < 295; y += 3) {
            for (int x = 140; x < 160; ++x) {
                EXPECT_LE(ChannelDistance(pic.pixel(x, y), pic.pixel(x + 1, y)), 12)
                    << "180 degrees, " << x << "," << y;
                EXPECT_NE(pic.pixel(x, y), 0xFF00FFFFu);
            }
        }
        // The north pole in the middle of a whole globe: a smooth cap without gaps.
        View(globe, 0.0, 90.0, 0.0);
        globe.Render();
        const double r = globe.Projector().Model().Radius();
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 299; ++x) {
                if (std::hypot(x - 150.0, y - 150.0) > r - 3.0) {
                    continue;
                }
                EXPECT_NE(pic.pixel(x, y), 0xFF00FFFFu) << "pole, " << x << "," << y;
                if (std::hypot(x - 150.0, y - 150.0) < r / 2) {
                    EXPECT_LE(ChannelDistance(pic.pixel(x, y), pic.pixel(x + 1, y)), 12)
                        << "pole, " << x << "," << y;
                }
            }
        }
    }
}

TEST(BilinearTexture, CoversTheDiscLikeTheNearestPass) {
    // Whole globe, shrunk texture (coarse levels): the disc is covered to the same rim.
    GeoGlobe globe(240, 240);
    globe.SurfaceTexture().Assign(Noise(2048, 1024));
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    View(globe, 0.0, 23.5, 30.0);
    globe.SetTextureFilter(GeoTextureFilter::Nearest);
    globe.Render();
    const QImage nearest = globe.Picture().copy();
    globe.SetTextureFilter(GeoTextureFilter::Bilinear);
    globe.Render();
    const QImage& bilinear = globe.Picture();
    int aquaNearest = 0;
    int aquaBilinear = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 240; ++x) {
            aquaNearest += nearest.pixel(x, y) == 0xFF00FFFFu ? 1 : 0;
            aquaBilinear += bilinear.pixel(x, y) == 0xFF00FFFFu ? 1 : 0;
            EXPECT_EQ(nearest.pixel(x, y) == 0xFF000000u, bilinear.pixel(x, y) == 0xFF000000u);
        }
    }
    EXPECT_EQ(aquaBilinear, aquaNearest);
    // Noise shrunk about 8 times averages out: the filtered picture is far smoother.
    long long roughNearest = 0;
    long long roughBilinear = 0;
    for (int y = 100; y < 140; ++y) {
        for (int x = 100; x < 140; ++x) {
            roughNearest += ChannelDistance(nearest.pixel(x, y), nearest.pixel(x + 1, y));
            roughBilinear += ChannelDistance(bilinear.pixel(x, y), bilinear.pixel(x + 1, y));
        }
    }
    EXPECT_LT(roughBilinear * 3, roughNearest);

    // The picture in motion takes the nearest texel of the same levels: the same rim, and far
    // less of the shrunk noise than the nearest texel of the texture itself.
    globe.SetTextureFilter(GeoTextureFilter::NearestLevel);
    globe.Render();
    const QImage& level = globe.Picture();
    int aquaLevel = 0;
    long long roughLevel = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 240; ++x) {
            aquaLevel += level.pixel(x, y) == 0xFF00FFFFu ? 1 : 0;
            if (x >= 100 && x < 140 && y >= 100 && y < 140) {
                roughLevel += ChannelDistance(level.pixel(x, y), level.pixel(x + 1, y));
            }
        }
    }
    EXPECT_EQ(aquaLevel, aquaNearest);
    EXPECT_LT(roughLevel * 2, roughNearest);
}

TEST(NearestLevelTexture, TakesTheTexelsOfTheNearestPassWhereTheTextureIsNotShrunk) {
    // About one texel per pixel and more: level 0 everywhere. Its coordinates come from each
    // triangle's plane rather than its edges, so a texel may differ where a position lies within
    // rounding of a texel's edge: the same rim, and all but a few pixels alike.
    GeoGlobe globe(320, 240);
    globe.SurfaceTexture().Assign(Noise(1080, 540));
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    for (const double scale : {5e-5, 0.0}) {
        View(globe, scale, 36.0, -5.6);
        globe.SetTextureFilter(GeoTextureFilter::Nearest);
        globe.Render();
        const QImage nearest = globe.Picture().copy();
        globe.SetTextureFilter(GeoTextureFilter::NearestLevel);
        globe.Render();
        const QImage& level = globe.Picture();
        int differ = 0;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                differ += level.pixel(x, y) != nearest.pixel(x, y) ? 1 : 0;
                EXPECT_EQ(level.pixel(x, y) == 0xFF00FFFFu, nearest.pixel(x, y) == 0xFF00FFFFu)
                    << x << "," << y;
            }
        }
        if (scale > 0.0) {
            EXPECT_LT(differ, 320 * 240 / 50) << "scale " << scale;
        }
    }
}

TEST(TextureBands, ThreadsGiveTheBytesOfOneThread) {
    struct Case {
        double scale;
        double latitude;
        double longitude;
    };

    const Case cases[] = {
        {2.7e-6, 23.5, 0.0}, {0.0, 90.0, 0.0}, {5e-5, 36.0, -5.6}, {0.0, -30.0, 180.0}};
    GeoGlobe globe(640, 480);
    globe.SurfaceTexture().Assign(Noise(1080, 540));
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    for (const GeoTextureFilter filter :
         {GeoTextureFilter::Nearest, GeoTextureFilter::NearestLevel, GeoTextureFilter::Bilinear}) {
        globe.SetTextureFilter(filter);
        for (const Case& c : cases) {
            View(globe, c.scale, c.latitude, c.longitude);
            globe.SetRenderThreads(1);
            globe.Render();
            const QImage single = globe.Picture().copy();
            // More threads than cores: the bands are really shared out.
            globe.SetRenderThreads(3);
            EXPECT_EQ(globe.RenderPool().Threads(), 3);
            globe.Render();
            EXPECT_TRUE(globe.Picture() == single)
                << "scale " << c.scale << " at " << c.latitude << ", " << c.longitude;
        }
    }
    // Translucent textures blend in the same order on every thread.
    globe.SurfaceTexture().SetAlphaBlend(100);
    globe.SetTextureFilter(GeoTextureFilter::Nearest);
    View(globe, 2.7e-6, 23.5, 0.0);
    globe.SetRenderThreads(1);
    globe.Render();
    const QImage single = globe.Picture().copy();
    globe.SetRenderThreads(3);
    globe.Render();
    EXPECT_TRUE(globe.Picture() == single);
}

TEST(RenderPool, RunsEachTaskOnceAndPassesOnErrors) {
    GeoRenderPool pool(3);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::atomic<int>> runs(37);
        pool.Run(37, [&](int i) { runs[static_cast<std::size_t>(i)].fetch_add(1); });
        for (const auto& r : runs) {
            ASSERT_EQ(r.load(), 1);
        }
    }
    std::atomic<int> done{0};
    EXPECT_THROW(pool.Run(10,
                          [&](int i) {
                              if (i == 4) {
                                  throw std::runtime_error("band failed");
                              }
                              done.fetch_add(1);
                          }),
                 std::runtime_error);
    EXPECT_EQ(done.load(), 9);  // the others still ran
    // The pool still works after an error.
    std::atomic<int> count{0};
    pool.Run(5, [&](int) { count.fetch_add(1); });
    EXPECT_EQ(count.load(), 5);
    GeoRenderPool single(1);
    EXPECT_EQ(single.Threads(), 1);
    single.Run(3, [&](int) { count.fetch_add(1); });
    EXPECT_EQ(count.load(), 8);
}

}  // namespace
}  // namespace zimbalo::globe
