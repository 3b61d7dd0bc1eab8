// WM_DESTROY: an open editor loses the focus (and so ends its edit), and the hover timer stops.
#include "GridMainWnd.h"

void CGridMainWnd::OnDestroy() {
    SetFocus();
    COleWnd::OnDestroy();
    if (hoverTimer != 0) {
        KillTimer(hoverTimer);
        hoverTimer = 0;
    }
}
