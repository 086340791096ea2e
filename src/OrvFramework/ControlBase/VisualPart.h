#pragma once
// The runtime form of one visual part: a bitmap (colorized when the skin asks for it) or a plain
// solid colour, drawn into an area by its resize type and asked for its colour when hit-testing.
#include <cstdint>

#include "OrvFramework/ControlBase/VisualPartDescriptor.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {

class LVisualPart : public LRefCountedObject {
public:
    // Loads the image rectangle; a colorizer with an image, a mask or a gradient turns the part
    // into a colorized bitmap, so afterwards it is either a bitmap part or a solid part.
    explicit LVisualPart(const LVisualPartDescriptor& descriptor);

    const String& GetName() const { return m_name; }
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    int GetResizeType() const { return m_resizeType; }
    ConstRCPtr<LBitmap> GetBitmap() const { return m_bitmap; }
    ConstRCPtr<LColorizer> GetColorizer() const { return m_colorizer; }
    double GetAlphaModulation() const { return m_alphaModulation; }

    // Draws into (0, 0, size) of the renderer's current coordinates; true when something was
    // drawn. A part with neither bitmap nor colorizer raises a runtime error.
    bool Draw(LRenderer& renderer, LSize size) const;
    // The colour (0xAARRGGBB) shown at point when the part fills an area of areaSize; outside the
    // part it is 0x00FFFFFF.
    std::uint32_t GetColorAtPoint(LPoint point, LSize areaSize) const;

private:
    std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;
    // Box-filters the bitmap pixels a destination pixel covers when the part is shown shrunk.
    std::uint32_t FilterShrunk(LPoint point, LSize areaSize) const;

    String m_name;
    ConstRCPtr<LBitmap> m_bitmap;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    int m_resizeType = ResizeStretch;
    ConstRCPtr<LColorizer> m_colorizer;
    double m_alphaModulation = 1.0;
    ConstRCPtr<LBitmap> m_mask;
};

}  // namespace Orv
