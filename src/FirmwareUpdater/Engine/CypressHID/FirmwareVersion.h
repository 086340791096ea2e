#pragma once
// The firmware version as the updater compares and shows it: the one the device reports in its
// HID attributes, the one an update installs (the launch option), and the one an image's metadata
// carries.
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace Varnet {

struct FirmwareVersion {
    int major = 0;
    int minor = 0;
    int sub = 0;
    auto operator<=>(const FirmwareVersion&) const = default;
    // "major.minor.sub".
    std::string Text() const;
};

// The HID version number holds packed decimal digits: 0x1203 is 12.0.3.
FirmwareVersion DecodeVersionNumber(std::uint16_t versionNumber);
// The inverse, for a major of 0 to 99 and a minor and sub of 0 to 9.
std::uint16_t EncodeVersionNumber(const FirmwareVersion& version);

// Splits "major.minor.sub": each part read like _wtoi, a run of dots is one separator, missing
// parts are 0 and anything after the third number is ignored.
FirmwareVersion ParseVersionText(std::u16string_view text);

}  // namespace Varnet
