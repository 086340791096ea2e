#include "OrvFramework/Platform/HidApi/HidApiPlatform.h"

#include <hidapi/hidapi.h>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace Orv::Platform {

namespace {

constexpr char kPathSeparator = '#';

class HidApiDevice final : public IHidDevice {
public:
    explicit HidApiDevice(hid_device* device) : m_device(device) {}
    ~HidApiDevice() override { hid_close(m_device); }
    HidApiDevice(const HidApiDevice&) = delete;
    HidApiDevice& operator=(const HidApiDevice&) = delete;

    bool Write(const std::uint8_t* data, std::size_t length) override {
        return hid_write(m_device, data, length) == static_cast<int>(length);
    }

    int Read(std::uint8_t* data, std::size_t length) override {
        if (length < 2) return -1;
        // The bootloader uses unnumbered reports: hidraw hands over the payload only, so the
        // report ID 0 is put back in front to keep the report layout of every platform.
        int n = hid_read_timeout(m_device, data + 1, length - 1, 0);
        if (n < 0) return -1;
        if (n == 0) return 0;
        data[0] = 0;
        std::memset(data + 1 + n, 0, length - 1 - static_cast<std::size_t>(n));
        return static_cast<int>(length);
    }

    bool SetOutputReport(const std::uint8_t* data, std::size_t length) override {
        // hidraw sends an output report through the interrupt OUT endpoint or, without one,
        // as a SET_REPORT control transfer: the same report reaches the device either way.
        return hid_write(m_device, data, length) >= 0;
    }

    bool GetAttributes(HidAttributes& attributes) override {
        hid_device_info* info = hid_get_device_info(m_device);
        if (!info) return false;
        attributes.vendorId = info->vendor_id;
        attributes.productId = info->product_id;
        attributes.versionNumber = info->release_number;
        return true;
    }

private:
    hid_device* m_device;
};

}  // namespace

HidApiPlatform::~HidApiPlatform() {
    if (m_initialized) hid_exit();
}

bool HidApiPlatform::Initialize() {
    if (!m_initialized) m_initialized = hid_init() == 0;
    return m_initialized;
}

bool HidApiPlatform::Enumerate(std::vector<HidInterfaceInfo>& interfaces) {
    interfaces.clear();
    if (!Initialize()) return false;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* d = list; d; d = d->next) {
        if (!d->path) continue;
        HidInterfaceInfo info;
        info.vendorId = d->vendor_id;
        info.productId = d->product_id;
        info.versionNumber = d->release_number;
        info.interfaceNumber = d->interface_number;
        info.path = std::string(d->path) + kPathSeparator +
                    DescribeHidIdentifiers(d->vendor_id, d->product_id, d->interface_number);
        interfaces.push_back(std::move(info));
    }
    hid_free_enumeration(list);
    return true;
}

std::unique_ptr<IHidDevice> HidApiPlatform::Open(const std::string& path) {
    if (!Initialize()) return nullptr;
    std::string node = path.substr(0, path.rfind(kPathSeparator));
    hid_device* device = hid_open_path(node.c_str());
    if (!device) {
        // The usual reason on Linux: the device node belongs to root. Say so once, with the cure,
        // instead of leaving the user with "device not found" alone.
        static std::atomic<bool> told{false};
        if (::access(node.c_str(), R_OK | W_OK) != 0 && errno == EACCES && !told.exchange(true))
            std::fprintf(stderr,
                         "varnet-updater: no permission to open %s; install the package's udev rule "
                         "(70-varnet.rules), then unplug and replug the device\n",
                         node.c_str());
        return nullptr;
    }
    return std::make_unique<HidApiDevice>(device);
}

std::unique_ptr<IHidPlatform> CreateSystemHidPlatform() { return std::make_unique<HidApiPlatform>(); }

}  // namespace Orv::Platform
