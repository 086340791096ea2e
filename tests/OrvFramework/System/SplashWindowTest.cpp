#include "OrvFramework/System/SplashWindow.h"

#include <gtest/gtest.h>

#include <SDL.h>

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

// The plain eight-second run (step 3, 32 ticks, ends at 96) is driven through the thread below.
TEST(SplashProgress, PositionStopsARunAndEdgesStayInRange) {
    SplashProgress p;
    p.StartRun(10, 90, 2);
    EXPECT_EQ(p.Step(), 10);
    p.Tick();
    p.SetPosition(50);
    EXPECT_FALSE(p.TimerRunning());
    p.Tick();
    EXPECT_EQ(p.Position(), 50);
    p.SetPosition(250);
    EXPECT_EQ(p.Position(), 100);
    p.SetPosition(-5);
    EXPECT_EQ(p.Position(), 0);
    // A run of no time jumps to its end instead of dividing by zero.
    p.StartRun(0, 70, 0);
    EXPECT_EQ(p.Position(), 70);
    EXPECT_FALSE(p.TimerRunning());
    // Backwards runs step down and never below 0.
    p.StartRun(100, 0, 1);
    EXPECT_EQ(p.Step(), -25);
    for (int i = 0; i < 4; ++i) p.Tick();
    EXPECT_EQ(p.Position(), 0);
}

TEST(SplashFrame, PictureOverWhiteWithTheStripAtTheBottom) {
    SplashPicture picture = Picture(40, 30, 0xFF102030);
    picture.pixels[0] = 0x00000000;  // transparent shows the background
    picture.pixels[1] = 0x80FF0000;
    const auto plain = ComposeSplashFrame(picture, false, 0, 0);
    ASSERT_EQ(plain.size(), 1200u);
    EXPECT_EQ(std::vector<std::uint32_t>(plain.begin(), plain.begin() + 3),
              (std::vector<std::uint32_t>{0xFFFFFFFFu, 0xFFFF7F7Fu, 0xFF102030u}));
    const auto framed = ComposeSplashFrame(picture, true, 50, 0x00FF00);
    auto at = [&](int x, int y) { return framed[static_cast<std::size_t>(y) * 40 + x]; };
    // strip at x 4..35, y 10..25; inner width 30, half filled = 15 columns
    EXPECT_EQ((std::vector<std::uint32_t>{at(3, 15), at(4, 15), at(5, 15), at(19, 15), at(20, 15), at(10, 9),
                                          at(10, 10), at(10, 26)}),
              (std::vector<std::uint32_t>{0xFF102030u, 0xFFBCBCBCu, 0xFF00FF00u, 0xFF00FF00u, 0xFFE6E6E6u, 0xFF102030u,
                                          0xFFBCBCBCu, 0xFF102030u}));
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
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The thread's start is real work (SDL's video); the progress run itself goes on virtual time.
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

    splash.PostMessage(4711, 1, 2);  // not a splash message: ignored
    splash.SetProgress(40);
    ASSERT_TRUE(splash.WaitForState([](const SplashState& s) { return s.position == 40; }, within));

    splash.SetBarColor(0x000000FF);  // COLORREF red
    ASSERT_TRUE(splash.WaitForState([](const SplashState& s) { return s.barColor == 0xFF0000u; }, within));
    const auto frame = splash.LastFrame();
    EXPECT_EQ(frame[static_cast<std::size_t>(40 - 12) * 60 + 5], 0xFFFF0000u);

    splash.Close();
    const SplashState end = splash.GetState();
    EXPECT_TRUE(end.finished);
    EXPECT_EQ(end.position, 100);
    splash.SetProgress(5);  // after close: dropped
    EXPECT_EQ(splash.GetState().position, 100);
}

// A splash that can be cancelled answers Escape, a click on its button and a close request, once;
// a click beside the button, or one that leaves the button before its release, does not cancel.
TEST(SplashWindow, CancelAnswersEscapeAClickOnItsButtonAndACloseRequest) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
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
