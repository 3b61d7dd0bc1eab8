// The reader's byte search: the first byte found, at every position and alignment, none beyond
// the range, with neighbours that a word-at-a-time search could mistake for the byte.
#include "ByteSearch.h"

#include <gtest/gtest.h>
#include <vector>

TEST(ByteSearch, FindsTheFirstByteInRangeAtEveryPositionAndAlignment) {
    using Search = const char* (*)(const char*, size_t, char);
    const struct {
        const char* name;
        Search search;
    } searches[] = {{"FindByte", FindByte}, {"FindByteWordwise", FindByteWordwise}};
    const unsigned char needles[] = {'\n', '\0', '|', '\\', 0x80, 0xFF, 0x7F, 0x01};
    std::vector<char> buffer(16 + 70 + 2);
    for (const auto& s : searches)
        for (unsigned char c : needles)
            for (size_t align = 0; align < 16; align++)
                for (size_t n = 0; n <= 70; n++)
                    // pos == n: the byte is not in the range (only just before and after it).
                    for (size_t pos = 0; pos <= n; pos++) {
                        // Bytes one bit or one step from c, and the high and zero bytes.
                        const unsigned char near[] = {(unsigned char)(c ^ 0x80),
                                                      (unsigned char)(c + 1),
                                                      (unsigned char)(c - 1),
                                                      0x80,
                                                      0xFF,
                                                      0x00,
                                                      0x01};
                        for (size_t i = 0; i < buffer.size(); i++) {
                            buffer[i] = (char)near[i % 7];
                            if (buffer[i] == (char)c) buffer[i] = (char)(c ^ 0x40);
                        }
                        char* p = buffer.data() + 1 + align;
                        p[-1] = (char)c;
                        p[n] = (char)c;
                        if (pos < n) p[pos] = (char)c;
                        if (pos + 1 < n) p[n - 1] = (char)c; // a later one too
                        const char* found = s.search(p, n, (char)c);
                        ASSERT_EQ(pos < n ? p + pos : nullptr, found)
                            << s.name << " byte " << (int)c << " align " << align << " n " << n << " pos "
                            << pos;
                    }
}
