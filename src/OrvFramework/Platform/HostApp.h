#pragma once
// The host toolkit's application object: start-up hooks, the event loop with idle processing,
// per-window event routing and window timers. This header is the whole contract; the toolkit
// behind it is a backend of its own (one source folder per toolkit under Platform/).
//
// Threads: everything here runs on the thread that calls Run (the user-interface thread), except
// PostQuit, RunOnUiThread and WakeForIdle, which any thread may call, and EnsureVideo, which the
// splash thread calls too.
//
// What a backend implements (what neither this header nor HostApp.cpp defines):
// - the loop: block until an event or a wake-up arrives (bounded: it looks again at least every
//   250 ms), call OnIdle while it answers true and nothing is queued, restart the idle count after
//   every event; a quit request ends the loop after the events queued before it.
// - routing: input and window events of a registered window id go to its IHostWindowEvents, in the
//   framework's units (key codes of KeyCodes.h, kMouse* buttons, kModifier* flags, wheel notches of
//   120); events of unknown windows are dropped. The system's request to end the process (session
//   end) calls OnSystemQuit.
// - timers: at most one tick per timer waits in the queue; a stopped timer, or one whose window is
//   unregistered, delivers nothing more, even a tick already queued.
// - failures: the loop answers -1 when the toolkit cannot start; posting answers false when the
//   toolkit's queue refuses (the function is then dropped, never run twice).
// The toolkit is started lazily: the loop needs no display, so a run without a window (a silent
// update on a machine without one) never opens it. Whoever creates a window calls EnsureVideo first.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Orv::Platform {

// Framework modifier flags carried with mouse and keyboard events.
inline constexpr unsigned kModifierControl = 1;
inline constexpr unsigned kModifierShift = 8;
inline constexpr unsigned kModifierAlt = 64;

// Framework mouse button numbers; also the bits of CurrentMouseButtons().
inline constexpr int kMouseLeft = 1;
inline constexpr int kMouseMiddle = 2;
inline constexpr int kMouseRight = 4;

// The timer every host window runs for its root window.
inline constexpr int kWindowTimerId = 1;
inline constexpr std::uint32_t kWindowTimerPeriodMs = 33;

// Modifier flags from the keyboard's state at the time of the call.
unsigned CurrentModifierFlags();
// Which of the three buttons are held now (kMouseLeft | kMouseMiddle | kMouseRight).
int CurrentMouseButtons();

enum class HostSizeKind { Restored, Minimized, Maximized };

struct HostKeyEvent {
    int virtualKey = 0;      // the framework key code (see KeyCodes.h), 0 when unmapped
    unsigned modifiers = 0;  // kModifier* flags
    bool repeat = false;
    bool systemKeyHeld = false;  // either "Windows" (GUI) key is held
};

// What a host window receives: from the loop, on the user-interface thread, or for a window with a
// thread of its own, from its PumpEvents on that thread (HostWindow.h).
class IHostWindowEvents {
public:
    virtual ~IHostWindowEvents() = default;
    // button: kMouseLeft/Middle/Right; doubleClick for the second press of a double click.
    virtual void OnHostMouseButton(int button, bool down, bool doubleClick, int x, int y, unsigned modifiers) {}
    virtual void OnHostMouseMove(int x, int y, unsigned modifiers) {}
    // The pointer entered (true) or left (false) the window.
    virtual void OnHostMouseCrossing(bool entered) {}
    // deltaY > 0 is away from the user; one notch is 120 like the classic wheel delta.
    virtual void OnHostMouseWheel(int deltaX, int deltaY, unsigned modifiers) {}
    virtual void OnHostKey(const HostKeyEvent& key, bool down) {}
    // One or more characters typed, UTF-8.
    virtual void OnHostTextInput(std::string_view utf8, unsigned modifiers, bool systemKeyHeld) {}
    virtual void OnHostFocus(bool gained) {}
    virtual void OnHostSize(int width, int height, HostSizeKind kind) {}
    virtual void OnHostMove(int x, int y) {}
    // The user asked the window to close (title-bar button, window manager).
    virtual void OnHostClose() {}
    virtual void OnHostExpose() {}
    virtual void OnHostTimer(int timerId) {}
};

class HostApp {
public:
    HostApp();
    virtual ~HostApp();
    HostApp(const HostApp&) = delete;
    HostApp& operator=(const HostApp&) = delete;

    // The start-up hooks, called in this order by RunHostApp; false ends the program before Run.
    virtual bool InitApplication() { return true; }
    virtual bool InitInstance() { return true; }
    // The default runs the event loop and answers the quit code.
    virtual int Run() { return RunMessageLoop(); }
    // Called when the event queue is empty, with a count that restarts at 0 after every event;
    // answer true for another call before the loop blocks.
    virtual bool OnIdle(long count) { return false; }
    // The system asked the process to end (SIGINT, SIGTERM, session end). Default: quit with 0.
    virtual void OnSystemQuit() { PostQuit(0); }

    // Runs the loop until the quit request; answers its code. Starts the toolkit's events if needed.
    int RunMessageLoop();
    bool IsRunning() const { return m_running.load(); }

    // Any thread: ends the loop once the events queued before it are handled.
    void PostQuit(int code);
    // Any thread: runs fn on the user-interface thread, in posting order, from the loop.
    // Answers false when the toolkit's event queue refused the wake-up (fn is then dropped).
    bool RunOnUiThread(std::function<void()> fn);
    // Any thread: one more turn of the loop, so that idle processing runs (a notification was
    // queued). Wake-ups asked for before the loop turns are one.
    void WakeForIdle();

    // Window routing, user-interface thread only. Unregistering also stops the window's timers.
    // Window ids are the backend's (IHostWindow::GetId); a host window registers itself.
    void RegisterWindow(std::uint32_t windowId, IHostWindowEvents* handler);
    void UnregisterWindow(std::uint32_t windowId);
    bool IsWindowRegistered(std::uint32_t windowId) const;

    // A periodic timer delivered to the window's OnHostTimer on the user-interface thread. At most
    // one tick per timer is queued at a time, so a busy loop never piles ticks up.
    bool StartWindowTimer(std::uint32_t windowId, int timerId, std::uint32_t periodMs = kWindowTimerPeriodMs);
    void StopWindowTimer(std::uint32_t windowId, int timerId);

    // The toolkit's events and timers (no display needed). False, with the reason on standard
    // error, when they cannot start.
    bool EnsureEvents();
    // The display, for whoever opens a window; false with the reason in error. An error the window
    // system reports (a window destroyed by another program, say) is noted, never fatal: see
    // IHostWindow::IsLost.
    static bool EnsureVideo(std::string* error = nullptr);
    // The toolkit installs no signal handlers of its own: the program takes its signals itself.
    // Call before the toolkit starts.
    static void LeaveSignalsToTheProgram();

    // The one HostApp of the process, or null.
    static HostApp* Current() { return s_current; }

private:
    // The backend's own access to the state below (its event dispatch, its timer callback).
    friend struct HostAppBackend;

    struct TimerState {
        HostApp* app = nullptr;
        std::uint32_t windowId = 0;
        int timerId = 0;
        int backendTimer = 0;  // the toolkit's timer, 0 when not running
        std::atomic<bool> pending{false};
        std::atomic<bool> stopped{false};
    };
    void RunPostedFunctions();
    IHostWindowEvents* FindWindow(std::uint32_t windowId) const;
    bool PushUserEvent(std::int32_t code, std::uint32_t windowId, void* data);

    static HostApp* s_current;

    // Any thread may be the first to post, so starting the events is serialised: two threads
    // racing here would register two wake-up event types and lose each other's events.
    std::mutex m_eventsInitLock;
    std::atomic<bool> m_eventsStarted{false};
    std::atomic<std::uint32_t> m_userEventType{0};
    std::atomic<bool> m_running{false};
    bool m_quitRequested = false;
    int m_quitCode = 0;

    std::unordered_map<std::uint32_t, IHostWindowEvents*> m_windows;
    // Timer states stay alive until the app ends: the toolkit may still be inside a callback when
    // a timer is removed.
    std::vector<std::unique_ptr<TimerState>> m_timers;

    std::mutex m_postedLock;
    std::deque<std::function<void()>> m_posted;
    std::atomic<bool> m_idleWakePending{false};
};

// The start-up driver: InitApplication, InitInstance, Run. Answers Run's value, or 0 when a start-up
// hook failed (the hooks report their own failures).
int RunHostApp(HostApp& app, int argc, char** argv);

// The process's command line as RunHostApp saw it (JoinCommandLine of its argv).
const std::string& HostCommandLine();

}  // namespace Orv::Platform
