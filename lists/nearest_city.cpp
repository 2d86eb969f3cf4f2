#include "lists/nearest_city.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "lists/city_database.h"
#include "lists/cp1252.h"

namespace zimbalo::lists {

namespace {

constexpr double kEarthRadiusKm = 6371.0;
constexpr double kRad = std::numbers::pi / 180.0;
constexpr int kRows = 180;
constexpr int kCols = 360;

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
    // Haversine: exact for small distances, where the cosine formula loses its digits.
    const double sLat = std::sin(0.5 * (lat2 - lat1) * kRad);
    const double sLon = std::sin(0.5 * (lon2 - lon1) * kRad);
    const double h = sLat * sLat + std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * sLon * sLon;
    return 2.0 * kEarthRadiusKm * std::asin(std::sqrt(std::min(1.0, h)));
}

int Row(double latitudeDeg) {
    return std::clamp(static_cast<int>(std::floor(latitudeDeg + 90.0)), 0, kRows - 1);
}

int Col(double longitudeDeg) {
    const int col = static_cast<int>(std::floor(longitudeDeg + 180.0)) % kCols;
    return col < 0 ? col + kCols : col;
}

}  // namespace

int CityIndex::CellOf(double latitudeDeg, double longitudeDeg) {
    return Row(latitudeDeg) * kCols + Col(longitudeDeg);
}

CityIndex CityIndex::Load(const std::string& path) {
    CityIndex index;
    std::vector<Place> places;
    // A country's places follow each other: its name is kept once per run of lines.
    std::string lastCountry;
    std::uint32_t country = 0;
    ScanCityFile(path, [&](const astro::StadtType& p, int) {
        if (index.m_texts.empty() || p.Land != lastCountry) {
            lastCountry = p.Land;
            country = static_cast<std::uint32_t>(index.m_texts.size());
            index.m_texts.push_back(Cp1252ToUtf8(p.Land));
        }
        index.m_texts.push_back(Cp1252ToUtf8(p.Stadt));
        places.push_back({static_cast<float>(p.Breite), static_cast<float>(p.Laenge), p.Einwohner,
                          country, static_cast<std::uint32_t>(index.m_texts.size() - 1)});
        return true;
    });
    std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return CellOf(a.latitude, a.longitude) < CellOf(b.latitude, b.longitude);
    });
    index.m_cellStart.assign(kRows * kCols + 1, 0);
    for (const Place& p : places) {
        ++index.m_cellStart[static_cast<std::size_t>(CellOf(p.latitude, p.longitude)) + 1];
    }
    for (std::size_t i = 1; i < index.m_cellStart.size(); ++i) {
        index.m_cellStart[i] += index.m_cellStart[i - 1];
    }
    index.m_places = std::move(places);
    return index;
}

std::optional<NearCity> CityIndex::Nearest(double latitudeDeg, double longitudeDeg,
                                           double maxKm) const {
    if (!std::isfinite(latitudeDeg) || !std::isfinite(longitudeDeg) || m_places.empty()) {
        return std::nullopt;
    }
    // The cells that can hold a place within maxKm: a degree of latitude is 111 km; a degree of
    // longitude shrinks with the cosine of the latitude farthest from the equator.
    const double kmPerDegree = kEarthRadiusKm * kRad;
    const double dLat = maxKm / kmPerDegree;
    const double farLat = std::min(90.0, std::fabs(latitudeDeg) + dLat);
    const double cosFar = std::cos(farLat * kRad);
    const int firstRow = Row(latitudeDeg - dLat);
    const int lastRow = Row(latitudeDeg + dLat);
    int cols = kCols;
    if (cosFar > 1e-3) {
        cols = std::min(kCols, 2 * static_cast<int>(std::ceil(maxKm / (kmPerDegree * cosFar))) + 1);
    }
    const int firstCol = cols == kCols ? 0 : Col(longitudeDeg) - cols / 2;

    const Place* best = nullptr;
    double bestKm = maxKm;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int c = 0; c < cols; ++c) {
            const int col = ((firstCol + c) % kCols + kCols) % kCols;
            const auto cell = static_cast<std::size_t>(row * kCols + col);
            for (std::uint32_t i = m_cellStart[cell]; i < m_cellStart[cell + 1]; ++i) {
                const Place& p = m_places[i];
                const double km = DistanceKm(latitudeDeg, longitudeDeg, p.latitude, p.longitude);
                if (km < bestKm
                    || (km == bestKm && best != nullptr && p.population > best->population)
                    || (km <= bestKm && best == nullptr)) {
                    best = &p;
                    bestKm = km;
                }
            }
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    return NearCity{m_texts[best->country], m_texts[best->name], bestKm};
}

}  // namespace zimbalo::lists
