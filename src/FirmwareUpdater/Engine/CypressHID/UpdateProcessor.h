#pragma once
// Stands between the window and the update engine: creates the engine, turns its start-up answer
// into a state the main control can show, applies the silent options, and runs the upload on its
// own worker thread, announcing the outcome through the "application" notification center.
#include <atomic>
#include <memory>
#include <mutex>

#include "OrvFramework/Notification/RetriggerableThreader.h"
#include "OrvFramework/Notification/ThreadWorker.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HidPlatform.h"
#include "OrvFramework/Utilities/Storage/String.h"

class LUpdateEngineInterface;

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

// What the processor hands to the engine it creates: the device access, the clock every wait goes
// through, and the folder that holds the program (where the default image lies).
struct UpdateEnvironment {
    std::shared_ptr<Orv::Platform::IHidPlatform> platform;
    Orv::Platform::IClock* clock = &Orv::Platform::GetRealClock();
    Orv::String programFolder;
};

class LUpdateProcessor : public Orv::LThreadWorker {
public:
    explicit LUpdateProcessor(UpdateEnvironment environment);
    ~LUpdateProcessor() override;

    // 0, or the quiet exit code 0x8000A020 when the program is to end without a window.
    Orv::ORVRESULT Initialize(const Orv::String& commandLine);
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
    // The engine's upload with any error it raises contained: the outcome is then a failure.
    Orv::ORVRESULT RunUpdate();

    UpdateEnvironment m_environment;
    Orv::String m_commandLine;
    Orv::RCPtr<LUpdateEngineInterface> m_engine;
    Orv::RetriggerableThreader m_thread;
    Orv::RCPtr<Orv::LEvent> m_runDone;
    ProcessorState m_state = ProcessorStateNone;
    // IsIdle may be asked from another thread (the signal thread) while these are set.
    std::atomic<int> m_mode{0};
    mutable std::mutex m_engineLock;
};
