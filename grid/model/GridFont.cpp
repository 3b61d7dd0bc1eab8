// WM_SETFONT and WM_GETFONT: the grid font, every cell's font, and the metrics derived from it.
#include "GridMainWnd.h"

#include <cstring>

LRESULT CGridMainWnd::OnSetFont(WPARAM hFont, LPARAM) {
    LRESULT result = Default();
    ApplyFont((HFONT)hFont);
    return result;
}

LRESULT CGridMainWnd::OnGetFont(WPARAM, LPARAM) {
    return (LRESULT)gridFontObject.GetSafeHandle();
}

void CGridMainWnd::ApplyFont(HFONT hFont) {
    LOGFONTA lf;
    if (hFont == nullptr || ::GetObjectA(hFont, sizeof(LOGFONTA), &lf) == 0) return;

    // A new font replaces every cell's own font.
    gridFont = lf;
    for (int row = 0; row < rowCount; row++)
        for (int col = 0; col < columnCount; col++)
            SetCellFont(row, col, &lf);

    if (CDC* pDC = GetDC()) {
        gridFontObject.DeleteObject();
        gridFontObject.CreateFontIndirect(&gridFont);
        HGDIOBJ old = pDC->SelectObject(&gridFontObject);
        TEXTMETRICA tm;
        std::memset(&tm, 0, sizeof tm);
        pDC->GetTextMetrics(&tm);
        CSize space = pDC->GetTextExtent(" ", 1);
        if (old != nullptr) pDC->SelectObject(old);
        ReleaseDC(pDC);
        // Existing rows and columns keep their sizes; the defaults apply to new ones.
        textMargin = space.cx;
        defaultRowHeight = tm.tmHeight + tm.tmExternalLeading + 2 * textMargin;
        defaultColumnWidth = 2 * (textMargin + 6 * tm.tmAveCharWidth);
    }
    if (::IsWindow(m_hWnd)) Invalidate(TRUE);
}
