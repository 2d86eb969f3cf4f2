#pragma once

#include <stdexcept>

#include "astro/catalogue.h"

namespace zimbalo::astro::testing {

/// The delivered catalogue, read once.
inline const BesselTable& DeliveredCatalogue() {
    static const BesselTable table = LoadCatalogue(CataloguePath());
    return table;
}

/// The delivered event of that date and planet (1 Mercury .. 7 Neptune).
inline BesselRecord DeliveredEvent(int year, int month, int day, int planet) {
    for (const BesselRecord& r : DeliveredCatalogue().Records()) {
        if (r.Year == year && r.Month == month && r.Day == day && r.Planet == planet) {
            return r;
        }
    }
    throw std::runtime_error("no such event in the catalogue");
}

}  // namespace zimbalo::astro::testing
