#include "OrvFramework/Platform/Folders.h"

#include "OrvFramework/Utilities/Storage/PathServices.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv::Platform {

namespace {

namespace fs = std::filesystem;

std::string TrimTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// An environment variable that names an absolute path (XDG ignores relative ones).
std::string AbsoluteFromEnv(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return {};
    return TrimTrailingSlashes(value);
}

std::string EnsureFolder(std::string path) {
    CreateFolderLevels(path);
    return path;
}

// The documents folder as the desktop names it; empty when xdg-user-dir is absent or only
// answers the home folder (its answer for an unset entry).
std::string DocumentsFromXdgUserDir() {
    FILE* pipe = popen("xdg-user-dir DOCUMENTS 2>/dev/null", "r");
    if (!pipe) return {};
    std::string out;
    std::array<char, 512> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    const int status = pclose(pipe);
    if (status != 0) return {};
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    out = TrimTrailingSlashes(out);
    if (out.empty() || out[0] != '/' || out == GetHomeFolder()) return {};
    return out;
}

}  // namespace

bool CreateFolderLevels(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

std::string GetModuleFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return TrimTrailingSlashes(exe.parent_path().string());
}

std::string GetHomeFolder() {
    std::string home = AbsoluteFromEnv("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return TrimTrailingSlashes(pw->pw_dir);
    return "/tmp";
}

std::string GetLocalDataFolder() {
    std::string folder = AbsoluteFromEnv("XDG_DATA_HOME");
    if (folder.empty()) folder = GetHomeFolder() + "/.local/share";
    return EnsureFolder(folder);
}

std::string GetAllUsersDataFolder() {
    // Shared data needs a place every user can reach; an ordinary user cannot write /var/lib, and
    // then the user's own data folder is the only place that works.
    if (access("/var/lib", W_OK) == 0) return "/var/lib";
    return GetLocalDataFolder();
}

std::string GetDocumentsFolder() {
    std::string folder = DocumentsFromXdgUserDir();
    if (folder.empty()) folder = GetHomeFolder() + "/Documents";
    return EnsureFolder(folder);
}

namespace {

template <class RootOf>
Orv::String ApplicationFolder(int pathId, std::u16string_view companyName,
                              std::u16string_view productName, RootOf rootOf) {
    auto underData = [&](const std::string& base) {
        const std::string folder = base + "/" +
                                   Utf16ToUtf8(PathServices::CleanFileName(Orv::String(std::u16string(companyName)))) + "/" +
                                   Utf16ToUtf8(PathServices::CleanFileName(Orv::String(std::u16string(productName))));
        CreateFolderLevels(folder);
        return folder;
    };
    switch (pathId) {
    case 0: return W(rootOf(0));
    case 1: return W("::");
    case 2:
    case 3: return W(underData(rootOf(pathId)));
    case 4: {
        const std::string folder = rootOf(4);
        CreateFolderLevels(folder);
        return W(folder);
    }
    default:
        ORV_THROW(OutOfRange, "Unknown Path ID.",
                  "Orv::MFCFrameworkApp<class LApplication>::GetFolder", __LINE__);
    }
}

}  // namespace

Orv::String GetApplicationFolder(int pathId, std::u16string_view companyName,
                                 std::u16string_view productName) {
    // Only the root the ID needs is looked up: each lookup may create a folder.
    return ApplicationFolder(pathId, companyName, productName, [](int id) {
        switch (id) {
        case 0: return GetModuleFolder();
        case 2: return GetAllUsersDataFolder();
        case 3: return GetLocalDataFolder();
        default: return GetDocumentsFolder();
        }
    });
}

Orv::String GetApplicationFolder(int pathId, std::u16string_view companyName,
                                 std::u16string_view productName, const FolderRoots& roots) {
    return ApplicationFolder(pathId, companyName, productName, [&roots](int id) {
        switch (id) {
        case 0: return roots.module;
        case 2: return roots.allUsersData;
        case 3: return roots.localData;
        default: return roots.documents;
        }
    });
}

}  // namespace Orv::Platform
