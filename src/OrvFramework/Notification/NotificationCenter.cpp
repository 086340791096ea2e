#include "OrvFramework/Notification/NotificationCenter.h"

namespace Orv {

LNotificationCenter::LNotificationCenter(String name) : m_name(std::move(name)), m_queue(MakeRC<LNotificationQueue>()) {
    m_queue->SetDistributor(this);
}

LNotificationCenter::~LNotificationCenter() { TearDown(); }

ORVRESULT LNotificationCenter::Post(LNotification* notification) {
    RCPtr<LNotificationQueue> queue = m_queue;
    return queue ? queue->Post(notification) : E_FAIL;
}

bool LNotificationCenter::ProcessQueue(bool sendIdle) {
    RCPtr<LNotificationQueue> queue = m_queue;
    return queue ? queue->ProcessQueue(sendIdle) : false;
}

void LNotificationCenter::TearDown() {
    RemoveAllRegistrations();
    if (RCPtr<LNotificationQueue> queue = std::move(m_queue)) {
        // Detached first, so that a worker that still holds the queue can no longer post into it.
        queue->Detach();
        queue->Discard();
    }
}

ORVRESULT LNotificationCenter::ReleaseInternalReferences() {
    TearDown();
    return LRefCountedObject::ReleaseInternalReferences();
}

}  // namespace Orv
