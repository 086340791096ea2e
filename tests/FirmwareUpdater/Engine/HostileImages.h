#pragma once
// Files that must never reach the device, each with the first problem the image check names. Used
// by the check's own tests, by the engine's start-up tests and by the image tool's tests, so that
// all three see the same inputs.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "../../Support/TempFolder.h"

namespace VarnetTest {

// A row line with a correct row checksum.
inline std::string RowLine(int array, int row, const std::string& dataHex) {
    char head[16];
    std::snprintf(head, sizeof head, "%02X%04X%04X", array, row, static_cast<int>(dataHex.size() / 2));
    const std::string body = head + dataHex;
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < body.size(); i += 2) sum += std::stoul(body.substr(i, 2), nullptr, 16);
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return ":" + body + checksum;
}

inline constexpr char kGoodHeader[] = "2E1610691100";

inline std::string WriteText(const std::filesystem::path& dir, const std::string& text) {
    const auto path = dir / "image.cyacd";
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

struct HostileImage {
    const char* name;
    std::size_t line;     // of the first problem; 0 for the file as a whole
    const char* text;     // part of the first problem's text
    std::string content;  // of the file written, unless `make` creates the input
    std::string (*make)(const std::filesystem::path& dir) = nullptr;

    // Creates the input in `dir` and gives its path.
    std::string Make(const std::filesystem::path& dir) const { return make ? make(dir) : WriteText(dir, content); }
};

inline const std::vector<HostileImage>& HostileImages() {
    const std::string h = std::string(kGoodHeader) + "\n";
    static const std::vector<HostileImage> images = {
        {"Missing", 0, "does not exist", "",
         [](const std::filesystem::path& dir) { return (dir / "absent.cyacd").string(); }},
#ifndef _WIN32
        {"Fifo", 0, "not a regular file but a FIFO", "",
         [](const std::filesystem::path& dir) {
             ::mkfifo((dir / "fifo.cyacd").c_str(), 0600);
             return (dir / "fifo.cyacd").string();
         }},
#endif
        {"Directory", 0, "not a regular file but a directory", "",
         [](const std::filesystem::path& dir) {
             std::filesystem::create_directory(dir / "folder.cyacd");
             return (dir / "folder.cyacd").string();
         }},
#ifdef _WIN32
        // Refused all the same; what the reason says depends on the system (Wine cannot even look at it).
        {"DeviceNode", 0, "", "", [](const std::filesystem::path&) { return std::string("NUL"); }},
#else
        {"DeviceNode", 0, "not a regular file but a character device", "",
         [](const std::filesystem::path&) { return std::string("/dev/zero"); }},
#endif
        {"HugeSparseFile", 0, "bytes; an image is at most 2097152 bytes", "",
         [](const std::filesystem::path& dir) {
             const std::string path = WriteText(dir, std::string(kGoodHeader) + "\n" + RowLine(0, 1, "00") + "\n");
             std::filesystem::resize_file(path, 64u << 20);  // 64 MiB of holes
             return path;
         }},
        {"Empty", 0, "the file is empty", ""},
        {"NoRows", 0, "the image holds no rows", h},
        {"BadHexInRow", 2, "character 'G' at column 13 is not a hexadecimal digit", h + RowLine(0, 1, "0G") + "\n"},
        {"BadHexInHeader", 1, "character 'Z' at column 10", "2E1610691Z00\n"},
        {"WrongLength", 2, "the length field says 2 data bytes, the line carries 1", h + ":0000030002AA00\n"},
        {"OddDigits", 2, "odd number of hexadecimal digits", h + ":0000030002AA0\n"},
        {"BadRowChecksum", 2, "row checksum is 0x00", h + RowLine(0, 1, "AABB").substr(0, 15) + "00\n"},
        {"UnknownChecksumType", 1, "unknown checksum type 2", "2E1610691102\n" + RowLine(0, 1, "00") + "\n"},
        {"ArrayFour", 2, "flash array 4 does not exist", h + RowLine(4, 1, "00") + "\n"},
        {"RowTwice", 4, "row 7 of array 0 appears again (first on line 2)",
         h + RowLine(0, 7, "01") + "\n" + RowLine(1, 7, "02") + "\n" + RowLine(0, 7, "03") + "\n"},
        {"TwoRowsOnOneLine", 2, "a second row begins at column 16; one row per line",
         h + RowLine(0, 1, "01") + RowLine(0, 2, "02") + "\n"},
        {"EmptyLineBetweenRows", 3, "empty line", h + RowLine(0, 1, "01") + "\n\n" + RowLine(0, 2, "02")},
        {"LineLongerThanTheReader", 2, "longer than 766 characters", h + ":" + std::string(800, '0') + "\n"},
        {"RowWithoutHeader", 1, "the header (chip identity) is missing", RowLine(0, 1, "01") + "\n"},
    };
    return images;
}

// Failure messages name the input rather than dumping its bytes.
inline void PrintTo(const HostileImage& image, std::ostream* out) { *out << image.name; }

// Names the instances of a test parameterised over HostileImages().
struct HostileImageName {
    template <class ParamInfo>
    std::string operator()(const ParamInfo& instance) const {
        return instance.param.name;
    }
};

inline const HostileImage& FindHostileImage(std::string_view name) {
    for (const HostileImage& image : HostileImages())
        if (name == image.name) return image;
    throw std::invalid_argument("no hostile image called " + std::string(name));
}

}  // namespace VarnetTest
