// Painting a window-sized scene through the Cairo renderer: the background, the device picture,
// the progress bar, two buttons made of caps and a few label texts, as the updater's window
// draws them, without the control tree: the renderer's share of a frame. The main control's own
// full paint is BM_PaintMainControl in tree_creation.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include "OrvFramework/Renderer/Cairo/CairoRenderer.h"

namespace {

using namespace Orv;

const String kArt = String(std::string(VARNET_SOURCE_DIR "/resources/VarnetUpdater.png"));

struct Scene {
    RCPtr<LBitmap> device = MakeRC<LBitmap>(kArt, 0, 407, 275, 103);
    RCPtr<LBitmap> trough = MakeRC<LBitmap>(kArt, 0, 264, 422, 16);
    RCPtr<LBitmap> fill = MakeRC<LBitmap>(kArt, 0, 280, 420, 14);
    RCPtr<LBitmap> capL = MakeRC<LBitmap>(kArt, 485, 31, 4, 15);
    RCPtr<LBitmap> capC = MakeRC<LBitmap>(kArt, 489, 31, 20, 15);
    RCPtr<LBitmap> capR = MakeRC<LBitmap>(kArt, 509, 31, 3, 15);
    LFontDescription font;

    void Paint(LRenderer& r, int frame) {
        r.FillRect({0, 0, 432, 295}, {0.188f, 0.188f, 0.188f, 1.0f});
        r.DrawBitmap(device, {78, 55, 275, 103}, ResizeCenter);
        r.DrawText(String(u"A new firmware for your Varnet is ready to be installed. Press Next to "
                          u"start; do not unplug the device while it is being updated."),
                   font, {0.85f, 0.85f, 0.85f, 1.0f}, LRect{5, 5, 422, 45}, {true, 0.0, 0.0});
        r.DrawBitmap(trough, {5, 240, 422, 16}, ResizeTile);
        r.PushTranslation({6, 241});
        r.DrawBitmap(fill, {0, 0, double(40 + frame % 380), 14}, ResizeTile);
        r.PopState();
        for (double x : {257.0, 347.0}) {
            r.PushClip({x, 275, 80, 15});
            r.PushTranslation({x, 275});
            r.DrawBitmap(capC, {4, 0, 73, 15}, ResizeTile);
            r.DrawBitmap(capL, {0, 0, 4, 15}, ResizeTile);
            r.DrawBitmap(capR, {77, 0, 3, 15}, ResizeTile);
            r.DrawText(String(x < 300 ? u"Next" : u"Exit"), font, {0.85f, 0.85f, 0.85f, 1.0f}, LRect{0, 0, 80, 15},
                       {false, 0.5, 0.5});
            r.PopState();
            r.PopState();
        }
    }
};

void BM_PaintWindow(benchmark::State& state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 432, 295);
    LCairoRenderer renderer;
    Scene scene;
    int frame = 0;
    for (auto _ : state) {
        renderer.BeginPaint(PaintTargetOf(surface));
        scene.Paint(renderer, frame++);
        renderer.EndPaint(PaintTargetOf(surface));
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_PaintWindow);

// The same scene with the bitmap cache cold each time: the cost of stretching and tiling.
void BM_PaintWindowColdCache(benchmark::State& state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 432, 295);
    Scene scene;
    for (auto _ : state) {
        LCairoRenderer renderer;
        renderer.BeginPaint(PaintTargetOf(surface));
        scene.Paint(renderer, 0);
        renderer.EndPaint(PaintTargetOf(surface));
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_PaintWindowColdCache);

}  // namespace
