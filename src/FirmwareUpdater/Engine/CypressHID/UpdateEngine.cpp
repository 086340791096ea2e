#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"

#include <cmath>
#include <exception>
#include <limits>
#include <optional>

#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/System/DebugTracer.h"
#include "OrvFramework/System/RegistryKey.h"
#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;

namespace {

// Reads one number up to the next dot (or the end) and steps over the run of dots after it.
int ReadVersionPart(std::u16string_view text, std::size_t& position) {
    const std::size_t start = position;
    while (position < text.size() && text[position] != u'.') ++position;
    const int value = Orv::WToI(text.substr(start, position - start));
    while (position < text.size() && text[position] == u'.') ++position;
    return value;
}

// A value option counts as given only with a non-empty value.
bool GetValueOption(const Orv::String& commandLine, std::u16string_view name, Orv::String& value) {
    return Orv::GetCommandLineOption(commandLine, name, value) && !value.empty();
}

std::string VersionText(const FirmwareVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.sub);
}

std::string RowText(const Varnet::ImageRow& row) {
    return "row " + std::to_string(row.rowNumber) + " of flash array " + std::to_string(row.arrayId);
}

}  // namespace

FirmwareVersion ParseVersionText(std::u16string_view text) {
    FirmwareVersion version;
    std::size_t position = 0;
    version.major = ReadVersionPart(text, position);
    version.minor = ReadVersionPart(text, position);
    version.sub = ReadVersionPart(text, position);
    return version;
}

LUpdateEngine::LUpdateEngine(std::shared_ptr<Orv::Platform::IHidPlatform> platform,
                             Orv::Platform::IClock& clock, Orv::String programFolder, TraceFn trace)
    : m_platform(std::move(platform)),
      m_clock(clock),
      m_programFolder(std::move(programFolder)),
      m_trace(std::move(trace)),
      m_transport(*m_platform, m_clock),
      m_protocol(m_transport) {
    while (m_programFolder.size() > 1 && m_programFolder.back() == u'/') m_programFolder.pop_back();
}

LUpdateEngine::~LUpdateEngine() = default;

EngineResult LUpdateEngine::Initialize(const Orv::String& commandLine) {
    m_commandLine = commandLine;

    Orv::String value;
    m_updateTimeEstimate = Orv::GetCommandLineOption(m_commandLine, u"-UPDATE_TIME_ESTIMATE=", value)
                               ? static_cast<double>(Orv::WToI(value))
                               : DefaultUpdateTimeEstimate;

    if (GetValueOption(m_commandLine, u"-ABSOLUTE_FIRMWARE_FILE_PATH=", value)) {
        m_firmwareFilePath = value;
    } else {
        Orv::String name;
        if (!GetValueOption(m_commandLine, u"-FIRMWARE_IMAGE_NAME=", name)) name = DefaultFirmwareImageName;
        m_firmwareFilePath = m_programFolder;
        m_firmwareFilePath += u"/";
        m_firmwareFilePath += name;
    }

    // The whole image is checked before anything goes near the device: a damaged or missing
    // image found after the switch would leave the device in its bootloader.
    const std::string imagePath = Orv::Utf16ToUtf8(m_firmwareFilePath);
    const Varnet::ImageReport image = Varnet::CheckImage(imagePath);
    if (!image.IsSound()) {
        m_failureReason = Varnet::DescribeFirstProblem(imagePath, image);
        return EngineResult::FirmwareFileMissingOrCorrupt;
    }
    m_failureReason.clear();

    if (Orv::Failed(m_transport.LoadHidLibrary())) return EngineResult::HidLibraryUnavailable;
    if (!m_transport.DetectDevice()) return EngineResult::DeviceNotFound;
    if (!m_transport.IsInBootloader()) {
        // A device whose version cannot be read is not one we can talk to; saying "up to date"
        // would send the user away with old firmware.
        int major = 0, minor = 0, sub = 0;
        if (Orv::Failed(m_transport.ReadDeviceVersion(major, minor, sub))) return EngineResult::DeviceNotFound;
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

ORVRESULT LUpdateEngine::ParseVersionText(int& major, int& minor, int& sub) const {
    major = minor = sub = 0;
    Orv::String text;
    const ORVRESULT result = GetFirmwareUpdateVersion(text);
    if (Orv::Failed(result)) return result;
    const FirmwareVersion version = ::ParseVersionText(text);
    major = version.major;
    minor = version.minor;
    sub = version.sub;
    return S_OK;
}

bool LUpdateEngine::IsUpdateNeeded() {
    if (m_transport.IsInBootloader()) return true;
    FirmwareVersion target, device;
    const bool haveTarget = Orv::Succeeded(ParseVersionText(target.major, target.minor, target.sub));
    const bool haveDevice =
        Orv::Succeeded(m_transport.ReadDeviceVersion(device.major, device.minor, device.sub));
    Orv::String ignored;
    if (Orv::GetCommandLineOption(m_commandLine, u"-ALWAYS_UPDATE", ignored)) {
        m_isDowngrade = haveTarget && haveDevice && target < device;
        return true;
    }
    return haveTarget && haveDevice && target > device;
}

bool LUpdateEngine::IsUpdateInProgress() {
    if (m_isUpdateInProgress.load()) return true;
    // A completed forced downgrade keeps the driver package from undoing it at its next start.
    if (!m_keepSuppressed.load()) SuppressAutomaticFirmwareUpdates(false);
    return false;
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
        const std::string problem = std::string("SuppressAutoUpdates could not be ") +
                                    (suppress ? "set" : "cleared") + " " + when + ": " + e.what();
        Trace(problem);
        // Only the value left behind is the user's concern; one during the upload is overwritten.
        if (final) m_registryProblem = problem;
    }
}

void LUpdateEngine::Trace(const std::string& text) const {
    if (m_trace) {
        m_trace(text);
        return;
    }
    Orv::DebugTracer& tracer = Orv::DebugTracer::Instance();
    // Only when asked for: a silent run's standard error carries its outcome line alone.
    const bool asked = tracer.IsConsoleOpen() || (tracer.GetPort() >= 1 && tracer.GetPort() <= 65535);
    if (asked) tracer.TraceLine(0, "%s", ("LUpdateEngine: " + text).c_str());
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

ORVRESULT LUpdateEngine::UpdateFirmware() {
    try {
        return Upload();
    } catch (...) {
        // The registry could not be written before the device was touched: leave no open file,
        // handle or running mark behind; the caller decides how the failure is reported.
        try {
            throw;
        } catch (const std::exception& e) {
            m_failureReason = e.what();
        } catch (...) {
            m_failureReason = "unexpected error";
        }
        Trace(m_failureReason);
        m_imageFile.Close();
        m_transport.CloseBootloader();
        m_isUpdateInProgress = false;
        throw;
    }
}

ORVRESULT LUpdateEngine::Upload() {
    m_failureReason.clear();
    m_registryProblem.clear();
    m_outcomeConfirmed = false;
    m_keepSuppressed = false;
    m_exitOnFailure = false;
    // Running from the switch on: ending the program while the device changes into its
    // bootloader would strand it there just as surely as ending it half-way through the rows.
    m_isUpdateInProgress = true;
    const bool foundInBootloader = m_transport.IsInBootloader();
    if (!foundInBootloader) {
        SuppressAutomaticFirmwareUpdates(true);
        if (Orv::Failed(EnterBootloaderMode())) return FailUpdate("the device did not switch into its bootloader");
        // The settle belongs to our own switch. A bootloader found at start-up gets none: a freshly
        // powered one waits only about 2 s for a host before it starts its application.
        m_clock.SleepMs(BootloaderSettleMs);
    }
    // Nothing is written yet: until the first row, a failure sends the device back to the
    // application it still holds.
    m_exitOnFailure = true;
    // The value was set before the switch; failing to lower it again must not cut the upload.
    WriteSuppressValue(m_isDowngrade, "for the upload", false);

    // Open once for the whole upload: every open of a hidraw node costs the kernel tens of ms.
    if (Orv::Failed(m_transport.OpenBootloader())) return FailUpdate("the bootloader interface could not be opened");

    const std::string path = Orv::Utf16ToUtf8(m_firmwareFilePath);
    if (Orv::Failed(m_imageFile.Open(path))) return FailUpdate("the firmware image " + path + " could not be opened");
    m_totalLines = m_remainingLines = Varnet::CountImageLines(path);
    m_secondsPerLine = m_totalLines > 0 ? m_updateTimeEstimate / m_totalLines : 0.0;

    char line[Varnet::ImageLineBufferSize];
    std::size_t length = 0;
    int lineNumber = 1;
    Varnet::ImageHeader header;
    if (m_imageFile.ReadImageLine(length, line) != Varnet::ImageLineResult::LineRead ||
        Orv::Failed(Varnet::ParseHeaderLine(length, line, header))) {
        return FailUpdate(path + ":1: the header line cannot be read");
    }

    // The image says which packet checksum its bootloader expects.
    m_protocol.SetChecksumKind(Varnet::ChecksumKindFromImage(header.checksumType));
    // A bootloader we did not switch into may hold row data staged by an interrupted session,
    // which Enter Bootloader keeps and which would make it refuse every row.
    if (foundInBootloader) (void)m_protocol.SyncBootloader();
    std::uint32_t bootloaderVersion = 0;
    if (Orv::Failed(m_protocol.EnterBootloader(header.siliconId, header.siliconRevision, bootloaderVersion))) {
        return FailUpdate("Enter Bootloader failed: no valid answer, or the device is not the chip, revision or "
                          "bootloader version the image is for");
    }
    PostProgress();

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
        if (Orv::Failed(m_protocol.ProgramFlashRow(row.arrayId, row.rowNumber, row.data, row.dataLength)))
            return FailUpdate("programming " + RowText(row) + " failed");
        if (Orv::Failed(m_protocol.VerifyRow(row.arrayId, row.rowNumber, Varnet::ExpectedRowChecksum(row))))
            return FailUpdate(RowText(row) + " did not verify");
        PostProgress();
    }

    PostProgress();
    (void)m_protocol.ExitBootloader();
    m_exitOnFailure = false;
    m_transport.CloseBootloader();
    m_isUpdateInProgress = false;
    m_imageFile.Close();

    // Only an outcome seen is told: the device must come back with the version just installed.
    FirmwareVersion target, seen;
    (void)ParseVersionText(target.major, target.minor, target.sub);
    switch (AwaitRestart(seen)) {
    case Restart::TargetVersion:
        m_outcomeConfirmed = true;
        Trace("the device restarted with version " + VersionText(seen));
        break;
    case Restart::NoAnswer:
        Trace("the device had not come back " + std::to_string(ApplicationReturnTimeoutMs / 1000) +
              " s after Exit Bootloader; reported as updated, it is still restarting");
        break;
    case Restart::OtherVersion:
        return FailUpdate("the device restarted with version " + VersionText(seen) + " instead of " +
                          VersionText(target));
    case Restart::Bootloader:
        return FailUpdate("the device came back in its bootloader: it did not start the new firmware");
    }

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

LUpdateEngine::Restart LUpdateEngine::AwaitRestart(FirmwareVersion& seen) {
    FirmwareVersion target;
    (void)ParseVersionText(target.major, target.minor, target.sub);
    const std::int64_t deadline = m_clock.NowMs() + ApplicationReturnTimeoutMs;
    std::optional<std::int64_t> bootloaderSince;
    do {
        m_clock.SleepMs(Varnet::DeviceSearchIntervalMs);
        if (Orv::Succeeded(m_transport.FindDevice(false))) {
            bootloaderSince.reset();
            // An interface that is still being set up may not answer yet: look again.
            if (Orv::Succeeded(m_transport.ReadDeviceVersion(seen.major, seen.minor, seen.sub)))
                return seen == target ? Restart::TargetVersion : Restart::OtherVersion;
        } else if (Orv::Succeeded(m_transport.FindDevice(true))) {
            if (!bootloaderSince) bootloaderSince = m_clock.NowMs();
            else if (m_clock.NowMs() - *bootloaderSince >= ReturnedBootloaderSettleMs) return Restart::Bootloader;
        } else {
            bootloaderSince.reset();
        }
    } while (m_clock.NowMs() < deadline);
    return Restart::NoAnswer;
}

ORVRESULT LUpdateEngine::FailUpdate(std::string reason) {
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
    return E_FAIL;
}
