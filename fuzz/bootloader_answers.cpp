// A device that answers garbage: the input decides which HID interfaces exist (their paths and
// version numbers) and every report the device hands back, its length included, while the real
// transport and bootloader protocol run a discovery, a mode switch and a short upload against it.
// Whatever it answers, no command may read or write outside its buffers, every wait must end, and
// a row reported programmed and verified must lie in the range the device itself gave.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"
#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HidPlatform.h"

namespace {

using Orv::Platform::HidAttributes;
using Orv::Platform::HidInterfaceInfo;
using Orv::Platform::kHidReportSize;

// Takes the device's behaviour from the front of the input, so that seeds are easy to write by
// hand; past the end every read gives 0 and the device reads as gone.
class Script {
public:
    Script(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_position >= m_size; }
    std::uint8_t Byte() { return Empty() ? 0 : m_data[m_position++]; }
    // Most significant first; the reads are sequenced, as operands of | would not be.
    std::uint16_t U16() {
        const unsigned high = Byte();
        return static_cast<std::uint16_t>(high << 8 | Byte());
    }
    std::uint32_t U32() {
        const std::uint32_t high = U16();
        return high << 16 | U16();
    }
    void Bytes(std::uint8_t* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) out[i] = Byte();
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

class GarbageDevice final : public Orv::Platform::IHidDevice {
public:
    explicit GarbageDevice(Script& script) : m_script(script) {}

    bool Write(const std::uint8_t* data, std::size_t length) override {
        // The transport always writes a whole report, report ID first.
        if (length != kHidReportSize || data[0] != 0) __builtin_trap();
        return m_script.Byte() % 16 != 0;
    }
    int Read(std::uint8_t* data, std::size_t length) override {
        if (m_script.Empty()) return -1;
        const int kind = m_script.Byte() % 8;
        if (kind == 0) return -1;
        if (kind == 1) return 0;
        // Any length from one byte to a whole report: a short report leaves the rest untouched.
        const std::size_t n = 1 + m_script.Byte() % length;
        m_script.Bytes(data, n);
        return static_cast<int>(n);
    }
    bool SetOutputReport(const std::uint8_t*, std::size_t) override { return m_script.Byte() & 1; }
    bool GetAttributes(HidAttributes& attributes) override {
        attributes.versionNumber = m_script.U16();
        return m_script.Byte() & 1;
    }

private:
    Script& m_script;
};

class GarbagePlatform final : public Orv::Platform::IHidPlatform {
public:
    explicit GarbagePlatform(Script& script) : m_script(script) {}

    bool Initialize() override { return true; }
    // Each listing: a count (0 to 3), then per interface a path length, the path and a version.
    bool Enumerate(std::vector<HidInterfaceInfo>& interfaces) override {
        interfaces.clear();
        if (m_script.Empty()) return false;
        const int count = m_script.Byte() % 4;
        for (int i = 0; i < count; ++i) {
            HidInterfaceInfo info;
            info.path.resize(m_script.Byte() % 49);
            for (char& c : info.path) c = static_cast<char>(m_script.Byte());
            info.versionNumber = m_script.U16();
            interfaces.push_back(std::move(info));
        }
        return true;
    }
    std::unique_ptr<Orv::Platform::IHidDevice> Open(const std::string&) override {
        if (m_script.Empty() || m_script.Byte() % 16 == 0) return nullptr;
        return std::make_unique<GarbageDevice>(m_script);
    }

private:
    Script& m_script;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Script input(data, size);
    Orv::Platform::VirtualClock clock;
    GarbagePlatform platform(input);
    Varnet::LHidTransport transport(platform, clock);

    if (!transport.DetectDevice()) return 0;
    Varnet::FirmwareVersion version;
    if (!transport.IsInBootloader()) {
        // Packed decimal digits: each of the four nibbles may still hold up to 15.
        if (Orv::Succeeded(transport.ReadDeviceVersion(version)) &&
            (version.major < 0 || version.major > 165 || version.minor < 0 || version.minor > 15 || version.sub < 0 ||
             version.sub > 15))
            __builtin_trap();
        if (Orv::Failed(transport.EnterBootloaderMode())) return 0;
    }
    // Every wait is bounded: ten switch attempts and a 30 s arrival window at most.
    if (clock.NowMs() > 60000) __builtin_trap();

    Varnet::LBootloaderProtocol protocol(transport);
    protocol.SetChecksumKind((input.Byte() & 1) ? Varnet::ChecksumKind::Crc16 : Varnet::ChecksumKind::Summing);
    std::uint32_t bootloaderVersion = 0;
    const std::uint32_t siliconId = input.U32();
    (void)protocol.EnterBootloader(siliconId, input.Byte(), bootloaderVersion);
    if (bootloaderVersion > 0xFFFFFFu) __builtin_trap();

    std::uint8_t row[376];
    // Rows: array (0 to 4, so one is out of range), row number, length, then the device's answers.
    while (!input.Empty()) {
        const std::uint8_t arrayId = input.Byte() % 5;
        const std::uint16_t rowNumber = input.U16();
        const std::size_t length = input.U16() % (sizeof row + 1);
        std::memset(row, 0xA5, length);
        if (Orv::Failed(protocol.ProgramFlashRow(arrayId, rowNumber, row, length))) continue;
        if (Orv::Failed(protocol.VerifyRow(arrayId, rowNumber, input.Byte()))) continue;
        // Programmed and verified: the device's own range must have admitted the row.
        if (arrayId >= Varnet::FlashArrayCount) __builtin_trap();
        const Varnet::FlashRowRange& range = protocol.GetFlashRowRanges()[arrayId];
        if (rowNumber < range.firstRow || rowNumber > range.lastRow) __builtin_trap();
    }
    (void)protocol.ExitBootloader();
    return 0;
}
