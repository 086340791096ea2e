#pragma once
// The engine that knows the Varnet: reads the launch options, finds the device, decides whether
// an update is needed, and performs the upload (switch, identify, program and verify every row,
// leave the bootloader), reporting progress and the outcome through notifications. It also keeps
// the registry value that holds the driver package back from starting the updater by itself.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"
#include "FirmwareUpdater/Engine/CypressHID/EngineTrace.h"
#include "FirmwareUpdater/Engine/CypressHID/FirmwareVersion.h"
#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateEngineInterface.h"
#include "OrvFramework/Notification/NotificationClient.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HidPlatform.h"

inline constexpr char16_t DefaultFirmwareUpdateVersion[] = u"1.0.2";
inline constexpr char16_t DefaultFirmwareImageName[] = u"Varnet1.0.2.cyacd";
inline constexpr double DefaultUpdateTimeEstimate = 7.0;
inline constexpr std::int64_t BootloaderSettleMs = 1500;
// After Exit Bootloader: how long the device has to come back with its application, and how long
// a bootloader interface must stay listed before it counts as the bootloader having come back (a
// freshly started bootloader waits about 2 s for a host before it starts a valid application).
inline constexpr std::int64_t ApplicationReturnTimeoutMs = 30000;
inline constexpr std::int64_t ReturnedBootloaderSettleMs = 5000;
inline constexpr char16_t SuppressAutoUpdatesKeyPath[] =
    u"Software\\Korvo\\Audio\\Drivers\\{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}\\FirmwareUpdate";
inline constexpr char16_t SuppressAutoUpdatesValueName[] = u"SuppressAutoUpdates";

// Where an update stands, for a caller that shows it without the notification center (a silent
// run on the user-interface thread). Writing comes with the share of the image done, 0 to 100.
enum class UpdateStage { Searching, Switching, Writing, Restarting };

class LUpdateEngine : public Orv::LNotificationClient, public LUpdateEngineInterface {
public:
    using TraceFn = std::function<void(const std::string&)>;
    using StageFn = std::function<void(UpdateStage stage, int percent)>;
    // `trace` receives the engine's trace lines ("engine: ..."); without one they go to the debug
    // tracer when tracing was asked for (console or network), and nowhere otherwise.
    LUpdateEngine(std::shared_ptr<Orv::Platform::IHidPlatform> platform, Orv::Platform::IClock& clock,
                  Orv::String programFolder, TraceFn trace = {});
    ~LUpdateEngine() override;

    EngineResult Initialize(const Orv::String& commandLine) override;
    const std::string& GetFailureReason() const override { return m_failureReason; }
    Orv::ORVRESULT GetFirmwareUpdateVersion(Orv::String& version) const override;
    bool IsUpdateInProgress() const override { return m_isUpdateInProgress.load(); }
    void EndSession() override;
    int CheckForUpdate() override { return 0; }
    UpdateResult UpdateFirmware() override;
    // Who watches the device search of Initialize, and may cancel it.
    void SetDeviceSearchWatch(Varnet::DeviceSearchWatch watch) { m_transport.SetSearchWatch(std::move(watch)); }
    // Called on the engine's thread at each stage, and at each row while writing.
    void SetStageObserver(StageFn observer) { m_stage = std::move(observer); }

    // Writes "SuppressAutoUpdates"; raises a runtime error when the key cannot be opened.
    void SuppressAutomaticFirmwareUpdates(bool suppress);

    const Orv::String& GetFirmwareFilePath() const { return m_firmwareFilePath; }
    double GetUpdateTimeEstimate() const { return m_updateTimeEstimate; }
    bool IsInBootloader() const { return m_transport.IsInBootloader(); }
    bool IsDowngrade() const { return m_isDowngrade; }
    const std::string& GetApplicationDevicePath() const { return m_transport.GetApplicationDevicePath(); }
    const std::string& GetBootloaderDevicePath() const { return m_transport.GetBootloaderDevicePath(); }

private:
    enum class Restart { TargetVersion, OtherVersion, Bootloader, NoAnswer };

    // The upload's steps, in order. Each answers false when it failed, having called FailUpdate.
    // The image is opened and its header read before anything goes near the device.
    bool CheckImage(Varnet::ImageHeader& header);
    // Switches the device (unless it is there already), opens the bootloader interface and
    // identifies the chip against the image.
    bool SwitchToBootloader(const Varnet::ImageHeader& header);
    bool WriteRows();
    // Sends Exit Bootloader and waits (bounded) for the device to come back with the new version.
    bool ExitAndConfirm();

    Orv::ORVRESULT Upload();
    bool FailUpdate(std::string reason);
    // The version the update installs, as the launch options give it.
    Varnet::FirmwareVersion TargetVersion() const;
    bool IsUpdateNeeded();
    // Waits (bounded) for the device to come back after Exit Bootloader; `seen` is the version it
    // came back with.
    Restart AwaitRestart(const Varnet::FirmwareVersion& target, Varnet::FirmwareVersion& seen);
    void PostProgress();
    // Writes the value without raising; a failure is traced, and kept for the outcome when the
    // write is the last of the upload (`final`).
    void WriteSuppressValue(bool suppress, const char* when, bool final);
    void Trace(const std::string& text) const { m_trace(text); }
    // "row array=A row=R " and the result; built only when tracing is on (it runs once per row).
    void TraceRow(const Varnet::ImageRow& row, const char* result) const {
        if (m_trace.On())
            Trace("row array=" + std::to_string(row.arrayId) + " row=" + std::to_string(row.rowNumber) + " " + result);
    }
    void Stage(UpdateStage stage, int percent = 0) const {
        if (m_stage) m_stage(stage, percent);
    }

    std::shared_ptr<Orv::Platform::IHidPlatform> m_platform;
    Orv::Platform::IClock& m_clock;
    Orv::String m_programFolder;
    Varnet::EngineTrace m_trace;
    StageFn m_stage;
    Varnet::LHidTransport m_transport;
    Varnet::LBootloaderProtocol m_protocol;

    Orv::String m_firmwareFilePath;
    Orv::String m_commandLine;
    double m_updateTimeEstimate = 8.0;
    bool m_isUpdateNeeded = false;
    bool m_isDowngrade = false;
    // Written by the worker, read by the user-interface thread.
    std::atomic<bool> m_isUpdateInProgress{false};
    // Set by a completed forced downgrade: the value stays set when the program ends.
    std::atomic<bool> m_keepSuppressed{false};
    // Until the first row is written the device still holds its application, so a failure sends
    // it back there with Exit Bootloader.
    bool m_exitOnFailure = false;
    bool m_outcomeConfirmed = false;
    std::string m_registryProblem;
    Varnet::LImageFile m_imageFile;
    bool m_foundInBootloader = false;
    double m_remainingLines = 0;
    double m_totalLines = 0;
    double m_secondsPerLine = 0;
    std::string m_failureReason;
};
