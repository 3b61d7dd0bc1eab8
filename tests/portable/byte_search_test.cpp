// The reader's byte search: the first byte found, at every position and alignment, none beyond
// the range, among neighbours that a word-at-a-time search could mistake for the byte.
#include "ByteSearch.h"

#include <gtest/gtest.h>
#include <string>

TEST(ByteSearch, FindsTheFirstByteInRangeAtEveryPositionAndAlignment) {
    const struct {
        const char* name;
        const char* (*search)(const char*, size_t, char);
    } searches[] = {{"FindByte", FindByte}, {"FindByteWordwise", FindByteWordwise}};
    for (const auto& s : searches)
        for (const char c : std::string("\n\0|\\\x80\xFF\x7F\x01", 8)) {
            // Bytes one bit or one step from c, the high and the zero bytes (c itself replaced).
            std::string fill = {(char)(c ^ 0x80), (char)(c + 1), (char)(c - 1), '\x80', '\xFF', '\0', '\x01'};
            for (char& f : fill)
                if (f == c) f = (char)(c ^ 0x40);
            for (size_t align = 0; align < 16; align++)
                for (size_t n = 0; n <= 70; n++)
                    for (size_t pos = 0; pos <= n; pos++) { // pos == n: c only just outside the range
                        std::string buffer;
                        for (size_t i = 0; i < 16 + 70 + 2; i++)
                            buffer += fill[i % fill.size()];
                        char* p = &buffer[1 + align];
                        p[-1] = p[n] = c;
                        if (pos < n) p[pos] = p[n - 1] = c; // a later one too
                        ASSERT_EQ(pos < n ? p + pos : nullptr, s.search(p, n, c))
                            << s.name << " byte " << (int)(unsigned char)c << " align " << align << " n " << n
                            << " pos " << pos;
                    }
        }
}
