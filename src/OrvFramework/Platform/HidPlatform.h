#pragma once
// Access to HID interfaces behind one small interface, so that the engine talks to real hardware
// and to the simulated device the same way.
//
// Contract:
// - The engine's transport makes every call, one at a time per object, on whichever thread runs
//   the engine's task; a backend needs no locking of its own. The application creates the platform
//   (CreateSystemHidPlatform or the simulated device) and hands it over; device objects end before
//   their platform.
// - Nothing blocks: Read answers at once (the engine waits between reads through the clock), Write
//   and SetOutputReport return when the report is handed to the system. Failures answer false,
//   -1 or null, never throw; a device that went away answers -1 from Read.
// - Reports are 65 bytes with the report ID in byte 0, on every platform (a backend whose system
//   drops the ID of unnumbered reports puts it back).
// - Paths are opaque to callers but hold the identifiers in the form DescribeHidIdentifiers writes,
//   so that the device search can tell product and interface from the path alone.
// - Opening is the only thing that may need a permission; a backend that is refused says once on
//   standard error how to grant it.
// A new backend implements IHidPlatform and IHidDevice and answers CreateSystemHidPlatform; the
// Linux one lives in HidApi/.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Orv::Platform {

// "VID_xxxx&PID_xxxx" and, when interfaceNumber >= 0, "&MI_xx" (hexadecimal, upper case).
std::string DescribeHidIdentifiers(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber);

// Every bootloader transfer is one report: the report ID (0) and 64 bytes of packet.
inline constexpr std::size_t kHidReportSize = 65;

struct HidInterfaceInfo {
    // Unique per interface; contains "VID_xxxx&PID_xxxx" and, for an interface of a composite
    // device, "&MI_xx" (hexadecimal, upper case).
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;  // the device's release number, packed decimal digits
    int interfaceNumber = -1;         // -1 when the device is not composite
};

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

// One open interface. Closing is destroying.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    // Writes one report; data[0] is the report ID. False when the device did not take it.
    virtual bool Write(const std::uint8_t* data, std::size_t length) = 0;
    // Reads one report into data (data[0] receives the report ID) without blocking: the number of
    // bytes placed (length), 0 when no report is waiting, -1 when the device is gone or failed.
    virtual int Read(std::uint8_t* data, std::size_t length) = 0;
    // Sends an output report through the class driver (the mode switch uses this).
    virtual bool SetOutputReport(const std::uint8_t* data, std::size_t length) = 0;
    virtual bool GetAttributes(HidAttributes& attributes) = 0;
};

class IHidPlatform {
public:
    virtual ~IHidPlatform() = default;
    // Makes the HID backend ready; false when it is not available.
    virtual bool Initialize() = 0;
    // The present HID interfaces; false when the list cannot be obtained.
    virtual bool Enumerate(std::vector<HidInterfaceInfo>& interfaces) = 0;
    // Opens an interface for reading and writing; nullptr when it cannot be opened.
    virtual std::unique_ptr<IHidDevice> Open(const std::string& path) = 0;
};

// The platform's real HID access (the build's HID backend); the caller owns it.
std::unique_ptr<IHidPlatform> CreateSystemHidPlatform();

}  // namespace Orv::Platform
