#include "OrvFramework/Platform/Signals.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/Windows/ConsoleControl.h"

using namespace Orv::Platform;
using Orv::Platform::Windows::ConsoleControlRoutine;

namespace {

constexpr std::chrono::milliseconds kPoll(10);

// The routine stays installed for the rest of the process, with this clock.
VirtualClock& Clock() {
    static VirtualClock* clock = [] {
        auto* c = new VirtualClock();
        SignalThread::Start(*c, static_cast<int>(kPoll.count()));
        return c;
    }();
    return *clock;
}

// Calls are recorded under the policy lock, in the order they were made.
struct RecordingPolicy final : ISignalPolicy {
    bool IsBusy() override {
        // With a second event, the upload ends once that one has waited for it longer than the
        // system's grace after a close, or at once when it returned without waiting. Only the two
        // requests sleep, and the first asks here after each of its polls: the rest is the second's.
        const ClockDuration secondSlept = Clock().TotalSlept() - sleptWhenHeld - ++polls * kPoll;
        if (secondReturned) {
            calls.push_back("second returned during the upload");
            busy = false;
        } else if (second.joinable() && secondSlept >= std::chrono::seconds(30)) {
            busy = false;
        }
        return busy;
    }
    void OnHeld(int signal) override {
        calls.push_back(std::string("held ") + SignalThread::Name(signal));
        sleptWhenHeld = Clock().TotalSlept();
        polls = 0;
        if (!closeWhenHeld) return;
        // The console's close arrives while the first request is held.
        second = std::thread([this] {
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
    std::atomic<bool> secondReturned{false};
    BOOL secondTaken = FALSE;
    ClockDuration sleptWhenHeld{};
    int polls = 0;
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
    const ClockDuration before = Clock().TotalSlept();
    EXPECT_TRUE(ConsoleControlRoutine(CTRL_CLOSE_EVENT));
    EXPECT_GE(Clock().TotalSlept() - before, std::chrono::seconds(20));
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
