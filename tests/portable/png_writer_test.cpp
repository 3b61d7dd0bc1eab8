// The PNG writer of vktool print: checksums, the exact bytes of a small image, refused sizes and a
// file that cannot be written. Whole pages are read back by the end-to-end tests of vktool print.
#include "png_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <zlib.h>

TEST(PngWriter, ChecksumsAreThoseOfPngAndZlib) {
    EXPECT_EQ(0xAE426082u, PngCrc32(0, (const unsigned char*)"IEND", 4));
    EXPECT_EQ(0x11E60398u, PngAdler32(1, (const unsigned char*)"Wikipedia", 9));
    // Continued over two stretches, as over rows.
    EXPECT_EQ(PngCrc32(0, (const unsigned char*)"IEND", 4),
              PngCrc32(PngCrc32(0, (const unsigned char*)"IE", 2), (const unsigned char*)"ND", 2));
}

TEST(PngWriter, OnePixelHasTheStandardHeaderAndOneBlock) {
    const unsigned char bgr[3] = {0x10, 0x20, 0x30};
    std::string png;
    ASSERT_TRUE(EncodePng(1, 1, bgr, 3, true, &png));
    const std::string head(
        "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00"
        "\x90\x77\x53\xde",
        33);
    EXPECT_EQ(head, png.substr(0, 33));
    // A zlib stream of the filter byte and the pixel in RGB order.
    ASSERT_EQ("IDAT\x78", png.substr(37, 5));
    const std::size_t idatSize = (unsigned char)png[35] << 8 | (unsigned char)png[36];
    unsigned char raw[8] = {};
    uLongf rawSize = sizeof raw;
    ASSERT_EQ(Z_OK, uncompress(raw, &rawSize, (const Bytef*)png.data() + 41, (uLong)idatSize));
    EXPECT_EQ(std::string("\x00\x30\x20\x10", 4), std::string((const char*)raw, rawSize));
    EXPECT_EQ(std::string("\x00\x00\x00\x00IEND\xae\x42\x60\x82", 12), png.substr(png.size() - 12));
}

TEST(PngWriter, RefusesSizesItCannotWriteAndLeavesNoFileBehind) {
    const unsigned char px[12] = {};
    std::string png = "untouched";
    EXPECT_FALSE(EncodePng(0, 1, px, 3, false, &png));
    EXPECT_FALSE(EncodePng(1, -1, px, 3, false, &png));
    EXPECT_FALSE(EncodePng(70000, 1, px, 210000, false, &png));
    EXPECT_FALSE(EncodePng(2, 1, px, 5, false, &png)) << "a stride shorter than a row";
    EXPECT_FALSE(EncodePng(1, 1, nullptr, 3, false, &png));
    EXPECT_EQ("untouched", png);
    EXPECT_FALSE(WritePngFile("no-such-folder-for-png/out.png", 1, 1, px, 3, false));
    EXPECT_EQ(nullptr, std::fopen("no-such-folder-for-png/out.png", "rb"));
}
