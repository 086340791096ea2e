#pragma once
// The call shapes of the settings plug-in's fifteen entry points (C linkage, looked up by name).
// Texts are UTF-8. Entry points that hand back a text copy it, with its terminating zero, into
// the caller's buffer and set `needed` to the buffer size it takes; a buffer too small answers
// kIniInsufficientBuffer and copies nothing.
#include <cstdint>

extern "C" {

using OrvIniHandle = void*;

typedef std::int32_t (*OpenIniFileFn)(const char* path, const char* version, const char* product, OrvIniHandle* handle);
typedef std::int32_t (*WriteIniFileFn)(OrvIniHandle handle);
// A non-zero flag writes the file before closing it.
typedef std::int32_t (*CloseIniFileFn)(OrvIniHandle handle, std::int32_t writeFirst);
// 1 when the node exists, 0 when it does not, negative on error.
typedef std::int32_t (*DoesNodeExistFn)(OrvIniHandle handle, const char* node);
// 0 when found; 1 (value untouched) when missing or not an integer.
typedef std::int32_t (*GetIniValueIntFn)(OrvIniHandle handle, const char* key, std::int32_t defaultValue,
                                         std::int32_t* value);
typedef std::int32_t (*SetIniValueIntFn)(OrvIniHandle handle, const char* key, std::int32_t value);
typedef std::int32_t (*GetIniValueStrFn)(OrvIniHandle handle, const char* key, char* buffer, std::uint32_t size,
                                         std::uint32_t* needed);
typedef std::int32_t (*SetIniValueStrFn)(OrvIniHandle handle, const char* key, const char* value);
typedef std::int32_t (*GetKeyCountFn)(OrvIniHandle handle, const char* node, std::int32_t* count);
typedef std::int32_t (*GetKeyNameAtFn)(OrvIniHandle handle, const char* node, std::int32_t index, char* buffer,
                                       std::uint32_t size, std::uint32_t* needed);
typedef std::int32_t (*GetArrayCountFn)(OrvIniHandle handle, const char* node, std::int32_t* count);
typedef std::int32_t (*SetArrayCountFn)(OrvIniHandle handle, const char* node, std::int32_t count);
typedef std::int32_t (*GetArrayItemAtFn)(OrvIniHandle handle, const char* node, std::int32_t index, char* buffer,
                                         std::uint32_t size, std::uint32_t* needed);
typedef std::int32_t (*SetArrayItemAtFn)(OrvIniHandle handle, const char* node, std::int32_t index, const char* value);
typedef std::int32_t (*RemoveArrayItemAtFn)(OrvIniHandle handle, const char* node, std::int32_t index);
}

namespace Orv {
inline constexpr std::int32_t kIniInsufficientBuffer = static_cast<std::int32_t>(0x8007007Au);
// The plug-in's name; Platform::PluginFileName makes the file name.
inline constexpr const char* kIniFileManagerStem = "IniFileManager";
}  // namespace Orv
