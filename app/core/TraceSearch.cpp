#include "TraceSearch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
bool IsAsciiLetter(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}
} // namespace

CTraceFinder::CTraceFinder(const CTraceDetails& store, const TraceFindQuery& query)
    : m_store(store), m_text(query.text.c_str()), m_wholeWord(query.wholeWord) {
    m_usable = !m_text.empty() && m_text.size() <= sizeof m_or;
    for (int b = 0; b < 256; b++)
        m_lead[b] = b != 0 && AfxIsLeadByte((BYTE)b);
    std::memset(m_or, 0, sizeof m_or);
    std::memset(m_lower, 0, sizeof m_lower);
    if (!m_usable) return;
    // Only the text's own single-byte letters fold: the second byte of a double-byte character
    // (which may look like a letter) is compared exactly.
    for (size_t k = 0; k < m_text.size(); k++) {
        const unsigned char b = (unsigned char)m_text[k];
        if (m_lead[b] && k + 1 < m_text.size()) {
            m_lower[k] = b;
            m_lower[k + 1] = (unsigned char)m_text[k + 1];
            k++;
            continue;
        }
        m_or[k] = !query.matchCase && IsAsciiLetter(b) ? 0x20 : 0;
        m_lower[k] = b | m_or[k];
    }
}

bool CTraceFinder::WordChar(const char* c) const {
    const unsigned char b = (unsigned char)*c;
    if (b == 0) return false;
    if (m_lead[b] && c[1] != '\0') return true;
    return IsAsciiLetter(b) || (b >= '0' && b <= '9') || b == '_';
}

bool CTraceFinder::Verify(const char* p) const {
    for (size_t k = 0; k < m_text.size(); k++)
        if (((unsigned char)p[k] | m_or[k]) != m_lower[k]) return false;
    return true;
}

const char* CTraceFinder::ScanSpan(const char* begin, const char* end, bool lastMatch) const {
    const size_t m = m_text.size();
    if (end - begin < (ptrdiff_t)m) return nullptr;
    // A character boundary known so far, and whether the character before it is a word
    // character: candidates come in order, so the walk that tells whether a candidate begins a
    // character goes over each stretch of the span at most once. `begin` follows a NUL.
    const char* known = begin;
    bool knownPrevWord = false;
    const auto accept = [&](const char* p) -> bool {
        if (!Verify(p)) return false;
        const char* s = p;
        bool prevWord = false;
        if (p < known) {
            while (s[-1] != '\0')
                s--;
        } else {
            while (s > known && s[-1] != '\0')
                s--;
            if (s == known) prevWord = knownPrevWord;
        }
        while (s < p) {
            const char* c = s;
            s += m_lead[(unsigned char)*s] && s[1] != '\0' ? 2 : 1;
            prevWord = WordChar(c);
        }
        known = s;
        knownPrevWord = prevWord;
        if (s != p) return false; // p is the second byte of a character
        return !m_wholeWord || (!prevWord && !WordChar(p + m));
    };

    const char* found = nullptr;
    const char* p = begin;
    const char* const last = end - m; // the last place a match can begin
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8((char)m_lower[0]), firstOr = _mm_set1_epi8((char)m_or[0]);
    const __m128i final = _mm_set1_epi8((char)m_lower[m - 1]), finalOr = _mm_set1_epi8((char)m_or[m - 1]);
    for (; last - p >= 15; p += 16) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128((const __m128i*)p), firstOr);
        const __m128i b = _mm_or_si128(_mm_loadu_si128((const __m128i*)(p + m - 1)), finalOr);
        unsigned mask =
            (unsigned)_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final)));
        while (mask != 0) {
            const char* candidate = p + __builtin_ctz(mask);
            if (accept(candidate)) {
                if (!lastMatch) return candidate;
                found = candidate;
            }
            mask &= mask - 1;
        }
    }
#endif
    for (; p <= last; p++) {
        if (((unsigned char)*p | m_or[0]) != m_lower[0]) continue;
        if (accept(p)) {
            if (!lastMatch) return p;
            found = p;
        }
    }
    return found;
}

const char* CTraceFinder::EntryStart(INT_PTR index) const {
    if (index < m_store.m_count) return CTraceDetails::NameBefore(m_store.GetText(index));
    const CTraceDetails::Block& block = m_store.m_blocks.back();
    return block.data + block.used;
}

INT_PTR CTraceFinder::EntryOf(size_t block, const char* p) const {
    // The entries' details lie in order in the block: the first one after p is in the entry
    // after p's, unless p is in that entry's name.
    INT_PTR lo = m_store.m_blocks[block].first;
    INT_PTR hi = block + 1 < m_store.m_blocks.size() ? m_store.m_blocks[block + 1].first : m_store.m_count;
    const INT_PTR end = hi;
    while (lo < hi) {
        const INT_PTR mid = lo + (hi - lo) / 2;
        if (m_store.GetText(mid) > p)
            hi = mid;
        else
            lo = mid + 1;
    }
    if (lo < end && p >= CTraceDetails::NameBefore(m_store.GetText(lo))) return lo;
    return lo - 1;
}

INT_PTR CTraceFinder::Find(INT_PTR from, INT_PTR to, bool lastMatch) const {
    if (from < 0) from = 0;
    if (to > m_store.m_count) to = m_store.m_count;
    if (!m_usable || from >= to) return -1;
    const auto& blocks = m_store.m_blocks;
    size_t b =
        (size_t)(std::upper_bound(blocks.begin(), blocks.end(), from,
                                  [](INT_PTR i, const CTraceDetails::Block& bl) { return i < bl.first; }) -
                 blocks.begin()) -
        1;
    const char* found = nullptr;
    size_t foundBlock = 0;
    for (; b < blocks.size() && blocks[b].first < to; b++) {
        const CTraceDetails::Block& block = blocks[b];
        const bool lastBlock = b + 1 == blocks.size() || to < blocks[b + 1].first;
        const char* begin = block.first >= from ? block.data + 1 : EntryStart(from);
        const char* end = lastBlock ? EntryStart(to) : block.data + block.used;
        if (const char* p = ScanSpan(begin, end, lastMatch)) {
            if (!lastMatch) return EntryOf(b, p);
            found = p;
            foundBlock = b;
        }
    }
    return found != nullptr ? EntryOf(foundBlock, found) : -1;
}

CTraceFinder::Result CTraceFinder::FindFrom(INT_PTR start, bool down, bool (*cancel)(void*),
                                            void* context) const {
    Result result;
    const INT_PTR count = m_store.m_count;
    if (start >= count) start = count - 1;
    // The stretches in the order searched: to the end, then (wrapped) from the other end.
    struct Stretch {
        INT_PTR from, to;
        bool wrapped;
    } stretches[2];
    int n = 0;
    if (start < 0) {
        stretches[n++] = {0, count, false};
    } else if (down) {
        stretches[n++] = {start + 1, count, false};
        stretches[n++] = {0, start + 1, true};
    } else {
        stretches[n++] = {0, start, false};
        stretches[n++] = {start, count, true};
    }
    bool first = true;
    for (int i = 0; i < n; i++) {
        const Stretch& s = stretches[i];
        for (INT_PTR done = 0; done < s.to - s.from; done += kSliceEntries) {
            if (!first && cancel != nullptr && cancel(context)) {
                result.cancelled = true;
                return result;
            }
            first = false;
            const INT_PTR step = std::min(kSliceEntries, s.to - s.from - done);
            const INT_PTR index = down ? Find(s.from + done, s.from + done + step, false)
                                       : Find(s.to - done - step, s.to - done, true);
            if (index >= 0) {
                result.index = index;
                result.wrapped = s.wrapped;
                return result;
            }
        }
    }
    return result;
}
