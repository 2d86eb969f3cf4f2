// The catalogue reader on any file content. An accepted table is compared with a plain decoding of
// the bytes (memcpy on this little-endian host) and with the limits a record must keep, and every
// record that passes is carried through the calculations a list makes of it, so that no value
// that passes can hang or overflow further down.
#include <cmath>
#include <cstring>
#include <string>

#include "astro/catalogue.h"
#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "fuzz_support.h"

using namespace zimbalo;
using fuzz::Check;

namespace {

template <typename T>
T Plain(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void CheckRecord(const astro::BesselRecord& r, const std::uint8_t* b) {
    Check(r.Year == Plain<std::int16_t>(b) && r.Month == Plain<std::int16_t>(b + 2)
              && r.Day == Plain<std::int16_t>(b + 4) && r.T0Hour == Plain<std::int16_t>(b + 28)
              && r.NS == Plain<std::int16_t>(b + 288),
          "integer fields as stored");
    Check(std::memcmp(&r.EventJD, b + 14, 8) == 0, "EventJD as stored");
    for (std::size_t i = 0; i < 32; ++i) {
        Check(std::memcmp(&r.coef[i / 4][i % 4], b + 30 + 8 * i, 8) == 0, "coefficient as stored");
    }
    Check(r.Month >= 1 && r.Month <= 12 && r.Day >= 1 && r.Day <= 31, "date fields in range");
    Check(r.T0Hour >= 0 && r.T0Hour <= 23, "T0 hour in range");
    Check(std::fabs(r.EventJD - astro::CalendarToJD(r.Year, r.Month, r.Day, r.T0Hour, 0, 0)) <= 1.0,
          "EventJD near the date");
    for (const auto& element : r.coef) {
        for (double c : element) {
            Check(std::isfinite(c) && std::fabs(c) <= 720.0, "coefficients bounded");
        }
    }
}

// What a list does with an event: contacts, Sun altitudes, times as text, the UT date.
void Calculate(const astro::BesselRecord& r) {
    const double deltaT = astro::DeltaT(r.Year, r.Month);
    Check(std::fabs(deltaT) <= 86400.0, "Delta T within a day");
    const double places[][2] = {{10.7, 10.3}, {-33.5, -70.5}, {89.9, 0.0}, {0.0, 179.99}};
    for (const auto& p : places) {
        astro::StadtType place;
        place.Breite = p[0];
        place.Laenge = p[1];
        if (astro::ComputeLocalCircumstances(r, place, deltaT, Language::English)) {
            astro::FillSunAltitudes(r, deltaT, place);
        }
        for (std::size_t k = 1; k <= 5; ++k) {
            Check(astro::HoursToHMS(1, place.Zeit[k]).size() == 12, "time text width");
        }
    }
    const astro::CalendarDate date = astro::JDToCalendar(r.EventJD - deltaT / 86400.0);
    Check(date.month >= 1 && date.month <= 12, "UT date");
    astro::EvaluateElements(r, astro::ClosestApproachOffset(r));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    const std::string& path = file.Write(data, size);
    astro::BesselTable table;
    try {
        table = astro::LoadCatalogue(path);
    } catch (const astro::CatalogueError& e) {
        Check(std::string(e.what()).find(path) != std::string::npos, "message names the file");
        return 0;
    }
    Check(size % astro::kRecordSize == 0 && size <= astro::kRecordSize * astro::kEventCount,
          "whole records only");
    Check(
        table.Count() >= 1 && static_cast<std::size_t>(table.Count()) <= size / astro::kRecordSize,
        "record count");
    for (int k = 1; k <= table.Count(); ++k) {
        CheckRecord(table[k], data + static_cast<std::size_t>(k - 1) * astro::kRecordSize);
        if (k > 1) {
            Check(table[k].Year >= table[k - 1].Year, "chronological order");
        }
        Calculate(table[k]);
    }
    return 0;
}
