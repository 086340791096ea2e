#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"

#include <cmath>
#include <exception>
#include <limits>
#include <optional>

#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/System/RegistryKey.h"
#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;

namespace {

// A value option counts as given only with a non-empty value.
bool GetValueOption(const Orv::String& commandLine, std::u16string_view name, Orv::String& value) {
    return Orv::GetCommandLineOption(commandLine, name, value) && !value.empty();
}

std::string RowText(const Varnet::ImageRow& row) {
    return "row " + std::to_string(row.rowNumber) + " of flash array " + std::to_string(row.arrayId);
}

}  // namespace

LUpdateEngine::LUpdateEngine(std::shared_ptr<Orv::Platform::IHidPlatform> platform, Orv::Platform::IClock& clock,
                             Orv::String programFolder, TraceFn trace)
    : m_platform(std::move(platform)),
      m_clock(clock),
      m_programFolder(std::move(programFolder)),
      m_trace(trace ? Varnet::EngineTrace(std::move(trace)) : Varnet::EngineTrace()),
      m_transport(*m_platform, m_clock),
      m_protocol(m_transport) {
    m_transport.SetTrace(m_trace);
    while (m_programFolder.size() > 1 && m_programFolder.back() == u'/') m_programFolder.pop_back();
}

LUpdateEngine::~LUpdateEngine() = default;

EngineResult LUpdateEngine::Initialize(const Orv::String& commandLine) {
    m_commandLine = commandLine;

    // Each option as read, and what it gave: "given" values as written, defaults named as such.
    auto traceOption = [this](const char* name, bool given, const Orv::String& value, const std::string& meaning) {
        if (!m_trace.On()) return;
        std::string line = std::string("option ") + name;
        line += given ? Orv::Utf16ToUtf8(value) : std::string(" not given");
        if (!meaning.empty()) line += (given ? " -> " : ": ") + meaning;
        Trace(line);
    };

    Orv::String value;
    const bool estimateGiven = Orv::GetCommandLineOption(m_commandLine, u"-UPDATE_TIME_ESTIMATE=", value);
    m_updateTimeEstimate = estimateGiven ? static_cast<double>(Orv::WToI(value)) : DefaultUpdateTimeEstimate;
    traceOption("-UPDATE_TIME_ESTIMATE=", estimateGiven, value,
                std::to_string(static_cast<long long>(m_updateTimeEstimate)) + " s");

    Orv::String version;
    const bool versionGiven = Orv::GetCommandLineOption(m_commandLine, u"-FIRMWARE_UPDATE_VERSION=", version);
    (void)GetFirmwareUpdateVersion(version);
    traceOption("-FIRMWARE_UPDATE_VERSION=", versionGiven, version, Varnet::ParseVersionText(version).Text());
    traceOption("-ALWAYS_UPDATE", Orv::GetCommandLineOption(m_commandLine, u"-ALWAYS_UPDATE", value), {}, {});

    const bool absolute = GetValueOption(m_commandLine, u"-ABSOLUTE_FIRMWARE_FILE_PATH=", value);
    traceOption("-ABSOLUTE_FIRMWARE_FILE_PATH=", absolute, value, {});
    if (absolute) {
        m_firmwareFilePath = value;
    } else {
        Orv::String name;
        const bool named = GetValueOption(m_commandLine, u"-FIRMWARE_IMAGE_NAME=", name);
        traceOption("-FIRMWARE_IMAGE_NAME=", named, name, named ? "" : Orv::Utf16ToUtf8(DefaultFirmwareImageName));
        if (!named) name = DefaultFirmwareImageName;
        m_firmwareFilePath = m_programFolder;
        m_firmwareFilePath += u"/";
        m_firmwareFilePath += name;
    }

    // The whole image is checked before anything goes near the device: a damaged or missing
    // image found after the switch would leave the device in its bootloader.
    const std::string imagePath = Orv::Utf16ToUtf8(m_firmwareFilePath);
    Trace("image path=" + imagePath);
    const Varnet::ImageReport image = Varnet::CheckImage(imagePath);
    if (!image.IsSound()) {
        m_failureReason = Varnet::DescribeFirstProblem(imagePath, image);
        Trace("image refused: " + m_failureReason);
        return EngineResult::FirmwareFileMissingOrCorrupt;
    }
    m_failureReason.clear();
    if (m_trace.On()) {
        Trace("image sound: rows=" + std::to_string(image.RowCount()) + " silicon id=" +
              Varnet::Hex(image.header.siliconId, 8) + " revision=" + Varnet::Hex(image.header.siliconRevision, 2));
    }

    if (Orv::Failed(m_transport.LoadHidLibrary())) return EngineResult::HidLibraryUnavailable;
    Stage(UpdateStage::Searching);
    if (!m_transport.DetectDevice()) {
        Trace("decision: no update: the device was not found");
        return EngineResult::DeviceNotFound;
    }
    if (!m_transport.IsInBootloader()) {
        // A device whose version cannot be read is not one we can talk to; saying "up to date"
        // would send the user away with old firmware.
        Varnet::FirmwareVersion device;
        if (Orv::Failed(m_transport.ReadDeviceVersion(device))) {
            Trace("decision: no update: the device's version could not be read");
            return EngineResult::DeviceNotFound;
        }
    }
    if (!IsUpdateNeeded()) return EngineResult::UpdateNotNeeded;
    m_isUpdateNeeded = true;
    return EngineResult::Ready;
}

ORVRESULT LUpdateEngine::GetFirmwareUpdateVersion(Orv::String& version) const {
    if (!Orv::GetCommandLineOption(m_commandLine, u"-FIRMWARE_UPDATE_VERSION=", version)) {
        version = DefaultFirmwareUpdateVersion;
    }
    return S_OK;
}

Varnet::FirmwareVersion LUpdateEngine::TargetVersion() const {
    Orv::String text;
    (void)GetFirmwareUpdateVersion(text);
    return Varnet::ParseVersionText(text);
}

bool LUpdateEngine::IsUpdateNeeded() {
    if (m_transport.IsInBootloader()) {
        Trace("decision: update needed: the device is in its bootloader (no version to compare)");
        return true;
    }
    const Varnet::FirmwareVersion target = TargetVersion();
    Varnet::FirmwareVersion device;
    const bool haveDevice = Orv::Succeeded(m_transport.ReadDeviceVersion(device));
    const std::string versions =
        haveDevice ? "device " + device.Text() + ", target " + target.Text() : "the device's version could not be read";
    Orv::String ignored;
    if (Orv::GetCommandLineOption(m_commandLine, u"-ALWAYS_UPDATE", ignored)) {
        m_isDowngrade = haveDevice && target < device;
        Trace("decision: update forced by -ALWAYS_UPDATE: " + versions + (m_isDowngrade ? " (a downgrade)" : ""));
        return true;
    }
    const bool needed = haveDevice && target > device;
    Trace(needed ? "decision: update needed: " + versions + " (older)"
                 : "decision: no update: " + versions + (haveDevice ? " (same or newer)" : ""));
    return needed;
}

void LUpdateEngine::EndSession() {
    // A completed forced downgrade keeps the driver package from undoing it at its next start.
    if (m_isUpdateInProgress.load() || m_keepSuppressed.load()) return;
    WriteSuppressValue(false, "as the program ends", false);
}

void LUpdateEngine::SuppressAutomaticFirmwareUpdates(bool suppress) {
    Orv::RCPtr<Orv::LRegistryKey> key =
        Orv::MakeRC<Orv::LRegistryKey>(Orv::kLocalMachine, Orv::String(SuppressAutoUpdatesKeyPath));
    if (!key || Orv::Failed(key->OpenForWriting())) {
        ORV_THROW(Runtime,
                  "Access Denied when opening registry key in LUpdateEngine::SuppressAutomaticFirmwareUpdates().",
                  "LUpdateEngine::SuppressAutomaticFirmwareUpdates", __LINE__);
    }
    const ORVRESULT written =
        key->SetValue(Orv::String(SuppressAutoUpdatesValueName), Orv::RegistryVariant::FromBool(suppress));
    const ORVRESULT closed = key->Close();
    // A value that did not reach the store is as much an error as a key that cannot be opened.
    if (Orv::Failed(written) || Orv::Failed(closed)) {
        ORV_THROW(Runtime, "The value SuppressAutoUpdates could not be written.",
                  "LUpdateEngine::SuppressAutomaticFirmwareUpdates", __LINE__);
    }
}

void LUpdateEngine::WriteSuppressValue(bool suppress, const char* when, bool final) {
    try {
        SuppressAutomaticFirmwareUpdates(suppress);
    } catch (const std::exception& e) {
        const std::string problem = std::string("SuppressAutoUpdates could not be ") + (suppress ? "set" : "cleared") +
                                    " " + when + ": " + e.what();
        Trace(problem);
        // Only the value left behind is the user's concern; one during the upload is overwritten.
        if (final) m_registryProblem = problem;
    }
}

void LUpdateEngine::PostProgress() {
    if (!(m_secondsPerLine > 0)) return;
    double fraction = 1.0;
    std::int32_t seconds = 0;
    if (m_remainingLines > 0) {
        fraction = (100.0 - m_remainingLines * 100.0 / m_totalLines) * 0.01;
        const double remaining = std::trunc(m_secondsPerLine * m_remainingLines);
        seconds = remaining >= static_cast<double>(std::numeric_limits<std::int32_t>::max())
                      ? std::numeric_limits<std::int32_t>::max()
                      : static_cast<std::int32_t>(remaining);
    }
    PostFirmwareNotification(NID_FIRMWARE_UPDATE_PROGRESS,
                             Orv::MakeRC<LFirmwareUpdateProgressNotificationData>(fraction, seconds, false));
}

UpdateResult LUpdateEngine::UpdateFirmware() {
    UpdateResult result;
    try {
        result.code = Upload();
    } catch (const std::exception& e) {
        // Before the device is touched only the registry write can raise; wherever it came from,
        // the failure path leaves no open file, handle or running mark behind.
        (void)FailUpdate(e.what());
        result.code = E_FAIL;
    } catch (...) {
        (void)FailUpdate("unexpected error");
        result.code = E_FAIL;
    }
    result.confirmed = m_outcomeConfirmed;
    result.failureReason = m_failureReason;
    result.registryProblem = m_registryProblem;
    return result;
}

ORVRESULT LUpdateEngine::Upload() {
    m_failureReason.clear();
    m_registryProblem.clear();
    m_outcomeConfirmed = false;
    m_keepSuppressed = false;
    m_exitOnFailure = false;
    // Running from the first step on: ending the program while the device changes into its
    // bootloader would strand it there just as surely as ending it half-way through the rows.
    m_isUpdateInProgress = true;
    m_foundInBootloader = m_transport.IsInBootloader();
    Trace("update started");
    Varnet::ImageHeader header;
    if (!CheckImage(header) || !SwitchToBootloader(header) || !WriteRows() || !ExitAndConfirm()) return E_FAIL;

    Trace("update complete");
    PostFirmwareNotification(NID_FIRMWARE_UPDATE_COMPLETE);
    // The upload is done whatever the registry says: a failed write is traced and told, not
    // turned into a failed update.
    if (m_isDowngrade) {
        m_keepSuppressed = true;
    } else {
        WriteSuppressValue(false, "after the update", true);
    }
    return S_OK;
}

bool LUpdateEngine::CheckImage(Varnet::ImageHeader& header) {
    const std::string path = Orv::Utf16ToUtf8(m_firmwareFilePath);
    if (Orv::Failed(m_imageFile.Open(path))) return FailUpdate("the firmware image " + path + " could not be opened");
    m_totalLines = m_remainingLines = Varnet::CountImageLines(path);
    m_secondsPerLine = m_totalLines > 0 ? m_updateTimeEstimate / m_totalLines : 0.0;
    char line[Varnet::ImageLineBufferSize];
    std::size_t length = 0;
    if (m_imageFile.ReadImageLine(length, line) != Varnet::ImageLineResult::LineRead ||
        Orv::Failed(Varnet::ParseHeaderLine(length, line, header))) {
        return FailUpdate(path + ":1: the header line cannot be read");
    }
    return true;
}

bool LUpdateEngine::SwitchToBootloader(const Varnet::ImageHeader& header) {
    if (!m_foundInBootloader) {
        SuppressAutomaticFirmwareUpdates(true);
        Stage(UpdateStage::Switching);
        if (Orv::Failed(m_transport.EnterBootloaderMode()))
            return FailUpdate("the device did not switch into its bootloader");
        // The settle belongs to our own switch. A bootloader found at start-up gets none: a freshly
        // powered one waits only about 2 s for a host before it starts its application.
        Trace("switch: waiting " + std::to_string(BootloaderSettleMs) + " ms for the bootloader to settle");
        m_clock.SleepMs(BootloaderSettleMs);
    } else {
        Trace("switch: none needed, the device is in its bootloader");
    }
    // Nothing is written yet: until the first row, a failure sends the device back to the
    // application it still holds.
    m_exitOnFailure = true;
    // The value was set before the switch; failing to lower it again must not cut the upload.
    WriteSuppressValue(m_isDowngrade, "for the upload", false);

    // Open once for the whole upload: every open of a hidraw node costs the kernel tens of ms.
    if (Orv::Failed(m_transport.OpenBootloader())) return FailUpdate("the bootloader interface could not be opened");
    // The image says which packet checksum its bootloader expects.
    m_protocol.SetChecksumKind(Varnet::ChecksumKindFromImage(header.checksumType));
    // A bootloader we did not switch into may hold row data staged by an interrupted session,
    // which Enter Bootloader keeps and which would make it refuse every row.
    if (m_foundInBootloader) {
        const bool synced = Orv::Succeeded(m_protocol.SyncBootloader());
        Trace(synced ? "Sync Bootloader sent" : "Sync Bootloader could not be sent");
    }
    Stage(UpdateStage::Writing, 0);
    std::uint32_t bootloaderVersion = 0;
    const bool entered =
        Orv::Succeeded(m_protocol.EnterBootloader(header.siliconId, header.siliconRevision, bootloaderVersion));
    const Varnet::EnterBootloaderAnswer& answer = m_protocol.GetEnterBootloaderAnswer();
    if (answer.answered) {
        Trace("Enter Bootloader: silicon id=" + Varnet::Hex(answer.siliconId, 8) +
              " revision=" + Varnet::Hex(answer.siliconRevision, 2) +
              " bootloader version=" + Varnet::Hex(answer.bootloaderVersion, 6));
    }
    if (!entered) {
        if (!answer.answered) return FailUpdate("Enter Bootloader failed: no valid answer");
        if (answer.siliconId != header.siliconId || answer.siliconRevision != header.siliconRevision) {
            return FailUpdate("Enter Bootloader: the device is silicon id " + Varnet::Hex(answer.siliconId, 8) +
                              " revision " + Varnet::Hex(answer.siliconRevision, 2) + ", the image is for " +
                              Varnet::Hex(header.siliconId, 8) + " revision " + Varnet::Hex(header.siliconRevision, 2));
        }
        return FailUpdate("Enter Bootloader: bootloader version " + Varnet::Hex(answer.bootloaderVersion, 6) +
                          " is not supported");
    }
    PostProgress();
    return true;
}

bool LUpdateEngine::WriteRows() {
    const std::string path = Orv::Utf16ToUtf8(m_firmwareFilePath);
    char line[Varnet::ImageLineBufferSize];
    std::size_t length = 0;
    int lineNumber = 1;  // the header
    Varnet::ImageRow row;
    for (;;) {
        const Varnet::ImageLineResult read = m_imageFile.ReadImageLine(length, line);
        if (read == Varnet::ImageLineResult::NoMoreLines) break;
        ++lineNumber;
        if (read == Varnet::ImageLineResult::Failure)
            return FailUpdate(path + ":" + std::to_string(lineNumber) + ": the line cannot be read");
        m_remainingLines -= 1;
        if (Orv::Failed(Varnet::ParseRowLine(length, line, row)))
            return FailUpdate(path + ":" + std::to_string(lineNumber) + ": bad row line");
        // The range check (Get Flash Size) comes before anything of the row is sent.
        if (Orv::Failed(m_protocol.CheckRowRange(row.arrayId, row.rowNumber)))
            return FailUpdate(RowText(row) + " is outside the device's flash, or its size could not be read");
        m_exitOnFailure = false;
        if (Orv::Failed(m_protocol.ProgramFlashRow(row.arrayId, row.rowNumber, row.data, row.dataLength))) {
            TraceRow(row, "program=failed");
            return FailUpdate("programming " + RowText(row) + " failed");
        }
        if (Orv::Failed(m_protocol.VerifyRow(row.arrayId, row.rowNumber, Varnet::ExpectedRowChecksum(row)))) {
            TraceRow(row, "verify=failed");
            return FailUpdate(RowText(row) + " did not verify");
        }
        TraceRow(row, "verify=ok");
        PostProgress();
        if (m_stage && m_totalLines > 0)
            Stage(UpdateStage::Writing, static_cast<int>((m_totalLines - m_remainingLines) * 100.0 / m_totalLines));
    }
    PostProgress();
    Stage(UpdateStage::Writing, 100);
    return true;
}

bool LUpdateEngine::ExitAndConfirm() {
    const bool exitSent = Orv::Succeeded(m_protocol.ExitBootloader());
    Trace(exitSent ? "Exit Bootloader sent" : "Exit Bootloader could not be sent");
    m_exitOnFailure = false;
    m_transport.CloseBootloader();
    m_isUpdateInProgress = false;
    m_imageFile.Close();

    // Only an outcome seen is told: the device must come back with the version just installed.
    const Varnet::FirmwareVersion target = TargetVersion();
    Varnet::FirmwareVersion seen;
    Stage(UpdateStage::Restarting);
    Trace("restart check: waiting up to " + std::to_string(ApplicationReturnTimeoutMs) +
          " ms for the device to come back with " + target.Text());
    const std::int64_t restartStart = m_clock.NowMs();
    const Restart restart = AwaitRestart(target, seen);
    const std::string after = " after " + std::to_string(m_clock.NowMs() - restartStart) + " ms";
    switch (restart) {
    case Restart::TargetVersion:
        m_outcomeConfirmed = true;
        Trace("restart check: the device restarted with version " + seen.Text() + after);
        break;
    case Restart::NoAnswer:
        Trace("restart check: timed out: the device had not come back " +
              std::to_string(ApplicationReturnTimeoutMs / 1000) +
              " s after Exit Bootloader; reported as updated, it is still restarting");
        break;
    case Restart::OtherVersion:
        Trace("restart check: the device came back" + after);
        return FailUpdate("the device restarted with version " + seen.Text() + " instead of " + target.Text());
    case Restart::Bootloader:
        Trace("restart check: the bootloader came back" + after);
        return FailUpdate("the device came back in its bootloader: it did not start the new firmware");
    }
    return true;
}

LUpdateEngine::Restart LUpdateEngine::AwaitRestart(const Varnet::FirmwareVersion& target,
                                                   Varnet::FirmwareVersion& seen) {
    const std::int64_t deadline = m_clock.NowMs() + ApplicationReturnTimeoutMs;
    // When the bootloader was first seen in a row of searches; -1 while it is not seen.
    std::int64_t bootloaderSince = -1;
    do {
        m_clock.SleepMs(Varnet::DeviceSearchIntervalMs);
        if (Orv::Succeeded(m_transport.FindDevice(false))) {
            bootloaderSince = -1;
            // An interface that is still being set up may not answer yet: look again.
            if (Orv::Succeeded(m_transport.ReadDeviceVersion(seen)))
                return seen == target ? Restart::TargetVersion : Restart::OtherVersion;
        } else if (Orv::Succeeded(m_transport.FindDevice(true))) {
            if (bootloaderSince < 0)
                bootloaderSince = m_clock.NowMs();
            else if (m_clock.NowMs() - bootloaderSince >= ReturnedBootloaderSettleMs)
                return Restart::Bootloader;
        } else {
            bootloaderSince = -1;
        }
    } while (m_clock.NowMs() < deadline);
    return Restart::NoAnswer;
}

bool LUpdateEngine::FailUpdate(std::string reason) {
    m_failureReason = std::move(reason);
    Trace("update failed: " + m_failureReason);
    if (m_exitOnFailure) {
        // No row was written: the device restarts the application it still holds rather than
        // wait in its bootloader.
        Trace("nothing was written; Exit Bootloader sends the device back to its application");
        (void)m_protocol.ExitBootloader();
        m_exitOnFailure = false;
    }
    m_transport.CloseBootloader();
    m_imageFile.Close();
    m_isUpdateInProgress = false;
    WriteSuppressValue(false, "after the failed update", true);
    PostFirmwareNotification(NID_FIRMWARE_UPDATE_FAILED);
    return false;
}
