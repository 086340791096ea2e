#pragma once
// The simulated Varnet behind the HID platform interface: application mode (interfaces 0 and 4),
// the switch into the bootloader, a bootloader that checks every packet and keeps a flash image,
// the restart into the new firmware (only when the application's metadata in the last flash row
// is valid, as the hardware's bootloader checks it), and faults on demand. Time (latency, restart delays) runs
// on the clock it is given, so tests drive it on virtual time.
#include "FirmwareUpdater/Simulator/SimulatorConfig.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HidPlatform.h"

#include <fstream>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace Varnet {

// Status codes the simulated bootloader answers with on a bad packet or command.
enum SimulatedStatus : std::uint8_t {
    SimStatusLength = 0x03,
    SimStatusData = 0x04,
    SimStatusCommand = 0x05,
    SimStatusChecksum = 0x08,
    SimStatusArray = 0x09,
    SimStatusRow = 0x0A,
    SimStatusNotActive = 0x0D,
};

class SimulatedHidPlatform final : public Orv::Platform::IHidPlatform {
public:
    using FlashKey = std::pair<std::uint8_t, std::uint16_t>;  // array, row

    SimulatedHidPlatform(SimulatorConfig config, Orv::Platform::IClock& clock);
    // Writes the flash output file when one is configured.
    ~SimulatedHidPlatform() override;
    SimulatedHidPlatform(const SimulatedHidPlatform&) = delete;
    SimulatedHidPlatform& operator=(const SimulatedHidPlatform&) = delete;

    bool Initialize() override { return true; }
    bool Enumerate(std::vector<Orv::Platform::HidInterfaceInfo>& interfaces) override;
    std::unique_ptr<Orv::Platform::IHidDevice> Open(const std::string& path) override;

    // What the device went through, for tests, the image tool and the demo.
    SimulatedState GetState();
    std::uint16_t GetApplicationVersion() const;
    std::vector<std::string> GetTranscript() const;
    int GetSwitchReportCount() const;
    int GetBootloaderCommandCount() const;
    int GetOpenCount() const;
    // Opens of the bootloader interface alone.
    int GetBootloaderOpenCount() const;
    std::map<FlashKey, std::vector<std::uint8_t>> GetFlash() const;
    // One line "ARRAY ROW HEX" per programmed row, ordered by array and row.
    Orv::ORVRESULT WriteFlashOutput(const std::string& path) const;

private:
    class Handle;
    enum class Interface { Application0, Application4, Bootloader };

    void UpdateLocked();
    void GoAbsentLocked(std::optional<SimulatedState> next);
    std::vector<Orv::Platform::HidInterfaceInfo> InterfacesLocked() const;
    void LogLocked(const std::string& line);
    bool IsCurrent(int generation);
    bool OutputReport(int generation, Interface which, const std::uint8_t* data, std::size_t length);
    bool GetAttributes(int generation, Interface which, Orv::Platform::HidAttributes& attributes);
    // Handles one bootloader report; the answer packet, or nothing for no answer.
    bool Command(int generation, const std::uint8_t* report, std::size_t length,
                 std::optional<std::vector<std::uint8_t>>& answer);
    std::optional<std::vector<std::uint8_t>> ExecuteLocked(const std::uint8_t* packet);
    Orv::ORVRESULT WriteFlashLocked(const std::string& path) const;
    std::vector<std::uint8_t> AnswerLocked(std::uint8_t status, std::vector<std::uint8_t> data = {}) const;

    const SimulatorConfig m_config;
    Orv::Platform::IClock& m_clock;
    mutable std::mutex m_mutex;
    SimulatedState m_state;
    std::optional<SimulatedState> m_pendingState;
    std::int64_t m_pendingAtMs = 0;
    int m_generation = 1;  // changes with every re-enumeration; older handles stop working
    std::uint16_t m_applicationVersion;
    bool m_unplugged = false;
    bool m_entered = false;
    bool m_programmedThisSession = false;
    // A device that starts in its application holds one that works; once a row is written the
    // flash alone decides.
    bool m_initialApplicationValid = false;
    bool m_flashWritten = false;
    // Staged data left over from an interrupted session, refused until Sync Bootloader.
    bool m_staleStaging = false;
    std::vector<std::uint8_t> m_staged;
    std::map<FlashKey, std::vector<std::uint8_t>> m_flash;
    int m_commandCount = 0;
    int m_rowCount = 0;
    int m_switchCount = 0;
    int m_openCount = 0;
    int m_bootloaderOpenCount = 0;
    std::vector<std::string> m_transcript;
    std::ofstream m_transcriptFile;
};

// True when the metadata in the last 64 bytes of the last row of the last configured flash array
// describes the flash: byte 0 is the two's complement of the 8-bit sum of the application's bytes
// (from the row after the bootloader's last row, bytes 5-8, for the length in bytes 9-12, all
// little-endian), the length is not 0 and the application lies within the flash. Rows are counted
// across the arrays in order; rows never written read as zeros; the metadata row's size is the
// row size.
bool HasValidApplication(const std::map<SimulatedHidPlatform::FlashKey, std::vector<std::uint8_t>>& flash,
                         const std::array<std::optional<FlashRowRange>, FlashArrayCount>& layout);

}  // namespace Varnet
