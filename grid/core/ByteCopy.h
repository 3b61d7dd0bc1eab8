// Short copies and lengths without the C runtime: some C runtimes' memcpy (Wine's) costs more in
// its call and its choice of a way to copy than in the copying, and its strlen goes a byte at a
// time; the trace's readers and writers, and the grid's rows, copy and measure a few short pieces
// for every row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Copies n bytes from `from` to `to` (which do not overlap), eight at a time, with no loop over
// single bytes; the pieces of a fixed size are compiled to plain moves.
inline void CopyBytes(char* to, const char* from, size_t n) {
    if (n >= 8) {
        uint64_t w;
        for (size_t i = 0; i + 8 < n; i += 8) {
            std::memcpy(&w, from + i, 8);
            std::memcpy(to + i, &w, 8);
        }
        // The last eight, overlapping those copied already.
        std::memcpy(&w, from + n - 8, 8);
        std::memcpy(to + n - 8, &w, 8);
    } else if (n >= 4) {
        uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 4, &tail, 4);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

// The word reads below may pass the end of a text's block within the text's last word: the
// address sanitizer would take that for an overflow.
#if defined(__SANITIZE_ADDRESS__)
#define VK_WHOLE_WORD_READS __attribute__((no_sanitize_address))
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VK_WHOLE_WORD_READS __attribute__((no_sanitize_address))
#endif
#endif
#ifndef VK_WHOLE_WORD_READS
#define VK_WHOLE_WORD_READS
#endif

// The length of a NUL-terminated text, a machine word at a time once the address is aligned
// (twice as fast as Wine's strlen on the texts of a trace's cells). An aligned word never
// crosses a page, so the bytes read past the NUL, within the text's last word, lie on a page the
// text itself is on.
VK_WHOLE_WORD_READS inline size_t TextLength(const char* text) {
    const char* p = text;
    for (; ((uintptr_t)p & (sizeof(size_t) - 1)) != 0; p++)
        if (*p == '\0') return (size_t)(p - text);
    const size_t ones = (size_t)-1 / 0xFF; // 0x01 in every byte
    const size_t highs = ones << 7;        // 0x80 in every byte
    for (;; p += sizeof(size_t)) {
        size_t w;
        std::memcpy(&w, p, sizeof w);
        if ((w - ones) & ~w & highs) break; // some byte of w is zero
    }
    while (*p != '\0')
        p++;
    return (size_t)(p - text);
}
