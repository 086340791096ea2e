#include "OrvFramework/ControlBase/Control.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {

namespace {

constexpr double kCoordinateLimit = 4503599627370496.0;  // 2^52
// A pressed button becomes a drag once the pointer has moved this far from the press.
constexpr double kDragDistance = 3.0;

double ClampCoordinate(double v) {
    if (std::isnan(v)) return 0.0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

const RCPtr<LControl>& NullControl() {
    static const RCPtr<LControl> none;
    return none;
}

}  // namespace

const LControl::ChildPtr& LControl::ChildControlList::GetAt(std::size_t index) const {
    if (index >= m_items.size()) ORV_THROW_NO_TEXT(Runtime, "Orv::LControl::ChildControlList::GetAt", 3084);
    return m_items[index];
}

LControl::LControl(LControl* parent, String name)
    : m_name(std::move(name)),
      m_parent(parent),
      m_factory(LControlFactory::GetCreatingFactory()),
      m_conditionsParam(MakeRC<LConditionsParam>()) {
    if (m_factory != nullptr)
        m_stringTable = m_factory->GetStringTable(parent ? parent->m_descriptor.Get() : nullptr, m_name);
    if (m_stringTable) m_stringTable->GetString(W("LABEL"), m_text);
    // The starting bits (enabled, visible) are not a change: nobody can listen yet.
    m_conditions = ComputeConditions();
    m_conditionsParam->m_current = m_conditions;
}

LControl::~LControl() {
    // Children held from outside must not point at a parent that is gone.
    for (const auto& child : m_children)
        if (child) child->m_parent = nullptr;
}

// --- Tree -------------------------------------------------------------------------------------

const LControl::ChildPtr& LControl::FindChild(const String& name) const {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if (*it && (*it)->m_name == name) return *it;
    return NullControl();
}

ORVRESULT LControl::AddChild(const ChildPtr& child) {
    if (!child || child->m_parent != this) return E_INVALIDARG;
    m_children.Add(child);
    return S_OK;
}

LControl* LControl::GetRoot() {
    LControl* c = this;
    while (c->m_parent != nullptr) c = c->m_parent;
    return c;
}

IControlHost* LControl::GetHost() { return GetRoot()->m_host; }

void LControl::SetHostWindow(IControlHost* host) {
    m_host = host;
    OnWindowChanged();
    Relayout();
}

// --- Creation ---------------------------------------------------------------------------------

void LControl::ApplyDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor) {
    m_descriptor = descriptor;
    if (!descriptor) return;
    if (descriptor->layout) m_layout = *descriptor->layout;
    m_createParameters = descriptor->createParameters.value_or(CreateParameters{});
    ReadCreateParams();
    Relayout();
    UpdateConditions();
}

void LControl::CreateChildren() {
    if (m_descriptor && m_factory != nullptr) {
        for (const auto& childDescriptor : m_descriptor->children) {
            if (IsDeferredCreation(*childDescriptor)) continue;
            RCPtr<LControl> child = m_factory->CreateControl(ConstRCPtr<LControlDescriptor>(childDescriptor), this);
            if (child) m_children.Add(child);
        }
    }
    OnChildrenCreated();
}

void LControl::Initialize() {
    if (!m_handlers) m_handlers = std::make_unique<LNotificationHandler<LControl>>(this);
    ReadCreateParams();
    if (m_stringTable) m_stringTable->GetString(W("TOOLTIP"), m_toolTip);
    if (m_parent != nullptr && !m_initialized)
        m_handlers->AddHandler(&LControl::OnSiblingKey, m_parent, u"NID_SIBLING_KEY", 0);
    m_initialized = true;
}

void LControl::OnCreated() {}

void LControl::ReadCreateParams() {
    m_deferCreate = IsCreateParameterSet(W("DEFER_CREATE"));
    m_focusable = !IsCreateParameterSet(W("NOT_FOCUSABLE"));
    m_useParentToolTip = IsCreateParameterSet(W("USE_PARENT_TOOLTIP"));
    m_wantsTab = IsCreateParameterSet(W("WANTS_TAB"));
    if (const String* initial = GetCreateParameter(W("INITIAL_VALUE"))) {
        const std::string text = Utf16ToUtf8(*initial);
        try {
            std::size_t used = 0;
            const double v = std::stod(text, &used);
            if (used > 0 && std::isfinite(v)) m_value = v;
        } catch (const std::exception&) {
            // An unreadable initial value leaves the default.
        }
    }
}

const String* LControl::GetCreateParameter(const String& key) const {
    auto it = m_createParameters.find(key);
    return it == m_createParameters.end() ? nullptr : &it->second;
}

bool LControl::IsCreateParameterSet(const String& key) const {
    const String* v = GetCreateParameter(key);
    return v != nullptr && *v == W("true");
}

// --- Notifications ----------------------------------------------------------------------------

ORVRESULT LControl::ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) {
    if (m_handlers && m_notificationsOn) return m_handlers->Dispatch(sender, notification);
    return S_OK;
}

ORVRESULT LControl::ReleaseInternalReferences() {
    StopHoverTimer();
    if (m_capture) {
        m_capture = false;
        if (IControlHost* host = GetHost()) host->ReleaseCapture(this);
    }
    return LNotificationClient::ReleaseInternalReferences();
}

ORVRESULT LControl::Send(std::u16string_view identifier, const ConstRCPtr<LRefCountedObject>& param) {
    RCPtr<LNotification> n = LNotification::Create(identifier, param);
    if (!n) return E_INVALIDARG;
    return Distribute(n.Get());
}

ORVRESULT LControl::OnSiblingKey(LNotificationDistributor*, LNotification*) { return S_OK; }

// --- Values -----------------------------------------------------------------------------------

ORVRESULT LControl::SetValuePair(double first, double second, int mode) {
    if (mode == 1) {
        if (!(first > 0.0) || !(second > 0.0)) return E_INVALIDARG;
    } else if (mode != 0) {
        return E_INVALIDARG;
    }
    m_pair[0] = first;
    m_pair[1] = second;
    return S_OK;
}

ORVRESULT LControl::SetUserPair(std::int32_t first, std::int32_t second) {
    m_userPair[0] = first;
    m_userPair[1] = second;
    return S_OK;
}

ORVRESULT LControl::SetValue(double value) {
    if (std::isnan(value)) return E_INVALIDARG;
    value = std::clamp(value, m_minimum, m_maximum);
    if (value == m_value) return S_FALSE;
    m_value = value;
    Redraw();
    Send(u"NID_VALUE_CHANGE", MakeRC<LValueParam>(value));
    return S_OK;
}

ORVRESULT LControl::SetRange(double minimum, double maximum) {
    if (std::isnan(minimum) || std::isnan(maximum) || minimum > maximum) return E_INVALIDARG;
    m_minimum = minimum;
    m_maximum = maximum;
    if (m_value < minimum || m_value > maximum) SetValue(m_value);
    return S_OK;
}

ORVRESULT LControl::SetLookIndex(std::int32_t index, bool redraw) {
    if (index < 0) return E_INVALIDARG;
    m_lookIndex = index;
    if (redraw) Redraw();
    return S_OK;
}

ORVRESULT LControl::SetText(const String& text) {
    if (text == m_text) return S_FALSE;
    m_text = text;
    Redraw();
    // A control that sizes to its text follows it.
    if (m_layout.textOverflowX == TextOverflowX::Expand || m_layout.textOverflowY == TextOverflowY::Expand) Relayout();
    return S_OK;
}

String LControl::GetToolTipText() const {
    if (m_useParentToolTip && m_parent != nullptr) return m_parent->GetToolTipText();
    return m_toolTip;
}

ORVRESULT LControl::ShowToolTip() {
    IControlHost* host = GetHost();
    return host ? host->ShowToolTip(this, GetToolTipText()) : S_FALSE;
}

LControl* LControl::FindMarkedControl() {
    for (LControl* c = this; c != nullptr; c = c->m_parent)
        if (c->IsMarked()) return c;
    return nullptr;
}

void LControl::PerformEdit(std::int32_t) {
    ORV_THROW(Logic, "LControl::PerformEdit must be overridden", "Orv::LControl::PerformEdit", 582);
}

// --- Geometry and layout ----------------------------------------------------------------------

void LControl::SetRect(const LRect& rect) {
    const LRect clamped{ClampCoordinate(rect.x), ClampCoordinate(rect.y), ClampCoordinate(rect.width),
                        ClampCoordinate(rect.height)};
    if (clamped == m_rect) return;
    const LRect previous = m_rect;
    // The area it leaves must be painted again too, or a moving control leaves a trail.
    if (m_parent != nullptr && m_layout.visible) m_parent->Redraw();
    m_rect = clamped;
    OnRectChanged(previous);
    Redraw();
    LayoutChildren();
    if (m_parent != nullptr && !m_parent->m_layingOutChildren) m_parent->RelayoutDependentsOf(m_name);
}

LRect LControl::GetMaxExtent() const { return {0.0, 0.0, kCoordinateLimit, kCoordinateLimit}; }

void LControl::SetLayout(const LLayoutDescriptor& layout) {
    if (Layout::SameRules(layout, m_layout)) return;
    const bool conditionsMayChange = layout.visible != m_layout.visible || layout.enabled != m_layout.enabled;
    m_layout = layout;
    ++m_layoutChangeCount;
    Relayout();
    if (conditionsMayChange) UpdateConditionsInSubtree();
}

ORVRESULT LControl::SetLayoutFlag(bool flag) {
    if (m_layout.clipToParent == flag) return S_FALSE;
    m_layout.clipToParent = flag;
    if (m_parent != nullptr) {
        ++m_parent->m_layoutChangeCount;
        m_parent->LayoutChildren();
    }
    return S_OK;
}

ORVRESULT LControl::SetScrollOffset(const LPoint& offset) {
    if (offset == m_scrollOffset) return S_FALSE;
    m_scrollOffset = offset;
    for (const auto& child : m_children)
        if (child) child->OnParentScrollOffsetChanged();
    Redraw();
    Send(u"NID_SCROLL_OFFSET_CHANGE");
    return S_OK;
}

void LControl::OnParentScrollOffsetChanged() {
    if (m_layout.x.docked || m_layout.y.docked) Relayout();
}

void LControl::Relayout() {
    // A cycle of sibling references must not recurse without end.
    if (m_layoutSuspended || m_inLayout) return;
    m_inLayout = true;
    IControlHost* host = GetHost();
    const LRect rect = Layout::ComputeRect(*this, host ? host->GetTextMeasurer() : nullptr);
    SetRect(rect);
    m_inLayout = false;
}

void LControl::LayoutChildren() {
    const bool outer = m_layingOutChildren;
    m_layingOutChildren = true;
    for (const auto& child : m_children)
        if (child) child->OnParentGeometryChanged();
    m_layingOutChildren = outer;
}

void LControl::RelayoutDependentsOf(const String& siblingName) {
    for (const auto& child : m_children) {
        if (!child || child->m_name == siblingName) continue;
        const LLayoutDescriptor& l = child->m_layout;
        auto refers = [&](const LAxisLayout& a) {
            return (a.positionReference == PositionReference::Control && a.positionControlName == siblingName) ||
                   (a.sizeReference == SizeReference::Control && a.sizeControlName == siblingName);
        };
        if (refers(l.x) || refers(l.y)) child->Relayout();
    }
}

bool LControl::GetContentSize(ITextMeasurer* measurer, double wrapWidth, LSize& size) const {
    if (measurer == nullptr || m_text.empty()) return false;
    size = measurer->MeasureText(*this, m_text, wrapWidth);
    return true;
}

ORVRESULT LControl::OnParentGeometryChanged() {
    Relayout();
    return S_OK;
}

// --- Visibility, enabling, conditions ---------------------------------------------------------

bool LControl::IsVisibleInTree() const {
    return m_layout.visible && (m_parent == nullptr || m_parent->IsVisibleInTree());
}

bool LControl::IsEnabledInTree() const {
    return m_layout.enabled && (m_parent == nullptr || m_parent->IsEnabledInTree());
}

ORVRESULT LControl::SetVisible(bool visible) {
    if (m_layout.visible == visible) return S_FALSE;
    m_layout.visible = visible;
    if (m_parent != nullptr) m_parent->Redraw();
    Redraw();
    if (!visible) GiveUpFocusInSubtree();
    UpdateConditionsInSubtree();
    if (IControlHost* host = GetHost()) host->OnVisibilityChanged(this);
    return S_OK;
}

ORVRESULT LControl::SetEnabled(bool enabled) {
    if (m_layout.enabled == enabled) return S_FALSE;
    m_layout.enabled = enabled;
    if (!enabled) GiveUpFocusInSubtree();
    UpdateConditionsInSubtree();
    if (m_parent != nullptr) m_parent->RefreshDescendantHover();
    return S_OK;
}

ORVRESULT LControl::SetFocus(bool focus) {
    if (focus && (!m_focusable || !IsEnabledInTree() || !IsVisibleInTree())) return S_FALSE;
    if (m_hasFocus == focus) return S_FALSE;
    m_hasFocus = focus;
    UpdateConditions();
    RefreshDescendantHover();
    return S_OK;
}

bool LControl::TakeFocus() {
    IControlHost* host = GetHost();
    return host != nullptr && host->RequestFocus(this);
}

void LControl::GiveUpFocusInSubtree() {
    if (m_hasFocus) {
        m_hasFocus = false;
        UpdateConditions();
        if (IControlHost* host = GetHost()) host->OnFocusLost(this);
        if (m_parent != nullptr) m_parent->RefreshDescendantHover();
    }
    for (const auto& child : m_children)
        if (child) child->GiveUpFocusInSubtree();
}

std::uint32_t LControl::ComputeConditions() const {
    std::uint32_t bits = 0;
    if (m_hasFocus) bits |= Condition::HasFocus;
    if (m_hasFocus || m_containsFocus) bits |= Condition::ContainsFocus;
    if (m_pointerOver) bits |= Condition::PointerOver;
    if (m_capture) bits |= Condition::Capture;
    for (int i = 0; i < 3; ++i) {
        if (m_pressed[i]) bits |= Condition::LeftPressed << i;
        if (m_dragging[i]) bits |= Condition::LeftDragging << i;
    }
    if (IsEnabledInTree()) bits |= Condition::Enabled;
    if (IsVisibleInTree()) bits |= Condition::Visible;
    if (m_pointerOver || m_pointerOverDescendant) bits |= Condition::Hover;
    return bits;
}

void LControl::UpdateConditions() {
    if (m_batchDepth > 0) return;
    const std::uint32_t next = ComputeConditions();
    if (next == m_conditions) return;
    const std::uint32_t previous = m_conditions;
    m_conditions = next;
    // A fresh parameter per change: a handler that keeps one sees the change it was sent.
    RCPtr<LConditionsParam> param = MakeRC<LConditionsParam>(previous, next);
    std::copy(std::begin(m_extraConditionValues), std::end(m_extraConditionValues), param->m_extra);
    m_conditionsParam = param;

    const std::uint32_t changed = previous ^ next;
    if (m_hoverInterval != 0) {
        const bool overRose = (changed & Condition::PointerOver) && (next & Condition::PointerOver);
        const bool overFell = (changed & Condition::PointerOver) && !(next & Condition::PointerOver);
        const bool captureFell = (changed & Condition::Capture) && !(next & Condition::Capture);
        if (overRose && !m_capture) {
            StopHoverTimer();
            if (IControlHost* host = GetHost()) m_hoverTimer = host->StartTimer(this, m_hoverInterval);
        } else if ((overFell && !m_capture) || (captureFell && !m_pointerOver)) {
            StopHoverTimer();
        }
    }

    OnConditionsChanged(*param);
    const ConstRCPtr<LRefCountedObject> p(param);
    Send(u"NID_CONDITION_CHANGE", p);
    struct Entry {
        std::uint32_t mask;
        const char16_t* id;
    };
    static constexpr Entry kOrder[] = {
        {Condition::HasFocus, u"NID_HAS_FOCUS_CONDITION_CHANGE"},
        {Condition::ContainsFocus, u"NID_CONTAINS_FOCUS_CONDITION_CHANGE"},
        {Condition::Hover, u"NID_HOVER_CONDITION_CHANGE"},
        {Condition::Capture, u"NID_CAPTURE_CONDITION_CHANGE"},
        {Condition::LeftPressed | Condition::LeftDragging, u"NID_LEFT_DRAG_CONDITION_CHANGE"},
        {Condition::MiddlePressed | Condition::MiddleDragging, u"NID_MIDDLE_DRAG_CONDITION_CHANGE"},
        {Condition::RightPressed | Condition::RightDragging, u"NID_RIGHT_DRAG_CONDITION_CHANGE"},
        {Condition::Enabled, u"NID_ENABLED_CONDITION_CHANGE"},
        {Condition::Visible, u"NID_VISIBLITY_CONDITION_CHANGE"},
    };
    for (const Entry& e : kOrder)
        if (changed & e.mask) Send(e.id, p);
}

void LControl::UpdateConditionsInSubtree() {
    UpdateConditions();
    for (const auto& child : m_children)
        if (child) child->UpdateConditionsInSubtree();
}

void LControl::RefreshDescendantHover() {
    bool over = false;
    bool focus = false;
    for (const auto& child : m_children) {
        if (!child) continue;
        over = over || child->m_pointerOver || child->m_pointerOverDescendant;
        focus = focus || child->m_hasFocus || child->m_containsFocus;
    }
    if (over == m_pointerOverDescendant && focus == m_containsFocus) {
        if (m_parent != nullptr) m_parent->RefreshDescendantHover();
        return;
    }
    m_pointerOverDescendant = over;
    m_containsFocus = focus;
    UpdateConditions();
    if (m_parent != nullptr) m_parent->RefreshDescendantHover();
}

void LControl::StopHoverTimer() {
    if (m_hoverTimer == 0) return;
    if (IControlHost* host = GetHost()) host->StopTimer(m_hoverTimer);
    m_hoverTimer = 0;
}

void LControl::Redraw() {
    if (IControlHost* host = GetHost()) host->Invalidate(this);
}

// --- Clicks -----------------------------------------------------------------------------------

ORVRESULT LControl::Click(const LMouseButtonParam* param) {
    if (param == nullptr) return E_INVALIDARG;
    switch (param->m_button) {
    case kLeftButton:
        return LeftClick(param);
    case kMiddleButton:
        return MiddleClick(param);
    case kRightButton:
        return RightClick(param);
    default:
        return E_INVALIDARG;
    }
}

ORVRESULT LControl::LeftClick(const LMouseButtonParam* param) {
    if (param == nullptr) return E_INVALIDARG;
    OnBeforeLeftClick(param);
    Send(u"NID_LEFT_CLICK", ConstRCPtr<LRefCountedObject>(param));
    return S_OK;
}

ORVRESULT LControl::MiddleClick(const LMouseButtonParam* param) {
    if (param == nullptr) return E_INVALIDARG;
    Send(u"NID_MIDDLE_CLICK", ConstRCPtr<LRefCountedObject>(param));
    return S_OK;
}

ORVRESULT LControl::RightClick(const LMouseButtonParam* param) {
    if (param == nullptr) return E_INVALIDARG;
    Send(u"NID_RIGHT_CLICK", ConstRCPtr<LRefCountedObject>(param));
    return S_OK;
}

// --- UITarget ---------------------------------------------------------------------------------

ORVRESULT LControl::OnPointerEnter(const LPointWithModifiersParam* param) {
    if (param != nullptr) m_pointer = {param->m_x, param->m_y};
    if (m_pointerOver) return S_FALSE;
    m_pointerOver = true;
    UpdateConditions();
    if (m_parent != nullptr) m_parent->RefreshDescendantHover();
    return S_OK;
}

ORVRESULT LControl::OnPointerLeave(const LPointWithModifiersParam*) {
    if (!m_pointerOver) return S_FALSE;
    m_pointerOver = false;
    UpdateConditions();
    if (m_parent != nullptr) m_parent->RefreshDescendantHover();
    return S_OK;
}

ORVRESULT LControl::OnPointerMove(const LPointWithModifiersParam* param) {
    if (param == nullptr) return E_INVALIDARG;
    m_pointer = {param->m_x, param->m_y};
    if (m_capture) {
        const double dx = m_pointer.x - m_captureStart.x;
        const double dy = m_pointer.y - m_captureStart.y;
        if (std::hypot(dx, dy) >= kDragDistance) {
            for (int i = 0; i < 3; ++i)
                if (m_pressed[i]) m_dragging[i] = true;
            UpdateConditions();
        }
    }
    Send(u"NID_MOUSE_MOVE", ConstRCPtr<LRefCountedObject>(param));
    return S_OK;
}

ORVRESULT LControl::OnButtonDown(const LMouseButtonParam* param) {
    if (param == nullptr) return E_INVALIDARG;
    const int index = MouseButtonSlot(param->m_button);
    if (index < 0) return E_INVALIDARG;
    if (!IsVisibleInTree() || !IsEnabledInTree()) return S_FALSE;
    m_pressed[static_cast<std::size_t>(index)] = true;
    if (BeginCapture({param->m_x, param->m_y}) != S_OK) UpdateConditions();
    Send(u"NID_MOUSE_DOWN", ConstRCPtr<LRefCountedObject>(param));
    return S_OK;
}

ORVRESULT LControl::OnButtonUp(const LMouseButtonParam* param) {
    if (param == nullptr) return E_INVALIDARG;
    const int index = MouseButtonSlot(param->m_button);
    if (index < 0) return E_INVALIDARG;
    if (!m_capture && (!IsVisibleInTree() || !IsEnabledInTree())) return S_FALSE;
    const auto i = static_cast<std::size_t>(index);
    const bool completesClick = (m_pressed[i] || m_dragging[i]) && m_pointerOver && IsEnabledInTree();
    m_pressed[i] = false;
    m_dragging[i] = false;
    switch (param->m_button) {
    case kLeftButton:
        OnLeftButtonReleased(param);
        break;
    case kMiddleButton:
        OnMiddleButtonReleased(param);
        break;
    default:
        OnRightButtonReleased(param);
        break;
    }
    Send(u"NID_MOUSE_UP", ConstRCPtr<LRefCountedObject>(param));
    // The capture ends with the last button released on the control; keyboard keys held meanwhile
    // (Shift, Control, Alt) do not keep it, or the next click would go to this control.
    const bool buttonStillHeld = std::find(m_pressed.begin(), m_pressed.end(), true) != m_pressed.end() ||
                                 std::find(m_dragging.begin(), m_dragging.end(), true) != m_dragging.end();
    if (m_capture && !buttonStillHeld)
        EndCapture();
    else
        UpdateConditions();
    if (completesClick) Click(param);
    return S_OK;
}

ORVRESULT LControl::BeginCapture(const LPoint& start) {
    if (m_capture || !IsVisibleInTree() || !IsEnabledInTree()) return S_FALSE;
    if (IControlHost* host = GetHost())
        if (!host->SetCapture(this)) return S_FALSE;
    m_capture = true;
    m_captureStart = start;
    UpdateConditions();
    return S_OK;
}

ORVRESULT LControl::EndCapture() {
    if (!m_capture) return S_FALSE;
    m_capture = false;
    m_pressed = {};
    m_dragging = {};
    if (IControlHost* host = GetHost()) host->ReleaseCapture(this);
    UpdateConditions();
    return S_OK;
}

ORVRESULT LControl::OnFocusLost() {
    m_hasFocus = false;
    UpdateConditions();
    if (m_parent != nullptr) m_parent->RefreshDescendantHover();
    if (IControlHost* host = GetHost()) host->OnFocusLost(this);
    return S_OK;
}

}  // namespace Orv

namespace Orv {

bool LControl::IsDeferredCreation(const LControlDescriptor& descriptor) {
    const String* value = descriptor.GetCreateParameter(W("DEFER_CREATE"));
    if (value == nullptr) return false;
    const auto first = value->find_first_not_of(u" \t\r\n");
    if (first == String::npos) return false;
    const auto last = value->find_last_not_of(u" \t\r\n");
    return ToUpper(String(value->substr(first, last - first + 1))) == W("TRUE");
}

}  // namespace Orv
