#include "Tools/ImageCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace Varnet;

namespace {

std::string Write(const std::string& name, const std::string& contents) {
    auto path = std::filesystem::temp_directory_path() /
                ("varnet-check-" + std::to_string(::getpid()) + "-" + name);
    std::ofstream(path, std::ios::binary) << contents;
    return path.string();
}

// A row line with a correct checksum.
std::string Row(int array, int row, const std::string& dataHex) {
    std::string body;
    char head[16];
    std::snprintf(head, sizeof head, "%02X%04X%04X", array, row, static_cast<int>(dataHex.size() / 2));
    body = head + dataHex;
    unsigned sum = 0;
    for (std::size_t i = 0; i < body.size(); i += 2) sum += std::stoul(body.substr(i, 2), nullptr, 16);
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return ":" + body + checksum;
}

}  // namespace

TEST(CheckImage, SampleImageIsSound) {
    ImageReport report = CheckImage(VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd");
    EXPECT_TRUE(report.IsSound());
    ASSERT_EQ(report.arrays.size(), 1u);
    EXPECT_GE(report.arrays.at(0).rows, 64u);
    EXPECT_EQ(report.arrays.at(0).dataBytes, report.arrays.at(0).rows * 256);
}

TEST(CheckImage, SummarisesArraysAndAcceptsCrLfWithoutFinalLineFeed) {
    auto path = Write("two.cyacd", "1234567801\r\n" + Row(0, 5, "0102") + "\r\n" + Row(1, 9, "FF") +
                                       "\r\n" + Row(0, 2, ""));
    ImageReport report = CheckImage(path);
    EXPECT_TRUE(report.IsSound());
    EXPECT_EQ(report.lines, 4u);
    EXPECT_EQ(report.header.siliconId, 0x12345678u);
    EXPECT_FALSE(report.headerHasChecksumType);
    EXPECT_EQ(report.arrays.at(0).rows, 2u);
    EXPECT_EQ(report.arrays.at(0).firstRow, 2);
    EXPECT_EQ(report.arrays.at(0).lastRow, 5);
    EXPECT_EQ(report.arrays.at(1).dataBytes, 1u);
    std::filesystem::remove(path);
}

TEST(CheckImage, ReportsEachProblemWithItsLine) {
    std::string good = Row(0, 1, "AABB");
    std::string badChecksum = good.substr(0, good.size() - 2) + "00";
    auto path = Write("bad.cyacd", "123456780100\n" + badChecksum + "\n\n" + Row(0, 2, "0G") + "\n" +
                                       Row(0, 1, "CC") + "\n" + ":0000030002AA00\n" +
                                       Row(5, 1, "") + "\n" + ":" + std::string(800, '0') + "\n" +
                                       Row(0, 4, "") + "\n");
    ImageReport report = CheckImage(path);
    EXPECT_FALSE(report.IsSound());
    std::vector<std::size_t> lines;
    for (const auto& p : report.problems) lines.push_back(p.line);
    // 2 checksum, 3 empty, 4 stray digit, 5 duplicate row, 6 length field, 7 array, 8 too long.
    EXPECT_EQ(lines, (std::vector<std::size_t>{2, 3, 4, 5, 6, 7, 8}));
    EXPECT_NE(report.problems[0].text.find("checksum"), std::string::npos);
    EXPECT_NE(report.problems[3].text.find("line 2"), std::string::npos);
    EXPECT_EQ(report.lines, 9u);  // the long line counts once; the row after it is read normally
    std::filesystem::remove(path);
}

TEST(CheckImage, BadHeadersAndFilesAreReportedNotCrashedOn) {
    for (const char* contents : {"", "1234\n", "123456780\n", ":0000000000\n", "12345678ZZ\n"}) {
        SCOPED_TRACE(contents);
        auto path = Write("header.cyacd", contents);
        ImageReport report = CheckImage(path);
        EXPECT_FALSE(report.IsSound());
        EXPECT_FALSE(report.headerValid);
        EXPECT_FALSE(report.problems.empty());
        std::filesystem::remove(path);
    }
    EXPECT_FALSE(CheckImage("/nonexistent/varnet.cyacd").opened);
}
