#pragma once
// Bitmaps as Cairo surfaces, and the Cairo wrapping of a paint target.
#include <cairo.h>

#include <cstdint>

#include "OrvFramework/Platform/PaintTarget.h"
#include "OrvFramework/Utilities/Graphics/Bitmap.h"

namespace Orv {

// A new premultiplied image surface holding the rectangle of data (which must lie inside the
// image); the caller destroys it. Null when there is no image or the rectangle is empty.
cairo_surface_t* CreateCairoSurface(const LBitmapData& data, std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height);
// The bitmap's rectangle (parts outside the image transparent); null without an image.
cairo_surface_t* CreateCairoSurface(const LBitmap& bitmap);

// The pixels of an ARGB32 or RGB24 image surface as a paint target (for painting offscreen).
Platform::PaintTarget PaintTargetOf(cairo_surface_t* surface);

}  // namespace Orv
