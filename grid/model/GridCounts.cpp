// Row and column counts: growing and shrinking the table, fixed counts, row insertion and
// removal, clearing. Every change of rowHeights / columnWidths is mirrored in the prefix sums.
#include "GridMainWnd.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// Brings the prefix sums back in step with the sizes after an allocation failure stopped an
// operation half-way.
void Resync(CSizeIndex& index, const CUIntArray& sizes) {
    if (index.GetCount() != sizes.GetSize()) index.Build(sizes);
}
} // namespace

BOOL CGridMainWnd::SetNumRows(int count) {
    if (count == rowCount) return TRUE;
    if (count < 0) return FALSE;
    if (count < fixedRowCount) fixedRowCount = count;
    if (focusCell.row >= count) MoveFocusTo(-1, -1);
    if (anchorCell.row >= count) anchorCell = CCellPos(-1, -1);

    int oldCount = rowCount;
    selectedCells.Remove(CCellSpan(count, 0, CCellSet::kEnd, CCellSet::kEnd));
    for (int row = count; row < oldCount; row++)
        DiscardRowCells(row);
    for (int row = oldCount - 1; row >= count; row--)
        rowIndex.RemoveLast((int)rowHeights[row]);

    rowCount = count;
    try {
        rows.SetSize(count);
        rowHeights.SetSize(count);
        for (int row = oldCount; row < count; row++) {
            rowHeights[row] = (UINT)defaultRowHeight;
            rowIndex.Append(defaultRowHeight);
        }
        // Rows made to size the table get their cell objects at once, as a caller sizing a
        // table expects; the rows a trace appends (AddRow) stay compact.
        for (int row = oldCount; row < count; row++) {
            std::vector<UINT> plain((size_t)columnCount, 0);
            rows[row] = CGridRow::Create(columnCount, plain.data());
            for (int col = 0; col < columnCount; col++)
                MakeCellObject(row, col, FALSE);
        }
    } catch (...) {
        // Rows not yet made are left out.
        while (rows.GetSize() > oldCount && rows[rows.GetSize() - 1] == nullptr)
            rows.SetSize(rows.GetSize() - 1);
        rowCount = (int)rows.GetSize();
        rowHeights.SetSize(rowCount);
        Resync(rowIndex, rowHeights);
        throw;
    }

    if (::IsWindow(m_hWnd) && drawingEnabled) {
        UpdateScrollBars();
        Invalidate(TRUE);
    }
    return TRUE;
}

BOOL CGridMainWnd::SetNumColumns(int count) {
    if (count == columnCount) return TRUE;
    if (count < 0) return FALSE;
    if (count < fixedColumnCount) fixedColumnCount = count;
    if (focusCell.col >= count) MoveFocusTo(-1, -1);

    // The column count changes only once the arrays hold that many columns, so a failure on the
    // way leaves a count that every array can answer. Rows may hold more cells than the count.
    const int oldCount = columnCount;
    if (count < oldCount) {
        selectedCells.Remove(CCellSpan(0, count, CCellSet::kEnd, CCellSet::kEnd));
        for (int row = 0; row < rowCount; row++) {
            if (GetRow(row) == nullptr) continue;
            for (int col = count; col < oldCount && col < GetRow(row)->Columns(); col++)
                DropCell(row, col);
        }
        for (int col = oldCount - 1; col >= count; col--)
            columnIndex.RemoveLast((int)columnWidths[col]);
        columnWidths.SetSize(count);
        columnEditorKinds.SetSize(count);
        columnCount = count;
        for (int row = 0; row < rowCount; row++)
            if (CGridRow* r = GetRow(row)) rows[row] = CGridRow::Resize(r, count, 0);
    } else {
        try {
            columnWidths.SetSize(count);
            columnEditorKinds.SetSize(count);
            for (int col = oldCount; col < count; col++) {
                columnWidths[col] = (UINT)defaultColumnWidth;
                columnEditorKinds[col] = GEK_NONE;
                columnIndex.Append(defaultColumnWidth);
            }
            for (int row = 0; row < rowCount; row++)
                if (CGridRow* r = GetRow(row)) rows[row] = CGridRow::Resize(r, count, 0);
        } catch (...) {
            while (columnIndex.GetCount() > oldCount)
                columnIndex.RemoveLast((int)columnWidths[columnIndex.GetCount() - 1]);
            columnWidths.SetSize(oldCount);
            columnEditorKinds.SetSize(oldCount);
            throw;
        }
        columnCount = count;
        // New columns get their cell objects at once, row by row.
        for (int row = 0; row < rowCount; row++) {
            if (GetRow(row) == nullptr) continue;
            for (int col = oldCount; col < count; col++)
                MakeCellObject(row, col, FALSE);
        }
    }

    if (::IsWindow(m_hWnd) && drawingEnabled) {
        UpdateScrollBars();
        Invalidate(TRUE);
    }
    return TRUE;
}

BOOL CGridMainWnd::SetNumFixedRows(int count) {
    if (count < 0) return FALSE;
    if (count > rowCount && !SetNumRows(count)) return FALSE;
    if (focusCell.row < count) MoveFocusTo(-1, -1);
    fixedRowCount = count;
    if (::IsWindow(m_hWnd) && drawingEnabled) Invalidate(TRUE);
    return TRUE;
}

BOOL CGridMainWnd::SetNumFixedColumns(int count) {
    if (count < 0) return FALSE;
    if (count > columnCount && !SetNumColumns(count)) return FALSE;
    if (focusCell.col < count) MoveFocusTo(-1, -1);
    fixedColumnCount = count;
    if (::IsWindow(m_hWnd) && drawingEnabled) Invalidate(TRUE);
    return TRUE;
}

int CGridMainWnd::AddRow(LPCTSTR heading, int before) {
    if (before >= 0 && before > rowCount) return -1;
    // A row inserted among the others would leave the selected cells, the focus and the anchor
    // naming the rows they were on before the move: they are dropped. A row appended after the
    // last one moves no row, so the user's selection, focus and anchor stay as they are, and
    // nothing of them is repainted (a trace appends a row for every record while the user works).
    const BOOL appending = before < 0 || before == rowCount;
    if (!appending) ClearSelection();
    if (columnCount <= 0) SetNumColumns(1);

    int index = before < 0 ? rowCount : before;
    // The new row's cells are compact: their styles are those CreateCellObject would give, and a
    // cell object is made only when one is asked for. The row is made whole (its heading's text
    // and height) before it joins the table, and a failure to store it leaves the table as it
    // was: rows, heights and their sums.
    // The styles of a row of few columns (a trace's three) on the stack: a row is appended for
    // every record and every line of a trace file, and a heap block each costs more than the rest.
    UINT few[16];
    std::vector<UINT> many;
    UINT* styles = few;
    if (columnCount > 16) {
        many.resize((size_t)columnCount);
        styles = many.data();
    }
    for (int col = 0; col < columnCount; col++)
        styles[col] = NewCellStyle(index, col);
    CGridRow* r = CGridRow::Create(columnCount, styles);
    int height;
    try {
        // A new row's cells are empty already: an empty heading needs no new block.
        if (heading != nullptr && *heading != '\0') r = CGridRow::SetText(r, 0, heading);
        height = MeasureText(heading, TRUE).cy;
    } catch (...) {
        CGridRow::Destroy(r);
        throw;
    }
    InsertRowBlock(index, r, height);
    UpdateScrollBars();
    return index;
}

void CGridMainWnd::InsertRowBlock(int index, CGridRow* r, int height) {
    try {
        rowHeights.InsertAt(index, (UINT)height);
        try {
            rows.InsertAt(index, r);
            // Appending extends the prefix sums; an insertion in the middle shifts every later row.
            if (index == rowIndex.GetCount())
                rowIndex.Append(height);
            else
                rowIndex.Build(rowHeights);
        } catch (...) {
            if (rows.GetSize() == rowHeights.GetSize()) rows.RemoveAt(index);
            rowHeights.RemoveAt(index);
            throw;
        }
    } catch (...) {
        CGridRow::Destroy(r);
        throw;
    }
    rowCount++;
}

BOOL CGridMainWnd::CaptureRowLook(int row, CGridRowLook* look) const {
    const CGridRow* r = GetRow(row);
    if (r == nullptr || look == nullptr || r->Columns() != columnCount || r->HasMadeCells()) return FALSE;
    std::vector<UINT> styles((size_t)columnCount);
    for (int col = 0; col < columnCount; col++)
        styles[(size_t)col] = r->Style(col);
    look->styles.swap(styles);
    look->height = (int)rowHeights[row];
    look->generation = cellStyles.Generation();
    look->font = gridFont;
    return TRUE;
}

int CGridMainWnd::AppendRowWithLook(const CGridRowLook& look, int count, const LPCTSTR* texts,
                                    UINT sharedColumns) {
    if (look.styles.size() != (size_t)columnCount || columnCount <= 0 ||
        look.generation != cellStyles.Generation() ||
        std::memcmp(&look.font, &gridFont, sizeof gridFont) != 0 || count < 0 || count > columnCount ||
        (count > 0 && texts == nullptr))
        return -1;
    CGridRow* r = CGridRow::Create(columnCount, look.styles.data());
    try {
        if (count > 0) r = CGridRow::SetTexts(r, count, texts, sharedColumns);
    } catch (...) {
        CGridRow::Destroy(r);
        throw;
    }
    const int index = rowCount;
    InsertRowBlock(index, r, look.height);
    UpdateScrollBars();
    return index;
}

BOOL CGridMainWnd::RemoveRow(int row) {
    if (row < 0 || row >= rowCount || GetRow(row) == nullptr) return FALSE;
    return RemoveRows(row, 1);
}

BOOL CGridMainWnd::RemoveRows(int first, int count) {
    if (count <= 0) return count == 0;
    if (first < 0 || first > rowCount - count) return FALSE;
    const int end = first + count;
    selectedCells.Remove(CCellSpan(first, 0, end - 1, CCellSet::kEnd));
    // From the last row up, as RemoveRow calls from the end would discard them. Rows with cell
    // objects discard them one by one; the compact ones (a trace's) have nothing to discard and
    // are freed together, a piece at a time while the piece is in the cache.
    for (int top = end; top > first;) {
        const int piece = std::min(top - first, 4096);
        top -= piece;
        for (int row = top + piece - 1; row >= top; row--) {
            const CGridRow* r = GetRow(row);
            if (r != nullptr && r->HasMadeCells()) DiscardRowCells(row);
        }
        CGridRow::DestroyAll((CGridRow* const*)rows.GetData() + top, (size_t)piece);
        std::fill((void**)rows.GetData() + top, (void**)rows.GetData() + top + piece, nullptr);
    }
    int lastHeight = (int)rowHeights[end - 1];
    rows.RemoveAt(first, count);
    rowHeights.RemoveAt(first, count);
    if (count == 1 && end == rowIndex.GetCount())
        rowIndex.RemoveLast(lastHeight);
    else
        rowIndex.Build(rowHeights);
    if (count > 1) {
        // Many rows at once (a trace emptied or replaced): the arrays give back the room those
        // rows took; a trace that grows again grows them again.
        rows.FreeExtra();
        rowHeights.FreeExtra();
        rowIndex.FreeExtra();
    }
    rowCount -= count;
    fixedRowCount -= std::max(0, std::min(end, fixedRowCount) - first);
    // Rows below the removed ones move up, their selected cells with them.
    ShiftSelectionUp(first, count);
    // The focus and the anchor of Shift+click and Shift+arrow stay on their rows, or go with them.
    for (CCellPos* cell : {&focusCell, &anchorCell}) {
        if (cell->row >= first && cell->row < end)
            *cell = CCellPos(-1, -1);
        else if (cell->row >= end)
            cell->row -= count;
    }
    UpdateScrollBars();
    return TRUE;
}

BOOL CGridMainWnd::RemoveScrollingRows() {
    // Every scrolling row in one pass, from the last up (each cell discarded as RemoveRow would
    // discard it), and the scroll bars set once: row by row, a long trace took seconds to empty.
    const int count = rowCount - fixedRowCount;
    if (count > 0) {
        scrollBarRedrawDeferred = TRUE;
        RemoveRows(fixedRowCount, count);
        // With no scrolling row left the bars keep their range; the last of the removals one by
        // one left none to scroll.
        if (fixedRowCount == rowCount) ResetVerticalScroll();
        scrollBarRedrawDeferred = FALSE;
    }
    if (::IsWindow(m_hWnd) && drawingEnabled)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return TRUE;
}

BOOL CGridMainWnd::ClearGrid() {
    columnWidths.RemoveAll();
    columnEditorKinds.RemoveAll();
    rowHeights.RemoveAll();
    savedColumnWidths.RemoveAll();
    selectedCells.RemoveAll();
    for (int row = 0; row < rowCount; row++)
        DiscardRowCells(row);
    rows.RemoveAll();
    cellStyles.Clear();
    rowIndex.Clear();
    columnIndex.Clear();
    focusCell = CCellPos(-1, -1);
    rowCount = fixedRowCount = columnCount = fixedColumnCount = 0;
    keepColumnProportions = FALSE;
    UpdateScrollBars();
    return TRUE;
}
