#include "png_writer.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace {

void PutU32(std::string& out, std::uint32_t v) {
    out += (char)(v >> 24);
    out += (char)(v >> 16);
    out += (char)(v >> 8);
    out += (char)v;
}

// One chunk: length, type, data, CRC of type and data.
void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutU32(out, (std::uint32_t)data.size());
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    PutU32(out, PngCrc32(0, (const unsigned char*)out.data() + typeAt, 4 + data.size()));
}

} // namespace

std::uint32_t PngCrc32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    static std::uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (std::uint32_t n = 0; n < 256; n++) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        made = true;
    }
    crc = ~crc;
    for (std::size_t i = 0; i < size; i++)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t PngAdler32(std::uint32_t adler, const unsigned char* data, std::size_t size) {
    std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (std::size_t i = 0; i < size; i++) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

bool EncodePng(int width, int height, const unsigned char* pixels, std::size_t stride, bool bgr,
               std::string* png) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || pixels == nullptr || png == nullptr ||
        stride < (std::size_t)width * 3)
        return false;
    try {
        // The filtered image: each row is filter type 0 (none) and the row's RGB bytes.
        const std::size_t rowBytes = 1 + (std::size_t)width * 3;
        std::string raw;
        raw.reserve(rowBytes * (std::size_t)height);
        for (int y = 0; y < height; y++) {
            const unsigned char* p = pixels + stride * (std::size_t)y;
            raw += '\0';
            for (int x = 0; x < width; x++, p += 3) {
                raw += (char)(bgr ? p[2] : p[0]);
                raw += (char)p[1];
                raw += (char)(bgr ? p[0] : p[2]);
            }
        }

        // zlib stream: header (deflate, 32K window, no dictionary), stored blocks of at most
        // 65,535 bytes, Adler-32 of the uncompressed data.
        std::string z;
        z.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
        z += (char)0x78;
        z += (char)0x01;
        std::size_t at = 0;
        do {
            const std::size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
            const bool last = at + n == raw.size();
            z += (char)(last ? 1 : 0);
            z += (char)(n & 0xFF);
            z += (char)(n >> 8);
            z += (char)(~n & 0xFF);
            z += (char)((~n >> 8) & 0xFF);
            z.append(raw, at, n);
            at += n;
        } while (at < raw.size());
        PutU32(z, PngAdler32(1, (const unsigned char*)raw.data(), raw.size()));

        std::string out("\x89PNG\r\n\x1a\n", 8);
        std::string ihdr;
        PutU32(ihdr, (std::uint32_t)width);
        PutU32(ihdr, (std::uint32_t)height);
        ihdr += (char)8; // bit depth
        ihdr += (char)2; // colour type: RGB
        ihdr += (char)0; // compression: deflate
        ihdr += (char)0; // filter method
        ihdr += (char)0; // no interlace
        PutChunk(out, "IHDR", ihdr);
        PutChunk(out, "IDAT", z);
        PutChunk(out, "IEND", std::string());
        png->swap(out);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

bool WritePngFile(const char* path, int width, int height, const unsigned char* pixels, std::size_t stride,
                  bool bgr) {
    std::string png;
    if (!EncodePng(width, height, pixels, stride, bgr, &png)) return false;
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(path);
        return false;
    }
    return true;
}
