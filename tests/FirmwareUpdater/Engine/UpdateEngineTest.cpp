#include "EngineTestSupport.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "HostileImages.h"
#include "OrvFramework/System/DebugTracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>

using namespace Varnet;
using namespace VarnetTest;

namespace {

// One engine over one simulated device, both on the same virtual clock.
struct EngineRig {
    explicit EngineRig(SimulatorConfig config = QuickConfig())
        : device(std::make_shared<SimulatedHidPlatform>(std::move(config), clock)),
          // The sample image lies in the program folder, as it does when installed.
          engine(Orv::MakeRC<LUpdateEngine>(device, clock, Orv::W(VARNET_SOURCE_DIR "/resources/"),
                                            [this](const std::string& line) { trace.push_back(line); })),
          recorder(NotificationRecorder::Create()) {}
    ~EngineRig() { recorder->Detach(); }

    EngineResult Init(const std::string& commandLine) { return engine->Initialize(Orv::W("updater " + commandLine)); }
    Orv::ORVRESULT Update() { return engine->UpdateFirmware().code; }
    int SwitchCount() const {
        const auto t = device->GetTranscript();
        return static_cast<int>(
            std::count_if(t.begin(), t.end(), [](const std::string& l) { return l.rfind("SWITCH", 0) == 0; }));
    }
    // The command packets sent, as transcript text without "OUT ".
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& l : device->GetTranscript())
            if (l.rfind("OUT ", 0) == 0) out.push_back(l.substr(4));
        return out;
    }
    bool Sent(std::uint8_t code) const {
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, "01 %02X", code);
        for (const auto& c : Commands())
            if (c.rfind(prefix, 0) == 0) return true;
        return false;
    }
    bool TraceHas(const std::string& text) const {
        return std::any_of(trace.begin(), trace.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }

    RegistrySandbox registry;
    Orv::Platform::VirtualClock clock;
    std::vector<std::string> trace;
    std::shared_ptr<SimulatedHidPlatform> device;
    Orv::RCPtr<LUpdateEngine> engine;
    Orv::RCPtr<NotificationRecorder> recorder;
};

const std::vector<std::u16string> kFailed = {NID_FIRMWARE_UPDATE_FAILED};
const std::vector<std::u16string> kComplete = {NID_FIRMWARE_UPDATE_COMPLETE};

}  // namespace

TEST(FirmwareVersion, ParsesTextAndPackedNumbers) {
    const struct {
        const char16_t* text;
        FirmwareVersion version;
    } texts[] = {{u"1.0.2", {1, 0, 2}}, {u"2", {2, 0, 0}},         {u"1..2", {1, 2, 0}},
                 {u".5", {0, 5, 0}},    {u"1.0.10.7", {1, 0, 10}}, {u"x.y", {0, 0, 0}}};
    for (const auto& t : texts) {
        SCOPED_TRACE(Orv::Utf16ToUtf8(t.text));
        EXPECT_EQ(ParseVersionText(t.text), t.version);
    }
    EXPECT_LT(ParseVersionText(u"1.0.9"), ParseVersionText(u"1.0.10"));  // numbers, not text
    // The HID version number holds packed decimal digits.
    EXPECT_EQ(DecodeVersionNumber(0x1203), (FirmwareVersion{12, 0, 3}));
    EXPECT_EQ(DecodeVersionNumber(0x0102).Text(), "1.0.2");
    for (const std::uint16_t number : {0x0000, 0x0102, 0x1203, 0x9999})
        EXPECT_EQ(EncodeVersionNumber(DecodeVersionNumber(number)), number);
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
    EXPECT_TRUE(rig.TraceHas("engine: search 10 of 10: no Varnet"));
    EXPECT_TRUE(rig.TraceHas("engine: decision: no update: the device was not found"));
}

namespace {

std::string TraceText(const std::vector<std::string>& trace) {
    std::string text;
    for (const auto& line : trace) text += line + "\n";
    return text;
}

}  // namespace

// Without a sink and without "-DEBUG_CONSOLE" the engine says nothing anywhere.
TEST(UpdateEngine, UntracedRunWritesNothing) {
    std::string written;
    Orv::DebuggerOutputFn old = Orv::SetDebuggerOutput([&](std::string_view text) { written += text; });
    {
        RegistrySandbox registry;
        TestImage image(3);
        Orv::Platform::VirtualClock clock;
        auto device = std::make_shared<SimulatedHidPlatform>(QuickConfig(), clock);
        auto engine = Orv::MakeRC<LUpdateEngine>(device, clock, Orv::W(VARNET_SOURCE_DIR "/resources"));
        ASSERT_FALSE(Orv::DebugTracer::Instance().IsConsoleOpen());
        ASSERT_EQ(engine->Initialize(Orv::W("updater " + image.Option())), EngineResult::Ready);
        EXPECT_TRUE(engine->UpdateFirmware().Succeeded());
    }
    Orv::SetDebuggerOutput(old);
    EXPECT_EQ(written, "");
}

TEST(UpdateEngine, ForcedDowngradeKeepsAutoUpdatesSuppressedOnlyAfterSuccess) {
    TestImage image(5);
    {
        auto config = QuickConfig(0x0102);
        config.updatedVersion = 0x0101;  // the older image comes back as 1.0.1
        EngineRig rig(config);
        ASSERT_EQ(rig.Init("-ALWAYS_UPDATE -FIRMWARE_UPDATE_VERSION=1.0.1 " + image.Option()), EngineResult::Ready);
        EXPECT_TRUE(rig.engine->IsDowngrade());
        EXPECT_EQ(rig.Update(), Orv::S_OK);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), true);
        EXPECT_EQ(rig.device->GetFlash(), image.rows);
        // The end of the program keeps it set: the driver package must not undo the downgrade at
        // its next start.
        rig.engine->EndSession();
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), true);
    }
    {
        TestImage otherChip(3, 0x12345678);  // refused by the bootloader
        EngineRig rig(QuickConfig(0x0102));
        ASSERT_EQ(rig.Init("-ALWAYS_UPDATE -FIRMWARE_UPDATE_VERSION=1.0.1 " + otherChip.Option()), EngineResult::Ready);
        EXPECT_EQ(rig.Update(), Orv::E_FAIL);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
    }
    {
        EngineRig rig(QuickConfig(0x0102));  // equal version: forced, but no downgrade
        ASSERT_EQ(rig.Init("-ALWAYS_UPDATE " + image.Option()), EngineResult::Ready);
        EXPECT_FALSE(rig.engine->IsDowngrade());
        EXPECT_EQ(rig.Update(), Orv::S_OK);
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
    }
}

TEST(UpdateEngine, UploadProgramsEveryRowAndConfirmsTheRestart) {
    TestImage image(12);
    EngineRig rig;
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
    const UpdateResult result = rig.engine->UpdateFirmware();
    EXPECT_EQ(result.code, Orv::S_OK);
    EXPECT_EQ(rig.device->GetFlash(), image.rows);
    EXPECT_EQ(rig.SwitchCount(), 1);
    EXPECT_EQ(rig.recorder->Outcomes(), kComplete);
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
    EXPECT_FALSE(rig.engine->IsUpdateInProgress());
    EXPECT_TRUE(result.failureReason.empty());
    EXPECT_TRUE(result.registryProblem.empty());
    // The engine waited for the device to come back and read the new version.
    EXPECT_TRUE(result.confirmed);
    // The trace names each interface that matters: path, ids, interface number and version.
    EXPECT_TRUE(rig.TraceHas("PID_2036&MI_04 vid=0x3D7A pid=0x2036 interface=4 version=1.0.1"));
    EXPECT_TRUE(rig.TraceHas("PID_2836 vid=0x3D7A pid=0x2836 interface=none"));
    EXPECT_TRUE(rig.TraceHas("engine: switch: waiting 1500 ms for the bootloader to settle"));
    EXPECT_TRUE(rig.TraceHas("engine: restart check: the device restarted with version 1.0.2 after "));
    EXPECT_EQ(rig.device->GetState(), SimulatedState::Application);
    EXPECT_EQ(rig.device->GetApplicationVersion(), 0x0102);
    // One open of the bootloader interface for the whole upload; no Sync Bootloader after our
    // own switch.
    EXPECT_EQ(rig.device->GetBootloaderOpenCount(), 1);
    EXPECT_FALSE(rig.Sent(CmdSyncBootloader));
}

TEST(UpdateEngine, DeviceInItsBootloaderIsSyncedAndProgrammedWithoutSwitchOrSettle) {
    for (const bool halfStaged : {false, true}) {
        SCOPED_TRACE(halfStaged ? "half-staged row" : "clean bootloader");
        TestImage image(3);
        auto config = QuickConfig();
        config.startState = SimulatedState::Bootloader;
        config.faults.halfStagedRow = halfStaged;
        EngineRig rig(config);
        ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
        EXPECT_TRUE(rig.engine->IsInBootloader());
        const auto before = rig.clock.TotalSlept();
        EXPECT_EQ(rig.Update(), Orv::S_OK) << rig.engine->GetFailureReason();
        EXPECT_EQ(rig.SwitchCount(), 0);
        EXPECT_EQ(rig.device->GetFlash(), image.rows);
        // Sync Bootloader first, then Enter Bootloader.
        const auto commands = rig.Commands();
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(commands[0], "01 35 00 00 CA FF 17");
        EXPECT_EQ(commands[1], "01 38 00 00 C7 FF 17");
        // Only the wait for the restart; no settle (a fresh bootloader waits about 2 s for a host).
        EXPECT_LT(rig.clock.TotalSlept() - before,
                  std::chrono::milliseconds(BootloaderSettleMs + config.restartDelayMs));
        EXPECT_EQ(rig.device->GetBootloaderOpenCount(), 1);
    }
}

TEST(UpdateEngine, ProgressFollowsRemainingLinesWithTruncatedSeconds) {
    TestImage image(98);  // header, 98 rows and the metadata row: 100 line feeds
    EngineRig rig;
    ASSERT_EQ(rig.Init("-UPDATE_TIME_ESTIMATE=7 " + image.Option()), EngineResult::Ready);
    ASSERT_EQ(rig.Update(), Orv::S_OK);
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

    EngineRig unestimated;  // no estimate, no progress
    ASSERT_EQ(unestimated.Init("-UPDATE_TIME_ESTIMATE=0 " + image.Option()), EngineResult::Ready);
    ASSERT_EQ(unestimated.Update(), Orv::S_OK);
    EXPECT_TRUE(unestimated.recorder->Progress().empty());
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
        EXPECT_EQ(rig.Init("-ABSOLUTE_FIRMWARE_FILE_PATH=\"" + path + "\""),
                  EngineResult::FirmwareFileMissingOrCorrupt);
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

namespace {

// Where a failed upload leaves the device.
enum class Ends { Application, Bootloader, Absent };

struct FailureCase {
    const char* name;
    void (*configure)(SimulatorConfig&);
    std::uint32_t imageSiliconId;
    Metadata metadata;
    bool exitSent;  // Exit Bootloader went out (before any row, or after the last one)
    Ends ends;
    const char* trace = nullptr;  // a line the trace holds, besides the failure and its reason
};

}  // namespace

// Commands of a 10-row image of 64-byte rows from application mode: 1 Enter Bootloader, 2 Get
// Flash Size, then per row Send Data, Program Row, Verify Row (row 1: 3-5, row 2: 6-8, ...).
TEST(UpdateEngine, FailuresLeaveTheDeviceWhereItIsSafest) {
    const FailureCase cases[] = {
        // Nothing written yet: the device goes back to the application it still holds.
        {"enter-silent", [](SimulatorConfig& c) { c.faults.silentAt.insert(1); }, SampleSiliconId, Metadata::Valid,
         true, Ends::Application, "engine: command 0x38: timed out: no answer within 5000 ms"},
        {"another-chip", [](SimulatorConfig&) {}, 0x12345678, Metadata::Valid, true, Ends::Application,
         "the image is for 0x12345678 revision"},
        {"another-revision", [](SimulatorConfig& c) { c.siliconRevision = 0x12; }, SampleSiliconId, Metadata::Valid,
         true, Ends::Application},
        {"bootloader-version", [](SimulatorConfig& c) { c.bootloaderVersion = 0x020000; }, SampleSiliconId,
         Metadata::Valid, true, Ends::Application, "bootloader version 0x020000 is not supported"},
        {"flash-size-status", [](SimulatorConfig& c) { c.faults.statusAt[2] = SimStatusArray; }, SampleSiliconId,
         Metadata::Valid, true, Ends::Application},
        // Rows under way: the device waits in its bootloader for the next try. (Each fault at each
        // place, through the whole program, is the integration fault table's.)
        {"corrupt-row", [](SimulatorConfig& c) { c.faults.corruptRow.insert(3); }, SampleSiliconId, Metadata::Valid,
         false, Ends::Bootloader, "verify=failed"},
        // The whole image went in, but the device did not come back with it.
        {"bad-metadata", [](SimulatorConfig&) {}, SampleSiliconId, Metadata::BadChecksum, true, Ends::Bootloader,
         "the device came back in its bootloader: it did not start the new firmware"},
        {"other-version", [](SimulatorConfig& c) { c.updatedVersion = 0x0103; }, SampleSiliconId, Metadata::Valid, true,
         Ends::Application, "the device restarted with version 1.0.3 instead of 1.0.2"},
        // Never switched: ten reports, then the device keeps its application.
        {"ignored-switch", [](SimulatorConfig& c) { c.faults.ignoreSwitch = true; }, SampleSiliconId, Metadata::Valid,
         false, Ends::Application, "engine: switch: the application interface is still there after 10 switch reports"},
        // Gone.
        {"no-bootloader", [](SimulatorConfig& c) { c.faults.noBootloader = true; }, SampleSiliconId, Metadata::Valid,
         false, Ends::Absent, "engine: switch: timed out: no bootloader within 30000 ms"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestImage image(10, c.imageSiliconId, SampleSiliconRevision, 64, 16, c.metadata);
        auto config = QuickConfig();
        c.configure(config);
        EngineRig rig(config);
        ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
        const UpdateResult result = rig.engine->UpdateFirmware();
        EXPECT_EQ(result.code, Orv::E_FAIL);
        EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
        EXPECT_FALSE(result.failureReason.empty());
        EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
        EXPECT_FALSE(rig.engine->IsUpdateInProgress());
        EXPECT_EQ(rig.Sent(CmdExitBootloader), c.exitSent);
        rig.clock.SleepMs(config.restartDelayMs);
        const SimulatedState expected = c.ends == Ends::Application  ? SimulatedState::Application
                                        : c.ends == Ends::Bootloader ? SimulatedState::Bootloader
                                                                     : SimulatedState::Absent;
        EXPECT_EQ(rig.device->GetState(), expected);
        if (c.ends == Ends::Application && config.updatedVersion == 0x0102) {
            EXPECT_EQ(rig.device->GetApplicationVersion(), 0x0101);  // its own firmware, untouched
        }
        EXPECT_LE(rig.device->GetBootloaderOpenCount(), 2);  // a second open only for Exit after a broken read
        EXPECT_TRUE(rig.TraceHas("engine: update failed: " + result.failureReason)) << TraceText(rig.trace);
        if (c.trace) {
            EXPECT_TRUE(rig.TraceHas(c.trace)) << TraceText(rig.trace);
        }
    }
}

// An image that was sound at start-up but is gone when the upload opens it: the device is not
// touched at all.
TEST(UpdateEngine, ImageGoneBeforeTheUploadLeavesTheDeviceUntouched) {
    EngineRig rig;
    TestImage image(3);
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
    std::filesystem::remove(image.Path());
    const UpdateResult result = rig.engine->UpdateFirmware();
    EXPECT_EQ(result.code, Orv::E_FAIL);
    EXPECT_EQ(result.failureReason, "the firmware image " + image.Path() + " could not be opened");
    EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
    EXPECT_FALSE(rig.engine->IsUpdateInProgress());
    EXPECT_EQ(rig.SwitchCount(), 0);
    EXPECT_TRUE(rig.Commands().empty());
    EXPECT_EQ(rig.device->GetState(), SimulatedState::Application);
}

TEST(UpdateEngine, RowOutsideTheFlashAfterOthersLeavesTheBootloaderWaiting) {
    TestImage image(3, SampleSiliconId, SampleSiliconRevision, 64, 254, Metadata::None);  // rows 254..256
    EngineRig rig;
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
    EXPECT_EQ(rig.Update(), Orv::E_FAIL);
    EXPECT_EQ(rig.device->GetFlash().size(), 2u);  // the rows before the bad one
    EXPECT_FALSE(rig.Sent(CmdExitBootloader));
    EXPECT_EQ(rig.device->GetState(), SimulatedState::Bootloader);
    EXPECT_NE(rig.engine->GetFailureReason().find("row 256 of flash array 0"), std::string::npos)
        << rig.engine->GetFailureReason();
}

// Nothing comes back within the bound (unplugged right after Exit Bootloader, command 12 of 2 rows
// and the metadata row): told as updated but not confirmed, and the trace says it was not seen.
TEST(UpdateEngine, UnansweredRestartIsToldAsStillRestarting) {
    TestImage image(2);
    auto config = QuickConfig();
    config.faults.unplugAfter = 12;
    EngineRig rig(config);
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
    const UpdateResult result = rig.engine->UpdateFirmware();
    EXPECT_EQ(result.code, Orv::S_OK);
    EXPECT_FALSE(result.confirmed);
    EXPECT_EQ(rig.Commands().back().substr(0, 5), "01 3B");
    EXPECT_EQ(rig.recorder->Outcomes(), kComplete);
    EXPECT_TRUE(rig.TraceHas("still restarting"));
}

TEST(UpdateEngine, RegistryFailureAfterACompletedUploadIsToldNotTurnedIntoFailure) {
    RegistrySandbox registry;
    TestImage image(3);
    HookClock clock;
    auto device = std::make_shared<SimulatedHidPlatform>(QuickConfig(), clock);
    std::vector<std::string> trace;
    auto engine = Orv::MakeRC<LUpdateEngine>(device, clock, Orv::W(VARNET_SOURCE_DIR "/resources"),
                                             [&](const std::string& line) { trace.push_back(line); });
    auto recorder = NotificationRecorder::Create();
    ASSERT_EQ(engine->Initialize(Orv::W("updater " + image.Option())), EngineResult::Ready);
    UpdateResult result;
    {
        RegistryBlockedAfterExit blocked(clock, *device, registry);
        result = engine->UpdateFirmware();
    }
    EXPECT_EQ(result.code, Orv::S_OK);
    EXPECT_EQ(recorder->Outcomes(), kComplete);
    EXPECT_NE(result.registryProblem.find("SuppressAutoUpdates could not be cleared after the update"),
              std::string::npos)
        << result.registryProblem;
    EXPECT_NE(std::find(trace.begin(), trace.end(), "engine: " + result.registryProblem), trace.end());
    EXPECT_TRUE(result.confirmed);
    recorder->Detach();
}

// The registry write raises; the upload contains it: a failure with the reason, before the device
// was touched, and no running mark left behind.
TEST(UpdateEngine, UnwritableRegistryFailsTheUploadBeforeTheSwitch) {
    TestImage image(3);
    EngineRig rig;
    ASSERT_EQ(rig.Init(image.Option()), EngineResult::Ready);
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
    const UpdateResult result = rig.engine->UpdateFirmware();
    EXPECT_EQ(result.code, Orv::E_FAIL);
    EXPECT_NE(result.failureReason.find("Access Denied"), std::string::npos) << result.failureReason;
    EXPECT_NE(result.registryProblem.find("could not be cleared after the failed update"), std::string::npos);
    EXPECT_FALSE(rig.engine->IsUpdateInProgress());
    EXPECT_EQ(rig.SwitchCount(), 0);
    EXPECT_EQ(rig.recorder->Outcomes(), kFailed);
    std::filesystem::remove(blocker);
    ::setenv("VARNET_REGISTRY_DIR", rig.registry.Dir().c_str(), 1);
}

// Asking whether an upload runs changes nothing; the end of the program clears the value that
// holds the driver package back, unless an upload runs.
TEST(UpdateEngine, QueryLeavesTheRegistryAndTheEndOfTheSessionClearsIt) {
    EngineRig rig;
    rig.engine->SuppressAutomaticFirmwareUpdates(true);
    EXPECT_FALSE(rig.engine->IsUpdateInProgress());
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), true);
    rig.engine->EndSession();
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
}
