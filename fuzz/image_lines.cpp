// Arbitrary bytes as a firmware image, read the way the upload reads it: the line counter, then the
// real line reader (with the upload's line buffer) handing the first line to the header parser and
// every further line to the row parser. The start-up check reads the same file: whatever it calls
// sound must go through the upload's parsers without a single failure. The reader works on files,
// so the input is written to this process's temporary file first.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"
#include "ScratchFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch("image_lines_fuzz", ".cyacd");
    const std::string& path = scratch.Path();
    scratch.Write(std::string_view(reinterpret_cast<const char*>(data), size));
    const double lineFeeds = Varnet::CountImageLines(path);
    if (lineFeeds != static_cast<double>(std::count(data, data + size, std::uint8_t{'\n'}))) __builtin_trap();

    Varnet::LImageFile image;
    if (Orv::Failed(image.Open(path))) __builtin_trap();
    char buffer[Varnet::ImageLineBufferSize];
    Varnet::ImageHeader header;
    Varnet::ImageRow row;
    std::size_t length = 0, reads = 0, failures = 0;
    Varnet::ImageLineResult result;
    while ((result = image.ReadImageLine(length, buffer)) == Varnet::ImageLineResult::LineRead) {
        if (length >= Varnet::ImageLineBufferSize) __builtin_trap();
        if (reads++ == 0) {
            if (Orv::Failed(Varnet::ParseHeaderLine(length, buffer, header))) ++failures;
        } else if (Orv::Succeeded(Varnet::ParseRowLine(length, buffer, row))) {
            if (row.dataLength > Varnet::MaxRowDataSize) __builtin_trap();
            (void)Varnet::ExpectedRowChecksum(row);
        } else {
            ++failures;
        }
    }
    const Varnet::ImageReport report = Varnet::CheckImage(path);
    if (report.IsSound() && (failures != 0 || reads < 2)) __builtin_trap();
    // A readable file always ends in "no more lines", and every line feed ended one read.
    if (result != Varnet::ImageLineResult::NoMoreLines || static_cast<double>(reads) < lineFeeds) __builtin_trap();
    if (image.ReadImageLine(length, buffer) != Varnet::ImageLineResult::NoMoreLines || length != 0) __builtin_trap();

    std::uint8_t bytes[Varnet::MaxLineBytes];
    std::size_t count = 0;
    (void)Varnet::HexToBytes(size, reinterpret_cast<const char*>(data), count, bytes, sizeof bytes);
    if (count > sizeof bytes) __builtin_trap();
    return 0;
}
