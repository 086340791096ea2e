#pragma once
// The splash window: a borderless picture with a progress strip, shown by a thread of its own while
// the application starts. The application talks to it only through thread messages:
//   1026 progress position (wParam = position; stops a running progress run)
//   1028 progress run (wParam low word = start, high word = end, lParam = seconds): the strip moves
//        by (end - start) / (seconds * 4) every 250 ms, seconds * 4 times
//   1033 bar colour (lParam = 0x00BBGGRR)
//   quit
// Waits go through the clock, so tests drive the 250 ms steps on virtual time.
#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "OrvFramework/Platform/Clock.h"

namespace Orv {

inline constexpr std::uint32_t kSplashMsgSetPosition = 1026;
inline constexpr std::uint32_t kSplashMsgProgressRun = 1028;
inline constexpr std::uint32_t kSplashMsgBarColor = 1033;
inline constexpr std::uint32_t kSplashMsgQuit = 0x0012;

inline constexpr std::int64_t kSplashTickMs = 250;
// How often a splash that can be cancelled looks at its input.
inline constexpr std::int64_t kSplashInputPollMs = 20;
inline constexpr std::int64_t kSplashStartTimeoutMs = 5000;
inline constexpr std::int64_t kSplashCloseTimeoutMs = 1000;

// A decoded picture: non-premultiplied 0xAARRGGBB, rows top to bottom.
struct SplashPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    bool IsValid() const {
        return width > 0 && height > 0 &&
               pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
};

// The strip's arithmetic: a position in 0..100 and the progress run's timer.
class SplashProgress {
public:
    void SetPosition(int position);  // also stops a run
    void StartRun(int start, int end, int seconds);
    // One 250 ms tick: advance by one step; the run stops when its steps are used up.
    void Tick();
    int Position() const { return m_position; }
    int Step() const { return m_step; }
    int StepsLeft() const { return m_stepsLeft; }
    bool TimerRunning() const { return m_timerRunning; }

private:
    int m_position = 0;
    int m_step = 0;
    int m_stepsLeft = 0;
    bool m_timerRunning = false;
};

// What the splash thread has done so far, for whoever asks.
struct SplashState {
    bool windowShown = false;
    bool stripCreated = false;
    int position = 0;
    int step = 0;
    int stepsLeft = 0;
    bool timerRunning = false;
    std::uint32_t barColor = 0x06B025;  // 0xRRGGBB
    bool cancelled = false;             // the user asked to cancel (see SetCancelHandler)
    std::uint32_t windowId = 0;         // the host window's id, once shown
    bool finished = false;
};

// A rectangle of the picture, in pixels.
struct SplashArea {
    int x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

// The picture with the strip over it, as the window shows it (0xAARRGGBB, alpha 255).
std::vector<std::uint32_t> ComposeSplashFrame(const SplashPicture& picture, bool strip, int position,
                                              std::uint32_t barColor);

class SplashWindow {
public:
    explicit SplashWindow(Platform::IClock& clock = Platform::GetRealClock());
    ~SplashWindow();  // closes
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    // Before Start: makes the splash one the user can cancel. It then takes the keyboard focus and
    // calls `handler` once, on the splash thread, for Escape, a click (press and release) inside
    // `button`, or a close request from the window manager.
    void SetCancelHandler(std::function<void()> handler, SplashArea button);

    // Once: starts the thread and waits (at most 5000 ms) until it shows the window or gives up.
    // True when the window is shown. Without a picture nothing is shown and nothing waits.
    bool Start(std::optional<SplashPicture> picture, std::string title = {}, bool showInTaskBar = false);
    void PostMessage(std::uint32_t message, std::uint32_t wParam = 0, std::int64_t lParam = 0);
    void SetProgress(int position) { PostMessage(kSplashMsgSetPosition, static_cast<std::uint32_t>(position)); }
    void RunProgress(int start, int end, int seconds) {
        PostMessage(kSplashMsgProgressRun,
                    (static_cast<std::uint32_t>(start) & 0xFFFF) | (static_cast<std::uint32_t>(end) << 16), seconds);
    }
    void SetBarColor(std::uint32_t colorRef) { PostMessage(kSplashMsgBarColor, 0, colorRef); }
    // Position 100, quit, and a wait of at most 1000 ms for the thread.
    void Close();

    SplashState GetState() const;
    // Waits (on the clock, at most `timeout`) until the thread's state satisfies pred.
    bool WaitForState(const std::function<bool(const SplashState&)>& pred, Platform::ClockDuration timeout);
    // The last frame painted (empty before the first paint).
    std::vector<std::uint32_t> LastFrame() const;

private:
    struct Shared;
    static void ThreadMain(std::shared_ptr<Shared> shared);

    Platform::IClock& m_clock;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    bool m_started = false;
};

}  // namespace Orv
