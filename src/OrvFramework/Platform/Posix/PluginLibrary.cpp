#include "OrvFramework/Platform/PluginLibrary.h"

#include <dlfcn.h>

namespace Orv::Platform {

std::string PluginFileName(std::string_view stem) { return "lib" + std::string(stem) + ".so"; }

PluginLibrary::~PluginLibrary() { Unload(); }

bool PluginLibrary::Load(const std::string& path) {
    Unload();
    if (path.empty()) return false;
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m_handle != nullptr;
}

void PluginLibrary::Unload() {
    if (m_handle) ::dlclose(m_handle);
    m_handle = nullptr;
}

void* PluginLibrary::Symbol(const char* name) const { return m_handle && name ? ::dlsym(m_handle, name) : nullptr; }

}  // namespace Orv::Platform
