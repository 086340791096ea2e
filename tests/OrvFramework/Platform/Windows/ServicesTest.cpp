// The smaller Windows services: folders, thread priority, plug-in loading, UDP.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "OrvFramework/Platform/Folders.h"
#include "OrvFramework/Platform/PluginLibrary.h"
#include "OrvFramework/Platform/ThreadPriority.h"
#include "OrvFramework/Platform/UdpSocket.h"

using namespace Orv::Platform;
namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    std::string out = std::getenv(name) ? std::getenv(name) : "";
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

}  // namespace

TEST(WindowsFolders, KnownFoldersAsThisProgramsPaths) {
    EXPECT_EQ(GetLocalDataFolder(), Environment("LOCALAPPDATA"));
    EXPECT_EQ(GetAllUsersDataFolder(), Environment("ProgramData"));
    EXPECT_EQ(GetHomeFolder(), Environment("USERPROFILE"));
    for (const std::string& folder : {GetModuleFolder(), GetHomeFolder(), GetLocalDataFolder(), GetDocumentsFolder()}) {
        SCOPED_TRACE(folder);
        ASSERT_GT(folder.size(), 3u);
        EXPECT_EQ(folder.substr(1, 2), ":/");
        EXPECT_EQ(folder.find('\\'), std::string::npos);
        EXPECT_NE(folder.back(), '/');
        EXPECT_TRUE(fs::is_directory(folder));
    }
}

TEST(WindowsThreadPriority, FiveStepsClampedOntoTheSchedulersLevels) {
    const NativeThreadId id = CurrentNativeThreadId();
    EXPECT_EQ(id, GetCurrentThreadId());
    const std::pair<int, int> cases[] = {{-7, THREAD_PRIORITY_LOWEST},
                                         {-1, THREAD_PRIORITY_BELOW_NORMAL},
                                         {1, THREAD_PRIORITY_ABOVE_NORMAL},
                                         {9, THREAD_PRIORITY_HIGHEST},
                                         {0, THREAD_PRIORITY_NORMAL}};
    for (const auto& [asked, level] : cases) {
        SetNativeThreadPriority(id, asked);
        EXPECT_EQ(GetThreadPriority(GetCurrentThread()), level) << asked;
    }
    SetNativeThreadPriority(0, 2);  // ignored
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

// The settings plug-in comes from the program's folder or the full path given, never from the
// current folder or PATH, where anyone could have put a library of that name.
TEST(WindowsPluginLibrary, LoadsFromTheProgramsFolderOnly) {
    // The build puts it into src/, beside the program; this test runs from tests/.
    const fs::path built = fs::path(GetModuleFolder()).parent_path() / "src" / PluginFileName("IniFileManager");
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

// Sending itself is tested with the tracer, which sends through the socket on either system.
TEST(WindowsUdpSocket, ResolvesNamesAndRefusesToSendBeforeItIsOpen) {
    EXPECT_EQ(ResolveIPv4("localhost"), kIPv4Loopback);
    EXPECT_EQ(ResolveIPv4("127.1.2.3"), 0x7F010203u);
    EXPECT_EQ(ResolveIPv4(""), std::nullopt);
    EXPECT_EQ(FormatIPv4(0xC0A80001), "192.168.0.1");
    EXPECT_FALSE(LocalHostName().empty());
    EXPECT_EQ(UdpSocket().SendTo(kIPv4Loopback, 9, "x"), -WSAENOTSOCK);
}
