#pragma once
// Points, sizes and rectangles in 64-bit floating point, the packed 0xAARRGGBB colour, and the
// half-away-from-zero rounding every whole-pixel decision uses.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "OrvFramework/Utilities/Graphics/Colorizer.h"
#include "OrvFramework/ObjectBase/RefCountedObject.h"

namespace Orv {

struct LPoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const LPoint&) const = default;
};

struct LSize {
    double width = 0.0;
    double height = 0.0;
    bool operator==(const LSize&) const = default;
};

struct LRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    bool operator==(const LRect&) const = default;

    double Right() const { return x + width; }
    double Bottom() const { return y + height; }
    bool IsEmpty() const { return !(width > 0.0) || !(height > 0.0); }
    // The common part of two rectangles; an empty rectangle (zero size) when they do not meet.
    LRect Intersect(const LRect& other) const {
        const double left = std::max(x, other.x);
        const double top = std::max(y, other.y);
        const double right = std::min(Right(), other.Right());
        const double bottom = std::min(Bottom(), other.Bottom());
        if (!(right > left) || !(bottom > top)) return {left, top, 0.0, 0.0};
        return {left, top, right - left, bottom - top};
    }
};

// A list of rectangles (an update or clip region), shared between render states.
class LRegion : public LRefCountedObject {
public:
    LRegion() = default;
    explicit LRegion(std::vector<LRect> rects) : m_rects(std::move(rects)) {}
    const std::vector<LRect>& GetRects() const { return m_rects; }

private:
    std::vector<LRect> m_rects;
};

// Rounds halves away from zero and clamps to the 32-bit range (NaN gives 0).
inline std::int32_t RoundToInt(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::round(value);
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

// One colour channel 0.0..1.0 as a byte: times 255, rounded half away from zero, clamped.
inline std::uint32_t ChannelToByte(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<std::uint32_t>(std::clamp(std::round(value * 255.0), 0.0, 255.0));
}

inline std::uint32_t PackColor(const LColor& c) {
    return (ChannelToByte(c.alpha) << 24) | (ChannelToByte(c.red) << 16) | (ChannelToByte(c.green) << 8) |
           ChannelToByte(c.blue);
}

inline LColor UnpackColor(std::uint32_t argb) {
    auto f = [](std::uint32_t b) { return static_cast<float>(b & 0xFFu) / 255.0f; };
    return {f(argb >> 16), f(argb >> 8), f(argb), f(argb >> 24)};
}

}  // namespace Orv
