#include "OrvFramework/Notification/NotificationQueue.h"

namespace Orv {

std::recursive_mutex& LNotificationQueue::RingLock() {
    // Never destroyed: queues may be released during static destruction.
    static std::recursive_mutex* lock = new std::recursive_mutex;
    return *lock;
}

ORVRESULT LNotificationQueue::LPostingReceiver::ReceiveNotification(LNotificationDistributor*,
                                                                    LNotification* notification) {
    LNotificationQueue* queue = m_queue.load();
    if (queue == nullptr || notification == nullptr) return E_FAIL;
    RCPtr<LNotification> copy = LNotification::Create(notification->GetID(), notification->GetParameter());
    return queue->Post(copy.Get());
}

LNotificationQueue::LNotificationQueue()
    : m_ring(&RingLock()),
      m_postingReceiver(MakeRC<LPostingReceiver>(this)),
      m_idleNotification(LNotification::Create(IdleNotificationID())) {}

LNotificationQueue::~LNotificationQueue() {
    m_postingReceiver->m_queue.store(nullptr);
    Discard();
}

void LNotificationQueue::SetDistributor(LNotificationDistributor* distributor) {
    std::lock_guard<std::recursive_mutex> guard(RingLock());
    m_distributor = distributor;
}

LNotificationDistributor* LNotificationQueue::GetDistributor() const {
    std::lock_guard<std::recursive_mutex> guard(RingLock());
    return m_distributor;
}

namespace {
std::atomic<LNotificationQueue::PostHook> s_postHook{nullptr};
std::atomic<void*> s_postHookContext{nullptr};
}  // namespace

void LNotificationQueue::SetPostHook(PostHook hook, void* context) {
    s_postHook.store(nullptr);
    s_postHookContext.store(context);
    s_postHook.store(hook);
}

ORVRESULT LNotificationQueue::Post(LNotification* notification) {
    if (notification == nullptr) return E_INVALIDARG;
    {
        std::lock_guard<std::recursive_mutex> guard(RingLock());
        // Checked and set under the lock, so that two threads cannot both post one notification.
        if (notification->IsQueued()) return E_INVALIDARG;
        if (m_distributor == nullptr) return E_FAIL;
        m_distributor->MarkPending(notification);
        notification->SetQueued(true);
        m_ring.Enqueue(ConstRCPtr<LNotification>(notification));
    }
    if (PostHook hook = s_postHook.load()) hook(s_postHookContext.load());
    return S_OK;
}

bool LNotificationQueue::ProcessQueue(bool sendIdle) {
    // A handler may drop the last reference to the queue's owner while it runs.
    ConstRCPtr<LRefCountedObject> self;
    if (GetReferenceCount() > 0) self = static_cast<const LRefCountedObject*>(this);

    bool expected = false;
    if (m_busy.compare_exchange_strong(expected, true)) {
        struct BusyGuard {
            std::atomic<bool>& busy;
            ~BusyGuard() { busy.store(false); }
        } busyGuard{m_busy};
        // Only what waits now: posts made while delivering wait for the next call.
        for (std::size_t n = m_ring.GetCount(); n > 0; --n) {
            LNotificationDistributor* distributor = GetDistributor();
            if (distributor == nullptr || m_ring.IsEmpty()) break;  // torn down by a handler
            ConstRCPtr<LNotification> notification = m_ring.Dequeue();
            auto* current = const_cast<LNotification*>(notification.Get());
            struct QueuedGuard {
                LNotification* n;
                ~QueuedGuard() { n->SetQueued(false); }
            } queuedGuard{current};
            distributor->Distribute(current);
        }
    }
    if (sendIdle) {
        if (LNotificationDistributor* distributor = GetDistributor()) distributor->Distribute(m_idleNotification.Get());
    }
    return !m_ring.IsEmpty();
}

void LNotificationQueue::Discard() {
    std::vector<ConstRCPtr<LNotification>> dropped = m_ring.TakeAll();
    for (auto& n : dropped) const_cast<LNotification*>(n.Get())->SetQueued(false);
    // `dropped` releases them here, outside the ring's lock.
}

void LNotificationQueue::Detach() {
    SetDistributor(nullptr);
    m_postingReceiver->m_queue.store(nullptr);
}

}  // namespace Orv
