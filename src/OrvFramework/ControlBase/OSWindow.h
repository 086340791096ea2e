#pragma once
// OSWindow: the framework's window around a root window. It owns a host window (Platform/
// HostWindow.h) and the renderer, turns the host loop's window events into calls on its
// LRootWindow and paints the root window's update region into the window's own pixels.
#include <memory>
#include <string>

#include "OrvFramework/ControlBase/RootWindow.h"
#include "OrvFramework/Platform/HostApp.h"
#include "OrvFramework/Platform/HostWindow.h"

namespace Orv {

// The program's icon from its embedded PNG resource "APP_ICON" (straight alpha), or null when the
// program carries none or it cannot be read.
RCPtr<LBitmapData> LoadWindowIcon();

class LControlFactory;

class OSWindow : public Platform::IHostWindowEvents {
public:
    struct CreateParams {
        String title;
        int width = 0;
        int height = 0;
        // Size limits; 0 means none. A minimum equal to the maximum makes the window fixed-size.
        int minWidth = 0;
        int minHeight = 0;
        int maxWidth = 0;
        int maxHeight = 0;
        // The application's main window: closing it asks the application to exit instead.
        bool mainWindow = true;
        // The window-system class (see HostWindowParams::windowClass); empty for the backend's own.
        std::string windowClass;
    };

    explicit OSWindow(Platform::IClock& clock = Platform::GetRealClock());
    ~OSWindow() override;
    OSWindow(const OSWindow&) = delete;
    OSWindow& operator=(const OSWindow&) = delete;

    // Opens the window (hidden, centred on the screen) with its renderer and root window, and
    // starts the 33 ms window timer when a HostApp runs. False with the reason in error.
    bool Create(const CreateParams& params, std::string* error = nullptr);
    // Create with the size and limits of the factory's top-level control controlName, then that
    // control as the root window's content. Null (and error set) when either step fails.
    RCPtr<LControl> CreateWithContent(LControlFactory& factory, const String& controlName, const String& title,
                                      std::string* error = nullptr, const std::string& windowClass = {});
    // Closes the host window; the root window's content is released.
    void Destroy();

    void Show();
    void Hide();
    void SetTitle(const String& title);
    // Restores the window and brings it to the front with the focus.
    void BringToFront();
    // The window was destroyed by another program (see IHostWindow::IsLost).
    bool IsLost() const;
    // The window's cursor by framework name ("UI_CURSOR_ARROW", ...); false for an unknown name,
    // which leaves the cursor as it was.
    bool SetCursor(const String& cursorName);
    const String& GetCursor() const { return m_cursor; }
    // Paints what is invalid now instead of waiting for the next tick.
    void PaintNow();
    // Paints the whole window.
    void Repaint();

    bool IsCreated() const { return m_window != nullptr; }
    bool IsResizable() const;
    bool IsMainWindow() const { return m_mainWindow; }
    Platform::IHostWindow* GetHostWindow() const { return m_window.get(); }
    LRootWindow* GetRootWindow() const { return m_root.get(); }
    LRenderer* GetRenderer() const { return m_renderer.Get(); }
    bool HasCaptureFlag() const { return m_captureFlag; }
    // The window was closed by the user (only for windows that are not the main window).
    bool IsClosed() const { return m_closed; }

    // --- IHostWindowEvents --------------------------------------------------------------------
    void OnHostMouseButton(int button, bool down, bool doubleClick, int x, int y, unsigned modifiers) override;
    void OnHostMouseMove(int x, int y, unsigned modifiers) override;
    void OnHostMouseCrossing(bool entered) override;
    void OnHostMouseWheel(int deltaX, int deltaY, unsigned modifiers) override;
    void OnHostKey(const Platform::HostKeyEvent& key, bool down) override;
    void OnHostTextInput(std::string_view utf8, unsigned modifiers, bool systemKeyHeld) override;
    void OnHostFocus(bool gained) override;
    void OnHostSize(int width, int height, Platform::HostSizeKind kind) override;
    void OnHostClose() override;
    void OnHostExpose() override;
    void OnHostTimer(int timerId) override;

private:
    Platform::IClock& m_clock;
    std::unique_ptr<Platform::IHostWindow> m_window;
    RCPtr<LRenderer> m_renderer;
    std::unique_ptr<LRootWindow> m_root;
    bool m_mainWindow = true;
    bool m_captureFlag = false;
    int m_buttonsHeld = 0;
    bool m_closed = false;
    bool m_ticking = false;  // the host's periodic timer runs
    void EnsureTicking();
    String m_cursor = String(u"UI_CURSOR_ARROW");
};

}  // namespace Orv
