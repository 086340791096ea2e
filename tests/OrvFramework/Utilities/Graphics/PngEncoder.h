#pragma once
// Straight 0xAARRGGBB pixels as PNG bytes (RGBA, deflate's stored blocks): test images made without
// the drawing backend, and pictures of painted pages written for looking at.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace Orv::Testing {

inline std::vector<unsigned char> EncodePng(int width, int height, const std::vector<std::uint32_t>& argb) {
    auto crc = [](const unsigned char* p, std::size_t n, std::uint32_t c = 0xFFFFFFFFu) {
        for (std::size_t i = 0; i < n; ++i) {
            c ^= p[i];
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return c;
    };
    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto put32 = [](std::vector<unsigned char>& v, std::uint32_t x) {
        for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<unsigned char>(x >> s));
    };
    auto chunk = [&](const char* type, const std::vector<unsigned char>& data) {
        put32(out, static_cast<std::uint32_t>(data.size()));
        std::vector<unsigned char> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        put32(out, crc(body.data(), body.size()) ^ 0xFFFFFFFFu);
    };
    std::vector<unsigned char> header;
    put32(header, static_cast<std::uint32_t>(width));
    put32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA
    chunk("IHDR", header);
    std::vector<unsigned char> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = argb[static_cast<std::size_t>(y) * width + x];
            raw.insert(raw.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                   static_cast<unsigned char>(p), static_cast<unsigned char>(p >> 24)});
        }
    }
    std::vector<unsigned char> z = {0x78, 0x01};
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.insert(z.end(), {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                           static_cast<unsigned char>(~n), static_cast<unsigned char>(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                 raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        if (n == 0) break;
    }
    std::uint32_t a = 1, b = 0;
    for (const unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);
    chunk("IDAT", z);
    chunk("IEND", {});
    return out;
}

inline void WritePng(const std::filesystem::path& path, int width, int height, const std::vector<std::uint32_t>& argb) {
    const std::vector<unsigned char> bytes = EncodePng(width, height, argb);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace Orv::Testing
