// Every fault the simulated Varnet can inject, at each place an upload can break, through the whole
// application, in the window (the user clicks Next) and silently: the right page or line,
// "SuppressAutoUpdates" false, the engine's bounded waits, Exit Bootloader only when nothing was
// written, and a device left in its bootloader updated by the next run.
#include <gtest/gtest.h>

#include <chrono>

#include "IntegrationSupport.h"

namespace {

using namespace VarnetIntegration;
using namespace std::chrono_literals;
using Varnet::SimulatedState;

constexpr int kImageRows = 5;
constexpr int kRowSize = 128;               // three Send Data/Program Row packets per row
constexpr int kFlashRows = kImageRows + 1;  // and the metadata row

enum class Fault { IgnoreSwitch, NoBootloader, UnplugAfter, StatusAt, SilentAt, CorruptRow, BadChecksumAt };
enum class Where { Switch, Enter, FirstRow, LastRow, FinalVerify, Exit };
enum class Mode { Window, Silent };

struct FaultCase {
    const char* name;
    Fault fault;
    Where where;
    bool succeeds;
    std::chrono::milliseconds ownWait;  // the engine's bound the fault runs into
    bool beforeBootloader = false;      // then the whole run is the fault's wait
    bool exitSent = false;              // although it failed: nothing was written yet
};

// After Exit Bootloader the engine looks for the restarted device a second at a time; the simulated
// one is back after its restart delay.
constexpr std::chrono::milliseconds kRestartWait{2000};
constexpr std::chrono::milliseconds kNoAnswer{Varnet::ReportReadTimeoutMs};
constexpr std::chrono::milliseconds kBootloaderBack{Varnet::DeviceSearchIntervalMs + ReturnedBootloaderSettleMs};

// Answers are not checked for their checksum, so such faults leave a working update. A device that
// refuses Exit Bootloader stays in its bootloader: a failure. One that vanishes after the last
// verify is not seen again within the bound: told as updated, as it may still be restarting.
const FaultCase kCases[] = {
    {"IgnoreSwitch", Fault::IgnoreSwitch, Where::Switch, false,
     std::chrono::milliseconds(Varnet::SwitchAttempts* Varnet::DeviceSearchIntervalMs), true},
    {"NoBootloader", Fault::NoBootloader, Where::Switch, false,
     std::chrono::milliseconds(Varnet::DeviceSearchIntervalMs + Varnet::BootloaderArrivalTimeoutMs), true},
    {"UnplugAfterEnter", Fault::UnplugAfter, Where::Enter, false, 0ms},
    {"UnplugAfterFirstRow", Fault::UnplugAfter, Where::FirstRow, false, 0ms},
    {"UnplugAfterLastRow", Fault::UnplugAfter, Where::LastRow, false, 0ms},
    {"UnplugAfterFinalVerify", Fault::UnplugAfter, Where::FinalVerify, true,
     std::chrono::milliseconds(ApplicationReturnTimeoutMs)},
    {"StatusAtEnter", Fault::StatusAt, Where::Enter, false, 0ms, false, true},
    {"StatusAtFirstRow", Fault::StatusAt, Where::FirstRow, false, 0ms},
    {"StatusAtLastRow", Fault::StatusAt, Where::LastRow, false, 0ms},
    {"StatusAtFinalVerify", Fault::StatusAt, Where::FinalVerify, false, 0ms},
    {"StatusAtExit", Fault::StatusAt, Where::Exit, false, kBootloaderBack, false, true},
    {"SilentAtEnter", Fault::SilentAt, Where::Enter, false, kNoAnswer, false, true},
    {"SilentAtFirstRow", Fault::SilentAt, Where::FirstRow, false, kNoAnswer},
    {"SilentAtLastRow", Fault::SilentAt, Where::LastRow, false, kNoAnswer},
    {"SilentAtFinalVerify", Fault::SilentAt, Where::FinalVerify, false, kNoAnswer},
    {"SilentAtExit", Fault::SilentAt, Where::Exit, false, kBootloaderBack, false, true},
    {"CorruptFirstRow", Fault::CorruptRow, Where::FirstRow, false, 0ms},
    {"CorruptLastRow", Fault::CorruptRow, Where::LastRow, false, 0ms},
    {"BadChecksumAtEnter", Fault::BadChecksumAt, Where::Enter, true, kRestartWait},
    {"BadChecksumAtFinalVerify", Fault::BadChecksumAt, Where::FinalVerify, true, kRestartWait},
};

// What a fault-free update of the test image looks like: the command sequence and its duration up
// to Exit Bootloader (the rows take no virtual time; the wait for the restart is each case's own).
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
        if (session.Start("-SILENT " + image.Option(), false) == Orv::E_QUIET_EXIT &&
            device->GetFlash() == image.rows) {
            run.codes = CommandCodes(device->GetTranscript());
            run.duration = clock.Now() - kRestartWait;
        }
        return run;
    }();
    return clean;
}

// The command (or for a corrupted row, the programmed row) the fault hits.
int FaultNumber(const FaultCase& c, const std::vector<std::uint8_t>& codes) {
    if (c.fault == Fault::CorruptRow) {
        return c.where == Where::FirstRow ? 1 : kFlashRows;
    }
    const auto programs = CommandNumbers(codes, Varnet::CmdProgramRow);
    const int numbers[] = {0,
                           1,
                           CommandNumbers(codes, Varnet::CmdSendData).front(),
                           programs.back(),
                           CommandNumbers(codes, Varnet::CmdVerifyRow).back(),
                           CommandNumbers(codes, Varnet::CmdExitBootloader).front()};
    return numbers[static_cast<int>(c.where)];
}

Varnet::SimulatorConfig ConfigFor(const FaultCase& c, const std::vector<std::uint8_t>& codes) {
    auto config = VarnetTest::QuickConfig();
    const int n = FaultNumber(c, codes);
    auto& faults = config.faults;
    faults.ignoreSwitch = c.fault == Fault::IgnoreSwitch;
    faults.noBootloader = c.fault == Fault::NoBootloader;
    if (c.fault == Fault::UnplugAfter) faults.unplugAfter = n;
    if (c.fault == Fault::StatusAt) faults.statusAt[n] = Varnet::SimStatusData;
    if (c.fault == Fault::SilentAt) faults.silentAt.insert(n);
    if (c.fault == Fault::CorruptRow) faults.corruptRow.insert(n);
    if (c.fault == Fault::BadChecksumAt) faults.badChecksumAt.insert(n);
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
            // The upload ran inside start-up: one outcome, told on one line.
            EXPECT_EQ(session.Outcomes(), std::vector<std::u16string>{c.succeeds ? NID_FIRMWARE_UPDATE_COMPLETE
                                                                                 : NID_FIRMWARE_UPDATE_FAILED});
            const auto reports = session.Reports();
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_EQ(reports[0].rfind(
                          c.succeeds ? "varnet-updater: updated to 1.0.2" : "varnet-updater: update failed: ", 0),
                      0u)
                << reports[0];
        } else {
            ASSERT_EQ(session.Start(m_image.Option(), true), Orv::S_OK);
            EXPECT_EQ(session.App().GetUpdateProcessor()->GetState(), DeviceReady);
            ASSERT_TRUE(session.ClickNext());
            ASSERT_TRUE(session.Finish()) << "the upload did not end";
            const auto outcome = c.succeeds ? NID_FIRMWARE_UPDATE_COMPLETE : NID_FIRMWARE_UPDATE_FAILED;
            EXPECT_EQ(session.Outcomes(), (std::vector<std::u16string>{outcome, outcome}));
            const std::vector<bool> shown = {session.Shown("labelFirmwareUpdateFailed"),
                                             session.Shown("labelFirmwareUpdateSucceed"), session.Shown("buttonExit"),
                                             session.Shown("buttonNext")};
            EXPECT_EQ(shown, (std::vector<bool>{!c.succeeds, c.succeeds, true, false}));
        }
        EXPECT_TRUE(mode == Mode::Silent ? session.App().CanExit() : session.RequestExit());
    }
    EXPECT_EQ(m_registry.SuppressAutoUpdates(), false);
    const auto codes = CommandCodes(device->GetTranscript());
    if (c.succeeds) {
        EXPECT_EQ(device->GetFlash(), m_image.rows);
        EXPECT_EQ(device->GetBootloaderOpenCount(), 1);
    } else {
        // A half-written device is never told to start what it holds.
        EXPECT_EQ(!CommandNumbers(codes, Varnet::CmdExitBootloader).empty(), c.exitSent);
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

}  // namespace
