// What only the Win32 backend has: the window's class, frame and client size, messages turned into
// the framework's events, and the session's end.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "OrvFramework/Platform/HostWindow.h"
#include "OrvFramework/Platform/KeyCodes.h"
#include "OrvFramework/Platform/SingleInstance.h"
#include "OrvFramework/Platform/Win32/Win32HostApp.h"
#include "Support/HostEvents.h"

using namespace Orv::Platform;
// The fields a designated initializer leaves out keep their defaults, as meant.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

HostWindowParams MainWindowParams() {
    HostWindowParams params{.title = "Varnet Firmware Updater \xC3\xA9",
                            .windowClass = "VarnetUpdaterTestInstance",
                            .width = 432,
                            .height = 295,
                            .resizable = false};
    params.iconWidth = params.iconHeight = 2;
    params.iconPixels = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF};
    return params;
}

// This process's window of the class: the tests of other processes run beside it on the same
// desktop, with windows of the same classes.
HWND NativeWindow(const wchar_t* className) {
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, className, nullptr); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, className, nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        if (process == GetCurrentProcessId()) return hwnd;
    }
    return nullptr;
}

}  // namespace

// The main window's fixed frame, the splash's bare one and a sizable one: each with its class, the
// client area exactly the asked size, centred on the screen; the sizable one kept within its limits.
TEST(Win32HostWindow, ClassFrameAndClientSize) {
    HostApp app;
    const HostWindowParams splash{.width = 300, .height = 120, .borderless = true, .inTaskBar = false};
    const HostWindowParams sizable{
        .windowClass = "VarnetSizable", .width = 200, .height = 150, .minWidth = 120, .minHeight = 100};
    // Name, parameters, class, styles it has, styles it has not, extended styles it has.
    const std::tuple<const char*, HostWindowParams, const wchar_t*, DWORD, DWORD, DWORD> cases[] = {
        {"main", MainWindowParams(), L"VarnetUpdaterTestInstance", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
         WS_THICKFRAME | WS_MAXIMIZEBOX | WS_POPUP, 0},
        {"splash", splash, kDefaultHostWindowClass, WS_POPUP, WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW},
        {"sizable", sizable, L"VarnetSizable", WS_THICKFRAME | WS_MAXIMIZEBOX, WS_POPUP, 0},
    };
    for (const auto& [name, params, className, has, hasNot, exHas] : cases) {
        SCOPED_TRACE(name);
        HostEventLog events;
        std::string error;
        auto window = CreateHostWindow(params, events, &error);
        ASSERT_TRUE(window) << error;
        HWND hwnd = NativeWindow(className);
        ASSERT_TRUE(hwnd);
        const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE), exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
        EXPECT_EQ(style & has, static_cast<LONG_PTR>(has));
        EXPECT_EQ(style & hasNot, 0);
        EXPECT_EQ(exStyle & exHas, static_cast<LONG_PTR>(exHas));
        EXPECT_FALSE(IsWindowVisible(hwnd));  // made hidden
        RECT client{};
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, params.width);
        EXPECT_EQ(client.bottom, params.height);
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        EXPECT_NEAR(origin.x, (GetSystemMetrics(SM_CXSCREEN) - params.width) / 2, 1);
        EXPECT_NEAR(origin.y, (GetSystemMetrics(SM_CYSCREEN) - params.height) / 2, 1);
        wchar_t title[64] = {};
        GetWindowTextW(hwnd, title, 64);
        EXPECT_EQ(Utf8FromWide(title, wcslen(title)), params.title);
        EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0) != 0, !params.iconPixels.empty());
        if (params.minWidth > 0) {
            SetWindowPos(hwnd, nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            GetClientRect(hwnd, &client);
            EXPECT_EQ(client.right, params.minWidth);
            EXPECT_EQ(client.bottom, params.minHeight);
        }
    }
}

// The paint target is the client area, top-down, and what is painted reaches the screen. Refusing
// the close greys the system menu's Close. Key, character, mouse and close messages reach the
// handler in the framework's terms, in order; a close request leaves the window standing; an
// unregistered window's messages go nowhere. A window destroyed behind the owner's back is lost,
// and what is asked of it afterwards does nothing.
TEST(Win32HostWindow, PaintsAndPassesMessagesAsFrameworkEventsUntilDestroyedElsewhere) {
    HostApp app;
    HostEventLog events, dropped;
    auto window = CreateHostWindow(MainWindowParams(), events);
    auto other = CreateHostWindow({.width = 50, .height = 50}, dropped);
    ASSERT_TRUE(window && other);
    app.UnregisterWindow(other->GetId());
    HWND hwnd = NativeWindow(L"VarnetUpdaterTestInstance");
    window->Show(true);
    PaintTarget target;
    ASSERT_TRUE(window->BeginPaint(target));
    EXPECT_EQ(target.width, 432);
    EXPECT_EQ(target.height, 295);
    EXPECT_TRUE(target.opaque);
    ASSERT_TRUE(target.IsValid());
    for (int y = 0; y < target.height; ++y)
        for (int x = 0; x < target.width; ++x) target.Row(y)[x] = y < 10 ? 0xFF3366CC : 0xFF000000;
    window->EndPaint();
    HDC dc = GetDC(hwnd);
    EXPECT_EQ(GetPixel(dc, 431, 0), RGB(0x33, 0x66, 0xCC));
    EXPECT_EQ(GetPixel(dc, 0, 10), RGB(0, 0, 0));
    ReleaseDC(hwnd, dc);
    ASSERT_TRUE(window->SetCloseOffered(false));
    EXPECT_TRUE(GetMenuState(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
    ASSERT_TRUE(window->SetCloseOffered(true));
    EXPECT_FALSE(GetMenuState(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);

    // After the windows: the first of a Wine session waits for its desktop.
    LoopWatchdog watchdog(app);
    const std::tuple<UINT, WPARAM, LPARAM> posted[] = {
        {WM_KEYDOWN, VK_RETURN, 1},
        {WM_KEYDOWN, VK_RETURN, 1 | (1L << 30)},  // held: a repeat
        {WM_KEYUP, VK_RSHIFT, 1},
        {WM_SYSKEYUP, VK_F4, 1},
        {WM_KEYDOWN, VK_OEM_102, 1},  // no framework code
        {WM_CHAR, 0xE9, 1},
        {WM_CHAR, 0x0D, 1},  // Return is a key, not text
        {WM_CHAR, 0xD83D, 1},
        {WM_CHAR, 0xDE00, 1},  // with the unit before it, one character
        {WM_CHAR, 0xDE00, 1},  // alone, none
        {WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 6)},
        {WM_RBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-3), 7)},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0},  // two notches towards the user
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, 120), 0},
        {WM_CLOSE, 0, 0},
    };
    for (const auto& [message, wParam, lParam] : posted) ASSERT_TRUE(PostMessageW(hwnd, message, wParam, lParam));
    PostMessageW(NativeWindow(kDefaultHostWindowClass), WM_CLOSE, 0, 0);
    app.PostQuit(0);
    EXPECT_EQ(app.RunMessageLoop(), 0);
    // The shown window's focus comes and goes with the desktop; only the posted messages count here.
    std::erase_if(events.log, [](const std::string& e) { return e == "focus" || e == "blur"; });
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"key 13 down", "key 13 down repeat", "key 16 up", "key 115 up", "key 0 down",
                                        "text \xC3\xA9", "text \xF0\x9F\x98\x80", "button 1 down double 5,6",
                                        "button 4 up -3,7", "wheel 0,-240", "wheel 120,0", "close"}));
    EXPECT_TRUE(dropped.log.empty());

    EXPECT_FALSE(window->IsLost());
    DestroyWindow(hwnd);
    EXPECT_TRUE(window->IsLost());
    EXPECT_FALSE(window->BeginPaint(target));
    EXPECT_FALSE(window->SetCloseOffered(false));
    window->Show(true);
}

// The session's mutex lets one instance be first and is freed with it. A later start finds the main
// window by its class and hands its command line over through it, to be run on the user-interface
// thread; whatever else reaches the window is refused.
TEST(Win32HostWindow, OneInstanceIsFirstAndTakesTheSecondStartsCommandLineOnly) {
    HostApp app;
    const std::string name = "VarnetHandOver" + std::to_string(GetCurrentProcessId());
    auto first = std::make_unique<SingleInstance>(name);
    SingleInstance second(name);
    EXPECT_EQ(first->LockPath(), "Local\\" + name + "Prevent");
    ASSERT_TRUE(first->TryBecomeFirst());
    EXPECT_FALSE(second.TryBecomeFirst());
    EXPECT_EQ(second.Error(), "");                // held by another, not broken
    EXPECT_FALSE(second.SendToFirst("-SILENT"));  // no window yet
    HostEventLog events;
    auto window = CreateHostWindow({.windowClass = name, .width = 100, .height = 100}, events);
    ASSERT_TRUE(window);
    EXPECT_FALSE(second.SendToFirst("-SILENT"));  // a window, but nobody listens yet
    std::vector<std::string> got;
    std::vector<std::function<void()>> queue;  // the user-interface thread's
    ASSERT_TRUE(
        first->StartListening({[&] { got.push_back("front"); }, [&](const std::string& line) { got.push_back(line); }},
                              [&](std::function<void()> fn) { queue.push_back(std::move(fn)); }));
    EXPECT_TRUE(second.SendToFirst("varnet-updater.exe -FIRMWARE_VERSION=1.0.2 \xC3\xA9"));
    EXPECT_TRUE(second.SendToFirst(""));  // still asks for the front
    const std::tuple<ULONG_PTR, std::string, bool> raw[] = {
        {0x466, std::string("ab\0", 3), false},  // another program's identifier
        {0x465, "abc", false},                   // no terminating zero
        {0x465, std::string(kSecondInstanceMaxLength + 1, '\0'), false},
        {0x465, std::string("ab\0cd\0", 6), true},  // read up to the first zero
    };
    HWND hwnd = NativeWindow(WideFromUtf8(name).c_str());
    for (const auto& [identifier, bytes, taken] : raw) {
        COPYDATASTRUCT record{identifier, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
        EXPECT_EQ(SendMessageW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)) == TRUE, taken) << bytes.size();
    }
    EXPECT_TRUE(got.empty());
    for (auto& fn : queue) fn();
    EXPECT_EQ(got, (std::vector<std::string>{"front", "varnet-updater.exe -FIRMWARE_VERSION=1.0.2 \xC3\xA9", "front",
                                             "front", "ab"}));
    first->StopListening();
    EXPECT_FALSE(second.SendToFirst("late"));
    first.reset();
    EXPECT_TRUE(second.TryBecomeFirst());

    // A name the system refuses is a lock that cannot be made, never "first".
    SingleInstance unnamable("bad\\name");
    EXPECT_FALSE(unnamable.TryBecomeFirst());
    EXPECT_NE(unnamable.Error().find("cannot create the mutex"), std::string::npos) << unnamable.Error();
}

// A window with a thread of its own gets its events from PumpEvents on that thread, the session's
// end as a close request; none goes through the application's loop.
TEST(Win32HostWindow, OwnThreadWindowIsPumpedOnItsThread) {
    HostApp app;
    HostEventLog events;
    bool registered = true;
    std::thread([&] {
        auto window = CreateHostWindow({.width = 60, .height = 60, .borderless = true, .ownThread = true}, events);
        ASSERT_TRUE(window);
        registered = app.IsWindowRegistered(window->GetId());
        HWND hwnd = NativeWindow(kDefaultHostWindowClass);
        PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
        window->PumpEvents();
        SendMessageW(hwnd, WM_ENDSESSION, TRUE, 0);
    }).join();
    EXPECT_FALSE(registered);
    EXPECT_EQ(events.log, (std::vector<std::string>{"key 27 down", "close"}));
}

// The end of the session asks the application; the loop keeps turning until it has agreed, since
// the process ends when the message is answered.
TEST(Win32HostApp, SessionEndAsksTheApplicationAndWaitsForItsQuit) {
    struct SessionApp : HostApp {
        std::vector<std::string> log;
        void OnSystemQuit() override {
            log.push_back("asked");
            RunOnUiThread([this] {
                log.push_back("agreed");
                PostQuit(3);
            });
        }
    } app;
    LoopWatchdog watchdog(app);
    app.RunOnUiThread([&] {
        HWND loop = NativeWindow(kLoopWindowClass);
        EXPECT_TRUE(SendMessageW(loop, WM_QUERYENDSESSION, 0, 0));
        SendMessageW(loop, WM_ENDSESSION, TRUE, 0);
        app.log.push_back("answered");
    });
    EXPECT_EQ(app.RunMessageLoop(), 3);
    EXPECT_EQ(app.log, (std::vector<std::string>{"asked", "agreed", "answered"}));
}

// The framework's key codes are the virtual keys the framework has; the rest, and the sided forms
// of the modifiers, are mapped.
TEST(Win32HostApp, VirtualKeys) {
    const std::pair<unsigned, int> keys[] = {{'A', Key::LetterA},
                                             {VK_F24, Key::F13 + 11},
                                             {VK_LCONTROL, Key::Control},
                                             {VK_RMENU, Key::Alt},
                                             {VK_OEM_7, Key::Quote},
                                             {VK_PROCESSKEY, 0},
                                             {0x3A, 0},
                                             {VK_ATTN, 0}};
    for (const auto& [vk, code] : keys) EXPECT_EQ(VirtualKeyFromWin32(vk), code) << vk;
}
