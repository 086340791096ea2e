#include "OrvFramework/Platform/Locale.h"

#include <windows.h>

namespace Orv::Platform {

// The language the user reads Windows in, already a language identifier.
std::uint32_t GetUserLanguageId() {
    const LANGID language = GetUserDefaultUILanguage();
    return language != 0 ? language : kLanguageEnglishUS;
}

}  // namespace Orv::Platform
