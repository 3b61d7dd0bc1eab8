// Drawing single cells now (RepaintCell, RepaintRow) or at the next paint (InvalidateCell), and
// the frame around the client area.
#include "DCGuards.h"
#include "GridMainWnd.h"
#include "GridPaintObjects.h"

void CGridMainWnd::DrawGridFrame(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    pDC->Draw3dRect(rc.left, rc.top, rc.Width(), rc.Height(), frameColor, frameColor);
}

BOOL CGridMainWnd::RepaintCell(int row, int col, CDC* pDC) {
    CRect rect;
    if (!drawingEnabled || !IsCellShown(row, col) || !GetCellBounds(row, col, &rect)) return FALSE;

    CDC* ownDC = nullptr;
    if (pDC == nullptr) {
        pDC = ownDC = GetDC();
        if (pDC == nullptr) {
            ::InvalidateRect(m_hWnd, &rect, TRUE);
            return TRUE;
        }
    }
    CReleaseDCOnExit release(this, ownDC);

    BOOL result;
    if (row < fixedRowCount || col < fixedColumnCount) {
        result = PaintFixedCell(pDC, row, col, rect, TRUE);
    } else {
        result = PaintScrollingCell(pDC, row, col, rect, TRUE);
        // The cell's own bottom and right grid lines; the left and top ones belong to the
        // neighbours, whose pixels the fill did not touch. Within a paint that shares its
        // objects, with the paint's pen.
        CGridPaintObjects* shared = SharedPaintObjects(pDC);
        HPEN sharedPen = shared != nullptr ? shared->Pen(PS_SOLID, 0, gridLineColor) : nullptr;
        CPen pen;
        if (sharedPen == nullptr) pen.CreatePen(PS_SOLID, 0, gridLineColor);
        HGDIOBJ oldPen = pDC->SelectObject(sharedPen != nullptr ? (HGDIOBJ)sharedPen : pen.m_hObject);
        if (gridLineStyle == 1 || gridLineStyle == 3) {
            pDC->MoveTo(rect.left, rect.bottom);
            pDC->LineTo(rect.right + 1, rect.bottom);
        }
        if (gridLineStyle == 2 || gridLineStyle == 3) {
            pDC->MoveTo(rect.right, rect.top);
            pDC->LineTo(rect.right, rect.bottom + 1);
        }
        if (oldPen != nullptr) pDC->SelectObject(oldPen);
        pen.DeleteObject();
    }
    // An edge cell's fill may have covered the frame.
    if (drawFrame) DrawGridFrame(pDC);
    return result;
}

BOOL CGridMainWnd::RepaintRow(int row) {
    CDC* pDC = GetDC();
    auto repaintColumns = [&] {
        BOOL all = TRUE;
        for (int col = 0; col < columnCount; col++)
            if (!RepaintCell(row, col, pDC)) all = FALSE;
        return all;
    };
    if (pDC == nullptr) return repaintColumns();
    CReleaseDCOnExit release(this, pDC);
    // The row's cells share their brushes, pens and fonts on the one context.
    CGridPaintScope scope(paintObjects, pDC);
    return repaintColumns();
}

BOOL CGridMainWnd::InvalidateCell(CCellPos cell) {
    CRect rect;
    if (!::IsWindow(m_hWnd) || !drawingEnabled || !IsCellShown(cell) || !GetCellBounds(cell, &rect))
        return FALSE;
    rect.right += 1;
    rect.bottom += 1;
    ::InvalidateRect(m_hWnd, &rect, TRUE);
    return TRUE;
}
