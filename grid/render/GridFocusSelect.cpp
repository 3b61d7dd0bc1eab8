// The focus cell and the selection: moving the focus with its notifications, making a span the
// selection, and the selections by mouse mode. Each change redraws the cells it touches.
#include "DCGuards.h"
#include "GridMainWnd.h"

#include <algorithm>
#include <vector>

CCellPos CGridMainWnd::MoveFocusTo(CCellPos cell) {
    if (cell == focusCell) return focusCell;
    CCellPos previous = focusCell;
    focusCell = cell;

    if (IsValidCell(previous)) {
        NotifyParent(previous.row, previous.col, GN_FOCUSLEAVE);
        SetCellState(previous.row, previous.col, GetCellState(previous.row, previous.col) & ~CELL_FOCUSED);
        RepaintCell(previous);
        // The headings of the column and row the focus leaves.
        if (previous.col != cell.col)
            for (int row = 0; row < fixedRowCount; row++)
                RepaintCell(row, previous.col);
        if (previous.row != cell.row)
            for (int col = 0; col < fixedColumnCount; col++)
                RepaintCell(previous.row, col);
    }
    if (IsValidCell(cell)) {
        SetCellState(cell.row, cell.col, GetCellState(cell.row, cell.col) | CELL_FOCUSED);
        RepaintCell(cell);
        if (previous.col != cell.col)
            for (int row = 1; row < fixedRowCount; row++)
                RepaintCell(row, cell.col);
        if (previous.row != cell.row)
            for (int col = 0; col < fixedColumnCount; col++)
                RepaintCell(cell.row, col);
        NotifyParent(cell.row, cell.col, GN_FOCUSENTER);
    }
    return previous;
}

void CGridMainWnd::SelectSpan(int minRow, int minCol, int maxRow, int maxCol, BOOL force) {
    if (!selectionEnabled) return;
    const CCellSpan span(minRow, minCol, maxRow, maxCol);
    const BOOL spanSelected = minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0 && maxRow < rowCount &&
                              maxCol < columnCount && minRow <= maxRow && minCol <= maxCol;
    // The new selection: the selection saved when a Ctrl+click began (its cells still in the
    // grid), then the span. It is made whole before it replaces the current one.
    CCellSet selection;
    if (!singleRowSelection && !savedSelection.IsEmpty()) {
        selection = savedSelection;
        selection.Remove(CCellSpan(rowCount, 0, CCellSet::kEnd, CCellSet::kEnd));
        selection.Remove(CCellSpan(0, columnCount, CCellSet::kEnd, CCellSet::kEnd));
    }
    if (spanSelected) selection.Add(span);
    selection.Swap(selectedCells);
    RedrawSelectionChange(selection, span, spanSelected, force);
}

void CGridMainWnd::RedrawSelectionChange(const CCellSet& previous, const CCellSpan& span, BOOL spanSelected,
                                         BOOL force) {
    // Only cells on screen are drawn: every other cell shows its state when it is painted.
    if (!::IsWindow(m_hWnd) || !drawingEnabled) return;
    CCellSpan shown = GetShownCellSpan();
    std::vector<int> rowsShown, colsShown;
    for (int row = 0; row < fixedRowCount && row < rowCount; row++)
        rowsShown.push_back(row);
    for (int row = std::max(shown.minRow, fixedRowCount); row <= shown.maxRow; row++)
        rowsShown.push_back(row);
    for (int col = 0; col < fixedColumnCount && col < columnCount; col++)
        colsShown.push_back(col);
    for (int col = std::max(shown.minCol, fixedColumnCount); col <= shown.maxCol; col++)
        colsShown.push_back(col);

    CDC* pDC = force ? GetDC() : nullptr;
    CReleaseDCOnExit release(this, pDC);
    auto redraw = [&](int row, int col) {
        if (pDC != nullptr)
            RepaintCell(row, col, pDC);
        else
            InvalidateCell(CCellPos(row, col));
    };
    auto inSpan = [&](int row, int col) {
        return spanSelected && row >= span.minRow && row <= span.maxRow && col >= span.minCol &&
               col <= span.maxCol;
    };
    const BOOL savedBack = !singleRowSelection && !savedSelection.IsEmpty();
    for (int row : rowsShown)
        for (int col : colsShown)
            if (previous.Contains(row, col) && !inSpan(row, col)) redraw(row, col);
    if (savedBack)
        for (int row : rowsShown)
            for (int col : colsShown)
                if (savedSelection.Contains(row, col)) redraw(row, col);
    for (int row : rowsShown)
        for (int col : colsShown)
            if (inSpan(row, col) && !(savedBack && savedSelection.Contains(row, col))) redraw(row, col);
}

void CGridMainWnd::SelectAllCells() {
    if (!selectionEnabled) return;
    SelectSpan(fixedRowCount, fixedColumnCount, rowCount - 1, columnCount - 1, FALSE);
}

void CGridMainWnd::SelectColumnsTo(CCellPos cell) {
    if (!selectionEnabled || cell.col < fixedColumnCount || !IsValidCell(cell)) return;
    int first = anchorCell.col < cell.col ? anchorCell.col : cell.col;
    int last = anchorCell.col > cell.col ? anchorCell.col : cell.col;
    SelectSpan(fixedRowCount, first, rowCount - 1, last, FALSE);
}

void CGridMainWnd::SelectRowsTo(CCellPos cell) {
    if (!selectionEnabled || cell.row < fixedRowCount || !IsValidCell(cell)) return;
    int first = anchorCell.row < cell.row ? anchorCell.row : cell.row;
    int last = anchorCell.row > cell.row ? anchorCell.row : cell.row;
    if (listMode && singleRowSelection) first = last = cell.row;
    SelectSpan(first, fixedColumnCount, last, columnCount - 1, FALSE);
}

void CGridMainWnd::SelectCellsTo(CCellPos cell) {
    if (!selectionEnabled || cell.row < fixedRowCount || cell.col < fixedColumnCount || !IsValidCell(cell))
        return;
    SelectSpan(anchorCell.row < cell.row ? anchorCell.row : cell.row,
               anchorCell.col < cell.col ? anchorCell.col : cell.col,
               anchorCell.row > cell.row ? anchorCell.row : cell.row,
               anchorCell.col > cell.col ? anchorCell.col : cell.col, FALSE);
}

void CGridMainWnd::SelectToCell(CCellPos cell) {
    if (!selectionEnabled) return;
    switch (mouseMode) {
    case GMM_PICK_ALL:
        SelectAllCells();
        break;
    case GMM_PICK_COLUMNS:
        SelectColumnsTo(cell);
        break;
    case GMM_PICK_ROWS:
        SelectRowsTo(cell);
        break;
    case GMM_PICK_CELLS:
        SelectCellsTo(cell);
        break;
    default:
        break;
    }
}
