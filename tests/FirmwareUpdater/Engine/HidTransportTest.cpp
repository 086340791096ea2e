#include "FirmwareUpdater/Simulator/SimulatedVarnet.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

using namespace Varnet;
using VarnetTest::SimulatedVarnet;

using VarnetTest::QuickConfig;

// Four digits after the tags; a stray character and the end of the text count as 0.
TEST(ParseVidPid, ReadsFourDigitsAfterTheTags) {
    const std::tuple<const char*, std::uint16_t, std::uint16_t> cases[] = {
        {"/dev/hidraw3#vid_3d7a&pid_2036&mi_04", 0x3D7A, 0x2036},
        {"x#VID_1234&PID_20G6", 0x1234, 0x2006},
        {"no identifiers", 0, 0},
        {"cut short VID_1 PID_28", 0x1000, 0x2800},
    };
    for (const auto& [path, vid, pid] : cases) {
        std::uint16_t v = 1, p = 1;
        ParseVidPid(path, v, p);
        EXPECT_EQ(std::pair(v, p), std::pair(vid, pid)) << path;
    }
}

TEST(HidTransport, FindsApplicationInterfaceFourOnlyAndReadsItsVersion) {
    SimulatedVarnet sim(QuickConfig());
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
    auto config = QuickConfig();
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

// A cancel from another thread (the splash window's) while the search waits ends the wait: the
// search stops within one wait step and nothing has been sent. (A cancel between attempts is the
// update processor's test.)
TEST(HidTransport, CancelledSearchEndsWithinOneWaitStep) {
    auto config = QuickConfig();
    config.startState = SimulatedState::Absent;
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

TEST(HidTransport, SwitchesIntoTheBootloaderAndWaitsForIt) {
    SimulatedVarnet sim(QuickConfig());
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
