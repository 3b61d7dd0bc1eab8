#include "TraceDetails.h"

#include <cstring>
#include <utility>

CTraceDetails::~CTraceDetails() {
    SetSize(0);
}

LPCTSTR CTraceDetails::Add(LPCTSTR text, LPCTSTR name, LPCTSTR* storedName) {
    if (text == nullptr) text = "";
    if (name == nullptr) name = "";
    const size_t nameBytes = std::strlen(name) + 1, textBytes = std::strlen(text) + 1;
    const size_t need = nameBytes + textBytes;
    // Room in the index and in the blocks is made first, so that a failure adds nothing.
    const size_t page = (size_t)m_count / kPageEntries;
    if (page == m_pages.size()) {
        if (m_pages.size() == m_pages.capacity()) m_pages.reserve(2 * m_pages.size() + 16);
        m_pages.push_back(new LPCTSTR[kPageEntries]);
    }
    if (m_blocks.empty() || m_blocks.back().size - m_blocks.back().used < need) {
        // A text larger than a block gets a block of its own size; what the block before leaves
        // unused stays so (at most a block's size for a text of at least that much).
        // Its first byte is the NUL that ends the walk back from its first entry's name.
        const size_t size = need + 1 > kBlockBytes ? need + 1 : kBlockBytes;
        if (m_blocks.size() == m_blocks.capacity()) m_blocks.reserve(2 * m_blocks.size() + 16);
        m_blocks.push_back(Block{new char[size], size, 1, m_count});
        m_blocks.back().data[0] = '\0';
    }
    Block& block = m_blocks.back();
    char* nameChars = block.data + block.used;
    std::memcpy(nameChars, name, nameBytes);
    char* chars = nameChars + nameBytes;
    std::memcpy(chars, text, textBytes);
    block.used += need;
    if (storedName != nullptr) *storedName = nameChars;
    m_pages[page][(size_t)m_count % kPageEntries] = chars;
    m_count++;
    return chars;
}

void CTraceDetails::SetSize(INT_PTR count) {
    if (count < 0) count = 0;
    if (count >= m_count) return;
    const LPCTSTR firstGone = GetName(count);
    while (!m_blocks.empty() && m_blocks.back().first >= count) {
        delete[] m_blocks.back().data;
        m_blocks.pop_back();
    }
    if (!m_blocks.empty()) {
        Block& last = m_blocks.back();
        if (firstGone >= last.data && firstGone < last.data + last.size)
            last.used = (size_t)(firstGone - last.data);
    }
    const size_t pages = ((size_t)count + kPageEntries - 1) / kPageEntries;
    while (m_pages.size() > pages) {
        delete[] m_pages.back();
        m_pages.pop_back();
    }
    if (count == 0) {
        std::vector<LPCTSTR*>().swap(m_pages);
        std::vector<Block>().swap(m_blocks);
    }
    m_count = count;
}

void CTraceDetails::Swap(CTraceDetails& other) {
    m_pages.swap(other.m_pages);
    m_blocks.swap(other.m_blocks);
    std::swap(m_count, other.m_count);
}

size_t CTraceDetails::MemoryBytes() const {
    size_t bytes = sizeof(LPCTSTR*) * m_pages.capacity() + sizeof(Block) * m_blocks.capacity();
    bytes += sizeof(LPCTSTR) * kPageEntries * m_pages.size();
    for (const Block& block : m_blocks)
        bytes += block.size;
    return bytes;
}
