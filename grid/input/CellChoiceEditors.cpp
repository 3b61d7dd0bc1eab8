// CCellListBox and CCellComboBox: the editors that offer a column's choices. Each drops below
// the cell, asks the grid for its entries, starts on the entry that matches the cell's text, and
// returns the chosen entry's text and item data (the old text when nothing is chosen, or after
// Escape). A click on a list entry ends the edit at once.
#include "CellEditors.h"
#include "GridDefs.h"

namespace {
// The cell's rectangle lowered by a scroll bar's height and `rows` rows of the cell's height.
CRect DropRect(const CRect& cell, int rows) {
    CRect rc = cell;
    rc.bottom += ::GetSystemMetrics(SM_CYHSCROLL) + cell.Height() * rows;
    return rc;
}
} // namespace

// ---- CCellListBox ------------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CCellListBox, CListBox)
ON_WM_KILLFOCUS()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_LBUTTONUP()
ON_WM_GETDLGCODE()
ON_WM_NCDESTROY()
ON_CELL_CHOICE_EDIT_COMMANDS()
END_MESSAGE_MAP()

CCellListBox::CCellListBox(CWnd* pGrid, const CRect& rect, DWORD, int nRow, int nCol, CString text, UINT)
    : ending(FALSE), dropRows(5), startText(text), row(nRow), col(nCol), lastKey(0), exitOnArrows(FALSE),
      grid(pGrid) {
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_HASSTRINGS;
    CRect rc = DropRect(rect, dropRows);
    if (!CreateEx(0, "LISTBOX", "", style, rc.left, rc.top, rc.Width(), rc.Height(), pGrid->m_hWnd,
                  (HMENU)(UINT_PTR)IDC_CELL_LIST))
        return;
    selfDelete = TRUE;
    pGrid->SendMessage(WM_GRID_FILLLIST, (WPARAM)nCol, (LPARAM)(CWnd*)this);
    MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
    SendMessage(WM_SETFONT, (WPARAM)pGrid->SendMessage(WM_GETFONT), TRUE);
    SendMessage(LB_SETITEMHEIGHT, (WPARAM)-1, MAKELPARAM(rect.Height(), 0));
    SendMessage(LB_SETHORIZONTALEXTENT, 0);
    if (SendMessage(LB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCTSTR)text) == LB_ERR) SetWindowText(text);
    SetFocus();
}

void CCellListBox::EndEdit(UINT nKey) {
    lastKey = nKey;
    grid->SetFocus();
}

BOOL CCellListBox::PreTranslateMessage(MSG* pMsg) {
    UINT endKey = 0;
    if (keys.TakeNavigation(pMsg, &endKey)) {
        if (endKey != 0) EndEdit(endKey);
        return TRUE;
    }
    return CListBox::PreTranslateMessage(pMsg);
}

void CCellListBox::OnKeyDown(UINT nChar, UINT, UINT) {
    const UINT endKey = keys.EndingKeyOnPress(nChar, exitOnArrows);
    if (endKey != 0)
        EndEdit(endKey);
    else
        Default();
}

void CCellListBox::OnKeyUp(UINT nChar, UINT, UINT) {
    if (keys.EndsOnRelease(nChar)) {
        EndEdit(nChar);
        return;
    }
    Default();
}

void CCellListBox::OnLButtonUp(UINT, CPoint) {
    Default();
    if (ending) return;
    SendRecord();
    DestroyWindow();
}

UINT CCellListBox::OnGetDlgCode() {
    return DLGC_WANTALLKEYS;
}

void CCellListBox::OnKillFocus(CWnd*) {
    Default();
    if (ending) return;
    SendRecord();
    DestroyWindow();
}

// The chosen entry, or the old text when none is chosen or the edit was cancelled.
void CCellListBox::SendRecord() {
    ending = TRUE;
    CString text = startText;
    LPARAM data = 0;
    int sel = GetCurSel();
    if (sel != LB_ERR && lastKey != VK_ESCAPE) {
        GetText(sel, text);
        data = (LPARAM)SendMessage(LB_GETITEMDATA, (WPARAM)sel);
    }
    SendCellEditorRecord(grid, IDC_CELL_LIST, row, col, text, data, TRUE, lastKey);
}

void CCellListBox::OnNcDestroy() {
    Default();
}

void CCellListBox::PostNcDestroy() {
    if (selfDelete) delete this;
}

// ---- CCellComboBox -----------------------------------------------------------------------------
BEGIN_MESSAGE_MAP(CCellComboBox, CComboBox)
ON_WM_KILLFOCUS()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_CONTROL_REFLECT(CBN_SELCHANGE, OnSelChange)
ON_WM_GETDLGCODE()
ON_WM_NCDESTROY()
ON_CELL_CHOICE_EDIT_COMMANDS()
END_MESSAGE_MAP()

CCellComboBox::CCellComboBox(CWnd* pGrid, const CRect& rect, DWORD, int nRow, int nCol, CString text, UINT)
    : ending(FALSE), dropRows(20), startText(text), row(nRow), col(nCol), lastKey(0), exitOnArrows(FALSE),
      grid(pGrid) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL;
    CRect rc = DropRect(rect, dropRows);
    if (!CreateEx(0, "COMBOBOX", "", style, rc.left, rc.top, rc.Width(), rc.Height(), pGrid->m_hWnd,
                  (HMENU)(UINT_PTR)IDC_CELL_COMBO))
        return;
    selfDelete = TRUE;
    pGrid->SendMessage(WM_GRID_FILLCOMBO, (WPARAM)nCol, (LPARAM)(CWnd*)this);
    MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
    SendMessage(WM_SETFONT, (WPARAM)pGrid->SendMessage(WM_GETFONT), TRUE);
    SendMessage(CB_SETITEMHEIGHT, (WPARAM)-1, rect.Height() - 4);
    SendMessage(CB_SETHORIZONTALEXTENT, 0);
    int found = FindStringExact(-1, text);
    if (found != CB_ERR)
        SetCurSel(found);
    else
        SetWindowText(text);
    SetFocus();
}

void CCellComboBox::EndEdit(UINT nKey) {
    lastKey = nKey;
    grid->SetFocus();
}

BOOL CCellComboBox::PreTranslateMessage(MSG* pMsg) {
    UINT endKey = 0;
    if (keys.TakeNavigation(pMsg, &endKey)) {
        if (endKey != 0) EndEdit(endKey);
        return TRUE;
    }
    return CComboBox::PreTranslateMessage(pMsg);
}

void CCellComboBox::OnKeyDown(UINT nChar, UINT, UINT) {
    const UINT endKey = keys.EndingKeyOnPress(nChar, exitOnArrows);
    if (endKey != 0)
        EndEdit(endKey);
    else
        Default();
}

void CCellComboBox::OnKeyUp(UINT nChar, UINT, UINT) {
    if (keys.EndsOnRelease(nChar)) {
        EndEdit(nChar);
        return;
    }
    Default();
}

UINT CCellComboBox::OnGetDlgCode() {
    return DLGC_WANTALLKEYS;
}

void CCellComboBox::OnKillFocus(CWnd*) {
    Default();
    if (ending) return;
    SendRecord();
    DestroyWindow();
}

void CCellComboBox::SendRecord() {
    ending = TRUE;
    CString text = startText;
    LPARAM data = 0;
    int sel = GetCurSel();
    if (sel != CB_ERR && lastKey != VK_ESCAPE) {
        GetLBText(sel, text);
        data = (LPARAM)SendMessage(CB_GETITEMDATA, (WPARAM)sel);
    }
    SendCellEditorRecord(grid, IDC_CELL_COMBO, row, col, text, data, TRUE, lastKey);
}

void CCellComboBox::OnNcDestroy() {
    Default();
}

void CCellComboBox::PostNcDestroy() {
    if (selfDelete) delete this;
}
