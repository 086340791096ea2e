#pragma once
// The user's language as a Windows language identifier (primary language in bits 0-9, sub-language
// above), the form the string tables are keyed by.
//
// Contract: callable from any thread, at any time; never fails: whatever cannot be told gives
// English (kLanguageEnglishUS). A new backend implements GetUserLanguageId from its platform's
// user-interface language (GetUserDefaultUILanguage answers the identifier directly);
// LanguageIdFromLocaleName is shared. The POSIX backend is Posix/Locale.cpp.
#include <cstdint>
#include <string_view>

namespace Orv::Platform {

inline constexpr std::uint32_t kLanguageEnglishUS = 0x0409;

// From a POSIX locale name such as "de_DE.UTF-8", "zh_TW" or "fr". "C", "POSIX", an empty name
// and languages without an identifier of their own give English.
std::uint32_t LanguageIdFromLocaleName(std::string_view localeName);

// The user's language. POSIX: from the environment, the first non-empty of LC_ALL, LC_MESSAGES and
// LANG.
std::uint32_t GetUserLanguageId();

}  // namespace Orv::Platform
