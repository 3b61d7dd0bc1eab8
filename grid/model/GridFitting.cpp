// Text measurement, fitting rows and columns to their text, and column widths that follow the
// window's width.
#include "DCGuards.h"
#include "GridMainWnd.h"

#include <cstring>
#include <typeinfo>

CSize CGridMainWnd::MeasureText(LPCTSTR text, BOOL heading) {
    // An empty text's extent depends on the font alone: measured once per font.
    const int kind = heading ? 1 : 0;
    const BOOL empty = text == nullptr || *text == '\0';
    if (empty && emptyExtentValid[kind] &&
        std::memcmp(&emptyExtentFont[kind], &gridFont, sizeof gridFont) == 0)
        return CSize(emptyExtent[kind].cx + 2 * textMargin, emptyExtent[kind].cy + 2 * textMargin);
    CDC* pDC = GetDC();
    if (pDC == nullptr) return CSize(0, 0);
    CReleaseDCOnExit release(this, pDC);
    CFont headingFont;
    if (heading) {
        LOGFONTA lf = gridFont;
        lf.lfWeight = 300;
        headingFont.CreateFontIndirect(&lf);
    }
    CRestoreObjectOnExit restore(pDC, pDC->SelectObject(heading ? &headingFont : &gridFontObject));
    if (text == nullptr) text = "";
    CSize extent = pDC->GetTextExtent(text, (int)std::strlen(text));
    if (empty) {
        emptyExtentFont[kind] = gridFont;
        emptyExtent[kind] = extent;
        emptyExtentValid[kind] = TRUE;
    }
    return CSize(extent.cx + 2 * textMargin, extent.cy + 2 * textMargin);
}

CSize CGridMainWnd::GetCellExtent(int row, int col, CDC* pDC) {
    LOGFONTA lf = *GetCellFont(row, col);
    if (row < fixedRowCount || col < fixedColumnCount) lf.lfWeight = 300;
    CFont font;
    font.CreateFontIndirect(&lf);
    CSize extent;
    {
        CRestoreObjectOnExit restore(pDC, pDC->SelectObject(&font));
        extent = pDC->GetTextExtent(GetCellText(row, col));
    }

    CSize size(extent.cx + 2 * textMargin, extent.cy + 2 * textMargin);
    int image = GetCellImage(row, col);
    IMAGEINFO info;
    if (imageList != nullptr && image >= 0 && imageList->GetImageInfo(image, &info)) {
        size.cx += info.rcImage.right - info.rcImage.left + 1;
        int imageHeight = info.rcImage.bottom - info.rcImage.top + 1;
        if (size.cy < imageHeight) size.cy = imageHeight;
    }
    return size;
}

BOOL CGridMainWnd::ShowsStoredTexts() const {
    return typeid(*this) == typeid(CGridMainWnd);
}

CSize CGridMainWnd::FitExtent(int row, int col, CDC* pDC, FitMemo& memo) {
    CGridRow* r = memo.byTable ? GetRow(row) : nullptr;
    if (r == nullptr || col >= r->Columns()) return GetCellExtent(row, col, pDC);
    CGridItem* cell = r->Made(col);
    const CCellStyle* style = cell == nullptr ? &cellStyles.Get(r->Style(col)) : nullptr;
    const LOGFONTA* font = cell != nullptr ? &cell->font : &style->font;
    const BOOL heading = row < fixedRowCount || col < fixedColumnCount;
    if (font != memo.font || heading != memo.heading) {
        memo.font = font;
        memo.heading = heading;
        LOGFONTA lf = *font;
        if (heading) lf.lfWeight = 300;
        memo.table = widthTables.Find(pDC, lf);
    }
    const int image = cell != nullptr ? cell->image : style->image;
    CSize extent;
    if (memo.table == nullptr || (imageList != nullptr && image >= 0) ||
        !memo.table->Measure(pDC, cell != nullptr ? (LPCTSTR)cell->text : r->Text(col), &extent))
        return GetCellExtent(row, col, pDC);
    return CSize(extent.cx + 2 * textMargin, extent.cy + 2 * textMargin);
}

BOOL CGridMainWnd::FitColumnToText(int col) {
    if (col < 0 || col >= columnCount) return FALSE;
    CDC* pDC = GetDC();
    if (pDC == nullptr) return FALSE;
    {
        CReleaseDCOnExit release(this, pDC);
        FitMemo memo;
        memo.byTable = ShowsStoredTexts();
        int width = 0;
        for (int row = 0; row < rowCount; row++) {
            int cx = FitExtent(row, col, pDC, memo).cx;
            if (cx > width) width = cx;
        }
        StoreColumnWidth(col, width);
    }
    UpdateScrollBars();
    return TRUE;
}

BOOL CGridMainWnd::FitRowToText(int row) {
    if (row < 0 || row >= rowCount) return FALSE;
    CDC* pDC = GetDC();
    if (pDC == nullptr) return FALSE;
    {
        CReleaseDCOnExit release(this, pDC);
        FitMemo memo;
        memo.byTable = ShowsStoredTexts();
        int height = 0;
        for (int col = 0; col < columnCount; col++) {
            int cy = FitExtent(row, col, pDC, memo).cy;
            if (cy > height) height = cy;
        }
        StoreRowHeight(row, height);
    }
    UpdateScrollBars();
    return TRUE;
}

void CGridMainWnd::FitAllToText() {
    CDC* pDC = GetDC();
    if (pDC == nullptr) return;
    {
        CReleaseDCOnExit release(this, pDC);
        FitMemo memo;
        memo.byTable = ShowsStoredTexts();
        // Every size changes: the prefix sums are rebuilt once, at the end, or for the sizes as
        // they stand when a measurement fails (a rebuild into the sums' own storage cannot).
        try {
            for (int col = 0; col < columnCount; col++)
                columnWidths[col] = 0;
            for (int row = 0; row < rowCount; row++)
                rowHeights[row] = 0;
            for (int col = 0; col < columnCount; col++) {
                int width = 0;
                for (int row = 0; row < rowCount; row++) {
                    int cx = FitExtent(row, col, pDC, memo).cx;
                    if (cx > width) width = cx;
                }
                columnWidths[col] = (UINT)width;
            }
            for (int row = 0; row < rowCount; row++) {
                int height = 0;
                for (int col = 0; col < columnCount; col++) {
                    int cy = FitExtent(row, col, pDC, memo).cy;
                    if (cy > height) height = cy;
                }
                rowHeights[row] = (UINT)height;
            }
        } catch (...) {
            columnIndex.Build(columnWidths);
            rowIndex.Build(rowHeights);
            throw;
        }
        columnIndex.Build(columnWidths);
        rowIndex.Build(rowHeights);
    }
    if (drawingEnabled) {
        UpdateScrollBars();
        if (::IsWindow(m_hWnd)) Invalidate(TRUE);
    }
}

void CGridMainWnd::SpreadColumnsToWidth() {
    if (columnCount == 0) return;
    CRect client;
    GetClientRect(&client);
    int slack = client.Width() - GetTotalWidth();
    // Integer division truncates toward zero; the remainder goes one pixel at a time to the
    // first columns. No lower bound: a width may become negative.
    int share = slack / columnCount;
    for (int col = 0; col < columnCount; col++)
        StoreColumnWidth(col, GetColumnWidth(col) + share);
    if (slack > 0) {
        for (int col = 0; col < slack % columnCount; col++)
            StoreColumnWidth(col, GetColumnWidth(col) + 1);
    } else {
        for (int col = 0; col < (-slack) % columnCount; col++)
            StoreColumnWidth(col, GetColumnWidth(col) - 1);
    }
    if (drawingEnabled && ::IsWindow(m_hWnd)) Invalidate(TRUE);
}

void CGridMainWnd::SetKeepColumnProportions(BOOL keep) {
    keepColumnProportions = keep;
    savedColumnWidths.RemoveAll();
    if (keep)
        for (int col = 0; col < columnCount; col++)
            savedColumnWidths.Add(columnWidths[col]);
}

// Columns saved before columns were added or removed: only the columns that have a saved width
// take part (the last of them fills the width), the others keep theirs.
void CGridMainWnd::ScaleColumnsToWidth(int width) {
    int count = (int)savedColumnWidths.GetSize();
    if (count > columnCount) count = columnCount;
    if (count <= 0) return;
    unsigned long long sum = 0;
    for (int col = 0; col < count; col++)
        sum += savedColumnWidths[col];
    if (width <= 0 || (unsigned long long)width <= sum) {
        for (int col = 0; col < count; col++)
            StoreColumnWidth(col, (int)savedColumnWidths[col]);
        return;
    }
    // Unsigned division; the products are formed in 64 bits so wide windows do not wrap. Saved
    // widths that are all 0 give the others nothing and the last column the whole width.
    long long given = 0;
    for (int col = 0; col < count - 1; col++) {
        int scaled = sum == 0 ? 0 : (int)((unsigned long long)savedColumnWidths[col] * (unsigned)width / sum);
        StoreColumnWidth(col, scaled);
        given += scaled;
    }
    StoreColumnWidth(count - 1, (int)(width - given));
}
