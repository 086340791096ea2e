#include "EngineTestSupport.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateProcessor.h"
#include "HostileImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace Varnet;
using namespace VarnetTest;

namespace {

constexpr auto kRunTimeout = std::chrono::seconds(600);

struct ProcessorRig {
    explicit ProcessorRig(SimulatorConfig config = QuickConfig())
        : device(std::make_shared<SimulatedHidPlatform>(std::move(config), clock)),
          processor(Orv::MakeRC<LUpdateProcessor>(UpdateEnvironment{
              device, &clock, Orv::W(VARNET_SOURCE_DIR "/resources"),
              [this](const std::string& line) {
                  std::lock_guard<std::mutex> lock(mutex);
                  reports.push_back(line);
              },
              [](const std::string&) {}, [this](const std::string& text) { progress.push_back(text); }})),
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
    Orv::Platform::VirtualClock clock;
    std::mutex mutex;
    std::vector<std::string> reports;
    std::vector<std::string> progress;  // a silent run's status line, as written
    std::shared_ptr<SimulatedHidPlatform> device;
    Orv::RCPtr<LUpdateProcessor> processor;
    Orv::RCPtr<NotificationRecorder> recorder;
};

const std::vector<std::u16string> kCompleteTwice = {NID_FIRMWARE_UPDATE_COMPLETE, NID_FIRMWARE_UPDATE_COMPLETE};

}  // namespace

// The engine's answer and the options decide the state shown, or a quiet end; nothing starts
// without Next unless asked for.
TEST(UpdateProcessor, StatesFollowTheEngineAnswerAndTheOptions) {
    const auto dir = UniqueTempPath("varnet-processor-image");
    std::filesystem::create_directories(dir);
    const std::string damaged = "-ABSOLUTE_FIRMWARE_FILE_PATH=" + FindHostileImage("BadRowChecksum").make(dir);
    TestImage image(8);
    const struct {
        const char* name;
        std::uint16_t version;  // the device's; 0: absent
        std::string options;
        Orv::ORVRESULT result;
        ProcessorState state;
        bool uploads;
    } cases[] = {
        {"outdated", 0x0101, "", Orv::S_OK, DeviceReady, false},
        {"current", 0x0102, "", Orv::S_OK, UpdateNotNeeded, false},
        {"absent", 0, "", Orv::S_OK, DeviceNotFound, false},
        {"damaged image", 0x0101, damaged, Orv::S_OK, FirmwareFileMissingOrCorrupt, false},
        {"quiet when current", 0x0102, "-SILENT_IF_UPDATE_NOT_NEEDED", Orv::E_QUIET_EXIT, ProcessorStateNone, false},
        {"quiet only when current", 0x0101, "-SILENT_IF_UPDATE_NOT_NEEDED", Orv::S_OK, DeviceReady, false},
        {"automatic", 0x0101, "-START_UPDATE_AUTOMATICALLY " + image.Option(), Orv::S_OK, UpdateInProcess, true},
        {"automatic, current", 0x0102, "-START_UPDATE_AUTOMATICALLY", Orv::S_OK, UpdateNotNeeded, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto config = QuickConfig(c.version);
        if (c.version == 0) config.startState = SimulatedState::Absent;
        ProcessorRig rig(config);
        EXPECT_EQ(rig.Init(c.options), c.result);
        EXPECT_EQ(rig.processor->GetState(), c.state);
        ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
        EXPECT_EQ(rig.recorder->Outcomes(), c.uploads ? kCompleteTwice : std::vector<std::u16string>{});
        EXPECT_EQ(rig.device->GetFlash() == image.rows, c.uploads);
        if (!c.uploads) {
            EXPECT_EQ(rig.device->GetSwitchReportCount(), 0);
        }
        if (c.state == FirmwareFileMissingOrCorrupt) {
            EXPECT_EQ(rig.device->GetOpenCount(), 0);
        }
    }
    ProcessorRig rig;
    ASSERT_EQ(rig.Init(""), Orv::S_OK);
    Orv::String version;
    EXPECT_FALSE(rig.processor->GetFirmwareUpdateVersion(version));
    EXPECT_EQ(version, Orv::String(u"1.0.2"));
    std::filesystem::remove_all(dir);
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
// the device turned up meanwhile and the update was to start by itself.
TEST(UpdateProcessor, CancelledSearchEndsQuietlyWithoutTouchingTheDevice) {
    {
        auto config = QuickConfig();
        config.startState = SimulatedState::Absent;
        ProcessorRig rig(config);
        auto cancel = Orv::MakeRC<Orv::LEvent>();
        rig.processor = Orv::MakeRC<LUpdateProcessor>(UpdateEnvironment{rig.device,
                                                                        &rig.clock,
                                                                        Orv::W(VARNET_SOURCE_DIR "/resources"),
                                                                        {},
                                                                        [](const std::string&) {},
                                                                        {},
                                                                        {cancel, [&](int attempt, int) {
                                                                             if (attempt == 2) cancel->Set();
                                                                         }}});
        EXPECT_EQ(rig.Init(""), Orv::E_QUIET_EXIT);
        EXPECT_EQ(rig.processor->GetState(), ProcessorStateNone);
        EXPECT_EQ(rig.clock.NowMs(), DeviceSearchIntervalMs);
    }
    {
        ProcessorRig rig;
        auto cancel = Orv::MakeRC<Orv::LEvent>();
        rig.processor = Orv::MakeRC<LUpdateProcessor>(UpdateEnvironment{rig.device,
                                                                        &rig.clock,
                                                                        Orv::W(VARNET_SOURCE_DIR "/resources"),
                                                                        {},
                                                                        [](const std::string&) {},
                                                                        {},
                                                                        {cancel, {}}});
        cancel->Set();
        EXPECT_EQ(rig.Init("-START_UPDATE_AUTOMATICALLY"), Orv::E_QUIET_EXIT);
        ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
        EXPECT_EQ(rig.device->GetSwitchReportCount(), 0);
        EXPECT_EQ(rig.device->GetBootloaderCommandCount(), 0);
        EXPECT_TRUE(rig.processor->IsIdle());
    }
}

TEST(UpdateProcessor, RegistryErrorOnTheWorkerBecomesAFailure) {
    TestImage image(3);
    ProcessorRig rig;
    ASSERT_EQ(rig.Init(image.Option()), Orv::S_OK);
    const auto blocker = UniqueTempPath("varnet-processor-blocker");
    std::ofstream(blocker) << "not a folder";
    ::setenv("VARNET_REGISTRY_DIR", blocker.c_str(), 1);
    ASSERT_EQ(rig.processor->StartUpdate(), Orv::S_OK);
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    const auto outcomes = rig.recorder->Outcomes();
    ASSERT_FALSE(outcomes.empty());
    EXPECT_EQ(outcomes.back(), NID_FIRMWARE_UPDATE_FAILED);
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), NID_FIRMWARE_UPDATE_COMPLETE), 0);
    EXPECT_TRUE(rig.processor->IsIdle());  // contained: no running mark left behind
    EXPECT_TRUE(rig.device->GetFlash().empty());
    std::filesystem::remove(blocker);
    ::setenv("VARNET_REGISTRY_DIR", rig.registry.Dir().c_str(), 1);
    // The device was never touched; the contained error still counts as the one update.
    EXPECT_EQ(rig.device->GetSwitchReportCount(), 0);
    EXPECT_EQ(rig.processor->StartUpdate(), Orv::E_FAIL);
}

namespace {

struct SilentCase {
    const char* name;
    void (*configure)(SimulatorConfig&);
    bool withImage;
    const char* line;  // the whole line, or its beginning when it ends in "..."
    bool uploads;
    // The status line's stages: s searching, w switching, p writing, r restarting, c cleared.
    const char* stages;
};

// The stages a status line passed through, each run of one stage as one letter.
std::string StageLetters(const std::vector<std::string>& progress) {
    std::string letters;
    for (const auto& text : progress) {
        char letter = '?';
        if (text.find("searching") != std::string::npos)
            letter = 's';
        else if (text.find("switching") != std::string::npos)
            letter = 'w';
        else if (text.find("writing") != std::string::npos)
            letter = 'p';
        else if (text.find("restarting") != std::string::npos)
            letter = 'r';
        else if (text.find_first_not_of("\r ") == std::string::npos)
            letter = 'c';
        if (letters.empty() || letters.back() != letter) letters += letter;
    }
    return letters;
}

}  // namespace

// A silent run does everything inside Initialize, then ends; its one line on standard error tells
// the outcome.
TEST(UpdateProcessor, SilentRunEndsWithOneOutcomeLine) {
    const SilentCase cases[] = {
        {"absent", [](SimulatorConfig& c) { c.startState = SimulatedState::Absent; }, true,
         "varnet-updater: device not found", false, "sc"},
        {"current", [](SimulatorConfig& c) { c.applicationVersion = 0x0102; }, true,
         "varnet-updater: already up to date", false, "sc"},
        {"outdated", [](SimulatorConfig&) {}, true, "varnet-updater: updated to 1.0.2", true, "swprc"},
        {"ignores-switch", [](SimulatorConfig& c) { c.faults.ignoreSwitch = true; }, true,
         "varnet-updater: update failed: the device did not switch into its bootloader", false, "swc"},
        {"missing-image", [](SimulatorConfig&) {}, false,
         "varnet-updater: firmware image missing or corrupt: /nonexistent/x.cyacd: the file does not exist", false, ""},
        {"other-version", [](SimulatorConfig& c) { c.updatedVersion = 0x0103; }, true,
         "varnet-updater: update failed: the device restarted with version 1.0.3 instead of 1.0.2", true, "swprc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestImage image(6);
        auto config = QuickConfig();
        c.configure(config);
        ProcessorRig rig(config);
        const std::string imageOption =
            c.withImage ? image.Option() : "-ABSOLUTE_FIRMWARE_FILE_PATH=/nonexistent/x.cyacd";
        EXPECT_EQ(rig.Init("-silent " + imageOption), Orv::E_QUIET_EXIT);
        EXPECT_EQ(rig.Reports(), std::vector<std::string>{c.line});
        EXPECT_EQ(StageLetters(rig.progress), c.stages);
        for (const auto& text : rig.progress) EXPECT_EQ(text.front(), '\r') << text;
        if (c.uploads) {
            // The share rises to 100; "restarting" covers the longer text before it, and the wipe
            // covers "restarting".
            EXPECT_NE(std::find(rig.progress.begin(), rig.progress.end(), "\rvarnet-updater: writing 100 %"),
                      rig.progress.end());
            EXPECT_EQ(rig.progress.end()[-2], "\rvarnet-updater: restarting   ");
            EXPECT_EQ(rig.progress.back(), "\r" + std::string(26, ' ') + "\r");
        }
        // Done on the calling thread before the answer: the flash is already written.
        EXPECT_EQ(rig.device->GetFlash() == image.rows, c.uploads);
        // After an update (whatever its outcome) no second one starts.
        if (std::string(c.line).rfind("varnet-updater: update", 0) == 0) {
            EXPECT_EQ(rig.processor->StartUpdate(), Orv::E_FAIL);
        }
        if (!c.uploads) {
            EXPECT_TRUE(rig.device->GetFlash().empty());
        }
    }
}

TEST(UpdateProcessor, RegistryValueThatCannotBeClearedAfterAnUpdateIsReported) {
    for (const bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "window");
        TestImage image(4);
        RegistrySandbox registry;
        HookClock clock;
        auto device = std::make_shared<SimulatedHidPlatform>(QuickConfig(), clock);
        std::vector<std::string> reports;
        auto processor = Orv::MakeRC<LUpdateProcessor>(
            UpdateEnvironment{device, &clock, Orv::W(VARNET_SOURCE_DIR "/resources"),
                              [&](const std::string& l) { reports.push_back(l); }, [](const std::string&) {}});
        auto recorder = NotificationRecorder::Create();
        {
            RegistryBlockedAfterExit blocked(clock, *device, registry);
            if (silent) {
                EXPECT_EQ(processor->Initialize(Orv::W("updater -SILENT " + image.Option())), Orv::E_QUIET_EXIT);
            } else {
                ASSERT_EQ(processor->Initialize(Orv::W("updater " + image.Option())), Orv::S_OK);
                ASSERT_EQ(processor->StartUpdate(), Orv::S_OK);
                ASSERT_TRUE(processor->WaitForRun(kRunTimeout));
            }
        }
        // Still an update that worked; the value that stayed set is told on its own line.
        const std::string told = "SuppressAutoUpdates could not be cleared after the update";
        ASSERT_EQ(reports.size(), 1u);
        if (silent) {
            EXPECT_EQ(reports[0].rfind("varnet-updater: updated to 1.0.2; " + told, 0), 0u) << reports[0];
        } else {
            EXPECT_EQ(reports[0].rfind("varnet-updater: " + told, 0), 0u) << reports[0];
            EXPECT_EQ(recorder->Outcomes(), kCompleteTwice);
        }
        recorder->Detach();
    }
}

TEST(SilentOutcome, NamesEachOutcome) {
    const std::pair<SilentOutcome, const char*> cases[] = {
        {{-3, {Orv::E_FAIL, false, "/opt/varnet/Varnet1.0.2.cyacd:7: bad row checksum", ""}, "1.0.2"},
         "varnet-updater: firmware image missing or corrupt: /opt/varnet/Varnet1.0.2.cyacd:7: bad row checksum"},
        {{-6, {}, "1.0.2"}, "varnet-updater: update failed: the HID library is not available"},
        {{0, {Orv::S_OK, false, "", ""}, "1.0.2"}, "varnet-updater: updated to 1.0.2 (the device is still restarting)"},
        {{0, {Orv::E_FAIL, false, "", ""}, "1.0.2"}, "varnet-updater: update failed: unknown reason"},
    };
    for (const auto& [outcome, line] : cases) EXPECT_EQ(DescribeSilentOutcome(outcome), line);
}

TEST(UpdateProcessor, CheckPostsReadyToUpdate) {
    ProcessorRig rig;
    ASSERT_EQ(rig.Init(""), Orv::S_OK);
    ASSERT_EQ(rig.processor->StartCheck(), Orv::S_OK);
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    EXPECT_EQ(rig.recorder->Outcomes(), std::vector<std::u16string>{NID_READY_TO_UPDATE});
}

namespace {

// Virtual time whose first wait of one given length holds its thread until the test lets it go,
// so a test can look at the program while the worker stands at that point of the upload.
class GateClock final : public Orv::Platform::IClock {
public:
    explicit GateClock(Orv::Platform::ClockDuration gate) : m_gate(gate) {}
    Orv::Platform::ClockDuration Now() const override { return Orv::Platform::ClockDuration(m_now.load()); }
    void Sleep(Orv::Platform::ClockDuration duration) override {
        if (duration == m_gate) {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (!m_reached) {
                m_reached = true;
                m_cv.notify_all();
                m_cv.wait_for(lock, std::chrono::seconds(10), [this] { return m_released; });
            }
        }
        m_now += duration.count();
    }
    bool WaitUntilReached() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(10), [this] { return m_reached; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
        m_cv.notify_all();
    }

protected:
    std::chrono::nanoseconds RealWaitBudget(Orv::Platform::ClockDuration timeout) const override {
        return std::min<std::chrono::nanoseconds>(timeout, std::chrono::milliseconds(50));
    }
    void NoteTimedOut(Orv::Platform::ClockDuration timeout) override { m_now += timeout.count(); }

private:
    const Orv::Platform::ClockDuration m_gate;
    std::atomic<std::int64_t> m_now{0};
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_reached = false;
    bool m_released = false;
};

}  // namespace

TEST(UpdateProcessor, BusyFromTheSwitchOnSoTheProgramCannotEndWhileTheDeviceChangesMode) {
    TestImage image(20);
    RegistrySandbox registry;
    GateClock clock(std::chrono::milliseconds(1500));  // the settling wait after the switch
    auto device = std::make_shared<SimulatedHidPlatform>(QuickConfig(), clock);
    auto processor =
        Orv::MakeRC<LUpdateProcessor>(UpdateEnvironment{device, &clock, Orv::W(VARNET_SOURCE_DIR "/resources")});
    ASSERT_EQ(processor->Initialize(Orv::W("updater " + image.Option())), Orv::S_OK);
    ASSERT_EQ(processor->GetState(), DeviceReady);
    EXPECT_TRUE(processor->IsIdle());

    ASSERT_EQ(processor->StartUpdate(), Orv::S_OK);
    ASSERT_TRUE(clock.WaitUntilReached());
    // The device has left its application mode, no row is written yet: an exit now would strand
    // it in its bootloader, and asking must not clear the value that holds the driver back.
    EXPECT_EQ(device->GetState(), SimulatedState::Bootloader);
    EXPECT_FALSE(processor->IsIdle());
    EXPECT_EQ(registry.SuppressAutoUpdates(), true);

    clock.Release();
    ASSERT_TRUE(processor->WaitForRun(kRunTimeout));
    EXPECT_TRUE(processor->IsIdle());
    EXPECT_EQ(device->GetFlash(), image.rows);
    EXPECT_EQ(registry.SuppressAutoUpdates(), false);
}
