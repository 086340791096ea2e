#pragma once
// LRootWindow: the top of a control tree. It hosts the content (main) control, finds the control
// under the pointer, routes pointer, wheel and key input to the controls, keeps the capture, the
// keyboard focus and the control timers, and paints the invalid part of the tree through a
// renderer. It knows nothing of the operating system: a host window (OSWindow) feeds it, and tests
// drive it directly and paint it into an offscreen pixel buffer.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/ControlBase/FontText.h"
#include "OrvFramework/ControlBase/Look.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {

class LControlFactory;

// Framework key codes as key parameters carry them: the virtual key in bits 16..23.
inline constexpr std::uint32_t MakeFrameworkKey(std::uint32_t virtualKey) {
    return 0x20000000u | ((virtualKey & 0xFFu) << 16);
}
inline constexpr std::uint32_t kFrameworkKeyTab = MakeFrameworkKey(0x09);
inline constexpr std::uint32_t kModifierFlagShift = 8;

class LRootWindow : public IControlHost {
public:
    // measurer: measures text for controls that size to it (the window's renderer); may be null.
    explicit LRootWindow(LMeasurementRenderer* measurer = nullptr, Platform::IClock& clock = Platform::GetRealClock());
    ~LRootWindow() override;
    LRootWindow(const LRootWindow&) = delete;
    LRootWindow& operator=(const LRootWindow&) = delete;

    // --- Content --------------------------------------------------------------------------------
    // Installs control as the content: attaches it to this window and sizes it to the window.
    // Null removes the content. Capture, hover, focus and timers of the previous content end.
    void SetContent(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetContent() const { return m_content; }
    // Creates the top-level control controlName of the factory's current skin as the content;
    // null (and the content unchanged) when the skin has no such control.
    RCPtr<LControl> CreateContent(LControlFactory& factory, const String& controlName);

    // The window's tooltip (the skin's top-level tooltip control, shown through IToolTipDisplay);
    // it is painted over the content and never takes pointer input. Null removes it.
    void SetToolTipControl(const RCPtr<LControl>& toolTip);
    const RCPtr<LControl>& GetToolTipControl() const { return m_toolTip; }

    // The client size; the content is laid out to it and the whole window becomes invalid.
    void SetSize(double width, double height);
    LSize GetSize() const { return m_size; }
    // Lays the content out again and invalidates everything.
    void Refresh();

    // A busy text ("Loading Skin...") painted centred over the dimmed window while it is set. An
    // empty text removes it. Both invalidate the whole window.
    void SetBusyText(const String& text);
    const String& GetBusyText() const { return m_busyText; }

    // A notice (text over the dimmed window, like the busy text) that removes itself after
    // durationMs on the window's clock. An empty text removes it at once.
    void ShowNotice(const String& text, std::uint32_t durationMs) override;
    const String& GetNoticeText() const { return m_noticeText; }

    // Whether the window offers its close button; the host window follows through the handler.
    void SetCloseAllowed(bool allowed) override;
    bool IsCloseAllowed() const { return m_closeAllowed; }
    void SetCloseAllowedHandler(std::function<void(bool)> handler) { m_closeAllowedHandler = std::move(handler); }

    // While false, every pointer, wheel and key input is ignored.
    void SetInputEnabled(bool enabled) { m_inputEnabled = enabled; }
    bool IsInputEnabled() const { return m_inputEnabled; }

    // --- Hit testing ----------------------------------------------------------------------------
    // The deepest control under point (window coordinates), or null; local receives the point in
    // that control's coordinates.
    LControl* HitTest(LPoint point, LPoint* local = nullptr);
    // The position of control's top-left corner in window coordinates.
    static LPoint GetWindowOrigin(const LControl& control);
    // point (window coordinates) in control's coordinates, each coordinate rounded half away from 0.
    static LPoint ToControl(const LControl& control, LPoint point);

    // --- Pointer input (window coordinates) -----------------------------------------------------
    void OnPointerMove(LPoint point, std::uint32_t modifiers);
    // The pointer left the window: the hovered control is told it left.
    void OnPointerLeaveWindow();
    // button: kLeftButton, kMiddleButton or kRightButton.
    void OnButtonDown(std::int32_t button, LPoint point, std::uint32_t modifiers, bool doubleClick = false);
    void OnButtonUp(std::int32_t button, LPoint point, std::uint32_t modifiers);
    // Goes to the control under the last pointer position, then up its parents until one uses it.
    void OnMouseWheel(double delta, std::uint32_t modifiers);
    LControl* GetHoverControl() const { return m_hover; }
    LControl* GetCaptureControl() const { return m_capture; }

    // --- Keyboard and focus --------------------------------------------------------------------
    // Tab and Shift+Tab move the focus unless the focused control wants Tab; other keys go to the
    // focused control (or the content) and up its parents until one uses it. A control that is
    // hidden or disabled is never the target. True when a control used the key.
    bool OnKeyDown(std::uint32_t key, std::uint32_t modifiers);
    bool OnKeyUp(std::uint32_t key, std::uint32_t modifiers);
    bool OnCharacter(std::uint32_t character, std::uint32_t modifiers);
    // Gives control the keyboard focus (null clears it); false when it cannot take it.
    bool SetFocusedControl(LControl* control);
    LControl* GetFocusedControl() const { return m_focus; }
    // Moves the focus to the next (or previous) tab stop, wrapping around; false when there is none.
    // Tab stops are the visible, enabled, focusable controls whose skin gives a TabStop above 0,
    // in ascending TabStop order.
    bool MoveFocus(bool backward);
    // The host window gained or lost the keyboard focus.
    void OnWindowFocus(bool gained);
    bool HasWindowFocus() const { return m_windowFocus; }

    // --- Timers ---------------------------------------------------------------------------------
    // Calls OnTimer of every control whose timer is due by the clock; the host calls it on its
    // periodic tick. Answers the number of calls made.
    std::size_t ProcessTimers();
    std::size_t GetTimerCount() const { return m_timers.size(); }
    // Called when a timer starts or something is invalidated: the host ticks only while there is
    // work (timers or paint), so that an idle window costs nothing.
    void SetWorkHandler(std::function<void()> handler) { m_workHandler = std::move(handler); }
    bool HasPendingWork() const { return !m_timers.empty() || NeedsPaint() || !m_noticeText.empty(); }

    // --- Painting ---------------------------------------------------------------------------------
    // Adds a rectangle (window coordinates) to the update region.
    void InvalidateRect(const LRect& rect);
    void InvalidateAll() { InvalidateRect({0.0, 0.0, m_size.width, m_size.height}); }
    bool NeedsPaint() const { return !m_invalid.empty(); }
    const std::vector<LRect>& GetInvalidRects() const { return m_invalid; }
    // Paints the update region (or, with none pending, nothing) into target through renderer and
    // clears it.
    void PaintInvalid(LRenderer& renderer, const Platform::PaintTarget& target);
    // Paints region (window coordinates) into target: the background, then the control tree.
    void Paint(LRenderer& renderer, const Platform::PaintTarget& target, const LRegion& region);
    LControlTreePainter& GetPainter() { return m_painter; }

    // --- IControlHost -------------------------------------------------------------------------
    bool SetCapture(LControl* control) override;
    void ReleaseCapture(LControl* control) override;
    std::uint32_t StartTimer(LControl* control, std::uint32_t intervalMs) override;
    void StopTimer(std::uint32_t timerId) override;
    void Invalidate(LControl* control) override;
    void OnFocusLost(LControl* control) override;
    LRect GetScreenArea() const override { return m_screenArea; }
    LRect GetActiveWindowArea() const override { return {0.0, 0.0, m_size.width, m_size.height}; }
    ITextMeasurer* GetTextMeasurer() override { return m_measurer.get(); }
    bool RequestFocus(LControl* control) override { return SetFocusedControl(control); }
    void OnVisibilityChanged(LControl* control) override;
    Platform::IClock* GetClock() override { return &m_clock; }
    // Shows text by the pointer for control (an empty text hides it); 1 without a tooltip control.
    ORVRESULT ShowToolTip(LControl* control, const String& text) override;
    void SetScreenArea(const LRect& area) { m_screenArea = area; }

private:
    struct Timer {
        std::uint32_t id = 0;
        LControl* control = nullptr;
        std::uint32_t intervalMs = 0;
        std::int64_t dueMs = 0;
    };
    LControl* HitTestControl(LControl& control, LPoint point, LPoint* local);
    bool HitsOwnLook(LControl& control, LPoint point);
    void SetHover(LControl* control, LPoint windowPoint, std::uint32_t modifiers);
    // Finds the control under the last pointer position again: controls shown or hidden under a
    // pointer that has not moved must know it is over them, or their first click is lost.
    void RefreshHover();
    void CollectTabStops(LControl& control, std::vector<LControl*>& stops) const;
    bool IsInTree(const LControl* control) const;
    // The focused control, else the content; null while input is off or there is no content.
    LControl* GetKeyTarget();
    void ForgetTree();

    Platform::IClock& m_clock;
    std::unique_ptr<LFontTextMeasurer> m_measurer;
    RCPtr<LControl> m_content;
    RCPtr<LControl> m_toolTip;
    LControl* m_toolTipOwner = nullptr;
    LSize m_size;
    LRect m_screenArea{0.0, 0.0, 1920.0, 1080.0};
    bool m_inputEnabled = true;
    String m_busyText;
    String m_noticeText;
    std::int64_t m_noticeEndMs = 0;
    bool m_closeAllowed = true;
    std::function<void(bool)> m_closeAllowedHandler;
    bool m_pointerInWindow = false;
    bool m_refreshingHover = false;
    bool m_windowFocus = false;

    LControl* m_hover = nullptr;
    LControl* m_capture = nullptr;
    LControl* m_focus = nullptr;
    LPoint m_lastPointer{-1.0e9, -1.0e9};
    std::array<bool, 3> m_doubleClickMark{};

    std::vector<Timer> m_timers;
    std::uint32_t m_nextTimerId = 1;

    std::vector<LRect> m_invalid;
    LControlTreePainter m_painter;
    std::function<void()> m_workHandler;
};

}  // namespace Orv
