// WM_SETCURSOR: the sizing cursors over a divider, the arrow elsewhere in the client area.
#include "GridMainWnd.h"

BOOL CGridMainWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (nHitTest != HTCLIENT) return COleWnd::OnSetCursor(pWnd, nHitTest, message);
    LPCSTR id = (LPCSTR)IDC_ARROW;
    if (mouseMode == GMM_AT_ROW_EDGE)
        id = (LPCSTR)IDC_SIZENS;
    else if (mouseMode == GMM_AT_COLUMN_EDGE)
        id = (LPCSTR)IDC_SIZEWE;
    ::SetCursor(::LoadCursorA(nullptr, id));
    return TRUE;
}
