#pragma once
// One decoded image: 32-bit non-premultiplied ARGB pixels (0xAARRGGBB), its source path and the
// status of the last load. Parts cut from one image file share one LBitmapData.
#include <cstdint>
#include <span>
#include <vector>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Graphics/Geometry.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

struct LDecodedImage;

class LBitmapData : public LRefCountedObject {
public:
    // Loads a PNG: "::Name.png" is the embedded resource "Name_png" of type "GDIPLUS", anything
    // else a file. A failed load keeps no image and a non-zero status (an LImageStatus).
    explicit LBitmapData(const String& path);
    // An image made in memory; pixels.size() must be width * height.
    LBitmapData(std::int32_t width, std::int32_t height, std::vector<std::uint32_t> pixels);

    // The image of a path, decoded once and shared by everyone who asks for the same path.
    // Failed loads are not remembered, so a file that appears later is found.
    static RCPtr<LBitmapData> Load(const String& path);
    // Drops the shared images (those still in use stay alive with their users).
    static void ForgetSharedImages();

    bool HasImage() const { return m_status == 0 && m_width > 0 && m_height > 0; }
    int GetStatus() const { return m_status; }
    const String& GetPath() const { return m_path; }
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    LRect GetBounds() const { return {0.0, 0.0, double(m_width), double(m_height)}; }

    const std::vector<std::uint32_t>& GetPixels() const { return m_pixels; }
    // Write access; every call marks the pixels as changed (see GetGeneration).
    std::vector<std::uint32_t>& LockPixels();
    // Changes whenever the pixels may have changed, so caches of drawn copies know when to rebuild.
    std::uint64_t GetGeneration() const { return m_generation; }

    // A PNG held in memory (the window icon, say).
    static RCPtr<LBitmapData> FromPng(std::span<const unsigned char> bytes);

private:
    LBitmapData() = default;
    void Take(LDecodedImage&& image);

    String m_path;
    int m_status = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::vector<std::uint32_t> m_pixels;
    std::uint64_t m_generation = 0;
};

}  // namespace Orv
