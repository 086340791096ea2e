// Cost of reading an image the way the upload does: one line at a time, header then rows; and of
// the whole-image check every start runs before it looks for the device.
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <unistd.h>

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

// The start-up check of the sample and of the largest file it reads (2 MiB of full-length rows).
void BM_CheckImage(benchmark::State& state) {
    std::string path = SampleImage;
    if (state.range(0) != 0) {
        path = "/tmp/varnet-bench-largest-" + std::to_string(::getpid()) + ".cyacd";
        std::FILE* out = std::fopen(path.c_str(), "w");
        std::fputs("2E1610691100\n", out);
        for (unsigned rowNumber = 0;; ++rowNumber) {
            char head[16];
            std::snprintf(head, sizeof head, ":%02X%04X0100", rowNumber >> 16, rowNumber & 0xFFFF);
            const std::string line = head + std::string(512, '0') + "00\n";  // checksum is off: still read
            if (std::ftell(out) + static_cast<long>(line.size()) > static_cast<long>(Varnet::MaxImageFileSize)) break;
            std::fputs(line.c_str(), out);
        }
        std::fclose(out);
    }
    for (auto _ : state) benchmark::DoNotOptimize(Varnet::CheckImage(path).problemCount);
    if (path != SampleImage) std::remove(path.c_str());
}
BENCHMARK(BM_CheckImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
