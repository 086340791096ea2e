// Loading the shipped skin and string tables: what start-up pays before the window appears.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "OrvFramework/ControlBase/ControlFactory.h"

namespace {

const Orv::String kResources = Orv::W(VARNET_SOURCE_DIR "/resources");

// Skin, application and framework tables from the folder, as a custom-skin user would.
void BM_LoadDefinitionsFromFolder(benchmark::State& state) {
    for (auto _ : state) {
        auto factory = Orv::MakeRC<Orv::LControlFactory>();
        if (Orv::Failed(factory->LoadDefinitions(kResources, 0x0409))) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(factory->FindControlDescriptor(Orv::W("mainControl")));
    }
}
BENCHMARK(BM_LoadDefinitionsFromFolder)->Unit(benchmark::kMicrosecond);

// The same from the program's embedded resources ("::"), which is what the updater's start-up does.
void BM_LoadDefinitionsFromResources(benchmark::State& state) {
    for (auto _ : state) {
        auto factory = Orv::MakeRC<Orv::LControlFactory>();
        if (Orv::Failed(factory->LoadDefinitions(Orv::W("::"), 0x0409))) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(factory->FindControlDescriptor(Orv::W("mainControl")));
    }
}
BENCHMARK(BM_LoadDefinitionsFromResources)->Unit(benchmark::kMicrosecond);

// The skin document alone, already in memory: the parser and the descriptors.
void BM_ParseSkin(benchmark::State& state) {
    std::ifstream file(VARNET_SOURCE_DIR "/resources/Skins.xml", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (auto _ : state) {
        auto factory = Orv::MakeRC<Orv::LControlFactory>();
        if (Orv::Failed(factory->ParseXML(text.data(), text.size()))) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(factory->GetRootCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseSkin)->Unit(benchmark::kMicrosecond);

// The string tables in a language that needs the fallback (German: 0x0407, then 0x07).
void BM_LoadStringTablesGerman(benchmark::State& state) {
    const Orv::String app = kResources + u"/StringTables.xml";
    const Orv::String framework = kResources + u"/FrameworkStrings.xml";
    for (auto _ : state) {
        auto factory = Orv::MakeRC<Orv::LControlFactory>();
        factory->LoadStringTables(app, framework, 0x0407);
        benchmark::DoNotOptimize(factory->GetFrameworkStringTable());
    }
}
BENCHMARK(BM_LoadStringTablesGerman)->Unit(benchmark::kMicrosecond);

}  // namespace
