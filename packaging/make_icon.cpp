// Cuts the device picture out of the updater's artwork sheet and centres it on a square dark tile:
// the program's icon for desktop menus.
//   varnet-make-icon <artwork.png> <output.png> [size]
#include <cairo.h>

#include <cstdio>
#include <cstdlib>

#include "CairoShapes.h"

namespace {

// Where the artwork generator draws the device picture on its sheet.
constexpr double kPictureX = 0, kPictureY = 407, kPictureW = 275, kPictureH = 103;

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
