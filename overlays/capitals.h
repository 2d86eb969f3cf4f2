#pragma once

#include <array>
#include <cstdint>

/// The built-in table of capital cities shown by the globe's "Cities Layer".
namespace zimbalo::overlays {

/// One capital. Only the label and the coordinates are drawn; country, height and continent are
/// carried along. Strings are UTF-8 (all ASCII today).
struct City_Type {
    const char* country;    ///< country name in English
    const char* capital;    ///< the point's label; some are abbreviations ("Amst", "SM", "V")
    float longitude;        ///< degrees, east positive
    float latitude;         ///< degrees, north positive
    std::int32_t height;    ///< metres above sea level
    const char* continent;  ///< "AF", "AM", "AS", "EU" or "OC"
};

inline constexpr int kCapitalCount = 193;

/// The capitals in table order: row n (1..193) is CapitalsTable[n - 1]. Alphabetical by country
/// except that East Timor follows Thailand and Arab Emirates follows Ukraine. Made by
/// tools/capitals/make_capitals.py.
extern const std::array<City_Type, kCapitalCount> CapitalsTable;

}  // namespace zimbalo::overlays
