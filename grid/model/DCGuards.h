// Guards that give back what a drawing or measuring call takes from the system on every way out
// of it, an exception's (memory running out while a cell is drawn or measured) included.
#pragma once

#include "afxwin.h"

// Releases a common context taken with GetDC (nothing when it is NULL).
class CReleaseDCOnExit {
public:
    CReleaseDCOnExit(CWnd* wnd, CDC* dc) : m_wnd(wnd), m_dc(dc) {}
    ~CReleaseDCOnExit() {
        if (m_dc != nullptr) m_wnd->ReleaseDC(m_dc);
    }
    CReleaseDCOnExit(const CReleaseDCOnExit&) = delete;
    CReleaseDCOnExit& operator=(const CReleaseDCOnExit&) = delete;

private:
    CWnd* m_wnd;
    CDC* m_dc;
};

// Selects the object that a SelectObject call replaced back into the context. Declared after
// the object it guards, so that the object is deselected before it is deleted.
class CRestoreObjectOnExit {
public:
    CRestoreObjectOnExit(CDC* dc, HGDIOBJ old) : m_dc(dc), m_old(old) {}
    ~CRestoreObjectOnExit() {
        if (m_old != nullptr) m_dc->SelectObject(m_old);
    }
    CRestoreObjectOnExit(const CRestoreObjectOnExit&) = delete;
    CRestoreObjectOnExit& operator=(const CRestoreObjectOnExit&) = delete;

private:
    CDC* m_dc;
    HGDIOBJ m_old;
};
