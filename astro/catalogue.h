#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

/// The Besselian element catalogue: the 290-byte event record, the table of all events, and the
/// evaluation of the element polynomials at an instant.
namespace zimbalo::astro {

inline constexpr const char* kCatalogueFileName = "Bessel_21Jdt_VNB_0130.bin";
inline constexpr std::size_t kRecordSize = 290;
inline constexpr int kEventCount = 1780;

/// Index of an element's four coefficients in `BesselRecord::coef`, in file order.
enum Element : std::size_t { kX = 0, kY, kD, kM, kL1, kL2, kTanF1, kTanF2, kElementCount };

/// One catalogued occultation, decoded field by field from its little-endian record.
struct BesselRecord {
    std::int16_t Year = 0;
    std::int16_t Month = 0;
    std::int16_t Day = 0;
    std::int16_t OccType = 0;  ///< 1 partial, 2 total, 3 annular, 4 annular-total,
                               ///< 5 non-central total, 6 non-central annular
    std::int16_t Planet = 0;   ///< 1 Mercury .. 7 Neptune
    float Gamma = 0.0f;  ///< least distance of the shadow axis from the Earth's centre, Earth radii
    double EventJD = 0.0;  ///< Julian date (TT) of greatest occultation
    std::int32_t Reserved22 = 0;
    std::int16_t Reserved26 = 0;
    std::int16_t T0Hour = 0;  ///< whole TT hour of the reference instant T0 on Year-Month-Day
    /// Cubic coefficients c0..c3 per element; t in hours of TT from T0. x, y, L1, L2 in Earth
    /// radii, d and M in degrees, tan f1 and tan f2 dimensionless.
    std::array<std::array<double, 4>, kElementCount> coef{};
    std::int16_t Reserved286 = 0;
    std::int16_t NS = 0;

    bool operator==(const BesselRecord&) const = default;
};

/// Decodes one record from exactly `kRecordSize` bytes.
BesselRecord DecodeRecord(const std::uint8_t* bytes);

/// Encodes a record into exactly `kRecordSize` bytes (the catalogue generator writes with it).
void EncodeRecord(const BesselRecord& record, std::uint8_t* bytes);

/// Why a record cannot be an event, naming the field ("field EventJD: ..."); nothing when it
/// can. Besides the codes and the calendar date, the values must lie within what a real
/// event can have: T0Hour 0..23, EventJD within a day of the date and T0Hour, Delta T of the year
/// below a day, every coefficient within a wide bound of its element and degree.
std::optional<std::string> RecordProblem(const BesselRecord& record);

/// A catalogue file that cannot be used; the message names the file.
class CatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// All events of a catalogue file, numbered 1..Count().
class BesselTable {
public:
    BesselTable() = default;

    explicit BesselTable(std::vector<BesselRecord> records) : m_records(std::move(records)) {}

    /// Number of events; event numbers run from 1 to this.
    int Count() const { return static_cast<int>(m_records.size()); }

    /// Event k (1-based); throws std::out_of_range outside 1..Count().
    const BesselRecord& operator[](int k) const;

    const std::vector<BesselRecord>& Records() const { return m_records; }

private:
    std::vector<BesselRecord> m_records;
};

/// Folder of the running executable, with a trailing "/"; falls back to the current directory.
std::string ProgramFolder();

/// Full path of the catalogue file in the program's folder.
std::string CataloguePath();

/// Reads a catalogue file. A file of whole records up to 1780 is accepted; trailing all-zero
/// records (a search that found fewer events) are dropped. Throws `CatalogueError` naming the file
/// when it is missing, a directory or not a regular file (a device, a pipe), unreadable, empty, not
/// a whole number of records, longer than 1780 records, or holds a record that cannot be an event
/// (the message names the record and the field).
BesselTable LoadCatalogue(const std::string& path);

/// Copy of event k (1-based) of the table.
BesselRecord SelectRecord(const BesselTable& table, int k);

/// Besselian elements evaluated at one instant.
struct ElementSet {
    double x = 0.0, y = 0.0;   ///< Earth radii, fundamental plane
    double d = 0.0, mu = 0.0;  ///< radians: declination and Greenwich hour angle of the axis
    double L1 = 0.0,
           L2 = 0.0;  ///< penumbral and umbral radii on the fundamental plane, Earth radii
    double tanf1 = 0.0, tanf2 = 0.0;
    double sind = 0.0, cosd = 0.0;
    double xDot = 0.0, yDot = 0.0;  ///< Earth radii per hour
};

/// Elements of the record at t hours (TT) from T0.
ElementSet EvaluateElements(const BesselRecord& record, double t);

/// Offset t_m in hours from T0 at which the linearised axis passes closest to the Earth's centre.
double ClosestApproachOffset(const BesselRecord& record);

/// Smallest event number whose Year is not less than `year`; the last event when none is.
int FirstEventOfYear(const BesselTable& table, int year);

}  // namespace zimbalo::astro
