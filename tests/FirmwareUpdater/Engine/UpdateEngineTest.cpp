#include "EngineTestSupport.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "HostileImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

using namespace Varnet;
using namespace VarnetTest;

namespace {

// One engine over one simulated device, both on the same virtual clock.
struct EngineRig {
    explicit EngineRig(SimulatorConfig config = QuickConfig())
        : device(std::make_shared<SimulatedHidPlatform>(std::move(config), clock)),
          // The sample image lies in the program folder, as it does when installed.
          engine(Orv::MakeRC<LUpdateEngine>(device, clock, Orv::W(VARNET_SOURCE_DIR "/resources/"))),
          recorder(NotificationRecorder::Create()) {}
    ~EngineRig() { recorder->Detach(); }

    EngineResult Init(const std::string& commandLine) { return engine->Initialize(Orv::W("updater " + commandLine)); }
    Orv::ORVRESULT Update() { return engine->UpdateFirmware().code; }
    // The command packets sent, as transcript text without "OUT ".
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& l : device->GetTranscript())
            if (l.rfind("OUT ", 0) == 0) out.push_back(l.substr(4));
        return out;
    }
    bool ExitSent() const {
        const auto c = Commands();
        return std::any_of(c.begin(), c.end(), [](const std::string& l) { return l.rfind("01 3B", 0) == 0; });
    }

    RegistrySandbox registry;
    Orv::Platform::VirtualClock clock;
    std::shared_ptr<SimulatedHidPlatform> device;
    Orv::RCPtr<LUpdateEngine> engine;
    Orv::RCPtr<NotificationRecorder> recorder;
};

const std::vector<std::u16string> kFailed = {NID_FIRMWARE_UPDATE_FAILED};
const std::vector<std::u16string> kComplete = {NID_FIRMWARE_UPDATE_COMPLETE};

}  // namespace

TEST(FirmwareVersion, ParsesTextAndPackedNumbers) {
    const std::pair<const char16_t*, FirmwareVersion> texts[] = {
        {u"1.0.2", {1, 0, 2}}, {u"1..2", {1, 2, 0}}, {u"1.0.10.7", {1, 0, 10}}, {u"x.y", {0, 0, 0}}};
    for (const auto& [text, version] : texts) EXPECT_EQ(ParseVersionText(text), version) << Orv::Utf16ToUtf8(text);
    // The HID version number holds packed decimal digits.
    EXPECT_EQ(DecodeVersionNumber(0x1203).Text(), "12.0.3");
    for (const std::uint16_t number : {0x0000, 0x0102, 0x1203, 0x9999})
        EXPECT_EQ(EncodeVersionNumber(DecodeVersionNumber(number)), number);
}

// Where the image is, how long the upload takes, and versions compared as numbers. (The device's
// state decides the rest: the update processor's test.)
TEST(UpdateEngine, ReadsOptionsAndComparesVersionsAsNumbers) {
    const std::string sample = VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd";
    const struct {
        const char* options;
        std::uint16_t version;
        std::string path;
        double estimate;
        EngineResult result;
    } cases[] = {
        {"", 0x0101, sample, 7.0, EngineResult::Ready},
        {"", 0x0103, sample, 7.0, EngineResult::UpdateNotNeeded},
        {"-FIRMWARE_UPDATE_VERSION=1.0.10", 0x0109, sample, 7.0, EngineResult::Ready},
        {"-FIRMWARE_IMAGE_NAME=New.cyacd -UPDATE_TIME_ESTIMATE=12abc", 0x0101, VARNET_SOURCE_DIR "/resources/New.cyacd",
         12.0, EngineResult::FirmwareFileMissingOrCorrupt},
        {"-ABSOLUTE_FIRMWARE_FILE_PATH=\"/media/my images/v.cyacd\" -FIRMWARE_IMAGE_NAME=x", 0x0101,
         "/media/my images/v.cyacd", 7.0, EngineResult::FirmwareFileMissingOrCorrupt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        EngineRig rig(QuickConfig(c.version));
        EXPECT_EQ(rig.Init(c.options), c.result);
        EXPECT_EQ(Orv::Utf16ToUtf8(rig.engine->GetFirmwareFilePath()), c.path);
        EXPECT_EQ(rig.engine->GetUpdateTimeEstimate(), c.estimate);
    }
}

// What the device does after Exit Bootloader decides the outcome; only a completed forced downgrade
// keeps the driver package from undoing it, even past the end of the program.
TEST(UpdateEngine, RestartDecidesTheOutcomeAndTheValueLeftBehind) {
    const struct {
        const char* name;
        std::uint16_t restartVersion;
        Metadata metadata;
        bool succeeds;
    } cases[] = {
        {"new version", 0x0102, Metadata::Valid, true},
        {"old version back", 0x0101, Metadata::Valid, false},
        {"bootloader back", 0x0102, Metadata::BadChecksum, false},
        {"forced downgrade", 0x0101, Metadata::Valid, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool downgrade = std::string(c.name) == "forced downgrade";
        TestImage image(3, SampleSiliconId, SampleSiliconRevision, 64, 16, c.metadata);
        auto config = QuickConfig(downgrade ? 0x0102 : 0x0101);
        config.updatedVersion = c.restartVersion;
        EngineRig rig(config);
        ASSERT_EQ(
            rig.Init(downgrade ? "-ALWAYS_UPDATE -FIRMWARE_UPDATE_VERSION=1.0.1 " + image.Option() : image.Option()),
            EngineResult::Ready);
        EXPECT_EQ(rig.engine->IsDowngrade(), downgrade);
        EXPECT_EQ(rig.Update(), c.succeeds ? Orv::S_OK : Orv::E_FAIL) << rig.engine->GetFailureReason();
        EXPECT_EQ(rig.device->GetFlash(), image.rows);
        EXPECT_EQ(rig.device->GetSwitchReportCount(), 1);
        rig.engine->EndSession();
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), downgrade);
    }
}

// Sync Bootloader first drops whatever an interrupted session staged; no switch and no settle
// (a fresh bootloader waits about 2 s for a host). (A clean bootloader: the fault table's next run.)
TEST(UpdateEngine, DeviceInItsBootloaderIsSyncedAndProgrammedWithoutSwitchOrSettle) {
    TestImage image(3);
    auto config = QuickConfig();
    config.startState = SimulatedState::Bootloader;
    config.faults.halfStagedRow = true;  // without Sync Bootloader every row would be refused
    EngineRig rig(config);
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
    const auto before = rig.clock.TotalSlept();
    EXPECT_EQ(rig.Update(), Orv::S_OK) << rig.engine->GetFailureReason();
    EXPECT_EQ(rig.device->GetSwitchReportCount(), 0);
    EXPECT_EQ(rig.device->GetFlash(), image.rows);
    const auto commands = rig.Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0] + " " + commands[1], "01 35 00 00 CA FF 17 01 38 00 00 C7 FF 17");
    EXPECT_LT(rig.clock.TotalSlept() - before, std::chrono::milliseconds(BootloaderSettleMs + config.restartDelayMs));
    EXPECT_EQ(rig.device->GetBootloaderOpenCount(), 1);
}

// A complete upload (its outcome through the whole program is the integration tables'): progress,
// no Sync Bootloader after our own switch, and the restart confirmed by the new version read back.
TEST(UpdateEngine, UploadConfirmsTheRestartAndTellsProgressByRemainingLines) {
    TestImage image(98);  // header, 98 rows and the metadata row: 100 line feeds
    EngineRig rig;
    ASSERT_EQ(rig.Init("-UPDATE_TIME_ESTIMATE=7 " + image.Option()), EngineResult::Ready);
    const UpdateResult result = rig.engine->UpdateFirmware();
    ASSERT_EQ(result.code, Orv::S_OK);
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(rig.device->GetFlash(), image.rows);
    EXPECT_EQ(rig.Commands().front().substr(0, 5), "01 38");
    EXPECT_EQ(rig.recorder->Outcomes(), kComplete);
    const auto progress = rig.recorder->Progress();
    ASSERT_EQ(progress.size(), 101u);  // after Enter Bootloader, after each row, once at the end
    const std::vector<std::pair<double, int>> points = {{progress.front().fraction, progress.front().seconds},
                                                        {progress[50].fraction, progress[50].seconds},
                                                        {progress.back().fraction, progress.back().seconds}};
    EXPECT_EQ(points, (std::vector<std::pair<double, int>>{{0.0, 7}, {0.5, 3}, {0.99, 0}}));
    for (std::size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i].fraction, progress[i - 1].fraction);
    EXPECT_TRUE(std::none_of(progress.begin(), progress.end(), [](const Received& r) { return r.flag; }));
}

class EngineWithHostileImage : public ::testing::TestWithParam<HostileImage> {};

// A missing or damaged image is refused at once (a FIFO without a writer or a file of many megabytes
// must not hold the start up) and before the device is looked for: nothing is opened, no report is
// sent, no wait. The reason names the file, the line of the first problem and the problem.
TEST_P(EngineWithHostileImage, IsRefusedBeforeTheDeviceIsTouched) {
    TempFolder dir;
    const std::string path = GetParam().Make(dir.Path());
    {
        EngineRig rig;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(rig.Init("-ABSOLUTE_FIRMWARE_FILE_PATH=\"" + path + "\""),
                  EngineResult::FirmwareFileMissingOrCorrupt);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        // The same words as varnet-image's (whose test checks them per image).
        EXPECT_EQ(rig.engine->GetFailureReason(), DescribeFirstProblem(path, CheckImage(path)));
        EXPECT_EQ(rig.device->GetOpenCount(), 0);
        EXPECT_TRUE(rig.device->GetTranscript().empty());
        EXPECT_EQ(rig.clock.NowMs(), 0);
        EXPECT_TRUE(rig.recorder->Outcomes().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, EngineWithHostileImage, ::testing::ValuesIn(HostileImages()), HostileImageName());

// Commands of a 10-row image of 64-byte rows: 1 Enter Bootloader, 2 Get Flash Size, then per row
// Send Data, Program Row, Verify Row (row 1: 3-5, ...). Nothing written yet: Exit Bootloader sends
// the device back to the application it still holds; rows under way: it waits in its bootloader.
// (Each simulator fault at each place of the upload: the integration fault table.)
TEST(UpdateEngine, FailuresLeaveTheDeviceWhereItIsSafest) {
    const struct {
        const char* name;
        void (*configure)(SimulatorConfig&);
        std::uint32_t siliconId;
        int firstRow;
        SimulatedState ends;
        const char* reason;  // what the reason told says, at least
    } cases[] = {
        {"another-chip", [](SimulatorConfig&) {}, 0x12345678, 16, SimulatedState::Application,
         "the image is for 0x12345678 revision"},
        {"another-revision", [](SimulatorConfig& c) { c.siliconRevision = 0x12; }, SampleSiliconId, 16,
         SimulatedState::Application, ""},
        {"bootloader-version", [](SimulatorConfig& c) { c.bootloaderVersion = 0x020000; }, SampleSiliconId, 16,
         SimulatedState::Application, "bootloader version 0x020000 is not supported"},
        {"flash-size-status", [](SimulatorConfig& c) { c.faults.statusAt[2] = SimStatusArray; }, SampleSiliconId, 16,
         SimulatedState::Application, ""},
        // Rows 250 to 259 without metadata: the seventh lies outside the flash, after six were written.
        {"row-outside-flash", [](SimulatorConfig&) {}, SampleSiliconId, 250, SimulatedState::Bootloader,
         "row 256 of flash array 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestImage image(10, c.siliconId, SampleSiliconRevision, 64, c.firstRow,
                        c.firstRow == 16 ? Metadata::Valid : Metadata::None);
        auto config = QuickConfig();
        c.configure(config);
        EngineRig rig(config);
        ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
        const UpdateResult result = rig.engine->UpdateFirmware();
        EXPECT_EQ(result.code, Orv::E_FAIL);
        EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
        EXPECT_FALSE(rig.engine->IsUpdateInProgress());
        // Exit Bootloader exactly when no row was written: the device then keeps its own firmware.
        const bool untouched = c.ends == SimulatedState::Application;
        EXPECT_EQ(rig.ExitSent(), untouched);
        rig.clock.SleepMs(config.restartDelayMs);
        EXPECT_EQ(rig.device->GetState(), c.ends);
        if (untouched) {
            EXPECT_EQ(rig.device->GetApplicationVersion(), 0x0101);
        }
        EXPECT_LE(rig.device->GetBootloaderOpenCount(), 2);  // a second open only for Exit after a broken read
        EXPECT_NE(result.failureReason.find(c.reason), std::string::npos) << result.failureReason;
    }
}
