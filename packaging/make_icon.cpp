// The program's icon for desktop menus and the window: a square dark tile with the device on it.
// From 64 pixels up the device picture is cut out of the updater's artwork sheet; below that the
// picture (a wide front panel) would shrink to a few grey rows, so a simplified front is drawn
// instead: a silver box, a black panel, the two orange gain rings, the large monitor knob and the
// green lamp, each at least a pixel or two wide.
//   varnet-make-icon <artwork.png> <output.png> [size]
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "CairoShapes.h"

namespace {

// Where the artwork generator draws the device picture on its sheet.
constexpr double kPictureX = 0, kPictureY = 407, kPictureW = 275, kPictureH = 103;
// Below this size the simplified front is drawn.
constexpr int kSmallestPictureSize = 128;

void Rgb(cairo_t* cr, unsigned hex, double alpha = 1.0) {
    cairo_set_source_rgba(cr, ((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha);
}

void Circle(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * VarnetArt::kPi);
}

// The device front, in a unit square scaled to the icon: taller than the real panel so the
// controls stay several pixels wide at 16 pixels.
void DrawSimplifiedFront(cairo_t* cr, double s) {
    // At 16 pixels a ring would blur into its knob: the gain knobs are plain orange dots there.
    const bool tiny = s < 24;
    cairo_save(cr);
    cairo_scale(cr, s, s);
    // Silver chassis; the edges fall on whole pixels at 16 and 32.
    VarnetArt::RoundedRect(cr, 0.0625, 0.25, 0.875, 0.5, 0.08);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, 0.25, 0, 0.75);
    cairo_pattern_add_color_stop_rgb(metal, 0, 0xE8 / 255.0, 0xE8 / 255.0, 0xE8 / 255.0);
    cairo_pattern_add_color_stop_rgb(metal, 1, 0x9A / 255.0, 0x9A / 255.0, 0x9A / 255.0);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    // Black front panel.
    VarnetArt::RoundedRect(cr, 0.125, 0.3125, 0.75, 0.375, 0.04);
    Rgb(cr, 0x161616);
    cairo_fill(cr);
    // Two gain knobs with their orange rings.
    for (double cx : {0.27, 0.46}) {
        Circle(cr, cx, 0.50, tiny ? 0.07 : 0.085);
        Rgb(cr, 0xDB9A20);
        cairo_fill(cr);
        if (tiny) continue;
        Circle(cr, cx, 0.50, 0.05);
        Rgb(cr, 0x2A2A2A);
        cairo_fill(cr);
    }
    // The monitor knob, larger, with a white pointer.
    Circle(cr, 0.68, 0.50, 0.12);
    Rgb(cr, 0x3A3A3A);
    cairo_fill_preserve(cr);
    Rgb(cr, 0x707070);
    cairo_set_line_width(cr, 0.02);
    cairo_stroke(cr);
    cairo_move_to(cr, 0.68, 0.50);
    cairo_line_to(cr, 0.74, 0.42);
    Rgb(cr, 0xFFFFFF);
    cairo_set_line_width(cr, 0.035);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    // The power lamp.
    Circle(cr, 0.83, 0.37, tiny ? 0.045 : 0.035);
    Rgb(cr, 0x3CE05A);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: varnet-make-icon <artwork.png> <output.png> [size]\n");
        return 2;
    }
    const int size = argc == 4 ? std::atoi(argv[3]) : 256;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "varnet-make-icon: size must be 16 to 1024\n");
        return 2;
    }
    cairo_surface_t* sheet = cairo_image_surface_create_from_png(argv[1]);
    if (cairo_surface_status(sheet) != CAIRO_STATUS_SUCCESS ||
        cairo_image_surface_get_width(sheet) < kPictureX + kPictureW ||
        cairo_image_surface_get_height(sheet) < kPictureY + kPictureH) {
        std::fprintf(stderr, "varnet-make-icon: %s is not the artwork sheet\n", argv[1]);
        cairo_surface_destroy(sheet);
        return 1;
    }

    cairo_surface_t* icon = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(icon);
    const double s = size;
    // The window's dark grey, so the picture is seen as in the updater.
    VarnetArt::RoundedRect(cr, s * 0.03, s * 0.03, s * 0.94, s * 0.94, s * 0.16);
    cairo_pattern_t* tile = cairo_pattern_create_linear(0, 0, 0, s);
    cairo_pattern_add_color_stop_rgb(tile, 0, 0x3C / 255.0, 0x3C / 255.0, 0x3C / 255.0);
    cairo_pattern_add_color_stop_rgb(tile, 1, 0x24 / 255.0, 0x24 / 255.0, 0x24 / 255.0);
    cairo_set_source(cr, tile);
    cairo_fill(cr);
    cairo_pattern_destroy(tile);

    if (size < kSmallestPictureSize) {
        DrawSimplifiedFront(cr, s);
    } else {
        const double scale = (s * 0.86) / kPictureW;
        cairo_save(cr);
        cairo_translate(cr, (s - kPictureW * scale) / 2, (s - kPictureH * scale) / 2);
        cairo_scale(cr, scale, scale);
        cairo_rectangle(cr, 0, 0, kPictureW, kPictureH);
        cairo_clip(cr);
        cairo_set_source_surface(cr, sheet, -kPictureX, -kPictureY);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BEST);
        cairo_paint(cr);
        cairo_restore(cr);
    }

    cairo_destroy(cr);
    const cairo_status_t written = cairo_surface_write_to_png(icon, argv[2]);
    cairo_surface_destroy(icon);
    cairo_surface_destroy(sheet);
    if (written != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "varnet-make-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
