#include "OrvFramework/System/SplashWindow.h"

#include "OrvFramework/Platform/HostApp.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <SDL.h>  // the cancel test feeds the window SDL events
#endif

#include <atomic>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace Orv;
using Orv::Platform::VirtualClock;

namespace {

SplashPicture Picture(int w, int h, std::uint32_t argb) {
    return SplashPicture{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, argb)};
}

}  // namespace

// Positions outside 0..100 are held at the ends, and a run of no time jumps to its end instead of
// dividing by zero. (The plain eight-second run is driven through the thread below.)
TEST(SplashProgress, EdgesStayInRange) {
    SplashProgress p;
    p.SetPosition(250);
    EXPECT_EQ(p.Position(), 100);
    p.SetPosition(-5);
    EXPECT_EQ(p.Position(), 0);
    p.StartRun(0, 70, 0);
    EXPECT_EQ(p.Position(), 70);
    EXPECT_FALSE(p.TimerRunning());
}

// The strip is drawn over the picture; the pixels are the searching page's (the language pages test).
TEST(SplashFrame, APictureWhosePixelsDoNotMatchItsSizeGivesNoFrame) {
    EXPECT_EQ(ComposeSplashFrame(Picture(40, 30, 0xFF102030), true, 50, 0x00FF00).size(), 1200u);
    EXPECT_TRUE(ComposeSplashFrame(SplashPicture{2, 2, {1, 2, 3}}, true, 0, 0).empty());
}

TEST(SplashWindow, WithoutAPictureStartUpGoesOnAtOnce) {
    VirtualClock clock(std::chrono::milliseconds(1));
    SplashWindow splash(clock);
    EXPECT_FALSE(splash.Start(std::nullopt));
    EXPECT_LT(clock.NowMs(), kSplashStartTimeoutMs);
    splash.SetProgress(10);  // nobody listens; nothing happens
    splash.Close();
    EXPECT_TRUE(splash.GetState().finished);
}

TEST(SplashWindow, ThreadHandlesItsMessagesAndClosesAtOneHundred) {
#ifndef _WIN32
    setenv("SDL_VIDEODRIVER", "dummy", 1);
#endif
    // As the program does before its searching window: the display is set up on the main thread
    // (Wine hangs a process whose first window call comes from another thread).
    ASSERT_TRUE(Orv::Platform::HostApp::EnsureVideo());
    // The thread's start is real work; the progress run itself goes on virtual time.
    VirtualClock clock(std::chrono::milliseconds(2000));
    SplashWindow splash(clock);
    const auto within = std::chrono::seconds(2);
    ASSERT_TRUE(splash.Start(Picture(60, 40, 0xFF336699), "Splash"));
    EXPECT_FALSE(splash.GetState().stripCreated);
    EXPECT_EQ(splash.LastFrame().size(), 2400u);

    splash.RunProgress(0, 100, 8);
    ASSERT_TRUE(splash.WaitForState([](const SplashState& s) { return s.timerRunning; }, within));
    clock.Advance(std::chrono::seconds(8));
    splash.PostMessage(0);  // wakes the thread, which finds all 32 ticks due
    ASSERT_TRUE(splash.WaitForState(
        [](const SplashState& s) { return s.stripCreated && !s.timerRunning && s.position == 96; }, within));
    EXPECT_EQ(splash.GetState().step, 3);

    splash.SetProgress(40);
    ASSERT_TRUE(splash.WaitForState([](const SplashState& s) { return s.position == 40; }, within));

    splash.SetBarColor(0x000000FF);  // COLORREF red
    ASSERT_TRUE(splash.WaitForState([](const SplashState& s) { return s.barColor == 0xFF0000u; }, within));
    EXPECT_EQ(splash.LastFrame()[static_cast<std::size_t>(40 - 12) * 60 + 5], 0xFFFF0000u);

    splash.Close();
    const SplashState end = splash.GetState();
    EXPECT_TRUE(end.finished);
    EXPECT_EQ(end.position, 100);
    splash.SetProgress(5);  // after close: dropped
    EXPECT_EQ(splash.GetState().position, 100);
}

#ifndef _WIN32
// A splash that can be cancelled answers Escape, a click on its button and a close request, once;
// a click beside the button, or one that leaves the button before its release, does not cancel.
TEST(SplashWindow, CancelAnswersEscapeAClickOnItsButtonAndACloseRequest) {
#ifndef _WIN32
    setenv("SDL_VIDEODRIVER", "dummy", 1);
#endif
    const SplashArea button{20, 10, 30, 12};
    // An event for the splash's window (or, with otherWindow, for another): a key down with its
    // symbol, a button down or up at x, y, or a close request.
    struct Event {
        std::uint32_t type;
        int symOrX = 0, y = 0;
        bool otherWindow = false;
    };
    auto make = [](const Event& ev, std::uint32_t id) {
        SDL_Event e{};
        e.type = ev.type;
        if (ev.otherWindow) ++id;
        if (ev.type == SDL_KEYDOWN) {
            e.key.windowID = id;
            e.key.keysym.sym = ev.symOrX;
        } else if (ev.type == SDL_WINDOWEVENT) {
            e.window.windowID = id;
            e.window.event = SDL_WINDOWEVENT_CLOSE;
        } else {
            e.button.windowID = id;
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = ev.symOrX;
            e.button.y = ev.y;
        }
        return e;
    };
    const Event escape{SDL_KEYDOWN, SDLK_ESCAPE};
    const std::pair<std::vector<Event>, bool> cases[] = {
        {{escape, escape}, true},
        {{{SDL_MOUSEBUTTONDOWN, 25, 15}, {SDL_MOUSEBUTTONUP, 49, 21}}, true},
        {{{SDL_WINDOWEVENT}}, true},
        {{{SDL_MOUSEBUTTONDOWN, 5, 5}, {SDL_MOUSEBUTTONUP, 5, 5}}, false},
        {{{SDL_MOUSEBUTTONDOWN, 25, 15}, {SDL_MOUSEBUTTONUP, 55, 15}}, false},
        {{{SDL_KEYDOWN, SDLK_RETURN}, {SDL_KEYDOWN, SDLK_ESCAPE, 0, true}}, false},
    };
    for (const auto& [events, cancels] : cases) {
        SCOPED_TRACE(events.size() * 10 + events[0].type);
        VirtualClock clock(std::chrono::milliseconds(2000));
        SplashWindow splash(clock);
        std::atomic<int> calls{0};
        splash.SetCancelHandler([&] { ++calls; }, button);
        ASSERT_TRUE(splash.Start(Picture(60, 40, 0xFF303030), "Searching", true));
        const std::uint32_t id = splash.GetState().windowId;
        for (const Event& ev : events) {
            SDL_Event e = make(ev, id);
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }
        if (cancels) {
            ASSERT_TRUE(splash.WaitForState([](const SplashState& s) { return s.cancelled; }, std::chrono::seconds(5)));
        } else {
            // Once the queue is empty and a further round has passed, the events were read.
            for (int round = 0;
                 round < 200 && SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0; ++round)
                splash.WaitForState([](const SplashState&) { return false; },
                                    std::chrono::milliseconds(kSplashInputPollMs));
            splash.WaitForState([](const SplashState&) { return false; },
                                std::chrono::milliseconds(4 * kSplashInputPollMs));
            EXPECT_FALSE(splash.GetState().cancelled);
        }
        splash.Close();
        EXPECT_EQ(calls.load(), cancels ? 1 : 0);
    }
}
#endif
