#pragma once
// SHA-256, so that varnet-image prints the same digest as sha256sum and a user can compare an
// image with a published one.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Varnet {

class Sha256 {
public:
    Sha256();
    void Update(const void* data, std::size_t size);
    // The digest as 64 lower-case hexadecimal digits; the object is spent afterwards.
    std::string FinishHex();

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;  // bytes
};

// The digest of a whole file opened the way images are (a regular file of bounded size); empty
// when it cannot be read.
std::string Sha256OfImageFile(const std::string& path);

}  // namespace Varnet
