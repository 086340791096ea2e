#include "OrvFramework/Platform/Resources.h"

#include <mutex>
#include <vector>

namespace Orv::Platform {

namespace {

struct Registry {
    std::mutex lock;
    std::vector<EmbeddedResource> entries;
};

Registry& GetRegistry() {
    static Registry registry;
    return registry;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

bool RegisterResources(const EmbeddedResource* table, std::size_t count) {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.entries.insert(registry.entries.end(), table, table + count);
    return true;
}

std::optional<std::span<const unsigned char>> FindResource(std::string_view type, std::string_view name) {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (const auto& entry : registry.entries) {
        if (EqualNoCase(entry.type, type) && EqualNoCase(entry.name, name))
            return std::span<const unsigned char>(entry.data, *entry.size);
    }
    return std::nullopt;
}

}  // namespace Orv::Platform
