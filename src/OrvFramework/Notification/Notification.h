#pragma once
// A notification: an interned identifier and an optional parameter object. Notifications are
// recycled through a process-wide pool (when pooling is switched on) instead of being allocated
// per event.
#include <atomic>
#include <cstddef>
#include <string_view>

#include "OrvFramework/Notification/NotificationID.h"
#include "OrvFramework/ObjectBase/RCPtr.h"

namespace Orv {

class LNotification : public virtual LRefCountedObject {
public:
    // Null when the identifier is empty. With pooling on, a free notification is reused. The text
    // is interned (an identifier already interned is found by its address at once).
    static RCPtr<LNotification> Create(std::u16string_view identifier,
                                       const ConstRCPtr<LRefCountedObject>& parameter = nullptr);

    NotificationID GetID() const { return m_id; }
    const ConstRCPtr<LRefCountedObject>& GetParameter() const { return m_parameter; }
    template <class P>
    const P* GetParameterAs() const {
        return dynamic_cast<const P*>(m_parameter.Get());
    }

    // Both fail (0x80070057) while the notification waits in a queue.
    ORVRESULT SetID(NotificationID identifier);
    ORVRESULT SetParameter(const ConstRCPtr<LRefCountedObject>& parameter);

    bool IsQueued() const { return m_queued.load(std::memory_order_acquire); }
    bool IsRecycling() const { return m_recycling.load(std::memory_order_acquire); }

    // The last holder's release hands the notification back to the pool before the ordinary release.
    std::int32_t Release() const override;

    // The process-wide pooling switch. Switching it off empties the pool.
    static void SetPoolingEnabled(bool enabled);
    static bool IsPoolingEnabled();
    static std::size_t GetPoolSize();

protected:
    LNotification() = default;

private:
    friend class LNotificationQueue;
    friend class LNotificationPool;
    void SetQueued(bool queued) { m_queued.store(queued, std::memory_order_release); }

    NotificationID m_id = nullptr;
    ConstRCPtr<LRefCountedObject> m_parameter;
    std::atomic<bool> m_queued{false};
    mutable std::atomic<bool> m_recycling{false};
};

}  // namespace Orv
