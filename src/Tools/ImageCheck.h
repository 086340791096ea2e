#pragma once
// Reads a whole firmware image the way the updater will and collects what it holds (chip, rows
// per array) and every problem, each with its line number. Used by varnet-image.
#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Varnet {

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
    std::vector<ImageProblem> problems;

    bool IsSound() const { return opened && headerValid && problems.empty(); }
};

ImageReport CheckImage(const std::string& path);

}  // namespace Varnet
