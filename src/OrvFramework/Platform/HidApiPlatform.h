#pragma once
// IHidPlatform over hidapi (hidraw backend on Linux). Paths are the hidraw node followed by
// "#VID_xxxx&PID_xxxx&MI_xx", so that the product and interface can be read from the path alone.
#include "OrvFramework/Platform/HidPlatform.h"

namespace Orv::Platform {

class HidApiPlatform final : public IHidPlatform {
public:
    HidApiPlatform() = default;
    ~HidApiPlatform() override;
    HidApiPlatform(const HidApiPlatform&) = delete;
    HidApiPlatform& operator=(const HidApiPlatform&) = delete;

    bool Initialize() override;
    bool Enumerate(std::vector<HidInterfaceInfo>& interfaces) override;
    std::unique_ptr<IHidDevice> Open(const std::string& path) override;

    // "VID_xxxx&PID_xxxx" and, when interfaceNumber >= 0, "&MI_xx".
    static std::string DescribeIdentifiers(std::uint16_t vendorId, std::uint16_t productId,
                                           int interfaceNumber);

private:
    bool m_initialized = false;
};

}  // namespace Orv::Platform
