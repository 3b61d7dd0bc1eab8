// A reader of the PNG images vktool print writes (8-bit RGB, no interlace, filter 0, one zlib
// stream), written apart from the writer so that tests check its bytes: every chunk's CRC, the
// zlib stream as a whole (zlib checks its Adler-32) and the sizes.
#pragma once

#include <cstdint>
#include <zlib.h>
#include <string>
#include <vector>

namespace pngtest {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // rows from the top, 3 bytes a pixel

    // The pixel at (x, y) as 0xRRGGBB.
    std::uint32_t At(int x, int y) const {
        const unsigned char* p = &rgb[((std::size_t)y * (std::size_t)width + (std::size_t)x) * 3];
        return (std::uint32_t)p[0] << 16 | (std::uint32_t)p[1] << 8 | p[2];
    }
};

inline std::uint32_t Crc(const unsigned char* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; i++) {
        c ^= p[i];
        for (int k = 0; k < 8; k++)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

inline std::uint32_t Be32(const std::string& s, std::size_t at) {
    return (std::uint32_t)(unsigned char)s[at] << 24 | (std::uint32_t)(unsigned char)s[at + 1] << 16 |
           (std::uint32_t)(unsigned char)s[at + 2] << 8 | (unsigned char)s[at + 3];
}

// Decodes png into *image; false with *why set when any part is not as written.
inline bool Decode(const std::string& png, Image* image, std::string* why) {
    if (png.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0) return *why = "no PNG signature", false;
    std::size_t at = 8;
    std::string idat;
    bool header = false, end = false;
    while (!end) {
        if (at + 12 > png.size()) return *why = "a chunk runs past the end", false;
        const std::uint32_t length = Be32(png, at);
        if (length > png.size() - at - 12) return *why = "a chunk's length runs past the end", false;
        const std::string type = png.substr(at + 4, 4);
        const std::uint32_t crc = Be32(png, at + 8 + length);
        if (crc != Crc((const unsigned char*)png.data() + at + 4, 4 + length))
            return *why = type + " CRC wrong", false;
        const std::string data = png.substr(at + 8, length);
        if (type == "IHDR") {
            if (length != 13 || data.substr(8) != std::string("\x08\x02\x00\x00\x00", 5))
                return *why = "IHDR is not 8-bit RGB", false;
            image->width = (int)Be32(data, 0);
            image->height = (int)Be32(data, 4);
            header = true;
        } else if (type == "IDAT") {
            idat += data;
        } else if (type == "IEND") {
            end = true;
        } else {
            return *why = "unexpected chunk " + type, false;
        }
        at += 12 + length;
    }
    if (!header || at != png.size()) return *why = "no IHDR, or bytes after IEND", false;
    if (idat.size() < 6 || (unsigned char)idat[0] != 0x78) return *why = "no zlib header", false;
    // Inflated into a buffer one byte larger than the image needs, so that too much data shows.
    const std::size_t expected = (1 + (std::size_t)image->width * 3) * (std::size_t)image->height;
    std::string raw(expected + 1, '\0');
    uLongf rawSize = (uLongf)raw.size();
    if (uncompress((Bytef*)&raw[0], &rawSize, (const Bytef*)idat.data(), (uLong)idat.size()) != Z_OK)
        return *why = "the zlib stream is damaged or holds more than the image", false;
    raw.resize((std::size_t)rawSize);
    const std::size_t row = 1 + (std::size_t)image->width * 3;
    if (raw.size() != row * (std::size_t)image->height) return *why = "image data of the wrong size", false;
    image->rgb.clear();
    image->rgb.reserve((std::size_t)image->width * image->height * 3);
    for (int y = 0; y < image->height; y++) {
        if (raw[row * y] != 0) return *why = "a row with a filter", false;
        image->rgb.insert(image->rgb.end(), raw.begin() + (std::ptrdiff_t)(row * y + 1),
                          raw.begin() + (std::ptrdiff_t)(row * (y + 1)));
    }
    return true;
}

// The rows of a page that are black lines across most of its width, one per line however thick.
inline std::vector<int> Rules(const Image& page) {
    std::vector<int> lines;
    for (int y = 0; y < page.height; y++) {
        int n = 0;
        for (int x = 0; x < page.width; x++)
            n += page.At(x, y) == 0;
        if (n > page.width * 6 / 10 && (lines.empty() || lines.back() != y - 1))
            lines.push_back(y);
        else if (n > page.width * 6 / 10)
            lines.back() = y;
    }
    return lines;
}

} // namespace pngtest
