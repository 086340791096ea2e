#include "OrvFramework/Platform/HidApi/HidApiPlatform.h"

#include <gtest/gtest.h>

using Orv::Platform::DescribeHidIdentifiers;
using Orv::Platform::HidApiPlatform;

TEST(HidApiPlatform, IdentifiersAreWrittenInTheFormTheDeviceSearchReads) {
    EXPECT_EQ(DescribeHidIdentifiers(0x3D7A, 0x2036, 4), "VID_3D7A&PID_2036&MI_04");
    EXPECT_EQ(DescribeHidIdentifiers(0x00ab, 0x2836, -1), "VID_00AB&PID_2836");
    EXPECT_EQ(DescribeHidIdentifiers(1, 2, 10), "VID_0001&PID_0002&MI_0A");
}

TEST(HidApiPlatform, EnumeratesRealInterfacesWithTaggedPaths) {
    HidApiPlatform platform;
    ASSERT_TRUE(platform.Initialize());
    std::vector<Orv::Platform::HidInterfaceInfo> interfaces;
    ASSERT_TRUE(platform.Enumerate(interfaces));
    // Whatever HID devices this machine has, each path carries its own identifiers.
    for (const auto& info : interfaces) {
        EXPECT_NE(info.path.find(DescribeHidIdentifiers(info.vendorId, info.productId, info.interfaceNumber)),
                  std::string::npos)
            << info.path;
    }
}

TEST(HidApiPlatform, OpeningAMissingInterfaceGivesNothing) {
    HidApiPlatform platform;
    EXPECT_EQ(platform.Open("/dev/hidraw-varnet-missing#VID_3D7A&PID_2836"), nullptr);
    EXPECT_EQ(platform.Open(""), nullptr);
}
