#pragma once
// The pixels a paint goes into: what a host window hands out for one paint and what a renderer
// backend draws on.
//
// Format: 32-bit words in the machine's byte order, 0xAARRGGBB with the colours multiplied by
// their alpha (premultiplied), rows top to bottom, `stride` bytes from the start of one row to the
// start of the next. An opaque target's alpha byte means nothing: whoever paints it treats every
// pixel as fully covered and need not keep that byte. The memory belongs to whoever handed the
// target out and stays valid only until that paint ends.
#include <cstdint>

namespace Orv::Platform {

struct PaintTarget {
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool opaque = false;

    bool IsValid() const { return pixels != nullptr && width > 0 && height > 0 && stride >= width * 4; }
    std::uint32_t* Row(int y) const {
        return reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
    }
};

}  // namespace Orv::Platform
