// Cell access: the descriptor, the per-cell accessors, state bits and the selected-cell map,
// changed marks, creation and discarding of cells, and the stored row and column sizes.
#include "GridMainWnd.h"

CObArray* CGridMainWnd::GetRowArray(int row) const {
    if (row < 0 || row >= rowCount || row >= rows.GetSize()) return nullptr;
    return (CObArray*)rows[row];
}

CGridItem* CGridMainWnd::GetCell(int row, int col) const {
    CObArray* cells = GetRowArray(row);
    if (cells == nullptr || col < 0 || col >= columnCount || col >= cells->GetSize()) return nullptr;
    return (CGridItem*)(*cells)[col];
}

BOOL CGridMainWnd::SetCellDesc(const GridItemDesc* desc) {
    if (desc == nullptr) return FALSE;
    CGridItem* cell = GetCell(desc->row, desc->col);
    if (cell == nullptr) return FALSE;
    // A plain store: the state does not touch the selected-cell map.
    if (desc->mask & DESC_TEXT) cell->text = desc->text;
    if (desc->mask & DESC_PARAM) cell->param = desc->param;
    if (desc->mask & DESC_IMAGE) cell->image = desc->image;
    if (desc->mask & DESC_STATE) cell->state = desc->state;
    if (desc->mask & DESC_FORMAT) cell->format = desc->format;
    if (desc->mask & DESC_BKCOLOR) cell->bkColor = desc->bkColor;
    if (desc->mask & DESC_TEXTCOLOR) cell->textColor = desc->textColor;
    if (desc->mask & DESC_FONT) cell->font = desc->font;
    return TRUE;
}

BOOL CGridMainWnd::GetCellDesc(GridItemDesc* desc) const {
    if (desc == nullptr) return FALSE;
    CGridItem* cell = GetCell(desc->row, desc->col);
    if (cell == nullptr) return FALSE;
    if (desc->mask & DESC_TEXT) desc->text = GetCellText(desc->row, desc->col);
    if (desc->mask & DESC_PARAM) desc->param = cell->param;
    if (desc->mask & DESC_IMAGE) desc->image = cell->image;
    if (desc->mask & DESC_STATE) desc->state = cell->state;
    if (desc->mask & DESC_FORMAT) desc->format = cell->format;
    if (desc->mask & DESC_BKCOLOR) desc->bkColor = cell->bkColor;
    if (desc->mask & DESC_TEXTCOLOR) desc->textColor = cell->textColor;
    if (desc->mask & DESC_FONT) desc->font = cell->font;
    return TRUE;
}

BOOL CGridMainWnd::SetCellText(int row, int col, LPCTSTR text) {
    CGridItem* cell = GetCell(row, col);
    if (cell == nullptr) return FALSE;
    cell->text = text;
    return TRUE;
}

CString CGridMainWnd::GetCellText(int row, int col) const {
    CGridItem* cell = GetCell(row, col);
    return cell != nullptr ? cell->text : CString();
}

BOOL CGridMainWnd::SetCellParam(int row, int col, LPARAM param) {
    CGridItem* cell = GetCell(row, col);
    if (cell == nullptr) return FALSE;
    cell->param = param;
    return TRUE;
}

int CGridMainWnd::GetCellImage(int row, int col) const {
    CGridItem* cell = GetCell(row, col);
    return cell != nullptr ? cell->image : -1;
}

BOOL CGridMainWnd::SetCellState(int row, int col, UINT state) {
    CGridItem* cell = GetCell(row, col);
    if (cell == nullptr) return FALSE;
    // The selected-cell map holds exactly the cells whose CELL_SELECTED bit is set.
    CCellKey key(row, col);
    if ((cell->state & CELL_SELECTED) && !(state & CELL_SELECTED))
        selectedCells.RemoveKey(key);
    else if (!(cell->state & CELL_SELECTED) && (state & CELL_SELECTED))
        selectedCells.SetAt(key, CCellPos(row, col));
    cell->state = state;
    return TRUE;
}

UINT CGridMainWnd::GetCellState(int row, int col) const {
    CGridItem* cell = GetCell(row, col);
    return cell != nullptr ? cell->state : 0;
}

UINT CGridMainWnd::GetCellFormat(int row, int col) const {
    CGridItem* cell = GetCell(row, col);
    return cell != nullptr ? cell->format : 0;
}

BOOL CGridMainWnd::SetCellFont(int row, int col, const LOGFONTA* font) {
    CGridItem* cell = GetCell(row, col);
    if (cell == nullptr || font == nullptr) return FALSE;
    cell->font = *font;
    return TRUE;
}

const LOGFONTA* CGridMainWnd::GetCellFont(int row, int col) const {
    CGridItem* cell = GetCell(row, col);
    return cell != nullptr ? &cell->font : &gridFont;
}

// A missing cell has state 0, so it counts as editable when the grid is.
BOOL CGridMainWnd::CanEditCell(int row, int col) const {
    return editable && !(GetCellState(row, col) & CELL_READONLY);
}

void CGridMainWnd::MarkChanged(BOOL changed, int row, int col) {
    // Row 0 and column 0 count as "no cell" here.
    if (row > 0 && col > 0) {
        if (changed) {
            SetCellState(row, col, GetCellState(row, col) | CELL_CHANGED);
            changedFlag = TRUE;
        } else {
            SetCellState(row, col, GetCellState(row, col) & ~CELL_CHANGED);
        }
    } else {
        changedFlag = changed;
    }
    if (!changedFlag) {
        for (int r = 0; r < rowCount; r++)
            for (int c = 0; c < columnCount; c++)
                if (CGridItem* cell = GetCell(r, c)) cell->state &= ~CELL_CHANGED;
    }
}

CGridItem* CGridMainWnd::CreateCellObject(int row, int col) {
    CGridItem* cell = new CGridItem;
    // A new cell inherits the format of the cell above it.
    if (row > 0 && col >= 0 && col < columnCount) cell->format = GetCellFormat(row - 1, col);
    if (row < fixedRowCount) {
        cell->bkColor = fixedBkColor;
        cell->textColor = fixedTextColor;
    } else {
        // Banded body rows; the band is that of the row index at creation.
        const COLORREF light = RGB(255, 254, 249), dark = RGB(244, 244, 236);
        if (fixedRowCount <= 1)
            cell->bkColor = (row % 2 == 1) ? light : dark;
        else
            cell->bkColor = (row % 4 < 2) ? light : dark;
    }
    cell->font = gridFont;
    return cell;
}

void CGridMainWnd::DiscardCell(CGridItem* cell, int row, int col) {
    SetCellState(row, col, 0);
    if (cell != nullptr) cell->text.Empty();
}

void CGridMainWnd::DiscardRowCells(int row) {
    CObArray* cells = GetRowArray(row);
    if (cells == nullptr) return;
    for (int col = 0; col < cells->GetSize(); col++) {
        CGridItem* cell = (CGridItem*)(*cells)[col];
        if (cell == nullptr) continue;
        // A selected cell leaves the selection with its row.
        if (cell->state & CELL_SELECTED) selectedCells.RemoveKey(CCellKey(row, col));
        DiscardCell(cell, row, col);
        delete cell;
        (*cells)[col] = nullptr;
    }
    delete cells;
    rows[row] = nullptr;
}

void CGridMainWnd::ClearSelection() {
    // The selection a Ctrl+click kept is dropped too: SelectSpan would add it back.
    savedSelection.RemoveAll();
    SelectSpan(-1, -1, -1, -1, FALSE);
    MoveFocusTo(-1, -1);
}

int CGridMainWnd::GetRowHeight(int row) const {
    return (row >= 0 && row < rowCount) ? (int)rowHeights[row] : -1;
}

int CGridMainWnd::GetColumnWidth(int col) const {
    return (col >= 0 && col < columnCount) ? (int)columnWidths[col] : -1;
}

BOOL CGridMainWnd::SetRowHeight(int row, int height) {
    if (row < 0 || row >= rowCount || height < 0) return FALSE;
    StoreRowHeight(row, height);
    return TRUE;
}

BOOL CGridMainWnd::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= columnCount || width < 0) return FALSE;
    StoreColumnWidth(col, width);
    return TRUE;
}

void CGridMainWnd::StoreRowHeight(int row, int height) {
    int old = (int)rowHeights[row];
    rowHeights[row] = (UINT)height;
    rowIndex.Change(row, old, height);
}

void CGridMainWnd::StoreColumnWidth(int col, int width) {
    int old = (int)columnWidths[col];
    columnWidths[col] = (UINT)width;
    columnIndex.Change(col, old, width);
}

// The selection maps after the removal of a row: the cells below it are one row up now.
void CGridMainWnd::ShiftSelectionUp(int removedRow) {
    CCellPosMap* maps[] = {&selectedCells, &savedSelection};
    for (CCellPosMap* map : maps) {
        CCellPosMap shifted;
        POSITION pos = map->GetStartPosition();
        while (pos != nullptr) {
            CCellKey key;
            CCellPos cell;
            map->GetNextAssoc(pos, key, cell);
            if (cell.row == removedRow) continue;
            if (cell.row > removedRow) cell.row--;
            shifted.SetAt(CCellKey(cell.row, cell.col), cell);
        }
        map->RemoveAll();
        pos = shifted.GetStartPosition();
        while (pos != nullptr) {
            CCellKey key;
            CCellPos cell;
            shifted.GetNextAssoc(pos, key, cell);
            map->SetAt(key, cell);
        }
    }
}
