// In-place editing on the grid's side: the editor kind of each column, opening the column's
// editor over a cell, filling list and combo editors, and taking the edit's end (storing the
// text, and after Tab or an arrow key moving on to the next cell's editor).
#include "GridMainWnd.h"
#include "CellEditors.h"

BOOL CGridMainWnd::SetColumnEditorKind(int col, UINT kind) {
    if (col < 0 || col >= columnCount) return FALSE;
    columnEditorKinds[col] = kind;
    return TRUE;
}

UINT CGridMainWnd::GetColumnEditorKind(int col) const {
    if (col < 0 || col >= columnCount) return GEK_NONE;
    return columnEditorKinds[col];
}

void CGridMainWnd::BeginCellEdit(int row, int col, UINT nChar) {
    // Only a real cell is scrolled to: a character typed with no focus cell must not scroll the
    // view to the top.
    if (!IsValidCell(row, col)) return;
    ScrollCellIntoView(row, col);
    if (!CanEditCell(row, col) || !IsCellShown(row, col)) return;
    if (row < fixedRowCount || col < fixedColumnCount) return;
    UINT kind = columnEditorKinds[col];
    if (kind != GEK_EDIT && kind != GEK_LIST && kind != GEK_COMBO) return;
    CRect bounds;
    if (!GetCellBounds(row, col, &bounds)) return;

    GridItemDesc desc;
    desc.row = row;
    desc.col = col;
    desc.mask = DESC_TEXT | DESC_STATE | DESC_FORMAT;
    if (!GetCellDesc(&desc)) return;

    DWORD style = 0;
    if (desc.state & CELL_MASKED) style |= ES_PASSWORD;
    if (desc.state & CELL_EDITSCROLL) style |= ES_AUTOHSCROLL;
    if (desc.state & CELL_DIGITSONLY) style |= ES_NUMBER;
    if (desc.format & DT_RIGHT)
        style |= ES_RIGHT;
    else if (desc.format & DT_CENTER)
        style |= ES_CENTER;
    else
        style |= ES_LEFT;

    // The editor deletes itself with its window; one that got no window is deleted here.
    CWnd* editor = nullptr;
    if (kind == GEK_EDIT)
        editor = new CCellEditBox(this, bounds, style, row, col, desc.text, nChar);
    else if (kind == GEK_LIST)
        editor = new CCellListBox(this, bounds, style, row, col, desc.text, nChar);
    else
        editor = new CCellComboBox(this, bounds, style, row, col, desc.text, nChar);
    if (editor->m_hWnd == nullptr) delete editor;
}

void CGridMainWnd::StoreEditedText(int row, int col, CString text) {
    SetCellText(row, col, text);
}

// A derived grid fills a list or combo editor's entries here.
void CGridMainWnd::FillEditorChoices(int, int, CWnd*) {}

LRESULT CGridMainWnd::OnListEditorOpening(WPARAM col, LPARAM editor) {
    FillEditorChoices(GEK_LIST, (int)col, (CWnd*)editor);
    return Default();
}

LRESULT CGridMainWnd::OnComboEditorOpening(WPARAM col, LPARAM editor) {
    FillEditorChoices(GEK_COMBO, (int)col, (CWnd*)editor);
    return Default();
}

// The end-of-edit record, reflected from the parent. The grid's own GN_ENDCHANGE notifications
// come back the same way while it sends them: they are no records, and go on to the parent.
BOOL CGridMainWnd::OnEditorEnd(NMHDR* pNotify, LRESULT* pResult) {
    if (sendingNotification || pNotify == nullptr || pNotify->hwndFrom != m_hWnd) return FALSE;
    if (pResult != nullptr) *pResult = 0;
    if (!::IsWindow(m_hWnd)) return TRUE;
    const NMLVDISPINFOA* info = (const NMLVDISPINFOA*)pNotify;
    const int row = info->item.iItem;
    const int col = info->item.iSubItem;
    if (!IsValidCell(row, col)) return TRUE;

    StoreEditedText(row, col, info->item.pszText != nullptr ? CString(info->item.pszText) : CString());
    InvalidateCell(CCellPos(row, col));
    NotifyParent(row, col, GN_ENDCHANGE);

    UINT key;
    if (pNotify->idFrom == IDC_CELL_LIST || pNotify->idFrom == IDC_CELL_COMBO) {
        // A choice editor: the entry's item data becomes the cell's parameter (after Escape the
        // cell keeps its own), and the ending key comes in item.state.
        key = (info->item.mask & LVIF_STATE) ? info->item.state : 0;
        if (key != VK_ESCAPE) SetCellParam(row, col, info->item.lParam);
        if (pNotify->idFrom == IDC_CELL_LIST) return TRUE;
    } else {
        key = (UINT)info->item.lParam;
    }

    if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) {
        OnKeyDown(key, 0, 0);
        BeginCellEdit(focusCell.row, focusCell.col, key);
    }
    if (key != VK_ESCAPE) MarkChanged(TRUE, -1, -1);
    return TRUE;
}
