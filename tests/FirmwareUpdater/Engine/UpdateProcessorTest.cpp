#include "EngineTestSupport.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateProcessor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>

using namespace Varnet;
using namespace VarnetTest;

namespace {

constexpr auto kRunTimeout = std::chrono::seconds(600);

struct ProcessorRig {
    explicit ProcessorRig(SimulatorConfig config = QuickConfig(), DeviceSearchWatch search = {})
        : device(std::make_shared<SimulatedHidPlatform>(std::move(config), clock)),
          processor(Orv::MakeRC<LUpdateProcessor>(
              UpdateEnvironment{device, &clock, Orv::W(VARNET_SOURCE_DIR "/resources"),
                                [this](const std::string& line) {
                                    std::lock_guard<std::mutex> lock(mutex);
                                    reports.push_back(line);
                                },
                                [](const std::string&) {}, [](const std::string&) {}, std::move(search)})),
          recorder(NotificationRecorder::Create()) {}
    ~ProcessorRig() {
        if (processor) processor->WaitForRun(kRunTimeout);
        recorder->Detach();
    }

    Orv::ORVRESULT Init(const std::string& commandLine) {
        return processor->Initialize(Orv::W("updater " + commandLine));
    }
    std::vector<std::string> Reports() {
        std::lock_guard<std::mutex> lock(mutex);
        return reports;
    }

    RegistrySandbox registry;
    HookClock clock;  // virtual time
    std::mutex mutex;
    std::vector<std::string> reports;
    std::shared_ptr<SimulatedHidPlatform> device;
    Orv::RCPtr<LUpdateProcessor> processor;
    Orv::RCPtr<NotificationRecorder> recorder;
};

const std::vector<std::u16string> kCompleteTwice = {NID_FIRMWARE_UPDATE_COMPLETE, NID_FIRMWARE_UPDATE_COMPLETE};

}  // namespace

// The options decide a quiet end or an upload without Next. (The pages for an absent, current or
// outdated device: the end-to-end scripts and the integration fault table.)
TEST(UpdateProcessor, StatesFollowTheEngineAnswerAndTheOptions) {
    TestImage image(8);
    const struct {
        const char* name;
        std::uint16_t version;  // the device's
        std::string options;
        Orv::ORVRESULT result;
        ProcessorState state;
    } cases[] = {
        {"quiet when current", 0x0102, "-SILENT_IF_UPDATE_NOT_NEEDED", Orv::E_QUIET_EXIT, ProcessorStateNone},
        {"quiet only when current", 0x0101, "-SILENT_IF_UPDATE_NOT_NEEDED", Orv::S_OK, DeviceReady},
        {"automatic", 0x0101, "-START_UPDATE_AUTOMATICALLY " + image.Option(), Orv::S_OK, UpdateInProcess},
        {"automatic, current", 0x0102, "-START_UPDATE_AUTOMATICALLY", Orv::S_OK, UpdateNotNeeded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto config = QuickConfig(c.version);
        ProcessorRig rig(config);
        EXPECT_EQ(rig.Init(c.options), c.result);
        EXPECT_EQ(rig.processor->GetState(), c.state);
        ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
        const bool uploads = c.state == UpdateInProcess;
        EXPECT_EQ(rig.recorder->Outcomes(), uploads ? kCompleteTwice : std::vector<std::u16string>{});
        EXPECT_EQ(rig.device->GetFlash() == image.rows, uploads);
        EXPECT_EQ(rig.device->GetSwitchReportCount(), uploads ? 1 : 0);
    }
}

// Asking whether the program may end writes nothing; the processor's end (the program's) clears
// the value that holds the driver package back.
TEST(UpdateProcessor, TheEndOfTheProgramClearsTheValueThatHoldsTheDriverBack) {
    ProcessorRig rig;
    ASSERT_EQ(rig.Init(""), Orv::S_OK);
    Orv::MakeRC<LUpdateEngine>(rig.device, rig.clock, Orv::String())->SuppressAutomaticFirmwareUpdates(true);
    EXPECT_TRUE(rig.processor->IsIdle());
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), true);
    rig.processor = nullptr;
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
}

// A cancelled search ends the run quietly: no state to show, nothing sent to the device, even when
// the device turned up meanwhile and the update was to start by itself. (Cancelled while nothing is
// plugged in: the searching window's end-to-end script.)
TEST(UpdateProcessor, CancelledSearchEndsQuietlyWithoutTouchingTheDevice) {
    auto cancel = Orv::MakeRC<Orv::LEvent>();
    cancel->Set();
    ProcessorRig rig(QuickConfig(), {cancel, [](int, int) {}});
    EXPECT_EQ(rig.Init("-START_UPDATE_AUTOMATICALLY"), Orv::E_QUIET_EXIT);
    EXPECT_EQ(rig.processor->GetState(), ProcessorStateNone);
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    EXPECT_EQ(rig.device->GetSwitchReportCount() + rig.device->GetBootloaderCommandCount(), 0);
    EXPECT_TRUE(rig.processor->IsIdle());
}

// Failures on the worker before the switch (the image, sound at start-up, is gone; a registry write
// raises) are contained: told, no running mark left, the device untouched, still the one update.
TEST(UpdateProcessor, FailureBeforeTheSwitchLeavesTheDeviceUntouched) {
    for (const bool registryFails : {false, true}) {
        SCOPED_TRACE(registryFails ? "registry" : "image gone");
        TestImage image(3);
        ProcessorRig rig;
        ASSERT_EQ(rig.Init(image.Option()), Orv::S_OK);
        if (registryFails) {
            rig.registry.Block();
        } else {
            std::filesystem::remove(image.Path());
        }
        ASSERT_EQ(rig.processor->StartUpdate(), Orv::S_OK);
        ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
        rig.registry.Unblock();
        EXPECT_EQ(rig.recorder->Outcomes(),
                  (std::vector<std::u16string>{NID_FIRMWARE_UPDATE_FAILED, NID_FIRMWARE_UPDATE_FAILED}));
        EXPECT_TRUE(rig.processor->IsIdle());
        EXPECT_EQ(rig.device->GetSwitchReportCount() + rig.device->GetBootloaderCommandCount(), 0);
        EXPECT_EQ(rig.processor->StartUpdate(), Orv::E_FAIL);
        const auto reports = rig.Reports();
        EXPECT_EQ(reports.size(), registryFails ? 1u : 0u);
        for (const auto& line : reports)
            EXPECT_NE(line.find("SuppressAutoUpdates could not be cleared after the failed update"), std::string::npos)
                << line;
    }
}

// A silent run does everything inside Initialize, then ends; its one line on standard error tells
// the outcome. (The status line through the stages: cli.SilentStatusLine.)
TEST(UpdateProcessor, SilentRunEndsWithOneOutcomeLine) {
    const struct {
        const char* name;
        void (*configure)(SimulatorConfig&);
        const char* image;  // nullptr: the test image
        const char* line;
        bool uploads;
    } cases[] = {
        {"absent", [](SimulatorConfig& c) { c.startState = SimulatedState::Absent; }, nullptr,
         "varnet-updater: device not found", false},
        {"current", [](SimulatorConfig& c) { c.applicationVersion = 0x0102; }, nullptr,
         "varnet-updater: already up to date", false},
        {"missing-image", [](SimulatorConfig&) {}, "/nonexistent/x.cyacd",
         "varnet-updater: firmware image missing or corrupt: /nonexistent/x.cyacd: the file does not exist", false},
        {"other-version", [](SimulatorConfig& c) { c.updatedVersion = 0x0103; }, nullptr,
         "varnet-updater: update failed: the device restarted with version 1.0.3 instead of 1.0.2", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestImage image(6);
        auto config = QuickConfig();
        c.configure(config);
        ProcessorRig rig(config);
        const std::string path = c.image ? c.image : image.Path();
        EXPECT_EQ(rig.Init("-silent -ABSOLUTE_FIRMWARE_FILE_PATH=" + path), Orv::E_QUIET_EXIT);
        EXPECT_EQ(rig.Reports(), std::vector<std::string>{c.line});
        // Done on the calling thread before the answer: the flash is already written, or untouched.
        EXPECT_EQ(rig.device->GetFlash(), c.uploads ? image.rows : Flash{});
        // After an update (whatever its outcome) no second one starts.
        if (std::string(c.line).rfind("varnet-updater: update", 0) == 0) {
            EXPECT_EQ(rig.processor->StartUpdate(), Orv::E_FAIL);
        }
    }
}

TEST(UpdateProcessor, RegistryValueThatCannotBeClearedAfterAnUpdateIsReported) {
    for (const bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "window");
        TestImage image(4);
        ProcessorRig rig;
        // Once Exit Bootloader has gone out (the last command, answered by nothing) the writes fail.
        rig.clock.hook = [&](Orv::Platform::ClockDuration) {
            const auto t = rig.device->GetTranscript();
            if (t.size() >= 2 && t[t.size() - 2].rfind("OUT 01 3B", 0) == 0) rig.registry.Block();
        };
        if (silent) {
            EXPECT_EQ(rig.Init("-SILENT " + image.Option()), Orv::E_QUIET_EXIT);
        } else {
            ASSERT_EQ(rig.Init(image.Option()), Orv::S_OK);
            ASSERT_EQ(rig.processor->StartUpdate(), Orv::S_OK);
            ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
            EXPECT_EQ(rig.recorder->Outcomes(), kCompleteTwice);
        }
        rig.clock.hook = nullptr;
        rig.registry.Unblock();
        // Still an update that worked; the value that stayed set is told on its own line.
        const std::string told = "SuppressAutoUpdates could not be cleared after the update";
        const auto reports = rig.Reports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].rfind(silent ? "varnet-updater: updated to 1.0.2; " + told : "varnet-updater: " + told, 0),
                  0u)
            << reports[0];
    }
}

TEST(SilentOutcome, NamesEachOutcome) {
    const std::pair<SilentOutcome, const char*> cases[] = {
        {{-6, {}, "1.0.2"}, "varnet-updater: update failed: the HID library is not available"},
        {{0, {Orv::S_OK, false, "", ""}, "1.0.2"}, "varnet-updater: updated to 1.0.2 (the device is still restarting)"},
        {{0, {Orv::E_FAIL, false, "", ""}, "1.0.2"}, "varnet-updater: update failed: unknown reason"},
    };
    for (const auto& [outcome, line] : cases) EXPECT_EQ(DescribeSilentOutcome(outcome), line);
}

// At the settling wait after the switch the device has left its application and no row is
// written: an exit then would strand it in its bootloader, so the program is busy, and asking
// must not clear the value that holds the driver back.
TEST(UpdateProcessor, BusyFromTheSwitchOnSoTheProgramCannotEndWhileTheDeviceChangesMode) {
    TestImage image(20);
    ProcessorRig rig;
    ASSERT_EQ(rig.Init(image.Option()), Orv::S_OK);
    EXPECT_TRUE(rig.processor->IsIdle());
    std::vector<std::string> atSettle;
    rig.clock.hook = [&](Orv::Platform::ClockDuration wait) {
        if (wait != std::chrono::milliseconds(BootloaderSettleMs) || !atSettle.empty()) return;
        atSettle = {rig.device->GetState() == SimulatedState::Bootloader ? "bootloader" : "not in the bootloader",
                    rig.processor->IsIdle() ? "idle" : "busy",
                    rig.registry.SuppressAutoUpdates() == true ? "suppressed" : "not suppressed"};
    };
    ASSERT_EQ(rig.processor->StartUpdate(), Orv::S_OK);
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    rig.clock.hook = nullptr;
    EXPECT_EQ(atSettle, (std::vector<std::string>{"bootloader", "busy", "suppressed"}));
    EXPECT_TRUE(rig.processor->IsIdle());
    EXPECT_EQ(rig.device->GetFlash(), image.rows);
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
}
