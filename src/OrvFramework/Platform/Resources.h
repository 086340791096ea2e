#pragma once
// Program resources embedded into the executable at build time (cmake/EmbedResources.cmake),
// looked up by type and name; names compare case-insensitively.
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace Orv::Platform {

struct EmbeddedResource {
    const char* type;
    const char* name;
    const unsigned char* data;
    const std::size_t* size;
};

// Called by the generated tables at static initialisation.
bool RegisterResources(const EmbeddedResource* table, std::size_t count);

std::optional<std::span<const unsigned char>> FindResource(std::string_view type, std::string_view name);

}  // namespace Orv::Platform
