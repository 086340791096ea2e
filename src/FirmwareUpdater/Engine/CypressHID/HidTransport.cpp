#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"

#include "OrvFramework/Utilities/Storage/String.h"
#include "OrvFramework/Utilities/Storage/Hex.h"

#include <algorithm>
#include <cstring>

namespace Varnet {

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;
using Orv::Platform::kHidReportSize;

namespace {

std::uint16_t ReadHex4(const std::string& text, std::size_t position) {
    std::uint16_t value = 0;
    for (std::size_t i = position; i < position + 4; ++i) {
        const int digit = i < text.size() ? Orv::HexDigitValue(text[i]) : 0;
        value = static_cast<std::uint16_t>(value * 16 + (digit < 0 ? 0 : digit));
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
    if (m_platform.Initialize()) return S_OK;
    m_trace("the HID library is not available");
    return E_FAIL;
}

void LHidTransport::TraceFound(const Orv::Platform::HidInterfaceInfo& info, bool bootloader, std::uint16_t vendorId,
                               std::uint16_t productId) {
    std::string& traced = bootloader ? m_tracedBootloaderPath : m_tracedApplicationPath;
    if (traced == info.path || !m_trace.On()) return;
    traced = info.path;

    m_trace(std::string("found ") + (bootloader ? "bootloader" : "application") + " interface path=" + info.path +
            " vid=" + Hex(vendorId, 4) + " pid=" + Hex(productId, 4) +
            " interface=" + (info.interfaceNumber < 0 ? std::string("none") : std::to_string(info.interfaceNumber)) +
            " version=" + DecodeVersionNumber(info.versionNumber).Text());
}

ORVRESULT LHidTransport::FindDevice(bool bootloader) {
    std::vector<Orv::Platform::HidInterfaceInfo> interfaces;
    if (!m_platform.Enumerate(interfaces)) {
        m_trace("the HID interfaces could not be listed");
        return E_FAIL;
    }
    for (const auto& info : interfaces) {
        std::uint16_t vendorId = 0, productId = 0;
        ParseVidPid(info.path, vendorId, productId);
        if (bootloader) {
            if (productId == BootloaderProductId) {
                TraceFound(info, true, vendorId, productId);
                m_bootloaderDevicePath = info.path;
                // A bootloader that came back under another path is another handle's business.
                if (m_bootloader && m_openBootloaderPath != info.path) CloseBootloader();
                return S_OK;
            }
        } else if (productId == ApplicationProductId &&
                   Orv::ToUpper(info.path).find(ApplicationInterfaceTag) != std::string::npos) {
            TraceFound(info, false, vendorId, productId);
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
        m_trace("search " + std::to_string(attempt + 1) + " of " + std::to_string(DetectAttempts) +
                ": no Varnet; waiting " + std::to_string(DeviceSearchIntervalMs) + " ms");
        if (m_searchWatch.onMiss) m_searchWatch.onMiss(attempt + 1, DetectAttempts);
        // The wait ends early when the search is cancelled meanwhile.
        if (m_searchWatch.cancel) {
            if (m_searchWatch.cancel->Wait(m_clock, std::chrono::milliseconds(DeviceSearchIntervalMs))) {
                m_trace("search cancelled by the user");
                return false;
            }
        } else {
            m_clock.SleepMs(DeviceSearchIntervalMs);
        }
    }
    m_trace("device not found after " + std::to_string(DetectAttempts) + " searches");
    return false;
}

ORVRESULT LHidTransport::RequestBootloaderMode() {
    auto device = m_platform.Open(m_applicationDevicePath);
    if (!device) {
        m_trace("switch report not sent: the application interface could not be opened");
        return E_FAIL;
    }
    if (device->SetOutputReport(kSwitchReport, sizeof kSwitchReport)) return S_OK;
    m_trace("switch report refused by the application interface");
    return E_FAIL;
}

ORVRESULT LHidTransport::ReadDeviceVersion(FirmwareVersion& version) {
    version = {};
    auto device = m_platform.Open(m_applicationDevicePath);
    if (!device) {
        m_trace("version not read: the application interface could not be opened");
        return E_FAIL;
    }
    Orv::Platform::HidAttributes attributes;
    if (!device->GetAttributes(attributes)) {
        m_trace("version not read: the application interface gave no attributes");
        return E_FAIL;
    }
    version = DecodeVersionNumber(attributes.versionNumber);
    return S_OK;
}

ORVRESULT LHidTransport::EnterBootloaderMode() {
    if (m_isInBootloader) return S_OK;
    if (Orv::Failed(FindDevice(false))) {
        m_trace("switch: the application interface is gone before the switch");
        return E_FAIL;
    }
    const std::int64_t start = m_clock.NowMs();
    bool vanished = false;
    for (int attempt = 0; attempt < SwitchAttempts && !vanished; ++attempt) {
        // A refused report is not final: the device may be leaving already; its absence decides.
        (void)RequestBootloaderMode();
        m_trace("switch report " + std::to_string(attempt + 1) + " of " + std::to_string(SwitchAttempts) +
                " sent; waiting " + std::to_string(DeviceSearchIntervalMs) + " ms for the application interface to go");
        m_clock.SleepMs(DeviceSearchIntervalMs);
        vanished = Orv::Failed(FindDevice(false));
    }
    if (!vanished) {
        m_trace("switch: the application interface is still there after " + std::to_string(SwitchAttempts) +
                " switch reports");
        return E_FAIL;
    }
    m_trace("switch: the application interface went after " + std::to_string(m_clock.NowMs() - start) +
            " ms; waiting up to " + std::to_string(BootloaderArrivalTimeoutMs) + " ms for the bootloader");
    const std::int64_t arrival = m_clock.NowMs();
    const std::int64_t deadline = arrival + BootloaderArrivalTimeoutMs;
    do {
        m_clock.SleepMs(DeviceSearchIntervalMs);
        if (Orv::Succeeded(FindDevice(true))) {
            m_trace("switch: the bootloader came after " + std::to_string(m_clock.NowMs() - arrival) + " ms");
            return S_OK;
        }
    } while (m_clock.NowMs() < deadline);
    m_trace("switch: timed out: no bootloader within " + std::to_string(BootloaderArrivalTimeoutMs) + " ms");
    return E_FAIL;
}

ORVRESULT LHidTransport::OpenBootloader() {
    if (m_bootloader) return S_OK;
    if (m_bootloaderDevicePath.empty()) return E_FAIL;
    m_bootloader = m_platform.Open(m_bootloaderDevicePath);
    if (!m_bootloader) {
        m_trace("the bootloader interface " + m_bootloaderDevicePath + " could not be opened");
        return E_FAIL;
    }
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
    std::uint8_t report[kHidReportSize] = {};
    std::memcpy(report + 1, command, length);
    if (!m_bootloader->Write(report, sizeof report)) {
        if (m_trace.On())
            m_trace("command " + Hex(length > 1 ? command[1] : 0, 2) + ": the report could not be written");
        CloseBootloader();
        return E_FAIL;
    }
    return S_OK;
}

ORVRESULT LHidTransport::WriteReport(const std::uint8_t* command, std::size_t length) {
    return WriteOnBootloader(command, length);
}

ORVRESULT LHidTransport::TransferReport(const std::uint8_t* command, std::size_t length, std::uint8_t* answer,
                                        std::size_t answerLength) {
    if (answerLength > MaxPacketSize) return E_FAIL;
    if (Orv::Failed(WriteOnBootloader(command, length))) return E_FAIL;
    std::uint8_t report[kHidReportSize] = {};
    const std::int64_t deadline = m_clock.NowMs() + ReportReadTimeoutMs;
    for (;;) {
        const int n = m_bootloader->Read(report, sizeof report);
        if (n > 0) break;
        // A failed read, or an answer that never came: an answer arriving late must not be taken
        // for the next command's, so the handle goes with the command.
        if (n < 0 || m_clock.NowMs() >= deadline) {
            if (m_trace.On()) {
                m_trace("command " + Hex(length > 1 ? command[1] : 0, 2) +
                        (n < 0 ? std::string(": the answer could not be read")
                               : ": timed out: no answer within " + std::to_string(ReportReadTimeoutMs) + " ms"));
            }
            CloseBootloader();
            return E_FAIL;
        }
        m_clock.SleepMs(ReportPollIntervalMs);
    }
    std::memcpy(answer, report + 1, answerLength);
    return S_OK;
}

}  // namespace Varnet
