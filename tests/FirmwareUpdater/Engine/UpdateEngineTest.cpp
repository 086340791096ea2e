#include "EngineTestSupport.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "HostileImages.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    int SwitchCount() const {
        const auto t = device->GetTranscript();
        return static_cast<int>(std::count_if(t.begin(), t.end(), [](const std::string& l) { return l.rfind("SWITCH", 0) == 0; }));
    }
    bool SentProgramRow() const {
        for (const auto& l : device->GetTranscript())
            if (l.rfind("OUT 01 39", 0) == 0) return true;
        return false;
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

TEST(ParseVersionText, SplitsOnDotRunsAndFillsMissingPartsWithZero) {
    EXPECT_EQ(ParseVersionText(u"1.0.2"), (FirmwareVersion{1, 0, 2}));
    EXPECT_EQ(ParseVersionText(u"2"), (FirmwareVersion{2, 0, 0}));
    EXPECT_EQ(ParseVersionText(u"1..2"), (FirmwareVersion{1, 2, 0}));
    EXPECT_EQ(ParseVersionText(u".5"), (FirmwareVersion{0, 5, 0}));
    EXPECT_EQ(ParseVersionText(u"1.0.10.7"), (FirmwareVersion{1, 0, 10}));
    EXPECT_EQ(ParseVersionText(u"x.y"), (FirmwareVersion{0, 0, 0}));
    EXPECT_LT(ParseVersionText(u"1.0.9"), ParseVersionText(u"1.0.10"));  // numbers, not text
}

TEST(UpdateEngine, ReadsOptionsAndDefaults) {
    EngineRig rig;
    ASSERT_EQ(rig.Init(""), EngineResult::Ready);
    EXPECT_EQ(Orv::Utf16ToUtf8(rig.engine->GetFirmwareFilePath()), VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd");
    EXPECT_EQ(rig.engine->GetFailureReason(), "");
    EXPECT_EQ(rig.engine->GetUpdateTimeEstimate(), 7.0);
    Orv::String version;
    EXPECT_EQ(rig.engine->GetFirmwareUpdateVersion(version), Orv::S_OK);
    EXPECT_EQ(version, Orv::String(u"1.0.2"));
    EXPECT_EQ(rig.engine->GetEngineKind(), 2);
    EXPECT_EQ(rig.engine->CheckForUpdate(), 0);

    EngineRig named;
    named.Init("-FIRMWARE_IMAGE_NAME=New.cyacd -UPDATE_TIME_ESTIMATE=12abc");
    EXPECT_EQ(Orv::Utf16ToUtf8(named.engine->GetFirmwareFilePath()), VARNET_SOURCE_DIR "/resources/New.cyacd");
    EXPECT_EQ(named.engine->GetUpdateTimeEstimate(), 12.0);

    EngineRig absolute;
    absolute.Init("-ABSOLUTE_FIRMWARE_FILE_PATH=\"/media/my images/v.cyacd\" -FIRMWARE_IMAGE_NAME=x");
    EXPECT_EQ(Orv::Utf16ToUtf8(absolute.engine->GetFirmwareFilePath()), "/media/my images/v.cyacd");
}

TEST(UpdateEngine, ComparesVersionsAsNumbers) {
    EXPECT_EQ(EngineRig(QuickConfig(0x0102)).Init(""), EngineResult::UpdateNotNeeded);
    EXPECT_EQ(EngineRig(QuickConfig(0x0103)).Init(""), EngineResult::UpdateNotNeeded);
    EXPECT_EQ(EngineRig(QuickConfig(0x0101)).Init(""), EngineResult::Ready);
    EXPECT_EQ(EngineRig(QuickConfig(0x0109)).Init("-FIRMWARE_UPDATE_VERSION=1.0.10"), EngineResult::Ready);
    EXPECT_EQ(EngineRig(QuickConfig(0x1000)).Init("-FIRMWARE_UPDATE_VERSION=9.9.9"), EngineResult::UpdateNotNeeded);
}

TEST(UpdateEngine, AbsentDeviceIsNotFoundAfterTenSearches) {
    auto config = QuickConfig();
    config.startState = SimulatedState::Absent;
    EngineRig rig(config);
    EXPECT_EQ(rig.Init(""), EngineResult::DeviceNotFound);
    EXPECT_EQ(rig.clock.NowMs(), 10 * DeviceSearchIntervalMs);
}

TEST(UpdateEngine, ForcedDowngradeKeepsAutoUpdatesSuppressedOnlyAfterSuccess) {
    TestImage image(5);
    {
        EngineRig rig(QuickConfig(0x0102));
        ASSERT_EQ(rig.Init("-ALWAYS_UPDATE -FIRMWARE_UPDATE_VERSION=1.0.1 " + image.Option()), EngineResult::Ready);
        EXPECT_TRUE(rig.engine->IsDowngrade());
        EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::S_OK);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), true);
        EXPECT_EQ(rig.device->GetFlash(), image.rows);
    }
    {
        TestImage otherChip(3, 0x12345678);  // refused by the bootloader
        EngineRig rig(QuickConfig(0x0102));
        ASSERT_EQ(rig.Init("-ALWAYS_UPDATE -FIRMWARE_UPDATE_VERSION=1.0.1 " + otherChip.Option()), EngineResult::Ready);
        EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::E_FAIL);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
    }
    {
        EngineRig rig(QuickConfig(0x0102));  // equal version: forced, but no downgrade
        ASSERT_EQ(rig.Init("-ALWAYS_UPDATE " + image.Option()), EngineResult::Ready);
        EXPECT_FALSE(rig.engine->IsDowngrade());
        EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::S_OK);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
    }
}

TEST(UpdateEngine, UploadProgramsEveryRowAndRestartsTheDevice) {
    TestImage image(12);
    EngineRig rig;
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
    EXPECT_FALSE(rig.engine->IsUpdateInProgress());
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);  // idle check clears it
    EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::S_OK);
    EXPECT_EQ(rig.device->GetFlash(), image.rows);
    EXPECT_EQ(rig.SwitchCount(), 1);
    EXPECT_EQ(rig.recorder->Outcomes(), kComplete);
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
    EXPECT_FALSE(rig.engine->IsUpdateInProgress());
    rig.clock.SleepMs(5000);  // the device restarts with the new firmware
    EXPECT_EQ(rig.device->GetState(), SimulatedState::Application);
    EXPECT_EQ(rig.device->GetApplicationVersion(), 0x0102);
}

TEST(UpdateEngine, DeviceInItsBootloaderIsProgrammedWithoutTheSwitch) {
    TestImage image(3);
    auto config = QuickConfig();
    config.startState = SimulatedState::Bootloader;
    EngineRig rig(config);
    ASSERT_EQ(rig.Init("-FIRMWARE_UPDATE_VERSION=0.0.1 " + image.Option()), EngineResult::Ready);
    EXPECT_TRUE(rig.engine->IsInBootloader());
    const auto before = rig.clock.TotalSlept();
    EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::S_OK);
    EXPECT_EQ(rig.SwitchCount(), 0);
    EXPECT_GE(rig.clock.TotalSlept() - before, std::chrono::milliseconds(BootloaderSettleMs));
    EXPECT_EQ(rig.device->GetFlash(), image.rows);
}

TEST(UpdateEngine, ProgressFollowsRemainingLinesWithTruncatedSeconds) {
    TestImage image(99);  // header and 99 rows: 100 line feeds
    EngineRig rig;
    ASSERT_EQ(rig.Init("-UPDATE_TIME_ESTIMATE=7 " + image.Option()), EngineResult::Ready);
    ASSERT_EQ(rig.engine->UpdateFirmware(), Orv::S_OK);
    const auto progress = rig.recorder->Progress();
    ASSERT_EQ(progress.size(), 101u);  // after Enter Bootloader, after each row, once at the end
    EXPECT_DOUBLE_EQ(progress.front().fraction, 0.0);
    EXPECT_EQ(progress.front().seconds, 7);
    EXPECT_DOUBLE_EQ(progress[50].fraction, 0.5);
    EXPECT_EQ(progress[50].seconds, 3);
    EXPECT_DOUBLE_EQ(progress.back().fraction, 0.99);
    EXPECT_EQ(progress.back().seconds, 0);
    for (std::size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i].fraction, progress[i - 1].fraction);
    EXPECT_TRUE(std::none_of(progress.begin(), progress.end(), [](const Received& r) { return r.flag; }));
    EXPECT_EQ(rig.recorder->Outcomes(), kComplete);
}

TEST(UpdateEngine, ZeroEstimatePostsNoProgress) {
    TestImage image(4);
    EngineRig rig;
    ASSERT_EQ(rig.Init("-UPDATE_TIME_ESTIMATE=0 " + image.Option()), EngineResult::Ready);
    ASSERT_EQ(rig.engine->UpdateFirmware(), Orv::S_OK);
    EXPECT_TRUE(rig.recorder->Progress().empty());
    EXPECT_EQ(rig.recorder->Outcomes(), kComplete);
}

class EngineWithHostileImage : public ::testing::TestWithParam<HostileImage> {};

// A missing or damaged image is refused before the device is looked for: nothing is opened, no
// report is sent, and the reason names the file and line.
TEST_P(EngineWithHostileImage, IsRefusedBeforeTheDeviceIsTouched) {
    const auto dir = UniqueTempPath("varnet-engine-hostile");
    std::filesystem::create_directories(dir);
    const std::string path = GetParam().make(dir);
    {
        EngineRig rig;
        EXPECT_EQ(rig.Init("-ABSOLUTE_FIRMWARE_FILE_PATH=\"" + path + "\""), EngineResult::FirmwareFileMissingOrCorrupt);
        EXPECT_EQ(rig.engine->GetFailureReason(), Varnet::DescribeFirstProblem(path, Varnet::CheckImage(path)));
        EXPECT_NE(rig.engine->GetFailureReason().find(GetParam().text), std::string::npos);
        EXPECT_EQ(rig.device->GetOpenCount(), 0);
        EXPECT_TRUE(rig.device->GetTranscript().empty());
        EXPECT_EQ(rig.device->GetState(), SimulatedState::Application);
        EXPECT_EQ(rig.clock.NowMs(), 0);  // and no wait
        EXPECT_TRUE(rig.recorder->Outcomes().empty());
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

INSTANTIATE_TEST_SUITE_P(Inputs, EngineWithHostileImage, ::testing::ValuesIn(HostileImages()), HostileImageName());

TEST(UpdateEngine, FaultsOfImageAndChipTakeTheFailurePath) {
    {
        TestImage image(3, 0x12345678);  // another chip
        EngineRig rig;
        ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
        EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::E_FAIL);
        EXPECT_FALSE(rig.SentProgramRow());
        EXPECT_TRUE(rig.device->GetFlash().empty());
        EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
    }
    {
        TestImage image(3, SampleSiliconId, SampleSiliconRevision, 64, 254);  // rows 254..256
        EngineRig rig;
        ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
        EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::E_FAIL);
        EXPECT_EQ(rig.device->GetFlash().size(), 2u);  // the rows before the bad one
        EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
    }
}

TEST(UpdateEngine, DeviceFaultsTakeTheFailurePath) {
    struct Case {
        const char* name;
        void (*apply)(SimulatorFaults&);
        bool leavesBootloader;
    };
    const Case cases[] = {
        {"no-bootloader", [](SimulatorFaults& f) { f.noBootloader = true; }, false},
        {"unplug", [](SimulatorFaults& f) { f.unplugAfter = 20; }, false},
        {"silent", [](SimulatorFaults& f) { f.silentAt.insert(8); }, true},
        {"corrupt-row", [](SimulatorFaults& f) { f.corruptRow.insert(3); }, true},
        {"status", [](SimulatorFaults& f) { f.statusAt[6] = SimStatusData; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestImage image(10);
        auto config = QuickConfig();
        c.apply(config.faults);
        EngineRig rig(config);
        ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
        EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::E_FAIL);
        EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
        EXPECT_FALSE(rig.engine->IsUpdateInProgress());
        EXPECT_NE(rig.device->GetFlash(), image.rows);
        // No Exit Bootloader after a failure: the device waits in its bootloader for the next try.
        if (c.leavesBootloader) {
            EXPECT_EQ(rig.device->GetState(), SimulatedState::Bootloader);
        }
    }
}

TEST(UpdateEngine, DeviceIgnoringTheSwitchGetsTenReports) {
    TestImage image(2);
    auto config = QuickConfig();
    config.faults.ignoreSwitch = true;
    EngineRig rig(config);
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
    EXPECT_EQ(rig.engine->UpdateFirmware(), Orv::E_FAIL);
    EXPECT_EQ(rig.SwitchCount(), SwitchAttempts);
    EXPECT_EQ(rig.device->GetState(), SimulatedState::Application);
    EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
}

TEST(UpdateEngine, UnwritableRegistryRaisesTheAccessDeniedError) {
    EngineRig rig;
    const auto blocker = UniqueTempPath("varnet-engine-blocker");
    std::ofstream(blocker) << "not a folder";
    ::setenv("VARNET_REGISTRY_DIR", blocker.c_str(), 1);
    try {
        rig.engine->SuppressAutomaticFirmwareUpdates(true);
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Access Denied when opening registry key in "
                                             "LUpdateEngine::SuppressAutomaticFirmwareUpdates()."),
                  std::string::npos);
    }
    std::filesystem::remove(blocker);
}
