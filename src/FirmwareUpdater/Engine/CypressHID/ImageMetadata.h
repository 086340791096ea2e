#pragma once
// The application metadata a bootloader reads before it starts an application: the last 64 bytes
// of the last row of the last flash array. Little-endian fields:
//   byte 0       two's complement of the 8-bit sum of the application's flash bytes
//   bytes 1-4    entry address
//   bytes 5-8    the bootloader's last row (the application starts at the next one)
//   bytes 9-12   application length in bytes
//   bytes 22-23  application version (packed digits, 1.0.2 is 0x0102)
// Rows are counted across the flash arrays, 256 to an array, and each row holds as many bytes as
// the metadata row; a row that was never programmed counts as zeros.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Varnet {

inline constexpr std::size_t MetadataSize = 64;
inline constexpr std::uint32_t FlashRowsPerArray = 256;

struct ApplicationMetadata {
    std::uint8_t checksum = 0;
    std::uint32_t entryAddress = 0;
    std::uint32_t bootloaderLastRow = 0;
    std::uint32_t applicationLength = 0;
    std::uint16_t applicationVersion = 0;
};

// Flash contents by (array, row).
using FlashRows = std::map<std::pair<std::uint8_t, std::uint16_t>, std::vector<std::uint8_t>>;

struct MetadataCheck {
    bool present = false;  // the metadata row exists and holds at least MetadataSize bytes
    bool valid = false;    // present, and it describes the flash it sits in
    ApplicationMetadata metadata;
    std::uint8_t computedChecksum = 0;
    std::string problem;  // why it is not valid; empty when it is
};

ApplicationMetadata DecodeApplicationMetadata(const std::uint8_t* bytes);
void EncodeApplicationMetadata(const ApplicationMetadata& metadata, std::uint8_t* bytes);

// Reads the metadata from row `lastRow` of array `lastArray` (the last row of the last flash
// array) and checks it against the flash: the application lies between the bootloader and the
// metadata and its bytes sum to the stored checksum.
MetadataCheck CheckApplicationMetadata(const FlashRows& flash, std::uint8_t lastArray, std::uint16_t lastRow);

}  // namespace Varnet
