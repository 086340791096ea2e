// What only the Win32 backend has: the window's class, frame and client size, messages turned into
// the framework's events, and the session's end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "OrvFramework/Platform/Cursors.h"
#include "OrvFramework/Platform/HostWindow.h"
#include "OrvFramework/Platform/KeyCodes.h"
#include "OrvFramework/Platform/SingleInstance.h"
#include "OrvFramework/Platform/Win32/Win32HostApp.h"
#include "Support/HostEvents.h"

using namespace Orv::Platform;

namespace {

HostWindowParams MainWindowParams() {
    HostWindowParams params;
    params.title = "Varnet Firmware Updater \xC3\xA9";
    params.windowClass = "VarnetUpdaterTestInstance";
    params.width = 432;
    params.height = 295;
    params.resizable = false;
    params.iconWidth = params.iconHeight = 2;
    params.iconPixels = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF};
    return params;
}

HWND NativeWindow(const wchar_t* className) { return FindWindowExW(nullptr, nullptr, className, nullptr); }

}  // namespace

// The main window's fixed frame, the splash's bare one and a sizable one: each with its class, the
// client area exactly the asked size, centred on the screen; the sizable one kept within its limits.
TEST(Win32HostWindow, ClassFrameAndClientSize) {
    HostApp app;
    HostWindowParams splash, sizable;
    splash.width = 300;
    splash.height = 120;
    splash.borderless = true;
    splash.inTaskBar = false;
    sizable.windowClass = "VarnetSizable";
    sizable.width = 200;
    sizable.height = 150;
    sizable.minWidth = 120;
    sizable.minHeight = 100;
    struct Case {
        const char* name;
        HostWindowParams params;
        const wchar_t* className;
        DWORD style, notStyle, exStyle;
    } const cases[] = {
        {"main", MainWindowParams(), L"VarnetUpdaterTestInstance", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
         WS_THICKFRAME | WS_MAXIMIZEBOX | WS_POPUP, 0},
        {"splash", splash, kDefaultHostWindowClass, WS_POPUP, WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW},
        {"sizable", sizable, L"VarnetSizable", WS_THICKFRAME | WS_MAXIMIZEBOX, WS_POPUP, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostEventLog events;
        std::string error;
        auto window = CreateHostWindow(c.params, events, &error);
        ASSERT_TRUE(window) << error;
        HWND hwnd = NativeWindow(c.className);
        ASSERT_TRUE(hwnd);
        const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE), exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
        EXPECT_EQ(style & c.style, static_cast<LONG_PTR>(c.style));
        EXPECT_EQ(style & c.notStyle, 0);
        EXPECT_EQ(exStyle & c.exStyle, static_cast<LONG_PTR>(c.exStyle));
        EXPECT_FALSE(IsWindowVisible(hwnd));  // made hidden
        EXPECT_EQ(window->IsResizable(), c.params.resizable && !c.params.borderless);
        RECT client{};
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, c.params.width);
        EXPECT_EQ(client.bottom, c.params.height);
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        EXPECT_NEAR(origin.x, (GetSystemMetrics(SM_CXSCREEN) - c.params.width) / 2, 1);
        EXPECT_NEAR(origin.y, (GetSystemMetrics(SM_CYSCREEN) - c.params.height) / 2, 1);
        wchar_t title[64] = {};
        GetWindowTextW(hwnd, title, 64);
        EXPECT_EQ(Utf8FromWide(title, wcslen(title)), c.params.title);
        EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0) != 0, !c.params.iconPixels.empty());
        if (c.params.minWidth > 0) {
            SetWindowPos(hwnd, nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            GetClientRect(hwnd, &client);
            EXPECT_EQ(client.right, c.params.minWidth);
            EXPECT_EQ(client.bottom, c.params.minHeight);
        }
    }
}

// Key, character, mouse and close messages reach the handler in the framework's terms, in order;
// a close request leaves the window standing; an unregistered window's messages go nowhere.
TEST(Win32HostWindow, MessagesReachTheHandlerAsFrameworkEvents) {
    HostApp app;
    HostEventLog events, dropped;
    auto window = CreateHostWindow(MainWindowParams(), events);
    HostWindowParams otherParams;
    otherParams.width = otherParams.height = 50;
    auto other = CreateHostWindow(otherParams, dropped);
    ASSERT_TRUE(window && other);
    app.UnregisterWindow(other->GetId());
    HWND hwnd = NativeWindow(L"VarnetUpdaterTestInstance");
    // After the windows: the first of a Wine session waits for its desktop.
    LoopWatchdog watchdog(app);
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } posted[] = {
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
    for (const auto& m : posted) ASSERT_TRUE(PostMessageW(hwnd, m.message, m.wParam, m.lParam));
    PostMessageW(NativeWindow(kDefaultHostWindowClass), WM_CLOSE, 0, 0);
    app.PostQuit(0);
    EXPECT_EQ(app.RunMessageLoop(), 0);
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"key 13 down", "key 13 down repeat", "key 16 up", "key 115 up", "key 0 down",
                                        "text \xC3\xA9", "text \xF0\x9F\x98\x80", "button 1 down double 5,6",
                                        "button 4 up -3,7", "wheel 0,-240", "wheel 120,0", "close"}));
    EXPECT_TRUE(dropped.log.empty());
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(window->IsLost());
}

// The paint target is the client area, top-down, and what is painted reaches the screen.
// Refusing the close greys the system menu's Close. A window destroyed behind the owner's back is
// lost, and what is asked of it afterwards does nothing.
TEST(Win32HostWindow, PaintsGreysCloseAndIsLostWhenDestroyedElsewhere) {
    HostApp app;
    HostEventLog events;
    auto window = CreateHostWindow(MainWindowParams(), events);
    ASSERT_TRUE(window);
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

    EXPECT_FALSE(window->IsLost());
    DestroyWindow(hwnd);
    EXPECT_TRUE(window->IsLost());
    EXPECT_FALSE(window->BeginPaint(target));
    EXPECT_FALSE(window->SetCloseOffered(false));
    window->Show(true);
}

// A later start finds the main window by its class and hands its command line over through it.
TEST(Win32HostWindow, HandsTheSecondStartsCommandLineOver) {
    HostApp app;
    const std::string name = "VarnetHandOver" + std::to_string(GetCurrentProcessId());
    SingleInstance first(name), second(name);
    ASSERT_TRUE(first.TryBecomeFirst());
    std::vector<std::string> got;
    ASSERT_TRUE(
        first.StartListening({[&] { got.push_back("front"); }, [&](const std::string& line) { got.push_back(line); }},
                             [](std::function<void()> fn) { fn(); }));
    HostWindowParams params = MainWindowParams();
    params.windowClass = name;
    HostEventLog events;
    auto window = CreateHostWindow(params, events);
    ASSERT_TRUE(window);
    EXPECT_TRUE(second.SendToFirst("varnet-updater.exe -SILENT"));
    EXPECT_EQ(got, (std::vector<std::string>{"front", "varnet-updater.exe -SILENT"}));
    COPYDATASTRUCT foreign{0x466, 0, nullptr};  // another program's identifier
    EXPECT_FALSE(
        SendMessageW(NativeWindow(WideFromUtf8(name).c_str()), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&foreign)));
    first.StopListening();
}

// A window with a thread of its own gets its events from PumpEvents on that thread, the session's
// end as a close request; none goes through the application's loop.
TEST(Win32HostWindow, OwnThreadWindowIsPumpedOnItsThread) {
    HostApp app;
    HostEventLog events;
    bool registered = true;
    std::thread([&] {
        HostWindowParams params;
        params.width = params.height = 60;
        params.borderless = true;
        params.ownThread = true;
        auto window = CreateHostWindow(params, events);
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

// A framework cursor becomes the thread's cursor and the one shown over client areas.
TEST(Win32HostApp, CursorsByName) {
    EXPECT_TRUE(SetCursorByName("UI_CURSOR_HAND"));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_FALSE(SetCursorByName("UI_CURSOR_NONE"));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_TRUE(SetCursorByName("UI_CURSOR_ARROW"));
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
