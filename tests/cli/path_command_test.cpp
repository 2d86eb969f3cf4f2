#include "cli/path_command.h"

#include <clocale>
#include <cmath>
#include <locale>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "astro/path_limits.h"
#include "astro/shadow_geometry.h"
#include "astro/time_scales.h"
#include "cli/cli.h"

namespace zimbalo::cli {
namespace {

using ::testing::HasSubstr;

// Event 574 (Venus, 2020-12-12): its central line and southern limits cross the 180th meridian.
constexpr int kCrossingEvent = 574;

class PathCommand : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--catalogue", astro::CataloguePath()});
        m_out.str("");
        m_err.str("");
        return RunCli(all, m_out, m_err, m_env);
    }

    std::string Output(const std::vector<std::string>& args) {
        EXPECT_EQ(Run(args), kExitOk) << m_err.str();
        return m_out.str();
    }

    CliEnvironment m_env;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

const QSet<QString> kCurveNames = {"central", "penumbra-north", "penumbra-south", "umbra-north",
                                   "umbra-south"};

bool IsIsoTime(const QString& text, bool universal) {
    static const QRegularExpression utc("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$");
    static const QRegularExpression local("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$");
    return (universal ? utc : local).match(text).hasMatch();
}

TEST_F(PathCommand, GeoJsonFollowsTheRfcAndCutsAt180Degrees) {
    const std::string text =
        Output({"path", "--event", std::to_string(kCrossingEvent), "--format", "geojson"});
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(doc.isObject());
    const QJsonObject root = doc.object();
    EXPECT_EQ(root["type"].toString(), "FeatureCollection");
    EXPECT_FALSE(root.contains("crs"));  // RFC 7946 dropped it: always WGS 84 longitude, latitude
    const QJsonArray features = root["features"].toArray();
    ASSERT_FALSE(features.isEmpty());

    QSet<QString> seen;
    int cut = 0;
    for (const QJsonValue& value : features) {
        const QJsonObject feature = value.toObject();
        EXPECT_EQ(feature["type"].toString(), "Feature");
        const QJsonObject geometry = feature["geometry"].toObject();
        const QJsonObject properties = feature["properties"].toObject();
        const QString curve = properties["curve"].toString();
        EXPECT_TRUE(kCurveNames.contains(curve)) << curve.toStdString();
        EXPECT_FALSE(seen.contains(curve)) << "one feature per curve";
        seen.insert(curve);
        EXPECT_EQ(properties["event"].toInt(), kCrossingEvent);
        EXPECT_EQ(properties["planet"].toString(), "Venus");
        EXPECT_EQ(properties["date"].toString(), "2020-12-12");
        EXPECT_EQ(properties["timeScale"].toString(), "UT");

        // A LineString is one part; a MultiLineString an array of parts, with the times alike.
        const QString type = geometry["type"].toString();
        ASSERT_TRUE(type == "LineString" || type == "MultiLineString") << type.toStdString();
        QJsonArray parts = geometry["coordinates"].toArray();
        QJsonArray times = properties["times"].toArray();
        if (type == "LineString") {
            parts = QJsonArray{parts};
            times = QJsonArray{times};
        }
        ASSERT_EQ(parts.size(), times.size());
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QJsonArray positions = parts[i].toArray();
            const QJsonArray partTimes = times[i].toArray();
            ASSERT_GE(positions.size(), 2);
            ASSERT_EQ(positions.size(), partTimes.size());
            double previousLon = positions[0].toArray()[0].toDouble();
            for (qsizetype k = 0; k < positions.size(); ++k) {
                const QJsonArray position = positions[k].toArray();
                ASSERT_EQ(position.size(), 2);
                const double lon = position[0].toDouble();
                const double lat = position[1].toDouble();
                EXPECT_GE(lon, -180.0);
                EXPECT_LE(lon, 180.0);
                EXPECT_GE(lat, -90.0);
                EXPECT_LE(lat, 90.0);
                // No segment of a part crosses the antimeridian.
                EXPECT_LT(std::fabs(lon - previousLon), 180.0);
                previousLon = lon;
                EXPECT_TRUE(IsIsoTime(partTimes[k].toString(), true))
                    << partTimes[k].toString().toStdString();
            }
            if (i > 0) {
                // Parts of one chain meet at the meridian, at the same latitude.
                const QJsonArray last = parts[i - 1].toArray().last().toArray();
                const QJsonArray first = positions.first().toArray();
                if (std::fabs(last[0].toDouble()) == 180.0) {
                    EXPECT_EQ(first[0].toDouble(), -last[0].toDouble());
                    EXPECT_EQ(first[1].toDouble(), last[1].toDouble());
                    ++cut;
                }
            }
        }
    }
    EXPECT_TRUE(seen.contains("central"));
    EXPECT_GE(cut, 3);  // the central line and both southern limits
}

TEST_F(PathCommand, KmlIsXmlWithTheKmlNamespaceAndAStylePerKind) {
    const std::string text =
        Output({"path", "--event", std::to_string(kCrossingEvent), "--format", "kml"});
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    QSet<QString> styles;
    QStringList styleUrls;
    QStringList names;
    int coordinates = 0;
    bool root = true;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (root) {
            EXPECT_EQ(xml.name(), QString("kml"));
            EXPECT_EQ(xml.namespaceUri(), QString("http://www.opengis.net/kml/2.2"));
            root = false;
        }
        EXPECT_EQ(xml.namespaceUri(), QString("http://www.opengis.net/kml/2.2"));
        if (xml.name() == QString("Style")) {
            styles.insert(xml.attributes().value("id").toString());
        } else if (xml.name() == QString("styleUrl")) {
            styleUrls << xml.readElementText();
        } else if (xml.name() == QString("Placemark")) {
            names << QString();
        } else if (xml.name() == QString("name") && !names.isEmpty() && names.last().isEmpty()) {
            names.last() = xml.readElementText();
        } else if (xml.name() == QString("coordinates")) {
            // lon,lat,height triples separated by blanks, "." decimals.
            const QStringList triples = xml.readElementText().split(' ', Qt::SkipEmptyParts);
            EXPECT_GE(triples.size(), 2);
            for (const QString& triple : triples) {
                const QStringList parts = triple.split(',');
                ASSERT_EQ(parts.size(), 3) << triple.toStdString();
                bool okLon = false;
                bool okLat = false;
                const double lon = parts[0].toDouble(&okLon);
                const double lat = parts[1].toDouble(&okLat);
                EXPECT_TRUE(okLon && okLat && std::fabs(lon) <= 180.0 && std::fabs(lat) <= 90.0)
                    << triple.toStdString();
            }
            ++coordinates;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(styles, (QSet<QString>{"central", "penumbra", "umbra"}));
    ASSERT_EQ(styleUrls.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(kCurveNames.contains(names[i])) << names[i].toStdString();
        EXPECT_TRUE(styles.contains(styleUrls[i].mid(1))) << styleUrls[i].toStdString();
        const bool umbral = names[i].startsWith("umbra");
        EXPECT_EQ(styleUrls[i], umbral                  ? "#umbra"
                                : names[i] == "central" ? "#central"
                                                        : "#penumbra");
    }
    EXPECT_GT(coordinates, names.size());  // some curves are cut at 180 degrees
}

// Lines of a TSV text, split at tabs.
std::vector<std::vector<std::string>> Rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream fieldsIn(line);
        std::string field;
        while (std::getline(fieldsIn, field, '\t')) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

TEST_F(PathCommand, TsvHasOneLinePerPointOfEveryCurve) {
    const auto rows = Rows(Output({"path", "--event", "626"}));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"curve", "latitude", "longitude", "time", "chain"}));
    const astro::BesselRecord r = astro::LoadCatalogue(astro::CataloguePath())[626];
    const astro::PathLimitSet set = astro::PathLimits(r, astro::DeltaT(r.Year, r.Month));
    std::size_t expected = 0;
    for (const astro::PathCurve c : astro::kPathCurves) {
        for (const astro::PathChain& chain : set.Chains(c)) {
            expected += chain.size();
        }
    }
    ASSERT_EQ(rows.size(), expected + 1);
    const astro::PathPoint& first = set.Chains(astro::PathCurve::Central).front().front();
    EXPECT_EQ(rows[1][0], "central");
    EXPECT_NEAR(std::stod(rows[1][1]), first.latitude, 1e-6);
    EXPECT_NEAR(std::stod(rows[1][2]), first.longitude, 1e-6);
    EXPECT_EQ(rows[1][4], "1");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 5u);
        EXPECT_TRUE(kCurveNames.contains(QString::fromStdString(rows[i][0])));
        EXPECT_TRUE(IsIsoTime(QString::fromStdString(rows[i][3]), true)) << rows[i][3];
        EXPECT_THAT(rows[i][3], ::testing::StartsWith("2024-04-07T"));
    }
}

TEST_F(PathCommand, TtKeepsDeltaTOut) {
    const auto ut = Rows(Output({"path", "--event", "626", "--ut"}));
    const auto tt = Rows(Output({"path", "--event", "626", "--tt"}));
    ASSERT_GT(ut.size(), 2u);
    ASSERT_GT(tt.size(), 2u);
    // The same first central point: in TT the Earth has not turned through Delta T.
    const astro::BesselRecord r = astro::LoadCatalogue(astro::CataloguePath())[626];
    const double deltaT = astro::DeltaT(r.Year, r.Month);
    EXPECT_NEAR(std::stod(ut[1][1]), std::stod(tt[1][1]), 1e-3);
    EXPECT_NEAR(std::remainder(std::stod(ut[1][2]) - std::stod(tt[1][2])
                                   - astro::earth::kRotationPerSecond * deltaT,
                               360.0),
                0.0, 1e-3);
    EXPECT_TRUE(IsIsoTime(QString::fromStdString(tt[1][3]), false)) << tt[1][3];
    // The instants of the axis' first contact are the same in TT and UT, shown ΔT apart.
    const auto seconds = [](const std::string& iso) {
        return std::stoi(iso.substr(11, 2)) * 3600 + std::stoi(iso.substr(14, 2)) * 60
               + std::stoi(iso.substr(17, 2));
    };
    EXPECT_NEAR(seconds(tt[1][3]) - seconds(ut[1][3]), deltaT, 1.0);
}

TEST_F(PathCommand, NumbersIgnoreTheLocale) {
    const std::vector<std::string> args[] = {{"path", "--event", "626", "--format", "tsv"},
                                             {"path", "--event", "626", "--format", "geojson"},
                                             {"path", "--event", "626", "--format", "kml"}};
    std::vector<std::string> plain;
    for (const auto& a : args) {
        plain.push_back(Output(a));
    }
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    std::locale previous = std::locale::global(chosen ? std::locale(chosen) : std::locale());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::vector<std::string> local;
    for (const auto& a : args) {
        local.push_back(Output(a));
    }
    std::locale::global(previous);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(local[i], plain[i]) << args[i][4];
    }
    EXPECT_THAT(plain[0], HasSubstr("\t-9.313"));  // "." decimals
    if (chosen == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
}

TEST_F(PathCommand, WrongArgumentsExitWithTwo) {
    const struct {
        std::vector<std::string> args;
        const char* words;
    } cases[] = {
        {{"path"}, "path needs --event"},
        {{"path", "--event", "0"}, "outside 1..1780"},
        {{"path", "--event", "1", "--format", "gpx"}, "--format must be tsv, geojson or kml"},
        {{"path", "--event", "1", "--ut", "--tt"}, "--ut and --tt exclude each other"},
        {{"path", "--event", "1", "--lang", "de"}, "does not apply to 'path'"},
        {{"path", "--event", "1", "--format", "kml", "--curves", "sky"},
         "--curves must be visibility"},
        {{"path", "--event", "1", "--curves", "visibility"}, "needs --format geojson or kml"},
    };

    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), kExitUsage) << c.words;
        EXPECT_THAT(m_err.str(), HasSubstr(c.words));
        EXPECT_EQ(m_out.str(), "");
    }
}

// The visibility curves follow the path's features, with the properties map programs filter on;
// the path's own features stay as they are without the option.
TEST_F(PathCommand, VisibilityCurvesAddFeaturesWithTheirProperties) {
    const std::vector<std::string> base = {"path", "--event", std::to_string(kCrossingEvent),
                                           "--format", "geojson"};
    std::vector<std::string> withCurves = base;
    withCurves.insert(withCurves.end(), {"--curves", "visibility"});
    const QJsonArray plain = QJsonDocument::fromJson(QByteArray::fromStdString(Output(base)))
                                 .object()["features"]
                                 .toArray();
    const QJsonArray features =
        QJsonDocument::fromJson(QByteArray::fromStdString(Output(withCurves)))
            .object()["features"]
            .toArray();
    ASSERT_GT(features.size(), plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(features[i], plain[i]);
    }
    static const QRegularExpression tenMinutes("^2020-12-1\\dT\\d\\d:\\d0:00Z$");
    std::map<std::string, int> kinds;
    for (qsizetype i = plain.size(); i < features.size(); ++i) {
        const QJsonObject properties = features[i].toObject()["properties"].toObject();
        const QString curve = properties["curve"].toString();
        const QString contact = properties["contact"].toString();
        ++kinds[curve.toStdString()];
        EXPECT_TRUE(contact == "D" || contact == "R") << contact.toStdString();
        if (curve == "contour") {
            EXPECT_TRUE(tenMinutes.match(properties["time"].toString()).hasMatch())
                << properties["time"].toString().toStdString();
            const QString seen = properties["seen"].toString();
            EXPECT_TRUE(seen == "dark" || seen == "bright") << seen.toStdString();
        } else if (curve == "twilight") {
            const double altitude = properties["sun_altitude"].toDouble(1.0);
            EXPECT_TRUE(altitude == 0.0 || altitude == -6.0) << altitude;
        } else {
            EXPECT_EQ(curve, "horizon");
        }
    }
    EXPECT_GT(kinds["contour"], 10);
    EXPECT_GT(kinds["horizon"], 0);
    EXPECT_GT(kinds["twilight"], 0);

    const std::string kml = Output({"path", "--event", std::to_string(kCrossingEvent), "--format",
                                    "kml", "--curves", "visibility"});
    EXPECT_THAT(kml, HasSubstr("<Style id=\"contour-D-dark\">"));
    EXPECT_THAT(kml, HasSubstr("<styleUrl>#contour-R-bright</styleUrl>"));
    EXPECT_THAT(kml, HasSubstr("<Data name=\"sun_altitude\">"));
}

TEST(CutAtAntimeridian, SplitsWhereTheChainCrosses180Degrees) {
    // Eastwards across the meridian, and back westwards.
    const astro::PathChain chain = {
        {10.0, 178.0, 0.0}, {12.0, -178.0, 1.0}, {14.0, -176.0, 2.0}, {16.0, 179.0, 3.0}};
    const auto parts = CutAtAntimeridian(chain);
    ASSERT_EQ(parts.size(), 3u);
    ASSERT_EQ(parts[0].size(), 2u);
    EXPECT_EQ(parts[0][1].longitude, 180.0);
    EXPECT_DOUBLE_EQ(parts[0][1].latitude, 11.0);  // halfway from 178 to 182
    EXPECT_DOUBLE_EQ(parts[0][1].t, 0.5);
    ASSERT_EQ(parts[1].size(), 4u);
    EXPECT_EQ(parts[1][0].longitude, -180.0);
    EXPECT_DOUBLE_EQ(parts[1][0].latitude, 11.0);
    EXPECT_EQ(parts[1][3].longitude, -180.0);  // -176 to 179 runs west through -180
    EXPECT_DOUBLE_EQ(parts[1][3].latitude, 14.0 + 2.0 * 4.0 / 5.0);
    ASSERT_EQ(parts[2].size(), 2u);
    EXPECT_EQ(parts[2][0].longitude, 180.0);
    EXPECT_EQ(parts[2][1].longitude, 179.0);

    // A chain that stays on one side is one part, unchanged.
    const astro::PathChain west = {{0.0, -170.0, 0.0}, {1.0, -175.0, 1.0}};
    EXPECT_EQ(CutAtAntimeridian(west).size(), 1u);
    EXPECT_EQ(CutAtAntimeridian({{0.0, 10.0, 0.0}, {0.0, 20.0, 1.0}}).size(), 1u);
}

TEST(IsoDateTime, RoundsToTheSecondAndMarksUniversalTime) {
    EXPECT_EQ(IsoDateTime(2451545.0, true), "2000-01-01T12:00:00Z");
    EXPECT_EQ(IsoDateTime(2451545.0, false), "2000-01-01T12:00:00");
    // 0.6 s before midnight stays on the day; 0.4 s before it rounds into the next one.
    EXPECT_EQ(IsoDateTime(2451545.5 - 0.6 / 86400.0, true), "2000-01-01T23:59:59Z");
    EXPECT_EQ(IsoDateTime(2451545.5 - 0.4 / 86400.0, true), "2000-01-02T00:00:00Z");
    EXPECT_EQ(IsoDateTime(1721057.5, true), "0000-01-01T00:00:00Z");
}

}  // namespace
}  // namespace zimbalo::cli
