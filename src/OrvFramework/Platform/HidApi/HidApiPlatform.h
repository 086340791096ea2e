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

private:
    bool m_initialized = false;
};

}  // namespace Orv::Platform
