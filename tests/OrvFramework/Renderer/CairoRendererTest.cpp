#include "OrvFramework/Renderer/Cairo/CairoRenderer.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include "OrvFramework/Utilities/Graphics/ErrorText.h"

#include <functional>
#include <string>

namespace Orv {
namespace {

constexpr LColor kRed{1.0f, 0.0f, 0.0f, 1.0f};
constexpr LColor kWhite{1.0f, 1.0f, 1.0f, 1.0f};

using Testing::ErrorOf;

// An offscreen surface painted black, and a renderer drawing into it.
class CairoRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 60);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        renderer = MakeRC<LCairoRenderer>(clock);
    }
    void TearDown() override {
        renderer->EndPaint(PaintTargetOf(surface));
        cairo_surface_destroy(surface);
    }
    std::uint32_t Pixel(int x, int y) {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        return reinterpret_cast<const std::uint32_t*>(data + y * cairo_image_surface_get_stride(surface))[x];
    }
    // A bitmap whose every pixel tells where it is: red = x, green = y.
    static RCPtr<LBitmap> Numbered(int width, int height) {
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels.push_back(0xFF000000u | (x << 16) | (y << 8));
        return MakeRC<LBitmap>(MakeRC<LBitmapData>(width, height, pixels));
    }

    Platform::VirtualClock clock;
    cairo_surface_t* surface = nullptr;
    RCPtr<LCairoRenderer> renderer;
};

TEST_F(CairoRendererTest, DrawingOutsideAPaintAndBadArgumentsRaise) {
    EXPECT_THROW(renderer->FillRect({0, 0, 1, 1}, kRed), std::runtime_error);
    std::string error = ErrorOf([&] { renderer->DrawBitmap(Numbered(2, 2), {0, 0, 2, 2}, 0); });
    EXPECT_EQ(error.rfind("Runtime Error : Orv::LCairoRenderer::DrawBitmap : ", 0), 0u) << error;
    unsigned char pixel[4];
    for (const Platform::PaintTarget& bad : {Platform::PaintTarget{}, Platform::PaintTarget{pixel, 1, 1, 3, false}})
        EXPECT_THROW(renderer->BeginPaint(bad), std::runtime_error);
    renderer->BeginPaint(PaintTargetOf(surface));
    error = ErrorOf([&] { renderer->DrawBitmap(Numbered(2, 2), {0, 0, 4, 4}, 7); });
    EXPECT_EQ(error.rfind("Invalid Argument : Invalid ResizeType passed to DrawBitmap. : "
                          "Orv::LCairoRenderer::DrawBitmap : ",
                          0),
              0u)
        << error;
    EXPECT_EQ(renderer->GetBitmapCache().GetCount(), 0u);
}

// A window hands out its own pixels: rows may be padded, and an opaque target's alpha byte is not
// the renderer's to keep. Drawing stays inside the rows and the target holds it when the paint ends.
TEST_F(CairoRendererTest, PaintsIntoAPlainPixelBufferWithPaddedRows) {
    for (const bool opaque : {false, true}) {
        SCOPED_TRACE(opaque);
        constexpr int kWidth = 5, kHeight = 3, kStride = 8 * 4;
        std::vector<std::uint32_t> pixels(kStride / 4 * kHeight, 0x12345678u);
        const Platform::PaintTarget target{reinterpret_cast<unsigned char*>(pixels.data()), kWidth, kHeight, kStride,
                                           opaque};
        renderer->BeginPaint(target);
        EXPECT_EQ(renderer->GetClipRect(), (LRect{0, 0, kWidth, kHeight}));
        renderer->FillRect({-10, -10, 100, 100}, kRed);
        renderer->EndPaint(target);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kStride / 4; ++x) {
                const std::uint32_t p = pixels[static_cast<std::size_t>(y) * (kStride / 4) + x];
                if (x < kWidth)
                    EXPECT_EQ(p & 0xFFFFFFu, 0xFF0000u) << x << "," << y;
                else
                    EXPECT_EQ(p, 0x12345678u) << "padding touched at " << x << "," << y;
            }
    }
}

TEST_F(CairoRendererTest, TileCoversTheDestinationWithClippedTiles) {
    renderer->BeginPaint(PaintTargetOf(surface));
    renderer->DrawBitmap(Numbered(64, 64), {0, 0, 100, 30}, ResizeTile);
    EXPECT_EQ(Pixel(63, 29), 0xFF3F1D00u);
    EXPECT_EQ(Pixel(64, 0), 0xFF000000u);   // second column starts again at x 0
    EXPECT_EQ(Pixel(99, 29), 0xFF231D00u);  // ... and is cut at 36 pixels
    // Nothing beyond the destination: black background, not tile pixels (which carry red or green).
    EXPECT_EQ(Pixel(100, 5), 0xFF000000u);
    EXPECT_EQ(Pixel(20, 30), 0xFF000000u);  // one row, cut at 30 pixels
}

TEST_F(CairoRendererTest, CenterPlacesTheSource) {
    renderer->BeginPaint(PaintTargetOf(surface));
    renderer->DrawBitmap(Numbered(10, 10), {0, 0, 21, 21}, ResizeCenter);
    EXPECT_EQ(Pixel(5, 5), 0xFF000000u);    // source (0, 0)
    EXPECT_EQ(Pixel(14, 14), 0xFF090900u);  // source (9, 9)
    EXPECT_EQ(Pixel(15, 15), 0xFF000000u);  // background
}

LBitmapCacheKey KeyOf(const LBitmap& b, int width, int height, int type) {
    const auto& d = b.GetData();
    return {d.Get(), d->GetGeneration(), b.GetX(), b.GetY(), b.GetWidth(), b.GetHeight(), width, height, type};
}

TEST_F(CairoRendererTest, CacheBuildsOnceAndEvictsTheLeastRecentlyUsed) {
    auto bitmap = Numbered(4, 4);
    renderer->BeginPaint(PaintTargetOf(surface));
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeTile);
    renderer->DrawBitmap(bitmap, {20, 20, 8.2, 7.6}, ResizeTile);  // same rounded size
    EXPECT_EQ(renderer->GetBitmapCache().GetCount(), 1u);
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeStretch);
    EXPECT_EQ(renderer->GetBitmapCache().GetCount(), 2u);

    for (int w = 1; w <= 300; ++w) {
        renderer->DrawBitmap(bitmap, {0, 0, double(w), 1}, ResizeCenter);
        renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeTile);  // kept in use
    }
    const auto& cache = renderer->GetBitmapCache();
    EXPECT_EQ(cache.GetCount(), LBitmapCache::Capacity);
    EXPECT_TRUE(cache.Contains(KeyOf(*bitmap, 8, 8, ResizeTile)));
    EXPECT_TRUE(cache.Contains(KeyOf(*bitmap, 300, 1, ResizeCenter)));
    EXPECT_FALSE(cache.Contains(KeyOf(*bitmap, 8, 8, ResizeStretch)));
    EXPECT_FALSE(cache.Contains(KeyOf(*bitmap, 1, 1, ResizeCenter)));
    EXPECT_TRUE(cache.Contains(KeyOf(*bitmap, 46, 1, ResizeCenter)));  // 255 newest centre sizes
    EXPECT_FALSE(cache.Contains(KeyOf(*bitmap, 45, 1, ResizeCenter)));

    // A recoloured bitmap is drawn afresh, not from the stale copy.
    LBitmap::ApplyColorizer(bitmap, MakeRC<LColorizer>(), 0.0);
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeTile);
    EXPECT_TRUE(cache.Contains(KeyOf(*bitmap, 8, 8, ResizeTile)));
}

TEST_F(CairoRendererTest, PurgeDropsEntriesUnusedSinceTheLastPurge) {
    auto a = Numbered(2, 2), b = Numbered(3, 3);
    auto paint = [&](std::initializer_list<RCPtr<LBitmap>> bitmaps) {
        renderer->BeginPaint(PaintTargetOf(surface));
        for (const auto& bm : bitmaps) renderer->DrawBitmap(bm, {0, 0, 4, 4}, ResizeTile);
        renderer->EndPaint(PaintTargetOf(surface));
    };
    const auto& cache = renderer->GetBitmapCache();
    paint({a, b});
    clock.Advance(std::chrono::minutes(5));
    paint({b});  // exactly five minutes: not yet
    EXPECT_EQ(cache.GetCount(), 2u);
    clock.Advance(std::chrono::milliseconds(1));
    paint({b});  // first purge: everything was used since the start
    EXPECT_EQ(cache.GetCount(), 2u);
    clock.Advance(std::chrono::minutes(6));
    paint({b});  // a unused since that purge
    EXPECT_EQ(cache.GetCount(), 1u);
    EXPECT_TRUE(cache.Contains(KeyOf(*b, 4, 4, ResizeTile)));
}

TEST_F(CairoRendererTest, StateStackTranslatesClipsAndBalances) {
    // Outside a paint the stack does nothing.
    renderer->PushTranslation({3, 3});
    EXPECT_EQ(renderer->GetStateDepth(), 0u);

    renderer->BeginPaint(PaintTargetOf(surface));
    const LRect fullClip{0, 0, 120, 60};
    renderer->PushTranslation({10, 5});
    EXPECT_EQ(renderer->GetClipRect(), (LRect{-10, -5, 120, 60}));  // same place on the target
    renderer->FillRect({0, 0, 1, 1}, kRed);
    EXPECT_EQ(Pixel(10, 5), 0xFFFF0000u);
    renderer->PushClip({2, 2, 3, 3});
    renderer->FillRect({0, 0, 50, 50}, kWhite);
    EXPECT_EQ(std::vector<std::uint32_t>({Pixel(12, 7), Pixel(14, 9), Pixel(15, 9), Pixel(11, 7)}),
              std::vector<std::uint32_t>({0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF000000u, 0xFF000000u}));
    for (int i = 0; i < 3; ++i) renderer->PopState();  // one too many: ignored
    EXPECT_EQ(renderer->GetStateDepth(), 0u);
    EXPECT_EQ(renderer->GetOrigin(), (LPoint{0, 0}));
    EXPECT_EQ(renderer->GetClipRect(), fullClip);
    // A paint that ends unbalanced leaves the next one clean.
    renderer->PushTranslation({7, 7});
    renderer->EndPaint(PaintTargetOf(surface));
    renderer->BeginPaint(PaintTargetOf(surface));
    EXPECT_EQ(renderer->GetStateDepth(), 0u);
    EXPECT_EQ(renderer->GetClipRect(), fullClip);
}

// ---- text ----

const LFontDescription kArial{String(u"Arial"), 8.25, 0};

TEST_F(CairoRendererTest, BreaksBeforeAKoreanParticleWithoutAHyphen) {
    // Room for "Varnet" but not for the particle after it: the particle goes to the next line and
    // the first line is "Varnet" alone, not "Varnet-".
    const double varnet = renderer->MeasureText(kArial, W("Varnet")).size.width;
    const LTextMeasurement wrapped = renderer->MeasureText(kArial, String(u"Varnet\uC758"), {}, varnet + 3.0);
    EXPECT_EQ(wrapped.lineCount, 2);
    EXPECT_NEAR(wrapped.size.width, varnet, 0.5);
}

}  // namespace
}  // namespace Orv
