#include "OrvFramework/Platform/Windows/Hid/WindowsHidPlatform.h"

#include <windows.h>
#include <setupapi.h>
// Types only: every entry point of the HID library is looked up at run time.
#include <hidsdi.h>
#include <hidpi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace Orv::Platform {

struct WindowsHidPlatform::Api {
    void(WINAPI* getHidGuid)(LPGUID) = nullptr;
    BOOLEAN(WINAPI* getAttributes)(HANDLE, PHIDD_ATTRIBUTES) = nullptr;
    BOOLEAN(WINAPI* setOutputReport)(HANDLE, PVOID, ULONG) = nullptr;
    BOOLEAN(WINAPI* getPreparsedData)(HANDLE, PHIDP_PREPARSED_DATA*) = nullptr;
    BOOLEAN(WINAPI* freePreparsedData)(PHIDP_PREPARSED_DATA) = nullptr;
    NTSTATUS(WINAPI* getCaps)(PHIDP_PREPARSED_DATA, PHIDP_CAPS) = nullptr;
    GUID hidGuid{};
};

namespace {

using Api = WindowsHidPlatform::Api;

// Bounds a write that the device does not take (a stalled endpoint); reads never wait.
constexpr DWORD kWriteTimeoutMs = 5000;

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// False for text that is not valid UTF-8 or holds a NUL (CreateFileW would open a shorter path).
bool ToWide(const std::string& text, std::wstring& out) {
    out.clear();
    if (text.empty() || text.find('\0') != std::string::npos) return false;
    const int size =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return false;
    out.resize(static_cast<std::size_t>(size));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), out.data(),
                               size) == size;
}

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function, std::string& failure) {
    FARPROC address = GetProcAddress(module, name);
    if (!address) {
        failure = std::string("the HID library has no entry point ") + name;
        return false;
    }
    // Through the generic function pointer type, which the compiler accepts for any signature.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return true;
}

std::uint16_t ReadHex4(const std::string& upper, std::size_t at) {
    std::uint16_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
        const char c = i < upper.size() ? upper[i] : '0';
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 0;
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The report lengths the class driver insists on (0 when unknown), read from the collection's caps;
// false when the handle is not a HID collection at all.
bool ReadReportLengths(const Api& api, HANDLE handle, std::size_t& input, std::size_t& output) {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!api.getPreparsedData(handle, &preparsed) || !preparsed) return false;
    HIDP_CAPS caps{};
    const bool ok = api.getCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS;
    api.freePreparsedData(preparsed);
    input = ok ? caps.InputReportByteLength : 0;
    output = ok ? caps.OutputReportByteLength : 0;
    return true;
}

class WindowsHidDevice final : public IHidDevice {
public:
    WindowsHidDevice(HANDLE handle, std::shared_ptr<const Api> api, std::size_t inputLength, std::size_t outputLength)
        : m_handle(handle),
          m_api(std::move(api)),
          m_outputLength(outputLength),
          m_readBuffer(std::max(inputLength, kHidReportSize)),
          m_readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_writeEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    ~WindowsHidDevice() override {
        // A read still pending would land in m_readBuffer after it is freed: cancel it and wait
        // until the system has let go of the buffer.
        if (m_readPending) {
            CancelIoEx(m_handle, &m_read);
            DWORD ignored = 0;
            GetOverlappedResult(m_handle, &m_read, &ignored, TRUE);
        }
        CloseHandle(m_handle);
        if (m_readEvent) CloseHandle(m_readEvent);
        if (m_writeEvent) CloseHandle(m_writeEvent);
    }
    WindowsHidDevice(const WindowsHidDevice&) = delete;
    WindowsHidDevice& operator=(const WindowsHidDevice&) = delete;

    bool Usable() const { return m_readEvent && m_writeEvent; }

    bool Write(const std::uint8_t* data, std::size_t length) override {
        if (!data || length == 0) return false;
        std::vector<std::uint8_t> report = Padded(data, length);
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_writeEvent;
        ResetEvent(m_writeEvent);
        DWORD written = 0;
        if (!WriteFile(m_handle, report.data(), static_cast<DWORD>(report.size()), nullptr, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING) return false;
            if (WaitForSingleObject(m_writeEvent, kWriteTimeoutMs) != WAIT_OBJECT_0) {
                // The report stays in use until the cancelled write has ended.
                CancelIoEx(m_handle, &overlapped);
                GetOverlappedResult(m_handle, &overlapped, &written, TRUE);
                return false;
            }
        }
        return GetOverlappedResult(m_handle, &overlapped, &written, FALSE) && written == report.size();
    }

    int Read(std::uint8_t* data, std::size_t length) override {
        if (!data || length == 0) return -1;
        if (!m_readPending) {
            m_read = OVERLAPPED{};
            m_read.hEvent = m_readEvent;
            ResetEvent(m_readEvent);
            if (!ReadFile(m_handle, m_readBuffer.data(), static_cast<DWORD>(m_readBuffer.size()), nullptr, &m_read) &&
                GetLastError() != ERROR_IO_PENDING)
                return -1;
            // Completed or pending, the result is fetched below; a pending read waits for the
            // next call instead of blocking this one.
            m_readPending = true;
        }
        DWORD received = 0;
        if (!GetOverlappedResult(m_handle, &m_read, &received, FALSE)) {
            if (GetLastError() == ERROR_IO_INCOMPLETE) return 0;
            // Unplugged, or failed: the read is over either way.
            m_readPending = false;
            return -1;
        }
        m_readPending = false;
        if (received == 0) return 0;
        // The system delivers the report ID in byte 0 (0 for unnumbered reports).
        const std::size_t n = std::min<std::size_t>(received, length);
        std::memcpy(data, m_readBuffer.data(), n);
        std::memset(data + n, 0, length - n);
        return static_cast<int>(length);
    }

    bool SetOutputReport(const std::uint8_t* data, std::size_t length) override {
        if (!data || length == 0) return false;
        std::vector<std::uint8_t> report = Padded(data, length);
        return m_api->setOutputReport(m_handle, report.data(), static_cast<ULONG>(report.size())) != FALSE;
    }

    bool GetAttributes(HidAttributes& attributes) override {
        HIDD_ATTRIBUTES raw{};
        raw.Size = sizeof raw;
        if (!m_api->getAttributes(m_handle, &raw)) return false;
        attributes.vendorId = raw.VendorID;
        attributes.productId = raw.ProductID;
        attributes.versionNumber = raw.VersionNumber;
        return true;
    }

private:
    // The class driver takes only whole reports: a shorter one is filled up with the zeros its
    // unused bytes hold anyway.
    std::vector<std::uint8_t> Padded(const std::uint8_t* data, std::size_t length) const {
        std::vector<std::uint8_t> report(std::max(length, m_outputLength), 0);
        std::memcpy(report.data(), data, length);
        return report;
    }

    HANDLE m_handle;
    std::shared_ptr<const Api> m_api;
    std::size_t m_outputLength;
    std::vector<std::uint8_t> m_readBuffer;
    HANDLE m_readEvent;
    HANDLE m_writeEvent;
    OVERLAPPED m_read{};
    bool m_readPending = false;
};

bool InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, std::wstring& path) {
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return false;
    // Kept in 8-byte units so that the detail structure is aligned.
    std::vector<std::uint64_t> storage((required + 7) / 8);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr)) return false;
    const std::size_t room = (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
    path.assign(detail->DevicePath, wcsnlen(detail->DevicePath, room));
    return !path.empty();
}

}  // namespace

int ParseHidInterfaceNumber(const std::string& path) {
    const std::string upper = Upper(path);
    const std::size_t at = upper.find("&MI_");
    if (at == std::string::npos || at + 6 > upper.size()) return -1;
    const char high = upper[at + 4], low = upper[at + 5];
    if (!std::isxdigit(static_cast<unsigned char>(high)) || !std::isxdigit(static_cast<unsigned char>(low))) return -1;
    return static_cast<int>(ReadHex4("00" + upper.substr(at + 4, 2), 0));
}

bool WindowsHidPlatform::Initialize() {
    if (m_api) return true;
    m_loadFailure.clear();
    // Only the system's own copy: a DLL of the same name beside the program or in the current
    // folder must never be loaded in its place.
    HMODULE module = LoadLibraryExW(m_library.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        m_loadFailure = "the HID library " + ToUtf8(m_library) + " could not be loaded from the system folder";
        return false;
    }
    auto api = std::make_shared<Api>();
    if (!Resolve(module, "HidD_GetHidGuid", api->getHidGuid, m_loadFailure) ||
        !Resolve(module, "HidD_GetAttributes", api->getAttributes, m_loadFailure) ||
        !Resolve(module, "HidD_SetOutputReport", api->setOutputReport, m_loadFailure) ||
        !Resolve(module, "HidD_GetPreparsedData", api->getPreparsedData, m_loadFailure) ||
        !Resolve(module, "HidD_FreePreparsedData", api->freePreparsedData, m_loadFailure) ||
        !Resolve(module, "HidP_GetCaps", api->getCaps, m_loadFailure)) {
        FreeLibrary(module);
        return false;
    }
    // Loaded for the life of the process: open devices and other platforms call into it.
    api->getHidGuid(&api->hidGuid);
    m_api = std::move(api);
    return true;
}

bool WindowsHidPlatform::Enumerate(std::vector<HidInterfaceInfo>& interfaces) {
    interfaces.clear();
    if (!Initialize()) return false;
    GUID guid = m_api->hidGuid;
    HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return false;
    bool complete = true;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &guid, index, &data)) {
            complete = GetLastError() == ERROR_NO_MORE_ITEMS;
            break;
        }
        std::wstring wide;
        // An interface that went away since the list was made is skipped.
        if (!InterfacePath(set, data, wide)) continue;
        HidInterfaceInfo info;
        info.path = ToUtf8(wide);
        if (info.path.empty()) continue;
        const std::string upper = Upper(info.path);
        if (auto at = upper.find("VID_"); at != std::string::npos) info.vendorId = ReadHex4(upper, at + 4);
        if (auto at = upper.find("PID_"); at != std::string::npos) info.productId = ReadHex4(upper, at + 4);
        info.interfaceNumber = ParseHidInterfaceNumber(info.path);
        // Without read or write access: the class driver answers from what it knows, nothing
        // reaches the device, and interfaces that the system holds (keyboards) allow it.
        HANDLE handle =
            CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            HIDD_ATTRIBUTES raw{};
            raw.Size = sizeof raw;
            if (m_api->getAttributes(handle, &raw)) {
                info.vendorId = raw.VendorID;
                info.productId = raw.ProductID;
                info.versionNumber = raw.VersionNumber;
            }
            CloseHandle(handle);
        }
        interfaces.push_back(std::move(info));
    }
    SetupDiDestroyDeviceInfoList(set);
    if (!complete) interfaces.clear();
    return complete;
}

std::unique_ptr<IHidDevice> WindowsHidPlatform::Open(const std::string& path) {
    if (!Initialize()) return nullptr;
    std::wstring wide;
    if (!ToWide(path, wide)) return nullptr;
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // HID needs no rights on Windows: a refusal means another program holds the interface.
        static std::atomic<bool> told{false};
        if ((error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) && !told.exchange(true))
            std::fprintf(stderr,
                         "varnet-updater: access to %s was refused; close other programs that use the Varnet, "
                         "then try again\n",
                         path.c_str());
        return nullptr;
    }
    // Whatever the path names, only a HID collection is written to.
    std::size_t inputLength = 0, outputLength = 0;
    if (!ReadReportLengths(*m_api, handle, inputLength, outputLength)) {
        CloseHandle(handle);
        return nullptr;
    }
    auto device = std::make_unique<WindowsHidDevice>(handle, m_api, inputLength, outputLength);
    if (!device->Usable()) return nullptr;
    return device;
}

std::unique_ptr<IHidPlatform> CreateSystemHidPlatform() { return std::make_unique<WindowsHidPlatform>(); }

}  // namespace Orv::Platform
