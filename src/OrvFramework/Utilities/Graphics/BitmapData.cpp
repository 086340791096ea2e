#include "OrvFramework/Utilities/Graphics/BitmapData.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

#include "OrvFramework/Platform/Resources.h"
#include "OrvFramework/Utilities/Graphics/ImageDecoder.h"

namespace Orv {

namespace {

std::uint64_t NextGeneration() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
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
    if (path.starts_with(resourcePrefix)) {
        std::string name = Utf16ToUtf8(std::u16string_view(path).substr(2));
        std::replace(name.begin(), name.end(), '.', '_');
        auto bytes = Platform::FindResource("GDIPLUS", name);
        if (!bytes) {
            m_status = ImageFileNotFound;
            return;
        }
        Take(DecodePng(*bytes));
    } else {
        Take(DecodePngFile(path.ToUtf8()));
    }
}

LBitmapData::LBitmapData(std::int32_t width, std::int32_t height, std::vector<std::uint32_t> pixels)
    : m_width(width), m_height(height), m_pixels(std::move(pixels)), m_generation(NextGeneration()) {
    if (width <= 0 || height <= 0 ||
        m_pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        m_status = ImageInvalidSize;
        m_width = m_height = 0;
        m_pixels.clear();
    }
}

void LBitmapData::Take(LDecodedImage&& image) {
    m_status = image.status;
    if (m_status != ImageOk) return;
    // A decoder's answer is checked like any image made in memory: pixels must fill the size.
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        m_status = ImageInvalidSize;
        return;
    }
    m_width = image.width;
    m_height = image.height;
    m_pixels = std::move(image.pixels);
}

RCPtr<LBitmapData> LBitmapData::FromPng(std::span<const unsigned char> bytes) {
    RCPtr<LBitmapData> data(new LBitmapData());
    data->m_generation = NextGeneration();
    data->Take(DecodePng(bytes));
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

}  // namespace Orv
