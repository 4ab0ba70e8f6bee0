#include "support/png_writer.h"

#include <vector>

namespace {
uint32_t Crc32(const std::string& bytes, size_t from) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        c ^= static_cast<uint8_t>(bytes[i]);
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void Put32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out += type;
    out += data;
    Put32(out, Crc32(out, start));
}

// A zlib stream of stored blocks of at most 65535 bytes.
std::string Stored(const std::string& raw) {
    std::string z("\x78\x01", 2);
    size_t at = 0;
    do {
        const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + n == raw.size();
        z += static_cast<char>(last ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char ch : raw) {
        a = (a + ch) % 65521;
        b = (b + a) % 65521;
    }
    Put32(z, (b << 16) | a);
    return z;
}
}  // namespace

std::string EncodePng(const uint32_t* argb, int width, int height) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            const uint32_t p = argb[static_cast<size_t>(y) * width + x];
            raw += static_cast<char>((p >> 16) & 0xFF);
            raw += static_cast<char>((p >> 8) & 0xFF);
            raw += static_cast<char>(p & 0xFF);
            raw += static_cast<char>(p >> 24);
        }
    }
    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    Put32(header, static_cast<uint32_t>(width));
    Put32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", Stored(raw));
    Chunk(png, "IEND", "");
    return png;
}
