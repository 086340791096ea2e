#include "OrvFramework/Utilities/Graphics/Bitmap.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include "OrvFramework/Utilities/Graphics/ErrorText.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "OrvFramework/Platform/Resources.h"
#include "OrvFramework/Renderer/Cairo/CairoImages.h"

namespace Orv {
namespace {

// Encodes a small ARGB image as PNG bytes through Cairo.
std::vector<unsigned char> EncodePng(int width, int height, const std::vector<std::uint32_t>& argb) {
    auto data = MakeRC<LBitmapData>(width, height, argb);
    cairo_surface_t* surface = CreateCairoSurface(*data, 0, 0, width, height);
    std::vector<unsigned char> bytes;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* p, unsigned int n) {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), p, p + n);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(surface);
    return bytes;
}

using Testing::ErrorOf;

RCPtr<LColorizer> Solid(LColor color, int type = LColorizer::Solid) {
    auto c = MakeRC<LColorizer>();
    c->type = type;
    c->color = color;
    c->gradientEndColor = color;
    return c;
}

TEST(BitmapTest, FilledBitmapPacksColourAndRejectsEmptySizes) {
    auto bitmap = LBitmap::CreateFilledBitmap(1, 1, {1.0f, 0.0f, 0.0f, 0.5f});
    EXPECT_EQ(bitmap->GetPixel(0, 0), 0x80FF0000u);
    EXPECT_EQ(bitmap->GetPixel(1, 0), 0x00FFFFFFu);
    EXPECT_EQ(bitmap->GetPixel(-1, 0), 0x00FFFFFFu);
    const std::string error = ErrorOf([] { LBitmap::CreateFilledBitmap(0, 5, {}); });
    EXPECT_EQ(error.rfind("Runtime Error : Orv::LBitmap::CreateFilledBitmap : ", 0), 0u) << error;
    EXPECT_THROW(LBitmap::CreateFilledBitmap(3, -1, {}), std::runtime_error);
}

TEST(BitmapTest, ApplyColorizerBlendsEachChannelAndKeepsAlpha) {
    auto bitmap = MakeRC<LBitmap>(MakeRC<LBitmapData>(
        3, 1, std::vector<std::uint32_t>{0xFF0000FFu, 0x40FFFFFFu, 0x00000000u}));
    LBitmap::ApplyColorizer(bitmap, Solid({1.0f, 0.0f, 0.0f, 1.0f}), 0.5);
    EXPECT_EQ(bitmap->GetPixel(0, 0), 0xFF800080u);  // 127.5 rounds up on both channels
    EXPECT_EQ(bitmap->GetPixel(1, 0), 0x40FF8080u);
    EXPECT_EQ(bitmap->GetPixel(2, 0), 0x00800000u);
    // Full strength replaces the colour entirely.
    LBitmap::ApplyColorizer(bitmap, Solid({0.0f, 1.0f, 0.0f, 1.0f}), 1.0);
    EXPECT_EQ(bitmap->GetPixel(0, 0), 0xFF00FF00u);
    EXPECT_THROW(LBitmap::ApplyColorizer(nullptr, Solid({}), 1.0), std::runtime_error);
    const std::string error = ErrorOf([&] { LBitmap::ApplyColorizer(bitmap, nullptr, 1.0); });
    EXPECT_NE(error.find("Orv::LBitmap::ApplyColorizer"), std::string::npos);
}

TEST(BitmapTest, ApplyColorizerLeavesOtherPartsOfTheSameImageAlone) {
    auto data = MakeRC<LBitmapData>(2, 1, std::vector<std::uint32_t>{0xFF000000u, 0xFF000000u});
    auto left = MakeRC<LBitmap>(data, 0, 0, 1, 1);
    auto right = MakeRC<LBitmap>(data, 1, 0, 1, 1);
    LBitmap::ApplyColorizer(left, Solid({1.0f, 1.0f, 1.0f, 1.0f}), 1.0);
    EXPECT_EQ(left->GetPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(right->GetPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(data->GetPixels()[0], 0xFF000000u);
}

TEST(BitmapTest, GradientsFillSolidWhenBothEndsAgreeAndOtherwiseRaise) {
    auto flat = Solid({0.0f, 0.0f, 1.0f, 1.0f}, LColorizer::LinearGradient);
    auto bitmap = LBitmap::CreateColorizedBitmap(flat, 0.5, 2, 2, nullptr, nullptr);
    EXPECT_EQ(bitmap->GetWidth(), 2);
    EXPECT_EQ(bitmap->GetPixel(1, 1), 0x800000FFu);

    auto gradient = Solid({0.0f, 0.0f, 1.0f, 1.0f}, LColorizer::RadialGradient);
    gradient->gradientEndColor = {1.0f, 1.0f, 1.0f, 1.0f};
    const std::string error =
        ErrorOf([&] { LBitmap::CreateColorizedBitmap(gradient, 1.0, 2, 2, nullptr, nullptr); });
    EXPECT_EQ(error.rfind("Domain Error : Orv::LBitmap::CreateGradientFilledBitmap", 0), 0u) << error;
}

TEST(BitmapTest, ColorizedBitmapFromImageMaskOrSize) {
    auto image = LBitmap::CreateFilledBitmap(2, 2, {0.0f, 0.0f, 0.0f, 1.0f});
    auto mask = LBitmap::CreateFilledBitmap(2, 2, {1.0f, 1.0f, 1.0f, 0.5f});
    auto red = Solid({1.0f, 0.0f, 0.0f, 1.0f});

    auto fromImage = LBitmap::CreateColorizedBitmap(red, 1.0, 9, 9, image, nullptr);
    EXPECT_EQ(fromImage->GetWidth(), 2);  // the image's size, not the part's
    EXPECT_EQ(fromImage->GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image->GetPixel(0, 0), 0xFF000000u);  // the source is untouched

    auto fromMask = LBitmap::CreateColorizedBitmap(red, 1.0, 9, 9, nullptr, mask);
    EXPECT_EQ(fromMask->GetPixel(1, 1), 0x80FF0000u);

    auto fill = LBitmap::CreateColorizedBitmap(red, 0.25, 3, 1, nullptr, nullptr);
    EXPECT_EQ(fill->GetPixel(2, 0), 0x40FF0000u);

    std::string error = ErrorOf([&] { LBitmap::CreateColorizedBitmap(red, 1.0, 2, 2, image, mask); });
    EXPECT_EQ(error.rfind("Domain Error : Orv::LBitmap::ApplyColorizer", 0), 0u) << error;
    error = ErrorOf([&] { LBitmap::CreateColorizedBitmap(red, 1.0, 0, 2, nullptr, nullptr); });
    EXPECT_EQ(error.rfind("Runtime Error : Orv::LBitmap::CreateColorizedBitmap", 0), 0u) << error;
    EXPECT_THROW(LBitmap::CreateColorizedBitmap(nullptr, 1.0, 2, 2, nullptr, nullptr), std::runtime_error);
}

TEST(BitmapTest, CloneCopiesOnlyTheRectangle) {
    auto data = MakeRC<LBitmapData>(3, 2, std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6});
    LBitmap part(data, 1, 0, 2, 2);
    auto copy = part.Clone();
    ASSERT_EQ(copy->GetWidth(), 2);
    EXPECT_EQ(copy->GetPixel(0, 0), 2u);
    EXPECT_EQ(copy->GetPixel(1, 1), 6u);
    EXPECT_NE(copy->GetData().Get(), data.Get());
    // A rectangle reaching past the image copies transparent pixels there.
    auto beyond = LBitmap(data, 2, 1, 2, 2).Clone();
    EXPECT_EQ(beyond->GetPixel(0, 0), 6u);
    EXPECT_EQ(beyond->GetPixel(1, 1), 0u);
}

TEST(BitmapTest, LoadsEmbeddedPngByResourceName) {
    static const std::vector<unsigned char> png =
        EncodePng(2, 1, {0x80FF0000u, 0xFF00FF00u});
    static const std::size_t size = png.size();
    static const Platform::EmbeddedResource table[] = {
        {"GDIPLUS", "BITMAPTEST_SAMPLE_PNG", png.data(), &size}};
    Platform::RegisterResources(table, 1);

    // Names are not case-sensitive, and '.' becomes '_'.
    LBitmap bitmap(String(u"::BitmapTest_Sample.png"), 0, 0, 2, 1);
    ASSERT_TRUE(bitmap.HasImage());
    EXPECT_EQ(bitmap.GetData()->GetWidth(), 2);
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0x80FF0000u);  // stored non-premultiplied
    EXPECT_EQ(bitmap.GetPixel(1, 0), 0xFF00FF00u);
    // Both parts of one image share its data.
    LBitmap other(String(u"::BitmapTest_Sample.png"), 1, 0, 1, 1);
    EXPECT_EQ(other.GetData().Get(), bitmap.GetData().Get());

    LBitmapData missing(String(u"::NoSuchImage.png"));
    EXPECT_FALSE(missing.HasImage());
    EXPECT_NE(missing.GetStatus(), 0);
}

TEST(BitmapTest, LoadsPngFileAndSurvivesBadFiles) {
    const auto dir = std::filesystem::temp_directory_path() / "orv_bitmap_test";
    std::filesystem::create_directories(dir);
    const auto good = dir / "good.png";
    const auto bad = dir / "bad.png";
    {
        const auto bytes = EncodePng(1, 2, {0xFF123456u, 0x00000000u});
        std::FILE* f = std::fopen(good.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        f = std::fopen(bad.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size() / 2, f);  // truncated
        std::fclose(f);
    }
    LBitmap bitmap(String(good.string()), 0, 0, 1, 2);
    ASSERT_TRUE(bitmap.HasImage());
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0xFF123456u);
    EXPECT_EQ(bitmap.GetPixel(0, 1), 0x00000000u);

    LBitmap truncated(String(bad.string()), 0, 0, 1, 2);
    EXPECT_FALSE(truncated.HasImage());
    EXPECT_NE(truncated.GetData()->GetStatus(), 0);
    LBitmap absent(String((dir / "absent.png").string()), 0, 0, 1, 1);
    EXPECT_FALSE(absent.HasImage());
    EXPECT_EQ(absent.GetPixel(0, 0), 0x00FFFFFFu);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace Orv
