#pragma once
// The host window: one top-level window of the window system, seen by the framework as a size, a
// stream of events (IHostWindowEvents, HostApp.h) and pixels to paint. OSWindow (the main window)
// and the splash window are both built on it; nothing above this header knows the toolkit.
//
// Threads: a window is made, used and destroyed on one thread. A window made with ownThread false
// belongs to the user-interface thread: it registers itself with HostApp::Current() (when there is
// one), whose loop delivers its events, and its timers are that loop's. A window made with
// ownThread true (the splash, whose thread has a loop of its own) is registered nowhere; its thread
// calls PumpEvents to have its events delivered, and it has no timers.
//
// Failure: CreateHostWindow answers null with the reason in error (no display, the toolkit refused).
// Calls on a window whose window-system window has been destroyed by someone else do nothing and
// never end the process; IsLost tells the owner so.
//
// Ownership: the caller owns the window; destroying it closes the window, stops its timers and
// unregisters it: no event reaches the handler afterwards. The handler must outlive the window.
//
// Painting: the framework paints when it chooses (its timer tick, an expose event, a resize):
// BeginPaint hands out the window's pixels (PaintTarget.h), EndPaint puts them on the screen. A
// backend whose window memory has another format hands out a buffer of its own and converts it in
// EndPaint. Every BeginPaint that answers true is followed by one EndPaint.
//
// A new backend implements CreateHostWindow and the class below; the main window's icon arrives as
// straight (not premultiplied) 0xAARRGGBB pixels, already decoded.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "OrvFramework/Platform/PaintTarget.h"

namespace Orv::Platform {

class IHostWindowEvents;

struct HostWindowParams {
    std::string title;  // UTF-8
    // The window-system class of the window (ASCII), where a platform names windows' classes: a
    // later start of the program finds the first one's window by it. Empty: the backend's own.
    std::string windowClass;
    int width = 0;
    int height = 0;
    // Size limits of a resizable window; 0 means none.
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    bool resizable = true;
    // No frame and no title bar (the splash).
    bool borderless = false;
    // Listed in the task bar (and the window switcher).
    bool inTaskBar = true;
    // Centred on the work area (the screen without its panels) instead of on the whole screen.
    bool centreOnWorkArea = false;
    bool ownThread = false;
    // The window's icon: width * height straight 0xAARRGGBB pixels; none leaves the system's.
    int iconWidth = 0;
    int iconHeight = 0;
    std::vector<std::uint32_t> iconPixels;
};

// A rectangle of the screen, in pixels.
struct HostScreenArea {
    int x = 0, y = 0, width = 0, height = 0;
};

class IHostWindow {
public:
    virtual ~IHostWindow() = default;

    // The id under which HostApp routes the window's events (never 0).
    virtual std::uint32_t GetId() const = 0;
    // Shows the window (created hidden). activate false: shown without taking the keyboard focus.
    virtual void Show(bool activate = true) = 0;
    virtual void Hide() = 0;
    // Restores a minimized window and brings it to the front with the focus (a second start of the
    // program asks for the first one's window).
    virtual void BringToFront() = 0;
    virtual void SetTitle(const std::string& utf8) = 0;
    virtual bool IsResizable() const = 0;
    // The screen the window is on; false when the system cannot tell.
    virtual bool GetScreenArea(HostScreenArea& area) const = 0;

    // See "Painting" above. False when there is nothing to paint on now (the target is untouched).
    virtual bool BeginPaint(PaintTarget& target) = 0;
    virtual void EndPaint() = 0;

    // Whether the window manager offers the window's close button; false when the system gives no
    // way to say it (the close request then still arrives and is answered by the application).
    virtual bool SetCloseOffered(bool offered) = 0;
    // While captured, the pointer's releases and moves outside the window still reach it.
    virtual void CaptureMouse(bool capture) = 0;

    // A periodic OnHostTimer(timerId) through the host application's loop; false without one.
    virtual bool StartTimer(int timerId, std::uint32_t periodMs) = 0;
    virtual void StopTimer(int timerId) = 0;

    // ownThread windows: delivers the events queued for this window to its handler, on the calling
    // thread, without blocking. A request of the whole session to end arrives as OnHostClose.
    virtual void PumpEvents() = 0;

    // The window-system window was destroyed by someone else (another program); only destroying
    // this object is left to do.
    virtual bool IsLost() const = 0;
};

// Opens a window, hidden, centred. See the contract above.
std::unique_ptr<IHostWindow> CreateHostWindow(const HostWindowParams& params, IHostWindowEvents& events,
                                              std::string* error = nullptr);

}  // namespace Orv::Platform
