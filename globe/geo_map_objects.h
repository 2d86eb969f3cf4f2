#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <QString>

#include "globe/geo_units.h"

/// Map objects of the globe: points and polylines/polygons with their chains of geographic points.
/// All coordinates are globe units (GU).
namespace zimbalo::globe {

class GeoObjectSource;
class GeoChainStore;
class GeoMapPoly;

/// True when the two rectangles share at least one GU; a rectangle reaching beyond +180 degrees is
/// tested as two pieces. Empty rectangles meet nothing.
bool GeoRectsMeet(const GeoRect& a, const GeoRect& b);

/// True when the geographic point lies inside the rectangle (same wrap rule as GeoRectsMeet).
bool GeoRectContains(const GeoRect& r, const GeoPoint& p);

/// The rectangle grown by `by` GU on every side (width and height grow by 2 x by).
GeoRect GeoRectGrown(const GeoRect& r, std::int32_t by);

/// Splits a comma-separated list into its values. Values holding a comma or a quote are written
/// in double quotes with inner quotes doubled, so any text survives a round trip.
std::vector<QString> SplitCSL(const QString& csl);

/// Joins values into a comma-separated list, quoting where SplitCSL needs it.
QString JoinCSL(const std::vector<QString>& values);

/// An ordered run of geographic points (one chain of a poly). Adding a point appends it.
class GeoPointStore {
public:
    GeoPointStore() = default;

    /// An empty chain of `owner`, which it tells of every change.
    explicit GeoPointStore(GeoChainStore* owner) : m_owner(owner) {}

    /// A copy of `other`'s points that belongs to `owner`.
    GeoPointStore(const GeoPointStore& other, GeoChainStore* owner);

    /// Number of points.
    int Count() const { return static_cast<int>(m_points.size()); }

    /// Point at index i (0 .. Count - 1).
    const GeoPoint& Point(int i) const { return m_points.at(static_cast<std::size_t>(i)); }

    /// Replaces point i.
    void SetPoint(int i, const GeoPoint& p);

    /// Appends a point (GU); its height is dropped unless the chain store keeps heights.
    void Add(const GeoPoint& p);

    /// Removes all points.
    void Clear();

    /// A hidden chain is not drawn.
    bool Hidden() const { return m_hidden; }

    void SetHidden(bool hidden);

    /// All points in order.
    std::span<const GeoPoint> Points() const { return m_points; }

    /// Moves every point by (dLon, dLat) GU, longitudes normalised.
    void Offset(std::int64_t dLon, std::int64_t dLat);

private:
    void changed();

    GeoChainStore* m_owner = nullptr;
    std::vector<GeoPoint> m_points;
    bool m_hidden = false;
};

/// The chains of a poly, in order. Every change tells the owning poly to drop its cached bounds.
class GeoChainStore {
public:
    GeoChainStore() = default;

    /// The empty chains of `owner`, which they tell of every change.
    explicit GeoChainStore(GeoMapPoly* owner) : m_owner(owner) {}

    /// A copy of `other`'s chains that belongs to `owner`.
    GeoChainStore(const GeoChainStore& other, GeoMapPoly* owner);

    /// A copy of the chains that belongs to no poly.
    GeoChainStore(const GeoChainStore& other) : GeoChainStore(other, nullptr) {}

    GeoChainStore& operator=(const GeoChainStore& other);

    /// Number of chains.
    int Count() const { return static_cast<int>(m_chains.size()); }

    /// Chain i; asking for a chain beyond the end appends empty chains up to it, so that
    /// `Chain(0).Add(p)` works on a new poly.
    GeoPointStore& Chain(int i);

    /// Chain i (0 .. Count - 1) for reading.
    const GeoPointStore& Chain(int i) const { return *m_chains.at(static_cast<std::size_t>(i)); }

    /// Appends an empty chain and returns it.
    GeoPointStore& Add();

    /// Removes all chains.
    void Clear();

    /// Whether points keep their height (otherwise heights are stored as 0).
    bool StoreHeight() const { return m_storeHeight; }

    void SetStoreHeight(bool storeHeight) { m_storeHeight = storeHeight; }

    /// Total number of points over all chains.
    int PointCount() const;

    /// Tells the owning poly that a chain changed: it counts as modified and recomputes its bounds
    /// when they are next read. Every change through the stores calls it.
    void Changed();

private:
    GeoMapPoly* m_owner = nullptr;
    std::vector<std::unique_ptr<GeoPointStore>> m_chains;
    bool m_storeHeight = false;
};

enum class GeoObjectKind { Point, Poly };

/// A map object at one geographic point. Objects are shared (std::shared_ptr): the object source
/// holds them, and a caller may keep one to edit it (see BeginEdit).
class GeoMapPoint : public std::enable_shared_from_this<GeoMapPoint> {
public:
    GeoMapPoint() = default;
    virtual ~GeoMapPoint() = default;
    GeoMapPoint& operator=(const GeoMapPoint&) = delete;

    /// A copy of the object's data, not attached to any source.
    virtual std::shared_ptr<GeoMapPoint> Clone() const;

    virtual GeoObjectKind Kind() const { return GeoObjectKind::Point; }

    /// The location (GU); a new object is at (0, 0) with height 0.
    const GeoPoint& Location() const { return m_location; }

    /// Moves the object to p (GU); a poly moves its chain points by the same offset.
    virtual void SetLocation(const GeoPoint& p);

    /// Geographic bounds (left, bottom, width, height in GU), cached until the object changes.
    /// A point has (longitude, latitude, 1, 1).
    const GeoRect& Bounds() const;

    /// Drops the cached bounds; they are recomputed when next read.
    void InvalidateBounds() { m_boundsValid = false; }

    /// The object's shape changed: it counts as modified and its bounds are recomputed when next
    /// read.
    void Touched();

    /// Number of the presenter that draws the object (0 = none: the object draws itself).
    int PresenterID() const { return m_presenterID; }

    void SetPresenterID(int id);

    bool Hidden() const { return m_hidden; }

    void SetHidden(bool hidden);

    bool Selected() const { return m_selected; }

    void SetSelected(bool selected);

    const QString& UserID() const { return m_userID; }

    void SetUserID(const QString& id);

    /// The data columns as one comma-separated list; column 0 is the default title.
    const QString& ObjectDataCSL() const { return m_dataCSL; }

    void SetObjectDataCSL(const QString& csl);

    /// Data column n (empty when the list is shorter).
    QString ObjectData(int column) const;

    /// Replaces data column n, appending empty columns when the list is shorter.
    void SetObjectData(int column, const QString& value);

    /// Set by every setter; cleared by the owner after storing the object.
    bool Modified() const { return m_modified; }

    void SetModified(bool modified) { m_modified = modified; }

    /// The source holding the object (null when none or when it is gone) and the object's handle
    /// in it (1 ..; 0 when not stored).
    std::shared_ptr<GeoObjectSource> ObjectSource() const { return m_source.lock(); }

    int Handle() const { return m_handle; }

    /// Asks the source to keep this live object and return it from queries and fetches until
    /// EndEdit, so that changes made now are drawn. Both are defined with the object sources
    /// (geo_object_source.cpp), since they call into the source.
    void BeginEdit();

    void EndEdit();

protected:
    GeoMapPoint(const GeoMapPoint& other);
    void copyDataTo(GeoMapPoint& target) const;
    virtual GeoRect computeBounds() const;

private:
    friend class GeoObjectSource;

    GeoPoint m_location;
    mutable GeoRect m_bounds;
    mutable bool m_boundsValid = false;
    int m_presenterID = 0;
    bool m_hidden = false;
    bool m_selected = false;
    bool m_modified = false;
    QString m_userID;
    QString m_dataCSL;
    std::weak_ptr<GeoObjectSource> m_source;
    int m_handle = 0;
};

/// A polyline (Closed false) or polygon (Closed true) made of chains of points.
class GeoMapPoly : public GeoMapPoint {
public:
    GeoMapPoly() = default;
    std::shared_ptr<GeoMapPoint> Clone() const override;

    GeoObjectKind Kind() const override { return GeoObjectKind::Poly; }

    void SetLocation(const GeoPoint& p) override;

    /// The chains, created on first use.
    GeoChainStore& Chains();

    /// The chains for reading; an empty store when none were made.
    const GeoChainStore& Chains() const;

    bool HasChains() const { return m_chains != nullptr; }

    bool Closed() const { return m_closed; }

    void SetClosed(bool closed);

protected:
    GeoMapPoly(const GeoMapPoly& other);
    GeoRect computeBounds() const override;

private:
    std::unique_ptr<GeoChainStore> m_chains;
    bool m_closed = false;
};

/// Writes an object's data to bytes and back (the layer store keeps objects encoded).
QByteArray EncodeMapObject(const GeoMapPoint& object);

/// Decodes EncodeMapObject's bytes; null for damaged data.
std::shared_ptr<GeoMapPoint> DecodeMapObject(const QByteArray& bytes);

}  // namespace zimbalo::globe
