// Tooltip timing on the virtual clock, a label's cut-off text as its tooltip, panels passing keys up.
#include <gtest/gtest.h>

#include <chrono>

#include "../ControlBase/ControlTestSupport.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Controls/ToolTip.h"

namespace Orv {
namespace {

using namespace std::chrono_literals;

class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        LToolTip::ResetLastHideTime();
        tip = MakeRC<LToolTip>(nullptr, W("toolTip"));
        LLayoutDescriptor layout;
        layout.x.sizeAbsolute = 100;
        layout.y.sizeAbsolute = 20;
        layout.visible = false;
        tip->SetLayout(layout);
        tip->SetHostWindow(&host);
        tip->SetClock(&clock);
    }
    void TickAfter(std::chrono::milliseconds ms) {
        clock.Advance(ms);
        for (std::uint32_t id : std::vector<std::uint32_t>(host.running)) tip->OnTimer(id);
    }

    ControlTest::TestHost host;
    Platform::VirtualClock clock;
    RCPtr<LToolTip> tip;
};

TEST_F(ToolTipTest, WaitsHalfASecondThenHidesAfterFive) {
    tip->Show({40, 60}, W("Exit the updater"));
    EXPECT_EQ(tip->GetState(), LToolTip::Waiting);
    EXPECT_FALSE(tip->IsVisibleFlag());
    ASSERT_EQ(host.running.size(), 1u);
    TickAfter(500ms);
    EXPECT_EQ(tip->GetState(), LToolTip::Waiting);  // only after more than 500 ms
    TickAfter(33ms);
    EXPECT_EQ(tip->GetState(), LToolTip::Shown);
    EXPECT_TRUE(tip->IsVisibleFlag());
    EXPECT_EQ(tip->GetText(), W("Exit the updater"));
    EXPECT_EQ(tip->GetRect().x, 40 + LToolTip::kPointerOffsetX);
    EXPECT_EQ(tip->GetRect().y, 60 + LToolTip::kPointerOffsetY);
    TickAfter(5000ms);
    EXPECT_EQ(tip->GetState(), LToolTip::Shown);
    TickAfter(33ms);
    EXPECT_EQ(tip->GetState(), LToolTip::Idle);
    EXPECT_FALSE(tip->IsVisibleFlag());
    EXPECT_TRUE(host.running.empty());
}

TEST_F(ToolTipTest, ShownAtOnceWithin50MsOfTheLastHide) {
    tip->Show({0, 0}, W("first"));
    TickAfter(600ms);
    ASSERT_EQ(tip->GetState(), LToolTip::Shown);
    tip->Hide();
    clock.Advance(40ms);
    tip->Show({10, 10}, W("second"));
    EXPECT_EQ(tip->GetState(), LToolTip::Shown);
    EXPECT_EQ(tip->GetText(), W("second"));

    tip->Hide();
    clock.Advance(60ms);
    tip->Show({10, 10}, W("third"));
    EXPECT_EQ(tip->GetState(), LToolTip::Waiting);
    // Hiding a tooltip that was never shown does not arm the shortcut.
    tip->Hide();
    EXPECT_TRUE(host.running.empty());
    clock.Advance(10ms);
    tip->Show({0, 0}, W("next"));
    EXPECT_EQ(tip->GetState(), LToolTip::Waiting);
}

// Lines as wide as 7 pixels a character.
class FixedMeasurer : public ITextMeasurer {
public:
    LSize MeasureText(const LControl&, const String& text, double) override {
        return {7.0 * static_cast<double>(text.size()), 12.0};
    }
};

TEST(LabelToolTip, CutOffTextIsItsOwnTooltip) {
    ControlTest::TestHost host;
    FixedMeasurer measurer;
    host.measurer = &measurer;
    auto label = MakeRC<LLabel>(nullptr, W("label"));
    LLayoutDescriptor layout;
    layout.x.sizeAbsolute = 70;
    label->SetLayout(layout);
    label->SetHostWindow(&host);
    label->SetText(W("0123456789"));  // 70 pixels: fits
    EXPECT_EQ(label->GetToolTipText(), W(""));
    label->SetText(W("0123456789A"));
    EXPECT_EQ(label->GetToolTipText(), W("0123456789A"));
    host.measurer = nullptr;  // nothing to measure with: the control's own tooltip
    EXPECT_EQ(label->GetToolTipText(), W(""));
}

class KeyRecorder : public LControl {
public:
    using LControl::LControl;
    ORVRESULT OnKeyDown(const LKeyParam* param) override {
        keys.push_back(param->m_key);
        return S_OK;
    }
    std::vector<std::uint32_t> keys;
};

TEST(PanelKeys, UnusedKeysGoToTheParent) {
    auto top = MakeRC<KeyRecorder>(nullptr, W("top"));
    auto panel = MakeRC<LPanel>(top.Get(), W("panel"));
    ASSERT_EQ(top->AddChild(RCPtr<LControl>(panel.Get())), S_OK);
    auto key = MakeRC<LKeyParam>(0x20410000u);
    EXPECT_EQ(panel->OnKeyDown(key.Get()), S_OK);
    EXPECT_EQ(top->keys, std::vector<std::uint32_t>{0x20410000u});
    auto alone = MakeRC<LPanel>(nullptr, W("alone"));
    EXPECT_EQ(alone->OnKeyDown(key.Get()), S_FALSE);
}

}  // namespace
}  // namespace Orv
