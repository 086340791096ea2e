#include "OrvFramework/Controls/ProgressBar.h"

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

}  // namespace Orv
