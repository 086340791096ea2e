#include "OrvFramework/ControlBase/VisualPart.h"

#include <algorithm>
#include <cmath>

#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {

namespace {

constexpr std::uint32_t kTransparentWhite = 0x00FFFFFFu;

ConstRCPtr<LBitmap> LoadRectangle(const std::optional<LImageReference>& image) {
    if (!image) return nullptr;
    return MakeRC<LBitmap>(image->file, image->x, image->y, image->width, image->height);
}

bool IsGradient(const LColorizer& colorizer) { return colorizer.type != LColorizer::Solid; }

}  // namespace

LVisualPart::LVisualPart(const LVisualPartDescriptor& descriptor)
    : m_name(descriptor.name),
      m_width(descriptor.width),
      m_height(descriptor.height),
      m_resizeType(descriptor.resizeType),
      m_colorizer(descriptor.colorizer),
      m_alphaModulation(descriptor.colorizerAlphaMod) {
    ConstRCPtr<LBitmap> image = LoadRectangle(descriptor.image);
    m_mask = LoadRectangle(descriptor.mask);
    if (image) {
        m_width = image->GetWidth();
        m_height = image->GetHeight();
    }
    if (m_colorizer && (image || m_mask || IsGradient(*m_colorizer))) {
        m_bitmap = LBitmap::CreateColorizedBitmap(m_colorizer, m_alphaModulation, m_width, m_height, image, m_mask);
        if (m_bitmap) {
            m_width = m_bitmap->GetWidth();
            m_height = m_bitmap->GetHeight();
        }
    } else {
        m_bitmap = image;
    }
}

bool LVisualPart::Draw(LRenderer& renderer, LSize size) const {
    const double width = RoundToInt(size.width);
    const double height = RoundToInt(size.height);
    if (m_bitmap) {
        renderer.DrawBitmap(m_bitmap, {0.0, 0.0, width, height}, m_resizeType);
        return true;
    }
    if (!m_colorizer)
        ORV_THROW(Runtime, "The part has neither a bitmap nor a colorizer.", "Orv::LVisualPart::Draw", 220);
    LColor color = m_colorizer->color;
    color.alpha = static_cast<float>(color.alpha * m_alphaModulation);
    if (!(color.alpha > 0.0f)) return false;
    LRect fill{0.0, 0.0, width, height};
    if (m_resizeType == ResizeCenter) {
        fill = {static_cast<double>((RoundToInt(width) - m_width) / 2),
                static_cast<double>((RoundToInt(height) - m_height) / 2), static_cast<double>(m_width),
                static_cast<double>(m_height)};
    }
    renderer.FillRect(fill, color);
    return true;
}

std::uint32_t LVisualPart::GetPixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return kTransparentWhite;
    if (m_bitmap) return m_bitmap->GetPixel(x, y);
    if (!m_colorizer)
        ORV_THROW(Runtime, "The part has neither a bitmap nor a colorizer.", "Orv::LVisualPart::GetColorAtPoint", 93);
    if (m_colorizer->type == LColorizer::LinearGradient)
        ORV_THROW(Runtime, "A linear gradient part has no bitmap.", "Orv::LVisualPart::GetColorAtPoint", 78);
    if (m_colorizer->type == LColorizer::RadialGradient)
        ORV_THROW(Runtime, "A radial gradient part has no bitmap.", "Orv::LVisualPart::GetColorAtPoint", 83);
    LColor color = m_colorizer->color;
    color.alpha = static_cast<float>(color.alpha * m_alphaModulation);
    return PackColor(color);
}

std::uint32_t LVisualPart::FilterShrunk(LPoint point, LSize areaSize) const {
    const double sx = m_width / areaSize.width;
    const double sy = m_height / areaSize.height;
    const auto x0 = static_cast<std::int32_t>(std::floor(point.x * sx));
    const auto y0 = static_cast<std::int32_t>(std::floor(point.y * sy));
    const auto x1 = std::max(x0 + 1, static_cast<std::int32_t>(std::ceil((point.x + 1.0) * sx)));
    const auto y1 = std::max(y0 + 1, static_cast<std::int32_t>(std::ceil((point.y + 1.0) * sy)));
    if (x0 < 0 || y0 < 0 || x0 >= m_width || y0 >= m_height) return kTransparentWhite;
    double sum[4] = {0, 0, 0, 0};
    int count = 0;
    for (std::int32_t y = y0; y < std::min(y1, m_height); ++y) {
        for (std::int32_t x = x0; x < std::min(x1, m_width); ++x) {
            const std::uint32_t p = GetPixel(x, y);
            for (int c = 0; c < 4; ++c) sum[c] += (p >> (24 - 8 * c)) & 0xFFu;
            ++count;
        }
    }
    std::uint32_t result = 0;
    for (int c = 0; c < 4; ++c) result |= static_cast<std::uint32_t>(std::lround(sum[c] / count)) << (24 - 8 * c);
    return result;
}

std::uint32_t LVisualPart::GetColorAtPoint(LPoint point, LSize areaSize) const {
    const bool sameSize = RoundToInt(areaSize.width) == m_width && RoundToInt(areaSize.height) == m_height;
    if (sameSize) return GetPixel(RoundToInt(point.x), RoundToInt(point.y));
    switch (m_resizeType) {
    case ResizeTile: {
        if (m_width <= 0 || m_height <= 0) return kTransparentWhite;
        return GetPixel(RoundToInt(point.x) % m_width, RoundToInt(point.y) % m_height);
    }
    case ResizeCenter:
        return GetPixel(RoundToInt(point.x - (areaSize.width - m_width) * 0.5),
                        RoundToInt(point.y - (areaSize.height - m_height) * 0.5));
    case ResizeStretch:
        if (!(areaSize.width > 0.0) || !(areaSize.height > 0.0)) return kTransparentWhite;
        if (areaSize.width >= m_width && areaSize.height >= m_height) {
            return GetPixel(static_cast<std::int32_t>(std::trunc(point.x * (m_width / areaSize.width))),
                            static_cast<std::int32_t>(std::trunc(point.y * (m_height / areaSize.height))));
        }
        return FilterShrunk(point, areaSize);
    default:
        ORV_THROW(Runtime, "Unknown resize type.", "Orv::LVisualPart::GetColorAtPoint", 167);
    }
}

}  // namespace Orv
