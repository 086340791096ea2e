#include "OrvFramework/Notification/Event.h"

namespace Orv {

void LEvent::Set() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_set = true;
    }
    m_cv.notify_all();
}

void LEvent::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_set = false;
}

bool LEvent::IsSet() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_set;
}

bool LEvent::Wait(Platform::IClock& clock, Platform::ClockDuration timeout) const {
    std::unique_lock<std::mutex> lock(m_lock);
    return clock.WaitFor(m_cv, lock, timeout, [this] { return m_set; });
}

}  // namespace Orv
