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

    LPanel* GetActiveOverlay() const { return m_activeOverlay.Get(); }
    LLabel* GetTimeRemainingLabel() const { return m_timeRemainingLabel.Get(); }
    LLabel* GetPercentCompleteLabel() const { return m_percentCompleteLabel.Get(); }

protected:
    virtual void OnValueChanged();

private:
    // The children the bar writes to; a skin that lacks one leaves that part undisplayed.
    RCPtr<LPanel> m_activeOverlay;
    RCPtr<LLabel> m_timeRemainingLabel;
    RCPtr<LLabel> m_percentCompleteLabel;
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
