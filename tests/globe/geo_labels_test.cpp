#include "globe/geo_labels.h"

#include <gtest/gtest.h>

#include "globe/geo_globe.h"

namespace zimbalo::globe {
namespace {

struct AlignmentCase {
    GeoTitleAlignment alignment;
    int offset;
    QRect expected;
};

void PrintTo(const AlignmentCase& c, std::ostream* os) {
    *os << "alignment " << static_cast<int>(c.alignment) << " offset " << c.offset;
}

class LabelLayout : public ::testing::TestWithParam<AlignmentCase> {};

// A text 40 x 15 pixels (41 x 15 for the odd width) anchored at (100, 200).
TEST_P(LabelLayout, RectangleForAlignment) {
    const AlignmentCase& c = GetParam();
    EXPECT_EQ(LayoutLabel(QSize(c.expected.width(), 15), QPoint(100, 200), c.alignment, c.offset),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    NineAlignments, LabelLayout,
    ::testing::Values(
        // taTop with offset 0: x 80 .. 120, y 185 .. 200 (right and bottom exclusive).
        AlignmentCase{GeoTitleAlignment::taTop, 0, QRect(80, 185, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taCenter, 0, QRect(80, 193, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taCenter, 0, QRect(80, 193, 41, 15)},  // -41/2 = -20
        AlignmentCase{GeoTitleAlignment::taLeft, 3, QRect(57, 193, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taRight, 3, QRect(103, 193, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taTopLeft, 3, QRect(57, 182, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taTop, 3, QRect(80, 182, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taTopRight, 3, QRect(103, 182, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taBottomLeft, 3, QRect(57, 203, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taBottom, 3, QRect(80, 203, 40, 15)},
        AlignmentCase{GeoTitleAlignment::taBottomRight, 3, QRect(103, 203, 40, 15)}));

struct LabelFixture : ::testing::Test {
    GeoGlobe globe{200, 100};
    GeoLabelRenderer labels;
    GeoFont font;
    int layerA = 0;
    int layerB = 0;

    void SetUp() override {
        globe.Renderer().FillBackground(clBlack);
        font.SetSize(14.0);
        font.SetColor(clWhite);
        font.SetBkColor(clRed);
    }

    int count(GeoColor c, QRect area) const {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                n += (globe.Picture().pixel(x, y) | 0xFF000000u) == PixelOf(c) ? 1 : 0;
            }
        }
        return n;
    }
};

TEST_F(LabelFixture, MeasuredCollectedAndFound) {
    labels.BeginLayer(&layerA);
    const GeoLabel& one =
        labels.Add(globe.Renderer(), "Berlin", font, QPoint(50, 50), GeoTitleAlignment::taTop, 0,
                   nullptr, 7, GeoPoint{1, 2, 0}, false);
    EXPECT_EQ(one.Layer, &layerA);
    EXPECT_GT(one.Rect.width(), 20);
    EXPECT_EQ(one.Rect.bottom() + 1, 50);
    const QRect oneRect = one.Rect;
    labels.BeginLayer(&layerB);
    labels.Add(globe.Renderer(), "Two\\nlines", font, QPoint(150, 20), GeoTitleAlignment::taBottom,
               0, nullptr, 9, GeoPoint{}, false);
    const GeoLabel& two = labels.Labels()[1];
    EXPECT_EQ(two.Text, "Two\nlines");
    EXPECT_GT(two.Rect.height(), oneRect.height() * 3 / 2);
    ASSERT_NE(labels.LabelAt(QPoint(50, 45)), nullptr);
    EXPECT_EQ(labels.LabelAt(QPoint(50, 45))->ObjectHandle, 7);
    EXPECT_EQ(labels.LabelAt(QPoint(150, 25))->ObjectHandle, 9);
    EXPECT_EQ(labels.LabelAt(QPoint(5, 95)), nullptr);
    labels.Clear();
    EXPECT_TRUE(labels.Labels().empty());
}

TEST_F(LabelFixture, OpaqueHaloAndSelectedStyles) {
    font.SetStyle(GeoFontStyle::gfsOpaque);
    labels.Add(globe.Renderer(), "Opaque", font, QPoint(10, 10), GeoTitleAlignment::taBottomRight,
               0, nullptr, 1, GeoPoint{}, false);
    font.SetStyle(GeoFontStyle::gfsHalo);
    labels.Add(globe.Renderer(), "Halo", font, QPoint(110, 10), GeoTitleAlignment::taBottomRight, 0,
               nullptr, 2, GeoPoint{}, false);
    font.SetStyle(GeoFontStyles());
    labels.Add(globe.Renderer(), "Sel", font, QPoint(10, 60), GeoTitleAlignment::taBottomRight, 0,
               nullptr, 3, GeoPoint{}, true);
    const QRect opaque = labels.Labels()[0].Rect;
    const QRect halo = labels.Labels()[1].Rect;
    const QRect selected = labels.Labels()[2].Rect;
    labels.Draw(globe.Renderer());
    globe.Renderer().EndCanvas();
    // Opaque: the rectangle grown by one pixel is filled with the background colour.
    EXPECT_EQ((globe.Picture().pixel(opaque.left() - 1, opaque.top() - 1) | 0xFF000000u),
              PixelOf(clRed));
    EXPECT_GT(count(clWhite, opaque), 10);
    // Halo: red around the glyphs, but not a filled box.
    const int red = count(clRed, halo.adjusted(-2, -2, 2, 2));
    EXPECT_GT(red, 20);
    EXPECT_LT(red, halo.width() * halo.height() / 2);
    // Selected: drawn in the selected pen's colour (red), not in the font's white.
    EXPECT_GT(count(clRed, selected), 5);
    EXPECT_EQ(count(clWhite, selected), 0);
}

// White text with a red halo on black: no fully white text pixel may have the black background
// beside it, on any line of the title.
TEST_F(LabelFixture, HaloSurroundsEveryLine) {
    GeoGlobe big{400, 300};
    big.Renderer().FillBackground(clBlack);
    font.SetSize(40.0);
    font.SetStyle(GeoFontStyle::gfsHalo);
    for (const char* text : {"Hg", "Hg\\nHg\\nHg"}) {
        SCOPED_TRACE(text);
        big.Renderer().FillBackground(clBlack);
        labels.Clear();
        labels.Add(big.Renderer(), text, font, QPoint(20, 10), GeoTitleAlignment::taBottomRight, 0,
                   nullptr, 1, GeoPoint{}, false);
        labels.Draw(big.Renderer());
        big.Renderer().EndCanvas();
        const QImage& pic = big.Picture();
        int white = 0;
        int bare = 0;
        for (int y = 1; y + 1 < pic.height(); ++y) {
            for (int x = 1; x + 1 < pic.width(); ++x) {
                const QRgb c = pic.pixel(x, y);
                if (qRed(c) < 230 || qGreen(c) < 230 || qBlue(c) < 230) {
                    continue;
                }
                ++white;
                for (const QPoint d : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
                    bare += (pic.pixel(x + d.x(), y + d.y()) & 0xFFFFFFu) == 0 ? 1 : 0;
                }
            }
        }
        EXPECT_GT(white, 100);
        EXPECT_EQ(bare, 0);
    }
}

}  // namespace
}  // namespace zimbalo::globe
