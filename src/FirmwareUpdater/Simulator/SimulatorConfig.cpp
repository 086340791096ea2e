#include "FirmwareUpdater/Simulator/SimulatorConfig.h"

#include "FirmwareUpdater/Engine/CypressHID/FirmwareVersion.h"

#include <charconv>
#include <cstdlib>
#include <vector>

namespace Varnet {

using Orv::E_INVALIDARG;
using Orv::ORVRESULT;
using Orv::S_OK;

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool ParseInt(std::string_view text, std::uint64_t maximum, int& value) {
    std::uint64_t v = 0;
    if (!ParseSimulatorNumber(text, maximum, v)) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

bool ParseSimulatorNumber(std::string_view text, std::uint64_t maximum, std::uint64_t& value) {
    text = Trim(text);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    std::uint64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (ec != std::errc() || end != text.data() + text.size() || v > maximum) return false;
    value = v;
    return true;
}

bool ParseSimulatorVersion(std::string_view text, std::uint16_t& versionNumber) {
    text = Trim(text);
    auto parts = Split(text, '.');
    if (parts.size() == 1) {
        std::uint64_t v = 0;
        if (!ParseSimulatorNumber(text, 0xFFFF, v)) return false;
        versionNumber = static_cast<std::uint16_t>(v);
        return true;
    }
    if (parts.size() != 3) return false;
    std::uint64_t major = 0, minor = 0, sub = 0;
    if (!ParseSimulatorNumber(parts[0], 99, major) || !ParseSimulatorNumber(parts[1], 9, minor) ||
        !ParseSimulatorNumber(parts[2], 9, sub) || parts[0].starts_with("0x")) {
        return false;
    }
    versionNumber = EncodeVersionNumber({static_cast<int>(major), static_cast<int>(minor), static_cast<int>(sub)});
    return true;
}

bool ParseSimulatorFlash(std::string_view text, std::array<std::optional<FlashRowRange>, FlashArrayCount>& flash) {
    std::array<std::optional<FlashRowRange>, FlashArrayCount> parsed{};
    for (std::string_view item : Split(text, ',')) {
        auto colon = item.find(':');
        if (colon == std::string_view::npos) return false;
        auto rows = item.substr(colon + 1);
        auto dash = rows.find('-');
        if (dash == std::string_view::npos) return false;
        std::uint64_t array = 0, first = 0, last = 0;
        if (!ParseSimulatorNumber(item.substr(0, colon), FlashArrayCount - 1, array) ||
            !ParseSimulatorNumber(rows.substr(0, dash), 0xFFFF, first) ||
            !ParseSimulatorNumber(rows.substr(dash + 1), 0xFFFF, last) || first > last) {
            return false;
        }
        parsed[array] = FlashRowRange{static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(last)};
    }
    flash = parsed;
    return true;
}

bool ParseSimulatorFaults(std::string_view text, SimulatorFaults& faults, std::string& error) {
    SimulatorFaults parsed;
    for (std::string_view raw : Split(text, ',')) {
        std::string_view item = Trim(raw);
        if (item.empty()) continue;
        auto fields = Split(item, ':');
        const std::string_view name = fields[0];
        int n = 0;
        bool ok = true;
        if (name == "ignore-switch" && fields.size() == 1) {
            parsed.ignoreSwitch = true;
        } else if (name == "half-staged" && fields.size() == 1) {
            parsed.halfStagedRow = true;
        } else if (name == "no-bootloader" && fields.size() == 1) {
            parsed.noBootloader = true;
        } else if (name == "unplug-after" && fields.size() == 2 && ParseInt(fields[1], 1000000, n)) {
            parsed.unplugAfter = n;
        } else if (name == "status-at" && fields.size() == 3 && ParseInt(fields[1], 1000000, n)) {
            int code = 0;
            ok = ParseInt(fields[2], 0xFF, code) && code != 0;
            parsed.statusAt[n] = static_cast<std::uint8_t>(code);
        } else if (name == "silent-at" && fields.size() == 2 && ParseInt(fields[1], 1000000, n)) {
            parsed.silentAt.insert(n);
        } else if (name == "corrupt-row" && fields.size() == 2 && ParseInt(fields[1], 1000000, n)) {
            parsed.corruptRow.insert(n);
        } else if (name == "bad-checksum-at" && fields.size() == 2 && ParseInt(fields[1], 1000000, n)) {
            parsed.badChecksumAt.insert(n);
        } else {
            ok = false;
        }
        if (!ok || (fields.size() > 1 && n < 1)) {
            error = "unknown or malformed fault \"" + std::string(item) + "\"";
            return false;
        }
    }
    faults = parsed;
    return true;
}

bool IsSimulatorSelected(const EnvironmentLookup& lookup) {
    const char* device = lookup("VARNET_DEVICE");
    return device && std::string_view(device) == "simulated";
}

ORVRESULT ReadSimulatorConfig(const EnvironmentLookup& lookup, SimulatorConfig& config, std::string& error) {
    SimulatorConfig c;
    auto bad = [&](const char* name, const std::string& why) {
        error = std::string(name) + ": " + why;
        return E_INVALIDARG;
    };
    std::uint64_t v = 0;
    if (const char* s = lookup("VARNET_SIM_STATE")) {
        std::string_view state(s);
        if (state == "application")
            c.startState = SimulatedState::Application;
        else if (state == "bootloader")
            c.startState = SimulatedState::Bootloader;
        else if (state == "absent")
            c.startState = SimulatedState::Absent;
        else
            return bad("VARNET_SIM_STATE", "expected application, bootloader or absent");
    }
    if (const char* s = lookup("VARNET_SIM_VERSION"); s && !ParseSimulatorVersion(s, c.applicationVersion))
        return bad("VARNET_SIM_VERSION", "expected a version such as 1.0.1");
    if (const char* s = lookup("VARNET_SIM_NEW_VERSION"); s && !ParseSimulatorVersion(s, c.updatedVersion))
        return bad("VARNET_SIM_NEW_VERSION", "expected a version such as 1.0.2");
    if (const char* s = lookup("VARNET_SIM_SILICON_ID")) {
        if (!ParseSimulatorNumber(s, 0xFFFFFFFFu, v)) return bad("VARNET_SIM_SILICON_ID", "expected a 32-bit number");
        c.siliconId = static_cast<std::uint32_t>(v);
    }
    if (const char* s = lookup("VARNET_SIM_SILICON_REV")) {
        if (!ParseSimulatorNumber(s, 0xFF, v)) return bad("VARNET_SIM_SILICON_REV", "expected an 8-bit number");
        c.siliconRevision = static_cast<std::uint8_t>(v);
    }
    if (const char* s = lookup("VARNET_SIM_BOOTLOADER_VERSION")) {
        if (!ParseSimulatorNumber(s, 0xFFFFFF, v))
            return bad("VARNET_SIM_BOOTLOADER_VERSION", "expected a 24-bit number");
        c.bootloaderVersion = static_cast<std::uint32_t>(v);
    }
    if (const char* s = lookup("VARNET_SIM_FLASH"); s && !ParseSimulatorFlash(s, c.flash))
        return bad("VARNET_SIM_FLASH", "expected ARRAY:FIRST-LAST[,...], e.g. 0:0-255,1:0-63");
    if (const char* s = lookup("VARNET_SIM_CHECKSUM")) {
        std::string_view kind(s);
        if (kind == "sum")
            c.checksumKind = ChecksumKind::Summing;
        else if (kind == "crc16")
            c.checksumKind = ChecksumKind::Crc16;
        else
            return bad("VARNET_SIM_CHECKSUM", "expected sum or crc16");
    }
    if (const char* s = lookup("VARNET_SIM_FAULTS")) {
        std::string why;
        if (!ParseSimulatorFaults(s, c.faults, why)) return bad("VARNET_SIM_FAULTS", why);
    }
    if (const char* s = lookup("VARNET_SIM_LATENCY_MS")) {
        if (!ParseSimulatorNumber(s, 60000, v)) return bad("VARNET_SIM_LATENCY_MS", "expected milliseconds");
        c.latencyMs = static_cast<std::int64_t>(v);
    }
    if (const char* s = lookup("VARNET_SIM_TRANSCRIPT")) c.transcriptPath = s;
    if (const char* s = lookup("VARNET_SIM_FLASH_OUT")) c.flashOutPath = s;
    config = std::move(c);
    return S_OK;
}

ORVRESULT ReadSimulatorConfigFromEnvironment(SimulatorConfig& config, std::string& error) {
    return ReadSimulatorConfig([](const char* name) { return std::getenv(name); }, config, error);
}

}  // namespace Varnet
