#include "synthetic.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

#include "tests/astro/synthetic_event.h"

namespace zimbalo::lists::testing {

astro::BesselRecord SyntheticEventInYear(int year, double hourAngleDeg) {
    return astro::testing::syntheticJupiterEvent(year, hourAngleDeg);
}

astro::BesselRecord SyntheticEvent(double hourAngleDeg) {
    return SyntheticEventInYear(2024, hourAngleDeg);
}

std::string OneZoneTableBytes(const std::string& zone) {
    std::string bytes = "ZTZ1";
    // Zone count 1, one column, one row, a reserved 0, a 32-bit node count 0.
    for (const int v : {1, 1, 1, 0, 0, 0}) {
        bytes += static_cast<char>(v);
        bytes += '\0';
    }
    bytes += static_cast<char>(zone.size()) + zone;
    return bytes + std::string("\x00\x80", 2);  // the cell: leaf of zone 0
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
