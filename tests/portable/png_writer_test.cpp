// The PNG writer of vktool print: checksums, the exact header bytes, stored blocks across the
// 65,535-byte limit, colour order, refused sizes and a file that cannot be written.
#include "png_reader.h"
#include "png_writer.h"

#include <gtest/gtest.h>

#include <cstdio>

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
    // zlib header, one last stored block of 4 bytes (filter byte and the pixel in RGB order).
    EXPECT_EQ(std::string("IDAT\x78\x01\x01\x04\x00\xfb\xff\x00\x30\x20\x10", 15), png.substr(37, 15));
    EXPECT_EQ(std::string("\x00\x00\x00\x00IEND\xae\x42\x60\x82", 12), png.substr(png.size() - 12));
}

TEST(PngWriter, LargeImagesSpanStoredBlocksAndKeepEveryPixel) {
    // 200 x 120 pixels are 72,120 bytes of filtered rows: two stored blocks. The stride has
    // padding that must not show.
    const int w = 200, h = 120, stride = w * 3 + 4;
    std::vector<unsigned char> pixels((std::size_t)stride * h, 0xEE);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned char* p = &pixels[(std::size_t)y * stride + (std::size_t)x * 3];
            p[0] = (unsigned char)x, p[1] = (unsigned char)y, p[2] = (unsigned char)(x ^ y);
        }
    for (bool bgr : {false, true}) {
        std::string png;
        ASSERT_TRUE(EncodePng(w, h, pixels.data(), stride, bgr, &png));
        pngtest::Image image;
        std::string why;
        ASSERT_TRUE(pngtest::Decode(png, &image, &why)) << why;
        ASSERT_EQ(w, image.width);
        ASSERT_EQ(h, image.height);
        for (int y : {0, 57, 119})
            for (int x : {0, 1, 199}) {
                const std::uint32_t inOrder =
                    (std::uint32_t)x << 16 | (std::uint32_t)y << 8 | (unsigned)(x ^ y);
                const std::uint32_t swapped =
                    (std::uint32_t)(x ^ y) << 16 | (std::uint32_t)y << 8 | (unsigned)x;
                EXPECT_EQ(bgr ? swapped : inOrder, image.At(x, y)) << x << "," << y;
            }
    }
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
