// Checks the four delivered globe textures: each decodes with the globe's own JPEG loader to its
// stated size and is laid out equirectangularly (longitude -180..180 from left to right, latitude
// 90..-90 from top to bottom), shown by pixels of known ocean and land and by Antarctica along the
// bottom row.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include "data_files.h"
#include "globe/geo_texture.h"

namespace zimbalo::data_test {
namespace {

using PixelTest = bool (*)(QRgb);

// Satellite and physical maps: water is clearly blue, land is not.
bool photoOcean(QRgb c) {
    return qBlue(c) > qRed(c) + 30 && qBlue(c) > qGreen(c) + 10;
}

bool photoLand(QRgb c) {
    return qBlue(c) < std::max(qRed(c), qGreen(c));
}

bool photoIce(QRgb c) {
    return std::min({qRed(c), qGreen(c), qBlue(c)}) >= 180;
}

bool near(QRgb c, int r, int g, int b, int tolerance) {
    return std::abs(qRed(c) - r) <= tolerance && std::abs(qGreen(c) - g) <= tolerance
           && std::abs(qBlue(c) - b) <= tolerance;
}

// The political map: one flat ocean colour, soft country colours, near-white Antarctica.
bool politicalOcean(QRgb c) {
    return near(c, 170, 205, 230, 10);
}

bool politicalLand(QRgb c) {
    return !near(c, 170, 205, 230, 30);
}

bool politicalIce(QRgb c) {
    return politicalLand(c) && photoIce(c);
}

// The white map: white land on a light blue ocean.
bool whiteOcean(QRgb c) {
    return near(c, 214, 230, 242, 10);
}

bool whiteLand(QRgb c) {
    return std::min({qRed(c), qGreen(c), qBlue(c)}) >= 245;
}

struct Texture {
    const char* file;
    int width;
    int height;
    PixelTest ocean;
    PixelTest land;
    PixelTest antarctica;
};

void PrintTo(const Texture& t, std::ostream* os) {
    *os << t.file;
}

QRgb pixelAt(const QImage& image, double latitude, double longitude) {
    const int x = static_cast<int>(std::lround((longitude + 180.0) / 360.0 * (image.width() - 1)));
    const int y = static_cast<int>(std::lround((90.0 - latitude) / 180.0 * (image.height() - 1)));
    return image.pixel(x, y);
}

class GlobeTexture : public ::testing::TestWithParam<Texture> {};

TEST_P(GlobeTexture, DecodesToItsSizeWithOceanAndLandInPlace) {
    const Texture& t = GetParam();
    const QString path = QString::fromStdString((programFolder() / t.file).string());
    const QImage image = globe::DecodeJpegFile(path);
    ASSERT_FALSE(image.isNull()) << "cannot decode " << t.file;
    EXPECT_EQ(image.width(), t.width);
    EXPECT_EQ(image.height(), t.height);

    struct Point {
        double latitude, longitude;
        const char* where;
    };

    // Ocean and land pairs that a left-right or top-bottom mirrored image would swap.
    for (const Point p : {Point{0, -30, "Atlantic, 0 N 30 W"}, Point{-30, -120, "Pacific"},
                          Point{-40, 80, "Indian Ocean"}}) {
        const QRgb c = pixelAt(image, p.latitude, p.longitude);
        EXPECT_TRUE(t.ocean(c)) << p.where << " is not ocean: " << qRed(c) << "," << qGreen(c)
                                << "," << qBlue(c);
    }
    for (const Point p : {Point{50, 10, "Germany, 50 N 10 E"}, Point{-25, 135, "Australia"},
                          Point{40, -100, "North America"}}) {
        const QRgb c = pixelAt(image, p.latitude, p.longitude);
        EXPECT_TRUE(t.land(c)) << p.where << " is not land: " << qRed(c) << "," << qGreen(c) << ","
                               << qBlue(c);
    }
    int notIce = 0;
    for (int x = 0; x < image.width(); ++x) {
        notIce += t.antarctica(image.pixel(x, image.height() - 1)) ? 0 : 1;
    }
    EXPECT_EQ(notIce, 0) << "pixels of the bottom row that are not Antarctica";
}

INSTANTIATE_TEST_SUITE_P(
    AllFour, GlobeTexture,
    ::testing::Values(
        Texture{"BlueMarble_5.4x2.7k.jpg", 4096, 2048, photoOcean, photoLand, photoIce},
        Texture{"DEMIS_World_3.jpg", 5400, 2700, photoOcean, photoLand, photoIce},
        Texture{"World_4096.jpg", 4096, 2048, politicalOcean, politicalLand, politicalIce},
        Texture{"World_white.jpg", 4096, 2048, whiteOcean, whiteLand, whiteLand}));

}  // namespace
}  // namespace zimbalo::data_test
