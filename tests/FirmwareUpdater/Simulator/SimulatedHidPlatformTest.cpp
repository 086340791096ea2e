#include "FirmwareUpdater/Simulator/SimulatorConfig.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

using namespace Varnet;

namespace {

EnvironmentLookup Env(std::map<std::string, std::string> values) {
    auto shared = std::make_shared<std::map<std::string, std::string>>(std::move(values));
    return [shared](const char* name) -> const char* {
        auto it = shared->find(name);
        return it == shared->end() ? nullptr : it->second.c_str();
    };
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
        {"VARNET_SIM_VERSION", "1.0.10"},
        {"VARNET_SIM_SILICON_ID", "0x1FFFFFFFF"},
        {"VARNET_SIM_SILICON_REV", "256"},
        {"VARNET_SIM_BOOTLOADER_VERSION", "0x1000000"},
        {"VARNET_SIM_FLASH", "4:0-10"},
        {"VARNET_SIM_FLASH", "0:10-5"},
        {"VARNET_SIM_FAULTS", "explode"},
        {"VARNET_SIM_FAULTS", "silent-at:0"},
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
