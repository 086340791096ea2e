#include "OrvFramework/Platform/Sdl/SdlHostApp.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_set>

// Last: Xlib defines macros (None, Bool, Status) that would clash with names above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace Orv::Platform {

namespace {

// Codes of our user events (SDL_UserEvent::code).
constexpr std::int32_t kUserQuit = 1;
constexpr std::int32_t kUserWake = 2;   // posted functions are waiting
constexpr std::int32_t kUserTimer = 3;  // data1 is the TimerState

// How long the loop blocks at most before it looks again; only bounds the wait, it does not
// restart idle processing.
constexpr int kWaitSliceMs = 250;

// One wheel notch in the classic unit.
constexpr int kWheelNotch = 120;

// X windows reported gone: destroyed (DestroyNotify), or named by a BadWindow or BadDrawable error.
std::mutex g_lostWindowsLock;
std::unordered_set<unsigned long> g_lostWindows;

void NoteLostWindow(unsigned long window) {
    std::lock_guard guard(g_lostWindowsLock);
    g_lostWindows.insert(window);
}

// Xlib's default answer to any error is to end the process. A window destroyed by another client
// (xdotool windowclose, a crashed window manager) makes the next drawing fail with such an error,
// and ending then would cut an upload short; the window is noted as lost instead.
int NoteXError(Display*, XErrorEvent* event) {
    if (event && (event->error_code == BadWindow || event->error_code == BadDrawable))
        NoteLostWindow(event->resourceid);
    return 0;
}

}  // namespace

bool IsNativeWindowDestroyed(SDL_Window* window) {
    if (!window) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    std::lock_guard guard(g_lostWindowsLock);
    return g_lostWindows.count(info.info.x11.window) != 0;
}

// The SDL side of HostApp: its event dispatch and its timer callback.
struct HostAppBackend {
    static std::uint32_t TimerCallback(std::uint32_t interval, void* param);
    static void DispatchUserEvent(HostApp& app, const SDL_UserEvent& event);
    static void DispatchWindowEvent(HostApp& app, const SDL_WindowEvent& event);
    static void Dispatch(HostApp& app, const SDL_Event& event);
};

unsigned ModifierFlagsFromSdl(std::uint16_t sdlMod) {
    unsigned flags = 0;
    if (sdlMod & KMOD_CTRL) flags |= kModifierControl;
    if (sdlMod & KMOD_SHIFT) flags |= kModifierShift;
    if (sdlMod & KMOD_ALT) flags |= kModifierAlt;
    return flags;
}

unsigned CurrentModifierFlags() { return ModifierFlagsFromSdl(static_cast<std::uint16_t>(SDL_GetModState())); }

int CurrentMouseButtons() {
    const std::uint32_t state = SDL_GetMouseState(nullptr, nullptr);
    int buttons = 0;
    if (state & SDL_BUTTON(SDL_BUTTON_LEFT)) buttons |= kMouseLeft;
    if (state & SDL_BUTTON(SDL_BUTTON_MIDDLE)) buttons |= kMouseMiddle;
    if (state & SDL_BUTTON(SDL_BUTTON_RIGHT)) buttons |= kMouseRight;
    return buttons;
}

int MouseButtonFromSdl(std::uint8_t sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return kMouseLeft;
    case SDL_BUTTON_MIDDLE:
        return kMouseMiddle;
    case SDL_BUTTON_RIGHT:
        return kMouseRight;
    default:
        return 0;
    }
}

namespace {

// SDL's timer thread may be inside a timer's callback while the timer is removed, and a timer
// event may still sit in SDL's queue when its host is gone. Timer states are therefore only
// touched after checking, under this lock, that they are still alive.
std::mutex& TimerLock() {
    static std::mutex lock;
    return lock;
}
std::unordered_set<const void*>& LiveTimers() {
    static std::unordered_set<const void*> live;
    return live;
}

}  // namespace

HostApp::~HostApp() {
    {
        std::lock_guard guard(TimerLock());
        for (auto& timer : m_timers) LiveTimers().erase(timer.get());
    }
    for (auto& timer : m_timers) {
        if (timer->backendTimer) SDL_RemoveTimer(timer->backendTimer);
    }
    m_timers.clear();
    if (s_current == this) s_current = nullptr;
    // SDL itself stays up: other objects of the process (windows, the splash) may still use it,
    // and SDL_Quit at exit is the process's business.
}

bool HostApp::EnsureEvents() {
    if (m_eventsStarted) return true;
    std::lock_guard guard(m_eventsInitLock);
    if (m_eventsStarted) return true;
    if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "SDL events: %s\n", SDL_GetError());
        return false;
    }
    const std::uint32_t type = SDL_RegisterEvents(1);
    if (type == static_cast<std::uint32_t>(-1)) {
        std::fprintf(stderr, "SDL events: no user event type left\n");
        return false;
    }
    m_userEventType = type;
    m_eventsStarted = true;
    return true;
}

void HostApp::LeaveSignalsToTheProgram() { SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); }

bool HostApp::EnsureVideo(std::string* error) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // Closing the last window is the window's own close request, which the application may refuse
    // (an upload running); it must not also turn into a quit behind the application's back.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The window is painted by Cairo into SDL's window surface. Left to itself, SDL probes OpenGL
    // to decide how to back that surface (loading the whole GL driver stack, most of the start-up
    // time) only to settle on the plain X11 image with a software driver. The native surface is
    // what we want; a user's own SDL_FRAMEBUFFER_ACCELERATION still wins over this default.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error) *error = SDL_GetError();
        return false;
    }
    // Without a display SDL falls back to its offscreen driver, whose windows nobody can see: a
    // program waiting on one would wait for ever. Only a caller who asks for such a driver by name
    // (SDL_VIDEODRIVER) gets it.
    const char* chosen = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (chosen && (std::strcmp(chosen, "offscreen") == 0 || std::strcmp(chosen, "dummy") == 0) && (!asked || !*asked)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (error) {
            const char* display = SDL_getenv("DISPLAY");
            const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
            *error = std::string("nothing answers at DISPLAY=") + (display ? display : "") +
                     " or WAYLAND_DISPLAY=" + (wayland ? wayland : "");
        }
        return false;
    }
    if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::strcmp(driver, "x11") == 0) {
        XSetErrorHandler(&NoteXError);
        // The window system's own events, for the destruction of a window.
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
    return true;
}

bool HostApp::PushUserEvent(std::int32_t code, std::uint32_t windowId, void* data) {
    SDL_Event event{};
    event.type = m_userEventType;
    event.user.code = code;
    event.user.windowID = windowId;
    event.user.data1 = data;
    return SDL_PushEvent(&event) == 1;
}

void HostApp::PostQuit(int code) {
    if (!EnsureEvents()) return;
    PushUserEvent(kUserQuit, 0, reinterpret_cast<void*>(static_cast<std::intptr_t>(code)));
}

bool HostApp::RunOnUiThread(std::function<void()> fn) {
    if (!fn || !EnsureEvents()) return false;
    bool wasEmpty;
    {
        std::lock_guard lock(m_postedLock);
        wasEmpty = m_posted.empty();
        m_posted.push_back(std::move(fn));
    }
    // One wake-up serves every function queued before the loop drains the list.
    if (!wasEmpty) return true;
    if (PushUserEvent(kUserWake, 0, nullptr)) return true;
    std::lock_guard lock(m_postedLock);
    m_posted.pop_back();
    return false;
}

void HostApp::WakeForIdle() {
    if (!EnsureEvents() || m_idleWakePending.exchange(true)) return;
    if (!PushUserEvent(kUserWake, 0, nullptr)) m_idleWakePending = false;
}

int HostApp::RunMessageLoop() {
    if (!EnsureEvents()) return -1;
    m_running = true;
    m_quitRequested = false;
    struct RunningReset {
        std::atomic<bool>& flag;
        ~RunningReset() { flag = false; }
    } reset{m_running};

    long idleCount = 0;
    bool idleMore = true;
    SDL_Event event;
    while (!m_quitRequested) {
        bool have = SDL_PollEvent(&event) == 1;
        while (!have && idleMore) {
            idleMore = OnIdle(idleCount++);
            have = SDL_PollEvent(&event) == 1;
        }
        if (!have && SDL_WaitEventTimeout(&event, kWaitSliceMs) != 1) continue;
        HostAppBackend::Dispatch(*this, event);
        idleCount = 0;
        idleMore = true;
    }
    return m_quitCode;
}

std::uint32_t HostAppBackend::TimerCallback(std::uint32_t interval, void* param) {
    std::lock_guard guard(TimerLock());
    if (LiveTimers().count(param) == 0) return 0;
    auto* timer = static_cast<HostApp::TimerState*>(param);
    if (timer->stopped.load()) return 0;
    if (!timer->pending.exchange(true)) {
        if (!timer->app->PushUserEvent(kUserTimer, timer->windowId, timer)) timer->pending = false;
    }
    return interval;
}

bool HostApp::StartWindowTimer(std::uint32_t windowId, int timerId, std::uint32_t periodMs) {
    if (!EnsureEvents() || periodMs == 0) return false;
    StopWindowTimer(windowId, timerId);
    for (auto& stopped : m_timers) {
        if (stopped->windowId != windowId || stopped->timerId != timerId || stopped->backendTimer) continue;
        stopped->stopped = false;
        stopped->backendTimer = SDL_AddTimer(periodMs, &HostAppBackend::TimerCallback, stopped.get());
        if (!stopped->backendTimer) stopped->stopped = true;
        return stopped->backendTimer != 0;
    }
    auto timer = std::make_unique<TimerState>();
    timer->app = this;
    timer->windowId = windowId;
    timer->timerId = timerId;
    {
        std::lock_guard guard(TimerLock());
        LiveTimers().insert(timer.get());
    }
    timer->backendTimer = SDL_AddTimer(periodMs, &HostAppBackend::TimerCallback, timer.get());
    if (!timer->backendTimer) {
        std::lock_guard guard(TimerLock());
        LiveTimers().erase(timer.get());
        return false;
    }
    m_timers.push_back(std::move(timer));
    return true;
}

void HostApp::StopWindowTimer(std::uint32_t windowId, int timerId) {
    for (auto& timer : m_timers) {
        if (timer->windowId == windowId && timer->timerId == timerId && !timer->stopped) {
            timer->stopped = true;
            SDL_RemoveTimer(timer->backendTimer);
            timer->backendTimer = 0;
        }
    }
}

void HostAppBackend::DispatchUserEvent(HostApp& app, const SDL_UserEvent& event) {
    switch (event.code) {
    case kUserQuit:
        app.m_quitRequested = true;
        app.m_quitCode = static_cast<int>(reinterpret_cast<std::intptr_t>(event.data1));
        break;
    case kUserWake:
        app.m_idleWakePending = false;
        app.RunPostedFunctions();
        break;
    case kUserTimer: {
        std::uint32_t windowId = 0;
        int timerId = 0;
        {
            std::lock_guard guard(TimerLock());
            // A tick of a host that is gone (or of another host's timer) is dropped.
            if (LiveTimers().count(event.data1) == 0) break;
            auto* timer = static_cast<HostApp::TimerState*>(event.data1);
            if (timer->app != &app) break;
            timer->pending = false;
            if (timer->stopped) break;
            windowId = timer->windowId;
            timerId = timer->timerId;
        }
        if (IHostWindowEvents* window = app.FindWindow(windowId)) window->OnHostTimer(timerId);
        break;
    }
    default:
        break;
    }
}

void HostAppBackend::DispatchWindowEvent(HostApp& app, const SDL_WindowEvent& event) {
    IHostWindowEvents* window = app.FindWindow(event.windowID);
    if (!window) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        window->OnHostExpose();
        break;
    case SDL_WINDOWEVENT_MOVED:
        window->OnHostMove(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        SDL_Window* sdlWindow = SDL_GetWindowFromID(event.windowID);
        const std::uint32_t flags = sdlWindow ? SDL_GetWindowFlags(sdlWindow) : 0;
        const HostSizeKind kind = (flags & SDL_WINDOW_MINIMIZED)   ? HostSizeKind::Minimized
                                  : (flags & SDL_WINDOW_MAXIMIZED) ? HostSizeKind::Maximized
                                                                   : HostSizeKind::Restored;
        window->OnHostSize(event.data1, event.data2, kind);
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        window->OnHostSize(0, 0, HostSizeKind::Minimized);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        int w = 0, h = 0;
        if (SDL_Window* sdlWindow = SDL_GetWindowFromID(event.windowID)) SDL_GetWindowSize(sdlWindow, &w, &h);
        window->OnHostSize(w, h,
                           event.event == SDL_WINDOWEVENT_MAXIMIZED ? HostSizeKind::Maximized : HostSizeKind::Restored);
        break;
    }
    case SDL_WINDOWEVENT_ENTER:
        window->OnHostMouseCrossing(true);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        window->OnHostMouseCrossing(false);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        window->OnHostFocus(true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        window->OnHostFocus(false);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        window->OnHostClose();
        break;
    default:
        break;
    }
}

void HostAppBackend::Dispatch(HostApp& app, const SDL_Event& event) {
    if (app.m_eventsStarted && event.type == app.m_userEventType) {
        DispatchUserEvent(app, event.user);
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        app.OnSystemQuit();
        break;
    case SDL_WINDOWEVENT:
        DispatchWindowEvent(app, event.window);
        break;
    case SDL_SYSWMEVENT:
        if (event.syswm.msg && event.syswm.msg->subsystem == SDL_SYSWM_X11 &&
            event.syswm.msg->msg.x11.event.type == DestroyNotify)
            NoteLostWindow(event.syswm.msg->msg.x11.event.xdestroywindow.window);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const SDL_MouseButtonEvent& b = event.button;
        const int button = MouseButtonFromSdl(b.button);
        IHostWindowEvents* window = app.FindWindow(b.windowID);
        if (!window || button == 0) break;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        window->OnHostMouseButton(button, down, down && b.clicks == 2, b.x, b.y, CurrentModifierFlags());
        break;
    }
    case SDL_MOUSEMOTION:
        if (IHostWindowEvents* window = app.FindWindow(event.motion.windowID))
            window->OnHostMouseMove(event.motion.x, event.motion.y, CurrentModifierFlags());
        break;
    case SDL_MOUSEWHEEL:
        if (IHostWindowEvents* window = app.FindWindow(event.wheel.windowID)) {
            int dx = event.wheel.x, dy = event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
                dx = -dx;
                dy = -dy;
            }
            window->OnHostMouseWheel(dx * kWheelNotch, dy * kWheelNotch, CurrentModifierFlags());
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (IHostWindowEvents* window = app.FindWindow(event.key.windowID)) {
            HostKeyEvent key;
            key.virtualKey = VirtualKeyFromSdl(event.key.keysym.sym);
            key.modifiers = ModifierFlagsFromSdl(event.key.keysym.mod);
            key.repeat = event.key.repeat != 0;
            key.systemKeyHeld = (event.key.keysym.mod & KMOD_GUI) != 0;
            window->OnHostKey(key, event.type == SDL_KEYDOWN);
        }
        break;
    case SDL_TEXTINPUT:
        if (IHostWindowEvents* window = app.FindWindow(event.text.windowID)) {
            const SDL_Keymod mod = SDL_GetModState();
            window->OnHostTextInput(event.text.text, ModifierFlagsFromSdl(mod), (mod & KMOD_GUI) != 0);
        }
        break;
    default:
        break;
    }
}

void DispatchSdlEvent(HostApp& app, const SDL_Event& event) { HostAppBackend::Dispatch(app, event); }

}  // namespace Orv::Platform
