#pragma once
// How the simulated Varnet behaves: built from the VARNET_* environment variables by the program,
// or filled in directly by tests and tools.
#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace Varnet {

// The chip identity of the bundled sample image (resources/Varnet1.0.2.cyacd).
inline constexpr std::uint32_t SampleSiliconId = 0x2E161069;
inline constexpr std::uint8_t SampleSiliconRevision = 0x11;
inline constexpr std::uint16_t SimulatedVendorId = 0x3D7A;

enum class SimulatedState { Application, Bootloader, Absent };

struct SimulatorFaults {
    bool ignoreSwitch = false;             // the switch report has no effect
    bool noBootloader = false;             // after the switch the device never comes back
    int unplugAfter = 0;                   // gone after this many bootloader commands (0: never)
    std::map<int, std::uint8_t> statusAt;  // command N answered with this status
    std::set<int> silentAt;                // command N gets no answer
    std::set<int> corruptRow;              // programmed row N is stored with a wrong byte
    std::set<int> badChecksumAt;           // command N answered with a wrong packet checksum
    // The bootloader holds part of a row from an interrupted session: it refuses row data until
    // Sync Bootloader drops it (Enter Bootloader does not).
    bool halfStagedRow = false;
};

struct SimulatorConfig {
    SimulatedState startState = SimulatedState::Application;
    std::uint16_t vendorId = SimulatedVendorId;
    std::uint16_t applicationVersion = 0x0101;  // packed decimal digits: 1.0.1
    // The version the device reports after it was programmed: the device cannot learn it from the
    // image, so it is configured (the bundled image is 1.0.2).
    std::uint16_t updatedVersion = 0x0102;
    std::uint32_t siliconId = SampleSiliconId;
    std::uint8_t siliconRevision = SampleSiliconRevision;
    std::uint32_t bootloaderVersion = 0x010000;
    std::array<std::optional<FlashRowRange>, FlashArrayCount> flash{FlashRowRange{0, 255}};
    ChecksumKind checksumKind = ChecksumKind::Summing;
    SimulatorFaults faults;
    std::int64_t latencyMs = 1;
    // Time between leaving one mode and appearing in the other.
    std::int64_t restartDelayMs = 2000;
    std::string transcriptPath;
    std::string flashOutPath;
};

using EnvironmentLookup = std::function<const char*(const char*)>;

// True when VARNET_DEVICE is "simulated".
bool IsSimulatorSelected(const EnvironmentLookup& lookup);
// Reads every VARNET_SIM_* variable; on a bad value fails and names the variable in `error`.
Orv::ORVRESULT ReadSimulatorConfig(const EnvironmentLookup& lookup, SimulatorConfig& config, std::string& error);
// The same over the process environment.
Orv::ORVRESULT ReadSimulatorConfigFromEnvironment(SimulatorConfig& config, std::string& error);

// Decimal, or hexadecimal with 0x; fails beyond `maximum`.
bool ParseSimulatorNumber(std::string_view text, std::uint64_t maximum, std::uint64_t& value);
// "1.0.1" (or a number such as 0x0101) as a packed-decimal version number.
bool ParseSimulatorVersion(std::string_view text, std::uint16_t& versionNumber);
bool ParseSimulatorFlash(std::string_view text, std::array<std::optional<FlashRowRange>, FlashArrayCount>& flash);
bool ParseSimulatorFaults(std::string_view text, SimulatorFaults& faults, std::string& error);

}  // namespace Varnet
