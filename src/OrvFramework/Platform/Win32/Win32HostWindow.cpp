// The host window over a Win32 window, painted from a 32-bit DIB section of our own.
#include <algorithm>
#include <atomic>
#include <vector>

#include "OrvFramework/Platform/Cursors.h"
#include "OrvFramework/Platform/HostWindow.h"
#include "OrvFramework/Platform/Win32/Win32HostApp.h"
#include "OrvFramework/Platform/Windows/CopyData.h"

namespace Orv::Platform {

namespace {

std::atomic<std::uint32_t> g_nextWindowId{1};

// The cursor SetSystemCursor chose last, shown whenever the pointer is over a client area.
std::atomic<HCURSOR> g_clientCursor{nullptr};

int SignedLow(LPARAM value) { return static_cast<short>(LOWORD(value)); }
int SignedHigh(LPARAM value) { return static_cast<short>(HIWORD(value)); }

bool SystemKeyHeld() { return GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0; }

unsigned MouseModifiers(WPARAM wParam) {
    unsigned flags = 0;
    if (wParam & MK_CONTROL) flags |= kModifierControl;
    if (wParam & MK_SHIFT) flags |= kModifierShift;
    if (GetKeyState(VK_MENU) < 0) flags |= kModifierAlt;
    return flags;
}

// An icon of width x height from straight ARGB pixels, averaged down (or repeated up) to size x
// size. Colours are weighed by their alpha, so transparent pixels do not darken the edges.
HICON MakeIcon(const std::vector<std::uint32_t>& pixels, int width, int height, int size) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!color) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < size; ++y) {
        const int y0 = y * height / size, y1 = std::max(y0 + 1, (y + 1) * height / size);
        for (int x = 0; x < size; ++x) {
            const int x0 = x * width / size, x1 = std::max(x0 + 1, (x + 1) * width / size);
            std::uint64_t a = 0, r = 0, g = 0, b = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint32_t p = pixels[static_cast<std::size_t>(sy) * width + sx];
                    const std::uint32_t pa = p >> 24;
                    a += pa;
                    r += ((p >> 16) & 0xFF) * pa;
                    g += ((p >> 8) & 0xFF) * pa;
                    b += (p & 0xFF) * pa;
                    ++n;
                }
            }
            const std::uint64_t outA = a / n;
            const auto channel = [a](std::uint64_t sum) { return a ? static_cast<std::uint32_t>(sum / a) : 0u; };
            out[static_cast<std::size_t>(y) * size + x] =
                static_cast<std::uint32_t>(outA << 24) | channel(r) << 16 | channel(g) << 8 | channel(b);
        }
    }
    // The alpha channel decides; the mask is only there because an icon needs one.
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = color;
    HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
    if (mask) DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

class Win32HostWindow final : public IHostWindow {
public:
    Win32HostWindow(IHostWindowEvents& events, bool ownThread, bool resizable)
        : m_id(g_nextWindowId.fetch_add(1)), m_events(events), m_ownThread(ownThread), m_resizable(resizable) {}

    // Second step of construction: the procedure needs the object before CreateWindowExW returns.
    void Attach(HWND hwnd, HICON bigIcon, HICON smallIcon) {
        m_hwnd = hwnd;
        m_bigIcon = bigIcon;
        m_smallIcon = smallIcon;
        if (!m_ownThread)
            if (HostApp* app = HostApp::Current()) app->RegisterWindow(m_id, &m_events);
    }

    ~Win32HostWindow() override {
        if (!m_ownThread)
            if (HostApp* app = HostApp::Current()) app->UnregisterWindow(m_id);
        if (m_captured && GetCapture() == m_hwnd) ReleaseCapture();
        if (m_hwnd && !m_lost) {
            // Detached first: what the window hears while it goes (focus, capture) reaches no one.
            SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
            DestroyWindow(m_hwnd);
        }
        FreeBuffer();
        if (m_bigIcon) DestroyIcon(m_bigIcon);
        if (m_smallIcon) DestroyIcon(m_smallIcon);
    }

    std::uint32_t GetId() const override { return m_id; }

    void Show(bool activate) override {
        if (m_lost) return;
        ShowWindow(m_hwnd, activate ? SW_SHOW : SW_SHOWNOACTIVATE);
        UpdateWindow(m_hwnd);
    }

    void Hide() override {
        if (!m_lost) ShowWindow(m_hwnd, SW_HIDE);
    }

    void BringToFront() override {
        if (m_lost) return;
        ShowWindow(m_hwnd, IsIconic(m_hwnd) ? SW_RESTORE : SW_SHOW);
        BringWindowToTop(m_hwnd);
        SetForegroundWindow(m_hwnd);
    }

    void SetTitle(const std::string& utf8) override {
        if (!m_lost) SetWindowTextW(m_hwnd, WideFromUtf8(utf8).c_str());
    }

    bool IsResizable() const override { return m_resizable; }

    bool GetScreenArea(HostScreenArea& area) const override {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        HMONITOR monitor = MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY);
        if (!monitor || !GetMonitorInfoW(monitor, &info)) return false;
        area = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right - info.rcMonitor.left,
                info.rcMonitor.bottom - info.rcMonitor.top};
        return true;
    }

    bool BeginPaint(PaintTarget& target) override {
        if (m_lost) return false;
        RECT client{};
        GetClientRect(m_hwnd, &client);
        const int width = client.right - client.left, height = client.bottom - client.top;
        if (width <= 0 || height <= 0) return false;  // minimized
        if (!m_bitmap || width != m_width || height != m_height) {
            FreeBuffer();
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = width;
            info.bmiHeader.biHeight = -height;  // top-down, like the paint target
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            m_memoryDc = CreateCompatibleDC(nullptr);
            m_bitmap = m_memoryDc ? CreateDIBSection(m_memoryDc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0) : nullptr;
            if (!m_bitmap) {
                FreeBuffer();
                return false;
            }
            m_oldBitmap = SelectObject(m_memoryDc, m_bitmap);
            m_width = width;
            m_height = height;
        }
        // GDI may still be writing into the section from an earlier blit.
        GdiFlush();
        target = {static_cast<unsigned char*>(m_bits), m_width, m_height, m_width * 4, true};
        m_painting = true;
        return true;
    }

    void EndPaint() override {
        if (!m_painting) return;
        m_painting = false;
        if (m_lost) return;
        if (HDC dc = GetDC(m_hwnd)) {
            BitBlt(dc, 0, 0, m_width, m_height, m_memoryDc, 0, 0, SRCCOPY);
            ReleaseDC(m_hwnd, dc);
        }
        // The whole client area is new: an expose already queued for it would only paint it again.
        ValidateRect(m_hwnd, nullptr);
    }

    bool SetCloseOffered(bool offered) override {
        HMENU menu = m_lost ? nullptr : GetSystemMenu(m_hwnd, FALSE);
        if (!menu) return false;
        // Greying the system menu's Close greys the title bar's button and Alt+F4 with it.
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
        return true;
    }

    void CaptureMouse(bool capture) override {
        if (capture == m_captured || m_lost) return;
        m_captured = capture;
        if (capture)
            SetCapture(m_hwnd);
        else if (GetCapture() == m_hwnd)
            ReleaseCapture();
    }

    bool StartTimer(int timerId, std::uint32_t periodMs) override {
        HostApp* app = m_ownThread ? nullptr : HostApp::Current();
        return app && app->StartWindowTimer(m_id, timerId, periodMs);
    }

    void StopTimer(int timerId) override {
        if (HostApp* app = m_ownThread ? nullptr : HostApp::Current()) app->StopWindowTimer(m_id, timerId);
    }

    void PumpEvents() override {
        // Everything queued for this thread: its loop is this call while the window lives.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    bool IsLost() const override { return m_lost; }

    // The size limits of a resizable window, as outer sizes (the frame added).
    SIZE minTrack{0, 0}, maxTrack{0, 0};

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Where this window's events go now; null drops them (an unregistered window).
    IHostWindowEvents* Handler() const { return m_ownThread ? &m_events : RegisteredHandler(m_id); }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Mouse(int button, bool down, bool doubleClick, WPARAM wParam, LPARAM lParam);
    void OnKey(WPARAM wParam, LPARAM lParam, bool down);
    void Character(wchar_t unit);

    void FreeBuffer() {
        if (m_memoryDc && m_oldBitmap) SelectObject(m_memoryDc, m_oldBitmap);
        if (m_bitmap) DeleteObject(m_bitmap);
        if (m_memoryDc) DeleteDC(m_memoryDc);
        m_memoryDc = nullptr;
        m_bitmap = nullptr;
        m_oldBitmap = nullptr;
        m_bits = nullptr;
        m_width = m_height = 0;
    }

    HWND m_hwnd = nullptr;
    std::uint32_t m_id;
    IHostWindowEvents& m_events;
    bool m_ownThread;
    bool m_resizable;
    bool m_captured = false;
    bool m_tracking = false;  // the pointer is inside and its leaving is asked for
    bool m_lost = false;
    wchar_t m_highSurrogate = 0;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    HDC m_memoryDc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    void* m_bits = nullptr;
    int m_width = 0, m_height = 0;
    bool m_painting = false;
};

void Win32HostWindow::Mouse(int button, bool down, bool doubleClick, WPARAM wParam, LPARAM lParam) {
    if (IHostWindowEvents* handler = Handler())
        handler->OnHostMouseButton(button, down, doubleClick, SignedLow(lParam), SignedHigh(lParam),
                                   MouseModifiers(wParam));
}

void Win32HostWindow::OnKey(WPARAM wParam, LPARAM lParam, bool down) {
    IHostWindowEvents* handler = Handler();
    if (!handler) return;
    HostKeyEvent key;
    key.virtualKey = VirtualKeyFromWin32(static_cast<unsigned>(wParam));
    key.modifiers = ModifierFlagsFromKeyState();
    // Bit 30: the key was already down before this message.
    key.repeat = down && (lParam & (1L << 30)) != 0;
    key.systemKeyHeld = SystemKeyHeld();
    handler->OnHostKey(key, down);
}

void Win32HostWindow::Character(wchar_t unit) {
    // A character beyond the basic plane arrives as two messages, one per surrogate.
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        m_highSurrogate = unit;
        return;
    }
    wchar_t text[2] = {unit, 0};
    std::size_t length = 1;
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (!m_highSurrogate) return;  // a lone half is no character
        text[0] = m_highSurrogate;
        text[1] = unit;
        length = 2;
    }
    m_highSurrogate = 0;
    // Control characters (Backspace, Return, Escape, Ctrl+letter) are keys, not text.
    if (length == 1 && (unit < 0x20 || unit == 0x7F)) return;
    if (IHostWindowEvents* handler = Handler())
        handler->OnHostTextInput(Utf8FromWide(text, length), ModifierFlagsFromKeyState(), SystemKeyHeld());
}

LRESULT Win32HostWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hwnd, &ps);
        // The last frame at once; the framework paints a new one when it chooses.
        if (dc && m_bitmap && !m_painting) BitBlt(dc, 0, 0, m_width, m_height, m_memoryDc, 0, 0, SRCCOPY);
        ::EndPaint(m_hwnd, &ps);
        if (IHostWindowEvents* handler = Handler()) handler->OnHostExpose();
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // every pixel is ours to paint
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            HCURSOR cursor = g_clientCursor.load();
            SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        Mouse(kMouseLeft, message != WM_LBUTTONUP, message == WM_LBUTTONDBLCLK, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        Mouse(kMouseMiddle, message != WM_MBUTTONUP, message == WM_MBUTTONDBLCLK, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        Mouse(kMouseRight, message != WM_RBUTTONUP, message == WM_RBUTTONDBLCLK, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE: {
        IHostWindowEvents* handler = Handler();
        if (!m_tracking) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hwnd, 0};
            m_tracking = TrackMouseEvent(&track) != 0;
            if (handler) handler->OnHostMouseCrossing(true);
        }
        if (handler) handler->OnHostMouseMove(SignedLow(lParam), SignedHigh(lParam), MouseModifiers(wParam));
        return 0;
    }
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (IHostWindowEvents* handler = Handler()) handler->OnHostMouseCrossing(false);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        if (IHostWindowEvents* handler = Handler()) {
            // Both in the classic unit: positive is away from the user, or to the right.
            const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
            const unsigned modifiers = MouseModifiers(GET_KEYSTATE_WPARAM(wParam));
            if (message == WM_MOUSEWHEEL)
                handler->OnHostMouseWheel(0, delta, modifiers);
            else
                handler->OnHostMouseWheel(delta, 0, modifiers);
        }
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        OnKey(wParam, lParam, message == WM_KEYDOWN);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        OnKey(wParam, lParam, message == WM_SYSKEYDOWN);
        break;  // the system's own keys (Alt+F4, Alt+Space) still work
    case WM_CHAR:
        Character(static_cast<wchar_t>(wParam));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (IHostWindowEvents* handler = Handler()) handler->OnHostFocus(message == WM_SETFOCUS);
        return 0;
    case WM_SIZE:
        if (IHostWindowEvents* handler = Handler()) {
            const HostSizeKind kind = wParam == SIZE_MINIMIZED   ? HostSizeKind::Minimized
                                      : wParam == SIZE_MAXIMIZED ? HostSizeKind::Maximized
                                                                 : HostSizeKind::Restored;
            handler->OnHostSize(LOWORD(lParam), HIWORD(lParam), kind);
        }
        return 0;
    case WM_MOVE:
        if (IHostWindowEvents* handler = Handler()) handler->OnHostMove(SignedLow(lParam), SignedHigh(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (minTrack.cx > 0) info->ptMinTrackSize = {minTrack.cx, minTrack.cy};
        if (maxTrack.cx > 0) info->ptMaxTrackSize = {maxTrack.cx, maxTrack.cy};
        return 0;
    }
    case WM_CAPTURECHANGED:
        m_captured = false;
        return 0;
    case WM_CLOSE:
        // Only a request: the application answers it (it refuses while an upload runs).
        if (IHostWindowEvents* handler = Handler()) handler->OnHostClose();
        return 0;
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        return data && ReceiveCopyData(data->dwData, data->lpData, data->cbData) ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
        // A window with a thread of its own hears the session's end as a close request; the
        // user-interface thread's loop hears it for the windows of that thread.
        if (wParam && m_ownThread) m_events.OnHostClose();
        return 0;
    case WM_NCDESTROY:
        // Our own destruction detaches first, so this is someone else's.
        m_lost = true;
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32HostWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* window = static_cast<Win32HostWindow*>(create->lpCreateParams);
        window->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Win32HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return window ? window->Handle(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterHostClass(const std::wstring& name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Win32HostWindow::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The program's icon resource, where the executable has one; the window's own icon wins.
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

std::unique_ptr<IHostWindow> CreateHostWindow(const HostWindowParams& params, IHostWindowEvents& events,
                                              std::string* error) {
    auto fail = [error](std::string text) -> std::unique_ptr<IHostWindow> {
        if (error) *error = std::move(text);
        return nullptr;
    };
    if (params.width <= 0 || params.height <= 0) return fail("the window needs a positive size");
    if (!HostApp::EnsureVideo(error)) return nullptr;
    const std::wstring className =
        params.windowClass.empty() ? std::wstring(kDefaultHostWindowClass) : WideFromUtf8(params.windowClass);
    if (!RegisterHostClass(className))
        return fail("RegisterClassExW failed (error " + std::to_string(GetLastError()) + ")");

    DWORD style, exStyle = 0;
    if (params.borderless)
        style = WS_POPUP;
    else if (params.resizable)
        style = WS_OVERLAPPEDWINDOW;
    else
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // a fixed frame
    if (!params.inTaskBar) exStyle |= WS_EX_TOOLWINDOW;
    RECT frame{0, 0, params.width, params.height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int outerWidth = frame.right - frame.left, outerHeight = frame.bottom - frame.top;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor))
        area = params.centreOnWorkArea ? monitor.rcWork : monitor.rcMonitor;
    // The client area is centred; the frame falls where it may.
    const int left = (area.left + area.right - params.width) / 2 + frame.left;
    const int top = (area.top + area.bottom - params.height) / 2 + frame.top;

    auto window = std::make_unique<Win32HostWindow>(events, params.ownThread, params.resizable && !params.borderless);
    if (window->IsResizable()) {
        const auto outer = [&](int width, int height) {
            RECT r{0, 0, std::max(1, width), std::max(1, height)};
            AdjustWindowRectEx(&r, style, FALSE, exStyle);
            return SIZE{r.right - r.left, r.bottom - r.top};
        };
        if (params.minWidth > 0 || params.minHeight > 0) window->minTrack = outer(params.minWidth, params.minHeight);
        if (params.maxWidth > 0 && params.maxHeight > 0) window->maxTrack = outer(params.maxWidth, params.maxHeight);
    }
    HWND hwnd = CreateWindowExW(exStyle, className.c_str(), WideFromUtf8(params.title).c_str(), style, left, top,
                                outerWidth, outerHeight, nullptr, nullptr, GetModuleHandleW(nullptr), window.get());
    if (!hwnd) return fail("CreateWindowExW failed (error " + std::to_string(GetLastError()) + ")");

    HICON bigIcon = nullptr, smallIcon = nullptr;
    if (params.iconWidth > 0 && params.iconHeight > 0 &&
        params.iconPixels.size() == static_cast<std::size_t>(params.iconWidth) * params.iconHeight) {
        bigIcon = MakeIcon(params.iconPixels, params.iconWidth, params.iconHeight, GetSystemMetrics(SM_CXICON));
        smallIcon = MakeIcon(params.iconPixels, params.iconWidth, params.iconHeight, GetSystemMetrics(SM_CXSMICON));
        if (bigIcon) SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        if (smallIcon) SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    }
    window->Attach(hwnd, bigIcon, smallIcon);
    return window;
}

// The backend's cursors are the system's shared ones: loaded once, never freed.
bool SetSystemCursor(CursorShape shape) {
    const wchar_t* id = IDC_ARROW;
    switch (shape) {
    case CursorShape::Arrow:
        id = IDC_ARROW;
        break;
    case CursorShape::IBeam:
        id = IDC_IBEAM;
        break;
    case CursorShape::Wait:
        id = IDC_WAIT;
        break;
    case CursorShape::WaitArrow:
        id = IDC_APPSTARTING;
        break;
    case CursorShape::Crosshair:
        id = IDC_CROSS;
        break;
    case CursorShape::SizeAll:
        id = IDC_SIZEALL;
        break;
    case CursorShape::SizeNWSE:
        id = IDC_SIZENWSE;
        break;
    case CursorShape::SizeNESW:
        id = IDC_SIZENESW;
        break;
    case CursorShape::SizeWE:
        id = IDC_SIZEWE;
        break;
    case CursorShape::SizeNS:
        id = IDC_SIZENS;
        break;
    case CursorShape::Hand:
        id = IDC_HAND;
        break;
    case CursorShape::No:
        id = IDC_NO;
        break;
    }
    HCURSOR cursor = LoadCursorW(nullptr, id);
    if (!cursor) return false;
    g_clientCursor = cursor;
    SetCursor(cursor);
    return true;
}

}  // namespace Orv::Platform
