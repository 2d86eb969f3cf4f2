#include "globe/geo_spatial_database.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include <QDataStream>
#include <QFile>
#include <QIODevice>

#include "globe/geo_exception.h"

namespace zimbalo::globe {

namespace sdb_detail {

using Key = std::pair<QUuid, int>;

struct ObjectRecord {
    QByteArray blob;
    GeoRect bounds;
};

struct Layer {
    QString name;
    QUuid guid;
    std::map<int, ObjectRecord> objects;
    int nextHandle = 1;
};

struct Store {
    QString fileName;
    bool active = false;
    bool readOnlySetting = false;
    bool fileReadOnly = false;
    int blobCacheSize = 128;
    std::vector<Layer> layers;
    std::map<Key, std::shared_ptr<GeoMapPoint>> editCache;
    std::list<std::pair<Key, std::shared_ptr<GeoMapPoint>>> decoded;  // most recent first
    std::map<Key, std::list<std::pair<Key, std::shared_ptr<GeoMapPoint>>>::iterator> decodedIndex;

    bool readOnly() const { return readOnlySetting || fileReadOnly; }

    Layer* find(const QUuid& guid) {
        auto it = std::find_if(layers.begin(), layers.end(),
                               [&](const Layer& l) { return l.guid == guid; });
        return it == layers.end() ? nullptr : &*it;
    }

    const Layer* find(const QUuid& guid) const {
        auto it = std::find_if(layers.begin(), layers.end(),
                               [&](const Layer& l) { return l.guid == guid; });
        return it == layers.end() ? nullptr : &*it;
    }

    void dropDecoded(const Key& key) {
        auto it = decodedIndex.find(key);
        if (it != decodedIndex.end()) {
            decoded.erase(it->second);
            decodedIndex.erase(it);
        }
    }

    void putDecoded(const Key& key, const std::shared_ptr<GeoMapPoint>& object) {
        dropDecoded(key);
        decoded.emplace_front(key, object);
        decodedIndex[key] = decoded.begin();
        while (static_cast<int>(decoded.size()) > std::max(blobCacheSize, 1)) {
            decodedIndex.erase(decoded.back().first);
            decoded.pop_back();
        }
    }

    void clearDecoded() {
        decoded.clear();
        decodedIndex.clear();
    }

    // Drops all cache entries of one layer (all layers for a null GUID).
    void dropCachesOf(const QUuid& guid) {
        for (auto it = editCache.begin(); it != editCache.end();) {
            it = (guid.isNull() || it->first.first == guid) ? editCache.erase(it) : std::next(it);
        }
        for (auto it = decoded.begin(); it != decoded.end();) {
            if (guid.isNull() || it->first.first == guid) {
                decodedIndex.erase(it->first);
                it = decoded.erase(it);
            } else {
                ++it;
            }
        }
    }

    // Writes the live state of edited objects into their records, so nothing edited is lost.
    void writeBackEdits() {
        for (const auto& [key, object] : editCache) {
            if (Layer* layer = find(key.first)) {
                auto rec = layer->objects.find(key.second);
                if (rec != layer->objects.end()) {
                    rec->second.blob = EncodeMapObject(*object);
                    rec->second.bounds = object->Bounds();
                }
            }
        }
    }
};

}  // namespace sdb_detail

namespace {

constexpr quint32 kFileMagic = 0x5A534442;  // "ZSDB"
constexpr qint32 kFileVersion = 1;

void writeStore(const sdb_detail::Store& store) {
    QFile file(store.fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw GeoException(
            QStringLiteral("Cannot write %1: %2").arg(store.fileName, file.errorString()));
    }
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out << kFileMagic << kFileVersion << static_cast<qint32>(store.layers.size());
    for (const sdb_detail::Layer& layer : store.layers) {
        out << layer.name << layer.guid << static_cast<qint32>(layer.nextHandle)
            << static_cast<qint32>(layer.objects.size());
        for (const auto& [handle, rec] : layer.objects) {
            out << static_cast<qint32>(handle) << rec.bounds.Left << rec.bounds.Bottom
                << rec.bounds.Width << rec.bounds.Height << rec.blob;
        }
    }
    if (out.status() != QDataStream::Ok || !file.flush()) {
        throw GeoException(
            QStringLiteral("Cannot write %1: %2").arg(store.fileName, file.errorString()));
    }
}

void readStore(QFile& file, sdb_detail::Store& store) {
    store.layers.clear();
    if (file.size() == 0) {
        return;  // a fresh working file
    }
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    qint32 version = 0;
    qint32 layerCount = 0;
    in >> magic >> version >> layerCount;
    const auto bad = [&]() {
        store.layers.clear();
        return GeoException(QStringLiteral("%1 is not a layer store").arg(store.fileName));
    };
    if (in.status() != QDataStream::Ok || magic != kFileMagic || version != kFileVersion
        || layerCount < 0) {
        throw bad();
    }
    for (qint32 i = 0; i < layerCount; ++i) {
        sdb_detail::Layer layer;
        qint32 nextHandle = 0;
        qint32 objectCount = 0;
        in >> layer.name >> layer.guid >> nextHandle >> objectCount;
        if (in.status() != QDataStream::Ok || objectCount < 0 || nextHandle < 1) {
            throw bad();
        }
        layer.nextHandle = nextHandle;
        for (qint32 k = 0; k < objectCount; ++k) {
            qint32 handle = 0;
            sdb_detail::ObjectRecord rec;
            in >> handle >> rec.bounds.Left >> rec.bounds.Bottom >> rec.bounds.Width
                >> rec.bounds.Height >> rec.blob;
            if (in.status() != QDataStream::Ok || handle < 1 || handle >= nextHandle) {
                throw bad();
            }
            layer.objects.emplace(handle, std::move(rec));
        }
        store.layers.push_back(std::move(layer));
    }
}

/// Throws GeoException "<operation>: SDB is ReadOnly" when the store may not be written.
void requireWritable(const sdb_detail::Store& store, const char* operation) {
    if (store.readOnly()) {
        throw GeoException(QStringLiteral("%1: SDB is ReadOnly").arg(QLatin1String(operation)));
    }
}

}  // namespace

// ---- GeoSpatialDatabase ----------------------------------------------------------------------

GeoSpatialDatabase::GeoSpatialDatabase() : m_store(std::make_shared<sdb_detail::Store>()) {}

GeoSpatialDatabase::~GeoSpatialDatabase() {
    try {
        Close();
    } catch (const GeoException& e) {
        // A destructor cannot report the failure to a caller: it goes to the log.
        qWarning("Spatial database %s: %s", qUtf8Printable(m_store->fileName),
                 qUtf8Printable(e.Message()));
    }
    notify(GeoSDBNotification::Destroyed);
    m_listeners.clear();
}

const QString& GeoSpatialDatabase::DataSourceName() const {
    return m_store->fileName;
}

void GeoSpatialDatabase::SetDataSourceName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed == m_store->fileName) {
        return;
    }
    const bool wasActive = m_store->active;
    SetActive(false);
    m_store->fileName = trimmed;
    if (wasActive) {
        SetActive(true);
    }
}

void GeoSpatialDatabase::Close() {
    SetActive(false);
}

bool GeoSpatialDatabase::Active() const {
    return m_store->active;
}

void GeoSpatialDatabase::SetActive(bool active) {
    if (m_store->fileName.isEmpty()) {
        active = false;
    }
    if (active == m_store->active) {
        return;
    }
    if (active) {
        open();
    } else {
        close();
    }
}

void GeoSpatialDatabase::open() {
    notify(GeoSDBNotification::BeforeOpen);
    if (OnBeforeOpen) {
        OnBeforeOpen();
    }
    QFile file(m_store->fileName);
    bool writable = !m_store->readOnlySetting && file.open(QIODevice::ReadWrite);
    if (!writable && !file.open(QIODevice::ReadOnly)) {
        throw GeoException(
            QStringLiteral("Cannot open %1: %2").arg(m_store->fileName, file.errorString()));
    }
    readStore(file, *m_store);
    m_store->fileReadOnly = !writable;
    m_store->active = true;
    notify(GeoSDBNotification::AfterOpen);
    if (OnAfterOpen) {
        OnAfterOpen();
    }
}

void GeoSpatialDatabase::close() {
    if (OnBeforeClose) {
        OnBeforeClose();
    }
    notify(GeoSDBNotification::BeforeClose);
    // Close even when the flush fails, then report the failure.
    std::optional<GeoException> failure;
    try {
        Flush();
    } catch (const GeoException& e) {
        failure = e;
    }
    m_store->active = false;
    m_store->fileReadOnly = false;
    m_store->layers.clear();
    m_store->dropCachesOf(QUuid());
    notify(GeoSDBNotification::AfterClose);
    if (OnAfterClose) {
        OnAfterClose();
    }
    if (failure) {
        throw *failure;
    }
}

bool GeoSpatialDatabase::ReadOnly() const {
    return m_store->readOnly();
}

void GeoSpatialDatabase::SetReadOnly(bool readOnly) {
    m_store->readOnlySetting = readOnly;
}

int GeoSpatialDatabase::BlobCacheSize() const {
    return m_store->blobCacheSize;
}

void GeoSpatialDatabase::SetBlobCacheSize(int entries) {
    m_store->blobCacheSize = std::max(entries, 1);
}

QUuid GeoSpatialDatabase::CreateLayer(const QString& name) {
    requireWritable(*m_store, "CreateLayer");
    if (!m_store->active) {
        throw GeoException(QStringLiteral("CreateLayer: SDB is not active"));
    }
    sdb_detail::Layer layer;
    layer.name = name;
    layer.guid = QUuid::createUuid();
    m_store->layers.push_back(layer);
    notify(GeoSDBNotification::Changed);
    return layer.guid;
}

void GeoSpatialDatabase::DeleteLayer(const QUuid& guid) {
    requireWritable(*m_store, "DeleteLayer");
    auto& layers = m_store->layers;
    auto it = std::find_if(layers.begin(), layers.end(),
                           [&](const sdb_detail::Layer& l) { return l.guid == guid; });
    if (it == layers.end()) {
        return;
    }
    m_store->dropCachesOf(guid);
    layers.erase(it);
    notify(GeoSDBNotification::Changed);
}

void GeoSpatialDatabase::Clear() {
    const bool wasActive = m_store->active;
    SetActive(false);
    if (!m_store->fileName.isEmpty() && QFile::exists(m_store->fileName)) {
        QFile file(m_store->fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            throw GeoException(
                QStringLiteral("Cannot empty %1: %2").arg(m_store->fileName, file.errorString()));
        }
    }
    m_store->layers.clear();
    m_store->dropCachesOf(QUuid());
    if (wasActive) {
        SetActive(true);
    }
}

void GeoSpatialDatabase::Flush() {
    if (!m_store->active || m_store->readOnly()) {
        return;
    }
    m_store->writeBackEdits();
    writeStore(*m_store);
    m_store->clearDecoded();
}

int GeoSpatialDatabase::LayerCount() const {
    return static_cast<int>(m_store->layers.size());
}

QString GeoSpatialDatabase::LayerName(int index) const {
    return m_store->layers.at(static_cast<std::size_t>(index)).name;
}

QUuid GeoSpatialDatabase::LayerGUID(int index) const {
    return m_store->layers.at(static_cast<std::size_t>(index)).guid;
}

bool GeoSpatialDatabase::HasLayer(const QUuid& guid) const {
    return m_store->find(guid) != nullptr;
}

int GeoSpatialDatabase::ObjectCount(const QUuid& guid) const {
    const sdb_detail::Layer* layer = m_store->find(guid);
    return layer ? static_cast<int>(layer->objects.size()) : 0;
}

int GeoSpatialDatabase::DecodedCacheCount() const {
    return static_cast<int>(m_store->decoded.size());
}

int GeoSpatialDatabase::EditCacheCount() const {
    return static_cast<int>(m_store->editCache.size());
}

void GeoSpatialDatabase::AddListener(GeoSDBListener* listener) {
    if (listener != nullptr
        && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end()) {
        m_listeners.push_back(listener);
    }
}

void GeoSpatialDatabase::RemoveListener(GeoSDBListener* listener) {
    std::erase(m_listeners, listener);
}

void GeoSpatialDatabase::notify(GeoSDBNotification what) {
    // A listener may detach itself while being told.
    const std::vector<GeoSDBListener*> listeners = m_listeners;
    for (GeoSDBListener* listener : listeners) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end()) {
            listener->SDBNotify(*this, what);
        }
    }
    if (what == GeoSDBNotification::Changed && OnChanged) {
        OnChanged();
    }
}

// ---- GeoSDBObjectSource ----------------------------------------------------------------------

GeoSDBObjectSource::GeoSDBObjectSource(GeoSpatialDatabase& database, const QUuid& guid,
                                       const QString& name)
    : m_store(database.m_store) {
    setGUID(guid);
    SetName(name);
}

int GeoSDBObjectSource::ObjectCount() const {
    auto store = m_store.lock();
    const sdb_detail::Layer* layer = store ? store->find(GUID()) : nullptr;
    return layer ? static_cast<int>(layer->objects.size()) : 0;
}

int GeoSDBObjectSource::doAddObject(const std::shared_ptr<GeoMapPoint>& object) {
    auto store = m_store.lock();
    if (!store || !store->active) {
        throw GeoException(QStringLiteral("AddObject: SDB is not active"));
    }
    requireWritable(*store, "AddObject");
    sdb_detail::Layer* layer = store->find(GUID());
    if (layer == nullptr) {
        throw GeoException(QStringLiteral("AddObject: layer is not in the SDB"));
    }
    // An object already stored here keeps its handle; its record takes its present state.
    if (object->ObjectSource().get() == this) {
        auto rec = layer->objects.find(object->Handle());
        if (rec != layer->objects.end()) {
            rec->second = sdb_detail::ObjectRecord{EncodeMapObject(*object), object->Bounds()};
            store->dropDecoded({GUID(), object->Handle()});
            return object->Handle();
        }
    }
    const int handle = layer->nextHandle++;
    layer->objects.emplace(handle,
                           sdb_detail::ObjectRecord{EncodeMapObject(*object), object->Bounds()});
    bind(*object, handle);
    return handle;
}

std::shared_ptr<GeoMapPoint> GeoSDBObjectSource::ObjectByHandle(int handle) {
    auto store = m_store.lock();
    sdb_detail::Layer* layer = store ? store->find(GUID()) : nullptr;
    if (layer == nullptr) {
        return nullptr;
    }
    const sdb_detail::Key key{GUID(), handle};
    if (auto it = store->editCache.find(key); it != store->editCache.end()) {
        return it->second;
    }
    if (auto it = store->decodedIndex.find(key); it != store->decodedIndex.end()) {
        store->decoded.splice(store->decoded.begin(), store->decoded, it->second);
        return store->decoded.front().second;
    }
    auto rec = layer->objects.find(handle);
    if (rec == layer->objects.end()) {
        return nullptr;
    }
    std::shared_ptr<GeoMapPoint> object = DecodeMapObject(rec->second.blob);
    if (!object) {
        return nullptr;
    }
    bind(*object, handle);
    store->putDecoded(key, object);
    return object;
}

int GeoSDBObjectSource::FirstHandle() const {
    return NextHandle(0);
}

int GeoSDBObjectSource::NextHandle(int handle) const {
    auto store = m_store.lock();
    const sdb_detail::Layer* layer = store ? store->find(GUID()) : nullptr;
    if (layer == nullptr) {
        return 0;
    }
    auto it = layer->objects.upper_bound(handle);
    return it == layer->objects.end() ? 0 : it->first;
}

void GeoSDBObjectSource::Query(const GeoRect& extent, std::int32_t cullSize,
                               const QueryCallback& callback) {
    std::vector<int> handles;
    {
        auto store = m_store.lock();
        sdb_detail::Layer* layer = store ? store->find(GUID()) : nullptr;
        if (layer == nullptr) {
            return;
        }
        // An empty extent stands for the whole world, poles included. The edges of an extent
        // belong to it: a point on its top or right edge (the pole, when the extent is the
        // world's latitude range) is inside.
        const GeoRect area = extent.isEmpty() ? GeoRect{gu::MinLongitude, -gu::MaxLatitude,
                                                        gu::FullCircle, 2 * gu::MaxLatitude + 1}
                                              : GeoRectGrown(extent, 1);
        for (const auto& [handle, rec] : layer->objects) {
            GeoRect bounds = rec.bounds;
            if (auto it = store->editCache.find({GUID(), handle}); it != store->editCache.end()) {
                bounds = it->second->Bounds();
            }
            const bool point = bounds.Width <= 1 && bounds.Height <= 1;
            const bool bigEnough =
                point || cullSize <= 0 || bounds.Width > cullSize || bounds.Height > cullSize;
            if (bigEnough && GeoRectsMeet(bounds, area)) {
                handles.push_back(handle);
            }
        }
    }
    for (int handle : handles) {
        const std::shared_ptr<GeoMapPoint> object = ObjectByHandle(handle);
        if (object && !callback(object)) {
            return;
        }
    }
}

void GeoSDBObjectSource::RemoveObject(int handle) {
    auto store = m_store.lock();
    sdb_detail::Layer* layer = store ? store->find(GUID()) : nullptr;
    if (layer == nullptr) {
        return;
    }
    requireWritable(*store, "RemoveObject");
    const sdb_detail::Key key{GUID(), handle};
    // A removed object that a caller still holds no longer claims a place here.
    if (auto it = store->editCache.find(key); it != store->editCache.end()) {
        bind(*it->second, 0);
        store->editCache.erase(it);
    }
    if (auto it = store->decodedIndex.find(key); it != store->decodedIndex.end()) {
        bind(*it->second->second, 0);
    }
    store->dropDecoded(key);
    layer->objects.erase(handle);
}

void GeoSDBObjectSource::RemoveAllObjects() {
    auto store = m_store.lock();
    sdb_detail::Layer* layer = store ? store->find(GUID()) : nullptr;
    if (layer == nullptr) {
        return;
    }
    requireWritable(*store, "RemoveAllObjects");
    for (const auto& [key, object] : store->editCache) {
        if (key.first == GUID()) {
            bind(*object, 0);
        }
    }
    for (const auto& [key, object] : store->decoded) {
        if (key.first == GUID()) {
            bind(*object, 0);
        }
    }
    store->dropCachesOf(GUID());
    layer->objects.clear();
}

void GeoSDBObjectSource::BeginEdit(const std::shared_ptr<GeoMapPoint>& object) {
    auto store = m_store.lock();
    if (!store || !object || object->Handle() == 0) {
        return;
    }
    store->editCache.try_emplace({GUID(), object->Handle()}, object);
}

void GeoSDBObjectSource::EndEdit(const std::shared_ptr<GeoMapPoint>& object) {
    auto store = m_store.lock();
    if (!store || !object) {
        return;
    }
    const sdb_detail::Key key{GUID(), object->Handle()};
    auto it = store->editCache.find(key);
    if (it == store->editCache.end()) {
        return;
    }
    // Keep what was edited: the stored record takes the live object's state.
    if (sdb_detail::Layer* layer = store->find(GUID())) {
        auto rec = layer->objects.find(object->Handle());
        if (rec != layer->objects.end() && !store->readOnly()) {
            rec->second.blob = EncodeMapObject(*it->second);
            rec->second.bounds = it->second->Bounds();
        }
    }
    store->editCache.erase(it);
    store->dropDecoded(key);
}

GeoRect GeoSDBObjectSource::Bounds() {
    // From the stored bounds (live ones for edited objects), without decoding any object.
    auto store = m_store.lock();
    const sdb_detail::Layer* layer = store ? store->find(GUID()) : nullptr;
    if (layer == nullptr || layer->objects.empty()) {
        return {};
    }
    std::int64_t minLon = std::numeric_limits<std::int64_t>::max();
    std::int64_t minLat = minLon;
    std::int64_t maxLon = std::numeric_limits<std::int64_t>::min();
    std::int64_t maxLat = maxLon;
    for (const auto& [handle, rec] : layer->objects) {
        GeoRect b = rec.bounds;
        if (auto it = store->editCache.find({GUID(), handle}); it != store->editCache.end()) {
            b = it->second->Bounds();
        }
        minLon = std::min<std::int64_t>(minLon, b.Left);
        minLat = std::min<std::int64_t>(minLat, b.Bottom);
        maxLon = std::max<std::int64_t>(maxLon, std::int64_t{b.Left} + b.Width);
        maxLat = std::max<std::int64_t>(maxLat, std::int64_t{b.Bottom} + b.Height);
    }
    return GeoRect{static_cast<std::int32_t>(minLon), static_cast<std::int32_t>(minLat),
                   static_cast<std::int32_t>(std::min<std::int64_t>(maxLon - minLon, 2147483647)),
                   static_cast<std::int32_t>(std::min<std::int64_t>(maxLat - minLat, 2147483647))};
}

}  // namespace zimbalo::globe
