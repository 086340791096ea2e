#include "Application/SearchingSplash.h"

#include <algorithm>
#include <cmath>

#include "OrvFramework/Renderer/Renderer.h"
#include "OrvFramework/Utilities/Graphics/Bitmap.h"

namespace Orv {

namespace {

// The main window's skin: background, text colour, font, the device picture and the button parts
// in the artwork.
constexpr LColor kBackground{0x30 / 255.0f, 0x30 / 255.0f, 0x30 / 255.0f, 1.0f};
constexpr LColor kTextGrey{0xD9 / 255.0f, 0xD9 / 255.0f, 0xD9 / 255.0f, 1.0f};
constexpr double kFontPoints = 8.25;
constexpr int kPictureX = 0, kPictureY = 407, kPictureWidth = 275, kPictureHeight = 103;
constexpr int kPictureLeft = 84, kPictureTop = 55;
constexpr int kTextWidth = 360, kTextTop = kPictureTop + kPictureHeight + 30, kTextHeight = 40;
constexpr int kButtonArtY = 31, kButtonLeftArtX = 485, kButtonCentreArtX = 489, kButtonRightArtX = 509;
constexpr int kButtonLeftWidth = 4, kButtonCentreWidth = 20, kButtonRightWidth = 3;
constexpr int kButtonWidth = 80, kButtonHeight = 15;
// Right-aligned like the main window's Exit, above the strip (which takes the bottom 20 pixels).
constexpr int kButtonLeft = kSearchingSplashWidth - 5 - kButtonWidth;
constexpr int kButtonTop = kSearchingSplashHeight - 24 - kButtonHeight - 6;

// Copies the artwork's rectangle (sx, sy, w, h) to (dx, dy), tiling it across `width`.
void DrawPart(LRenderer& renderer, const RCPtr<LBitmapData>& art, int sx, int sy, int w, int h, int dx, int dy,
              int width) {
    renderer.DrawBitmap(MakeRC<LBitmap>(art, sx, sy, w, h), {double(dx), double(dy), double(width), double(h)},
                        ResizeTile);
}

// Wrapped in the box, centred on whole pixels across and down, clipped to the box.
void DrawText(LRenderer& renderer, const String& text, const SplashArea& box) {
    LFontDescription font;
    font.size = kFontPoints;
    const LTextMeasurement size = renderer.MeasureText(font, text, {}, box.width);
    const int height = static_cast<int>(std::ceil(size.size.height));
    const LRect at{double(box.x), double(box.y + std::max(0, (box.height - height) / 2)), double(box.width),
                   double(height)};
    renderer.PushClip({double(box.x), double(box.y), double(box.width), double(box.height)});
    renderer.DrawText(text, font, kTextGrey, at, LTextFormat{true, 0.5, 0.0});
    renderer.PopState();
}

}  // namespace

SearchingSplash ComposeSearchingSplash(const String& text, const String& cancel) {
    SearchingSplash splash;
    splash.cancelButton = {kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight};
    splash.text = {(kSearchingSplashWidth - kTextWidth) / 2, kTextTop, kTextWidth, kTextHeight};
    const int w = kSearchingSplashWidth, h = kSearchingSplashHeight;
    splash.picture.width = w;
    splash.picture.height = h;
    splash.picture.pixels.assign(static_cast<std::size_t>(w) * h, 0u);
    const Platform::PaintTarget target{reinterpret_cast<unsigned char*>(splash.picture.pixels.data()), w, h, w * 4,
                                       false};
    const RCPtr<LRenderer> renderer = LRenderer::CreateForPlatform(Platform::GetRealClock());
    renderer->BeginPaint(target);
    renderer->FillRect({0.0, 0.0, double(w), double(h)}, kBackground);
    const RCPtr<LBitmapData> art = LBitmapData::Load(W("::VarnetUpdater.png"));
    if (art && art->HasImage()) {
        DrawPart(*renderer, art, kPictureX, kPictureY, kPictureWidth, kPictureHeight, kPictureLeft, kPictureTop,
                 kPictureWidth);
        const SplashArea& b = splash.cancelButton;
        DrawPart(*renderer, art, kButtonLeftArtX, kButtonArtY, kButtonLeftWidth, kButtonHeight, b.x, b.y,
                 kButtonLeftWidth);
        DrawPart(*renderer, art, kButtonCentreArtX, kButtonArtY, kButtonCentreWidth, kButtonHeight,
                 b.x + kButtonLeftWidth, b.y, b.width - kButtonLeftWidth - kButtonRightWidth);
        DrawPart(*renderer, art, kButtonRightArtX, kButtonArtY, kButtonRightWidth, kButtonHeight,
                 b.x + b.width - kButtonRightWidth, b.y, kButtonRightWidth);
    }
    DrawText(*renderer, text, splash.text);
    DrawText(*renderer, cancel, splash.cancelButton);
    renderer->EndPaint(target);
    // Opaque throughout, so the premultiplied pixels are the straight ones the splash keeps.
    return splash;
}

void GetSearchingTexts(const LControlFactory* factory, String& text, String& cancel) {
    text = W("Looking for the Varnet...");
    cancel = W("Cancel");
    const ConstRCPtr<LStringTable> table = factory ? factory->GetApplicationStringTable() : nullptr;
    if (!table) return;
    String found;
    if (table->GetString(W("SEARCHING_FOR_DEVICE"), found) && !found.empty()) text = found;
    found.clear();
    if (table->GetString(W("CANCEL"), found) && !found.empty()) cancel = found;
}

}  // namespace Orv
