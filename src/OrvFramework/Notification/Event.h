#pragma once
// A manual-reset event object, shared through reference counting. Waits are bounded and go through
// a clock.
#include <condition_variable>
#include <mutex>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Platform/Clock.h"

namespace Orv {

class LEvent : public virtual LRefCountedObject {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is (or becomes) set within the timeout of the clock.
    bool Wait(Platform::IClock& clock, Platform::ClockDuration timeout) const;

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_cv;
    bool m_set = false;
};

}  // namespace Orv
