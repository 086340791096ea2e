// Building the updater's whole control tree from the loaded skin.
#include <benchmark/benchmark.h>

#include "OrvFramework/ControlBase/ControlFactory.h"
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
