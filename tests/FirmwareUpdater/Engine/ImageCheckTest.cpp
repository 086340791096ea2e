#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageMetadata.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>
#include <filesystem>
#include <fstream>

using namespace Varnet;
using namespace VarnetTest;

namespace {

constexpr char kSample[] = VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd";

FlashRows ReadRows(const std::string& path) {
    FlashRows rows;
    LImageFile file;
    EXPECT_TRUE(Orv::Succeeded(file.Open(path)));
    char line[ImageLineBufferSize];
    std::size_t length = 0;
    ImageRow row;
    (void)file.ReadImageLine(length, line);
    while (file.ReadImageLine(length, line) == ImageLineResult::LineRead) {
        EXPECT_TRUE(Orv::Succeeded(ParseRowLine(length, line, row)));
        rows[{row.arrayId, row.rowNumber}].assign(row.data, row.data + row.dataLength);
    }
    return rows;
}

}  // namespace

// Each hostile input is the engine's start-up test and the image tool's.
TEST(CheckImage, SampleImageIsSoundAndCarriesValidMetadata) {
    const ImageReport report = CheckImage(kSample);
    EXPECT_TRUE(report.IsSound()) << DescribeFirstProblem(kSample, report);
    ASSERT_EQ(report.arrays.size(), 1u);
    // 64 application rows and the metadata row, in the last row of the simulated Varnet's flash.
    EXPECT_EQ(
        std::tuple(report.RowCount(), report.DataBytes(), report.arrays.at(0).firstRow, report.arrays.at(0).lastRow),
        std::tuple(65u, 65u * 256, 32, 255));
    const MetadataCheck check = CheckApplicationMetadata(ReadRows(kSample), 0, 255);
    EXPECT_TRUE(check.valid) << check.problem;
    const ApplicationMetadata& m = check.metadata;
    EXPECT_EQ(std::tuple(m.bootloaderLastRow, m.applicationLength, m.entryAddress, m.applicationVersion),
              std::tuple(31u, 64u * 256, 32u * 256, 0x0102));
}

TEST(CheckImage, ReportsEveryProblemWithItsLineAndKeepsCounting) {
    TempFolder dir;
    const std::string good = RowLine(0, 1, "AABB");
    const std::string path =
        WriteText(dir.Path(), "123456780100\n" + good.substr(0, good.size() - 2) + "00\n\n" + RowLine(0, 2, "0G") +
                                  "\n" + RowLine(0, 1, "CC") + "\n" + ":0000030002AA00\n" + RowLine(5, 1, "") + "\n" +
                                  ":" + std::string(800, '0') + "\n" + RowLine(0, 4, "") + "\n");
    const ImageReport report = CheckImage(path);
    std::vector<std::size_t> lines;
    for (const auto& p : report.problems) lines.push_back(p.line);
    // 2 checksum, 3 empty, 4 stray digit, 5 duplicate row, 6 length field, 7 array, 8 too long.
    EXPECT_EQ(lines, (std::vector<std::size_t>{2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(report.lines, 9u);  // the long line counts once; the row after it is read normally

    // A damaged file of many lines keeps a bounded list but counts every problem.
    std::string many = "123456780100\n";
    for (std::size_t i = 0; i < MaxListedImageProblems + 10; ++i) many += "\n";
    const ImageReport flood = CheckImage(WriteText(dir.Path(), many));
    EXPECT_EQ(flood.problems.size(), MaxListedImageProblems);
    EXPECT_EQ(flood.problemCount, MaxListedImageProblems + 10);
    EXPECT_FALSE(flood.IsSound());
}

TEST(ImageMetadata, IsCheckedAgainstTheFlashItDescribes) {
    // Bootloader rows 0-1, application rows 2-3 (row 3 absent: zeros), metadata in row 7. (The
    // metadata that runs into its own row or does not fit is the image tool's test.)
    constexpr std::size_t rowSize = 128;
    FlashRows flash;
    flash[{0, 2}] = std::vector<std::uint8_t>(rowSize, 0x01);
    flash[{0, 0}] = std::vector<std::uint8_t>(rowSize, 0x55);  // the bootloader's own: not counted
    std::vector<std::uint8_t> last(rowSize, 0);
    ApplicationMetadata metadata;
    metadata.bootloaderLastRow = 1;
    metadata.applicationLength = 2 * rowSize;
    metadata.entryAddress = 2 * rowSize;
    metadata.applicationVersion = 0x0203;
    metadata.checksum = static_cast<std::uint8_t>(0x100 - rowSize % 256);  // 128 ones
    EncodeApplicationMetadata(metadata, last.data() + rowSize - MetadataSize);
    flash[{0, 7}] = last;

    MetadataCheck check = CheckApplicationMetadata(flash, 0, 7);
    EXPECT_TRUE(check.valid) << check.problem;
    EXPECT_EQ(std::pair(check.metadata.applicationVersion, check.metadata.entryAddress),
              std::pair(std::uint16_t{0x0203}, std::uint32_t{2 * rowSize}));

    flash[{0, 3}] = std::vector<std::uint8_t>(rowSize, 0);
    flash[{0, 3}][5] = 1;  // one application byte more than the checksum covers
    check = CheckApplicationMetadata(flash, 0, 7);
    EXPECT_TRUE(check.present && !check.valid);
    EXPECT_NE(check.problem.find("checksum"), std::string::npos);

    EXPECT_FALSE(CheckApplicationMetadata(flash, 0, 8).present);  // no such row
}
