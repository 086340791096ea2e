#include "OrvFramework/Platform/Locale.h"

#include <string>

namespace Orv::Platform {

namespace {

struct LanguageEntry {
    const char* language;   // ISO 639-1
    const char* territory;  // ISO 3166-1, or nullptr for the language's default
    std::uint32_t id;
};

// The first entry of a language is its default when the territory is absent or unknown.
constexpr LanguageEntry kLanguages[] = {
    {"en", "US", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009}, {"en", "NZ", 0x1409},
    {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "IN", 0x4009}, {"de", "DE", 0x0407}, {"de", "CH", 0x0807},
    {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407}, {"fr", "FR", 0x040C}, {"fr", "BE", 0x080C},
    {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C}, {"es", "ES", 0x0C0A}, {"es", "MX", 0x080A},
    {"es", "AR", 0x2C0A}, {"es", "CO", 0x240A}, {"es", "CL", 0x340A}, {"es", "US", 0x540A}, {"it", "IT", 0x0410},
    {"it", "CH", 0x0810}, {"ja", "JP", 0x0411}, {"ko", "KR", 0x0412}, {"zh", "CN", 0x0804}, {"zh", "TW", 0x0404},
    {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004}, {"zh", "MO", 0x1404}, {"pt", "BR", 0x0416}, {"pt", "PT", 0x0816},
    {"nl", "NL", 0x0413}, {"nl", "BE", 0x0813}, {"ru", "RU", 0x0419}, {"pl", "PL", 0x0415}, {"sv", "SE", 0x041D},
    {"da", "DK", 0x0406}, {"nb", "NO", 0x0414}, {"nn", "NO", 0x0814}, {"fi", "FI", 0x040B}, {"cs", "CZ", 0x0405},
    {"hu", "HU", 0x040E}, {"tr", "TR", 0x041F}, {"el", "GR", 0x0408}, {"uk", "UA", 0x0422},
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

std::uint32_t LanguageIdFromLocaleName(std::string_view name) {
    // language[_territory][.codeset][@modifier]
    name = name.substr(0, name.find_first_of(".@"));
    const std::size_t separator = name.find_first_of("_-");
    const std::string language = Lower(name.substr(0, separator));
    const std::string territory =
        separator == std::string_view::npos ? std::string() : Upper(name.substr(separator + 1));
    if (language.empty() || language == "c" || language == "posix") return kLanguageEnglishUS;

    const LanguageEntry* fallback = nullptr;
    for (const LanguageEntry& entry : kLanguages) {
        if (language != entry.language) continue;
        if (territory == entry.territory) return entry.id;
        if (!fallback) fallback = &entry;
    }
    return fallback ? fallback->id : kLanguageEnglishUS;
}

}  // namespace Orv::Platform
