#include "OrvFramework/Notification/NotificationCenterManager.h"

namespace Orv {

LNotificationCenterManager& LNotificationCenterManager::Get() {
    // Never destroyed: the application tears the centers down with ReleaseAll at shutdown, and
    // objects released during static destruction may still look here.
    static LNotificationCenterManager* manager = new LNotificationCenterManager;
    return *manager;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetNotificationCenter(const String& name) {
    if (name.empty()) return nullptr;
    std::lock_guard<std::mutex> guard(m_lock);
    for (const auto& c : m_centers)
        if (c->GetName() == name) return c;
    m_centers.push_back(MakeRC<LNotificationCenter>(name));
    return m_centers.back();
}

std::vector<RCPtr<LNotificationCenter>> LNotificationCenterManager::GetCenters() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_centers;
}

bool LNotificationCenterManager::ProcessAllQueues(bool sendIdle) {
    const std::vector<RCPtr<LNotificationCenter>> centers = GetCenters();
    bool pending = false;
    for (auto it = centers.rbegin(); it != centers.rend(); ++it) pending |= (*it)->ProcessQueue(sendIdle);
    return pending;
}

void LNotificationCenterManager::ReleaseAll() {
    std::vector<RCPtr<LNotificationCenter>> centers;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        centers.swap(m_centers);
    }
    for (auto it = centers.rbegin(); it != centers.rend(); ++it) (*it)->ReleaseInternalReferences();
}

RCPtr<LNotificationCenter> GetApplicationNotificationCenter() {
    return LNotificationCenterManager::Get().GetNotificationCenter(String(kApplicationCenterName));
}

}  // namespace Orv
