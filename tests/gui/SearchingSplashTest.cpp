// The searching window's picture in each shipped language: the text of the string table is drawn
// in the message area in the main window's text colour, the Cancel button carries its label, and
// both stay clear of the splash strip at the bottom. The pictures are written to
// <build>/language-pages/<language>/searching.png for looking at.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <ostream>

#include "Application/SearchingSplash.h"
#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {
namespace {

struct Language {
    const char* folder;
    std::uint32_t id;
};
void PrintTo(const Language& language, std::ostream* out) { *out << language.folder; }

const Language kLanguages[] = {{"en", 0x0409}, {"es", 0x0C0A}, {"de", 0x0407}, {"ja", 0x0411}, {"fr", 0x040C},
                               {"it", 0x0410}, {"ko", 0x0412}, {"zh-TW", 0x0404}, {"zh-CN", 0x0804}};

constexpr std::uint32_t kBackground = 0xFF303030;

bool IsTextPixel(std::uint32_t p) {
    // Light grey ink on the dark background (anti-aliased edges are darker).
    return ((p >> 16) & 0xFF) > 0x90 && ((p >> 8) & 0xFF) > 0x90 && (p & 0xFF) > 0x90;
}

int CountIn(const SplashPicture& picture, const SplashArea& area, bool (*pred)(std::uint32_t)) {
    int n = 0;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (pred(picture.pixels[static_cast<std::size_t>(y) * picture.width + x])) ++n;
    return n;
}

void WritePng(const SplashPicture& picture, const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width, picture.height);
    cairo_surface_flush(s);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(cairo_image_surface_get_data(s) + static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s),
                    &picture.pixels[static_cast<std::size_t>(y) * picture.width], static_cast<std::size_t>(picture.width) * 4);
    cairo_surface_mark_dirty(s);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

class SearchingSplashPicture : public ::testing::TestWithParam<Language> {};

TEST_P(SearchingSplashPicture, ShowsTheSearchingTextAndCancelInTheLanguage) {
    auto factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
    ASSERT_EQ(factory->LoadDefinitions(W("::"), GetParam().id), S_OK);
    String text, cancel;
    GetSearchingTexts(factory.Get(), text, cancel);
    const bool english = std::string(GetParam().folder) == "en";
    // The table's own texts, not the built-in English ones.
    EXPECT_EQ(text == W("Looking for the Varnet..."), english) << Utf16ToUtf8(text);
    EXPECT_EQ(cancel == W("Cancel"), english) << Utf16ToUtf8(cancel);

    const SearchingSplash splash = ComposeSearchingSplash(text, cancel);
    ASSERT_TRUE(splash.picture.IsValid());
    ASSERT_EQ(splash.picture.width, kSearchingSplashWidth);
    ASSERT_EQ(splash.picture.height, kSearchingSplashHeight);
    WritePng(splash.picture, std::filesystem::path("language-pages") / GetParam().folder / "searching.png");

    EXPECT_GT(CountIn(splash.picture, splash.text, IsTextPixel), 40) << "no searching text drawn";
    // The button's face (the artwork) with its label on it.
    EXPECT_GT(CountIn(splash.picture, splash.cancelButton, IsTextPixel), 15) << "no Cancel label";
    // (only its rounded corners let the background through)
    EXPECT_LE(CountIn(splash.picture, splash.cancelButton, [](std::uint32_t p) { return p == kBackground; }), 8)
        << "the button's face is not drawn";
    // The device picture sits where the main window has it; the corners are the background.
    EXPECT_EQ(splash.picture.pixels[0], kBackground);
    EXPECT_NE(splash.picture.pixels[static_cast<std::size_t>(100) * splash.picture.width + 216], kBackground);
    // Nothing is drawn where the strip goes (the bottom 20 pixels) or between the text and the button.
    const SplashArea strip{0, kSearchingSplashHeight - 22, kSearchingSplashWidth, 22};
    EXPECT_EQ(CountIn(splash.picture, strip, [](std::uint32_t p) { return p != kBackground; }), 0);
    EXPECT_LE(splash.text.y + splash.text.height, splash.cancelButton.y);
}

INSTANTIATE_TEST_SUITE_P(Languages, SearchingSplashPicture, ::testing::ValuesIn(kLanguages),
                         [](const auto& param) {
                             std::string name = param.param.folder;
                             for (char& c : name) if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
}  // namespace Orv
