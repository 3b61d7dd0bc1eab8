// Find in a trace: the rows whose function name or full detail holds a text, as the debugger's
// Find dialog, F3 and Shift+F3, and vktool find look for them.
//
// The text is compared as the program's multi-byte text (the active code page, 949 under the
// Korean locale): a match begins on a character's first byte, so a double-byte character is never
// matched by half, and without match case only the ASCII letters are folded. A whole word is a
// match with no word character right before or after it: ASCII letters, digits and "_", and every
// double-byte character (a Hangul word goes on to its last syllable). A match lies within one name
// or one detail, never across the two.
//
// The search reads the store's blocks as they are, in one pass over names and details together,
// with a 16-byte-wide filter on the text's first and last bytes: nothing is allocated or copied
// per row, so a search that finds nothing runs at the speed of memory.
#pragma once

#include "TraceDetails.h"

#include <string>

struct TraceFindQuery {
    std::string text; // code page text; a search for "" finds nothing
    bool matchCase = false;
    bool wholeWord = false;
};

class CTraceFinder {
public:
    CTraceFinder(const CTraceDetails& store, const TraceFindQuery& query);

    // The first (or, lastMatch, the last) entry in [from, to) whose name or detail matches; -1
    // when none does.
    INT_PTR Find(INT_PTR from, INT_PTR to, bool lastMatch) const;
    // Whether one entry matches (the same test as Find's).
    bool Matches(INT_PTR index) const { return Find(index, index + 1, false) == index; }

    // The outcome of a find from a row onward, one way, on to the other end when nothing is found
    // before it.
    struct Result {
        INT_PTR index = -1;   // the entry found, or -1
        bool wrapped = false; // it lies on the far side of the end (or start) searched towards
        bool cancelled = false;
    };
    // Searches the entries after `start` (down) or before it (up), then, from the other end, the
    // rest, `start` itself last; start -1 searches the whole store from its first (down) or last
    // (up) entry without wrapping. Every kSliceEntries entries, cancel(context) is asked whether to
    // give up (nullptr: never).
    Result FindFrom(INT_PTR start, bool down, bool (*cancel)(void*) = nullptr, void* context = nullptr) const;

    // A slice takes about a millisecond (a few on the 32-bit build) of a search over long rows.
    static constexpr INT_PTR kSliceEntries = 65536;

private:
    const CTraceDetails& m_store;
    std::string m_text;
    unsigned char m_or[256];    // per byte of the text: 0x20 for a folded ASCII letter, else 0
    unsigned char m_lower[256]; // per byte of the text: the byte with m_or applied
    bool m_usable;              // the text is 1 to 256 bytes
    bool m_wholeWord;
    bool m_lead[256]; // lead bytes of the active code page

    // First or last match in [begin, end) (within one block); nullptr when none.
    const char* ScanSpan(const char* begin, const char* end, bool lastMatch) const;
    bool Verify(const char* p) const;
    bool WordChar(const char* c) const;
    // Where entry `index`'s name begins; for index == size, the end of the last entry.
    const char* EntryStart(INT_PTR index) const;
    INT_PTR EntryOf(size_t block, const char* p) const;
};
