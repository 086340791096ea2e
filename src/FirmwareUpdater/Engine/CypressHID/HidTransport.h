#pragma once
// Finds the Varnet among the HID interfaces (application or bootloader mode), switches it into its
// bootloader and carries bootloader packets one per report. The bootloader interface stays open
// from its first command until the caller closes it (the kernel's HID driver takes tens of
// milliseconds for every open, which would multiply an upload's time); a failed write or read
// closes it, so the next command opens the interface afresh.
#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"
#include "OrvFramework/Notification/Event.h"
#include "FirmwareUpdater/Engine/CypressHID/EngineTrace.h"
#include "FirmwareUpdater/Engine/CypressHID/FirmwareVersion.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HidPlatform.h"

#include <functional>
#include <string>

namespace Varnet {

inline constexpr std::uint16_t ApplicationProductId = 0x2036;
inline constexpr std::uint16_t BootloaderProductId = 0x2836;
// The application interface is interface 4 of the composite device.
inline constexpr char ApplicationInterfaceTag[] = "&MI_04";
// The output report that asks the application to restart into its bootloader.
inline constexpr std::uint8_t kSwitchReport[4] = {0x00, 0x12, 0x34, 0x00};

inline constexpr int DetectAttempts = 10;
inline constexpr int SwitchAttempts = 10;
inline constexpr std::int64_t DeviceSearchIntervalMs = 1000;
// Bounds of waits that would otherwise hang on a device that never answers.
inline constexpr std::int64_t BootloaderArrivalTimeoutMs = 30000;
inline constexpr std::int64_t ReportReadTimeoutMs = 5000;
inline constexpr std::int64_t ReportPollIntervalMs = 1;

// How a device search is watched and ended from outside (the window that tells the user about it).
// `cancel`, once set, ends the search before its next attempt and cuts the wait between attempts
// short; `onMiss` is called on the searching thread after every attempt that found nothing, with
// the attempt's number (from 1) and the number of attempts.
struct DeviceSearchWatch {
    Orv::RCPtr<Orv::LEvent> cancel;
    std::function<void(int attempt, int attempts)> onMiss;
};

// Reads the four characters after "VID_" and "PID_" (upper-cased) as hexadecimal; anything that
// is not a digit, or lies past the end, counts as 0.
void ParseVidPid(const std::string& path, std::uint16_t& vendorId, std::uint16_t& productId);

class LHidTransport final : public IBootloaderTransport {
public:
    LHidTransport(Orv::Platform::IHidPlatform& platform, Orv::Platform::IClock& clock)
        : m_platform(platform), m_clock(clock) {}
    ~LHidTransport() override;
    LHidTransport(const LHidTransport&) = delete;
    LHidTransport& operator=(const LHidTransport&) = delete;

    Orv::ORVRESULT LoadHidLibrary();
    Orv::ORVRESULT FindDevice(bool bootloader);
    // Up to 10 searches a second apart; sets IsInBootloader. False when the device was not found or
    // the search was cancelled (see SetSearchWatch).
    bool DetectDevice();
    void SetSearchWatch(DeviceSearchWatch watch) { m_searchWatch = std::move(watch); }
    bool IsSearchCancelled() const { return m_searchWatch.cancel && m_searchWatch.cancel->IsSet(); }
    // Sends the switch report to the application interface; fails when the interface
    // cannot be opened or the report is refused.
    Orv::ORVRESULT RequestBootloaderMode();
    // Fails when the application interface cannot be opened or its attributes cannot be read.
    Orv::ORVRESULT ReadDeviceVersion(FirmwareVersion& version);
    // Switches the device and waits (at most 30 s) for the bootloader interface.
    Orv::ORVRESULT EnterBootloaderMode();

    // Opens the bootloader interface found last, unless it is already open.
    Orv::ORVRESULT OpenBootloader();
    void CloseBootloader();
    bool IsBootloaderOpen() const { return m_bootloader != nullptr; }

    Orv::ORVRESULT WriteReport(const std::uint8_t* command, std::size_t length) override;
    // Fails when no answer arrives within 5 s.
    Orv::ORVRESULT TransferReport(const std::uint8_t* command, std::size_t length, std::uint8_t* answer,
                                  std::size_t answerLength) override;

    // Where the searches, waits and failures are told; off until set.
    void SetTrace(EngineTrace trace) { m_trace = std::move(trace); }

    bool IsInBootloader() const { return m_isInBootloader; }
    const std::string& GetApplicationDevicePath() const { return m_applicationDevicePath; }
    const std::string& GetBootloaderDevicePath() const { return m_bootloaderDevicePath; }

private:
    // Writes one report on the open (or newly opened) bootloader interface.
    Orv::ORVRESULT WriteOnBootloader(const std::uint8_t* command, std::size_t length);
    // Traces an interface the first time it is found under its path (searches repeat every second).
    void TraceFound(const Orv::Platform::HidInterfaceInfo& info, bool bootloader, std::uint16_t vendorId,
                    std::uint16_t productId);

    Orv::Platform::IHidPlatform& m_platform;
    Orv::Platform::IClock& m_clock;
    std::string m_applicationDevicePath;
    std::string m_bootloaderDevicePath;
    bool m_isInBootloader = false;
    std::unique_ptr<Orv::Platform::IHidDevice> m_bootloader;
    std::string m_openBootloaderPath;
    DeviceSearchWatch m_searchWatch;
    EngineTrace m_trace;
    std::string m_tracedApplicationPath;
    std::string m_tracedBootloaderPath;
};

}  // namespace Varnet
