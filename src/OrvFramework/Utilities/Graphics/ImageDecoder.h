#pragma once
// PNG decoding, done by the drawing backend (the library that draws also reads the pictures).
//
// Contract: any thread may call these at any time; they keep nothing. The answer holds
// non-premultiplied 0xAARRGGBB pixels, rows top to bottom (grey, palette and 16-bit images are
// converted; an image without alpha is opaque). A file or byte string that is missing, truncated or
// not a PNG answers a non-zero status and no pixels; it never throws.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Orv {

enum LImageStatus : int {
    ImageOk = 0,
    ImageFileNotFound = 1,
    ImageReadError = 2,
    ImageInvalidSize = 3,
    ImageOutOfMemory = 4,
    ImageUnreadable = 5,  // any other failure of the decoder
};

struct LDecodedImage {
    int status = ImageUnreadable;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

LDecodedImage DecodePng(std::span<const unsigned char> bytes);
LDecodedImage DecodePngFile(const std::string& utf8Path);

}  // namespace Orv
