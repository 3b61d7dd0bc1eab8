// Cell access: the descriptor, the per-cell accessors, state bits and the selected-cell map,
// changed marks, creation and discarding of cells, and the stored row and column sizes.
#include "GridMainWnd.h"

#include <new>

CGridRow* CGridMainWnd::GetRow(int row) const {
    if (row < 0 || row >= rowCount || row >= rows.GetSize()) return nullptr;
    return (CGridRow*)rows[row];
}

CGridItem* CGridMainWnd::GetMadeCell(int row, int col) const {
    CGridRow* r = GetRow(row);
    if (r == nullptr || col < 0 || col >= columnCount || col >= r->Columns()) return nullptr;
    return r->Made(col);
}

CGridItem* CGridMainWnd::GetCell(int row, int col) const {
    CGridRow* r = GetRow(row);
    if (r == nullptr || col < 0 || col >= columnCount || col >= r->Columns()) return nullptr;
    if (CGridItem* cell = r->Made(col)) return cell;
    // The first request for this cell: the object CreateCellObject makes, with the cell's text
    // and the fields set on the compact cell since its row was made.
    CGridMainWnd* self = const_cast<CGridMainWnd*>(this);
    CGridItem* cell = self->MakeCellObject(row, col, TRUE);
    if (cell == nullptr) return nullptr;
    // The object holds the text now; the compact copy is dropped when memory allows (the object
    // is what counts from now on either way).
    try {
        self->rows[row] = CGridRow::SetText(GetRow(row), col, "");
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return cell;
}

CGridItem* CGridMainWnd::MakeCellObject(int row, int col, BOOL fromCompact) {
    // The list that records the object is made first, so that once the object exists nothing
    // but its text can fail. CreateCellObject and DiscardCell may change the row (a text set in
    // another of its cells makes it a new block): the row is taken afresh after each.
    GetRow(row)->ReserveMade();
    CGridItem* cell = CreateCellObject(row, col);
    if (cell == nullptr) return nullptr;
    CGridRow* r = GetRow(row);
    if (fromCompact) {
        try {
            cell->text = r->Text(col);
        } catch (...) {
            // The cell stays compact, its text kept for a later request; the object made for it
            // ends as every object does.
            r->SetMade(col, cell);
            DiscardCell(cell, row, col);
            GetRow(row)->SetMade(col, nullptr);
            delete cell;
            throw;
        }
        cellStyles.Get(r->Style(col)).ApplySetFieldsTo(*cell);
    }
    r->SetMade(col, cell);
    return cell;
}

const CCellStyle* CGridMainWnd::ReadCellStyle(int row, int col, CCellStyle* scratch) const {
    CGridRow* r = GetRow(row);
    if (r == nullptr || col < 0 || col >= columnCount || col >= r->Columns()) return nullptr;
    if (CGridItem* cell = r->Made(col)) {
        *scratch = CCellStyle::Of(*cell);
        return scratch;
    }
    return &cellStyles.Get(r->Style(col));
}

template <class Change> BOOL CGridMainWnd::ChangeCellStyle(int row, int col, UINT fields, Change change) {
    CGridRow* r = GetRow(row);
    if (r == nullptr || col < 0 || col >= columnCount || col >= r->Columns()) return FALSE;
    if (CGridItem* cell = r->Made(col)) {
        CCellStyle style = CCellStyle::Of(*cell);
        change(style);
        style.ApplyTo(*cell);
    } else {
        // A copy: the shared style stays as it is for every other cell that has it.
        CCellStyle style = cellStyles.Get(r->Style(col));
        change(style);
        style.setFields |= fields;
        r->SetStyle(col, cellStyles.Intern(style));
    }
    return TRUE;
}

BOOL CGridMainWnd::SetCellDesc(const GridItemDesc* desc) {
    if (desc == nullptr) return FALSE;
    // A plain store: the state does not touch the selected-cell map.
    const UINT mask = desc->mask;
    BOOL ok = ChangeCellStyle(desc->row, desc->col, mask & ~DESC_TEXT, [desc, mask](CCellStyle& style) {
        if (mask & DESC_PARAM) style.param = desc->param;
        if (mask & DESC_IMAGE) style.image = desc->image;
        if (mask & DESC_STATE) style.state = desc->state;
        if (mask & DESC_FORMAT) style.format = desc->format;
        if (mask & DESC_BKCOLOR) style.bkColor = desc->bkColor;
        if (mask & DESC_TEXTCOLOR) style.textColor = desc->textColor;
        if (mask & DESC_FONT) style.font = desc->font;
    });
    if (ok && (mask & DESC_TEXT)) SetCellText(desc->row, desc->col, desc->text);
    return ok;
}

BOOL CGridMainWnd::GetCellDesc(GridItemDesc* desc) const {
    if (desc == nullptr) return FALSE;
    CCellStyle scratch;
    const CCellStyle* style = ReadCellStyle(desc->row, desc->col, &scratch);
    if (style == nullptr) return FALSE;
    if (desc->mask & DESC_TEXT) desc->text = GetCellText(desc->row, desc->col);
    if (desc->mask & DESC_PARAM) desc->param = style->param;
    if (desc->mask & DESC_IMAGE) desc->image = style->image;
    if (desc->mask & DESC_STATE)
        desc->state = style->state | (selectedCells.Contains(desc->row, desc->col) ? CELL_SELECTED : 0);
    if (desc->mask & DESC_FORMAT) desc->format = style->format;
    if (desc->mask & DESC_BKCOLOR) desc->bkColor = style->bkColor;
    if (desc->mask & DESC_TEXTCOLOR) desc->textColor = style->textColor;
    if (desc->mask & DESC_FONT) desc->font = style->font;
    return TRUE;
}

BOOL CGridMainWnd::SetCellText(int row, int col, LPCTSTR text) {
    return PutCellText(row, col, text, FALSE);
}

BOOL CGridMainWnd::ShareCellText(int row, int col, LPCTSTR text) {
    return PutCellText(row, col, text, TRUE);
}

BOOL CGridMainWnd::PutCellText(int row, int col, LPCTSTR text, BOOL share) {
    CGridRow* r = GetRow(row);
    if (r == nullptr || col < 0 || col >= columnCount || col >= r->Columns()) return FALSE;
    if (CGridItem* cell = r->Made(col))
        cell->text = text;
    else
        rows[row] = share ? CGridRow::ShareText(r, col, text) : CGridRow::SetText(r, col, text);
    return TRUE;
}

BOOL CGridMainWnd::SetRowTexts(int row, int count, const LPCTSTR* texts, UINT sharedColumns) {
    CGridRow* r = GetRow(row);
    if (r == nullptr || texts == nullptr || count < 0 || count > columnCount || count > r->Columns())
        return FALSE;
    r = CGridRow::SetTexts(r, count, texts, sharedColumns);
    rows[row] = r;
    // Cells that have their object take the text there (a copy, shared or not).
    for (int col = 0; col < count; col++)
        if (CGridItem* cell = r->Made(col)) cell->text = texts[col];
    return TRUE;
}

CString CGridMainWnd::GetCellText(int row, int col) const {
    if (const CGridItem* cell = GetMadeCell(row, col)) return cell->text; // shares the object's string
    return CString(GetStoredCellText(row, col));
}

LPCTSTR CGridMainWnd::GetStoredCellText(int row, int col) const {
    const CGridRow* r = GetRow(row);
    if (r == nullptr || col < 0 || col >= columnCount || col >= r->Columns()) return "";
    if (const CGridItem* cell = r->Made(col)) return cell->text;
    return r->Text(col);
}

BOOL CGridMainWnd::SetCellParam(int row, int col, LPARAM param) {
    return ChangeCellStyle(row, col, DESC_PARAM, [param](CCellStyle& style) { style.param = param; });
}

int CGridMainWnd::GetCellImage(int row, int col) const {
    CCellStyle scratch;
    const CCellStyle* style = ReadCellStyle(row, col, &scratch);
    return style != nullptr ? style->image : -1;
}

BOOL CGridMainWnd::SetCellState(int row, int col, UINT state) {
    CCellStyle scratch;
    const CCellStyle* style = ReadCellStyle(row, col, &scratch);
    if (style == nullptr) return FALSE;
    // The selection changes when the bit does: a cell whose bit goes leaves it, a cell whose bit
    // comes joins it. The bit itself stays out of the cell's state, but for one a descriptor
    // stored there, which stays while the bit does.
    const BOOL stored = (style->state & CELL_SELECTED) != 0;
    const BOOL was = stored || selectedCells.Contains(row, col);
    const BOOL now = (state & CELL_SELECTED) != 0;
    if (was && !now)
        selectedCells.Remove(row, col);
    else if (!was && now)
        selectedCells.Add(row, col);
    const UINT kept = (state & ~CELL_SELECTED) | (now && stored ? CELL_SELECTED : 0);
    return ChangeCellStyle(row, col, DESC_STATE, [kept](CCellStyle& s) { s.state = kept; });
}

UINT CGridMainWnd::GetCellState(int row, int col) const {
    CCellStyle scratch;
    const CCellStyle* style = ReadCellStyle(row, col, &scratch);
    if (style == nullptr) return 0;
    return style->state | (selectedCells.Contains(row, col) ? CELL_SELECTED : 0);
}

UINT CGridMainWnd::GetCellFormat(int row, int col) const {
    CCellStyle scratch;
    const CCellStyle* style = ReadCellStyle(row, col, &scratch);
    return style != nullptr ? style->format : 0;
}

BOOL CGridMainWnd::SetCellFont(int row, int col, const LOGFONTA* font) {
    if (font == nullptr) return FALSE;
    return ChangeCellStyle(row, col, DESC_FONT, [font](CCellStyle& style) { style.font = *font; });
}

const LOGFONTA* CGridMainWnd::GetCellFont(int row, int col) const {
    CGridRow* r = GetRow(row);
    if (r == nullptr || col < 0 || col >= columnCount || col >= r->Columns()) return &gridFont;
    if (CGridItem* cell = r->Made(col)) return &cell->font;
    // The shared style's font: its address is stable while the grid has rows.
    return &cellStyles.Get(r->Style(col)).font;
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
                if (GetCellState(r, c) & CELL_CHANGED)
                    ChangeCellStyle(r, c, DESC_STATE,
                                    [](CCellStyle& style) { style.state &= ~CELL_CHANGED; });
    }
}

CGridItem* CGridMainWnd::CreateCellObject(int row, int col) {
    CGridItem* cell = new CGridItem;
    cellStyles.Get(NewCellStyle(row, col)).ApplyTo(*cell);
    return cell;
}

UINT CGridMainWnd::NewCellStyle(int row, int col) {
    CCellStyle style;
    // A new cell inherits the format of the cell above it.
    if (row > 0 && col >= 0 && col < columnCount) style.format = GetCellFormat(row - 1, col);
    if (row < fixedRowCount) {
        style.bkColor = fixedBkColor;
        style.textColor = fixedTextColor;
    } else {
        // Banded body rows; the band is that of the row index at creation.
        const COLORREF light = RGB(255, 254, 249), dark = RGB(244, 244, 236);
        if (fixedRowCount <= 1)
            style.bkColor = (row % 2 == 1) ? light : dark;
        else
            style.bkColor = (row % 4 < 2) ? light : dark;
    }
    style.font = gridFont;
    return cellStyles.Intern(style);
}

void CGridMainWnd::DiscardCell(CGridItem* cell, int row, int col) {
    SetCellState(row, col, 0);
    if (cell != nullptr) cell->text.Empty();
}

void CGridMainWnd::DropCell(int row, int col) {
    CGridRow* r = GetRow(row);
    // The caller has taken the cell out of the selection.
    if (CGridItem* cell = r->Made(col)) {
        DiscardCell(cell, row, col);
        // DiscardCell may have changed the row (a text set in another of its cells).
        GetRow(row)->SetMade(col, nullptr);
        delete cell;
    }
}

void CGridMainWnd::DiscardRowCells(int row) {
    if (GetRow(row) == nullptr) return;
    // The selected cells leave the selection with their row.
    if (!selectedCells.IsEmpty() && selectedCells.RunsOfRow(row) != nullptr)
        selectedCells.Remove(CCellSpan(row, 0, row, CCellSet::kEnd));
    // A row of compact cells alone (a trace's) has nothing to discard cell by cell.
    if (GetRow(row)->HasMadeCells())
        for (int col = 0; col < GetRow(row)->Columns(); col++)
            DropCell(row, col);
    CGridRow::Destroy(GetRow(row));
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

// The selections after the removal of `count` rows from `first` on: the cells below them are
// that many rows up now.
void CGridMainWnd::ShiftSelectionUp(int first, int count) {
    selectedCells.RemoveRows(first, count);
    savedSelection.RemoveRows(first, count);
}

CGridStorageUse CGridMainWnd::MeasureStorage() const {
    CGridStorageUse use;
    for (int row = 0; row < rowCount; row++) {
        CGridRow* r = GetRow(row);
        if (r == nullptr) continue;
        use.rowBlocks += r->BlockBytes();
        use.cellLists += r->MadeListBytes();
        for (int col = 0; col < r->Columns(); col++) {
            if (CGridItem* cell = r->Made(col)) {
                use.cellsMade++;
                use.cellObjects += sizeof(CGridItem);
                // Texts past the string's own small buffer (15 bytes) take a block of their own.
                if (cell->text.str().capacity() > 15) use.cellObjects += cell->text.str().capacity() + 1;
            }
        }
    }
    use.rowArrays = sizeof(void*) * (size_t)rows.GetSize() + sizeof(UINT) * (size_t)rowHeights.GetSize() +
                    sizeof(long long) * (size_t)(rowIndex.GetCount() + 1);
    use.styles = sizeof(CCellStyle) * cellStyles.GetCount();
    return use;
}
