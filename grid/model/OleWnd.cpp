// COleWnd: the drag-and-drop hooks refuse every drag.
#include "OleWnd.h"

IMPLEMENT_DYNAMIC(COleWnd, CWnd)

BEGIN_MESSAGE_MAP(COleWnd, CWnd)
END_MESSAGE_MAP()

DROPEFFECT COleWnd::OnDragEnter(COleDataObject*, DWORD, CPoint) {
    return DROPEFFECT_NONE;
}

DROPEFFECT COleWnd::OnDragOver(COleDataObject*, DWORD, CPoint) {
    return DROPEFFECT_NONE;
}

void COleWnd::OnDragLeave() {}

BOOL COleWnd::OnDrop(COleDataObject*, DROPEFFECT, CPoint) {
    return FALSE;
}

// (DROPEFFECT)-1 tells the caller that the drop was not handled here.
DROPEFFECT COleWnd::OnDropEx(COleDataObject*, DROPEFFECT, DROPEFFECT, CPoint) {
    return (DROPEFFECT)-1;
}

DROPEFFECT COleWnd::OnDragScroll(DWORD, CPoint) {
    return DROPEFFECT_NONE;
}
