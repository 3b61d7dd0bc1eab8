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

bool IsSameLogFont(const LOGFONTA& a, const LOGFONTA& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}
