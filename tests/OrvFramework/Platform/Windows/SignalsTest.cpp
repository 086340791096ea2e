#include "OrvFramework/Platform/Signals.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OrvFramework/Platform/Windows/ConsoleControl.h"

using namespace Orv::Platform;
using Orv::Platform::Windows::ConsoleControlRoutine;

namespace {

constexpr int kPollMs = 10;

// Virtual time that remembers which threads waited on it and for how long.
class RecordingClock final : public IClock {
public:
    ClockDuration Now() const override { return ClockDuration(m_now.load()); }
    void Sleep(ClockDuration duration) override {
        m_now += duration.count();
        {
            std::lock_guard lock(m_lock);
            m_slept[GetCurrentThreadId()] += duration.count() / 1000;
        }
        std::this_thread::yield();
    }
    std::int64_t SleptMs(DWORD thread) {
        std::lock_guard lock(m_lock);
        return m_slept[thread];
    }

protected:
    std::chrono::nanoseconds RealWaitBudget(ClockDuration) const override { return std::chrono::milliseconds(1); }
    void NoteTimedOut(ClockDuration timeout) override { m_now += timeout.count(); }

private:
    std::atomic<std::int64_t> m_now{0};
    std::mutex m_lock;
    std::map<DWORD, std::int64_t> m_slept;
};

// The routine stays installed for the rest of the process, with this clock.
RecordingClock& Clock() {
    static RecordingClock* clock = [] {
        auto* c = new RecordingClock();
        SignalThread::Start(*c, kPollMs);
        return c;
    }();
    return *clock;
}

// Calls are recorded under the policy lock, in the order they were made.
struct RecordingPolicy final : ISignalPolicy {
    bool IsBusy() override {
        // With a second event, the upload ends once that one has waited for it longer than the
        // system's grace after a close, or at once when it returned without waiting.
        if (secondReturned) {
            calls.push_back("second returned during the upload");
            busy = false;
        } else if (second.joinable() && Clock().SleptMs(secondId) >= 30000) {
            busy = false;
        }
        return busy;
    }
    void OnHeld(int signal) override {
        calls.push_back(std::string("held ") + SignalThread::Name(signal));
        if (!closeWhenHeld) return;
        // The console's close arrives while the first request is held.
        second = std::thread([this] {
            secondId = GetCurrentThreadId();
            secondTaken = ConsoleControlRoutine(CTRL_CLOSE_EVENT);
            secondReturned = true;
        });
    }
    void OnHeldSignalDue(int signal) override { calls.push_back(std::string("due ") + SignalThread::Name(signal)); }
    bool OnSignal(int signal) override {
        calls.push_back(std::string("signal ") + SignalThread::Name(signal));
        return takes;
    }
    bool busy = false, takes = true, closeWhenHeld = false;
    std::vector<std::string> calls;
    std::thread second;
    std::atomic<DWORD> secondId{0};
    std::atomic<bool> secondReturned{false};
    BOOL secondTaken = FALSE;
};

class ConsoleControl : public ::testing::Test {
protected:
    void SetUp() override { Clock(); }
    void TearDown() override { SignalThread::SetPolicy(nullptr); }
    RecordingPolicy m_policy;
};

}  // namespace

TEST_F(ConsoleControl, EventsGoToThePolicyOrToTheSystemsDefault) {
    // Without a policy, and for an event that is not an end request, the system's routine acts.
    EXPECT_FALSE(ConsoleControlRoutine(CTRL_C_EVENT));
    SignalThread::SetPolicy(&m_policy);
    EXPECT_FALSE(ConsoleControlRoutine(0x1234));

    EXPECT_TRUE(ConsoleControlRoutine(CTRL_C_EVENT));
    m_policy.takes = false;
    EXPECT_FALSE(ConsoleControlRoutine(CTRL_BREAK_EVENT));
    // After a close the system ends the process when the routine returns: the program gets the
    // time the system allows to end by itself first.
    m_policy.takes = true;
    EXPECT_TRUE(ConsoleControlRoutine(CTRL_CLOSE_EVENT));
    EXPECT_GE(Clock().SleptMs(GetCurrentThreadId()), 20000);
    EXPECT_EQ(m_policy.calls, (std::vector<std::string>{"signal Ctrl+C", "signal Ctrl+Break",
                                                        "signal the console's close, logoff or shutdown"}));
}

// A close during the hold is taken silently and does not return (which would end the process)
// before the upload is over, however long that lasts.
TEST_F(ConsoleControl, DuringAnUploadRequestsAreHeldAndTheProcessStaysUntilItIsOver) {
    m_policy.busy = m_policy.closeWhenHeld = true;
    SignalThread::SetPolicy(&m_policy);
    EXPECT_TRUE(ConsoleControlRoutine(CTRL_C_EVENT));
    ASSERT_TRUE(m_policy.second.joinable());
    m_policy.second.join();
    EXPECT_TRUE(m_policy.secondTaken);
    EXPECT_EQ(m_policy.calls, (std::vector<std::string>{"held Ctrl+C", "due Ctrl+C"}));
}
