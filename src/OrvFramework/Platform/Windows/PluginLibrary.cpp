#include "OrvFramework/Platform/PluginLibrary.h"

#include <windows.h>

#include "OrvFramework/Platform/Folders.h"
#include "OrvFramework/Platform/Windows/WideText.h"

namespace Orv::Platform {

namespace {

bool IsFullyQualified(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    return drive || path.rfind(L"\\\\", 0) == 0;
}

}  // namespace

std::string PluginFileName(std::string_view stem) { return std::string(stem) + ".dll"; }

PluginLibrary::~PluginLibrary() { Unload(); }

bool PluginLibrary::Load(const std::string& path) {
    Unload();
    if (path.empty()) return false;
    std::wstring file = Windows::ToWide(path);
    for (wchar_t& c : file)
        if (c == L'/') c = L'\\';
    // The ordinary search would look in the current folder and along PATH, where anyone may have
    // put a library of that name: a name without its folder is taken from the program's folder only.
    if (!IsFullyQualified(file)) {
        const std::string module = GetModuleFolder();
        if (module.empty()) return false;
        std::wstring folder = Windows::ToWide(module);
        for (wchar_t& c : folder)
            if (c == L'/') c = L'\\';
        if (folder.back() != L'\\') folder += L'\\';
        const std::size_t start = file.find_first_not_of(L'\\');
        file = folder + (start == std::wstring::npos ? std::wstring() : file.substr(start));
    }
    // Its own dependencies come from its folder and the system's, never from the current folder;
    // a damaged file fails here instead of showing the system's error box.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    m_handle = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetThreadErrorMode(oldMode, nullptr);
    return m_handle != nullptr;
}

void PluginLibrary::Unload() {
    if (m_handle) FreeLibrary(static_cast<HMODULE>(m_handle));
    m_handle = nullptr;
}

void* PluginLibrary::Symbol(const char* name) const {
    if (!m_handle || !name) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

}  // namespace Orv::Platform
