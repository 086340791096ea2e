#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "ControlTestSupport.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/ControlBase/OSWindow.h"
#include "OrvFramework/ControlBase/RootWindow.h"
#include "OrvFramework/Controls/Button.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {
namespace {

using namespace std::chrono_literals;
using ControlTest::Listener;

// The shipped skin with the framework's classes.
RCPtr<LControlFactory> MakeSkinFactory() {
    auto factory = MakeRC<LControlFactory>(W("Test"));
    EXPECT_EQ(factory->LoadDefinitions(W("::"), 0x0409), S_OK);
    EXPECT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
    // The updater's own main control belongs to the application; a plain control stands in.
    factory->RegisterControlClass(W("FirmwareUpdater.MainControl"), &CreateControlOf<LControl>);
    return factory;
}

// Windows without a display: SDL's dummy driver (the Win32 host needs no setting).
void UseHeadlessVideo() {
#ifndef _WIN32
    setenv("SDL_VIDEODRIVER", "dummy", 1);
#endif
}

LPoint Centre(const LControl& control) {
    const LPoint o = LRootWindow::GetWindowOrigin(control);
    return {o.x + std::floor(control.GetRect().width / 2), o.y + std::floor(control.GetRect().height / 2)};
}

// An offscreen target the size of the window, 0xAARRGGBB.
struct Surface {
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(432 * 295, 0u);
    std::uint32_t Pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * 432 + x]; }
    const std::vector<std::uint32_t>& Pixels() const { return pixels; }
    Platform::PaintTarget Target() {
        return {reinterpret_cast<unsigned char*>(pixels.data()), 432, 295, 432 * 4, false};
    }
};

class RootWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        factory = MakeSkinFactory();
        root.SetSize(432, 295);
        main = root.CreateContent(*factory, W("mainControl"));
        ASSERT_TRUE(main);
        exitButton = dynamic_cast<LButton*>(main->FindChild(W("buttonExit")).Get());
        nextButton = dynamic_cast<LButton*>(main->FindChild(W("buttonNext")).Get());
        ASSERT_NE(exitButton, nullptr);
        ASSERT_NE(nextButton, nullptr);
        exitButton->SetClock(&clock);
        nextButton->SetClock(&clock);
    }
    void TearDown() override { root.SetContent(nullptr); }

    Platform::VirtualClock clock;
    RCPtr<LRenderer> drawing = LRenderer::CreateForPlatform(clock);
    LRenderer& renderer = *drawing;
    LRootWindow root{&renderer, clock};
    RCPtr<LControlFactory> factory;
    RCPtr<LControl> main;
    LButton* exitButton = nullptr;
    LButton* nextButton = nullptr;
};

// Only the update region is painted. The host ticks only while the root window has work: it hears
// of every timer and invalidation, and once painted with no timer left there is nothing to tick for.
TEST_F(RootWindowTest, PaintsOnlyTheUpdateRegionAndAnnouncesWork) {
    Surface target;
    ASSERT_TRUE(root.NeedsPaint());
    root.PaintInvalid(renderer, target.Target());
    EXPECT_FALSE(root.HasPendingWork());
    // The background look covers the window: opaque and not the black of uncovered areas.
    EXPECT_EQ(target.Pixel(20, 20) >> 24, 0xFFu);
    EXPECT_NE(target.Pixel(20, 20), 0xFF000000u);
    const LPoint c = Centre(*exitButton);
    const std::uint32_t buttonPixel = target.Pixel(static_cast<int>(c.x), static_cast<int>(c.y));
    // Scribble over everything, then repaint only the Exit button.
    std::fill(target.pixels.begin(), target.pixels.end(), 0xFFFF00FFu);
    int calls = 0;
    root.SetWorkHandler([&] { ++calls; });
    root.Invalidate(exitButton);
    root.InvalidateRect({500, 500, 5, 5});  // outside the window: no work
    EXPECT_EQ(calls, 1);
    root.PaintInvalid(renderer, target.Target());
    EXPECT_FALSE(root.HasPendingWork());
    EXPECT_EQ(target.Pixel(static_cast<int>(c.x), static_cast<int>(c.y)), buttonPixel);
    EXPECT_EQ(target.Pixel(20, 20), 0xFFFF00FFu);
    const std::uint32_t timer = root.StartTimer(exitButton, 100);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(root.HasPendingWork());
    root.StopTimer(timer);
    EXPECT_FALSE(root.HasPendingWork());
    root.SetWorkHandler(nullptr);
}

// The skin orders Next before Exit; Shift+Tab goes back, wrapping around. (Enter on the focused
// Next is the end-to-end keyboard run.)
TEST_F(RootWindowTest, TabMovesFocusBetweenButtons) {
    EXPECT_TRUE(root.OnKeyDown(kFrameworkKeyTab, 0));
    EXPECT_EQ(root.GetFocusedControl(), nextButton);
    root.OnKeyDown(kFrameworkKeyTab, kModifierFlagShift);
    EXPECT_EQ(root.GetFocusedControl(), exitButton);
    EXPECT_FALSE(nextButton->GetConditions() & Condition::HasFocus);
    root.OnKeyDown(kFrameworkKeyTab, kModifierFlagShift);
    EXPECT_EQ(root.GetFocusedControl(), nextButton);
}

// A hidden or disabled button gives up the focus and answers no key, even when a key is handed to
// it directly; a simulated press under way when it is hidden clicks nothing.
TEST_F(RootWindowTest, KeysNeverReachAHiddenOrDisabledButton) {
    auto nextListener = MakeRC<Listener>();
    nextListener->Listen(nextButton, {u"NID_LEFT_CLICK"});
    const RCPtr<LKeyParam> enter = MakeRC<LKeyParam>(LButton::kEnterKey, 0u);
    const std::pair<const char*, std::function<void(bool)>> cases[] = {
        {"hidden", [&](bool on) { nextButton->SetVisible(on); }},
        {"disabled", [&](bool on) { nextButton->SetEnabled(on); }},
        {"parent disabled", [&](bool on) { main->SetEnabled(on); }},
    };
    for (const auto& [what, take] : cases) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(root.SetFocusedControl(nextButton));
        take(false);
        EXPECT_EQ(root.GetFocusedControl(), nullptr);
        EXPECT_FALSE(main->GetConditions() & Condition::ContainsFocus);
        EXPECT_FALSE(root.OnKeyDown(LButton::kEnterKey, 0));
        EXPECT_EQ(nextButton->OnKeyDown(enter.Get()), S_FALSE);
        EXPECT_FALSE(root.SetFocusedControl(nextButton));
        take(true);
    }
    // Enter accepted, then the page changes within the press: no click.
    ASSERT_TRUE(root.SetFocusedControl(nextButton));
    EXPECT_TRUE(root.OnKeyDown(LButton::kEnterKey, 0));
    nextButton->SetVisible(false);
    clock.Advance(1s);
    root.ProcessTimers();
    EXPECT_TRUE(nextListener->ids.empty());
    EXPECT_EQ(root.GetTimerCount(), 0u);
}

// Hover follows the pointer, and controls shown or hidden under a pointer that stays still: the
// first click on a button that appeared under the pointer is a click.
TEST_F(RootWindowTest, HoverFollowsThePointerAndControlsShownUnderIt) {
    auto listener = MakeRC<Listener>();
    listener->Listen(exitButton, {u"NID_LEFT_CLICK"});
    const LPoint c = Centre(*exitButton);
    root.OnPointerMove(c, 0);
    EXPECT_EQ(exitButton->GetLookIndex(), LButton::HoverOff);
    root.OnPointerMove({20, 20}, 0);
    EXPECT_EQ(exitButton->GetLookIndex(), LButton::NormalOff);
    exitButton->SetVisible(false);
    root.OnPointerMove(c, 0);
    exitButton->SetVisible(true);
    EXPECT_EQ(root.GetHoverControl(), exitButton);
    EXPECT_EQ(exitButton->GetLookIndex(), LButton::HoverOff);
    root.OnButtonDown(kLeftButton, c, 0);
    root.OnButtonUp(kLeftButton, c, 0);
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_LEFT_CLICK"});
    exitButton->SetVisible(false);
    EXPECT_NE(root.GetHoverControl(), exitButton);
    EXPECT_FALSE(exitButton->GetConditions() & Condition::PointerOver);
    // The pointer outside the window: nothing becomes hovered.
    exitButton->SetVisible(true);
    root.OnPointerLeaveWindow();
    exitButton->SetVisible(false);
    exitButton->SetVisible(true);
    EXPECT_EQ(root.GetHoverControl(), nullptr);
}

// A press and release on a button clicks it and gives it the focus; made with Shift, Control or Alt
// held it ends its capture all the same, so the next click, on another button, is not swallowed. A
// release outside the window reaches the pressed button without clicking it.
TEST_F(RootWindowTest, PressAndReleaseClicksEvenWithKeysHeld) {
    auto exitListener = MakeRC<Listener>();
    auto nextListener = MakeRC<Listener>();
    exitListener->Listen(exitButton, {u"NID_LEFT_CLICK", u"NID_MOUSE_UP"});
    nextListener->Listen(nextButton, {u"NID_LEFT_CLICK"});
    const std::vector<std::string> clicked{"NID_MOUSE_UP", "NID_LEFT_CLICK"}, click{"NID_LEFT_CLICK"};
    for (std::uint32_t keys : {0u, 1u, 8u, 64u}) {
        SCOPED_TRACE(keys);
        exitListener->ids.clear();
        nextListener->ids.clear();
        root.OnButtonDown(kLeftButton, Centre(*exitButton), keys);
        EXPECT_EQ(root.GetCaptureControl(), exitButton);
        root.OnButtonUp(kLeftButton, Centre(*exitButton), keys);
        EXPECT_EQ(root.GetCaptureControl(), nullptr);
        EXPECT_EQ(root.GetFocusedControl(), exitButton);
        root.OnButtonDown(kLeftButton, Centre(*nextButton), 0);
        root.OnButtonUp(kLeftButton, Centre(*nextButton), 0);
        EXPECT_EQ(exitListener->ids, clicked);
        EXPECT_EQ(nextListener->ids, click);
    }
    exitListener->ids.clear();
    root.OnButtonDown(kLeftButton, Centre(*exitButton), 0);
    root.OnPointerMove({600, 400}, 0);
    EXPECT_EQ(root.GetCaptureControl(), exitButton);
    root.OnButtonUp(kLeftButton, {600, 400}, 0);
    root.OnButtonUp(kLeftButton, Centre(*exitButton), 0);  // no capture: goes nowhere
    EXPECT_EQ(exitListener->ids, std::vector<std::string>{"NID_MOUSE_UP"});
}

// A notice dims the window under a white text in its middle; taking it away restores the window
// exactly. It goes by itself after its time, on the window's clock, and keeps the host ticking until then.
TEST_F(RootWindowTest, NoticeDimsTheWindowAndGoesWithoutTrace) {
    Surface target;
    auto brightness = [](std::uint32_t p) { return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF); };
    root.PaintInvalid(renderer, target.Target());
    const auto before = target.Pixels();
    auto dimmedWithText = [&] {
        root.PaintInvalid(renderer, target.Target());
        int white = 0;
        for (int y = 130; y < 165; ++y)
            for (int x = 150; x < 282; ++x) white += brightness(target.Pixel(x, y)) > 600;
        return white > 20 && brightness(target.Pixel(20, 20)) < brightness(before[20 * 432 + 20]);
    };
    int work = 0;
    root.SetWorkHandler([&] { ++work; });
    root.ShowNotice(W("Please wait until the update has finished."), 4000);
    EXPECT_GE(work, 1);
    EXPECT_TRUE(dimmedWithText());
    EXPECT_TRUE(root.HasPendingWork());  // the notice must be taken away in time
    clock.Advance(4100ms);               // its exact time: the main control's refused-exit test
    root.ProcessTimers();
    EXPECT_TRUE(root.GetNoticeText().empty());
    root.PaintInvalid(renderer, target.Target());
    EXPECT_EQ(target.Pixels(), before);
    EXPECT_FALSE(root.HasPendingWork());
    root.SetWorkHandler(nullptr);
}

// Content taken away mid-press leaves no timer, focus or control behind.
TEST_F(RootWindowTest, RemovedContentLeavesNothingBehind) {
    root.OnKeyDown(kFrameworkKeyTab, 0);
    root.OnKeyDown(LButton::kEnterKey, 0);
    ASSERT_EQ(root.GetTimerCount(), 1u);
    root.SetContent(nullptr);
    EXPECT_EQ(root.GetTimerCount(), 0u);
    EXPECT_EQ(root.GetFocusedControl(), nullptr);
    EXPECT_EQ(root.HitTest({20, 20}), nullptr);
}

// The host window under SDL's dummy video driver: no display needed.
class OSWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseHeadlessVideo();
        std::string error;
        main = window.CreateWithContent(*factory, W("mainControl"), W("Varnet"), &error);
        ASSERT_TRUE(main) << error;
        exitButton = main->FindChild(W("buttonExit")).Get();
        ASSERT_NE(exitButton, nullptr);
    }
    void TearDown() override { window.Destroy(); }
    void Click(int button, bool down, LPoint p) {
        window.OnHostMouseButton(button, down, false, static_cast<int>(p.x), static_cast<int>(p.y), 0);
    }

    Platform::VirtualClock clock;
    OSWindow window{clock};
    RCPtr<LControlFactory> factory = MakeSkinFactory();
    RCPtr<LControl> main;
    LControl* exitButton = nullptr;
};

// A window closed while its tick ran and opened again paints on its tick: the tick is started
// afresh, not taken for the closed window's.
TEST(OSWindowReopen, AWindowReopenedWhileTickingPaintsOnItsTick) {
    UseHeadlessVideo();
    // Looks between events, as the program's idle work does: a function posted again and again would
    // keep the queue busy, and Windows makes timer ticks only for an empty queue.
    struct LookingApp : Platform::HostApp {
        std::function<bool()> look;
        bool OnIdle(long) override { return look(); }
    } app;
    Platform::VirtualClock clock;
    OSWindow window(clock);
    OSWindow::CreateParams params;
    params.width = 100;
    params.height = 80;
    ASSERT_TRUE(window.Create(params));  // starts the tick: the new root window needs painting
    window.Destroy();
    ASSERT_TRUE(window.Create(params));
    ASSERT_TRUE(window.GetRootWindow()->NeedsPaint());
    // The loop looks until a tick has painted; a loop that never ticks is ended after 3 s.
    const auto deadline = Platform::GetRealClock().Now() + 3s;
    app.look = [&] {
        if (!window.GetRootWindow()->NeedsPaint())
            app.PostQuit(1);
        else if (Platform::GetRealClock().Now() > deadline)
            app.PostQuit(-1);
        else
            return true;
        return false;
    };
    EXPECT_EQ(app.RunMessageLoop(), 1);
    window.Destroy();
}

TEST_F(OSWindowTest, CaptureStaysWhileAnyButtonIsHeldAndClicksReachTheButton) {
    auto listener = MakeRC<Listener>();
    listener->Listen(exitButton, {u"NID_LEFT_CLICK"});
    const LPoint c = Centre(*exitButton);
    Click(Platform::kMouseLeft, true, c);
    Click(Platform::kMouseRight, true, c);
    Click(Platform::kMouseLeft, false, c);
    EXPECT_TRUE(window.HasCaptureFlag());  // the right button is still held
    Click(Platform::kMouseRight, false, c);
    EXPECT_FALSE(window.HasCaptureFlag());
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_LEFT_CLICK"});
    // Losing the focus with a button held ends the capture: the release may never come.
    Click(Platform::kMouseLeft, true, c);
    window.OnHostFocus(false);
    EXPECT_FALSE(window.HasCaptureFlag());
}

}  // namespace
}  // namespace Orv
