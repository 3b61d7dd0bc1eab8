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

// Where `steps` line steps down or up would leave the vertical position, found without taking
// them one by one. A step down adds the height of the first scrolled row (the first row whose
// top is at or below the position) and stops at a row of no height; a step up takes off the
// height of the row above it. With d the distance from the position down to the first scrolled
// row's top, a step down from row j goes on to row j + 1 at the same distance when row j is
// taller than d, and stays on row j with d less by its height otherwise; a step up goes back
// to the row above at the same distance while the row above that is taller than d. So the steps
// are taken a run of rows at a time, between the rows not taller than d (found on the smallest
// heights by blocks); where they are met d shrinks, so the runs are few.
int CGridMainWnd::LinesDownPosition(int steps) const {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
    if (!::GetScrollInfo(m_hWnd, SB_VERT, &si)) return 0;
    // The system keeps the position at most a page short of the range's end.
    const long long end = std::max(si.nMin, si.nMax - std::max((int)si.nPage - 1, 0));
    const long long stop = std::min<long long>(vertScrollMax, end); // no step from here on
    const long long base = rowIndex.Prefix(fixedRowCount);
    long long pos = si.nPos;
    // The steps, each ended as a step ends: at most at the end of the range.
    auto advance = [&](long long to) { pos = std::min(to, end); };
    while (steps > 0 && pos < stop) {
        const int j = FirstScrolledRowAt((int)pos);
        const int height = GetRowHeight(j);
        if (height <= 0) break; // no step moves any more
        // Steps of one height each until the position reaches the stop.
        const long long toStop = (stop - pos + height - 1) / height;
        const long long d = rowIndex.Prefix(j) - base - pos;
        if (j >= rowCount - 1 || d < 0) {
            // The last row (or the only one) stays first whatever the position.
            const long long t = std::min<long long>(steps, toStop);
            advance(pos + t * height);
            break;
        }
        if (height <= d) {
            // Row j stays first for as many steps as its height fits into d.
            const long long t = std::min<long long>({(long long)steps, d / height, toStop});
            advance(pos + t * height);
            steps -= (int)t;
            continue;
        }
        // Rows j .. r - 1 are taller than d: a step each, to the next row at the same distance.
        const int r = std::min(rowIndex.FirstAtMost(rowHeights, j + 1, (int)d), rowCount - 1);
        // The step that reaches the stop lands on the first row whose top is d past it.
        const long long atStop = (long long)rowIndex.CountWithin(stop + d + base - 1) + 1 - j;
        const long long t = std::min<long long>({(long long)steps, (long long)(r - j), atStop});
        advance(rowIndex.Prefix(j + (int)t) - base - d);
        steps -= (int)t;
    }
    return (int)pos;
}

int CGridMainWnd::LinesUpPosition(int steps) const {
    const long long base = rowIndex.Prefix(fixedRowCount);
    int pos = GetScrollPosition(SB_VERT, FALSE);
    while (steps > 0 && pos > 0) {
        const int first = FirstScrolledRowAt(pos);
        if (first <= fixedRowCount) break;
        const long long d = rowIndex.Prefix(first) - base - pos;
        if (d >= 0 && first < rowCount - 1) {
            // Rows r + 1 .. first - 2 are taller than d: each step goes back one row, down to the
            // row two below r (or to the first scrolled row but one).
            const int r = std::max(rowIndex.LastAtMost(rowHeights, first - 1, (int)d), fixedRowCount - 1);
            const int t = std::min(steps, first - (r + 2));
            if (t > 0) {
                pos = (int)(rowIndex.Prefix(first - t) - base - d);
                steps -= t;
                continue;
            }
        }
        // One step as it is.
        const int height = GetRowHeight(first - 1);
        if (height <= 0) break; // no step moves any more
        pos = height < pos ? pos - height : 0;
        steps--;
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
