#pragma once
// LButton: a push, toggle or radio button that shows one of fourteen looks for its state and sends
// "NID_LEFT_CLICK". Enter and "NID_SIMULATE_CLICK" press it for a moment without the pointer.
#include <cstdint>

#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/Platform/Clock.h"

namespace Orv {

class LButton : public LControl {
public:
    // The look indices of the button's look list.
    enum Look : std::int32_t {
        NormalOff = 0,
        HoverOff = 1,
        PressedOff = 2,
        FocusOffset = 3,
        DisabledOff = 6,
        NormalOn = 7,
        HoverOn = 8,
        PressedOn = 9,
        DisabledOn = 13,
    };
    static constexpr std::uint32_t kEnterKey = 0x200D0000;
    static constexpr std::uint32_t kTickIntervalMs = 33;

    using LControl::LControl;
    ~LButton() override;

    void Initialize() override;
    ORVRESULT SetValue(double value) override;
    ORVRESULT SetEnabled(bool enabled) override;
    ORVRESULT OnKeyDown(const LKeyParam* param) override;
    void OnTimer(std::uint32_t timerId) override;

    bool IsOn() const { return GetValue() >= 0.5; }
    bool IsAutoValueSet() const { return m_autoValueSet; }
    bool IsRadio() const { return m_isRadio; }
    bool IsSimulatedPressShowing() const { return m_simulatedPress; }
    // Shows the pressed look for a moment, then clicks; a press already showing clicks at once.
    void SimulateClick();
    // The running clock of the simulated press (the window's clock, or the real clock, unless set).
    void SetClock(Platform::IClock* clock) {
        m_clock = clock ? clock : &Platform::GetRealClock();
        m_clockSet = clock != nullptr;
    }

protected:
    virtual void OnValueChanged() { UpdateLook(); }
    void OnConditionsChanged(const LConditionsParam& param) override;
    ORVRESULT OnBeforeLeftClick(const LMouseButtonParam* param) override;
    // One tick of the root window's timer while a simulated press is showing.
    virtual void OnTick();

private:
    void UpdateLook();
    ORVRESULT OnSimulateClick(LNotificationDistributor* sender, LNotification* notification);
    void ClickNow();
    void StopTicks();
    double NowSeconds() const;

    bool m_autoValueSet = false;
    bool m_isRadio = false;
    double m_simulatedPressLength = 0.15;
    double m_simulatedPressStart = 0.0;
    bool m_simulatedPress = false;
    std::uint32_t m_tickTimer = 0;
    Platform::IClock* m_clock = &Platform::GetRealClock();
    bool m_clockSet = false;
};

}  // namespace Orv
