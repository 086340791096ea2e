#include "OrvFramework/Platform/Locale.h"

#include <cstdlib>

namespace Orv::Platform {

// The order in which the C library chooses the language of messages.
std::uint32_t GetUserLanguageId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return LanguageIdFromLocaleName(value);
    }
    return kLanguageEnglishUS;
}

}  // namespace Orv::Platform
