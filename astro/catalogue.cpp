#include "astro/catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "astro/numeric.h"

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

std::string RecordProblem(const BesselRecord& r) {
    if (r.Year < -4000 || r.Year > 9999) {
        return "year " + std::to_string(r.Year) + " out of range";
    }
    if (r.Month < 1 || r.Month > 12) {
        return "month " + std::to_string(r.Month) + " out of range 1..12";
    }
    if (r.Day < 1 || r.Day > 31) {
        return "day " + std::to_string(r.Day) + " out of range 1..31";
    }
    if (r.OccType < 1 || r.OccType > 6) {
        return "kind of occultation " + std::to_string(r.OccType) + " out of range 1..6";
    }
    if (r.Planet < 1 || r.Planet > 7) {
        return "planet " + std::to_string(r.Planet) + " out of range 1..7";
    }
    if (r.T0Hour < 0 || r.T0Hour > 23) {
        return "reference hour " + std::to_string(r.T0Hour) + " out of range 0..23";
    }
    if (!std::isfinite(r.EventJD) || !std::isfinite(r.Gamma)) {
        return "date or gamma not a number";
    }
    for (const auto& element : r.coef) {
        for (double c : element) {
            if (!std::isfinite(c)) {
                return "element coefficient not a number";
            }
        }
    }
    // Without relative motion of the shadow no contact can be computed.
    if (r.coef[kX][1] == 0.0 && r.coef[kY][1] == 0.0) {
        return "shadow does not move";
    }
    return {};
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
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw CatalogueError("Event catalogue \"" + path + "\" not found.");
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        throw CatalogueError("Event catalogue \"" + path + "\" cannot be read: " + ec.message());
    }
    if (size == 0 || size % kRecordSize != 0 || size > kRecordSize * kEventCount) {
        throw CatalogueError("Event catalogue \"" + path + "\" has " + std::to_string(size)
                             + " bytes; expected whole records of " + std::to_string(kRecordSize)
                             + " bytes, at most " + std::to_string(kEventCount) + " of them.");
    }
    std::vector<std::uint8_t> bytes(size);
    std::ifstream in(path, std::ios::binary);
    if (!in
        || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        throw CatalogueError("Event catalogue \"" + path + "\" cannot be read.");
    }

    std::size_t count = size / kRecordSize;
    // Zero-filled records at the end stand for events the catalogue does not hold.
    while (count > 0 && IsAllZero(bytes.data() + (count - 1) * kRecordSize, kRecordSize)) {
        --count;
    }
    if (count == 0) {
        throw CatalogueError("Event catalogue \"" + path + "\" holds no events.");
    }
    std::vector<BesselRecord> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        records.push_back(DecodeRecord(bytes.data() + i * kRecordSize));
        const std::string problem = RecordProblem(records.back());
        if (!problem.empty()) {
            throw CatalogueError("Event catalogue \"" + path + "\": record " + std::to_string(i + 1)
                                 + " is not an event (" + problem + ").");
        }
        if (i > 0 && records[i].Year < records[i - 1].Year) {
            throw CatalogueError("Event catalogue \"" + path + "\": record " + std::to_string(i + 1)
                                 + " is out of chronological order.");
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
    s.d = poly(kD) * kPi / 180.0;
    s.mu = poly(kM) * kPi / 180.0;
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
