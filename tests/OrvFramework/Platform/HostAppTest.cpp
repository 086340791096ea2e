// The loop's contract, the same for every host toolkit.
#include "OrvFramework/Platform/HostApp.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

#include "Support/HostEvents.h"

using namespace Orv::Platform;

namespace {

struct TickCounter : IHostWindowEvents {
    std::thread::id timerThread;
    int ticks = 0;
    std::function<void()> onTick;
    void OnHostTimer(int) override {
        timerThread = std::this_thread::get_id();
        ++ticks;
        if (onTick) onTick();
    }
};

// Records its idle calls; each round asks for more until the count of 2. The end of the first
// round wakes the loop from another thread, the end of the second quits from there.
struct IdleApp : HostApp {
    std::vector<long> counts;
    int rounds = 0;
    bool ranAfterQuit = false;
    bool OnIdle(long count) override {
        counts.push_back(count);
        if (count < 2) return true;
        std::thread([this] {
            if (++rounds == 1) return WakeForIdle();
            PostQuit(5);
            RunOnUiThread([this] { ranAfterQuit = true; });
        }).join();
        return false;
    }
};

}  // namespace

// Functions posted from other threads run on the loop thread in order; a quit from another thread
// wakes the blocked loop, which answers its code.
TEST(HostAppLoop, FunctionsPostedFromThreadsRunOnTheLoopThreadInOrder) {
    HostApp app;
    LoopWatchdog watchdog(app);
    const auto uiThread = std::this_thread::get_id();
    std::vector<int> fromA, fromB;
    int wrongThread = 0;
    auto poster = [&](std::vector<int>& sink) {
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(app.RunOnUiThread([&sink, &wrongThread, uiThread, i] {
                if (std::this_thread::get_id() != uiThread) ++wrongThread;
                sink.push_back(i);
            }));
        }
    };
    std::thread a(poster, std::ref(fromA)), b(poster, std::ref(fromB));
    a.join();
    b.join();
    std::thread quitter;
    app.RunOnUiThread([&] { quitter = std::thread([&] { app.PostQuit(7); }); });
    EXPECT_EQ(app.RunMessageLoop(), 7);
    quitter.join();
    EXPECT_FALSE(app.IsRunning());
    std::vector<int> inOrder(200);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    EXPECT_EQ(fromA, inOrder);
    EXPECT_EQ(fromB, inOrder);
    EXPECT_EQ(wrongThread, 0);
}

// Idle calls run while they ask for more and count from 0 again after every event; a wake-up from
// another thread starts a new round. A quit ends the loop before what was posted after it.
TEST(HostAppLoop, IdleRoundsRestartAfterEveryEventAndAQuitEndsTheRun) {
    IdleApp app;
    LoopWatchdog watchdog(app);
    EXPECT_EQ(app.RunMessageLoop(), 5);
    EXPECT_EQ(app.counts, (std::vector<long>{0, 1, 2, 0, 1, 2}));
    EXPECT_FALSE(app.ranAfterQuit);
}

// Ticks arrive on the loop thread; nothing reaches a window after its timer stops or after it is
// unregistered, not even a tick already queued.
TEST(HostAppLoop, WindowTimerTicksOnTheLoopThreadUntilStoppedOrUnregistered) {
    HostApp app;
    LoopWatchdog watchdog(app);
    TickCounter stopped, gone, stays;
    app.RegisterWindow(1, &stopped);
    app.RegisterWindow(2, &gone);
    app.RegisterWindow(3, &stays);
    for (std::uint32_t id : {1u, 2u, 3u}) ASSERT_TRUE(app.StartWindowTimer(id, kWindowTimerId, 2));
    app.UnregisterWindow(2);
    EXPECT_FALSE(app.IsWindowRegistered(2));
    stopped.onTick = [&] {
        if (stopped.ticks == 3) app.StopWindowTimer(1, kWindowTimerId);
    };
    stays.onTick = [&] {
        if (stays.ticks >= 8 && stopped.ticks == 3) app.RunOnUiThread([&] { app.PostQuit(0); });
    };
    EXPECT_EQ(app.RunMessageLoop(), 0);
    EXPECT_EQ(stopped.ticks, 3);
    EXPECT_EQ(gone.ticks, 0);
    EXPECT_GE(stays.ticks, 8);
    EXPECT_EQ(stays.timerThread, std::this_thread::get_id());
}
