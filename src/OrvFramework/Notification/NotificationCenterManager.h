#pragma once
// The process-wide list of notification centers.
#include <mutex>
#include <vector>

#include "OrvFramework/Notification/NotificationCenter.h"

namespace Orv {

// The center into which the update worker posts and from which the application's idle processing
// delivers.
inline constexpr char16_t kApplicationCenterName[] = u"application";

class LNotificationCenterManager {
public:
    static LNotificationCenterManager& Get();

    // The center of that name, created and appended when there is none; null for an empty name.
    RCPtr<LNotificationCenter> GetNotificationCenter(const String& name);
    std::vector<RCPtr<LNotificationCenter>> GetCenters() const;
    // Processes the queues of all centers, last center first; answers whether any still holds
    // notifications.
    bool ProcessAllQueues(bool sendIdle);
    // Tears every center down and forgets them (at shutdown, on the user-interface thread).
    void ReleaseAll();

private:
    LNotificationCenterManager() = default;
    mutable std::mutex m_lock;  // the worker may look a center up
    std::vector<RCPtr<LNotificationCenter>> m_centers;
};

// Shorthand for the "application" center.
RCPtr<LNotificationCenter> GetApplicationNotificationCenter();

}  // namespace Orv
