#include "OrvFramework/Platform/Clock.h"

#include <thread>

namespace Orv::Platform {

ClockDuration RealClock::Now() const {
    return std::chrono::duration_cast<ClockDuration>(std::chrono::steady_clock::now().time_since_epoch());
}

void RealClock::Sleep(ClockDuration duration) {
    if (duration.count() > 0) std::this_thread::sleep_for(duration);
}

void VirtualClock::Sleep(ClockDuration duration) {
    if (duration.count() > 0) {
        m_now += duration.count();
        m_slept += duration.count();
    }
    std::this_thread::yield();
}

std::chrono::nanoseconds VirtualClock::RealWaitBudget(ClockDuration timeout) const {
    return std::min<std::chrono::nanoseconds>(timeout, m_realWaitCap);
}

IClock& GetRealClock() {
    static RealClock clock;
    return clock;
}

}  // namespace Orv::Platform
