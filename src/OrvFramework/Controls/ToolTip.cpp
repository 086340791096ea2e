#include "OrvFramework/Controls/ToolTip.h"

namespace Orv {

LToolTip::~LToolTip() { StopTicks(); }

void LToolTip::Show(const LPoint& pointer, const String& text) {
    LLayoutDescriptor layout = GetLayout();
    layout.x.positionAbsolute = pointer.x + kPointerOffsetX;
    layout.y.positionAbsolute = pointer.y + kPointerOffsetY;
    SetLayout(layout);
    m_pendingText = text;
    const std::int64_t now = m_clock->NowMs();
    m_stateChangeMs = now;
    if (now - s_lastHideMs < kShortcutMs) {
        EnterShown();
    } else {
        m_state = Waiting;
    }
    if (m_tickTimer == 0)
        if (IControlHost* host = GetHost()) m_tickTimer = host->StartTimer(this, kTickIntervalMs);
}

void LToolTip::EnterShown() {
    m_state = Shown;
    m_stateChangeMs = m_clock->NowMs();
    SetText(m_pendingText);
    Relayout();
    SetVisible(true);
}

void LToolTip::Hide() {
    if (m_state != Idle) {
        m_state = Idle;
        m_stateChangeMs = m_clock->NowMs();
        StopTicks();
    }
    if (IsVisibleFlag() && GetRect().width > 0 && GetRect().height > 0) s_lastHideMs = m_clock->NowMs();
    SetVisible(false);
}

ORVRESULT LToolTip::ResetDisplay() {
    SetVisible(false);
    return S_OK;
}

void LToolTip::OnTimer(std::uint32_t timerId) {
    if (timerId != 0 && timerId == m_tickTimer)
        OnTick();
    else
        LControl::OnTimer(timerId);
}

void LToolTip::OnTick() {
    const std::int64_t elapsed = m_clock->NowMs() - m_stateChangeMs;
    if (m_state == Waiting && elapsed > kShowDelayMs)
        EnterShown();
    else if (m_state == Shown && elapsed > kHideAfterMs)
        Hide();
}

void LToolTip::StopTicks() {
    if (m_tickTimer == 0) return;
    if (IControlHost* host = GetHost()) host->StopTimer(m_tickTimer);
    m_tickTimer = 0;
}

}  // namespace Orv
