// WM_HSCROLL and WM_VSCROLL, and bringing a cell into view by sending the grid its own scroll
// messages.
#include "GridMainWnd.h"

#include <algorithm>

BOOL CGridMainWnd::StepLine(int bar, BOOL forward, BOOL redraw) {
    const int pos = GetScrollPosition(bar, FALSE);
    const CCellPos first = GetFirstScrolledCell();
    int newPos;
    if (bar == SB_VERT) {
        if (forward) {
            if (pos >= vertScrollMax) return FALSE;
            newPos = pos + GetRowHeight(first.row);
        } else {
            if (pos <= 0 || first.row <= fixedRowCount) return FALSE;
            newPos = pos - GetRowHeight(first.row - 1);
        }
    } else {
        if (forward) {
            if (pos >= horzScrollMax) return FALSE;
            // At position 0 the step is the width of the column after the first scrolled one.
            newPos = pos + GetColumnWidth(pos == 0 ? first.col + 1 : first.col);
        } else {
            if (pos <= 0 || first.col <= fixedColumnCount) return FALSE;
            newPos = pos - GetColumnWidth(first.col - 1);
        }
    }
    SetScrollPosition(bar, newPos > 0 ? newPos : 0, redraw);
    return TRUE;
}

void CGridMainWnd::OnVScroll(UINT nSBCode, UINT, CScrollBar*) {
    BeginScroll();
    const int frame = drawFrame ? 1 : 0; // the frame's lines are not moved by a line scroll

    int pos = GetScrollPosition(SB_VERT, FALSE);
    CCellPos top = GetFirstScrolledCell();
    int fixedHeight = GetFixedAreaHeight();
    CRect client;
    GetClientRect(&client);

    switch (nSBCode) {
    case SB_LINEDOWN:
        if (StepLine(SB_VERT, TRUE, TRUE)) {
            // The body moves by as much as the first shown row moved: less than the row's height
            // where the system clamped the position at the end of the range, nothing where the
            // same row stays first. Under a heading row the body moves from its first pixel row;
            // without one the frame's top line stays, as does its bottom line.
            int shift = (int)rowIndex.Range(top.row, GetFirstScrolledCell().row);
            if (shift > 0) {
                CRect rect = client;
                rect.top = (fixedHeight > 0 ? fixedHeight : frame) + shift;
                rect.bottom -= frame;
                ScrollWindow(0, -shift, &rect);
                rect.top = rect.bottom - shift;
                InvalidateRect(&rect, TRUE);
            }
        }
        break;
    case SB_LINEUP:
        if (StepLine(SB_VERT, FALSE, TRUE)) {
            int shift = (int)rowIndex.Range(GetFirstScrolledCell().row, top.row);
            if (shift > 0) {
                CRect rect = client;
                rect.top = fixedHeight > 0 ? fixedHeight : frame;
                rect.bottom -= frame;
                ScrollWindow(0, shift, &rect,
                             &rect); // the rows pushed out at the bottom do not cover the frame
                rect.bottom = rect.top + shift;
                InvalidateRect(&rect, TRUE);
            }
        }
        break;
    case SB_PAGEDOWN:
        if (pos < vertScrollMax) {
            int newPos = pos + (client.bottom - fixedHeight);
            SetScrollPosition(SB_VERT, newPos < vertScrollMax ? newPos : vertScrollMax, TRUE);
            CRect rect = client;
            rect.top = fixedHeight;
            InvalidateRect(&rect, TRUE);
        }
        break;
    case SB_PAGEUP:
        if (pos > 0) {
            int newPos = pos - (client.bottom - fixedHeight);
            SetScrollPosition(SB_VERT, newPos > 0 ? newPos : 0, TRUE);
            CRect rect = client;
            rect.top = fixedHeight;
            InvalidateRect(&rect, TRUE);
        }
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SetScrollPosition(SB_VERT, GetScrollPosition(SB_VERT, TRUE), TRUE);
        if (GetFirstScrolledCell() != top) {
            CRect rect = client;
            rect.top = fixedHeight;
            InvalidateRect(&rect, TRUE);
        }
        break;
    }
    case SB_TOP:
        if (pos > 0) {
            SetScrollPosition(SB_VERT, 0, TRUE);
            Invalidate(TRUE);
        }
        break;
    case SB_BOTTOM:
        if (pos < vertScrollMax) {
            SetScrollPosition(SB_VERT, vertScrollMax, TRUE);
            Invalidate(TRUE);
        }
        break;
    default:
        break;
    }
}

void CGridMainWnd::OnHScroll(UINT nSBCode, UINT, CScrollBar*) {
    BeginScroll();
    const int frame = drawFrame ? 1 : 0; // the frame's lines are not moved by a line scroll

    int pos = GetScrollPosition(SB_HORZ, FALSE);
    CCellPos left = GetFirstScrolledCell();
    int fixedWidth = GetFixedAreaWidth();
    CRect client;
    GetClientRect(&client);

    switch (nSBCode) {
    case SB_LINERIGHT:
        if (StepLine(SB_HORZ, TRUE, TRUE)) {
            // As for rows: the body moves by as much as the first shown column moved, from the
            // first pixel column right of the heading columns, and the frame's lines stay.
            int shift = (int)columnIndex.Range(left.col, GetFirstScrolledCell().col);
            if (shift > 0) {
                CRect rect = client;
                rect.left = (fixedWidth > 0 ? fixedWidth : frame) + shift;
                rect.right -= frame;
                ScrollWindow(-shift, 0, &rect);
                rect.left = rect.right - shift;
                InvalidateRect(&rect, TRUE);
            }
        }
        break;
    case SB_LINELEFT:
        if (StepLine(SB_HORZ, FALSE, TRUE)) {
            int shift = (int)columnIndex.Range(GetFirstScrolledCell().col, left.col);
            if (shift > 0) {
                CRect rect = client;
                rect.left = fixedWidth > 0 ? fixedWidth : frame;
                rect.right -= frame;
                ScrollWindow(shift, 0, &rect, &rect);
                rect.right = rect.left + shift;
                InvalidateRect(&rect, TRUE);
            }
        }
        break;
    case SB_PAGERIGHT:
        if (pos < horzScrollMax) {
            int newPos = pos + (client.right - fixedWidth);
            SetScrollPosition(SB_HORZ, newPos < horzScrollMax ? newPos : horzScrollMax, TRUE);
            CRect rect = client;
            rect.left = fixedWidth;
            InvalidateRect(&rect, TRUE);
        }
        break;
    case SB_PAGELEFT:
        if (pos > 0) {
            int newPos = pos - (client.right - fixedWidth);
            SetScrollPosition(SB_HORZ, newPos > 0 ? newPos : 0, TRUE);
            CRect rect = client;
            rect.left = fixedWidth;
            InvalidateRect(&rect, TRUE);
        }
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SetScrollPosition(SB_HORZ, GetScrollPosition(SB_HORZ, TRUE), TRUE);
        if (GetFirstScrolledCell() != left) {
            CRect rect = client;
            rect.left = fixedWidth;
            InvalidateRect(&rect, TRUE);
        }
        break;
    }
    case SB_LEFT:
        if (pos > 0) {
            SetScrollPosition(SB_HORZ, 0, TRUE);
            Invalidate(TRUE);
        }
        break;
    case SB_RIGHT:
        if (pos < horzScrollMax) {
            SetScrollPosition(SB_HORZ, horzScrollMax, TRUE);
            Invalidate(TRUE);
        }
        break;
    default:
        break;
    }
}

int CGridMainWnd::LinesDownPosition(int steps) const {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
    if (!::GetScrollInfo(m_hWnd, SB_VERT, &si)) return 0;
    // The system keeps the position at most a page short of the range's end.
    const int end = std::max(si.nMin, si.nMax - std::max((int)si.nPage - 1, 0));
    int pos = si.nPos;
    for (int i = 0; i < steps && pos < vertScrollMax && pos < end; i++) {
        const int height = GetRowHeight(FirstScrolledRowAt(pos));
        if (height <= 0) break; // no step moves any more
        pos = height < end - pos ? pos + height : end;
    }
    return pos;
}

int CGridMainWnd::LinesUpPosition(int steps) const {
    int pos = GetScrollPosition(SB_VERT, FALSE);
    for (int i = 0; i < steps && pos > 0; i++) {
        const int first = FirstScrolledRowAt(pos);
        if (first <= fixedRowCount) break;
        const int height = GetRowHeight(first - 1);
        if (height <= 0) break; // no step moves any more
        pos = height < pos ? pos - height : 0;
    }
    return pos;
}

void CGridMainWnd::ScrollCellIntoView(int row, int col) {
    if (!::IsWindow(m_hWnd)) return;
    // The counts come from the span as it is now, before any of the messages is sent.
    CCellSpan shown = GetShownCellSpan();
    for (int i = 0; i < col - shown.maxCol; i++)
        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    for (int i = 0; i < shown.minCol - col; i++)
        SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    int down = row - shown.maxRow;
    const int page = shown.maxRow - shown.minRow + 1;
    if (page > 0 && down > 2 * page) {
        // A long way down (the newest row of a trace just loaded): every row on the way would be
        // scrolled in and out of the window, a message each. The steps but the last page's are
        // taken on the positions alone and the window drawn afresh; those of the last page are
        // sent as before, and end where all of them would have.
        SetScrollPosition(SB_VERT, LinesDownPosition(down - page), FALSE);
        Invalidate(TRUE);
        down = page;
    }
    for (int i = 0; i < down; i++)
        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    // Likewise a long way up (the focus far above the view): the steps but the last page's on
    // the positions, then the last page's as messages.
    int up = shown.minRow - row;
    if (page > 0 && up > 2 * page) {
        SetScrollPosition(SB_VERT, LinesUpPosition(up - page), FALSE);
        Invalidate(TRUE);
        up = page;
    }
    for (int i = 0; i < up; i++)
        SendMessage(WM_VSCROLL, SB_LINEUP, 0);

    // A cell cut off at the right or bottom edge gets one more line.
    CRect rect, client;
    GetCellBounds(row, col, &rect);
    GetClientRect(&client);
    if (rect.right > client.right) SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    if (rect.bottom > client.bottom) SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
}

void CGridMainWnd::PlaceCellInView(int row, int col) {
    if (!::IsWindow(m_hWnd)) return;
    // The same line steps as ScrollCellIntoView's messages, taken on the positions alone.
    CCellSpan shown = GetShownCellSpan();
    int steps = 0;
    for (int i = 0; i < col - shown.maxCol; i++, steps++)
        StepLine(SB_HORZ, TRUE, FALSE);
    for (int i = 0; i < shown.minCol - col; i++, steps++)
        StepLine(SB_HORZ, FALSE, FALSE);
    if (row - shown.maxRow > 0) {
        SetScrollPosition(SB_VERT, LinesDownPosition(row - shown.maxRow), FALSE);
        steps += row - shown.maxRow;
    }
    if (shown.minRow - row > 0) {
        SetScrollPosition(SB_VERT, LinesUpPosition(shown.minRow - row), FALSE);
        steps += shown.minRow - row;
    }

    CRect rect, client;
    GetCellBounds(row, col, &rect);
    GetClientRect(&client);
    if (rect.right > client.right) steps++, StepLine(SB_HORZ, TRUE, FALSE);
    if (rect.bottom > client.bottom) steps++, StepLine(SB_VERT, TRUE, FALSE);

    // What every scroll message does besides moving.
    if (steps > 0) BeginScroll();
}

void CGridMainWnd::BeginScroll() {
    TakeFocus();
    titleTip.Hide();
}

void CGridMainWnd::TakeFocus() {
    HWND focus = ::GetFocus();
    if (focus == m_hWnd) return;
    // Held, the focus is taken only from an in-place editor, which ends its edit on losing it.
    if (focusHeld && (focus == nullptr || !::IsChild(m_hWnd, focus))) return;
    SetFocus();
}
