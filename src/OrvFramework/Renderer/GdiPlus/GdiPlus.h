#pragma once
// GDI+ for the drawing backend: the headers in the order they need, starting GDI+ once per process,
// and the conversions between the framework's types and GDI+'s. The framework's headers come first:
// its result codes share names with Windows macros.
#include <cstdint>
#include <memory>
#include <vector>

#include "OrvFramework/ObjectBase/ResultCodes.h"
#include "OrvFramework/Renderer/Renderer.h"
#include "OrvFramework/Utilities/Graphics/Bitmap.h"
#include "OrvFramework/Utilities/Graphics/Geometry.h"

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on
// The renderer's own DrawText, not the Win32 function's UTF-16 name.
#undef DrawText

namespace Orv {

// Starts GDI+ on first use (from any thread); it is never shut down, so every GDI+ object of the
// process stays usable until the process ends. False when GDI+ cannot start.
bool EnsureGdiPlus();

// A colour with its alpha multiplied by opacity, as GDI+ takes it (straight ARGB).
Gdiplus::Color ToGdiPlus(const LColor& color, float opacity = 1.0f);

// A new premultiplied 32-bit bitmap of the given size, owning its pixels; null when GDI+ fails.
std::unique_ptr<Gdiplus::Bitmap> CreatePremultipliedBitmap(std::int32_t width, std::int32_t height,
                                                           const std::vector<std::uint32_t>& premultiplied);

}  // namespace Orv
