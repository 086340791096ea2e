#pragma once
// Anything that a distributor can deliver to.
#include "OrvFramework/Notification/Notification.h"

namespace Orv {

class LNotificationDistributor;

class LNotificationReceiver : public virtual LRefCountedObject {
public:
    virtual ORVRESULT ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) = 0;
    // Asks the receiver to end its registration with the sender for the identifier.
    virtual ORVRESULT RemoveRegistration(LNotificationDistributor* sender, NotificationID identifier) = 0;
};

// Registration flag: of several notifications of one identifier posted before the queue is
// processed, only the most recent is delivered to this registration.
inline constexpr std::uint32_t kNotifyLatestOnly = 1;

}  // namespace Orv
