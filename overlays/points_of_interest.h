#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "astro/catalogue.h"
#include "astro/language.h"
#include "astro/shadow_geometry.h"

/// The points of interest: the list file with its fixed-column lines, and the single marker with
/// its input fields and its distances from the shadow.
namespace zimbalo::overlays {

/// A table text of `row` in `language` as a QString.
QString languageText(int row, Language language);

// ---- The list file ----

/// File name of the list, kept in the folder "Zimbalo" of the user's documents.
inline constexpr const char* kPoIFileName = "Zimbalo_PoI.txt";

/// `documents`/Zimbalo/Zimbalo_PoI.txt.
QString PoIFilePath(const QString& documents);

/// The list shown while no file exists: the format line and one example.
QStringList DefaultPoILines();

/// Text of the file's bytes: UTF-8 (a leading byte-order mark dropped) when the bytes are valid
/// UTF-8, else Windows-1252 (files written on Windows); split into lines at CR LF, LF or CR. A
/// line end after the last line does not make an empty line.
QStringList DecodePoIText(const QByteArray& bytes);

/// UTF-8 bytes of the lines, each ended by CR LF.
QByteArray EncodePoIText(const QStringList& lines);

/// The lines of an edit box's text ("\n" between lines; a final line end adds no line).
QStringList LinesOfText(const QString& text);

/// The list is a few hundred short lines: a file or a line beyond these bounds is no list of
/// points and is not read.
inline constexpr qint64 kMaxPoIFileBytes = 256 * 1024;
inline constexpr int kMaxPoILineLength = 1000;

/// What reading the list file gave: its lines, or why it could not be read.
struct PoIFileRead {
    bool exists = false;           ///< false: no file (not an error)
    QStringList lines;             ///< when read
    std::optional<QString> error;  ///< why the file exists but could not be read
    bool tooLarge = false;         ///< the file or one of its lines is beyond the bounds
};

/// Reads the list file; a file over kMaxPoIFileBytes or with a line over kMaxPoILineLength
/// characters is refused (`tooLarge`) without reading more than the bound.
PoIFileRead ReadPoIFile(const QString& path);

/// Writes the list atomically (a complete new file or the old one untouched), creating the folder
/// when it is missing. Returns nothing on success, else the reason.
std::optional<QString> WritePoIFile(const QString& path, const QStringList& lines);

// ---- One line of the list ----

/// A parsed line: position in degrees (north and east positive) and the place name. A coordinate
/// field that cannot be read (or lies outside -90..90 / -180..180) is flagged and reads as 0.
struct PoIPoint {
    double latitude = 0.0;
    double longitude = 0.0;
    QString name;
    bool latitudeValid = true;
    bool longitudeValid = true;
};

/// Parses one list line; nothing for a line of fewer than 30 characters. Columns count characters
/// (code points): 13-17 latitude "dd.dd", 19 "S" for south, 21-26 longitude "ddd.dd", 28 "W" for
/// west (either case), from 30 the name, ending before a "(" that is not its first character.
/// Blanks at 15, 16, 17 (and 24, 25, 26) read as ".", "0", "0", so "47   " is 47.00. A name
/// without "(" is the whole rest from position 29, its leading blank included.
std::optional<PoIPoint> ParsePoILine(const QString& line);

// ---- The single marker ----

/// What a marker field's text gives: the text to show (trimmed) and the value, or nothing when
/// the field must be emptied (not a number, below 0 or above `bound`). An empty text is 0.
struct MarkerFieldCheck {
    QString text;
    std::optional<double> value;
};

MarkerFieldCheck CheckMarkerField(const QString& text, double bound);

/// Distances of the marker (degrees, north and east positive) at one instant, kilometres: from
/// the shadow axis in the fundamental plane, and along the Earth's surface (a sphere of 6378 km)
/// from the axis point of the snapshot. `deltaT` in seconds (0 in Terrestrial Time).
struct MarkerDistances {
    double toAxisKm = 0.0;
    double toAxisPointKm = 0.0;
};

MarkerDistances ComputeMarkerDistances(double latitude, double longitude,
                                       const astro::ElementSet& elements,
                                       const astro::AxisSnapshot& snapshot, double deltaT);

/// Texts of the two distance labels: "<caption>: <km with one decimal> km"; the second only while
/// the axis meets the Earth; both empty while the marker is not shown.
struct MarkerDistanceTexts {
    QString distA;
    QString distB;
};

MarkerDistanceTexts MarkerDistanceLabels(bool markerShown, const MarkerDistances& distances,
                                         bool axisOnEarth, Language language);

}  // namespace zimbalo::overlays
