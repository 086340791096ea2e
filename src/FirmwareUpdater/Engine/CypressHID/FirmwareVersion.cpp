#include "FirmwareUpdater/Engine/CypressHID/FirmwareVersion.h"

#include "OrvFramework/Utilities/Storage/String.h"

namespace Varnet {

namespace {

// Reads one number up to the next dot (or the end) and steps over the run of dots after it.
int ReadVersionPart(std::u16string_view text, std::size_t& position) {
    const std::size_t start = position;
    while (position < text.size() && text[position] != u'.') ++position;
    const int value = Orv::WToI(text.substr(start, position - start));
    while (position < text.size() && text[position] == u'.') ++position;
    return value;
}

}  // namespace

std::string FirmwareVersion::Text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(sub);
}

FirmwareVersion DecodeVersionNumber(std::uint16_t v) {
    return {10 * ((v >> 12) & 0xF) + ((v >> 8) & 0xF), (v >> 4) & 0xF, v & 0xF};
}

std::uint16_t EncodeVersionNumber(const FirmwareVersion& v) {
    return static_cast<std::uint16_t>(((v.major / 10) << 12) | ((v.major % 10) << 8) | (v.minor << 4) | v.sub);
}

FirmwareVersion ParseVersionText(std::u16string_view text) {
    FirmwareVersion version;
    std::size_t position = 0;
    version.major = ReadVersionPart(text, position);
    version.minor = ReadVersionPart(text, position);
    version.sub = ReadVersionPart(text, position);
    return version;
}

}  // namespace Varnet
