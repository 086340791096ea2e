// Building the updater's whole control tree from the loaded skin.
#include <benchmark/benchmark.h>

#include <cairo.h>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/Look.h"
#include "OrvFramework/Renderer/Renderer.h"
#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Controls/Panel.h"

namespace {

Orv::RCPtr<Orv::LControlFactory> LoadedFactory() {
    using namespace Orv;
    auto factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
    factory->LoadDefinitions(W("::"), 0x0409);
    RegisterFrameworkControlClasses(*factory);
    // The main control's own class belongs to the application; a panel carries its children here.
    factory->RegisterControlClass(W("FirmwareUpdater.MainControl"), &CreateControlOf<LPanel>);
    return factory;
}

void BM_CreateMainControlTree(benchmark::State& state) {
    auto factory = LoadedFactory();
    for (auto _ : state) {
        Orv::RCPtr<Orv::LControl> main = factory->CreateControl(Orv::W("mainControl"), nullptr);
        if (!main) state.SkipWithError("mainControl could not be created");
        benchmark::DoNotOptimize(main.Get());
    }
}
BENCHMARK(BM_CreateMainControlTree)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// A full paint of the main control into a window-sized image, looks kept between paints as the
// root window keeps them.
void BM_PaintMainControl(benchmark::State& state) {
    using namespace Orv;
    auto factory = LoadedFactory();
    RCPtr<LControl> main = factory->CreateControl(W("mainControl"), nullptr);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 432, 295);
    RCPtr<LRenderer> renderer = LRenderer::Create(LRenderer::TypeCairo, {0, 0, 432, 295}, nullptr);
    LControlTreePainter painter;
    const LRegion everything(std::vector<LRect>{LRect{0, 0, 432, 295}});
    for (auto _ : state) {
        renderer->BeginPaint(surface);
        painter.Paint(*renderer, *main, everything);
        renderer->EndPaint(surface);
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_PaintMainControl)->Unit(benchmark::kMicrosecond);

}  // namespace
