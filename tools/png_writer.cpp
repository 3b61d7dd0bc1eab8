#include "png_writer.h"

#include <cstdio>
#include <new>
#include <stdexcept>

#include <zlib.h>

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
    return (std::uint32_t)crc32_z(crc, data, size);
}

std::uint32_t PngAdler32(std::uint32_t adler, const unsigned char* data, std::size_t size) {
    return (std::uint32_t)adler32_z(adler, data, size);
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

        // The zlib stream. A printed page is mostly paper: deflate makes a few tens of
        // kilobytes of its megabytes.
        if (raw.size() > (std::size_t)(uLong)-1 / 2) return false; // beyond what zlib's sizes count
        uLongf zSize = compressBound((uLong)raw.size());
        std::string z((std::size_t)zSize, '\0');
        if (compress2((Bytef*)&z[0], &zSize, (const Bytef*)raw.data(), (uLong)raw.size(), 6) != Z_OK)
            return false;
        z.resize((std::size_t)zSize);

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
