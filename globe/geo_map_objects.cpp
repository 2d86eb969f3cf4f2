#include "globe/geo_map_objects.h"

#include <algorithm>
#include <limits>

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

#include "globe/geo_exception.h"

namespace zimbalo::globe {

namespace {

constexpr std::int64_t kFullCircle = gu::FullCircle;
constexpr std::int64_t kMaxLon = gu::MaxLongitude;

// Splits a rectangle at +180 degrees into at most two pieces that lie inside -180 .. +180. A
// rectangle covers the GU from Left to Left + Width - 1; its left edge is first brought into the
// longitude range, so that a rectangle grown beyond -180 degrees wraps as well.
int rectPieces(const GeoRect& r, GeoRect out[2]) {
    if (r.Width >= kFullCircle) {
        out[0] =
            GeoRect{gu::MinLongitude, r.Bottom, static_cast<std::int32_t>(kFullCircle), r.Height};
        return 1;
    }
    const std::int64_t left = NormalizeLongitude(r.Left);
    const std::int64_t right = left + r.Width;  // first GU beyond the rectangle
    if (right <= kMaxLon + 1) {
        out[0] = GeoRect{static_cast<std::int32_t>(left), r.Bottom, r.Width, r.Height};
        return 1;
    }
    out[0] = GeoRect{static_cast<std::int32_t>(left), r.Bottom,
                     static_cast<std::int32_t>(kMaxLon + 1 - left), r.Height};
    out[1] = GeoRect{gu::MinLongitude, r.Bottom, static_cast<std::int32_t>(right - (kMaxLon + 1)),
                     r.Height};
    return 2;
}

bool piecesMeet(const GeoRect& a, const GeoRect& b) {
    return std::int64_t{a.Left} < std::int64_t{b.Left} + b.Width
           && std::int64_t{b.Left} < std::int64_t{a.Left} + a.Width
           && std::int64_t{a.Bottom} < std::int64_t{b.Bottom} + b.Height
           && std::int64_t{b.Bottom} < std::int64_t{a.Bottom} + a.Height;
}

std::int32_t clampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

constexpr quint32 kEncodingMagic = 0x5A474F31;  // "ZGO1"

}  // namespace

bool GeoRectsMeet(const GeoRect& a, const GeoRect& b) {
    if (a.Width <= 0 || a.Height <= 0 || b.Width <= 0 || b.Height <= 0) {
        return false;
    }
    GeoRect pa[2];
    GeoRect pb[2];
    const int na = rectPieces(a, pa);
    const int nb = rectPieces(b, pb);
    for (int i = 0; i < na; ++i) {
        for (int j = 0; j < nb; ++j) {
            if (piecesMeet(pa[i], pb[j])) {
                return true;
            }
        }
    }
    return false;
}

bool GeoRectContains(const GeoRect& r, const GeoPoint& p) {
    return GeoRectsMeet(r, GeoRect{p.Longitude, p.Latitude, 1, 1});
}

GeoRect GeoRectGrown(const GeoRect& r, std::int32_t by) {
    return GeoRect{clampToInt32(std::int64_t{r.Left} - by),
                   clampToInt32(std::int64_t{r.Bottom} - by),
                   clampToInt32(std::int64_t{r.Width} + 2 * std::int64_t{by}),
                   clampToInt32(std::int64_t{r.Height} + 2 * std::int64_t{by})};
}

std::vector<QString> SplitCSL(const QString& csl) {
    std::vector<QString> values;
    if (csl.isEmpty()) {
        return values;
    }
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < csl.size(); ++i) {
        const QChar c = csl.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < csl.size() && csl.at(i + 1) == u'"') {
                    current += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                current += c;
            }
        } else if (c == u'"' && current.isEmpty()) {
            quoted = true;
        } else if (c == u',') {
            values.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    values.push_back(current);
    return values;
}

QString JoinCSL(const std::vector<QString>& values) {
    QString out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            out += u',';
        }
        const QString& v = values[i];
        if (v.contains(u',') || v.startsWith(u'"')) {
            QString escaped = v;
            escaped.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            out += u'"' + escaped + u'"';
        } else {
            out += v;
        }
    }
    return out;
}

// ---- GeoPointStore ---------------------------------------------------------------------------

void GeoPointStore::SetPoint(int i, const GeoPoint& p) {
    GeoPoint& target = m_points.at(static_cast<std::size_t>(i));
    target = p;
    if (m_owner != nullptr && !m_owner->StoreHeight()) {
        target.Height = 0;
    }
    changed();
}

void GeoPointStore::Add(const GeoPoint& p) {
    m_points.push_back(p);
    if (m_owner != nullptr && !m_owner->StoreHeight()) {
        m_points.back().Height = 0;
    }
    changed();
}

void GeoPointStore::Clear() {
    m_points.clear();
    changed();
}

void GeoPointStore::SetHidden(bool hidden) {
    if (hidden != m_hidden) {
        m_hidden = hidden;
        changed();
    }
}

void GeoPointStore::Offset(std::int64_t dLon, std::int64_t dLat) {
    for (GeoPoint& p : m_points) {
        p.Longitude = NormalizeLongitude(p.Longitude + dLon);
        p.Latitude = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(p.Latitude + dLat, -gu::MaxLatitude, gu::MaxLatitude));
    }
    changed();
}

void GeoPointStore::changed() {
    if (m_owner != nullptr) {
        m_owner->Changed();
    }
}

GeoPointStore::GeoPointStore(const GeoPointStore& other, GeoChainStore* owner)
    : m_owner(owner), m_points(other.m_points), m_hidden(other.m_hidden) {}

// ---- GeoChainStore ---------------------------------------------------------------------------

GeoChainStore::GeoChainStore(const GeoChainStore& other, GeoMapPoly* owner)
    : m_owner(owner), m_storeHeight(other.m_storeHeight) {
    for (const auto& chain : other.m_chains) {
        m_chains.push_back(std::make_unique<GeoPointStore>(*chain, this));
    }
}

GeoChainStore& GeoChainStore::operator=(const GeoChainStore& other) {
    if (this != &other) {
        m_chains.clear();
        m_storeHeight = other.m_storeHeight;
        for (const auto& chain : other.m_chains) {
            m_chains.push_back(std::make_unique<GeoPointStore>(*chain, this));
        }
        Changed();
    }
    return *this;
}

GeoPointStore& GeoChainStore::Chain(int i) {
    if (i < 0) {
        throw GeoException(QStringLiteral("GeoChainStore: Bad chain index %1").arg(i));
    }
    while (Count() <= i) {
        Add();
    }
    return *m_chains[static_cast<std::size_t>(i)];
}

GeoPointStore& GeoChainStore::Add() {
    m_chains.push_back(std::make_unique<GeoPointStore>(this));
    Changed();
    return *m_chains.back();
}

void GeoChainStore::Clear() {
    m_chains.clear();
    Changed();
}

int GeoChainStore::PointCount() const {
    int n = 0;
    for (const auto& chain : m_chains) {
        n += chain->Count();
    }
    return n;
}

void GeoChainStore::Changed() {
    if (m_owner != nullptr) {
        m_owner->Touched();
    }
}

// ---- GeoMapPoint -----------------------------------------------------------------------------

GeoMapPoint::GeoMapPoint(const GeoMapPoint& other) : std::enable_shared_from_this<GeoMapPoint>() {
    other.copyDataTo(*this);
}

void GeoMapPoint::copyDataTo(GeoMapPoint& target) const {
    target.m_location = m_location;
    target.m_presenterID = m_presenterID;
    target.m_hidden = m_hidden;
    target.m_selected = m_selected;
    target.m_userID = m_userID;
    target.m_dataCSL = m_dataCSL;
    target.m_boundsValid = false;
}

std::shared_ptr<GeoMapPoint> GeoMapPoint::Clone() const {
    return std::shared_ptr<GeoMapPoint>(new GeoMapPoint(*this));
}

void GeoMapPoint::SetLocation(const GeoPoint& p) {
    m_location = p;
    Touched();
}

const GeoRect& GeoMapPoint::Bounds() const {
    if (!m_boundsValid) {
        m_bounds = computeBounds();
        m_boundsValid = true;
    }
    return m_bounds;
}

GeoRect GeoMapPoint::computeBounds() const {
    return GeoRect{m_location.Longitude, m_location.Latitude, 1, 1};
}

void GeoMapPoint::Touched() {
    m_modified = true;
    m_boundsValid = false;
}

void GeoMapPoint::SetPresenterID(int id) {
    m_presenterID = id;
    m_modified = true;
}

void GeoMapPoint::SetHidden(bool hidden) {
    m_hidden = hidden;
    m_modified = true;
}

void GeoMapPoint::SetSelected(bool selected) {
    m_selected = selected;
    m_modified = true;
}

void GeoMapPoint::SetUserID(const QString& id) {
    m_userID = id;
    m_modified = true;
}

void GeoMapPoint::SetObjectDataCSL(const QString& csl) {
    m_dataCSL = csl;
    m_modified = true;
}

QString GeoMapPoint::ObjectData(int column) const {
    if (column < 0) {
        return {};
    }
    const std::vector<QString> values = SplitCSL(m_dataCSL);
    const auto index = static_cast<std::size_t>(column);
    return index < values.size() ? values[index] : QString();
}

void GeoMapPoint::SetObjectData(int column, const QString& value) {
    if (column < 0) {
        return;
    }
    std::vector<QString> values = SplitCSL(m_dataCSL);
    const auto index = static_cast<std::size_t>(column);
    if (values.size() <= index) {
        values.resize(index + 1);
    }
    values[index] = value;
    SetObjectDataCSL(JoinCSL(values));
}

// ---- GeoMapPoly ------------------------------------------------------------------------------

GeoMapPoly::GeoMapPoly(const GeoMapPoly& other) : GeoMapPoint(other), m_closed(other.m_closed) {
    if (other.m_chains) {
        m_chains = std::make_unique<GeoChainStore>(*other.m_chains, this);
    }
}

std::shared_ptr<GeoMapPoint> GeoMapPoly::Clone() const {
    return std::shared_ptr<GeoMapPoint>(new GeoMapPoly(*this));
}

GeoChainStore& GeoMapPoly::Chains() {
    if (!m_chains) {
        m_chains = std::make_unique<GeoChainStore>(this);
    }
    return *m_chains;
}

const GeoChainStore& GeoMapPoly::Chains() const {
    static const GeoChainStore empty;
    return m_chains ? *m_chains : empty;
}

void GeoMapPoly::SetClosed(bool closed) {
    m_closed = closed;
    SetModified(true);
}

void GeoMapPoly::SetLocation(const GeoPoint& p) {
    const GeoPoint old = Location();
    GeoMapPoint::SetLocation(p);
    if (m_chains) {
        const std::int64_t dLon = std::int64_t{p.Longitude} - old.Longitude;
        const std::int64_t dLat = std::int64_t{p.Latitude} - old.Latitude;
        if (dLon != 0 || dLat != 0) {
            for (int i = 0; i < m_chains->Count(); ++i) {
                m_chains->Chain(i).Offset(dLon, dLat);
            }
        }
    }
}

GeoRect GeoMapPoly::computeBounds() const {
    std::int64_t minLon = std::numeric_limits<std::int64_t>::max();
    std::int64_t minLat = minLon;
    std::int64_t maxLon = std::numeric_limits<std::int64_t>::min();
    std::int64_t maxLat = maxLon;
    const GeoChainStore& chains = Chains();
    for (int c = 0; c < chains.Count(); ++c) {
        for (const GeoPoint& p : chains.Chain(c).Points()) {
            minLon = std::min<std::int64_t>(minLon, p.Longitude);
            maxLon = std::max<std::int64_t>(maxLon, p.Longitude);
            minLat = std::min<std::int64_t>(minLat, p.Latitude);
            maxLat = std::max<std::int64_t>(maxLat, p.Latitude);
        }
    }
    if (minLon > maxLon) {
        return GeoMapPoint::computeBounds();
    }
    // A line along one meridian or parallel still covers one GU across, so it is never empty.
    return GeoRect{static_cast<std::int32_t>(minLon), static_cast<std::int32_t>(minLat),
                   static_cast<std::int32_t>(std::max<std::int64_t>(1, maxLon - minLon)),
                   static_cast<std::int32_t>(std::max<std::int64_t>(1, maxLat - minLat))};
}

// ---- Encoding --------------------------------------------------------------------------------

QByteArray EncodeMapObject(const GeoMapPoint& object) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    const GeoPoint& loc = object.Location();
    out << kEncodingMagic << static_cast<qint32>(object.Kind()) << loc.Longitude << loc.Latitude
        << loc.Height << static_cast<qint32>(object.PresenterID()) << object.Hidden()
        << object.Selected() << object.UserID() << object.ObjectDataCSL();
    if (object.Kind() == GeoObjectKind::Poly) {
        const auto& poly = static_cast<const GeoMapPoly&>(object);
        const GeoChainStore& chains = poly.Chains();
        out << poly.Closed() << chains.StoreHeight() << static_cast<qint32>(chains.Count());
        for (int c = 0; c < chains.Count(); ++c) {
            const GeoPointStore& chain = chains.Chain(c);
            out << chain.Hidden() << static_cast<qint32>(chain.Count());
            for (const GeoPoint& p : chain.Points()) {
                out << p.Longitude << p.Latitude << p.Height;
            }
        }
    }
    return bytes;
}

namespace {

/// Reads the part of an encoded poly after the common fields: closed flag, height flag and the
/// chains. Null when the bytes are damaged (a count is negative or beyond the bytes' size).
std::shared_ptr<GeoMapPoly> decodePolyChains(QDataStream& in, qsizetype size) {
    auto poly = std::make_shared<GeoMapPoly>();
    bool closed = false;
    bool storeHeight = false;
    qint32 chainCount = 0;
    in >> closed >> storeHeight >> chainCount;
    if (in.status() != QDataStream::Ok || chainCount < 0) {
        return nullptr;
    }
    poly->SetClosed(closed);
    if (chainCount == 0) {
        return poly;
    }
    GeoChainStore& chains = poly->Chains();
    chains.SetStoreHeight(storeHeight);
    for (qint32 c = 0; c < chainCount; ++c) {
        bool chainHidden = false;
        qint32 n = 0;
        in >> chainHidden >> n;
        if (in.status() != QDataStream::Ok || n < 0 || n > size) {
            return nullptr;
        }
        GeoPointStore& chain = chains.Add();
        chain.SetHidden(chainHidden);
        for (qint32 i = 0; i < n; ++i) {
            GeoPoint p;
            in >> p.Longitude >> p.Latitude >> p.Height;
            chain.Add(p);
        }
    }
    return poly;
}

}  // namespace

std::shared_ptr<GeoMapPoint> DecodeMapObject(const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    qint32 kind = 0;
    GeoPoint loc;
    qint32 presenterID = 0;
    bool hidden = false;
    bool selected = false;
    QString userID;
    QString data;
    in >> magic >> kind >> loc.Longitude >> loc.Latitude >> loc.Height >> presenterID >> hidden
        >> selected >> userID >> data;
    if (in.status() != QDataStream::Ok || magic != kEncodingMagic) {
        return nullptr;
    }
    std::shared_ptr<GeoMapPoint> object;
    if (kind == static_cast<qint32>(GeoObjectKind::Poly)) {
        object = decodePolyChains(in, bytes.size());
        if (!object) {
            return nullptr;
        }
    } else if (kind == static_cast<qint32>(GeoObjectKind::Point)) {
        object = std::make_shared<GeoMapPoint>();
    } else {
        return nullptr;
    }
    if (in.status() != QDataStream::Ok) {
        return nullptr;
    }
    // The poly's location is set without moving the chains that were just read.
    object->GeoMapPoint::SetLocation(loc);
    object->SetPresenterID(presenterID);
    object->SetHidden(hidden);
    object->SetSelected(selected);
    object->SetUserID(userID);
    object->SetObjectDataCSL(data);
    object->SetModified(false);
    return object;
}

}  // namespace zimbalo::globe
