// WM_DESTROY: an open editor loses the focus (and so ends its edit), the hover timer stops, and
// the paints' off-screen bitmap is given back.
#include "GridMainWnd.h"

void CGridMainWnd::OnDestroy() {
    SetFocus();
    COleWnd::OnDestroy();
    if (hoverTimer != 0) {
        KillTimer(hoverTimer);
        hoverTimer = 0;
    }
    paintSurface.Release();
}
