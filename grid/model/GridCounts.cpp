// Row and column counts: growing and shrinking the table, fixed counts, row insertion and
// removal, clearing. Every change of rowHeights / columnWidths is mirrored in the prefix sums.
#include "GridMainWnd.h"

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

    int oldCount = rowCount;
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
        for (int row = oldCount; row < count; row++) {
            CObArray* cells = new CObArray;
            rows[row] = cells;
            cells->SetSize(columnCount);
            for (int col = 0; col < columnCount; col++)
                (*cells)[col] = CreateCellObject(row, col);
        }
    } catch (CException*) {
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

    int oldCount = columnCount;
    if (count < oldCount) {
        for (int row = 0; row < rowCount; row++) {
            CObArray* cells = GetRowArray(row);
            if (cells == nullptr) continue;
            for (int col = count; col < oldCount && col < cells->GetSize(); col++) {
                CGridItem* cell = (CGridItem*)(*cells)[col];
                if (cell == nullptr) continue;
                DiscardCell(cell, row, col);
                delete cell;
                (*cells)[col] = nullptr;
            }
        }
        for (int col = oldCount - 1; col >= count; col--)
            columnIndex.RemoveLast((int)columnWidths[col]);
    }

    columnCount = count;
    try {
        columnWidths.SetSize(count);
        columnEditorKinds.SetSize(count);
        for (int row = 0; row < rowCount; row++)
            if (CObArray* cells = GetRowArray(row)) cells->SetSize(count);
        for (int col = oldCount; col < count; col++) {
            columnWidths[col] = (UINT)defaultColumnWidth;
            columnEditorKinds[col] = GEK_NONE;
            columnIndex.Append(defaultColumnWidth);
        }
        if (count > oldCount) {
            for (int row = 0; row < rowCount; row++) {
                CObArray* cells = GetRowArray(row);
                if (cells == nullptr) continue;
                for (int col = oldCount; col < count; col++)
                    (*cells)[col] = CreateCellObject(row, col);
            }
        }
    } catch (CException*) {
        Resync(columnIndex, columnWidths);
        throw;
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
    ClearSelection();
    if (columnCount <= 0) SetNumColumns(1);

    int index = before < 0 ? rowCount : before;
    CObArray* cells = new CObArray;
    try {
        rowHeights.InsertAt(index, 0);
        rows.InsertAt(index, cells);
    } catch (CException*) {
        if (rows.GetSize() != rowHeights.GetSize()) rowHeights.RemoveAt(index);
        delete cells;
        throw;
    }
    // Appending extends the prefix sums; an insertion in the middle shifts every later row.
    if (index == rowIndex.GetCount())
        rowIndex.Append(0);
    else
        rowIndex.Build(rowHeights);
    rowCount++;

    cells->SetSize(columnCount);
    for (int col = 0; col < columnCount; col++)
        (*cells)[col] = CreateCellObject(index, col);
    SetCellText(index, 0, heading);
    StoreRowHeight(index, MeasureText(heading, TRUE).cy);
    UpdateScrollBars();
    return index;
}

BOOL CGridMainWnd::RemoveRow(int row) {
    if (row < 0 || row >= rowCount || GetRowArray(row) == nullptr) return FALSE;
    DiscardRowCells(row);
    int height = (int)rowHeights[row];
    rows.RemoveAt(row);
    rowHeights.RemoveAt(row);
    if (row == rowIndex.GetCount() - 1)
        rowIndex.RemoveLast(height);
    else
        rowIndex.Build(rowHeights);
    rowCount--;
    if (row < fixedRowCount) fixedRowCount--;
    // Rows below a removed one move up, their selected cells with them. (The last row, as a
    // trace is emptied, leaves nothing to move.)
    if (row < rowCount) ShiftSelectionUp(row);
    if (row == focusCell.row)
        focusCell = CCellPos(-1, -1);
    else if (row < focusCell.row)
        focusCell.row--;
    UpdateScrollBars();
    return TRUE;
}

BOOL CGridMainWnd::RemoveScrollingRows() {
    // From the end down, so every removal is the last row (the first call, at rowCount, finds
    // nothing). Every removal updates the scroll bars as it always does, but they are drawn once,
    // at the end: drawing a bar for each of a long trace's rows would take minutes, and nothing
    // is seen in between anyway.
    scrollBarRedrawDeferred = TRUE;
    for (int row = rowCount; row >= fixedRowCount; row--)
        RemoveRow(row);
    scrollBarRedrawDeferred = FALSE;
    if (::IsWindow(m_hWnd) && drawingEnabled) ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return TRUE;
}

BOOL CGridMainWnd::ClearGrid() {
    columnWidths.RemoveAll();
    columnEditorKinds.RemoveAll();
    rowHeights.RemoveAll();
    savedColumnWidths.RemoveAll();
    for (int row = 0; row < rowCount; row++)
        DiscardRowCells(row);
    rows.RemoveAll();
    rowIndex.Clear();
    columnIndex.Clear();
    focusCell = CCellPos(-1, -1);
    rowCount = fixedRowCount = columnCount = fixedColumnCount = 0;
    keepColumnProportions = FALSE;
    UpdateScrollBars();
    return TRUE;
}
