#pragma once
// IHidPlatform over SetupAPI and the system's HID library, loaded at run time from System32 only.
// Paths are the device interface paths exactly as SetupAPI gives them (for example
// "\\?\hid#vid_3d7a&pid_2036&mi_04#...#{4d1e55b2-...}"), converted to UTF-8: they carry the
// identifiers the device search reads, and CreateFileW opens them as they are.
#include "OrvFramework/Platform/HidPlatform.h"

#include <memory>
#include <string>

namespace Orv::Platform {

// The interface number of "&MI_xx" in a path (any case): two hexadecimal digits, or -1 when the
// tag is missing or not followed by two digits.
int ParseHidInterfaceNumber(const std::string& path);

class WindowsHidPlatform final : public IHidPlatform {
public:
    // library: the file name of the HID library in System32; only tests name another.
    explicit WindowsHidPlatform(std::wstring library = L"hid.dll") : m_library(std::move(library)) {}
    WindowsHidPlatform(const WindowsHidPlatform&) = delete;
    WindowsHidPlatform& operator=(const WindowsHidPlatform&) = delete;

    bool Initialize() override;
    bool Enumerate(std::vector<HidInterfaceInfo>& interfaces) override;
    std::unique_ptr<IHidDevice> Open(const std::string& path) override;

    // Why Initialize failed ("" after success or before the first call).
    const std::string& LoadFailure() const { return m_loadFailure; }

    struct Api;

private:
    std::wstring m_library;
    // Shared with the open devices, so that their calls never outlive the entry points.
    std::shared_ptr<const Api> m_api;
    std::string m_loadFailure;
};

}  // namespace Orv::Platform
