#pragma once
// Bitmaps for GDI+: a bitmap's rectangle stretched, tiled or centred into a new premultiplied GDI+
// bitmap of a destination size (done here, in plain code, so that every machine draws the same
// pixels).
#include <cstdint>
#include <memory>

#include "OrvFramework/Renderer/GdiPlus/GdiPlus.h"
#include "OrvFramework/Utilities/Graphics/Bitmap.h"

namespace Orv {

// The bitmap's rectangle (parts outside the image transparent) scaled by the resize type into
// width x height; null without an image or when GDI+ fails.
std::unique_ptr<Gdiplus::Bitmap> CreateScaledBitmap(const LBitmap& bitmap, std::int32_t width, std::int32_t height,
                                                    int resizeType);

}  // namespace Orv
