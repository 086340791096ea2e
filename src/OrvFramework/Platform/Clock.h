#pragma once
// Every wait of the engine and the threads goes through a clock, so that tests run on virtual time
// and never sleep for real.
//
// Contract: an IClock is shared by every thread that waits on it; Now, Sleep and WaitFor may be
// called from any thread at once. Now never goes backwards. Sleep returns after at least the given
// time of this clock (at once on the virtual clock, which moves its time on instead). WaitFor
// answers as soon as its predicate holds and never blocks longer than its timeout of this clock;
// whoever waits must give a timeout, so that no wait of the program is unbounded. The real clock
// is built on std::chrono::steady_clock and needs no backend of its own on any platform; the
// virtual clock is for tests and tools that replay an update without waiting. Nothing here throws.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Orv::Platform {

using ClockDuration = std::chrono::microseconds;

class IClock {
public:
    virtual ~IClock() = default;
    // Time since an arbitrary fixed start.
    virtual ClockDuration Now() const = 0;
    virtual void Sleep(ClockDuration duration) = 0;

    void SleepMs(std::int64_t ms) { Sleep(std::chrono::milliseconds(ms)); }
    std::int64_t NowMs() const { return std::chrono::duration_cast<std::chrono::milliseconds>(Now()).count(); }

    // Waits on a condition for at most `timeout` of this clock's time; true when pred() holds.
    template <class Pred>
    bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, ClockDuration timeout, Pred pred) {
        if (cv.wait_for(lock, RealWaitBudget(timeout), pred)) return true;
        NoteTimedOut(timeout);
        return pred();
    }

protected:
    // How long a condition wait of `timeout` blocks in real time.
    virtual std::chrono::nanoseconds RealWaitBudget(ClockDuration timeout) const = 0;
    // A condition wait ran out: virtual time moves on by the timeout.
    virtual void NoteTimedOut(ClockDuration timeout) = 0;
};

class RealClock final : public IClock {
public:
    ClockDuration Now() const override;
    void Sleep(ClockDuration duration) override;

protected:
    std::chrono::nanoseconds RealWaitBudget(ClockDuration timeout) const override { return timeout; }
    void NoteTimedOut(ClockDuration) override {}
};

// Virtual time: Sleep returns at once and moves the time on. A condition wait blocks for a short
// real moment (so that other threads can answer) and then counts as having waited its timeout.
class VirtualClock final : public IClock {
public:
    explicit VirtualClock(std::chrono::milliseconds realWaitCap = std::chrono::milliseconds(50))
        : m_realWaitCap(realWaitCap) {}

    ClockDuration Now() const override { return ClockDuration(m_now.load()); }
    void Sleep(ClockDuration duration) override;
    void Advance(ClockDuration duration) { m_now += duration.count(); }
    // Total time spent in Sleep, for tests that check a wait happened.
    ClockDuration TotalSlept() const { return ClockDuration(m_slept.load()); }

protected:
    std::chrono::nanoseconds RealWaitBudget(ClockDuration timeout) const override;
    void NoteTimedOut(ClockDuration timeout) override { Advance(timeout); }

private:
    std::atomic<std::int64_t> m_now{0};
    std::atomic<std::int64_t> m_slept{0};
    std::chrono::milliseconds m_realWaitCap;
};

// The process-wide real clock.
IClock& GetRealClock();

}  // namespace Orv::Platform
