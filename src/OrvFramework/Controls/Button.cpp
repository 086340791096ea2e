#include "OrvFramework/Controls/Button.h"

#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {

LButton::~LButton() { StopTicks(); }

void LButton::Initialize() {
    LControl::Initialize();
    const ORVRESULT r = GetNotificationHandler()->AddHandler(
        static_cast<LNotificationHandler<LControl>::Method>(&LButton::OnSimulateClick), this, u"NID_SIMULATE_CLICK", 0);
    ORV_THROW_IF_FAILED(r, "Orv::LButton::Initialize", 49);
    if (const String* v = GetCreateParameter(W("AUTO_VALUE_SET"))) m_autoValueSet = *v == W("true");
    if (const String* v = GetCreateParameter(W("IS_RADIO"))) m_isRadio = *v == W("true");
    UpdateLook();
}

ORVRESULT LButton::SetValue(double value) {
    const double before = GetValue();
    const ORVRESULT r = LControl::SetValue(value);
    if (r == S_OK && GetValue() != before) OnValueChanged();
    return r;
}

ORVRESULT LButton::SetEnabled(bool enabled) {
    const ORVRESULT r = LControl::SetEnabled(enabled);
    UpdateLook();
    return r;
}

void LButton::OnConditionsChanged(const LConditionsParam&) { UpdateLook(); }

void LButton::UpdateLook() {
    if (m_simulatedPress) return;
    const bool on = IsOn();
    if (!IsEnabledInTree()) {
        SetLookIndex(on ? DisabledOn : DisabledOff, true);
        return;
    }
    const std::uint32_t c = GetConditions();
    const bool over = (c & Condition::PointerOver) != 0;
    const bool capture = (c & Condition::Capture) != 0;
    // The left button held on the button counts whether or not the pointer has moved yet.
    const bool drag = (c & (Condition::LeftPressed | Condition::LeftDragging)) != 0;
    std::int32_t state = 0;  // normal
    if (capture && drag)
        state = over ? 2 : 1;
    else if (over && !capture)
        state = 1;
    std::int32_t index = (on ? NormalOn : NormalOff) + state;
    if (c & Condition::HasFocus) index += FocusOffset;
    SetLookIndex(index, true);
}

ORVRESULT LButton::OnBeforeLeftClick(const LMouseButtonParam*) {
    if (m_autoValueSet) SetValue(IsOn() && !m_isRadio ? 0.0 : 1.0);
    return S_OK;
}

ORVRESULT LButton::OnKeyDown(const LKeyParam* param) {
    if (param == nullptr || param->m_key != kEnterKey) return S_FALSE;
    // A button the user cannot see or use does not answer keys, whoever routed them here.
    if (!IsVisibleInTree() || !IsEnabledInTree()) return S_FALSE;
    SimulateClick();
    return S_OK;
}

ORVRESULT LButton::OnSimulateClick(LNotificationDistributor*, LNotification*) {
    if (IsEnabledInTree() && IsVisibleInTree()) SimulateClick();
    return S_OK;
}

void LButton::SimulateClick() {
    if (m_simulatedPress) ClickNow();
    m_simulatedPress = true;
    if (m_tickTimer == 0)
        if (IControlHost* host = GetHost()) m_tickTimer = host->StartTimer(this, kTickIntervalMs);
    m_simulatedPressStart = NowSeconds();
    SetLookIndex(IsOn() ? PressedOn : PressedOff, true);
    // Without a window there are no ticks to end the press: click at once rather than never.
    if (m_tickTimer == 0) {
        m_simulatedPress = false;
        m_simulatedPressStart = 0.0;
        UpdateLook();
        ClickNow();
    }
}

void LButton::OnTimer(std::uint32_t timerId) {
    if (timerId != 0 && timerId == m_tickTimer)
        OnTick();
    else
        LControl::OnTimer(timerId);
}

void LButton::OnTick() {
    if (!m_simulatedPress || NowSeconds() - m_simulatedPressStart < m_simulatedPressLength) return;
    m_simulatedPress = false;
    StopTicks();
    m_simulatedPressStart = 0.0;
    UpdateLook();
    // Hidden or disabled while the press showed (the page changed): the click is void.
    if (IsVisibleInTree() && IsEnabledInTree()) ClickNow();
}

void LButton::ClickNow() {
    const ConstRCPtr<LMouseButtonParam> param = MakeRC<LMouseButtonParam>(0.0, 0.0, 0u, kLeftButton);
    LeftClick(param.Get());
}

void LButton::StopTicks() {
    if (m_tickTimer == 0) return;
    if (IControlHost* host = GetHost()) host->StopTimer(m_tickTimer);
    m_tickTimer = 0;
}

double LButton::NowSeconds() const {
    const Platform::IClock* clock = m_clock;
    if (!m_clockSet)
        if (IControlHost* host = const_cast<LButton*>(this)->GetHost())
            if (Platform::IClock* windowClock = host->GetClock()) clock = windowClock;
    return std::chrono::duration<double>(clock->Now()).count();
}

}  // namespace Orv
