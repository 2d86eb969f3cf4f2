#include "globe/geo_units.h"

#include <gtest/gtest.h>

#include "globe/geo_attributes.h"
#include "globe/geo_exception.h"

namespace zimbalo::globe {
namespace {

TEST(Units, LongitudeNormalisation) {
    EXPECT_EQ(NormalizeLongitude(-972000000), 972000000);  // -180 degrees becomes +180
    EXPECT_EQ(NormalizeLongitude(972000000), 972000000);
    EXPECT_EQ(NormalizeLongitude(972000001), -971999999);
    EXPECT_EQ(NormalizeLongitude(-971999999), -971999999);
    EXPECT_EQ(NormalizeLongitude(DegToGU(190.0)), DegToGU(-170.0));
    EXPECT_EQ(NormalizeLongitude(-2862000000LL), DegToGU(-170.0));
}

TEST(Units, TableAndNames) {
    EXPECT_EQ(GUPerUnit(GeoUnitTypes::guDegree), 5400000.0);
    EXPECT_EQ(GUPerUnit(GeoUnitTypes::guSecond), 1500.0);
    EXPECT_DOUBLE_EQ(GUPerUnit(GeoUnitTypes::guKilometer), 48565.06423539163);
    EXPECT_DOUBLE_EQ(GUPerUnit(GeoUnitTypes::guMeter) * 1000.0,
                     GUPerUnit(GeoUnitTypes::guKilometer));
    EXPECT_EQ(StrToUnits("GUKILOMETER"), GeoUnitTypes::guKilometer);
    EXPECT_EQ(StrToUnits("guPixel"), GeoUnitTypes::guPixel);
    try {
        StrToUnits("furlong");
        FAIL() << "no exception";
    } catch (const GeoException& e) {
        EXPECT_EQ(e.Message(), "StrToUnits: Unknown Unit furlong");
    }
}

TEST(Units, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(7, 3, 4), 5);  // 5.25
    EXPECT_EQ(MulDiv(961200000, 90, 180), 480600000);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(2147483647, 2, 1), -1);
}

TEST(Units, RoundingIsHalfEvenAndSaturates) {
    EXPECT_EQ(roundToInt32(2.5), 2);
    EXPECT_EQ(roundToInt32(3.5), 4);
    EXPECT_EQ(roundToInt32(-2.5), -2);
    EXPECT_EQ(roundToInt32(1e12), 2147483647);
    EXPECT_EQ(roundToInt32(-1e12), -2147483647 - 1);
    EXPECT_EQ(roundToInt64(std::nan("")), 0);
}

TEST(Attributes, SettersNotifyOnlyOnChange) {
    GeoPen pen;
    int changes = 0;
    pen.OnChange = [&changes]() { ++changes; };
    pen.SetColor(clBlack);  // the default: no change
    pen.SetWidth(2.0);
    pen.SetWidth(2.0);
    pen.SetStyle(GeoPenStyle::gpsDash);
    EXPECT_EQ(changes, 2);
    pen.Assign(GeoPen(clRed, GeoPenStyle::gpsSolid, 3.0, GeoUnitTypes::guMeter));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(pen.Color(), clRed);
    EXPECT_EQ(pen.WidthUnit(), GeoUnitTypes::guMeter);
    // A copy has the values but not the handler.
    GeoPen copy(pen);
    EXPECT_TRUE(copy.sameAs(pen));
    EXPECT_FALSE(copy.OnChange);

    GeoFont font;
    int fontChanges = 0;
    font.OnChange = [&fontChanges]() { ++fontChanges; };
    font.SetStyle(GeoFontStyles(GeoFontStyle::gfsBold).with(GeoFontStyle::gfsHalo));
    font.SetName("Arial");
    EXPECT_EQ(fontChanges, 1);
    EXPECT_TRUE(font.Style().has(GeoFontStyle::gfsHalo));
    EXPECT_FALSE(font.Style().has(GeoFontStyle::gfsItalic));
}

TEST(Attributes, Realisation) {
    GeoPen pen;
    const QPen& thin = pen.realise(1);
    EXPECT_TRUE(thin.isCosmetic());
    EXPECT_EQ(thin.width(), 1);
    pen.SetColor(clRed);
    const QPen thick = pen.realise(2);
    EXPECT_FALSE(thick.isCosmetic());
    EXPECT_EQ(thick.width(), 2);
    EXPECT_EQ(thick.color(), QColor(255, 0, 0));
    pen.SetStyle(GeoPenStyle::gpsClear);
    EXPECT_EQ(pen.realise(2).style(), Qt::NoPen);

    GeoBrush brush(clYellow, clBlack, GeoBrushStyle::gbsCross);
    EXPECT_EQ(brush.realise().style(), Qt::CrossPattern);
    EXPECT_TRUE(brush.opaqueBackground());
    brush.SetStyle(GeoBrushStyle::gbsClear);
    EXPECT_EQ(brush.realise().style(), Qt::NoBrush);

    GeoFont font;
    font.SetStyle(GeoFontStyle::gfsBold);
    EXPECT_EQ(font.realise(15).pixelSize(), 15);
    EXPECT_EQ(font.realise(15).weight(), QFont::Bold);
    EXPECT_EQ(toQColor(0x00FF8040), QColor(0x40, 0x80, 0xFF));
}

}  // namespace
}  // namespace zimbalo::globe
