// Clicks on heading cells: selecting whole rows or columns, or sorting in list mode.
#include "GridMainWnd.h"

void CGridMainWnd::ClickFixedRowCell(CCellPos& cell) {
    if (!IsValidCell(cell)) return;
    if (!listMode) {
        mouseMode = cell.col < fixedColumnCount ? GMM_PICK_ALL : GMM_PICK_COLUMNS;
        SelectToCell(cell);
        return;
    }
    if (!sortOnHeaderClick) return;

    // The wait cursor shows while sorting, and the old one comes back also when the sort fails.
    CWaitCursor wait;
    if (cell.col == sortColumn) {
        sortAscending = !sortAscending;
    } else {
        sortAscending = TRUE;
        sortColumn = cell.col;
    }
    SortRowsByColumn(sortColumn, sortAscending);
    Invalidate(TRUE);
}

void CGridMainWnd::ClickFixedColumnCell(CCellPos& cell) {
    if (!IsValidCell(cell)) return;
    mouseMode = cell.row < fixedRowCount ? GMM_PICK_ALL : GMM_PICK_ROWS;
    SelectToCell(cell);
}
