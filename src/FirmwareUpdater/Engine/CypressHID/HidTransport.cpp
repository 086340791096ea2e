#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"

#include "OrvFramework/Utilities/Storage/String.h"

#include <algorithm>
#include <cstring>

namespace Varnet {

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;
using Orv::Platform::HidReportSize;

DeviceVersion DecodeVersionNumber(std::uint16_t v) {
    DeviceVersion version;
    version.major = 10 * ((v >> 12) & 0xF) + ((v >> 8) & 0xF);
    version.minor = (v >> 4) & 0xF;
    version.sub = v & 0xF;
    return version;
}

namespace {

std::uint16_t ReadHex4(const std::string& text, std::size_t position) {
    std::uint16_t value = 0;
    for (std::size_t i = position; i < position + 4; ++i) {
        int digit = 0;
        if (i < text.size()) {
            char c = text[i];
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        }
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

}  // namespace

void ParseVidPid(const std::string& path, std::uint16_t& vendorId, std::uint16_t& productId) {
    vendorId = 0;
    productId = 0;
    const std::string upper = Orv::ToUpper(path);
    if (auto at = upper.find("VID_"); at != std::string::npos) vendorId = ReadHex4(upper, at + 4);
    if (auto at = upper.find("PID_"); at != std::string::npos) productId = ReadHex4(upper, at + 4);
}

LHidTransport::~LHidTransport() = default;

ORVRESULT LHidTransport::LoadHidLibrary() {
    return m_platform.Initialize() ? S_OK : E_FAIL;
}

ORVRESULT LHidTransport::FindDevice(bool bootloader) {
    std::vector<Orv::Platform::HidInterfaceInfo> interfaces;
    if (!m_platform.Enumerate(interfaces)) return E_FAIL;
    for (const auto& info : interfaces) {
        std::uint16_t vendorId = 0, productId = 0;
        ParseVidPid(info.path, vendorId, productId);
        if (bootloader) {
            if (productId == BootloaderProductId) {
                m_bootloaderDevicePath = info.path;
                // A bootloader that came back under another path is another handle's business.
                if (m_bootloader && m_openBootloaderPath != info.path) CloseBootloader();
                return S_OK;
            }
        } else if (productId == ApplicationProductId &&
                   Orv::ToUpper(info.path).find(ApplicationInterfaceTag) != std::string::npos) {
            m_applicationDevicePath = info.path;
            return S_OK;
        }
    }
    return E_FAIL;
}

bool LHidTransport::DetectDevice() {
    for (int attempt = 0; attempt < DetectAttempts; ++attempt) {
        // A cancelled search ends here, before it touches the device again.
        if (IsSearchCancelled()) return false;
        if (Orv::Succeeded(FindDevice(false))) {
            m_isInBootloader = false;
            return true;
        }
        if (Orv::Succeeded(FindDevice(true))) {
            m_isInBootloader = true;
            return true;
        }
        if (m_searchWatch.onMiss) m_searchWatch.onMiss(attempt + 1, DetectAttempts);
        // The wait ends early when the search is cancelled meanwhile.
        if (m_searchWatch.cancel) {
            if (m_searchWatch.cancel->Wait(m_clock, std::chrono::milliseconds(DeviceSearchIntervalMs))) return false;
        } else {
            m_clock.SleepMs(DeviceSearchIntervalMs);
        }
    }
    return false;
}

ORVRESULT LHidTransport::RequestBootloaderMode() {
    auto device = m_platform.Open(m_applicationDevicePath);
    if (!device) return E_FAIL;
    const std::uint8_t report[4] = {0x00, 0x12, 0x34, 0x00};
    return device->SetOutputReport(report, sizeof report) ? S_OK : E_FAIL;
}

ORVRESULT LHidTransport::ReadDeviceVersion(int& major, int& minor, int& sub) {
    major = minor = sub = 0;
    auto device = m_platform.Open(m_applicationDevicePath);
    if (!device) return E_FAIL;
    Orv::Platform::HidAttributes attributes;
    if (!device->GetAttributes(attributes)) return E_FAIL;
    DeviceVersion version = DecodeVersionNumber(attributes.versionNumber);
    major = version.major;
    minor = version.minor;
    sub = version.sub;
    return S_OK;
}

ORVRESULT LHidTransport::EnterBootloaderMode() {
    if (m_isInBootloader) return S_OK;
    if (Orv::Failed(FindDevice(false))) return E_FAIL;
    bool vanished = false;
    for (int attempt = 0; attempt < SwitchAttempts && !vanished; ++attempt) {
        // A refused report is not final: the device may be leaving already; its absence decides.
        (void)RequestBootloaderMode();
        m_clock.SleepMs(DeviceSearchIntervalMs);
        vanished = Orv::Failed(FindDevice(false));
    }
    if (!vanished) return E_FAIL;
    const std::int64_t deadline = m_clock.NowMs() + BootloaderArrivalTimeoutMs;
    do {
        m_clock.SleepMs(DeviceSearchIntervalMs);
        if (Orv::Succeeded(FindDevice(true))) return S_OK;
    } while (m_clock.NowMs() < deadline);
    return E_FAIL;
}

ORVRESULT LHidTransport::OpenBootloader() {
    if (m_bootloader) return S_OK;
    if (m_bootloaderDevicePath.empty()) return E_FAIL;
    m_bootloader = m_platform.Open(m_bootloaderDevicePath);
    if (!m_bootloader) return E_FAIL;
    m_openBootloaderPath = m_bootloaderDevicePath;
    return S_OK;
}

void LHidTransport::CloseBootloader() {
    m_bootloader.reset();
    m_openBootloaderPath.clear();
}

ORVRESULT LHidTransport::WriteOnBootloader(const std::uint8_t* command, std::size_t length) {
    if (length > MaxPacketSize) return E_FAIL;
    if (Orv::Failed(OpenBootloader())) return E_FAIL;
    std::uint8_t report[HidReportSize] = {};
    std::memcpy(report + 1, command, length);
    if (!m_bootloader->Write(report, sizeof report)) {
        CloseBootloader();
        return E_FAIL;
    }
    return S_OK;
}

ORVRESULT LHidTransport::WriteReport(const std::uint8_t* command, std::size_t length) {
    return WriteOnBootloader(command, length);
}

ORVRESULT LHidTransport::TransferReport(const std::uint8_t* command, std::size_t length,
                                        std::uint8_t* answer, std::size_t answerLength) {
    if (answerLength > MaxPacketSize) return E_FAIL;
    if (Orv::Failed(WriteOnBootloader(command, length))) return E_FAIL;
    std::uint8_t report[HidReportSize] = {};
    const std::int64_t deadline = m_clock.NowMs() + ReportReadTimeoutMs;
    for (;;) {
        const int n = m_bootloader->Read(report, sizeof report);
        if (n > 0) break;
        // A failed read, or an answer that never came: an answer arriving late must not be taken
        // for the next command's, so the handle goes with the command.
        if (n < 0 || m_clock.NowMs() >= deadline) {
            CloseBootloader();
            return E_FAIL;
        }
        m_clock.SleepMs(ReportPollIntervalMs);
    }
    std::memcpy(answer, report + 1, answerLength);
    return S_OK;
}

}  // namespace Varnet
