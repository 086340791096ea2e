#include "FirmwareUpdater/Simulator/SimulatedVarnet.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace Varnet;
using VarnetTest::SimulatedVarnet;

namespace {

SimulatorConfig ApplicationConfig() {
    SimulatorConfig config;
    config.latencyMs = 0;
    return config;
}

}  // namespace

TEST(ParseVidPid, ReadsFourDigitsAfterTheTags) {
    std::uint16_t vid = 1, pid = 1;
    ParseVidPid("/dev/hidraw3#vid_3d7a&pid_2036&mi_04", vid, pid);
    EXPECT_EQ(vid, 0x3D7A);
    EXPECT_EQ(pid, 0x2036);
    ParseVidPid("x#VID_1234&PID_20G6", vid, pid);
    EXPECT_EQ(pid, 0x2006);  // the G counts as 0
    ParseVidPid("no identifiers", vid, pid);
    EXPECT_EQ(vid, 0);
    EXPECT_EQ(pid, 0);
    ParseVidPid("cut short PID_28", vid, pid);
    EXPECT_EQ(pid, 0x2800);  // past the end counts as 0
}

TEST(HidTransport, FindsApplicationInterfaceFourOnlyAndReadsItsVersion) {
    SimulatedVarnet sim(ApplicationConfig());
    ASSERT_TRUE(sim.Detect());
    EXPECT_FALSE(sim.transport.IsInBootloader());
    EXPECT_NE(sim.transport.GetApplicationDevicePath().find("&MI_04"), std::string::npos);
    EXPECT_TRUE(Orv::Failed(sim.transport.FindDevice(true)));
    FirmwareVersion version;
    ASSERT_TRUE(Orv::Succeeded(sim.transport.ReadDeviceVersion(version)));
    EXPECT_EQ(version, (FirmwareVersion{1, 0, 1}));
    EXPECT_EQ(sim.clock.NowMs(), 0);  // a present device is found at once
}

TEST(HidTransport, AbsentDeviceIsGivenUpAfterTenSearchesEachTold) {
    auto config = ApplicationConfig();
    config.startState = SimulatedState::Absent;
    SimulatedVarnet sim(config);
    std::vector<int> misses;
    sim.transport.SetSearchWatch({Orv::MakeRC<Orv::LEvent>(), [&](int attempt, int attempts) {
                                      EXPECT_EQ(attempts, DetectAttempts);
                                      misses.push_back(attempt);
                                  }});
    EXPECT_FALSE(sim.Detect());
    EXPECT_FALSE(sim.transport.IsSearchCancelled());
    EXPECT_EQ(sim.clock.NowMs(), 10 * DeviceSearchIntervalMs);
    EXPECT_EQ(misses, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

// A cancel given between two attempts ends the search before the next one; one given while the
// search waits ends the wait. Either way the search stops within one wait step and nothing has
// been sent to the device.
TEST(HidTransport, CancelledSearchEndsWithinOneWaitStep) {
    auto config = ApplicationConfig();
    config.startState = SimulatedState::Absent;
    {
        SimulatedVarnet sim(config);
        auto cancel = Orv::MakeRC<Orv::LEvent>();
        int misses = 0;
        sim.transport.SetSearchWatch({cancel, [&](int attempt, int) {
                                          misses = attempt;
                                          if (attempt == 3) cancel->Set();
                                      }});
        EXPECT_FALSE(sim.Detect());
        EXPECT_TRUE(sim.transport.IsSearchCancelled());
        EXPECT_EQ(misses, 3);
        EXPECT_EQ(sim.clock.NowMs(), 2 * DeviceSearchIntervalMs);  // the third wait never began
        EXPECT_TRUE(sim.device.GetTranscript().empty());
        EXPECT_EQ(sim.device.GetOpenCount(), 0);
    }
    {
        // From another thread (the splash window's) during the fourth wait.
        SimulatedVarnet sim(config);
        auto cancel = Orv::MakeRC<Orv::LEvent>();
        std::atomic<int> misses{0};
        sim.transport.SetSearchWatch({cancel, [&](int attempt, int) { misses = attempt; }});
        std::thread canceller([&] {
            while (misses.load() < 4) std::this_thread::yield();
            cancel->Set();
        });
        EXPECT_FALSE(sim.Detect());
        canceller.join();
        EXPECT_EQ(misses.load(), 4);
        EXPECT_LE(sim.clock.NowMs(), 4 * DeviceSearchIntervalMs);
        EXPECT_TRUE(sim.device.GetTranscript().empty());
    }
    {
        // A device that is there is still not looked for once the search is cancelled.
        SimulatedVarnet sim(ApplicationConfig());
        auto cancel = Orv::MakeRC<Orv::LEvent>();
        cancel->Set();
        sim.transport.SetSearchWatch({cancel, {}});
        EXPECT_FALSE(sim.Detect());
        EXPECT_EQ(sim.clock.NowMs(), 0);
    }
}

TEST(HidTransport, SwitchesIntoTheBootloaderAndWaitsForIt) {
    SimulatedVarnet sim(ApplicationConfig());
    ASSERT_TRUE(sim.Detect());
    ASSERT_TRUE(Orv::Succeeded(sim.transport.EnterBootloaderMode()));
    EXPECT_EQ(sim.device.GetSwitchReportCount(), 1);
    EXPECT_EQ(sim.device.GetTranscript().front(), "SWITCH 00 12 34 00");
    EXPECT_NE(sim.transport.GetBootloaderDevicePath().find("PID_2836"), std::string::npos);
    EXPECT_GE(sim.clock.NowMs(), SimulatorConfig{}.restartDelayMs);
    // The application interface has gone: its version can no longer be read, and says so.
    FirmwareVersion version;
    EXPECT_TRUE(Orv::Failed(sim.transport.ReadDeviceVersion(version)));
    EXPECT_TRUE(Orv::Failed(sim.transport.RequestBootloaderMode()));
    EXPECT_TRUE(sim.Enter());
}

TEST(HidTransport, DeviceAlreadyInBootloaderIsNotSwitched) {
    SimulatedVarnet sim;
    ASSERT_TRUE(sim.Detect());
    EXPECT_TRUE(sim.transport.IsInBootloader());
    EXPECT_TRUE(Orv::Succeeded(sim.transport.EnterBootloaderMode()));
    EXPECT_EQ(sim.device.GetSwitchReportCount(), 0);
    EXPECT_EQ(sim.clock.NowMs(), 0);
}

TEST(HidTransport, BootloaderInterfaceStaysOpenUntilClosedOrBroken) {
    auto config = VarnetTest::BootloaderConfig();
    config.faults.silentAt = {5};
    SimulatedVarnet sim(config);
    ASSERT_TRUE(sim.Detect());
    ASSERT_TRUE(sim.Enter());
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.CheckRowRange(0, 1)));
    const std::uint8_t row[70] = {};
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, 1, row, sizeof row)));  // commands 3 and 4
    EXPECT_EQ(sim.device.GetBootloaderOpenCount(), 1);
    EXPECT_TRUE(sim.transport.IsBootloaderOpen());
    // Command 5 is not answered: the handle goes with it, so a late answer cannot be taken for
    // the next command's; the next command opens the interface again.
    EXPECT_TRUE(Orv::Failed(sim.protocol.VerifyRow(0, 1, 0)));
    EXPECT_FALSE(sim.transport.IsBootloaderOpen());
    EXPECT_TRUE(sim.Enter());
    EXPECT_EQ(sim.device.GetBootloaderOpenCount(), 2);
    sim.transport.CloseBootloader();
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.ExitBootloader()));
    EXPECT_EQ(sim.device.GetBootloaderOpenCount(), 3);
}
