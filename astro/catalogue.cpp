#include "astro/catalogue.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "astro/constants.h"
#include "astro/numeric.h"
#include "astro/time_scales.h"

namespace zimbalo::astro {

namespace {

// Little-endian field access, independent of the host's byte order and of struct packing.
template <typename T>
T ReadLE(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    }
    if constexpr (std::is_floating_point_v<T>) {
        using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
        const auto bits = static_cast<Bits>(v);
        T out;
        std::memcpy(&out, &bits, sizeof out);
        return out;
    } else {
        using U = std::make_unsigned_t<T>;
        return static_cast<T>(static_cast<U>(v));
    }
}

template <typename T>
void WriteLE(std::uint8_t* p, T value) {
    std::uint64_t v = 0;
    if constexpr (std::is_floating_point_v<T>) {
        using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
        Bits bits;
        std::memcpy(&bits, &value, sizeof bits);
        v = bits;
    } else {
        v = static_cast<std::make_unsigned_t<T>>(value);
    }
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

constexpr std::size_t kCoefOffset = 30;

bool IsAllZero(const std::uint8_t* p, std::size_t n) {
    return std::all_of(p, p + n, [](std::uint8_t b) { return b == 0; });
}

// Shortest text that reads back as the same number ("1e+40", "0.25", "nan").
std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// What a real event can have. Angles are bounded by their meaning (declination within +-90
// degrees, hour angle within two turns, at most twice the Earth's rotation per hour); every other
// bound is at least seven times (mostly hundreds of times) the largest value of the delivered
// catalogue. Records beyond them are damaged or made up, and their contact times would lie
// anywhere.
struct YearRange {
    int low;
    int high;
};

constexpr YearRange kYearRange = {-3000, 7000};  // Delta T stays below one day
constexpr double kMaxDeltaT = 86400.0;           // seconds
constexpr double kMaxEventFromT0 = 1.0;          // days
constexpr double kMaxGamma = 10.0;               // Earth radii

struct CoefficientBound {
    double low;
    double high;
};

// Per element, c0..c3 (t in hours): x, y and L1, L2 in Earth radii, d and M in degrees.
constexpr CoefficientBound kCoefficientBounds[kElementCount][4] = {
    {{-10, 10}, {-10, 10}, {-1, 1}, {-0.1, 0.1}},                  // x
    {{-10, 10}, {-10, 10}, {-1, 1}, {-0.1, 0.1}},                  // y
    {{-90, 90}, {-1, 1}, {-0.01, 0.01}, {-0.001, 0.001}},          // d
    {{-720, 720}, {-30, 30}, {-0.01, 0.01}, {-0.001, 0.001}},      // M
    {{-2, 2}, {-0.01, 0.01}, {-0.001, 0.001}, {-1e-4, 1e-4}},      // L1
    {{-2, 2}, {-0.01, 0.01}, {-0.001, 0.001}, {-1e-4, 1e-4}},      // L2
    {{-0.01, 0.01}, {-1e-4, 1e-4}, {-1e-6, 1e-6}, {-1e-8, 1e-8}},  // tan f1
    {{-0.01, 0.01}, {-1e-4, 1e-4}, {-1e-6, 1e-6}, {-1e-8, 1e-8}},  // tan f2
};

constexpr const char* kElementNames[kElementCount] = {"x",  "y",  "d",     "M",
                                                      "L1", "L2", "tanf1", "tanf2"};

}  // namespace

BesselRecord DecodeRecord(const std::uint8_t* b) {
    BesselRecord r;
    r.Year = ReadLE<std::int16_t>(b + 0);
    r.Month = ReadLE<std::int16_t>(b + 2);
    r.Day = ReadLE<std::int16_t>(b + 4);
    r.OccType = ReadLE<std::int16_t>(b + 6);
    r.Planet = ReadLE<std::int16_t>(b + 8);
    r.Gamma = ReadLE<float>(b + 10);
    r.EventJD = ReadLE<double>(b + 14);
    r.Reserved22 = ReadLE<std::int32_t>(b + 22);
    r.Reserved26 = ReadLE<std::int16_t>(b + 26);
    r.T0Hour = ReadLE<std::int16_t>(b + 28);
    for (std::size_t e = 0; e < kElementCount; ++e) {
        for (std::size_t c = 0; c < 4; ++c) {
            r.coef[e][c] = ReadLE<double>(b + kCoefOffset + 8 * (4 * e + c));
        }
    }
    r.Reserved286 = ReadLE<std::int16_t>(b + 286);
    r.NS = ReadLE<std::int16_t>(b + 288);
    return r;
}

void EncodeRecord(const BesselRecord& r, std::uint8_t* b) {
    WriteLE(b + 0, r.Year);
    WriteLE(b + 2, r.Month);
    WriteLE(b + 4, r.Day);
    WriteLE(b + 6, r.OccType);
    WriteLE(b + 8, r.Planet);
    WriteLE(b + 10, r.Gamma);
    WriteLE(b + 14, r.EventJD);
    WriteLE(b + 22, r.Reserved22);
    WriteLE(b + 26, r.Reserved26);
    WriteLE(b + 28, r.T0Hour);
    for (std::size_t e = 0; e < kElementCount; ++e) {
        for (std::size_t c = 0; c < 4; ++c) {
            WriteLE(b + kCoefOffset + 8 * (4 * e + c), r.coef[e][c]);
        }
    }
    WriteLE(b + 286, r.Reserved286);
    WriteLE(b + 288, r.NS);
}

std::optional<std::string> RecordProblem(const BesselRecord& r) {
    const auto outside = [](const char* field, double value, double low, double high) {
        return std::string("field ") + field + ": " + NumberText(value) + " is outside "
               + NumberText(low) + ".." + NumberText(high);
    };
    if (r.Year < kYearRange.low || r.Year > kYearRange.high) {
        return outside("Year", r.Year, kYearRange.low, kYearRange.high);
    }
    if (r.Month < 1 || r.Month > 12) {
        return outside("Month", r.Month, 1, 12);
    }
    if (r.Day < 1 || r.Day > 31) {
        return outside("Day", r.Day, 1, 31);
    }
    if (r.OccType < 1 || r.OccType > 6) {
        return outside("OccType", r.OccType, 1, 6);
    }
    if (r.Planet < 1 || r.Planet > 7) {
        return outside("Planet", r.Planet, 1, 7);
    }
    if (r.T0Hour < 0 || r.T0Hour > 23) {
        return outside("T0Hour", r.T0Hour, 0, 23);
    }
    // A day that the calendar does not have (30 February, 5..14 October 1582) comes back from the
    // round trip as another date.
    const double dateJD = CalendarToJD(r.Year, r.Month, r.Day, 0.0, 0.0, 0.0);
    const CalendarDate back = JDToCalendar(dateJD);
    if (back.year != r.Year || back.month != r.Month || back.day != r.Day) {
        return "field Day: " + std::to_string(r.Day) + " does not exist in month "
               + std::to_string(r.Month) + " of " + std::to_string(r.Year);
    }
    const double deltaT = DeltaT(r.Year, r.Month);
    if (!(std::fabs(deltaT) <= kMaxDeltaT)) {
        return "field Year: Delta T of " + NumberText(deltaT) + " s for " + std::to_string(r.Year)
               + " exceeds one day";
    }
    // The greatest occultation lies within a few hours of the reference instant T0.
    const double t0JD = dateJD + r.T0Hour / 24.0;
    if (!std::isfinite(r.EventJD) || std::fabs(r.EventJD - t0JD) > kMaxEventFromT0) {
        return "field EventJD: " + NumberText(r.EventJD) + " is not within "
               + NumberText(kMaxEventFromT0) + " day of the record's date and T0Hour (JD "
               + NumberText(t0JD) + ")";
    }
    if (!(std::fabs(r.Gamma) <= kMaxGamma)) {
        return outside("Gamma", static_cast<double>(r.Gamma), -kMaxGamma, kMaxGamma);
    }
    for (std::size_t e = 0; e < kElementCount; ++e) {
        for (std::size_t c = 0; c < 4; ++c) {
            const CoefficientBound& bound = kCoefficientBounds[e][c];
            const double value = r.coef[e][c];
            if (!(value >= bound.low && value <= bound.high)) {
                const std::string field =
                    std::string(kElementNames[e]) + " coefficient c" + std::to_string(c);
                return outside(field.c_str(), value, bound.low, bound.high);
            }
        }
    }
    // Without relative motion of the shadow no contact can be computed.
    if (r.coef[kX][1] == 0.0 && r.coef[kY][1] == 0.0) {
        return "fields x and y coefficient c1: the shadow does not move";
    }
    return std::nullopt;
}

const BesselRecord& BesselTable::operator[](int k) const {
    if (k < 1 || k > Count()) {
        throw std::out_of_range("event number " + std::to_string(k) + " outside 1.."
                                + std::to_string(Count()));
    }
    return m_records[static_cast<std::size_t>(k - 1)];
}

std::string ProgramFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        return "./";
    }
    return exe.parent_path().string() + "/";
}

std::string CataloguePath() {
    return ProgramFolder() + kCatalogueFileName;
}

BesselTable LoadCatalogue(const std::string& path) {
    const std::string name = "Event catalogue \"" + path + "\"";
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw CatalogueError(name + " not found.");
    }
    if (ec) {
        throw CatalogueError(name + " cannot be read: " + ec.message() + ".");
    }
    if (status.type() == std::filesystem::file_type::directory) {
        throw CatalogueError(name + " is a directory.");
    }
    // Devices and pipes have no size to check, and /dev/zero would never end.
    if (status.type() != std::filesystem::file_type::regular) {
        throw CatalogueError(name + " is not a regular file.");
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        throw CatalogueError(name + " cannot be read: " + ec.message() + ".");
    }
    if (size == 0) {
        throw CatalogueError(name + " has 0 bytes.");
    }
    if (size % kRecordSize != 0 || size > kRecordSize * kEventCount) {
        throw CatalogueError(name + " has " + std::to_string(size)
                             + " bytes; expected whole records of " + std::to_string(kRecordSize)
                             + " bytes, at most " + std::to_string(kEventCount) + " of them.");
    }
    std::vector<std::uint8_t> bytes(size);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw CatalogueError(name + " cannot be opened: " + std::strerror(errno) + ".");
    }
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const int readError = std::ferror(file) != 0 ? errno : 0;
    std::fclose(file);
    if (got != bytes.size()) {
        // The file shrank between the size check and the read, or the read failed.
        throw CatalogueError(name + " cannot be read: "
                             + (readError != 0 ? std::strerror(readError) : "it ended early")
                             + ".");
    }

    std::size_t count = size / kRecordSize;
    // Zero-filled records at the end stand for events the catalogue does not hold.
    while (count > 0 && IsAllZero(bytes.data() + (count - 1) * kRecordSize, kRecordSize)) {
        --count;
    }
    if (count == 0) {
        throw CatalogueError(name + " holds no events.");
    }
    std::vector<BesselRecord> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        records.push_back(DecodeRecord(bytes.data() + i * kRecordSize));
        if (const std::optional<std::string> problem = RecordProblem(records.back())) {
            throw CatalogueError(name + ": record " + std::to_string(i + 1) + " is not an event ("
                                 + *problem + ").");
        }
        if (i > 0 && records[i].Year < records[i - 1].Year) {
            throw CatalogueError(name + ": record " + std::to_string(i + 1)
                                 + " is out of chronological order (field Year).");
        }
    }
    return BesselTable(std::move(records));
}

BesselRecord SelectRecord(const BesselTable& table, int k) {
    return table[k];
}

ElementSet EvaluateElements(const BesselRecord& r, double t) {
    const double t2 = t * t;
    const double t3 = t2 * t;
    const auto poly = [&](Element e) {
        const auto& c = r.coef[e];
        return c[0] + c[1] * t + c[2] * t2 + c[3] * t3;
    };
    ElementSet s;
    s.x = poly(kX);
    s.y = poly(kY);
    s.d = degreesToRadians(poly(kD));
    s.mu = degreesToRadians(poly(kM));
    s.L1 = poly(kL1);
    s.L2 = poly(kL2);
    s.tanf1 = poly(kTanF1);
    s.tanf2 = poly(kTanF2);
    s.sind = std::sin(s.d);
    s.cosd = std::cos(s.d);
    s.xDot = r.coef[kX][1] + 2.0 * r.coef[kX][2] * t + 3.0 * r.coef[kX][3] * t2;
    s.yDot = r.coef[kY][1] + 2.0 * r.coef[kY][2] * t + 3.0 * r.coef[kY][3] * t2;
    return s;
}

double ClosestApproachOffset(const BesselRecord& r) {
    const double x0 = r.coef[kX][0];
    const double x1 = r.coef[kX][1];
    const double y0 = r.coef[kY][0];
    const double y1 = r.coef[kY][1];
    const double n2 = x1 * x1 + y1 * y1;
    if (n2 == 0.0) {
        return 0.0;
    }
    return -(x0 * x1 + y0 * y1) / n2;
}

int FirstEventOfYear(const BesselTable& table, int year) {
    for (int k = 1; k <= table.Count(); ++k) {
        if (table[k].Year >= year) {
            return k;
        }
    }
    return std::max(1, table.Count());
}

}  // namespace zimbalo::astro
