// CCellEditBox: the edit box editor. It opens with the typed character (or the caret at the end
// for a click, Return or Backspace), widens itself to its text when it does not scroll, and
// returns its text with the key that ended the edit.
#include "CellEditors.h"
#include "GridDefs.h"

BEGIN_MESSAGE_MAP(CCellEditBox, CEdit)
ON_WM_KILLFOCUS()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_CHAR()
ON_WM_GETDLGCODE()
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CCellEditBox::CCellEditBox(CWnd* pGrid, const CRect& rect, DWORD dwStyle, int nRow, int nCol, CString text,
                           UINT nChar)
    : ending(FALSE), row(nRow), col(nCol), startText(text), lastKey(0), exitOnArrows(TRUE),
      style(dwStyle | WS_CHILD | WS_VISIBLE | WS_BORDER), grid(pGrid) {
    if (!CreateEx(0, "EDIT", "", style, rect.left, rect.top, rect.Width(), rect.Height(), pGrid->m_hWnd,
                  (HMENU)(UINT_PTR)IDC_CELL_EDIT))
        return;
    selfDelete = TRUE;
    SendMessage(WM_SETFONT, (WPARAM)pGrid->SendMessage(WM_GETFONT), TRUE);
    SetWindowText(text);
    SetFocus();

    switch (nChar) {
    case VK_LBUTTON:
    case VK_RETURN:
        SendMessage(EM_SETSEL, (WPARAM)startText.GetLength(), -1);
        break;
    case VK_BACK:
        SendMessage(EM_SETSEL, (WPARAM)startText.GetLength(), -1);
        SendMessage(WM_CHAR, VK_BACK, 0);
        break;
    default:
        if (nChar == VK_TAB || (nChar >= VK_PRIOR && nChar <= VK_DOWN)) {
            SendMessage(EM_SETSEL, 0, -1);
        } else {
            // The typed character replaces the whole text.
            SendMessage(EM_SETSEL, 0, -1);
            SendMessage(WM_CHAR, nChar, 0);
        }
        break;
    }
    SendMessage(EM_SCROLLCARET);
}

void CCellEditBox::EndEdit(UINT nKey) {
    lastKey = nKey;
    grid->SetFocus();
}

// Tab and Return are the editor's, not the dialog's navigation.
BOOL CCellEditBox::PreTranslateMessage(MSG* pMsg) {
    UINT endKey = 0;
    if (keys.TakeNavigation(pMsg, &endKey)) {
        if (endKey != 0) EndEdit(endKey);
        return TRUE;
    }
    return CEdit::PreTranslateMessage(pMsg);
}

void CCellEditBox::OnKeyDown(UINT nChar, UINT, UINT) {
    const UINT endKey = keys.EndingKeyOnPress(nChar, exitOnArrows);
    if (endKey == 0) {
        Default();
        return;
    }
    if (endKey == VK_ESCAPE) SetWindowText(startText);
    EndEdit(endKey);
}

void CCellEditBox::OnKeyUp(UINT nChar, UINT, UINT) {
    if (keys.EndsOnRelease(nChar)) {
        if (nChar == VK_ESCAPE) SetWindowText(startText);
        EndEdit(nChar);
        return;
    }
    Default();
}

// A box that does not scroll grows to the right with its text, up to the grid's right edge.
// Such a box refuses a character that does not fit, so it keeps room for the widest one beside
// the text, its borders and margins, and 5 pixels.
void CCellEditBox::OnChar(UINT, UINT, UINT) {
    Default();
    if (style & ES_AUTOHSCROLL) return;
    CString text;
    GetWindowText(text);
    SIZE extent = {0, 0};
    TEXTMETRICA tm = {};
    HDC hdc = ::GetWindowDC(m_hWnd);
    if (hdc == nullptr) return;
    HGDIOBJ oldFont = ::SelectObject(hdc, (HFONT)SendMessage(WM_GETFONT));
    ::GetTextExtentPoint32A(hdc, text, text.GetLength(), &extent);
    ::GetTextMetricsA(hdc, &tm);
    ::SelectObject(hdc, oldFont);
    ::ReleaseDC(m_hWnd, hdc);

    CRect rc, textRect;
    GetWindowRect(&rc);
    SendMessage(EM_GETRECT, 0, (LPARAM)&textRect);
    const int frame = rc.Width() - textRect.Width(); // borders and margins
    const int needed = extent.cx + 5 + frame + tm.tmMaxCharWidth;
    grid->ScreenToClient(&rc);
    if (rc.Width() >= needed) return;
    CRect gridClient;
    grid->GetClientRect(&gridClient);
    int right = rc.left + needed;
    if (right > gridClient.right) right = gridClient.right;
    if (right > rc.right) MoveWindow(rc.left, rc.top, right - rc.left, rc.Height(), TRUE);
}

UINT CCellEditBox::OnGetDlgCode() {
    return DLGC_WANTALLKEYS; // Escape and Return stay the editor's inside a dialog
}

void CCellEditBox::OnKillFocus(CWnd*) {
    Default();
    if (ending) return;
    ending = TRUE;
    CString text;
    GetWindowText(text);
    SendCellEditorRecord(grid, IDC_CELL_EDIT, row, col, text, (LPARAM)lastKey, FALSE, lastKey);
    DestroyWindow(); // the object is deleted with its window
}

void CCellEditBox::OnNcDestroy() {
    Default();
}

void CCellEditBox::PostNcDestroy() {
    if (selfDelete) delete this;
}
