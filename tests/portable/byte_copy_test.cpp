// Lengths and copies without the C runtime, at every length and alignment, among bytes that a
// word-at-a-time test for a zero byte could take for one; nothing written past the end.
#include "ByteCopy.h"

#include <gtest/gtest.h>
#include <string>

TEST(ByteCopy, LengthsAndCopiesAtEveryAlignment) {
    const std::string fill("\x80\xFF\x01\x7F\x81 a\xFE", 8);
    for (size_t align = 0; align < 16; align++)
        for (size_t n = 0; n <= 40; n++) {
            std::string text(align, '\x01'), to(72, '#');
            for (size_t i = 0; i < n; i++)
                text += fill[(i + align) % fill.size()];
            text += std::string("\0x", 2) + std::string(16, '\x01');
            ASSERT_EQ(n, TextLength(&text[align])) << align << " " << n;
            CopyBytes(&to[align], &text[align], n);
            ASSERT_EQ(std::string(align, '#') + text.substr(align, n) + std::string(72 - align - n, '#'), to);
        }
}
