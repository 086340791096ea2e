// varnet-image run as a user runs it, on the same hostile inputs as the updater's start-up check.
#include "../FirmwareUpdater/Engine/HostileImages.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "Tools/Sha256.h"
#include "../Support/Shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace VarnetTest;

namespace {

constexpr char kSample[] = VARNET_SOURCE_DIR "/resources/Varnet1.0.2.cyacd";

// The tool under `timeout` where there is one, so a tool that blocks (on a FIFO, say) fails the
// test instead of hanging it.
ShellRun RunTool(const std::string& command, const std::string& path) {
#ifdef _WIN32
    const std::string bound;
#else
    const std::string bound = "timeout 20 ";
#endif
    return Shell(bound + ShellQuote(VARNET_IMAGE_TOOL) + " " + command + " " + ShellQuote(path));
}

class VerifyHostileImage : public ::testing::TestWithParam<HostileImage> {};

}  // namespace

// The tool names exactly the problem the updater's start-up check names, first.
TEST_P(VerifyHostileImage, NamesTheSameFirstProblemAsTheUpdater) {
    TempFolder dir;
    const std::string path = GetParam().Make(dir.Path());
    const std::string expected = Varnet::DescribeFirstProblem(path, Varnet::CheckImage(path));
    ASSERT_NE(expected.find(GetParam().text), std::string::npos) << expected;
    const ShellRun run = RunTool("verify", path);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_EQ(run.output.substr(0, run.output.find('\n')), expected);
}

INSTANTIATE_TEST_SUITE_P(Inputs, VerifyHostileImage, ::testing::ValuesIn(HostileImages()), HostileImageName());

TEST(ImageTool, VerifiesAndDescribesTheSampleImage) {
    const ShellRun verify = RunTool("verify", kSample);
    EXPECT_EQ(verify.status, 0) << verify.output;
    EXPECT_EQ(verify.output, std::string(kSample) + ": sound image, 65 rows\n");

    const ShellRun info = RunTool("info", kSample);
    EXPECT_EQ(info.status, 0) << info.output;
    for (const char* line : {"Rows:            65\n", "Flash used:      16640 bytes\n",
                             "Array 0:         65 rows, rows 32 to 255, 16640 data bytes\n",
                             "Metadata:        valid, application 1.0.2 (0x0102), 16384 bytes from row 32, "
                             "entry 0x00002000\n"}) {
        EXPECT_NE(info.output.find(line), std::string::npos) << line << "\nin:\n" << info.output;
    }
    EXPECT_NE(info.output.find("SHA-256:         " + Varnet::Sha256OfImageFile(kSample) + "\n"), std::string::npos)
        << info.output;
    EXPECT_EQ(info.output.find("Problems"), std::string::npos);
}

TEST(ImageTool, InfoShowsMissingOrWrongMetadataAndRefusesWhatIsNoImage) {
    TempFolder dir;
    // Sound rows, but the last one is too short to hold metadata, then one that holds nonsense.
    const std::pair<std::size_t, const char*> cases[] = {
        {62, "Metadata:        NONE: the metadata row holds 31 bytes, fewer than 64"},
        {256,
         "Metadata:        NOT VALID: the application (2863311530 bytes after row 2863311530) runs into the "
         "metadata; application 110.10.10 (0xAAAA)"},
    };
    for (const auto& [digits, line] : cases) {
        const ShellRun info = RunTool(
            "info", WriteText(dir.Path(), std::string(kGoodHeader) + "\n" + RowLine(0, 32, std::string(digits, 'A'))));
        EXPECT_EQ(info.status, 0) << info.output;
        EXPECT_NE(info.output.find(line), std::string::npos) << info.output;
    }
#ifndef _WIN32
    const std::string fifo = FindHostileImage("Fifo").Make(dir.Path());
    const ShellRun info = RunTool("info", fifo);
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.output, "varnet-image: " + fifo + ": not a regular file but a FIFO\n");
#endif
}

TEST(Sha256, MatchesTheStandardVectors) {
    const std::pair<std::string, const char*> vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // Two blocks: the padding does not fit behind 56 bytes.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& [text, digest] : vectors) {
        Varnet::Sha256 sha;
        sha.Update(text.data(), text.size());
        EXPECT_EQ(sha.FinishHex(), digest) << text.size();
    }
}
