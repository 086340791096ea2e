#include "OrvFramework/Renderer/Cairo/CairoImages.h"

#include <algorithm>
#include <cstring>

#include "OrvFramework/Utilities/Graphics/ImageDecoder.h"

namespace Orv {

namespace {

struct ByteReader {
    std::span<const unsigned char> data;
    std::size_t offset = 0;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->data.size() - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data.data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

int StatusOf(cairo_status_t status) {
    switch (status) {
    case CAIRO_STATUS_SUCCESS:
        return ImageOk;
    case CAIRO_STATUS_FILE_NOT_FOUND:
        return ImageFileNotFound;
    case CAIRO_STATUS_READ_ERROR:
        return ImageReadError;
    case CAIRO_STATUS_INVALID_SIZE:
        return ImageInvalidSize;
    case CAIRO_STATUS_NO_MEMORY:
        return ImageOutOfMemory;
    default:
        return ImageUnreadable;
    }
}

// Takes the decoded surface apart into straight pixels, and destroys it.
LDecodedImage Take(cairo_surface_t* surface) {
    LDecodedImage image;
    image.status = StatusOf(cairo_surface_status(surface));
    if (image.status != ImageOk) {
        cairo_surface_destroy(surface);
        return image;
    }
    cairo_surface_t* argb = surface;
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
        // Grey or high-depth images: let Cairo convert them to ARGB32 first.
        argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(argb);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    cairo_surface_flush(argb);
    const bool opaque = cairo_image_surface_get_format(argb) == CAIRO_FORMAT_RGB24;
    const unsigned char* data = cairo_image_surface_get_data(argb);
    const int stride = cairo_image_surface_get_stride(argb);
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = opaque ? 0xFFu : (p >> 24);
            std::uint32_t out = a << 24;
            if (a != 0) {
                // Cairo keeps colours multiplied by their alpha; the framework keeps them straight.
                for (int shift = 0; shift <= 16; shift += 8) {
                    const std::uint32_t c = (p >> shift) & 0xFFu;
                    out |= std::min<std::uint32_t>(255u, (c * 255u + a / 2u) / a) << shift;
                }
            }
            image.pixels[static_cast<std::size_t>(y) * width + x] = out;
        }
    }
    if (argb != surface) cairo_surface_destroy(argb);
    cairo_surface_destroy(surface);
    return image;
}

}  // namespace

LDecodedImage DecodePng(std::span<const unsigned char> bytes) {
    ByteReader reader{bytes};
    return Take(cairo_image_surface_create_from_png_stream(ReadBytes, &reader));
}

LDecodedImage DecodePngFile(const std::string& utf8Path) {
    return Take(cairo_image_surface_create_from_png(utf8Path.c_str()));
}

cairo_surface_t* CreateCairoSurface(const LBitmapData& data, std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height) {
    if (!data.HasImage() || width <= 0 || height <= 0 || x < 0 || y < 0 || x > data.GetWidth() - width ||
        y > data.GetHeight() - height)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* out = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const std::vector<std::uint32_t>& pixels = data.GetPixels();
    for (std::int32_t row = 0; row < height; ++row) {
        auto* dst = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(row) * stride);
        const std::uint32_t* src = pixels.data() + static_cast<std::size_t>(y + row) * data.GetWidth() + x;
        for (std::int32_t col = 0; col < width; ++col) {
            const std::uint32_t p = src[col];
            const std::uint32_t a = p >> 24;
            std::uint32_t premultiplied = a << 24;
            for (int shift = 0; shift <= 16; shift += 8) {
                const std::uint32_t c = (p >> shift) & 0xFFu;
                premultiplied |= ((c * a + 127u) / 255u) << shift;
            }
            dst[col] = premultiplied;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

cairo_surface_t* CreateCairoSurface(const LBitmap& bitmap) {
    if (!bitmap.HasImage()) return nullptr;
    if (bitmap.IsInsideImage())
        return CreateCairoSurface(*bitmap.GetData(), bitmap.GetX(), bitmap.GetY(), bitmap.GetWidth(),
                                  bitmap.GetHeight());
    return CreateCairoSurface(*bitmap.Clone());
}

Platform::PaintTarget PaintTargetOf(cairo_surface_t* surface) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return {};
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return {};
    cairo_surface_flush(surface);
    return {cairo_image_surface_get_data(surface), cairo_image_surface_get_width(surface),
            cairo_image_surface_get_height(surface), cairo_image_surface_get_stride(surface),
            format == CAIRO_FORMAT_RGB24};
}

}  // namespace Orv
