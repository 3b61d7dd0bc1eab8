// WM_SIZE: columns follow the width when proportions are kept, and the scroll bars the size.
#include "GridMainWnd.h"

namespace {
// One flag for every grid of the process: a WM_SIZE that arrives while one is being handled
// (the layout below can resize windows) returns at once.
bool g_inGridOnSize = false;

struct OnSizeGuard {
    OnSizeGuard() { g_inGridOnSize = true; }
    ~OnSizeGuard() { g_inGridOnSize = false; }
};
} // namespace

void CGridMainWnd::OnSize(UINT, int cx, int) {
    if (g_inGridOnSize || !::IsWindow(m_hWnd)) return;
    OnSizeGuard guard;
    if (keepColumnProportions) ScaleColumnsToWidth(cx);
    TakeFocus(); // ends an in-place edit, whose control loses the focus
    Default();
    UpdateScrollBars();
}
