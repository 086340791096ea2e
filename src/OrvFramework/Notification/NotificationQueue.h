#pragma once
// A queue of posted notifications, delivered later through a distributor on the thread that calls
// ProcessQueue (the user-interface thread). Posting is safe from any thread.
#include <atomic>
#include <mutex>

#include "OrvFramework/Notification/NotificationDistributor.h"
#include "OrvFramework/Utilities/Storage/RCPtrQueue.h"

namespace Orv {

class LNotificationQueue : public virtual LRefCountedObject {
public:
    // Turns every notification that it receives into a post into its queue.
    class LPostingReceiver : public LNotificationReceiver {
    public:
        explicit LPostingReceiver(LNotificationQueue* queue) : m_queue(queue) {}
        ORVRESULT ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) override;
        ORVRESULT RemoveRegistration(LNotificationDistributor*, NotificationID) override { return E_FAIL; }

    private:
        friend class LNotificationQueue;
        // Points back without a reference: the queue owns the receiver and detaches it when it goes.
        std::atomic<LNotificationQueue*> m_queue;
    };

    static constexpr std::size_t kInitialSlots = 256;
    using Ring = RCPtrQueue<LNotification, kInitialSlots>;

    LNotificationQueue();
    ~LNotificationQueue() override;

    // 0x80070057 for a null or already queued notification; 0x80004005 without a distributor.
    ORVRESULT Post(LNotification* notification);
    // Delivers what was queued when it started (not what is posted meanwhile); then, when asked,
    // sends "NID_IDLE". Does not nest. Answers whether notifications are still queued.
    bool ProcessQueue(bool sendIdle);

    // The distributor is not held: its owner (a center, a root window) owns this queue and detaches
    // it before going away.
    void SetDistributor(LNotificationDistributor* distributor);
    LNotificationDistributor* GetDistributor() const;
    LPostingReceiver* GetPostingReceiver() const { return m_postingReceiver.Get(); }
    std::size_t GetCount() const { return m_ring.GetCount(); }
    std::size_t GetSlotCount() const { return m_ring.GetSlotCount(); }
    bool IsBusy() const { return m_busy.load(); }

    // Empties the queue without delivering (each notification's queued flag is cleared).
    void Discard();
    // Ends the queue's links: no distributor, and its posting receiver posts nowhere.
    void Detach();

    // The one lock that every ring shares.
    static std::recursive_mutex& RingLock();

    // Called after every successful post, from the posting thread: the application wakes its
    // event loop with it. Null for none.
    using PostHook = void (*)(void* context);
    static void SetPostHook(PostHook hook, void* context);

private:
    std::atomic<bool> m_busy{false};
    Ring m_ring;
    LNotificationDistributor* m_distributor = nullptr;  // guarded by RingLock()
    RCPtr<LPostingReceiver> m_postingReceiver;
    RCPtr<LNotification> m_idleNotification;
};

}  // namespace Orv
