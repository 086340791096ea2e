#include "OrvFramework/Notification/NotificationDistributor.h"

#include <algorithm>

#include "OrvFramework/Notification/NotificationClient.h"

namespace Orv {

using Info = LNotificationRegisteredClientInfo;
using Pool = LNotificationDistributor::LNotificationClientPool;

namespace {

void RecomputeFlags(Pool& pool) {
    std::uint32_t flags = 0;
    for (const auto& r : pool.m_registrations) flags |= r->m_flags;
    pool.m_combinedFlags = flags;
}

}  // namespace

LNotificationDistributor::~LNotificationDistributor() {
    std::vector<RCPtr<Info>> infos;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto& pool : m_pools)
            for (auto& r : pool->m_registrations) infos.push_back(std::move(r));
        m_pools.clear();
    }
    for (std::size_t i = 0; i < infos.size(); ++i) {
        LNotificationClient* client = infos[i]->m_accountable;
        if (client == nullptr) continue;
        const bool last = std::none_of(infos.begin() + static_cast<std::ptrdiff_t>(i) + 1, infos.end(),
                                       [&](const RCPtr<Info>& o) { return o->m_accountable == client; });
        client->NoteRegistrationDropped(this, last);
    }
}

RCPtr<Pool> LNotificationDistributor::FindPoolLocked(NotificationID identifier) const {
    for (auto it = m_pools.rbegin(); it != m_pools.rend(); ++it)
        if ((*it)->m_identifier == identifier) return *it;
    return nullptr;
}

std::size_t LNotificationDistributor::CountRegistrationsOfLocked(const LNotificationReceiver* client) const {
    std::size_t n = 0;
    for (const auto& pool : m_pools)
        for (const auto& r : pool->m_registrations) n += (r->m_client.Get() == client) ? 1 : 0;
    return n;
}

ORVRESULT LNotificationDistributor::Distribute(LNotification* notification) {
    if (notification == nullptr) return E_INVALIDARG;
    // A handler may drop the last outside reference to this distributor; it must survive the send.
    ConstRCPtr<LRefCountedObject> self;
    if (GetReferenceCount() > 0) self = static_cast<const LRefCountedObject*>(this);

    std::unique_lock<std::mutex> lock(m_lock);
    RCPtr<Pool> pool = FindPoolLocked(notification->GetID());
    if (!pool || pool->m_registrations.empty()) return S_FALSE;

    std::ptrdiff_t index = static_cast<std::ptrdiff_t>(pool->m_registrations.size()) - 1;
    pool->m_deliveryIndexes.push_back(&index);
    struct IndexGuard {
        std::unique_lock<std::mutex>& lock;
        Pool& pool;
        std::ptrdiff_t* index;
        ~IndexGuard() {
            if (!lock.owns_lock()) lock.lock();
            auto& v = pool.m_deliveryIndexes;
            v.erase(std::find(v.begin(), v.end(), index));
        }
    } indexGuard{lock, *pool, &index};

    while (index >= 0) {
        RCPtr<Info> info = pool->m_registrations[static_cast<std::size_t>(index)];
        ConstRCPtr<LNotification> servedPending;
        bool deliver = true;
        if (info->m_flags & kNotifyLatestOnly) {
            if (info->m_pending.Get() != notification)
                deliver = false;
            else
                servedPending = std::move(info->m_pending);
        }
        if (deliver) {
            ConstRCPtr<LNotificationReceiver> client = info->m_client;
            lock.unlock();
            servedPending.Reset();
            const_cast<LNotificationReceiver*>(client.Get())->ReceiveNotification(this, notification);
            client.Reset();
            info.Reset();
            lock.lock();
        }
        --index;
    }
    return S_OK;
}

ORVRESULT LNotificationDistributor::RegisterClient(LNotificationReceiver* client, NotificationID identifier,
                                                   std::uint32_t flags) {
    if (client == nullptr) return E_INVALIDARG;
    if (identifier == nullptr) return S_FALSE;
    auto* accountable = dynamic_cast<LNotificationClient*>(client);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        RCPtr<Pool> pool = FindPoolLocked(identifier);
        if (!pool) {
            pool = MakeRC<Pool>();
            pool->m_identifier = identifier;
            m_pools.push_back(pool);
        }
        for (auto it = pool->m_registrations.rbegin(); it != pool->m_registrations.rend(); ++it) {
            if ((*it)->m_client.Get() != client) continue;
            if ((*it)->m_flags != flags) {
                (*it)->m_flags = flags;
                RecomputeFlags(*pool);
            }
            return S_FALSE;
        }
        auto info = MakeRC<Info>();
        info->m_client = client;
        info->m_accountable = accountable;
        info->m_flags = flags;
        pool->m_registrations.push_back(std::move(info));
        pool->m_combinedFlags |= flags;
    }
    if (accountable) accountable->NoteRegistrationAdded(this);
    return S_OK;
}

RCPtr<Info> LNotificationDistributor::DetachLocked(Pool& pool, std::size_t index) {
    RCPtr<Info> info = std::move(pool.m_registrations[index]);
    pool.m_registrations.erase(pool.m_registrations.begin() + static_cast<std::ptrdiff_t>(index));
    // Sends in progress continue below the removed registration without skipping one.
    for (std::ptrdiff_t* served : pool.m_deliveryIndexes)
        if (static_cast<std::ptrdiff_t>(index) < *served) --*served;
    RecomputeFlags(pool);
    return info;
}

void LNotificationDistributor::Settle(RCPtr<Info>& info, bool lastWithDistributor) {
    if (info->m_accountable) info->m_accountable->NoteRegistrationDropped(this, lastWithDistributor);
    info.Reset();
}

ORVRESULT LNotificationDistributor::UnregisterClient(LNotificationReceiver* client, NotificationID identifier) {
    RCPtr<Info> info;
    bool last = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        RCPtr<Pool> pool = FindPoolLocked(identifier);
        if (!pool) return S_FALSE;
        for (std::size_t i = pool->m_registrations.size(); i-- > 0;) {
            if (pool->m_registrations[i]->m_client.Get() == client) {
                info = DetachLocked(*pool, i);
                break;
            }
        }
        if (!info) return S_FALSE;
        last = CountRegistrationsOfLocked(client) == 0;
    }
    Settle(info, last);
    return S_OK;
}

std::size_t LNotificationDistributor::RemoveAllRegistrationsOf(LNotificationClient* client) {
    std::vector<RCPtr<Info>> removed;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto& pool : m_pools)
            for (std::size_t i = pool->m_registrations.size(); i-- > 0;)
                if (pool->m_registrations[i]->m_accountable == client) removed.push_back(DetachLocked(*pool, i));
    }
    for (std::size_t i = 0; i < removed.size(); ++i) Settle(removed[i], i + 1 == removed.size());
    return removed.size();
}

void LNotificationDistributor::RemoveAllRegistrations() {
    std::unique_lock<std::mutex> lock(m_lock);
    for (std::size_t p = m_pools.size(); p-- > 0;) {
        RCPtr<Pool> pool = m_pools[p];
        while (!pool->m_registrations.empty()) {
            RCPtr<Info> info = pool->m_registrations.back();
            lock.unlock();
            const_cast<LNotificationReceiver*>(info->m_client.Get())->RemoveRegistration(this, pool->m_identifier);
            lock.lock();
            // A receiver that declines (a posting receiver does) is removed all the same.
            if (!pool->m_registrations.empty() && pool->m_registrations.back() == info) {
                RCPtr<Info> detached = DetachLocked(*pool, pool->m_registrations.size() - 1);
                const bool last = CountRegistrationsOfLocked(detached->m_client.Get()) == 0;
                lock.unlock();
                Settle(detached, last);
                lock.lock();
            }
            lock.unlock();
            info.Reset();
            lock.lock();
        }
    }
}

void LNotificationDistributor::MarkPending(LNotification* notification) {
    std::vector<ConstRCPtr<LNotification>> superseded;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        RCPtr<Pool> pool = FindPoolLocked(notification->GetID());
        if (!pool || !(pool->m_combinedFlags & kNotifyLatestOnly)) return;
        for (auto it = pool->m_registrations.rbegin(); it != pool->m_registrations.rend(); ++it) {
            if (!((*it)->m_flags & kNotifyLatestOnly)) continue;
            superseded.push_back(std::move((*it)->m_pending));
            (*it)->m_pending = notification;
        }
    }
}

bool LNotificationDistributor::HasRegistrations(NotificationID identifier) const {
    return GetRegistrationCount(identifier) != 0;
}

std::size_t LNotificationDistributor::GetRegistrationCount(NotificationID identifier) const {
    std::lock_guard<std::mutex> guard(m_lock);
    RCPtr<Pool> pool = FindPoolLocked(identifier);
    return pool ? pool->m_registrations.size() : 0;
}

std::uint32_t LNotificationDistributor::GetCombinedFlags(NotificationID identifier) const {
    std::lock_guard<std::mutex> guard(m_lock);
    RCPtr<Pool> pool = FindPoolLocked(identifier);
    return pool ? pool->m_combinedFlags : 0;
}

}  // namespace Orv
