#pragma once
// The one reader of hexadecimal digits for every text the program reads: skins, firmware images,
// device paths and the settings files. Header-only, because the settings plug-in is a library of
// its own that links nothing of the framework.

namespace Orv {

// The value of a hexadecimal digit of either case, or -1 for any other character.
constexpr int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace Orv
