#include "OrvFramework/Platform/Folders.h"

// The shell's known folders: the module folder from GetModuleFileNameW, data under ProgramData and
// the user's LocalAppData, documents where the user's shell keeps them (which may be redirected).

#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <windows.h>

#include "OrvFramework/Platform/Windows/WideText.h"

namespace Orv::Platform {

namespace {

// UTF-8 with '/' between levels and without a trailing '/' ("C:/" keeps its own: without it the
// path would name the current folder of drive C).
std::string PathFromWide(std::wstring_view wide) {
    std::string path = Windows::ToUtf8(wide);
    for (char& c : path)
        if (c == '\\') c = '/';
    while (path.size() > 1 && path.back() == '/' && !(path.size() == 3 && path[1] == ':')) path.pop_back();
    return path;
}

// Empty when the shell does not know the folder (a profile without it, a service account).
std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)) && path) out = PathFromWide(path);
    CoTaskMemFree(path);
    return out;
}

std::string EnvironmentFolder(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? PathFromWide(std::wstring_view(value, length)) : std::string();
}

std::string EnsureFolder(std::string path) {
    CreateFolderLevels(path);
    return path;
}

}  // namespace

std::string GetModuleFolder() {
    // Paths may be longer than MAX_PATH; the buffer grows until the whole name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
    const std::size_t slash = buffer.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    return PathFromWide(std::wstring_view(buffer).substr(0, slash == 2 ? 3 : slash));
}

std::string GetHomeFolder() {
    for (std::string folder : {KnownFolder(FOLDERID_Profile), EnvironmentFolder(L"USERPROFILE")})
        if (!folder.empty()) return folder;
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length > 0 && length <= MAX_PATH) return PathFromWide(std::wstring_view(temp, length));
    return "C:/";
}

std::string GetAllUsersDataFolder() {
    std::string folder = KnownFolder(FOLDERID_ProgramData);
    if (folder.empty()) folder = EnvironmentFolder(L"ProgramData");
    return folder.empty() ? GetLocalDataFolder() : EnsureFolder(folder);
}

std::string GetLocalDataFolder() {
    std::string folder = KnownFolder(FOLDERID_LocalAppData);
    if (folder.empty()) folder = GetHomeFolder() + "/AppData/Local";
    return EnsureFolder(folder);
}

std::string GetDocumentsFolder() {
    std::string folder = KnownFolder(FOLDERID_Documents);
    if (folder.empty()) folder = GetHomeFolder() + "/Documents";
    return EnsureFolder(folder);
}

}  // namespace Orv::Platform
