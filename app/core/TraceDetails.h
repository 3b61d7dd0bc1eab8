// The full details of a trace's rows: entry i belongs to scrolling row i + 1. A trace holds
// millions of them, so they are not strings of their own: their characters are kept back to back,
// each with its NUL, in large blocks, and one address per entry finds them. An entry never moves
// once stored, so its characters may be shown from where they are (the trace grid's Result column
// shows the details it begins with from here) until the entry is removed.
//
// Each entry also keeps its row's function name, just before the detail: a block holds a NUL and
// then "name\0detail\0" for each of its entries, so the grid's Function column shows the names
// from here too, and a find reads names and details in one pass over the blocks (TraceSearch).
#pragma once

#include "afx.h"

#include <cstddef>
#include <vector>

class CTraceDetails {
public:
    CTraceDetails() = default;
    ~CTraceDetails();
    CTraceDetails(const CTraceDetails&) = delete;
    CTraceDetails& operator=(const CTraceDetails&) = delete;

    INT_PTR GetSize() const { return m_count; }
    // The entry's text; valid until the entry is removed.
    LPCTSTR GetText(INT_PTR index) const {
        return m_pages[(size_t)index / kPageEntries][(size_t)index % kPageEntries];
    }
    CString operator[](INT_PTR index) const { return CString(GetText(index)); }
    // The entry's function name ("" for an entry added without one); valid as GetText's text.
    LPCTSTR GetName(INT_PTR index) const { return NameBefore(GetText(index)); }

    // Appends the text up to its first NUL and returns where its characters are kept. Throws
    // CMemoryException (nothing is added then).
    LPCTSTR Add(LPCTSTR text) { return Add(text, nullptr); }
    // The same with the row's function name kept next to it; *storedName (when given) receives
    // where the name's characters are kept.
    LPCTSTR Add(LPCTSTR text, LPCTSTR name, LPCTSTR* storedName = nullptr);
    // Keeps the first `count` entries and frees the memory of the others; a larger count changes
    // nothing.
    void SetSize(INT_PTR count);
    void RemoveAll() { SetSize(0); }
    // Exchanges the entries of two stores; no entry moves.
    void Swap(CTraceDetails& other);

    // The bytes the entries take: the blocks and the addresses (for the memory breakdown).
    size_t MemoryBytes() const;

private:
    friend class CTraceFinder;
    // The name kept in front of a detail: the text after the NUL that precedes the name's NUL
    // (every block begins with a NUL, so the walk back stops there for its first entry).
    static LPCTSTR NameBefore(LPCTSTR detail) {
        const char* p = detail - 1;
        while (p[-1] != '\0')
            p--;
        return p;
    }

    // Addresses per page of the index: a megabyte's worth, which the system's heap gives from
    // memory of its own and takes back whole when the page goes (smaller pages stayed with the
    // heap once a trace was replaced: 75 MB for one of 10,000,000 rows).
    static const size_t kPageEntries = 1024 * 1024 / sizeof(LPCTSTR);
    static const size_t kBlockBytes = 1024 * 1024; // characters per block, unless one text is larger

    struct Block {
        char* data;
        size_t size;
        size_t used;
        INT_PTR first; // the first entry kept in this block
    };

    std::vector<LPCTSTR*> m_pages; // the index: pages of entry addresses
    std::vector<Block> m_blocks;   // the characters, in the order of the entries
    INT_PTR m_count = 0;
};
