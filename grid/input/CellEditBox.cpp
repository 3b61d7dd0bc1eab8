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
ON_COMMAND(ID_EDIT_CUT, OnEditCut)
ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
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

    // A typed character (GEC_TYPED) is told from the key that opened the box: '!' to '(' share
    // their codes with the page and arrow keys.
    const BOOL typed = (nChar & GEC_TYPED) != 0;
    const UINT ch = nChar & 0xFFFF;
    if ((ch == VK_LBUTTON && !typed) || ch == VK_RETURN) {
        SendMessage(EM_SETSEL, (WPARAM)startText.GetLength(), -1);
    } else if (ch == VK_BACK) {
        SendMessage(EM_SETSEL, (WPARAM)startText.GetLength(), -1);
        SendMessage(WM_CHAR, VK_BACK, 0);
    } else if (ch == VK_TAB || (!typed && ch >= VK_PRIOR && ch <= VK_DOWN)) {
        SendMessage(EM_SETSEL, 0, -1);
    } else {
        // The typed character replaces the whole text; a double-byte one as its two bytes.
        SendMessage(EM_SETSEL, 0, -1);
        if (ch > 0xFF) SendMessage(WM_CHAR, ch >> 8, 0);
        SendMessage(WM_CHAR, ch & 0xFF, 0);
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
// Such a box refuses a character that does not fit, so it makes room before the character is
// offered: for the widest one beside the text, its borders and margins, and 5 pixels.
void CCellEditBox::WidenFor(const CString& text) {
    if (style & ES_AUTOHSCROLL) return;
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

// A double-byte character comes as its lead byte, then its trail byte: the box takes the two
// together, since the control turns a lone lead byte into a wrong character.
void CCellEditBox::OnChar(UINT nChar, UINT, UINT) {
    CString text;
    GetWindowText(text);
    WidenFor(text);
    if (leadByte == 0 && nChar <= 0xFF && ::IsDBCSLeadByte((BYTE)nChar)) {
        leadByte = nChar;
        return;
    }
    if (leadByte == 0 && nChar <= 0xFF) {
        Default();
        return;
    }
    const UINT both = leadByte != 0 ? (leadByte << 8 | (nChar & 0xFF)) : (nChar & 0xFFFF);
    leadByte = 0;
    const char character[3] = {(char)(both >> 8), (char)(both & 0xFF), '\0'};
    // A digits-only box takes no double-byte character, as it takes no other non-digit.
    if (!(style & ES_NUMBER)) SendMessage(EM_REPLACESEL, TRUE, (LPARAM)character);
}

// The Edit menu's commands, while the box is open, act on its text as in any edit box: the
// grid under it would otherwise change cells that the box then writes over when it closes.
void CCellEditBox::OnEditCut() {
    SendMessage(WM_CUT);
}

void CCellEditBox::OnEditCopy() {
    SendMessage(WM_COPY);
}

void CCellEditBox::OnEditPaste() {
    // Room for the pasted text first: a box that does not scroll refuses what does not fit.
    CString text, pasted;
    GetWindowText(text);
    if (::IsClipboardFormatAvailable(CF_TEXT) && ::OpenClipboard(m_hWnd)) {
        HANDLE hData = ::GetClipboardData(CF_TEXT);
        const char* p = hData != nullptr ? (const char*)::GlobalLock(hData) : nullptr;
        if (p != nullptr) {
            const SIZE_T size = ::GlobalSize(hData);
            SIZE_T n = 0;
            while (n < size && p[n] != '\0' && p[n] != '\r' && p[n] != '\n')
                n++; // one line: the box takes no more
            pasted = CString(p, (int)n);
            ::GlobalUnlock(hData);
        }
        ::CloseClipboard();
    }
    WidenFor(text + pasted);
    SendMessage(WM_PASTE);
}

void CCellEditBox::OnEditSelectAll() {
    SendMessage(EM_SETSEL, 0, -1);
}

BOOL CCellEditBox::HasSelectedText() {
    DWORD start = 0, end = 0;
    SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return start != end;
}

// A masked box gives nothing away; a read-only one takes nothing.
void CCellEditBox::OnUpdateEditCut(CCmdUI* pCmdUI) {
    pCmdUI->Enable(HasSelectedText() && !(GetStyle() & (ES_PASSWORD | ES_READONLY)));
}

void CCellEditBox::OnUpdateEditCopy(CCmdUI* pCmdUI) {
    pCmdUI->Enable(HasSelectedText() && !(GetStyle() & ES_PASSWORD));
}

void CCellEditBox::OnUpdateEditPaste(CCmdUI* pCmdUI) {
    pCmdUI->Enable(::IsClipboardFormatAvailable(CF_TEXT) && !(GetStyle() & ES_READONLY));
}

void CCellEditBox::OnUpdateEditSelectAll(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetWindowTextLength() > 0);
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
