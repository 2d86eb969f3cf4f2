#include "globe/geo_object_source.h"

#include <algorithm>

#include "globe/geo_exception.h"

namespace zimbalo::globe {

GeoObjectSource::GeoObjectSource() : m_guid(QUuid::createUuid()) {}

void GeoObjectSource::bind(GeoMapPoint& object, int handle) {
    if (handle == 0) {
        // An object that has since been added to another source stays bound there.
        const std::weak_ptr<GeoObjectSource> self = weak_from_this();
        if (object.m_source.owner_before(self) || self.owner_before(object.m_source)) {
            return;
        }
        object.m_source.reset();
    } else {
        object.m_source = weak_from_this();
    }
    object.m_handle = handle;
}

int GeoObjectSource::AddObject(const std::shared_ptr<GeoMapPoint>& object) {
    if (!object) {
        throw GeoException(QStringLiteral("GeoObjectSource.AddObject passed nil object"));
    }
    const std::shared_ptr<GeoObjectSource> previous = object->ObjectSource();
    const int id = object->PresenterID();
    if (previous && previous.get() != this && id != 0 && m_presenters.ByID(id) == nullptr) {
        // The object moves here: keep its look by copying the presenter its old layer used.
        GeoPresenter* presenter = nullptr;
        if (previous->Owner() != nullptr) {
            presenter = previous->Owner()->PresenterByID(id);
        } else {
            presenter = previous->Presenters().ByID(id);
        }
        if (presenter != nullptr) {
            m_presenters.Add(presenter->Clone());
        }
    }
    const int handle = doAddObject(object);
    object->SetModified(false);
    return handle;
}

GeoRect GeoObjectSource::Bounds() {
    std::int64_t minLon = 0;
    std::int64_t minLat = 0;
    std::int64_t maxLon = 0;
    std::int64_t maxLat = 0;
    bool any = false;
    for (int h = FirstHandle(); h != 0; h = NextHandle(h)) {
        const std::shared_ptr<GeoMapPoint> object = ObjectByHandle(h);
        if (!object) {
            continue;
        }
        const GeoRect& b = object->Bounds();
        const std::int64_t right = std::int64_t{b.Left} + b.Width;
        const std::int64_t top = std::int64_t{b.Bottom} + b.Height;
        if (!any) {
            minLon = b.Left;
            minLat = b.Bottom;
            maxLon = right;
            maxLat = top;
            any = true;
        } else {
            minLon = std::min<std::int64_t>(minLon, b.Left);
            minLat = std::min<std::int64_t>(minLat, b.Bottom);
            maxLon = std::max(maxLon, right);
            maxLat = std::max(maxLat, top);
        }
    }
    if (!any) {
        return {};
    }
    return GeoRect{static_cast<std::int32_t>(minLon), static_cast<std::int32_t>(minLat),
                   static_cast<std::int32_t>(std::min<std::int64_t>(maxLon - minLon, 2147483647)),
                   static_cast<std::int32_t>(maxLat - minLat)};
}

// ---- GeoMapPoint's calls into its source ------------------------------------------------------

void GeoMapPoint::BeginEdit() {
    if (auto source = m_source.lock()) {
        source->BeginEdit(shared_from_this());
    }
}

void GeoMapPoint::EndEdit() {
    if (auto source = m_source.lock()) {
        source->EndEdit(shared_from_this());
    }
}

// ---- GeoMemoryObjectSource -------------------------------------------------------------------

GeoMemoryObjectSource::~GeoMemoryObjectSource() {
    for (const auto& object : m_slots) {
        if (object) {
            bind(*object, 0);
        }
    }
}

int GeoMemoryObjectSource::doAddObject(const std::shared_ptr<GeoMapPoint>& object) {
    // An object already held here keeps its slot.
    if (object->ObjectSource().get() == this && object->Handle() > 0) {
        const auto index = static_cast<std::size_t>(object->Handle() - 1);
        if (index < m_slots.size() && m_slots[index] == object) {
            return object->Handle();
        }
    }
    auto free = std::find(m_slots.begin(), m_slots.end(), nullptr);
    if (free == m_slots.end()) {
        m_slots.push_back(object);
        free = m_slots.end() - 1;
    } else {
        *free = object;
    }
    ++m_count;
    const int handle = static_cast<int>(free - m_slots.begin()) + 1;
    bind(*object, handle);
    return handle;
}

std::shared_ptr<GeoMapPoint> GeoMemoryObjectSource::ObjectByHandle(int handle) {
    if (handle < 1 || static_cast<std::size_t>(handle) > m_slots.size()) {
        return nullptr;
    }
    return m_slots[static_cast<std::size_t>(handle - 1)];
}

int GeoMemoryObjectSource::FirstHandle() const {
    return NextHandle(0);
}

int GeoMemoryObjectSource::NextHandle(int handle) const {
    for (std::size_t i = static_cast<std::size_t>(std::max(handle, 0)); i < m_slots.size(); ++i) {
        if (m_slots[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

void GeoMemoryObjectSource::Query(const GeoRect&, std::int32_t, const QueryCallback& callback) {
    // Index loop: a callback may add objects (the vector may grow) but must not see them freed.
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const std::shared_ptr<GeoMapPoint> object = m_slots[i];
        if (object && !callback(object)) {
            return;
        }
    }
}

void GeoMemoryObjectSource::RemoveObject(int handle) {
    if (handle < 1 || static_cast<std::size_t>(handle) > m_slots.size()) {
        return;
    }
    auto& slot = m_slots[static_cast<std::size_t>(handle - 1)];
    if (slot) {
        bind(*slot, 0);
        slot.reset();
        --m_count;
    }
}

void GeoMemoryObjectSource::RemoveAllObjects() {
    for (const auto& object : m_slots) {
        if (object) {
            bind(*object, 0);
        }
    }
    m_slots.clear();
    m_count = 0;
}

}  // namespace zimbalo::globe
