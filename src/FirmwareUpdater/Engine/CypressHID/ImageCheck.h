#pragma once
// Reads a whole firmware image the way the upload will and collects what it holds (chip, rows per
// array) and every problem, each with its line number. The updater runs it at start-up, before it
// looks for the device, and varnet-image runs the same code, so the two never disagree about an
// image. Stricter than the upload's reader: stray characters, wrong row checksums, unknown
// checksum types, array ids the bootloader does not have and repeated rows are all problems.
#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Varnet {

// Inclusive: array ids the bootloader accepts.
inline constexpr std::uint8_t MaxImageArrayId = 3;
// Problems kept in a report; a damaged file of many lines would otherwise fill the memory with
// messages nobody reads. The count goes on.
inline constexpr std::size_t MaxListedImageProblems = 1000;

struct ImageProblem {
    std::size_t line = 0;  // 1-based; 0 for the file as a whole
    std::string text;
};

struct ArraySummary {
    std::size_t rows = 0;
    std::uint16_t firstRow = 0xFFFF;
    std::uint16_t lastRow = 0;
    std::size_t dataBytes = 0;
};

struct ImageReport {
    bool opened = false;
    bool headerValid = false;
    ImageHeader header;
    bool headerHasChecksumType = false;
    std::size_t lines = 0;
    std::map<std::uint8_t, ArraySummary> arrays;
    std::vector<ImageProblem> problems;  // the first MaxListedImageProblems
    std::size_t problemCount = 0;        // all of them

    bool IsSound() const { return opened && headerValid && problemCount == 0; }
    std::size_t RowCount() const;
    std::size_t DataBytes() const;
};

ImageReport CheckImage(const std::string& path);

// "FILE:LINE: text" for the first problem ("FILE: text" when it concerns the whole file); empty
// for a sound image.
std::string DescribeFirstProblem(const std::string& path, const ImageReport& report);

}  // namespace Varnet
