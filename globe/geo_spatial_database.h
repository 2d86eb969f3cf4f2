#pragma once

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QUuid>

#include "globe/geo_object_source.h"
#include "globe/geo_units.h"

/// The layer store: named layers of map objects kept for one run, with their working file.
namespace zimbalo::globe {

class GeoSpatialDatabase;

enum class GeoSDBNotification {
    BeforeOpen,
    AfterOpen,
    BeforeClose,
    AfterClose,
    Changed,
    Destroyed
};

/// Something told about the database's changes (a globe).
class GeoSDBListener {
public:
    virtual ~GeoSDBListener() = default;
    virtual void SDBNotify(GeoSpatialDatabase& database, GeoSDBNotification what) = 0;
};

namespace sdb_detail {
struct Store;
}

/// Layers (name, GUID, objects with their bounds) kept in memory while open and written to the
/// file named by DataSourceName on Flush and Close; opening reads the file back. Edited objects
/// (BeginEdit) stay live in a cache; other objects are kept encoded and decoded on demand through
/// a cache of BlobCacheSize entries.
class GeoSpatialDatabase {
public:
    GeoSpatialDatabase();
    ~GeoSpatialDatabase();
    GeoSpatialDatabase(const GeoSpatialDatabase&) = delete;
    GeoSpatialDatabase& operator=(const GeoSpatialDatabase&) = delete;

    const QString& DataSourceName() const;

    /// Trims the name; a different name closes the database, stores the name and reopens it when
    /// it was open.
    void SetDataSourceName(const QString& name);

    bool Active() const;

    /// Closes the database (SetActive(false)): edits are flushed to the file, then the database
    /// is closed even when that fails, and the failure is thrown as GeoException. The destructor
    /// closes as well and logs such a failure.
    void Close();

    /// Opens (reading the file, creating it when missing) or closes (flushing) the database. A
    /// blank DataSourceName keeps it closed. A file that cannot be opened or read throws
    /// GeoException and leaves the database closed.
    void SetActive(bool active);

    /// Read-only when set or when the file could only be opened for reading.
    bool ReadOnly() const;

    void SetReadOnly(bool readOnly);

    int BlobCacheSize() const;

    void SetBlobCacheSize(int entries);

    /// Stored only: the working file is never encrypted.
    const QString& EncryptionKey() const { return m_encryptionKey; }

    void SetEncryptionKey(const QString& key) { m_encryptionKey = key; }

    /// Adds a layer and returns its new random GUID; listeners are told at once, so an attached
    /// globe has the layer when this returns. Read-only: GeoException
    /// "CreateLayer: SDB is ReadOnly"; closed: GeoException "CreateLayer: SDB is not active".
    QUuid CreateLayer(const QString& name);

    /// Deletes a layer and its objects (unknown GUIDs are ignored). Read-only: GeoException
    /// "DeleteLayer: SDB is ReadOnly".
    void DeleteLayer(const QUuid& guid);

    /// Closes, empties the file and all layers and caches, and restores Active.
    void Clear();

    /// When open and writable: writes edited objects back and the whole store to the file, and
    /// empties the cache of decoded objects.
    void Flush();

    int LayerCount() const;
    QString LayerName(int index) const;
    QUuid LayerGUID(int index) const;
    bool HasLayer(const QUuid& guid) const;

    /// Number of objects stored in a layer (0 for unknown GUIDs).
    int ObjectCount(const QUuid& guid) const;

    /// Entries currently in the cache of decoded objects and in the cache of edited objects.
    int DecodedCacheCount() const;
    int EditCacheCount() const;

    void AddListener(GeoSDBListener* listener);
    void RemoveListener(GeoSDBListener* listener);

    std::function<void()> OnBeforeOpen;
    std::function<void()> OnAfterOpen;
    std::function<void()> OnBeforeClose;
    std::function<void()> OnAfterClose;
    std::function<void()> OnChanged;

private:
    friend class GeoSDBObjectSource;
    void notify(GeoSDBNotification what);
    void open();
    void close();

    std::shared_ptr<sdb_detail::Store> m_store;
    std::vector<GeoSDBListener*> m_listeners;
    QString m_encryptionKey;
};

/// Object source reading and writing one layer of a spatial database. It refers to the database
/// weakly: once the database is gone it is simply empty.
class GeoSDBObjectSource : public GeoObjectSource {
public:
    GeoSDBObjectSource(GeoSpatialDatabase& database, const QUuid& guid, const QString& name);

    int ObjectCount() const override;
    std::shared_ptr<GeoMapPoint> ObjectByHandle(int handle) override;
    int FirstHandle() const override;
    int NextHandle(int handle) const override;

    /// Objects whose bounds meet the extent and that are wider or taller than the cull size
    /// (1 x 1 bounds and a cull size of 0 always qualify); edited objects are tested with their
    /// live bounds.
    void Query(const GeoRect& extent, std::int32_t cullSize,
               const QueryCallback& callback) override;
    void RemoveObject(int handle) override;
    void RemoveAllObjects() override;
    void BeginEdit(const std::shared_ptr<GeoMapPoint>& object) override;
    void EndEdit(const std::shared_ptr<GeoMapPoint>& object) override;
    GeoRect Bounds() override;

protected:
    int doAddObject(const std::shared_ptr<GeoMapPoint>& object) override;

private:
    std::weak_ptr<sdb_detail::Store> m_store;
};

}  // namespace zimbalo::globe
