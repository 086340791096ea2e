// The renderer contract, run against the drawing backend of the build (Cairo or GDI+): painting
// into a plain pixel buffer as a window hands it out, the resize types, the bitmap cache and its
// purge, the state stack, text layout.
#ifdef _WIN32
#include "OrvFramework/Renderer/GdiPlus/GdiPlusRenderer.h"
#else
#include "OrvFramework/Renderer/Cairo/CairoRenderer.h"
#endif

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "OrvFramework/Utilities/Graphics/ErrorText.h"

namespace Orv {
namespace {

#ifdef _WIN32
using BackendRenderer = LGDIRenderer;
constexpr int kBackendType = LRenderer::TypeGdiPlus, kOtherType = LRenderer::TypeCairo;
#else
using BackendRenderer = LCairoRenderer;
constexpr int kBackendType = LRenderer::TypeCairo, kOtherType = LRenderer::TypeGdiPlus;
#endif

constexpr LColor kRed{1.0f, 0.0f, 0.0f, 1.0f};
constexpr LColor kWhite{1.0f, 1.0f, 1.0f, 1.0f};
constexpr std::uint32_t kBlack = 0xFF000000u;

using Testing::ErrorOf;

// A 120 x 60 buffer painted black, and a renderer drawing into it.
class RendererTest : public ::testing::Test {
protected:
    void SetUp() override { renderer = MakeRC<BackendRenderer>(clock); }
    void TearDown() override { renderer->EndPaint(target); }
    std::uint32_t Pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * kWidth + x]; }
    void Paint(const std::function<void()>& draw) {
        renderer->BeginPaint(target);
        draw();
        renderer->EndPaint(target);
    }
    // A bitmap whose every pixel tells where it is: red = x, green = y.
    static RCPtr<LBitmap> Numbered(int width, int height) {
        std::vector<std::uint32_t> p;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) p.push_back(0xFF000000u | (x << 16) | (y << 8));
        return MakeRC<LBitmap>(MakeRC<LBitmapData>(width, height, p));
    }

    static constexpr int kWidth = 120, kHeight = 60;
    Platform::VirtualClock clock;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kWidth * kHeight, kBlack);
    Platform::PaintTarget target{reinterpret_cast<unsigned char*>(pixels.data()), kWidth, kHeight, kWidth * 4, false};
    RCPtr<BackendRenderer> renderer;
};

TEST_F(RendererTest, WrongTypesDrawingOutsideAPaintAndBadArgumentsRaise) {
    EXPECT_TRUE(LRenderer::Create(kBackendType, {0, 0, 10, 10}, nullptr));
    for (const int type : {kOtherType, int(LRenderer::TypeDirect3D9), 3}) {
        const std::string error = ErrorOf([&] { LRenderer::Create(type, {0, 0, 10, 10}, nullptr); });
        EXPECT_EQ(error.rfind("Domain Error : Orv::LRenderer::Create", 0), 0u) << type << ": " << error;
    }
    EXPECT_THROW(renderer->FillRect({0, 0, 1, 1}, kRed), std::runtime_error);
    EXPECT_THROW(renderer->DrawText(W("x"), LFontDescription{}, kRed, LPoint{0, 0}), std::runtime_error);
    std::string error = ErrorOf([&] { renderer->DrawBitmap(Numbered(2, 2), {0, 0, 2, 2}, 0); });
    EXPECT_EQ(error.rfind("Runtime Error : Orv::L", 0), 0u) << error;
    EXPECT_NE(error.find("Renderer::DrawBitmap : "), std::string::npos) << error;
    unsigned char pixel[4];
    for (const Platform::PaintTarget& bad : {Platform::PaintTarget{}, Platform::PaintTarget{pixel, 1, 1, 3, false}})
        EXPECT_THROW(renderer->BeginPaint(bad), std::runtime_error);
    renderer->BeginPaint(target);
    EXPECT_THROW(renderer->BeginPaint(target), std::logic_error);
    error = ErrorOf([&] { renderer->DrawBitmap(Numbered(2, 2), {0, 0, 4, 4}, 7); });
    EXPECT_EQ(error.rfind("Invalid Argument : Invalid ResizeType passed to DrawBitmap. : Orv::L", 0), 0u) << error;
    EXPECT_EQ(renderer->GetBitmapCache().GetCount(), 0u);
    // A destination too large to build a copy for is not drawn, and the paint goes on.
    EXPECT_NO_THROW(renderer->DrawBitmap(Numbered(2, 2), {0, 0, 1e6, 1e6}, ResizeTile));
    renderer->FillRect({0, 0, 1, 1}, kRed);
    EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
}

// A window hands out its own pixels: rows may be padded, and an opaque target's alpha byte is not
// the renderer's to keep. Drawing stays inside the rows and the target holds it when the paint ends.
TEST_F(RendererTest, PaintsIntoAPlainPixelBufferWithPaddedRows) {
    for (const bool opaque : {false, true}) {
        SCOPED_TRACE(opaque);
        constexpr int kW = 5, kH = 3, kStride = 8 * 4;
        std::vector<std::uint32_t> padded(kStride / 4 * kH, 0x12345678u);
        const Platform::PaintTarget small{reinterpret_cast<unsigned char*>(padded.data()), kW, kH, kStride, opaque};
        renderer->BeginPaint(small);
        EXPECT_EQ(renderer->GetClipRect(), (LRect{0, 0, kW, kH}));
        renderer->FillRect({-10, -10, 100, 100}, kRed);
        renderer->EndPaint(small);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kStride / 4; ++x) {
                const std::uint32_t p = padded[static_cast<std::size_t>(y) * (kStride / 4) + x];
                if (x < kW)
                    EXPECT_EQ(p & 0xFFFFFFu, 0xFF0000u) << x << "," << y;
                else
                    EXPECT_EQ(p, 0x12345678u) << "padding touched at " << x << "," << y;
            }
    }
}

// Each resize type's pixels at the edges of the destination, and nothing beyond it.
TEST_F(RendererTest, ResizeTypesPlaceTheSource) {
    constexpr std::uint32_t kGrey = 0xFF808080u;  // the background; the sources' (0, 0) is black
    struct Case {
        int type, size;
        LRect destination;
        std::vector<std::array<std::uint32_t, 3>> expected;  // x, y, pixel
    };
    const Case cases[] = {
        // Two columns of 64 x 64 tiles, the second cut at 36 pixels; one row, cut at 30.
        {ResizeTile,
         64,
         {0, 0, 100, 30},
         {{63, 29, 0xFF3F1D00u}, {64, 0, kBlack}, {99, 29, 0xFF231D00u}, {100, 5, kGrey}, {20, 30, kGrey}}},
        // At its own size, the odd pixel to the right and bottom.
        {ResizeCenter, 10, {0, 0, 21, 21}, {{5, 5, kBlack}, {14, 14, 0xFF090900u}, {15, 15, kGrey}, {4, 4, kGrey}}},
        // Doubled: the corners keep the corner pixels (edges repeated outward, not faded).
        {ResizeStretch,
         2,
         {10, 10, 4, 4},
         {{10, 10, kBlack}, {13, 13, 0xFF010100u}, {13, 10, 0xFF010000u}, {14, 14, kGrey}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        std::fill(pixels.begin(), pixels.end(), kGrey);
        Paint([&] { renderer->DrawBitmap(Numbered(c.size, c.size), c.destination, c.type); });
        for (const auto& [x, y, value] : c.expected) EXPECT_EQ(Pixel(int(x), int(y)), value) << x << "," << y;
    }
}

LBitmapCacheKey KeyOf(const LBitmap& b, int width, int height, int type) {
    const auto& d = b.GetData();
    return {d.Get(), d->GetGeneration(), b.GetX(), b.GetY(), b.GetWidth(), b.GetHeight(), width, height, type};
}

TEST_F(RendererTest, CacheBuildsOnceEvictsTheLeastRecentlyUsedAndPurgesTheUnused) {
    auto bitmap = Numbered(4, 4), other = Numbered(3, 3);
    const auto& cache = renderer->GetBitmapCache();
    renderer->BeginPaint(target);
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeTile);
    renderer->DrawBitmap(bitmap, {20, 20, 8.2, 7.6}, ResizeTile);  // same rounded size
    EXPECT_EQ(cache.GetCount(), 1u);
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeStretch);
    for (int w = 1; w <= 300; ++w) {
        renderer->DrawBitmap(bitmap, {0, 0, double(w), 1}, ResizeCenter);
        renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeTile);  // kept in use
    }
    EXPECT_EQ(cache.GetCount(), LBitmapCache::Capacity);
    EXPECT_TRUE(cache.Contains(KeyOf(*bitmap, 8, 8, ResizeTile)));
    EXPECT_FALSE(cache.Contains(KeyOf(*bitmap, 8, 8, ResizeStretch)));
    EXPECT_TRUE(cache.Contains(KeyOf(*bitmap, 46, 1, ResizeCenter)));  // the 255 newest centre sizes
    EXPECT_FALSE(cache.Contains(KeyOf(*bitmap, 45, 1, ResizeCenter)));
    // A recoloured bitmap is drawn afresh, not from the stale copy.
    LBitmap::ApplyColorizer(bitmap, MakeRC<LColorizer>(), 0.0);
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, ResizeTile);
    EXPECT_TRUE(cache.Contains(KeyOf(*bitmap, 8, 8, ResizeTile)));
    renderer->EndPaint(target);

    // Purge: at the end of a paint more than five minutes after the last one, what was not used
    // since that purge goes.
    auto paint = [&](std::initializer_list<RCPtr<LBitmap>> bitmaps) {
        Paint([&] {
            for (const auto& bm : bitmaps) renderer->DrawBitmap(bm, {0, 0, 4, 4}, ResizeTile);
        });
    };
    paint({other});
    const std::size_t all = cache.GetCount();
    clock.Advance(std::chrono::minutes(5));
    paint({other});  // exactly five minutes: not yet
    EXPECT_EQ(cache.GetCount(), all);
    clock.Advance(std::chrono::milliseconds(1));
    paint({other});  // first purge: everything was used since the start
    EXPECT_EQ(cache.GetCount(), all);
    clock.Advance(std::chrono::minutes(6));
    paint({other});
    EXPECT_EQ(cache.GetCount(), 1u);
    EXPECT_TRUE(cache.Contains(KeyOf(*other, 4, 4, ResizeTile)));
}

TEST_F(RendererTest, StateStackTranslatesClipsFadesAndBalances) {
    // Outside a paint the stack does nothing.
    renderer->PushTranslation({3, 3});
    EXPECT_EQ(renderer->GetStateDepth(), 0u);

    renderer->BeginPaint(target);
    const LRect fullClip{0, 0, kWidth, kHeight};
    renderer->PushTranslation({10, 5});
    EXPECT_EQ(renderer->GetClipRect(), (LRect{-10, -5, 120, 60}));  // same place on the target
    renderer->FillRect({0, 0, 1, 1}, kRed);
    EXPECT_EQ(Pixel(10, 5), 0xFFFF0000u);
    renderer->PushClip({2, 2, 3, 3});
    renderer->FillRect({0, 0, 50, 50}, kWhite);
    EXPECT_EQ(std::vector<std::uint32_t>({Pixel(12, 7), Pixel(14, 9), Pixel(15, 9), Pixel(11, 7)}),
              std::vector<std::uint32_t>({0xFFFFFFFFu, 0xFFFFFFFFu, kBlack, kBlack}));
    for (int i = 0; i < 3; ++i) renderer->PopState();  // one too many: ignored
    EXPECT_EQ(renderer->GetStateDepth(), 0u);
    EXPECT_EQ(renderer->GetOrigin(), (LPoint{0, 0}));
    EXPECT_EQ(renderer->GetClipRect(), fullClip);
    // Opacity fades fills and bitmaps alike.
    renderer->SetOpacity(0.5f);
    renderer->FillRect({30, 0, 1, 1}, kWhite);
    renderer->DrawBitmap(LBitmap::CreateFilledBitmap(1, 1, kWhite), {31, 0, 1, 1}, ResizeStretch);
    for (const int x : {30, 31}) {
        const std::uint32_t grey = (Pixel(x, 0) >> 8) & 0xFF;
        EXPECT_NEAR(double(grey), 128.0, 2.0) << x;
    }
    renderer->SetOpacity(1.0f);
    // A paint that ends unbalanced leaves the next one clean.
    renderer->PushTranslation({7, 7});
    renderer->EndPaint(target);
    renderer->BeginPaint(target);
    EXPECT_EQ(renderer->GetStateDepth(), 0u);
    EXPECT_EQ(renderer->GetClipRect(), fullClip);
}

// ---- text ----

const LFontDescription kArial{String(u"Arial"), 8.25, 0};

// Measured: ranges, line feeds, wrapping at spaces and before a Korean particle (no hyphen drawn);
// drawn: where measured, centred in its box, and nowhere else.
TEST_F(RendererTest, TextIsMeasuredWrappedAndDrawnWhereMeasured) {
    const LTextMeasurement one = renderer->MeasureText(kArial, W("Varnet"), {{0, 1}, {5, 1}, {4, 0}, {9, 2}});
    EXPECT_EQ(one.lineCount, 1);
    ASSERT_EQ(one.rangeBounds.size(), 4u);
    EXPECT_NEAR(one.rangeBounds[0].x, 0.0, 1.0);
    EXPECT_NEAR(one.rangeBounds[1].Right(), one.size.width, 1.0);               // "t" ends the word
    EXPECT_TRUE(one.rangeBounds[2].IsEmpty() && one.rangeBounds[3].IsEmpty());  // empty, out of range
    EXPECT_EQ(renderer->MeasureText(kArial, W("a\nb")).lineCount, 2);
    const LTextMeasurement wrapped = renderer->MeasureText(kArial, W("Varnet Varnet"), {{7, 6}}, one.size.width + 3.0);
    EXPECT_EQ(wrapped.lineCount, 2);
    EXPECT_GT(wrapped.rangeBounds[0].y, one.size.height * 0.5);
    const String korean(u"Varnet\uC758");
    const double varnet = renderer->MeasureText(kArial, korean, {{0, 6}}).rangeBounds[0].Right();
    const LTextMeasurement broken = renderer->MeasureText(kArial, korean, {}, varnet + 3.0);
    EXPECT_EQ(broken.lineCount, 2);
    EXPECT_NEAR(broken.size.width, varnet, 0.5);

    const LRect box{10, 10, 100, 40};
    Paint([&] { renderer->DrawText(W("Varnet"), kArial, kWhite, box, LTextFormat{false, 0.5, 0.5}); });
    const LRect at{box.x + (box.width - one.size.width) / 2 - 1.5, box.y + (box.height - one.size.height) / 2 - 1.5,
                   one.size.width + 3, one.size.height + 3};
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (Pixel(x, y) != kBlack)
                ++(x >= at.x && x < at.Right() && y >= at.y && y < at.Bottom() ? inside : outside);
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
    const LRect ink = renderer->GetTextBounds(kArial, W("Varnet"));
    EXPECT_GT(ink.width, one.size.width * 0.8);
    EXPECT_LE(ink.Right(), one.size.width + 1.0);
}

}  // namespace
}  // namespace Orv
