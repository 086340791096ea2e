#include "OrvFramework/Utilities/Graphics/Bitmap.h"

#include <gtest/gtest.h>

#include "OrvFramework/Utilities/Graphics/ErrorText.h"
#include "OrvFramework/Utilities/Graphics/PngEncoder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "OrvFramework/Platform/Resources.h"

namespace Orv {
namespace {

using Testing::EncodePng;
using Testing::ErrorOf;

RCPtr<LColorizer> Solid(LColor color, int type = LColorizer::Solid) {
    auto c = MakeRC<LColorizer>();
    c->type = type;
    c->color = color;
    c->gradientEndColor = color;
    return c;
}

TEST(BitmapTest, ApplyColorizerBlendsEachChannelKeepsAlphaAndSparesOtherParts) {
    auto bitmap =
        MakeRC<LBitmap>(MakeRC<LBitmapData>(3, 1, std::vector<std::uint32_t>{0xFF0000FFu, 0x40FFFFFFu, 0x00000000u}));
    LBitmap::ApplyColorizer(bitmap, Solid({1.0f, 0.0f, 0.0f, 1.0f}), 0.5);
    // 127.5 rounds up on both channels.
    EXPECT_EQ(bitmap->GetData()->GetPixels(), (std::vector<std::uint32_t>{0xFF800080u, 0x40FF8080u, 0x00800000u}));
    // Full strength replaces the colour entirely.
    LBitmap::ApplyColorizer(bitmap, Solid({0.0f, 1.0f, 0.0f, 1.0f}), 1.0);
    EXPECT_EQ(bitmap->GetPixel(0, 0), 0xFF00FF00u);
    EXPECT_THROW(LBitmap::ApplyColorizer(nullptr, Solid({}), 1.0), std::runtime_error);
    const std::string error = ErrorOf([&] { LBitmap::ApplyColorizer(bitmap, nullptr, 1.0); });
    EXPECT_NE(error.find("Orv::LBitmap::ApplyColorizer"), std::string::npos);
    // Another part of the same image keeps its colours.
    auto data = MakeRC<LBitmapData>(2, 1, std::vector<std::uint32_t>{0xFF000000u, 0xFF000000u});
    auto left = MakeRC<LBitmap>(data, 0, 0, 1, 1);
    LBitmap::ApplyColorizer(left, Solid({1.0f, 1.0f, 1.0f, 1.0f}), 1.0);
    EXPECT_EQ(left->GetPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(LBitmap(data, 1, 0, 1, 1).GetPixel(0, 0), 0xFF000000u);
}

TEST(BitmapTest, ColorizedBitmapFromImageOrSize) {
    auto image = LBitmap::CreateFilledBitmap(2, 2, {0.0f, 0.0f, 0.0f, 1.0f});
    auto red = Solid({1.0f, 0.0f, 0.0f, 1.0f});

    auto fromImage = LBitmap::CreateColorizedBitmap(red, 1.0, 9, 9, image, nullptr);
    EXPECT_EQ(fromImage->GetWidth(), 2);  // the image's size, not the part's
    EXPECT_EQ(fromImage->GetPixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image->GetPixel(0, 0), 0xFF000000u);  // the source is untouched

    // Outside its rectangle a bitmap reads as transparent white.
    auto fill = LBitmap::CreateColorizedBitmap(red, 0.25, 3, 1, nullptr, nullptr);
    EXPECT_EQ(std::vector<std::uint32_t>({fill->GetPixel(2, 0), fill->GetPixel(3, 0), fill->GetPixel(-1, 0)}),
              std::vector<std::uint32_t>({0x40FF0000u, 0x00FFFFFFu, 0x00FFFFFFu}));

    const std::string error = ErrorOf([&] { LBitmap::CreateColorizedBitmap(red, 1.0, 0, 2, nullptr, nullptr); });
    EXPECT_EQ(error.rfind("Runtime Error : Orv::LBitmap::CreateColorizedBitmap", 0), 0u) << error;
    EXPECT_THROW(LBitmap::CreateColorizedBitmap(nullptr, 1.0, 2, 2, nullptr, nullptr), std::runtime_error);
}

TEST(BitmapTest, CloneCopiesOnlyTheRectangle) {
    auto data = MakeRC<LBitmapData>(3, 2, std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6});
    LBitmap part(data, 1, 0, 2, 2);
    auto copy = part.Clone();
    EXPECT_EQ(copy->GetData()->GetPixels(), (std::vector<std::uint32_t>{2, 3, 5, 6}));
    // A rectangle reaching past the image copies transparent pixels there.
    EXPECT_EQ(LBitmap(data, 2, 1, 2, 2).Clone()->GetData()->GetPixels(), (std::vector<std::uint32_t>{6, 0, 0, 0}));
}

// "::Name.png" is an embedded resource (names not case-sensitive, '.' read as '_'), anything else a
// file; pixels are kept non-premultiplied. Missing, truncated and non-PNG input loads no image, with
// a status, and reads as transparent white.
TEST(BitmapTest, LoadsPngsFromResourcesAndFilesAndSurvivesBadOnes) {
    static const std::vector<unsigned char> png = EncodePng(2, 1, {0x80FF0000u, 0xFF00FF00u});
    static const std::size_t size = png.size();
    static const Platform::EmbeddedResource table[] = {{"GDIPLUS", "BITMAPTEST_SAMPLE_PNG", png.data(), &size}};
    Platform::RegisterResources(table, 1);
    const auto dir = std::filesystem::temp_directory_path() / "orv_bitmap_test";
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, std::size_t length) {
        std::FILE* f = std::fopen((dir / name).string().c_str(), "wb");
        std::fwrite(png.data(), 1, length, f);
        std::fclose(f);
        return String((dir / name).string());
    };
    const struct {
        String path;
        bool loads;
    } cases[] = {{String(u"::BitmapTest_Sample.png"), true},
                 {write("good.png", png.size()), true},
                 {String(u"::NoSuchImage.png"), false},
                 {write("bad.png", png.size() / 2), false},
                 {String((dir / "absent.png").string()), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.ToUtf8());
        LBitmap bitmap(c.path, 0, 0, 2, 1);
        EXPECT_EQ(bitmap.HasImage(), c.loads);
        EXPECT_EQ(bitmap.GetData()->GetStatus() == 0, c.loads);
        EXPECT_EQ(std::pair(bitmap.GetPixel(0, 0), bitmap.GetPixel(1, 0)),
                  c.loads ? std::pair(0x80FF0000u, 0xFF00FF00u) : std::pair(0x00FFFFFFu, 0x00FFFFFFu));
    }
    // Both parts of one image share its data.
    EXPECT_EQ(LBitmap(cases[0].path, 1, 0, 1, 1).GetData().Get(), LBitmap(cases[0].path, 0, 0, 1, 1).GetData().Get());
    const std::vector<unsigned char> notPng(32, 0x42);
    EXPECT_FALSE(LBitmapData::FromPng(notPng)->HasImage());
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace Orv
