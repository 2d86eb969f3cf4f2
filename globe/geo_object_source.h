#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QString>
#include <QUuid>

#include "globe/geo_map_objects.h"
#include "globe/geo_presenter.h"
#include "globe/geo_units.h"

/// Object sources: where a layer's map objects live.
namespace zimbalo::globe {

/// What an object source asks of the layer that owns it.
class GeoSourceOwner {
public:
    /// The presenter the owner draws an object with that presenter ID (its own, its ancestors',
    /// then the source's); null for ID 0 or none.
    virtual GeoPresenter* PresenterByID(int id) = 0;

protected:
    GeoSourceOwner() = default;
    GeoSourceOwner(const GeoSourceOwner&) = default;
    GeoSourceOwner& operator=(const GeoSourceOwner&) = default;
    ~GeoSourceOwner() = default;
};

/// Base of every object source. Objects are addressed by handles from 1; an object knows its
/// source and handle. Sources are held by std::shared_ptr (objects refer back to them weakly).
class GeoObjectSource : public std::enable_shared_from_this<GeoObjectSource> {
public:
    /// Called once per object found by a query; return false to stop the query.
    using QueryCallback = std::function<bool(const std::shared_ptr<GeoMapPoint>&)>;

    GeoObjectSource();
    virtual ~GeoObjectSource() = default;
    GeoObjectSource(const GeoObjectSource&) = delete;
    GeoObjectSource& operator=(const GeoObjectSource&) = delete;

    const QString& Name() const { return m_name; }

    void SetName(const QString& name) { m_name = name; }

    /// Comma-separated names of the data columns.
    const QString& ColumnNames() const { return m_columnNames; }

    void SetColumnNames(const QString& names) { m_columnNames = names; }

    virtual int ObjectCount() const = 0;

    /// Presenters of the source itself, searched last when a presenter ID is resolved.
    GeoPresenterStore& Presenters() { return m_presenters; }

    /// The source's identity, which is also its layer's.
    const QUuid& GUID() const { return m_guid; }

    /// Objects smaller than this (GU) need not be returned by queries; set by the layer per pass.
    std::int32_t CullSize() const { return m_cullSize; }

    void SetCullSize(std::int32_t gu) { m_cullSize = gu; }

    /// The layer that owns the source (null when none).
    GeoSourceOwner* Owner() const { return m_owner; }

    void SetOwner(GeoSourceOwner* owner) { m_owner = owner; }

    /// Stores the object and returns its handle. An object moved here from another source keeps
    /// its look: a presenter this source lacks but the old source's layer resolves is copied in.
    int AddObject(const std::shared_ptr<GeoMapPoint>& object);

    /// The object with that handle; null when there is none.
    virtual std::shared_ptr<GeoMapPoint> ObjectByHandle(int handle) = 0;

    /// First handle (0 when empty) and the handle after `handle` (0 at the end), in handle order.
    virtual int FirstHandle() const = 0;
    virtual int NextHandle(int handle) const = 0;

    /// Calls back for the objects of interest in `extent` (GU) no smaller than `cullSize`.
    virtual void Query(const GeoRect& extent, std::int32_t cullSize,
                       const QueryCallback& callback) = 0;

    /// Removes one object; unknown handles are ignored.
    virtual void RemoveObject(int handle) = 0;

    /// Removes every object.
    virtual void RemoveAllObjects() = 0;

    /// Keeps the live object so that later changes are seen by queries and fetches until EndEdit.
    virtual void BeginEdit(const std::shared_ptr<GeoMapPoint>&) {}

    virtual void EndEdit(const std::shared_ptr<GeoMapPoint>&) {}

    /// Bounding rectangle of all objects (GU); empty when there are none.
    virtual GeoRect Bounds();

    /// Whether the source keeps its objects only in memory (such layers survive database syncs).
    virtual bool IsMemorySource() const { return false; }

protected:
    /// Stores the object; returns its handle.
    virtual int doAddObject(const std::shared_ptr<GeoMapPoint>& object) = 0;

    /// Binds an object to this source under a handle; 0 unbinds it unless it is bound to another
    /// source by now.
    void bind(GeoMapPoint& object, int handle);

    void setGUID(const QUuid& guid) { m_guid = guid; }

private:
    QString m_name;
    QString m_columnNames;
    GeoPresenterStore m_presenters;
    QUuid m_guid;
    std::int32_t m_cullSize = 0;
    GeoSourceOwner* m_owner = nullptr;
};

/// Keeps its objects live in memory; handles are the 1-based slot numbers, and the first slot
/// freed by a removal is reused.
class GeoMemoryObjectSource : public GeoObjectSource {
public:
    GeoMemoryObjectSource() = default;
    ~GeoMemoryObjectSource() override;

    int ObjectCount() const override { return m_count; }

    std::shared_ptr<GeoMapPoint> ObjectByHandle(int handle) override;
    int FirstHandle() const override;
    int NextHandle(int handle) const override;

    /// Returns every object in handle order; selection by extent is left to the caller.
    void Query(const GeoRect& extent, std::int32_t cullSize,
               const QueryCallback& callback) override;
    void RemoveObject(int handle) override;
    void RemoveAllObjects() override;

    bool IsMemorySource() const override { return true; }

protected:
    int doAddObject(const std::shared_ptr<GeoMapPoint>& object) override;

private:
    std::vector<std::shared_ptr<GeoMapPoint>> m_slots;
    int m_count = 0;
};

}  // namespace zimbalo::globe
