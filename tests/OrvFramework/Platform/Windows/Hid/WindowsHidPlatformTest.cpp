#include "OrvFramework/Platform/Windows/Hid/WindowsHidPlatform.h"
#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "OrvFramework/Platform/Folders.h"

using namespace Orv::Platform;
namespace fs = std::filesystem;

// The shapes SetupAPI gives on Windows: lower case, collections, and damaged tags.
TEST(WindowsHidPaths, IdentifiersAndInterfaceNumber) {
    const std::string guid = "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    const std::tuple<std::string, std::uint16_t, std::uint16_t, int> cases[] = {
        {"\\\\?\\hid#vid_3d7a&pid_2036&mi_04#8&1a2b3c4d&0&0000" + guid, 0x3D7A, 0x2036, 4},
        {"\\\\?\\HID#VID_3D7A&PID_2036&MI_04&COL02#8&1a2b3c4d&1&0001" + guid, 0x3D7A, 0x2036, 4},
        {"\\\\?\\hid#vid_3d7a&pid_2036&mi_0a#8&2&0&0000" + guid, 0x3D7A, 0x2036, 10},
        // Two digits are read, as the search's "&MI_04" test does: "&MI_040" counts as interface 4.
        {"\\\\?\\hid#vid_3d7a&pid_2036&mi_040#x" + guid, 0x3D7A, 0x2036, 4},
        {"\\\\?\\hid#vid_3d7a&pid_2036&mi_4#x" + guid, 0x3D7A, 0x2036, -1},
        {"\\\\?\\hid#vid_3d7a&pid_2036&mi_", 0x3D7A, 0x2036, -1},
        {"\\\\?\\hid#vid_04b4&pid_2836#7&3c9a&0&0000" + guid, 0x04B4, 0x2836, -1},
        {"\\\\?\\hid#pid_2836#7&3c9a&0&0000" + guid, 0, 0x2836, -1},
        {"\\\\?\\hid#vid_3d7a&pid_20g6", 0x3D7A, 0x2006, -1},
        {"\\\\?\\hid#{00001124-0000-1000-8000-00805f9b34fb}_vid&0002046d_pid&b01a#9" + guid, 0, 0, -1},
    };
    for (const auto& [path, vid, pid, interfaceNumber] : cases) {
        SCOPED_TRACE(path);
        std::uint16_t v = 1, p = 1;
        Varnet::ParseVidPid(path, v, p);
        EXPECT_EQ(v, vid);
        EXPECT_EQ(p, pid);
        EXPECT_EQ(ParseHidInterfaceNumber(path), interfaceNumber);
    }
}

// Wine lists HID devices of its own (a mouse and a keyboard): they are listed with their real
// identifiers and the device search passes them by. Each answers its attributes; a read with nothing
// waiting returns at once, and closing with that read still pending does not hang or touch freed
// memory. A system without any HID interface fails here: a real machine has a keyboard, and the test
// run's Wine session keeps its mouse and keyboard.
TEST(WindowsHidPlatform, ListsAndOpensTheSystemsInterfacesAndTheSearchTakesNoneForTheVarnet) {
    WindowsHidPlatform platform;
    ASSERT_TRUE(platform.Initialize()) << platform.LoadFailure();
    std::vector<HidInterfaceInfo> interfaces;
    ASSERT_TRUE(platform.Enumerate(interfaces));
    ASSERT_FALSE(interfaces.empty()) << "this system lists no HID interface";
    int opened = 0;
    for (const auto& info : interfaces) {
        SCOPED_TRACE(info.path);
        EXPECT_EQ(info.path.rfind("\\\\?\\", 0), 0u);
        std::uint16_t vid = 0, pid = 0;
        Varnet::ParseVidPid(info.path, vid, pid);
        EXPECT_EQ(std::tie(vid, pid), std::tie(info.vendorId, info.productId));
        EXPECT_EQ(ParseHidInterfaceNumber(info.path), info.interfaceNumber);
        auto device = platform.Open(info.path);
        if (!device) continue;
        ++opened;
        HidAttributes attributes;
        ASSERT_TRUE(device->GetAttributes(attributes));
        EXPECT_EQ(std::tie(attributes.vendorId, attributes.productId, attributes.versionNumber),
                  std::tie(info.vendorId, info.productId, info.versionNumber));
        std::uint8_t report[kHidReportSize] = {};
        EXPECT_EQ(device->Read(report, sizeof report), 0);
        EXPECT_EQ(device->Read(report, sizeof report), 0);
        // Wine's mouse and keyboard take no output report: refused at once, nothing left pending.
        EXPECT_FALSE(device->Write(report, sizeof report));
        EXPECT_FALSE(device->SetOutputReport(report, 4));
    }
    EXPECT_GT(opened, 0);

    VirtualClock clock;
    Varnet::LHidTransport transport(platform, clock);
    EXPECT_TRUE(Orv::Failed(transport.FindDevice(false)));
    EXPECT_TRUE(Orv::Failed(transport.FindDevice(true)));
    EXPECT_FALSE(transport.DetectDevice());
}

// An interface that is not there, a path that cannot be one, and a plain file: nothing opens, and
// the file is left as it was.
TEST(WindowsHidPlatform, OpensOnlyPresentHidInterfaces) {
    WindowsHidPlatform platform;
    const fs::path file = fs::path(GetModuleFolder()) / "varnet-hid-not-a-device.txt";
    { std::ofstream(file) << "keep"; }
    const std::string paths[] = {"\\\\?\\hid#vid_3d7a&pid_2836#7&0&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}", "",
                                 std::string("\\\\?\\hid#vid_3d7a&pid_2836") + '\0' + "#x", "\xff\xfe",
                                 std::string(reinterpret_cast<const char*>(file.u8string().c_str()))};
    for (const auto& path : paths) EXPECT_EQ(platform.Open(path), nullptr) << path;
    std::string content;
    std::getline(std::ifstream(file), content);
    EXPECT_EQ(content, "keep");
    fs::remove(file);
}

// The HID library comes from the system folder only, with every entry point, or not at all.
TEST(WindowsHidPlatform, AMissingLibraryOrEntryPointIsAClearFailure) {
    // A copy of the real library beside the program is not what the system folder holds.
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const fs::path copy = fs::path(GetModuleFolder()) / "varnet-hid-copy.dll";
    fs::copy_file(fs::path(system) / "hid.dll", copy, fs::copy_options::overwrite_existing);
    const std::tuple<std::wstring, std::string> cases[] = {{L"varnet-hid-copy.dll", "could not be loaded"},
                                                           {L"kernel32.dll", "no entry point HidD_GetHidGuid"}};
    for (const auto& [library, failure] : cases) {
        SCOPED_TRACE(failure);
        WindowsHidPlatform platform(library);
        EXPECT_FALSE(platform.Initialize());
        EXPECT_NE(platform.LoadFailure().find(failure), std::string::npos) << platform.LoadFailure();
        std::vector<HidInterfaceInfo> interfaces{HidInterfaceInfo{}};
        EXPECT_FALSE(platform.Enumerate(interfaces));
        EXPECT_TRUE(interfaces.empty());
        EXPECT_EQ(platform.Open("\\\\?\\hid#vid_3d7a&pid_2836"), nullptr);
    }
    fs::remove(copy);
}
