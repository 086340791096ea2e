// Looks and visual parts: docked layout and hit testing.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/Look.h"

namespace Orv {
namespace {

class Looks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
        ASSERT_EQ(factory->LoadDefinitions(W("::"), 0x0409), S_OK) << factory->GetLastParseError();
    }
    static void TearDownTestSuite() { factory = nullptr; }
    static ConstRCPtr<LLookDescriptor> Find(const char16_t* name) {
        auto look = factory->FindLook(name);
        EXPECT_TRUE(look) << Utf16ToUtf8(std::u16string(name));
        return look;
    }
    static inline RCPtr<LControlFactory> factory;
};

RCPtr<LVisualPartDescriptor> SolidPart(int w, int h, std::uint32_t argb = 0xFF000000u, float alphaMod = 1.0f) {
    auto part = MakeRC<LVisualPartDescriptor>();
    std::tie(part->width, part->height, part->resizeType) = std::tuple(w, h, ResizeStretch);
    auto colorizer = MakeRC<LColorizer>();
    colorizer->color = UnpackColor(argb);
    part->colorizer = colorizer;
    part->colorizerAlphaMod = alphaMod;
    return part;
}

LDockedPart Docked(std::uint32_t flags, int pw, int ph, int l = 0, int t = 0, int r = 0, int b = 0) {
    LDockedPart d;
    std::tie(d.dockFlags, d.left, d.top, d.right, d.bottom) = std::tuple(flags, l, t, r, b);
    d.part = SolidPart(pw, ph);
    return d;
}

TEST_F(Looks, ButtonPartsOnTwentyByFifteen) {
    LLook look(Find(u"Tessel.ButtonTuner.0"));
    ASSERT_TRUE(look.SetSize(20, 15));
    ASSERT_EQ(look.GetPartCount(), 3u);
    EXPECT_TRUE(look.IsClientPart(0));
    EXPECT_EQ(look.GetPartRect(0), (LRect{4, 0, 13, 15}));
    EXPECT_EQ(look.GetPartRect(1), (LRect{0, 0, 4, 15}));
    EXPECT_EQ(look.GetPartRect(2), (LRect{17, 0, 3, 15}));
    EXPECT_EQ(look.GetBoundsRegion()->GetRects().size(), 3u);
    EXPECT_EQ(look.GetTextBox(), (LRect{0, 0, 20, 15}));
    // Resizing lays the parts out again.
    look.SetSize(40, 15);
    EXPECT_EQ(look.GetPartRect(0), (LRect{4, 0, 33, 15}));
    EXPECT_EQ(look.GetPartRect(2), (LRect{37, 0, 3, 15}));
}

TEST(LookLayout, UndockedPartIsCentredWithTheOddPixelToTheRight) {
    EXPECT_EQ(LayoutDockedPart(Docked(0, 4, 3), 11, 10), (LRect{3, 3, 4, 3}));
    EXPECT_EQ(LayoutDockedPart(Docked(0, 6, 3), 3, 3), (LRect{-1, 0, 6, 3}));  // truncated toward zero
    // Docked left only keeps its width, and is centred vertically.
    EXPECT_EQ(LayoutDockedPart(Docked(LDockedPart::DockLeft, 4, 2, 5), 20, 9), (LRect{5, 3, 4, 2}));
}

TEST(LookLayout, BoundsRegionDropsPartsOutsideTheLook) {
    auto descriptor = MakeRC<LLookDescriptor>();
    descriptor->clientPart = Docked(LDockedPart::DockAll, 1, 1);
    descriptor->nonClientParts.push_back(Docked(LDockedPart::DockLeft | LDockedPart::DockTop, 5, 5, 30, 0));
    LLook look(descriptor);
    look.SetSize(20, 10);
    ASSERT_EQ(look.GetBoundsRegion()->GetRects().size(), 1u);
    EXPECT_EQ(look.GetBoundsRegion()->GetRects()[0], (LRect{0, 0, 20, 10}));
    EXPECT_FALSE(look.HasTextBox());
}

TEST_F(Looks, ColorAtPointFollowsTheResizeType) {
    LLook look(Find(u"Tessel.ButtonTuner.0"));
    look.SetSize(45, 15);
    const LVisualPart& client = look.GetPart(0);
    ASSERT_TRUE(client.GetBitmap());
    EXPECT_EQ(client.GetWidth(), 20);
    // Tiled: column 25 shows column 5 of the image.
    EXPECT_EQ(client.GetColorAtPoint({25, 3}, {45, 15}), client.GetBitmap()->GetPixel(5, 3));
    EXPECT_EQ(client.GetColorAtPoint({-1, 0}, {20, 15}), 0x00FFFFFFu);
    EXPECT_EQ(client.GetColorAtPoint({20, 0}, {20, 15}), 0x00FFFFFFu);
    // The look answers with the topmost part: the left cap at x 1.
    EXPECT_EQ(look.GetColorAtPoint({1, 7}), look.GetPart(1).GetBitmap()->GetPixel(1, 7));
    EXPECT_EQ(look.GetColorAtPoint({50, 7}), 0x00FFFFFFu);

    const LVisualPart picture(*factory->FindPart(W("Pelnet.DevicePicture")));
    // Centred in a wider area: area column 12 + x is picture column x (shifted by 12.5, rounded).
    EXPECT_EQ(picture.GetColorAtPoint({112.0, 50}, {300, 103}), picture.GetColorAtPoint({100, 50}, {275, 103}));
    EXPECT_EQ(picture.GetColorAtPoint({5, 50}, {300, 103}), 0x00FFFFFFu);
    // A part faded by its skin answers with the faded alpha.
    EXPECT_EQ(LVisualPart(*SolidPart(4, 4, 0xFF102030u, 0.5f)).GetColorAtPoint({1, 1}, {4, 4}), 0x80102030u);
}

}  // namespace
}  // namespace Orv
