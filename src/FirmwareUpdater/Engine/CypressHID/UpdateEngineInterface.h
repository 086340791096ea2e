#pragma once
// What the update processor knows of an engine: start-up, the version it installs, the upload and
// whether one is running. The processor turns each start-up answer into a state of its own.
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

class LUpdateEngineInterface : public virtual Orv::LRefCountedObject {
public:
    virtual EngineResult Initialize(const Orv::String& commandLine) = 0;
    // 0 on success.
    virtual Orv::ORVRESULT GetFirmwareUpdateVersion(Orv::String& version) const = 0;
    // When idle, also clears the registry value that holds back automatic updates.
    virtual bool IsUpdateInProgress() = 0;
    // 0 ready, 1 not needed, anything else failed.
    virtual int CheckForUpdate() = 0;
    // 0 on success, E_FAIL on failure; the outcome is also posted as a notification.
    virtual Orv::ORVRESULT UpdateFirmware() = 0;
    virtual int GetEngineKind() const = 0;
    virtual bool IsUpdateNeeded() = 0;
    virtual Orv::ORVRESULT EnterBootloaderMode() = 0;
};
