// Feeds arbitrary text to the image-line parsers the way the updater does: the first line as the
// header, every further line as a row, with the updater's line buffer.
#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char buffer[Varnet::ImageLineBufferSize];
    Varnet::ImageHeader header;
    Varnet::ImageRow row;
    std::size_t start = 0;
    bool first = true;
    while (start < size) {
        // One read of at most 767 characters, up to and including a line feed.
        std::size_t n = 0;
        while (start + n < size && n < Varnet::ImageLineBufferSize - 1) {
            if (data[start + n++] == '\n') break;
        }
        std::memcpy(buffer, data + start, n);
        buffer[n] = '\0';
        start += n;
        while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r')) --n;
        if (first) {
            (void)Varnet::ParseHeaderLine(n, buffer, header);
            first = false;
        } else if (Orv::Succeeded(Varnet::ParseRowLine(n, buffer, row))) {
            if (row.dataLength > Varnet::MaxRowDataSize) __builtin_trap();
            (void)Varnet::ExpectedRowChecksum(row);
        }
    }
    std::uint8_t bytes[Varnet::MaxLineBytes];
    std::size_t count = 0;
    (void)Varnet::HexToBytes(size, reinterpret_cast<const char*>(data), count, bytes, sizeof bytes);
    return 0;
}
