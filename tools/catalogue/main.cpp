// Generates the event catalogue: every lunar occultation of Mercury to Neptune from 1980 on,
// with its Besselian elements fitted as cubic polynomials, written as 1780 records of 290 bytes.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "astro/catalogue.h"
#include "astro/time_scales.h"
#include "tools/catalogue/builder.h"
#include "tools/catalogue/ephemeris.h"

namespace {

using zimbalo::astro::BesselRecord;
namespace astro = zimbalo::astro;
namespace cat = zimbalo::catalogue;

constexpr const char* kUsage =
    "usage: make_catalogue --output FILE [--ephe FOLDER] [--compare FILE] [--list]\n"
    "  --output FILE    catalogue file to write (1780 records of 290 bytes)\n"
    "  --ephe FOLDER    Swiss Ephemeris files (default /usr/share/libswe/ephe)\n"
    "  --compare FILE   afterwards compare the written file byte for byte with FILE\n"
    "  --list           print one tab-separated line per catalogued event\n";

// The catalogue starts with the first event from 1980-01-01 0h TT; the search runs into 2101 so
// that the 1780th event is surely found.
constexpr int kFirstYear = 1980;
constexpr int kSearchEndYear = 2101;

const char* kTypeNames[] = {
    "", "partial", "total", "annular", "annular-total", "non-central total", "non-central annular"};

std::string EventText(int number, const BesselRecord& r) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "#%d %04d-%02d-%02d %02d h TT  %-7s  %-19s  gamma %+.4f", number,
                  r.Year, r.Month, r.Day, r.T0Hour, cat::PlanetName(r.Planet),
                  kTypeNames[r.OccType], static_cast<double>(r.Gamma));
    return buf;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot create \"" + path + "\": " + std::strerror(errno));
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write \"" + path + "\": " + std::strerror(errno));
    }
}

// 0 when the file holds exactly `bytes`; otherwise reports the first differing record.
int Compare(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read \"" << path << "\"\n";
        return 1;
    }
    const std::vector<std::uint8_t> ref((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
    if (ref.size() != bytes.size()) {
        std::cerr << "\"" << path << "\" has " << ref.size() << " bytes, the new catalogue "
                  << bytes.size() << "\n";
        return 1;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (ref[i] != bytes[i]) {
            const std::size_t record = i / astro::kRecordSize;
            std::cerr << "\"" << path << "\" differs from the new catalogue in record "
                      << record + 1 << " at byte " << i % astro::kRecordSize << "\n  new: "
                      << EventText(static_cast<int>(record + 1),
                                   astro::DecodeRecord(bytes.data() + record * astro::kRecordSize))
                      << "\n  old: "
                      << EventText(static_cast<int>(record + 1),
                                   astro::DecodeRecord(ref.data() + record * astro::kRecordSize))
                      << "\n";
            return 1;
        }
    }
    std::cout << "identical to \"" << path << "\"\n";
    return 0;
}

int Run(int argc, char** argv) {
    std::string output, ephe = cat::kDefaultEphemerisFolder, compare;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--output" && hasValue) {
            output = argv[++i];
        } else if (a == "--ephe" && hasValue) {
            ephe = argv[++i];
        } else if (a == "--compare" && hasValue) {
            compare = argv[++i];
        } else if (a == "--list") {
            list = true;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (output.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    const cat::Ephemeris eph(ephe);
    std::cout << "Swiss Ephemeris " << eph.Version() << " from " << ephe << "\n";

    const double jdFrom = astro::CalendarToJD(kFirstYear, 1, 1, 0, 0, 0);
    const double jdTo = astro::CalendarToJD(kSearchEndYear, 7, 1, 0, 0, 0);
    std::vector<cat::FoundEvent> found = cat::FindEvents(eph, jdFrom, jdTo);
    std::cout << found.size() << " events found from " << kFirstYear << " to mid-" << kSearchEndYear
              << "\n";
    if (found.size() > static_cast<std::size_t>(astro::kEventCount)) {
        found.resize(static_cast<std::size_t>(astro::kEventCount));
    }

    std::vector<BesselRecord> records;
    cat::Residuals worst{};
    std::array<int, astro::kElementCount> worstEvent{};
    int failures = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const cat::BuiltRecord built = cat::BuildRecord(eph, found[i]);
        records.push_back(built.record);
        const int number = static_cast<int>(i + 1);
        for (std::size_t k = 0; k < astro::kElementCount; ++k) {
            if (built.residuals[k] > worst[k]) {
                worst[k] = built.residuals[k];
                worstEvent[k] = number;
            }
        }
        if (!cat::WithinLimits(built.residuals)) {
            ++failures;
            std::cerr << "FIT FAILS: " << EventText(number, built.record) << "  x "
                      << built.residuals[astro::kX] << " y " << built.residuals[astro::kY] << " d "
                      << built.residuals[astro::kD] << " M " << built.residuals[astro::kM] << "\n";
        }
        if (list) {
            const BesselRecord& r = built.record;
            std::printf("%d\t%04d-%02d-%02d\t%d\t%s\t%d\t%.5f\t%.6f\n", number, r.Year, r.Month,
                        r.Day, r.T0Hour, cat::PlanetName(r.Planet), r.OccType,
                        static_cast<double>(r.Gamma), r.EventJD);
        }
    }
    if (failures > 0) {
        std::cerr << failures << " events exceed the fit limits (x, y " << cat::kMaxErrorXY
                  << " Earth radii; d, M " << cat::kMaxErrorAngleDeg << " degrees)\n";
        return 1;
    }

    const auto bytes = cat::EncodeCatalogue(records);
    WriteFile(output, bytes);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // Summary.
    std::map<int, int> perPlanet, perType;
    for (const auto& r : records) {
        ++perPlanet[r.Planet];
        ++perType[r.OccType];
    }
    std::cout << records.size() << " records written to \"" << output << "\"";
    if (records.size() < static_cast<std::size_t>(astro::kEventCount)) {
        std::cout << " (" << astro::kEventCount - static_cast<int>(records.size())
                  << " zero-filled)";
    }
    std::cout << "\nper planet:";
    for (const auto& [p, n] : perPlanet) {
        std::cout << " " << cat::PlanetName(p) << " " << n;
    }
    std::cout << "\nper kind:";
    for (const auto& [t, n] : perType) {
        std::cout << " " << t << " (" << kTypeNames[t] << ") " << n;
    }
    if (!records.empty()) {
        std::cout << "\nfirst: " << EventText(1, records.front())
                  << "\nlast:  " << EventText(static_cast<int>(records.size()), records.back());
    }
    if (found.size() >= static_cast<std::size_t>(astro::kEventCount)) {
        std::cout << "\n(events beyond the last record are not catalogued)";
    }
    const char* names[] = {"x", "y", "d", "M", "L1", "L2", "tanf1", "tanf2"};
    std::cout << "\nlargest deviation of the polynomials within +-" << cat::kCheckHalfWidth
              << " h:";
    for (std::size_t k = 0; k < astro::kElementCount; ++k) {
        std::cout << "\n  " << names[k] << " " << worst[k] << " (event " << worstEvent[k] << ")";
    }
    std::cout << "\ntime " << seconds << " s\n";

    if (!compare.empty()) {
        return Compare(compare, bytes);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "make_catalogue: " << e.what() << "\n";
        return 1;
    }
}
