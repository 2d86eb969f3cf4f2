#include "overlays/capitals.h"

#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace zimbalo::overlays {
namespace {

const City_Type& row(int n) {
    return CapitalsTable.at(static_cast<std::size_t>(n - 1));
}

TEST(Capitals, CountsByContinent) {
    std::map<std::string, int> counts;
    for (const City_Type& city : CapitalsTable) {
        ++counts[city.continent];
    }
    EXPECT_EQ(counts, (std::map<std::string, int>{
                          {"AF", 53}, {"AM", 35}, {"AS", 48}, {"EU", 43}, {"OC", 14}}));
}

TEST(Capitals, RowsKeepTheirNumbers) {
    std::set<std::string> countries;
    for (const City_Type& city : CapitalsTable) {
        countries.insert(city.country);
        EXPECT_GE(city.latitude, -90.0f) << city.country;
        EXPECT_LE(city.latitude, 90.0f) << city.country;
        EXPECT_GT(city.longitude, -180.0f) << city.country;
        EXPECT_LE(city.longitude, 180.0f) << city.country;
        EXPECT_GT(std::string(city.capital).size(), 0u) << city.country;
    }
    EXPECT_EQ(countries.size(), 193u);
    // The exceptions to the alphabetical order.
    EXPECT_STREQ(row(172).country, "Thailand");
    EXPECT_STREQ(row(173).country, "East Timor");
    EXPECT_STREQ(row(182).country, "Ukraine");
    EXPECT_STREQ(row(183).country, "Arab Emirates");
    EXPECT_STREQ(row(193).country, "Zimbabwe");
}

struct BindingRow {
    int n;
    const char* country;
    const char* capital;
    float latitude;
    float longitude;
    int height;
    const char* continent;
};

TEST(Capitals, TheTenFullRows) {
    const BindingRow rows[] = {
        {1, "Afghanistan", "Kabul", 34.5309f, 69.1368f, 1807, "AS"},
        {9, "Australia", "Canberra", -35.3499f, 149.0420f, 605, "OC"},
        {51, "Ecuador", "Quito", -0.2295f, -78.5243f, 2763, "AM"},
        {58, "Fiji", "Suva", -18.1426f, 178.4310f, 0, "OC"},
        {64, "Germany", "Berlin", 52.5163f, 13.3276f, 34, "EU"},
        {122, "Netherlands", "Amst", 52.3730f, 4.8948f, -1, "EU"},
        {143, "Samoa", "Apia", -13.8314f, -171.7520f, 0, "OC"},
        {167, "Switzerland", "Bern", 46.9482f, 7.4457f, 513, "EU"},
        {175, "Tonga", "Nukualofa", -21.1360f, -175.2160f, 0, "OC"},
        {185, "United States", "Washington", 38.9051f, -77.0162f, 2, "AM"},
    };
    for (const BindingRow& b : rows) {
        const City_Type& c = row(b.n);
        EXPECT_STREQ(c.country, b.country) << b.n;
        EXPECT_STREQ(c.capital, b.capital) << b.n;
        EXPECT_EQ(c.latitude, b.latitude) << b.n;
        EXPECT_EQ(c.longitude, b.longitude) << b.n;
        EXPECT_EQ(c.height, b.height) << b.n;
        EXPECT_STREQ(c.continent, b.continent) << b.n;
    }
}

TEST(Capitals, LabelsAsListedWithTheWrongCitiesMended) {
    // Abbreviations and spellings stay as listed.
    EXPECT_STREQ(row(97).capital, "V");
    EXPECT_STREQ(row(144).capital, "SM");
    EXPECT_STREQ(row(29).capital, "Phnon Penh");
    EXPECT_STREQ(row(19).capital, "Pto.Novo");
    // Côte d'Ivoire: the capital is Yamoussoukro (6.82 N, 5.28 W), not a city "Yamaunde".
    EXPECT_STREQ(row(42).country, "Cote d'Ivoire");
    EXPECT_STREQ(row(42).capital, "Yamoussoukro");
    EXPECT_NEAR(row(42).latitude, 6.82f, 0.01f);
    EXPECT_NEAR(row(42).longitude, -5.28f, 0.01f);
    // Myanmar: the capital is Naypyidaw, west of the town Pyinmana (96.21 E).
    EXPECT_STREQ(row(118).country, "Myanmar");
    EXPECT_STREQ(row(118).capital, "Naypyidaw");
    EXPECT_NEAR(row(118).longitude, 96.13f, 0.01f);
}

TEST(Capitals, PacificCapitalsOnBothSidesOfTheDateLine) {
    const City_Type& suva = row(58);
    const City_Type& apia = row(143);
    const City_Type& nukualofa = row(175);
    EXPECT_GT(suva.longitude, 170.0f);  // west of the date line, east longitude
    EXPECT_LT(apia.longitude, -170.0f);
    EXPECT_LT(nukualofa.longitude, -170.0f);
    // Funafuti lies west of the date line too, Bairiki (Tarawa) near 173 E.
    EXPECT_GT(row(180).longitude, 179.0f);
    EXPECT_STREQ(row(180).capital, "Vaiaku");
}

}  // namespace
}  // namespace zimbalo::overlays
