// Pictures of the globe at fixed views, compared by checksum with the pictures the renderer gave
// when the values were recorded. A change of a single pixel of the nearest-texel texture pass or
// of the graticule shows here; speed work on those passes must keep these values.

#include <cstdint>
#include <ostream>

#include <QImage>

#include <gtest/gtest.h>

#include "globe/geo_globe.h"

namespace zimbalo::globe {
namespace {

/// FNV-1a over the picture's pixels, row by row.
std::uint64_t PictureChecksum(const QImage& image) {
    std::uint64_t h = 14695981039346656037ull;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int i = 0; i < image.width() * 4; ++i) {
            h = (h ^ row[i]) * 1099511628211ull;
        }
    }
    return h;
}

/// A 1080 x 540 texture of pseudo-random texels: any texel taken from a neighbouring column or
/// row changes the picture.
QImage NoiseTexture() {
    QImage image(1080, 540, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::uint32_t v = static_cast<std::uint32_t>(x) * 73856093u
                              ^ static_cast<std::uint32_t>(y) * 19349663u;
            v ^= v >> 13;
            v *= 0x5bd1e995u;
            v ^= v >> 15;
            row[x] = 0xFF000000u | (v & 0xFFFFFFu);
        }
    }
    return image;
}

struct View {
    const char* name;
    int width;
    int height;
    double scale;  ///< 0: fit the sphere
    double centerLatitude;
    double centerLongitude;
};

void ApplyView(GeoGlobe& globe, const View& v) {
    globe.Resize(v.width, v.height);
    GeoProjector& p = globe.Projector();
    p.SetScaleFactor(v.scale);
    p.SetXOrigin(v.width / 2);
    p.SetYOrigin(v.height / 2);
    p.SetXRotation(v.centerLatitude);
    p.SetYRotation(v.centerLongitude);
}

// The main window's default view, the whole globe, the antimeridian and a pole in the middle,
// and two strong zooms on coastlines (the deepest subdivision).
const View kDefault{"Default", 1024, 768, 2.7e-6, 23.5, 0.0};
const View kWhole{"Whole", 640, 480, 0.0, 23.5, 100.0};
const View kAntimeridian{"Antimeridian", 400, 400, 0.0, -30.0, 180.0};
const View kNorthPole{"NorthPole", 400, 400, 0.0, 90.0, 0.0};
const View kGibraltar{"Gibraltar", 640, 480, 5e-5, 36.0, -5.6};
const View kFjords{"Fjords", 640, 480, 2e-5, 61.0, 6.0};

struct TextureCase {
    View view;
    std::uint64_t checksum;
};

void PrintTo(const TextureCase& c, std::ostream* os) {
    *os << c.view.name;
}

class NearestTexturePass : public ::testing::TestWithParam<TextureCase> {};

TEST_P(NearestTexturePass, GivesTheRecordedPicture) {
    const TextureCase& c = GetParam();
    GeoGlobe globe;
    globe.SurfaceTexture().Assign(NoiseTexture());
    globe.SetTextureFilter(GeoTextureFilter::Nearest);
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    ApplyView(globe, c.view);
    globe.Render();
    EXPECT_EQ(PictureChecksum(globe.Picture()), c.checksum)
        << "0x" << std::hex << PictureChecksum(globe.Picture());
}

INSTANTIATE_TEST_SUITE_P(Views, NearestTexturePass,
                         ::testing::Values(TextureCase{kDefault, 0x6cd1d48d5b2feb0full},
                                           TextureCase{kWhole, 0x56aa6a9dad52e147ull},
                                           TextureCase{kAntimeridian, 0x32f3f27f48759479ull},
                                           TextureCase{kNorthPole, 0x1f79aa034c6537c4ull},
                                           TextureCase{kGibraltar, 0x77977b71f413c83cull},
                                           TextureCase{kFjords, 0xd32167fcd541e937ull}));

struct FilteredCase {
    View view;
    GeoTextureFilter filter;
    std::uint64_t checksum;
};

void PrintTo(const FilteredCase& c, std::ostream* os) {
    *os << c.view.name << (c.filter == GeoTextureFilter::Bilinear ? " bilinear" : " level");
}

class FilteredTexturePass : public ::testing::TestWithParam<FilteredCase> {};

// The passes from the pre-filtered levels (nearest texel of a level, bilinear) at the same views:
// a change in how texels are stored or addressed must not change a pixel.
TEST_P(FilteredTexturePass, GivesTheRecordedPicture) {
    const FilteredCase& c = GetParam();
    GeoGlobe globe;
    globe.SurfaceTexture().Assign(NoiseTexture());
    globe.SetTextureFilter(c.filter);
    globe.Graticule().SetDrawMode(GeoGraticuleDraw::gdNone);
    ApplyView(globe, c.view);
    globe.Render();
    EXPECT_EQ(PictureChecksum(globe.Picture()), c.checksum)
        << "0x" << std::hex << PictureChecksum(globe.Picture());
}

constexpr GeoTextureFilter kLevel = GeoTextureFilter::NearestLevel;
constexpr GeoTextureFilter kBilinear = GeoTextureFilter::Bilinear;

INSTANTIATE_TEST_SUITE_P(
    Views, FilteredTexturePass,
    ::testing::Values(FilteredCase{kDefault, kLevel, 0x69a97a2303d80154ull},
                      FilteredCase{kWhole, kLevel, 0x4ce2ef3fd3afa177ull},
                      FilteredCase{kAntimeridian, kLevel, 0xadbf2cf03d87e700ull},
                      FilteredCase{kNorthPole, kLevel, 0x1ef8e781f4c34567ull},
                      FilteredCase{kGibraltar, kLevel, 0x10c7f49decee97d4ull},
                      FilteredCase{kDefault, kBilinear, 0xc595e1ad7e4a2a66ull},
                      FilteredCase{kWhole, kBilinear, 0x7c8b77a247ac9093ull},
                      FilteredCase{kAntimeridian, kBilinear, 0x14faf5aa1b6b193bull},
                      FilteredCase{kNorthPole, kBilinear, 0x301da932711b7ebfull},
                      FilteredCase{kGibraltar, kBilinear, 0x93ad3a12c8bc4a65ull},
                      FilteredCase{kFjords, kBilinear, 0xa95bc761a36a7008ull}));

struct GraticuleCase {
    View view;
    int step;
    std::uint64_t checksum;
};

void PrintTo(const GraticuleCase& c, std::ostream* os) {
    *os << c.view.name << " step " << c.step;
}

class GraticulePicture : public ::testing::TestWithParam<GraticuleCase> {};

TEST_P(GraticulePicture, GivesTheRecordedPicture) {
    const GraticuleCase& c = GetParam();
    GeoGlobe globe;
    globe.SetSurfaceColor(clBlack);
    globe.Graticule().SetLatitudeStep(c.step);
    globe.Graticule().SetLongitudeStep(c.step);
    ApplyView(globe, c.view);
    globe.Render();
    EXPECT_EQ(PictureChecksum(globe.Picture()), c.checksum)
        << "0x" << std::hex << PictureChecksum(globe.Picture());
    // Drawn again without a change of view: the same picture.
    globe.Render();
    EXPECT_EQ(PictureChecksum(globe.Picture()), c.checksum);
}

INSTANTIATE_TEST_SUITE_P(Views, GraticulePicture,
                         ::testing::Values(GraticuleCase{kDefault, 10, 0x7ebe92fcc6bd04a5ull},
                                           GraticuleCase{kWhole, 45, 0x8a62fae780670265ull},
                                           GraticuleCase{kAntimeridian, 10, 0x28f9ecea67ee17e5ull},
                                           GraticuleCase{kNorthPole, 30, 0xdc227930283c2be5ull},
                                           GraticuleCase{kGibraltar, 10, 0x742a0703fa4da325ull}));

}  // namespace
}  // namespace zimbalo::globe
