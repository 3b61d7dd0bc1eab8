// The keyboard: moving the focus cell with the navigation keys (Shift extends the selection),
// the Ctrl shortcuts of the edit commands (and Ctrl+Insert, Shift+Insert, Shift+Delete),
// Delete, and typing to start an edit. The mouse's auto-scroll drives the same handler with
// arrow keys while a drag is on.
#include "GridMainWnd.h"

namespace {
bool KeyHeld(int vk) {
    return ::GetKeyState(vk) < 0;
}
} // namespace

UINT CGridMainWnd::OnGetDlgCode() {
    // With Ctrl+Tab, or when the grid leaves Tab alone, the dialog moves to the next control.
    if (wantTabKey && !KeyHeld(VK_CONTROL)) return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void CGridMainWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (!IsValidCell(focusCell)) {
        COleWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }

    CCellPos next = focusCell;
    BOOL wrapped = FALSE;
    const int lastRow = rowCount - 1;
    const int lastCol = columnCount - 1;

    if (KeyHeld(VK_CONTROL)) {
        switch (nChar) {
        case 'A':
            CmdSelectAll();
            break;
        case 'C':
            CmdCopy();
            break;
        case 'V':
            CmdPaste();
            break;
        case 'X':
            CmdCut();
            break;
        case VK_INSERT: // the older copy shortcut of Windows programs
            CmdCopy();
            break;
        default:
            break;
        }
    } else if (KeyHeld(VK_SHIFT)) {
        // The older paste and cut shortcuts. Shift+Delete cuts the selection instead of clearing
        // the focus cell.
        if (nChar == VK_INSERT) {
            CmdPaste();
        } else if (nChar == VK_DELETE) {
            CmdCut();
            return;
        }
    }

    bool otherKey = false;
    switch (nChar) {
    case VK_TAB:
        if (!KeyHeld(VK_SHIFT)) {
            if (next.col < lastCol) {
                next.col++;
            } else if (next.row < lastRow) {
                next.row++;
                next.col = fixedColumnCount;
                wrapped = TRUE;
            } else {
                otherKey = true;
            }
        } else {
            if (next.col > fixedColumnCount) {
                next.col--;
            } else if (next.col == fixedColumnCount && next.row > fixedRowCount) {
                next.row--;
                next.col = lastCol;
                wrapped = TRUE;
            } else {
                otherKey = true;
            }
        }
        break;
    case VK_PRIOR: {
        int oldTop = GetFirstScrolledCell().row;
        SendMessage(WM_VSCROLL, SB_PAGEUP, 0);
        int newTop = GetFirstScrolledCell().row;
        if (newTop == oldTop) {
            next.row = fixedRowCount;
        } else {
            next.row += newTop - oldTop;
            if (next.row < fixedRowCount) next.row = fixedRowCount;
        }
        break;
    }
    case VK_NEXT: {
        int oldTop = GetFirstScrolledCell().row;
        SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        int newTop = GetFirstScrolledCell().row;
        if (newTop == oldTop) {
            next.row = lastRow;
        } else {
            next.row += newTop - oldTop;
            if (next.row > lastRow) next.row = lastRow;
        }
        break;
    }
    case VK_END:
        SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
        next.row = lastRow;
        break;
    case VK_HOME:
        SendMessage(WM_VSCROLL, SB_TOP, 0);
        next.row = fixedRowCount;
        break;
    case VK_LEFT:
        if (next.col > fixedColumnCount) next.col--;
        break;
    case VK_RIGHT:
        if (next.col < lastCol) next.col++;
        break;
    case VK_UP:
        if (next.row > fixedRowCount) next.row--;
        break;
    case VK_DOWN:
        if (next.row < lastRow) next.row++;
        break;
    case VK_DELETE:
        // Clears the focus cell only, never the rest of the selection.
        if (CanEditCell(focusCell)) {
            NotifyParent(focusCell.row, focusCell.col, GN_BEGINCHANGE);
            SetCellText(focusCell.row, focusCell.col, "");
            MarkChanged(TRUE, focusCell.row, focusCell.col);
            NotifyParent(focusCell.row, focusCell.col, GN_ENDCHANGE);
            RepaintCell(focusCell);
        }
        break;
    default:
        otherKey = true;
        break;
    }
    if (otherKey) COleWnd::OnKeyDown(nChar, nRepCnt, nFlags);

    if (next == focusCell) return;

    // A key pressed by the user selects the new cell (its row in list mode), or with Shift the
    // range from the anchor. While the mouse drags, the selection is the mouse's.
    if (mouseMode == GMM_IDLE) {
        savedSelection.RemoveAll();
        mouseMode = listMode ? GMM_PICK_ROWS : GMM_PICK_CELLS;
        if (!KeyHeld(VK_SHIFT) || nChar == VK_TAB) anchorCell = next;
        SelectToCell(next);
        mouseMode = GMM_IDLE;
    }

    MoveFocusTo(next);

    // Moving onto a cell in view has repainted all it needs to.
    if (IsCellShown(next)) return;

    ScrollCellIntoView(next);
    // One more line, so the new cell does not sit at the very edge.
    switch (nChar) {
    case VK_LEFT:
        SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
        break;
    case VK_RIGHT:
        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
        break;
    case VK_UP:
        SendMessage(WM_VSCROLL, SB_LINEUP, 0);
        break;
    case VK_DOWN:
        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
        break;
    case VK_TAB:
        if (KeyHeld(VK_SHIFT)) {
            if (wrapped) {
                SendMessage(WM_VSCROLL, SB_LINEUP, 0);
                SetScrollPosition(SB_HORZ, horzScrollMax, TRUE);
            } else {
                SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
            }
        } else {
            if (wrapped) {
                SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
                SetScrollPosition(SB_HORZ, 0, TRUE);
            } else {
                SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
            }
        }
        break;
    default:
        break;
    }
    Invalidate(TRUE);
}

void CGridMainWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    // A double-byte character arrives as two WM_CHARs: the lead byte waits for its trail byte, so
    // that the editor opens with the whole character.
    UINT typed = nChar & 0xFFFF;
    if (pendingLeadByte != 0) {
        typed = pendingLeadByte << 8 | (typed & 0xFF);
        pendingLeadByte = 0;
    } else if (typed <= 0xFF && ::IsDBCSLeadByte((BYTE)typed)) {
        pendingLeadByte = typed;
        COleWnd::OnChar(nChar, nRepCnt, nFlags);
        return;
    }
    // A typed character starts an edit of the focus cell (which checks the cell itself); Tab is
    // navigation when the grid takes it. Escape types nothing: its character reaches the grid
    // when Escape has just ended an edit, which must not open the editor again.
    if (!KeyHeld(VK_CONTROL) && mouseMode == GMM_IDLE && !(wantTabKey && typed == VK_TAB) &&
        typed != VK_ESCAPE)
        BeginCellEdit(focusCell.row, focusCell.col, GEC_TYPED | typed);
    COleWnd::OnChar(nChar, nRepCnt, nFlags);
}
