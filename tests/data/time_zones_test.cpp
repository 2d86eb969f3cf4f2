// Checks the delivered zone table with the place lists' own reader: known places on both sides
// of a few borders, the date line, and the sea.

#include "lists/time_zones.h"

#include <string>

#include <gtest/gtest.h>

#include "data_files.h"

namespace zimbalo::data_test {
namespace {

TEST(DeliveredZoneTable, ZonesOfKnownPlaces) {
    const lists::ZoneTable table =
        lists::ZoneTable::FromBytes(readBytes(programFolder() / lists::kZoneTableFileName));

    struct Place {
        double lat, lon;
        const char* zone;
    };

    // Positions from the delivered city database; zones as the places' governments set them.
    for (const Place& p : {
             Place{52.52, 13.40, "Europe/Berlin"},
             Place{48.58, 7.75, "Europe/Paris"},   // Strasbourg, 5 km west of the Rhine
             Place{48.57, 7.82, "Europe/Berlin"},  // Kehl, across the river
             Place{27.70, 85.32, "Asia/Kathmandu"},
             Place{-34.93, 138.60, "Australia/Adelaide"},
             Place{-33.87, 151.21, "Australia/Sydney"},
             Place{1.87, -157.40, "Pacific/Kiritimati"},
             Place{-19.06, -169.92, "Pacific/Niue"},
             Place{-14.28, -170.70, "Pacific/Pago_Pago"},  // 100 km from Samoa, a day apart
             Place{-13.83, -171.76, "Pacific/Apia"},
             Place{-33.45, -70.67, "America/Santiago"},
             Place{40.71, -74.01, "America/New_York"},
             Place{30.0, -40.0, "Etc/GMT+3"},   // the North Atlantic
             Place{-30.0, 80.0, "Etc/GMT-5"},   // the Indian Ocean
             Place{20.0, 179.9, "Etc/GMT-12"},  // either side of the date line at sea
             Place{20.0, -179.9, "Etc/GMT+12"},
         }) {
        EXPECT_EQ(table.ZoneAt(p.lat, p.lon), p.zone) << p.lat << ", " << p.lon;
    }
}

}  // namespace
}  // namespace zimbalo::data_test
