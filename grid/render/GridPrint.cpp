// Printing through the MFC print protocol (OnBeginPrinting, OnPrint per page, OnEndPrinting).
// The whole grid width is scaled to the paper's width, rows are split into pages, and every page
// carries a header band, the heading rows, its body rows and a footer band with the page number
// and the date and time.
//
// Page layout in logical units (the grid's pixels), cw and ch the printer font's character size:
// margins of 2 cw left and right; header band 2 ch; a gap of 1 ch; the heading rows; the body;
// footer band 2 ch at the bottom of the page.
#include "GridMainWnd.h"
#include "afxext.h"

namespace {
const char kMeasureText[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
const UINT kHeaderFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
const UINT kFooterFormat = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;

// The bold form of a font, made for one band of one page.
BOOL CreateBoldCopy(const CFont& font, CFont* bold) {
    LOGFONTA lf;
    if (font.GetLogFont(&lf) == 0) return FALSE;
    lf.lfWeight = FW_BOLD;
    return bold->CreateFontIndirect(&lf);
}

// Grid lines of one printed cell with the context's current pen: the bottom (and for row 0 the
// top) edge when the style has horizontal lines; the right (and for column 0 the left) edge from
// y0 when it has vertical ones.
void DrawPrintedCellLines(CDC* pDC, int style, int row, int col, const CRect& rect, int y0) {
    if (style == 1 || style == 3) {
        int x0 = col == 0 ? rect.left : rect.left - 1;
        pDC->MoveTo(x0, rect.bottom);
        pDC->LineTo(rect.right, rect.bottom);
        if (row == 0) {
            pDC->MoveTo(x0, rect.top);
            pDC->LineTo(rect.right, rect.top);
        }
    }
    if (style == 2 || style == 3) {
        pDC->MoveTo(rect.right, y0);
        pDC->LineTo(rect.right, rect.bottom);
        if (col == 0) {
            pDC->MoveTo(rect.left, y0);
            pDC->LineTo(rect.left, rect.bottom);
        }
    }
}
} // namespace

int CGridMainWnd::FindPrintPageRow(UINT page, UINT* pPages) {
    // A page takes rows while their heights add up to no more than the body height; the row that
    // would pass it begins the next page. A row taller than the body on a page of its own is
    // printed there, cut at the footer, rather than leaving that page empty.
    UINT current = 1;
    int start = fixedRowCount;
    // Pages asked for in order go on from the page found last (the rows do not change during a
    // job), so printing every page costs one pass over the rows, not one per page.
    if (pPages == nullptr && printFoundPage >= 1 && page >= printFoundPage &&
        printFoundRow >= fixedRowCount && printFoundRow < rowCount) {
        current = printFoundPage;
        start = printFoundRow;
    }
    int first = page == current && start < rowCount ? start : -1;
    int sum = 0;
    for (int row = start; row < rowCount; row++) {
        int height = GetRowHeight(row);
        if (sum > 0 && sum + height > printBodyHeight) {
            current++;
            sum = 0;
            if (current == page) first = row;
            if (current > page && pPages == nullptr) break;
        }
        sum += height;
    }
    if (pPages != nullptr) *pPages = current;
    if (pPages == nullptr && first >= 0) {
        printFoundPage = page;
        printFoundRow = first;
    }
    return first;
}

void CGridMainWnd::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) {
    if (pDC == nullptr || pInfo == nullptr || rowCount <= fixedRowCount) return;
    HDC screen = ::GetDC(m_hWnd);
    if (screen == nullptr) return;
    AfxCountDC(+1);

    // Times New Roman, 9 logical units high: the page's logical units are the grid's pixels.
    LOGFONTA lf = {};
    lf.lfHeight = -9;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_CHARACTER_PRECIS;
    lf.lfClipPrecision = CLIP_CHARACTER_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpyA(lf.lfFaceName, "Times New Roman");
    printerFont.DeleteObject(); // a job begun again without its end
    printerFont.CreateFontIndirect(&lf);
    HGDIOBJ oldFont = pDC->SelectObject(&printerFont);

    SIZE size = {};
    ::GetTextExtentPoint32A(pDC->m_hAttribDC, kMeasureText, 52, &size);
    printCharSize = CSize(size.cx / 52, size.cy);

    printPaperSize = CSize(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
    const int width = GetTotalWidth() + 4 * printCharSize.cx;
    printPageExtent =
        CSize(width, printPaperSize.cx > 0 ? ::MulDiv(width, printPaperSize.cy, printPaperSize.cx) : 0);
    printBodyHeight = printPageExtent.cy - 6 * printCharSize.cy - GetFixedAreaHeight();

    UINT pages = 1;
    printFoundPage = 0;
    printFoundRow = -1;
    FindPrintPageRow(1, &pages);
    pInfo->SetMaxPage(pages);
    pInfo->m_nCurPage = 1;

    ::ReleaseDC(m_hWnd, screen);
    AfxCountDC(-1);
    if (oldFont != nullptr) pDC->SelectObject(oldFont);
}

void CGridMainWnd::OnPrint(CDC* pDC, CPrintInfo* pInfo) {
    // Without a job begun (no scrolling rows, or no screen context) there are no metrics to print
    // with.
    if (pDC == nullptr || pInfo == nullptr || printerFont.m_hObject == nullptr) return;
    HGDIOBJ oldFont = pDC->SelectObject(&printerFont);
    const int cw = printCharSize.cx, ch = printCharSize.cy;

    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(printPageExtent.cx, printPageExtent.cy);
    pDC->SetViewportExt(printPaperSize.cx, printPaperSize.cy);
    pDC->SetWindowOrg(-2 * cw, 0);

    pInfo->m_rectDraw.SetRect(0, 0, printPageExtent.cx - 4 * cw, 2 * ch);
    PrintPageHeader(pDC, pInfo);
    pDC->OffsetWindowOrg(0, -2 * ch);
    pDC->OffsetWindowOrg(0, -ch);

    pInfo->m_rectDraw.bottom = GetFixedAreaHeight();
    PrintHeadingRows(pDC, pInfo);
    pDC->OffsetWindowOrg(0, -GetFixedAreaHeight());

    const int first = FindPrintPageRow(pInfo->m_nCurPage);
    if (first < 0) {
        // A page beyond the last: the header and the heading rows only.
        if (oldFont != nullptr) pDC->SelectObject(oldFont);
        return;
    }

    // The body rows, clipped to the body so that a row taller than the body stops at the footer.
    const int saved = pDC->SaveDC();
    ::IntersectClipRect(pDC->m_hDC, 0, 0, printPageExtent.cx, printBodyHeight);
    int top = 0;
    for (int row = first; row < rowCount; row++) {
        const int height = GetRowHeight(row);
        // The page count's rule: a page ends only after a row of some height, so rows of no height
        // at its start never push a taller row off the page (it would then be printed nowhere).
        if (top > 0 && top + height > printBodyHeight) break;
        const int bottom = top + height - 1;
        int left = 0;
        for (int col = 0; col < columnCount; col++) {
            CRect rect(left, top, left + GetColumnWidth(col) - 1, bottom);
            PaintScrollingCell(pDC, row, col, rect, FALSE);
            DrawPrintedCellLines(pDC, gridLineStyle, row, col, rect, row == first ? top : top - 1);
            left = rect.right + 1;
        }
        top = bottom + 1;
    }
    pDC->RestoreDC(saved);

    // The footer band is the bottom 2 ch of the page.
    pInfo->m_rectDraw.bottom = 2 * ch;
    pDC->SetWindowOrg(-2 * cw, 2 * ch - printPageExtent.cy);
    PrintPageFooter(pDC, pInfo);
    pDC->SetWindowOrg(0, 0);

    if (oldFont != nullptr) pDC->SelectObject(oldFont);
}

void CGridMainWnd::PrintHeadingRows(CDC* pDC, CPrintInfo*) {
    if (pDC == nullptr) return;
    HGDIOBJ oldFont = pDC->SelectObject(&printerFont);
    int top = 0;
    for (int row = 0; row < fixedRowCount; row++) {
        const int bottom = top + GetRowHeight(row) - 1;
        int left = 0;
        for (int col = 0; col < columnCount; col++) {
            CRect rect(left, top, left + GetColumnWidth(col) - 1, bottom);
            PaintFixedCell(pDC, row, col, rect, FALSE);
            DrawPrintedCellLines(pDC, gridLineStyle, row, col, rect, row == 0 ? top : top - 1);
            left = rect.right + 1;
        }
        top = bottom + 1;
    }
    if (oldFont != nullptr) pDC->SelectObject(oldFont);
}

void CGridMainWnd::PrintPageHeader(CDC* pDC, CPrintInfo* pInfo) {
    if (pDC == nullptr || pInfo == nullptr) return;
    CRect rect = pInfo->m_rectDraw;
    CFont bold;
    CreateBoldCopy(printerFont, &bold);
    HGDIOBJ oldFont = pDC->SelectObject(&bold);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    // The bands are black whatever colour the last printed cell left in the context.
    const COLORREF oldColor = pDC->SetTextColor(RGB(0, 0, 0));

    // Right: the application's title string, if the module has one.
    char title[256] = "";
    ::LoadStringA(AfxGetResourceHandle(), AFX_IDS_APP_TITLE, title, sizeof title);
    pDC->DrawText(title, -1, &rect, DT_RIGHT | kHeaderFormat);

    // Centre: the title of the nearest ancestor that has one.
    CString caption;
    for (HWND h = ::GetParent(m_hWnd); h != nullptr && caption.IsEmpty(); h = ::GetParent(h))
        CWnd::FromHandle(h)->GetWindowText(caption);
    pDC->DrawText(caption, -1, &rect, DT_CENTER | kHeaderFormat);

    pDC->SetTextColor(oldColor);
    pDC->SetBkMode(oldMode);
    if (oldFont != nullptr) pDC->SelectObject(oldFont);
    bold.DeleteObject();
    // The black pen stays for the rest of the page.
    pDC->SelectStockObject(BLACK_PEN);
    pDC->MoveTo(rect.left, rect.bottom);
    pDC->LineTo(rect.right, rect.bottom);
}

void CGridMainWnd::PrintPageFooter(CDC* pDC, CPrintInfo* pInfo) {
    if (pDC == nullptr || pInfo == nullptr) return;
    CRect rect = pInfo->m_rectDraw;
    pDC->MoveTo(rect.left, rect.top);
    pDC->LineTo(rect.right, rect.top);

    CFont bold;
    CreateBoldCopy(printerFont, &bold);
    HGDIOBJ oldFont = pDC->SelectObject(&bold);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = pDC->SetTextColor(RGB(0, 0, 0));

    rect.OffsetRect(0, printCharSize.cy / 2);
    CString page;
    page.Format("Page %d of %d", (int)pInfo->m_nCurPage, (int)pInfo->GetMaxPage());
    pDC->DrawText(page, -1, &rect, DT_LEFT | kFooterFormat);
    CString when = CTime::GetCurrentTime().Format("%c");
    pDC->DrawText(when, -1, &rect, DT_RIGHT | kFooterFormat);

    pDC->SetTextColor(oldColor);
    pDC->SetBkMode(oldMode);
    if (oldFont != nullptr) pDC->SelectObject(oldFont);
    bold.DeleteObject();
}

void CGridMainWnd::OnEndPrinting(CDC*, CPrintInfo*) {
    printerFont.DeleteObject();
    printFoundPage = 0;
    printFoundRow = -1;
}
