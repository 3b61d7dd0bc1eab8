// The first byte of a given value in a piece of memory, as memchr finds it. The trace reader
// searches every line several times (its line end, a NUL, backslashes, the bars), and some C
// runtimes' memchr (Wine's) looks at one byte at a time; this one looks at sixteen (SSE2, on
// x86) or eight (any other processor) at a time.
#pragma once

#include <cstddef>

// The first of the n bytes at p that equals c, or nullptr when none does. Reads no byte outside
// [p, p + n), whatever the alignment of p.
const char* FindByte(const char* p, size_t n, char c);

// The same search eight bytes at a time in portable code: what FindByte does where SSE2 is not
// there, and below sixteen bytes where it is.
const char* FindByteWordwise(const char* p, size_t n, char c);

inline char* FindByte(char* p, size_t n, char c) {
    return const_cast<char*>(FindByte(static_cast<const char*>(p), n, c));
}
