#pragma once
// Pixels a test paints into (a Platform::PaintTarget), read back as 0xAARRGGBB, and a plain PNG
// encoder (stored deflate blocks) so that pages can be looked at after a run.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "OrvFramework/Platform/PaintTarget.h"

namespace VarnetTest {

namespace PngDetail {

inline std::uint32_t Crc32(const std::string& bytes, std::size_t from) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

inline void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out += type;
    out += data;
    PutBigEndian(out, Crc32(out, start));
}

}  // namespace PngDetail

// A PNG (8-bit RGBA) of `width` x `height` straight 0xAARRGGBB words.
inline std::string EncodePng(const std::vector<std::uint32_t>& argb, int width, int height) {
    using namespace PngDetail;
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = argb[static_cast<std::size_t>(y) * width + x];
            for (int shift : {16, 8, 0, 24}) raw += static_cast<char>((p >> shift) & 0xFF);
        }
    }
    std::string zlib = "\x78\x01";
    for (std::size_t at = 0; at == 0 || at < raw.size();) {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        for (std::uint16_t v : {static_cast<std::uint16_t>(n), static_cast<std::uint16_t>(~n)}) {
            zlib += static_cast<char>(v & 0xFF);
            zlib += static_cast<char>(v >> 8);
        }
        zlib.append(raw, at, n);
        at += n;
        if (last) break;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter choice, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");
    return png;
}

// A paint target of its own memory (not opaque unless asked: the painter must keep alpha).
class PixelBuffer {
public:
    PixelBuffer(int width, int height, bool opaque = false)
        : m_width(width), m_height(height), m_opaque(opaque), m_words(static_cast<std::size_t>(width) * height) {}

    Orv::Platform::PaintTarget Target() {
        return {reinterpret_cast<unsigned char*>(m_words.data()), m_width, m_height, m_width * 4, m_opaque};
    }
    // An opaque target's alpha byte is read as fully covered.
    std::uint32_t Pixel(int x, int y) const {
        const std::uint32_t p = m_words[static_cast<std::size_t>(y) * m_width + x];
        return m_opaque ? p | 0xFF000000u : p;
    }
    std::vector<std::uint32_t> Pixels() const {
        std::vector<std::uint32_t> out;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) out.push_back(Pixel(x, y));
        return out;
    }
    void Fill(std::uint32_t argb) { std::fill(m_words.begin(), m_words.end(), argb); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // The pixels, taken back out of premultiplied form, as a PNG file; false when it cannot be written.
    bool WritePng(const std::filesystem::path& path) const {
        std::vector<std::uint32_t> straight = Pixels();
        for (std::uint32_t& p : straight) {
            const std::uint32_t alpha = p >> 24;
            if (alpha == 0 || alpha == 255) continue;
            std::uint32_t out = alpha << 24;
            for (int shift : {16, 8, 0})
                out |= std::min<std::uint32_t>(255, (((p >> shift) & 0xFF) * 255 + alpha / 2) / alpha) << shift;
            p = out;
        }
        std::ofstream file(path, std::ios::binary);
        file << EncodePng(straight, m_width, m_height);
        return static_cast<bool>(file.flush());
    }

private:
    int m_width, m_height;
    bool m_opaque;
    std::vector<std::uint32_t> m_words;
};

}  // namespace VarnetTest
