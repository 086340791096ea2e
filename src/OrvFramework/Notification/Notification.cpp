#include "OrvFramework/Notification/Notification.h"

#include <mutex>
#include <vector>

namespace Orv {

class LNotificationPool {
public:
    static LNotificationPool& Get() {
        // Never destroyed: the last notifications may be released during static destruction.
        static LNotificationPool* pool = new LNotificationPool;
        return *pool;
    }

    RCPtr<LNotification> Take() {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_enabled && !m_free.empty()) {
                RCPtr<LNotification> n = std::move(m_free.back());
                m_free.pop_back();
                return n;
            }
        }
        return RCPtr<LNotification>(new LNotification);
    }

    void Return(LNotification* n) {
        // Dropping the parameter may run any destructor: never under the pool's lock.
        if (!n->IsQueued()) n->m_parameter = nullptr;
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_enabled) m_free.emplace_back(n);
    }

    void SetEnabled(bool enabled) {
        std::vector<RCPtr<LNotification>> dropped;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_enabled = enabled;
            if (!enabled) dropped.swap(m_free);
        }
        // `dropped` releases its notifications here, with pooling off, so they are destroyed.
    }

    bool IsEnabled() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_enabled;
    }
    std::size_t Size() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_free.size();
    }

private:
    std::mutex m_lock;
    bool m_enabled = false;
    std::vector<RCPtr<LNotification>> m_free;
};

RCPtr<LNotification> LNotification::Create(std::u16string_view identifier,
                                           const ConstRCPtr<LRefCountedObject>& parameter) {
    const NotificationID id = InternNotificationID(identifier);
    if (id == nullptr) return nullptr;
    RCPtr<LNotification> n = LNotificationPool::Get().Take();
    n->m_id = id;
    if (!n->IsQueued()) n->m_parameter = parameter;
    return n;
}

ORVRESULT LNotification::SetID(NotificationID identifier) {
    if (IsQueued() || identifier == nullptr) return E_INVALIDARG;
    m_id = identifier;
    return S_OK;
}

ORVRESULT LNotification::SetParameter(const ConstRCPtr<LRefCountedObject>& parameter) {
    if (IsQueued()) return E_INVALIDARG;
    m_parameter = parameter;
    return S_OK;
}

std::int32_t LNotification::Release() const {
    if (GetReferenceCount() == 1 && !m_recycling.load(std::memory_order_acquire)) {
        m_recycling.store(true, std::memory_order_release);
        LNotificationPool::Get().Return(const_cast<LNotification*>(this));
        m_recycling.store(false, std::memory_order_release);
    }
    return LRefCountedObject::Release();
}

void LNotification::SetPoolingEnabled(bool enabled) { LNotificationPool::Get().SetEnabled(enabled); }
bool LNotification::IsPoolingEnabled() { return LNotificationPool::Get().IsEnabled(); }
std::size_t LNotification::GetPoolSize() { return LNotificationPool::Get().Size(); }

}  // namespace Orv
