// The grid's side of the title tip: a key pressed while the tip is up reaches the tip first, which
// hides itself and passes the key back to the grid.
#include "GridMainWnd.h"

BOOL CGridMainWnd::PreTranslateMessage(MSG* pMsg) {
    // The tip never has the keyboard focus, so its keys arrive here.
    if (pMsg->hwnd == m_hWnd && (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) &&
        ::IsWindow(titleTip.m_hWnd) && titleTip.IsWindowVisible())
        return titleTip.PreTranslateMessage(pMsg);
    return COleWnd::PreTranslateMessage(pMsg);
}
