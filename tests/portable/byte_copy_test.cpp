// Copies and lengths without the C runtime: every length at every alignment, among bytes that a
// word-at-a-time test for a zero byte could mistake for one, and nothing written past the end.
#include "ByteCopy.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

TEST(ByteCopy, LengthsAndCopiesAtEveryAlignment) {
    const std::string fill("\x80\xFF\x01\x7F\x81 a\xFE", 8);
    for (size_t align = 0; align < 16; align++)
        for (size_t n = 0; n <= 40; n++) {
            std::string buffer(16 + 40 + 16, '\0');
            char* text = &buffer[align];
            for (size_t i = 0; i < n; i++)
                text[i] = fill[(i + align) % fill.size()];
            text[n] = '\0';
            text[n + 1] = 'x'; // a text after the NUL is not counted
            ASSERT_EQ(n, TextLength(text)) << "align " << align << " n " << n;

            std::string to(16 + 40 + 16, '#');
            CopyBytes(&to[align], text, n);
            ASSERT_EQ(0, std::memcmp(&to[align], text, n)) << "align " << align << " n " << n;
            ASSERT_EQ(std::string(to.size() - align - n, '#'), to.substr(align + n))
                << "align " << align << " n " << n;
            ASSERT_EQ(std::string(align, '#'), to.substr(0, align));
        }
}
