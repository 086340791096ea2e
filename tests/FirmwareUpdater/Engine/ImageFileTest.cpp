#include "FirmwareUpdater/Engine/CypressHID/ImageFile.h"
#include "HostileImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

using namespace Varnet;

namespace {

struct TempImage {
    explicit TempImage(const std::string& contents) { std::ofstream(path, std::ios::binary) << contents; }
    ~TempImage() { std::filesystem::remove(path); }
    const std::string path = VarnetTest::UniqueTempPath("varnet-image-test").string();
};

bool ParseRow(const std::string& line, ImageRow& row) {
    return Orv::Succeeded(ParseRowLine(line.size(), line.c_str(), row));
}

}  // namespace

TEST(HexToBytes, DecodesPairsAndTreatsStrayCharactersAsZero) {
    std::uint8_t bytes[4] = {};
    std::size_t count = 99;
    ASSERT_TRUE(Orv::Succeeded(HexToBytes(8, "aBcD0fG1", count, bytes, sizeof bytes)));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + count), (std::vector<std::uint8_t>{0xAB, 0xCD, 0x0F, 0x01}));
    EXPECT_TRUE(Orv::Failed(HexToBytes(3, "ABC", count, bytes, sizeof bytes)));
    EXPECT_TRUE(Orv::Succeeded(HexToBytes(0, "", count, bytes, sizeof bytes)));
    EXPECT_EQ(count, 0u);
    // More bytes than the caller's buffer holds fail instead of overrunning it.
    EXPECT_TRUE(Orv::Failed(HexToBytes(10, "0102030405", count, bytes, sizeof bytes)));
}

TEST(ParseHeaderLine, ReadsIdentityAndOptionalChecksumType) {
    ImageHeader header;
    ASSERT_TRUE(Orv::Succeeded(ParseHeaderLine(10, "1E9E1069AB", header)));
    EXPECT_EQ(std::tuple(header.siliconId, header.siliconRevision, header.checksumType),
              std::tuple(0x1E9E1069u, std::uint8_t{0xAB}, ImageChecksumSumming));
    ASSERT_TRUE(Orv::Succeeded(ParseHeaderLine(14, "1E9E1069000155", header)));
    EXPECT_EQ(header.checksumType, ImageChecksumCrc16);
    for (const std::string bad : {"1E9E1069AB0", "1E9E1069", ""})  // odd, 4 bytes, empty
        EXPECT_TRUE(Orv::Failed(ParseHeaderLine(bad.size(), bad.c_str(), header))) << bad;
}

TEST(ParseRowLine, AcceptsMatchingLengthAndRejectsTheRest) {
    ImageRow row;
    ASSERT_TRUE(ParseRow(":01002A0004DEADbeefC3", row));
    EXPECT_EQ(std::vector<int>({row.arrayId, row.rowNumber, row.dataLength, row.data[0], row.data[3], row.checksum}),
              (std::vector<int>{1, 0x2A, 4, 0xDE, 0xEF, 0xC3}));
    // Length 0 + 6 is not 3; no colon; empty. (Odd digits and a wrong length: the hostile images.)
    for (const char* bad : {":000000", "01002A0004DEADBEEFC3", ""}) EXPECT_FALSE(ParseRow(bad, row)) << bad;
    // A zero-length row: array, row, length and checksum only.
    ASSERT_TRUE(ParseRow(":000102000000", row));
    EXPECT_EQ(std::pair(int{row.dataLength}, int{row.rowNumber}), std::pair(0, 0x0102));
    // ":" + 766 digits is the longest text one read can give (767 characters without line feed).
    ASSERT_TRUE(ParseRow(":000000" + std::string("0179") + std::string(377 * 2, 'A') + "00", row));
    EXPECT_EQ(row.dataLength, 377);
    // Every byte of a well-formed line, its checksum included, sums to 0 modulo 256.
    ASSERT_TRUE(ParseRow(":0000200003010203D7", row));
    EXPECT_EQ(ExpectedRowChecksum(row), static_cast<std::uint8_t>(0x100 - 6));
}

// The lengths of the lines read, up to NoMoreLines (read twice: it stays). A last line without a
// line feed must not turn a complete image into a failed upload; a line longer than the buffer
// comes in pieces.
TEST(ImageFile, ReadsLinesWithOrWithoutCarriageReturns) {
    const std::size_t piece = ImageLineBufferSize - 1;
    const std::pair<std::string, std::vector<std::size_t>> cases[] = {
        {"ABCD\n:00\n\nlast\n", {4, 3, 0, 4}},
        {"ABCD\r\n:00\r\n\r\nlast\r\n", {4, 3, 0, 4}},
        {"HEADER0000\n:00010000000000", {10, 15}},
        {std::string(1000, 'A') + "\n", {piece, 1000 - piece}},
    };
    for (const auto& [contents, lengths] : cases) {
        SCOPED_TRACE(contents.substr(0, 20));
        TempImage image(contents);
        LImageFile file;
        ASSERT_TRUE(Orv::Succeeded(file.Open(image.path)));
        char buffer[ImageLineBufferSize];
        std::size_t length = 0;
        std::vector<std::size_t> read;
        while (file.ReadImageLine(length, buffer) == ImageLineResult::LineRead) read.push_back(length);
        EXPECT_EQ(read, lengths);
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(file.ReadImageLine(length, buffer), ImageLineResult::NoMoreLines);
    }
}

TEST(ImageFile, ClosedFileFailsAndOnlyABoundedRegularFileOpens) {
    LImageFile file;
    char buffer[ImageLineBufferSize];
    std::size_t length = 7;
    EXPECT_EQ(file.ReadImageLine(length, buffer), ImageLineResult::Failure);
    EXPECT_EQ(length, 0u);

    // The upload opens its image this way too: a FIFO swapped in after the start-up check must
    // not hang it, and no reader may wait on a writer or read a device for ever.
    VarnetTest::TempFolder dir;
    for (const VarnetTest::HostileImage& image : VarnetTest::HostileImages()) {
        if (!image.make) continue;  // the files that are no images at all: missing, FIFO, folder, device, huge
        SCOPED_TRACE(image.name);
        const std::string path = image.Make(dir.Path());
        std::string reason;
        EXPECT_TRUE(Orv::Failed(file.Open(path, reason)));
        EXPECT_FALSE(file.IsOpen());
        EXPECT_NE(reason.find(image.text), std::string::npos) << reason;
        EXPECT_EQ(CountImageLines(path), 0.0);
    }
    TempImage largest(std::string(MaxImageFileSize, '\n'));
    EXPECT_EQ(CountImageLines(largest.path), static_cast<double>(MaxImageFileSize));
    TempImage crlf("HEADER\r\n:01\r\n:02");  // line feeds, not lines
    EXPECT_EQ(CountImageLines(crlf.path), 2.0);
}
