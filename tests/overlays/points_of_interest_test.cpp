#include "overlays/points_of_interest.h"

#include <csignal>
#include <optional>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "astro/numeric.h"

namespace zimbalo::overlays {
namespace {

// ---- Parsing ----

TEST(ParsePoILine, BaselExample) {
    const auto p = ParsePoILine(QStringLiteral("+2021 06 30 47.50 N 007.30 E Basel"));
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->latitude, 47.5);
    EXPECT_DOUBLE_EQ(p->longitude, 7.3);
    EXPECT_TRUE(p->latitudeValid);
    EXPECT_TRUE(p->longitudeValid);
    // No "(": the name is the rest from the blank at position 29 on.
    EXPECT_EQ(p->name, QStringLiteral(" Basel"));
    EXPECT_EQ(p->name.trimmed(), QStringLiteral("Basel"));
}

TEST(ParsePoILine, BlankFilledFieldsSouthWestAndComment) {
    // 47 and three blanks at 13-17, S at 19, 122 and three blanks at 21-26, W at 28.
    const QString line = QStringLiteral("+2022 01 02 47    S 122    W Somewhere (note)");
    ASSERT_EQ(line.indexOf(QStringLiteral("Somewhere")), 29);
    const auto p = ParsePoILine(line);
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->latitude, -47.0);
    EXPECT_DOUBLE_EQ(p->longitude, -122.0);
    EXPECT_TRUE(p->latitudeValid && p->longitudeValid);
    EXPECT_EQ(p->name, QStringLiteral("Somewhere"));
}

TEST(ParsePoILine, HemisphereLettersInEitherCase) {
    const auto p = ParsePoILine(QStringLiteral("+2021 06 30 33.90 s 018.40 w Kapstadt?"));
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->latitude, -33.9);
    EXPECT_DOUBLE_EQ(p->longitude, -18.4);
    // Any other letter counts as north and east.
    const auto q = ParsePoILine(QStringLiteral("+2021 06 30 33.90 X 018.40 ? Somewhere"));
    ASSERT_TRUE(q);
    EXPECT_DOUBLE_EQ(q->latitude, 33.9);
    EXPECT_DOUBLE_EQ(q->longitude, 18.4);
}

TEST(ParsePoILine, LinesShorterThanThirtyCharactersAreSkipped) {
    const QString line29 = QStringLiteral("+2021 06 30 47.50 N 007.30 E ");
    ASSERT_EQ(line29.size(), 29);
    EXPECT_FALSE(ParsePoILine(line29));
    EXPECT_FALSE(ParsePoILine(QString()));
    const auto p30 = ParsePoILine(line29 + QStringLiteral("B"));
    ASSERT_TRUE(p30);
    EXPECT_EQ(p30->name, QStringLiteral(" B"));
}

TEST(ParsePoILine, ColumnsCountCharactersNotBytes) {
    // Non-ASCII characters before the name must not shift the columns (each is one character,
    // also one outside the Basic Multilingual Plane).
    const QString line = QStringLiteral("+2021 06 30 46.20 N 006.15 E Genève (Lac Léman)");
    const auto p = ParsePoILine(line);
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->latitude, 46.2);
    EXPECT_EQ(p->name, QStringLiteral("Genève"));
    const QString emoji =
        QString::fromUtf8("\xF0\x9F\x8C\x8D");  // one code point, two UTF-16 units
    const auto q = ParsePoILine(emoji + QStringLiteral("2021 06 30 46.20 N 006.15 E Globe"));
    ASSERT_TRUE(q);
    EXPECT_DOUBLE_EQ(q->longitude, 6.15);
    EXPECT_EQ(q->name, QStringLiteral(" Globe"));
}

TEST(ParsePoILine, FormatLineHasTwoBadFields) {
    const auto p = ParsePoILine(DefaultPoILines().at(0));
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->latitudeValid);
    EXPECT_FALSE(p->longitudeValid);
    EXPECT_EQ(p->latitude, 0.0);
    EXPECT_EQ(p->longitude, 0.0);
    EXPECT_EQ(p->name, QStringLiteral("Place..."));
}

TEST(ParsePoILine, CoordinatesOffTheGlobeAreBadFields) {
    const auto p = ParsePoILine(QStringLiteral("+2021 06 30 95.00 N 181.00 E Nowhere"));
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->latitudeValid);
    EXPECT_FALSE(p->longitudeValid);
    EXPECT_EQ(p->latitude, 0.0);
    const auto q = ParsePoILine(QStringLiteral("+2021 06 30 90.00 S 180.00 W Pole"));
    ASSERT_TRUE(q);
    EXPECT_TRUE(q->latitudeValid && q->longitudeValid);
    EXPECT_DOUBLE_EQ(q->latitude, -90.0);
    EXPECT_DOUBLE_EQ(q->longitude, -180.0);
    // Exponents, "inf" and "nan" are no coordinates.
    const auto r = ParsePoILine(QStringLiteral("+2021 06 30 1e1   N inf    E Odd"));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->latitudeValid);
    EXPECT_FALSE(r->longitudeValid);
}

TEST(ParsePoILine, BracketAtTheStartOfTheNameKeepsTheWholeRest) {
    // "(" at position 29 (the first character of the rest) does not end the name.
    const auto p = ParsePoILine(QStringLiteral("+2021 06 30 47.50 N 007.30 E(Basel) x"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->name, QStringLiteral("(Basel) x"));
}

// ---- The list file ----

TEST(PoIText, Utf8WithWindowsFallback) {
    EXPECT_EQ(DecodePoIText(QByteArray("a\r\nb\r\n")), (QStringList{"a", "b"}));
    EXPECT_EQ(DecodePoIText(QByteArray("a\nb")), (QStringList{"a", "b"}));
    EXPECT_EQ(DecodePoIText(QByteArray("a\rb\r\n\r\n")), (QStringList{"a", "b", ""}));
    EXPECT_EQ(DecodePoIText(QByteArray("\xEF\xBB\xBFZ\xC3\xBCrich")),
              (QStringList{QStringLiteral("Zürich")}));
    // Not UTF-8: Windows-1252, including the bytes 80..9F.
    EXPECT_EQ(DecodePoIText(QByteArray("Z\xFCrich \x80\x9C\x8D\r\n")),
              (QStringList{QStringLiteral("Zürich €œ\u008D")}));
    EXPECT_TRUE(DecodePoIText(QByteArray()).isEmpty());
}

TEST(PoIText, LinesOfAnEditBox) {
    EXPECT_EQ(LinesOfText(QStringLiteral("a\nb")), (QStringList{"a", "b"}));
    EXPECT_EQ(LinesOfText(QStringLiteral("a\nb\n")), (QStringList{"a", "b"}));
    EXPECT_EQ(LinesOfText(QStringLiteral("a\n\n")), (QStringList{"a", ""}));
    EXPECT_TRUE(LinesOfText(QString()).isEmpty());
}

TEST(PoIFile, WriteThenReadRoundTrip) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = PoIFilePath(dir.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Zimbalo/Zimbalo_PoI.txt")));
    EXPECT_FALSE(ReadPoIFile(path).exists);
    const QStringList lines{QStringLiteral("+2021 06 30 47.50 N 007.30 E Basel"),
                            QStringLiteral("+2021 06 30 46.20 N 006.15 E Genève (Léman)")};
    // The folder "Zimbalo" does not exist yet: writing creates it.
    EXPECT_EQ(WritePoIFile(path, lines), std::nullopt);
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    EXPECT_TRUE(bytes.endsWith("Gen\xC3\xA8ve (L\xC3\xA9man)\r\n"));
    const PoIFileRead back = ReadPoIFile(path);
    EXPECT_TRUE(back.exists);
    EXPECT_EQ(back.error, std::nullopt);
    EXPECT_EQ(back.lines, lines);
}

TEST(PoIFile, FailedWriteLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = PoIFilePath(dir.path());
    ASSERT_EQ(WritePoIFile(path, {QStringLiteral("old")}), std::nullopt);

    // Let the write fail half-way: a file size limit of 100 bytes (the process ignores the
    // signal, so the write returns an error instead). This works for any user, root included.
    struct rlimit saved {};

    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::optional<QString> error =
        WritePoIFile(path, QStringList(20, QStringLiteral("+2021 06 30 47.50 N "
                                                          "007.30 E Basel")));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());
    EXPECT_EQ(ReadPoIFile(path).lines, QStringList{QStringLiteral("old")});
    // No half-written temporary file is left beside it.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Zimbalo_PoI.txt")});
}

TEST(PoIFile, PathThatIsAFolderIsAnError) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = PoIFilePath(dir.path());
    ASSERT_TRUE(QDir().mkpath(path));  // a folder where the file should be
    const std::optional<QString> writeError = WritePoIFile(path, {QStringLiteral("x")});
    ASSERT_TRUE(writeError.has_value());
    EXPECT_FALSE(writeError->isEmpty());
    const PoIFileRead read = ReadPoIFile(path);
    EXPECT_TRUE(read.exists);
    ASSERT_TRUE(read.error.has_value());
    EXPECT_FALSE(read.error->isEmpty());
}

// ---- The marker ----

TEST(MarkerField, ValidTextsAndWhatEmptiesTheField) {
    auto value = [](const char* text, double bound) {
        return CheckMarkerField(QString::fromUtf8(text), bound).value;
    };
    EXPECT_EQ(value("47.5", 90), 47.5);
    EXPECT_EQ(value("  7.53 ", 180), 7.53);
    EXPECT_EQ(CheckMarkerField(QStringLiteral("  7.53 "), 180).text, QStringLiteral("7.53"));
    EXPECT_EQ(value("", 90), 0.0);
    EXPECT_EQ(value("   ", 90), 0.0);
    EXPECT_EQ(value("90", 90), 90.0);
    EXPECT_EQ(value("180", 180), 180.0);
    EXPECT_EQ(value("0", 90), 0.0);
    EXPECT_FALSE(value("95", 90));
    EXPECT_FALSE(value("180.01", 180));
    EXPECT_FALSE(value("-1", 90));
    EXPECT_FALSE(value("47,5", 90));  // the decimal separator is always "."
    EXPECT_FALSE(value("abc", 90));
    EXPECT_FALSE(value("nan", 90));
    EXPECT_FALSE(value("1e1", 90));
}

astro::ElementSet elements(double x, double y) {
    // Axis declination 0 and hour angle 0: the fundamental plane is the Earth's equatorial view
    // from above longitude 0.
    astro::ElementSet e;
    e.x = x;
    e.y = y;
    e.d = 0.0;
    e.mu = 0.0;
    e.sind = 0.0;
    e.cosd = 1.0;
    return e;
}

TEST(MarkerDistances, AgainstHandComputedValues) {
    astro::AxisSnapshot snap;
    snap.axisOnEarth = true;
    // Marker at (0, 0) projects to xi = eta = 0; axis at (0.1, 0.2):
    // 6378 * sqrt(0.1^2 + 0.2^2) = 6378 * 0.2236068 = 1426.16 km.
    MarkerDistances d = ComputeMarkerDistances(0, 0, elements(0.1, 0.2), snap, 0);
    EXPECT_NEAR(d.toAxisKm, 1426.164, 0.01);
    EXPECT_NEAR(d.toAxisPointKm, 0.0, 1e-9);
    // Marker at 45 N, 0 E: u = atan(0.99664719 * tan 45) = 0.7837189 rad, eta = 0.99664719 *
    // sin u = 0.7035516; axis at the centre: 6378 * 0.7035516 = 4487.25 km.
    d = ComputeMarkerDistances(45, 0, elements(0, 0), snap, 0);
    EXPECT_NEAR(d.toAxisKm, 4487.252, 0.01);
    // Marker at 0, 90 E: xi = sin 90 = 1; axis at x = 0.5: 3189 km. A quarter of a great circle
    // from the axis point (0, 0): 6378 * pi / 2 = 10018.54 km.
    d = ComputeMarkerDistances(0, 90, elements(0.5, 0), snap, 0);
    EXPECT_NEAR(d.toAxisKm, 3189.0, 0.01);
    EXPECT_NEAR(d.toAxisPointKm, 10018.539, 0.01);
    // The axis point is kept with west longitudes: 90 W is +pi/2 there, so a marker at 90 W is on
    // it.
    snap.longitudeWest = astro::kPi / 2;
    d = ComputeMarkerDistances(0, -90, elements(0, 0), snap, 0);
    EXPECT_NEAR(d.toAxisPointKm, 0.0, 1e-6);
    // Delta T turns the Earth under the plane: 1 s is 0.00417807 degrees; 21541.5 s is 90 degrees,
    // which brings a marker at 90 E to the centre of the plane.
    d = ComputeMarkerDistances(0, 90, elements(0, 0), snap, 90.0 / 0.00417807);
    EXPECT_NEAR(d.toAxisKm, 0.0, 1e-3);
}

TEST(MarkerDistances, LabelTexts) {
    const MarkerDistances d{1426.164, 10018.539};
    MarkerDistanceTexts t = MarkerDistanceLabels(true, d, true, Language::German);
    EXPECT_EQ(t.distA, QStringLiteral("Dist. zu Schattenachse: 1426.2 km"));
    EXPECT_EQ(t.distB, QStringLiteral("Dist. zu max. Bedeck'g: 10018.5 km"));
    t = MarkerDistanceLabels(true, d, true, Language::French);
    EXPECT_EQ(t.distA, QStringLiteral("Dist. à l'axe de l'ombre: 1426.2 km"));
    EXPECT_EQ(t.distB, QStringLiteral("Dist. de l'occult. max.: 10018.5 km"));
    // The axis off the Earth: no axis point, only the distance from the axis.
    t = MarkerDistanceLabels(true, d, false, Language::English);
    EXPECT_EQ(t.distA, QStringLiteral("Dist. to shadow axis: 1426.2 km"));
    EXPECT_TRUE(t.distB.isEmpty());
    // The marker off: both empty.
    t = MarkerDistanceLabels(false, d, true, Language::English);
    EXPECT_TRUE(t.distA.isEmpty());
    EXPECT_TRUE(t.distB.isEmpty());
}

}  // namespace
}  // namespace zimbalo::overlays
