#include "OrvFramework/Renderer/GdiPlus/GdiPlusImages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "OrvFramework/Renderer/Renderer.h"
#include "OrvFramework/Platform/Windows/WideText.h"
#include "OrvFramework/Utilities/Graphics/ImageDecoder.h"

namespace Orv {

namespace {

// Larger images and files are refused rather than risking the memory for them (the skin's largest
// image is a few hundred pixels a side).
constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 24;
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t(64) << 20;

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Whether the bytes hold a PNG's signature and every chunk up to IEND whole: a cut-off file is a
// read error here, whatever the decoder would make of the part it has.
int CheckPngStructure(std::span<const unsigned char> bytes) {
    if (bytes.size() < sizeof kPngSignature || std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) != 0)
        return ImageUnreadable;
    std::size_t offset = sizeof kPngSignature;
    while (bytes.size() - offset >= 12) {
        const std::uint32_t length = BigEndian32(bytes.data() + offset);
        if (length > bytes.size() - offset - 12) return ImageReadError;
        if (std::memcmp(bytes.data() + offset + 4, "IEND", 4) == 0) return ImageOk;
        offset += 12 + std::size_t(length);
    }
    return ImageReadError;
}

int StatusOf(Gdiplus::Status status) {
    switch (status) {
    case Gdiplus::Ok:
        return ImageOk;
    case Gdiplus::OutOfMemory:
        return ImageOutOfMemory;
    case Gdiplus::FileNotFound:
        return ImageFileNotFound;
    default:
        return ImageUnreadable;
    }
}

// The straight pixel of a bitmap's rectangle at (x, y), transparent outside the image.
std::uint32_t SourcePixel(const LBitmap& bitmap, std::int32_t x, std::int32_t y) {
    const LBitmapData& data = *bitmap.GetData();
    const std::int32_t ix = bitmap.GetX() + x, iy = bitmap.GetY() + y;
    if (ix < 0 || iy < 0 || ix >= data.GetWidth() || iy >= data.GetHeight()) return 0;
    return data.GetPixels()[static_cast<std::size_t>(iy) * data.GetWidth() + ix];
}

std::uint32_t Premultiply(std::uint32_t p) {
    const std::uint32_t a = p >> 24;
    std::uint32_t out = a << 24;
    for (int shift = 0; shift <= 16; shift += 8) out |= ((((p >> shift) & 0xFFu) * a + 127u) / 255u) << shift;
    return out;
}

}  // namespace

LDecodedImage DecodePng(std::span<const unsigned char> bytes) {
    LDecodedImage image;
    image.status = CheckPngStructure(bytes);
    if (image.status != ImageOk) return image;
    image.status = ImageUnreadable;
    if (!EnsureGdiPlus()) return image;
    // GDI+ reads from a stream; this one owns a copy of the bytes and frees it when released.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) {
        image.status = ImageOutOfMemory;
        return image;
    }
    void* locked = GlobalLock(memory);
    std::memcpy(locked, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return image;
    }
    {
        Gdiplus::Bitmap bitmap(stream);
        image.status = StatusOf(bitmap.GetLastStatus());
        const std::int32_t width = image.status == ImageOk ? std::int32_t(bitmap.GetWidth()) : 0;
        const std::int32_t height = image.status == ImageOk ? std::int32_t(bitmap.GetHeight()) : 0;
        if (image.status == ImageOk &&
            (width <= 0 || height <= 0 || std::uint64_t(width) * std::uint64_t(height) > kMaxPixels))
            image.status = ImageInvalidSize;
        Gdiplus::Rect all(0, 0, width, height);
        Gdiplus::BitmapData data;
        if (image.status == ImageOk) {
            // Straight ARGB whatever the file holds (grey, palette, 16 bits; no alpha reads as opaque).
            image.status = StatusOf(bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data));
        }
        if (image.status == ImageOk) {
            image.width = width;
            image.height = height;
            image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            for (std::int32_t y = 0; y < height; ++y)
                std::memcpy(
                    image.pixels.data() + static_cast<std::size_t>(y) * width,
                    static_cast<const unsigned char*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride,
                    std::size_t(width) * 4);
            bitmap.UnlockBits(&data);
        }
    }
    stream->Release();
    return image;
}

LDecodedImage DecodePngFile(const std::string& utf8Path) {
    LDecodedImage image;
    const std::wstring wide = Platform::Windows::ToWide(utf8Path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        image.status = ImageFileNotFound;
        return image;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(wide), error);
    if (!error && size > kMaxFileBytes) {
        image.status = ImageInvalidSize;
        return image;
    }
    std::ifstream in(std::filesystem::path(wide), std::ios::binary);
    if (!in || error) {
        image.status = ImageReadError;
        return image;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        image.status = ImageReadError;
        return image;
    }
    return DecodePng(bytes);
}

std::unique_ptr<Gdiplus::Bitmap> CreateScaledBitmap(const LBitmap& bitmap, std::int32_t width, std::int32_t height,
                                                    int resizeType) {
    if (!bitmap.HasImage() || width <= 0 || height <= 0) return nullptr;
    const std::int32_t sw = bitmap.GetWidth(), sh = bitmap.GetHeight();
    if (sw <= 0 || sh <= 0 || std::uint64_t(width) * std::uint64_t(height) > kMaxPixels) return nullptr;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    auto at = [&](std::int32_t x, std::int32_t y) -> std::uint32_t& {
        return out[static_cast<std::size_t>(y) * width + x];
    };
    switch (resizeType) {
    case ResizeStretch: {
        // Bilinear between pixel centres, edge pixels repeated outward (so a stretched cap has no
        // faded border), on premultiplied colours.
        const double fx = double(sw) / width, fy = double(sh) / height;
        for (std::int32_t y = 0; y < height; ++y) {
            const double sy = std::clamp((y + 0.5) * fy - 0.5, 0.0, double(sh - 1));
            const std::int32_t y0 = std::int32_t(sy), y1 = std::min(y0 + 1, sh - 1);
            const double wy = sy - y0;
            for (std::int32_t x = 0; x < width; ++x) {
                const double sx = std::clamp((x + 0.5) * fx - 0.5, 0.0, double(sw - 1));
                const std::int32_t x0 = std::int32_t(sx), x1 = std::min(x0 + 1, sw - 1);
                const double wx = sx - x0;
                const std::uint32_t p[4] = {
                    Premultiply(SourcePixel(bitmap, x0, y0)), Premultiply(SourcePixel(bitmap, x1, y0)),
                    Premultiply(SourcePixel(bitmap, x0, y1)), Premultiply(SourcePixel(bitmap, x1, y1))};
                std::uint32_t result = 0;
                for (int shift = 0; shift <= 24; shift += 8) {
                    const auto c = [&](int i) { return double((p[i] >> shift) & 0xFFu); };
                    const double v = (c(0) * (1 - wx) + c(1) * wx) * (1 - wy) + (c(2) * (1 - wx) + c(3) * wx) * wy;
                    result |= std::uint32_t(std::clamp(std::lround(v), 0l, 255l)) << shift;
                }
                at(x, y) = result;
            }
        }
        break;
    }
    case ResizeTile:
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x) at(x, y) = Premultiply(SourcePixel(bitmap, x % sw, y % sh));
        break;
    default: {  // centre, at its own size, the odd pixel to the right and bottom
        const std::int32_t ox = (width - sw) / 2, oy = (height - sh) / 2;
        for (std::int32_t y = std::max(0, oy); y < std::min(height, oy + sh); ++y)
            for (std::int32_t x = std::max(0, ox); x < std::min(width, ox + sw); ++x)
                at(x, y) = Premultiply(SourcePixel(bitmap, x - ox, y - oy));
        break;
    }
    }
    return CreatePremultipliedBitmap(width, height, out);
}

}  // namespace Orv
