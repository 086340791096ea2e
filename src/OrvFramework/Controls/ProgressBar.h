#pragma once
// LProgressBar: shows the progress of a long operation as a fill, a whole-number percentage and a
// worded time-remaining text. The skin gives it the children it writes to.
#include <cstdint>

#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LLabel;
class LPanel;

class LProgressBar : public LControl {
public:
    using LControl::LControl;

    void Initialize() override;
    // Stores a changed value (limited to the range) and displays it.
    ORVRESULT SetValue(double value) override;
    // Displays the stored value again at the bar's current width.
    virtual ORVRESULT ResetDisplay();
    // Resizes the fill to fraction of the bar's width and writes the percentage; stores nothing.
    virtual void DisplayValue(double fraction);
    // Writes the worded time left; negative seconds read as none left.
    void SetTimeRemaining(std::int32_t seconds);
    // Indeterminate: work goes on but its share is not known. A block of the fill slides to and
    // fro (one way in kSweepMs, on the window's clock) and the percentage and time texts are
    // hidden; switching it off puts the fill back where the skin has it and shows the percentage
    // again. A value displayed meanwhile ends it.
    void SetIndeterminate(bool indeterminate);
    bool IsIndeterminate() const { return m_indeterminate; }
    static constexpr std::int64_t kSweepMs = 1200;
    static constexpr std::uint32_t kAnimationIntervalMs = 40;
    void OnTimer(std::uint32_t timerId) override;

    LPanel* GetActiveOverlay() const { return m_activeOverlay.Get(); }
    LLabel* GetTimeRemainingLabel() const { return m_timeRemainingLabel.Get(); }
    LLabel* GetPercentCompleteLabel() const { return m_percentCompleteLabel.Get(); }

protected:
    virtual void OnValueChanged();

private:
    void PlaceSlidingBlock();
    Platform::IClock& Clock();

    bool m_indeterminate = false;
    std::uint32_t m_animationTimer = 0;
    std::int64_t m_indeterminateStartMs = 0;
    LLayoutDescriptor m_overlayLayout;  // the fill's own placement, while the block slides
    bool m_overlayWasVisible = false;
    bool m_timeWasVisible = false;

    // The children the bar writes to; a skin that lacks one leaves that part undisplayed.
    RCPtr<LPanel> m_activeOverlay;
    RCPtr<LLabel> m_timeRemainingLabel;
    RCPtr<LLabel> m_percentCompleteLabel;
    RCPtr<LLabel> m_percentSignLabel;  // "%" beside the number; optional
    String m_hourSingular = W("Hour");
    String m_hourPlural = W("Hours");
    String m_minuteSingular = W("Minute");
    String m_minutePlural = W("Minutes");
    String m_secondSingular = W("Second");
    String m_secondPlural = W("Seconds");
    String m_remaining = W("Remaining");
    // Where the duration (%s) stands in the sentence; the second form agrees with one second.
    // Empty: the duration, a blank and the remaining word.
    String m_timeRemainingFormat;
    String m_timeRemainingOneSecondFormat;
};

}  // namespace Orv
