#include "OrvFramework/Controls/ProgressBar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/Panel.h"

namespace Orv {

namespace {

template <class T>
RCPtr<T> FindChildAs(const LControl& parent, const char* name) {
    return RCPtr<T>(dynamic_cast<T*>(parent.FindChild(W(name)).Get()));
}

String Number(std::int64_t n) { return Utf8ToUtf16(std::to_string(n)); }

// The sentence of a format whose first "%s" stands for the duration. Only that marker is
// replaced (the table is data, never a printf format); a format without one is not used.
bool FillFormat(const String& format, const String& duration, String& out) {
    const std::u16string_view view(format);
    const std::size_t at = view.find(u"%s");
    if (at == std::u16string_view::npos) return false;
    out = String(view.substr(0, at));
    out += duration;
    out += view.substr(at + 2);
    return true;
}

}  // namespace

void LProgressBar::Initialize() {
    LControl::Initialize();
    m_activeOverlay = FindChildAs<LPanel>(*this, "activeOverlay");
    m_timeRemainingLabel = FindChildAs<LLabel>(*this, "timeRemainingLabel");
    m_percentCompleteLabel = FindChildAs<LLabel>(*this, "percentCompleteLabel");
    m_percentSignLabel = FindChildAs<LLabel>(*this, "labelPercentComplete");

    // The words of the current language; the English ones stay when a table lacks one.
    ConstRCPtr<LStringTable> table = GetFactory() ? GetFactory()->GetFrameworkStringTable() : nullptr;
    if (table) {
        table->GetString(W("HOURS_SINGULAR"), m_hourSingular);
        table->GetString(W("HOURS_PLURAL"), m_hourPlural);
        table->GetString(W("MINUTES_SINGULAR"), m_minuteSingular);
        table->GetString(W("MINUTES_PLURAL"), m_minutePlural);
        table->GetString(W("SECONDS_SINGULAR"), m_secondSingular);
        table->GetString(W("SECONDS_PLURAL"), m_secondPlural);
        table->GetString(W("REMAINING"), m_remaining);
        table->GetString(W("TIME_REMAINING"), m_timeRemainingFormat);
        if (!table->GetString(W("TIME_REMAINING_ONE_SECOND"), m_timeRemainingOneSecondFormat))
            m_timeRemainingOneSecondFormat = m_timeRemainingFormat;
    }
    // Only a value that was not already 0 is shown; otherwise the skin's fill and texts stay.
    SetValue(0.0);
}

ORVRESULT LProgressBar::SetValue(double value) {
    const double before = GetValue();
    const ORVRESULT r = LControl::SetValue(value);
    if (r == S_OK && GetValue() != before) OnValueChanged();
    return r;
}

void LProgressBar::OnValueChanged() { DisplayValue(GetValue()); }

ORVRESULT LProgressBar::ResetDisplay() {
    Redraw();
    Relayout();
    OnValueChanged();
    return S_OK;
}

void LProgressBar::DisplayValue(double fraction) {
    if (m_indeterminate) SetIndeterminate(false);
    // A fraction that is not a number shows as nothing done rather than an undefined width.
    if (std::isnan(fraction)) fraction = 0.0;
    const double product = GetRect().width * fraction;
    double w = product >= 0.0 ? std::trunc(product + 0.5) : std::trunc(product - 0.5);
    w = std::min(w, static_cast<double>(std::numeric_limits<std::int32_t>::max()));

    if (m_activeOverlay) {
        if (w >= 1.0) {
            LLayoutDescriptor layout = m_activeOverlay->GetLayout();
            layout.x.sizeReference = SizeReference::Self;
            layout.x.sizeRelative = 0.0f;
            layout.x.sizeAbsolute = w;
            m_activeOverlay->SetLayout(layout);
            m_activeOverlay->SetVisible(true);
        } else {
            m_activeOverlay->SetVisible(false);
        }
    }
    if (m_percentCompleteLabel) {
        char text[64];
        std::snprintf(text, sizeof text, "%.0f", fraction * 100.0);
        m_percentCompleteLabel->SetText(Utf8ToUtf16(text));
    }
}

void LProgressBar::SetTimeRemaining(std::int32_t seconds) {
    if (m_indeterminate) SetIndeterminate(false);
    if (!m_timeRemainingLabel) return;
    m_timeRemainingLabel->SetVisible(true);
    const std::int32_t s = seconds > 0 ? seconds : 0;
    const std::int32_t hours = s / 3600;
    const std::int32_t minutes = (s % 3600) / 60;
    const std::int32_t secs = s % 60;

    String text;
    if (hours > 0) text += Number(hours) + W(" ") + (hours == 1 ? m_hourSingular : m_hourPlural) + W(" ");
    if (hours > 0 || minutes > 0)
        text += Number(minutes) + W(" ") + (minutes == 1 ? m_minuteSingular : m_minutePlural) + W(" ");
    text += Number(secs) + W(" ") + (secs == 1 ? m_secondSingular : m_secondPlural);
    String sentence;
    if (!FillFormat(secs == 1 ? m_timeRemainingOneSecondFormat : m_timeRemainingFormat, text, sentence))
        sentence = text + W(" ") + m_remaining;
    m_timeRemainingLabel->SetText(sentence);
}

Platform::IClock& LProgressBar::Clock() {
    IControlHost* host = GetHost();
    Platform::IClock* clock = host ? host->GetClock() : nullptr;
    return clock ? *clock : Platform::GetRealClock();
}

void LProgressBar::SetIndeterminate(bool indeterminate) {
    if (indeterminate == m_indeterminate) return;
    m_indeterminate = indeterminate;
    LLabel* const numbers[] = {m_percentCompleteLabel.Get(), m_percentSignLabel.Get()};
    if (indeterminate) {
        if (m_activeOverlay) {
            m_overlayLayout = m_activeOverlay->GetLayout();
            m_overlayWasVisible = m_activeOverlay->IsVisibleFlag();
        }
        m_timeWasVisible = m_timeRemainingLabel && m_timeRemainingLabel->IsVisibleFlag();
        if (m_timeRemainingLabel) m_timeRemainingLabel->SetVisible(false);
        for (LLabel* label : numbers)
            if (label) label->SetVisible(false);
        m_indeterminateStartMs = Clock().NowMs();
        if (IControlHost* host = GetHost()) m_animationTimer = host->StartTimer(this, kAnimationIntervalMs);
        PlaceSlidingBlock();
        return;
    }
    if (m_animationTimer != 0) {
        if (IControlHost* host = GetHost()) host->StopTimer(m_animationTimer);
        m_animationTimer = 0;
    }
    if (m_activeOverlay) {
        m_activeOverlay->SetLayout(m_overlayLayout);
        m_activeOverlay->SetVisible(m_overlayWasVisible);
    }
    if (m_timeRemainingLabel) m_timeRemainingLabel->SetVisible(m_timeWasVisible);
    for (LLabel* label : numbers)
        if (label) label->SetVisible(true);
}

void LProgressBar::OnTimer(std::uint32_t timerId) {
    if (timerId != 0 && timerId == m_animationTimer)
        PlaceSlidingBlock();
    else
        LControl::OnTimer(timerId);
}

void LProgressBar::PlaceSlidingBlock() {
    if (!m_indeterminate || !m_activeOverlay) return;
    // A fifth of the track, moving to the far end and back: a triangle wave over two sweeps.
    const double left = m_overlayLayout.x.positionAbsolute;
    const double track = std::max(0.0, GetRect().width - 2.0 * left);
    const double block = std::round(track / 5.0);
    const std::int64_t elapsed = std::max<std::int64_t>(0, Clock().NowMs() - m_indeterminateStartMs);
    const double phase = static_cast<double>(elapsed % (2 * kSweepMs)) / static_cast<double>(kSweepMs);
    const double along = phase <= 1.0 ? phase : 2.0 - phase;
    LLayoutDescriptor layout = m_overlayLayout;
    layout.x.positionReference = PositionReference::Client;
    layout.x.positionRelative = 0.0f;
    layout.x.placementAnchor = 0.0f;
    layout.x.positionAbsolute = left + std::round((track - block) * along);
    layout.x.sizeReference = SizeReference::Self;
    layout.x.sizeRelative = 0.0f;
    layout.x.sizeAbsolute = block;
    m_activeOverlay->SetLayout(layout);
    m_activeOverlay->SetVisible(block >= 1.0);
}

}  // namespace Orv
