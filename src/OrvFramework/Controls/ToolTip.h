#pragma once
// LToolTip: the hint window of a root window. It appears after a short delay by the pointer, at once
// when another tooltip was hidden a moment ago, and hides itself after a while.
#include <cstdint>

#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/ControlBase/ToolTipDisplay.h"
#include "OrvFramework/Platform/Clock.h"

namespace Orv {

class LToolTip : public LControl, public IToolTipDisplay {
public:
    enum State : std::int32_t { Idle = 0, Waiting = 1, Shown = 2 };
    static constexpr std::int64_t kShowDelayMs = 500;
    static constexpr std::int64_t kHideAfterMs = 5000;
    static constexpr std::int64_t kShortcutMs = 50;
    static constexpr std::uint32_t kTickIntervalMs = 33;
    // Where the tooltip sits relative to the pointer: below and right of the cursor's tip.
    static constexpr double kPointerOffsetX = 2.0;
    static constexpr double kPointerOffsetY = 20.0;

    using LControl::LControl;
    ~LToolTip() override;

    // Places the tooltip by pointer (parent coordinates) with text and starts the show delay.
    void Show(const LPoint& pointer, const String& text) override;
    void Hide() override;
    ORVRESULT ResetDisplay();
    void OnTimer(std::uint32_t timerId) override;

    State GetState() const { return m_state; }
    void SetClock(Platform::IClock* clock) { m_clock = clock ? clock : &Platform::GetRealClock(); }
    // When a visible tooltip was last hidden (process-wide); for tests that start from a known state.
    static void ResetLastHideTime() { s_lastHideMs = kNeverHidden; }

protected:
    virtual void OnTick();

private:
    static constexpr std::int64_t kNeverHidden = INT64_MIN / 2;
    void EnterShown();
    void StopTicks();

    State m_state = Idle;
    std::int64_t m_stateChangeMs = 0;
    String m_pendingText;
    std::uint32_t m_tickTimer = 0;
    Platform::IClock* m_clock = &Platform::GetRealClock();
    static inline std::int64_t s_lastHideMs = kNeverHidden;
};

}  // namespace Orv
