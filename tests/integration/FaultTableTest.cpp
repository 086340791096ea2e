// Every fault the simulated Varnet can inject, at the places where an upload can break (the switch,
// Enter Bootloader, the first, middle and last row, the final Verify Row, Exit Bootloader), through
// the whole application: with the main control offscreen (the user clicks Next) and silently. Each
// run must end on the right page or quietly, leave "SuppressAutoUpdates" false, stay within the
// engine's bounded waits, and a device left in its bootloader must be updated by the next run.
#include <gtest/gtest.h>

#include <chrono>

#include "IntegrationSupport.h"

namespace {

using namespace VarnetIntegration;
using namespace std::chrono_literals;
using Varnet::SimulatedState;

constexpr int kImageRows = 5;
constexpr int kRowSize = 128;  // three Send Data/Program Row packets per row

enum class Fault { IgnoreSwitch, NoBootloader, UnplugAfter, StatusAt, SilentAt, CorruptRow, BadChecksumAt };
enum class Where { Switch, Enter, FirstRow, MiddleRow, LastRow, FinalVerify, Exit };
enum class Mode { Window, Silent };

struct FaultCase {
    const char* name;
    Fault fault;
    Where where;
    bool succeeds;
    // Virtual time the fault itself costs: the engine's bound that it runs into.
    std::chrono::milliseconds ownWait;
    // Failures before the device reaches its bootloader: the whole run is the fault's wait.
    bool beforeBootloader = false;
};

// The engine's bounds (HidTransport.h): 10 switch reports 1 s apart, 30 s for the bootloader to
// appear after the device left, 5 s for an answer. Exit Bootloader is a write without an answer
// whose result the engine does not examine, and answers are not checked for their checksum, so
// faults there leave a completely programmed and verified device: a success.
const FaultCase kCases[] = {
    {"IgnoreSwitch", Fault::IgnoreSwitch, Where::Switch, false,
     std::chrono::milliseconds(Varnet::SwitchAttempts * Varnet::DeviceSearchIntervalMs), true},
    {"NoBootloader", Fault::NoBootloader, Where::Switch, false,
     std::chrono::milliseconds(Varnet::DeviceSearchIntervalMs + Varnet::BootloaderArrivalTimeoutMs), true},
    {"UnplugAfterEnter", Fault::UnplugAfter, Where::Enter, false, 0ms},
    {"UnplugAfterFirstRow", Fault::UnplugAfter, Where::FirstRow, false, 0ms},
    {"UnplugAfterMiddleRow", Fault::UnplugAfter, Where::MiddleRow, false, 0ms},
    {"UnplugAfterLastRow", Fault::UnplugAfter, Where::LastRow, false, 0ms},
    {"UnplugAfterFinalVerify", Fault::UnplugAfter, Where::FinalVerify, true, 0ms},
    {"StatusAtEnter", Fault::StatusAt, Where::Enter, false, 0ms},
    {"StatusAtFirstRow", Fault::StatusAt, Where::FirstRow, false, 0ms},
    {"StatusAtMiddleRow", Fault::StatusAt, Where::MiddleRow, false, 0ms},
    {"StatusAtLastRow", Fault::StatusAt, Where::LastRow, false, 0ms},
    {"StatusAtFinalVerify", Fault::StatusAt, Where::FinalVerify, false, 0ms},
    {"StatusAtExit", Fault::StatusAt, Where::Exit, true, 0ms},
    {"SilentAtEnter", Fault::SilentAt, Where::Enter, false, std::chrono::milliseconds(Varnet::ReportReadTimeoutMs)},
    {"SilentAtFirstRow", Fault::SilentAt, Where::FirstRow, false, std::chrono::milliseconds(Varnet::ReportReadTimeoutMs)},
    {"SilentAtMiddleRow", Fault::SilentAt, Where::MiddleRow, false, std::chrono::milliseconds(Varnet::ReportReadTimeoutMs)},
    {"SilentAtLastRow", Fault::SilentAt, Where::LastRow, false, std::chrono::milliseconds(Varnet::ReportReadTimeoutMs)},
    {"SilentAtFinalVerify", Fault::SilentAt, Where::FinalVerify, false, std::chrono::milliseconds(Varnet::ReportReadTimeoutMs)},
    {"SilentAtExit", Fault::SilentAt, Where::Exit, true, 0ms},
    {"CorruptFirstRow", Fault::CorruptRow, Where::FirstRow, false, 0ms},
    {"CorruptMiddleRow", Fault::CorruptRow, Where::MiddleRow, false, 0ms},
    {"CorruptLastRow", Fault::CorruptRow, Where::LastRow, false, 0ms},
    {"BadChecksumAtEnter", Fault::BadChecksumAt, Where::Enter, true, 0ms},
    {"BadChecksumAtMiddleRow", Fault::BadChecksumAt, Where::MiddleRow, true, 0ms},
    {"BadChecksumAtFinalVerify", Fault::BadChecksumAt, Where::FinalVerify, true, 0ms},
};

// What a fault-free update of the test image looks like: the command sequence and its duration.
struct CleanRun {
    std::vector<std::uint8_t> codes;
    Orv::Platform::ClockDuration duration{};
};

const CleanRun& Clean(const VarnetTest::TestImage& image) {
    static const CleanRun clean = [&] {
        Orv::Platform::VirtualClock clock;
        auto device = std::make_shared<Varnet::SimulatedHidPlatform>(VarnetTest::QuickConfig(), clock);
        Session session(clock, device);
        CleanRun run;
        if (session.Start("-SILENT " + image.Option(), false) == Orv::E_QUIET_EXIT && device->GetFlash() == image.rows) {
            run.codes = CommandCodes(device->GetTranscript());
            run.duration = clock.Now();
        }
        return run;
    }();
    return clean;
}

// The command (or for a corrupted row, the programmed row) the fault hits.
int FaultNumber(const FaultCase& c, const std::vector<std::uint8_t>& codes) {
    if (c.fault == Fault::CorruptRow) {
        return c.where == Where::FirstRow ? 1 : c.where == Where::MiddleRow ? kImageRows / 2 + 1 : kImageRows;
    }
    const auto sends = CommandNumbers(codes, kSendData);
    const auto programs = CommandNumbers(codes, kProgramRow);
    const auto verifies = CommandNumbers(codes, kVerifyRow);
    switch (c.where) {
    case Where::Enter: return 1;
    case Where::FirstRow: return sends.front();
    case Where::MiddleRow: return programs[programs.size() / 2];
    case Where::LastRow: return programs.back();
    case Where::FinalVerify: return verifies.back();
    case Where::Exit: return CommandNumbers(codes, kExitBootloader).front();
    case Where::Switch: break;
    }
    return 0;
}

Varnet::SimulatorConfig ConfigFor(const FaultCase& c, const std::vector<std::uint8_t>& codes) {
    auto config = VarnetTest::QuickConfig();
    const int n = FaultNumber(c, codes);
    auto& faults = config.faults;
    switch (c.fault) {
    case Fault::IgnoreSwitch: faults.ignoreSwitch = true; break;
    case Fault::NoBootloader: faults.noBootloader = true; break;
    case Fault::UnplugAfter: faults.unplugAfter = n; break;
    case Fault::StatusAt: faults.statusAt[n] = Varnet::SimStatusData; break;
    case Fault::SilentAt: faults.silentAt.insert(n); break;
    case Fault::CorruptRow: faults.corruptRow.insert(n); break;
    case Fault::BadChecksumAt: faults.badChecksumAt.insert(n); break;
    }
    return config;
}

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class FaultTable : public ::testing::TestWithParam<std::tuple<FaultCase, Mode>> {
protected:
    VarnetTest::RegistrySandbox m_registry;
    VarnetTest::TestImage m_image{kImageRows, Varnet::SampleSiliconId, Varnet::SampleSiliconRevision, kRowSize};
};

TEST_P(FaultTable, EndsCleanlyWithinTheEngineBounds) {
    const auto& [c, mode] = GetParam();
    const CleanRun& clean = Clean(m_image);
    ASSERT_FALSE(clean.codes.empty()) << "the fault-free update itself failed";

    Orv::Platform::VirtualClock clock;
    auto device = std::make_shared<Varnet::SimulatedHidPlatform>(ConfigFor(c, clean.codes), clock);
    const auto realStart = std::chrono::steady_clock::now();
    {
        Session session(clock, device);
        if (mode == Mode::Silent) {
            EXPECT_EQ(session.Start("-SILENT " + m_image.Option(), false), Orv::E_QUIET_EXIT);
            (void)session.Finish();
            // The upload ran inside start-up; the engine announced its outcome once.
            EXPECT_EQ(session.Outcomes(), std::vector<std::u16string>{c.succeeds ? NID_FIRMWARE_UPDATE_COMPLETE
                                                                                 : NID_FIRMWARE_UPDATE_FAILED});
        } else {
            ASSERT_EQ(session.Start(m_image.Option(), true), Orv::S_OK);
            EXPECT_EQ(session.App().GetUpdateProcessor()->GetState(), DeviceReady);
            ASSERT_TRUE(session.ClickNext());
            ASSERT_TRUE(session.Finish()) << "the upload did not end";
            const auto outcome = c.succeeds ? NID_FIRMWARE_UPDATE_COMPLETE : NID_FIRMWARE_UPDATE_FAILED;
            EXPECT_EQ(session.Outcomes(), (std::vector<std::u16string>{outcome, outcome}));
            EXPECT_EQ(session.Shown("labelFirmwareUpdateFailed"), !c.succeeds);
            EXPECT_EQ(session.Shown("labelFirmwareUpdateSucceed"), c.succeeds);
            EXPECT_TRUE(session.Shown("buttonExit"));
            EXPECT_FALSE(session.Shown("buttonNext"));
        }
        EXPECT_TRUE(session.App().CanExit());
        if (mode == Mode::Window) {
            EXPECT_TRUE(session.RequestExit());
        }
    }
    EXPECT_EQ(m_registry.SuppressAutoUpdates(), false);
    const auto codes = CommandCodes(device->GetTranscript());
    if (c.succeeds) {
        EXPECT_EQ(device->GetFlash(), m_image.rows);
    } else {
        // A broken upload never tells the device to start what it holds.
        EXPECT_TRUE(CommandNumbers(codes, kExitBootloader).empty());
    }
    if (c.fault == Fault::IgnoreSwitch) {
        EXPECT_EQ(device->GetSwitchReportCount(), Varnet::SwitchAttempts);
    }

    // Virtual time: the fault's own bounded wait on top of the normal run (or instead of it when
    // the device never reached its bootloader). In the window the test thread's own bounded wait
    // for the worker moves the clock too, by at most the real time the run took.
    const auto expected = c.beforeBootloader ? Orv::Platform::ClockDuration(c.ownWait) : clean.duration + c.ownWait;
    auto slack = Orv::Platform::ClockDuration(1s);
    if (mode == Mode::Window)
        slack += std::chrono::duration_cast<Orv::Platform::ClockDuration>(std::chrono::steady_clock::now() - realStart);
    EXPECT_GE(clock.Now(), expected);
    EXPECT_LE(clock.Now(), expected + slack);

    // A device left in its bootloader is found there by the next run and updated without a switch.
    if (!c.succeeds && device->GetState() == SimulatedState::Bootloader) {
        const int switches = device->GetSwitchReportCount();
        Session next(clock, device);
        ASSERT_EQ(next.Start(m_image.Option(), true), Orv::S_OK);
        ASSERT_TRUE(next.ClickNext());
        ASSERT_TRUE(next.Finish());
        EXPECT_TRUE(next.Shown("labelFirmwareUpdateSucceed"));
        EXPECT_EQ(device->GetFlash(), m_image.rows);
        EXPECT_EQ(device->GetSwitchReportCount(), switches);
        next.Close();
        EXPECT_EQ(m_registry.SuppressAutoUpdates(), false);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTable,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Values(Mode::Window, Mode::Silent)),
                         [](const auto& test) {
                             return std::string(std::get<0>(test.param).name) +
                                    (std::get<1>(test.param) == Mode::Window ? "_Window" : "_Silent");
                         });

// The device left in its bootloader by an earlier, broken run (the simulator started in that
// state, as VARNET_SIM_STATE=bootloader does): the updater offers the update and programs it
// without a switch, after the settle wait only.
TEST(BootloaderAtStart, IsRecoveredByTheNextRun) {
    VarnetTest::RegistrySandbox registry;
    VarnetTest::TestImage image(kImageRows, Varnet::SampleSiliconId, Varnet::SampleSiliconRevision, kRowSize);
    Varnet::SimulatorConfig config;
    std::string error;
    ASSERT_EQ(Varnet::ReadSimulatorConfig(
                  [](const char* name) -> const char* {
                      const std::string n = name;
                      return n == "VARNET_SIM_STATE" ? "bootloader" : n == "VARNET_SIM_LATENCY_MS" ? "0" : nullptr;
                  },
                  config, error),
              Orv::S_OK)
        << error;
    Orv::Platform::VirtualClock clock;
    auto device = std::make_shared<Varnet::SimulatedHidPlatform>(config, clock);
    {
        Session session(clock, device);
        ASSERT_EQ(session.Start(image.Option(), true), Orv::S_OK);
        EXPECT_EQ(session.App().GetUpdateProcessor()->GetState(), DeviceReady);
        const auto before = clock.Now();
        ASSERT_TRUE(session.ClickNext());
        ASSERT_TRUE(session.Finish());
        EXPECT_TRUE(session.Shown("labelFirmwareUpdateSucceed"));
        EXPECT_GE(clock.Now() - before, std::chrono::milliseconds(BootloaderSettleMs));
    }
    EXPECT_EQ(device->GetFlash(), image.rows);
    EXPECT_EQ(device->GetSwitchReportCount(), 0);
    EXPECT_EQ(registry.SuppressAutoUpdates(), false);
    clock.SleepMs(config.restartDelayMs);
    EXPECT_EQ(device->GetState(), SimulatedState::Application);
    EXPECT_EQ(device->GetApplicationVersion(), config.updatedVersion);
}

}  // namespace
