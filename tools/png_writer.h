// PNG images of 8-bit RGB pixels, the image data compressed with zlib (rows unfiltered).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The CRC-32 of PNG chunks and zlib's Adler-32, over a further stretch of bytes.
std::uint32_t PngCrc32(std::uint32_t crc, const unsigned char* data, std::size_t size);
std::uint32_t PngAdler32(std::uint32_t adler, const unsigned char* data, std::size_t size);

// Encodes width x height pixels, rows from the top, stride bytes apart, 3 bytes a pixel in red,
// green, blue order (blue, green, red when bgr is set). FALSE for sizes that are not positive,
// above 65,535 pixels a side, or that do not fit in memory.
bool EncodePng(int width, int height, const unsigned char* pixels, std::size_t stride, bool bgr,
               std::string* png);

// EncodePng to a file; FALSE (with errno set by the C library) when the file cannot be written.
bool WritePngFile(const char* path, int width, int height, const unsigned char* pixels, std::size_t stride,
                  bool bgr);
