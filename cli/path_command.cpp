#include "cli/path_command.h"

#include <cmath>
#include <cstdint>
#include <string>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QXmlStreamWriter>

#include "astro/local_circumstances.h"
#include "astro/time_scales.h"
#include "lists/list_text.h"
#include "lists/number_text.h"

namespace zimbalo::cli {

namespace {

// Decimals of the exported degrees: 1e-6 degree is about 0.1 m.
constexpr int kDegreeDecimals = 6;

std::string TwoDigits(std::int64_t v) {
    return (v < 10 ? "0" : "") + lists::FormatInt(v);
}

// ISO 8601 calendar date; years beyond four digits keep all of theirs.
std::string IsoDate(int year, int month, int day) {
    std::string y = lists::FormatInt(year < 0 ? -std::int64_t{year} : year);
    if (y.size() < 4) {
        y.insert(0, 4 - y.size(), '0');
    }
    return (year < 0 ? "-" : "") + y + "-" + TwoDigits(month) + "-" + TwoDigits(day);
}

double Rounded(double degrees) {
    const double scale = std::pow(10.0, kDegreeDecimals);
    return lists::RoundHalfEven(degrees * scale) / scale;
}

std::string Degrees(double degrees) {
    return lists::FormatFixed(degrees, kDegreeDecimals);
}

struct PathText {
    std::string planet;
    std::string date;       // date of greatest occultation in the time scale of the export
    std::string timeScale;  // "UT" or "TT"
    double deltaT = 0.0;
};

PathText Describe(const PathRequest& request) {
    const astro::BesselRecord& r = request.record;
    PathText text;
    text.planet = std::string(lists::TrimBlanks(lists::PlanetName(r.Planet, Language::English)));
    text.deltaT = request.universalTime ? astro::DeltaT(r.Year, r.Month) : 0.0;
    text.timeScale = request.universalTime ? "UT" : "TT";
    const std::string greatest = IsoDateTime(r.EventJD - text.deltaT / 86400.0, false);
    text.date = greatest.substr(0, greatest.find('T'));
    return text;
}

std::string PointTime(const PathRequest& request, double deltaT, double t) {
    return IsoDateTime(astro::ContactUT(request.record, deltaT, t), request.universalTime);
}

void WriteTsv(const PathRequest& request, const astro::PathLimitSet& set, std::ostream& out) {
    out << "curve\tlatitude\tlongitude\ttime\tchain\n";
    for (const astro::PathCurve curve : astro::kPathCurves) {
        int number = 0;
        for (const astro::PathChain& chain : set.Chains(curve)) {
            ++number;
            for (const astro::PathPoint& p : chain) {
                out << astro::PathCurveName(curve) << '\t' << Degrees(p.latitude) << '\t'
                    << Degrees(p.longitude) << '\t' << PointTime(request, set.deltaT, p.t) << '\t'
                    << lists::FormatInt(number) << '\n';
            }
        }
    }
}

// The parts of a curve as map programs want them: cut at the 180th meridian.
std::vector<astro::PathChain> Parts(const std::vector<astro::PathChain>& chains) {
    std::vector<astro::PathChain> parts;
    for (const astro::PathChain& chain : chains) {
        for (astro::PathChain& part : CutAtAntimeridian(chain)) {
            if (part.size() >= 2) {
                parts.push_back(std::move(part));
            }
        }
    }
    return parts;
}

// A visibility curve as a chain for the cut at the 180th meridian (the instants unused).
astro::PathChain ChainOf(const astro::VisibilityCurve& curve) {
    astro::PathChain chain;
    chain.reserve(curve.points.size());
    for (const astro::CurvePoint& p : curve.points) {
        chain.push_back({p.latitude, p.longitude, 0.0});
    }
    return chain;
}

void AppendVisibilityFeatures(const PathRequest& request, const PathText& text,
                              const astro::VisibilityCurveSet& curves, QJsonArray& features) {
    for (const astro::VisibilityCurve& curve : curves.curves) {
        const std::vector<astro::PathChain> parts = Parts({ChainOf(curve)});
        if (parts.empty()) {
            continue;
        }
        QJsonArray lines;
        for (const astro::PathChain& part : parts) {
            QJsonArray positions;
            for (const astro::PathPoint& p : part) {
                positions.append(QJsonArray{Rounded(p.longitude), Rounded(p.latitude)});
            }
            lines.append(positions);
        }
        QJsonObject geometry;
        geometry.insert("type", parts.size() == 1 ? "LineString" : "MultiLineString");
        geometry.insert("coordinates", parts.size() == 1 ? lines.at(0) : lines);
        QJsonObject properties;
        properties.insert("curve", astro::VisibilityCurveKindName(curve.kind));
        properties.insert("contact", astro::ContactKindName(curve.contact));
        if (curve.kind == astro::VisibilityCurveKind::Contour) {
            properties.insert("time",
                              QString::fromStdString(PointTime(request, curves.deltaT, curve.t)));
            properties.insert("seen", curve.seen == astro::SkySeen::Dark ? "dark" : "bright");
        }
        if (curve.kind == astro::VisibilityCurveKind::Twilight) {
            properties.insert("sun_altitude", curve.sunAltitude);
        }
        properties.insert("event", request.event);
        properties.insert("timeScale", QString::fromStdString(text.timeScale));
        QJsonObject feature;
        feature.insert("type", "Feature");
        feature.insert("geometry", geometry);
        feature.insert("properties", properties);
        features.append(feature);
    }
}

void WriteGeoJson(const PathRequest& request, const astro::PathLimitSet& set,
                  const astro::VisibilityCurveSet* curves, std::ostream& out) {
    const PathText text = Describe(request);
    QJsonArray features;
    for (const astro::PathCurve curve : astro::kPathCurves) {
        const std::vector<astro::PathChain> parts = Parts(set.Chains(curve));
        if (parts.empty()) {
            continue;
        }
        QJsonArray lines;
        QJsonArray times;
        for (const astro::PathChain& part : parts) {
            QJsonArray positions;
            QJsonArray partTimes;
            for (const astro::PathPoint& p : part) {
                // RFC 7946: longitude first.
                positions.append(QJsonArray{Rounded(p.longitude), Rounded(p.latitude)});
                partTimes.append(QString::fromStdString(PointTime(request, set.deltaT, p.t)));
            }
            lines.append(positions);
            times.append(partTimes);
        }
        const bool single = parts.size() == 1;
        QJsonObject geometry;
        geometry.insert("type", single ? "LineString" : "MultiLineString");
        geometry.insert("coordinates", single ? lines.at(0) : lines);
        QJsonObject properties;
        properties.insert("curve", astro::PathCurveName(curve));
        properties.insert("event", request.event);
        properties.insert("planet", QString::fromStdString(text.planet));
        properties.insert("date", QString::fromStdString(text.date));
        properties.insert("timeScale", QString::fromStdString(text.timeScale));
        properties.insert("times", single ? times.at(0) : times);
        QJsonObject feature;
        feature.insert("type", "Feature");
        feature.insert("geometry", geometry);
        feature.insert("properties", properties);
        features.append(feature);
    }
    if (curves != nullptr) {
        AppendVisibilityFeatures(request, text, *curves, features);
    }
    QJsonObject collection;
    collection.insert("type", "FeatureCollection");
    collection.insert("features", features);
    const QByteArray json = QJsonDocument(collection).toJson(QJsonDocument::Indented);
    out.write(json.constData(), json.size());
}

struct KmlStyle {
    const char* id;
    const char* colour;  // aabbggrr
    const char* width;
};

// The globe's colours: the central line yellow, the penumbra's limits in the same colour but
// thinner, the umbra's darker.
constexpr KmlStyle kKmlStyles[] = {
    {"central", "ff00ffff", "3"},
    {"penumbra", "ff00ffff", "1.5"},
    {"umbra", "ff0090c0", "1.5"},
};

// The visibility layer's colours: D blue, R orange, solid (opaque, wider) where the sky is dark
// and faint where it is bright; the horizon green, the Sun's 0 degrees gold and -6 violet.
constexpr KmlStyle kKmlVisibilityStyles[] = {
    {"contour-D-dark", "ffff9900", "2"}, {"contour-D-bright", "80ff9900", "1"},
    {"contour-R-dark", "ff0066ff", "2"}, {"contour-R-bright", "800066ff", "1"},
    {"horizon", "ff00c000", "1.5"},      {"twilight-0", "ff00d7ff", "1.5"},
    {"twilight-6", "ffff78c8", "1.5"},
};

std::string KmlStyleOf(const astro::VisibilityCurve& curve) {
    switch (curve.kind) {
        case astro::VisibilityCurveKind::Contour:
            return std::string("#contour-") + astro::ContactKindName(curve.contact)
                   + (curve.seen == astro::SkySeen::Dark ? "-dark" : "-bright");
        case astro::VisibilityCurveKind::Horizon:
            return "#horizon";
        case astro::VisibilityCurveKind::Twilight:
            return curve.sunAltitude == 0.0 ? "#twilight-0" : "#twilight-6";
    }
    return "#horizon";
}

void WriteKmlStyle(QXmlStreamWriter& xml, const KmlStyle& style) {
    xml.writeStartElement("Style");
    xml.writeAttribute("id", style.id);
    xml.writeStartElement("LineStyle");
    xml.writeTextElement("color", style.colour);
    xml.writeTextElement("width", style.width);
    xml.writeEndElement();
    xml.writeEndElement();
}

void WriteKmlData(QXmlStreamWriter& xml, const char* name, const std::string& value) {
    xml.writeStartElement("Data");
    xml.writeAttribute("name", name);
    xml.writeTextElement("value", QString::fromStdString(value));
    xml.writeEndElement();
}

const char* KmlStyleOf(astro::PathCurve curve) {
    switch (curve) {
        case astro::PathCurve::Central:
            return "#central";
        case astro::PathCurve::PenumbraNorth:
        case astro::PathCurve::PenumbraSouth:
            return "#penumbra";
        case astro::PathCurve::UmbraNorth:
        case astro::PathCurve::UmbraSouth:
            return "#umbra";
    }
    return "#central";
}

void WriteKmlLine(QXmlStreamWriter& xml, const astro::PathChain& part) {
    xml.writeStartElement("LineString");
    xml.writeTextElement("tessellate", "1");
    std::string coordinates;
    for (const astro::PathPoint& p : part) {
        if (!coordinates.empty()) {
            coordinates += ' ';
        }
        coordinates += Degrees(p.longitude) + "," + Degrees(p.latitude) + ",0";
    }
    xml.writeTextElement("coordinates", QString::fromStdString(coordinates));
    xml.writeEndElement();
}

// A curve's parts: one line, or several in one MultiGeometry.
void WriteKmlParts(QXmlStreamWriter& xml, const std::vector<astro::PathChain>& parts) {
    if (parts.size() == 1) {
        WriteKmlLine(xml, parts.front());
        return;
    }
    xml.writeStartElement("MultiGeometry");
    for (const astro::PathChain& part : parts) {
        WriteKmlLine(xml, part);
    }
    xml.writeEndElement();
}

void WriteKmlVisibility(QXmlStreamWriter& xml, const PathRequest& request,
                        const astro::VisibilityCurveSet& curves) {
    for (const astro::VisibilityCurve& curve : curves.curves) {
        const std::vector<astro::PathChain> parts = Parts({ChainOf(curve)});
        if (parts.empty()) {
            continue;
        }
        xml.writeStartElement("Placemark");
        std::string name = std::string(astro::VisibilityCurveKindName(curve.kind)) + " "
                           + astro::ContactKindName(curve.contact);
        xml.writeTextElement("styleUrl", QString::fromStdString(KmlStyleOf(curve)));
        xml.writeStartElement("ExtendedData");
        WriteKmlData(xml, "curve", astro::VisibilityCurveKindName(curve.kind));
        WriteKmlData(xml, "contact", astro::ContactKindName(curve.contact));
        if (curve.kind == astro::VisibilityCurveKind::Contour) {
            const std::string time = PointTime(request, curves.deltaT, curve.t);
            WriteKmlData(xml, "time", time);
            WriteKmlData(xml, "seen", curve.seen == astro::SkySeen::Dark ? "dark" : "bright");
            name += " " + time.substr(time.find('T') + 1, 5);
        }
        if (curve.kind == astro::VisibilityCurveKind::Twilight) {
            const std::string altitude = lists::FormatInt(std::lround(curve.sunAltitude));
            WriteKmlData(xml, "sun_altitude", altitude);
            name += " " + altitude;
        }
        xml.writeEndElement();
        xml.writeTextElement("name", QString::fromStdString(name));
        WriteKmlParts(xml, parts);
        xml.writeEndElement();
    }
}

void WriteKml(const PathRequest& request, const astro::PathLimitSet& set,
              const astro::VisibilityCurveSet* curves, std::ostream& out) {
    const PathText text = Describe(request);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace("http://www.opengis.net/kml/2.2");
    xml.writeStartElement("kml");
    xml.writeStartElement("Document");
    xml.writeTextElement(
        "name", QString::fromStdString("Occultation of " + text.planet + ", " + text.date
                                       + " (event " + lists::FormatInt(request.event) + ")"));
    for (const KmlStyle& style : kKmlStyles) {
        WriteKmlStyle(xml, style);
    }
    if (curves != nullptr) {
        for (const KmlStyle& style : kKmlVisibilityStyles) {
            WriteKmlStyle(xml, style);
        }
    }
    for (const astro::PathCurve curve : astro::kPathCurves) {
        const std::vector<astro::PathChain> parts = Parts(set.Chains(curve));
        if (parts.empty()) {
            continue;
        }
        xml.writeStartElement("Placemark");
        xml.writeTextElement("name", astro::PathCurveName(curve));
        const std::string from = PointTime(request, set.deltaT, parts.front().front().t);
        const std::string to = PointTime(request, set.deltaT, parts.back().back().t);
        xml.writeTextElement("description",
                             QString::fromStdString(text.timeScale + " " + from + " to " + to));
        xml.writeTextElement("styleUrl", KmlStyleOf(curve));
        xml.writeStartElement("ExtendedData");
        const std::pair<const char*, std::string> data[] = {
            {"event", lists::FormatInt(request.event)},
            {"planet", text.planet},
            {"date", text.date},
            {"timeScale", text.timeScale}};
        for (const auto& [name, value] : data) {
            xml.writeStartElement("Data");
            xml.writeAttribute("name", name);
            xml.writeTextElement("value", QString::fromStdString(value));
            xml.writeEndElement();
        }
        xml.writeEndElement();
        WriteKmlParts(xml, parts);
        xml.writeEndElement();
    }
    if (curves != nullptr) {
        WriteKmlVisibility(xml, request, *curves);
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    out.write(bytes.constData(), bytes.size());
}

}  // namespace

std::optional<PathFormat> ParsePathFormat(std::string_view name) {
    if (name == "tsv") {
        return PathFormat::Tsv;
    }
    if (name == "geojson") {
        return PathFormat::GeoJson;
    }
    if (name == "kml") {
        return PathFormat::Kml;
    }
    return std::nullopt;
}

std::vector<astro::PathChain> CutAtAntimeridian(const astro::PathChain& chain) {
    std::vector<astro::PathChain> parts(1);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const astro::PathPoint& p = chain[i];
        if (i > 0) {
            const astro::PathPoint& q = chain[i - 1];
            // The short way from q to p; it crosses the meridian when it leaves [-180, 180].
            const double unwrapped = q.longitude + std::remainder(p.longitude - q.longitude, 360.0);
            if (unwrapped > 180.0 || unwrapped < -180.0) {
                const double edge = unwrapped > 180.0 ? 180.0 : -180.0;
                const double f = (edge - q.longitude) / (unwrapped - q.longitude);
                const astro::PathPoint crossing{q.latitude + f * (p.latitude - q.latitude), edge,
                                                q.t + f * (p.t - q.t)};
                parts.back().push_back(crossing);
                parts.push_back({{crossing.latitude, -edge, crossing.t}});
            }
        }
        parts.back().push_back(p);
    }
    return parts;
}

std::string IsoDateTime(double jd, bool universal) {
    const auto seconds = static_cast<std::int64_t>(lists::RoundHalfEven((jd + 0.5) * 86400.0));
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const std::int64_t ofDay = seconds - days * 86400;
    // The noon of the civil day gives its date, clear of rounding at midnight.
    const astro::CalendarDate date = astro::JDToCalendar(static_cast<double>(days));
    return IsoDate(date.year, date.month, date.day) + "T" + TwoDigits(ofDay / 3600) + ":"
           + TwoDigits(ofDay / 60 % 60) + ":" + TwoDigits(ofDay % 60) + (universal ? "Z" : "");
}

void WritePath(const PathRequest& request, PathFormat format, std::ostream& out) {
    const astro::BesselRecord& r = request.record;
    const double deltaT = request.universalTime ? astro::DeltaT(r.Year, r.Month) : 0.0;
    const astro::PathLimitSet set = astro::PathLimits(r, deltaT);
    std::optional<astro::VisibilityCurveSet> curves;
    if (request.visibility && format != PathFormat::Tsv) {
        curves = astro::VisibilityCurves(r, deltaT);
    }
    const astro::VisibilityCurveSet* extra = curves ? &*curves : nullptr;
    switch (format) {
        case PathFormat::Tsv:
            WriteTsv(request, set, out);
            break;
        case PathFormat::GeoJson:
            WriteGeoJson(request, set, extra, out);
            break;
        case PathFormat::Kml:
            WriteKml(request, set, extra, out);
            break;
    }
}

}  // namespace zimbalo::cli
