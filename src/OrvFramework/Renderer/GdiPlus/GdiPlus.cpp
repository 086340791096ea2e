#include "OrvFramework/Renderer/GdiPlus/GdiPlus.h"

#include <cstring>

namespace Orv {

bool EnsureGdiPlus() {
    static const bool started = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}

Gdiplus::Color ToGdiPlus(const LColor& color, float opacity) {
    return Gdiplus::Color(static_cast<BYTE>(ChannelToByte(double(color.alpha) * opacity)),
                          static_cast<BYTE>(ChannelToByte(color.red)), static_cast<BYTE>(ChannelToByte(color.green)),
                          static_cast<BYTE>(ChannelToByte(color.blue)));
}

std::unique_ptr<Gdiplus::Bitmap> CreatePremultipliedBitmap(std::int32_t width, std::int32_t height,
                                                           const std::vector<std::uint32_t>& premultiplied) {
    if (!EnsureGdiPlus() || width <= 0 || height <= 0 ||
        premultiplied.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return nullptr;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData locked;
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &locked) != Gdiplus::Ok)
        return nullptr;
    for (std::int32_t y = 0; y < height; ++y)
        std::memcpy(static_cast<unsigned char*>(locked.Scan0) + static_cast<std::ptrdiff_t>(y) * locked.Stride,
                    premultiplied.data() + static_cast<std::size_t>(y) * width, std::size_t(width) * 4);
    bitmap->UnlockBits(&locked);
    return bitmap;
}

}  // namespace Orv
