// Draws the updater's artwork sheet: every image part of the skin sits at the rectangle the skin
// cuts it from. The sheet is 512 x 512, transparent where nothing is drawn, and meant to be seen
// on the window's dark grey (0x303030).
//   varnet-artwork <output.png>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "CairoShapes.h"

namespace {

using VarnetArt::kPi;
using VarnetArt::RoundedRect;

struct Rgb {
    double r, g, b;
};
constexpr Rgb Hex(unsigned v) { return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0}; }

void Source(cairo_t* cr, Rgb c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }

void VerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha = 1.0) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// One button: the left cap, a centre that is the same in every column (it is tiled) and the right
// cap, drawn as one rounded shape clipped to the three rectangles.
struct ButtonStyle {
    Rgb top, bottom, border, highlight;
    double highlightAlpha;
};

void Button(cairo_t* cr, double x, double y, double width, const ButtonStyle& s) {
    const double h = 15.0;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, h);
    cairo_clip(cr);
    RoundedRect(cr, x + 0.5, y + 0.5, width - 1.0, h - 1.0, 2.5);
    VerticalGradient(cr, y, y + h, s.top, s.bottom);
    cairo_fill_preserve(cr);
    Source(cr, s.border);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // A one-pixel sheen under the top edge.
    cairo_move_to(cr, x + 2.5, y + 1.5);
    cairo_line_to(cr, x + width - 2.5, y + 1.5);
    Source(cr, s.highlight, s.highlightAlpha);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void FocusCorners(cairo_t* cr) {
    // 3 x 3 corners of the focus frame at (12, 3), (15, 3), (12, 6), (15, 6); the frame's edges are
    // one-pixel lines of the same orange at 32 % drawn by the skin, so the corners round them off.
    const Rgb orange = Hex(0xDB9A20);
    const double a = 0.32;
    struct Corner {
        int x, y;
        bool right, bottom;
    } corners[] = {{12, 3, false, false}, {15, 3, true, false}, {12, 6, false, true}, {15, 6, true, true}};
    for (const Corner& c : corners) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                // Local coordinates seen from the corner's outer point.
                const int u = c.right ? 2 - i : i;
                const int v = c.bottom ? 2 - j : j;
                double alpha = 0.0;
                if ((v == 0 && u >= 1) || (u == 0 && v >= 1)) alpha = a;  // the two edges
                if (u == 1 && v == 1) alpha = a * 0.55;                   // the rounding
                if (alpha == 0.0) continue;
                cairo_rectangle(cr, c.x + i, c.y + j, 1, 1);
                Source(cr, orange, alpha);
                cairo_fill(cr);
            }
    }
}

void ToolTip(cairo_t* cr) {
    // Left cap 11 at (62, 0), centre 32 at (73, 0), right cap 11 at (105, 0); 22 high.
    const double x = 62, y = 0, w = 54, h = 22;
    cairo_save(cr);
    RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 5);
    VerticalGradient(cr, y, y + h, Hex(0x262626), Hex(0x1A1A1A), 0.96);
    cairo_fill_preserve(cr);
    Source(cr, Hex(0xDB9A20), 0.75);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void ProgressBar(cairo_t* cr) {
    // The trough, 422 x 16 at (0, 264).
    RoundedRect(cr, 0.5, 264.5, 421, 15, 3);
    VerticalGradient(cr, 264, 280, Hex(0x161616), Hex(0x232323));
    cairo_fill_preserve(cr);
    Source(cr, Hex(0x555555));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_move_to(cr, 3, 265.5);
    cairo_line_to(cr, 419, 265.5);
    Source(cr, Hex(0x000000), 0.35);
    cairo_stroke(cr);

    // The fill, 420 x 14 at (0, 280), drawn inside the trough at (1, 1). It is cut at any width,
    // so it is the same in every column apart from a soft rounded start.
    const double y = 280, h = 14;
    cairo_save(cr);
    cairo_rectangle(cr, 0, y, 420, h);
    cairo_clip(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(p, 0.0, 0.98, 0.78, 0.38);
    cairo_pattern_add_color_stop_rgb(p, 0.45, 0.86, 0.60, 0.13);
    cairo_pattern_add_color_stop_rgb(p, 1.0, 0.66, 0.42, 0.06);
    RoundedRect(cr, 0, y, 440, h, 2.5);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_rectangle(cr, 1, y + 1, 420, 1);
    Source(cr, Hex(0xFFFFFF), 0.25);
    cairo_fill(cr);
    cairo_restore(cr);
}

// ---- the device picture: 275 x 103 at (0, 407) ----

void Knob(cairo_t* cr, double cx, double cy, double r, double angle, bool ring) {
    cairo_new_path(cr);
    if (ring) {  // the orange ring of the gain control
        cairo_arc(cr, cx, cy, r + 3.0, 0.75 * kPi, angle < 0.75 * kPi ? angle + 2 * kPi : angle);
        Source(cr, Hex(0xDB9A20), 0.9);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, r + 3.0, 0.75 * kPi, 2.25 * kPi);
        Source(cr, Hex(0x000000), 0.25);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
    }
    // Shadow, skirt, cap.
    cairo_new_path(cr);
    cairo_arc(cr, cx + 0.8, cy + 1.4, r + 0.6, 0, 2 * kPi);
    Source(cr, Hex(0x000000), 0.35);
    cairo_fill(cr);
    cairo_pattern_t* skirt = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    cairo_pattern_add_color_stop_rgb(skirt, 0, 0.30, 0.30, 0.31);
    cairo_pattern_add_color_stop_rgb(skirt, 1, 0.08, 0.08, 0.09);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_set_source(cr, skirt);
    cairo_fill(cr);
    cairo_pattern_destroy(skirt);
    cairo_pattern_t* cap = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.4, r * 0.1, cx, cy, r * 0.8);
    cairo_pattern_add_color_stop_rgb(cap, 0, 0.42, 0.42, 0.44);
    cairo_pattern_add_color_stop_rgb(cap, 1, 0.16, 0.16, 0.17);
    cairo_arc(cr, cx, cy, r * 0.78, 0, 2 * kPi);
    cairo_set_source(cr, cap);
    cairo_fill(cr);
    // Pointer.
    cairo_move_to(cr, cx + std::cos(angle) * r * 0.25, cy + std::sin(angle) * r * 0.25);
    cairo_line_to(cr, cx + std::cos(angle) * r * 0.72, cy + std::sin(angle) * r * 0.72);
    Source(cr, Hex(0xEDEDED));
    cairo_set_line_width(cr, 1.4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void ComboJack(cairo_t* cr, double cx, double cy) {
    const double r = 11.0;
    // Metal ring with a latch tab, dark socket, three XLR pin holes around the jack hole.
    cairo_arc(cr, cx, cy, r + 1.5, 0, 2 * kPi);
    Source(cr, Hex(0x000000), 0.3);
    cairo_fill(cr);
    cairo_pattern_t* ring = cairo_pattern_create_linear(cx, cy - r, cx, cy + r);
    cairo_pattern_add_color_stop_rgb(ring, 0, 0.85, 0.85, 0.86);
    cairo_pattern_add_color_stop_rgb(ring, 1, 0.45, 0.45, 0.47);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_set_source(cr, ring);
    cairo_fill(cr);
    cairo_pattern_destroy(ring);
    cairo_arc(cr, cx, cy, r - 2.2, 0, 2 * kPi);
    Source(cr, Hex(0x141414));
    cairo_fill(cr);
    for (double a : {-kPi / 2 - 0.9, -kPi / 2 + 0.9, kPi / 2}) {
        cairo_arc(cr, cx + std::cos(a) * 5.6, cy + std::sin(a) * 5.6, 1.2, 0, 2 * kPi);
        Source(cr, Hex(0x000000));
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy, 3.2, 0, 2 * kPi);
    Source(cr, Hex(0x6E6E70));
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 2.0, 0, 2 * kPi);
    Source(cr, Hex(0x000000));
    cairo_fill(cr);
    // Latch.
    cairo_rectangle(cr, cx - 2, cy - r - 3, 4, 3);
    Source(cr, Hex(0x9A9A9C));
    cairo_fill(cr);
}

void Meter(cairo_t* cr, double x, double bottom, int lit) {
    const Rgb colours[] = {Hex(0x3FCF4A), Hex(0x3FCF4A), Hex(0x3FCF4A), Hex(0xE8C12A), Hex(0xE5452F)};
    for (int i = 0; i < 5; ++i) {
        const double y = bottom - i * 4.0 - 3.0;
        RoundedRect(cr, x, y, 5, 2.6, 0.8);
        if (i < lit) {
            Source(cr, colours[i]);
            cairo_fill_preserve(cr);
            Source(cr, colours[i], 0.35);
            cairo_set_line_width(cr, 1.6);
            cairo_stroke(cr);
        } else {
            Source(cr, Hex(0x1B1B1B));
            cairo_fill(cr);
        }
    }
}

void Text(cairo_t* cr, double x, double y, const char* text, double size, Rgb colour, double alpha, bool bold = false) {
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    Source(cr, colour, alpha);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

void DevicePicture(cairo_t* cr) {
    const double ox = 0, oy = 407;  // 275 x 103
    cairo_save(cr);
    cairo_rectangle(cr, ox, oy, 275, 103);
    cairo_clip(cr);
    cairo_translate(cr, ox, oy);

    // Soft shadow on the desk.
    for (int i = 0; i < 6; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 137.5, 96.0);
        cairo_scale(cr, 1.0, 0.12);
        cairo_arc(cr, 0, 0, 128 - i * 4, 0, 2 * kPi);
        cairo_restore(cr);
        Source(cr, Hex(0x000000), 0.07);
        cairo_fill(cr);
    }
    // Rubber feet.
    for (double fx : {26.0, 238.0}) {
        RoundedRect(cr, fx, 90, 12, 5, 2);
        Source(cr, Hex(0x151515));
        cairo_fill(cr);
    }
    // Top face, seen slightly from above.
    cairo_move_to(cr, 14, 22);
    cairo_line_to(cr, 30, 8);
    cairo_line_to(cr, 245, 8);
    cairo_line_to(cr, 261, 22);
    cairo_close_path(cr);
    VerticalGradient(cr, 8, 22, Hex(0xB9BBBF), Hex(0x9A9CA1));
    cairo_fill(cr);
    // Front panel: brushed aluminium.
    RoundedRect(cr, 10, 20, 255, 72, 6);
    cairo_pattern_t* front = cairo_pattern_create_linear(0, 20, 0, 92);
    cairo_pattern_add_color_stop_rgb(front, 0, 0.80, 0.81, 0.83);
    cairo_pattern_add_color_stop_rgb(front, 0.5, 0.66, 0.67, 0.70);
    cairo_pattern_add_color_stop_rgb(front, 1, 0.52, 0.53, 0.56);
    cairo_set_source(cr, front);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(front);
    Source(cr, Hex(0x3A3B3E));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    for (int i = 0; i < 30; ++i) {  // brushing
        const double y = 23.5 + i * 2.3;
        cairo_move_to(cr, 14, y);
        cairo_line_to(cr, 261, y);
        Source(cr, Hex(0xFFFFFF), (i % 3 == 0) ? 0.06 : 0.03);
        cairo_stroke(cr);
    }
    cairo_move_to(cr, 16, 21.5);
    cairo_line_to(cr, 259, 21.5);
    Source(cr, Hex(0xFFFFFF), 0.55);
    cairo_stroke(cr);

    // Dark control strip.
    RoundedRect(cr, 17, 27, 241, 58, 4);
    VerticalGradient(cr, 27, 85, Hex(0x2C2D30), Hex(0x1E1F21));
    cairo_fill(cr);

    // Inputs 1 and 2: combo jacks with their gain knobs and meters.
    ComboJack(cr, 36, 52);
    ComboJack(cr, 66, 52);
    Text(cr, 33.5, 78, "1", 6.5, Hex(0xD9D9D9), 0.8, true);
    Text(cr, 63.5, 78, "2", 6.5, Hex(0xD9D9D9), 0.8, true);
    Knob(cr, 103, 50, 10, -0.4, true);
    Knob(cr, 135, 50, 10, 0.3, true);
    Text(cr, 95, 78, "GAIN 1", 5.5, Hex(0xD9D9D9), 0.7);
    Text(cr, 127, 78, "GAIN 2", 5.5, Hex(0xD9D9D9), 0.7);
    Meter(cr, 157, 62, 4);
    Meter(cr, 165, 62, 3);

    // Monitor: big volume knob, headphone jack.
    Knob(cr, 199, 50, 15, -0.9, false);
    Text(cr, 186, 78, "MONITOR", 5.5, Hex(0xD9D9D9), 0.7);
    cairo_arc(cr, 239, 50, 5.5, 0, 2 * kPi);
    VerticalGradient(cr, 44, 56, Hex(0xD8D8DA), Hex(0x707073));
    cairo_fill(cr);
    cairo_arc(cr, 239, 50, 3.0, 0, 2 * kPi);
    Source(cr, Hex(0x080808));
    cairo_fill(cr);
    // Headphone glyph.
    cairo_arc(cr, 239, 70, 3.2, kPi, 2 * kPi);
    Source(cr, Hex(0xD9D9D9), 0.7);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
    cairo_rectangle(cr, 235.3, 70, 1.4, 2.6);
    cairo_rectangle(cr, 241.3, 70, 1.4, 2.6);
    cairo_fill(cr);

    // Power and USB lights.
    cairo_arc(cr, 247, 33, 1.6, 0, 2 * kPi);
    Source(cr, Hex(0x5BE36A));
    cairo_fill(cr);
    cairo_arc(cr, 247, 33, 3.0, 0, 2 * kPi);
    Source(cr, Hex(0x5BE36A), 0.25);
    cairo_fill(cr);

    // Maker's plate on the top face.
    Text(cr, 116, 18, "VARNET", 7.5, Hex(0x2B2C30), 0.85, true);
    cairo_restore(cr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 512, 512);
    cairo_t* cr = cairo_create(sheet);

    // Buttons at x 485: normal (.0) at y 31, on (.7) at y 46 (4 + 20 + 3 wide); disabled (.6) at
    // x 498, y 61 (4 + 7 + 3 wide).
    const ButtonStyle normal{Hex(0x565759), Hex(0x3C3D3F), Hex(0x1B1B1C), Hex(0xFFFFFF), 0.18};
    const ButtonStyle on{Hex(0x6A5733), Hex(0x4A3A1C), Hex(0xDB9A20), Hex(0xFFE2A8), 0.25};
    const ButtonStyle disabled{Hex(0x3A3A3B), Hex(0x343435), Hex(0x2A2A2B), Hex(0xFFFFFF), 0.05};
    Button(cr, 485, 31, 27, normal);
    Button(cr, 485, 46, 27, on);
    Button(cr, 498, 61, 14, disabled);

    FocusCorners(cr);
    ToolTip(cr);
    ProgressBar(cr);
    DevicePicture(cr);

    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(sheet, argv[1]);
    cairo_surface_destroy(sheet);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], cairo_status_to_string(status));
        return 1;
    }
    return 0;
}
