// How the grid keeps its rows. A trace holds millions of rows whose cells all look alike, so a
// row keeps its cells compactly: the texts of all its cells in one block, and for each cell the
// number of its style (every field of a cell but its text) in a table that all cells share. A
// cell object (CGridItem) is made only when something asks for one (CGridMainWnd::GetCell); from
// then on that object holds the cell's fields and the compact form of the cell is not used.
#pragma once

#include "ByteCopy.h"
#include "GridItem.h"

#include <cstring>
#include <deque>
#include <unordered_map>

// Every field of a cell but its text. Kept with its padding zeroed, so that two styles are the
// same exactly when their bytes are.
struct CCellStyle {
    UINT state;
    UINT format;
    int image;
    COLORREF bkColor;
    COLORREF textColor;
    LPARAM param;
    LOGFONTA font;
    // The fields (DESC_* bits) that calls have set on a compact cell since its row was made: a
    // cell object made later is CreateCellObject's with these fields on top.
    UINT setFields;

    CCellStyle(); // the fields of a new CGridItem
    static CCellStyle Of(const CGridItem& cell);
    void ApplyTo(CGridItem& cell) const;
    void ApplySetFieldsTo(CGridItem& cell) const;
};

// The styles in use, each stored once. A style's number stays valid, and its address stable,
// until Clear.
class CCellStyleTable {
public:
    CCellStyleTable();
    // The number of the style, added when it is new; throws CMemoryException when it cannot be.
    UINT Intern(const CCellStyle& style);
    const CCellStyle& Get(UINT id) const { return m_styles[id]; }
    UINT GetCount() const { return (UINT)m_styles.size(); }
    // Forgets every style but number 0 (a new cell's); only when no row refers to any.
    void Clear();
    // Changes with every Clear, and differs from every other table's: a style number taken from
    // this table is good while the generation it was taken in stays.
    UINT Generation() const { return m_generation; }

private:
    UINT Used(UINT id);

    std::deque<CCellStyle> m_styles;
    std::unordered_multimap<size_t, UINT> m_byHash;
    // The styles interned last, newest first: rows set the same few styles over and over (a new
    // row's, then the look its owner gives it), and comparing a few is cheaper than hashing.
    static const int kRecent = 4;
    UINT m_recent[kRecent] = {};
    UINT m_generation = 0;
};

// One row, in one block: a header, the style number of each cell, then each cell's text in
// column order. A text is kept either in the block, with its NUL, or, for a cell whose text is
// shared (ShareText), as the address of characters the grid's caller keeps: a trace's Result
// column shows the start of a detail that is stored anyway. The row's cell objects are listed
// apart, in an array made when the row's first object is. Changing a text makes a new block, so
// the functions that do return the row's new address.
class CGridRow {
public:
    // A row of `columns` empty cells with the given styles; throws CMemoryException.
    static CGridRow* Create(int columns, const UINT* styles);
    // Frees the block and the list of cell objects (the objects themselves are the grid's).
    static void Destroy(CGridRow* row);
    // Destroy for each of `count` rows (NULL entries skipped), in one pass.
    static void DestroyAll(CGridRow* const* rows, size_t count);
    // A copy of the row with another text in one cell; the old block is freed only on success.
    static CGridRow* SetText(CGridRow* row, int col, LPCTSTR text);
    // The same, but the cell keeps only the address of `text`, whose characters must stay as
    // they are until the cell's text is set again or the row is destroyed.
    static CGridRow* ShareText(CGridRow* row, int col, LPCTSTR text);
    // A copy of the row with the texts of its first `count` cells replaced at once, as SetText
    // (or ShareText, for the columns whose bit is set in `sharedColumns`) would for each; cells
    // that have their object keep what the block holds for them.
    static CGridRow* SetTexts(CGridRow* row, int count, const LPCTSTR* texts, UINT sharedColumns);
    // A copy of the row with `columns` cells: cells past the end are dropped, new cells are
    // empty with style `newStyle`. The cell objects of dropped columns must be gone already.
    static CGridRow* Resize(CGridRow* row, int columns, UINT newStyle);

    int Columns() const { return m_columns; }
    UINT Style(int col) const { return Styles()[col] & ~kShared; }
    void SetStyle(int col, UINT id) { Styles()[col] = (Styles()[col] & kShared) | id; }
    BOOL IsShared(int col) const { return (Styles()[col] & kShared) != 0; }
    LPCTSTR Text(int col) const;
    // Calls f(col, text, length) for every column in order, with the text Text(col) gives and its
    // length in bytes: one walk of the block instead of one a column.
    template <class F> void ForEachText(F f) const {
        const char* slot = Texts();
        for (int col = 0; col < m_columns; col++) {
            const size_t bytes = SlotBytes(col, slot);
            if (IsShared(col)) {
                LPCTSTR text;
                std::memcpy(&text, slot, sizeof text);
                f(col, text, TextLength(text));
            } else {
                f(col, slot, bytes - 1);
            }
            slot += bytes;
        }
    }
    // The cell object of a column, or NULL while the cell is compact.
    CGridItem* Made(int col) const { return m_made == nullptr ? nullptr : m_made[col]; }
    BOOL HasMadeCells() const { return m_made != nullptr; }
    // Records the cell object of a column (NULL to forget it); throws CMemoryException.
    void SetMade(int col, CGridItem* cell);
    // Makes the list of cell objects now, so that recording one later cannot fail; throws
    // CMemoryException.
    void ReserveMade();
    // The bytes the row takes, not counting its cell objects (for the memory breakdown).
    size_t BlockBytes() const { return Header() + (size_t)m_textBytes; }
    size_t MadeListBytes() const { return m_made == nullptr ? 0 : sizeof(CGridItem*) * (size_t)m_columns; }

private:
    // The bit of a style number that marks a shared text; style numbers stay far below it.
    static const UINT kShared = 0x80000000u;

    CGridRow() = default;
    ~CGridRow() = default;
    size_t Header() const { return sizeof(CGridRow) + sizeof(UINT) * (size_t)m_columns; }
    UINT* Styles() { return (UINT*)(this + 1); }
    const UINT* Styles() const { return (const UINT*)(this + 1); }
    char* Texts() { return (char*)(Styles() + m_columns); }
    const char* Texts() const { return (const char*)(Styles() + m_columns); }
    // Where a column's text begins in the block, and how many bytes it takes there.
    const char* Slot(int col) const;
    size_t SlotBytes(int col, const char* slot) const;
    static CGridRow* Allocate(int columns, size_t textBytes);
    // A copy with one cell's slot replaced by `bytes`; the old block is freed.
    static CGridRow* Replace(CGridRow* row, int col, const void* bytes, size_t count, BOOL shared);

    CGridItem** m_made = nullptr; // one entry a column, or NULL while no cell has an object
    int m_columns = 0;
    int m_textBytes = 0;
};
