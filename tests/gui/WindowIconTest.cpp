// The window's icon comes from the program's embedded resource with straight (not premultiplied)
// colours: an opaque dark tile with transparent rounded corners.
#include <gtest/gtest.h>

#include "OrvFramework/ControlBase/OSWindow.h"

namespace Orv {
namespace {

TEST(WindowIcon, IsTheEmbeddedFortyEightPixelIcon) {
    const RCPtr<LBitmapData> icon = LoadWindowIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->GetWidth(), 48);
    EXPECT_EQ(icon->GetHeight(), 48);
    auto pixel = [&](int x, int y) { return icon->GetPixels()[static_cast<std::size_t>(y) * 48 + x]; };
    EXPECT_EQ(pixel(0, 0) >> 24, 0u) << "the corner is rounded off";
    EXPECT_EQ(pixel(24, 4) >> 24, 255u) << "the tile is opaque";
    // A half-covered pixel on the tile's left edge (row 37: below the device, above the rounded
    // corner) keeps the tile's colour instead of turning dark.
    constexpr int kRow = 37;
    int edge = -1;
    for (int x = 0; x < 8 && edge < 0; ++x)
        if ((pixel(x, kRow) >> 24) > 0 && (pixel(x, kRow) >> 24) < 255) edge = x;
    ASSERT_GE(edge, 0) << "no soft edge";
    const std::uint32_t p = pixel(edge, kRow), inside = pixel(edge + 2, kRow);
    EXPECT_EQ(inside >> 24, 255u);
    EXPECT_NEAR(int((p >> 8) & 0xFF), int((inside >> 8) & 0xFF), 8) << std::hex << p << " " << inside;
}

}  // namespace
}  // namespace Orv
