// The smaller Windows services: folders, thread priority, plug-in loading, UDP.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "OrvFramework/Platform/Folders.h"
#include "OrvFramework/Platform/PluginLibrary.h"
#include "OrvFramework/Platform/ThreadPriority.h"
#include "OrvFramework/Platform/UdpSocket.h"

using namespace Orv::Platform;
namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    std::string out = value ? value : "";
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

}  // namespace

TEST(WindowsFolders, KnownFoldersAsThisProgramsPaths) {
    const std::string module = GetModuleFolder();
    EXPECT_TRUE(fs::exists(module + "/platform_tests.exe")) << module;
    EXPECT_EQ(GetApplicationFolder(0, u"K", u"P"), Orv::W(module));
    EXPECT_EQ(GetLocalDataFolder(), Environment("LOCALAPPDATA"));
    EXPECT_EQ(GetAllUsersDataFolder(), Environment("ProgramData"));
    EXPECT_EQ(GetHomeFolder(), Environment("USERPROFILE"));
    for (const std::string& folder : {module, GetHomeFolder(), GetLocalDataFolder(), GetDocumentsFolder()}) {
        SCOPED_TRACE(folder);
        ASSERT_GT(folder.size(), 3u);
        EXPECT_EQ(folder.substr(1, 2), ":/");
        EXPECT_EQ(folder.find('\\'), std::string::npos);
        EXPECT_NE(folder.back(), '/');
        EXPECT_TRUE(fs::is_directory(folder));
    }
}

TEST(WindowsThreadPriority, FiveStepsClampedOntoTheSchedulersLevels) {
    HANDLE self = GetCurrentThread();
    const NativeThreadId id = CurrentNativeThreadId();
    EXPECT_EQ(id, GetCurrentThreadId());
    const struct {
        int asked, level;
    } cases[] = {{-7, THREAD_PRIORITY_LOWEST},
                 {-1, THREAD_PRIORITY_BELOW_NORMAL},
                 {1, THREAD_PRIORITY_ABOVE_NORMAL},
                 {9, THREAD_PRIORITY_HIGHEST},
                 {0, THREAD_PRIORITY_NORMAL}};
    for (const auto& c : cases) {
        SetNativeThreadPriority(id, c.asked);
        EXPECT_EQ(GetThreadPriority(self), c.level) << c.asked;
    }
    SetNativeThreadPriority(0, 2);  // ignored
    EXPECT_EQ(GetThreadPriority(self), THREAD_PRIORITY_NORMAL);
}

// The settings plug-in comes from the program's folder or the full path given, never from the
// current folder or PATH, where anyone could have put a library of that name.
TEST(WindowsPluginLibrary, LoadsFromTheProgramsFolderOnly) {
    // The build puts it into src/, beside the program; this test runs from tests/.
    const fs::path built = fs::path(GetModuleFolder()).parent_path() / "src" / PluginFileName("IniFileManager");
    EXPECT_EQ(PluginFileName("IniFileManager"), "IniFileManager.dll");
    PluginLibrary library;
    ASSERT_TRUE(library.Load(built.string()));
    EXPECT_NE(library.Symbol("OpenIniFile"), nullptr);
    EXPECT_EQ(library.Symbol("NoSuchEntry"), nullptr);

    const std::string probe = "VarnetProbe" + std::to_string(GetCurrentProcessId()) + ".dll";
    const fs::path elsewhere = fs::temp_directory_path() / ("varnet-plugin-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(elsewhere);
    fs::copy_file(built, elsewhere / probe);
    std::ofstream(elsewhere / "NotALibrary.dll") << "text";
    const fs::path oldCurrent = fs::current_path();
    fs::current_path(elsewhere);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    SetEnvironmentVariableW(L"PATH", (elsewhere.wstring() + L";" + fs::path(oldPath).wstring()).c_str());

    EXPECT_FALSE(library.Load(probe));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_FALSE(library.Load((elsewhere / "NotALibrary.dll").string()));
    EXPECT_FALSE(library.Load((elsewhere / "Missing.dll").string()));
    fs::copy_file(built, fs::path(GetModuleFolder()) / probe);
    EXPECT_TRUE(library.Load(probe));
    library.Unload();

    SetEnvironmentVariableW(L"PATH", fs::path(oldPath).wstring().c_str());
    fs::current_path(oldCurrent);
    fs::remove(fs::path(GetModuleFolder()) / probe);
    fs::remove_all(elsewhere);
}

TEST(WindowsUdpSocket, DatagramReachesALoopbackListener) {
    EXPECT_EQ(ResolveIPv4("localhost"), kIPv4Loopback);
    EXPECT_EQ(ResolveIPv4("127.1.2.3"), 0x7F010203u);
    EXPECT_EQ(ResolveIPv4(""), std::nullopt);
    EXPECT_EQ(FormatIPv4(0xC0A80001), "192.168.0.1");
    EXPECT_FALSE(LocalHostName().empty());

    WSADATA winsock;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
    UdpSocket sender;
    EXPECT_EQ(sender.SendTo(kIPv4Loopback, 9, "x"), -WSAENOTSOCK);
    ASSERT_TRUE(sender.Open());
    const SOCKET listener = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(listener, INVALID_SOCKET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(kIPv4Loopback);
    int length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    EXPECT_EQ(sender.SendTo(kIPv4Loopback, ntohs(address.sin_port), "trace line"), 10);
    // Loopback delivers at once; the bound only keeps a fault from hanging the test.
    DWORD timeoutMs = 5000;
    setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    char buffer[64] = {};
    EXPECT_EQ(recv(listener, buffer, sizeof buffer, 0), 10);
    EXPECT_STREQ(buffer, "trace line");
    closesocket(listener);
    WSACleanup();
}
