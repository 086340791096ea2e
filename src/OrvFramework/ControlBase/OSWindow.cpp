#include "OrvFramework/ControlBase/OSWindow.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/WindowCloseHint.h"
#include "OrvFramework/Notification/NotificationCenter.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Platform/Cursors.h"
#include "OrvFramework/Platform/Resources.h"
#include "OrvFramework/Renderer/Cairo/CairoRenderer.h"

namespace Orv {

namespace {

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

// The characters of a key message carry only the Shift and Control flags.
constexpr unsigned kCharacterModifierMask = Platform::kModifierShift | Platform::kModifierControl;

int WholePixels(double value) { return std::max(0, RoundToInt(value)); }

struct PngReader {
    std::span<const unsigned char> data;
    std::size_t at = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->data.size() - reader->at < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data.data() + reader->at, length);
    reader->at += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

SDL_Surface* CreateWindowIconSurface() {
    const auto png = Platform::FindResource("PNG", "APP_ICON");
    if (!png) return nullptr;
    PngReader reader{*png};
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(&ReadPng, &reader);
    SDL_Surface* icon = nullptr;
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS &&
        cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32) {
        cairo_surface_flush(image);
        const int width = cairo_image_surface_get_width(image);
        const int height = cairo_image_surface_get_height(image);
        icon = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        for (int y = 0; icon && y < height; ++y) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(image) +
                                                                       y * cairo_image_surface_get_stride(image));
            auto* to = reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(icon->pixels) + y * icon->pitch);
            for (int x = 0; x < width; ++x) {
                // Cairo keeps colours multiplied by their alpha; SDL wants them straight.
                const std::uint32_t p = from[x];
                const std::uint32_t a = p >> 24;
                auto straight = [&](int shift) {
                    const std::uint32_t c = (p >> shift) & 0xFF;
                    return a == 0 ? 0u : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a) << shift;
                };
                to[x] = (a << 24) | straight(16) | straight(8) | straight(0);
            }
        }
    }
    cairo_surface_destroy(image);
    return icon;
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
    if (!Platform::HostApp::EnsureVideo(error)) return false;
    const bool fixed = params.minWidth > 0 && params.minHeight > 0 && params.minWidth == params.maxWidth &&
                       params.minHeight == params.maxHeight;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (!fixed) flags |= SDL_WINDOW_RESIZABLE;
    const std::string title = Utf16ToUtf8(params.title);
    m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, params.width,
                                params.height, flags);
    if (!m_window) {
        SetError(error, std::string("SDL_CreateWindow: ") + SDL_GetError());
        return false;
    }
    if (!fixed) {
        if (params.minWidth > 0 || params.minHeight > 0)
            SDL_SetWindowMinimumSize(m_window, std::max(1, params.minWidth), std::max(1, params.minHeight));
        if (params.maxWidth > 0 && params.maxHeight > 0)
            SDL_SetWindowMaximumSize(m_window, params.maxWidth, params.maxHeight);
    }
    if (SDL_Surface* icon = CreateWindowIconSurface()) {
        SDL_SetWindowIcon(m_window, icon);
        SDL_FreeSurface(icon);
    }
    m_windowId = SDL_GetWindowID(m_window);
    m_mainWindow = params.mainWindow;
    m_closed = false;
    m_renderer = MakeRC<LCairoRenderer>(m_clock);
    m_root = std::make_unique<LRootWindow>(m_renderer.Get(), m_clock);
    SDL_Rect screen{};
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &screen) == 0)
        m_root->SetScreenArea({double(screen.x), double(screen.y), double(screen.w), double(screen.h)});
    m_root->SetSize(params.width, params.height);
    m_root->SetCloseAllowedHandler([this](bool allowed) {
        if (m_window) Platform::SetWindowCloseOffered(m_window, allowed);
    });
    if (Platform::HostApp* app = Platform::HostApp::Current()) {
        app->RegisterWindow(m_windowId, this);
        m_root->SetWorkHandler([this] { EnsureTicking(); });
        EnsureTicking();
    }
    return true;
}

RCPtr<LControl> OSWindow::CreateWithContent(LControlFactory& factory, const String& controlName,
                                            const String& title, std::string* error) {
    const RCPtr<LControlDescriptor> descriptor = factory.FindControlDescriptor(controlName);
    if (!descriptor) {
        SetError(error, "Runtime Error : Null Pointer : Invalid Control Name");
        return nullptr;
    }
    const LLayoutDescriptor& layout = *descriptor->layout;
    CreateParams params;
    params.title = title;
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
    if (m_window) {
        if (Platform::HostApp* app = Platform::HostApp::Current()) app->UnregisterWindow(m_windowId);
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
        m_windowId = 0;
    }
    m_captureFlag = false;
    m_buttonsHeld = 0;
}

void OSWindow::Show() {
    if (!m_window) return;
    SDL_ShowWindow(m_window);
    Repaint();
}

void OSWindow::Hide() {
    if (m_window) SDL_HideWindow(m_window);
}

void OSWindow::SetTitle(const String& title) {
    if (m_window) SDL_SetWindowTitle(m_window, Utf16ToUtf8(title).c_str());
}

bool OSWindow::SetCursor(const String& cursorName) {
    if (!Platform::SystemCursorForName(std::u16string_view(cursorName))) return false;
    m_cursor = cursorName;
    // Without a display the name is still kept, to be shown once the pointer can show it.
    Platform::SetCursorByName(Utf16ToUtf8(cursorName));
    return true;
}

bool OSWindow::IsResizable() const {
    return m_window && (SDL_GetWindowFlags(m_window) & SDL_WINDOW_RESIZABLE) != 0;
}

void OSWindow::Repaint() {
    if (!m_root) return;
    m_root->InvalidateAll();
    PaintNow();
}

void OSWindow::PaintNow() {
    if (!m_window || !m_root || !m_root->NeedsPaint()) return;
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface) return;
    // Cairo's ARGB32 and RGB24 are SDL's ARGB8888 and RGB888 in native byte order: the window's
    // pixels are painted in place. Any other format is painted offscreen and converted by SDL.
    cairo_format_t format = CAIRO_FORMAT_INVALID;
    if (surface->format->format == SDL_PIXELFORMAT_ARGB8888) format = CAIRO_FORMAT_ARGB32;
    else if (surface->format->format == SDL_PIXELFORMAT_RGB888) format = CAIRO_FORMAT_RGB24;
    if (format != CAIRO_FORMAT_INVALID) {
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
        cairo_surface_t* target = cairo_image_surface_create_for_data(static_cast<unsigned char*>(surface->pixels),
                                                                      format, surface->w, surface->h, surface->pitch);
        try {
            m_root->PaintInvalid(*m_renderer, target);
        } catch (...) {
            cairo_surface_destroy(target);
            if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
            throw;
        }
        cairo_surface_flush(target);
        cairo_surface_destroy(target);
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    } else {
        cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, surface->w, surface->h);
        try {
            m_root->PaintInvalid(*m_renderer, target);
        } catch (...) {
            cairo_surface_destroy(target);
            throw;
        }
        cairo_surface_flush(target);
        SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
            cairo_image_surface_get_data(target), surface->w, surface->h, 32,
            cairo_image_surface_get_stride(target), SDL_PIXELFORMAT_ARGB8888);
        if (source) {
            SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
            SDL_BlitSurface(source, nullptr, surface, nullptr);
            SDL_FreeSurface(source);
        }
        cairo_surface_destroy(target);
    }
    SDL_UpdateWindowSurface(m_window);
}

// --- Host events ---------------------------------------------------------------------------------

void OSWindow::OnHostMouseButton(int button, bool down, bool doubleClick, int x, int y, unsigned modifiers) {
    if (!m_root || (button != Platform::kMouseLeft && button != Platform::kMouseMiddle &&
                    button != Platform::kMouseRight))
        return;
    const LPoint point{double(x), double(y)};
    if (down) {
        m_buttonsHeld |= button;
        // The capture lets a release outside the window still reach the pressed control.
        if (!m_captureFlag) {
            SDL_CaptureMouse(SDL_TRUE);
            m_captureFlag = true;
        }
        m_root->OnButtonDown(button, point, modifiers, doubleClick);
        return;
    }
    m_buttonsHeld &= ~button;
    m_root->OnButtonUp(button, point, modifiers);
    if (m_buttonsHeld == 0 && m_captureFlag) {
        m_captureFlag = false;
        SDL_CaptureMouse(SDL_FALSE);
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
    if (down) m_root->OnKeyDown(code, key.modifiers);
    else m_root->OnKeyUp(code, key.modifiers);
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
    if (Platform::HostApp* app = Platform::HostApp::Current())
        m_ticking = app->StartWindowTimer(m_windowId, Platform::kWindowTimerId, Platform::kWindowTimerPeriodMs);
}

void OSWindow::OnHostTimer(int timerId) {
    if (!m_root || timerId != Platform::kWindowTimerId) return;
    m_root->ProcessTimers();
    PaintNow();
    // Nothing left to tick or paint: stop waking up until a timer starts or a control invalidates.
    if (!m_root->HasPendingWork() && m_ticking) {
        if (Platform::HostApp* app = Platform::HostApp::Current()) app->StopWindowTimer(m_windowId, Platform::kWindowTimerId);
        m_ticking = false;
    }
}

}  // namespace Orv
