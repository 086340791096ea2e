#pragma once
// What the update processor knows of an engine: start-up, the version it installs, the upload and
// whether one is running. The processor turns each start-up answer into a state of its own, and
// reads everything it tells about an upload from the one result the upload gives.
#include <string>

#include "OrvFramework/ObjectBase/RefCountedObject.h"
#include "OrvFramework/ObjectBase/ResultCodes.h"
#include "OrvFramework/Utilities/Storage/String.h"

// The answer of Initialize. Scoped, because the processor's states reuse several of the names.
enum class EngineResult : int {
    Ready = 0,
    DeviceNotFound = -1,
    UpdateNotNeeded = -2,
    FirmwareFileMissingOrCorrupt = -3,
    DriverIsTooOld = -4,
    NoCommandLineParams = -5,
    HidLibraryUnavailable = -6,
    WaitingForDeviceArrivalPostInstall = -7,
};

// What an upload came to.
struct UpdateResult {
    Orv::ORVRESULT code = Orv::E_FAIL;  // S_OK: every row went in and the device was told to start it
    bool confirmed = false;             // the device came back with the version installed
    std::string failureReason;          // why it failed; empty on success
    std::string registryProblem;        // a write of the value that holds the driver back, failed at the end
    bool Succeeded() const { return Orv::Succeeded(code); }
};

class LUpdateEngineInterface : public virtual Orv::LRefCountedObject {
public:
    virtual EngineResult Initialize(const Orv::String& commandLine) = 0;
    // Why the start-up check gave no Ready (an image refused, a device not found); empty otherwise.
    virtual const std::string& GetFailureReason() const = 0;
    // 0 on success.
    virtual Orv::ORVRESULT GetFirmwareUpdateVersion(Orv::String& version) const = 0;
    // From the switch until the upload has ended; any thread may ask.
    virtual bool IsUpdateInProgress() const = 0;
    // The program is ending: unless an upload runs, clears the registry value that holds back
    // automatic updates (a completed forced downgrade keeps it). Never raises.
    virtual void EndSession() = 0;
    // 0 ready, 1 not needed, anything else failed.
    virtual int CheckForUpdate() = 0;
    // Never raises; the outcome is also posted as a notification.
    virtual UpdateResult UpdateFirmware() = 0;
};
