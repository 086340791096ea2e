// Every page of the main window painted offscreen in each shipped language, with the fonts of
// this machine: every message is drawn, every character has a glyph, no text is cut off by its
// control or the window, and no text lies over another text, a button, the progress bar or the
// device picture.
// The searching window's picture is checked the same way. The pictures are written to
// <build>/language-pages/<language>/<page>.png for looking at.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "../FirmwareUpdater/UI/MainControlTestSupport.h"
#include "Application/SearchingSplash.h"
#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "OrvFramework/ControlBase/FontText.h"
#include "OrvFramework/ControlBase/Look.h"
#include "OrvFramework/ControlBase/SkinDescriptor.h"
#include "OrvFramework/Controls/Button.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Controls/ProgressBar.h"
#include "OrvFramework/Utilities/Graphics/PngEncoder.h"

namespace Orv {
namespace {

constexpr int kWidth = 432, kHeight = 295;

struct Language {
    const char* folder;
    std::uint32_t id;
};

const Language kLanguages[] = {{"en", 0x0409}, {"es", 0x0C0A}, {"de", 0x0407},    {"ja", 0x0411},   {"fr", 0x040C},
                               {"it", 0x0410}, {"ko", 0x0412}, {"zh-TW", 0x0404}, {"zh-CN", 0x0804}};

void PrintTo(const Language& language, std::ostream* out) { *out << language.folder; }

// What one visible control occupies in window coordinates, and its text if it shows one.
struct Occupied {
    std::string name;
    LRect area;  // where its text (or its picture, fill or button face) is drawn
    LRect box;   // the control itself: a text must stay inside it
    bool text = false;
};

// Whether the control's current look writes its text (a look without text properties, like the
// transparent one of the relaunch hints, draws none).
bool DrawsText(const LControl& control) {
    const auto descriptor = control.GetDescriptor();
    if (!descriptor || !descriptor->skin || !descriptor->skin->lookList) return false;
    const auto look = descriptor->skin->lookList->GetLook(control.GetLookIndex());
    return look && look->hasTextProperties;
}

std::ostream& operator<<(std::ostream& out, const Occupied& o) {
    return out << o.name << " (" << o.area.x << "," << o.area.y << " " << o.area.width << "x" << o.area.height << ")";
}

bool Overlap(const LRect& a, const LRect& b) {
    // Touching edges do not overlap; half a pixel is rounding.
    return a.x + 0.5 < b.Right() && b.x + 0.5 < a.Right() && a.y + 0.5 < b.Bottom() && b.y + 0.5 < a.Bottom();
}

// The searching window's picture: light grey ink on the dark background (anti-aliased edges are darker).
constexpr std::uint32_t kBackground = 0xFF303030;

bool IsTextPixel(std::uint32_t p) { return ((p >> 16) & 0xFF) > 0x90 && ((p >> 8) & 0xFF) > 0x90 && (p & 0xFF) > 0x90; }

int CountIn(const SplashPicture& picture, const SplashArea& area, bool (*pred)(std::uint32_t)) {
    int n = 0;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (pred(picture.pixels[static_cast<std::size_t>(y) * picture.width + x])) ++n;
    return n;
}

class LanguagePages : public ControlTest::MainControlFixture<::testing::TestWithParam<Language>> {
protected:
    void SetUp() override {
        MainControlFixture::SetUp();
        language = GetParam().id;
        renderer = LRenderer::CreateForPlatform(Platform::GetRealClock());
        measurer = std::make_unique<LFontTextMeasurer>(*renderer);
        host.measurer = measurer.get();
        folder = std::filesystem::path(VARNET_BINARY_DIR) / "language-pages" / GetParam().folder;
        std::filesystem::create_directories(folder);
    }

    // The visible controls that draw something, outermost containers left out.
    void Collect(LControl& control, LPoint origin, std::vector<Occupied>& out) {
        const LRect r = control.GetRect();
        const LRect box{origin.x + r.x, origin.y + r.y, r.width, r.height};
        const std::string name = Utf16ToUtf8(control.GetName());
        // The bar's groove: its look draws a 16-pixel-high strip at the top.
        if (dynamic_cast<LProgressBar*>(&control))
            out.push_back({name, {box.x, box.y, box.width, 16}, box, false});
        else if (dynamic_cast<LButton*>(&control) || dynamic_cast<LPanel*>(&control) || name == "labelDevicePicture")
            out.push_back({name, box, box, false});
        if (!control.GetText().empty() && DrawsText(control)) {
            const bool button = dynamic_cast<LButton*>(&control) != nullptr;
            const bool wraps = control.GetLayout().textOverflowX == TextOverflowX::Wrap;
            const LTextMeasurement m =
                renderer->MeasureText(LFontText::ResolveFont(control), control.GetText(), {}, wraps ? box.width : 0.0);
            EXPECT_EQ(m.unknownGlyphs, 0)
                << name << " has characters no installed font draws: " << Utf16ToUtf8(control.GetText());
            // Buttons centre their caption; labels write from the top-left corner.
            const double align = button ? 0.5 : 0.0;
            const LRect text{box.x + (box.width - m.size.width) * align, box.y + (box.height - m.size.height) * align,
                             m.size.width, m.size.height};
            if (button) {
                EXPECT_LE(m.size.width, box.width - 6)
                    << name << " caption is wider than the button: " << Utf16ToUtf8(control.GetText());
                EXPECT_LE(m.size.height, box.height + 2) << name;
            } else {
                EXPECT_LE(text.Right(), box.Right() + 0.5) << name << " is cut off on the right";
                EXPECT_LE(text.Bottom(), box.Bottom() + 0.5) << name << " is cut off at the bottom";
                out.push_back({name, text, box, true});
            }
        }
        for (const auto& child : control.GetChildren())
            if (child && child->IsVisibleFlag()) Collect(*child, {box.x, box.y}, out);
    }

    void CheckPage(const std::string& page, bool hasText = true) {
        SCOPED_TRACE(std::string(GetParam().folder) + " " + page);
        main->LayoutChildren();
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight, 0u);
        const Platform::PaintTarget target{reinterpret_cast<unsigned char*>(pixels.data()), kWidth, kHeight, kWidth * 4,
                                           false};
        renderer->BeginPaint(target);
        PaintControlTree(*renderer, *main);
        renderer->EndPaint(target);
        Testing::WritePng(folder / (page + ".png"), kWidth, kHeight, pixels);

        std::vector<Occupied> drawn;
        for (const auto& child : main->GetChildren())
            if (child && child->IsVisibleFlag()) Collect(*child, {0, 0}, drawn);
        auto pixel = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * kWidth + x]; };
        const std::uint32_t background = pixel(1, 1);
        int texts = 0;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            const Occupied& a = drawn[i];
            if (!a.text) continue;
            ++texts;
            // The text was really drawn where it was measured.
            int ink = 0;
            for (int y = std::max(0, int(a.area.y)); y < std::min(kHeight, int(a.area.Bottom())); ++y)
                for (int x = std::max(0, int(a.area.x)); x < std::min(kWidth, int(a.area.Right())); ++x)
                    ink += pixel(x, y) != background;
            EXPECT_GT(ink, 10) << a.name << " is not drawn";
            EXPECT_TRUE(a.area.x >= -0.5 && a.area.y >= -0.5 && a.area.Right() <= kWidth + 0.5 &&
                        a.area.Bottom() <= kHeight + 0.5)
                << a << " runs out of the window";
            // The groove strip is checked, not the whole bar, so the bar's own labels may lie on the bar.
            for (std::size_t j = 0; j < drawn.size(); ++j)
                EXPECT_TRUE(j == i || (drawn[j].text && j < i) || !Overlap(a.area, drawn[j].area))
                    << a << " overlaps " << drawn[j];
        }
        EXPECT_EQ(texts > 0, hasText) << texts << " texts on the page";
    }

    RCPtr<LRenderer> renderer;
    std::unique_ptr<LFontTextMeasurer> measurer;
    std::filesystem::path folder;
};

TEST_P(LanguagePages, EveryPageIsReadable) {
    const std::pair<const char*, ProcessorState> states[] = {
        {"welcome", DeviceReady},
        {"no-device", DeviceNotFound},
        {"up-to-date", UpdateNotNeeded},
        {"file-missing", FirmwareFileMissingOrCorrupt},
        {"driver-too-old", DriverIsTooOld},
        {"no-options", NoCommandLineParams},
        {"update-failed", FirmwareUpdateFailed},
        {"waiting-for-arrival", WaitingForDeviceArrivalPostInstall},
    };
    for (const auto& [page, state] : states) {
        processor.state = state;
        Create();
        // The page of the background check shows no message of its own.
        CheckPage(page, state != WaitingForDeviceArrivalPostInstall);
    }
    // The pages an update passes through, with the longest time text the bar can show in a
    // realistic update (under an hour).
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"switching", [&] { main->ShowWaitingForDevicePrep(); }},
        {"uploading",
         [&] {
             ASSERT_TRUE(PostFirmwareNotification(NID_FIRMWARE_UPDATE_PROGRESS,
                                                  MakeRC<LFirmwareUpdateProgressNotificationData>(0.42, 3599)));
             GetApplicationNotificationCenter()->ProcessQueue(false);
         }},
        {"verifying", [&] { main->ShowFirmwareImageUploadComplete(); }},
        {"succeeded", [&] { main->ShowFirmwareUpdateSucceed(); }},
    };
    processor.state = DeviceReady;
    Create();
    for (const auto& [page, step] : steps) {
        step();
        CheckPage(page);
    }
}

// The searching window in the language: the string table's text and the Cancel label, both clear of
// the splash strip at the bottom. (Where the button sits and that it cancels: the end-to-end run.)
TEST_P(LanguagePages, SearchingPictureShowsItsTextAndCancel) {
    MakeFactory();
    String text, cancel;
    GetSearchingTexts(factory.Get(), text, cancel);
    const bool english = std::string(GetParam().folder) == "en";
    // The table's own texts, not the built-in English ones.
    EXPECT_EQ(text == W("Looking for the Varnet..."), english) << Utf16ToUtf8(text);
    EXPECT_EQ(cancel == W("Cancel"), english) << Utf16ToUtf8(cancel);

    const SearchingSplash splash = ComposeSearchingSplash(text, cancel);
    ASSERT_TRUE(splash.picture.IsValid());
    ASSERT_EQ(std::pair(splash.picture.width, splash.picture.height),
              std::pair(kSearchingSplashWidth, kSearchingSplashHeight));
    Testing::WritePng(folder / "searching.png", splash.picture.width, splash.picture.height, splash.picture.pixels);

    EXPECT_GT(CountIn(splash.picture, splash.text, IsTextPixel), 40) << "no searching text drawn";
    EXPECT_GT(CountIn(splash.picture, splash.cancelButton, IsTextPixel), 15) << "no Cancel label";
    // Nothing is drawn where the strip goes (the bottom 20 pixels) or between the text and the button.
    const SplashArea strip{0, kSearchingSplashHeight - 22, kSearchingSplashWidth, 22};
    EXPECT_EQ(CountIn(splash.picture, strip, [](std::uint32_t p) { return p != kBackground; }), 0);
    EXPECT_LE(splash.text.y + splash.text.height, splash.cancelButton.y);
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, LanguagePages, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& param) {
                             std::string name = param.param.folder;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The glyph check above can fail: a character that no font has is counted.
TEST(LanguagePagesCheck, ACharacterWithoutAGlyphIsCounted) {
    RCPtr<LRenderer> renderer = LRenderer::CreateForPlatform(Platform::GetRealClock());
    const LFontDescription font{W("Arial"), 8.25, 0};
    EXPECT_EQ(renderer->MeasureText(font, W("Varnet")).unknownGlyphs, 0);
    // A private-use character of plane 16: no font on a desktop machine draws it.
    EXPECT_EQ(renderer->MeasureText(font, String(u"A\U0010FFFD\U0010FFFCB")).unknownGlyphs, 2);
}

}  // namespace
}  // namespace Orv
