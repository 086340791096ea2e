#include "OrvFramework/Utilities/Graphics/BitmapData.h"

#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "OrvFramework/Platform/Resources.h"

namespace Orv {

namespace {

std::uint64_t NextGeneration() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

struct ByteReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->size - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

struct SharedImages {
    std::mutex lock;
    std::map<String, RCPtr<LBitmapData>> images;
};

SharedImages& GetSharedImages() {
    static SharedImages shared;
    return shared;
}

}  // namespace

LBitmapData::LBitmapData(const String& path) : m_path(path), m_generation(NextGeneration()) {
    static const String resourcePrefix(u"::");
    cairo_surface_t* surface = nullptr;
    if (path.starts_with(resourcePrefix)) {
        std::string name = Utf16ToUtf8(std::u16string_view(path).substr(2));
        std::replace(name.begin(), name.end(), '.', '_');
        auto bytes = Platform::FindResource("GDIPLUS", name);
        if (!bytes) {
            m_status = CAIRO_STATUS_FILE_NOT_FOUND;
            return;
        }
        ByteReader reader{bytes->data(), bytes->size(), 0};
        surface = cairo_image_surface_create_from_png_stream(ReadBytes, &reader);
    } else {
        surface = cairo_image_surface_create_from_png(path.ToUtf8().c_str());
    }
    Decode(surface);
    cairo_surface_destroy(surface);
}

LBitmapData::LBitmapData(std::int32_t width, std::int32_t height, std::vector<std::uint32_t> pixels)
    : m_width(width), m_height(height), m_pixels(std::move(pixels)), m_generation(NextGeneration()) {
    if (width <= 0 || height <= 0 ||
        m_pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        m_status = CAIRO_STATUS_INVALID_SIZE;
        m_width = m_height = 0;
        m_pixels.clear();
    }
}

void LBitmapData::Decode(cairo_surface_t* surface) {
    m_status = cairo_surface_status(surface);
    if (m_status != CAIRO_STATUS_SUCCESS) return;
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
    m_width = width;
    m_height = height;
    m_pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = row[x];
            std::uint32_t a = opaque ? 0xFFu : (p >> 24);
            std::uint32_t out = a << 24;
            if (a != 0) {
                for (int shift = 0; shift <= 16; shift += 8) {
                    const std::uint32_t c = (p >> shift) & 0xFFu;
                    out |= std::min<std::uint32_t>(255u, (c * 255u + a / 2u) / a) << shift;
                }
            }
            m_pixels[static_cast<std::size_t>(y) * width + x] = out;
        }
    }
    if (argb != surface) cairo_surface_destroy(argb);
}

RCPtr<LBitmapData> LBitmapData::FromSurface(cairo_surface_t* surface) {
    RCPtr<LBitmapData> data = MakeRC<LBitmapData>(1, 1, std::vector<std::uint32_t>(1, 0u));
    data->Decode(surface);
    return data;
}

RCPtr<LBitmapData> LBitmapData::Load(const String& path) {
    SharedImages& shared = GetSharedImages();
    std::lock_guard<std::mutex> guard(shared.lock);
    auto it = shared.images.find(path);
    if (it != shared.images.end()) return it->second;
    RCPtr<LBitmapData> data = MakeRC<LBitmapData>(path);
    if (data->HasImage()) shared.images.emplace(path, data);
    return data;
}

void LBitmapData::ForgetSharedImages() {
    SharedImages& shared = GetSharedImages();
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.images.clear();
}

std::vector<std::uint32_t>& LBitmapData::LockPixels() {
    m_generation = NextGeneration();
    return m_pixels;
}

cairo_surface_t* LBitmapData::CreateSurface(std::int32_t x, std::int32_t y, std::int32_t width,
                                            std::int32_t height) const {
    if (!HasImage() || width <= 0 || height <= 0 || x < 0 || y < 0 || x > m_width - width ||
        y > m_height - height)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* out = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (std::int32_t row = 0; row < height; ++row) {
        auto* dst = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(row) * stride);
        const std::uint32_t* src = m_pixels.data() + static_cast<std::size_t>(y + row) * m_width + x;
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

}  // namespace Orv
