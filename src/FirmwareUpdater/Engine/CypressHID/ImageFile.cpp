#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"

#include "OrvFramework/Platform/Files.h"
#include "OrvFramework/Utilities/Storage/Hex.h"

namespace Varnet {

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;

namespace {

// A character that is not a digit reads as 0, as the bootloader host always did; the image check
// refuses such images before an upload.
int DigitOrZero(char c) {
    const int value = Orv::HexDigitValue(c);
    return value < 0 ? 0 : value;
}

}  // namespace

std::FILE* OpenImageFile(const std::string& path, std::string& reason) {
    return Orv::Platform::OpenRegularFileForReading(path, MaxImageFileSize, "an image", reason);
}

ORVRESULT HexToBytes(std::size_t count, const char* text, std::size_t& byteCount, std::uint8_t* bytes,
                     std::size_t capacity) {
    byteCount = 0;
    if (count % 2 != 0) return E_FAIL;
    if (count / 2 > capacity) return E_FAIL;
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        bytes[byteCount++] = static_cast<std::uint8_t>(DigitOrZero(text[i]) * 16 + DigitOrZero(text[i + 1]));
    }
    return S_OK;
}

ORVRESULT ParseHeaderLine(std::size_t length, const char* text, ImageHeader& header) {
    std::uint8_t bytes[MaxLineBytes];
    std::size_t count = 0;
    if (Orv::Failed(HexToBytes(length, text, count, bytes, sizeof bytes))) return E_FAIL;
    if (count < 5) return E_FAIL;
    header.siliconId =
        (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
    header.siliconRevision = bytes[4];
    header.checksumType = count >= 6 ? bytes[5] : ImageChecksumSumming;
    return S_OK;
}

ORVRESULT ParseRowLine(std::size_t length, const char* text, ImageRow& row) {
    if (length < 7 || text[0] != ':') return E_FAIL;
    std::uint8_t bytes[MaxLineBytes];
    std::size_t count = 0;
    if (Orv::Failed(HexToBytes(length - 1, text + 1, count, bytes, sizeof bytes))) return E_FAIL;
    // Array, row, length and checksum take six bytes; fewer cannot be a row.
    if (count < 6) return E_FAIL;
    const std::size_t dataLength = bytes[3] * 256u + bytes[4];
    if (dataLength + 6 != count) return E_FAIL;
    row.arrayId = bytes[0];
    row.rowNumber = static_cast<std::uint16_t>(bytes[1] * 256u + bytes[2]);
    row.dataLength = static_cast<std::uint16_t>(dataLength);
    for (std::size_t i = 0; i < dataLength; ++i) row.data[i] = bytes[5 + i];
    row.checksum = bytes[count - 1];
    return S_OK;
}

double CountImageLines(const std::string& path) {
    std::string reason;
    std::FILE* file = OpenImageFile(path, reason);
    if (!file) return 0.0;
    double lines = 0.0;
    char block[8192];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) {
        for (std::size_t i = 0; i < n; ++i) {
            if (block[i] == '\n') lines += 1.0;
        }
    }
    std::fclose(file);
    return lines;
}

std::uint8_t ExpectedRowChecksum(const ImageRow& row) {
    unsigned sum = row.arrayId + (row.rowNumber >> 8) + (row.rowNumber & 0xFFu) + (row.dataLength >> 8) +
                   (row.dataLength & 0xFFu) + row.checksum;
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

ORVRESULT LImageFile::Open(const std::string& path) {
    std::string reason;
    return Open(path, reason);
}

ORVRESULT LImageFile::Open(const std::string& path, std::string& reason) {
    Close();
    m_file = OpenImageFile(path, reason);
    return m_file ? S_OK : E_FAIL;
}

void LImageFile::Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

ImageLineResult LImageFile::ReadImageLine(std::size_t& length, char* buffer) {
    length = 0;
    buffer[0] = '\0';
    if (!m_file || std::ferror(m_file)) return ImageLineResult::Failure;
    // A last line without a line feed leaves the end-of-file mark set; that is the normal end of
    // the image, not a fault, so it reads as "no more lines" like any other end.
    if (std::feof(m_file)) return ImageLineResult::NoMoreLines;
    std::size_t n = 0;
    // Read character by character rather than with fgets, so that a NUL inside a line does not
    // cut it short (it decodes as a 0 digit like any other stray character).
    while (n < ImageLineBufferSize - 1) {
        int c = std::getc(m_file);
        if (c == EOF) break;
        buffer[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[n] = '\0';
    if (n == 0) {
        return std::ferror(m_file) ? ImageLineResult::Failure : ImageLineResult::NoMoreLines;
    }
    while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r')) --n;
    length = n;
    return ImageLineResult::LineRead;
}

}  // namespace Varnet
