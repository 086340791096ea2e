// The application loop over the thread's Win32 message queue. A hidden window of the loop's thread
// carries what is not any host window's: the wake-ups of other threads, the window timers and the
// end of the session. It is a top-level window, not a message-only one, because only top-level
// windows hear the session's end, and a silent update has no other window.
#include "OrvFramework/Platform/Win32/Win32HostApp.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace Orv::Platform {

namespace {

// Posted to the loop window: functions or an idle turn are waiting.
constexpr UINT kWakeMessage = WM_APP + 1;

// How long the loop blocks at most before it looks again; only bounds the wait, it does not
// restart idle processing.
constexpr DWORD kWaitSliceMs = 250;

// The loop window of each application object, read by posting threads.
std::mutex g_loopWindowsLock;
std::unordered_map<const HostApp*, HWND> g_loopWindows;

HWND LoopWindowOf(const HostApp* app) {
    std::lock_guard guard(g_loopWindowsLock);
    const auto it = g_loopWindows.find(app);
    return it == g_loopWindows.end() ? nullptr : it->second;
}

}  // namespace

// The Win32 side of HostApp: its loop window and the loop's turns.
struct HostAppBackend {
    static LRESULT CALLBACK LoopWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static HWND EnsureLoopWindow(HostApp& app);
    static void RunPosted(HostApp& app);
    static void DeliverTick(HostApp& app, UINT_PTR backendTimer);
    // Handles messages and idle turns until the application asked to quit.
    static void RunUntilQuit(HostApp& app);
    static IHostWindowEvents* Find(const HostApp& app, std::uint32_t windowId) { return app.FindWindow(windowId); }
};

IHostWindowEvents* RegisteredHandler(std::uint32_t windowId) {
    HostApp* app = HostApp::Current();
    return app ? HostAppBackend::Find(*app, windowId) : nullptr;
}

std::wstring WideFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    if (length == 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
    return out;
}

unsigned ModifierFlagsFromKeyState() {
    unsigned flags = 0;
    if (GetKeyState(VK_CONTROL) < 0) flags |= kModifierControl;
    if (GetKeyState(VK_SHIFT) < 0) flags |= kModifierShift;
    if (GetKeyState(VK_MENU) < 0) flags |= kModifierAlt;
    return flags;
}

unsigned CurrentModifierFlags() { return ModifierFlagsFromKeyState(); }

int CurrentMouseButtons() {
    // The logical buttons (a left-handed user's swapped buttons included), as messages name them.
    int buttons = 0;
    if (GetKeyState(VK_LBUTTON) < 0) buttons |= kMouseLeft;
    if (GetKeyState(VK_MBUTTON) < 0) buttons |= kMouseMiddle;
    if (GetKeyState(VK_RBUTTON) < 0) buttons |= kMouseRight;
    return buttons;
}

bool IsInteractiveWindowStation(std::string* reason) {
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
        if (reason) *reason = "the process has no window station";
        return false;
    }
    if ((flags.dwFlags & WSF_VISIBLE) == 0) {
        if (reason) *reason = "the window station is not interactive (no user's desktop to show a window on)";
        return false;
    }
    if (!GetThreadDesktop(GetCurrentThreadId())) {
        if (reason) *reason = "the thread has no desktop";
        return false;
    }
    return true;
}

HostApp::~HostApp() {
    if (HWND loop = LoopWindowOf(this)) {
        for (auto& timer : m_timers) {
            if (timer->backendTimer) KillTimer(loop, static_cast<UINT_PTR>(timer->backendTimer));
        }
        SetWindowLongPtrW(loop, GWLP_USERDATA, 0);
        DestroyWindow(loop);
        std::lock_guard guard(g_loopWindowsLock);
        g_loopWindows.erase(this);
    }
    m_timers.clear();
    if (s_current == this) s_current = nullptr;
}

bool HostApp::EnsureEvents() {
    if (m_eventsStarted) return true;
    std::lock_guard guard(m_eventsInitLock);
    if (m_eventsStarted) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &HostAppBackend::LoopWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kLoopWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        std::fprintf(stderr, "Win32 events: cannot register the loop's window class (error %lu)\n",
                     static_cast<unsigned long>(GetLastError()));
        return false;
    }
    m_eventsStarted = true;
    return true;
}

// Windows installs no signal handlers on a program's behalf: nothing to leave.
void HostApp::LeaveSignalsToTheProgram() {}

bool HostApp::EnsureVideo(std::string* error) {
    static std::atomic<bool> windowsMade{false};
    if (!IsInteractiveWindowStation(error)) return false;
    if (windowsMade) return true;
    // A desktop can still refuse windows (Wine with no X display behind it does): a window the
    // user would wait for must not be made invisible. One window, made and gone, tells.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrvHostProbe";
    RegisterClassExW(&wc);
    HWND probe = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    if (!probe) {
        const DWORD code = GetLastError();
        if (error)
            *error = "no window can be made on this desktop" +
                     (code ? " (error " + std::to_string(code) + ")" : std::string());
        return false;
    }
    DestroyWindow(probe);
    windowsMade = true;
    return true;
}

HWND HostAppBackend::EnsureLoopWindow(HostApp& app) {
    if (HWND existing = LoopWindowOf(&app)) return existing;
    if (!app.EnsureEvents()) return nullptr;
    // Hidden for ever, and a tool window so that nothing ever lists it.
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kLoopWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        std::fprintf(stderr, "Win32 events: cannot create the loop's window (error %lu)\n",
                     static_cast<unsigned long>(GetLastError()));
        return nullptr;
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&app));
    {
        std::lock_guard guard(g_loopWindowsLock);
        g_loopWindows[&app] = hwnd;
    }
    // Whatever other threads queued before the window existed could not wake anyone.
    bool queued;
    {
        std::lock_guard lock(app.m_postedLock);
        queued = !app.m_posted.empty();
    }
    if (queued || app.m_idleWakePending) PostMessageW(hwnd, kWakeMessage, 0, 0);
    return hwnd;
}

bool HostApp::PushUserEvent(std::int32_t, std::uint32_t, void*) {
    HWND loop = LoopWindowOf(this);
    // Before the loop's window exists the loop has not started: it looks at the queue when it does.
    return !loop || PostMessageW(loop, kWakeMessage, 0, 0) != 0;
}

void HostApp::PostQuit(int code) {
    // Through the posted functions, so that it ends the loop after everything posted before it.
    RunOnUiThread([this, code] {
        m_quitRequested = true;
        m_quitCode = code;
    });
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
    if (PushUserEvent(0, 0, nullptr)) return true;
    std::lock_guard lock(m_postedLock);
    m_posted.pop_back();
    return false;
}

void HostApp::WakeForIdle() {
    if (!EnsureEvents() || m_idleWakePending.exchange(true)) return;
    if (!PushUserEvent(0, 0, nullptr)) m_idleWakePending = false;
}

void HostAppBackend::RunPosted(HostApp& app) {
    app.m_idleWakePending = false;
    // One at a time: a quit among them leaves the later ones for the next run of the loop.
    while (!app.m_quitRequested) {
        std::function<void()> fn;
        {
            std::lock_guard lock(app.m_postedLock);
            if (app.m_posted.empty()) return;
            fn = std::move(app.m_posted.front());
            app.m_posted.pop_front();
        }
        fn();
    }
}

void HostAppBackend::RunUntilQuit(HostApp& app) {
    long idleCount = 0;
    bool idleMore = true;
    MSG msg;
    while (!app.m_quitRequested) {
        bool have = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
        while (!have && idleMore && !app.m_quitRequested) {
            idleMore = app.OnIdle(idleCount++);
            have = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
        }
        if (!have) {
            if (!app.m_quitRequested)
                MsgWaitForMultipleObjectsEx(0, nullptr, kWaitSliceMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            // Someone called PostQuitMessage on this thread: a quit like ours.
            app.m_quitRequested = true;
            app.m_quitCode = static_cast<int>(msg.wParam);
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        idleCount = 0;
        idleMore = true;
    }
}

int HostApp::RunMessageLoop() {
    if (!HostAppBackend::EnsureLoopWindow(*this)) return -1;
    m_running = true;
    m_quitRequested = false;
    struct RunningReset {
        std::atomic<bool>& flag;
        ~RunningReset() { flag = false; }
    } reset{m_running};
    HostAppBackend::RunUntilQuit(*this);
    return m_quitCode;
}

bool HostApp::StartWindowTimer(std::uint32_t windowId, int timerId, std::uint32_t periodMs) {
    HWND loop = HostAppBackend::EnsureLoopWindow(*this);
    if (!loop || periodMs == 0) return false;
    StopWindowTimer(windowId, timerId);
    TimerState* state = nullptr;
    std::size_t index = 0;
    for (; index < m_timers.size(); ++index) {
        if (m_timers[index]->windowId == windowId && m_timers[index]->timerId == timerId) {
            state = m_timers[index].get();
            break;
        }
    }
    if (!state) {
        auto timer = std::make_unique<TimerState>();
        timer->app = this;
        timer->windowId = windowId;
        timer->timerId = timerId;
        timer->stopped = true;
        state = timer.get();
        m_timers.push_back(std::move(timer));
        index = m_timers.size() - 1;
    }
    // The system's own timer messages are what the contract asks: made only when the queue is
    // otherwise empty, and never more than one waiting per timer.
    const UINT_PTR id = static_cast<UINT_PTR>(index + 1);
    if (!SetTimer(loop, id, periodMs, nullptr)) return false;
    state->backendTimer = static_cast<int>(id);
    state->stopped = false;
    return true;
}

void HostApp::StopWindowTimer(std::uint32_t windowId, int timerId) {
    HWND loop = LoopWindowOf(this);
    for (auto& timer : m_timers) {
        if (timer->windowId == windowId && timer->timerId == timerId && !timer->stopped) {
            timer->stopped = true;
            if (loop && timer->backendTimer) KillTimer(loop, static_cast<UINT_PTR>(timer->backendTimer));
            timer->backendTimer = 0;
        }
    }
}

void HostAppBackend::DeliverTick(HostApp& app, UINT_PTR backendTimer) {
    // A tick already queued when its timer stopped is dropped here.
    if (backendTimer == 0 || backendTimer > app.m_timers.size()) return;
    const HostApp::TimerState& timer = *app.m_timers[backendTimer - 1];
    if (timer.stopped) return;
    if (IHostWindowEvents* window = app.FindWindow(timer.windowId)) window->OnHostTimer(timer.timerId);
}

LRESULT CALLBACK HostAppBackend::LoopWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* app = reinterpret_cast<HostApp*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!app) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case kWakeMessage:
        RunPosted(*app);
        return 0;
    case WM_TIMER:
        DeliverTick(*app, wParam);
        return 0;
    case WM_QUERYENDSESSION:
        // The application decides (an upload in progress finishes first); the session may go on
        // asking, so the decision is taken when it really ends.
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            // The process ends when this returns: keep the loop turning until the application
            // has agreed to quit.
            app->OnSystemQuit();
            RunUntilQuit(*app);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace Orv::Platform
