// Cost of reading an image the way the upload does: one line at a time, header then rows.
#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string SampleImage = VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd";

void BM_ReadAndParseSampleImage(benchmark::State& state) {
    char buffer[Varnet::ImageLineBufferSize];
    Varnet::ImageHeader header;
    Varnet::ImageRow row;
    std::size_t rows = 0;
    for (auto _ : state) {
        Varnet::LImageFile file;
        if (Orv::Failed(file.Open(SampleImage))) {
            state.SkipWithError("sample image missing");
            return;
        }
        std::size_t length = 0;
        file.ReadImageLine(length, buffer);
        Varnet::ParseHeaderLine(length, buffer, header);
        while (file.ReadImageLine(length, buffer) == Varnet::ImageLineResult::LineRead) {
            Varnet::ParseRowLine(length, buffer, row);
            benchmark::DoNotOptimize(Varnet::ExpectedRowChecksum(row));
            ++rows;
        }
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadAndParseSampleImage);

void BM_ParseRowLine(benchmark::State& state) {
    std::string line = ":0000200100";
    for (int i = 0; i < 256; ++i) line += "A5";
    line += "00";
    Varnet::ImageRow row;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Varnet::ParseRowLine(line.size(), line.c_str(), row));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}
BENCHMARK(BM_ParseRowLine);

void BM_CountImageLines(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Varnet::CountImageLines(SampleImage));
}
BENCHMARK(BM_CountImageLines);

}  // namespace
