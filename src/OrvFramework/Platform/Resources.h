#pragma once
// Program resources embedded into the executable at build time (cmake/EmbedResources.cmake),
// looked up by type and name; names compare case-insensitively.
//
// Contract: the tables register themselves during static initialisation, before main; lookups may
// come from any thread afterwards and answer nothing (never throw) for an unknown type or name.
// The bytes live as long as the program. The embedding is plain C++ data, so every platform uses
// this one implementation; a platform with resources of its own (a Windows .rc file) may add them
// through RegisterResources as well.
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
