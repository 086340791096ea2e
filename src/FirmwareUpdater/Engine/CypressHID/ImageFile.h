#pragma once
// Reader of firmware images (.cyacd): one header line naming the chip, then one line per flash row.
// The upload reads the file one line at a time, so at most one row is ever held in memory.
#include "OrvFramework/ObjectBase/ResultCodes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Varnet {

// One read takes at most ImageLineBufferSize - 1 characters, line feed included; the rest of a
// longer line is read as the next line (and then fails as a row line).
inline constexpr std::size_t ImageLineBufferSize = 768;
// More bytes than any line that fits in the buffer can decode to.
inline constexpr std::size_t MaxLineBytes = ImageLineBufferSize / 2;
// Row data of the longest row line (array, row, length and checksum take 6 bytes).
inline constexpr std::size_t MaxRowDataSize = MaxLineBytes - 6;

enum class ImageLineResult { LineRead, NoMoreLines, Failure };

// The largest image file that is read. Four flash arrays of 256 rows of 256 bytes (more than the
// Varnet's chip has) written as text with carriage returns come to about 540 KB; anything far
// beyond that is not an image, and reading it would only hold up the start.
inline constexpr std::uint64_t MaxImageFileSize = 2u * 1024u * 1024u;

// Opens an image for reading only when it is a regular file of at most MaxImageFileSize bytes.
// A FIFO, a device node or a directory is refused at once, without being opened; the opened file
// is checked again, and the open does not wait for a writer, so a name swapped in between can
// neither slip through nor hold the caller up. On failure `reason` says why, in words for the user.
std::FILE* OpenImageFile(const std::string& path, std::string& reason);

// Checksum-type byte of the header: 1 selects CRC-16 for the bootloader packets.
inline constexpr std::uint8_t ImageChecksumSumming = 0;
inline constexpr std::uint8_t ImageChecksumCrc16 = 1;

struct ImageHeader {
    std::uint32_t siliconId = 0;
    std::uint8_t siliconRevision = 0;
    std::uint8_t checksumType = ImageChecksumSumming;  // 0 when the header has no byte 5
};

struct ImageRow {
    std::uint8_t arrayId = 0;
    std::uint16_t rowNumber = 0;
    std::uint16_t dataLength = 0;
    std::uint8_t data[MaxRowDataSize] = {};
    std::uint8_t checksum = 0;  // as stored in the file
};

// Decodes pairs of hexadecimal digits; any other character counts as a 0 digit. Fails on an odd
// count or when the bytes do not fit in `capacity`.
Orv::ORVRESULT HexToBytes(std::size_t count, const char* text, std::size_t& byteCount, std::uint8_t* bytes,
                          std::size_t capacity);

Orv::ORVRESULT ParseHeaderLine(std::size_t length, const char* text, ImageHeader& header);
Orv::ORVRESULT ParseRowLine(std::size_t length, const char* text, ImageRow& row);

// The number of line feeds in the file; 0 when it cannot be opened (see OpenImageFile).
double CountImageLines(const std::string& path);

// The value the device answers to Verify Row for this row: the row's file checksum folded with
// the array, row and length bytes, which leaves the two's complement of the data sum.
std::uint8_t ExpectedRowChecksum(const ImageRow& row);

class LImageFile {
public:
    LImageFile() = default;
    ~LImageFile() { Close(); }
    LImageFile(const LImageFile&) = delete;
    LImageFile& operator=(const LImageFile&) = delete;

    // Opens through OpenImageFile; the second form says why it failed.
    Orv::ORVRESULT Open(const std::string& path);
    Orv::ORVRESULT Open(const std::string& path, std::string& reason);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    // Reads the next line into buffer (ImageLineBufferSize bytes, zero-terminated); length counts
    // the characters without the trailing carriage returns and line feeds.
    ImageLineResult ReadImageLine(std::size_t& length, char* buffer);

private:
    std::FILE* m_file = nullptr;
};

}  // namespace Varnet
