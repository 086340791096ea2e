#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"

#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "OrvFramework/Platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>

namespace Varnet {

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;
using Orv::Platform::HidAttributes;
using Orv::Platform::HidInterfaceInfo;
using Orv::Platform::kHidReportSize;

namespace {

// Staging larger than any flash row: the simulated bootloader refuses more rather than grow.
constexpr std::size_t MaxStagedBytes = 4096;

// Every report passes through here for the transcript, so it avoids printf.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count, const char* separator) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += separator;
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

}  // namespace

class SimulatedHidPlatform::Handle final : public Orv::Platform::IHidDevice {
public:
    Handle(SimulatedHidPlatform& owner, int generation, Interface which)
        : m_owner(owner), m_generation(generation), m_which(which) {}

    bool Write(const std::uint8_t* data, std::size_t length) override {
        if (m_which != Interface::Bootloader) return m_owner.IsCurrent(m_generation);
        m_answer.reset();
        return m_owner.Command(m_generation, data, length, m_answer);
    }

    int Read(std::uint8_t* data, std::size_t length) override {
        if (m_answer && length >= kHidReportSize) {
            std::memset(data, 0, length);
            std::memcpy(data + 1, m_answer->data(), m_answer->size());
            m_answer.reset();
            return static_cast<int>(kHidReportSize);
        }
        return m_owner.IsCurrent(m_generation) ? 0 : -1;
    }

    bool SetOutputReport(const std::uint8_t* data, std::size_t length) override {
        return m_owner.OutputReport(m_generation, m_which, data, length);
    }

    bool GetAttributes(HidAttributes& attributes) override {
        return m_owner.GetAttributes(m_generation, m_which, attributes);
    }

private:
    SimulatedHidPlatform& m_owner;
    int m_generation;
    Interface m_which;
    // The device's answer to the last report, waiting to be read.
    std::optional<std::vector<std::uint8_t>> m_answer;
};

SimulatedHidPlatform::SimulatedHidPlatform(SimulatorConfig config, Orv::Platform::IClock& clock)
    : m_config(std::move(config)),
      m_clock(clock),
      m_state(m_config.startState),
      m_applicationVersion(m_config.applicationVersion),
      m_initialApplicationValid(m_config.startState == SimulatedState::Application) {
    if (m_config.faults.halfStagedRow) {
        m_staged.assign(SendDataChunkSize, 0xA5);
        m_staleStaging = true;
    }
    if (!m_config.transcriptPath.empty()) {
        m_transcriptFile.open(Orv::Platform::Utf8Path(m_config.transcriptPath),
                              std::ios::out | std::ios::trunc | std::ios::binary);
    }
}

SimulatedHidPlatform::~SimulatedHidPlatform() {
    if (!m_config.flashOutPath.empty()) (void)WriteFlashOutput(m_config.flashOutPath);
}

void SimulatedHidPlatform::UpdateLocked() {
    if (m_unplugged) return;
    if (m_pendingState && m_clock.NowMs() >= m_pendingAtMs) {
        m_state = *m_pendingState;
        m_pendingState.reset();
        ++m_generation;
    }
}

void SimulatedHidPlatform::GoAbsentLocked(std::optional<SimulatedState> next) {
    m_state = SimulatedState::Absent;
    ++m_generation;
    m_pendingState = next;
    m_pendingAtMs = m_clock.NowMs() + m_config.restartDelayMs;
    m_entered = false;
    m_staged.clear();
    m_staleStaging = false;
}

bool SimulatedHidPlatform::IsCurrent(int generation) {
    std::lock_guard lock(m_mutex);
    UpdateLocked();
    return generation == m_generation && m_state != SimulatedState::Absent;
}

std::vector<HidInterfaceInfo> SimulatedHidPlatform::InterfacesLocked() const {
    std::vector<HidInterfaceInfo> list;
    auto add = [&](std::uint16_t productId, int interfaceNumber, std::uint16_t version, const char* name) {
        HidInterfaceInfo info;
        info.vendorId = m_config.vendorId;
        info.productId = productId;
        info.versionNumber = version;
        info.interfaceNumber = interfaceNumber;
        info.path = "sim:varnet/" + std::to_string(m_generation) + "/" + name + "#" +
                    Orv::Platform::DescribeHidIdentifiers(m_config.vendorId, productId, interfaceNumber);
        list.push_back(std::move(info));
    };
    if (m_state == SimulatedState::Application) {
        add(ApplicationProductId, 0, m_applicationVersion, "if0");
        add(ApplicationProductId, 4, m_applicationVersion, "if4");
    } else if (m_state == SimulatedState::Bootloader) {
        add(BootloaderProductId, -1, 0x0000, "boot");
    }
    return list;
}

bool SimulatedHidPlatform::Enumerate(std::vector<HidInterfaceInfo>& interfaces) {
    std::lock_guard lock(m_mutex);
    UpdateLocked();
    interfaces = InterfacesLocked();
    return true;
}

std::unique_ptr<Orv::Platform::IHidDevice> SimulatedHidPlatform::Open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    UpdateLocked();
    for (const auto& info : InterfacesLocked()) {
        if (info.path != path) continue;
        ++m_openCount;
        Interface which = info.productId == BootloaderProductId ? Interface::Bootloader
                          : info.interfaceNumber == 4           ? Interface::Application4
                                                                : Interface::Application0;
        if (which == Interface::Bootloader) ++m_bootloaderOpenCount;
        return std::make_unique<Handle>(*this, m_generation, which);
    }
    return nullptr;
}

void SimulatedHidPlatform::LogLocked(const std::string& line) {
    m_transcript.push_back(line);
    if (m_transcriptFile.is_open()) {
        m_transcriptFile << line << '\n';
        m_transcriptFile.flush();
    }
}

bool SimulatedHidPlatform::OutputReport(int generation, Interface which, const std::uint8_t* data, std::size_t length) {
    std::lock_guard lock(m_mutex);
    UpdateLocked();
    if (generation != m_generation || m_state == SimulatedState::Absent) return false;
    m_clock.SleepMs(m_config.latencyMs);
    if (which != Interface::Application4 || length != sizeof kSwitchReport ||
        std::memcmp(data, kSwitchReport, sizeof kSwitchReport) != 0) {
        return true;  // taken and ignored, as the hardware does with reports it does not know
    }
    LogLocked("SWITCH " + HexBytes(data, length, " "));
    ++m_switchCount;
    if (!m_config.faults.ignoreSwitch) {
        GoAbsentLocked(m_config.faults.noBootloader ? std::nullopt : std::optional(SimulatedState::Bootloader));
    }
    return true;
}

bool SimulatedHidPlatform::GetAttributes(int generation, Interface which, HidAttributes& attributes) {
    std::lock_guard lock(m_mutex);
    UpdateLocked();
    if (generation != m_generation || m_state == SimulatedState::Absent) return false;
    attributes.vendorId = m_config.vendorId;
    attributes.productId = which == Interface::Bootloader ? BootloaderProductId : ApplicationProductId;
    attributes.versionNumber = which == Interface::Bootloader ? 0 : m_applicationVersion;
    return true;
}

std::vector<std::uint8_t> SimulatedHidPlatform::AnswerLocked(std::uint8_t status,
                                                             std::vector<std::uint8_t> data) const {
    std::vector<std::uint8_t> packet(data.size() + PacketOverhead);
    BuildPacket(m_config.checksumKind, status, data.data(), data.size(), packet.data());
    return packet;
}

bool SimulatedHidPlatform::Command(int generation, const std::uint8_t* report, std::size_t length,
                                   std::optional<std::vector<std::uint8_t>>& answer) {
    std::lock_guard lock(m_mutex);
    UpdateLocked();
    if (generation != m_generation || m_state != SimulatedState::Bootloader) return false;
    if (length != kHidReportSize || report[0] != 0x00) return false;
    m_clock.SleepMs(m_config.latencyMs);
    const std::uint8_t* packet = report + 1;
    const std::size_t declared = packet[2] | (packet[3] << 8);
    const std::size_t logged = std::min(declared + PacketOverhead, MaxPacketSize);
    LogLocked("OUT " + HexBytes(packet, logged, " "));

    const int number = ++m_commandCount;
    const SimulatorFaults& faults = m_config.faults;
    if (faults.silentAt.count(number)) {
        answer.reset();
    } else if (auto status = faults.statusAt.find(number); status != faults.statusAt.end()) {
        answer = AnswerLocked(status->second);
    } else {
        answer = ExecuteLocked(packet);
        if (answer && faults.badChecksumAt.count(number)) (*answer)[answer->size() - 3] ^= 0xFF;
    }
    LogLocked(answer ? "IN " + HexBytes(answer->data(), answer->size(), " ") : std::string("IN -"));
    if (faults.unplugAfter > 0 && number >= faults.unplugAfter) {
        GoAbsentLocked(std::nullopt);
        m_unplugged = true;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> SimulatedHidPlatform::ExecuteLocked(const std::uint8_t* packet) {
    const std::size_t n = packet[2] | (packet[3] << 8);
    if (packet[0] != PacketStart || n + PacketOverhead > MaxPacketSize || packet[6 + n] != PacketEnd) {
        return AnswerLocked(SimStatusLength);
    }
    const std::uint16_t sent = static_cast<std::uint16_t>(packet[4 + n] | (packet[5 + n] << 8));
    if (sent != ComputePacketChecksum(m_config.checksumKind, packet, 4 + n)) {
        return AnswerLocked(SimStatusChecksum);
    }
    const std::uint8_t code = packet[1];
    const std::uint8_t* data = packet + 4;
    if (code == CmdSyncBootloader) {
        m_staged.clear();
        m_staleStaging = false;
        return std::nullopt;
    }
    if (code == CmdExitBootloader) {
        // Taken in any state: the bootloader then checks the application and starts it only when
        // its metadata is valid; otherwise it comes back as itself.
        const bool valid = m_flashWritten ? HasValidApplication(m_flash, m_config.flash) : m_initialApplicationValid;
        if (valid && m_programmedThisSession) m_applicationVersion = m_config.updatedVersion;
        m_programmedThisSession = false;
        GoAbsentLocked(valid ? SimulatedState::Application : SimulatedState::Bootloader);
        // Leaving the bootloader is where a firmware author wants to look at the result, even
        // when the program is stopped before it ends.
        if (!m_config.flashOutPath.empty()) (void)WriteFlashLocked(m_config.flashOutPath);
        return std::nullopt;
    }
    if (code == CmdEnterBootloader) {
        if (n != 0) return AnswerLocked(SimStatusLength);
        // Staged row data survives: only Sync Bootloader or a restart drops it.
        m_entered = true;
        const std::uint32_t id = m_config.siliconId, bl = m_config.bootloaderVersion;
        return AnswerLocked(
            0, {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id >> 16),
                static_cast<std::uint8_t>(id >> 24), m_config.siliconRevision, static_cast<std::uint8_t>(bl),
                static_cast<std::uint8_t>(bl >> 8), static_cast<std::uint8_t>(bl >> 16)});
    }
    if (!m_entered) return AnswerLocked(SimStatusNotActive);

    // Array and row of Program Row and Verify Row, checked against the configured flash.
    auto rowStatus = [&](std::uint8_t array, std::uint16_t row) -> std::uint8_t {
        if (array >= FlashArrayCount || !m_config.flash[array]) return SimStatusArray;
        const FlashRowRange& range = *m_config.flash[array];
        return range.firstRow <= row && row <= range.lastRow ? 0 : SimStatusRow;
    };
    switch (code) {
    case CmdGetFlashSize: {
        if (n != 1) return AnswerLocked(SimStatusLength);
        if (data[0] >= FlashArrayCount || !m_config.flash[data[0]]) return AnswerLocked(SimStatusArray);
        const FlashRowRange& range = *m_config.flash[data[0]];
        return AnswerLocked(0,
                            {static_cast<std::uint8_t>(range.firstRow), static_cast<std::uint8_t>(range.firstRow >> 8),
                             static_cast<std::uint8_t>(range.lastRow), static_cast<std::uint8_t>(range.lastRow >> 8)});
    }
    case CmdSendData:
        if (m_staleStaging) return AnswerLocked(SimStatusData);
        if (m_staged.size() + n > MaxStagedBytes) return AnswerLocked(SimStatusLength);
        m_staged.insert(m_staged.end(), data, data + n);
        return AnswerLocked(0);
    case CmdProgramRow: {
        if (n < 3) return AnswerLocked(SimStatusLength);
        if (m_staleStaging) return AnswerLocked(SimStatusData);
        const std::uint16_t row = static_cast<std::uint16_t>(data[1] | (data[2] << 8));
        if (std::uint8_t status = rowStatus(data[0], row)) {
            m_staged.clear();
            return AnswerLocked(status);
        }
        std::vector<std::uint8_t> contents = std::move(m_staged);
        m_staged.clear();
        contents.insert(contents.end(), data + 3, data + n);
        if (m_config.faults.corruptRow.count(++m_rowCount)) {
            if (contents.empty())
                contents.push_back(0xFF);
            else
                contents[0] ^= 0xFF;
        }
        m_flash[{data[0], row}] = std::move(contents);
        m_programmedThisSession = true;
        m_flashWritten = true;
        return AnswerLocked(0);
    }
    case CmdVerifyRow: {
        if (n != 3) return AnswerLocked(SimStatusLength);
        const std::uint16_t row = static_cast<std::uint16_t>(data[1] | (data[2] << 8));
        if (std::uint8_t status = rowStatus(data[0], row)) return AnswerLocked(status);
        auto stored = m_flash.find({data[0], row});
        if (stored == m_flash.end()) return AnswerLocked(SimStatusRow);
        const unsigned sum = std::accumulate(stored->second.begin(), stored->second.end(), 0u);
        return AnswerLocked(0, {static_cast<std::uint8_t>(0x100u - (sum & 0xFFu))});
    }
    default:
        return AnswerLocked(SimStatusCommand);
    }
}

SimulatedState SimulatedHidPlatform::GetState() {
    std::lock_guard lock(m_mutex);
    UpdateLocked();
    return m_state;
}

std::uint16_t SimulatedHidPlatform::GetApplicationVersion() const {
    std::lock_guard lock(m_mutex);
    return m_applicationVersion;
}

std::vector<std::string> SimulatedHidPlatform::GetTranscript() const {
    std::lock_guard lock(m_mutex);
    return m_transcript;
}

int SimulatedHidPlatform::GetSwitchReportCount() const {
    std::lock_guard lock(m_mutex);
    return m_switchCount;
}

int SimulatedHidPlatform::GetBootloaderCommandCount() const {
    std::lock_guard lock(m_mutex);
    return m_commandCount;
}

int SimulatedHidPlatform::GetOpenCount() const {
    std::lock_guard lock(m_mutex);
    return m_openCount;
}

int SimulatedHidPlatform::GetBootloaderOpenCount() const {
    std::lock_guard lock(m_mutex);
    return m_bootloaderOpenCount;
}

std::map<SimulatedHidPlatform::FlashKey, std::vector<std::uint8_t>> SimulatedHidPlatform::GetFlash() const {
    std::lock_guard lock(m_mutex);
    return m_flash;
}

ORVRESULT SimulatedHidPlatform::WriteFlashOutput(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    return WriteFlashLocked(path);
}

ORVRESULT SimulatedHidPlatform::WriteFlashLocked(const std::string& path) const {
    // Binary: the same bytes (LF line ends) on every system.
    std::ofstream out(Orv::Platform::Utf8Path(path), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out) return E_FAIL;
    for (const auto& [key, bytes] : m_flash) {
        out << unsigned{key.first} << ' ' << key.second << ' ' << HexBytes(bytes.data(), bytes.size(), "") << '\n';
    }
    return out.good() ? S_OK : E_FAIL;
}

bool HasValidApplication(const std::map<SimulatedHidPlatform::FlashKey, std::vector<std::uint8_t>>& flash,
                         const std::array<std::optional<FlashRowRange>, FlashArrayCount>& layout) {
    constexpr std::size_t MetadataSize = 64;
    int lastArray = -1;
    for (std::size_t a = 0; a < FlashArrayCount; ++a)
        if (layout[a]) lastArray = static_cast<int>(a);
    if (lastArray < 0) return false;
    const SimulatedHidPlatform::FlashKey metadataKey{static_cast<std::uint8_t>(lastArray), layout[lastArray]->lastRow};
    const auto metadataRow = flash.find(metadataKey);
    if (metadataRow == flash.end() || metadataRow->second.size() < MetadataSize) return false;
    const std::uint64_t rowSize = metadataRow->second.size();
    const std::uint8_t* metadata = metadataRow->second.data() + rowSize - MetadataSize;
    auto le32 = [](const std::uint8_t* p) {
        return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
               (std::uint32_t{p[3]} << 24);
    };
    const std::uint64_t bootloaderLastRow = le32(metadata + 5);
    const std::uint64_t length = le32(metadata + 9);
    // The first flat row of each array: the rows of the arrays before it come first.
    std::array<std::uint64_t, FlashArrayCount> base{};
    std::uint64_t rows = 0;
    for (std::size_t a = 0; a < FlashArrayCount; ++a) {
        base[a] = rows;
        if (layout[a]) rows += std::uint64_t{layout[a]->lastRow} + 1;
    }
    const std::uint64_t start = (bootloaderLastRow + 1) * rowSize;
    const std::uint64_t end = start + length;
    if (length == 0 || end > rows * rowSize) return false;
    unsigned sum = 0;
    for (const auto& [key, bytes] : flash) {
        if (key == metadataKey || key.first >= FlashArrayCount || !layout[key.first]) continue;
        const std::uint64_t rowStart = (base[key.first] + key.second) * rowSize;
        for (std::uint64_t i = 0; i < std::min<std::uint64_t>(bytes.size(), rowSize); ++i) {
            const std::uint64_t address = rowStart + i;
            if (address >= start && address < end) sum += bytes[i];
        }
    }
    return static_cast<std::uint8_t>(sum + metadata[0]) == 0;
}

}  // namespace Varnet
