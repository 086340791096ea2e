// Host cost of one uploaded 256-byte row: staging in Send Data packets, Program Row and Verify Row
// through the real protocol and transport, against the simulated Varnet with no report latency.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"
#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Platform/Clock.h"

namespace {

void BM_UploadRow256(benchmark::State& state) {
    Varnet::SimulatorConfig config;
    config.startState = Varnet::SimulatedState::Bootloader;
    config.latencyMs = 0;
    Orv::Platform::VirtualClock clock;
    Varnet::SimulatedHidPlatform device(config, clock);
    Varnet::LHidTransport transport(device, clock);
    Varnet::LBootloaderProtocol protocol(transport);
    std::uint32_t bootloaderVersion = 0;
    if (!transport.DetectDevice() ||
        Orv::Failed(protocol.EnterBootloader(Varnet::SampleSiliconId, Varnet::SampleSiliconRevision,
                                             bootloaderVersion))) {
        state.SkipWithError("the simulated bootloader did not open");
        return;
    }
    std::vector<std::uint8_t> data(256);
    unsigned sum = 0;
    for (std::size_t i = 0; i < data.size(); ++i) sum += data[i] = static_cast<std::uint8_t>(i * 31 + 7);
    const auto expected = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    std::uint16_t row = 0;
    for (auto _ : state) {
        if (Orv::Failed(protocol.ProgramFlashRow(0, row, data.data(), data.size())) ||
            Orv::Failed(protocol.VerifyRow(0, row, expected))) {
            state.SkipWithError("a row was refused");
            break;
        }
        row = static_cast<std::uint16_t>((row + 1) % 256);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_UploadRow256);

}  // namespace
