// The updater's main control over the shipped skin: the page of every processor state, the
// firmware notifications, Next and Exit.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "MainControlTestSupport.h"
#include "OrvFramework/ControlBase/RootWindow.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {
namespace {

// The controls whose visibility makes a page.
const char* const kManaged =
    "buttonExit buttonNext labelDeviceNotFound labelUpdateNotNeeded labelDeviceReady labelUpdateInProcess "
    "labelFirmwareFileMissingOrCorrupt labelFirmwareUpdateFailed labelDriverIsTooOld labelNoCommandLineParams "
    "labelFirmwareUpdateSucceed labelRelaunchInstructionsWin labelRelaunchInstructionsMac "
    "labelFirmwareImageUploadComplete labelWaitingForDeviceArrivalPostInstall labelWaitingForDevicePrep progressBar";

class MainControlTest : public ControlTest::MainControlFixture<> {
protected:
    LControl* Child(const char* name) { return main->FindChild(Utf8ToUtf16(name)).Get(); }
    // The page: the managed controls shown, by name, space-separated.
    std::string Visible() {
        std::string shown;
        std::istringstream names(kManaged);
        for (std::string name; names >> name;)
            if (Child(name.c_str())->IsVisibleFlag()) shown += (shown.empty() ? "" : " ") + name;
        return shown;
    }
    void Post(std::u16string_view id, const ConstRCPtr<LRefCountedObject>& data = nullptr) {
        ASSERT_TRUE(PostFirmwareNotification(id, data));
        GetApplicationNotificationCenter()->ProcessQueue(false);
    }
};

TEST_F(MainControlTest, EachStateShowsItsPage) {
    const std::pair<ProcessorState, const char*> pages[] = {
        {WaitingForDeviceArrivalPostInstall,
         "buttonExit labelRelaunchInstructionsWin labelWaitingForDeviceArrivalPostInstall"},
        {DeviceReady, "buttonExit buttonNext labelDeviceReady labelRelaunchInstructionsWin"},
        {DeviceNotFound, "buttonExit labelDeviceNotFound labelRelaunchInstructionsWin"},
        {UpdateNotNeeded, "buttonExit labelUpdateNotNeeded"},
        {FirmwareFileMissingOrCorrupt, "buttonExit labelFirmwareFileMissingOrCorrupt labelRelaunchInstructionsWin"},
        // Started automatically: the switching page until the first progress.
        {UpdateInProcess, "labelRelaunchInstructionsWin labelWaitingForDevicePrep progressBar"},
        {DriverIsTooOld, "buttonExit labelDriverIsTooOld"},
        {NoCommandLineParams, "buttonExit labelNoCommandLineParams"},
        {FirmwareUpdateFailed, "buttonExit labelFirmwareUpdateFailed labelRelaunchInstructionsWin"},
        // No state chosen: the skin's own first page stays.
        {ProcessorStateNone,
         "buttonExit buttonNext labelDeviceReady labelWaitingForDeviceArrivalPostInstall progressBar"},
        {static_cast<ProcessorState>(42),
         "buttonExit buttonNext labelDeviceReady labelWaitingForDeviceArrivalPostInstall progressBar"},
    };
    for (const auto& [state, expected] : pages) {
        SCOPED_TRACE(static_cast<int>(state));
        processor.state = state;
        Create();
        EXPECT_EQ(Visible(), expected);
        EXPECT_TRUE(Child("labelDevicePicture")->IsVisibleFlag());
    }
}

TEST_F(MainControlTest, ReadyTextNamesTheTargetVersionBeforeTheInstructions) {
    Create();
    const std::string text = Utf16ToUtf8(Child("labelDeviceReady")->GetText());
    EXPECT_EQ(text.rfind("Welcome to the Varnet Firmware Updater. This application will update your Varnet "
                         "to firmware version 1.0.2. To perform the update, press the Next button.",
                         0),
              0u)
        << text;
    // A version the processor cannot give leaves the skin's own text.
    processor.versionFails = true;
    Create();
    EXPECT_EQ(Utf16ToUtf8(Child("labelDeviceReady")->GetText()).rfind("To perform the update", 0), 0u);
}

// Nothing starts the updater when the device is attached here, and there is no Start Menu: the
// messages that say otherwise on Windows show this platform's own texts.
TEST_F(MainControlTest, MessagesTellHowThisPlatformStartsTheUpdaterAgain) {
    processor.state = DeviceNotFound;
    Create();
#ifdef _WIN32
    // There the driver package starts it again, and the installer's Start-menu entry is this one.
    EXPECT_EQ(Utf16ToUtf8(Child("labelRelaunchInstructionsWin")->GetText()),
              "To launch this application at a later time, please launch \"Varnet\" from Korvo > Firmware Updater "
              "in the Windows Start Menu.");
    return;
#endif
    for (const char* name : {"labelDeviceNotFound", "labelFirmwareUpdateFailed"}) {
        const std::string text = Utf16ToUtf8(Child(name)->GetText());
        EXPECT_EQ(text.find("automatically"), std::string::npos) << name << ": " << text;
        EXPECT_NE(text.find("Then start this updater again."), std::string::npos) << name << ": " << text;
    }
    EXPECT_EQ(Utf16ToUtf8(Child("labelRelaunchInstructionsWin")->GetText()),
              "To launch this application at a later time, choose \"Varnet Firmware Updater\" in your "
              "applications menu.");
    EXPECT_EQ(Utf16ToUtf8(Child("labelFirmwareFileMissingOrCorrupt")->GetText()).find("driver"), std::string::npos);
}

using namespace std::chrono_literals;

// The main control in a real root window on virtual time: focus, keys, timers and notices.
class MainControlInWindow : public MainControlTest {
protected:
    void CreateInWindow() {
        MakeFactory();
        root.SetSize(432, 295);
        main = RCPtr<LMainControl>(dynamic_cast<LMainControl*>(root.CreateContent(*factory, W("mainControl")).Get()));
        ASSERT_TRUE(main);
        root.Refresh();  // the labels measure their texts now that there is a window
        bar = dynamic_cast<LProgressBar*>(Child("progressBar"));
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override {
        root.SetContent(nullptr);
        if (exitListener) exitListener->ReleaseInternalReferences();
        MainControlTest::TearDown();
    }
    LRect InWindow(const char* name) {
        LControl* c = Child(name);
        const LPoint o = LRootWindow::GetWindowOrigin(*c);
        return {o.x, o.y, c->GetRect().width, c->GetRect().height};
    }
    LPoint Centre(const char* name) {
        const LRect r = InWindow(name);
        return {r.x + std::floor(r.width / 2), r.y + std::floor(r.height / 2)};
    }
    void ClickWithPointer(const char* name) {
        root.OnPointerMove(Centre(name), 0);
        root.OnButtonDown(kLeftButton, Centre(name), 0);
        root.OnButtonUp(kLeftButton, Centre(name), 0);
    }
    // Long enough for a simulated press to end; then the queued notifications are delivered.
    void Settle() {
        clock.Advance(1s);
        root.ProcessTimers();
        GetApplicationNotificationCenter()->ProcessQueue(false);
    }
    void ListenForExit() {
        exitListener = MakeRC<ControlTest::Listener>();
        exitListener->Listen(GetApplicationNotificationCenter().Get(), {u"NID_APP_EXIT_REQ"});
    }

    Platform::VirtualClock clock;
    RCPtr<LRenderer> drawing = LRenderer::CreateForPlatform(clock);
    LRenderer& renderer = *drawing;
    LRootWindow root{&renderer, clock};
    LProgressBar* bar = nullptr;
    RCPtr<ControlTest::Listener> exitListener;
};

TEST_F(MainControlInWindow, EscapeActsAsExitWhereverExitShows) {
    CreateInWindow();
    ListenForExit();
    // The welcome page: the focus is on Next, which passes Escape on.
    EXPECT_EQ(root.GetFocusedControl(), Child("buttonNext"));
    EXPECT_TRUE(root.OnKeyDown(kEscapeKey, 0));
    Settle();
    EXPECT_EQ(exitListener->ids.size(), 1u);
    // The switching page has no Exit: Escape does nothing.
    ClickWithPointer("buttonNext");
    EXPECT_FALSE(root.OnKeyDown(kEscapeKey, 0));
    Settle();
    EXPECT_EQ(exitListener->ids.size(), 1u);
    Post(NID_FIRMWARE_UPDATE_FAILED);
    EXPECT_TRUE(root.OnKeyDown(kEscapeKey, 0));
    Settle();
    EXPECT_EQ(exitListener->ids.size(), 2u);
    EXPECT_EQ(processor.startCount, 1);
}

// Between Next and the first progress the bar slides a block to show that work goes on; the
// first progress shows the real share. A start with the update already running looks the same.
TEST_F(MainControlInWindow, SwitchingPageShowsWorkGoingOnUntilTheFirstProgress) {
    for (const bool automatic : {false, true}) {
        SCOPED_TRACE(automatic ? "started automatically" : "Next");
        processor.state = automatic ? UpdateInProcess : DeviceReady;
        CreateInWindow();
        if (!automatic) ClickWithPointer("buttonNext");
        EXPECT_EQ(Visible(), "labelRelaunchInstructionsWin labelWaitingForDevicePrep progressBar");
        ASSERT_TRUE(bar->IsIndeterminate());
        EXPECT_FALSE(bar->GetPercentCompleteLabel()->IsVisibleFlag());
        LPanel* fill = bar->GetActiveOverlay();
        std::vector<double> places;
        for (int i = 0; i < 4; ++i) {
            places.push_back(fill->GetRect().x);
            EXPECT_LT(fill->GetRect().width, bar->GetRect().width / 2);
            EXPECT_LE(fill->GetRect().Right(), bar->GetRect().width);
            clock.Advance(400ms);
            root.ProcessTimers();
        }
        EXPECT_NE(places[0], places[1]);
        EXPECT_NE(places[1], places[2]);
        EXPECT_FALSE(root.IsCloseAllowed());

        Post(NID_FIRMWARE_UPDATE_PROGRESS, MakeRC<LFirmwareUpdateProgressNotificationData>(0.5, 90));
        EXPECT_EQ(fill->GetRect(), (LRect{1, fill->GetRect().y, 211, fill->GetRect().height}));
        EXPECT_TRUE(bar->GetPercentCompleteLabel()->IsVisibleFlag());
        EXPECT_TRUE(bar->GetTimeRemainingLabel()->IsVisibleFlag());
        EXPECT_EQ(root.GetTimerCount(), 0u);  // the animation has ended
        // A progress without data shows the page again and changes nothing.
        Post(NID_FIRMWARE_IMAGE_UPLOAD_COMPLETE);
        Post(NID_FIRMWARE_UPDATE_PROGRESS);
        EXPECT_EQ(Visible(), "labelUpdateInProcess progressBar");
        EXPECT_EQ(bar->GetPercentCompleteLabel()->GetText(), W("50"));
        Post(NID_FIRMWARE_UPDATE_COMPLETE);
        EXPECT_EQ(Visible(), "buttonExit labelFirmwareUpdateSucceed");
        EXPECT_TRUE(root.IsCloseAllowed());
        root.SetContent(nullptr);
        main->ReleaseInternalReferences();
    }
}

// A refused exit (window close, Alt+F4, a held signal) is answered on the window in the user's
// language, for a few seconds.
TEST_F(MainControlInWindow, RefusedExitIsAnsweredOnTheWindow) {
    CreateInWindow();
    ClickWithPointer("buttonNext");
    String expected = W("Please wait until the update has finished.");
    if (ConstRCPtr<LStringTable> table = factory->GetApplicationStringTable())
        table->GetString(W("WAIT_UNTIL_UPDATE_FINISHED"), expected);
    Post(NID_APP_EXIT_REFUSED);
    EXPECT_EQ(root.GetNoticeText(), expected);
    clock.Advance(std::chrono::milliseconds(kExitRefusedNoticeMs - 100));
    root.ProcessTimers();
    EXPECT_EQ(root.GetNoticeText(), expected);
    clock.Advance(200ms);
    root.ProcessTimers();
    EXPECT_TRUE(root.GetNoticeText().empty());
}

// Painted offscreen: the focus ring stands out from the button. (The pages themselves: the language
// pages test.)
TEST_F(MainControlInWindow, FocusRingIsDrawn) {
    std::vector<std::uint32_t> pixels(432 * 295);
    const Platform::PaintTarget target{reinterpret_cast<unsigned char*>(pixels.data()), 432, 295, 432 * 4, false};
    auto brightness = [](std::uint32_t p) { return int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF); };
    auto capture = [&](const LRect& r) {
        root.InvalidateAll();
        root.PaintInvalid(renderer, target);
        std::vector<std::uint32_t> out;
        for (int y = int(r.y); y < int(r.Bottom()); ++y)
            for (int x = int(r.x); x < int(r.Right()); ++x)
                out.push_back(pixels[static_cast<std::size_t>(y) * 432 + x]);
        return out;
    };
    CreateInWindow();
    const LRect nextRect = InWindow("buttonNext");
    const auto focused = capture(nextRect);
    root.SetFocusedControl(nullptr);
    const auto plain = capture(nextRect);
    // The ring: a clear step in brightness on the button's edge, not a faint tint.
    int ringPixels = 0;
    for (std::size_t i = 0; i < focused.size(); ++i)
        ringPixels += std::abs(brightness(focused[i]) - brightness(plain[i])) > 150;
    EXPECT_GT(ringPixels, int(nextRect.width + nextRect.height));
}

}  // namespace
}  // namespace Orv
