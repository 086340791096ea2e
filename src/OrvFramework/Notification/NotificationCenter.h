#pragma once
// A named distributor that owns a queue delivering through itself.
#include "OrvFramework/Notification/NotificationQueue.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

class LNotificationCenter : public LNotificationDistributor {
public:
    explicit LNotificationCenter(String name);
    ~LNotificationCenter() override;

    const String& GetName() const { return m_name; }
    // The queue; null once the center has been torn down.
    RCPtr<LNotificationQueue> GetQueue() const { return m_queue; }

    // Post into the center's queue; 0x80004005 once the center has been torn down.
    ORVRESULT Post(LNotification* notification);
    bool ProcessQueue(bool sendIdle);

    // Tears the center down: every registration is ended, whatever is still queued is discarded
    // without delivery, and the queue is detached.
    ORVRESULT ReleaseInternalReferences() override;

private:
    void TearDown();

    String m_name;
    RCPtr<LNotificationQueue> m_queue;
};

}  // namespace Orv
