// Looks and visual parts: docked layout, text box, hit testing, drawing, and an offscreen paint of
// the shipped window.
#include <gtest/gtest.h>

#include <cairo.h>

#include "OrvFramework/Renderer/Cairo/CairoImages.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "ControlTestSupport.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/ControlBase/Look.h"
#include "OrvFramework/Controls/FrameworkControls.h"

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

// A cairo image surface painted through the Cairo renderer, read back as 0xAARRGGBB.
class Canvas {
public:
    Canvas(int width, int height)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
          renderer(LRenderer::Create(LRenderer::TypeCairo, {0, 0, double(width), double(height)}, nullptr)) {}
    ~Canvas() { cairo_surface_destroy(surface); }
    std::uint32_t Pixel(int x, int y) {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    }
    cairo_surface_t* surface;
    RCPtr<LRenderer> renderer;
};

LDockedPart Docked(std::uint32_t flags, int pw, int ph, int l = 0, int t = 0, int r = 0, int b = 0) {
    auto part = MakeRC<LVisualPartDescriptor>();
    part->width = pw;
    part->height = ph;
    LDockedPart d;
    d.dockFlags = flags;
    d.left = l;
    d.top = t;
    d.right = r;
    d.bottom = b;
    d.part = part;
    return d;
}

RCPtr<LVisualPartDescriptor> SolidPart(int w, int h, int resizeType, std::uint32_t argb, float alphaMod) {
    auto colorizer = MakeRC<LColorizer>();
    colorizer->color = UnpackColor(argb);
    auto part = MakeRC<LVisualPartDescriptor>();
    part->width = w;
    part->height = h;
    part->resizeType = resizeType;
    part->colorizer = colorizer;
    part->colorizerAlphaMod = alphaMod;
    return part;
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
    // Smaller than the look: the division truncates toward zero.
    EXPECT_EQ(LayoutDockedPart(Docked(0, 6, 3), 3, 3), (LRect{-1, 0, 6, 3}));
    // Docked left only keeps its width, and is centred vertically.
    EXPECT_EQ(LayoutDockedPart(Docked(LDockedPart::DockLeft, 4, 2, 5), 20, 9), (LRect{5, 3, 4, 2}));
}

TEST(LookLayout, BoundsRegionDropsPartsOutsideTheLook) {
    auto descriptor = MakeRC<LLookDescriptor>();
    descriptor->clientPart = Docked(LDockedPart::DockAll, 0, 0);
    descriptor->clientPart->part = SolidPart(1, 1, ResizeStretch, 0xFF000000u, 1.0f);
    LDockedPart outside = Docked(LDockedPart::DockLeft | LDockedPart::DockTop, 5, 5, 30, 0);
    outside.part = SolidPart(5, 5, ResizeStretch, 0xFF000000u, 1.0f);
    descriptor->nonClientParts.push_back(outside);
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

    const LVisualPart half(*SolidPart(4, 4, ResizeStretch, 0xFF102030u, 0.5f));
    EXPECT_EQ(half.GetColorAtPoint({1, 1}, {4, 4}), 0x80102030u);
    EXPECT_EQ(half.GetColorAtPoint({7, 7}, {8, 8}), 0x80102030u);
    EXPECT_EQ(half.GetColorAtPoint({1, 1}, {2, 2}), 0x80102030u);  // shrunk: filtered
}

TEST(VisualPartColor, ShrunkStretchedBitmapAveragesTheCoveredPixels) {
    LVisualPartDescriptor descriptor;
    descriptor.width = 20;
    descriptor.height = 15;
    descriptor.resizeType = ResizeStretch;
    descriptor.image = LImageReference{W("::VarnetUpdater.png"), 489, 31, 20, 15};
    const LVisualPart part(descriptor);
    ASSERT_TRUE(part.GetBitmap());
    for (int y : {2, 7, 12}) {
        // Half as wide: area column 3 covers image columns 6 and 7.
        const std::uint32_t a = part.GetBitmap()->GetPixel(6, y);
        const std::uint32_t b = part.GetBitmap()->GetPixel(7, y);
        std::uint32_t expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const double mean = (((a >> shift) & 0xFFu) + ((b >> shift) & 0xFFu)) / 2.0;
            expected |= static_cast<std::uint32_t>(std::lround(mean)) << shift;
        }
        EXPECT_EQ(part.GetColorAtPoint({3, double(y)}, {10, 15}), expected) << y;
    }
    // Enlarged: the nearest image pixel, truncated.
    EXPECT_EQ(part.GetColorAtPoint({13, 7}, {40, 15}), part.GetBitmap()->GetPixel(6, 7));
}

TEST(VisualPartDraw, CentredSolidFillAndTransparentPart) {
    Canvas canvas(300, 103);
    canvas.renderer->BeginPaint(PaintTargetOf(canvas.surface));
    const LVisualPart centred(*SolidPart(275, 103, ResizeCenter, 0xFF00FF00u, 1.0f));
    EXPECT_TRUE(centred.Draw(*canvas.renderer, {300, 103}));
    const LVisualPart invisible(*SolidPart(10, 10, ResizeStretch, 0xFFFF0000u, 0.0f));
    EXPECT_FALSE(invisible.Draw(*canvas.renderer, {300, 103}));
    EXPECT_EQ(invisible.GetColorAtPoint({1, 1}, {10, 10}) >> 24, 0u);
    canvas.renderer->EndPaint(PaintTargetOf(canvas.surface));
    EXPECT_EQ(canvas.Pixel(11, 50), 0u);
    EXPECT_EQ(canvas.Pixel(12, 50), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(286, 50), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(287, 50), 0u);

    LVisualPartDescriptor empty;
    empty.width = 3;
    empty.height = 3;
    const LVisualPart nothing(empty);
    canvas.renderer->BeginPaint(PaintTargetOf(canvas.surface));
    EXPECT_THROW(nothing.Draw(*canvas.renderer, {3, 3}), std::runtime_error);
    canvas.renderer->EndPaint(PaintTargetOf(canvas.surface));
    EXPECT_THROW(nothing.GetColorAtPoint({1, 1}, {3, 3}), std::runtime_error);
}

TEST_F(Looks, LookDrawsOnlyInsideTheUpdateRegion) {
    Canvas canvas(40, 15);
    LLook look(Find(u"Tessel.ButtonTuner.0"));
    look.SetSize(40, 15);
    canvas.renderer->BeginPaint(PaintTargetOf(canvas.surface));
    const LRegion leftHalf({{0, 0, 20, 15}});
    EXPECT_TRUE(look.Draw(*canvas.renderer, leftHalf));
    EXPECT_TRUE(look.DrawNonClient(*canvas.renderer, leftHalf));
    EXPECT_EQ(canvas.renderer->GetStateDepth(), 0u);
    canvas.renderer->EndPaint(PaintTargetOf(canvas.surface));
    EXPECT_NE(canvas.Pixel(10, 7) >> 24, 0u);
    EXPECT_EQ(canvas.Pixel(25, 7), 0u);
    EXPECT_EQ(canvas.Pixel(38, 7), 0u);  // the right cap lies outside the region
}

TEST_F(Looks, LabelTextNeedsASolidForeground) {
    Canvas canvas(100, 22);
    auto descriptor = MakeRC<LLookDescriptor>(*Find(u"Tessel.ToolTip"));
    LFontText text(W("Hello"), LFontDescription{}, false, 0.5, 0.5);
    descriptor->textForegroundPart = factory->FindPart(W("Tessel.ToolTip.c"));
    LLook bitmapText(descriptor);
    bitmapText.SetSize(100, 22);
    canvas.renderer->BeginPaint(PaintTargetOf(canvas.surface));
    try {
        bitmapText.DrawLabelText(*canvas.renderer, LRegion({{0, 0, 100, 22}}), &text);
        ADD_FAILURE() << "a bitmap foreground must be refused";
    } catch (const std::domain_error& e) {
        EXPECT_NE(std::string(e.what()).find("Bitmap fill for text foreground part not yet implemented."),
                  std::string::npos);
    }
    EXPECT_EQ(canvas.renderer->GetStateDepth(), 0u);
    // Outside the text box nothing is asked of the foreground.
    EXPECT_NO_THROW(bitmapText.DrawLabelText(*canvas.renderer, LRegion({{0, 0, 11, 22}}), &text));

    LLook orange(Find(u"Tessel.ToolTip"));
    orange.SetSize(100, 22);
    orange.DrawLabelText(*canvas.renderer, LRegion({{0, 0, 100, 22}}), &text);
    canvas.renderer->EndPaint(PaintTargetOf(canvas.surface));
    int inked = 0;
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 100; ++x) {
            const std::uint32_t p = canvas.Pixel(x, y);
            if (p >> 24) {
                ++inked;
                EXPECT_GE(x, 11);
                EXPECT_LT(x, 89);
            }
        }
    EXPECT_GT(inked, 10);
}

// The shipped skin with the framework classes; the updater's own main control class belongs to
// the application, so a plain control stands in for it.
RCPtr<LControlFactory> ShippedFactory() {
    auto factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
    EXPECT_EQ(factory->LoadDefinitions(W("::"), 0x0409), S_OK);
    EXPECT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
    factory->RegisterControlClass(W("FirmwareUpdater.MainControl"), &CreateControlOf<LControl>);
    return factory;
}

TEST(FontText, WrapsAtTheBoxWidthOnlyWhenWrapping) {
    auto renderer = LRenderer::Create(LRenderer::TypeCairo, {}, nullptr);
    const String words = W("one two three four five six seven eight");
    LFontText wrapping(words, LFontDescription{}, true);
    LFontText single(words, LFontDescription{}, false);
    EXPECT_TRUE(wrapping.SetBoxSize({60, 100}));
    EXPECT_FALSE(wrapping.SetBoxSize({60, 100}));
    single.SetBoxSize({60, 100});
    EXPECT_GT(wrapping.GetLineCount(*renderer), 1);
    EXPECT_LE(wrapping.GetLayoutSize(*renderer).width, 60.0);
    EXPECT_EQ(single.GetLineCount(*renderer), 1);
    EXPECT_GT(single.GetLayoutSize(*renderer).width, 60.0);
    // A wider box reflows into fewer lines.
    const std::int32_t narrowLines = wrapping.GetLineCount(*renderer);
    wrapping.SetBoxSize({400, 100});
    EXPECT_LT(wrapping.GetLineCount(*renderer), narrowLines);
}

TEST(FontText, MeasurerWrapsOnlyWithAWidth) {
    auto factory = ShippedFactory();
    RCPtr<LControl> main = factory->CreateControl(W("mainControl"), nullptr);
    ASSERT_TRUE(main);
    auto renderer = LRenderer::Create(LRenderer::TypeCairo, {}, nullptr);
    LFontTextMeasurer measurer(*renderer);
    const String text = W("A sentence long enough to need several lines at eighty pixels.");
    const LSize oneLine = measurer.MeasureText(*main, text, 0.0);
    const LSize wrapped = measurer.MeasureText(*main, text, 80.0);
    EXPECT_GT(oneLine.width, 80.0);
    EXPECT_LE(wrapped.width, 80.0);
    EXPECT_GE(wrapped.height, 2.0 * oneLine.height);
}

TEST(FontText, EmptyNameInheritanceAndRelativeSizeComeFromTheParent) {
    auto skinned = [](const char16_t* name, float size, bool relative, bool inherits, int style) {
        auto descriptor = MakeRC<LControlDescriptor>(W("C"), W("c"), nullptr);
        descriptor->skin = MakeRC<LSkinDescriptor>();
        descriptor->skin->fontName = name;
        descriptor->skin->fontSize = size;
        descriptor->skin->fontSizeIsRelative = relative;
        descriptor->skin->fontInheritsFromParent = inherits;
        descriptor->skin->fontStyle = style;
        return descriptor;
    };
    auto parent = MakeRC<LControl>(nullptr, W("parent"));
    parent->ApplyDescriptor(skinned(u"Verdana", 10.0f, false, false, FontStyleBold));
    auto relative = MakeRC<LControl>(parent.Get(), W("relative"));
    relative->ApplyDescriptor(skinned(u"", 2.0f, true, false, -1));
    auto inherits = MakeRC<LControl>(parent.Get(), W("inherits"));
    inherits->ApplyDescriptor(skinned(u"Courier", 20.0f, false, true, FontStyleItalic));
    auto shrunk = MakeRC<LControl>(parent.Get(), W("shrunk"));
    shrunk->ApplyDescriptor(skinned(u"Courier", -30.0f, true, false, FontStyleItalic));

    const LFontDescription p = LFontText::ResolveFont(*parent);
    EXPECT_EQ(p.name, W("Verdana"));
    EXPECT_EQ(p.size, 10.0);
    EXPECT_EQ(p.style, FontStyleBold);
    const LFontDescription r = LFontText::ResolveFont(*relative);
    EXPECT_EQ(r.name, W("Verdana"));
    EXPECT_EQ(r.size, 12.0);
    EXPECT_EQ(r.style, FontStyleBold);
    const LFontDescription i = LFontText::ResolveFont(*inherits);
    EXPECT_EQ(i.name, W("Verdana"));
    EXPECT_EQ(i.size, 10.0);
    // A relative size that would leave nothing keeps the parent's size.
    const LFontDescription s = LFontText::ResolveFont(*shrunk);
    EXPECT_EQ(s.name, W("Courier"));
    EXPECT_EQ(s.size, 10.0);
    EXPECT_EQ(s.style, FontStyleItalic);
}

TEST(PaintControlTree, ShippedMainControlOffscreen) {
    auto factory = ShippedFactory();
    Canvas canvas(432, 295);
    // Labels that size to their text are measured as they will be drawn.
    LFontTextMeasurer measurer(*canvas.renderer);
    ControlTest::TestHost host;
    host.measurer = &measurer;
    RCPtr<LControl> main = factory->CreateControl(W("mainControl"), &host);
    ASSERT_TRUE(main);
    ASSERT_EQ(main->GetRect(), (LRect{0, 0, 432, 295}));
    // The host is attached once the tree exists; lay out again so the measurer is used.
    main->LayoutChildren();
    const LControl* readyLabel = main->FindChild(W("labelDeviceReady")).Get();
    ASSERT_TRUE(readyLabel);
    const LRect ready = readyLabel->GetRect();
    ASSERT_GT(ready.height, 20.0);  // several wrapped lines

    canvas.renderer->BeginPaint(PaintTargetOf(canvas.surface));
    PaintControlTree(*canvas.renderer, *main);
    EXPECT_EQ(canvas.renderer->GetStateDepth(), 0u);
    canvas.renderer->EndPaint(PaintTargetOf(canvas.surface));
    const std::string png = std::string(VARNET_BINARY_DIR) + "/mainControl.png";
    EXPECT_EQ(cairo_surface_write_to_png(canvas.surface, png.c_str()), CAIRO_STATUS_SUCCESS);

    const std::uint32_t background = 0xFF303030u;
    EXPECT_EQ(canvas.Pixel(2, 2), background);
    EXPECT_EQ(canvas.Pixel(430, 150), background);
    int pictureInk = 0;
    for (int y = 55; y < 158; ++y)
        for (int x = 84; x < 359; ++x) pictureInk += canvas.Pixel(x, y) != background;
    EXPECT_GT(pictureInk, 275 * 103 / 10);
    // The wrapped instructions are written in light text inside the label only.
    int textInk = 0;
    for (int y = int(ready.y); y < int(ready.Bottom()); ++y)
        for (int x = int(ready.x); x < int(ready.Right()); ++x) textInk += canvas.Pixel(x, y) != background;
    EXPECT_GT(textInk, 200);
    for (int x = 0; x < 432; ++x) EXPECT_EQ(canvas.Pixel(x, int(ready.Bottom()) + 2), background) << x;

    // The Exit button: its caps are the skin's cap images over the background.
    const LControl* exitButton = main->FindChild(W("buttonExit")).Get();
    ASSERT_TRUE(exitButton);
    const LRect r = exitButton->GetRect();
    LLook look(factory->FindLook(W("Tessel.ButtonTuner.0")));
    look.SetSize(80, 15);
    for (const LPoint p : {LPoint{1, 7}, LPoint{78, 7}}) {
        const std::uint32_t cap = look.GetColorAtPoint(p);
        const std::uint32_t shown = canvas.Pixel(int(r.x + p.x), int(r.y + p.y));
        if ((cap >> 24) == 0xFF) EXPECT_EQ(shown, cap);
        else EXPECT_NE(shown, background);
    }

    // A painter that keeps its looks repaints only the update region, with the same pixels.
    LControlTreePainter painter;
    Canvas first(432, 295);
    first.renderer->BeginPaint(PaintTargetOf(first.surface));
    painter.Paint(*first.renderer, *main, LRegion({{0, 0, 432, 295}}));
    first.renderer->EndPaint(PaintTargetOf(first.surface));
    const std::size_t looks = painter.GetCachedLookCount();
    EXPECT_GE(looks, 4u);
    Canvas partial(432, 295);
    partial.renderer->BeginPaint(PaintTargetOf(partial.surface));
    painter.Paint(*partial.renderer, *main, LRegion({r}));
    partial.renderer->EndPaint(PaintTargetOf(partial.surface));
    EXPECT_EQ(painter.GetCachedLookCount(), looks);
    for (int y = 0; y < 295; y += 3)
        for (int x = 0; x < 432; x += 3) {
            const bool inside = x >= r.x && x < r.Right() && y >= r.y && y < r.Bottom();
            ASSERT_EQ(first.Pixel(x, y), canvas.Pixel(x, y)) << x << "," << y;
            ASSERT_EQ(partial.Pixel(x, y), inside ? canvas.Pixel(x, y) : 0u) << x << "," << y;
        }
}

}  // namespace
}  // namespace Orv
