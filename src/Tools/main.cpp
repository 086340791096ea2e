// varnet-image: look into a firmware image before it goes to a device.
//   varnet-image info FILE     what the image holds, its metadata and its SHA-256
//   varnet-image verify FILE   every problem, one line each; exit 0 only for a sound image
//   varnet-image simulate FILE dry-run the upload against the simulated Varnet
#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/Engine/CypressHID/HidTransport.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageCheck.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageMetadata.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Notification/NotificationClient.h"
#include "OrvFramework/Utilities/Storage/CommandLineOption.h"
#include "Tools/Sha256.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int ExitSound = 0;
constexpr int ExitProblems = 1;
constexpr int ExitUsage = 2;

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: varnet-image COMMAND FILE\n"
        "\n"
        "commands:\n"
        "  info FILE     show the chip identity, checksum type, line count, rows, flash bytes\n"
        "                used and the rows per flash array of a firmware image (.cyacd),\n"
        "                whether its application metadata is valid, and its SHA-256\n"
        "  verify FILE   check every line of the image and list each problem with its line\n"
        "                number; exits with 0 only when the image is sound\n"
        "  simulate FILE upload the image to the simulated Varnet (configured by the\n"
        "                VARNET_SIM_* variables; chip identity, checksum type and flash\n"
        "                ranges taken from the image unless given); exits with 0 only when\n"
        "                the upload succeeded and the flash holds exactly the image's rows\n",
        out);
}

const char* ChecksumName(std::uint8_t type) {
    if (type == Varnet::ImageChecksumSumming) return "summing";
    if (type == Varnet::ImageChecksumCrc16) return "CRC-16";
    return "unknown; the updater uses summing";
}

void PrintProblems(const char* path, const Varnet::ImageReport& report) {
    for (const auto& problem : report.problems) {
        if (problem.line == 0)
            std::printf("%s: %s\n", path, problem.text.c_str());
        else
            std::printf("%s:%zu: %s\n", path, problem.line, problem.text.c_str());
    }
    if (report.problemCount > report.problems.size()) {
        std::printf("%s: %zu more problems not listed\n", path, report.problemCount - report.problems.size());
    }
}

using Flash = std::map<Varnet::SimulatedHidPlatform::FlashKey, std::vector<std::uint8_t>>;
bool ReadImageRows(const std::string& path, Flash& rows);

std::string VersionText(std::uint16_t number) {
    char hex[16];
    std::snprintf(hex, sizeof hex, " (0x%04X)", unsigned{number});
    return Varnet::DecodeVersionNumber(number).Text() + hex;
}

// The metadata sits in the last row of the last flash array; the image's own last row is the best
// guess a file can give.
void PrintMetadata(const char* path, const Varnet::ImageReport& report) {
    Flash rows;
    if (report.arrays.empty() || !ReadImageRows(path, rows)) {
        std::printf("Metadata:        not read (the image's rows cannot be read)\n");
        return;
    }
    const auto& [lastArray, summary] = *report.arrays.rbegin();
    const Varnet::MetadataCheck check = Varnet::CheckApplicationMetadata(rows, lastArray, summary.lastRow);
    if (check.valid) {
        const auto& m = check.metadata;
        std::printf("Metadata:        valid, application %s, %u bytes from row %u, entry 0x%08X\n",
                    VersionText(m.applicationVersion).c_str(), unsigned{m.applicationLength},
                    unsigned{m.bootloaderLastRow} + 1, unsigned{m.entryAddress});
    } else if (check.present) {
        std::printf("Metadata:        NOT VALID: %s; application %s; a bootloader will not start it\n",
                    check.problem.c_str(), VersionText(check.metadata.applicationVersion).c_str());
    } else {
        std::printf("Metadata:        NONE: %s; a bootloader will not start it\n", check.problem.c_str());
    }
}

int Info(const char* path) {
    const Varnet::ImageReport report = Varnet::CheckImage(path);
    if (!report.opened) {
        std::fprintf(stderr, "varnet-image: %s\n", Varnet::DescribeFirstProblem(path, report).c_str());
        return ExitProblems;
    }
    std::printf("File:            %s\n", path);
    if (report.headerValid) {
        std::printf("Silicon ID:      0x%08X\n", report.header.siliconId);
        std::printf("Revision:        0x%02X\n", unsigned{report.header.siliconRevision});
        if (report.headerHasChecksumType) {
            std::printf("Checksum type:   %u (%s)\n", unsigned{report.header.checksumType},
                        ChecksumName(report.header.checksumType));
        } else {
            std::printf("Checksum type:   not given (summing)\n");
        }
    } else {
        std::printf("Header:          not readable\n");
    }
    std::printf("Lines:           %zu\n", report.lines);
    std::printf("Rows:            %zu\n", report.RowCount());
    std::printf("Flash used:      %zu bytes\n", report.DataBytes());
    for (const auto& [array, summary] : report.arrays) {
        std::printf("Array %u:         %zu rows, rows %u to %u, %zu data bytes\n", unsigned{array}, summary.rows,
                    unsigned{summary.firstRow}, unsigned{summary.lastRow}, summary.dataBytes);
    }
    PrintMetadata(path, report);
    const std::string digest = Varnet::Sha256OfImageFile(path);
    std::printf("SHA-256:         %s\n", digest.empty() ? "cannot be computed" : digest.c_str());
    if (report.problemCount > 0) {
        std::printf("Problems:        %zu (run \"varnet-image verify %s\" for the list)\n", report.problemCount, path);
    }
    return report.headerValid ? ExitSound : ExitProblems;
}

int Verify(const char* path) {
    const Varnet::ImageReport report = Varnet::CheckImage(path);
    PrintProblems(path, report);
    if (report.IsSound()) {
        std::printf("%s: sound image, %zu rows\n", path, report.RowCount());
        return ExitSound;
    }
    std::printf("%s: %zu problem%s\n", path, report.problemCount, report.problemCount == 1 ? "" : "s");
    return ExitProblems;
}

// The rows the image should leave in the flash; a later row of the same place replaces an earlier.
bool ReadImageRows(const std::string& path, Flash& rows) {
    Varnet::LImageFile file;
    if (Orv::Failed(file.Open(path))) return false;
    char line[Varnet::ImageLineBufferSize];
    std::size_t length = 0;
    if (file.ReadImageLine(length, line) != Varnet::ImageLineResult::LineRead) return false;
    Varnet::ImageRow row;
    for (;;) {
        const auto read = file.ReadImageLine(length, line);
        if (read == Varnet::ImageLineResult::NoMoreLines) return true;
        if (read == Varnet::ImageLineResult::Failure || Orv::Failed(Varnet::ParseRowLine(length, line, row)))
            return false;
        rows[{row.arrayId, row.rowNumber}].assign(row.data, row.data + row.dataLength);
    }
}

// Prints the engine's notifications as the application center delivers them.
class ProgressPrinter : public Orv::LNotificationClient {
public:
    Orv::ORVRESULT ReceiveNotification(Orv::LNotificationDistributor*, Orv::LNotification* n) override {
        if (const auto* p = n->GetParameterAs<LFirmwareUpdateProgressNotificationData>()) {
            std::printf("progress %5.1f%%, %d s remaining\n", p->GetFractionComplete() * 100.0,
                        p->GetSecondsRemaining());
        } else {
            std::printf("%s\n", Orv::Utf16ToUtf8(n->GetID()).c_str());
        }
        return Orv::S_OK;
    }
};

// Keeps the dry run away from the value the driver package reads, unless a store is chosen.
class ScratchRegistry {
public:
    ScratchRegistry() {
        if (std::getenv("VARNET_REGISTRY_DIR")) return;
        std::error_code error;
        m_dir = std::filesystem::temp_directory_path(error) /
                ("varnet-image-registry-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(m_dir, error);
        ::setenv("VARNET_REGISTRY_DIR", m_dir.c_str(), 1);
    }
    ~ScratchRegistry() {
        if (m_dir.empty()) return;
        ::unsetenv("VARNET_REGISTRY_DIR");
        std::error_code error;
        std::filesystem::remove_all(m_dir, error);
    }

private:
    std::filesystem::path m_dir;
};

int Simulate(const char* path) {
    const Varnet::ImageReport report = Varnet::CheckImage(path);
    Flash expected;
    if (!report.opened || !report.headerValid || !ReadImageRows(path, expected)) {
        PrintProblems(path, report);
        std::fprintf(stderr, "varnet-image: %s: not an image that can be uploaded\n", path);
        return ExitProblems;
    }

    Varnet::SimulatorConfig config;
    std::string error;
    if (Orv::Failed(Varnet::ReadSimulatorConfigFromEnvironment(config, error))) {
        std::fprintf(stderr, "varnet-image: %s\n", error.c_str());
        return ExitUsage;
    }
    if (!std::getenv("VARNET_SIM_SILICON_ID")) config.siliconId = report.header.siliconId;
    if (!std::getenv("VARNET_SIM_SILICON_REV")) config.siliconRevision = report.header.siliconRevision;
    config.checksumKind = Varnet::ChecksumKindFromImage(report.header.checksumType);
    if (!std::getenv("VARNET_SIM_FLASH")) {
        config.flash = {};
        for (const auto& [array, summary] : report.arrays) {
            if (array < Varnet::FlashArrayCount)
                config.flash[array] = Varnet::FlashRowRange{summary.firstRow, summary.lastRow};
        }
    }

    ScratchRegistry registry;
    // Virtual time: the fixed waits of the upload cost nothing in a dry run.
    Orv::Platform::VirtualClock clock;
    auto device = std::make_shared<Varnet::SimulatedHidPlatform>(config, clock);
    auto engine = Orv::MakeRC<LUpdateEngine>(device, clock, Orv::String());
    auto center = Orv::GetApplicationNotificationCenter();
    auto printer = Orv::MakeRC<ProgressPrinter>();
    for (const char16_t* id : {NID_FIRMWARE_UPDATE_PROGRESS, NID_FIRMWARE_UPDATE_COMPLETE, NID_FIRMWARE_UPDATE_FAILED})
        printer->Register(center.Get(), id);

    const std::string option = std::string("-ABSOLUTE_FIRMWARE_FILE_PATH=") + path;
    const char* const arguments[] = {"varnet-image", "-ALWAYS_UPDATE", option.c_str()};
    const EngineResult start = engine->Initialize(Orv::String(Orv::Utf8ToUtf16(Orv::JoinCommandLine(3, arguments))));
    int exitCode = ExitProblems;
    if (start != EngineResult::Ready) {
        std::printf("%s: the simulated device is not ready (engine result %d)\n", path, static_cast<int>(start));
    } else {
        const Orv::ORVRESULT result = engine->UpdateFirmware().code;
        while (center->ProcessQueue(false)) {
        }
        const Flash flash = device->GetFlash();
        if (Orv::Failed(result)) {
            std::printf("%s: upload failed after %d bootloader commands\n", path, device->GetBootloaderCommandCount());
        } else if (flash != expected) {
            std::printf(
                "%s: upload reported success, but the flash holds %zu rows that differ from the "
                "image's %zu\n",
                path, flash.size(), expected.size());
        } else {
            std::printf("%s: upload succeeded, %zu rows in flash match the image\n", path, flash.size());
            exitCode = ExitSound;
        }
    }
    for (const char16_t* id : {NID_FIRMWARE_UPDATE_PROGRESS, NID_FIRMWARE_UPDATE_COMPLETE, NID_FIRMWARE_UPDATE_FAILED})
        printer->Unregister(center.Get(), Orv::InternNotificationID(id));
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 &&
        (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "help") == 0)) {
        PrintUsage(stdout);
        return ExitSound;
    }
    if (argc != 3) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    const std::string command = argv[1];
    if (command == "info") return Info(argv[2]);
    if (command == "verify") return Verify(argv[2]);
    if (command == "simulate") return Simulate(argv[2]);
    std::fprintf(stderr, "varnet-image: unknown command \"%s\"\n\n", argv[1]);
    PrintUsage(stderr);
    return ExitUsage;
}
