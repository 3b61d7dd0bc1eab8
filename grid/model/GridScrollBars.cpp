// The scroll bars: page sizes and ranges from the grid's sizes, and the positions, which live
// in the window's own scroll bars (32-bit, through SCROLLINFO).
#include "GridMainWnd.h"

int CGridMainWnd::GetScrollPosition(int bar, BOOL tracking) const {
    SCROLLINFO si;
    si.cbSize = sizeof si;
    si.fMask = tracking ? SIF_TRACKPOS : SIF_POS;
    si.nPos = si.nTrackPos = 0;
    if (!::GetScrollInfo(m_hWnd, bar, &si)) return 0;
    return tracking ? si.nTrackPos : si.nPos;
}

void CGridMainWnd::SetScrollPosition(int bar, int pos, BOOL redraw) {
    SCROLLINFO si;
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    ::SetScrollInfo(m_hWnd, bar, &si, redraw);
}

void CGridMainWnd::ResetVerticalScroll() {
    vertScrollMax = 0;
    if (!::IsWindow(m_hWnd)) return;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS;
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, !scrollBarRedrawDeferred);
}

void CGridMainWnd::UpdateScrollBars() {
    if (scrollBarUpdatesSuspended || !drawingEnabled || !::IsWindow(m_hWnd)) return;

    // The whole window (border and scroll bars included) in client coordinates, less the fixed
    // area.
    CRect rect;
    ::GetWindowRect(m_hWnd, &rect);
    ScreenToClient(&rect);
    int fixedWidth = GetFixedAreaWidth();
    int fixedHeight = GetFixedAreaHeight();
    rect.left += fixedWidth;
    rect.top += fixedHeight;
    if (rect.left >= rect.right || rect.top >= rect.bottom) return;

    // No scrolling row or column: the bars keep what they had.
    if (!IsValidSpan(GetFullyShownCellSpan())) return;

    SCROLLINFO si;
    si.cbSize = sizeof si;
    si.fMask = SIF_PAGE;
    int horzPage = rect.right - fixedWidth;
    int vertPage = rect.bottom - fixedHeight;
    si.nPage = (UINT)horzPage;
    ::SetScrollInfo(m_hWnd, SB_HORZ, &si, FALSE);
    si.nPage = (UINT)vertPage;
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, FALSE);

    int scrollHeight = GetTotalHeight() - fixedHeight;
    int scrollWidth = GetTotalWidth() - fixedWidth;
    vertScrollMax = vertPage < scrollHeight ? scrollHeight - 1 : 0;
    horzScrollMax = horzPage < scrollWidth ? scrollWidth - 1 : 0;

    // A range of 0 .. 0 hides a bar; the system clamps the position into a smaller range.
    si.fMask = SIF_RANGE;
    si.nMin = 0;
    BOOL redraw = !scrollBarRedrawDeferred;
    if (vertScrollEnabled) {
        si.nMax = vertScrollMax;
        ::SetScrollInfo(m_hWnd, SB_VERT, &si, redraw);
    } else {
        vertScrollMax = 0;
    }
    if (horzScrollEnabled) {
        si.nMax = horzScrollMax;
        ::SetScrollInfo(m_hWnd, SB_HORZ, &si, redraw);
    } else {
        horzScrollMax = 0;
    }
}
