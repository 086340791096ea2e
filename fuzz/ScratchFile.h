#pragma once
// A per-process file in the temporary folder for targets whose code under test reads files.
// Each input overwrites it; it is removed when the fuzzer ends normally (a crash leaves it for
// the reproducer's sake, next to libFuzzer's own artifact).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

class ScratchFile {
public:
    ScratchFile(std::string_view stem, std::string_view extension)
        : m_path((std::filesystem::temp_directory_path() /
                  (std::string(stem) + "_" + std::to_string(::getpid()) + std::string(extension)))
                     .string()) {}
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return m_path; }
    void Write(std::string_view bytes) const {
        std::ofstream file(m_path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string m_path;
};
