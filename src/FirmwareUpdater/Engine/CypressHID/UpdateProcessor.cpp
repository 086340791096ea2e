#include "FirmwareUpdater/Engine/CypressHID/UpdateProcessor.h"

#include <cstdio>

#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"
#include "OrvFramework/Platform/Files.h"
#include "OrvFramework/System/DebugTracer.h"
#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;

namespace {

constexpr int ModeUpdate = 0;
constexpr int ModeCheck = 1;

bool HasFlag(const Orv::String& commandLine, std::u16string_view name) {
    Orv::String ignored;
    return Orv::GetCommandLineOption(commandLine, name, ignored);
}

constexpr char ReportPrefix[] = "varnet-updater: ";

// One line that rewrites itself ("\r") as an update passes its stages, and is wiped before the
// outcome line so that the outcome stands alone on its line.
class StatusLine {
public:
    explicit StatusLine(TextSink out) : m_out(std::move(out)) {}

    void Show(UpdateStage stage, int percent) {
        std::string text = ReportPrefix;
        switch (stage) {
        case UpdateStage::Searching:
            text += "searching";
            break;
        case UpdateStage::Switching:
            text += "switching";
            break;
        case UpdateStage::Writing:
            text += "writing " + std::to_string(percent) + " %";
            break;
        case UpdateStage::Restarting:
            text += "restarting";
            break;
        }
        if (text == m_shown) return;
        std::string line = "\r" + text;
        // A shorter text must cover what the longer one left behind.
        if (text.size() < m_shown.size()) line.append(m_shown.size() - text.size(), ' ');
        m_out(line);
        m_shown = std::move(text);
    }
    void Clear() {
        if (m_shown.empty()) return;
        m_out("\r" + std::string(m_shown.size(), ' ') + "\r");
        m_shown.clear();
    }

private:
    TextSink m_out;
    std::string m_shown;
};

}  // namespace

std::string DescribeSilentOutcome(const SilentOutcome& outcome) {
    std::string line = ReportPrefix;
    auto because = [](const std::string& reason) { return reason.empty() ? std::string("unknown reason") : reason; };
    switch (outcome.engineResult) {
    case static_cast<int>(EngineResult::DeviceNotFound):
        line += "device not found";
        break;
    case static_cast<int>(EngineResult::UpdateNotNeeded):
        line += "already up to date";
        break;
    case static_cast<int>(EngineResult::FirmwareFileMissingOrCorrupt):
        line += "firmware image missing or corrupt: " + because(outcome.upload.failureReason);
        break;
    case static_cast<int>(EngineResult::HidLibraryUnavailable):
        line += "update failed: the HID library is not available";
        break;
    default:
        if (outcome.engineResult < 0) {
            line += "update failed: the device check answered " + std::to_string(outcome.engineResult);
        } else if (!outcome.upload.Succeeded()) {
            line += "update failed: " + because(outcome.upload.failureReason);
        } else {
            line += "updated to " + outcome.version;
            if (!outcome.upload.confirmed) line += " (the device is still restarting)";
        }
        break;
    }
    if (!outcome.upload.registryProblem.empty()) line += "; " + outcome.upload.registryProblem;
    return line;
}

LUpdateProcessor::LUpdateProcessor(UpdateEnvironment environment)
    : m_environment(std::move(environment)),
      m_trace(m_environment.trace ? Varnet::EngineTrace(m_environment.trace) : Varnet::EngineTrace()),
      m_thread(*m_environment.clock),
      m_runDone(Orv::MakeRC<Orv::LEvent>()) {
    // Nothing has run yet, so a caller waiting for "the current run" returns at once.
    m_runDone->Set();
}

LUpdateProcessor::~LUpdateProcessor() {
    // The program is ending (a run holds the processor, so none is under way).
    if (m_engine) m_engine->EndSession();
}

ORVRESULT LUpdateProcessor::Initialize(const Orv::String& commandLine) {
    m_commandLine = commandLine;
    auto engine = Orv::MakeRC<LUpdateEngine>(m_environment.platform, *m_environment.clock, m_environment.programFolder,
                                             m_environment.trace);
    {
        std::lock_guard guard(m_engineLock);
        m_engine = engine;
    }
    engine->SetDeviceSearchWatch(m_environment.search);
    const bool silent = HasFlag(m_commandLine, u"-SILENT");
    for (const char16_t* flag : {u"-SILENT", u"-SILENT_IF_UPDATE_NOT_NEEDED", u"-START_UPDATE_AUTOMATICALLY"})
        m_trace("option " + Orv::Utf16ToUtf8(flag) + (HasFlag(m_commandLine, flag) ? " given" : " not given"));
    std::shared_ptr<StatusLine> status;
    if (silent) {
        if (TextSink out = SilentProgressOutput()) {
            status = std::make_shared<StatusLine>(std::move(out));
            engine->SetStageObserver([status](UpdateStage stage, int percent) { status->Show(stage, percent); });
        }
    }
    const int result = static_cast<int>(m_engine->Initialize(m_commandLine));
    // The user gave up the search: nothing more happens, whatever the engine found meanwhile.
    if (m_environment.search.cancel && m_environment.search.cancel->IsSet()) return Orv::E_QUIET_EXIT;

    if (silent) {
        // Nobody watches a silent run: its one line on standard error is all it tells.
        SilentOutcome outcome;
        outcome.engineResult = result;
        if (result >= 0) {
            m_updateStarted = true;
            outcome.upload = m_engine->UpdateFirmware();
        } else {
            outcome.upload.failureReason = m_engine->GetFailureReason();
        }
        Orv::String version;
        (void)m_engine->GetFirmwareUpdateVersion(version);
        outcome.version = Orv::Utf16ToUtf8(version);
        engine->SetStageObserver({});
        if (status) status->Clear();
        const std::string line = DescribeSilentOutcome(outcome);
        m_trace("outcome: " + line.substr(sizeof ReportPrefix - 1));
        Report(line);
        return Orv::E_QUIET_EXIT;
    }

    switch (static_cast<EngineResult>(result)) {
    case EngineResult::WaitingForDeviceArrivalPostInstall:
        m_state = WaitingForDeviceArrivalPostInstall;
        (void)StartCheck();
        break;
    case EngineResult::HidLibraryUnavailable:
        m_state = FirmwareUpdateFailed;
        break;
    case EngineResult::NoCommandLineParams:
        m_state = NoCommandLineParams;
        break;
    case EngineResult::DriverIsTooOld:
        m_state = DriverIsTooOld;
        break;
    case EngineResult::FirmwareFileMissingOrCorrupt:
        m_state = FirmwareFileMissingOrCorrupt;
        break;
    case EngineResult::DeviceNotFound:
        m_state = DeviceNotFound;
        break;
    case EngineResult::UpdateNotNeeded:
        if (HasFlag(m_commandLine, u"-SILENT_IF_UPDATE_NOT_NEEDED")) return Orv::E_QUIET_EXIT;
        m_state = UpdateNotNeeded;
        break;
    case EngineResult::Ready:
        if (HasFlag(m_commandLine, u"-START_UPDATE_AUTOMATICALLY")) {
            m_state = UpdateInProcess;
            (void)StartUpdate();
        } else {
            m_state = DeviceReady;
        }
        break;
    default:
        break;  // an answer outside the contract leaves the state as it was
    }
    return S_OK;
}

ORVRESULT LUpdateProcessor::StartUpdate() {
    // One update per start of the program, whoever asks: a second one would reprogram a device
    // that has just restarted with its new firmware.
    if (m_updateStarted) return E_FAIL;
    m_mode = ModeUpdate;
    const ORVRESULT result = Trigger();
    if (Orv::Succeeded(result)) m_updateStarted = true;
    return result;
}

void LUpdateProcessor::Report(const std::string& line) const {
    if (m_environment.report) {
        m_environment.report(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

TextSink LUpdateProcessor::SilentProgressOutput() const {
    if (m_environment.progress) return m_environment.progress;
    // Only a person at a terminal reads it; a log file or a pipe gets the outcome line alone. A
    // console trace on the same terminal would be torn apart by the rewriting line.
    if (!Orv::Platform::StandardErrorIsTerminal() || Orv::DebugTracer::Instance().IsConsoleOpen()) return {};
    return [](const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    };
}

ORVRESULT LUpdateProcessor::StartCheck() {
    m_mode = ModeCheck;
    return Trigger();
}

ORVRESULT LUpdateProcessor::Trigger() {
    return m_thread.Trigger(Orv::ConstRCPtr<Orv::LThreadWorker>(this), nullptr, 0, m_runDone);
}

bool LUpdateProcessor::GetFirmwareUpdateVersion(Orv::String& version) const {
    if (!m_engine) return true;
    return m_engine->GetFirmwareUpdateVersion(version) != S_OK;
}

bool LUpdateProcessor::IsIdle() const {
    Orv::RCPtr<LUpdateEngineInterface> engine;
    {
        std::lock_guard guard(m_engineLock);
        engine = m_engine;
    }
    if (!engine) return true;
    // An upload is busy from the moment it is triggered, before the engine marks it running.
    if (m_mode == ModeUpdate && !m_runDone->IsSet()) return false;
    return !engine->IsUpdateInProgress();
}

bool LUpdateProcessor::WaitForRun(Orv::Platform::ClockDuration timeout) {
    Orv::Platform::IClock& clock = *m_environment.clock;
    const auto deadline = clock.Now() + timeout;
    // Short steps: on virtual time each unanswered step moves the clock on only by its own length.
    constexpr Orv::Platform::ClockDuration step = std::chrono::milliseconds(1);
    while (!m_runDone->IsSet()) {
        if (clock.Now() >= deadline) return false;
        (void)m_runDone->Wait(clock, step);
    }
    return true;
}

ORVRESULT LUpdateProcessor::Run(const Orv::ConstRCPtr<Orv::LRefCountedObject>& /*parameters*/) {
    if (!m_engine) return E_FAIL;
    if (m_mode == ModeUpdate) {
        const UpdateResult result = m_engine->UpdateFirmware();
        // The window shows the outcome; a value that could not be written is for the log.
        if (!result.registryProblem.empty()) Report(ReportPrefix + result.registryProblem);
        PostFirmwareNotification(result.Succeeded() ? NID_FIRMWARE_UPDATE_COMPLETE : NID_FIRMWARE_UPDATE_FAILED);
        return S_OK;
    }
    if (m_mode == ModeCheck) {
        int r = -1;
        try {
            r = m_engine->CheckForUpdate();
        } catch (...) {
        }
        PostFirmwareNotification(r == 0   ? NID_READY_TO_UPDATE
                                 : r == 1 ? NID_FIRMWARE_UPDATE_NOT_NEEDED
                                          : NID_FIRMWARE_UPDATE_FAILED);
        return S_OK;
    }
    return E_FAIL;
}
