// Building the updater's whole control tree from the loaded skin, and painting it whole: the real
// main control (its page chosen from the processor's state), every label, button and the progress
// bar, as the window shows them.
#include <benchmark/benchmark.h>

#include <cairo.h>

#include "OrvFramework/Renderer/Cairo/CairoImages.h"

#include "FirmwareUpdater/UI/MainControl.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/Look.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace {

using namespace Orv;

// Stands where the application's update processor stands: a fixed state and version.
class FixedProcessor : public IMainControlProcessor {
public:
    explicit FixedProcessor(ProcessorState state) : m_state(state) {}
    ProcessorState GetState() const override { return m_state; }
    ORVRESULT StartUpdate() override { return E_FAIL; }
    bool GetFirmwareUpdateVersion(String& version) const override {
        version = W("1.0.2");
        return false;
    }

private:
    ProcessorState m_state;
};

// Installs the processor for one benchmark and leaves nothing queued behind it.
struct ProcessorScope {
    explicit ProcessorScope(ProcessorState state) : processor(state) { SetMainControlProcessor(&processor); }
    ~ProcessorScope() {
        SetMainControlProcessor(nullptr);
        GetApplicationNotificationCenter()->ProcessQueue(false);
    }
    FixedProcessor processor;
};

RCPtr<LControlFactory> LoadedFactory() {
    auto factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
    if (Failed(factory->LoadDefinitions(W("::"), 0x0409)) || Failed(RegisterFrameworkControlClasses(*factory)) ||
        Failed(RegisterMainControlClass(*factory)))
        return nullptr;
    return factory;
}

RCPtr<LControl> CreateMainControl(LControlFactory& factory) {
    RCPtr<LControl> main = factory.CreateControl(W("mainControl"), nullptr);
    return dynamic_cast<LMainControl*>(main.Get()) ? main : nullptr;
}

void BM_CreateMainControlTree(benchmark::State& state) {
    ProcessorScope scope(DeviceReady);
    auto factory = LoadedFactory();
    if (!factory) {
        state.SkipWithError("the shipped skin did not load");
        return;
    }
    for (auto _ : state) {
        RCPtr<LControl> main = CreateMainControl(*factory);
        if (!main) {
            state.SkipWithError("mainControl could not be created");
            break;
        }
        benchmark::DoNotOptimize(main.Get());
        // The tree's notification handlers hold it; the window breaks that cycle the same way.
        main->ReleaseInternalReferences();
    }
}
BENCHMARK(BM_CreateMainControlTree)->Unit(benchmark::kMicrosecond);

// A full paint of the main control into a window-sized image, looks kept between paints as the
// root window keeps them. The argument is the processor state that picks the page: the welcome
// page (device ready) and the upload page with its progress bar.
void BM_PaintMainControl(benchmark::State& state) {
    ProcessorScope scope(static_cast<ProcessorState>(state.range(0)));
    auto factory = LoadedFactory();
    RCPtr<LControl> main = factory ? CreateMainControl(*factory) : nullptr;
    if (!main) {
        state.SkipWithError("mainControl could not be created");
        return;
    }
    main->LayoutChildren();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 432, 295);
    RCPtr<LRenderer> renderer = LRenderer::Create(LRenderer::TypeCairo, {0, 0, 432, 295}, nullptr);
    LControlTreePainter painter;
    const LRegion everything(std::vector<LRect>{LRect{0, 0, 432, 295}});
    for (auto _ : state) {
        renderer->BeginPaint(PaintTargetOf(surface));
        painter.Paint(*renderer, *main, everything);
        renderer->EndPaint(PaintTargetOf(surface));
    }
    // A paint that left the window untouched measured nothing: the corner is the skin's background.
    cairo_surface_flush(surface);
    const unsigned char* row = cairo_image_surface_get_data(surface) + 2 * cairo_image_surface_get_stride(surface);
    if ((reinterpret_cast<const std::uint32_t*>(row)[2] & 0xFFFFFF) == 0)
        state.SkipWithError("the paint left the window black");
    cairo_surface_destroy(surface);
    main->ReleaseInternalReferences();
}
BENCHMARK(BM_PaintMainControl)->Arg(DeviceReady)->Arg(UpdateInProcess)->Unit(benchmark::kMicrosecond);

}  // namespace
