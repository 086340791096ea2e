#pragma once
// Sends notifications synchronously to the receivers registered with it, one pool of registrations
// per identifier. Sends run on the calling thread; the pools are locked only for their structure
// (never across a delivery), so a worker thread may post against them while the user-interface
// thread registers.
#include <cstdint>
#include <mutex>
#include <vector>

#include "OrvFramework/Notification/NotificationReceiver.h"

namespace Orv {

class LNotificationClient;

class LNotificationRegisteredClientInfo : public LRefCountedObject {
public:
    ConstRCPtr<LNotificationReceiver> m_client;
    LNotificationClient* m_accountable = nullptr;  // the client's bookkeeping side, when it has one
    ConstRCPtr<LNotification> m_pending;           // latest-only: the one notification to deliver
    std::uint32_t m_flags = 0;
};

class LNotificationDistributor : public virtual LRefCountedObject {
public:
    class LNotificationClientPool : public LRefCountedObject {
    public:
        std::uint32_t m_combinedFlags = 0;
        NotificationID m_identifier = nullptr;
        std::vector<RCPtr<LNotificationRegisteredClientInfo>> m_registrations;
        // The index being served by each send in progress (nested sends of the same identifier
        // keep their own); lowered when an earlier registration is removed during the send.
        std::vector<std::ptrdiff_t*> m_deliveryIndexes;
    };

    LNotificationDistributor() = default;
    LNotificationDistributor(const LNotificationDistributor&) = delete;
    LNotificationDistributor& operator=(const LNotificationDistributor&) = delete;
    ~LNotificationDistributor() override;

    // 0x80070057 for null; 1 when nobody is registered for its identifier; else 0.
    ORVRESULT Distribute(LNotification* notification);
    // 0x80070057 for a null client; 1 for an empty identifier; 0 for a new registration; 1 when the
    // client was registered already (its flags are then replaced).
    ORVRESULT RegisterClient(LNotificationReceiver* client, NotificationID identifier, std::uint32_t flags);
    // 0 when a registration was removed, 1 when there was none.
    ORVRESULT UnregisterClient(LNotificationReceiver* client, NotificationID identifier);

    // Latest-only rule of posting: every latest-only registration for the notification's identifier
    // now waits for this notification. Safe from any thread.
    void MarkPending(LNotification* notification);

    bool HasRegistrations(NotificationID identifier) const;
    std::size_t GetRegistrationCount(NotificationID identifier) const;
    std::uint32_t GetCombinedFlags(NotificationID identifier) const;

protected:
    // Removes every registration of every pool, last pool first and last registration first,
    // asking each receiver to end it and removing what remains.
    void RemoveAllRegistrations();

private:
    friend class LNotificationClient;
    // Removes every registration that the client holds here; answers how many went.
    std::size_t RemoveAllRegistrationsOf(LNotificationClient* client);
    std::size_t CountRegistrationsOfLocked(const LNotificationReceiver* client) const;
    RCPtr<LNotificationClientPool> FindPoolLocked(NotificationID identifier) const;
    // Takes the registration at `index` out of the pool; the caller releases it, unlocked.
    RCPtr<LNotificationRegisteredClientInfo> DetachLocked(LNotificationClientPool& pool, std::size_t index);
    void Settle(RCPtr<LNotificationRegisteredClientInfo>& info, bool lastWithDistributor);

    mutable std::mutex m_lock;
    std::vector<RCPtr<LNotificationClientPool>> m_pools;
};

}  // namespace Orv
