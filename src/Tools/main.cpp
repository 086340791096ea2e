// varnet-image: look into a firmware image before it goes to a device.
//   varnet-image info FILE     what the image holds
//   varnet-image verify FILE   every problem, one line each; exit 0 only for a sound image
#include "Tools/ImageCheck.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int ExitSound = 0;
constexpr int ExitProblems = 1;
constexpr int ExitUsage = 2;

void PrintUsage(std::FILE* out) {
    std::fputs("usage: varnet-image COMMAND FILE\n"
               "\n"
               "commands:\n"
               "  info FILE     show the chip identity, checksum type, line count and the rows per\n"
               "                flash array of a firmware image (.cyacd)\n"
               "  verify FILE   check every line of the image and list each problem with its line\n"
               "                number; exits with 0 only when the image is sound\n",
               out);
}

const char* ChecksumName(std::uint8_t type) {
    if (type == Varnet::ImageChecksumSumming) return "summing";
    if (type == Varnet::ImageChecksumCrc16) return "CRC-16";
    return "unknown; the updater uses summing";
}

void PrintProblems(const char* path, const Varnet::ImageReport& report) {
    for (const auto& problem : report.problems) {
        if (problem.line == 0) std::printf("%s: %s\n", path, problem.text.c_str());
        else std::printf("%s:%zu: %s\n", path, problem.line, problem.text.c_str());
    }
}

int Info(const char* path) {
    const Varnet::ImageReport report = Varnet::CheckImage(path);
    if (!report.opened) {
        std::fprintf(stderr, "varnet-image: %s: cannot open the file\n", path);
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
    for (const auto& [array, summary] : report.arrays) {
        std::printf("Array %u:         %zu rows, rows %u to %u, %zu data bytes\n", unsigned{array},
                    summary.rows, unsigned{summary.firstRow}, unsigned{summary.lastRow}, summary.dataBytes);
    }
    if (!report.problems.empty()) {
        std::printf("Problems:        %zu (run \"varnet-image verify %s\" for the list)\n",
                    report.problems.size(), path);
    }
    return report.headerValid ? ExitSound : ExitProblems;
}

int Verify(const char* path) {
    const Varnet::ImageReport report = Varnet::CheckImage(path);
    PrintProblems(path, report);
    if (report.IsSound()) {
        std::size_t rows = 0;
        for (const auto& entry : report.arrays) rows += entry.second.rows;
        std::printf("%s: sound image, %zu rows\n", path, rows);
        return ExitSound;
    }
    std::printf("%s: %zu problem%s\n", path, report.problems.size(), report.problems.size() == 1 ? "" : "s");
    return ExitProblems;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
                      std::strcmp(argv[1], "help") == 0)) {
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
    std::fprintf(stderr, "varnet-image: unknown command \"%s\"\n\n", argv[1]);
    PrintUsage(stderr);
    return ExitUsage;
}
