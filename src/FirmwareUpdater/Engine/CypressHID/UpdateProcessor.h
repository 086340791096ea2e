#pragma once
// Stands between the window and the update engine: creates the engine, turns its start-up answer
// into a state the main control can show, applies the silent options, and runs the upload on its
// own worker thread, announcing the outcome through the "application" notification center.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Engine/CypressHID/EngineTrace.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateEngineInterface.h"
#include "OrvFramework/Notification/RetriggerableThreader.h"
#include "OrvFramework/Notification/ThreadWorker.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HidPlatform.h"
#include "OrvFramework/Utilities/Storage/String.h"

enum ProcessorState : int {
    WaitingForDeviceArrivalPostInstall = 0,
    DeviceReady = 1,
    DeviceNotFound = 2,
    UpdateNotNeeded = 3,
    FirmwareFileMissingOrCorrupt = 4,
    UpdateInProcess = 5,
    DriverIsTooOld = 6,
    NoCommandLineParams = 7,
    FirmwareUpdateFailed = 8,
    ProcessorStateNone = 9,
};

using TextSink = std::function<void(const std::string&)>;

// What the processor hands to the engine it creates: the device access, the clock every wait goes
// through, and the folder that holds the program (where the default image lies); and where the
// lines that tell a run's outcome go.
struct UpdateEnvironment {
    std::shared_ptr<Orv::Platform::IHidPlatform> platform;
    Orv::Platform::IClock* clock = &Orv::Platform::GetRealClock();
    Orv::String programFolder;
    // Lines for the user ("varnet-updater: ..."); empty: standard error.
    TextSink report{};
    // The engine's trace; empty: the debug tracer when tracing was asked for.
    TextSink trace{};
    // A silent run's self-updating status line, each text as written (beginning "\r"); empty:
    // standard error when it is a terminal (and carries no trace), nowhere otherwise.
    TextSink progress{};
    // Whoever shows the device search to the user; its cancel ends the run quietly, having sent
    // nothing to the device.
    Varnet::DeviceSearchWatch search{};
};

// What a silent run did, as its one closing line tells it.
struct SilentOutcome {
    int engineResult = 0;  // the engine's start-up answer
    // The upload, when it ran (engine result 0 or higher); otherwise only its reason is used,
    // which then tells why the start-up check failed.
    UpdateResult upload;
    std::string version;  // the version the update installs
};
// "varnet-updater: " and the outcome: updated (with the version), already up to date, device not
// found, firmware image missing or corrupt (with the reason), or update failed (with the reason).
std::string DescribeSilentOutcome(const SilentOutcome& outcome);

class LUpdateProcessor : public Orv::LThreadWorker {
public:
    explicit LUpdateProcessor(UpdateEnvironment environment);
    ~LUpdateProcessor() override;

    // 0, or the quiet exit code 0x8000A020 when the program is to end without a window (also when
    // the device search was cancelled).
    Orv::ORVRESULT Initialize(const Orv::String& commandLine);
    // Fails once an update has run (or is running) in this processor: one update per start.
    Orv::ORVRESULT StartUpdate();
    Orv::ORVRESULT StartCheck();
    ProcessorState GetState() const { return m_state; }
    // True when the engine could not give the version (the text is then not to be shown).
    bool GetFirmwareUpdateVersion(Orv::String& version) const;
    // Any thread may ask.
    bool IsIdle() const;
    // Lets a caller (tests, the image tool) wait until the current run has finished.
    bool WaitForRun(Orv::Platform::ClockDuration timeout);

    Orv::ORVRESULT Run(const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameters) override;

private:
    Orv::ORVRESULT Trigger();
    void Report(const std::string& line) const;
    // Where a silent run's status line goes; empty when it is not shown.
    TextSink SilentProgressOutput() const;

    UpdateEnvironment m_environment;
    Varnet::EngineTrace m_trace;
    Orv::String m_commandLine;
    Orv::RCPtr<LUpdateEngineInterface> m_engine;
    Orv::RetriggerableThreader m_thread;
    Orv::RCPtr<Orv::LEvent> m_runDone;
    ProcessorState m_state = ProcessorStateNone;
    // IsIdle may be asked from another thread (the signal thread) while these are set.
    std::atomic<int> m_mode{0};
    mutable std::mutex m_engineLock;
    bool m_updateStarted = false;
};
