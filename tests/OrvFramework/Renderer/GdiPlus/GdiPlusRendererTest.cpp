// What only the GDI+ backend has: the clip region applied to the graphics, and PNG decoding that
// takes nothing but whole PNGs (GDI+ itself would read other formats and cut-off files). Its font
// choice for East Asian text: every page in every language, in the language pages test.
#include "OrvFramework/Renderer/GdiPlus/GdiPlusRenderer.h"

#include <gtest/gtest.h>

#include <thread>

#include "OrvFramework/Utilities/Graphics/ImageDecoder.h"
#include "OrvFramework/Utilities/Graphics/PngEncoder.h"

namespace Orv {
namespace {

TEST(GdiPlusRenderer, TheClipRegionNarrowsTheClip) {
    Platform::VirtualClock clock;
    LGDIRenderer renderer(clock);
    std::vector<std::uint32_t> pixels(20 * 10, 0xFF000000u);
    const Platform::PaintTarget target{reinterpret_cast<unsigned char*>(pixels.data()), 20, 10, 80, true};
    renderer.BeginPaint(target);
    renderer.PushTranslation({2, 0});
    renderer.SetClipRegion(MakeRC<LRegion>(std::vector<LRect>{{0, 0, 2, 2}, {5, 5, 1, 1}}));
    renderer.PushClip({0, 0, 100, 100});  // applies the state
    renderer.FillRect({0, 0, 20, 10}, {1.0f, 1.0f, 1.0f, 1.0f});
    renderer.EndPaint(target);
    int white = 0;
    for (const std::uint32_t p : pixels) white += (p & 0xFFFFFFu) == 0xFFFFFFu;
    EXPECT_EQ(white, 5);
    EXPECT_EQ(pixels[0 * 20 + 2] & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(pixels[5 * 20 + 7] & 0xFFFFFFu, 0xFFFFFFu);
}

// A 1 x 1 Windows bitmap file, which GDI+ reads as readily as a PNG.
std::vector<unsigned char> TinyBmp() {
    std::vector<unsigned char> b = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0, 0,   0, 1, 0,
                                    0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,  0, 0,   0, 0, 0,
                                    0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  0, 255, 0};
    return b;
}

TEST(GdiPlusImages, DecodesWholePngsOnlyFromAnyThread) {
    const std::vector<std::uint32_t> argb = {0x80FF0000u, 0xFF00FF00u, 0x00000000u, 0xFF0000FFu};
    const std::vector<unsigned char> png = Testing::EncodePng(2, 2, argb);
    std::vector<LDecodedImage> decoded(4);
    std::vector<std::thread> threads;
    for (auto& d : decoded) threads.emplace_back([&d, &png] { d = DecodePng(png); });
    for (auto& t : threads) t.join();
    for (const LDecodedImage& d : decoded) {
        EXPECT_EQ(d.status, ImageOk);
        EXPECT_EQ(d.pixels, argb);  // straight, not premultiplied
    }
    const std::vector<unsigned char> cut(png.begin(), png.end() - 13);  // IEND lost
    EXPECT_EQ(DecodePng(cut).status, ImageReadError);
    const LDecodedImage bmp = DecodePng(TinyBmp());
    EXPECT_NE(bmp.status, ImageOk);
    EXPECT_TRUE(bmp.pixels.empty());
    EXPECT_EQ(DecodePngFile("C:\\no\\such\\file.png").status, ImageFileNotFound);
}

}  // namespace
}  // namespace Orv
