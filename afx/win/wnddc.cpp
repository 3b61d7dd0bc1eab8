// CWnd::GetDC / ReleaseDC: a window's common device context, counted like the DC classes.
#include "afxwin.h"

CDC* CWnd::GetDC() {
    HDC h = ::GetDC(m_hWnd);
    if (h == nullptr) return nullptr;
    AfxCountDC(+1);
    return CDC::FromHandle(h);
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (pDC == nullptr || pDC->m_hDC == nullptr) return 0;
    int released = ::ReleaseDC(m_hWnd, pDC->m_hDC);
    if (released) AfxCountDC(-1);
    return released;
}
