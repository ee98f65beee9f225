#include "resources/tools/one_bit_png.h"

#include <zlib.h>

namespace {

void Put32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(char((v >> shift) & 0xFF));
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    Put32(png, uint32_t(data.size()));
    std::string body = std::string(type, 4) + data;
    png += body;
    Put32(png, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

}  // namespace

std::string OneBitPng(const std::vector<std::vector<int>>& rows) {
    uint32_t h = uint32_t(rows.size()), w = h ? uint32_t(rows[0].size()) : 0;
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    Put32(ihdr, w);
    Put32(ihdr, h);
    ihdr += std::string("\x01\x00\x00\x00\x00", 5);  // bit depth 1, greyscale
    Chunk(png, "IHDR", ihdr);
    std::string raw;
    for (auto& row : rows) {
        raw.push_back(0);  // filter: none
        for (uint32_t x = 0; x < w; x += 8) {
            int byte = 0;
            for (uint32_t b = 0; b < 8; ++b)
                if (x + b < w && row[x + b]) byte |= 0x80 >> b;
            raw.push_back(char(byte));
        }
    }
    std::string packed(compressBound(uLong(raw.size())), '\0');
    uLongf len = uLongf(packed.size());
    compress2(reinterpret_cast<Bytef*>(packed.data()), &len,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    packed.resize(len);
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", "");
    return png;
}
