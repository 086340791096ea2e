#include "FirmwareUpdater/Simulator/SimulatedVarnet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace Varnet;
using VarnetTest::ByteCount;
using VarnetTest::SimulatedVarnet;

TEST(PacketChecksum, SummingAndCrc16MatchTheWorkedExamplesAndTheImageSelects) {
    const std::uint8_t enter[] = {0x01, 0x38, 0x00, 0x00};
    // The sum wraps in 16 bits: 258 bytes of 0xFF sum to 0x100FE -> 0x00FE -> 0xFF02.
    const std::vector<std::uint8_t> many(258, 0xFF);
    const std::vector<std::uint16_t> sums = {
        ComputePacketChecksum(ChecksumKind::Summing, enter, 4), ComputePacketChecksum(ChecksumKind::Crc16, enter, 4),
        ComputePacketChecksum(ChecksumKind::Summing, enter, 0), ComputePacketChecksum(ChecksumKind::Crc16, enter, 0),
        ComputePacketChecksum(ChecksumKind::Summing, many.data(), many.size())};
    EXPECT_EQ(sums, (std::vector<std::uint16_t>{0xFFC7, 0x09A0, 0, 0, 0xFF02}));
    const std::vector<ChecksumKind> kinds = {ChecksumKindFromImage(0), ChecksumKindFromImage(1),
                                             ChecksumKindFromImage(2)};
    EXPECT_EQ(kinds, (std::vector<ChecksumKind>{ChecksumKind::Summing, ChecksumKind::Crc16, ChecksumKind::Summing}));
}

TEST(BuildPacket, LaysOutHeaderDataChecksumAndEnd) {
    std::uint8_t packet[MaxPacketSize];
    const std::uint8_t array = 0;
    ASSERT_EQ(BuildPacket(ChecksumKind::Summing, CmdGetFlashSize, &array, 1, packet), 8u);
    const std::uint8_t expected[] = {0x01, 0x32, 0x01, 0x00, 0x00, 0xCC, 0xFF, 0x17};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), packet));
    ASSERT_EQ(BuildPacket(ChecksumKind::Crc16, CmdEnterBootloader, nullptr, 0, packet), 7u);
    const std::uint8_t crc[] = {0x01, 0x38, 0x00, 0x00, 0xA0, 0x09, 0x17};
    EXPECT_TRUE(std::equal(std::begin(crc), std::end(crc), packet));
    std::uint8_t big[58] = {};
    EXPECT_EQ(BuildPacket(ChecksumKind::Summing, CmdSendData, big, sizeof big, packet), 0u);
}

TEST(BootloaderProtocol, EveryCommandGoesOutByteForByte) {
    SimulatedVarnet sim;
    ASSERT_TRUE(sim.Detect());
    ASSERT_TRUE(sim.Enter());
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.CheckRowRange(0, 5)));
    const std::uint8_t row[2] = {0xAA, 0x55};
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, 0x0021, row, 2)));
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.VerifyRow(0, 0x0021, 0x01)));
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.ExitBootloader()));
    const std::vector<std::string> expected = {
        "01 38 00 00 C7 FF 17",          "01 32 01 00 00 CC FF 17", "01 39 05 00 00 21 00 AA 55 A1 FE 17",
        "01 3A 03 00 00 21 00 A1 FF 17", "01 3B 01 00 00 C3 FF 17",
    };
    EXPECT_EQ(sim.Commands(), expected);
    const auto transcript = sim.device.GetTranscript();
    // Enter Bootloader answers the chip identity, least significant byte first.
    EXPECT_EQ(transcript[1].substr(0, 38), "IN 01 00 08 00 69 10 16 2E 11 00 00 01");
    EXPECT_EQ(transcript.back(), "IN -");
}

TEST(BootloaderProtocol, RowsAreSplitInto53ByteSendData) {
    struct Case {
        std::size_t size;
        int sendData;
        std::size_t programRowBytes;
    };
    for (Case c : {Case{0, 0, 10}, Case{53, 0, 63}, Case{54, 1, 11}, Case{256, 4, 54}}) {
        SCOPED_TRACE(c.size);
        SimulatedVarnet sim;
        ASSERT_TRUE(sim.Detect());
        ASSERT_TRUE(sim.Enter());
        std::vector<std::uint8_t> data(c.size);
        std::iota(data.begin(), data.end(), std::uint8_t{1});
        ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, 7, data.data(), data.size())));
        auto commands = sim.Commands();
        ASSERT_EQ(commands.size(), 3u + c.sendData);  // Enter, Get Flash Size, ..., Program Row
        for (int i = 0; i < c.sendData; ++i) {
            EXPECT_EQ(commands[2 + i].substr(0, 11), "01 37 35 00");
            EXPECT_EQ(ByteCount(commands[2 + i]), 60u);
        }
        EXPECT_EQ(commands.back().substr(0, 5), "01 39");
        EXPECT_EQ(ByteCount(commands.back()), c.programRowBytes);
        // The device holds exactly the bytes of the row.
        EXPECT_EQ(sim.device.GetFlash().at({0, 7}), data);
    }
}

TEST(BootloaderProtocol, FlashRangeIsAskedOncePerArrayAndEnterBootloader) {
    auto config = VarnetTest::BootloaderConfig();
    config.flash = {FlashRowRange{0, 255}, FlashRowRange{10, 63}};
    SimulatedVarnet sim(config);
    ASSERT_TRUE(sim.Detect());
    ASSERT_TRUE(sim.Enter());
    const std::uint8_t byte = 0x42;
    const std::pair<std::uint8_t, std::uint16_t> rows[] = {{0, 1}, {0, 2}, {1, 10}};
    for (const auto& [array, row] : rows)
        ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(array, row, &byte, 1)));
    const auto flashSizes = [&] {
        const auto c = sim.Commands();
        return std::count_if(c.begin(), c.end(), [](const std::string& l) { return l.rfind("01 32", 0) == 0; });
    };
    EXPECT_EQ(flashSizes(), 2);
    ASSERT_TRUE(sim.Enter());
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, 3, &byte, 1)));
    EXPECT_EQ(flashSizes(), 3);

    // Rows outside the flash fail before anything is sent for them.
    const auto before = sim.device.GetBootloaderCommandCount();
    EXPECT_TRUE(Orv::Failed(sim.protocol.ProgramFlashRow(1, 64, &byte, 1)));
    EXPECT_TRUE(Orv::Failed(sim.protocol.ProgramFlashRow(1, 9, &byte, 1)));
    EXPECT_TRUE(Orv::Failed(sim.protocol.ProgramFlashRow(4, 0, &byte, 1)));
    EXPECT_EQ(sim.device.GetBootloaderCommandCount(), before + 1);  // Get Flash Size for array 1
}
