#include "OrvFramework/ControlBase/RootWindow.h"

#include <algorithm>
#include <cmath>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/LookList.h"
#include "OrvFramework/ControlBase/SkinDescriptor.h"
#include "OrvFramework/ControlBase/ToolTipDisplay.h"

namespace Orv {

namespace {

// The children in the order they are drawn (Z order, creation order among equals).
std::vector<LControl*> ChildrenInZOrder(const LControl& control) {
    std::vector<LControl*> children;
    for (const auto& child : control.GetChildren())
        if (child) children.push_back(child.Get());
    std::stable_sort(children.begin(), children.end(),
                     [](LControl* a, LControl* b) { return a->GetLayout().zOrder < b->GetLayout().zOrder; });
    return children;
}

// The skin numbers the controls Tab visits (TabStop > 0, visited in ascending number).
bool IsTabStop(const LControl& control) { return control.GetLayout().tabStop > 0 && control.IsFocusable(); }

bool TakesPart(const LControl& control) {
    const LRect& r = control.GetRect();
    return control.IsVisibleFlag() && r.width > 0.0 && r.height > 0.0;
}

bool ContainsInTree(const LControl& root, const LControl* wanted) {
    if (&root == wanted) return true;
    for (const auto& child : root.GetChildren())
        if (child && ContainsInTree(*child, wanted)) return true;
    return false;
}

}  // namespace

LRootWindow::LRootWindow(LMeasurementRenderer* measurer, Platform::IClock& clock)
    : m_clock(clock), m_measurer(measurer ? std::make_unique<LFontTextMeasurer>(*measurer) : nullptr) {}

LRootWindow::~LRootWindow() {
    SetToolTipControl(nullptr);
    SetContent(nullptr);
}

// --- Content ------------------------------------------------------------------------------------

void LRootWindow::ForgetTree() {
    m_hover = nullptr;
    m_capture = nullptr;
    m_focus = nullptr;
    m_toolTipOwner = nullptr;
    // The tooltip's own timers outlive a change of content.
    std::erase_if(m_timers, [this](const Timer& t) { return !m_toolTip || !ContainsInTree(*m_toolTip, t.control); });
    m_doubleClickMark = {};
}

void LRootWindow::SetToolTipControl(const RCPtr<LControl>& toolTip) {
    if (m_toolTip == toolTip) return;
    RCPtr<LControl> previous = m_toolTip;
    m_toolTip = toolTip;
    m_toolTipOwner = nullptr;
    if (previous) {
        std::erase_if(m_timers, [&](const Timer& t) { return ContainsInTree(*previous, t.control); });
        previous->SetHostWindow(nullptr);
    }
    if (m_toolTip) {
        m_toolTip->SetHostWindow(this);
        m_toolTip->SetVisible(false);
    }
    InvalidateAll();
}

ORVRESULT LRootWindow::ShowToolTip(LControl* control, const String& text) {
    auto* toolTip = dynamic_cast<IToolTipDisplay*>(m_toolTip.Get());
    if (toolTip == nullptr) return S_FALSE;
    if (text.empty()) {
        if (m_toolTipOwner == control || control == nullptr) {
            toolTip->Hide();
            m_toolTipOwner = nullptr;
        }
        return S_OK;
    }
    m_toolTipOwner = control;
    toolTip->Show(m_lastPointer, text);
    return S_OK;
}

void LRootWindow::SetContent(const RCPtr<LControl>& control) {
    if (m_content == control) return;
    RCPtr<LControl> previous = m_content;
    m_content = control;
    ForgetTree();
    if (previous) previous->SetHostWindow(nullptr);
    if (m_content) {
        m_content->SetHostWindow(this);
        m_content->SetRect({0.0, 0.0, m_size.width, m_size.height});
    }
    InvalidateAll();
}

RCPtr<LControl> LRootWindow::CreateContent(LControlFactory& factory, const String& controlName) {
    RCPtr<LControl> control = factory.CreateControl(controlName, this);
    if (control) SetContent(control);
    return control;
}

void LRootWindow::SetSize(double width, double height) {
    m_size = {std::max(0.0, width), std::max(0.0, height)};
    Refresh();
}

void LRootWindow::Refresh() {
    if (m_content) {
        m_content->SetRect({0.0, 0.0, m_size.width, m_size.height});
        m_content->LayoutChildren();
    }
    m_invalid.clear();
    InvalidateAll();
}

bool LRootWindow::IsInTree(const LControl* control) const {
    if (control == nullptr) return false;
    return (m_content && ContainsInTree(*m_content, control)) || (m_toolTip && ContainsInTree(*m_toolTip, control));
}

// --- Hit testing --------------------------------------------------------------------------------

LPoint LRootWindow::GetWindowOrigin(const LControl& control) {
    LPoint origin;
    for (const LControl* c = &control; c != nullptr; c = c->GetParent()) {
        origin.x += c->GetRect().x;
        origin.y += c->GetRect().y;
    }
    return origin;
}

LPoint LRootWindow::ToControl(const LControl& control, LPoint point) {
    const LPoint origin = GetWindowOrigin(control);
    return {static_cast<double>(RoundToInt(point.x - origin.x)), static_cast<double>(RoundToInt(point.y - origin.y))};
}

bool LRootWindow::HitsOwnLook(LControl& control, LPoint point) {
    const auto descriptor = control.GetDescriptor();
    ConstRCPtr<LLookDescriptor> lookDescriptor;
    if (descriptor && descriptor->skin && descriptor->skin->lookList)
        lookDescriptor = descriptor->skin->lookList->GetLook(control.GetLookIndex());
    // A control without a look is a plain area: all of its rectangle is its own.
    if (!lookDescriptor) return true;
    const LRect& rect = control.GetRect();
    LLook& look = m_painter.GetLook(lookDescriptor, RoundToInt(rect.width), RoundToInt(rect.height));
    bool inBounds = false;
    for (const LRect& r : look.GetBoundsRegion()->GetRects())
        if (point.x >= r.x && point.y >= r.y && point.x < r.Right() && point.y < r.Bottom()) inBounds = true;
    // Fully transparent pixels of a look let the pointer through to what lies beneath.
    return inBounds && (look.GetColorAtPoint(point) >> 24) != 0;
}

LControl* LRootWindow::HitTestControl(LControl& control, LPoint point, LPoint* local) {
    if (!TakesPart(control)) return nullptr;
    const LRect& rect = control.GetRect();
    if (point.x < 0.0 || point.y < 0.0 || point.x >= rect.width || point.y >= rect.height) return nullptr;
    const std::vector<LControl*> children = ChildrenInZOrder(control);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const LRect& r = (*it)->GetRect();
        const LPoint inChild{static_cast<double>(RoundToInt(point.x - r.x)),
                             static_cast<double>(RoundToInt(point.y - r.y))};
        if (LControl* found = HitTestControl(**it, inChild, local)) return found;
    }
    if (!HitsOwnLook(control, point)) return nullptr;
    if (local) *local = point;
    return &control;
}

LControl* LRootWindow::HitTest(LPoint point, LPoint* local) {
    if (!m_content) return nullptr;
    const LRect& r = m_content->GetRect();
    return HitTestControl(*m_content, {point.x - r.x, point.y - r.y}, local);
}

// --- Pointer input ------------------------------------------------------------------------------

void LRootWindow::SetHover(LControl* control, LPoint windowPoint, std::uint32_t modifiers) {
    if (m_hover != nullptr && !IsInTree(m_hover)) m_hover = nullptr;
    if (control == m_hover) return;
    LControl* previous = m_hover;
    m_hover = control;
    if (previous != nullptr) {
        const LPoint p = ToControl(*previous, windowPoint);
        const RCPtr<LPointWithModifiersParam> param = MakeRC<LPointWithModifiersParam>(p.x, p.y, modifiers);
        previous->OnPointerLeave(param.Get());
    }
    if (control != nullptr) {
        const LPoint p = ToControl(*control, windowPoint);
        const RCPtr<LPointWithModifiersParam> param = MakeRC<LPointWithModifiersParam>(p.x, p.y, modifiers);
        control->OnPointerEnter(param.Get());
    }
}

void LRootWindow::RefreshHover() {
    if (!m_pointerInWindow || !m_inputEnabled || m_refreshingHover) return;
    m_refreshingHover = true;
    SetHover(HitTest(m_lastPointer), m_lastPointer, 0);
    m_refreshingHover = false;
}

void LRootWindow::OnVisibilityChanged(LControl* control) {
    if (control == nullptr || !IsInTree(control)) return;
    RefreshHover();
}

void LRootWindow::OnPointerMove(LPoint point, std::uint32_t modifiers) {
    if (!m_inputEnabled) return;
    m_lastPointer = point;
    m_pointerInWindow = true;
    LPoint local;
    LControl* under = HitTest(point, &local);
    SetHover(under, point, modifiers);
    if (m_capture != nullptr && IsInTree(m_capture)) {
        const LPoint p = ToControl(*m_capture, point);
        const RCPtr<LPointWithModifiersParam> param = MakeRC<LPointWithModifiersParam>(p.x, p.y, modifiers);
        m_capture->OnPointerMove(param.Get());
    } else if (under != nullptr) {
        const RCPtr<LPointWithModifiersParam> param = MakeRC<LPointWithModifiersParam>(local.x, local.y, modifiers);
        under->OnPointerMove(param.Get());
    }
}

void LRootWindow::OnPointerLeaveWindow() {
    if (!m_inputEnabled) return;
    // While a control holds the capture it keeps following the pointer outside the window.
    if (m_capture != nullptr && IsInTree(m_capture)) return;
    m_pointerInWindow = false;
    SetHover(nullptr, m_lastPointer, 0);
}

void LRootWindow::OnButtonDown(std::int32_t button, LPoint point, std::uint32_t modifiers, bool doubleClick) {
    if (!m_inputEnabled) return;
    const int slot = MouseButtonSlot(button);
    if (slot < 0) return;
    if (point.x != m_lastPointer.x || point.y != m_lastPointer.y || !m_pointerInWindow)
        OnPointerMove(point, modifiers);
    else
        SetHover(HitTest(point), point, modifiers);  // the tree may have changed under a still pointer
    if (m_capture != nullptr && !IsInTree(m_capture)) m_capture = nullptr;
    // A press hides the tooltip that is showing.
    if (m_toolTipOwner != nullptr) ShowToolTip(m_toolTipOwner, String());
    LControl* target = m_capture;
    if (target == nullptr) target = HitTest(point);
    if (target == nullptr) return;
    m_doubleClickMark[static_cast<std::size_t>(slot)] = doubleClick;
    // A press moves the keyboard focus to the nearest control that takes it.
    for (LControl* c = target; c != nullptr; c = c->GetParent())
        if (IsTabStop(*c) && c->IsEnabledInTree()) {
            SetFocusedControl(c);
            break;
        }
    const LPoint p = ToControl(*target, point);
    const RCPtr<LMouseButtonParam> param = MakeRC<LMouseButtonParam>(p.x, p.y, modifiers, button);
    target->OnButtonDown(param.Get());
}

void LRootWindow::OnButtonUp(std::int32_t button, LPoint point, std::uint32_t modifiers) {
    if (!m_inputEnabled) return;
    const int slot = MouseButtonSlot(button);
    if (slot < 0) return;
    if (point.x != m_lastPointer.x || point.y != m_lastPointer.y) OnPointerMove(point, modifiers);
    m_doubleClickMark[static_cast<std::size_t>(slot)] = false;
    // A release goes only to the control that took the capture with the press.
    if (m_capture == nullptr || !IsInTree(m_capture)) {
        m_capture = nullptr;
        return;
    }
    const LPoint p = ToControl(*m_capture, point);
    const RCPtr<LMouseButtonParam> param = MakeRC<LMouseButtonParam>(p.x, p.y, modifiers, button);
    m_capture->OnButtonUp(param.Get());
}

void LRootWindow::OnMouseWheel(double delta, std::uint32_t modifiers) {
    if (!m_inputEnabled) return;
    for (LControl* c = HitTest(m_lastPointer); c != nullptr; c = c->GetParent()) {
        const LPoint p = ToControl(*c, m_lastPointer);
        const RCPtr<LMouseWheelParam> param = MakeRC<LMouseWheelParam>(p.x, p.y, modifiers, delta);
        if (c->OnMouseWheel(param.Get()) != S_FALSE) return;
    }
}

// --- Keyboard and focus -------------------------------------------------------------------------

void LRootWindow::CollectTabStops(LControl& control, std::vector<LControl*>& stops) const {
    if (!TakesPart(control)) return;
    if (IsTabStop(control) && control.IsEnabledInTree()) stops.push_back(&control);
    for (const auto& child : control.GetChildren())
        if (child) CollectTabStops(*child, stops);
}

bool LRootWindow::SetFocusedControl(LControl* control) {
    if (m_focus != nullptr && !IsInTree(m_focus)) m_focus = nullptr;
    if (control == m_focus) return true;
    if (control != nullptr && !IsInTree(control)) return false;
    if (control != nullptr && control->SetFocus(true) == S_FALSE && !(control->GetConditions() & Condition::HasFocus))
        return false;
    LControl* previous = m_focus;
    m_focus = control;
    if (previous != nullptr) previous->SetFocus(false);
    return true;
}

bool LRootWindow::MoveFocus(bool backward) {
    if (!m_content) return false;
    std::vector<LControl*> stops;
    CollectTabStops(*m_content, stops);
    if (stops.empty()) return false;
    std::stable_sort(stops.begin(), stops.end(),
                     [](LControl* a, LControl* b) { return a->GetLayout().tabStop < b->GetLayout().tabStop; });
    if (m_focus != nullptr && !IsInTree(m_focus)) m_focus = nullptr;
    const auto at = std::find(stops.begin(), stops.end(), m_focus);
    const std::size_t count = stops.size();
    std::size_t index;
    if (at == stops.end())
        index = backward ? count - 1 : 0;
    else {
        const auto current = static_cast<std::size_t>(at - stops.begin());
        index = backward ? (current + count - 1) % count : (current + 1) % count;
    }
    // Skip stops that refuse the focus; give up after one round.
    for (std::size_t tried = 0; tried < count; ++tried) {
        if (SetFocusedControl(stops[index])) return true;
        index = backward ? (index + count - 1) % count : (index + 1) % count;
    }
    return false;
}

bool LRootWindow::OnKeyDown(std::uint32_t key, std::uint32_t modifiers) {
    LControl* target = GetKeyTarget();
    if (target == nullptr) return false;
    if (key == kFrameworkKeyTab && (m_focus == nullptr || !m_focus->WantsTab()))
        return MoveFocus((modifiers & kModifierFlagShift) != 0);
    const RCPtr<LKeyParam> param = MakeRC<LKeyParam>(key, modifiers);
    for (LControl* c = target; c != nullptr; c = c->GetParent())
        if (c->OnKeyDown(param.Get()) != S_FALSE) return true;
    return false;
}

LControl* LRootWindow::GetKeyTarget() {
    if (!m_inputEnabled || !m_content) return nullptr;
    if (m_focus != nullptr && !IsInTree(m_focus)) m_focus = nullptr;
    // A key must never reach a control the user cannot see or use (a hidden Next button would
    // start its work again).
    if (m_focus != nullptr && (!m_focus->IsVisibleInTree() || !m_focus->IsEnabledInTree())) SetFocusedControl(nullptr);
    return m_focus != nullptr ? m_focus : m_content.Get();
}

bool LRootWindow::OnKeyUp(std::uint32_t key, std::uint32_t modifiers) {
    LControl* target = GetKeyTarget();
    const RCPtr<LKeyParam> param = MakeRC<LKeyParam>(key, modifiers);
    return target != nullptr && target->OnKeyUp(param.Get()) != S_FALSE;
}

bool LRootWindow::OnCharacter(std::uint32_t character, std::uint32_t modifiers) {
    LControl* target = GetKeyTarget();
    const RCPtr<LKeyParam> param = MakeRC<LKeyParam>(character, modifiers);
    return target != nullptr && target->OnCharacter(param.Get()) != S_FALSE;
}

void LRootWindow::OnWindowFocus(bool gained) {
    m_windowFocus = gained;
    if (!gained && m_capture != nullptr && IsInTree(m_capture)) {
        // Losing the window focus ends any press in progress.
        LControl* capture = m_capture;
        capture->EndCapture();
        m_capture = nullptr;
    }
}

// --- Timers ---------------------------------------------------------------------------------------

std::uint32_t LRootWindow::StartTimer(LControl* control, std::uint32_t intervalMs) {
    if (control == nullptr) return 0;
    const std::uint32_t id = m_nextTimerId++;
    if (m_nextTimerId == 0) m_nextTimerId = 1;
    m_timers.push_back({id, control, std::max<std::uint32_t>(intervalMs, 1),
                        m_clock.NowMs() + std::max<std::uint32_t>(intervalMs, 1)});
    if (m_workHandler) m_workHandler();
    return id;
}

void LRootWindow::StopTimer(std::uint32_t timerId) {
    std::erase_if(m_timers, [timerId](const Timer& t) { return t.id == timerId; });
}

std::size_t LRootWindow::ProcessTimers() {
    const std::int64_t now = m_clock.NowMs();
    if (!m_noticeText.empty() && now >= m_noticeEndMs) ShowNotice(String(), 0);
    // A snapshot: handlers start and stop timers while we go.
    std::vector<std::uint32_t> due;
    for (const Timer& t : m_timers)
        if (t.dueMs <= now) due.push_back(t.id);
    std::size_t calls = 0;
    for (std::uint32_t id : due) {
        auto it = std::find_if(m_timers.begin(), m_timers.end(), [id](const Timer& t) { return t.id == id; });
        if (it == m_timers.end()) continue;
        LControl* control = it->control;
        if (!IsInTree(control)) {
            m_timers.erase(it);
            continue;
        }
        // The next due time follows the clock, so a late tick does not bring a burst of catch-ups.
        it->dueMs = now + it->intervalMs;
        control->OnTimer(id);
        ++calls;
    }
    return calls;
}

// --- Capture, focus and invalidation from controls ------------------------------------------

bool LRootWindow::SetCapture(LControl* control) {
    if (control == nullptr) return false;
    if (m_capture != nullptr && m_capture != control && IsInTree(m_capture)) return false;
    m_capture = control;
    return true;
}

void LRootWindow::ReleaseCapture(LControl* control) {
    if (m_capture == control) m_capture = nullptr;
}

void LRootWindow::Invalidate(LControl* control) {
    if (control == nullptr || !IsInTree(control)) return;
    const LPoint origin = GetWindowOrigin(*control);
    InvalidateRect({origin.x, origin.y, control->GetRect().width, control->GetRect().height});
}

void LRootWindow::OnFocusLost(LControl* control) {
    if (m_focus == control) m_focus = nullptr;
}

// --- Painting -------------------------------------------------------------------------------------

void LRootWindow::SetBusyText(const String& text) {
    if (text == m_busyText) return;
    m_busyText = text;
    InvalidateAll();
}

void LRootWindow::ShowNotice(const String& text, std::uint32_t durationMs) {
    m_noticeEndMs = m_clock.NowMs() + durationMs;
    if (text == m_noticeText) return;
    m_noticeText = text;
    InvalidateAll();
    if (m_workHandler) m_workHandler();
}

void LRootWindow::SetCloseAllowed(bool allowed) {
    if (allowed == m_closeAllowed) return;
    m_closeAllowed = allowed;
    if (m_closeAllowedHandler) m_closeAllowedHandler(allowed);
}

void LRootWindow::InvalidateRect(const LRect& rect) {
    const LRect clipped = rect.Intersect({0.0, 0.0, m_size.width, m_size.height});
    if (clipped.IsEmpty()) return;
    for (const LRect& r : m_invalid)
        if (r.Intersect(clipped) == clipped) return;
    std::erase_if(m_invalid, [&](const LRect& r) { return clipped.Intersect(r) == r; });
    m_invalid.push_back(clipped);
    if (m_workHandler) m_workHandler();
}

void LRootWindow::PaintInvalid(LRenderer& renderer, const Platform::PaintTarget& target) {
    if (m_invalid.empty()) return;
    const LRegion region(std::move(m_invalid));
    m_invalid.clear();
    Paint(renderer, target, region);
}

void LRootWindow::Paint(LRenderer& renderer, const Platform::PaintTarget& target, const LRegion& region) {
    renderer.BeginPaint(target);
    try {
        for (const LRect& rect : region.GetRects()) {
            if (rect.IsEmpty()) continue;
            renderer.PushClip(rect);
            // What no control covers shows as opaque black rather than stale pixels.
            renderer.FillRect(rect, LColor{0.0f, 0.0f, 0.0f, 1.0f});
            if (m_content) m_painter.Paint(renderer, *m_content, LRegion({rect}));
            if (m_toolTip) m_painter.Paint(renderer, *m_toolTip, LRegion({rect}));
            // The busy text wins over a notice; either dims the window under it.
            const String& overlay = !m_busyText.empty() ? m_busyText : m_noticeText;
            if (!overlay.empty()) {
                const LRect whole{0.0, 0.0, m_size.width, m_size.height};
                renderer.FillRect(rect, LColor{0.0f, 0.0f, 0.0f, 0.6f});
                // Kept off the window's edges so that a long translation wraps inside it.
                const LRect textArea{16.0, 0.0, std::max(0.0, m_size.width - 32.0), m_size.height};
                renderer.DrawText(overlay, LFontDescription{String(), 12.0, -1}, LColor{1.0f, 1.0f, 1.0f, 1.0f},
                                  m_busyText.empty() ? textArea : whole, LTextFormat{true, 0.5, 0.5});
            }
            renderer.PopState();
        }
    } catch (...) {
        renderer.EndPaint(target);
        throw;
    }
    renderer.EndPaint(target);
}

}  // namespace Orv
