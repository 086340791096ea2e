#include "OrvFramework/ControlBase/OSWindow.h"

#include <algorithm>
#include <cmath>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Notification/NotificationCenter.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Platform/Cursors.h"
#include "OrvFramework/Platform/Resources.h"
#include "OrvFramework/Utilities/Graphics/BitmapData.h"

namespace Orv {

namespace {

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

// The characters of a key message carry only the Shift and Control flags.
constexpr unsigned kCharacterModifierMask = Platform::kModifierShift | Platform::kModifierControl;

int WholePixels(double value) { return std::max(0, RoundToInt(value)); }

}  // namespace

RCPtr<LBitmapData> LoadWindowIcon() {
    const auto png = Platform::FindResource("PNG", "APP_ICON");
    if (!png) return nullptr;
    RCPtr<LBitmapData> icon = LBitmapData::FromPng(*png);
    return icon->HasImage() ? icon : nullptr;
}

OSWindow::OSWindow(Platform::IClock& clock) : m_clock(clock) {}

OSWindow::~OSWindow() { Destroy(); }

bool OSWindow::Create(const CreateParams& params, std::string* error) {
    if (m_window) {
        SetError(error, "the window is already open");
        return false;
    }
    if (params.width <= 0 || params.height <= 0) {
        SetError(error, "the window needs a positive size");
        return false;
    }
    const bool fixed = params.minWidth > 0 && params.minHeight > 0 && params.minWidth == params.maxWidth &&
                       params.minHeight == params.maxHeight;
    Platform::HostWindowParams host;
    host.title = Utf16ToUtf8(params.title);
    host.windowClass = params.windowClass;
    host.width = params.width;
    host.height = params.height;
    host.resizable = !fixed;
    host.minWidth = params.minWidth;
    host.minHeight = params.minHeight;
    host.maxWidth = params.maxWidth;
    host.maxHeight = params.maxHeight;
    if (const RCPtr<LBitmapData> icon = LoadWindowIcon()) {
        host.iconWidth = icon->GetWidth();
        host.iconHeight = icon->GetHeight();
        host.iconPixels = icon->GetPixels();
    }
    m_window = Platform::CreateHostWindow(host, *this, error);
    if (!m_window) return false;
    m_mainWindow = params.mainWindow;
    m_closed = false;
    m_renderer = LRenderer::CreateForPlatform(m_clock);
    m_root = std::make_unique<LRootWindow>(m_renderer.Get(), m_clock);
    if (Platform::HostScreenArea screen; m_window->GetScreenArea(screen))
        m_root->SetScreenArea({double(screen.x), double(screen.y), double(screen.width), double(screen.height)});
    m_root->SetSize(params.width, params.height);
    m_root->SetCloseAllowedHandler([this](bool allowed) {
        if (m_window) m_window->SetCloseOffered(allowed);
    });
    if (Platform::HostApp::Current()) {
        m_root->SetWorkHandler([this] { EnsureTicking(); });
        EnsureTicking();
    }
    return true;
}

RCPtr<LControl> OSWindow::CreateWithContent(LControlFactory& factory, const String& controlName, const String& title,
                                            std::string* error, const std::string& windowClass) {
    const RCPtr<LControlDescriptor> descriptor = factory.FindControlDescriptor(controlName);
    if (!descriptor) {
        SetError(error, "Runtime Error : Null Pointer : Invalid Control Name");
        return nullptr;
    }
    const LLayoutDescriptor& layout = *descriptor->layout;
    CreateParams params;
    params.title = title;
    params.windowClass = windowClass;
    params.width = WholePixels(layout.x.sizeAbsolute);
    params.height = WholePixels(layout.y.sizeAbsolute);
    params.minWidth = WholePixels(layout.x.minimumSize.absolute);
    params.minHeight = WholePixels(layout.y.minimumSize.absolute);
    params.maxWidth = WholePixels(layout.x.maximumSize.absolute);
    params.maxHeight = WholePixels(layout.y.maximumSize.absolute);
    if (!IsCreated() && !Create(params, error)) return nullptr;
    RCPtr<LControl> content = m_root->CreateContent(factory, controlName);
    if (!content) SetError(error, "the control could not be created");
    return content;
}

void OSWindow::Destroy() {
    if (m_root) m_root->SetContent(nullptr);
    m_window.reset();
    m_ticking = false;
    m_captureFlag = false;
    m_buttonsHeld = 0;
}

void OSWindow::Show() {
    if (!m_window) return;
    m_window->Show();
    Repaint();
}

void OSWindow::Hide() {
    if (m_window) m_window->Hide();
}

void OSWindow::SetTitle(const String& title) {
    if (m_window) m_window->SetTitle(Utf16ToUtf8(title));
}

void OSWindow::BringToFront() {
    if (m_window) m_window->BringToFront();
}

bool OSWindow::IsLost() const { return m_window && m_window->IsLost(); }

bool OSWindow::SetCursor(const String& cursorName) {
    if (!Platform::CursorShapeForName(std::u16string_view(cursorName))) return false;
    m_cursor = cursorName;
    // Without a display the name is still kept, to be shown once the pointer can show it.
    Platform::SetCursorByName(Utf16ToUtf8(cursorName));
    return true;
}

bool OSWindow::IsResizable() const { return m_window && m_window->IsResizable(); }

void OSWindow::Repaint() {
    if (!m_root) return;
    m_root->InvalidateAll();
    PaintNow();
}

void OSWindow::PaintNow() {
    if (!m_window || !m_root || !m_root->NeedsPaint()) return;
    Platform::PaintTarget target;
    if (!m_window->BeginPaint(target)) return;
    struct EndPaint {
        Platform::IHostWindow& window;
        ~EndPaint() { window.EndPaint(); }
    } end{*m_window};
    m_root->PaintInvalid(*m_renderer, target);
}

// --- Host events ---------------------------------------------------------------------------------

void OSWindow::OnHostMouseButton(int button, bool down, bool doubleClick, int x, int y, unsigned modifiers) {
    if (!m_root ||
        (button != Platform::kMouseLeft && button != Platform::kMouseMiddle && button != Platform::kMouseRight))
        return;
    const LPoint point{double(x), double(y)};
    if (down) {
        m_buttonsHeld |= button;
        // The capture lets a release outside the window still reach the pressed control.
        if (!m_captureFlag) {
            m_window->CaptureMouse(true);
            m_captureFlag = true;
        }
        m_root->OnButtonDown(button, point, modifiers, doubleClick);
        return;
    }
    m_buttonsHeld &= ~button;
    m_root->OnButtonUp(button, point, modifiers);
    if (m_buttonsHeld == 0 && m_captureFlag) {
        m_captureFlag = false;
        m_window->CaptureMouse(false);
    }
}

void OSWindow::OnHostMouseMove(int x, int y, unsigned modifiers) {
    if (m_root) m_root->OnPointerMove({double(x), double(y)}, modifiers);
}

void OSWindow::OnHostMouseCrossing(bool entered) {
    if (!entered && m_root) m_root->OnPointerLeaveWindow();
}

void OSWindow::OnHostMouseWheel(int deltaX, int deltaY, unsigned modifiers) {
    if (!m_root) return;
    if (deltaY != 0) m_root->OnMouseWheel(deltaY, modifiers);
    (void)deltaX;  // no control of this framework scrolls sideways
}

void OSWindow::OnHostKey(const Platform::HostKeyEvent& key, bool down) {
    if (!m_root || key.virtualKey == 0) return;
    const std::uint32_t code = MakeFrameworkKey(static_cast<std::uint32_t>(key.virtualKey));
    if (down)
        m_root->OnKeyDown(code, key.modifiers);
    else
        m_root->OnKeyUp(code, key.modifiers);
}

void OSWindow::OnHostTextInput(std::string_view utf8, unsigned modifiers, bool systemKeyHeld) {
    if (!m_root || systemKeyHeld) return;
    for (char16_t c : Utf8ToUtf16(utf8)) m_root->OnCharacter(c, modifiers & kCharacterModifierMask);
}

void OSWindow::OnHostFocus(bool gained) {
    if (!m_root) return;
    if (!gained) {
        m_captureFlag = false;
        m_buttonsHeld = 0;
    }
    m_root->OnWindowFocus(gained);
}

void OSWindow::OnHostSize(int width, int height, Platform::HostSizeKind kind) {
    // A minimized window keeps its content's size.
    if (!m_root || kind == Platform::HostSizeKind::Minimized || width <= 0 || height <= 0) return;
    m_root->SetSize(width, height);
    PaintNow();
}

void OSWindow::OnHostClose() {
    if (m_mainWindow) {
        // The application decides whether it can end now (an update may be running).
        if (RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter())
            if (RCPtr<LNotification> n = LNotification::Create(u"NID_APP_EXIT_REQ")) center->Post(n.Get());
        return;
    }
    Hide();
    m_closed = true;
    if (m_root) m_root->SetContent(nullptr);
}

void OSWindow::OnHostExpose() { Repaint(); }

void OSWindow::EnsureTicking() {
    if (m_ticking) return;
    if (m_window) m_ticking = m_window->StartTimer(Platform::kWindowTimerId, Platform::kWindowTimerPeriodMs);
}

void OSWindow::OnHostTimer(int timerId) {
    if (!m_root || timerId != Platform::kWindowTimerId) return;
    m_root->ProcessTimers();
    PaintNow();
    // Nothing left to tick or paint: stop waking up until a timer starts or a control invalidates.
    if (!m_root->HasPendingWork() && m_ticking) {
        m_window->StopTimer(Platform::kWindowTimerId);
        m_ticking = false;
    }
}

}  // namespace Orv
