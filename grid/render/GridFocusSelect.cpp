// The focus cell and the selection: moving the focus with its notifications, making a span the
// selection, and the selections by mouse mode. Each change redraws the cells it touches.
#include "DCGuards.h"
#include "GridMainWnd.h"

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
    CDC* pDC = force ? GetDC() : nullptr;
    CReleaseDCOnExit release(this, pDC);
    auto redraw = [&](int row, int col) {
        if (pDC != nullptr)
            RepaintCell(row, col, pDC);
        else
            InvalidateCell(CCellPos(row, col));
    };

    // Drop the current selection. The iteration holds the next entry before the current one is
    // touched, because clearing the bit removes the entry.
    POSITION pos = selectedCells.GetStartPosition();
    while (pos != nullptr) {
        CCellKey key;
        CCellPos cell;
        selectedCells.GetNextAssoc(pos, key, cell);
        if (!IsValidCell(cell)) continue;
        SetCellState(cell.row, cell.col, GetCellState(cell.row, cell.col) & ~CELL_SELECTED);
        if (cell.row < minRow || cell.row > maxRow || cell.col < minCol || cell.col > maxCol)
            redraw(cell.row, cell.col);
    }

    // The selection saved when a Ctrl+click began is added back.
    if (!singleRowSelection) {
        pos = savedSelection.GetStartPosition();
        while (pos != nullptr) {
            CCellKey key;
            CCellPos cell;
            savedSelection.GetNextAssoc(pos, key, cell);
            if (!IsValidCell(cell)) continue;
            SetCellState(cell.row, cell.col, GetCellState(cell.row, cell.col) | CELL_SELECTED);
            redraw(cell.row, cell.col);
        }
    }

    if (minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0 && maxRow < rowCount &&
        maxCol < columnCount && minRow <= maxRow && minCol <= maxCol) {
        for (int row = minRow; row <= maxRow; row++) {
            for (int col = minCol; col <= maxCol; col++) {
                UINT state = GetCellState(row, col);
                if (state & CELL_SELECTED) continue;
                SetCellState(row, col, state | CELL_SELECTED);
                redraw(row, col);
            }
        }
    }
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
