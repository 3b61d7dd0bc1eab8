// The paint pipeline: WM_PAINT through the off-screen buffer, the whole-grid drawing with its
// four cell passes, the background fill and the grid lines, and the messages that sit beside
// painting (WM_ERASEBKGND, WM_SYSCOLORCHANGE).
#include "BufferDC.h"
#include "GridMainWnd.h"
#include "GridPaintObjects.h"

void CGridMainWnd::OnPaint() {
    CPaintDC dc(this);
    if (doubleBuffered) {
        // The buffer's destructor copies the picture to the screen.
        CRect client;
        GetClientRect(&client);
        CBufferDC buffer(&dc, &paintSurface, client);
        DrawGrid(&buffer);
    } else {
        DrawGrid(&dc);
    }
}

// DrawGrid paints every pixel of the clip box, so erasing would only make the window flicker.
BOOL CGridMainWnd::OnEraseBkgnd(CDC*) {
    return TRUE;
}

// The grid keeps its own colours whatever the system's are.
void CGridMainWnd::OnSysColorChange() {
    CWnd::OnSysColorChange();
}

void CGridMainWnd::PaintCellRange(CDC* pDC, const CRect& clip, int firstRow, int lastRow, int firstCol,
                                  int lastCol, BOOL fixed) {
    for (int row = firstRow; row <= lastRow; row++) {
        for (int col = firstCol; col <= lastCol; col++) {
            // A cell without a corner (a column narrower than a pixel) has nothing to paint; the
            // cells right of it still do.
            CRect rect;
            if (!GetCellBounds(row, col, &rect)) continue;
            if (rect.top > clip.bottom) break;
            if (rect.bottom < clip.top) continue;
            if (rect.left > clip.right) break;
            if (rect.right < clip.left) continue;
            if (fixed)
                PaintFixedCell(pDC, row, col, rect, FALSE);
            else
                PaintScrollingCell(pDC, row, col, rect, FALSE);
        }
    }
}

void CGridMainWnd::DrawGrid(CDC* pDC) {
    CRect clip;
    if (pDC->GetClipBox(&clip) == ERROR) return;

    FillGridBackground(pDC);

    CCellPos first = GetFirstScrolledCell();
    CCellSpan span = GetShownCellSpan();
    {
        // The cells share their brushes, pens and fonts until the last one is drawn.
        CGridPaintScope scope(paintObjects, pDC);
        // The corner, the row headings, the column headings, then the body.
        PaintCellRange(pDC, clip, 0, fixedRowCount - 1, 0, fixedColumnCount - 1, TRUE);
        PaintCellRange(pDC, clip, first.row, span.maxRow, 0, fixedColumnCount - 1, TRUE);
        PaintCellRange(pDC, clip, 0, fixedRowCount - 1, first.col, span.maxCol, TRUE);
        PaintCellRange(pDC, clip, first.row, span.maxRow, first.col, span.maxCol, FALSE);
    }

    // The grid lines of the body, all with one pen after the cells. Width 0 is one device pixel
    // whatever the mapping. Each cell draws its own last column and row and the column and row
    // just before it; the fixed cells draw their own borders.
    CPen pen;
    pen.CreatePen(PS_SOLID, 0, gridLineColor);
    pDC->SelectObject(&pen);
    BOOL vertical = gridLineStyle == 2 || gridLineStyle == 3;
    BOOL horizontal = gridLineStyle == 1 || gridLineStyle == 3;
    for (int row = first.row; row <= span.maxRow; row++) {
        for (int col = first.col; col <= span.maxCol; col++) {
            CRect rect;
            // A column too narrow to have a corner has no pixels, so no lines either.
            if (!GetCellBounds(row, col, &rect)) continue;
            if (vertical) {
                pDC->MoveTo(rect.right, rect.top);
                pDC->LineTo(rect.right, rect.bottom + 1);
                pDC->MoveTo(rect.left - 1, rect.top);
                pDC->LineTo(rect.left - 1, rect.bottom + 1);
            }
            if (horizontal) {
                pDC->MoveTo(rect.left, rect.top - 1);
                pDC->LineTo(rect.right, rect.top - 1);
                pDC->MoveTo(rect.left, rect.bottom);
                pDC->LineTo(rect.right, rect.bottom);
            }
        }
    }

    if (drawFrame) DrawGridFrame(pDC);

    // Releases the grid pen from the context before it is deleted.
    pDC->SelectStockObject(NULL_PEN);
    pen.DeleteObject();
}

void CGridMainWnd::FillGridBackground(CDC* pDC) {
    CBrush fixedBrush(fixedBkColor);
    CBrush cellBrush(cellBkColor);
    CBrush gridBrush(gridBkColor);

    CRect clip;
    if (pDC->GetClipBox(&clip) != ERROR) {
        // The area the shown cells cover, limited to the client area.
        CRect cells;
        GetShownCellSpan(&cells);
        int fixedWidth = GetFixedAreaWidth();
        int fixedHeight = GetFixedAreaHeight();
        HDC hDC = pDC->m_hDC;

        // The fixed columns, then the fixed rows, which start one pixel left of the fixed
        // columns' edge.
        if (clip.left < fixedWidth && clip.top < cells.bottom) {
            CRect r(clip.left, clip.top, fixedWidth, cells.bottom);
            ::FillRect(hDC, &r, fixedBrush);
        }
        if (clip.top < fixedHeight && clip.right > fixedWidth && clip.left < cells.right) {
            CRect r(fixedWidth - 1, clip.top, cells.right, fixedHeight);
            ::FillRect(hDC, &r, fixedBrush);
        }
        // The body.
        CRect shown;
        if (shown.IntersectRect(&cells, &clip)) {
            CRect r(fixedWidth > shown.left ? fixedWidth : shown.left,
                    fixedHeight > shown.top ? fixedHeight : shown.top, shown.right, shown.bottom);
            ::FillRect(hDC, &r, cellBrush);
        }
        // Right of and below the cells.
        if (cells.right < clip.right) {
            CRect r(cells.right, clip.top, clip.right, clip.bottom);
            ::FillRect(hDC, &r, gridBrush);
        }
        if (cells.bottom < clip.bottom && clip.left < cells.right) {
            CRect r(clip.left, cells.bottom, cells.right, clip.bottom);
            ::FillRect(hDC, &r, gridBrush);
        }
    }

    fixedBrush.DeleteObject();
    cellBrush.DeleteObject();
    gridBrush.DeleteObject();
}
