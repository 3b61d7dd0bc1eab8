// The compact rows and the shared cell styles.
#include "GridRow.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

CCellStyle::CCellStyle() {
    std::memset(this, 0, sizeof *this);
    image = -1;
    bkColor = CELL_DEFAULT_COLOR;
    textColor = CELL_DEFAULT_COLOR;
}

CCellStyle CCellStyle::Of(const CGridItem& cell) {
    CCellStyle style;
    style.state = cell.state;
    style.format = cell.format;
    style.image = cell.image;
    style.bkColor = cell.bkColor;
    style.textColor = cell.textColor;
    style.param = cell.param;
    style.font = cell.font;
    return style;
}

void CCellStyle::ApplyTo(CGridItem& cell) const {
    cell.state = state;
    cell.format = format;
    cell.image = image;
    cell.bkColor = bkColor;
    cell.textColor = textColor;
    cell.param = param;
    cell.font = font;
}

void CCellStyle::ApplySetFieldsTo(CGridItem& cell) const {
    if (setFields & DESC_STATE) cell.state = state;
    if (setFields & DESC_FORMAT) cell.format = format;
    if (setFields & DESC_IMAGE) cell.image = image;
    if (setFields & DESC_BKCOLOR) cell.bkColor = bkColor;
    if (setFields & DESC_TEXTCOLOR) cell.textColor = textColor;
    if (setFields & DESC_PARAM) cell.param = param;
    if (setFields & DESC_FONT) cell.font = font;
}

namespace {
size_t HashBytes(const void* data, size_t n) {
    // FNV-1a over the style's 32-bit words (its size is a multiple of 4).
    size_t h = (size_t)14695981039346656037ULL;
    const unsigned char* p = (const unsigned char*)data;
    for (size_t i = 0; i + 4 <= n; i += 4) {
        UINT word;
        std::memcpy(&word, p + i, sizeof word);
        h = (h ^ word) * (size_t)1099511628211ULL;
    }
    return h;
}
static_assert(sizeof(CCellStyle) % 4 == 0, "styles are hashed by words");
} // namespace

namespace {
// Generations are numbered across all tables of the process: a style number taken from one table
// (or from one before a Clear) never passes for one of another.
std::atomic<UINT> lastGeneration{0};
} // namespace

CCellStyleTable::CCellStyleTable() : m_generation(++lastGeneration) {
    m_styles.emplace_back();
    m_byHash.emplace(HashBytes(&m_styles[0], sizeof(CCellStyle)), 0);
}

UINT CCellStyleTable::Intern(const CCellStyle& style) {
    for (int i = 0; i < kRecent; i++)
        if (std::memcmp(&m_styles[m_recent[i]], &style, sizeof style) == 0) return Used(m_recent[i]);
    const size_t hash = HashBytes(&style, sizeof style);
    auto range = m_byHash.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
        if (std::memcmp(&m_styles[it->second], &style, sizeof style) == 0) return Used(it->second);
    }
    const UINT id = (UINT)m_styles.size();
    try {
        m_styles.push_back(style);
        m_byHash.emplace(hash, id);
    } catch (...) {
        if (m_styles.size() > id) m_styles.pop_back();
        throw;
    }
    return Used(id);
}

UINT CCellStyleTable::Used(UINT id) {
    // Moves the style to the front of the recent ones.
    int i = 0;
    while (i < kRecent - 1 && m_recent[i] != id)
        i++;
    for (; i > 0; i--)
        m_recent[i] = m_recent[i - 1];
    m_recent[0] = id;
    return id;
}

void CCellStyleTable::Clear() {
    m_styles.resize(1);
    m_byHash.clear();
    m_byHash.emplace(HashBytes(&m_styles[0], sizeof(CCellStyle)), 0);
    for (UINT& id : m_recent)
        id = 0;
    m_generation = ++lastGeneration;
}

namespace {
// Where row blocks live. A trace has millions of rows of a few dozen bytes each; the system's heap
// takes a quarter of a microsecond for each such block under Wine and a tenth to free it, more
// than the rest of a row's work. Blocks up to kLargest bytes come from slabs instead: megabyte
// regions aligned to their size (so that a block's slab is found from its address), each holding
// blocks of one size, handed out one after another and taken back onto a list. A slab whose
// blocks are all free goes back to the system, but for one kept for each size, so that a block
// made and dropped again and again does not take a slab each time. (Slabs of the system's 64 KB
// granularity took a giving back each, 20 us under Wine: 0.15 s for a trace of 10,000,000 rows.)
const size_t kSlabBytes = 1024 * 1024;
const size_t kStep = 8;
const size_t kLargest = 512;
const size_t kSizes = kLargest / kStep;

struct Slab {
    Slab* prev; // among the slabs of its size with room
    Slab* next;
    void* freed; // blocks given back, each holding the address of the next
    size_t used; // bytes of the slab handed out at least once, the slab's own fields included
    size_t live; // blocks in use
    size_t size; // of its blocks, a multiple of kStep
};
const size_t kFirstBlock = (sizeof(Slab) + 15) & ~(size_t)15;

struct SlabPool {
    std::atomic_flag busy = ATOMIC_FLAG_INIT; // the grids of all threads share the pool
    Slab* room[kSizes] = {};                  // slabs with room, by block size
    Slab* kept[kSizes] = {};                  // the empty slab kept for each size
};
SlabPool pool;

struct PoolLock {
    PoolLock() {
        while (pool.busy.test_and_set(std::memory_order_acquire))
            ::SwitchToThread();
    }
    ~PoolLock() { pool.busy.clear(std::memory_order_release); }
};

bool HasRoom(const Slab* s) {
    return s->freed != nullptr || s->used + s->size <= kSlabBytes;
}

void Unlink(Slab* s, Slab*& head) {
    if (s->prev)
        s->prev->next = s->next;
    else
        head = s->next;
    if (s->next) s->next->prev = s->prev;
    s->prev = s->next = nullptr;
}

void PushFront(Slab* s, Slab*& head) {
    s->prev = nullptr;
    s->next = head;
    if (head) head->prev = s;
    head = s;
}

// A slab's memory, aligned to its size. The system aligns to 64 KB only: a region of twice the
// size is reserved to find an aligned address in it, given back, and the slab made there (when
// another thread has taken the address meanwhile, it is tried again).
void* AllocateSlab() {
    for (int attempt = 0; attempt < 16; attempt++) {
        char* region = (char*)::VirtualAlloc(nullptr, 2 * kSlabBytes, MEM_RESERVE, PAGE_NOACCESS);
        if (region == nullptr) return nullptr;
        void* aligned = (void*)(((uintptr_t)region + kSlabBytes - 1) & ~(uintptr_t)(kSlabBytes - 1));
        ::VirtualFree(region, 0, MEM_RELEASE);
        if (void* slab = ::VirtualAlloc(aligned, kSlabBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
            return slab;
    }
    return nullptr;
}

void* TakeBlock(size_t bytes) {
    if (bytes > kLargest) return ::operator new(bytes);
    // Asked as operator new asks, so that a program's hook can make it fail.
    AfxCheckAlloc(bytes);
    const size_t index = (bytes + kStep - 1) / kStep - 1;
    const size_t size = (index + 1) * kStep;
    PoolLock lock;
    Slab* s = pool.room[index];
    if (s == nullptr) {
        void* memory = AllocateSlab();
        if (memory == nullptr) AfxThrowMemoryException();
        s = new (memory) Slab{nullptr, nullptr, nullptr, kFirstBlock, 0, size};
        PushFront(s, pool.room[index]);
    }
    if (s == pool.kept[index]) pool.kept[index] = nullptr;
    void* block;
    if (s->freed != nullptr) {
        block = s->freed;
        std::memcpy(&s->freed, block, sizeof(void*));
    } else {
        block = (char*)s + s->used;
        s->used += size;
    }
    s->live++;
    if (!HasRoom(s)) Unlink(s, pool.room[index]);
    return block;
}

// Takes a block back; the caller holds the pool.
void GiveBlock(void* block, size_t bytes) {
    if (bytes > kLargest) {
        ::operator delete(block);
        return;
    }
    Slab* s = (Slab*)((uintptr_t)block & ~(uintptr_t)(kSlabBytes - 1));
    const size_t index = s->size / kStep - 1;
    const bool hadRoom = HasRoom(s);
    std::memcpy(block, &s->freed, sizeof(void*));
    s->freed = block;
    s->live--;
    if (!hadRoom) PushFront(s, pool.room[index]);
    if (s->live > 0) return;
    if (pool.kept[index] == nullptr) {
        // Kept, as new: its blocks are handed out in order again.
        s->freed = nullptr;
        s->used = kFirstBlock;
        pool.kept[index] = s;
        return;
    }
    Unlink(s, pool.room[index]);
    ::VirtualFree(s, 0, MEM_RELEASE);
}
} // namespace

CGridRow* CGridRow::Allocate(int columns, size_t textBytes) {
    // A block larger than the address space (a count of columns near INT_MAX on a 32-bit build)
    // would wrap around to a small one.
    const size_t limit = (size_t)-1 - sizeof(CGridRow);
    if ((size_t)columns > limit / sizeof(UINT) || textBytes > limit - sizeof(UINT) * (size_t)columns ||
        textBytes > (size_t)INT_MAX)
        AfxThrowMemoryException();
    const size_t bytes = sizeof(CGridRow) + sizeof(UINT) * (size_t)columns + textBytes;
    CGridRow* row = new (TakeBlock(bytes)) CGridRow;
    row->m_columns = columns;
    row->m_textBytes = (int)textBytes;
    return row;
}

CGridRow* CGridRow::Create(int columns, const UINT* styles) {
    CGridRow* row = Allocate(columns, (size_t)columns);
    for (int c = 0; c < columns; c++)
        row->Styles()[c] = styles[c] & ~kShared;
    std::memset(row->Texts(), 0, (size_t)columns);
    return row;
}

void CGridRow::Destroy(CGridRow* row) {
    if (row != nullptr) DestroyAll(&row, 1);
}

void CGridRow::DestroyAll(CGridRow* const* rows, size_t count) {
    // The pool is taken once for them all: a trace emptied gives back millions of blocks.
    PoolLock lock;
    for (size_t i = 0; i < count; i++) {
        CGridRow* row = rows[i];
        if (row == nullptr) continue;
        delete[] row->m_made;
        const size_t bytes = row->BlockBytes();
        row->~CGridRow();
        GiveBlock(row, bytes);
    }
}

size_t CGridRow::SlotBytes(int col, const char* slot) const {
    return IsShared(col) ? sizeof(LPCTSTR) : TextLength(slot) + 1;
}

const char* CGridRow::Slot(int col) const {
    const char* p = Texts();
    for (int c = 0; c < col; c++)
        p += SlotBytes(c, p);
    return p;
}

LPCTSTR CGridRow::Text(int col) const {
    const char* slot = Slot(col);
    if (!IsShared(col)) return slot;
    // The address is stored unaligned, byte by byte.
    LPCTSTR text;
    std::memcpy(&text, slot, sizeof text);
    return text;
}

CGridRow* CGridRow::Replace(CGridRow* row, int col, const void* bytes, size_t count, BOOL shared) {
    const char* old = row->Slot(col);
    const size_t oldBytes = row->SlotBytes(col, old);
    if (count == oldBytes && !row->IsShared(col) && !shared) { // same size: in place
        std::memcpy((char*)old, bytes, count);
        return row;
    }
    CGridRow* copy = Allocate(row->m_columns, (size_t)row->m_textBytes - oldBytes + count);
    std::memcpy(copy->Styles(), row->Styles(), sizeof(UINT) * (size_t)row->m_columns);
    copy->Styles()[col] = shared ? (row->Styles()[col] | kShared) : (row->Styles()[col] & ~kShared);
    const size_t before = (size_t)(old - row->Texts());
    const size_t after = (size_t)row->m_textBytes - before - oldBytes;
    std::memcpy(copy->Texts(), row->Texts(), before);
    std::memcpy(copy->Texts() + before, bytes, count);
    std::memcpy(copy->Texts() + before + count, old + oldBytes, after);
    copy->m_made = row->m_made;
    row->m_made = nullptr;
    Destroy(row);
    return copy;
}

CGridRow* CGridRow::SetText(CGridRow* row, int col, LPCTSTR text) {
    if (text == nullptr) text = "";
    return Replace(row, col, text, std::strlen(text) + 1, FALSE);
}

CGridRow* CGridRow::ShareText(CGridRow* row, int col, LPCTSTR text) {
    if (text == nullptr) return SetText(row, col, "");
    return Replace(row, col, &text, sizeof text, TRUE);
}

CGridRow* CGridRow::SetTexts(CGridRow* row, int count, const LPCTSTR* texts, UINT sharedColumns) {
    auto shares = [&](int col) { return col < 32 && (sharedColumns & (1u << col)) && texts[col] != nullptr; };
    // The new slots' sizes first, then the block made and filled in one pass.
    size_t bytes = 0;
    const char* old = row->Texts();
    for (int c = 0; c < row->m_columns; c++) {
        const size_t oldBytes = row->SlotBytes(c, old);
        if (c >= count || row->Made(c) != nullptr)
            bytes += oldBytes;
        else
            bytes += shares(c) ? sizeof(LPCTSTR) : TextLength(texts[c] ? texts[c] : "") + 1;
        old += oldBytes;
    }
    CGridRow* copy = Allocate(row->m_columns, bytes);
    old = row->Texts();
    char* out = copy->Texts();
    for (int c = 0; c < row->m_columns; c++) {
        const size_t oldBytes = row->SlotBytes(c, old);
        UINT style = row->Styles()[c];
        if (c >= count || row->Made(c) != nullptr) {
            CopyBytes(out, old, oldBytes);
            out += oldBytes;
        } else if (shares(c)) {
            std::memcpy(out, &texts[c], sizeof(LPCTSTR));
            out += sizeof(LPCTSTR);
            style |= kShared;
        } else {
            const char* text = texts[c] ? texts[c] : "";
            const size_t n = TextLength(text) + 1;
            CopyBytes(out, text, n);
            out += n;
            style &= ~kShared;
        }
        copy->Styles()[c] = style;
        old += oldBytes;
    }
    copy->m_made = row->m_made;
    row->m_made = nullptr;
    Destroy(row);
    return copy;
}

CGridRow* CGridRow::Resize(CGridRow* row, int columns, UINT newStyle) {
    const int kept = columns < row->m_columns ? columns : row->m_columns;
    const size_t keptBytes = (size_t)(row->Slot(kept) - row->Texts());
    CGridItem** made = nullptr;
    if (row->m_made != nullptr) {
        made = new CGridItem*[(size_t)columns]();
        for (int c = 0; c < kept; c++)
            made[c] = row->m_made[c];
    }
    CGridRow* copy;
    try {
        copy = Allocate(columns, keptBytes + (size_t)(columns - kept));
    } catch (...) {
        delete[] made;
        throw;
    }
    for (int c = 0; c < columns; c++)
        copy->Styles()[c] = c < kept ? row->Styles()[c] : (newStyle & ~kShared);
    std::memcpy(copy->Texts(), row->Texts(), keptBytes);
    std::memset(copy->Texts() + keptBytes, 0, (size_t)(columns - kept));
    copy->m_made = made;
    Destroy(row);
    return copy;
}

void CGridRow::SetMade(int col, CGridItem* cell) {
    if (m_made == nullptr) {
        if (cell == nullptr) return;
        ReserveMade();
    }
    m_made[col] = cell;
}

void CGridRow::ReserveMade() {
    if (m_made == nullptr) m_made = new CGridItem*[(size_t)m_columns]();
}
