#include "ByteSearch.h"

#include <cstdint>
#include <cstring>

// SSE2 where the processor is x86: always there on x86-64; the 32-bit Windows build is compiled
// for processors without it, but every Windows it runs on has it, so only this function is
// compiled for it, not the whole program.
#if defined(__GNUC__) &&                                                                                     \
    (defined(__x86_64__) || (defined(__i386__) && (defined(__SSE2__) || defined(_WIN32))))
#define VK_FIND_BYTE_SSE2 1
#include <emmintrin.h>
#endif

// Eight bytes at a time: a word with a byte equal to c has a zero byte after the XOR, and
// (w - 0x01..01) & ~w & 0x80..80 is not zero exactly when w has a zero byte. The word that
// holds one is then looked at a byte at a time, so the byte order does not matter.
const char* FindByteWordwise(const char* p, size_t n, char c) {
    const uint64_t ones = 0x0101010101010101ULL;
    const uint64_t highs = 0x8080808080808080ULL;
    const uint64_t pattern = ones * (unsigned char)c;
    const char* end = p + n;
    for (; end - p >= 8; p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        w ^= pattern;
        if (((w - ones) & ~w & highs) != 0) break;
    }
    for (; p < end; p++)
        if (*p == c) return p;
    return nullptr;
}

#ifdef VK_FIND_BYTE_SSE2
namespace {
__attribute__((target("sse2"))) const char* FindByteSse2(const char* p, size_t n, char c) {
    if (n < 16) return FindByteWordwise(p, n, c);
    const __m128i needle = _mm_set1_epi8(c);
    const char* end = p + n;
    for (; end - p >= 16; p += 16) {
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128((const __m128i*)p), needle));
        if (hits != 0) return p + __builtin_ctz((unsigned)hits);
    }
    if (p == end) return nullptr;
    // The last sixteen bytes, overlapping those already searched (which hold no c).
    const char* last = end - 16;
    const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128((const __m128i*)last), needle));
    return hits != 0 ? last + __builtin_ctz((unsigned)hits) : nullptr;
}
} // namespace
#endif

const char* FindByte(const char* p, size_t n, char c) {
#ifdef VK_FIND_BYTE_SSE2
    return FindByteSse2(p, n, c);
#else
    return FindByteWordwise(p, n, c);
#endif
}
