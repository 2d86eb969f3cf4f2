#include "synthetic.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

#include "astro/time_scales.h"

namespace zimbalo::lists::testing {

astro::BesselRecord SyntheticEventInYear(int year, double hourAngleDeg) {
    astro::BesselRecord r;
    r.Year = static_cast<std::int16_t>(year);
    r.Month = 3;
    r.Day = 14;
    r.T0Hour = 12;
    r.OccType = 2;
    r.Planet = 4;
    r.Gamma = 0.1f;
    r.EventJD = astro::CalendarToJD(year, 3, 14, 12.0, 0.0, 0.0);
    r.NS = 0;
    r.coef[astro::kX] = {0.0, 0.55, 0.0, 0.0};
    r.coef[astro::kY] = {0.1, 0.1, 0.0, 0.0};
    r.coef[astro::kD] = {5.0, 0.003, 0.0, 0.0};
    r.coef[astro::kM] = {hourAngleDeg, 15.0, 0.0, 0.0};
    // Moon's radius plus or minus the planet's, on the fundamental plane: a small planet, so the
    // occultation is total wherever the umbral cylinder passes.
    r.coef[astro::kL1] = {0.2730, 0.0, 0.0, 0.0};
    r.coef[astro::kL2] = {-0.2715, 0.0, 0.0, 0.0};
    r.coef[astro::kTanF1] = {0.0000046, 0.0, 0.0, 0.0};
    r.coef[astro::kTanF2] = {0.0000046, 0.0, 0.0, 0.0};
    return r;
}

astro::BesselRecord SyntheticEvent(double hourAngleDeg) {
    return SyntheticEventInYear(2024, hourAngleDeg);
}

void WriteCatalogue(const std::string& path, const std::vector<astro::BesselRecord>& records) {
    std::string bytes(records.size() * astro::kRecordSize, '\0');
    for (std::size_t i = 0; i < records.size(); ++i) {
        astro::EncodeRecord(records[i],
                            reinterpret_cast<std::uint8_t*>(bytes.data() + i * astro::kRecordSize));
    }
    WriteBytes(path, bytes);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    m_folder =
        std::filesystem::temp_directory_path()
        / ("zimbalo_lists_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

std::string ScratchFolder::Path(const std::string& name) const {
    return (m_folder / name).string();
}

}  // namespace zimbalo::lists::testing
