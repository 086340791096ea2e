// Buttons: the look for each state, simulated clicks on the virtual clock.
#include <gtest/gtest.h>

#include <chrono>

#include "../ControlBase/ControlTestSupport.h"
#include "OrvFramework/Controls/Button.h"

namespace Orv {
namespace {

using namespace std::chrono_literals;

class ButtonTest : public ::testing::Test {
protected:
    RCPtr<LButton> Make(std::initializer_list<std::pair<const char*, const char*>> params = {}) {
        auto button = MakeRC<LButton>(nullptr, W("button"));
        auto descriptor = MakeRC<LControlDescriptor>(W("Framework.Button"), W("button"), nullptr);
        descriptor->layout->x.sizeAbsolute = 80;
        descriptor->layout->y.sizeAbsolute = 15;
        CreateParameters cp;
        for (const auto& [k, v] : params) cp[W(k)] = W(v);
        if (params.size() != 0) descriptor->createParameters = cp;
        button->SetHostWindow(&host);
        button->ApplyDescriptor(ConstRCPtr<LControlDescriptor>(descriptor));
        button->Initialize();
        button->SetClock(&clock);
        listener->Listen(button.Get(), {u"NID_LEFT_CLICK"});
        return button;
    }
    void Tick(LButton& b) {
        for (std::uint32_t id : std::vector<std::uint32_t>(host.running)) b.OnTimer(id);
    }
    // Parameters are reference counted: the notifications they travel with keep them.
    static RCPtr<LMouseButtonParam> Left(double x, double y) {
        return MakeRC<LMouseButtonParam>(x, y, 0u, kLeftButton);
    }
    static RCPtr<LPointWithModifiersParam> Point(double x, double y) {
        return MakeRC<LPointWithModifiersParam>(x, y, 0u);
    }

    ControlTest::TestHost host;
    RCPtr<ControlTest::Listener> listener = MakeRC<ControlTest::Listener>();
    Platform::VirtualClock clock;
};

TEST_F(ButtonTest, LooksFollowHoverCaptureDragAndFocus) {
    auto b = Make();
    EXPECT_EQ(b->GetLookIndex(), 0);
    ASSERT_EQ(b->SetFocus(true), S_OK);
    EXPECT_EQ(b->GetLookIndex(), 3);
    auto at = Point(5, 5);
    b->OnPointerEnter(at.Get());
    EXPECT_EQ(b->GetLookIndex(), 4);
    auto down = Left(5, 5);
    b->OnButtonDown(down.Get());
    EXPECT_EQ(b->GetLookIndex(), 5);  // pressed before the pointer moves
    auto moved = Point(15, 5);
    b->OnPointerMove(moved.Get());
    EXPECT_EQ(b->GetLookIndex(), 5);
    b->OnPointerLeave(moved.Get());
    EXPECT_EQ(b->GetLookIndex(), 4);  // dragged off while captured
    b->OnPointerEnter(at.Get());
    EXPECT_EQ(b->GetLookIndex(), 5);
    b->SetFocus(false);
    EXPECT_EQ(b->GetLookIndex(), 2);
    auto up = Left(5, 5);
    b->OnButtonUp(up.Get());
    EXPECT_EQ(b->GetLookIndex(), 1);
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_LEFT_CLICK"});
}

TEST_F(ButtonTest, DisabledShowsSixWhateverElse) {
    auto b = Make();
    auto at = Point(5, 5);
    b->SetFocus(true);
    b->OnPointerEnter(at.Get());
    b->SetEnabled(false);
    EXPECT_EQ(b->GetLookIndex(), 6);
    b->SetEnabled(true);
    EXPECT_EQ(b->GetLookIndex(), 1);  // hovered; the focus went when it was disabled
}

// A simulated click (the Enter key, or the program) shows the press for 150 ms, then clicks; a second one
// finishes the first at once.
TEST_F(ButtonTest, SimulatedClickShowsThePressForAMomentThenClicks) {
    auto b = Make();
    auto other = MakeRC<LKeyParam>(0x20410000u);
    EXPECT_EQ(b->OnKeyDown(other.Get()), S_FALSE);
    EXPECT_FALSE(b->IsSimulatedPressShowing());
    auto enter = MakeRC<LKeyParam>(LButton::kEnterKey);
    EXPECT_EQ(b->OnKeyDown(enter.Get()), S_OK);
    EXPECT_TRUE(b->IsSimulatedPressShowing());
    EXPECT_EQ(b->GetLookIndex(), 2);
    ASSERT_EQ(host.running.size(), 1u);
    EXPECT_EQ(host.intervals.back(), LButton::kTickIntervalMs);
    clock.Advance(100ms);
    Tick(*b);
    EXPECT_TRUE(listener->ids.empty());
    clock.Advance(50ms);
    Tick(*b);
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_LEFT_CLICK"});
    EXPECT_FALSE(b->IsSimulatedPressShowing());
    EXPECT_TRUE(host.running.empty());
    EXPECT_EQ(b->GetLookIndex(), 0);

    b->SimulateClick();
    b->SimulateClick();
    EXPECT_EQ(listener->ids.size(), 2u);
    clock.Advance(200ms);
    Tick(*b);
    EXPECT_EQ(listener->ids.size(), 3u);
    EXPECT_TRUE(host.running.empty());
}

}  // namespace
}  // namespace Orv
