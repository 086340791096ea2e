#include "FirmwareUpdater/Simulator/SimulatedVarnet.h"
#include "../Engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <unistd.h>

using namespace Varnet;
using VarnetTest::SimulatedVarnet;

namespace {

EnvironmentLookup Env(std::map<std::string, std::string> values) {
    auto shared = std::make_shared<std::map<std::string, std::string>>(std::move(values));
    return [shared](const char* name) -> const char* {
        auto it = shared->find(name);
        return it == shared->end() ? nullptr : it->second.c_str();
    };
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("varnet-sim-") + std::to_string(::getpid()) + "-" + name))
        .string();
}

}  // namespace

TEST(SimulatorConfig, ReadsEveryVariable) {
    SimulatorConfig config;
    std::string error;
    ASSERT_TRUE(Orv::Succeeded(ReadSimulatorConfig(Env({{"VARNET_SIM_STATE", "bootloader"},
                                                        {"VARNET_SIM_VERSION", "12.0.3"},
                                                        {"VARNET_SIM_NEW_VERSION", "0x0104"},
                                                        {"VARNET_SIM_SILICON_ID", "0x12345678"},
                                                        {"VARNET_SIM_SILICON_REV", "7"},
                                                        {"VARNET_SIM_BOOTLOADER_VERSION", "0x020304"},
                                                        {"VARNET_SIM_FLASH", "0:0-255,1:16-63"},
                                                        {"VARNET_SIM_CHECKSUM", "crc16"},
                                                        {"VARNET_SIM_FAULTS",
                                                         "ignore-switch, no-bootloader,unplug-after:9,status-at:3:0x0A,"
                                                         "silent-at:4,corrupt-row:2,bad-checksum-at:5,half-staged"},
                                                        {"VARNET_SIM_LATENCY_MS", "0"},
                                                        {"VARNET_SIM_TRANSCRIPT", "/tmp/t"},
                                                        {"VARNET_SIM_FLASH_OUT", "/tmp/f"}}),
                                                   config, error)));
    EXPECT_FALSE(IsSimulatorSelected(Env({{"VARNET_DEVICE", "real"}})));
    EXPECT_TRUE(IsSimulatorSelected(Env({{"VARNET_DEVICE", "simulated"}})));
    EXPECT_EQ(config.startState, SimulatedState::Bootloader);
    EXPECT_EQ(config.applicationVersion, 0x1203);
    EXPECT_EQ(config.updatedVersion, 0x0104);
    EXPECT_EQ(config.siliconId, 0x12345678u);
    EXPECT_EQ(config.siliconRevision, 7);
    EXPECT_EQ(config.bootloaderVersion, 0x020304u);
    ASSERT_TRUE(config.flash[1].has_value());
    EXPECT_EQ(config.flash[1]->firstRow, 16);
    EXPECT_EQ(config.flash[1]->lastRow, 63);
    EXPECT_EQ(config.checksumKind, ChecksumKind::Crc16);
    EXPECT_TRUE(config.faults.ignoreSwitch);
    EXPECT_TRUE(config.faults.noBootloader);
    EXPECT_EQ(config.faults.unplugAfter, 9);
    EXPECT_EQ(config.faults.statusAt.at(3), 0x0A);
    EXPECT_TRUE(config.faults.silentAt.count(4));
    EXPECT_TRUE(config.faults.corruptRow.count(2));
    EXPECT_TRUE(config.faults.badChecksumAt.count(5));
    EXPECT_TRUE(config.faults.halfStagedRow);
    EXPECT_EQ(config.latencyMs, 0);
    EXPECT_EQ(config.transcriptPath, "/tmp/t");
    EXPECT_EQ(config.flashOutPath, "/tmp/f");
}

TEST(SimulatorConfig, BadValuesAreRefusedAndNamed) {
    const std::pair<const char*, const char*> bad[] = {
        {"VARNET_SIM_STATE", "sleeping"},
        {"VARNET_SIM_VERSION", "1.0"},
        {"VARNET_SIM_VERSION", "1.0.10"},
        {"VARNET_SIM_SILICON_ID", "0x1FFFFFFFF"},
        {"VARNET_SIM_SILICON_REV", "256"},
        {"VARNET_SIM_BOOTLOADER_VERSION", "0x1000000"},
        {"VARNET_SIM_FLASH", "4:0-10"},
        {"VARNET_SIM_FLASH", "0:10-5"},
        {"VARNET_SIM_FLASH", "0:0"},
        {"VARNET_SIM_FAULTS", "explode"},
        {"VARNET_SIM_FAULTS", "silent-at:0"},
        {"VARNET_SIM_FAULTS", "status-at:2"},
        {"VARNET_SIM_FAULTS", "status-at:2:0"},
        {"VARNET_SIM_LATENCY_MS", "-1"},
        {"VARNET_SIM_CHECKSUM", "md5"},
    };
    for (auto [name, value] : bad) {
        SCOPED_TRACE(std::string(name) + "=" + value);
        SimulatorConfig config;
        std::string error;
        EXPECT_EQ(ReadSimulatorConfig(Env({{name, value}}), config, error), Orv::E_INVALIDARG);
        EXPECT_EQ(error.rfind(name, 0), 0u) << error;
    }
}

TEST(SimulatedHidPlatform, RefusesBrokenPacketsWithAStatus) {
    SimulatedVarnet sim;
    ASSERT_TRUE(sim.Detect());
    std::uint8_t answer[7] = {};
    // A command before Enter Bootloader.
    std::uint8_t packet[MaxPacketSize];
    std::size_t size = BuildPacket(ChecksumKind::Summing, CmdSendData, nullptr, 0, packet);
    ASSERT_TRUE(Orv::Succeeded(sim.transport.TransferReport(packet, size, answer, 7)));
    EXPECT_EQ(answer[1], SimStatusNotActive);
    ASSERT_TRUE(sim.Enter());
    // A wrong checksum.
    packet[4] ^= 1;
    ASSERT_TRUE(Orv::Succeeded(sim.transport.TransferReport(packet, size, answer, 7)));
    EXPECT_EQ(answer[1], SimStatusChecksum);
    // A wrong end byte.
    size = BuildPacket(ChecksumKind::Summing, CmdSendData, nullptr, 0, packet);
    packet[6] = 0x18;
    ASSERT_TRUE(Orv::Succeeded(sim.transport.TransferReport(packet, size, answer, 7)));
    EXPECT_EQ(answer[1], SimStatusLength);
    // An unknown command.
    size = BuildPacket(ChecksumKind::Summing, 0x31, nullptr, 0, packet);
    ASSERT_TRUE(Orv::Succeeded(sim.transport.TransferReport(packet, size, answer, 7)));
    EXPECT_EQ(answer[1], SimStatusCommand);
    // Verify of a row that was never programmed.
    const std::uint8_t row[3] = {0, 9, 0};
    size = BuildPacket(ChecksumKind::Summing, CmdVerifyRow, row, 3, packet);
    ASSERT_TRUE(Orv::Succeeded(sim.transport.TransferReport(packet, size, answer, 7)));
    EXPECT_EQ(answer[1], SimStatusRow);
}

TEST(SimulatedHidPlatform, WritesTranscriptAndFlashFiles) {
    auto config = VarnetTest::BootloaderConfig();
    config.startState = SimulatedState::Application;
    config.transcriptPath = TempPath("transcript.txt");
    config.flashOutPath = TempPath("flash.txt");
    config.flash = {FlashRowRange{0, 255}, FlashRowRange{0, 15}};
    config.faults.silentAt = {6};
    {
        SimulatedVarnet sim(config);
        ASSERT_TRUE(sim.Detect());
        ASSERT_TRUE(Orv::Succeeded(sim.transport.EnterBootloaderMode()));
        ASSERT_TRUE(sim.Enter());
        const std::uint8_t a[2] = {0xAB, 0x01}, b[1] = {0x0F};
        ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(1, 3, b, 1)));
        ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, 200, a, 2)));
        EXPECT_TRUE(Orv::Failed(sim.protocol.VerifyRow(0, 200, 0x54)));  // command 6: silent
    }
    const std::string transcript = ReadAll(config.transcriptPath);
    EXPECT_EQ(transcript.substr(0, 19), "SWITCH 00 12 34 00\n");
    EXPECT_NE(transcript.find("\nOUT 01 38 00 00 C7 FF 17\nIN 01 00 08 00 69 10 16 2E 11 00 00 01 "),
              std::string::npos);
    EXPECT_NE(transcript.find("\nIN -\n"), std::string::npos);
    EXPECT_EQ(ReadAll(config.flashOutPath), "0 200 AB01\n1 3 0F\n");
    std::filesystem::remove(config.transcriptPath);
    std::filesystem::remove(config.flashOutPath);
}

namespace {

// How the flash's last row is filled before Exit Bootloader.
enum class LastRow { ValidMetadata, BadChecksum, ZeroLength, NotWritten };

struct RestartCase {
    const char* name;
    LastRow lastRow;
    bool startsApplication;
};

}  // namespace

TEST(SimulatedHidPlatform, ExitStartsTheApplicationOnlyWhenItsMetadataIsValid) {
    const RestartCase cases[] = {
        {"valid", LastRow::ValidMetadata, true},
        {"bad checksum", LastRow::BadChecksum, false},
        {"zero length", LastRow::ZeroLength, false},
        {"no metadata", LastRow::NotWritten, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto config = VarnetTest::BootloaderConfig();
        config.flash = {FlashRowRange{0, 127}, FlashRowRange{0, 63}};  // the metadata lives in 1:63
        SimulatedVarnet sim(config);
        ASSERT_TRUE(sim.Detect());
        ASSERT_TRUE(sim.Enter());
        // An application of three 64-byte rows after a bootloader ending at row 9; row 11 is
        // never written and counts as zeros.
        VarnetTest::Flash application;
        for (std::uint16_t row : {10, 12}) {
            std::vector<std::uint8_t> data(64);
            for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(row * 3 + i);
            ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, row, data.data(), data.size())));
            application[{0, row}] = data;
        }
        std::vector<std::uint8_t> metadata = VarnetTest::MetadataRow(application, 9, 64);
        if (c.lastRow == LastRow::BadChecksum) metadata[0] ^= 0x80;
        if (c.lastRow == LastRow::ZeroLength) std::fill(metadata.begin() + 9, metadata.begin() + 13, 0);
        if (c.lastRow != LastRow::NotWritten) {
            ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(1, 63, metadata.data(), metadata.size())));
        }
        ASSERT_TRUE(Orv::Succeeded(sim.protocol.ExitBootloader()));
        sim.clock.SleepMs(config.restartDelayMs);
        EXPECT_EQ(sim.device.GetState(),
                  c.startsApplication ? SimulatedState::Application : SimulatedState::Bootloader);
        if (c.startsApplication) {
            EXPECT_EQ(sim.device.GetApplicationVersion(), config.updatedVersion);
        }
    }
}

TEST(SimulatedHidPlatform, HalfStagedRowIsRefusedUntilSyncBootloader) {
    auto config = VarnetTest::BootloaderConfig();
    config.faults.halfStagedRow = true;
    SimulatedVarnet sim(config);
    ASSERT_TRUE(sim.Detect());
    const std::vector<std::uint8_t> data(64, 0x11);
    // Enter Bootloader keeps what an interrupted session staged: every row is refused.
    ASSERT_TRUE(sim.Enter());
    EXPECT_TRUE(Orv::Failed(sim.protocol.ProgramFlashRow(0, 1, data.data(), data.size())));
    ASSERT_TRUE(sim.Enter());
    EXPECT_TRUE(Orv::Failed(sim.protocol.ProgramFlashRow(0, 1, data.data(), data.size())));
    // Sync Bootloader (not answered) drops it.
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.SyncBootloader()));
    EXPECT_EQ(sim.device.GetTranscript().back(), "IN -");
    EXPECT_EQ(sim.Commands().back(), "01 35 00 00 CA FF 17");
    ASSERT_TRUE(sim.Enter());
    EXPECT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, 1, data.data(), data.size())));
    EXPECT_EQ(sim.device.GetFlash().at({0, 1}), data);
}
