#pragma once
// A shared library loaded at run time (the settings plug-in).
//
// Contract: used by one thread at a time (the owner's); loading and unloading happen on the thread
// that owns the object, usually at start-up and at the end. Paths are UTF-8 with '/' or the
// platform's own separator; a bare file name is searched the platform's ordinary way. Load answers
// false and leaves nothing loaded when the file is missing or is not a library for this platform;
// Symbol answers null for a name the library does not export. The object owns the library: it is
// unloaded by Unload, by a second Load, or when the object ends, and every symbol taken from it is
// invalid from then on. Symbols are resolved at load time, so a library that needs something
// missing fails there and not at a later call.
// A new backend implements the class over its loader (LoadLibraryW, GetProcAddress, FreeLibrary)
// and PluginFileName with its platform's file naming. The Linux backend is Posix/PluginLibrary.cpp
// (dlopen with RTLD_NOW | RTLD_LOCAL).
#include <string>
#include <string_view>

namespace Orv::Platform {

// The file name of a plug-in called `stem` on this platform ("libStem.so" on Linux).
std::string PluginFileName(std::string_view stem);

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool Load(const std::string& path);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    void* Symbol(const char* name) const;

private:
    void* m_handle = nullptr;  // the loader's handle (an HMODULE is a pointer too)
};

}  // namespace Orv::Platform
