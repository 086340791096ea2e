#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "OrvFramework/Utilities/Storage/Hex.h"

namespace Varnet {

namespace {

constexpr std::size_t MaxLineCharacters = ImageLineBufferSize - 2;  // the line feed needs a place

std::string Format(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

void Add(ImageReport& report, std::size_t line, std::string text) {
    if (report.problems.size() < MaxListedImageProblems) report.problems.push_back({line, std::move(text)});
    ++report.problemCount;
}

// The upload reads a stray character as a 0 digit without noticing; the check must notice.
bool CheckDigits(const char* text, std::size_t length, std::size_t column, std::size_t line, ImageReport& report) {
    for (std::size_t i = 0; i < length; ++i) {
        if (Orv::HexDigitValue(text[i]) >= 0) continue;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ':') {
            Add(report, line, Format("a second row begins at column %zu; one row per line", column + i));
        } else if (c >= 0x20 && c < 0x7F) {
            Add(report, line, Format("character '%c' at column %zu is not a hexadecimal digit", c, column + i));
        } else {
            Add(report, line, Format("character 0x%02X at column %zu is not a hexadecimal digit", c, column + i));
        }
        return false;
    }
    return true;
}

void CheckHeader(const char* text, std::size_t length, ImageReport& report) {
    if (length == 0) {
        Add(report, 1, "the header line is empty");
        return;
    }
    if (text[0] == ':') {
        Add(report, 1, "the first line is a row line; the header (chip identity) is missing");
        return;
    }
    if (!CheckDigits(text, length, 1, 1, report)) return;
    if (length % 2 != 0) {
        Add(report, 1, Format("the header has an odd number of hexadecimal digits (%zu)", length));
        return;
    }
    if (length < 10) {
        Add(report, 1, Format("the header holds %zu bytes; it needs at least 5", length / 2));
        return;
    }
    if (Orv::Failed(ParseHeaderLine(length, text, report.header))) {
        Add(report, 1, "the header cannot be read");
        return;
    }
    report.headerValid = true;
    report.headerHasChecksumType = length >= 12;
    if (report.header.checksumType > ImageChecksumCrc16) {
        Add(report, 1,
            Format("unknown checksum type %u (0 is summing, 1 is CRC-16)", unsigned{report.header.checksumType}));
    }
}

void CheckRow(const char* text, std::size_t length, std::size_t line, ImageReport& report,
              std::map<std::pair<int, int>, std::size_t>& seen) {
    if (length == 0) {
        Add(report, line, "empty line");
        return;
    }
    if (text[0] != ':') {
        Add(report, line, "a row line must begin with ':'");
        return;
    }
    if (!CheckDigits(text + 1, length - 1, 2, line, report)) return;
    const std::size_t digits = length - 1;
    if (digits % 2 != 0) {
        Add(report, line, Format("odd number of hexadecimal digits (%zu)", digits));
        return;
    }
    if (digits / 2 < 6) {
        Add(report, line, Format("too short for a row: %zu bytes, at least 6 needed", digits / 2));
        return;
    }
    std::uint8_t bytes[MaxLineBytes];
    std::size_t count = 0;
    if (Orv::Failed(HexToBytes(digits, text + 1, count, bytes, sizeof bytes))) {
        Add(report, line, "the row cannot be decoded");
        return;
    }
    const std::size_t declared = bytes[3] * 256u + bytes[4];
    if (declared + 6 != count) {
        Add(report, line, Format("the length field says %zu data bytes, the line carries %zu", declared, count - 6));
        return;
    }
    ImageRow row;
    if (Orv::Failed(ParseRowLine(length, text, row))) {
        Add(report, line, "the row cannot be read");
        return;
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    if ((sum & 0xFFu) != 0) {
        const unsigned expected = (0x100u - ((sum - bytes[count - 1]) & 0xFFu)) & 0xFFu;
        Add(report, line,
            Format("row checksum is 0x%02X, the row's bytes need 0x%02X", unsigned{bytes[count - 1]}, expected));
    }
    if (row.arrayId > MaxImageArrayId) {
        Add(report, line,
            Format("flash array %u does not exist (0 to %u)", unsigned{row.arrayId}, unsigned{MaxImageArrayId}));
    }
    auto [where, added] = seen.emplace(std::make_pair(int{row.arrayId}, int{row.rowNumber}), line);
    if (!added) {
        Add(report, line,
            Format("row %u of array %u appears again (first on line %zu)", unsigned{row.rowNumber},
                   unsigned{row.arrayId}, where->second));
    }
    ArraySummary& summary = report.arrays[row.arrayId];
    ++summary.rows;
    summary.firstRow = std::min(summary.firstRow, row.rowNumber);
    summary.lastRow = std::max(summary.lastRow, row.rowNumber);
    summary.dataBytes += row.dataLength;
}

}  // namespace

std::size_t ImageReport::RowCount() const {
    std::size_t rows = 0;
    for (const auto& entry : arrays) rows += entry.second.rows;
    return rows;
}

std::size_t ImageReport::DataBytes() const {
    std::size_t bytes = 0;
    for (const auto& entry : arrays) bytes += entry.second.dataBytes;
    return bytes;
}

ImageReport CheckImage(const std::string& path) {
    ImageReport report;
    LImageFile file;
    std::string reason;
    if (Orv::Failed(file.Open(path, reason))) {
        Add(report, 0, reason);
        return report;
    }
    report.opened = true;
    std::map<std::pair<int, int>, std::size_t> seen;
    char buffer[ImageLineBufferSize];
    std::size_t length = 0;
    for (;;) {
        ImageLineResult result = file.ReadImageLine(length, buffer);
        if (result == ImageLineResult::Failure) {
            Add(report, report.lines + 1, "the file cannot be read");
            break;
        }
        if (result == ImageLineResult::NoMoreLines) break;
        const std::size_t line = ++report.lines;
        // A read that fills the buffer without a line feed has cut the line; the upload would
        // take the rest for the next line.
        auto ended = [&] {
            std::size_t raw = length;
            while (buffer[raw] == '\r') ++raw;
            return buffer[raw] == '\n' || raw < ImageLineBufferSize - 1;
        };
        if (!ended()) {
            const std::string first(buffer, ImageLineBufferSize);
            const std::size_t firstLength = length;
            bool more = false;
            while (file.ReadImageLine(length, buffer) == ImageLineResult::LineRead) {
                more = true;
                if (ended()) break;
            }
            if (more) {
                Add(report, line,
                    Format("longer than %zu characters; the updater would read it as more "
                           "than one line",
                           MaxLineCharacters));
                continue;
            }
            // The file ended right there: the line was whole after all.
            first.copy(buffer, ImageLineBufferSize);
            length = firstLength;
        }
        if (line == 1) {
            CheckHeader(buffer, length, report);
        } else {
            CheckRow(buffer, length, line, report, seen);
        }
    }
    if (report.lines == 0) {
        Add(report, 0, "the file is empty");
    } else if (report.headerValid && report.arrays.empty() && report.problemCount == 0) {
        Add(report, 0, "the image holds no rows");
    }
    return report;
}

std::string DescribeFirstProblem(const std::string& path, const ImageReport& report) {
    if (report.problems.empty()) return {};
    const ImageProblem& first = report.problems.front();
    if (first.line == 0) return path + ": " + first.text;
    return path + ":" + std::to_string(first.line) + ": " + first.text;
}

}  // namespace Varnet
