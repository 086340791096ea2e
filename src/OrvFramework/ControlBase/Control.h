#pragma once
// The base of every user-interface element: a node of the control tree that is placed by layout
// rules, keeps condition bits (focus, hover, capture, drag, enabled, visible) and announces their
// changes, turns pointer input into click notifications, and takes its texts from the string tables.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "OrvFramework/ControlBase/ControlDescriptor.h"
#include "OrvFramework/ControlBase/Layout.h"
#include "OrvFramework/ControlBase/StringTable.h"
#include "OrvFramework/Notification/NotificationDistributor.h"
#include "OrvFramework/Notification/NotificationHandler.h"
#include "OrvFramework/Notification/NotificationParams.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Utilities/Graphics/Geometry.h"

namespace Orv {

class LControl;
class LControlFactory;

// Condition bits of a control.
namespace Condition {
inline constexpr std::uint32_t HasFocus = 1u << 0;
inline constexpr std::uint32_t ContainsFocus = 1u << 1;
inline constexpr std::uint32_t PointerOver = 1u << 2;
inline constexpr std::uint32_t Capture = 1u << 3;
inline constexpr std::uint32_t LeftPressed = 1u << 4;
inline constexpr std::uint32_t MiddlePressed = 1u << 5;
inline constexpr std::uint32_t RightPressed = 1u << 6;
inline constexpr std::uint32_t LeftDragging = 1u << 7;
inline constexpr std::uint32_t MiddleDragging = 1u << 8;
inline constexpr std::uint32_t RightDragging = 1u << 9;
inline constexpr std::uint32_t Enabled = 1u << 10;
inline constexpr std::uint32_t Visible = 1u << 11;
inline constexpr std::uint32_t Hover = 1u << 12;
}  // namespace Condition

// Mouse buttons as input parameters carry them.
inline constexpr std::int32_t kLeftButton = 1;
inline constexpr std::int32_t kMiddleButton = 2;
inline constexpr std::int32_t kRightButton = 4;

// The slot of a button in per-button state (left 0, middle 1, right 2); -1 for any other value.
constexpr int MouseButtonSlot(std::int32_t button) {
    switch (button) {
    case kLeftButton:
        return 0;
    case kMiddleButton:
        return 1;
    case kRightButton:
        return 2;
    default:
        return -1;
    }
}

// What a control needs from the window that hosts its tree (the root window implements it).
class IControlHost {
public:
    virtual ~IControlHost() = default;
    // False when the window cannot give the capture to the control.
    virtual bool SetCapture(LControl* control) = 0;
    virtual void ReleaseCapture(LControl* control) = 0;
    // A timer that calls control->OnTimer(id) every intervalMs; 0 when none could be started.
    virtual std::uint32_t StartTimer(LControl* control, std::uint32_t intervalMs) = 0;
    virtual void StopTimer(std::uint32_t timerId) = 0;
    virtual void Invalidate(LControl* /*control*/) {}
    virtual void OnFocusLost(LControl* /*control*/) {}
    virtual void OnControlAttached(LControl* /*control*/) {}
    // Shows text in the window's tooltip for control; 1 when the window has no tooltip.
    virtual ORVRESULT ShowToolTip(LControl* /*control*/, const String& /*text*/) { return S_FALSE; }
    // The areas the frame and client references of a top-level control refer to.
    virtual LRect GetScreenArea() const { return {}; }
    virtual LRect GetActiveWindowArea() const { return {}; }
    // Measures content for controls that size to their text; may be null.
    virtual ITextMeasurer* GetTextMeasurer() { return nullptr; }
    // Gives control the keyboard focus of the window; false when it cannot take it.
    virtual bool RequestFocus(LControl* /*control*/) { return false; }
    // control was shown or hidden: what lies under the pointer may have changed.
    virtual void OnVisibilityChanged(LControl* /*control*/) {}
    // The clock of the window's timers; null for the real clock.
    virtual Platform::IClock* GetClock() { return nullptr; }
    // Shows text over the window for durationMs, then removes it; a new notice replaces the last.
    virtual void ShowNotice(const String& /*text*/, std::uint32_t /*durationMs*/) {}
    // Whether the window offers its close button (a running update refuses to close).
    virtual void SetCloseAllowed(bool /*allowed*/) {}
};

// Input operations the root window calls with host input translated into parameter objects.
class UITarget {
public:
    virtual ~UITarget() = default;
    virtual ORVRESULT OnPointerEnter(const LPointWithModifiersParam* param) = 0;
    virtual ORVRESULT OnPointerMove(const LPointWithModifiersParam* param) = 0;
    virtual ORVRESULT OnButtonDown(const LMouseButtonParam* param) = 0;
    virtual ORVRESULT OnButtonUp(const LMouseButtonParam* param) = 0;
    virtual ORVRESULT OnPointerLeave(const LPointWithModifiersParam* param) = 0;
    virtual ORVRESULT BeginCapture(const LPoint& start) = 0;
    virtual ORVRESULT EndCapture() = 0;
    virtual ORVRESULT OnMouseWheel(const LMouseWheelParam* param) = 0;
    virtual ORVRESULT OnKeyDown(const LKeyParam* param) = 0;
    virtual ORVRESULT OnKeyUp(const LKeyParam* param) = 0;
    virtual ORVRESULT OnParentGeometryChanged() = 0;
    virtual ORVRESULT OnCharacter(const LKeyParam* param) = 0;
    virtual ORVRESULT OnFocusLost() = 0;
};

class LControl : public LNotificationClient, public LNotificationDistributor, public UITarget {
public:
    using ChildPtr = RCPtr<LControl>;

    // The children in creation order (ascending layout order).
    class ChildControlList {
    public:
        std::size_t GetCount() const { return m_items.size(); }
        // Throws a runtime error for an index at or beyond the count.
        const ChildPtr& GetAt(std::size_t index) const;
        void Add(ChildPtr child) { m_items.push_back(std::move(child)); }
        void Clear() { m_items.clear(); }
        auto begin() const { return m_items.begin(); }
        auto end() const { return m_items.end(); }
        auto rbegin() const { return m_items.rbegin(); }
        auto rend() const { return m_items.rend(); }

    private:
        std::vector<ChildPtr> m_items;
    };

    // A control is constructed by its class's create function (see LControlFactory), which then
    // hands it its descriptor, lets it create its children and initializes it.
    LControl(LControl* parent, String name);
    ~LControl() override;
    LControl(const LControl&) = delete;
    LControl& operator=(const LControl&) = delete;

    // --- Tree --------------------------------------------------------------------------------
    const String& GetName() const { return m_name; }
    LControl* GetParent() const { return m_parent; }
    const ChildControlList& GetChildren() const { return m_children; }
    // Direct children only, last created first, case-sensitive; a static null slot when none.
    const ChildPtr& FindChild(const String& name) const;
    // Appends a child constructed with this control as its parent (E_INVALIDARG otherwise).
    ORVRESULT AddChild(const ChildPtr& child);
    LControl* GetRoot();
    IControlHost* GetHost();
    void SetHostWindow(IControlHost* host);
    ConstRCPtr<LControlDescriptor> GetDescriptor() const { return m_descriptor; }
    LControlFactory* GetFactory() const { return m_factory; }
    bool IsCreated() const { return m_created; }

    // --- Creation steps (called by the factory's create functions) --------------------------
    virtual void ApplyDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor);
    virtual void CreateChildren();
    virtual void Initialize();
    virtual void OnCreated();
    // After the children were created (the post-creation step of child creation).
    virtual void OnChildrenCreated() {}
    // A child whose "DEFER_CREATE" parameter reads "true" (blanks trimmed, any case) is not
    // created with its parent.
    static bool IsDeferredCreation(const LControlDescriptor& descriptor);
    void MarkCreated() { m_created = true; }
    virtual void ReadCreateParams();
    virtual void OnWindowChanged() {}

    // --- Notifications -----------------------------------------------------------------------
    // Both counts by one name: the registrations this control made, and those made with it.
    using LNotificationClient::GetRegistrationCount;
    using LNotificationDistributor::GetRegistrationCount;
    ORVRESULT ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) override;
    ORVRESULT ReleaseInternalReferences() override;
    LNotificationHandler<LControl>* GetNotificationHandler() { return m_handlers.get(); }
    void SetNotificationHandlingEnabled(bool enabled) { m_notificationsOn = enabled; }
    // Sends a notification about this control to its clients, synchronously.
    ORVRESULT Send(std::u16string_view identifier, const ConstRCPtr<LRefCountedObject>& param = nullptr);

    // --- Values -------------------------------------------------------------------------------
    virtual ORVRESULT SetValuePair(double first, double second, int mode);
    std::pair<double, double> GetValuePair() const { return {m_pair[0], m_pair[1]}; }
    virtual ORVRESULT SetUserPair(std::int32_t first, std::int32_t second);
    std::pair<std::int32_t, std::int32_t> GetUserPair() const { return {m_userPair[0], m_userPair[1]}; }
    // The value is kept within [minimum, maximum]; a change sends "NID_VALUE_CHANGE".
    virtual ORVRESULT SetValue(double value);
    double GetValue() const { return m_value; }
    ORVRESULT SetRange(double minimum, double maximum);
    double GetMinimum() const { return m_minimum; }
    double GetMaximum() const { return m_maximum; }
    virtual ORVRESULT SetLookIndex(std::int32_t index, bool redraw = true);
    std::int32_t GetLookIndex() const { return m_lookIndex; }
    virtual ORVRESULT SetText(const String& text);
    const String& GetText() const { return m_text; }
    virtual String GetToolTipText() const;
    virtual ORVRESULT ShowToolTip();
    virtual ConstRCPtr<LStringTable> GetStringTable() const { return m_stringTable; }
    const String* GetCreateParameter(const String& key) const;
    bool IsCreateParameterSet(const String& key) const;
    bool IsFocusable() const { return m_focusable; }
    bool WantsTab() const { return m_wantsTab; }
    bool UsesParentToolTip() const { return m_useParentToolTip; }
    bool IsCreationDeferred() const { return m_deferCreate; }

    virtual bool IsMarked() const { return false; }
    LControl* FindMarkedControl();
    [[noreturn]] virtual void PerformEdit(std::int32_t operation);

    // --- Geometry and layout ------------------------------------------------------------------
    const LRect& GetRect() const { return m_rect; }
    // Stores a rectangle (coordinates clamped to +-2^52), redraws and lays out the children.
    void SetRect(const LRect& rect);
    virtual LRect GetMaxExtent() const;
    virtual LRect GetClientRect() const { return {0.0, 0.0, m_rect.width, m_rect.height}; }
    // The client area within the control's frame; the whole control unless a look says otherwise.
    virtual LRect GetClientArea() const { return GetClientRect(); }
    const LLayoutDescriptor& GetLayout() const { return m_layout; }
    // Replaces the placement rules; a real change is counted and the control is laid out again.
    void SetLayout(const LLayoutDescriptor& layout);
    std::uint32_t GetLayoutChangeCount() const { return m_layoutChangeCount; }
    virtual ORVRESULT SetLayoutFlag(bool flag);
    const LPoint& GetScrollOffset() const { return m_scrollOffset; }
    virtual ORVRESULT SetScrollOffset(const LPoint& offset);
    virtual void OnParentScrollOffsetChanged();
    virtual void Relayout();
    void SetLayoutSuspended(bool suspended) { m_layoutSuspended = suspended; }
    // Lays out the children in order (each sees its earlier siblings' new places).
    void LayoutChildren();
    // The size content asks for (labels that expand to their text); false when none.
    virtual bool GetContentSize(ITextMeasurer* measurer, double wrapWidth, LSize& size) const;

    // --- Visibility, enabling, conditions -----------------------------------------------------
    bool IsVisibleFlag() const { return m_layout.visible; }
    bool IsEnabledFlag() const { return m_layout.enabled; }
    bool IsVisibleInTree() const;
    bool IsEnabledInTree() const;
    virtual ORVRESULT SetVisible(bool visible);
    virtual ORVRESULT SetEnabled(bool enabled);
    ORVRESULT SetFocus(bool focus);
    // Asks the window for the keyboard focus; false when the control cannot take it.
    bool TakeFocus();
    std::uint32_t GetConditions() const { return m_conditions; }
    const LConditionsParam& GetConditionsParam() const { return *m_conditionsParam; }
    // Recomputes the bits and announces a change (see the .cpp for the order).
    void UpdateConditions();
    // Holds condition updates back while it lives and runs one update at its end, so that input
    // changing several flags at once (the pointer arriving with a press) is announced as one change.
    class ConditionBatch {
    public:
        explicit ConditionBatch(LControl& control) : m_control(control) { ++m_control.m_batchDepth; }
        ~ConditionBatch() {
            if (--m_control.m_batchDepth == 0) m_control.UpdateConditions();
        }
        ConditionBatch(const ConditionBatch&) = delete;
        ConditionBatch& operator=(const ConditionBatch&) = delete;

    private:
        LControl& m_control;
    };
    bool HasCapture() const { return m_capture; }
    void SetHoverInterval(std::uint32_t intervalMs) { m_hoverInterval = intervalMs; }
    std::uint32_t GetHoverTimer() const { return m_hoverTimer; }
    virtual void OnTimer(std::uint32_t /*timerId*/) {}

    // --- Clicks -------------------------------------------------------------------------------
    virtual ORVRESULT Click(const LMouseButtonParam* param);
    virtual ORVRESULT LeftClick(const LMouseButtonParam* param);
    virtual ORVRESULT MiddleClick(const LMouseButtonParam* param);
    virtual ORVRESULT RightClick(const LMouseButtonParam* param);

    // --- UITarget -----------------------------------------------------------------------------
    ORVRESULT OnPointerEnter(const LPointWithModifiersParam* param) override;
    ORVRESULT OnPointerMove(const LPointWithModifiersParam* param) override;
    ORVRESULT OnButtonDown(const LMouseButtonParam* param) override;
    ORVRESULT OnButtonUp(const LMouseButtonParam* param) override;
    ORVRESULT OnPointerLeave(const LPointWithModifiersParam* param) override;
    ORVRESULT BeginCapture(const LPoint& start) override;
    ORVRESULT EndCapture() override;
    ORVRESULT OnMouseWheel(const LMouseWheelParam*) override { return S_FALSE; }
    ORVRESULT OnKeyDown(const LKeyParam*) override { return S_FALSE; }
    ORVRESULT OnKeyUp(const LKeyParam*) override { return S_FALSE; }
    ORVRESULT OnParentGeometryChanged() override;
    ORVRESULT OnCharacter(const LKeyParam*) override { return S_FALSE; }
    ORVRESULT OnFocusLost() override;

protected:
    // Hooks for derived controls.
    virtual void OnConditionsChanged(const LConditionsParam& /*param*/) {}
    virtual void OnLeftButtonReleased(const LMouseButtonParam* /*param*/) {}
    virtual void OnMiddleButtonReleased(const LMouseButtonParam* /*param*/) {}
    virtual void OnRightButtonReleased(const LMouseButtonParam* /*param*/) {}
    virtual ORVRESULT OnBeforeLeftClick(const LMouseButtonParam* /*param*/) { return S_OK; }
    virtual void OnRectChanged(const LRect& /*previous*/) {}
    virtual ORVRESULT OnSiblingKey(LNotificationDistributor* sender, LNotification* notification);
    void Redraw();

    std::uint32_t m_extraConditionValues[4] = {0, 0, 0, 0};

private:
    std::uint32_t ComputeConditions() const;
    void UpdateConditionsInSubtree();
    // A hidden or disabled control keeps no focus: neither it nor a descendant can use keys.
    void GiveUpFocusInSubtree();
    void RefreshDescendantHover();
    void RelayoutDependentsOf(const String& siblingName);
    void StopHoverTimer();

    String m_name;
    LControl* m_parent;
    ChildControlList m_children;
    ConstRCPtr<LControlDescriptor> m_descriptor;
    LControlFactory* m_factory;
    IControlHost* m_host = nullptr;
    LLayoutDescriptor m_layout;
    LRect m_rect;
    LPoint m_scrollOffset;
    std::uint32_t m_layoutChangeCount = 0;
    bool m_layoutSuspended = false;
    bool m_inLayout = false;
    bool m_layingOutChildren = false;

    std::uint32_t m_conditions = 0;
    int m_batchDepth = 0;
    RCPtr<LConditionsParam> m_conditionsParam;
    bool m_hasFocus = false;
    bool m_containsFocus = false;
    bool m_pointerOver = false;
    bool m_capture = false;
    std::array<bool, 3> m_pressed{};
    std::array<bool, 3> m_dragging{};
    bool m_pointerOverDescendant = false;
    LPoint m_captureStart;
    LPoint m_pointer;
    std::uint32_t m_hoverInterval = 0;
    std::uint32_t m_hoverTimer = 0;

    std::unique_ptr<LNotificationHandler<LControl>> m_handlers;
    bool m_notificationsOn = true;
    CreateParameters m_createParameters;
    bool m_deferCreate = false;
    bool m_focusable = true;
    bool m_useParentToolTip = false;
    bool m_wantsTab = false;
    bool m_created = false;
    bool m_initialized = false;

    ConstRCPtr<LStringTable> m_stringTable;
    String m_text;
    String m_toolTip;
    double m_pair[2] = {0.0, 0.0};
    std::int32_t m_userPair[2] = {0, 0};
    double m_value = 0.0;
    double m_minimum = 0.0;
    double m_maximum = 1.0;
    std::int32_t m_lookIndex = 0;
};

}  // namespace Orv
