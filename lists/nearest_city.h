#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// The nearest place of a city database to a point, from an index of all its places kept in
/// memory (read once per language).
namespace zimbalo::lists {

/// A place of the city database near a point.
struct NearCity {
    std::string country;  ///< UTF-8
    std::string name;     ///< UTF-8
    double distanceKm = 0.0;
};

class CityIndex {
public:
    /// Reads every place of the city database at `path` (as `ScanCityFile` does; throws its
    /// `CityFileError`).
    static CityIndex Load(const std::string& path);

    /// The nearest place within `maxKm` (great-circle distance on a sphere of 6371 km) of
    /// geodetic latitude and east longitude in degrees; of two at the same distance the one with
    /// more inhabitants. Nothing when none is that near.
    std::optional<NearCity> Nearest(double latitudeDeg, double longitudeDeg,
                                    double maxKm = 50.0) const;

    int Count() const { return static_cast<int>(m_places.size()); }

private:
    struct Place {
        float latitude;
        float longitude;
        std::int32_t population;
        std::uint32_t country;  // index into m_texts
        std::uint32_t name;
    };

    static int CellOf(double latitudeDeg, double longitudeDeg);

    std::vector<Place> m_places;             // sorted by cell
    std::vector<std::uint32_t> m_cellStart;  // first place of each 1 x 1 degree cell, + end
    std::vector<std::string> m_texts;
};

}  // namespace zimbalo::lists
