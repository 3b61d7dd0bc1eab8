// CWnd::GetDC / ReleaseDC: a window's common device context, counted like the DC classes.
#include "afxwin.h"

CDC* CWnd::GetDC() {
    HDC h = ::GetDC(m_hWnd);
    if (h == nullptr) return nullptr;
    // The object that wraps the context is allocated: when that fails, the context goes back.
    CDC* pDC;
    try {
        pDC = CDC::FromHandle(h);
    } catch (...) {
        ::ReleaseDC(m_hWnd, h);
        throw;
    }
    AfxCountDC(+1);
    return pDC;
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (pDC == nullptr || pDC->m_hDC == nullptr) return 0;
    int released = ::ReleaseDC(m_hWnd, pDC->m_hDC);
    if (released) AfxCountDC(-1);
    return released;
}
