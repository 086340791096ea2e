#pragma once
// A simulated Varnet with the real transport and protocol on top, on virtual time.
#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"
#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Platform/Clock.h"

#include <string>
#include <vector>

namespace VarnetTest {

inline Varnet::SimulatorConfig BootloaderConfig() {
    Varnet::SimulatorConfig config;
    config.startState = Varnet::SimulatedState::Bootloader;
    config.latencyMs = 0;
    return config;
}

struct SimulatedVarnet {
    explicit SimulatedVarnet(Varnet::SimulatorConfig config = BootloaderConfig())
        : device(std::move(config), clock), transport(device, clock), protocol(transport) {}

    // Finds the device as the engine does at start-up.
    bool Detect() { return transport.DetectDevice(); }

    // Enters the bootloader with the simulator's default chip identity.
    bool Enter() {
        std::uint32_t version = 0;
        return Orv::Succeeded(
            protocol.EnterBootloader(Varnet::SampleSiliconId, Varnet::SampleSiliconRevision, version));
    }

    // The command packets sent so far, as transcript text without the "OUT " prefix.
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& line : device.GetTranscript()) {
            if (line.rfind("OUT ", 0) == 0) out.push_back(line.substr(4));
        }
        return out;
    }

    Orv::Platform::VirtualClock clock;
    Varnet::SimulatedHidPlatform device;
    Varnet::LHidTransport transport;
    Varnet::LBootloaderProtocol protocol;
};

// Bytes in a transcript text of blank-separated pairs.
inline std::size_t ByteCount(const std::string& hex) { return (hex.size() + 1) / 3; }

}  // namespace VarnetTest
