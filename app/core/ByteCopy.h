// Short copies without the C runtime: some C runtimes' memcpy (Wine's) costs more in its call and
// its choice of a way to copy than in the copying, and the trace's readers and writers copy a few
// short pieces for every row.
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
