#pragma once
// The user's language as a Windows language identifier (primary language in bits 0-9, sub-language
// above), the form the string tables are keyed by.
#include <cstdint>
#include <string_view>

namespace Orv::Platform {

inline constexpr std::uint32_t kLanguageEnglishUS = 0x0409;

// From a POSIX locale name such as "de_DE.UTF-8", "zh_TW" or "fr". "C", "POSIX", an empty name
// and languages without an identifier of their own give English.
std::uint32_t LanguageIdFromLocaleName(std::string_view localeName);

// From the environment: the first non-empty of LC_ALL, LC_MESSAGES and LANG.
std::uint32_t GetUserLanguageId();

}  // namespace Orv::Platform
