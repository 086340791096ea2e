#pragma once
// A rectangle of a shared decoded image, and the colorizer operations that make bitmaps from
// colours, images and masks.
#include <cstdint>

#include "OrvFramework/Utilities/Graphics/Colorizer.h"
#include "OrvFramework/Utilities/Graphics/BitmapData.h"

namespace Orv {

class LBitmap : public LRefCountedObject {
public:
    // The rectangle (x, y, width, height) of the image at path ("::Name.png" names a resource).
    LBitmap(const String& path, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    // The whole of an image.
    explicit LBitmap(RCPtr<LBitmapData> data);
    LBitmap(RCPtr<LBitmapData> data, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

    bool HasImage() const;
    std::int32_t GetX() const { return m_x; }
    std::int32_t GetY() const { return m_y; }
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    ConstRCPtr<LBitmapData> GetData() const { return m_data; }

    // The pixel (x, y) of the rectangle as 0xAARRGGBB; outside the rectangle or the image it is
    // 0x00FFFFFF (fully transparent white), the hit-testing convention.
    std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;

    // A new bitmap with its own copy of this rectangle's pixels.
    RCPtr<LBitmap> Clone() const;

    // Whether the rectangle lies wholly inside the image (else Clone gives the drawable copy).
    bool IsInsideImage() const;

    static RCPtr<LBitmap> CreateFilledBitmap(std::int32_t width, std::int32_t height, const LColor& color);
    // Gradients are not drawn into bitmaps: no gradient facility is installed, so this raises a
    // domain error.
    static RCPtr<LBitmap> CreateGradientFilledBitmap(std::int32_t width, std::int32_t height, const LColor& color1,
                                                     const LColor& color2, LPoint start, LPoint end, bool radial);
    // Blends the colorizer's colour over every pixel, alpha unchanged. Recolours this bitmap only:
    // when its pixels are shared with other bitmaps it first takes a private copy.
    static void ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                               double alphaModulation);
    // A colorized copy of the image or the mask, or a fill of the size when there is neither.
    static RCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, double alphaModulation,
                                                std::int32_t width, std::int32_t height,
                                                const ConstRCPtr<LBitmap>& image, const ConstRCPtr<LBitmap>& mask);

private:
    static bool IsGradient(const LColorizer& colorizer);
    static RCPtr<LBitmap> CreateColorizerFill(const LColorizer& colorizer, double alphaModulation, std::int32_t width,
                                              std::int32_t height);

    RCPtr<LBitmapData> m_data;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

}  // namespace Orv
