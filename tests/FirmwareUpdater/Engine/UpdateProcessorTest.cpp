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
          processor(Orv::MakeRC<LUpdateProcessor>(
              UpdateEnvironment{device, &clock, Orv::W(VARNET_SOURCE_DIR "/resources")})),
          recorder(NotificationRecorder::Create()) {}
    ~ProcessorRig() {
        processor->WaitForRun(kRunTimeout);
        recorder->Detach();
    }

    Orv::ORVRESULT Init(const std::string& commandLine) { return processor->Initialize(Orv::W("updater " + commandLine)); }

    RegistrySandbox registry;
    Orv::Platform::VirtualClock clock;
    std::shared_ptr<SimulatedHidPlatform> device;
    Orv::RCPtr<LUpdateProcessor> processor;
    Orv::RCPtr<NotificationRecorder> recorder;
};

const std::vector<std::u16string> kCompleteTwice = {NID_FIRMWARE_UPDATE_COMPLETE, NID_FIRMWARE_UPDATE_COMPLETE};
const std::vector<std::u16string> kFailedTwice = {NID_FIRMWARE_UPDATE_FAILED, NID_FIRMWARE_UPDATE_FAILED};

}  // namespace

TEST(UpdateProcessor, StatesFollowTheEngineAnswer) {
    {
        ProcessorRig rig;
        EXPECT_EQ(rig.processor->GetState(), ProcessorStateNone);
        EXPECT_EQ(rig.Init(""), Orv::S_OK);
        EXPECT_EQ(rig.processor->GetState(), DeviceReady);
        Orv::String version;
        EXPECT_FALSE(rig.processor->GetFirmwareUpdateVersion(version));
        EXPECT_EQ(version, Orv::String(u"1.0.2"));
        EXPECT_TRUE(rig.processor->IsIdle());
        EXPECT_EQ(rig.device->GetBootloaderCommandCount(), 0);  // nothing starts without Next
    }
    {
        ProcessorRig rig(QuickConfig(0x0102));
        EXPECT_EQ(rig.Init(""), Orv::S_OK);
        EXPECT_EQ(rig.processor->GetState(), UpdateNotNeeded);
    }
    {
        auto config = QuickConfig();
        config.startState = SimulatedState::Absent;
        ProcessorRig rig(config);
        EXPECT_EQ(rig.Init(""), Orv::S_OK);
        EXPECT_EQ(rig.processor->GetState(), DeviceNotFound);
    }
    {
        const auto dir = UniqueTempPath("varnet-processor-image");
        std::filesystem::create_directories(dir);
        ProcessorRig rig;
        EXPECT_EQ(rig.Init("-ABSOLUTE_FIRMWARE_FILE_PATH=" + FindHostileImage("BadRowChecksum").make(dir)), Orv::S_OK);
        EXPECT_EQ(rig.processor->GetState(), FirmwareFileMissingOrCorrupt);
        EXPECT_EQ(rig.device->GetOpenCount(), 0);
        std::filesystem::remove_all(dir);
    }
}

TEST(UpdateProcessor, UploadOnTheWorkerDeliversTheOutcomeTwice) {
    TestImage image(20);
    ProcessorRig rig;
    ASSERT_EQ(rig.Init(image.Option()), Orv::S_OK);
    ASSERT_EQ(rig.processor->GetState(), DeviceReady);
    ASSERT_EQ(rig.processor->StartUpdate(), Orv::S_OK);
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    EXPECT_EQ(rig.recorder->Outcomes(), kCompleteTwice);
    const auto progress = rig.recorder->Progress();
    ASSERT_EQ(progress.size(), 22u);
    EXPECT_FALSE(progress.back().flag);
    EXPECT_EQ(rig.device->GetFlash(), image.rows);
    EXPECT_TRUE(rig.processor->IsIdle());
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
}

TEST(UpdateProcessor, FailedUploadDeliversFailureTwice) {
    TestImage otherChip(3, 0x12345678);  // refused by the bootloader
    ProcessorRig rig;
    ASSERT_EQ(rig.Init(otherChip.Option()), Orv::S_OK);
    ASSERT_EQ(rig.processor->StartUpdate(), Orv::S_OK);
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    EXPECT_EQ(rig.recorder->Outcomes(), kFailedTwice);
    EXPECT_TRUE(rig.processor->IsIdle());
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
    // The worker can run again.
    ASSERT_EQ(rig.processor->StartUpdate(), Orv::S_OK);
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    EXPECT_EQ(rig.recorder->Outcomes().back(), NID_FIRMWARE_UPDATE_COMPLETE);
    EXPECT_EQ(rig.registry.SuppressAutoUpdates(), false);
}

TEST(UpdateProcessor, SilentEndsQuietlyAndUploadsInsideInitialize) {
    {
        auto config = QuickConfig();
        config.startState = SimulatedState::Absent;
        ProcessorRig rig(config);
        EXPECT_EQ(rig.Init("-SILENT"), Orv::E_QUIET_EXIT);
        EXPECT_EQ(rig.clock.NowMs(), 10 * DeviceSearchIntervalMs);
        EXPECT_EQ(rig.device->GetBootloaderCommandCount(), 0);
        EXPECT_TRUE(rig.recorder->Outcomes().empty());
    }
    {
        TestImage image(6);
        ProcessorRig rig;
        EXPECT_EQ(rig.Init("-silent " + image.Option()), Orv::E_QUIET_EXIT);
        // Done on the calling thread before the answer: the flash is already written.
        EXPECT_EQ(rig.device->GetFlash(), image.rows);
        EXPECT_EQ(rig.recorder->Outcomes(), std::vector<std::u16string>{NID_FIRMWARE_UPDATE_COMPLETE});
    }
    {
        ProcessorRig rig(QuickConfig(0x0102));
        EXPECT_EQ(rig.Init("-SILENT"), Orv::E_QUIET_EXIT);
        EXPECT_EQ(rig.device->GetBootloaderCommandCount(), 0);
    }
    {
        // A damaged image ends a silent run before the device is looked for: not one report.
        const auto dir = UniqueTempPath("varnet-processor-image");
        std::filesystem::create_directories(dir);
        ProcessorRig rig;
        EXPECT_EQ(rig.Init("-SILENT -ABSOLUTE_FIRMWARE_FILE_PATH=" + FindHostileImage("TwoRowsOnOneLine").make(dir)),
                  Orv::E_QUIET_EXIT);
        EXPECT_TRUE(rig.device->GetTranscript().empty());
        EXPECT_EQ(rig.device->GetOpenCount(), 0);
        EXPECT_EQ(rig.device->GetSwitchReportCount(), 0);
        EXPECT_EQ(rig.device->GetBootloaderCommandCount(), 0);
        EXPECT_TRUE(rig.recorder->Outcomes().empty());
        std::filesystem::remove_all(dir);
    }
}

TEST(UpdateProcessor, SilentIfUpdateNotNeededEndsOnlyForAnUpToDateDevice) {
    {
        ProcessorRig rig(QuickConfig(0x0102));
        EXPECT_EQ(rig.Init("-SILENT_IF_UPDATE_NOT_NEEDED"), Orv::E_QUIET_EXIT);
    }
    {
        ProcessorRig rig(QuickConfig(0x0101));
        EXPECT_EQ(rig.Init("-SILENT_IF_UPDATE_NOT_NEEDED"), Orv::S_OK);
        EXPECT_EQ(rig.processor->GetState(), DeviceReady);
        EXPECT_EQ(rig.device->GetBootloaderCommandCount(), 0);
    }
}

TEST(UpdateProcessor, StartUpdateAutomaticallyStartsTheWorkerAtOnce) {
    {
        TestImage image(8);
        ProcessorRig rig;
        EXPECT_EQ(rig.Init("-START_UPDATE_AUTOMATICALLY " + image.Option()), Orv::S_OK);
        EXPECT_EQ(rig.processor->GetState(), UpdateInProcess);
        ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
        EXPECT_EQ(rig.recorder->Outcomes(), kCompleteTwice);
        EXPECT_EQ(rig.device->GetFlash(), image.rows);
    }
    {
        ProcessorRig rig(QuickConfig(0x0102));
        EXPECT_EQ(rig.Init("-START_UPDATE_AUTOMATICALLY"), Orv::S_OK);
        EXPECT_EQ(rig.processor->GetState(), UpdateNotNeeded);
        ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
        EXPECT_TRUE(rig.recorder->Outcomes().empty());
        EXPECT_EQ(rig.device->GetSwitchReportCount(), 0);
    }
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
