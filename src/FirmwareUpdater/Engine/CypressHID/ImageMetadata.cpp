#include "FirmwareUpdater/Engine/CypressHID/ImageMetadata.h"

#include <algorithm>
#include <cstdio>

namespace Varnet {

namespace {

std::uint32_t Read32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

void Write32(std::uint32_t value, std::uint8_t* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t GlobalRow(std::uint8_t array, std::uint16_t row) {
    return std::uint64_t{array} * FlashRowsPerArray + row;
}

}  // namespace

ApplicationMetadata DecodeApplicationMetadata(const std::uint8_t* bytes) {
    ApplicationMetadata metadata;
    metadata.checksum = bytes[0];
    metadata.entryAddress = Read32(bytes + 1);
    metadata.bootloaderLastRow = Read32(bytes + 5);
    metadata.applicationLength = Read32(bytes + 9);
    metadata.applicationVersion = static_cast<std::uint16_t>(bytes[22] | (bytes[23] << 8));
    return metadata;
}

void EncodeApplicationMetadata(const ApplicationMetadata& metadata, std::uint8_t* bytes) {
    bytes[0] = metadata.checksum;
    Write32(metadata.entryAddress, bytes + 1);
    Write32(metadata.bootloaderLastRow, bytes + 5);
    Write32(metadata.applicationLength, bytes + 9);
    bytes[22] = static_cast<std::uint8_t>(metadata.applicationVersion & 0xFF);
    bytes[23] = static_cast<std::uint8_t>(metadata.applicationVersion >> 8);
}

MetadataCheck CheckApplicationMetadata(const FlashRows& flash, std::uint8_t lastArray, std::uint16_t lastRow) {
    MetadataCheck check;
    const auto where = flash.find({lastArray, lastRow});
    if (where == flash.end()) {
        check.problem =
            "no metadata row (row " + std::to_string(lastRow) + " of array " + std::to_string(lastArray) + ")";
        return check;
    }
    const std::vector<std::uint8_t>& metadataRow = where->second;
    if (metadataRow.size() < MetadataSize) {
        check.problem = "the metadata row holds " + std::to_string(metadataRow.size()) + " bytes, fewer than " +
                        std::to_string(MetadataSize);
        return check;
    }
    check.present = true;
    check.metadata = DecodeApplicationMetadata(metadataRow.data() + metadataRow.size() - MetadataSize);

    // Byte addresses across the arrays, in rows the size of the metadata row.
    const std::uint64_t rowSize = metadataRow.size();
    const std::uint64_t start = (std::uint64_t{check.metadata.bootloaderLastRow} + 1) * rowSize;
    const std::uint64_t end = start + check.metadata.applicationLength;
    const std::uint64_t metadataStart = GlobalRow(lastArray, lastRow) * rowSize + rowSize - MetadataSize;
    if (check.metadata.applicationLength == 0) {
        check.problem = "the application length is 0";
        return check;
    }
    if (end > metadataStart) {
        check.problem = "the application (" + std::to_string(check.metadata.applicationLength) + " bytes after row " +
                        std::to_string(check.metadata.bootloaderLastRow) + ") runs into the metadata";
        return check;
    }
    unsigned sum = 0;
    for (const auto& [key, data] : flash) {
        const std::uint64_t rowStart = GlobalRow(key.first, key.second) * rowSize;
        const std::uint64_t count = std::min<std::uint64_t>(data.size(), rowSize);
        if (rowStart >= end || rowStart + count <= start) continue;
        const std::uint64_t from = start > rowStart ? start - rowStart : 0;
        const std::uint64_t to = std::min(count, end - rowStart);
        for (std::uint64_t i = from; i < to; ++i) sum += data[i];
    }
    check.computedChecksum = static_cast<std::uint8_t>((0x100u - (sum & 0xFFu)) & 0xFFu);
    if (check.computedChecksum != check.metadata.checksum) {
        char text[96];
        std::snprintf(text, sizeof text, "the checksum is 0x%02X, the application's bytes need 0x%02X",
                      unsigned{check.metadata.checksum}, unsigned{check.computedChecksum});
        check.problem = text;
        return check;
    }
    check.valid = true;
    return check;
}

}  // namespace Varnet
