// Cost of one uploaded 256-byte row: staging in Send Data packets, Program Row and Verify Row
// through the real protocol and transport, against the simulated Varnet with no report latency.
// BM_UploadRow256 is host and simulator together; BM_SimulatorAloneRow256 replays the very same
// reports straight into the simulator (write and read per report on one open interface, as the
// transport does), so the host's own share is the difference of the two. BM_WholeUpdate runs the
// engine's complete update of the sample image and counts the interface opens it takes (every
// open of a hidraw node costs the kernel's HID driver about 50 ms on real hardware).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"
#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Platform/Clock.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <unistd.h>

namespace {

constexpr std::size_t kRowSize = 256;

std::vector<std::uint8_t> RowData(std::uint8_t& expectedChecksum) {
    std::vector<std::uint8_t> data(kRowSize);
    unsigned sum = 0;
    for (std::size_t i = 0; i < data.size(); ++i) sum += data[i] = static_cast<std::uint8_t>(i * 31 + 7);
    expectedChecksum = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    return data;
}

// A simulated bootloader with zero latency, entered through the real protocol. On the real clock,
// as the program runs it: the virtual clock yields the processor on every zero-length device
// delay, which on a busy machine measures the scheduler rather than the upload.
struct OpenBootloader {
    OpenBootloader() : device(Config(), clock), transport(device, clock), protocol(transport) {
        std::uint32_t bootloaderVersion = 0;
        opened =
            transport.DetectDevice() && Orv::Succeeded(protocol.EnterBootloader(
                                            Varnet::SampleSiliconId, Varnet::SampleSiliconRevision, bootloaderVersion));
    }
    static Varnet::SimulatorConfig Config() {
        Varnet::SimulatorConfig config;
        config.startState = Varnet::SimulatedState::Bootloader;
        config.latencyMs = 0;
        return config;
    }
    Orv::Platform::RealClock clock;
    Varnet::SimulatedHidPlatform device;
    Varnet::LHidTransport transport;
    Varnet::LBootloaderProtocol protocol;
    bool opened = false;

    bool UploadRow(std::uint16_t row, const std::vector<std::uint8_t>& data, std::uint8_t expected) {
        return Orv::Succeeded(protocol.ProgramFlashRow(0, row, data.data(), data.size())) &&
               Orv::Succeeded(protocol.VerifyRow(0, row, expected));
    }
};

// The bootloader interface's path, as the transport finds it.
std::string BootloaderPath(Varnet::SimulatedHidPlatform& device) {
    std::vector<Orv::Platform::HidInterfaceInfo> interfaces;
    if (!device.Enumerate(interfaces) || interfaces.size() != 1) return {};
    return interfaces.front().path;
}

// The reports of "OUT ..." transcript lines from `first` on, as 65-byte HID reports.
std::vector<std::vector<std::uint8_t>> ReportsFromTranscript(const std::vector<std::string>& transcript,
                                                             std::size_t first) {
    std::vector<std::vector<std::uint8_t>> reports;
    for (std::size_t i = first; i < transcript.size(); ++i) {
        if (transcript[i].rfind("OUT ", 0) != 0) continue;
        std::vector<std::uint8_t> report(Orv::Platform::kHidReportSize, 0);
        std::istringstream hex(transcript[i].substr(4));
        unsigned byte = 0;
        std::size_t at = 1;
        while (at < report.size() && hex >> std::hex >> byte) report[at++] = static_cast<std::uint8_t>(byte);
        reports.push_back(std::move(report));
    }
    return reports;
}

void BM_UploadRow256(benchmark::State& state) {
    OpenBootloader bootloader;
    std::uint8_t expected = 0;
    const std::vector<std::uint8_t> data = RowData(expected);
    if (!bootloader.opened) {
        state.SkipWithError("the simulated bootloader did not open");
        return;
    }
    std::uint16_t row = 0;
    for (auto _ : state) {
        if (!bootloader.UploadRow(row, data, expected)) {
            state.SkipWithError("a row was refused");
            break;
        }
        row = static_cast<std::uint16_t>((row + 1) % 256);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_UploadRow256);

// The simulator's share of one row: the reports the host sent for a row, recorded once, then
// handed to the simulator directly. What BM_UploadRow256 costs beyond this is the host's.
void BM_SimulatorAloneRow256(benchmark::State& state) {
    OpenBootloader bootloader;
    std::uint8_t expected = 0;
    const std::vector<std::uint8_t> data = RowData(expected);
    const std::size_t before = bootloader.device.GetTranscript().size();
    if (!bootloader.opened || !bootloader.UploadRow(0, data, expected)) {
        state.SkipWithError("a row was refused");
        return;
    }
    const auto reports = ReportsFromTranscript(bootloader.device.GetTranscript(), before);
    const std::string path = BootloaderPath(bootloader.device);
    // Staging packets, Program Row and Verify Row: at least three reports, all answered.
    if (reports.size() < 3 || path.empty()) {
        state.SkipWithError("the row's reports could not be recorded");
        return;
    }
    std::uint8_t answer[Orv::Platform::kHidReportSize];
    auto handle = bootloader.device.Open(path);
    if (!handle) {
        state.SkipWithError("the simulator's bootloader interface did not open");
        return;
    }
    for (auto _ : state) {
        for (const auto& report : reports) {
            if (!handle->Write(report.data(), report.size()) ||
                handle->Read(answer, sizeof answer) != static_cast<int>(sizeof answer) || answer[2] != 0) {
                state.SkipWithError("the simulator refused a recorded report");
                return;
            }
        }
    }
    state.counters["reports/row"] = static_cast<double>(reports.size());
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_SimulatorAloneRow256);

// A whole update of the sample image from application mode, on virtual time (the engine's waits
// for the switch and the restart take none), with the registry in a scratch folder.
void BM_WholeUpdate(benchmark::State& state) {
    const auto registry =
        std::filesystem::temp_directory_path() / ("varnet-bench-registry-" + std::to_string(::getpid()));
    std::filesystem::create_directories(registry);
    ::setenv("VARNET_REGISTRY_DIR", registry.c_str(), 1);
    int bootloaderOpens = 0, opens = 0;
    for (auto _ : state) {
        Orv::Platform::VirtualClock clock;
        Varnet::SimulatorConfig config;
        config.latencyMs = 0;
        auto device = std::make_shared<Varnet::SimulatedHidPlatform>(config, clock);
        auto engine = Orv::MakeRC<LUpdateEngine>(device, clock, Orv::String(u"" VARNET_SOURCE_DIR "/resources"));
        if (engine->Initialize(Orv::String(u"varnet-updater")) != EngineResult::Ready ||
            !engine->UpdateFirmware().Succeeded()) {
            state.SkipWithError("the update failed");
            break;
        }
        bootloaderOpens += device->GetBootloaderOpenCount();
        opens += device->GetOpenCount();
        Orv::GetApplicationNotificationCenter()->GetQueue()->Discard();
    }
    state.counters["bootloader opens/update"] = benchmark::Counter(bootloaderOpens, benchmark::Counter::kAvgIterations);
    state.counters["opens/update"] = benchmark::Counter(opens, benchmark::Counter::kAvgIterations);
    ::unsetenv("VARNET_REGISTRY_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(registry, ignored);
}
BENCHMARK(BM_WholeUpdate)->Unit(benchmark::kMillisecond);

}  // namespace
