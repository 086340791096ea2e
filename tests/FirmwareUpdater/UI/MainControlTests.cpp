// The updater's main control over the shipped skin: the page of every processor state, the
// firmware notifications, Next and Exit, and the errors for a skin that lacks a control.
#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../../OrvFramework/ControlBase/ControlTestSupport.h"
#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/UI/MainControl.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/FontText.h"
#include "OrvFramework/ControlBase/Look.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Platform/Resources.h"

namespace Orv {
namespace {

// A small processor standing where the application's LUpdateProcessor stands.
class TestProcessor : public IMainControlProcessor {
public:
    ProcessorState GetState() const override { return state; }
    ORVRESULT StartUpdate() override {
        ++startCount;
        return busy ? E_FAIL : S_OK;
    }
    bool GetFirmwareUpdateVersion(String& out) const override {
        out = version;
        return versionFails;
    }
    ProcessorState state = DeviceReady;
    String version = W("1.0.2");
    bool versionFails = false;
    bool busy = false;
    int startCount = 0;
};

const char* const kManaged[] = {
    "buttonExit", "buttonNext", "labelDeviceNotFound", "labelUpdateNotNeeded", "labelDeviceReady",
    "labelUpdateInProcess", "labelFirmwareFileMissingOrCorrupt", "labelFirmwareUpdateFailed",
    "labelDriverIsTooOld", "labelNoCommandLineParams", "labelFirmwareUpdateSucceed",
    "labelRelaunchInstructionsWin", "labelRelaunchInstructionsMac", "labelFirmwareImageUploadComplete",
    "labelWaitingForDeviceArrivalPostInstall", "labelWaitingForDevicePrep", "progressBar"};

// Records the application center's exit requests the way the application receives them.
class ExitListener : public LNotificationClient {
public:
    ORVRESULT ReceiveNotification(LNotificationDistributor*, LNotification* n) override {
        if (n && std::u16string_view(n->GetID()) == u"NID_APP_EXIT_REQ") ++exits;
        return S_OK;
    }
    int exits = 0;
};

class MainControlTest : public ::testing::Test {
protected:
    void SetUp() override { SetMainControlProcessor(&processor); }
    void TearDown() override {
        SetMainControlProcessor(nullptr);
        if (main) main->ReleaseInternalReferences();
        // Nothing of one test may reach the next.
        GetApplicationNotificationCenter()->ProcessQueue(false);
    }

    void Create() {
        factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
        ASSERT_EQ(factory->LoadDefinitions(W("::"), 0x0409), S_OK) << factory->GetLastParseError();
        ASSERT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
        ASSERT_EQ(RegisterMainControlClass(*factory), S_OK);
        RCPtr<LControl> created = factory->CreateControl(W("mainControl"), &host);
        main = RCPtr<LMainControl>(dynamic_cast<LMainControl*>(created.Get()));
        ASSERT_TRUE(main);
    }
    LControl* Child(const char* name) { return main->FindChild(Utf8ToUtf16(name)).Get(); }
    std::vector<std::string> Visible() {
        std::vector<std::string> shown;
        for (const char* name : kManaged)
            if (Child(name)->IsVisibleFlag()) shown.emplace_back(name);
        return shown;
    }
    void Post(std::u16string_view id, const ConstRCPtr<LRefCountedObject>& data = nullptr) {
        ASSERT_TRUE(PostFirmwareNotification(id, data));
        GetApplicationNotificationCenter()->ProcessQueue(false);
    }

    TestProcessor processor;
    ControlTest::TestHost host;
    RCPtr<LControlFactory> factory;
    RCPtr<LMainControl> main;
};

using Names = std::vector<std::string>;

TEST_F(MainControlTest, EachStateShowsItsPage) {
    const std::pair<ProcessorState, Names> pages[] = {
        {WaitingForDeviceArrivalPostInstall,
         {"buttonExit", "labelRelaunchInstructionsWin", "labelWaitingForDeviceArrivalPostInstall"}},
        {DeviceReady, {"buttonExit", "buttonNext", "labelDeviceReady", "labelRelaunchInstructionsWin"}},
        {DeviceNotFound, {"buttonExit", "labelDeviceNotFound", "labelRelaunchInstructionsWin"}},
        {UpdateNotNeeded, {"buttonExit", "labelUpdateNotNeeded"}},
        {FirmwareFileMissingOrCorrupt,
         {"buttonExit", "labelFirmwareFileMissingOrCorrupt", "labelRelaunchInstructionsWin"}},
        {UpdateInProcess, {"labelUpdateInProcess", "progressBar"}},
        {DriverIsTooOld, {"buttonExit", "labelDriverIsTooOld"}},
        {NoCommandLineParams, {"buttonExit", "labelNoCommandLineParams"}},
        {FirmwareUpdateFailed, {"buttonExit", "labelFirmwareUpdateFailed", "labelRelaunchInstructionsWin"}},
        // No state chosen: the skin's own first page stays.
        {ProcessorStateNone,
         {"buttonExit", "buttonNext", "labelDeviceReady", "labelWaitingForDeviceArrivalPostInstall", "progressBar"}},
        {static_cast<ProcessorState>(42),
         {"buttonExit", "buttonNext", "labelDeviceReady", "labelWaitingForDeviceArrivalPostInstall", "progressBar"}},
    };
    for (const auto& [state, expected] : pages) {
        SCOPED_TRACE(static_cast<int>(state));
        processor.state = state;
        Create();
        EXPECT_EQ(Visible(), expected);
        EXPECT_TRUE(Child("labelDevicePicture")->IsVisibleFlag());
        main->ReleaseInternalReferences();
    }
}

TEST_F(MainControlTest, ReadyTextNamesTheTargetVersionBeforeTheInstructions) {
    Create();
    const std::string text = Utf16ToUtf8(Child("labelDeviceReady")->GetText());
    EXPECT_EQ(text.rfind("Welcome to the Varnet Firmware Updater. This application will update your Varnet "
                         "to firmware version 1.0.2. To perform the update, press the Next button.", 0),
              0u)
        << text;
    EXPECT_EQ(Child("labelWaitingForDeviceArrivalPostInstall")->GetText(), String());

    // A version the processor cannot give leaves the skin's own text.
    main->ReleaseInternalReferences();
    processor.versionFails = true;
    Create();
    EXPECT_EQ(Utf16ToUtf8(Child("labelDeviceReady")->GetText()).rfind("To perform the update", 0), 0u);
}

// Nothing starts the updater when the device is attached here, and there is no Start Menu: the
// messages that say otherwise on Windows show this platform's own texts; the Windows ones stay in
// the tables.
TEST_F(MainControlTest, MessagesTellHowThisPlatformStartsTheUpdaterAgain) {
    processor.state = DeviceNotFound;
    Create();
    for (const char* name : {"labelDeviceNotFound", "labelFirmwareUpdateFailed"}) {
        const std::string text = Utf16ToUtf8(Child(name)->GetText());
        EXPECT_EQ(text.find("automatically"), std::string::npos) << name << ": " << text;
        EXPECT_NE(text.find("Then start this updater again."), std::string::npos) << name << ": " << text;
    }
    EXPECT_EQ(Utf16ToUtf8(Child("labelRelaunchInstructionsWin")->GetText()),
              "To launch this application at a later time, choose \"Varnet Firmware Updater\" in your "
              "applications menu.");
    EXPECT_EQ(Utf16ToUtf8(Child("labelFirmwareFileMissingOrCorrupt")->GetText()).find("driver"), std::string::npos);
    String windows;
    ASSERT_TRUE(Child("labelRelaunchInstructionsWin")->GetStringTable()->GetString(W("LABEL"), windows));
    EXPECT_NE(Utf16ToUtf8(windows).find("Windows Start Menu"), std::string::npos);
}

TEST_F(MainControlTest, NextStartsTheUpdateAndProgressFillsTheBar) {
    Create();
    Child("buttonNext")->Send(u"NID_LEFT_CLICK");
    EXPECT_EQ(processor.startCount, 1);
    EXPECT_EQ(Visible(), (Names{"labelRelaunchInstructionsWin", "labelWaitingForDevicePrep"}));

    Post(NID_FIRMWARE_UPDATE_PROGRESS, MakeRC<LFirmwareUpdateProgressNotificationData>(0.5, 90));
    EXPECT_EQ(Visible(), (Names{"labelUpdateInProcess", "progressBar"}));
    auto* bar = dynamic_cast<LProgressBar*>(Child("progressBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetActiveOverlay()->GetRect().width, 211.0);
    EXPECT_EQ(bar->GetPercentCompleteLabel()->GetText(), W("50"));
    const String timeText = bar->GetTimeRemainingLabel()->GetText();
    EXPECT_FALSE(timeText.empty());

    // Without data the page comes back and nothing changes.
    Post(NID_FIRMWARE_IMAGE_UPLOAD_COMPLETE);
    EXPECT_EQ(Visible(), (Names{"labelFirmwareImageUploadComplete"}));
    Post(NID_FIRMWARE_UPDATE_PROGRESS);
    EXPECT_EQ(Visible(), (Names{"labelUpdateInProcess", "progressBar"}));
    EXPECT_EQ(bar->GetPercentCompleteLabel()->GetText(), W("50"));
    EXPECT_EQ(bar->GetTimeRemainingLabel()->GetText(), timeText);
}

TEST_F(MainControlTest, CompletionAnnouncedTwiceShowsTheSuccessPageOnce) {
    Create();
    Post(NID_FIRMWARE_UPDATE_COMPLETE);
    const Names success{"buttonExit", "labelFirmwareUpdateSucceed"};
    EXPECT_EQ(Visible(), success);
    Post(NID_FIRMWARE_UPDATE_COMPLETE);
    EXPECT_EQ(Visible(), success);

    Post(NID_FIRMWARE_UPDATE_FAILED);
    Post(NID_FIRMWARE_UPDATE_FAILED);
    EXPECT_EQ(Visible(), (Names{"buttonExit", "labelFirmwareUpdateFailed", "labelRelaunchInstructionsWin"}));
    Post(NID_READY_TO_UPDATE);
    EXPECT_EQ(Visible(), (Names{"buttonExit", "buttonNext", "labelDeviceReady", "labelRelaunchInstructionsWin"}));
    Post(NID_FIRMWARE_UPDATE_NOT_NEEDED);
    EXPECT_EQ(Visible(), (Names{"buttonExit", "labelUpdateNotNeeded"}));
}

TEST_F(MainControlTest, ExitPostsTheExitRequestToTheApplication) {
    Create();
    auto listenerPtr = MakeRC<ExitListener>();
    ExitListener& listener = *listenerPtr;
    ASSERT_NE(listener.Register(GetApplicationNotificationCenter().Get(), u"NID_APP_EXIT_REQ"), nullptr);
    Child("buttonExit")->Send(u"NID_LEFT_CLICK");
    EXPECT_EQ(listener.exits, 0);  // queued, not sent at once
    GetApplicationNotificationCenter()->ProcessQueue(false);
    EXPECT_EQ(listener.exits, 1);
    EXPECT_EQ(processor.startCount, 0);
    // A click from any other control is not Next or Exit.
    Child("labelDeviceReady")->Send(u"NID_LEFT_CLICK");
    GetApplicationNotificationCenter()->ProcessQueue(false);
    EXPECT_EQ(listener.exits, 1);
    listener.ReleaseInternalReferences();
}

// Paints the window offscreen: the ready page shows the Next button, the progress page half a bar.
TEST_F(MainControlTest, PagesPaintOffscreen) {
    constexpr int kWidth = 432, kHeight = 295;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    RCPtr<LRenderer> renderer = LRenderer::Create(LRenderer::TypeCairo, {0, 0, double(kWidth), double(kHeight)}, nullptr);
    LFontTextMeasurer measurer(*renderer);
    host.measurer = &measurer;
    Create();
    main->LayoutChildren();
    auto paint = [&](const char* file) {
        renderer->BeginPaint(surface);
        PaintControlTree(*renderer, *main);
        renderer->EndPaint(surface);
        cairo_surface_flush(surface);
        cairo_surface_write_to_png(surface, (std::string(VARNET_BINARY_DIR) + "/" + file).c_str());
    };
    auto pixel = [&](double x, double y) {
        const unsigned char* data = cairo_image_surface_get_data(surface);
        return *reinterpret_cast<const std::uint32_t*>(data + int(y) * cairo_image_surface_get_stride(surface) + int(x) * 4);
    };
    auto ink = [&](const LRect& r) {
        int count = 0;
        for (int y = int(r.y); y < int(r.Bottom()); ++y)
            for (int x = int(r.x); x < int(r.Right()); ++x) count += pixel(x, y) != pixel(1, 1);
        return count;
    };
    const LRect next = Child("buttonNext")->GetRect();
    paint("mainControl_ready.png");
    EXPECT_GT(ink(next), 100);

    Child("buttonNext")->Send(u"NID_LEFT_CLICK");
    Post(NID_FIRMWARE_UPDATE_PROGRESS, MakeRC<LFirmwareUpdateProgressNotificationData>(0.5, 90));
    paint("mainControl_progress.png");
    EXPECT_EQ(ink(next), 0);
    const LRect bar = Child("progressBar")->GetRect();
    // Filled and empty parts of the bar, away from the centred percentage.
    EXPECT_NE(pixel(bar.x + 20, bar.y + 4), pixel(bar.x + bar.width - 20, bar.y + 4));
    cairo_surface_destroy(surface);
}

// The shipped skin with one edit, loaded from a file beside the shipped string tables.
std::string CreateWithEditedSkin(const std::string& from, const std::string& to) {
    auto skin = Platform::FindResource("ORVXML", "APP_SKINS");
    if (!skin) return "no skin resource";
    std::string text(reinterpret_cast<const char*>(skin->data()), skin->size());
    const auto at = text.find(from);
    if (at == std::string::npos) return "edit not found";
    text.replace(at, from.size(), to);
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / "EditedSkins.xml";
    std::ofstream(path, std::ios::binary) << text;

    auto factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
    if (factory->LoadStringTables(W("::APP_STRINGS"), W("::FRAMEWORK_STRINGS"), 0x0409) != S_OK) return "strings";
    if (factory->LoadSkins(Utf8ToUtf16(path.string())) != S_OK) return factory->GetLastParseError();
    RegisterFrameworkControlClasses(*factory);
    RegisterMainControlClass(*factory);
    ControlTest::TestHost host;
    try {
        RCPtr<LControl> main = factory->CreateControl(W("mainControl"), &host);
        if (main) main->ReleaseInternalReferences();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "created";
}

TEST_F(MainControlTest, MissingOrWronglyTypedControlsNameThemselves) {
    EXPECT_EQ(CreateWithEditedSkin("Name=\"labelRelaunchInstructionsMac\"", "Name=\"labelOther\""),
              "Runtime Error : Null Pointer : LMainControl couldn't find labelRelaunchInstructionsMac : "
              "Orv::LMainControl::Initialize : .\\UI\\MainControl : Line 90");
    EXPECT_EQ(CreateWithEditedSkin("Class=\"Framework.Label\"\n            Name=\"labelDeviceReady\"",
                                   "Class=\"Framework.Button\"\n            Name=\"labelDeviceReady\""),
              "Runtime Error : Null Pointer : LMainControl couldn't find labelDeviceReady : "
              "Orv::LMainControl::Initialize : .\\UI\\MainControl : Line 67");
    EXPECT_EQ(CreateWithEditedSkin("Name=\"buttonExit\"", "Name=\"buttonQuit\""),
              "Runtime Error : Null Pointer : LMainControl couldn't find buttonExit : "
              "Orv::LMainControl::Initialize : .\\UI\\MainControl : Line 44");
    // The unedited skin creates.
    EXPECT_EQ(CreateWithEditedSkin("Name=\"mainControl\"", "Name=\"mainControl\""), "created");
}

}  // namespace
}  // namespace Orv
