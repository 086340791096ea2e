#include "OrvFramework/Platform/Folders.h"

// The XDG layout: the module folder from /proc/self/exe, data under $XDG_DATA_HOME, documents as
// xdg-user-dir names them.

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

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

}  // namespace Orv::Platform
