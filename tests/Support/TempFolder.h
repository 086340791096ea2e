#pragma once
// Scratch names under the system's temporary folder that no other run (nor another user) can
// have taken: random, and the folder made exclusively.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace VarnetTest {

// Sixteen random hexadecimal digits.
inline std::string RandomSuffix() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
    return suffix;
}

// A fresh name `stem`-<random> in the temporary folder; nothing is created.
inline std::filesystem::path UniqueTempPath(const std::string& stem) {
    return std::filesystem::temp_directory_path() / (stem + "-" + RandomSuffix());
}

// A folder of its own (only the owner may enter it where the system has such rights) for the life
// of the object, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& stem = "varnet-test") {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::error_code error;
            m_path = UniqueTempPath(stem);
            if (std::filesystem::create_directory(m_path, error)) {
                std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, error);
                return;
            }
        }
        throw std::runtime_error("no temporary folder could be made for " + stem);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

}  // namespace VarnetTest
