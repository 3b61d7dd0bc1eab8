// WM_HSCROLL and WM_VSCROLL, and bringing a cell into view by sending the grid its own scroll
// messages.
#include "GridMainWnd.h"

void CGridMainWnd::OnVScroll(UINT nSBCode, UINT, CScrollBar*) {
    if (::GetFocus() != m_hWnd) SetFocus();
    titleTip.Hide();

    int pos = GetScrollPosition(SB_VERT, FALSE);
    CCellPos top = GetFirstScrolledCell();
    int fixedHeight = GetFixedAreaHeight();
    CRect client;
    GetClientRect(&client);

    switch (nSBCode) {
    case SB_LINEDOWN:
        if (pos < vertScrollMax) {
            int height = GetRowHeight(top.row);
            SetScrollPosition(SB_VERT, pos + height, TRUE);
            if (GetScrollPosition(SB_VERT, FALSE) != pos) {
                // Move what stays in view up, keeping the frame's top and bottom lines, and
                // repaint the strip that comes in at the bottom.
                CRect rect = client;
                rect.top = fixedHeight + height + 1;
                rect.bottom -= 1;
                ScrollWindow(0, -height, &rect);
                rect.top = rect.bottom - height;
                InvalidateRect(&rect, TRUE);
            }
        }
        break;
    case SB_LINEUP:
        if (pos > 0 && top.row > fixedRowCount) {
            int height = GetRowHeight(top.row - 1);
            int newPos = pos - height;
            SetScrollPosition(SB_VERT, newPos > 0 ? newPos : 0, TRUE);
            CRect rect = client;
            rect.top = fixedHeight + 1;
            rect.bottom -= 1;
            ScrollWindow(0, height, &rect);
            rect.bottom = rect.top + height;
            InvalidateRect(&rect, TRUE);
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
    if (::GetFocus() != m_hWnd) SetFocus();
    titleTip.Hide();

    int pos = GetScrollPosition(SB_HORZ, FALSE);
    CCellPos left = GetFirstScrolledCell();
    int fixedWidth = GetFixedAreaWidth();
    CRect client;
    GetClientRect(&client);

    switch (nSBCode) {
    case SB_LINERIGHT:
        if (pos < horzScrollMax) {
            // At position 0 the step is the width of the column after the first scrolled one.
            int width = GetColumnWidth(pos == 0 ? left.col + 1 : left.col);
            SetScrollPosition(SB_HORZ, pos + width, TRUE);
            if (GetScrollPosition(SB_HORZ, FALSE) != pos) {
                CRect rect = client;
                rect.left = fixedWidth + width + 1;
                rect.right -= 1;
                ScrollWindow(-width, 0, &rect);
                rect.left = rect.right - width;
                InvalidateRect(&rect, TRUE);
            }
        }
        break;
    case SB_LINELEFT:
        if (pos > 0 && left.col > fixedColumnCount) {
            int width = GetColumnWidth(left.col - 1);
            int newPos = pos - width;
            SetScrollPosition(SB_HORZ, newPos > 0 ? newPos : 0, TRUE);
            CRect rect = client;
            rect.left = fixedWidth + 1;
            ScrollWindow(width, 0, &rect);
            rect.right = rect.left + width;
            InvalidateRect(&rect, TRUE);
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

void CGridMainWnd::ScrollCellIntoView(int row, int col) {
    if (!::IsWindow(m_hWnd)) return;
    // The counts come from the span as it is now, before any of the messages is sent.
    CCellSpan shown = GetShownCellSpan();
    for (int i = 0; i < col - shown.maxCol; i++)
        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    for (int i = 0; i < shown.minCol - col; i++)
        SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    for (int i = 0; i < row - shown.maxRow; i++)
        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    for (int i = 0; i < shown.minRow - row; i++)
        SendMessage(WM_VSCROLL, SB_LINEUP, 0);

    // A cell cut off at the right or bottom edge gets one more line.
    CRect rect, client;
    GetCellBounds(row, col, &rect);
    GetClientRect(&client);
    if (rect.right > client.right) SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    if (rect.bottom > client.bottom) SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
}
