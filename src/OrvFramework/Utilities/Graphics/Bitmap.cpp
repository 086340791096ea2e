#include "OrvFramework/Utilities/Graphics/Bitmap.h"

#include <cmath>

namespace Orv {

LBitmap::LBitmap(const String& path, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
    : LBitmap(LBitmapData::Load(path), x, y, width, height) {}

LBitmap::LBitmap(RCPtr<LBitmapData> data)
    : m_data(std::move(data)), m_width(m_data ? m_data->GetWidth() : 0), m_height(m_data ? m_data->GetHeight() : 0) {}

LBitmap::LBitmap(RCPtr<LBitmapData> data, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
    : m_data(std::move(data)), m_x(x), m_y(y), m_width(width), m_height(height) {}

bool LBitmap::HasImage() const { return m_data && m_data->HasImage() && m_width > 0 && m_height > 0; }

std::uint32_t LBitmap::GetPixel(std::int32_t x, std::int32_t y) const {
    constexpr std::uint32_t transparent = 0x00FFFFFFu;
    if (!HasImage() || x < 0 || y < 0 || x >= m_width || y >= m_height) return transparent;
    const std::int64_t ix = std::int64_t(m_x) + x;
    const std::int64_t iy = std::int64_t(m_y) + y;
    if (ix < 0 || iy < 0 || ix >= m_data->GetWidth() || iy >= m_data->GetHeight()) return transparent;
    return m_data->GetPixels()[static_cast<std::size_t>(iy * m_data->GetWidth() + ix)];
}

RCPtr<LBitmap> LBitmap::Clone() const {
    if (!HasImage()) return MakeRC<LBitmap>(m_data, m_x, m_y, m_width, m_height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(m_width) * m_height);
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) {
            const std::uint32_t p = GetPixel(x, y);
            // Outside the image the copy is fully transparent black, as a drawn copy would be.
            pixels[static_cast<std::size_t>(y) * m_width + x] = p == 0x00FFFFFFu ? 0u : p;
        }
    return MakeRC<LBitmap>(MakeRC<LBitmapData>(m_width, m_height, std::move(pixels)));
}

bool LBitmap::IsInsideImage() const {
    return HasImage() && m_x >= 0 && m_y >= 0 && m_x <= m_data->GetWidth() - m_width &&
           m_y <= m_data->GetHeight() - m_height;
}

RCPtr<LBitmap> LBitmap::CreateFilledBitmap(std::int32_t width, std::int32_t height, const LColor& color) {
    if (width < 1 || height < 1) ORV_THROW_NO_TEXT(Runtime, "Orv::LBitmap::CreateFilledBitmap", 320);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, PackColor(color));
    return MakeRC<LBitmap>(MakeRC<LBitmapData>(width, height, std::move(pixels)));
}

RCPtr<LBitmap> LBitmap::CreateGradientFilledBitmap(std::int32_t, std::int32_t, const LColor&, const LColor&, LPoint,
                                                   LPoint, bool) {
    ORV_THROW_NO_TEXT(Domain, "Orv::LBitmap::CreateGradientFilledBitmap", 355);
}

bool LBitmap::IsGradient(const LColorizer& colorizer) {
    return (colorizer.type == LColorizer::LinearGradient || colorizer.type == LColorizer::RadialGradient) &&
           colorizer.color != colorizer.gradientEndColor;
}

RCPtr<LBitmap> LBitmap::CreateColorizerFill(const LColorizer& colorizer, double alphaModulation, std::int32_t width,
                                            std::int32_t height) {
    if (width < 1 || height < 1) ORV_THROW_NO_TEXT(Runtime, "Orv::LBitmap::CreateColorizedBitmap", 291);
    if (IsGradient(colorizer)) {
        return CreateGradientFilledBitmap(width, height, colorizer.color, colorizer.gradientEndColor,
                                          {colorizer.gradientStartX, colorizer.gradientStartY},
                                          {colorizer.gradientEndX, colorizer.gradientEndY},
                                          colorizer.type == LColorizer::RadialGradient);
    }
    LColor color = colorizer.color;
    color.alpha = static_cast<float>(color.alpha * alphaModulation);
    return CreateFilledBitmap(width, height, color);
}

void LBitmap::ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                             double alphaModulation) {
    if (!bitmap || !colorizer) ORV_THROW_NO_TEXT(Runtime, "Orv::LBitmap::ApplyColorizer", 367);
    if (!bitmap->HasImage()) return;
    if (IsGradient(*colorizer)) {
        CreateColorizerFill(*colorizer, alphaModulation, bitmap->m_width, bitmap->m_height);
        return;
    }
    // Other bitmaps (the other parts cut from the same file) must keep their colours.
    const bool whole = bitmap->m_x == 0 && bitmap->m_y == 0 && bitmap->m_width == bitmap->m_data->GetWidth() &&
                       bitmap->m_height == bitmap->m_data->GetHeight();
    if (!whole || bitmap->m_data->GetReferenceCount() > 1) {
        RCPtr<LBitmap> copy = bitmap->Clone();
        bitmap->m_data = copy->m_data;
        bitmap->m_x = bitmap->m_y = 0;
    }
    const double a = double(colorizer->color.alpha) * alphaModulation;
    const double add[3] = {255.0 * colorizer->color.blue * a, 255.0 * colorizer->color.green * a,
                           255.0 * colorizer->color.red * a};
    const double keep = 1.0 - a;
    for (std::uint32_t& p : bitmap->m_data->LockPixels()) {
        std::uint32_t out = p & 0xFF000000u;
        for (int i = 0; i < 3; ++i) {
            const double c = double((p >> (8 * i)) & 0xFFu);
            const double v = std::floor(c * keep + add[i] + 0.5);
            out |= static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0)) << (8 * i);
        }
        p = out;
    }
}

RCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, double alphaModulation,
                                              std::int32_t width, std::int32_t height, const ConstRCPtr<LBitmap>& image,
                                              const ConstRCPtr<LBitmap>& mask) {
    if (!colorizer) ORV_THROW_NO_TEXT(Runtime, "Orv::LBitmap::ApplyColorizer", 367);
    // An image that failed to load counts as no image.
    const bool hasImage = image && image->HasImage();
    const bool hasMask = mask && mask->HasImage();
    RCPtr<LBitmap> result;
    if (hasImage) {
        // A part may have an image or a mask, not both, when it is colorized.
        if (mask) ORV_THROW_NO_TEXT(Domain, "Orv::LBitmap::ApplyColorizer", 433);
        result = image->Clone();
    } else if (hasMask) {
        result = mask->Clone();
    } else {
        return CreateColorizerFill(*colorizer, alphaModulation, width, height);
    }
    ApplyColorizer(result, colorizer, alphaModulation);
    return result;
}

}  // namespace Orv
