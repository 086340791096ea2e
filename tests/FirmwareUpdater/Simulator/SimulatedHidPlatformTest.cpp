#include "FirmwareUpdater/Simulator/SimulatedVarnet.h"
#include "../Engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

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
    EXPECT_EQ(std::tuple(config.applicationVersion, config.updatedVersion, config.siliconId, config.siliconRevision,
                         config.bootloaderVersion, config.latencyMs),
              std::tuple(0x1203, 0x0104, 0x12345678u, 7, 0x020304u, 0));
    ASSERT_TRUE(config.flash[1].has_value());
    EXPECT_EQ(std::tuple(config.flash[1]->firstRow, config.flash[1]->lastRow), std::tuple(16, 63));
    EXPECT_EQ(config.checksumKind, ChecksumKind::Crc16);
    const auto& f = config.faults;
    EXPECT_EQ(std::tuple(f.ignoreSwitch, f.noBootloader, f.unplugAfter, f.statusAt, f.silentAt, f.corruptRow,
                         f.badChecksumAt, f.halfStagedRow),
              std::tuple(true, true, 9, decltype(f.statusAt){{3, 0x0A}}, decltype(f.silentAt){4},
                         decltype(f.corruptRow){2}, decltype(f.badChecksumAt){5}, true));
    EXPECT_EQ(config.transcriptPath + " " + config.flashOutPath, "/tmp/t /tmp/f");
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
    std::uint8_t packet[MaxPacketSize];
    const auto status = [&](std::uint8_t command, const std::uint8_t* data, std::size_t length, int spoilAt = -1) {
        const std::size_t size = BuildPacket(ChecksumKind::Summing, command, data, length, packet);
        if (spoilAt >= 0) packet[spoilAt] ^= 0x0F;
        std::uint8_t answer[7] = {};
        EXPECT_TRUE(Orv::Succeeded(sim.transport.TransferReport(packet, size, answer, 7)));
        return answer[1];
    };
    EXPECT_EQ(status(CmdSendData, nullptr, 0), SimStatusNotActive);  // before Enter Bootloader
    ASSERT_TRUE(sim.Enter());
    const std::uint8_t row[3] = {0, 9, 0};
    const std::vector<std::uint8_t> statuses = {status(CmdSendData, nullptr, 0, 4),  // checksum
                                                status(CmdSendData, nullptr, 0, 6),  // end byte
                                                status(0x31, nullptr, 0),            // unknown command
                                                status(CmdVerifyRow, row, 3)};       // never programmed
    EXPECT_EQ(statuses,
              (std::vector<std::uint8_t>{SimStatusChecksum, SimStatusLength, SimStatusCommand, SimStatusRow}));
}

TEST(SimulatedHidPlatform, WritesTranscriptAndFlashFiles) {
    auto config = VarnetTest::BootloaderConfig();
    config.startState = SimulatedState::Application;
    config.transcriptPath = VarnetTest::UniqueTempPath("varnet-sim-transcript").string();
    config.flashOutPath = VarnetTest::UniqueTempPath("varnet-sim-flash").string();
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

// An application of 64-byte rows 10 and 12 (11 counts as zeros) after a bootloader ending at row 9,
// its metadata in 1:63, spoiled in each way the bootloader must notice.
TEST(SimulatedHidPlatform, ExitStartsTheApplicationOnlyWhenItsMetadataIsValid) {
    const std::pair<const char*, void (*)(std::vector<std::uint8_t>&)> cases[] = {
        {"valid", [](std::vector<std::uint8_t>&) {}},
        {"bad checksum", [](std::vector<std::uint8_t>& m) { m[0] ^= 0x80; }},
        {"zero length", [](std::vector<std::uint8_t>& m) { std::fill(m.begin() + 9, m.begin() + 13, 0); }},
        {"not written", [](std::vector<std::uint8_t>& m) { m.clear(); }},
    };
    for (const auto& [name, spoil] : cases) {
        SCOPED_TRACE(name);
        auto config = VarnetTest::BootloaderConfig();
        config.flash = {FlashRowRange{0, 127}, FlashRowRange{0, 63}};
        SimulatedVarnet sim(config);
        ASSERT_TRUE(sim.Detect());
        ASSERT_TRUE(sim.Enter());
        VarnetTest::Flash application;
        for (std::uint16_t row : {10, 12}) {
            std::vector<std::uint8_t> data(64);
            for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(row * 3 + i);
            ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, row, data.data(), data.size())));
            application[{0, row}] = data;
        }
        std::vector<std::uint8_t> metadata = VarnetTest::MetadataRow(application, 9, 64);
        spoil(metadata);
        if (!metadata.empty()) {
            ASSERT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(1, 63, metadata.data(), metadata.size())));
        }
        ASSERT_TRUE(Orv::Succeeded(sim.protocol.ExitBootloader()));
        sim.clock.SleepMs(config.restartDelayMs);
        const bool valid = std::string(name) == "valid";
        EXPECT_EQ(sim.device.GetState(), valid ? SimulatedState::Application : SimulatedState::Bootloader);
        EXPECT_EQ(sim.device.GetApplicationVersion(), valid ? config.updatedVersion : config.applicationVersion);
    }
}

TEST(SimulatedHidPlatform, HalfStagedRowIsRefusedUntilSyncBootloader) {
    auto config = VarnetTest::BootloaderConfig();
    config.faults.halfStagedRow = true;
    SimulatedVarnet sim(config);
    ASSERT_TRUE(sim.Detect());
    const std::vector<std::uint8_t> data(64, 0x11);
    // Enter Bootloader keeps what an interrupted session staged: every row is refused, again and again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_TRUE(sim.Enter());
        EXPECT_TRUE(Orv::Failed(sim.protocol.ProgramFlashRow(0, 1, data.data(), data.size())));
    }
    // Sync Bootloader (not answered) drops it.
    ASSERT_TRUE(Orv::Succeeded(sim.protocol.SyncBootloader()));
    EXPECT_EQ(sim.Commands().back(), "01 35 00 00 CA FF 17");
    ASSERT_TRUE(sim.Enter());
    EXPECT_TRUE(Orv::Succeeded(sim.protocol.ProgramFlashRow(0, 1, data.data(), data.size())));
    EXPECT_EQ(sim.device.GetFlash().at({0, 1}), data);
}
