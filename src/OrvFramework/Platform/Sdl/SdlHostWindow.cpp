// The host window over an SDL window, painted in its own window surface.
#include <algorithm>
#include <vector>

#include "OrvFramework/Platform/HostWindow.h"
#include "OrvFramework/Platform/KeyCodes.h"
#include "OrvFramework/Platform/Sdl/SdlHostApp.h"
#include "OrvFramework/Platform/Sdl/X11CloseHint.h"

namespace Orv::Platform {

namespace {

class SdlHostWindow final : public IHostWindow {
public:
    SdlHostWindow(SDL_Window* window, IHostWindowEvents& events, bool ownThread)
        : m_window(window), m_id(SDL_GetWindowID(window)), m_events(events), m_ownThread(ownThread) {
        if (!m_ownThread)
            if (HostApp* app = HostApp::Current()) app->RegisterWindow(m_id, &m_events);
    }

    ~SdlHostWindow() override {
        if (!m_ownThread)
            if (HostApp* app = HostApp::Current()) app->UnregisterWindow(m_id);
        if (m_captured) SDL_CaptureMouse(SDL_FALSE);
        SDL_DestroyWindow(m_window);
    }

    std::uint32_t GetId() const override { return m_id; }

    void Show(bool activate) override {
        if (activate) {
            SDL_ShowWindow(m_window);
            return;
        }
        SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
        SDL_ShowWindow(m_window);
        // The hint holds for every window shown later; the main window must take the focus.
        SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
    }

    void Hide() override { SDL_HideWindow(m_window); }

    void BringToFront() override {
        SDL_RestoreWindow(m_window);
        SDL_RaiseWindow(m_window);
    }

    void SetTitle(const std::string& utf8) override { SDL_SetWindowTitle(m_window, utf8.c_str()); }

    bool IsResizable() const override { return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_RESIZABLE) != 0; }

    bool GetScreenArea(HostScreenArea& area) const override {
        SDL_Rect screen{};
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &screen) != 0) return false;
        area = {screen.x, screen.y, screen.w, screen.h};
        return true;
    }

    bool BeginPaint(PaintTarget& target) override {
        m_surface = SDL_GetWindowSurface(m_window);
        if (!m_surface) return false;
        // ARGB8888 and RGB888 are the paint target's own layout: the window's pixels are painted in
        // place. Any other format is painted into a buffer of ours and converted by SDL.
        const std::uint32_t format = m_surface->format->format;
        if (format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888) {
            if (SDL_MUSTLOCK(m_surface) && SDL_LockSurface(m_surface) != 0) {
                m_surface = nullptr;
                return false;
            }
            target = {static_cast<unsigned char*>(m_surface->pixels), m_surface->w, m_surface->h, m_surface->pitch,
                      format == SDL_PIXELFORMAT_RGB888};
            m_inPlace = true;
            return true;
        }
        m_buffer.assign(static_cast<std::size_t>(m_surface->w) * static_cast<std::size_t>(m_surface->h), 0u);
        target = {reinterpret_cast<unsigned char*>(m_buffer.data()), m_surface->w, m_surface->h, m_surface->w * 4,
                  false};
        m_inPlace = false;
        return true;
    }

    void EndPaint() override {
        if (!m_surface) return;
        if (m_inPlace) {
            if (SDL_MUSTLOCK(m_surface)) SDL_UnlockSurface(m_surface);
        } else if (SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
                       m_buffer.data(), m_surface->w, m_surface->h, 32, m_surface->w * 4, SDL_PIXELFORMAT_ARGB8888)) {
            SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
            SDL_BlitSurface(source, nullptr, m_surface, nullptr);
            SDL_FreeSurface(source);
        }
        m_surface = nullptr;
        SDL_UpdateWindowSurface(m_window);
    }

    bool SetCloseOffered(bool offered) override { return SetWindowCloseOffered(m_window, offered); }

    void CaptureMouse(bool capture) override {
        if (capture == m_captured) return;
        m_captured = capture;
        SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    }

    bool StartTimer(int timerId, std::uint32_t periodMs) override {
        HostApp* app = m_ownThread ? nullptr : HostApp::Current();
        return app && app->StartWindowTimer(m_id, timerId, periodMs);
    }

    void StopTimer(int timerId) override {
        if (HostApp* app = m_ownThread ? nullptr : HostApp::Current()) app->StopWindowTimer(m_id, timerId);
    }

    void PumpEvents() override {
        // Everything queued is taken: this thread's loop is the only reader while the window lives.
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (event.key.windowID == m_id) {
                    HostKeyEvent key;
                    key.virtualKey = VirtualKeyFromSdl(event.key.keysym.sym);
                    key.modifiers = ModifierFlagsFromSdl(event.key.keysym.mod);
                    key.repeat = event.key.repeat != 0;
                    key.systemKeyHeld = (event.key.keysym.mod & KMOD_GUI) != 0;
                    m_events.OnHostKey(key, event.type == SDL_KEYDOWN);
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (event.button.windowID == m_id) {
                    const int button = MouseButtonFromSdl(event.button.button);
                    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
                    if (button != 0)
                        m_events.OnHostMouseButton(button, down, down && event.button.clicks == 2, event.button.x,
                                                   event.button.y, ModifierFlagsFromSdl(SDL_GetModState()));
                }
                break;
            case SDL_WINDOWEVENT:
                if (event.window.windowID != m_id) break;
                if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                    m_events.OnHostClose();
                else if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
                    m_events.OnHostExpose();
                break;
            case SDL_QUIT:
                m_events.OnHostClose();
                break;
            default:
                break;
            }
        }
    }

    bool IsLost() const override { return IsNativeWindowDestroyed(m_window); }

private:
    SDL_Window* m_window;
    std::uint32_t m_id;
    IHostWindowEvents& m_events;
    bool m_ownThread;
    bool m_captured = false;
    SDL_Surface* m_surface = nullptr;  // during a paint
    bool m_inPlace = false;
    std::vector<std::uint32_t> m_buffer;
};

}  // namespace

std::unique_ptr<IHostWindow> CreateHostWindow(const HostWindowParams& params, IHostWindowEvents& events,
                                              std::string* error) {
    auto fail = [error](std::string text) -> std::unique_ptr<IHostWindow> {
        if (error) *error = std::move(text);
        return nullptr;
    };
    if (params.width <= 0 || params.height <= 0) return fail("the window needs a positive size");
    if (!HostApp::EnsureVideo(error)) return nullptr;
    std::uint32_t flags = SDL_WINDOW_HIDDEN;
    if (params.resizable) flags |= SDL_WINDOW_RESIZABLE;
    if (params.borderless) flags |= SDL_WINDOW_BORDERLESS;
    if (!params.inTaskBar) flags |= SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_UTILITY;
    int left = SDL_WINDOWPOS_CENTERED, top = SDL_WINDOWPOS_CENTERED;
    if (params.centreOnWorkArea) {
        SDL_Rect area{0, 0, params.width, params.height};
        SDL_GetDisplayUsableBounds(0, &area);
        left = (area.x + area.x + area.w - params.width) / 2;
        top = (area.y + area.y + area.h - params.height) / 2;
    }
    SDL_Window* window = SDL_CreateWindow(params.title.c_str(), left, top, params.width, params.height, flags);
    if (!window) return fail(std::string("SDL_CreateWindow: ") + SDL_GetError());
    if (params.resizable) {
        if (params.minWidth > 0 || params.minHeight > 0)
            SDL_SetWindowMinimumSize(window, std::max(1, params.minWidth), std::max(1, params.minHeight));
        if (params.maxWidth > 0 && params.maxHeight > 0)
            SDL_SetWindowMaximumSize(window, params.maxWidth, params.maxHeight);
    }
    if (params.iconWidth > 0 && params.iconHeight > 0 &&
        params.iconPixels.size() == static_cast<std::size_t>(params.iconWidth) * params.iconHeight) {
        // SDL takes straight (not premultiplied) ARGB, as the icon arrives.
        if (SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(params.iconPixels.data()),
                                                                   params.iconWidth, params.iconHeight, 32,
                                                                   params.iconWidth * 4, SDL_PIXELFORMAT_ARGB8888)) {
            SDL_SetWindowIcon(window, icon);
            SDL_FreeSurface(icon);
        }
    }
    return std::make_unique<SdlHostWindow>(window, events, params.ownThread);
}

}  // namespace Orv::Platform
