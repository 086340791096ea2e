#include "OrvFramework/Platform/HidPlatform.h"

#include <cstdio>

namespace Orv::Platform {

std::string DescribeHidIdentifiers(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber) {
    char text[32];
    if (interfaceNumber >= 0) {
        std::snprintf(text, sizeof text, "VID_%04X&PID_%04X&MI_%02X", vendorId, productId,
                      static_cast<unsigned>(interfaceNumber) & 0xFFu);
    } else {
        std::snprintf(text, sizeof text, "VID_%04X&PID_%04X", vendorId, productId);
    }
    return text;
}

}  // namespace Orv::Platform
