#include "Application/SearchingSplash.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstring>

#include "OrvFramework/Utilities/Graphics/BitmapData.h"

namespace Orv {

namespace {

// The main window's skin: background, text colour, font, the device picture and the button parts
// in the artwork.
constexpr std::uint32_t kBackground = 0xFF303030;
constexpr double kTextGrey = 0xD9 / 255.0;
constexpr const char* kFont = "Arial";
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

cairo_surface_t* ArtworkSurface(const LBitmapData& art) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, art.GetWidth(), art.GetHeight());
    cairo_surface_flush(surface);
    auto* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const auto& pixels = art.GetPixels();
    for (int y = 0; y < art.GetHeight(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < art.GetWidth(); ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * art.GetWidth() + x];
            const std::uint32_t a = p >> 24;
            auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            row[x] = a << 24 | pre((p >> 16) & 0xFF) << 16 | pre((p >> 8) & 0xFF) << 8 | pre(p & 0xFF);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

// Copies the artwork's rectangle (sx, sy, w, h) to (dx, dy), tiling it across `width`.
void DrawPart(cairo_t* cr, cairo_surface_t* art, int sx, int sy, int w, int h, int dx, int dy, int width) {
    cairo_save(cr);
    cairo_rectangle(cr, dx, dy, width, h);
    cairo_clip(cr);
    for (int x = dx; x < dx + width; x += w) {
        cairo_set_source_surface(cr, art, x - sx, dy - sy);
        cairo_rectangle(cr, x, dy, std::min(w, dx + width - x), h);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void DrawText(cairo_t* cr, const String& text, const SplashArea& box, double hAlign) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, kFont);
    // Points at 96 pixels per inch, as the main window's labels are drawn.
    pango_font_description_set_absolute_size(font, kFontPoints * 96.0 / 72.0 * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    const std::string utf8 = Utf16ToUtf8(text);
    pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
    pango_layout_set_width(layout, box.width * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout, hAlign > 0.25 ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.width, box.height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, kTextGrey, kTextGrey, kTextGrey);
    cairo_move_to(cr, box.x, box.y + std::max(0, (box.height - h) / 2));
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

}  // namespace

SearchingSplash ComposeSearchingSplash(const String& text, const String& cancel) {
    SearchingSplash splash;
    splash.cancelButton = {kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight};
    splash.text = {(kSearchingSplashWidth - kTextWidth) / 2, kTextTop, kTextWidth, kTextHeight};
    const int w = kSearchingSplashWidth, h = kSearchingSplashHeight;
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(target);
    cairo_set_source_rgb(cr, ((kBackground >> 16) & 0xFF) / 255.0, ((kBackground >> 8) & 0xFF) / 255.0,
                         (kBackground & 0xFF) / 255.0);
    cairo_paint(cr);

    const RCPtr<LBitmapData> art = LBitmapData::Load(W("::VarnetUpdater.png"));
    if (art && art->HasImage()) {
        cairo_surface_t* artwork = ArtworkSurface(*art);
        DrawPart(cr, artwork, kPictureX, kPictureY, kPictureWidth, kPictureHeight, kPictureLeft, kPictureTop,
                 kPictureWidth);
        const SplashArea& b = splash.cancelButton;
        DrawPart(cr, artwork, kButtonLeftArtX, kButtonArtY, kButtonLeftWidth, kButtonHeight, b.x, b.y,
                 kButtonLeftWidth);
        DrawPart(cr, artwork, kButtonCentreArtX, kButtonArtY, kButtonCentreWidth, kButtonHeight,
                 b.x + kButtonLeftWidth, b.y, b.width - kButtonLeftWidth - kButtonRightWidth);
        DrawPart(cr, artwork, kButtonRightArtX, kButtonArtY, kButtonRightWidth, kButtonHeight,
                 b.x + b.width - kButtonRightWidth, b.y, kButtonRightWidth);
        cairo_surface_destroy(artwork);
    }
    DrawText(cr, text, splash.text, 0.5);
    DrawText(cr, cancel, splash.cancelButton, 0.5);
    cairo_destroy(cr);
    cairo_surface_flush(target);

    // Opaque throughout, so premultiplied and straight pixels are the same.
    splash.picture.width = w;
    splash.picture.height = h;
    splash.picture.pixels.resize(static_cast<std::size_t>(w) * h);
    const auto* data = cairo_image_surface_get_data(target);
    const int stride = cairo_image_surface_get_stride(target);
    for (int y = 0; y < h; ++y)
        std::memcpy(&splash.picture.pixels[static_cast<std::size_t>(y) * w], data + static_cast<std::ptrdiff_t>(y) * stride,
                    static_cast<std::size_t>(w) * 4);
    cairo_surface_destroy(target);
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
