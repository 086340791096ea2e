#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"

#include <cmath>
#include <limits>

#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "OrvFramework/ObjectBase/Exception.h"
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
                             Orv::Platform::IClock& clock, Orv::String programFolder)
    : m_platform(std::move(platform)),
      m_clock(clock),
      m_programFolder(std::move(programFolder)),
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
    SuppressAutomaticFirmwareUpdates(false);
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
    (void)key->SetValue(Orv::String(SuppressAutoUpdatesValueName), Orv::RegistryVariant::FromBool(suppress));
    (void)key->Close();
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
        // The registry could not be written: leave no open file and no running mark behind; the
        // caller decides how the failure is reported.
        m_imageFile.Close();
        m_isUpdateInProgress = false;
        throw;
    }
}

ORVRESULT LUpdateEngine::Upload() {
    // Running from the switch on: ending the program while the device changes into its
    // bootloader would strand it there just as surely as ending it half-way through the rows.
    m_isUpdateInProgress = true;
    if (!m_transport.IsInBootloader()) {
        SuppressAutomaticFirmwareUpdates(true);
        if (Orv::Failed(EnterBootloaderMode())) return FailUpdate();
    }
    m_clock.SleepMs(BootloaderSettleMs);
    SuppressAutomaticFirmwareUpdates(m_isDowngrade);

    const std::string path = Orv::Utf16ToUtf8(m_firmwareFilePath);
    if (Orv::Failed(m_imageFile.Open(path))) return FailUpdate();
    m_totalLines = m_remainingLines = Varnet::CountImageLines(path);
    m_secondsPerLine = m_totalLines > 0 ? m_updateTimeEstimate / m_totalLines : 0.0;

    char line[Varnet::ImageLineBufferSize];
    std::size_t length = 0;
    if (m_imageFile.ReadImageLine(length, line) != Varnet::ImageLineResult::LineRead) return FailUpdate();
    Varnet::ImageHeader header;
    if (Orv::Failed(Varnet::ParseHeaderLine(length, line, header))) return FailUpdate();

    // The image says which packet checksum its bootloader expects.
    m_protocol.SetChecksumKind(Varnet::ChecksumKindFromImage(header.checksumType));
    std::uint32_t bootloaderVersion = 0;
    if (Orv::Failed(m_protocol.EnterBootloader(header.siliconId, header.siliconRevision, bootloaderVersion))) {
        return FailUpdate();
    }
    PostProgress();

    Varnet::ImageRow row;
    for (;;) {
        const Varnet::ImageLineResult read = m_imageFile.ReadImageLine(length, line);
        if (read == Varnet::ImageLineResult::NoMoreLines) break;
        if (read == Varnet::ImageLineResult::Failure) return FailUpdate();
        m_remainingLines -= 1;
        if (Orv::Failed(Varnet::ParseRowLine(length, line, row)) ||
            Orv::Failed(m_protocol.ProgramFlashRow(row.arrayId, row.rowNumber, row.data, row.dataLength)) ||
            Orv::Failed(m_protocol.VerifyRow(row.arrayId, row.rowNumber, Varnet::ExpectedRowChecksum(row)))) {
            return FailUpdate();
        }
        PostProgress();
    }

    PostProgress();
    (void)m_protocol.ExitBootloader();
    m_isUpdateInProgress = false;
    m_imageFile.Close();
    PostFirmwareNotification(NID_FIRMWARE_UPDATE_COMPLETE);
    if (!m_isDowngrade) SuppressAutomaticFirmwareUpdates(false);
    return S_OK;
}

ORVRESULT LUpdateEngine::FailUpdate() {
    m_imageFile.Close();
    m_isUpdateInProgress = false;
    // The failure is posted even when the registry cannot be written; the error still reaches
    // the caller.
    try {
        SuppressAutomaticFirmwareUpdates(false);
    } catch (...) {
        PostFirmwareNotification(NID_FIRMWARE_UPDATE_FAILED);
        throw;
    }
    PostFirmwareNotification(NID_FIRMWARE_UPDATE_FAILED);
    return E_FAIL;
}
