#include "lists/place_input.h"

#include <gtest/gtest.h>

#include "lists/city_database.h"

namespace zimbalo::lists {
namespace {

PlaceInputTexts Texts(const char* lat, const char* lon, const char* height) {
    PlaceInputTexts t;
    t.stadt = "My favorite place";
    t.breite = lat;
    t.laenge = lon;
    t.hoehe = height;
    return t;
}

TEST(PlaceInput, ReadsSignsHeightAndPopulation) {
    PlaceInputTexts t = Texts("47.5", "7.5", "254.5");
    const auto north = ReadPlaceInput(t, Language::German);
    ASSERT_TRUE(north.place.has_value()) << north.message;
    EXPECT_DOUBLE_EQ(north.place->Breite, 47.5);
    EXPECT_DOUBLE_EQ(north.place->Laenge, 7.5);
    EXPECT_EQ(north.place->Hoehe, 254);    // half to even
    EXPECT_EQ(north.place->Einwohner, 0);  // empty population field
    EXPECT_EQ(north.place->Stadt, "My favorite place");

    t.north = false;
    t.west = true;
    t.hoehe = "255.5";
    t.einwohner = "-12";  // read as a signed number instead of failing
    const auto south = ReadPlaceInput(t, Language::German);
    ASSERT_TRUE(south.place.has_value());
    EXPECT_DOUBLE_EQ(south.place->Breite, -47.5);
    EXPECT_DOUBLE_EQ(south.place->Laenge, -7.5);
    EXPECT_EQ(south.place->Hoehe, 256);
    EXPECT_EQ(south.place->Einwohner, -12);
}

TEST(PlaceInput, FirstUnreadableFieldIsNamed) {
    EXPECT_EQ(ReadPlaceInput(Texts("47,5", "x", "y"), Language::German).message,
              " Geogr.Breite ist kein g\xFCltiger Wert");
    EXPECT_EQ(ReadPlaceInput(Texts("47.5", "7,5", "y"), Language::English).message,
              " Longitude is not a valid number");
    EXPECT_EQ(ReadPlaceInput(Texts("47.5", "7.5", ""), Language::French).message,
              " Altitude valeur non valide");
    EXPECT_EQ(ReadPlaceInput(Texts("90.5", "7.5", "1"), Language::English).message,
              " Latitude is not a valid number");
    EXPECT_EQ(ReadPlaceInput(Texts("45", "181", "1"), Language::English).message,
              " Longitude is not a valid number");
    EXPECT_EQ(ReadPlaceInput(Texts("45", "7", "3e9"), Language::English).message,
              " Height is not a valid number");
    EXPECT_FALSE(ReadPlaceInput(Texts("45", "7", "3e9"), Language::English).place.has_value());
}

TEST(PlaceInput, TakeOverFromTheCityDatabaseAndBack) {
    const auto city = ParseCityLine("Chile\tSantiago\t-3345\t-7067\t520\t4837295");
    const PlaceInputTexts t = PlaceInputFromCity(city);
    EXPECT_EQ(t.breite, "33.45");
    EXPECT_EQ(t.laenge, "70.67");
    EXPECT_FALSE(t.north);
    EXPECT_TRUE(t.west);
    EXPECT_EQ(t.hoehe, "520");
    EXPECT_EQ(t.einwohner, "4837295");
    const auto back = ReadPlaceInput(t, Language::French);
    ASSERT_TRUE(back.place.has_value());
    EXPECT_DOUBLE_EQ(back.place->Breite, city.Breite);
    EXPECT_DOUBLE_EQ(back.place->Laenge, city.Laenge);
    EXPECT_EQ(back.place->Einwohner, city.Einwohner);
    EXPECT_EQ(back.place->Land, "Chile");
}

}  // namespace
}  // namespace zimbalo::lists
