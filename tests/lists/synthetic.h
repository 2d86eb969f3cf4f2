#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "astro/catalogue.h"

/// Small made-up data for the list tests: events with simple Besselian elements, catalogue and
/// city files, and a scratch folder per test.
namespace zimbalo::lists::testing {

/// A total occultation of Jupiter on 2024-03-14, T0 = 12h TT. The shadow axis moves east at
/// 0.55 Earth radii per hour and meets the Earth near 10.7 N, 10.3 E at T0 (local noon), where
/// the planet stands near the zenith. `hourAngleDeg` moves that point: 180 puts it near
/// 10.7 N, 169.7 W at local midnight.
astro::BesselRecord SyntheticEvent(double hourAngleDeg = 350.0);

/// The same event moved to `year` (keeping month, day and T0).
astro::BesselRecord SyntheticEventInYear(int year, double hourAngleDeg = 350.0);

/// The bytes of a zone table (timezones.bin) of one cell: the whole Earth in `zone`.
std::string OneZoneTableBytes(const std::string& zone);

/// Writes records as a catalogue file.
void WriteCatalogue(const std::string& path, const std::vector<astro::BesselRecord>& records);

/// Writes bytes to a file (binary).
void WriteBytes(const std::string& path, const std::string& bytes);

/// Reads a whole file (binary).
std::string ReadBytes(const std::string& path);

/// A fresh empty folder under the system's temporary folder, removed again by the destructor.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    /// Path of `name` inside the folder.
    std::string Path(const std::string& name) const;

    const std::filesystem::path& Folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
};

}  // namespace zimbalo::lists::testing
