#include "overlays/points_of_interest.h"

#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include "astro/language_table.h"
#include "astro/numeric.h"

namespace zimbalo::overlays {

QString languageText(int row, Language language) {
    const std::string_view text = LanguageText(row, language);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// ---- The list file ----

QString PoIFilePath(const QString& documents) {
    return QDir(documents).filePath(QStringLiteral("Zimbalo/") + QLatin1String(kPoIFileName));
}

QStringList DefaultPoILines() {
    return {
        QStringLiteral("+YYYY MM DD dd.dd N ddd.dd E Place... (Comment...) <--- Standard Format"),
        QStringLiteral("+2021 06 30 47.50 N 007.30 E Basel")};
}

namespace {

/// Unicode of the Windows-1252 bytes 80..9F; the five unassigned bytes keep their C1 control.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

/// Whether a coordinate field's text is a plain decimal number: blanks around it, an optional
/// sign, digits with at most one "." (no exponent, no "inf" or "nan").
std::optional<double> plainDecimal(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)\\s*$"));
    if (!pattern.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

/// Reads one coordinate field of a line: the characters at 0-based `first` .. `first + 4` (or 5
/// for the longitude), with blanks at the last three places filled as ".", "0", "0".
std::optional<double> coordinateField(std::u32string& w, std::size_t first, std::size_t length,
                                      double bound) {
    const std::size_t dot = first + length - 3;
    if (w[dot] == U' ') {
        w[dot] = U'.';
    }
    if (w[dot + 1] == U' ') {
        w[dot + 1] = U'0';
    }
    if (w[dot + 2] == U' ') {
        w[dot + 2] = U'0';
    }
    const std::u32string field = w.substr(first, length);
    const std::optional<double> value =
        plainDecimal(QString::fromUcs4(field.data(), static_cast<qsizetype>(field.size())));
    // A latitude beyond the pole or a longitude beyond the date line cannot be placed on the globe:
    // it is a bad field like any other.
    if (!value || std::fabs(*value) > bound) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

QStringList DecodePoIText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text = fromCp1252(bytes);
    } else if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return LinesOfText(text);
}

QByteArray EncodePoIText(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

QStringList LinesOfText(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) {
        lines.removeLast();
    }
    return lines;
}

PoIFileRead ReadPoIFile(const QString& path) {
    PoIFileRead result;
    QFile file(path);
    if (!file.exists()) {
        return result;
    }
    result.exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    // One byte more than the bound tells a file that is too large without reading it whole.
    const QByteArray bytes = file.read(kMaxPoIFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    if (bytes.size() > kMaxPoIFileBytes) {
        result.tooLarge = true;
        return result;
    }
    result.lines = DecodePoIText(bytes);
    for (const QString& line : result.lines) {
        if (line.size() > kMaxPoILineLength) {
            result.tooLarge = true;
            result.lines.clear();
            break;
        }
    }
    return result;
}

std::optional<QString> WritePoIFile(const QString& path, const QStringList& lines) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("cannot create the folder ") + QDir::toNativeSeparators(folder);
    }
    QSaveFile file(path);
    // Unbuffered, so that a short write (disk full, size limit) shows in write()'s count: through
    // the buffer, a flush that stops half-way can go unnoticed and commit half a file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    const QByteArray bytes = EncodePoIText(lines);
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

// ---- One line of the list ----

std::optional<PoIPoint> ParsePoILine(const QString& line) {
    std::u32string w;
    for (const char32_t c : line.toUcs4()) {
        w.push_back(c);
    }
    if (w.size() < 30) {
        return std::nullopt;
    }
    PoIPoint p;
    const std::optional<double> latitude = coordinateField(w, 12, 5, 90.0);
    p.latitudeValid = latitude.has_value();
    p.latitude = latitude.value_or(0.0);
    if (p.latitudeValid && (w[18] == U'S' || w[18] == U's')) {
        p.latitude = -p.latitude;
    }
    const std::optional<double> longitude = coordinateField(w, 20, 6, 180.0);
    p.longitudeValid = longitude.has_value();
    p.longitude = longitude.value_or(0.0);
    if (p.longitudeValid && (w[27] == U'W' || w[27] == U'w')) {
        p.longitude = -p.longitude;
    }
    const std::u32string restText = w.substr(28);
    const QString rest =
        QString::fromUcs4(restText.data(), static_cast<qsizetype>(restText.size()));
    const qsizetype bracket = rest.indexOf(QLatin1Char('('));
    p.name = bracket > 0 ? rest.left(bracket).trimmed() : rest;
    return p;
}

// ---- The single marker ----

MarkerFieldCheck CheckMarkerField(const QString& text, double bound) {
    MarkerFieldCheck check;
    check.text = text.trimmed();
    if (check.text.isEmpty()) {
        check.value = 0.0;
        return check;
    }
    const std::optional<double> value = plainDecimal(check.text);
    if (value && *value >= 0.0 && *value <= bound) {
        check.value = *value;
    }
    return check;
}

MarkerDistances ComputeMarkerDistances(double latitude, double longitude,
                                       const astro::ElementSet& elements,
                                       const astro::AxisSnapshot& snapshot, double deltaT) {
    const double phi = latitude * astro::kDegToRad;
    const double lambda = longitude * astro::kDegToRad;
    const astro::PlanePoint place = astro::PlaceToFundamental(phi, lambda, elements, deltaT);
    MarkerDistances d;
    d.toAxisKm =
        astro::earth::kRadiusKm * std::hypot(elements.x - place.xi, elements.y - place.eta);
    d.toAxisPointKm =
        astro::earth::kRadiusKm
        * astro::AngularDistance(-lambda, phi, snapshot.longitudeWest, snapshot.latitude);
    return d;
}

MarkerDistanceTexts MarkerDistanceLabels(bool markerShown, const MarkerDistances& distances,
                                         bool axisOnEarth, Language language) {
    MarkerDistanceTexts texts;
    if (!markerShown) {
        return texts;
    }
    const auto label = [language](int row, double km) {
        return languageText(row, language) + QStringLiteral(": ") + QString::number(km, 'f', 1)
               + QStringLiteral(" km");
    };
    texts.distA = label(45, distances.toAxisKm);
    if (axisOnEarth) {
        texts.distB = label(46, distances.toAxisPointKm);
    }
    return texts;
}

}  // namespace zimbalo::overlays
