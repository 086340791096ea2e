#include "OrvFramework/Platform/HostApp.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/Sdl/SdlHostApp.h"

using namespace Orv::Platform;

namespace {

// Ends a loop that a fault left running, so a broken test fails instead of hanging.
class Watchdog {
public:
    explicit Watchdog(HostApp& app)
        : m_thread([this, &app] {
              std::unique_lock lock(m_lock);
              if (!GetRealClock().WaitFor(m_cv, lock, std::chrono::seconds(5), [this] { return m_done; }))
                  app.PostQuit(-99);
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_lock);
            m_done = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_cv;
    bool m_done = false;
    std::thread m_thread;
};

class HeadlessEnv : public ::testing::Environment {
public:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
};
[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new HeadlessEnv);

struct WindowRecorder : IHostWindowEvents {
    std::vector<std::string> log;
    std::thread::id timerThread;
    int ticks = 0;
    std::function<void()> onTick;
    void OnHostMouseButton(int button, bool down, bool dbl, int x, int y, unsigned) override {
        log.push_back("button " + std::to_string(button) + (down ? " down" : " up") + (dbl ? " double" : "") + " " +
                      std::to_string(x) + "," + std::to_string(y));
    }
    void OnHostKey(const HostKeyEvent& key, bool down) override {
        log.push_back("key " + std::to_string(key.virtualKey) + (down ? " down" : " up") + " mods " +
                      std::to_string(key.modifiers) + (key.systemKeyHeld ? " gui" : ""));
    }
    void OnHostClose() override { log.push_back("close"); }
    void OnHostFocus(bool gained) override { log.push_back(gained ? "focus" : "blur"); }
    void OnHostTimer(int id) override {
        timerThread = std::this_thread::get_id();
        ++ticks;
        if (onTick) onTick();
    }
};

}  // namespace

// Functions posted from other threads run on the loop thread in order; a quit from another thread
// wakes the blocked loop, which answers its code.
TEST(HostAppLoop, FunctionsPostedFromThreadsRunOnTheLoopThreadInOrder) {
    HostApp app;
    Watchdog watchdog(app);
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

// Ticks arrive on the loop thread; nothing reaches a window after its timer stops or after it is
// unregistered, not even a tick already queued.
TEST(HostAppLoop, WindowTimerTicksOnTheLoopThreadUntilStoppedOrUnregistered) {
    HostApp app;
    Watchdog watchdog(app);
    WindowRecorder stopped, gone, stays;
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

TEST(HostAppEvents, InputGoesToTheWindowItNames) {
    HostApp app;
    ASSERT_TRUE(app.EnsureEvents());
    WindowRecorder window, other;
    app.RegisterWindow(10, &window);
    app.RegisterWindow(11, &other);

    auto dispatch = [&](std::uint32_t type, std::uint32_t id, auto fill) {
        SDL_Event e{};
        e.type = type;
        e.window.windowID = id;  // the same place in every window event
        fill(e);
        DispatchSdlEvent(app, e);
    };
    for (std::uint8_t button : {SDL_BUTTON_RIGHT, SDL_BUTTON_LEFT, SDL_BUTTON_X1}) {  // X1: no framework button
        dispatch(button == SDL_BUTTON_RIGHT ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 10, [&](SDL_Event& e) {
            e.button.button = button;
            e.button.clicks = 2;
            e.button.x = 5;
            e.button.y = 6;
        });
    }
    dispatch(SDL_KEYDOWN, 10, [](SDL_Event& e) {
        e.key.keysym.sym = SDLK_a;
        e.key.keysym.mod = KMOD_LCTRL | KMOD_RSHIFT | KMOD_LALT | KMOD_LGUI;
    });
    dispatch(SDL_WINDOWEVENT, 11, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_CLOSE; });
    dispatch(SDL_WINDOWEVENT, 99, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_CLOSE; });  // nobody's
    dispatch(SDL_WINDOWEVENT, 10, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_FOCUS_LOST; });

    EXPECT_EQ(window.log, (std::vector<std::string>{"button 4 down double 5,6", "button 1 up 5,6",
                                                    "key 65 down mods 73 gui", "blur"}));
    EXPECT_EQ(other.log, (std::vector<std::string>{"close"}));
}

// The keys the program answers, a key whose left and right forms share a code, and an unknown one. (The
// modifiers: the dispatch test above.)
TEST(HostAppEvents, KeyCodes) {
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_RETURN, 0x0D}, {SDLK_ESCAPE, 0x1B}, {SDLK_TAB, 0x09}, {SDLK_RSHIFT, 0x10}, {SDLK_UNKNOWN, 0}};
    for (const auto& [sdl, code] : keys) EXPECT_EQ(VirtualKeyFromSdl(sdl), code) << SDL_GetKeyName(sdl);
}
