#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "OrvFramework/Notification/RetriggerableThreader.h"

namespace Orv {
namespace {

using namespace std::chrono_literals;

// Every wait of these tests is bounded; on success none of them runs out.
constexpr Platform::ClockDuration kBound = 10s;

class GatedWorker : public LThreadWorker {
public:
    ORVRESULT Run(const ConstRCPtr<LRefCountedObject>& parameters) override {
        threadId = std::this_thread::get_id();
        sawParameters = !parameters.IsNull();
        runs.fetch_add(1);
        started->Set();
        if (gated) released->Wait(Platform::GetRealClock(), kBound);
        return result;
    }
    RCPtr<LEvent> started = MakeRC<LEvent>();
    RCPtr<LEvent> released = MakeRC<LEvent>();
    bool gated = false;
    ORVRESULT result = 5;
    std::atomic<int> runs{0};
    std::thread::id threadId;
    bool sawParameters = false;
};

bool Signalled(const RCPtr<LEvent>& event) { return event->Wait(Platform::GetRealClock(), kBound); }

TEST(RetriggerableThreaderTest, RunsOnItsOwnThreadAndCanBeTriggeredAgain) {
    RetriggerableThreader threader;
    auto worker = MakeRC<GatedWorker>();
    auto done = MakeRC<LEvent>();
    ASSERT_EQ(threader.Trigger(worker, MakeRC<LEvent>(), 0, done), S_OK);
    ASSERT_TRUE(Signalled(done));
    EXPECT_FALSE(threader.IsBusy());
    EXPECT_EQ(threader.GetLastResult(), 5);
    EXPECT_TRUE(worker->sawParameters);
    const std::thread::id first = worker->threadId;
    EXPECT_NE(first, std::this_thread::get_id());

    worker->result = 9;
    ASSERT_EQ(threader.Trigger(worker, nullptr, 0, done), S_OK);
    ASSERT_TRUE(Signalled(done));
    EXPECT_EQ(worker->runs.load(), 2);
    EXPECT_EQ(worker->threadId, first);
    EXPECT_EQ(first, threader.GetThreadId());
    EXPECT_EQ(threader.GetLastResult(), 9);
    EXPECT_EQ(worker->GetReferenceCount(), 1);  // the threader let go of it after the run
}

TEST(RetriggerableThreaderTest, RefusesATriggerWhileBusy) {
    RetriggerableThreader threader;
    auto worker = MakeRC<GatedWorker>();
    worker->gated = true;
    auto other = MakeRC<GatedWorker>();
    auto done = MakeRC<LEvent>();
    ASSERT_EQ(threader.Trigger(worker, nullptr, 0, done), S_OK);
    ASSERT_TRUE(Signalled(worker->started));
    EXPECT_TRUE(threader.IsBusy());
    EXPECT_EQ(threader.Trigger(other, nullptr, 0), E_FAIL);
    worker->released->Set();
    ASSERT_TRUE(Signalled(done));
    EXPECT_EQ(std::pair(worker->runs.load(), other->runs.load()), std::pair(1, 0));
    EXPECT_EQ(threader.Trigger(other, nullptr, 0, done), S_OK);
    ASSERT_TRUE(Signalled(done));
    EXPECT_EQ(other->runs.load(), 1);
}

// An idle threader ends at once; a busy one waits sixty seconds at most.
TEST(RetriggerableThreaderTest, DestroyingABusyThreaderWaitsSixtySecondsAtMost) {
    Platform::VirtualClock clock;
    { RetriggerableThreader idle(clock); }
    EXPECT_EQ(clock.Now(), Platform::ClockDuration(0));
    auto worker = MakeRC<GatedWorker>();
    worker->gated = true;
    {
        RetriggerableThreader threader(clock);
        ASSERT_EQ(threader.Trigger(worker, nullptr, 0), S_OK);
        ASSERT_TRUE(Signalled(worker->started));
    }
    // The run never returned: destruction gave up after its 60 seconds (of virtual time).
    EXPECT_GE(clock.Now(), Platform::ClockDuration(60s));
    EXPECT_LT(clock.Now(), Platform::ClockDuration(61s));
    // The abandoned thread still finishes its run safely.
    worker->released->Set();
    for (int i = 0; i < 1000 && worker->GetReferenceCount() > 1; ++i) std::this_thread::yield();
}

}  // namespace
}  // namespace Orv
